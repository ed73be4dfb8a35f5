#pragma once
// The report as texts in reading order: the title block, the summary and the
// tables, each with its header (units in the header cells). Both writers
// (PDF and HTML) lay out this one content, so that the two formats always
// say the same thing.
#include <string>
#include <vector>

#include "evaluation/report_data.h"

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

struct ReportContent {
  std::string Title;
  std::vector<ReportField> TitleBlock;
  std::vector<ReportField> Summary;
  std::string PlanTitle;
  std::string PlanLegend;
  // Coordinates, relative precision, observations, input points, input
  // measurements.
  std::vector<ReportTable> Tables;
};

// Builds the content in the active language.
ReportContent BuildReportContent(const ReportData &data);
