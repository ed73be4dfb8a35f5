#include "report/report_content.h"
#include "report/report_design.h"

#include <cmath>

#include "core/number_text.h"
#include "report/report_texts.h"
#include "settings/language_pack.h"

namespace {

std::string Mm(long double v) { return std::isfinite(v) ? NumToTextFixed(v, 8, 3) : "-"; }
std::string Gon(long double v) { return std::isfinite(v) ? NumToTextFixed(v, 8, 4) : "-"; }
std::string Pt(double number) { return std::isfinite(number) ? NumToText(number) : "?"; }
const std::string &L(const LanguagePack &lang, int n) { return lang.Text(n); }

std::string ModeText(const LanguagePack &lang, ScSvpMode mode) {
  const int text = mode == ScSvpMode::None ? 91 : mode == ScSvpMode::WholeNetwork ? 116 : 92;
  return std::to_string(NumberOf(mode)) + " - " + L(lang, text);
}

std::string Level(const LanguagePack &lang, ConfidenceLevel level) {
  return level == ConfidenceLevel::Percent95 ? RT(lang, ReportText::LevelTag95)
                                             : RT(lang, ReportText::LevelTagStandard);
}

// A column header with the level: "a (95 %) / mm".
std::string Head(const LanguagePack &lang, const std::string &name, ConfidenceLevel level,
                 const std::string &unit) {
  return name + " (" + Level(lang, level) + ") / " + unit;
}

std::string TypeText(const LanguagePack &lang, std::uint8_t type) {
  switch (type) {
  case mtSd:
    return RT(lang, ReportText::TypeSlopeDistance);
  case mtHd:
    return RT(lang, ReportText::TypeHorizontalDistance);
  case mtZu:
    return RT(lang, ReportText::TypeZenithAngle);
  case mtDi:
    return RT(lang, ReportText::TypeDirection);
  case mtVd:
    return RT(lang, ReportText::TypeHeightDifference);
  case mtPr:
    return RT(lang, ReportText::TypePlumbing);
  case mtGd:
    return RT(lang, ReportText::TypeGyroDirection);
  default:
    return MeasurementList::TypeName(type);
  }
}

std::string KindText(const LanguagePack &lang, int kind) {
  return kind == 0   ? RT(lang, ReportText::Slope)
         : kind == 1 ? RT(lang, ReportText::Horizontal)
                     : RT(lang, ReportText::Vertical);
}

std::string Arrow(double from, double to) { return Pt(from) + " \u2192 " + Pt(to); }

std::string Numbers(const std::vector<double> &numbers) {
  std::string s;
  for (double n : numbers)
    s += (s.empty() ? "" : ", ") + Pt(n);
  return s;
}

// "0.50 mm" or "0.20-0.80 mm".
std::string Range(long double a, long double b) {
  const std::string x = NumToTextFixed(a, 8, 2);
  const std::string y = NumToTextFixed(b, 8, 2);
  return x == y ? x : x + "\u2013" + y;
}

std::string ConfidenceText(const LanguagePack &lang, ConfidenceLevel level) {
  return level == ConfidenceLevel::Percent95 ? RT(lang, ReportText::Confidence95)
                                             : RT(lang, ReportText::ConfidenceStandard);
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

std::string ClassText(const LanguagePack &lang, const ObservationReliability &o) {
  if (o.Rejected)
    return RT(lang, ReportText::Rejected);
  if (!std::isfinite(o.Mdb))
    return RT(lang, ReportText::NotChecked);
  switch (o.Class) {
  case ReliabilityClass::Uncontrolled:
    return RT(lang, ReportText::Uncontrolled);
  case ReliabilityClass::Weak:
    return RT(lang, ReportText::Weak);
  case ReliabilityClass::Controlled:
    break;
  }
  return RT(lang, ReportText::Controlled);
}

std::vector<bool> LeftFirst(std::size_t columns, std::size_t leftCount) {
  std::vector<bool> left(columns, false);
  for (std::size_t i = 0; i < leftCount && i < columns; ++i)
    left[i] = true;
  return left;
}

} // namespace

namespace {

std::string Verdict(const LanguagePack &lang, const ReportData &data, bool horizontal) {
  const long double limit = horizontal ? data.Tolerance.Horizontal : data.Tolerance.Vertical;
  const std::string limitText =
      std::string(horizontal ? "a" : "\xCF\x83Z") + " \xE2\x89\xA4 " + NumToText(static_cast<double>(limit)) + " mm";
  std::vector<double> exceeding;
  for (const ToleranceExcess &e : data.Summary.Exceeded)
    if (horizontal ? e.HorizontalExceeded : e.VerticalExceeded)
      exceeding.push_back(e.Number);
  const std::string total = std::to_string(data.Precision.Points.size());
  if (exceeding.empty())
    return FillText(RT(lang, ReportText::VerdictAllMeet), {total, limitText, Level(lang, data.Confidence)});
  // A long list names the first points; the point table has them all.
  const std::size_t shown = 30;
  std::string list = Numbers(std::vector<double>(
      exceeding.begin(), exceeding.begin() + static_cast<std::ptrdiff_t>(std::min(shown, exceeding.size()))));
  if (exceeding.size() > shown)
    list += ", \u2026";
  return FillText(RT(lang, ReportText::VerdictExceed), {std::to_string(exceeding.size()), total, limitText,
                                                  Level(lang, data.Confidence), list});
}

std::string PartName(const LanguagePack &lang, const PlannedMeasurement &m, const ObservationPart &p) {
  return TypeText(lang, m.Type) + " " + Arrow(m.Station, m.Target) + (p.Part.empty() ? "" : " (" + p.Part + ")");
}

} // namespace

ReportContent BuildReportContent(const LanguagePack &lang, const ReportData &data) {
  ReportContent c;
  const ReportSummary &s = data.Summary;
  const NetworkPrecision &prec = data.Precision;
  const ConfidenceLevel level = data.Confidence;
  const std::string tag = " (" + Level(lang, level) + ")";
  const long double k1 = LinearFactor(level);
  c.Title = RT(lang, ReportText::Title);

  if (!data.Title.empty())
    c.TitleBlock.push_back({RT(lang, ReportText::Project), data.Title});
  if (!data.Author.empty())
    c.TitleBlock.push_back({RT(lang, ReportText::Author), data.Author});
  c.TitleBlock.push_back({RT(lang, ReportText::NetworkName), data.NetworkName});
  c.TitleBlock.push_back({RT(lang, ReportText::Date), data.Date});
  c.TitleBlock.push_back(
      {RT(lang, ReportText::DatumLabel),
       data.Datum.FixedPoints.empty()
           ? FillText(RT(lang, ReportText::DatumFree), {std::to_string(data.Datum.FreePoints)})
           : RT(lang, ReportText::DatumFixed) + Numbers(data.Datum.FixedPoints)});
  c.TitleBlock.push_back({RT(lang, ReportText::ScSvpMode), ModeText(lang, data.ScSvpMode)});
  c.TitleBlock.push_back({RT(lang, ReportText::SigmaApriori), NumToTextFixed(data.SigmaApriori, 8, 2)});
  c.TitleBlock.push_back({RT(lang, ReportText::Confidence), ConfidenceText(lang, level)});
  c.TitleBlock.push_back({RT(lang, ReportText::ProgramVersion), "Korvadimensio 3D " + data.ProgramVersion});

  if (data.Tolerance.Horizontal > 0)
    c.Verdicts.push_back(Verdict(lang, data, true));
  if (data.Tolerance.Vertical > 0)
    c.Verdicts.push_back(Verdict(lang, data, false));

  c.Statements.push_back(level == ConfidenceLevel::Percent95 ? RT(lang, ReportText::LevelStatement95)
                                                             : RT(lang, ReportText::LevelStatementStandard));
  c.Statements.push_back(RT(lang, ReportText::BearingStatement));

  // Summary.
  c.Summary.push_back({RT(lang, ReportText::PointsFixedAdjusted),
                       std::to_string(s.FixedPoints) + " / " + std::to_string(s.AdjustedPoints)});
  c.Summary.push_back({RT(lang, ReportText::MeasurementCount),
                       FillText(RT(lang, ReportText::CountsText),
                                {std::to_string(s.Measurements),
                                 s.Observations > 0 ? std::to_string(s.Observations)
                                                    : RT(lang, ReportText::Unknown)})});
  {
    std::string types;
    for (const MeasurementTypeCount &t : s.ByType)
      types += (types.empty() ? "" : ", ") + TypeText(lang, t.Type) + " " + std::to_string(t.Count);
    c.Summary.push_back({RT(lang, ReportText::MeasurementsByType), types});
  }
  c.Summary.push_back({RT(lang, ReportText::Redundancy),
                       s.Redundancy >= 0 ? std::to_string(s.Redundancy) : RT(lang, ReportText::Unknown)});
  if (s.WeakestHorizontal >= 0) {
    const ReportPointRow &p = data.PointRows[static_cast<std::size_t>(s.WeakestHorizontal)];
    c.Summary.push_back({RT(lang, ReportText::WeakestHorizontal),
                         Pt(p.Number) + ": a = " + Mm(p.Horizontal.SemiMajor) + " mm, b = " +
                             Mm(p.Horizontal.SemiMinor) + " mm, w(a) = " + Gon(p.Horizontal.Bearing) +
                             " gon" + tag});
  }
  if (s.WeakestVertical >= 0) {
    const ReportPointRow &p = data.PointRows[static_cast<std::size_t>(s.WeakestVertical)];
    c.Summary.push_back({RT(lang, ReportText::WeakestVertical),
                         Pt(p.Number) + ": \xCF\x83Z = " + Mm(p.SigmaZ) + " mm" + tag});
  }
  if (s.LargestAcross >= 0) {
    const RelativeLine &l = data.Relatives[static_cast<std::size_t>(s.LargestAcross)];
    c.Summary.push_back({RT(lang, ReportText::LargestAcross),
                         Arrow(l.Request.From, l.Request.To) + " " + RT(lang, ReportText::AtBearing) + " " +
                             Gon(l.Request.BearingGon) + " gon: " + Mm(l.Split.Across) + " mm" + tag});
  }
  if (s.WeakestMeasurement >= 0) {
    const PlannedMeasurement &m = data.Planned[static_cast<std::size_t>(s.WeakestMeasurement)];
    const ObservationPart &part = m.Parts[static_cast<std::size_t>(s.WeakestPart)];
    const ObservationReliability &o = prec.Observations[static_cast<std::size_t>(part.Observation)];
    std::string mdb = std::isfinite(o.Mdb)
                          ? NumToTextFixed(o.Mdb, 8, 2) + " " + EngineSigmaUnit(o.Type)
                          : RT(lang, ReportText::NotChecked);
    if (std::isfinite(part.MdbShift))
      mdb += " (" + Mm(part.MdbShift) + " mm)";
    c.Summary.push_back({RT(lang, ReportText::WeakestObservation),
                         PartName(lang, m, part) + ": r = " + NumToTextFixed(o.Redundancy, 8, 3) +
                             ", MDB = " + mdb});
    c.Summary.push_back({RT(lang, ReportText::UncontrolledObservations), std::to_string(s.Uncontrolled)});
  }
  c.Summary.push_back({RT(lang, ReportText::ReliabilityTest), RT(lang, ReportText::ReliabilityParameters)});

  for (const ModellingAssumption &a : data.Assumptions)
    switch (a.Kind) {
    case AssumptionKind::ScSvp:
      c.Assumptions.push_back(FillText(RT(lang, ReportText::AssumptionScSvp),
                                       {ModeText(lang, data.ScSvpMode), Range(a.Min, a.Max), Range(a.Min2, a.Max2)}));
      break;
    case AssumptionKind::PlumbHeight:
      c.Assumptions.push_back(
          FillText(RT(lang, ReportText::AssumptionPlumb), {std::to_string(a.Count), Range(a.Min, a.Max)}));
      break;
    case AssumptionKind::GyroDirection:
      c.Assumptions.push_back(FillText(RT(lang, ReportText::AssumptionGyro), {std::to_string(a.Count)}));
      break;
    }

  c.OverviewTitle = RT(lang, ReportText::OverviewPlan);
  c.PlanTitle = RT(lang, ReportText::Plan);
  c.PlanLegend = RT(lang, ReportText::PlanLegend) + ". " + RT(lang, ReportText::Confidence) + ": " +
                 ConfidenceText(lang, level) + ".";

  // Points: horizontal ellipse, height deviation and ellipsoid at the level.
  {
    ReportTable t;
    t.Title = RT(lang, ReportText::PointsTable);
    t.Wide = true;
    t.Header = {RT(lang, ReportText::PointNumber), "X / m", "Y / m", "Z / m", Head(lang, "a", level, "mm"),
                Head(lang, "b", level, "mm"), "w(a) / gon", Head(lang, "\xCF\x83Z", level, "mm")};
    for (int k = 1; k <= 3; ++k) {
      const std::string n = std::to_string(k);
      t.Header.push_back(Head(lang, "A" + n, level, "mm"));
      t.Header.push_back("w" + n + " / gon");
      t.Header.push_back("z" + n + " / gon");
    }
    t.Widths = {5, 9, 9, 7, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6};
    t.AlignLeft = LeftFirst(t.Header.size(), 0);
    for (const ReportPointRow &p : data.PointRows) {
      std::vector<std::string> row = {Pt(p.Number),          NumToTextFixed(p.X, 15, 4),
                                      NumToTextFixed(p.Y, 15, 4), NumToTextFixed(p.Z, 15, 4),
                                      Mm(p.Horizontal.SemiMajor), Mm(p.Horizontal.SemiMinor),
                                      Gon(p.Horizontal.Bearing), Mm(p.SigmaZ)};
      for (std::size_t k = 0; k < 3; ++k) {
        row.push_back(p.EllipsoidValid ? Mm(p.Axes[k]) : "-");
        row.push_back(p.EllipsoidValid ? Gon(p.AxisBearings[k]) : "-");
        row.push_back(p.EllipsoidValid ? Gon(p.AxisZeniths[k]) : "-");
      }
      t.Rows.push_back(row);
    }
    c.Tables.push_back(t);
  }

  // Relative precision of the requested pairs.
  {
    ReportTable t;
    t.Title = RT(lang, ReportText::RelativePrecision);
    t.Wide = true;
    t.Header = {L(lang, 57),
                L(lang, 58),
                Head(lang, "a", level, "mm"),
                Head(lang, "b", level, "mm"),
                "w(a) / gon",
                Head(lang, "\xCF\x83Z", level, "mm"),
                RT(lang, ReportText::Bearing) + " / gon",
                Head(lang, RT(lang, ReportText::Along), level, "mm"),
                Head(lang, RT(lang, ReportText::Across), level, "mm"),
                RT(lang, ReportText::DistanceKind),
                "d / m",
                Head(lang, "\xCF\x83" "d", level, "mm"),
                RT(lang, ReportText::Note),
                ""};
    t.Widths = {5, 5, 6, 6, 6, 6, 7, 7, 7, 6, 8, 6, 8, 4};
    t.AlignLeft = LeftFirst(t.Header.size(), 0);
    t.AlignLeft[9] = true;
    t.AlignLeft[12] = true;
    for (const RelativeLine &r : data.Relatives) {
      const bool kind = r.Request.Kind >= 0 && r.Request.Kind <= 2;
      const bool bearing = r.Request.HasBearing;
      std::string note;
      if (r.FromFixed)
        note = FillText(RT(lang, ReportText::PointFixed), {Pt(r.Request.From)});
      if (r.ToFixed)
        note += (note.empty() ? "" : ", ") + FillText(RT(lang, ReportText::PointFixed), {Pt(r.Request.To)});
      t.Rows.push_back({Pt(r.Request.From), Pt(r.Request.To), Mm(r.Precision.Ellipse.SemiMajor),
                        Mm(r.Precision.Ellipse.SemiMinor), Gon(r.Precision.Ellipse.Bearing),
                        Mm(r.Precision.SigmaZ), bearing ? Gon(r.Request.BearingGon) : "",
                        bearing ? Mm(r.Split.Along) : "", bearing ? Mm(r.Split.Across) : "",
                        kind ? KindText(lang, r.Request.Kind) : "", kind ? NumToTextFixed(r.Distance, 15, 4) : "",
                        kind ? Mm(r.DistanceSigma) : "", note, ""});
      t.Ellipses.push_back(r.Precision.Ellipse);
    }
    t.EmptyText = RT(lang, ReportText::RelativeNone);
    c.Tables.push_back(t);
  }

  // The measurements as planned, with the reliability of their observations.
  {
    ReportTable t;
    t.Title = RT(lang, ReportText::Measurements);
    t.Wide = true;
    t.Header = {RT(lang, ReportText::MeasurementType),
                RT(lang, ReportText::Station),
                RT(lang, ReportText::Target),
                RT(lang, ReportText::Part),
                "\xCF\x83 a priori (1\xCF\x83)",
                "\xCF\x83 adj." + tag,
                "unit",
                "r",
                "MDB",
                RT(lang, ReportText::MdbShift) + " / mm",
                ""};
    t.Widths = {10, 5, 5, 4, 7, 7, 4, 5, 6, 7, 10};
    t.AlignLeft = LeftFirst(t.Header.size(), 1);
    t.AlignLeft[3] = true;
    t.AlignLeft[6] = true;
    t.AlignLeft[10] = true;
    for (const PlannedMeasurement &m : data.Planned)
      for (const ObservationPart &part : m.Parts) {
        const ObservationReliability *o =
            part.Observation >= 0 ? &prec.Observations[static_cast<std::size_t>(part.Observation)] : nullptr;
        const bool own = part.Part.empty() || part.Part != "dz";
        const std::string sigma =
            o ? NumToTextFixed(o->StdevApriori, 8, 2)
              : (own ? NumToTextFixed(m.Sigma, 8, m.SigmaUnit == "cc" ? 1 : 2) : "-");
        const std::string unit = o ? EngineSigmaUnit(o->Type) : m.SigmaUnit;
        t.Rows.push_back(
            {TypeText(lang, m.Type), Pt(m.Station), Pt(m.Target), part.Part, sigma,
             o && std::isfinite(o->StdevAdjusted) ? NumToTextFixed(o->StdevAdjusted * k1, 8, 2) : "-", unit,
             o ? NumToTextFixed(o->Redundancy, 8, 3) : "-",
             o && std::isfinite(o->Mdb) ? NumToTextFixed(o->Mdb, 8, 2) : "-",
             std::isfinite(part.MdbShift) ? Mm(part.MdbShift) : "",
             o ? ClassText(lang, *o) : RT(lang, ReportText::Unknown)});
        t.Marks.push_back(o ? MarkOf(*o) : RowMark::None);
      }
    t.EmptyText = RT(lang, ReportText::Unknown);
    c.Tables.push_back(t);
  }

  // The input points.
  {
    ReportTable t;
    t.Title = RT(lang, ReportText::InputPoints);
    t.Header = {L(lang, 97), "X / m", "Y / m", "Z / m", "Sc / mm", "Svp / mm", RT(lang, ReportText::Fixed)};
    t.Widths = {6, 11, 11, 9, 6, 6, 6};
    t.AlignLeft = LeftFirst(t.Header.size(), 0);
    t.AlignLeft[6] = true;
    for (const NetworkPoint &p : data.Points.Items)
      t.Rows.push_back({Pt(p.Number), NumToTextFixed(p.X, 15, 4), NumToTextFixed(p.Y, 15, 4),
                        NumToTextFixed(p.Z, 15, 4), NumToTextFixed(p.Sc * 1000.0, 8, 2),
                        NumToTextFixed(p.Svp * 1000.0, 8, 2),
                        p.Fixed ? RT(lang, ReportText::Fixed) : RT(lang, ReportText::Adjusted)});
    c.Tables.push_back(t);
  }
  AddDesignSections(lang, data.Design, c);
  return c;
}
