#pragma once
// The planned measurements of the network, with per-pair statistics for the
// measurement plan and index lists for the engine input writer.
#include "core/point_list.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class TextGrid;

// Measurement type codes. 5 and 6 are pseudo-types that exist only when
// measurements are added: they expand into several records.
enum MeasurementType : std::uint8_t {
  mtSd = 0,     // slope distance
  mtHd = 1,     // horizontal distance
  mtZu = 2,     // zenith angle
  mtDi = 3,     // horizontal direction
  mtVd = 4,     // height difference
  mtAngles = 5, // zu and di
  mtAll = 6,    // zu, di and sd
  mtPr = 7,     // plumbing (position transfer along the vertical)
  mtGd = 8,     // gyro direction
};

struct Measurement {
  double Station = 0;      // point number of the instrument's point
  double Target = 0;       // point number of the target
  std::uint8_t MeasType = 0;
  double StdDev = 0;       // a-priori: m for sd, hd, vd, pr; gon for zu, di, gd
  long double Value = 0;   // computed from the coordinates before a run
  double EngineStdDev = 0; // mm or cc, computed before a run
};

// An unrounded pixel position on the measurement plan.
struct PixelPosition {
  long double x = 0;
  long double y = 0;
};

// Index of each type's count in MeasuredPair::Counts.
enum PairCountSlot { pcSd = 0, pcHd, pcZu, pcDi, pcVd, pcPr, pcGd, pcCount };

// Statistics of one unordered pair of points that has measurements.
struct MeasuredPair {
  double PointA = 0; // station of the first measurement seen for the pair
  double PointB = 0; // its target
  int Counts[pcCount] = {0, 0, 0, 0, 0, 0, 0}; // sd, hd, zu, di, vd, pr, gd
  PixelPosition PixelA;  // filled by the plan drawing
  PixelPosition PixelB;
};

class MeasurementList : public ChangeTracker {
public:
  std::vector<Measurement> Items;
  std::vector<MeasuredPair> Pairs;
  std::string FileName;
  std::vector<int> OrdinaryIdx; // indices of sd, hd, zu, di, vd
  std::vector<int> SpecialIdx;  // indices of pr and gd

  int Count() const { return static_cast<int>(Items.size()); }

  // Appends one record, or for the pseudo-types 5 (zu, di) and 6 (zu, di,
  // sd) several, all with the same standard deviation. Nothing is added when
  // station equals target, or for a code that is no type.
  void AddMeasurement(std::uint8_t type, double stdDev, double target, double station);
  // Removes one record; bad indices change nothing.
  void Delete(int index);
  // Ascending by Station; equal stations keep their relative order. Lists
  // of two or fewer measurements are left as they are.
  void Sort();

  // "sd", "hd", "zu", "di", "vd", "pr", "gd"; empty for 5, 6 and other codes.
  static std::string TypeName(std::uint8_t code);
  // Code of one of the nine type texts ("úhly" and "vše" in UTF-8); any
  // other text gives 0 (sd).
  static std::uint8_t TypeCodeOf(std::string_view text);
  // True for the seven texts allowed in files (exact, case-sensitive).
  static bool IsFileTypeCode(std::string_view text);
  // The nine texts of the add-measurement list, in code order 0..8 (UTF-8).
  static const std::vector<std::string> &DialogTypeTexts();

  // Shows the list in a four-column grid: header row (type, station,
  // target, precision) and one row per measurement, row i+1 = measurement i.
  void FillGrid(TextGrid &grid) const;

  void ClearPairs() { Pairs.clear(); }
  // Counts every measurement into Pairs (appending new pairs as met).
  void BuildPairs();
  // First pair holding the two points in either order, -1 when none.
  int FindPair(double a, double b) const;
  int PairCount() const { return static_cast<int>(Pairs.size()); }
  // Label of a pair line, e.g. "1sd2ze" (order sd, hd, ze, di, vd, gd, pr).
  static std::string PairLabel(const MeasuredPair &pair);

  void BuildIndexLists();
  int OrdinaryCount() const { return static_cast<int>(OrdinaryIdx.size()); }
  int SpecialCount() const { return static_cast<int>(SpecialIdx.size()); }

  // Measurement files. LoadFromFile returns the count after the read, or 0
  // after an open/read/format error (the list then keeps what was read before
  // the faulty line when the file could be opened, or its previous content
  // when it could not). SaveToFile returns the count written, or 0 when the
  // file could not be written (the previous file is then left as it was).
  int LoadFromFile(const std::string &fileName);
  int SaveToFile(const std::string &fileName);

  // Outcome of the last LoadFromFile: lfOk, or why it stopped. For a format
  // error, LoadErrorLine is the 1-based line where the bad field stands.
  enum LoadStatus { lfOk = 0, lfCannotRead, lfFormatError };
  LoadStatus LoadResult = lfOk;
  int LoadErrorLine = 0;
  // For a format error: what is wrong with the number (core/file_number.h).
  kd::NumberFault LoadErrorFault = kd::NumberFault::None;
  // Lines of the last load that hold no measurement: an unknown type code
  // (upper case included) or a comment.
  SkippedLines LastLoadSkipped;
  // Measurements of the last load dropped because station equals target.
  int LastLoadSameStationTarget = 0;
  // A measurement of the last load whose standard deviation in the file is
  // zero or negative (a final line without its value reads as 0).
  struct NonPositiveStdDev {
    int Line = 0; // 1-based line of its type code
    double Station = 0, Target = 0;
    std::uint8_t MeasType = 0;
    double StdDev = 0;
  };
  std::vector<NonPositiveStdDev> LastLoadNonPositive;
  std::string LoadedFileName; // the file the last load read
  // After a SaveToFile over the loaded file from which lines were skipped:
  // the name of the copy of the previous file (fileName + ".bak"); else "".
  std::string LastBackup;

  // The line SaveToFile writes for one measurement (no line end).
  static std::string FileLine(const Measurement &m);
};
