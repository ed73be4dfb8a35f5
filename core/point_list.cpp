#include "core/point_list.h"

#include "core/number_text.h"
#include "core/coordinate_parser.h"
#include "core/text_file.h"

#include <cmath>

bool PointList::Get(int index, NetworkPoint &point) const {
  if (index < 0 || index >= Count())
    return false;
  point = Items[static_cast<std::size_t>(index)];
  return true;
}

bool PointList::FindByNumber(double number, NetworkPoint &point) const {
  return Get(IndexOfNumber(number), point);
}

int PointList::IndexOfNumber(double number) const {
  for (std::size_t i = 0; i < Items.size(); ++i)
    if (Items[i].Number == number)
      return static_cast<int>(i);
  return -1;
}

void PointList::Resize(int newLength) {
  if (newLength < 0 || newLength == Count())
    return;
  Items.resize(static_cast<std::size_t>(newLength));
  MarkChanged();
}

void PointList::Add(const NetworkPoint &point) {
  if (FillCount < 0)
    FillCount = 0;
  if (FillCount >= Count())
    Items.resize(static_cast<std::size_t>(FillCount) + 1);
  Items[static_cast<std::size_t>(FillCount)] = point;
  ++FillCount;
  MarkChanged();
}

void PointList::Append(const NetworkPoint &point) {
  Items.push_back(point);
  MarkChanged();
}

bool PointList::AddUnique(const NetworkPoint &point) {
  if (IndexOfNumber(point.Number) >= 0)
    return false;
  Append(point);
  return true;
}

void PointList::Delete(int index) {
  if (Count() <= 2 || index < 0 || index >= Count())
    return;
  Items.erase(Items.begin() + index);
  MarkChanged();
}

BoundingBox PointList::Extent() const {
  BoundingBox e;
  if (Items.empty())
    return e;
  const NetworkPoint &f = Items.front();
  e.MaxX = e.MinX = f.X;
  e.MaxY = e.MinY = f.Y;
  e.MaxZ = e.MinZ = f.Z;
  for (const NetworkPoint &p : Items) {
    if (p.X > e.MaxX) e.MaxX = p.X;
    if (p.Y > e.MaxY) e.MaxY = p.Y;
    if (p.Z > e.MaxZ) e.MaxZ = p.Z;
    if (p.X < e.MinX) e.MinX = p.X;
    if (p.Y < e.MinY) e.MinY = p.Y;
    if (p.Z < e.MinZ) e.MinZ = p.Z;
  }
  return e;
}

Vector3 PointList::Centre() const {
  BoundingBox e = Extent();
  return {(e.MaxX + e.MinX) / 2, (e.MaxY + e.MinY) / 2, (e.MaxZ + e.MinZ) / 2};
}

Vector3 PointList::DeltaXYZ(int i, int j) const {
  const NetworkPoint &a = Items[static_cast<std::size_t>(i)];
  const NetworkPoint &b = Items[static_cast<std::size_t>(j)];
  return {b.X - a.X, b.Y - a.Y, b.Z - a.Z};
}

long double PointList::HorizDist(int i, int j) const {
  Vector3 d = DeltaXYZ(i, j);
  return std::sqrt(d.X * d.X + d.Y * d.Y);
}

long double PointList::SlopeDist(int i, int j) const {
  Vector3 d = DeltaXYZ(i, j);
  return std::sqrt(d.X * d.X + d.Y * d.Y + d.Z * d.Z);
}

bool IsCommentLine(std::string_view line) {
  std::size_t i = 0;
  while (i < line.size() && (line[i] == ' ' || line[i] == '\t'))
    ++i;
  if (i >= line.size())
    return false;
  const char c = line[i];
  return c == '#' || c == ';' || c == '%' || c == '*' ||
         (c == '/' && i + 1 < line.size() && line[i + 1] == '/');
}

std::string SkippedLinesText(const SkippedLines &skipped) {
  std::string text;
  if (skipped.Unreadable > 0)
    text = std::to_string(skipped.Unreadable) +
           (skipped.Unreadable == 1 ? " line skipped, at line " : " lines skipped, first at line ") +
           std::to_string(skipped.FirstUnreadable);
  if (skipped.Comments > 0) {
    if (!text.empty())
      text += "; ";
    text += std::to_string(skipped.Comments) + (skipped.Comments == 1 ? " comment line" : " comment lines");
  }
  if (const std::string faults = NumberFaultsText(skipped); !faults.empty())
    text += "; " + faults;
  return text;
}

std::string NumberFaultsText(const SkippedLines &skipped) {
  std::string text = kd::NumberFaultText(skipped.FirstNumberFault, skipped.FirstNumberFaultLine);
  if (skipped.FirstDecimalCommaLine > 0 && skipped.FirstNumberFault != kd::NumberFault::DecimalComma)
    text += "; " + kd::NumberFaultText(kd::NumberFault::DecimalComma, skipped.FirstDecimalCommaLine);
  return text;
}

namespace {

// True for a line of blanks only.
bool IsBlankLine(std::string_view line) {
  return line.find_first_not_of(" \t") == std::string_view::npos;
}

// Shared body of the two coordinate readers: minValues is 6 for the full
// format (number, X, Y, Z, Sc, Svp and the f mark) and 4 for the simple one.
int LoadCoordinates(PointList &list, const std::string &fileName, bool full) {
  std::string bytes;
  list.LastLoadError = !kd::ReadFileBytes(fileName, bytes);
  list.LastLoadSkipped.Clear();
  if (list.LastLoadError) {
    list.Items.clear();
    list.FillCount = 0;
    list.FileName.clear();
    list.MarkChanged();
    list.MarkSaved();
    return 0;
  }
  // Only ASCII carries meaning, so the Windows-1250 bytes are scanned as
  // they are.
  std::vector<std::string> lines = kd::SplitLines(kd::WithoutUtf8Bom(bytes));
  bytes.clear();
  bytes.shrink_to_fit();
  list.Resize(static_cast<int>(lines.size()));
  list.ResetFill();
  CoordinateLineParser parser;
  const int minValues = full ? 6 : 4;
  int lineNumber = 0;
  for (const std::string &line : lines) {
    ++lineNumber;
    parser.Parse(line);
    // A malformed number among the values used makes the line unreadable;
    // one after them (in a note) does not matter.
    if (parser.Fault != kd::NumberFault::None && parser.FaultIndex < minValues) {
      if (IsCommentLine(line))
        ++list.LastLoadSkipped.Comments;
      else
        list.LastLoadSkipped.NoteNumberFault(lineNumber, parser.Fault);
      continue;
    }
    if (parser.ValueCount < minValues) {
      if (IsCommentLine(line))
        ++list.LastLoadSkipped.Comments;
      else if (!IsBlankLine(line))
        list.LastLoadSkipped.NoteUnreadable(lineNumber);
      continue;
    }
    NetworkPoint p;
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
  list.LoadedFileName = fileName;
  list.MarkChanged();
  list.MarkSaved();
  return list.Count();
}

} // namespace

int PointList::LoadFull(const std::string &fileName) { return LoadCoordinates(*this, fileName, true); }

int PointList::LoadSimple(const std::string &fileName) { return LoadCoordinates(*this, fileName, false); }

std::string PointList::FullFormatLine(const NetworkPoint &p) {
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

std::vector<std::string> PointList::FullFormatLines() const {
  std::vector<std::string> lines;
  lines.reserve(Items.size());
  for (const NetworkPoint &p : Items)
    lines.push_back(FullFormatLine(p));
  return lines;
}

bool KeepBackupOf(const std::string &fileName, std::string &backup) {
  backup = fileName + ".bak";
  std::string bytes;
  if (!kd::ReadFileBytes(fileName, bytes))
    return false;
  return kd::WriteFileAtomic(backup, bytes);
}

int PointList::Save() {
  LastBackup.clear();
  if (FileName.empty())
    return 0;
  // Lines the loader skipped exist only in the file: keep it before it is
  // replaced by the points alone.
  const bool keepBackup = FileName == LoadedFileName && LastLoadSkipped.Any();
  std::string backup;
  if (keepBackup && !KeepBackupOf(FileName, backup))
    return 0;
  if (!kd::WriteFileAtomic(FileName, kd::Utf8ToCp1250(kd::JoinLinesCrLf(FullFormatLines()))))
    return 0;
  if (keepBackup) {
    LastBackup = backup;
    LastLoadSkipped.Clear();
  }
  MarkSaved();
  return Count();
}

void PointNumberIndex::Build(const PointList &list) {
  NumberLookup.clear();
  NumberLookup.reserve(list.Items.size());
  for (std::size_t i = 0; i < list.Items.size(); ++i)
    NumberLookup.emplace(list.Items[i].Number + 0.0, static_cast<int>(i)); // keeps the first
}

int PointNumberIndex::IndexOf(double number) const {
  if (number != number)
    return -1; // NaN equals nothing
  auto it = NumberLookup.find(number + 0.0);
  return it == NumberLookup.end() ? -1 : it->second;
}
