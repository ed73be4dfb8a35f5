#pragma once
// The measurement plan of a report: the program's precision plan (points,
// measurement lines in their reliability colours, error ellipses, height
// bars, tolerance marks, legend, scale box, axis cross and the detail of a
// dense cluster) fitted into a page area, X up and Y to the right.
#include <QRectF>

class QPainter;
class LanguagePack;
struct ReportData;
struct PlotTexts;

// Draws the plan into `area` (painter units); `unit` is the number of
// painter units per typographic point, so that lines and texts keep their
// size on any device. The small plan (page 1) has no detail inset.
void DrawReportPlan(QPainter &painter, const QRectF &area, const LanguagePack &lang,
                    const ReportData &data, double unit, bool small);

// The plan's texts in the language of `lang`.
PlotTexts ReportPlotTexts(const LanguagePack &lang);
