#include "core/point_set.h"

#include "core/number_text.h"

#include <cmath>

MissingPointError::MissingPointError(double number)
    : std::runtime_error("point " + NumToText(number) + " is not in the point list"), MissingNumber(number) {}

void PointSet::SetAllFixed(bool fixed) {
  for (NetworkPoint &p : List.Items)
    p.Fixed = fixed;
  List.MarkChanged();
}

void PointSet::SetAllSc(double sc) {
  for (NetworkPoint &p : List.Items)
    p.Sc = sc;
  List.MarkChanged();
}

void PointSet::SetAllSvp(double svp) {
  for (NetworkPoint &p : List.Items)
    p.Svp = svp;
  List.MarkChanged();
}

void PointSet::BuildLookupIndex() {
  NumberLookup.Build(List);
  LookupIndexBuilt = true;
}

void PointSet::DropLookupIndex() {
  LookupIndexBuilt = false;
  NumberLookup = PointNumberIndex();
}

const NetworkPoint &PointSet::PointOf(double number) const {
  int i = LookupIndexBuilt ? NumberLookup.IndexOf(number) : List.IndexOfNumber(number);
  if (i < 0 || i >= List.Count())
    throw MissingPointError(number);
  return List.Items[static_cast<std::size_t>(i)];
}

Vector3 PointSet::CoordDelta(double station, double target) const {
  const NetworkPoint &s = PointOf(station);
  const NetworkPoint &t = PointOf(target);
  return {t.X - s.X, t.Y - s.Y, t.Z - s.Z};
}

long double PointSet::ComponentNorm(const Vector3 &d, int first, int last) {
  const long double c[3] = {d.X, d.Y, d.Z};
  long double sum = 0;
  for (int k = first < 0 ? 0 : first; k <= last && k < 3; ++k)
    sum += c[k] * c[k];
  return std::sqrt(sum);
}

long double PointSet::ObsHorizDist(double station, double target) const {
  return ComponentNorm(CoordDelta(station, target), 0, 1);
}

long double PointSet::ObsSlopeDist(double station, double target) const {
  return ComponentNorm(CoordDelta(station, target), 0, 2);
}

long double PointSet::ObsDeltaZ(double station, double target) const { return CoordDelta(station, target).Z; }

long double PointSet::ObsHeightDiff(double station, double target) const {
  return PointOf(target).Z - PointOf(station).Z;
}

long double PointSet::BearingOf(const Vector3 &d, bool *defined) {
  if (defined)
    *defined = true;
  if (d.X == 0 && d.Y == 0) {
    if (defined)
      *defined = false;
    return 0;
  }
  if (d.X == 0)
    return d.Y > 0 ? kHalfPi : kThreeHalfPi;
  long double r = std::atan2(d.Y, d.X);
  if (r < 0)
    r += kTwoPi;
  return r;
}

long double PointSet::ObsDirection(double station, double target, bool *defined) const {
  return BearingOf(CoordDelta(station, target), defined);
}

long double PointSet::ZenithOf(const Vector3 &d, bool *defined) {
  long double s = std::sqrt(d.X * d.X + d.Y * d.Y + d.Z * d.Z);
  if (!(s > 0)) {
    if (defined)
      *defined = false;
    return 0;
  }
  if (defined)
    *defined = true;
  long double q = d.Z / s;
  long double r = 1 - q * q;
  return std::atan2(std::sqrt(r < 0 ? 0 : r), q);
}

long double PointSet::ObsZenith(double station, double target, bool *defined) const {
  return ZenithOf(CoordDelta(station, target), defined);
}
