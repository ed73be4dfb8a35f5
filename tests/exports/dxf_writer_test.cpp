// The DXF writer and the plan drawn with it: the file's structure (sections,
// handles, owners, layers, colours), numbers and texts as CAD programs read
// them, and the precision drawn in CAD coordinates for both axis choices.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <tuple>
#include <cstdlib>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "core/survey_network.h"
#include "evaluation/network_precision.h"
#include "plot/dxf_writer.h"
#include "plot/precision_dxf.h"

namespace {

using Group = std::pair<int, std::string>;

std::vector<Group> Groups(const std::string &text) {
  std::vector<Group> out;
  std::size_t pos = 0;
  auto line = [&]() {
    const std::size_t end = text.find("\r\n", pos);
    std::string s = text.substr(pos, end - pos);
    pos = end == std::string::npos ? text.size() : end + 2;
    return s;
  };
  while (pos < text.size()) {
    const std::string code = line();
    const std::string value = line();
    out.emplace_back(std::atoi(code.c_str()), value);
  }
  return out;
}

// One record of a section: its type and its groups.
struct Record {
  std::string Type;
  std::multimap<int, std::string> G;
  std::string First(int code) const {
    auto it = G.find(code);
    return it == G.end() ? std::string() : it->second;
  }
  double Num(int code) const { return std::strtod(First(code).c_str(), nullptr); }
};

// The records of a section ("ENTITIES", "TABLES", ...).
std::vector<Record> Section(const std::vector<Group> &groups, const std::string &name) {
  std::vector<Record> out;
  bool inside = false;
  for (std::size_t i = 0; i < groups.size(); ++i) {
    const auto &[code, value] = groups[i];
    if (code == 0 && value == "SECTION" && i + 1 < groups.size()) {
      inside = groups[i + 1].second == name;
      continue;
    }
    if (!inside)
      continue;
    if (code == 0 && value == "ENDSEC")
      break;
    if (code == 0)
      out.push_back({value, {}});
    else if (!out.empty())
      out.back().G.emplace(code, value);
  }
  return out;
}

std::vector<Record> OnLayer(const std::vector<Record> &entities, const std::string &type,
                            const std::string &layer) {
  std::vector<Record> out;
  for (const Record &r : entities)
    if (r.Type == type && r.First(8) == layer)
      out.push_back(r);
  return out;
}

} // namespace

TEST(DxfWriter, NumbersReadBackExactly) {
  for (double v : {0.1, 5153.512, -2306.745, 1e-9, 123456789.123456, 1e20, 2.0 / 3.0}) {
    const std::string t = kd::dxf::NumberText(v);
    EXPECT_EQ(std::strtod(t.c_str(), nullptr), v) << t;
    EXPECT_EQ(t.find(','), std::string::npos) << t;
  }
  EXPECT_EQ(kd::dxf::NumberText(-0.0), "0");
  EXPECT_EQ(kd::dxf::NumberText(std::nan("")), "0");
  EXPECT_EQ(kd::dxf::NumberText(1e20), "1.0e+20");
}

TEST(DxfWriter, TextsBeyondAsciiAreEscaped) {
  // Latin-1 as the byte of the file's code page, others escaped.
  EXPECT_EQ(kd::dxf::EncodeText("\u03c3Z \u00d7 5"), "\\U+03C3Z \xD7 5");
  EXPECT_EQ(kd::dxf::EncodeText("a\r\nb\tc"), "abc");   // a group value is one line
  EXPECT_EQ(kd::dxf::EncodeText("\xF0\x9F\x98\x80"), "?"); // beyond the 16-bit escapes
  EXPECT_EQ(kd::dxf::EncodeText("P\xC5\x99\xC3\xAD"), "P\\U+0159\xED");
}

TEST(DxfWriter, ColourIndexIsTheNearestOfThePalette) {
  using kd::dxf::Rgb;
  EXPECT_EQ(kd::dxf::NearestColorIndex({255, 0, 0}), 1);
  EXPECT_EQ(kd::dxf::NearestColorIndex({0, 0, 255}), 5);
  // Black and white: the contrast colour of the background.
  EXPECT_EQ(kd::dxf::NearestColorIndex({0, 0, 0}), 7);
  EXPECT_EQ(kd::dxf::NearestColorIndex({255, 255, 255}), 7);
  // Known entries of the palette.
  EXPECT_EQ(kd::dxf::ColorOfIndex(30), (Rgb{255, 127, 0}));
  EXPECT_EQ(kd::dxf::ColorOfIndex(140), (Rgb{0, 191, 255}));
  EXPECT_EQ(kd::dxf::ColorOfIndex(11), (Rgb{255, 127, 127}));
  EXPECT_EQ(kd::dxf::ColorOfIndex(18), (Rgb{76, 0, 0}));
  EXPECT_EQ(kd::dxf::ColorOfIndex(250), (Rgb{51, 51, 51}));
  // Every palette colour finds an index of exactly that colour.
  for (int i = 1; i <= 255; ++i) {
    if (i == 7)
      continue;
    const Rgb c = kd::dxf::ColorOfIndex(i);
    EXPECT_EQ(kd::dxf::ColorOfIndex(kd::dxf::NearestColorIndex(c)), c) << i;
  }
  // The plan's orange of weakly controlled lines stays orange.
  const Rgb orange = kd::dxf::ColorOfIndex(kd::dxf::NearestColorIndex({240, 140, 0}));
  EXPECT_GT(orange.R, 200);
  EXPECT_LT(orange.B, 60);
}

TEST(DxfWriter, FileStructureHandlesAndOwners) {
  kd::dxf::Drawing d;
  d.AddLayer("PTS", {0, 120, 0});
  d.AddLayer("PTS", {1, 2, 3}); // the first colour stays
  d.AddLayer("TXT", {0, 0, 0});
  d.AddPoint("PTS", {1, 2, 3});
  d.AddLine("PTS", {0, 0, 0}, {10, 5, 0}, kd::dxf::Rgb{220, 0, 0});
  d.AddEllipse("PTS", {5, 5, 0}, 3, 4, 0); // ratio clamped above zero
  d.AddEllipse("PTS", {5, 5, 0}, 3, 4, 2); // and to at most one
  d.AddText("TXT", {1, 1, 0}, 2.5, "\u03c3", kd::dxf::TextAlign::Left, kd::dxf::Rgb{0, 0, 0});
  d.AddPolyline("PTS", {{0, 0}}, true); // a single vertex is no polyline
  EXPECT_EQ(d.EntityCount(), 5u);
  const std::string text = d.Text();

  // Only CR LF line ends, and the sections in their order.
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n') {
      ASSERT_TRUE(i > 0 && text[i - 1] == '\r') << i;
    }
  }
  const std::vector<Group> g = Groups(text);
  std::vector<std::string> sections;
  for (std::size_t i = 0; i + 1 < g.size(); ++i)
    if (g[i] == Group{0, "SECTION"})
      sections.push_back(g[i + 1].second);
  EXPECT_EQ(sections, (std::vector<std::string>{"HEADER", "CLASSES", "TABLES", "BLOCKS",
                                                "ENTITIES", "OBJECTS"}));
  EXPECT_EQ(g.back(), (Group{0, "EOF"}));

  // Every handle once, all below the seed; every owner is a handle.
  std::set<unsigned long> handles;
  unsigned long seed = 0;
  for (std::size_t i = 0; i + 1 < g.size(); ++i) {
    if (g[i] == Group{9, "$HANDSEED"})
      seed = std::stoul(g[i + 1].second, nullptr, 16);
    if (g[i] == Group{9, "$ACADVER"}) {
      EXPECT_EQ(g[i + 1].second, "AC1018");
    }
  }
  // Handles of the records (the header's seed is no handle).
  const auto afterHeader = std::find(g.begin(), g.end(), Group{0, "ENDSEC"});
  for (auto it = afterHeader; it != g.end(); ++it) {
    const auto &[code, value] = *it;
    if (code == 5 || code == 105) {
      EXPECT_TRUE(handles.insert(std::stoul(value, nullptr, 16)).second) << value;
    }
  }
  ASSERT_FALSE(handles.empty());
  EXPECT_GT(seed, *handles.rbegin());
  for (const auto &[code, value] : g) {
    if (code == 330 || code == 340 || code == 350 || code == 390) {
      EXPECT_TRUE(value == "0" || handles.count(std::stoul(value, nullptr, 16)))
          << code << " " << value;
    }
  }

  // Layers: "0" and ours, each once, with index and true colour (black only
  // as the contrast index).
  std::map<std::string, Record> layers;
  for (const Record &r : Section(g, "TABLES"))
    if (r.Type == "LAYER")
      layers[r.First(2)] = r;
  ASSERT_EQ(layers.size(), 3u);
  EXPECT_EQ(layers["PTS"].First(420), std::to_string(120 << 8));
  EXPECT_EQ(layers["TXT"].First(62), "7");
  EXPECT_EQ(layers["TXT"].G.count(420), 0u);

  const std::vector<Record> entities = Section(g, "ENTITIES");
  ASSERT_EQ(entities.size(), 5u);
  for (const Record &e : entities) {
    EXPECT_TRUE(layers.count(e.First(8))) << e.Type;
    EXPECT_EQ(e.G.count(100), e.Type == "TEXT" ? 3u : 2u) << e.Type; // subclass markers
  }
  EXPECT_EQ(entities[0].Num(30), 3);
  EXPECT_EQ(entities[0].G.count(62), 0u); // by layer
  EXPECT_EQ(entities[1].First(420), std::to_string(220 << 16));
  EXPECT_EQ(entities[1].First(62), "12"); // (204, 0, 0)
  EXPECT_EQ(entities[2].Num(40), 1e-6);
  EXPECT_EQ(entities[3].Num(40), 1);
  EXPECT_NEAR(entities[2].Num(42), 2 * 3.141592653589793, 1e-12);
  EXPECT_EQ(entities[4].First(1), "\\U+03C3");
  EXPECT_EQ(entities[4].First(62), "7");
  EXPECT_EQ(entities[4].G.count(420), 0u);
}

namespace {

// Two fixed points and two adjusted ones, measured between each other; the
// precision of the adjusted points given by hand.
struct SmallNetwork {
  SurveyNetwork Net;
  NetworkPrecision Precision;
  SmallNetwork() {
    Net.Points.List.Items = {{1, 1000, 2000, 300, true},
                             {2, 1100, 2000, 301, true},
                             {3, 1050, 2080, 302.5, false},
                             {4, 1000, 2100, 299, false}};
    const std::tuple<double, double, MeasurementType> measured[] = {
        {1, 3, mtSd}, {1, 3, mtDi}, {2, 3, mtSd}, {3, 4, mtVd}, {2, 4, mtDi}};
    for (auto [station, target, type] : measured)
      Net.Measurements.Items.push_back({station, target, type, 0.001, 0, 0});
    auto add = [&](double n, long double x, long double y, long double z, Covariance2 q,
                   long double sz) {
      PointPrecision p;
      p.Number = n;
      p.X = x, p.Y = y, p.Z = z;
      p.Horizontal = q;
      p.Ellipse = EllipseOf(q);
      p.SigmaZ = sz;
      Precision.Points.push_back(p);
    };
    add(3, 1050, 2080, 302.5, {4, 0, 1}, 3); // a = 2 mm along +X, b = 1 mm
    add(4, 1000, 2100, 299, {1, 0, 9}, 1);   // a = 3 mm along +Y
    auto cov = std::make_shared<CovarianceMatrix>(6, 6);
    Precision.Covariance = cov;
    ObservationReliability weak;
    weak.Type = "s-distance";
    weak.From = 1, weak.To = 3;
    weak.Redundancy = 0.05;
    Precision.Observations.push_back(weak);
    weak.Type = "direction";
    weak.Redundancy = 0.6;
    Precision.Observations.push_back(weak);
  }
};

} // namespace

TEST(PrecisionDxf, PointsEllipsesAndLinesInCadCoordinates) {
  SmallNetwork s;
  PlotOptions o;
  o.Magnification = 1000; // 1 mm of an ellipse = 1 m of the drawing
  o.ToleranceSemiMajorMm = 2.5;
  double used = 0;
  const auto g = Groups(BuildPrecisionDxf(s.Net, &s.Precision, o, DxfOptions{}, &used).Text());
  EXPECT_EQ(used, 1000);
  std::set<std::string> layers;
  for (const Record &r : Section(g, "TABLES"))
    if (r.Type == "LAYER")
      layers.insert(r.First(2));
  for (const std::string &name : PrecisionDxfLayers())
    EXPECT_TRUE(layers.count(name)) << name;
  EXPECT_EQ(PrecisionDxfLayers().size(), 15u);

  const std::vector<Record> e = Section(g, "ENTITIES");
  // North-up: CAD x = Y, CAD y = X, Z on the points.
  const auto fixed = OnLayer(e, "POINT", dxf_layers::kFixedPoints);
  const auto adjusted = OnLayer(e, "POINT", dxf_layers::kAdjustedPoints);
  ASSERT_EQ(fixed.size(), 2u);
  ASSERT_EQ(adjusted.size(), 2u);
  EXPECT_EQ(adjusted[0].Num(10), 2080);
  EXPECT_EQ(adjusted[0].Num(20), 1050);
  EXPECT_EQ(adjusted[0].Num(30), 302.5);

  // Point 3: a = 2 mm along +X, which is CAD north; point 4: a = 3 mm along
  // +Y, CAD east; b / a as the ratio.
  const auto ellipses = OnLayer(e, "ELLIPSE", dxf_layers::kPointEllipses);
  ASSERT_EQ(ellipses.size(), 2u);
  EXPECT_NEAR(ellipses[0].Num(11), 0, 1e-12);
  EXPECT_NEAR(ellipses[0].Num(21), 2, 1e-12);
  EXPECT_NEAR(ellipses[0].Num(40), 0.5, 1e-12);
  EXPECT_NEAR(ellipses[1].Num(11), 3, 1e-12);
  EXPECT_NEAR(ellipses[1].Num(21), 0, 1e-12);
  EXPECT_NEAR(ellipses[1].Num(40), 1.0 / 3, 1e-12);
  EXPECT_EQ(ellipses[1].Num(10), 2100);
  // Only point 4 is beyond the tolerance: marked, its ellipse in the
  // warning colour.
  const auto marks = OnLayer(e, "CIRCLE", dxf_layers::kToleranceMarks);
  ASSERT_EQ(marks.size(), 1u);
  EXPECT_EQ(marks[0].Num(10), 2100);
  EXPECT_EQ(ellipses[0].G.count(420), 0u);
  EXPECT_EQ(ellipses[1].First(420), std::to_string((230 << 16) | 120));
  // Height bars of 2 sigma Z along CAD y.
  const auto bars = OnLayer(e, "LINE", dxf_layers::kHeightBars);
  ASSERT_EQ(bars.size(), 6u);
  EXPECT_NEAR(bars[0].Num(21) - bars[0].Num(20), 6, 1e-9);

  // One line per pair and type; the slope distance 1-3 is uncontrolled, the
  // direction 1-3 controlled, the others have no observations.
  const auto sd = OnLayer(e, "LINE", dxf_layers::kSlopeDistance);
  ASSERT_EQ(sd.size(), 2u);
  EXPECT_EQ(sd[0].First(420), std::to_string(220 << 16));
  EXPECT_EQ(sd[1].G.count(420), 0u);
  const auto di = OnLayer(e, "LINE", dxf_layers::kDirection);
  ASSERT_EQ(di.size(), 2u);
  EXPECT_EQ(di[0].G.count(420), 0u);
  EXPECT_EQ(OnLayer(e, "LINE", dxf_layers::kHeightDifference).size(), 1u);
  EXPECT_TRUE(OnLayer(e, "LINE", dxf_layers::kPlumbing).empty());

  // The legend states magnification and level.
  std::string legend;
  for (const Record &r : OnLayer(e, "TEXT", dxf_layers::kLegend))
    legend += r.First(1) + "|";
  EXPECT_NE(legend.find("ellipses \xD7 1000 (standard ellipses)"), std::string::npos) << legend;
  EXPECT_NE(legend.find("beyond tolerance (a > 2.5 mm)"), std::string::npos) << legend;
}

TEST(PrecisionDxf, AxesXyAndNoPrecision) {
  SmallNetwork s;
  DxfOptions xy;
  xy.Axes = DxfAxes::XY;
  PlotOptions o;
  o.Magnification = 1000;
  o.Level = ConfidenceLevel::Percent95;
  auto e = Section(Groups(BuildPrecisionDxf(s.Net, &s.Precision, o, xy).Text()), "ENTITIES");
  const auto adjusted = OnLayer(e, "POINT", dxf_layers::kAdjustedPoints);
  ASSERT_EQ(adjusted.size(), 2u);
  EXPECT_EQ(adjusted[0].Num(10), 1050);
  EXPECT_EQ(adjusted[0].Num(20), 2080);
  // At 95 % the axes grow by 2.4477; +X is CAD x now.
  const auto ellipses = OnLayer(e, "ELLIPSE", dxf_layers::kPointEllipses);
  ASSERT_EQ(ellipses.size(), 2u);
  EXPECT_NEAR(ellipses[0].Num(11), 2 * 2.447746830680816, 1e-9);
  EXPECT_NEAR(ellipses[0].Num(21), 0, 1e-12);

  // Without precision: the plan alone, every layer still in the table.
  const auto g = Groups(BuildPrecisionDxf(s.Net, nullptr, PlotOptions{}, DxfOptions{}).Text());
  e = Section(g, "ENTITIES");
  for (const Record &r : e)
    EXPECT_NE(r.Type, "ELLIPSE");
  EXPECT_EQ(OnLayer(e, "POINT", dxf_layers::kFixedPoints).size() +
                OnLayer(e, "POINT", dxf_layers::kAdjustedPoints).size(),
            4u);
  int layers = 0;
  for (const Record &r : Section(g, "TABLES"))
    layers += r.Type == "LAYER";
  EXPECT_EQ(layers, 16); // with "0"
}

TEST(PrecisionDxf, FileNamesAndUnwritablePlaces) {
  EXPECT_TRUE(IsDxfFileName("a/plan.DXF"));
  EXPECT_FALSE(IsDxfFileName("a.dxf/plan"));
  EXPECT_FALSE(IsDxfFileName(".dxf"));
  EXPECT_FALSE(IsDxfFileName("plan.dwg"));
  SmallNetwork s;
  std::string error;
  EXPECT_FALSE(WritePrecisionDxf("plan.dwg", s.Net, nullptr, PlotOptions{}, DxfOptions{}, error));
  EXPECT_NE(error.find("must end in .dxf"), std::string::npos) << error;
  EXPECT_FALSE(WritePrecisionDxf("/proc/no-such-place/plan.dxf", s.Net, nullptr, PlotOptions{},
                                 DxfOptions{}, error));
  EXPECT_NE(error.find("cannot write the DXF file /proc/no-such-place/plan.dxf: "), std::string::npos)
      << error;
}
