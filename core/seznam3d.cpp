#include "core/seznam3d.h"

#include "core/numtext.h"
#include "core/parser.h"
#include "core/textfile.h"

#include <cmath>

bool TSeznam3D::Get(int index, TNetPoint &point) const {
  if (index < 0 || index >= Count())
    return false;
  point = Items[static_cast<std::size_t>(index)];
  return true;
}

bool TSeznam3D::FindByNumber(double number, TNetPoint &point) const {
  return Get(IndexOfNumber(number), point);
}

int TSeznam3D::IndexOfNumber(double number) const {
  for (std::size_t i = 0; i < Items.size(); ++i)
    if (Items[i].Number == number)
      return static_cast<int>(i);
  return -1;
}

void TSeznam3D::Resize(int newLength) {
  if (newLength < 0)
    return;
  Items.resize(static_cast<std::size_t>(newLength));
}

void TSeznam3D::Add(const TNetPoint &point) {
  if (FillCount < 0)
    FillCount = 0;
  if (FillCount >= Count())
    Items.resize(static_cast<std::size_t>(FillCount) + 1);
  Items[static_cast<std::size_t>(FillCount)] = point;
  ++FillCount;
}

void TSeznam3D::Append(const TNetPoint &point) { Items.push_back(point); }

bool TSeznam3D::AddUnique(const TNetPoint &point) {
  if (IndexOfNumber(point.Number) >= 0)
    return false;
  Append(point);
  return true;
}

void TSeznam3D::Delete(int index) {
  if (Count() <= 2 || index < 0 || index >= Count())
    return;
  Items.erase(Items.begin() + index);
}

TExtent TSeznam3D::Extent() const {
  TExtent e;
  if (Items.empty())
    return e;
  const TNetPoint &f = Items.front();
  e.MaxX = e.MinX = f.X;
  e.MaxY = e.MinY = f.Y;
  e.MaxZ = e.MinZ = f.Z;
  for (const TNetPoint &p : Items) {
    if (p.X > e.MaxX) e.MaxX = p.X;
    if (p.Y > e.MaxY) e.MaxY = p.Y;
    if (p.Z > e.MaxZ) e.MaxZ = p.Z;
    if (p.X < e.MinX) e.MinX = p.X;
    if (p.Y < e.MinY) e.MinY = p.Y;
    if (p.Z < e.MinZ) e.MinZ = p.Z;
  }
  return e;
}

TXYZ TSeznam3D::Centre() const {
  TExtent e = Extent();
  return {(e.MaxX + e.MinX) / 2, (e.MaxY + e.MinY) / 2, (e.MaxZ + e.MinZ) / 2};
}

TXYZ TSeznam3D::DeltaXYZ(int i, int j) const {
  const TNetPoint &a = Items[static_cast<std::size_t>(i)];
  const TNetPoint &b = Items[static_cast<std::size_t>(j)];
  return {b.X - a.X, b.Y - a.Y, b.Z - a.Z};
}

long double TSeznam3D::HorizDist(int i, int j) const {
  TXYZ d = DeltaXYZ(i, j);
  return std::sqrt(d.X * d.X + d.Y * d.Y);
}

long double TSeznam3D::SlopeDist(int i, int j) const {
  TXYZ d = DeltaXYZ(i, j);
  return std::sqrt(d.X * d.X + d.Y * d.Y + d.Z * d.Z);
}

namespace {

// Shared body of the two coordinate readers: minValues is 6 for the full
// format (number, X, Y, Z, Sc, Svp and the f mark) and 4 for the simple one.
int LoadCoordinates(TSeznam3D &list, const std::string &fileName, bool full) {
  std::string bytes;
  list.LastLoadError = !kd::ReadFileBytes(fileName, bytes);
  if (list.LastLoadError) {
    list.Items.clear();
    list.FillCount = 0;
    list.FileName.clear();
    return 0;
  }
  // Only ASCII carries meaning, so the Windows-1250 bytes are scanned as
  // they are.
  std::vector<std::string> lines = kd::SplitLines(bytes);
  bytes.clear();
  bytes.shrink_to_fit();
  list.Resize(static_cast<int>(lines.size()));
  list.ResetFill();
  TParser parser;
  const int minValues = full ? 6 : 4;
  for (const std::string &line : lines) {
    parser.Parse(line);
    if (parser.ValueCount < minValues)
      continue;
    TNetPoint p;
    p.Number = static_cast<double>(parser.Values[0]);
    p.X = parser.Values[1];
    p.Y = parser.Values[2];
    p.Z = parser.Values[3];
    if (full) {
      p.Sc = static_cast<double>(parser.Values[4]);
      p.Svp = static_cast<double>(parser.Values[5]);
      p.Fixed = parser.Flag == 'f';
    }
    list.Add(p);
  }
  list.Resize(list.FillCount);
  list.FileName = fileName;
  return list.Count();
}

} // namespace

int TSeznam3D::LoadFull(const std::string &fileName) { return LoadCoordinates(*this, fileName, true); }

int TSeznam3D::LoadSimple(const std::string &fileName) { return LoadCoordinates(*this, fileName, false); }

std::string TSeznam3D::FullFormatLine(const TNetPoint &p) {
  std::string line;
  line.reserve(80);
  line += NumToTextFixed(p.Number, 10, 1);
  line += ' ';
  line += NumToTextFixed(p.X, 10, 5);
  line += ' ';
  line += NumToTextFixed(p.Y, 10, 5);
  line += ' ';
  line += NumToTextFixed(p.Z, 10, 5);
  line += ' ';
  line += NumToTextFixed(p.Sc, 10, 5);
  line += ' ';
  line += NumToTextFixed(p.Svp, 10, 5);
  line += ' ';
  line += p.Fixed ? 'f' : 'a';
  // No line of a data file may carry a decimal comma.
  for (char &c : line)
    if (c == ',')
      c = '.';
  return line;
}

std::vector<std::string> TSeznam3D::FullFormatLines() const {
  std::vector<std::string> lines;
  lines.reserve(Items.size());
  for (const TNetPoint &p : Items)
    lines.push_back(FullFormatLine(p));
  return lines;
}

int TSeznam3D::Save() {
  if (FileName.empty())
    return 0;
  if (!kd::WriteFileAtomic(FileName, kd::Utf8ToCp1250(kd::JoinLinesCrLf(FullFormatLines()))))
    return 0;
  return Count();
}

void TNumberIndex::Build(const TSeznam3D &list) {
  FIndex.clear();
  FIndex.reserve(list.Items.size());
  for (std::size_t i = 0; i < list.Items.size(); ++i)
    FIndex.emplace(list.Items[i].Number + 0.0, static_cast<int>(i)); // keeps the first
}

int TNumberIndex::IndexOf(double number) const {
  if (number != number)
    return -1; // NaN equals nothing
  auto it = FIndex.find(number + 0.0);
  return it == FIndex.end() ? -1 : it->second;
}
