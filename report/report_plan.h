#pragma once
// The measurement plan of a report: points, measurement lines coloured by
// their reliability, point error ellipses magnified to be seen, a scale bar
// for the plan and one for the ellipses, and a legend.
#include <QRectF>

class QPainter;
struct ReportData;

// Draws the plan into `area` (painter units). Lengths of lines and fonts
// are given in `unit` painter units per typographic point.
void DrawReportPlan(QPainter &painter, const QRectF &area, const ReportData &data, double unit);
