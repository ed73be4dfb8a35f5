#include "report/report_plan.h"

#include <QPainter>

#include "core/survey_network.h"
#include "evaluation/report_data.h"
#include "plot/precision_plan.h"
#include "report/report_texts.h"
#include "settings/language_pack.h"

PlotTexts ReportPlotTexts(const LanguagePack &lang) { return PlotTextsIn(lang); }

void DrawReportPlan(QPainter &painter, const QRectF &area, const LanguagePack &lang,
                    const ReportData &data, double unit, bool small) {
  SurveyNetwork network;
  network.Points.List = data.Points;
  network.Points.ScSvpMode = data.ScSvpMode;
  network.Measurements.Items = data.Measurements.Items;
  network.Measurements.BuildPairs();

  PlotOptions options;
  options.Level = data.Confidence;
  options.ToleranceSemiMajorMm = static_cast<double>(data.Tolerance.Horizontal);
  options.ToleranceSigmaZMm = static_cast<double>(data.Tolerance.Vertical);
  options.FontPixelSize = 11;
  options.Axes = PlotAxes::XUpYRight;
  options.ShowLineLabels = false;
  options.ShowInset = !small;
  options.ShowLegend = !small; // the full plan on the next page has it
  options.Texts = ReportPlotTexts(lang);

  // The plan's pens and fonts are sized for a screen of 96 pixels per inch:
  // draw in such pixels, scaled to the device.
  const double scale = unit * 72.0 / 96.0;
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  painter.translate(area.topLeft());
  painter.scale(scale, scale);
  const QRectF target(0, 0, area.width() / scale, area.height() / scale);
  DrawPrecisionPlan(painter, target, network, data.Precision.Empty() ? nullptr : &data.Precision,
                    options);
  painter.setPen(QPen(Qt::black, 1));
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(target);
  painter.restore();
}
