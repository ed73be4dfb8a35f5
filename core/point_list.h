#pragma once
// The network's points: an ordered list of point records with lookups by
// point number, a fill protocol for the loaders and a few geometric helpers.
#include <string>
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

class PointList {
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
  int Save();

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
