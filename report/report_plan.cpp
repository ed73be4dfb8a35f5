#include "report/report_plan.h"

#include <QPainter>

#include "core/survey_network.h"
#include "evaluation/report_data.h"
#include "plot/precision_plan.h"
#include "report/report_texts.h"
#include "settings/language_pack.h"

PlotTexts ReportPlotTexts() {
  PlotTexts t;
  if (ActiveLanguageCode(Lang()) != "CZ" && ActiveLanguageCode(Lang()) != "CS")
    return t;
  t.FixedPoint = QStringLiteral("pevný bod");
  t.AdjustedPoint = QStringLiteral("určovaný bod");
  t.PointEllipse = QStringLiteral("chybová elipsa bodu");
  t.HeightBar = QStringLiteral("výšková úsečka \u00b1\u03c3Z");
  t.RelativeEllipse = QStringLiteral("relativní elipsa měřené dvojice");
  t.Uncontrolled = QStringLiteral("nekontrolované (r < 0,1)");
  t.Weak = QStringLiteral("slabě kontrolované (r < 0,3)");
  t.Controlled = QStringLiteral("kontrolované");
  t.Line = QStringLiteral("měřená dvojice");
  t.BeyondTolerance = QStringLiteral("mimo toleranci");
  t.StandardEllipses = QStringLiteral("standardní elipsy");
  t.Percent95Ellipses = QStringLiteral("elipsy 95 %");
  t.Ellipses = QStringLiteral("elipsy");
  t.MmOfPlan = QStringLiteral("1 mm = %1 m mapy");
  t.Network = QStringLiteral("síť");
  t.Detail = QStringLiteral("detail");
  return t;
}

void DrawReportPlan(QPainter &painter, const QRectF &area, const ReportData &data, double unit,
                    bool small) {
  SurveyNetwork network;
  network.Points.List = data.Points;
  network.Points.ScSvpMode = static_cast<std::uint8_t>(data.ScSvpMode);
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
  options.Texts = ReportPlotTexts();

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
