#pragma once
// The point set: owns the point list and holds the Sc/Svp influence mode and
// the automatic-save flag. Its geometric operations give the observation
// values implied by the approximate coordinates.
#include "core/point_list.h"

#include <cstdint>
#include <stdexcept>
#include <string>

// Colours are 32-bit values, red in the low byte, then green, then blue.
// A top byte of 0xFF names a system colour.
constexpr std::uint32_t RgbColor(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  return static_cast<std::uint32_t>(r) | (static_cast<std::uint32_t>(g) << 8) |
         (static_cast<std::uint32_t>(b) << 16);
}
constexpr std::uint8_t ColorRed(std::uint32_t c) { return c & 0xFF; }
constexpr std::uint8_t ColorGreen(std::uint32_t c) { return (c >> 8) & 0xFF; }
constexpr std::uint8_t ColorBlue(std::uint32_t c) { return (c >> 16) & 0xFF; }

// Raised by the geometric operations for a point number that is not in the
// point list.
class MissingPointError : public std::runtime_error {
public:
  explicit MissingPointError(double number);
  double Number() const { return MissingNumber; }

private:
  double MissingNumber;
};

// Extended constants: the long double values nearest to pi and its multiples.
inline constexpr long double kPi = 3.14159265358979323846264338327950288L;
inline constexpr long double kHalfPi = kPi / 2;
inline constexpr long double kThreeHalfPi = 3 * kPi / 2;
inline constexpr long double kTwoPi = 2 * kPi;

class PointSet {
public:
  PointList List;

  // 0: Sc/Svp have no influence; 1: they enter every observation's standard
  // deviation; 2: they are added to the covariance matrix of the results.
  std::uint8_t ScSvpMode = 1;
  bool AutoSave = true;

  int PointCount() const { return List.Count(); }
  void SetAllFixed(bool fixed);
  void SetAllSc(double sc);
  void SetAllSvp(double svp);

  // Observation geometry between a station and a target given by point
  // number. A number not in the list raises MissingPointError. Distances in
  // metres, angles in radians. d runs from station to target.
  Vector3 CoordDelta(double station, double target) const;
  // sqrt of the sum of squares of components first..last (0 X, 1 Y, 2 Z).
  static long double ComponentNorm(const Vector3 &d, int first, int last);
  long double ObsHorizDist(double station, double target) const;
  long double ObsSlopeDist(double station, double target) const;
  long double ObsDeltaZ(double station, double target) const;
  long double ObsHeightDiff(double station, double target) const;
  // Bearing from +X towards +Y in [0, 2 pi); 0 with defined=false when dX
  // and dY are both 0.
  static long double BearingOf(const Vector3 &d, bool *defined = nullptr);
  long double ObsDirection(double station, double target, bool *defined = nullptr) const;
  // Angle from the upward vertical in [0, pi]; defined=false (and 0) when the
  // two points coincide in space.
  static long double ZenithOf(const Vector3 &d, bool *defined = nullptr);
  long double ObsZenith(double station, double target, bool *defined = nullptr) const;

  // While a lookup index is active the geometric operations find points
  // through it instead of scanning the list: build it for bulk work on a
  // list that does not change meanwhile, and drop it afterwards.
  void BuildLookupIndex();
  void DropLookupIndex();

private:
  const NetworkPoint &PointOf(double number) const;
  bool LookupIndexBuilt = false;
  PointNumberIndex NumberLookup;
};
