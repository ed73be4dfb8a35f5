#include "core/measurement_list.h"

#include "core/text_grid.h"
#include "core/number_text.h"
#include "core/text_file.h"
#include "settings/language_pack.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>

namespace {

const char *const kTypeTexts[9] = {"sd", "hd", "zu", "di", "vd", "\xC3\xBAhly", "v\xC5\xA1\x65", "pr", "gd"};

bool IsStoredType(std::uint8_t code) { return code <= mtVd || code == mtPr || code == mtGd; }

int PairIndexOfType(std::uint8_t code) {
  switch (code) {
  case mtSd: return pcSd;
  case mtHd: return pcHd;
  case mtZu: return pcZu;
  case mtDi: return pcDi;
  case mtVd: return pcVd;
  case mtPr: return pcPr;
  case mtGd: return pcGd;
  default: return -1;
  }
}

// Key of an unordered pair of point numbers; +0.0 folds -0 into 0 so that
// equal numbers give equal keys.
struct PairKey {
  double Lo, Hi;
  bool operator==(const PairKey &o) const { return Lo == o.Lo && Hi == o.Hi; }
};
struct PairKeyHash {
  std::size_t operator()(const PairKey &k) const {
    std::size_t h1 = std::hash<double>()(k.Lo), h2 = std::hash<double>()(k.Hi);
    return h1 ^ (h2 + 0x9e3779b97f4a7c15ULL + (h1 << 6) + (h1 >> 2));
  }
};
PairKey MakePairKey(double a, double b) {
  a += 0.0;
  b += 0.0;
  return a < b ? PairKey{a, b} : PairKey{b, a};
}

} // namespace

void MeasurementList::AddMeasurement(std::uint8_t type, double stdDev, double target, double station) {
  if (station == target)
    return;
  auto append = [&](std::uint8_t code) {
    Measurement m;
    m.Station = station;
    m.Target = target;
    m.MeasType = code;
    m.StdDev = stdDev;
    Items.push_back(m);
    MarkChanged();
  };
  if (type == mtAngles) {
    append(mtZu);
    append(mtDi);
  } else if (type == mtAll) {
    append(mtZu);
    append(mtDi);
    append(mtSd);
  } else if (IsStoredType(type)) {
    append(type);
  }
}

void MeasurementList::Delete(int index) {
  if (index < 0 || index >= Count())
    return;
  Items.erase(Items.begin() + index);
  MarkChanged();
}

void MeasurementList::Sort() {
  if (Items.size() <= 2)
    return;
  std::stable_sort(Items.begin(), Items.end(),
                   [](const Measurement &a, const Measurement &b) { return a.Station < b.Station; });
}

std::string MeasurementList::TypeName(std::uint8_t code) {
  if (!IsStoredType(code))
    return std::string();
  return kTypeTexts[code];
}

std::uint8_t MeasurementList::TypeCodeOf(std::string_view text) {
  for (std::uint8_t c = 0; c < 9; ++c)
    if (text == kTypeTexts[c])
      return c;
  return mtSd;
}

bool MeasurementList::IsFileTypeCode(std::string_view text) {
  for (std::uint8_t c = 0; c < 9; ++c)
    if (IsStoredType(c) && text == kTypeTexts[c])
      return true;
  return false;
}

const std::vector<std::string> &MeasurementList::DialogTypeTexts() {
  static const std::vector<std::string> texts(std::begin(kTypeTexts), std::end(kTypeTexts));
  return texts;
}

void MeasurementList::FillGrid(TextGrid &grid) const {
  grid.Rows.clear();
  grid.FixedRows = 0;
  grid.Resize(1, 4);
  grid.SetCell(0, 0, Lang().Text(101));
  grid.SetCell(0, 1, Lang().Text(49));
  grid.SetCell(0, 2, Lang().Text(50));
  grid.SetCell(0, 3, Lang().Text(51));
  if (Items.empty())
    return;
  grid.Resize(Count() + 1, 4);
  grid.FixedRows = 1;
  for (int i = 0; i < Count(); ++i) {
    const Measurement &m = Items[static_cast<std::size_t>(i)];
    auto &row = grid.Rows[static_cast<std::size_t>(i) + 1];
    row[0] = TypeName(m.MeasType);
    row[1] = NumToTextFixed(m.Station, 8, 2);
    row[2] = NumToTextFixed(m.Target, 8, 2);
    row[3] = NumToTextFixed(m.StdDev, 3, 5);
  }
}

void MeasurementList::BuildPairs() {
  // A hash of the pairs already met keeps this linear for large networks;
  // the result is the same as looking every measurement up with FindPair.
  std::unordered_map<PairKey, int, PairKeyHash> index;
  index.reserve(Pairs.size() + Items.size());
  for (std::size_t i = 0; i < Pairs.size(); ++i)
    index.emplace(MakePairKey(Pairs[i].PointA, Pairs[i].PointB), static_cast<int>(i));
  for (const Measurement &m : Items) {
    int slot = PairIndexOfType(m.MeasType);
    int p;
    if (m.Station != m.Station || m.Target != m.Target) {
      p = -1; // NaN numbers never match a pair
    } else {
      auto it = index.find(MakePairKey(m.Station, m.Target));
      p = it == index.end() ? -1 : it->second;
    }
    if (p < 0) {
      MeasuredPair pc;
      pc.PointA = m.Station;
      pc.PointB = m.Target;
      Pairs.push_back(pc);
      p = static_cast<int>(Pairs.size()) - 1;
      if (m.Station == m.Station && m.Target == m.Target)
        index.emplace(MakePairKey(m.Station, m.Target), p);
    }
    if (slot >= 0)
      ++Pairs[static_cast<std::size_t>(p)].Counts[slot];
  }
}

int MeasurementList::FindPair(double a, double b) const {
  for (std::size_t i = 0; i < Pairs.size(); ++i) {
    const MeasuredPair &p = Pairs[i];
    if ((p.PointA == a && p.PointB == b) || (p.PointA == b && p.PointB == a))
      return static_cast<int>(i);
  }
  return -1;
}

std::string MeasurementList::PairLabel(const MeasuredPair &pair) {
  static const struct {
    int Slot;
    const char *Text;
  } order[] = {{pcSd, "sd"}, {pcHd, "hd"}, {pcZu, "ze"}, {pcDi, "di"}, {pcVd, "vd"}, {pcGd, "gd"}, {pcPr, "pr"}};
  std::string label;
  for (const auto &o : order)
    if (pair.Counts[o.Slot] > 0)
      label += std::to_string(pair.Counts[o.Slot]) + o.Text;
  return label;
}

void MeasurementList::BuildIndexLists() {
  OrdinaryIdx.clear();
  SpecialIdx.clear();
  for (int i = 0; i < Count(); ++i) {
    std::uint8_t t = Items[static_cast<std::size_t>(i)].MeasType;
    if (t == mtPr || t == mtGd)
      SpecialIdx.push_back(i);
    else
      OrdinaryIdx.push_back(i);
  }
}

std::string MeasurementList::FileLine(const Measurement &m) {
  std::string line = TypeName(m.MeasType);
  line += ' ';
  line += NumToTextFixed(m.Station, 10, 2);
  line += ' ';
  line += NumToTextFixed(m.Target, 10, 2);
  line += ' ';
  line += NumToTextFixed(m.StdDev, 10, 5);
  line += ' ';
  for (char &c : line)
    if (c == ',')
      c = '.';
  return line;
}

int MeasurementList::SaveToFile(const std::string &fileName) {
  LastBackup.clear();
  // Lines the loader skipped exist only in the file: keep it before it is
  // replaced by the measurements alone.
  const bool keepBackup = fileName == LoadedFileName && LastLoadSkipped.Any();
  std::string backup;
  if (keepBackup && !KeepBackupOf(fileName, backup))
    return 0;
  std::string text;
  text.reserve(Items.size() * 32);
  for (const Measurement &m : Items) {
    text += FileLine(m);
    text += "\r\n";
  }
  if (!kd::WriteFileAtomic(fileName, kd::Utf8ToCp1250(text)))
    return 0;
  FileName = fileName;
  if (keepBackup) {
    LastBackup = backup;
    LastLoadSkipped.Clear();
  }
  MarkSaved();
  return Count();
}

namespace {

// Free-format reading of a measurement file: a cursor over the bytes that
// knows line ends (CR LF, LF or a lone CR) and the current line number.
class FieldReader {
public:
  explicit FieldReader(std::string_view text) : TextValue(text) {}

  bool AtEnd() const { return Position >= TextValue.size(); }
  int Line() const { return LineNumber; }
  // The current line from the cursor to its end (without the line end).
  std::string_view RestOfLine() const {
    std::size_t end = Position;
    while (end < TextValue.size() && !IsLineEnd(TextValue[end]))
      ++end;
    return TextValue.substr(Position, end - Position);
  }

  // Up to two characters of the current line.
  std::string_view ReadCode() {
    std::size_t start = Position;
    while (Position < TextValue.size() && Position - start < 2 && !IsLineEnd(TextValue[Position]))
      ++Position;
    return TextValue.substr(start, Position - start);
  }

  // Moves past the rest of the current line and its line end.
  void SkipLine() {
    while (Position < TextValue.size() && !IsLineEnd(TextValue[Position]))
      ++Position;
    SkipOneLineEnd();
  }

  // Reads one number, skipping blanks and line ends before it. A number due
  // when nothing but blanks and line ends is left reads as 0. Otherwise the
  // next text must be a plain number (core/file_number.h): the fault when
  // it is not.
  kd::NumberFault ReadNumber(long double &value) {
    while (Position < TextValue.size()) {
      char c = TextValue[Position];
      if (c == ' ' || c == '\t')
        ++Position;
      else if (IsLineEnd(c))
        SkipOneLineEnd();
      else
        break;
    }
    if (AtEnd()) {
      value = 0;
      return kd::NumberFault::None;
    }
    std::size_t start = Position;
    while (Position < TextValue.size() && TextValue[Position] != ' ' && TextValue[Position] != '\t' && !IsLineEnd(TextValue[Position]))
      ++Position;
    return kd::ReadFileNumber(TextValue.substr(start, Position - start), value);
  }

private:
  static bool IsLineEnd(char c) { return c == '\r' || c == '\n'; }
  void SkipOneLineEnd() {
    if (Position >= TextValue.size())
      return;
    if (TextValue[Position] == '\r' && Position + 1 < TextValue.size() && TextValue[Position + 1] == '\n')
      Position += 2;
    else
      ++Position;
    ++LineNumber;
  }

  std::string_view TextValue;
  std::size_t Position = 0;
  int LineNumber = 1;
};

} // namespace

int MeasurementList::LoadFromFile(const std::string &fileName) {
  LoadErrorLine = 0;
  LoadErrorFault = kd::NumberFault::None;
  std::string bytes;
  if (!kd::ReadFileBytes(fileName, bytes)) {
    LoadResult = lfCannotRead;
    return 0;
  }
  LoadResult = lfOk;
  Items.clear();
  MarkChanged();
  LastLoadSkipped.Clear();
  LastLoadSameStationTarget = 0;
  LastLoadNonPositive.clear();
  // Only ASCII carries meaning; the type codes are ASCII, so the Windows-1250
  // bytes are read as they are.
  FieldReader reader(kd::WithoutUtf8Bom(bytes));
  while (!reader.AtEnd()) {
    const int line = reader.Line();
    const std::string_view rest = reader.RestOfLine();
    std::string_view code = reader.ReadCode();
    if (!IsFileTypeCode(code)) {
      if (IsCommentLine(rest))
        ++LastLoadSkipped.Comments;
      else if (rest.find_first_not_of(" \t") != std::string_view::npos)
        LastLoadSkipped.NoteUnreadable(line);
      reader.SkipLine();
      continue;
    }
    long double values[3];
    for (long double &v : values) {
      if (const kd::NumberFault fault = reader.ReadNumber(v); fault != kd::NumberFault::None) {
        LoadResult = lfFormatError;
        LoadErrorLine = reader.Line();
        LoadErrorFault = fault;
        return 0;
      }
    }
    reader.SkipLine();
    const double station = static_cast<double>(values[0]);
    const double target = static_cast<double>(values[1]);
    const double stdDev = static_cast<double>(values[2]);
    const std::uint8_t type = TypeCodeOf(code);
    if (station == target) {
      ++LastLoadSameStationTarget;
      continue;
    }
    if (!(stdDev > 0))
      LastLoadNonPositive.push_back({line, station, target, type, stdDev});
    AddMeasurement(type, stdDev, target, station);
  }
  FileName = fileName;
  LoadedFileName = fileName;
  MarkSaved();
  return Count();
}
