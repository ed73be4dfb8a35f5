#include "plot/dxf_writer.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

namespace kd::dxf {

namespace {

constexpr double kTwoPi = 6.283185307179586;

// The hue, saturation and value pattern of indices 10 ... 249: 24 hues in
// steps of 15 degrees, each in five brightnesses, full or half saturated.
Rgb PaletteColour(int index) {
  static const Rgb kFirst[10] = {{0, 0, 0},       {255, 0, 0},   {255, 255, 0}, {0, 255, 0},
                                 {0, 255, 255},   {0, 0, 255},   {255, 0, 255}, {255, 255, 255},
                                 {128, 128, 128}, {192, 192, 192}};
  if (index >= 0 && index < 10)
    return kFirst[index];
  if (index >= 250) {
    static const std::uint8_t kGrey[6] = {51, 91, 132, 173, 214, 255};
    const std::uint8_t g = kGrey[std::min(index, 255) - 250];
    return {g, g, g};
  }
  const int hueStep = (index - 10) / 10;
  const int shade = (index - 10) % 10;
  static const double kValue[5] = {255, 204, 153, 127, 76};
  const double v = kValue[shade / 2];
  const bool pale = shade % 2 == 1;
  const double hue = hueStep * 15.0;
  // Fractions of red, green and blue of the fully saturated hue.
  auto channel = [hue](double centre) {
    double d = std::fabs(std::fmod(hue - centre + 540.0, 360.0) - 180.0);
    return std::clamp(2.0 - d / 60.0, 0.0, 1.0);
  };
  const double f[3] = {channel(0), channel(120), channel(240)};
  std::uint8_t c[3];
  for (int k = 0; k < 3; ++k) {
    const double full = v * f[k];
    c[k] = static_cast<std::uint8_t>(std::floor(pale ? v / 2 + full / 2 : full));
  }
  return {c[0], c[1], c[2]};
}

std::string Hex(unsigned long long h) {
  char buf[20];
  const auto r = std::to_chars(buf, buf + sizeof buf, h, 16);
  std::string s(buf, r.ptr);
  for (char &ch : s)
    ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
  return s;
}

long TrueColour(Rgb c) { return (long{c.R} << 16) | (long{c.G} << 8) | long{c.B}; }

// Black and white are written as index 7 alone, so that they show in the
// contrast colour of the CAD program's background.
bool IsContrastColour(Rgb c) { return c == Rgb{0, 0, 0} || c == Rgb{255, 255, 255}; }

// Group code and value lines of one file.
class Emitter {
public:
  void operator()(int code, const std::string &value) {
    std::string c = std::to_string(code);
    if (c.size() < 3)
      Text.append(3 - c.size(), ' ');
    Text += c;
    Text += "\r\n";
    Text += value;
    Text += "\r\n";
  }
  void operator()(int code, const char *value) { (*this)(code, std::string(value)); }
  void operator()(int code, double value) { (*this)(code, NumberText(value)); }
  void operator()(int code, int value) { (*this)(code, std::to_string(value)); }
  void operator()(int code, long value) { (*this)(code, std::to_string(value)); }
  void Xyz(int code, double x, double y, double z) {
    (*this)(code, x);
    (*this)(code + 10, y);
    (*this)(code + 20, z);
  }
  std::string Text;
};

// Hands out the handles of one file.
class Handles {
public:
  std::string Next() { return Hex(Seed++); }
  unsigned long long Seed = 1;
};

} // namespace

Rgb ColorOfIndex(int index) { return PaletteColour(std::clamp(index, 1, 255)); }

int NearestColorIndex(Rgb colour) {
  if (IsContrastColour(colour))
    return 7;
  int best = 1;
  long bestDistance = std::numeric_limits<long>::max();
  for (int i = 1; i <= 255; ++i) {
    if (i == 7)
      continue;
    const Rgb p = PaletteColour(i);
    const long dr = long{p.R} - colour.R, dg = long{p.G} - colour.G, db = long{p.B} - colour.B;
    const long d = dr * dr + dg * dg + db * db;
    if (d < bestDistance) {
      bestDistance = d;
      best = i;
    }
  }
  return best;
}

std::string NumberText(double v) {
  if (!std::isfinite(v) || v == 0)
    return "0";
  char buf[40];
  const auto r = std::to_chars(buf, buf + sizeof buf, v);
  std::string s(buf, r.ptr);
  // Some readers do not take an exponent without a fraction ("1e+20").
  const auto e = s.find('e');
  if (e != std::string::npos && s.find('.') == std::string::npos)
    s.insert(e, ".0");
  return s;
}

std::string EncodeText(const std::string &utf8) {
  std::string out;
  for (std::size_t i = 0; i < utf8.size();) {
    const unsigned char c = static_cast<unsigned char>(utf8[i]);
    if (c < 0x80) {
      if (c >= 0x20 && c != 0x7F)
        out += static_cast<char>(c);
      ++i;
      continue;
    }
    int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
    unsigned long code = extra == 3 ? c & 0x07u : extra == 2 ? c & 0x0Fu : c & 0x1Fu;
    std::size_t j = i + 1;
    for (int k = 0; k < extra && j < utf8.size(); ++k, ++j)
      code = (code << 6) | (static_cast<unsigned char>(utf8[j]) & 0x3Fu);
    i = extra == 0 ? i + 1 : j;
    if (extra == 0 || code > 0xFFFF) {
      out += '?';
      continue;
    }
    char buf[8];
    std::snprintf(buf, sizeof buf, "%04lX", code);
    out += "\\U+";
    out += buf;
  }
  return out;
}

void Drawing::AddLayer(const std::string &name, Rgb colour) {
  if (!HasLayer(name))
    Layers.push_back({name, colour});
}

bool Drawing::HasLayer(const std::string &name) const {
  return std::any_of(Layers.begin(), Layers.end(),
                     [&](const Layer &l) { return l.Name == name; });
}

void Drawing::Add(Entity e, std::initializer_list<std::pair<double, double>> extent) {
  e.HasExtent = extent.size() > 0;
  bool first = true;
  for (const auto &[x, y] : extent) {
    if (!std::isfinite(x) || !std::isfinite(y))
      continue;
    if (first) {
      e.MinX = e.MaxX = x;
      e.MinY = e.MaxY = y;
      first = false;
    }
    e.MinX = std::min(e.MinX, x);
    e.MaxX = std::max(e.MaxX, x);
    e.MinY = std::min(e.MinY, y);
    e.MaxY = std::max(e.MaxY, y);
  }
  e.HasExtent = !first;
  Entities.push_back(std::move(e));
}

void Drawing::AddPoint(const std::string &layer, Point3 at, std::optional<Rgb> colour) {
  Entity e{"POINT", layer, colour, "AcDbPoint", {}};
  e.Groups = {{10, NumberText(at.X)}, {20, NumberText(at.Y)}, {30, NumberText(at.Z)}};
  Add(std::move(e), {{at.X, at.Y}});
}

void Drawing::AddLine(const std::string &layer, Point3 from, Point3 to, std::optional<Rgb> colour) {
  Entity e{"LINE", layer, colour, "AcDbLine", {}};
  e.Groups = {{10, NumberText(from.X)}, {20, NumberText(from.Y)}, {30, NumberText(from.Z)},
              {11, NumberText(to.X)},   {21, NumberText(to.Y)},   {31, NumberText(to.Z)}};
  Add(std::move(e), {{from.X, from.Y}, {to.X, to.Y}});
}

void Drawing::AddCircle(const std::string &layer, Point3 centre, double radius,
                        std::optional<Rgb> colour) {
  Entity e{"CIRCLE", layer, colour, "AcDbCircle", {}};
  e.Groups = {{10, NumberText(centre.X)},
              {20, NumberText(centre.Y)},
              {30, NumberText(centre.Z)},
              {40, NumberText(radius)}};
  Add(std::move(e), {{centre.X - radius, centre.Y - radius}, {centre.X + radius, centre.Y + radius}});
}

void Drawing::AddEllipse(const std::string &layer, Point3 centre, double majorX, double majorY,
                         double ratio, std::optional<Rgb> colour) {
  Entity e{"ELLIPSE", layer, colour, "AcDbEllipse", {}};
  const double r = std::clamp(std::isfinite(ratio) ? ratio : 1.0, 1e-6, 1.0);
  e.Groups = {{10, NumberText(centre.X)}, {20, NumberText(centre.Y)}, {30, NumberText(centre.Z)},
              {11, NumberText(majorX)},   {21, NumberText(majorY)},   {31, "0"},
              {210, "0"},                 {220, "0"},                 {230, "1"},
              {40, NumberText(r)},        {41, "0"},                  {42, NumberText(kTwoPi)}};
  const double a = std::hypot(majorX, majorY);
  Add(std::move(e), {{centre.X - a, centre.Y - a}, {centre.X + a, centre.Y + a}});
}

void Drawing::AddPolyline(const std::string &layer,
                          const std::vector<std::pair<double, double>> &vertices, bool closed,
                          double elevation, std::optional<Rgb> colour) {
  if (vertices.size() < 2)
    return;
  Entity e{"LWPOLYLINE", layer, colour, "AcDbPolyline", {}};
  e.Groups = {{90, std::to_string(vertices.size())},
              {70, closed ? "1" : "0"},
              {38, NumberText(elevation)},
              {43, "0"}};
  for (const auto &[x, y] : vertices) {
    e.Groups.emplace_back(10, NumberText(x));
    e.Groups.emplace_back(20, NumberText(y));
  }
  const auto [minX, maxX] = std::minmax_element(vertices.begin(), vertices.end(),
                                                [](auto &a, auto &b) { return a.first < b.first; });
  const auto [minY, maxY] = std::minmax_element(
      vertices.begin(), vertices.end(), [](auto &a, auto &b) { return a.second < b.second; });
  Add(std::move(e), {{minX->first, minY->second}, {maxX->first, maxY->second}});
}

void Drawing::AddText(const std::string &layer, Point3 at, double height, const std::string &text,
                      TextAlign align, std::optional<Rgb> colour) {
  Entity e{"TEXT", layer, colour, "AcDbText", {}};
  const std::string value = EncodeText(text);
  e.Groups = {{10, NumberText(at.X)}, {20, NumberText(at.Y)}, {30, NumberText(at.Z)},
              {40, NumberText(height)}, {1, value}};
  if (align != TextAlign::Left) {
    e.Groups.emplace_back(72, align == TextAlign::Centre ? "1" : "2");
    e.Groups.emplace_back(11, NumberText(at.X));
    e.Groups.emplace_back(21, NumberText(at.Y));
    e.Groups.emplace_back(31, NumberText(at.Z));
  }
  e.Groups.emplace_back(100, "AcDbText");
  // A rough box: 0.6 of the height per character.
  const double w = 0.6 * height * static_cast<double>(text.size());
  const double left = align == TextAlign::Left ? at.X : align == TextAlign::Centre ? at.X - w / 2 : at.X - w;
  Add(std::move(e), {{left, at.Y}, {left + w, at.Y + height}});
}

std::string Drawing::Text() const {
  Handles h;
  Emitter body;

  // Extent of the drawing.
  double minX = 0, minY = 0, maxX = 0, maxY = 0;
  bool any = false;
  for (const Entity &e : Entities) {
    if (!e.HasExtent)
      continue;
    if (!any) {
      minX = e.MinX, minY = e.MinY, maxX = e.MaxX, maxY = e.MaxY;
      any = true;
    }
    minX = std::min(minX, e.MinX), minY = std::min(minY, e.MinY);
    maxX = std::max(maxX, e.MaxX), maxY = std::max(maxY, e.MaxY);
  }
  if (!any)
    maxX = maxY = 1;

  // Handles of the records that others point to.
  const std::string rootDict = h.Next(), groupDict = h.Next(), layoutDict = h.Next();
  const std::string plotStyleDict = h.Next(), plotStyleNormal = h.Next();
  const std::string modelLayout = h.Next(), paperLayout = h.Next();
  const std::string modelRecord = h.Next(), paperRecord = h.Next();
  const std::string ltByBlock = h.Next(), ltByLayer = h.Next(), ltContinuous = h.Next();

  // ---- Classes: none are needed.
  body(0, "SECTION");
  body(2, "CLASSES");
  body(0, "ENDSEC");

  // ---- Tables.
  body(0, "SECTION");
  body(2, "TABLES");
  auto beginTable = [&](const char *name, int count, const std::string &handle) {
    body(0, "TABLE");
    body(2, name);
    body(5, handle);
    body(330, "0");
    body(100, "AcDbSymbolTable");
    body(70, count);
  };
  auto beginRecord = [&](const char *type, const std::string &handle, const std::string &owner,
                         const char *subclass, const std::string &name) {
    body(0, type);
    body(std::string(type) == "DIMSTYLE" ? 105 : 5, handle);
    body(330, owner);
    body(100, "AcDbSymbolTableRecord");
    body(100, subclass);
    body(2, name);
    body(70, 0);
  };

  {
    const std::string t = h.Next();
    beginTable("VPORT", 1, t);
    beginRecord("VPORT", h.Next(), t, "AcDbViewportTableRecord", "*Active");
    const double w = std::max(maxX - minX, 1e-6), ht = std::max(maxY - minY, 1e-6);
    body.Xyz(10, 0, 0, 0);
    body(11, 1.0), body(21, 1.0);
    body(12, (minX + maxX) / 2), body(22, (minY + maxY) / 2);
    body(13, 0.0), body(23, 0.0);
    body(14, 1.0), body(24, 1.0);
    body(15, 1.0), body(25, 1.0);
    body.Xyz(16, 0, 0, 1);
    body.Xyz(17, 0, 0, 0);
    body(40, std::max(ht, w / 1.5) * 1.1);
    body(41, 1.5);
    body(42, 50.0);
    body(43, 0.0), body(44, 0.0), body(50, 0.0), body(51, 0.0);
    body(71, 0), body(72, 1000), body(73, 1), body(74, 3), body(75, 0), body(76, 0), body(77, 0),
        body(78, 0);
    body(281, 0), body(65, 1);
    body.Xyz(110, 0, 0, 0);
    body.Xyz(111, 1, 0, 0);
    body.Xyz(112, 0, 1, 0);
    body(79, 0), body(146, 0.0);
    body(0, "ENDTAB");
  }
  {
    const std::string t = h.Next();
    beginTable("LTYPE", 3, t);
    const std::pair<const char *, const std::string *> types[] = {
        {"ByBlock", &ltByBlock}, {"ByLayer", &ltByLayer}, {"Continuous", &ltContinuous}};
    for (const auto &[name, handle] : types) {
      beginRecord("LTYPE", *handle, t, "AcDbLinetypeTableRecord", name);
      body(3, std::string(name) == "Continuous" ? "Solid line" : "");
      body(72, 65);
      body(73, 0);
      body(40, 0.0);
    }
    body(0, "ENDTAB");
  }
  {
    const std::string t = h.Next();
    beginTable("LAYER", static_cast<int>(Layers.size()), t);
    for (const Layer &l : Layers) {
      beginRecord("LAYER", h.Next(), t, "AcDbLayerTableRecord", EncodeText(l.Name));
      body(62, NearestColorIndex(l.Colour));
      if (!IsContrastColour(l.Colour))
        body(420, TrueColour(l.Colour));
      body(6, "Continuous");
      body(370, -3);
      body(390, plotStyleNormal);
    }
    body(0, "ENDTAB");
  }
  {
    const std::string t = h.Next();
    beginTable("STYLE", 1, t);
    beginRecord("STYLE", h.Next(), t, "AcDbTextStyleTableRecord", "Standard");
    body(40, 0.0);
    body(41, 1.0);
    body(50, 0.0);
    body(71, 0);
    body(42, 2.5);
    body(3, "arial.ttf");
    body(4, "");
    body(0, "ENDTAB");
  }
  for (const char *empty : {"VIEW", "UCS"}) {
    beginTable(empty, 0, h.Next());
    body(0, "ENDTAB");
  }
  {
    const std::string t = h.Next();
    beginTable("APPID", 1, t);
    beginRecord("APPID", h.Next(), t, "AcDbRegAppTableRecord", "ACAD");
    body(0, "ENDTAB");
  }
  {
    const std::string t = h.Next();
    beginTable("DIMSTYLE", 1, t);
    body(100, "AcDbDimStyleTable");
    body(71, 0);
    beginRecord("DIMSTYLE", h.Next(), t, "AcDbDimStyleTableRecord", "Standard");
    body(0, "ENDTAB");
  }
  {
    const std::string t = h.Next();
    beginTable("BLOCK_RECORD", 2, t);
    beginRecord("BLOCK_RECORD", modelRecord, t, "AcDbBlockTableRecord", "*Model_Space");
    body(340, modelLayout);
    beginRecord("BLOCK_RECORD", paperRecord, t, "AcDbBlockTableRecord", "*Paper_Space");
    body(340, paperLayout);
    body(0, "ENDTAB");
  }
  body(0, "ENDSEC");

  // ---- Blocks: the model and paper space blocks, empty.
  body(0, "SECTION");
  body(2, "BLOCKS");
  const std::pair<const char *, const std::string *> spaces[] = {{"*Model_Space", &modelRecord},
                                                                 {"*Paper_Space", &paperRecord}};
  for (const auto &[name, record] : spaces) {
    const bool paper = record == &paperRecord;
    body(0, "BLOCK");
    body(5, h.Next());
    body(330, *record);
    body(100, "AcDbEntity");
    if (paper)
      body(67, 1);
    body(8, "0");
    body(100, "AcDbBlockBegin");
    body(2, name);
    body(70, 0);
    body.Xyz(10, 0, 0, 0);
    body(3, name);
    body(1, "");
    body(0, "ENDBLK");
    body(5, h.Next());
    body(330, *record);
    body(100, "AcDbEntity");
    if (paper)
      body(67, 1);
    body(8, "0");
    body(100, "AcDbBlockEnd");
  }
  body(0, "ENDSEC");

  // ---- Entities.
  body(0, "SECTION");
  body(2, "ENTITIES");
  for (const Entity &e : Entities) {
    body(0, e.Type);
    body(5, h.Next());
    body(330, modelRecord);
    body(100, "AcDbEntity");
    body(8, EncodeText(e.Layer));
    if (e.Colour) {
      body(62, NearestColorIndex(*e.Colour));
      if (!IsContrastColour(*e.Colour))
        body(420, TrueColour(*e.Colour));
    }
    body(100, e.Subclass);
    for (const auto &[code, value] : e.Groups)
      body(code, value);
  }
  body(0, "ENDSEC");

  // ---- Objects: the root dictionary, groups, layouts, plot styles.
  body(0, "SECTION");
  body(2, "OBJECTS");
  body(0, "DICTIONARY");
  body(5, rootDict);
  body(330, "0");
  body(100, "AcDbDictionary");
  body(281, 1);
  body(3, "ACAD_GROUP");
  body(350, groupDict);
  body(3, "ACAD_LAYOUT");
  body(350, layoutDict);
  body(3, "ACAD_PLOTSTYLENAME");
  body(350, plotStyleDict);

  body(0, "DICTIONARY");
  body(5, groupDict);
  body(330, rootDict);
  body(100, "AcDbDictionary");
  body(281, 1);

  body(0, "DICTIONARY");
  body(5, layoutDict);
  body(330, rootDict);
  body(100, "AcDbDictionary");
  body(281, 1);
  body(3, "Layout1");
  body(350, paperLayout);
  body(3, "Model");
  body(350, modelLayout);

  body(0, "ACDBDICTIONARYWDFLT");
  body(5, plotStyleDict);
  body(330, rootDict);
  body(100, "AcDbDictionary");
  body(281, 1);
  body(3, "Normal");
  body(350, plotStyleNormal);
  body(100, "AcDbDictionaryWithDefault");
  body(340, plotStyleNormal);

  body(0, "ACDBPLACEHOLDER");
  body(5, plotStyleNormal);
  body(330, plotStyleDict);

  struct LayoutRecord {
    const std::string *Handle;
    const char *Name;
    const std::string *BlockRecord;
    int Tab;
  };
  const LayoutRecord layouts[] = {{&modelLayout, "Model", &modelRecord, 0},
                                  {&paperLayout, "Layout1", &paperRecord, 1}};
  for (const auto &[handle, name, record, tab] : layouts) {
    const bool model = tab == 0;
    body(0, "LAYOUT");
    body(5, *handle);
    body(330, layoutDict);
    body(100, "AcDbPlotSettings");
    body(1, "");
    body(2, "none_device");
    body(4, "");
    body(6, "");
    for (int code = 40; code <= 49; ++code)
      body(code, 0.0);
    body(140, 0.0), body(141, 0.0);
    body(142, 1.0), body(143, 1.0);
    body(70, model ? 1712 : 688);
    body(72, 1), body(73, 0), body(74, 5);
    body(7, "");
    body(75, 16);
    body(147, 1.0), body(148, 0.0), body(149, 0.0);
    body(100, "AcDbLayout");
    body(1, name);
    body(70, 1);
    body(71, tab);
    body(10, 0.0), body(20, 0.0);
    body(11, 420.0), body(21, 297.0);
    body.Xyz(12, 0, 0, 0);
    body.Xyz(14, minX, minY, 0);
    body.Xyz(15, maxX, maxY, 0);
    body(146, 0.0);
    body.Xyz(13, 0, 0, 0);
    body.Xyz(16, 1, 0, 0);
    body.Xyz(17, 0, 1, 0);
    body(76, 0);
    body(330, *record);
  }
  body(0, "ENDSEC");
  body(0, "EOF");

  // ---- Header, now that the handles are known.
  Emitter head;
  head(999, "Korvadimensio 3D");
  head(0, "SECTION");
  head(2, "HEADER");
  head(9, "$ACADVER");
  head(1, "AC1018");
  head(9, "$ACADMAINTVER");
  head(70, 0);
  head(9, "$DWGCODEPAGE");
  head(3, "ANSI_1252");
  head(9, "$INSBASE");
  head.Xyz(10, 0, 0, 0);
  head(9, "$EXTMIN");
  head.Xyz(10, minX, minY, 0);
  head(9, "$EXTMAX");
  head.Xyz(10, maxX, maxY, 0);
  head(9, "$LIMMIN");
  head(10, minX), head(20, minY);
  head(9, "$LIMMAX");
  head(10, maxX), head(20, maxY);
  head(9, "$INSUNITS");
  head(70, Metres ? 6 : 0);
  head(9, "$MEASUREMENT");
  head(70, 1);
  head(9, "$LUNITS");
  head(70, 2);
  head(9, "$LUPREC");
  head(70, 4);
  head(9, "$AUNITS");
  head(70, SurveyAngles ? 2 : 0);
  head(9, "$AUPREC");
  head(70, 4);
  head(9, "$ANGBASE");
  head(50, SurveyAngles ? 90.0 : 0.0);
  head(9, "$ANGDIR");
  head(70, SurveyAngles ? 1 : 0);
  head(9, "$PDMODE");
  head(70, 0);
  head(9, "$CLAYER");
  head(8, "0");
  head(9, "$CELTYPE");
  head(6, "ByLayer");
  head(9, "$TEXTSTYLE");
  head(7, "Standard");
  head(9, "$PSTYLEMODE");
  head(290, 1);
  head(9, "$HANDSEED");
  head(5, Hex(h.Seed + 16));
  head(0, "ENDSEC");
  return head.Text + body.Text;
}

} // namespace kd::dxf
