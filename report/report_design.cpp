#include "report/report_design.h"

#include "core/number_text.h"
#include "settings/text_catalogue.h"

#include <cstdio>
#include <filesystem>

namespace {

std::string Fixed3(double v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.3f", v);
  return buf;
}

std::string Fill(const LanguagePack &lang, Text text, const std::string &a) {
  std::string s = Tr(lang, text);
  const auto at = s.find("%1");
  if (at != std::string::npos)
    s.replace(at, 2, a);
  return s;
}

std::string Fill(const LanguagePack &lang, Text text, const std::string &a, const std::string &b) {
  std::string s = Fill(lang, text, a);
  const auto at = s.find("%2");
  if (at != std::string::npos)
    s.replace(at, 2, b);
  return s;
}

std::string State(const LanguagePack &lang, const ReportRequirement &r) {
  if (!r.Holds)
    return Tr(lang, Text::RequirementNotMet);
  return Tr(lang, r.Binds ? Text::RequirementBinds : Text::RequirementMet);
}

ReportTable RequirementTable(const LanguagePack &lang, const std::string &title,
                             const std::vector<ReportRequirement> &rows) {
  ReportTable t;
  t.Title = title;
  t.Header = {Tr(lang, Text::RequirementColumn), Tr(lang, Text::ValueColumn),
              Tr(lang, Text::MarginColumn), Tr(lang, Text::StateColumn)};
  t.Widths = {12, 7, 7, 6};
  t.AlignLeft = {true, false, false, true};
  for (const ReportRequirement &r : rows) {
    std::string value = RequirementValueText(r, r.Value);
    if (r.Many && !r.Worst.empty())
      value += " (" + Fill(lang, Text::WorstAt, r.Worst) + ")";
    t.Rows.push_back({r.Text, value, RequirementValueText(r, r.Margin), State(lang, r)});
    t.Marks.push_back(r.Holds ? RowMark::Controlled : RowMark::Uncontrolled);
  }
  return t;
}

std::string Reason(const LanguagePack &lang, const ReportPlanChange &c) {
  if (!c.Added)
    return Tr(lang, Text::WhyRemoved);
  if (c.Singular)
    return Tr(lang, Text::WhySingular);
  if (c.Without.empty())
    return Tr(lang, Text::WhyAddedWidens);
  std::string broken;
  for (const ReportRequirement &r : c.Without)
    broken += (broken.empty() ? "" : "; ") + r.Text + " \u2192 " + RequirementValueText(r, r.Value);
  return Fill(lang, Text::WhyAddedBreaks, broken);
}

} // namespace

std::string RequirementValueText(const ReportRequirement &r, double value) {
  return r.Redundancy ? Fixed3(value) : Fixed3(value) + " mm";
}

void AddDesignSections(const LanguagePack &lang, const ReportDesign &design,
                       ReportContent &content) {
  if (!design.Present)
    return;
  ReportSection req;
  req.Title = Tr(lang, Text::RequirementsTitle);
  req.Paragraphs.push_back(Fill(lang, Text::RequirementsOf, std::filesystem::path(design.FileName).filename().string(),
                                Tr(lang, design.Confidence95 ? Text::Level95Name : Text::LevelStandardName)));
  if (design.FreeNetwork)
    req.Paragraphs.push_back(Tr(lang, Text::FreeNetworkDatum));
  req.Tables.push_back(RequirementTable(lang, std::string(), design.Requirements));
  content.ExtraSections.push_back(std::move(req));
  if (!design.Optimised)
    return;

  ReportSection opt;
  opt.Title = Tr(lang, Text::OptimisedPlanTitle);
  opt.Paragraphs.push_back(Tr(lang, !design.Reached            ? Text::OptimisedNotReached
                              : design.Changes.empty() ? Text::OptimisedNoChange
                                                       : Text::OptimisedReached));
  if (!design.Changes.empty()) {
    ReportTable t;
    t.Header = {Tr(lang, Text::ChangeColumn), Tr(lang, Text::MeasurementColumn), Tr(lang, Text::CostColumn),
                Tr(lang, Text::WhyColumn)};
    t.Widths = {5, 8, 3, 16};
    t.AlignLeft = {true, true, false, true};
    for (const ReportPlanChange &c : design.Changes)
      t.Rows.push_back({Tr(lang, c.Added ? Text::ChangeAdded : Text::ChangeRemoved), c.Measurement,
                        NumToText(c.Added ? c.Cost : -c.Cost), Reason(lang, c)});
    opt.Tables.push_back(std::move(t));
  }
  opt.Paragraphs.push_back(Fill(lang, Text::TotalCost, NumToText(design.TotalCost)));
  if (!design.Final.empty())
    opt.Tables.push_back(RequirementTable(lang, Tr(lang, Text::FinalValuesTitle), design.Final));
  content.ExtraSections.push_back(std::move(opt));
}
