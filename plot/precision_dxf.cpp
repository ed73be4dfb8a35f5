#include "plot/precision_dxf.h"

#include <QGuiApplication>
#include <QRectF>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "core/number_text.h"
#include "core/survey_network.h"
#include "core/text_file.h"
#include "evaluation/network_precision.h"

namespace {

using kd::dxf::Point3;
using kd::dxf::Rgb;
namespace L = dxf_layers;

constexpr double kPi = 3.14159265358979323846;

Rgb RgbOf(const QColor &c) {
  return {static_cast<std::uint8_t>(c.red()), static_cast<std::uint8_t>(c.green()),
          static_cast<std::uint8_t>(c.blue())};
}

// A measurement type's layer and the engine's observation kinds it becomes.
struct TypeLayer {
  PairCountSlot Slot;
  const char *Layer;
  std::vector<std::string> EngineTypes;
};

const std::vector<TypeLayer> &TypeLayers() {
  static const std::vector<TypeLayer> kLayers = {
      {pcSd, L::kSlopeDistance, {"s-distance"}},
      {pcHd, L::kHorizontalDistance, {"distance"}},
      {pcVd, L::kHeightDifference, {"dh"}},
      {pcZu, L::kZenithAngle, {"z-angle"}},
      {pcDi, L::kDirection, {"direction"}},
      {pcGd, L::kGyroDirection, {"direction"}},
      {pcPr, L::kPlumbing, {"dx", "dy", "dz"}},
  };
  return kLayers;
}

// Smallest redundancy number of the pair's observations of the given kinds
// (rejected ones left out); NaN when there is none.
long double WeakestOfKinds(const NetworkPrecision &precision, double a, double b,
                           const std::vector<std::string> &kinds) {
  long double weakest = std::nan("");
  for (const ObservationReliability *o : precision.ObservationsBetween(a, b))
    if (!o->Rejected && std::find(kinds.begin(), kinds.end(), o->Type) != kinds.end() &&
        !(o->Redundancy >= weakest))
      weakest = o->Redundancy;
  return weakest;
}

std::string MagnificationText(double m) {
  if (m >= 1 && std::fabs(m - std::round(m)) < 1e-9)
    return std::to_string(std::llround(m));
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.4g", m);
  return buf;
}

std::string ShortNumber(double v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.4g", v);
  return buf;
}

// Rounds down to 1, 2 or 5 times a power of ten.
double NiceBelow(double v) {
  if (!(v > 0) || !std::isfinite(v))
    return 0;
  const double p = std::pow(10.0, std::floor(std::log10(v)));
  const double m = v / p;
  return (m >= 5 ? 5 : m >= 2 ? 2 : 1) * p;
}

// Places entities of the plan in CAD coordinates.
class PlanMapper {
public:
  PlanMapper(DxfAxes axes, double metresPerPixel) : Axes(axes), Pixel(metresPerPixel) {}
  // CAD position of world X, Y.
  Point3 At(long double X, long double Y, long double Z = 0) const {
    return Axes == DxfAxes::YX ? Point3{static_cast<double>(Y), static_cast<double>(X), static_cast<double>(Z)}
                               : Point3{static_cast<double>(X), static_cast<double>(Y), static_cast<double>(Z)};
  }
  // CAD vector of a world vector.
  std::pair<double, double> Vector(double dX, double dY) const {
    return Axes == DxfAxes::YX ? std::pair{dY, dX} : std::pair{dX, dY};
  }
  // Metres of `px` pixels of the reference plot.
  double Px(double px) const { return px * Pixel; }

private:
  DxfAxes Axes;
  double Pixel;
};

// The ellipse of semi-axes a, b (metres) whose major axis has the bearing
// `bearingGon` in the world, at `centre`.
void AddWorldEllipse(kd::dxf::Drawing &d, const std::string &layer, const PlanMapper &map,
                     Point3 centre, double a, double b, double bearingGon,
                     std::optional<Rgb> colour) {
  if (!(a > 0) || !std::isfinite(a) || !std::isfinite(b))
    return;
  const double t = bearingGon * kPi / 200.0;
  const auto [mx, my] = map.Vector(a * std::cos(t), a * std::sin(t));
  d.AddEllipse(layer, centre, mx, my, b / a, colour);
}

} // namespace

std::vector<std::string> PrecisionDxfLayers() {
  return {L::kFixedPoints,       L::kAdjustedPoints, L::kPointLabels,      L::kSlopeDistance,
          L::kHorizontalDistance, L::kHeightDifference, L::kZenithAngle,    L::kDirection,
          L::kGyroDirection,     L::kPlumbing,       L::kPointEllipses,    L::kHeightBars,
          L::kRelativeEllipses,  L::kToleranceMarks, L::kLegend};
}

bool IsDxfFileName(const std::string &fileName) { return kd::HasFileExtension(fileName, "dxf"); }

kd::dxf::Drawing BuildPrecisionDxf(const SurveyNetwork &network, const NetworkPrecision *precision,
                                   const PlotOptions &o, const DxfOptions &dxf,
                                   double *magnificationUsed) {
  kd::dxf::Drawing d;
  d.SetUnitsMetres(true);
  d.SetSurveyAngles(dxf.Axes == DxfAxes::YX);

  const Rgb text = RgbOf(o.TextColor);
  d.AddLayer(L::kFixedPoints, RgbOf(o.FixedColor));
  d.AddLayer(L::kAdjustedPoints, RgbOf(o.AdjustedColor));
  d.AddLayer(L::kPointLabels, text);
  for (const TypeLayer &t : TypeLayers())
    d.AddLayer(t.Layer, RgbOf(o.LineColor));
  d.AddLayer(L::kPointEllipses, RgbOf(o.EllipseColor));
  d.AddLayer(L::kHeightBars, RgbOf(o.HeightBarColor));
  d.AddLayer(L::kRelativeEllipses, RgbOf(o.RelativeColor));
  d.AddLayer(L::kToleranceMarks, RgbOf(o.BeyondColor));
  d.AddLayer(L::kLegend, text);

  // The reference plot: its view gives the sizes of symbols and texts and,
  // unless fixed, the magnification.
  const QRectF area(0, 0, std::max(100, dxf.ReferenceWidth), std::max(100, dxf.ReferenceHeight));
  // The plotted plan's layout measures its texts, which takes a GUI
  // application; without one the network fitted to the whole area stands in.
  const PlotView view = qobject_cast<QGuiApplication *>(QCoreApplication::instance())
                            ? PlanDrawingView(area, network, precision, o)
                            : FitView(network, area, 60, o.Axes);
  const double metresPerPixel = view.Scale > 0 && std::isfinite(view.Scale) ? 1.0 / view.Scale : 1.0;
  const PlanMapper map(dxf.Axes, metresPerPixel);
  double mag = 0;
  if (precision)
    mag = EffectiveMagnification(*precision, network, view, area, o);
  if (magnificationUsed)
    *magnificationUsed = mag;
  const double k2 = static_cast<double>(EllipseFactor(o.Level));
  const double k1 = static_cast<double>(LinearFactor(o.Level));
  const double mmToCad = mag / 1000.0; // metres in the drawing per millimetre

  // Lines: one per measured pair and type, in the reliability colour of the
  // weakest observation of that type when it is not controlled.
  MeasurementList pairs;
  pairs.Items = network.Measurements.Items;
  pairs.BuildPairs();
  const PointList &points = network.Points.List;
  for (const MeasuredPair &pair : pairs.Pairs) {
    const int ia = points.IndexOfNumber(pair.PointA), ib = points.IndexOfNumber(pair.PointB);
    if (ia < 0 || ib < 0)
      continue;
    const NetworkPoint &pa = points.Items[static_cast<std::size_t>(ia)];
    const NetworkPoint &pb = points.Items[static_cast<std::size_t>(ib)];
    for (const TypeLayer &t : TypeLayers()) {
      if (pair.Counts[t.Slot] == 0)
        continue;
      std::optional<Rgb> colour;
      if (precision && o.ShowReliability) {
        const long double r = WeakestOfKinds(*precision, pair.PointA, pair.PointB, t.EngineTypes);
        if (!std::isnan(static_cast<double>(r))) {
          if (ReliabilityOf(r) == ReliabilityClass::Uncontrolled)
            colour = RgbOf(o.UncontrolledColor);
          else if (ReliabilityOf(r) == ReliabilityClass::Weak)
            colour = RgbOf(o.WeakColor);
        }
      }
      d.AddLine(t.Layer, map.At(pa.X, pa.Y), map.At(pb.X, pb.Y), colour);
    }
  }

  // Relative ellipses at the middle of the measured pairs.
  if (precision && o.ShowRelativeEllipses && mag > 0) {
    RelativePrecision rel;
    for (const MeasuredPair &pair : pairs.Pairs) {
      const int ia = points.IndexOfNumber(pair.PointA), ib = points.IndexOfNumber(pair.PointB);
      if (ia < 0 || ib < 0 || !precision->Relative(pair.PointA, pair.PointB, rel))
        continue;
      const NetworkPoint &pa = points.Items[static_cast<std::size_t>(ia)];
      const NetworkPoint &pb = points.Items[static_cast<std::size_t>(ib)];
      AddWorldEllipse(d, L::kRelativeEllipses, map, map.At((pa.X + pb.X) / 2, (pa.Y + pb.Y) / 2),
                      static_cast<double>(rel.Ellipse.SemiMajor) * k2 * mmToCad,
                      static_cast<double>(rel.Ellipse.SemiMinor) * k2 * mmToCad,
                      static_cast<double>(rel.Ellipse.Bearing), {});
    }
  }

  // Points: the point itself with its height, its symbol and its label.
  const std::vector<double> beyond =
      precision ? PointsBeyondTolerance(*precision, o) : std::vector<double>();
  const double textHeight = map.Px(std::max(6, o.FontPixelSize));
  LabelPlacer labels(QRectF{});
  // Label boxes are placed in CAD coordinates scaled to reference pixels,
  // y downwards, as the placer expects.
  auto toPlacer = [&](Point3 p) { return QPointF(p.X / metresPerPixel, -p.Y / metresPerPixel); };
  for (const NetworkPoint &p : points.Items) {
    const QPointF c = toPlacer(map.At(p.X, p.Y));
    labels.Occupy(QRectF(c.x() - 5, c.y() - 5, 10, 10));
  }
  for (const NetworkPoint &p : points.Items) {
    const std::string layer = p.Fixed ? L::kFixedPoints : L::kAdjustedPoints;
    const Point3 c = map.At(p.X, p.Y);
    d.AddPoint(layer, map.At(p.X, p.Y, p.Z));
    if (p.Fixed) {
      d.AddPolyline(layer,
                    {{c.X, c.Y + map.Px(7)},
                     {c.X + map.Px(6), c.Y - map.Px(4.5)},
                     {c.X - map.Px(6), c.Y - map.Px(4.5)}},
                    true);
    } else {
      d.AddCircle(layer, c, map.Px(4));
      d.AddLine(layer, {c.X - map.Px(7), c.Y, 0}, {c.X + map.Px(7), c.Y, 0});
      d.AddLine(layer, {c.X, c.Y - map.Px(7), 0}, {c.X, c.Y + map.Px(7), 0});
    }
    const std::string number = NumToText(p.Number);
    const double widthPx = 0.62 * std::max(6, o.FontPixelSize) * static_cast<double>(number.size());
    const double heightPx = std::max(6, o.FontPixelSize);
    const QPointF at = labels.Place(toPlacer(c), QSizeF(widthPx, heightPx), 8);
    // The placer gives the top-left corner; a text stands on its baseline.
    const bool warn = std::find(beyond.begin(), beyond.end(), p.Number) != beyond.end();
    d.AddText(L::kPointLabels, {at.x() * metresPerPixel, -(at.y() + heightPx) * metresPerPixel, 0},
              textHeight, number, kd::dxf::TextAlign::Left,
              warn ? std::optional<Rgb>(RgbOf(o.BeyondColor)) : std::nullopt);
  }

  // Point ellipses, height bars and tolerance marks of the adjusted points.
  if (precision)
    for (const PointPrecision &p : precision->Points) {
      const int i = points.IndexOfNumber(p.Number);
      if (i < 0)
        continue;
      const NetworkPoint &np = points.Items[static_cast<std::size_t>(i)];
      const Point3 c = map.At(np.X, np.Y);
      const bool warn = std::find(beyond.begin(), beyond.end(), p.Number) != beyond.end();
      const std::optional<Rgb> warnColour =
          warn ? std::optional<Rgb>(RgbOf(o.BeyondColor)) : std::nullopt;
      if (warn)
        d.AddCircle(L::kToleranceMarks, c, map.Px(9));
      if (mag <= 0)
        continue;
      if (o.ShowEllipses)
        AddWorldEllipse(d, L::kPointEllipses, map, c,
                        static_cast<double>(p.Ellipse.SemiMajor) * k2 * mmToCad,
                        static_cast<double>(p.Ellipse.SemiMinor) * k2 * mmToCad,
                        static_cast<double>(p.Ellipse.Bearing), warnColour);
      if (o.ShowHeightBars) {
        const double h = static_cast<double>(p.SigmaZ) * k1 * mmToCad;
        const double x = c.X - map.Px(12), tick = map.Px(4);
        d.AddLine(L::kHeightBars, {x, c.Y - h, 0}, {x, c.Y + h, 0}, warnColour);
        d.AddLine(L::kHeightBars, {x - tick, c.Y - h, 0}, {x + tick, c.Y - h, 0}, warnColour);
        d.AddLine(L::kHeightBars, {x - tick, c.Y + h, 0}, {x + tick, c.Y + h, 0}, warnColour);
      }
    }

  // The legend, right of the network: magnification and confidence level,
  // the scale bar of the ellipses, the reliability colours, the tolerances
  // and the axes.
  double maxX = 0, maxY = 0;
  bool first = true;
  for (const NetworkPoint &p : points.Items) {
    const Point3 c = map.At(p.X, p.Y);
    maxX = first ? c.X : std::max(maxX, c.X);
    maxY = first ? c.Y : std::max(maxY, c.Y);
    first = false;
  }
  const double lx = maxX + map.Px(60);
  const double line = textHeight * 1.6;
  double ly = maxY;
  auto legendText = [&](const std::string &s, double indent = 0,
                        std::optional<Rgb> colour = std::nullopt) {
    d.AddText(L::kLegend, {lx + indent, ly, 0}, textHeight, s, kd::dxf::TextAlign::Left, colour);
    ly -= line;
  };
  const bool ninetyFive = o.Level == ConfidenceLevel::Percent95;
  legendText(std::string("Measurement plan, ") +
             (dxf.Axes == DxfAxes::YX ? "CAD x = Y, CAD y = X" : "CAD x = X, CAD y = Y") +
             ", metres");
  if (precision && mag > 0) {
    legendText("ellipses \u00d7 " + MagnificationText(mag) + " (" +
               (ninetyFive ? "95 % ellipses" : "standard ellipses") + ")");
    legendText("1 mm = " + ShortNumber(mag / 1000.0) + " m of the plan");
    legendText(std::string("confidence level: ") +
               (ninetyFive ? "95 % (ellipses 2.4477 sigma, height bars 1.96 sigma)"
                           : "standard (1 sigma)"));
    const double pxPerMm = mag / 1000.0 * view.Scale;
    const double barMm = NiceBelow(std::min(area.width() / 5, 150.0) / pxPerMm);
    if (barMm > 0) {
      const double len = barMm * mmToCad, y = ly + textHeight / 3, tick = map.Px(4);
      const Rgb bar = RgbOf(o.EllipseColor);
      d.AddLine(L::kLegend, {lx, y, 0}, {lx + len, y, 0}, bar);
      d.AddLine(L::kLegend, {lx, y - tick, 0}, {lx, y + tick, 0}, bar);
      d.AddLine(L::kLegend, {lx + len, y - tick, 0}, {lx + len, y + tick, 0}, bar);
      d.AddText(L::kLegend, {lx + len + map.Px(8), ly, 0}, textHeight, NumToText(barMm) + " mm");
      ly -= line;
    }
  } else if (precision) {
    legendText("no ellipses (nothing to draw)");
  } else {
    legendText("no precision: the network has not been evaluated");
  }
  if (precision && o.ShowReliability && !precision->Observations.empty()) {
    const std::pair<QColor, const char *> entries[] = {
        {o.UncontrolledColor, "uncontrolled (r < 0.1)"},
        {o.WeakColor, "weakly controlled (r < 0.3)"},
        {o.LineColor, "controlled"}};
    for (const auto &[colour, what] : entries) {
      const double y = ly + textHeight / 3;
      d.AddLine(L::kLegend, {lx, y, 0}, {lx + map.Px(28), y, 0}, RgbOf(colour));
      legendText(what, map.Px(36));
    }
  }
  if (o.ToleranceSemiMajorMm > 0 || o.ToleranceSigmaZMm > 0) {
    std::string t = "beyond tolerance (";
    if (o.ToleranceSemiMajorMm > 0)
      t += "a > " + ShortNumber(o.ToleranceSemiMajorMm) + " mm";
    if (o.ToleranceSemiMajorMm > 0 && o.ToleranceSigmaZMm > 0)
      t += ", ";
    if (o.ToleranceSigmaZMm > 0)
      t += "sigma Z > " + ShortNumber(o.ToleranceSigmaZMm) + " mm";
    t += ")";
    d.AddCircle(L::kLegend, {lx + map.Px(14), ly + textHeight / 3, 0}, map.Px(5),
                RgbOf(o.BeyondColor));
    legendText(t, map.Px(36));
  }
  return d;
}

bool WritePrecisionDxf(const std::string &fileName, const SurveyNetwork &network,
                       const NetworkPrecision *precision, const PlotOptions &options,
                       const DxfOptions &dxf, std::string &error) {
  error.clear();
  if (!IsDxfFileName(fileName)) {
    error = "cannot tell the format of '" + fileName + "' (a DXF file name must end in .dxf)";
    return false;
  }
  const std::string text = BuildPrecisionDxf(network, precision, options, dxf).Text();
  std::string reason;
  if (!kd::WriteFileAtomic(fileName, text, reason)) {
    error = "cannot write the DXF file " + fileName + (reason.empty() ? "" : ": " + reason);
    return false;
  }
  return true;
}
