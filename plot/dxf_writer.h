#pragma once
// A small writer of DXF drawings (AutoCAD 2004 format, AC1018): a header,
// the symbol tables every CAD program expects (viewport, line types, layers,
// text style, views, coordinate systems, registered applications, dimension
// style, block records), the model and paper space blocks, the entities and
// the object dictionaries with the two layouts. Handles are given on
// writing; every record carries its owner and subclass markers.
//
// Units and conventions: coordinates are written as given (the caller's
// drawing units); angles of the header in degrees; colours are true colours
// (group 420) together with the nearest AutoCAD colour index (group 62) for
// programs that know only the index. Texts are UTF-8 here; characters beyond
// ASCII are written as \U+XXXX, which every DXF reader of this version
// understands. No Qt: plain C++.
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace kd::dxf {

struct Rgb {
  std::uint8_t R = 0, G = 0, B = 0;
  bool operator==(const Rgb &) const = default;
};

// The AutoCAD colour index (1 ... 255) nearest to a colour. Black and white
// give 7, which CAD programs show in the contrast colour of the background.
int NearestColorIndex(Rgb colour);
// The colour of an index 1 ... 255 (7 as white).
Rgb ColorOfIndex(int index);

struct Point3 {
  double X = 0, Y = 0, Z = 0;
};

// Horizontal alignment of a text at its insertion point.
enum class TextAlign { Left, Centre, Right };

class Drawing {
public:
  // A layer with its colour; names are unique (a second call changes
  // nothing). Layer "0" always exists.
  void AddLayer(const std::string &name, Rgb colour);
  bool HasLayer(const std::string &name) const;

  // Entities in model space. `colour`, when given, overrides the layer's
  // colour for this entity; otherwise the entity is drawn by layer.
  void AddPoint(const std::string &layer, Point3 at, std::optional<Rgb> colour = {});
  void AddLine(const std::string &layer, Point3 from, Point3 to, std::optional<Rgb> colour = {});
  void AddCircle(const std::string &layer, Point3 centre, double radius,
                 std::optional<Rgb> colour = {});
  // A whole ellipse: centre, end of the major axis relative to the centre,
  // ratio of the minor to the major axis (clamped to 1e-6 ... 1).
  void AddEllipse(const std::string &layer, Point3 centre, double majorX, double majorY,
                  double ratio, std::optional<Rgb> colour = {});
  // A closed or open polyline in the plane z = elevation.
  void AddPolyline(const std::string &layer, const std::vector<std::pair<double, double>> &vertices,
                   bool closed, double elevation = 0, std::optional<Rgb> colour = {});
  // One line of text; `at` is its baseline point on the given side.
  void AddText(const std::string &layer, Point3 at, double height, const std::string &text,
               TextAlign align = TextAlign::Left, std::optional<Rgb> colour = {});

  // Header settings.
  void SetUnitsMetres(bool on) { Metres = on; }
  // Angles measured clockwise from north, in gons (survey style); otherwise
  // counter-clockwise from east in degrees.
  void SetSurveyAngles(bool on) { SurveyAngles = on; }

  std::size_t EntityCount() const { return Entities.size(); }

  // The whole file (ASCII, CR LF line ends).
  std::string Text() const;

private:
  struct Layer {
    std::string Name;
    Rgb Colour;
  };
  struct Entity {
    std::string Type;     // POINT, LINE, ...
    std::string Layer;
    std::optional<Rgb> Colour;
    std::string Subclass; // AcDbPoint, AcDbLine, ...
    std::vector<std::pair<int, std::string>> Groups; // after the subclass marker
    bool HasExtent = true;
    double MinX = 0, MinY = 0, MaxX = 0, MaxY = 0;
  };
  void Add(Entity e, std::initializer_list<std::pair<double, double>> extent);

  std::vector<Layer> Layers = {{"0", Rgb{255, 255, 255}}};
  std::vector<Entity> Entities;
  bool Metres = true;
  bool SurveyAngles = false;
};

// A number as DXF text: shortest form that reads back to the same double
// ("0" for negative zero, non-finite values as 0).
std::string NumberText(double v);
// A text value for a group: \U+XXXX for characters beyond ASCII, control
// characters dropped.
std::string EncodeText(const std::string &utf8);

} // namespace kd::dxf
