#include "precision/observation_sigma.h"

#include <cmath>
#include <new>

long double RadToGon(long double rad) { return rad * 200.0L / kPi; }
long double GonToRad(long double gon) { return kPi * gon / 200.0L; }

bool ObsGeometryOf(const SurveyNetwork &net, int pos, ObservationGeometry &g,
                   const PointNumberIndex *index) {
  const MeasurementList &m = net.Measurements;
  if (pos < 0 || pos >= m.Count())
    return false;
  const Measurement &meas = m.Items[static_cast<std::size_t>(pos)];
  const PointList &list = net.Points.List;
  const int si = index ? index->IndexOf(meas.Station) : list.IndexOfNumber(meas.Station);
  const int ti = index ? index->IndexOf(meas.Target) : list.IndexOfNumber(meas.Target);
  if (si < 0 || ti < 0 || si >= list.Count() || ti >= list.Count())
    return false;
  const NetworkPoint &s = list.Items[static_cast<std::size_t>(si)];
  const NetworkPoint &t = list.Items[static_cast<std::size_t>(ti)];
  g.D = {t.X - s.X, t.Y - s.Y, t.Z - s.Z};
  g.Hd = PointSet::ComponentNorm(g.D, 0, 1);
  g.Sd = PointSet::ComponentNorm(g.D, 0, 2);
  g.Dh = t.Z - s.Z;
  g.ScStation = s.Sc;
  g.SvpStation = s.Svp;
  g.ScTarget = t.Sc;
  g.SvpTarget = t.Svp;
  return true;
}

const char *UndefinedGeometryReason(std::uint8_t type, const ObservationGeometry &g) {
  const bool samePlan = g.D.X == 0 && g.D.Y == 0;
  const bool samePlace = samePlan && g.D.Z == 0;
  switch (type) {
  case mtSd:
    return samePlace ? "slope distance between points at the same place" : nullptr;
  case mtHd:
    return samePlan ? "horizontal distance between points at the same plan position"
                    : nullptr;
  case mtDi:
    return samePlan ? "direction between points at the same plan position" : nullptr;
  case mtGd:
    return samePlan ? "gyro direction between points at the same plan position"
                    : nullptr;
  case mtZu:
    // A vertical sight has a value (0 or 200 gon) but no defined sensitivity
    // to a horizontal shift of either point, so the engine cannot use it.
    if (samePlace)
      return "zenith angle between points at the same place";
    return samePlan ? "zenith angle on a vertical sight" : nullptr;
  case mtVd:
  case mtPr:
    return nullptr;
  default:
    return "unknown measurement type";
  }
}

long double SigmaHorizDistOf(long double sigma, const ObservationGeometry &g) {
  const long double sct = g.ScTarget, scs = g.ScStation;
  return std::sqrt(sigma * sigma + sct * sct + scs * scs);
}

long double SigmaSlopeDistOf(long double sigma, const ObservationGeometry &g) {
  // Centring projects on the line of sight with hd/sd, the height error
  // with dh/sd.
  auto e = [&g](long double sc, long double svp) {
    const long double a = g.Hd / g.Sd * sc;
    const long double b = g.Dh / g.Sd * svp;
    return std::sqrt(a * a + b * b);
  };
  const long double et = e(g.ScTarget, g.SvpTarget);
  const long double es = e(g.ScStation, g.SvpStation);
  return std::sqrt(sigma * sigma + et * et + es * es);
}

long double SigmaDirectionOf(long double sigma, const ObservationGeometry &g) {
  const long double sr = GonToRad(sigma);
  const long double cs = g.ScStation / g.Hd;
  const long double ct = g.ScTarget / g.Hd;
  return std::sqrt(sr * sr + cs * cs + ct * ct);
}

long double SigmaZenithOf(long double sigma, const ObservationGeometry &g) {
  const long double sr = GonToRad(sigma);
  const long double sd2 = g.Sd * g.Sd;
  const long double gc = g.Dh / sd2;                           // horizontal shift
  const long double kc = (1.0L / g.Hd) * (1.0L - g.Dh * g.Dh / sd2); // height error
  auto f = [gc, kc](long double sc, long double svp) {
    const long double a = gc * sc;
    const long double b = kc * svp;
    return std::sqrt(a * a + b * b);
  };
  const long double ft = f(g.ScTarget, g.SvpTarget);
  const long double fs = f(g.ScStation, g.SvpStation);
  return std::sqrt(sr * sr + ft * ft + fs * fs);
}

namespace {

using SigmaFormula = long double (*)(long double, const ObservationGeometry &);

std::optional<long double> SigmaAt(const SurveyNetwork &net, int pos,
                                   std::uint8_t type, SigmaFormula formula) {
  ObservationGeometry g;
  if (!ObsGeometryOf(net, pos, g))
    return std::nullopt;
  if (UndefinedGeometryReason(type, g))
    return std::nullopt;
  const long double s =
      formula(net.Measurements.Items[static_cast<std::size_t>(pos)].StdDev, g);
  if (!std::isfinite(s))
    return std::nullopt;
  return s;
}

} // namespace

std::optional<long double> SigmaHorizDist(const SurveyNetwork &net, int pos) {
  return SigmaAt(net, pos, mtHd, SigmaHorizDistOf);
}
std::optional<long double> SigmaSlopeDist(const SurveyNetwork &net, int pos) {
  return SigmaAt(net, pos, mtSd, SigmaSlopeDistOf);
}
std::optional<long double> SigmaDirection(const SurveyNetwork &net, int pos) {
  return SigmaAt(net, pos, mtDi, SigmaDirectionOf);
}
std::optional<long double> SigmaZenith(const SurveyNetwork &net, int pos) {
  return SigmaAt(net, pos, mtZu, SigmaZenithOf);
}

bool ComputeObservations(SurveyNetwork &net) {
  net.LastWriteFailure = FailedMeasurement();
  PointNumberIndex index;
  try {
    index.Build(net.Points.List);
  } catch (const std::bad_alloc &) {
    net.LastWriteFailure.Reason = "out of memory";
    return false;
  }
  const bool mode1 = net.Points.ScSvpMode == ScSvpMode::PerMeasurement;

  for (int i = 0; i < net.Measurements.Count(); ++i) {
    Measurement &m = net.Measurements.Items[static_cast<std::size_t>(i)];
    auto fail = [&net, i, &m](const std::string &reason) {
      net.LastWriteFailure.Valid = true;
      net.LastWriteFailure.Index = i;
      net.LastWriteFailure.Station = m.Station;
      net.LastWriteFailure.Target = m.Target;
      net.LastWriteFailure.MeasType = m.MeasType;
      net.LastWriteFailure.Reason = reason;
      return false;
    };

    ObservationGeometry g;
    if (!ObsGeometryOf(net, i, g, &index))
      return fail(index.IndexOf(m.Station) < 0 ? "station point missing"
                                               : "target point missing");
    if (const char *why = UndefinedGeometryReason(m.MeasType, g))
      return fail(why);

    const long double sigma = m.StdDev;
    long double value = 0;
    long double engineSd = 0;
    switch (m.MeasType) {
    case mtSd:
      value = g.Sd;
      engineSd = kMetresToMm * (mode1 ? SigmaSlopeDistOf(sigma, g) : sigma);
      break;
    case mtHd:
      value = g.Hd;
      engineSd = kMetresToMm * (mode1 ? SigmaHorizDistOf(sigma, g) : sigma);
      break;
    case mtZu:
      value = RadToGon(PointSet::ZenithOf(g.D));
      engineSd = mode1 ? RadToGon(SigmaZenithOf(sigma, g)) * kGonToCc : kGonToCc * sigma;
      break;
    case mtDi:
    case mtGd:
      value = RadToGon(PointSet::BearingOf(g.D));
      engineSd = mode1 ? RadToGon(SigmaDirectionOf(sigma, g)) * kGonToCc : kGonToCc * sigma;
      break;
    default: // mtVd, mtPr: never augmented
      value = g.D.Z;
      engineSd = kMetresToMm * sigma;
      break;
    }
    m.Value = value;
    m.EngineStdDev = static_cast<double>(engineSd);
    if (!std::isfinite(value))
      return fail("value is not a finite number");
    if (!std::isfinite(m.EngineStdDev))
      return fail("standard deviation is not a finite number");
    // A standard deviation of zero would give the observation an infinite
    // weight; a negative one means nothing.
    if (!(m.EngineStdDev > 0))
      return fail("standard deviation is not positive");
  }
  return true;
}
