#pragma once
// The measurement plan of a report: the program's precision plan (points,
// measurement lines in their reliability colours, error ellipses, height
// bars, tolerance marks, legend and scale bar) fitted into a page area.
#include <QRectF>

class QPainter;
struct ReportData;

// Draws the plan into `area` (painter units); `unit` is the number of
// painter units per typographic point, so that lines and texts keep their
// size on any device.
void DrawReportPlan(QPainter &painter, const QRectF &area, const ReportData &data, double unit);
