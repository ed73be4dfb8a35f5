#include "evaluation/report_data.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <limits>
#include <numbers>

#include "analysis/error_ellipsoid.h"
#include "core/number_text.h"
#include "core/survey_network.h"
#include "core/version.h"
#include "evaluation/results_reader.h"

namespace {

constexpr long double kPiL = std::numbers::pi_v<long double>;
constexpr long double kNaN = std::numeric_limits<long double>::quiet_NaN();

long double ToGon(long double radians) { return radians * 200.0L / kPiL; }

// Reduces a bearing to [0, 400) gon.
long double Full(long double gon) {
  long double g = std::fmod(gon, 400.0L);
  if (g < 0)
    g += 400.0L;
  return g >= 400.0L ? 0.0L : g;
}

// The engine element name of a measurement type (plumbing: its parts).
const char *ElementOf(std::uint8_t type) {
  switch (type) {
  case mtSd:
    return "s-distance";
  case mtHd:
    return "distance";
  case mtZu:
    return "z-angle";
  case mtDi:
  case mtGd:
    return "direction";
  case mtVd:
    return "dh";
  default:
    return "";
  }
}

// Sideways shift (mm) at the target of an angle's MDB (cc) over the
// distance between the points: horizontal for a direction, slope for a
// zenith angle.
long double MdbShift(const ObservationReliability &o, const PointList &points) {
  if (!std::isfinite(o.Mdb) || (o.Type != "direction" && o.Type != "z-angle"))
    return kNaN;
  const int s = points.IndexOfNumber(o.From), t = points.IndexOfNumber(o.To);
  if (s < 0 || t < 0)
    return kNaN;
  const NetworkPoint &a = points.Items[static_cast<std::size_t>(s)];
  const NetworkPoint &b = points.Items[static_cast<std::size_t>(t)];
  const long double dx = b.X - a.X, dy = b.Y - a.Y, dz = b.Z - a.Z;
  const long double d = o.Type == "direction" ? std::sqrt(dx * dx + dy * dy)
                                               : std::sqrt(dx * dx + dy * dy + dz * dz);
  return o.Mdb * 1e-4L * kPiL / 200.0L * d * 1000.0L;
}

bool SamePair(const ReportPair &a, const ReportPair &b) {
  return (a.From == b.From && a.To == b.To) || (a.From == b.To && a.To == b.From);
}

// Whether request `q` adds nothing to line `l` but what it can take over.
bool Mergeable(const ReportPair &l, const ReportPair &q) {
  if (!SamePair(l, q))
    return false;
  if (q.Kind >= 0 && l.Kind >= 0 && q.Kind != l.Kind)
    return false;
  if (q.HasBearing && l.HasBearing && q.BearingGon != l.BearingGon)
    return false;
  return true;
}

bool IsFixed(const PointList &points, double number) {
  const int i = points.IndexOfNumber(number);
  return i >= 0 && points.Items[static_cast<std::size_t>(i)].Fixed;
}

} // namespace

const char *InputSigmaUnit(std::uint8_t type) {
  return (type == mtZu || type == mtDi || type == mtGd) ? "gon" : "m";
}

const char *EngineSigmaUnit(const std::string &elementName) {
  return (elementName == "direction" || elementName == "z-angle") ? "cc" : "mm";
}

std::vector<ReportPointRow> PointRowsOf(const NetworkPrecision &precision, ConfidenceLevel level) {
  const long double k2 = EllipseFactor(level), k1 = LinearFactor(level), k3 = EllipsoidFactor(level);
  std::vector<ReportPointRow> rows;
  for (std::size_t i = 0; i < precision.Points.size(); ++i) {
    const PointPrecision &p = precision.Points[i];
    ReportPointRow r;
    r.Number = p.Number;
    r.X = p.X;
    r.Y = p.Y;
    r.Z = p.Z;
    r.Horizontal = p.Ellipse;
    r.Horizontal.SemiMajor *= k2;
    r.Horizontal.SemiMinor *= k2;
    r.SigmaZ = p.SigmaZ * k1;
    if (precision.Covariance) {
      try {
        const ErrorEllipsoid e(*precision.Covariance, 3 * i);
        r.EllipsoidValid = e.Converged && e.NonNegative;
        std::array<int, 3> order{0, 1, 2};
        std::sort(order.begin(), order.end(),
                  [&](int a, int b) { return e.SemiAxes[a] > e.SemiAxes[b]; });
        for (std::size_t k = 0; k < 3; ++k) {
          const auto a = static_cast<std::size_t>(order[k]);
          long double direction = e.Directions[a], zenith = e.Zeniths[a];
          if (zenith > kPiL / 2) { // the other end of the axis points upwards
            zenith = kPiL - zenith;
            direction += kPiL;
          }
          r.Axes[k] = e.SemiAxes[a] * k3;
          r.AxisBearings[k] = Full(ToGon(direction));
          r.AxisZeniths[k] = ToGon(zenith);
        }
      } catch (const std::exception &) {
        r.EllipsoidValid = false;
      }
    }
    rows.push_back(r);
  }
  return rows;
}

std::vector<PlannedMeasurement> PlanMeasurements(const PointList &points,
                                                 const MeasurementList &measurements,
                                                 const NetworkPrecision &precision) {
  std::vector<PlannedMeasurement> planned;
  std::vector<bool> used(precision.Observations.size(), false);
  auto take = [&](const char *type, double from, double to) {
    for (std::size_t i = 0; i < precision.Observations.size(); ++i) {
      const ObservationReliability &o = precision.Observations[i];
      if (!used[i] && o.Type == type && o.From == from && o.To == to) {
        used[i] = true;
        return static_cast<int>(i);
      }
    }
    return -1;
  };
  auto part = [&](const char *label, int obs) {
    ObservationPart p;
    p.Part = label;
    p.Observation = obs;
    p.MdbShift = obs >= 0 ? MdbShift(precision.Observations[static_cast<std::size_t>(obs)], points)
                          : kNaN;
    return p;
  };
  // The engine takes the ordinary observations first, then the gyro
  // directions and plumbings: matching in that order gives a gyro direction
  // the engine's second direction between the same points.
  for (int pass = 0; pass < 2; ++pass)
    for (const Measurement &m : measurements.Items) {
      const bool special = m.MeasType == mtGd || m.MeasType == mtPr;
      if (special != (pass == 1))
        continue;
      PlannedMeasurement p;
      p.Type = m.MeasType;
      p.Station = m.Station;
      p.Target = m.Target;
      const bool angle = std::string(InputSigmaUnit(m.MeasType)) == "gon";
      p.SigmaUnit = angle ? "cc" : "mm";
      p.Sigma = static_cast<long double>(m.StdDev) * (angle ? 10000.0L : 1000.0L);
      if (m.MeasType == mtPr) {
        p.Parts.push_back(part("dx", take("dx", m.Station, m.Target)));
        p.Parts.push_back(part("dy", take("dy", m.Station, m.Target)));
        p.Parts.push_back(part("dz", take("dz", m.Station, m.Target)));
      } else {
        p.Parts.push_back(part("", take(ElementOf(m.MeasType), m.Station, m.Target)));
      }
      planned.push_back(p);
    }
  // Back to the list's order.
  std::vector<PlannedMeasurement> ordered;
  ordered.reserve(planned.size());
  std::size_t ordinary = 0, special = 0;
  std::size_t specialStart = 0;
  for (const Measurement &m : measurements.Items)
    if (m.MeasType != mtGd && m.MeasType != mtPr)
      ++specialStart;
  for (const Measurement &m : measurements.Items) {
    const bool isSpecial = m.MeasType == mtGd || m.MeasType == mtPr;
    ordered.push_back(planned[isSpecial ? specialStart + special++ : ordinary++]);
  }
  return ordered;
}

ReportSummary SummarizeReport(const PointList &points, const MeasurementList &measurements,
                              const NetworkPrecision &precision,
                              const std::vector<PlannedMeasurement> &planned,
                              const std::vector<RelativeLine> &relatives, ConfidenceLevel level,
                              const PrecisionTolerance &tolerance) {
  ReportSummary s;
  for (const NetworkPoint &p : points.Items)
    (p.Fixed ? s.FixedPoints : s.AdjustedPoints)++;

  s.Measurements = measurements.Count();
  int counts[9] = {};
  for (const Measurement &m : measurements.Items)
    if (m.MeasType < 9)
      ++counts[m.MeasType];
  for (std::uint8_t t = 0; t < 9; ++t)
    if (counts[t] > 0)
      s.ByType.push_back({t, counts[t]});

  long double sumR = 0;
  for (const ObservationReliability &o : precision.Observations)
    if (!o.Rejected) {
      ++s.Observations;
      sumR += o.Redundancy;
    }
  if (s.Observations > 0)
    s.Redundancy = static_cast<int>(std::lround(static_cast<double>(sumR)));

  const ObservationReliability *weakest = nullptr;
  for (std::size_t m = 0; m < planned.size(); ++m)
    for (std::size_t k = 0; k < planned[m].Parts.size(); ++k) {
      const int i = planned[m].Parts[k].Observation;
      if (i < 0)
        continue;
      const ObservationReliability &o = precision.Observations[static_cast<std::size_t>(i)];
      if (o.Rejected)
        continue;
      if (o.Class == ReliabilityClass::Uncontrolled)
        ++s.Uncontrolled;
      if (!weakest || o.Redundancy < weakest->Redundancy) {
        weakest = &o;
        s.WeakestMeasurement = static_cast<int>(m);
        s.WeakestPart = static_cast<int>(k);
      }
    }

  for (std::size_t i = 0; i < precision.Points.size(); ++i) {
    const PointPrecision &p = precision.Points[i];
    const int k = static_cast<int>(i);
    if (s.WeakestHorizontal < 0 ||
        p.Ellipse.SemiMajor > precision.Points[static_cast<std::size_t>(s.WeakestHorizontal)].Ellipse.SemiMajor)
      s.WeakestHorizontal = k;
    if (s.WeakestVertical < 0 ||
        p.SigmaZ > precision.Points[static_cast<std::size_t>(s.WeakestVertical)].SigmaZ)
      s.WeakestVertical = k;
  }
  for (std::size_t i = 0; i < relatives.size(); ++i)
    if (relatives[i].Request.HasBearing &&
        (s.LargestAcross < 0 ||
         relatives[i].Split.Across > relatives[static_cast<std::size_t>(s.LargestAcross)].Split.Across))
      s.LargestAcross = static_cast<int>(i);
  s.Exceeded = PointsBeyond(precision, level, tolerance);
  return s;
}

ReportData GatherReport(const SurveyNetwork &network, ResultsReader &reader,
                        const std::vector<ObservationRow> &rows, const ReportOptions &options) {
  ReportData r;
  r.NetworkName = options.NetworkName;
  if (r.NetworkName.empty() && !network.Points.List.FileName.empty())
    r.NetworkName = std::filesystem::path(network.Points.List.FileName).filename().string();
  r.Title = options.Title;
  r.Author = options.Author;
  r.Date = options.Date;
  r.ScSvpMode = network.Points.ScSvpMode;
  r.Confidence = options.Confidence;
  r.ProgramVersion = kd::ProgramVersion;
  r.Tolerance = options.Tolerance;
  r.Precision = BuildNetworkPrecision(reader, rows);
  r.Points = network.Points.List;
  r.Measurements.Items = network.Measurements.Items;
  r.PointRows = PointRowsOf(r.Precision, r.Confidence);
  r.Planned = PlanMeasurements(r.Points, r.Measurements, r.Precision);

  for (const NetworkPoint &p : r.Points.Items)
    if (p.Fixed)
      r.Datum.FixedPoints.push_back(p.Number);
  if (r.Datum.FixedPoints.empty())
    r.Datum.FreePoints = static_cast<int>(r.Points.Items.size());

  // Modelling assumptions.
  {
    ModellingAssumption sc;
    sc.Kind = AssumptionKind::ScSvp;
    bool first = true;
    for (const NetworkPoint &p : r.Points.Items) {
      const long double c = static_cast<long double>(p.Sc) * 1000.0L;
      const long double v = static_cast<long double>(p.Svp) * 1000.0L;
      sc.Min = first ? c : std::min(sc.Min, c);
      sc.Max = first ? c : std::max(sc.Max, c);
      sc.Min2 = first ? v : std::min(sc.Min2, v);
      sc.Max2 = first ? v : std::max(sc.Max2, v);
      first = false;
    }
    sc.Count = r.Measurements.Count();
    r.Assumptions.push_back(sc);
    int plumbings = 0, gyros = 0;
    for (const Measurement &m : r.Measurements.Items) {
      plumbings += m.MeasType == mtPr;
      gyros += m.MeasType == mtGd;
    }
    if (plumbings > 0) {
      ModellingAssumption a;
      a.Kind = AssumptionKind::PlumbHeight;
      a.Min = a.Max = static_cast<long double>(network.PlumbSigma) * 1000.0L;
      a.Count = plumbings;
      r.Assumptions.push_back(a);
    }
    if (gyros > 0) {
      ModellingAssumption a;
      a.Kind = AssumptionKind::GyroDirection;
      a.Count = gyros;
      r.Assumptions.push_back(a);
    }
  }

  const long double k2 = EllipseFactor(r.Confidence), k1 = LinearFactor(r.Confidence);
  for (const ReportPair &q : options.Relatives) {
    auto same = std::find_if(r.Relatives.begin(), r.Relatives.end(),
                             [&](const RelativeLine &l) { return Mergeable(l.Request, q); });
    RelativeLine line;
    line.Request = q;
    if (same != r.Relatives.end()) {
      // The same pair again: take over what this request adds.
      line = *same;
      if (q.Kind >= 0)
        line.Request.Kind = q.Kind;
      if (q.HasBearing) {
        line.Request.HasBearing = true;
        line.Request.BearingGon = q.BearingGon;
      }
    }
    RelativePrecision rel;
    if (!r.Precision.Relative(line.Request.From, line.Request.To, rel)) {
      r.Warnings.push_back("no relative precision between " + NumToText(q.From) + " and " +
                           NumToText(q.To) + ": not two adjusted points");
      continue;
    }
    line.Precision = rel;
    line.Precision.Ellipse.SemiMajor *= k2;
    line.Precision.Ellipse.SemiMinor *= k2;
    line.Precision.SigmaZ *= k1;
    line.FromFixed = IsFixed(r.Points, line.Request.From);
    line.ToFixed = IsFixed(r.Points, line.Request.To);
    if (line.Request.HasBearing) {
      line.Split = AlongAcrossOf(rel.Covariance.Horizontal, line.Request.BearingGon);
      line.Split.Along *= k1;
      line.Split.Across *= k1;
    }
    line.Distance = 0;
    line.DistanceSigma = 0;
    if (line.Request.Kind >= 0 && line.Request.Kind <= 2) {
      const int f = reader.Results.IndexOfNumber(line.Request.From);
      const int t = reader.Results.IndexOfNumber(line.Request.To);
      if (f >= 0 && t >= 0) {
        const int kind = line.Request.Kind;
        line.Distance = kind == 0   ? reader.ResultSlopeDist(f, t)
                        : kind == 1 ? reader.ResultHorizDist(f, t)
                                    : reader.ResultVertDist(f, t);
        line.DistanceSigma =
            line.Distance == 0 ? 0 : reader.RelPrecision(f, t, line.Distance, kind) * k1;
      } else {
        line.Request.Kind = -1;
      }
    }
    if (same != r.Relatives.end())
      *same = line;
    else
      r.Relatives.push_back(line);
  }
  r.Summary = SummarizeReport(r.Points, r.Measurements, r.Precision, r.Planned, r.Relatives,
                              r.Confidence, r.Tolerance);
  return r;
}
