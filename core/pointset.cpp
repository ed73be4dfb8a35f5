#include "core/pointset.h"

#include "core/numtext.h"

#include <cmath>

EMissingPoint::EMissingPoint(double number)
    : std::runtime_error("point " + NumToText(number) + " is not in the point list"), FNumber(number) {}

void TPoints::SetAllFixed(bool fixed) {
  for (TNetPoint &p : List.Items)
    p.Fixed = fixed;
}

void TPoints::SetAllSc(double sc) {
  for (TNetPoint &p : List.Items)
    p.Sc = sc;
}

void TPoints::SetAllSvp(double svp) {
  for (TNetPoint &p : List.Items)
    p.Svp = svp;
}

void TPoints::BuildLookupIndex() {
  FIndex.Build(List);
  FIndexed = true;
}

void TPoints::DropLookupIndex() {
  FIndexed = false;
  FIndex = TNumberIndex();
}

const TNetPoint &TPoints::PointOf(double number) const {
  int i = FIndexed ? FIndex.IndexOf(number) : List.IndexOfNumber(number);
  if (i < 0 || i >= List.Count())
    throw EMissingPoint(number);
  return List.Items[static_cast<std::size_t>(i)];
}

TXYZ TPoints::CoordDelta(double station, double target) const {
  const TNetPoint &s = PointOf(station);
  const TNetPoint &t = PointOf(target);
  return {t.X - s.X, t.Y - s.Y, t.Z - s.Z};
}

long double TPoints::ComponentNorm(const TXYZ &d, int first, int last) {
  const long double c[3] = {d.X, d.Y, d.Z};
  long double sum = 0;
  for (int k = first < 0 ? 0 : first; k <= last && k < 3; ++k)
    sum += c[k] * c[k];
  return std::sqrt(sum);
}

long double TPoints::ObsHorizDist(double station, double target) const {
  return ComponentNorm(CoordDelta(station, target), 0, 1);
}

long double TPoints::ObsSlopeDist(double station, double target) const {
  return ComponentNorm(CoordDelta(station, target), 0, 2);
}

long double TPoints::ObsDeltaZ(double station, double target) const { return CoordDelta(station, target).Z; }

long double TPoints::ObsHeightDiff(double station, double target) const {
  return PointOf(target).Z - PointOf(station).Z;
}

long double TPoints::BearingOf(const TXYZ &d, bool *defined) {
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

long double TPoints::ObsDirection(double station, double target, bool *defined) const {
  return BearingOf(CoordDelta(station, target), defined);
}

long double TPoints::ZenithOf(const TXYZ &d, bool *defined) {
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

long double TPoints::ObsZenith(double station, double target, bool *defined) const {
  return ZenithOf(CoordDelta(station, target), defined);
}
