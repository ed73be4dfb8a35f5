#pragma once
// The report's sections of the measurement design: every requirement with
// its value, margin and state, and for an optimised plan each measurement
// added or removed with its cost and the reason for it.
#include "evaluation/report_design.h"
#include "report/report_content.h"

#include <string>

class LanguagePack;

// "3.756 mm", or "0.412" for a redundancy number: as the command prints them.
std::string RequirementValueText(const ReportRequirement &r, double value);

// Appends the design's sections to the content (nothing when the report
// was made without requirements).
void AddDesignSections(const LanguagePack &lang, const ReportDesign &design,
                       ReportContent &content);
