#pragma once
// The report as texts in reading order: the title block, the summary and the
// tables, each with its header (units in the header cells). Both writers
// (PDF and HTML) lay out this one content, so that the two formats always
// say the same thing.
#include <string>
#include <vector>

#include "evaluation/report_data.h"

class LanguagePack;

struct ReportField {
  std::string Label;
  std::string Value;
};

// Reliability class of a table row, for its colour (observations only).
enum class RowMark { None, Controlled, Weak, Uncontrolled };

struct ReportTable {
  std::string Title;
  std::vector<std::string> Header;
  std::vector<std::vector<std::string>> Rows;
  std::vector<double> Widths;   // relative column widths
  std::vector<bool> AlignLeft;  // per column; numbers are right-aligned
  std::vector<RowMark> Marks;   // per row (may be empty)
  bool Wide = false;            // needs a landscape page
  std::string EmptyText;        // shown instead of an empty table
  // Relative ellipses drawn beside the rows (relative precision table):
  // semi-axes in mm and bearing in gon per row, scaled to the largest.
  std::vector<ErrorEllipse> Ellipses;
};

// A section of its own after the tables: a title, paragraphs, fields and
// tables, laid out like the report's own.
struct ReportSection {
  std::string Title;
  std::vector<std::string> Paragraphs;
  std::vector<ReportField> Fields;
  std::vector<ReportTable> Tables;
};

struct ReportContent {
  std::string Title;
  std::vector<ReportField> TitleBlock;
  std::vector<std::string> Verdicts; // one sentence per tolerance
  std::vector<ReportField> Summary;
  std::vector<std::string> Statements; // the level with its factors, how bearings count
  std::vector<std::string> Assumptions;
  std::string OverviewTitle; // the small plan of page 1
  std::string PlanTitle;
  std::string PlanLegend;
  // Points, relative precision, measurements, input points.
  std::vector<ReportTable> Tables;
  // Further sections, in order, after the tables.
  std::vector<ReportSection> ExtraSections;
};

// Builds the content in the language of `lang`.
ReportContent BuildReportContent(const LanguagePack &lang, const ReportData &data);
