#pragma once
// Builds engine input documents for the tests: observed values are computed
// from the coordinates, so the adjustment reproduces them exactly.
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "adjustment/adjust.h"
#include "adjustment/reader.h"

namespace kd::adj::test {

struct BPoint {
  std::string id;
  double x, y, z;
  std::string flags;  // e.g. fix="XYZ" or adj="XY"
};

class NetBuilder {
 public:
  std::string params = "sigma-apr=\"1\" conf-pr=\"0.95\" tol-abs=\"1000\" sigma-act=\"apriori\"";
  std::vector<BPoint> points;

  void Point(const std::string &id, double x, double y, double z, const std::string &flags) {
    points.push_back({id, x, y, z, flags});
  }
  const BPoint &P(const std::string &id) const {
    for (const auto &p : points)
      if (p.id == id) return p;
    return points.front();
  }
  static std::string N(double v) {
    char b[64];
    std::snprintf(b, sizeof b, "%.10f", v);
    return b;
  }
  double Value(ObsKind kind, const std::string &from, const std::string &to) const {
    const BPoint &a = P(from), &b = P(to);
    const double f[3] = {a.x, a.y, a.z}, t[3] = {b.x, b.y, b.z};
    double v = 0, d[3];
    ObservationGeometry(kind, f, t, v, d);
    return v;
  }
  // Opens a set; observations until EndSet belong to it.
  void Set(const std::string &from) {
    body_ += "<obs from=\"" + from + "\">\n";
    station_ = from;
  }
  void EndSet() { body_ += "</obs>\n"; }
  void Obs(const char *elem, ObsKind kind, const std::string &to, double stdev, double error = 0) {
    body_ += std::string("<") + elem + " to=\"" + to + "\" val=\"" +
             N(Value(kind, station_, to) + error) + "\" stdev=\"" + N(stdev) + "\"/>\n";
  }
  void Dir(const std::string &to, double s, double e = 0) { Obs("direction", ObsKind::Direction, to, s, e); }
  void Dist(const std::string &to, double s, double e = 0) { Obs("distance", ObsKind::Distance, to, s, e); }
  void SDist(const std::string &to, double s, double e = 0) { Obs("s-distance", ObsKind::SlopeDistance, to, s, e); }
  void Zen(const std::string &to, double s, double e = 0) { Obs("z-angle", ObsKind::ZenithAngle, to, s, e); }
  void Dh(const std::string &from, const std::string &to, double s, double e = 0) {
    body_ += "<height-differences><dh from=\"" + from + "\" to=\"" + to + "\" val=\"" +
             N(Value(ObsKind::HeightDiff, from, to) + e) + "\" stdev=\"" + N(s) +
             "\"/></height-differences>\n";
  }
  // A vector with its 3×3 covariance (upper triangle: xx xy xz yy yz zz).
  void Vec(const std::string &from, const std::string &to, const double c[6]) {
    const BPoint &a = P(from), &b = P(to);
    body_ += "<vectors><vec from=\"" + from + "\" to=\"" + to + "\" dx=\"" + N(b.x - a.x) +
             "\" dy=\"" + N(b.y - a.y) + "\" dz=\"" + N(b.z - a.z) + "\"/>\n<cov-mat dim=\"3\" band=\"2\">" +
             N(c[0]) + " " + N(c[1]) + " " + N(c[2]) + " " + N(c[3]) + " " + N(c[4]) + " " + N(c[5]) +
             "</cov-mat></vectors>\n";
  }
  void Raw(const std::string &s) { body_ += s; }

  std::string Xml() const {
    std::string s = "<?xml version=\"1.0\"?>\n<gama-xml version=\"2.0\">\n<network>\n<parameters " +
                    params + "/>\n<points-observations>\n";
    for (const auto &p : points)
      s += "<point id=\"" + p.id + "\" x=\"" + N(p.x) + "\" y=\"" + N(p.y) + "\" z=\"" + N(p.z) + "\" " +
           p.flags + "/>\n";
    return s + body_ + "</points-observations>\n</network>\n</gama-xml>\n";
  }
  Network Net() const { return ReadNetwork(Xml()); }

 private:
  std::string body_;
  std::string station_;
};

// Covariance entry of two coordinates (point index, 0..2) of a result.
inline double Cov(const AdjustmentResult &r, int p, int k, int q, int m) {
  const int u = r.unknownOf[p][k], v = r.unknownOf[q][m];
  return (u < 0 || v < 0) ? 0.0 : r.cov(u, v);
}

inline std::string ReadText(const std::string &path) {
  std::string s;
  if (FILE *f = std::fopen(path.c_str(), "rb")) {
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) s.append(buf, n);
    std::fclose(f);
  }
  return s;
}

}  // namespace kd::adj::test
