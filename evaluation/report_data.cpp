#include "evaluation/report_data.h"

#include <cmath>
#include <filesystem>

#include "core/number_text.h"
#include "core/survey_network.h"
#include "core/version.h"
#include "evaluation/results_reader.h"

const char *InputSigmaUnit(std::uint8_t type) {
  return (type == mtZu || type == mtDi || type == mtGd) ? "gon" : "m";
}

const char *EngineSigmaUnit(const std::string &elementName) {
  return (elementName == "direction" || elementName == "z-angle") ? "cc" : "mm";
}

ReportSummary SummarizeReport(const PointList &points, const MeasurementList &measurements,
                              const NetworkPrecision &precision, ConfidenceLevel level,
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
  for (std::size_t i = 0; i < precision.Observations.size(); ++i) {
    const ObservationReliability &o = precision.Observations[i];
    if (o.Rejected)
      continue;
    ++s.Observations;
    sumR += o.Redundancy;
    if (o.Class == ReliabilityClass::Uncontrolled)
      ++s.Uncontrolled;
    if (s.WeakestObservation < 0 ||
        o.Redundancy < precision.Observations[static_cast<std::size_t>(s.WeakestObservation)].Redundancy)
      s.WeakestObservation = static_cast<int>(i);
  }
  if (s.Observations > 0)
    s.Redundancy = static_cast<int>(std::lround(static_cast<double>(sumR)));

  const long double ellipseFactor = EllipseFactor(level);
  const long double linearFactor = LinearFactor(level);
  for (std::size_t i = 0; i < precision.Points.size(); ++i) {
    const PointPrecision &p = precision.Points[i];
    const int k = static_cast<int>(i);
    if (s.WeakestHorizontal < 0 ||
        p.Ellipse.SemiMajor > precision.Points[static_cast<std::size_t>(s.WeakestHorizontal)].Ellipse.SemiMajor)
      s.WeakestHorizontal = k;
    if (s.WeakestVertical < 0 ||
        p.SigmaZ > precision.Points[static_cast<std::size_t>(s.WeakestVertical)].SigmaZ)
      s.WeakestVertical = k;
    if (!tolerance.Set())
      continue;
    ToleranceExcess e;
    e.Number = p.Number;
    e.Horizontal = p.Ellipse.SemiMajor * ellipseFactor;
    e.Vertical = p.SigmaZ * linearFactor;
    e.HorizontalExceeded = tolerance.Horizontal > 0 && e.Horizontal > tolerance.Horizontal;
    e.VerticalExceeded = tolerance.Vertical > 0 && e.Vertical > tolerance.Vertical;
    if (e.HorizontalExceeded || e.VerticalExceeded)
      s.Exceeded.push_back(e);
  }
  return s;
}

ReportData GatherReport(const SurveyNetwork &network, ResultsReader &reader,
                        const TextGrid &resultsTable, const std::vector<ObservationRow> &rows,
                        const ReportOptions &options) {
  ReportData r;
  r.NetworkName = options.NetworkName;
  if (r.NetworkName.empty() && !network.Points.List.FileName.empty())
    r.NetworkName = std::filesystem::path(network.Points.List.FileName).filename().string();
  r.Date = options.Date;
  r.ScSvpMode = network.Points.ScSvpMode;
  r.Confidence = options.Confidence;
  r.ProgramVersion = kd::ProgramVersion;
  r.Tolerance = options.Tolerance;
  r.ResultsTable = resultsTable;
  r.Precision = BuildNetworkPrecision(reader, rows);
  r.Points = network.Points.List;
  r.Measurements.Items = network.Measurements.Items;
  r.Summary = SummarizeReport(r.Points, r.Measurements, r.Precision, r.Confidence, r.Tolerance);

  for (const ReportPair &q : options.Relatives) {
    RelativeLine line;
    line.Request = q;
    if (!r.Precision.Relative(q.From, q.To, line.Precision)) {
      r.Warnings.push_back("no relative precision between " + NumToText(q.From) + " and " +
                           NumToText(q.To) + ": not two adjusted points");
      continue;
    }
    if (q.Kind >= 0 && q.Kind <= 2) {
      const int f = reader.Results.IndexOfNumber(q.From);
      const int t = reader.Results.IndexOfNumber(q.To);
      if (f >= 0 && t >= 0) {
        line.Distance = q.Kind == 0   ? reader.ResultSlopeDist(f, t)
                        : q.Kind == 1 ? reader.ResultHorizDist(f, t)
                                      : reader.ResultVertDist(f, t);
        line.DistanceSigma =
            line.Distance == 0 ? 0 : reader.RelPrecision(f, t, line.Distance, q.Kind);
      } else {
        line.Request.Kind = -1;
      }
    }
    r.Relatives.push_back(line);
  }
  return r;
}
