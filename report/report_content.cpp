#include "report/report_content.h"

#include <cmath>

#include "core/number_text.h"
#include "report/report_texts.h"
#include "settings/language_pack.h"

namespace {

std::string Mm(long double v) { return std::isfinite(v) ? NumToTextFixed(v, 8, 3) : "-"; }
std::string Gon(long double v) { return std::isfinite(v) ? NumToTextFixed(v, 8, 4) : "-"; }
std::string Pt(double number) { return std::isfinite(number) ? NumToText(number) : "?"; }
const std::string &L(int n) { return Lang().Text(n); }

std::string ModeText(int mode) {
  const int text = mode == 0 ? 91 : mode == 2 ? 116 : 92;
  return std::to_string(mode) + " - " + L(text);
}

std::string ConfidenceText(ConfidenceLevel level) {
  return level == ConfidenceLevel::Percent95 ? RT(ReportText::Confidence95)
                                             : RT(ReportText::ConfidenceStandard);
}

RowMark MarkOf(const ObservationReliability &o) {
  if (o.Rejected)
    return RowMark::None;
  switch (o.Class) {
  case ReliabilityClass::Uncontrolled:
    return RowMark::Uncontrolled;
  case ReliabilityClass::Weak:
    return RowMark::Weak;
  case ReliabilityClass::Controlled:
    break;
  }
  return RowMark::Controlled;
}

std::string ClassText(const ObservationReliability &o) {
  if (o.Rejected)
    return "rejected";
  if (!std::isfinite(o.Mdb))
    return RT(ReportText::NotChecked);
  switch (o.Class) {
  case ReliabilityClass::Uncontrolled:
    return RT(ReportText::Uncontrolled);
  case ReliabilityClass::Weak:
    return RT(ReportText::Weak);
  case ReliabilityClass::Controlled:
    break;
  }
  return RT(ReportText::Controlled);
}

// Measurement standard deviations as the engine takes them: mm or cc.
std::string InputSigma(const Measurement &m, std::string &unit) {
  const bool angle = std::string(InputSigmaUnit(m.MeasType)) == "gon";
  unit = angle ? "cc" : "mm";
  const long double v = angle ? m.StdDev * 10000.0L : m.StdDev * 1000.0L;
  return NumToTextFixed(v, 8, angle ? 1 : 2);
}

std::vector<bool> LeftFirst(std::size_t columns, std::size_t leftCount) {
  std::vector<bool> left(columns, false);
  for (std::size_t i = 0; i < leftCount && i < columns; ++i)
    left[i] = true;
  return left;
}

} // namespace

ReportContent BuildReportContent(const ReportData &data) {
  ReportContent c;
  const ReportSummary &s = data.Summary;
  const NetworkPrecision &prec = data.Precision;
  c.Title = RT(ReportText::Title);

  c.TitleBlock = {
      {RT(ReportText::NetworkName), data.NetworkName},
      {RT(ReportText::Date), data.Date},
      {RT(ReportText::ScSvpMode), ModeText(data.ScSvpMode)},
      {RT(ReportText::SigmaApriori), NumToTextFixed(data.SigmaApriori, 8, 2)},
      {RT(ReportText::Confidence), ConfidenceText(data.Confidence)},
      {RT(ReportText::ProgramVersion), "Korvadimensio 3D " + data.ProgramVersion},
  };
  if (data.Tolerance.Set())
    c.TitleBlock.push_back(
        {RT(ReportText::ToleranceLimits),
         (data.Tolerance.Horizontal > 0 ? Mm(data.Tolerance.Horizontal) + " mm" : "-") + " / " +
             (data.Tolerance.Vertical > 0 ? Mm(data.Tolerance.Vertical) + " mm" : "-")});

  // Summary.
  c.Summary.push_back({RT(ReportText::PointsFixedAdjusted),
                       std::to_string(s.FixedPoints) + " / " + std::to_string(s.AdjustedPoints)});
  {
    std::string types = std::to_string(s.Measurements);
    std::string sep = ": ";
    for (const MeasurementTypeCount &t : s.ByType) {
      types += sep + MeasurementList::TypeName(t.Type) + " " + std::to_string(t.Count);
      sep = ", ";
    }
    c.Summary.push_back({RT(ReportText::MeasurementsByType), types});
  }
  c.Summary.push_back({RT(ReportText::ObservationsInAdjustment),
                       s.Observations > 0 ? std::to_string(s.Observations)
                                          : RT(ReportText::Unknown)});
  c.Summary.push_back({RT(ReportText::Redundancy),
                       s.Redundancy >= 0 ? std::to_string(s.Redundancy) : RT(ReportText::Unknown)});
  if (s.WeakestHorizontal >= 0) {
    const PointPrecision &p = prec.Points[static_cast<std::size_t>(s.WeakestHorizontal)];
    c.Summary.push_back({RT(ReportText::WeakestHorizontal),
                         Pt(p.Number) + ": a = " + Mm(p.Ellipse.SemiMajor) + " mm, b = " +
                             Mm(p.Ellipse.SemiMinor) + " mm, w(a) = " + Gon(p.Ellipse.Bearing) +
                             " gon"});
  }
  if (s.WeakestVertical >= 0) {
    const PointPrecision &p = prec.Points[static_cast<std::size_t>(s.WeakestVertical)];
    c.Summary.push_back(
        {RT(ReportText::WeakestVertical), Pt(p.Number) + ": s(z) = " + Mm(p.SigmaZ) + " mm"});
  }
  if (s.WeakestObservation >= 0) {
    const ObservationReliability &o = prec.Observations[static_cast<std::size_t>(s.WeakestObservation)];
    const std::string unit = EngineSigmaUnit(o.Type);
    c.Summary.push_back({RT(ReportText::WeakestObservation),
                         o.Type + " " + Pt(o.From) + " - " + Pt(o.To) + ": r = " +
                             NumToTextFixed(o.Redundancy, 8, 3) + ", MDB = " +
                             (std::isfinite(o.Mdb) ? NumToTextFixed(o.Mdb, 8, 2) + " " + unit
                                                   : RT(ReportText::NotChecked))});
    c.Summary.push_back({RT(ReportText::UncontrolledObservations), std::to_string(s.Uncontrolled)});
  }
  if (data.Tolerance.Set()) {
    std::string text;
    for (const ToleranceExcess &e : s.Exceeded) {
      if (!text.empty())
        text += "; ";
      text += Pt(e.Number) + " (";
      if (e.HorizontalExceeded)
        text += "a = " + Mm(e.Horizontal) + " mm";
      if (e.HorizontalExceeded && e.VerticalExceeded)
        text += ", ";
      if (e.VerticalExceeded)
        text += "s(z) = " + Mm(e.Vertical) + " mm";
      text += ")";
    }
    c.Summary.push_back(
        {RT(ReportText::TolerancesExceeded), text.empty() ? RT(ReportText::ToleranceNone) : text});
  }

  c.PlanTitle = RT(ReportText::Plan);
  c.PlanLegend = RT(ReportText::PlanLegend) + ". " + RT(ReportText::Confidence) + ": " +
                 ConfidenceText(data.Confidence) + ".";

  // Coordinates, standard deviations and error ellipsoids: the results grid.
  {
    ReportTable t;
    t.Title = RT(ReportText::PointsTable);
    t.Wide = true;
    const TextGrid &g = data.ResultsTable;
    for (int r = 0; r < g.RowCount(); ++r) {
      std::vector<std::string> row;
      for (int col = 0; col < g.ColCount; ++col)
        row.push_back(g.Cell(r, col));
      if (r == 0)
        t.Header = row;
      else
        t.Rows.push_back(row);
    }
    t.Widths = {6, 11, 11, 9};
    t.Widths.resize(t.Header.size(), 6);
    t.AlignLeft = LeftFirst(t.Header.size(), 0);
    c.Tables.push_back(t);
  }

  // Relative precision of the requested pairs.
  {
    ReportTable t;
    t.Title = RT(ReportText::RelativePrecision);
    t.Header = {L(57), L(58), "a/mm", "b/mm", "w(a)/gon", "s(z)/mm", L(56), "d/m", "s(d)/mm", ""};
    t.Widths = {5, 5, 6, 6, 7, 6, 7, 9, 6, 6};
    t.AlignLeft = LeftFirst(t.Header.size(), 0);
    t.AlignLeft[6] = true;
    for (const RelativeLine &r : data.Relatives) {
      const bool kind = r.Request.Kind >= 0 && r.Request.Kind <= 2;
      t.Rows.push_back({Pt(r.Request.From), Pt(r.Request.To), Mm(r.Precision.Ellipse.SemiMajor),
                        Mm(r.Precision.Ellipse.SemiMinor), Gon(r.Precision.Ellipse.Bearing),
                        Mm(r.Precision.SigmaZ), kind ? L(64 + r.Request.Kind) : "",
                        kind ? NumToTextFixed(r.Distance, 15, 4) : "",
                        kind ? Mm(r.DistanceSigma) : "", ""});
      t.Ellipses.push_back(r.Precision.Ellipse);
    }
    t.EmptyText = RT(ReportText::RelativeNone);
    c.Tables.push_back(t);
  }

  // Observations with their reliability.
  {
    ReportTable t;
    t.Title = RT(ReportText::Observations);
    t.Header = {L(101), L(49), L(50), "\xCF\x83 a priori", "\xCF\x83 adjusted", "unit", "r", "MDB", ""};
    t.Widths = {8, 5, 5, 7, 7, 4, 5, 7, 10};
    t.AlignLeft = LeftFirst(t.Header.size(), 1);
    t.AlignLeft[5] = true;
    t.AlignLeft[8] = true;
    for (const ObservationReliability &o : prec.Observations) {
      t.Rows.push_back({o.Type, Pt(o.From), Pt(o.To), NumToTextFixed(o.StdevApriori, 8, 2),
                        std::isfinite(o.StdevAdjusted) ? NumToTextFixed(o.StdevAdjusted, 8, 2) : "-",
                        EngineSigmaUnit(o.Type), NumToTextFixed(o.Redundancy, 8, 3),
                        std::isfinite(o.Mdb) ? NumToTextFixed(o.Mdb, 8, 2) : "-", ClassText(o)});
      t.Marks.push_back(MarkOf(o));
    }
    t.EmptyText = RT(ReportText::Unknown);
    c.Tables.push_back(t);
  }

  // The input: points and measurements.
  {
    ReportTable t;
    t.Title = RT(ReportText::InputPoints);
    t.Header = {L(97), "X/m", "Y/m", "Z/m", "Sc/mm", "Svp/mm", RT(ReportText::Fixed)};
    t.Widths = {6, 11, 11, 9, 6, 6, 6};
    t.AlignLeft = LeftFirst(t.Header.size(), 0);
    t.AlignLeft[6] = true;
    for (const NetworkPoint &p : data.Points.Items)
      t.Rows.push_back({Pt(p.Number), NumToTextFixed(p.X, 15, 4), NumToTextFixed(p.Y, 15, 4),
                        NumToTextFixed(p.Z, 15, 4), NumToTextFixed(p.Sc * 1000.0, 8, 2),
                        NumToTextFixed(p.Svp * 1000.0, 8, 2),
                        p.Fixed ? RT(ReportText::Fixed) : RT(ReportText::Adjusted)});
    c.Tables.push_back(t);
  }
  {
    ReportTable t;
    t.Title = RT(ReportText::InputMeasurements);
    t.Header = {L(101), L(49), L(50), L(51), "unit"};
    t.Widths = {5, 6, 6, 7, 4};
    t.AlignLeft = LeftFirst(t.Header.size(), 1);
    t.AlignLeft[4] = true;
    for (const Measurement &m : data.Measurements.Items) {
      std::string unit;
      const std::string sigma = InputSigma(m, unit);
      t.Rows.push_back({MeasurementList::TypeName(m.MeasType), Pt(m.Station), Pt(m.Target), sigma,
                        unit});
    }
    c.Tables.push_back(t);
  }
  return c;
}
