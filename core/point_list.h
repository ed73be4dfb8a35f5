#pragma once
// The network's points: an ordered list of point records with lookups by
// point number, a fill protocol for the loaders and a few geometric helpers.
#include "core/file_number.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// One point. Point numbers are floating-point values; two numbers are the
// same point only when exactly equal.
struct NetworkPoint {
  double Number = 0;
  long double X = 0; // m
  long double Y = 0; // m
  long double Z = 0; // m (height)
  bool Fixed = false; // true: datum point, not moved by the adjustment
  double Sc = 0;      // m, standard deviation of centring over the point
  double Svp = 0;     // m, standard deviation of the instrument/target height
};

// Three extended values (a position, a centre or a difference vector).
struct Vector3 {
  long double X = 0;
  long double Y = 0;
  long double Z = 0;
};

// Largest and smallest coordinates over a set of points.
struct BoundingBox {
  long double MaxX = 0, MaxY = 0, MaxZ = 0;
  long double MinX = 0, MinY = 0, MinZ = 0;
};

// What a loader could not read, for the user: lines that were neither a point
// nor blank. Comment lines (starting with '#', ';', '%', '*' or "//") are
// counted apart from the unreadable ones. Lines unreadable because of a
// malformed number (core/file_number.h) are among the unreadable ones; the
// first of them, and the first with a decimal comma, are named.
struct SkippedLines {
  int Unreadable = 0;
  int FirstUnreadable = 0; // 1-based line number, 0 when none
  int Comments = 0;
  kd::NumberFault FirstNumberFault = kd::NumberFault::None;
  int FirstNumberFaultLine = 0;
  int FirstDecimalCommaLine = 0;
  void Clear() { *this = SkippedLines(); }
  void NoteUnreadable(int line) {
    if (Unreadable++ == 0)
      FirstUnreadable = line;
  }
  void NoteNumberFault(int line, kd::NumberFault fault) {
    NoteUnreadable(line);
    if (FirstNumberFault == kd::NumberFault::None) {
      FirstNumberFault = fault;
      FirstNumberFaultLine = line;
    }
    if (fault == kd::NumberFault::DecimalComma && FirstDecimalCommaLine == 0)
      FirstDecimalCommaLine = line;
  }
  bool Any() const { return Unreadable > 0 || Comments > 0; }
};

// True for a line that is clearly a comment: its first non-blank text is
// '#', ';', '%', '*' or "//".
bool IsCommentLine(std::string_view line);

// Copies a file to fileName + ".bak" (replacing an older backup); `backup`
// receives that name. False when the file cannot be read or the copy written.
bool KeepBackupOf(const std::string &fileName, std::string &backup);

// The status text of a loader's skipped lines, e.g. "3 lines skipped, first
// at line 15; 2 comment lines" (English), followed by the malformed numbers
// ("; decimal comma at line 8: use a decimal point"); "" when nothing was
// skipped.
std::string SkippedLinesText(const SkippedLines &skipped);
// Only the malformed numbers of the skipped lines, e.g. "decimal comma at
// line 8: use a decimal point"; "" when there were none.
std::string NumberFaultsText(const SkippedLines &skipped);

// Change tracking shared by the point and measurement lists: a counter that
// every change of the list's content increases, and the counter's value when
// the list last matched its file (loaded or saved).
class ChangeTracker {
public:
  std::uint64_t ChangeCount() const { return Changes; }
  // Records a change made outside the list's own members (an edit of an
  // element in place).
  void MarkChanged() { ++Changes; }
  // True when the content changed since it was loaded or last saved.
  bool Modified() const { return Changes != SavedAt; }
  // The content now matches its file.
  void MarkSaved() { SavedAt = Changes; }

private:
  std::uint64_t Changes = 0;
  std::uint64_t SavedAt = 0;
};

class PointList : public ChangeTracker {
public:
  std::vector<NetworkPoint> Items; // file order, then later additions
  int FillCount = 0;            // next slot written by Add during a fill
  std::string FileName;         // file last loaded, or the Save-as name

  int Count() const { return static_cast<int>(Items.size()); }

  // False (and `point` untouched) for an index outside 0..Count-1.
  bool Get(int index, NetworkPoint &point) const;
  // First point whose Number equals `number` exactly.
  bool FindByNumber(double number, NetworkPoint &point) const;
  // Index of the first point with that number, -1 when there is none.
  int IndexOfNumber(double number) const;

  // Sets the length, keeping the leading points. Negative lengths ignored.
  void Resize(int newLength);
  // Fill protocol: Resize(expected); ResetFill(); Add(...)...; Resize(FillCount).
  void ResetFill() { FillCount = 0; }
  void Add(const NetworkPoint &point);
  // Puts the point last; FillCount is not changed.
  void Append(const NetworkPoint &point);
  // False and nothing changes when a point with that number exists.
  bool AddUnique(const NetworkPoint &point);
  // Removes one point; never shrinks the list below two points. Bad indices
  // change nothing.
  void Delete(int index);

  // Extent and centre (per axis (max+min)/2). An empty list gives zeros.
  BoundingBox Extent() const;
  Vector3 Centre() const;
  // Coordinates of point j minus those of point i. Indices are not checked:
  // callers pass indices from IndexOfNumber or a loop over the list.
  Vector3 DeltaXYZ(int i, int j) const;
  long double HorizDist(int i, int j) const;
  long double SlopeDist(int i, int j) const;

  // Coordinate files. Loaders return the number of points now in the list
  // (0 and an empty list, empty FileName, after a read error). Save writes
  // the full format to FileName and returns the number of points written, or
  // 0 when the file could not be written (the previous file is then left
  // exactly as it was).
  int LoadFull(const std::string &fileName);
  // True when the last LoadFull/LoadSimple could not read its file (as
  // opposed to a readable file without point lines).
  bool LastLoadError = false;
  int LoadSimple(const std::string &fileName);
  // Lines the last load could not read (or took as comments).
  SkippedLines LastLoadSkipped;
  // Writes the list to FileName. When that file is the one loaded and the
  // loader skipped lines of it, the previous file is first kept as
  // FileName + ".bak" (one generation), whose name is then in LastBackup;
  // LastBackup is "" after a save without a backup. A backup that cannot be
  // made stops the save (0), leaving the file as it was.
  int Save();
  std::string LastBackup;
  std::string LoadedFileName; // the file the last load read



  // The lines that Save writes (UTF-8 text, no line ends).
  std::vector<std::string> FullFormatLines() const;
  static std::string FullFormatLine(const NetworkPoint &point);
};

// A lookup table from point number to the index of the first point with that
// number, built once for bulk work (checking or writing large networks).
// It is a snapshot: rebuild it after the list changes.
class PointNumberIndex {
public:
  PointNumberIndex() = default;
  explicit PointNumberIndex(const PointList &list) { Build(list); }
  void Build(const PointList &list);
  // Same result as PointList::IndexOfNumber on the list it was built from.
  int IndexOf(double number) const;

private:
  std::unordered_map<double, int> NumberLookup;
};
