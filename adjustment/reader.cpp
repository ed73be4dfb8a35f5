#include "adjustment/reader.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <set>

#include <Eigen/Dense>
#include <pugixml.hpp>

#include "adjustment/memory_limit.h"

namespace kd::adj {

const char *ObsKindName(ObsKind kind) {
  switch (kind) {
    case ObsKind::Direction: return "dir";
    case ObsKind::Distance: return "hdist";
    case ObsKind::SlopeDistance: return "sdist";
    case ObsKind::ZenithAngle: return "zenith";
    case ObsKind::HeightDiff: return "dh";
    case ObsKind::VecX: return "vec dx";
    case ObsKind::VecY: return "vec dy";
    case ObsKind::VecZ: return "vec dz";
  }
  return "?";
}

bool IsAngular(ObsKind kind) {
  return kind == ObsKind::Direction || kind == ObsKind::ZenithAngle;
}

bool ParseNumber(std::string_view text, double &value) {
  size_t b = 0, e = text.size();
  auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (b < e && blank(text[b])) ++b;
  while (e > b && blank(text[e - 1])) --e;
  if (b == e) return false;
  // from_chars takes no leading '+'; accept one (but not "+-").
  if (text[b] == '+') {
    ++b;
    if (b == e || text[b] == '-' || text[b] == '+') return false;
  }
  // Only the plain decimal form: no "inf", "nan" or hexadecimal forms.
  for (size_t i = b; i < e; ++i) {
    const char c = text[i];
    if (!((c >= '0' && c <= '9') || c == '.' || c == '-' || c == '+' || c == 'e' || c == 'E'))
      return false;
  }
  double v = 0;
  auto [ptr, ec] = std::from_chars(text.data() + b, text.data() + e, v, std::chars_format::general);
  if (ec != std::errc() || ptr != text.data() + e || !std::isfinite(v)) return false;
  value = v;
  return true;
}

namespace {

// Line numbers of node positions in the parsed buffer.
class LineIndex {
 public:
  explicit LineIndex(const std::string &text) {
    starts_.push_back(0);
    for (size_t i = 0; i < text.size(); ++i)
      if (text[i] == '\n') starts_.push_back(i + 1);
  }
  int LineOf(ptrdiff_t offset) const {
    if (offset < 0) return 0;
    auto it = std::upper_bound(starts_.begin(), starts_.end(), static_cast<size_t>(offset));
    return static_cast<int>(it - starts_.begin());
  }

 private:
  std::vector<size_t> starts_;
};

struct PendingRef {
  std::string from, to;
  int obs;
};

class Reader {
 public:
  Reader(std::string_view text, double memoryLimitBytes) : memoryLimit_(memoryLimitBytes) {
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);  // byte-order mark
    // Normalise line ends first so that node offsets map to line numbers.
    text_.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
      if (text[i] == '\r') {
        text_ += '\n';
        if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
      } else {
        text_ += text[i];
      }
    }
  }

  Network Read() {
    LineIndex lines(text_);
    lines_ = &lines;
    pugi::xml_document doc;
    pugi::xml_parse_result res =
        doc.load_buffer(text_.data(), text_.size(), pugi::parse_default, pugi::encoding_utf8);
    if (!res) {
      throw InputError(std::string("the document is not well-formed XML: ") + res.description(),
                       lines.LineOf(res.offset));
    }
    pugi::xml_node root = doc.document_element();
    const std::string rootName = root.name();
    if (rootName != "gama-xml" && rootName != "gama-local")
      Fail(root, "the document element must be <gama-xml> or <gama-local>");
    net_.rootName = rootName;
    CheckAttributes(root, {"version"}, true);
    NoText(root);

    int networks = 0;
    for (pugi::xml_node n : root.children()) {
      if (n.type() != pugi::node_element) continue;
      if (std::strcmp(n.name(), "network") != 0) Unknown(n, root);
      if (++networks > 1) Fail(n, "only one <network> element is allowed");
      ReadNetworkElement(n);
    }
    if (networks == 0) Fail(root, "the document has no <network> element");
    ResolveReferences();
    CheckContent(root);
    return std::move(net_);
  }

 private:
  [[noreturn]] void Fail(pugi::xml_node node, const std::string &what) const {
    const int line = lines_->LineOf(node.offset_debug());
    throw InputError("element <" + std::string(node.name()) + ">: " + what, line);
  }

  [[noreturn]] void Unknown(pugi::xml_node node, pugi::xml_node parent) const {
    Fail(node, std::string("unknown element inside <") + parent.name() + ">");
  }

  int Line(pugi::xml_node node) const { return lines_->LineOf(node.offset_debug()); }

  void NoText(pugi::xml_node node) const {
    for (pugi::xml_node c : node.children()) {
      if (c.type() == pugi::node_pcdata || c.type() == pugi::node_cdata)
        Fail(node, "unexpected text \"" + Shorten(c.value()) + "\"");
    }
  }

  static std::string Shorten(std::string s) {
    for (char &c : s)
      if (c == '\n' || c == '\t') c = ' ';
    if (s.size() > 40) s = s.substr(0, 40) + "...";
    return s;
  }

  // Every attribute must be one of `known`, and none may repeat.
  void CheckAttributes(pugi::xml_node node, std::initializer_list<const char *> known,
                       bool allowXmlns = false) const {
    std::set<std::string> seen;
    for (pugi::xml_attribute a : node.attributes()) {
      const std::string name = a.name();
      if (!seen.insert(name).second) Fail(node, "attribute \"" + name + "\" is repeated");
      if (allowXmlns && (name == "xmlns" || name.rfind("xmlns:", 0) == 0)) continue;
      bool ok = false;
      for (const char *k : known) ok = ok || name == k;
      if (!ok) Fail(node, "unknown attribute \"" + name + "\"");
    }
  }

  std::string Required(pugi::xml_node node, const char *name) const {
    pugi::xml_attribute a = node.attribute(name);
    if (!a) Fail(node, std::string("attribute \"") + name + "\" is missing");
    return a.value();
  }

  double Number(pugi::xml_node node, const char *name) const {
    const std::string text = Required(node, name);
    double v = 0;
    if (!ParseNumber(text, v))
      Fail(node, std::string("attribute \"") + name + "\" is not a number: \"" + Shorten(text) + "\"");
    return v;
  }

  double Sigma(pugi::xml_node node) const {
    const double s = Number(node, "stdev");
    if (!(s > 0)) Fail(node, "the standard deviation \"stdev\" must be greater than zero");
    if (s > 1e9) Fail(node, "the standard deviation \"stdev\" is out of range");
    if (!WeightScaleFits(s))
      Fail(node, "the standard deviation \"stdev\" " + Quoted(node, "stdev") +
                     " is too small: its square, and with it the weight, is not a number the "
                     "adjustment can compute with");
    return s;
  }

  // Weights are (sigma-apr / stdev)²; both squares and their ratio must be
  // ordinary floating-point numbers, far from overflow and underflow, or the
  // normal equations fill with infinities and zeros.
  static bool WeightScaleFits(double s) {
    const double s2 = s * s;
    return std::isnormal(s2) && s2 >= 1e-150 && s2 <= 1e150;
  }
  static bool WeightFits(double w) { return std::isnormal(w) && w >= 1e-100 && w <= 1e100; }

  static std::string G(double v) {
    char b[32];
    std::snprintf(b, sizeof b, "%.6g", v);
    return b;
  }

  std::string Quoted(pugi::xml_node node, const char *name) const {
    return "\"" + Shorten(node.attribute(name).value()) + "\"";
  }

  // An observed value within the range any survey can produce.
  double Value(pugi::xml_node node, const char *name) const {
    const double v = Number(node, name);
    if (std::fabs(v) > 1e9)
      Fail(node, std::string("attribute \"") + name + "\" is out of range (more than 1e9)");
    return v;
  }

  static std::string Trim(const std::string &s) {
    size_t b = s.find_first_not_of(" \t\n");
    if (b == std::string::npos) return "";
    size_t e = s.find_last_not_of(" \t\n");
    return s.substr(b, e - b + 1);
  }

  void ReadNetworkElement(pugi::xml_node n) {
    CheckAttributes(n, {"axes-xy", "angles"});
    net_.axesXY = n.attribute("axes-xy").value();
    net_.angles = n.attribute("angles").value();
    NoText(n);
    int pos = 0, descriptions = 0, parameters = 0;
    for (pugi::xml_node c : n.children()) {
      if (c.type() != pugi::node_element) continue;
      const std::string name = c.name();
      if (name == "description") {
        if (++descriptions > 1) Fail(c, "only one <description> is allowed");
        CheckAttributes(c, {});
        for (pugi::xml_node t : c.children())
          if (t.type() == pugi::node_element) Unknown(t, c);
        net_.description = Trim(c.text().get());
      } else if (name == "parameters") {
        if (++parameters > 1) Fail(c, "only one <parameters> is allowed");
        ReadParameters(c);
      } else if (name == "points-observations") {
        if (++pos > 1) Fail(c, "only one <points-observations> is allowed");
        ReadPointsObservations(c);
      } else {
        Unknown(c, n);
      }
    }
    if (pos == 0) Fail(n, "the network has no <points-observations>");
  }

  void ReadParameters(pugi::xml_node p) {
    CheckAttributes(p, {"sigma-apr", "conf-pr", "tol-abs", "sigma-act"});
    NoText(p);
    for (pugi::xml_node c : p.children())
      if (c.type() == pugi::node_element) Unknown(c, p);
    Parameters &pr = net_.params;
    pr.line = Line(p);
    if (p.attribute("sigma-apr")) {
      pr.sigmaApr = Number(p, "sigma-apr");
      if (!(pr.sigmaApr > 0)) Fail(p, "\"sigma-apr\" must be greater than zero");
      if (!WeightScaleFits(pr.sigmaApr))
        Fail(p, "\"sigma-apr\" " + Quoted(p, "sigma-apr") + " is too " +
                    (pr.sigmaApr < 1 ? "small" : "large") +
                    ": its square, which scales every weight, is not a number the adjustment "
                    "can compute with");
    }
    if (p.attribute("conf-pr")) {
      pr.confPr = Number(p, "conf-pr");
      if (!(pr.confPr > 0 && pr.confPr < 1)) Fail(p, "\"conf-pr\" must lie between 0 and 1");
    }
    if (p.attribute("tol-abs")) {
      pr.tolAbs = Number(p, "tol-abs");
      if (!(pr.tolAbs > 0)) Fail(p, "\"tol-abs\" must be greater than zero");
    }
    if (p.attribute("sigma-act")) {
      const std::string act = p.attribute("sigma-act").value();
      if (act == "apriori") pr.aposteriori = false;
      else if (act == "aposteriori") pr.aposteriori = true;
      else Fail(p, "\"sigma-act\" must be \"apriori\" or \"aposteriori\", not \"" + Shorten(act) + "\"");
    }
  }

  void ReadPointsObservations(pugi::xml_node po) {
    CheckAttributes(po, {});
    NoText(po);
    for (pugi::xml_node c : po.children()) {
      if (c.type() != pugi::node_element) continue;
      const std::string name = c.name();
      if (name == "point") ReadPoint(c);
      else if (name == "obs") ReadObs(c);
      else if (name == "height-differences") ReadHeightDiffs(c);
      else if (name == "vectors") ReadVectors(c);
      else Unknown(c, po);
    }
  }

  // "XYZ", "xy", "z", ...: which coordinates an attribute names.
  void CoordFlags(pugi::xml_node node, const char *attr, bool flags[3]) const {
    pugi::xml_attribute a = node.attribute(attr);
    if (!a) return;
    for (const char *s = a.value(); *s; ++s) {
      switch (*s) {
        case 'x': case 'X': flags[0] = true; break;
        case 'y': case 'Y': flags[1] = true; break;
        case 'z': case 'Z': flags[2] = true; break;
        default:
          Fail(node, std::string("attribute \"") + attr +
                         "\" may name only the coordinates X, Y and Z, not \"" +
                         Shorten(a.value()) + "\"");
      }
    }
  }

  void ReadPoint(pugi::xml_node p) {
    CheckAttributes(p, {"id", "x", "y", "z", "fix", "adj"});
    NoText(p);
    for (pugi::xml_node c : p.children())
      if (c.type() == pugi::node_element) Unknown(c, p);
    Point pt;
    pt.id = Trim(Required(p, "id"));
    if (pt.id.empty()) Fail(p, "the point id is empty");
    pt.line = Line(p);
    const char *names[3] = {"x", "y", "z"};
    for (int k = 0; k < 3; ++k) {
      if (p.attribute(names[k])) {
        pt.coord[k] = Number(p, names[k]);
        pt.given[k] = true;
        // Far beyond any survey; such values would only overflow the geometry.
        if (std::fabs(pt.coord[k]) > 1e9)
          Fail(p, std::string("coordinate \"") + names[k] + "\" is out of range (more than 1e9 m)");
      }
    }
    CoordFlags(p, "fix", pt.fixed);
    CoordFlags(p, "adj", pt.adjusted);
    const char *upper[3] = {"X", "Y", "Z"};
    for (int k = 0; k < 3; ++k) {
      if (pt.fixed[k] && pt.adjusted[k])
        Fail(p, std::string("coordinate ") + upper[k] + " of point \"" + pt.id +
                    "\" is both fixed and adjusted");
      if ((pt.fixed[k] || pt.adjusted[k]) && !pt.given[k])
        Fail(p, std::string("point \"") + pt.id + "\" has no value of coordinate " + upper[k] +
                    " (\"" + names[k] + "\")");
    }
    auto [it, inserted] = ids_.emplace(pt.id, static_cast<int>(net_.points.size()));
    if (!inserted) {
      Fail(p, "point id \"" + pt.id + "\" is defined twice (first on line " +
                  std::to_string(net_.points[it->second].line) + ")");
    }
    for (int k = 0; k < 3; ++k) adjustedCoords_ += pt.adjusted[k] ? 1 : 0;
    net_.points.push_back(pt);
  }

  int AddObservation(pugi::xml_node node, ObsKind kind, const std::string &from,
                     const std::string &to, double value, double sigma, int cluster) {
    Observation o;
    o.kind = kind;
    o.value = value;
    const char *valueAttr = kind == ObsKind::VecX   ? "dx"
                            : kind == ObsKind::VecY ? "dy"
                            : kind == ObsKind::VecZ ? "dz"
                                                    : "val";
    o.valueText = Trim(node.attribute(valueAttr).value());
    o.sigma = sigma;
    o.cluster = cluster;
    o.line = Line(node);
    const int index = static_cast<int>(net_.observations.size());
    net_.observations.push_back(o);
    net_.clusters[cluster].obs.push_back(index);
    refs_.push_back({from, to, index});
    nodes_.push_back(node);
    return index;
  }

  int NewCluster(ClusterKind kind, pugi::xml_node node) {
    Cluster c;
    c.kind = kind;
    c.line = Line(node);
    net_.clusters.push_back(c);
    return static_cast<int>(net_.clusters.size()) - 1;
  }

  void ReadObs(pugi::xml_node obs) {
    CheckAttributes(obs, {"from"});
    NoText(obs);
    const std::string station = Trim(Required(obs, "from"));
    const int cl = NewCluster(ClusterKind::Obs, obs);
    clusterStation_.push_back({cl, station});
    for (pugi::xml_node c : obs.children()) {
      if (c.type() != pugi::node_element) continue;
      const std::string name = c.name();
      ObsKind kind = ObsKind::Direction;
      if (name == "direction") kind = ObsKind::Direction;
      else if (name == "distance") kind = ObsKind::Distance;
      else if (name == "s-distance") kind = ObsKind::SlopeDistance;
      else if (name == "z-angle") kind = ObsKind::ZenithAngle;
      else if (name == "dh") kind = ObsKind::HeightDiff;
      else if (name == "cov-mat")
        Fail(c, "a covariance matrix is accepted only inside <vectors>");
      else
        Unknown(c, obs);
      NoText(c);
      for (pugi::xml_node g : c.children())
        if (g.type() == pugi::node_element) Unknown(g, c);
      if (kind == ObsKind::HeightDiff) {
        CheckAttributes(c, {"from", "to", "val", "stdev"});
        const std::string from = c.attribute("from") ? Trim(c.attribute("from").value()) : station;
        AddObservation(c, kind, from, Trim(Required(c, "to")), Value(c, "val"), Sigma(c), cl);
      } else {
        CheckAttributes(c, {"to", "val", "stdev"});
        const double val = Value(c, "val");
        if ((kind == ObsKind::Distance || kind == ObsKind::SlopeDistance) && !(val > 0))
          Fail(c, "a distance must be greater than zero");
        AddObservation(c, kind, station, Trim(Required(c, "to")), val, Sigma(c), cl);
      }
    }
  }

  void ReadHeightDiffs(pugi::xml_node hd) {
    CheckAttributes(hd, {});
    NoText(hd);
    const int cl = NewCluster(ClusterKind::HeightDiffs, hd);
    for (pugi::xml_node c : hd.children()) {
      if (c.type() != pugi::node_element) continue;
      if (std::strcmp(c.name(), "dh") != 0) {
        if (std::strcmp(c.name(), "cov-mat") == 0)
          Fail(c, "a covariance matrix is accepted only inside <vectors>");
        Unknown(c, hd);
      }
      CheckAttributes(c, {"from", "to", "val", "stdev"});
      NoText(c);
      for (pugi::xml_node g : c.children())
        if (g.type() == pugi::node_element) Unknown(g, c);
      AddObservation(c, ObsKind::HeightDiff, Trim(Required(c, "from")), Trim(Required(c, "to")),
                     Value(c, "val"), Sigma(c), cl);
    }
  }

  void ReadVectors(pugi::xml_node vs) {
    CheckAttributes(vs, {});
    NoText(vs);
    const int cl = NewCluster(ClusterKind::Vectors, vs);
    pugi::xml_node covNode;
    int vecs = 0;
    for (pugi::xml_node c : vs.children()) {
      if (c.type() != pugi::node_element) continue;
      const std::string name = c.name();
      if (covNode) Fail(c, "<cov-mat> must be the last element of <vectors>");
      if (name == "vec") {
        CheckAttributes(c, {"from", "to", "dx", "dy", "dz"});
        NoText(c);
        for (pugi::xml_node g : c.children())
          if (g.type() == pugi::node_element) Unknown(g, c);
        const std::string from = Trim(Required(c, "from"));
        const std::string to = Trim(Required(c, "to"));
        const double dx = Value(c, "dx"), dy = Value(c, "dy"), dz = Value(c, "dz");
        // The components carry their standard deviations in the covariance matrix.
        AddObservation(c, ObsKind::VecX, from, to, dx, 1, cl);
        AddObservation(c, ObsKind::VecY, from, to, dy, 1, cl);
        AddObservation(c, ObsKind::VecZ, from, to, dz, 1, cl);
        ++vecs;
      } else if (name == "cov-mat") {
        covNode = c;
      } else {
        Unknown(c, vs);
      }
    }
    if (vecs == 0) Fail(vs, "<vectors> holds no <vec>");
    if (!covNode) Fail(vs, "<vectors> needs a <cov-mat> with the covariances of its vectors");
    ReadCovMat(covNode, cl, 3 * vecs);
  }

  void ReadCovMat(pugi::xml_node cm, int cl, int expectedDim) {
    CheckAttributes(cm, {"dim", "band"});
    for (pugi::xml_node g : cm.children())
      if (g.type() == pugi::node_element) Unknown(g, cm);
    double dimV = Number(cm, "dim"), bandV = Number(cm, "band");
    if (dimV != std::floor(dimV) || dimV < 0 || dimV > 1e9)
      Fail(cm, "\"dim\" " + Quoted(cm, "dim") + " is not a whole number of components");
    if (bandV != std::floor(bandV) || bandV < 0 || bandV > 1e9)
      Fail(cm, "\"band\" " + Quoted(cm, "band") + " is not a whole number of side diagonals");
    if (dimV != expectedDim)
      Fail(cm, "\"dim\" is " + Quoted(cm, "dim") + " but the vectors have " +
                   std::to_string(expectedDim) + " components");
    const int dim = expectedDim;
    if (bandV > dim - 1) Fail(cm, "\"band\" must be less than \"dim\"");
    const int band = static_cast<int>(bandV);
    CheckMemoryFor(cm, dim);
    // The text holds the upper band row by row.
    const std::string text = cm.text().get();
    std::vector<double> values;
    size_t i = 0;
    while (i < text.size()) {
      while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\n')) ++i;
      if (i >= text.size()) break;
      size_t j = i;
      while (j < text.size() && !(text[j] == ' ' || text[j] == '\t' || text[j] == '\n')) ++j;
      double v = 0;
      if (!ParseNumber(std::string_view(text).substr(i, j - i), v))
        Fail(cm, "covariance entry \"" + Shorten(text.substr(i, j - i)) + "\" is not a number");
      if (std::fabs(v) > 1e12) Fail(cm, "covariance entry \"" + Shorten(text.substr(i, j - i)) + "\" is out of range");
      values.push_back(v);
      i = j;
    }
    size_t expected = 0;
    for (int r = 0; r < dim; ++r) expected += std::min(band, dim - 1 - r) + 1;
    if (values.size() != expected)
      Fail(cm, "the covariance matrix needs " + std::to_string(expected) + " numbers, found " +
                   std::to_string(values.size()));
    Cluster &c = net_.clusters[cl];
    c.cov.assign(static_cast<size_t>(dim) * dim, 0.0);
    c.covLine = Line(cm);
    size_t k = 0;
    for (int r = 0; r < dim; ++r) {
      for (int col = r; col <= std::min(dim - 1, r + band); ++col) {
        c.cov[r * dim + col] = values[k];
        c.cov[col * dim + r] = values[k];
        ++k;
      }
    }
    // Positive definite, and not so nearly singular that its inverse is noise.
    Eigen::Map<const Eigen::MatrixXd> m(c.cov.data(), dim, dim);
    Eigen::LDLT<Eigen::MatrixXd> ldlt(m);
    const double maxDiag = m.diagonal().maxCoeff();
    bool pd = ldlt.info() == Eigen::Success && maxDiag > 0 && ldlt.isPositive();
    if (pd) {
      const auto d = ldlt.vectorD();
      pd = d.minCoeff() > 1e-12 * maxDiag;
    }
    if (!pd) Fail(cm, "the covariance matrix is not positive definite");
  }

  void ResolveReferences() {
    for (const auto &[cl, station] : clusterStation_) {
      auto it = ids_.find(station);
      if (it == ids_.end())
        throw InputError("element <obs>: station \"" + station + "\" is not a defined point",
                         net_.clusters[cl].line);
      net_.clusters[cl].station = it->second;
    }
    for (size_t k = 0; k < refs_.size(); ++k) {
      const PendingRef &r = refs_[k];
      Observation &o = net_.observations[r.obs];
      auto f = ids_.find(r.from);
      if (f == ids_.end()) Fail(nodes_[k], "point \"" + r.from + "\" is not defined");
      auto t = ids_.find(r.to);
      if (t == ids_.end()) Fail(nodes_[k], "point \"" + r.to + "\" is not defined");
      if (f->second == t->second)
        Fail(nodes_[k], "station and target are the same point \"" + r.from + "\"");
      o.from = f->second;
      o.to = t->second;
      // The coordinates the observation is computed from must be known.
      const Point &a = net_.points[o.from];
      const Point &b = net_.points[o.to];
      bool need[3] = {true, true, true};
      if (o.kind == ObsKind::Direction || o.kind == ObsKind::Distance) need[2] = false;
      if (o.kind == ObsKind::HeightDiff) need[0] = need[1] = false;
      const char *names[3] = {"x", "y", "z"};
      for (int c = 0; c < 3; ++c) {
        if (!need[c]) continue;
        const Point &miss = !a.given[c] ? a : b;
        if (!a.given[c] || !b.given[c])
          Fail(nodes_[k], std::string("point \"") + miss.id + "\" has no coordinate \"" +
                              names[c] + "\" that this observation needs");
      }
    }
  }

  void CheckContent(pugi::xml_node root) {
    if (net_.points.empty()) Fail(root, "the network has no points");
    if (net_.observations.empty()) Fail(root, "the network has no observations");
    CheckWeights();
    bool anyAdjusted = false;
    for (const Point &p : net_.points)
      anyAdjusted = anyAdjusted || p.adjusted[0] || p.adjusted[1] || p.adjusted[2];
    if (!anyAdjusted) Fail(root, "the network has no adjusted coordinate");
  }

  // With sigma-apr known (the parameters may follow the observations),
  // every weight must be an ordinary number: (sigma-apr / stdev)² for an
  // observation, sigma-apr² / variance for a vector component.
  void CheckWeights() const {
    const double s2 = net_.params.sigmaApr * net_.params.sigmaApr;
    const std::string apr = "sigma-apr " + G(net_.params.sigmaApr);
    for (size_t k = 0; k < nodes_.size(); ++k) {
      const Observation &o = net_.observations[refs_[k].obs];
      if (o.kind == ObsKind::VecX || o.kind == ObsKind::VecY || o.kind == ObsKind::VecZ) continue;
      const double w = s2 / (o.sigma * o.sigma);
      if (!WeightFits(w))
        Fail(nodes_[k], "the standard deviation \"stdev\" " + Quoted(nodes_[k], "stdev") +
                            " is too " + (w > 1 ? "small" : "large") + " for the " + apr +
                            ": the weight of the observation cannot be computed with");
    }
    for (const Cluster &c : net_.clusters) {
      if (c.kind != ClusterKind::Vectors) continue;
      const size_t dim = c.obs.size();
      for (size_t k = 0; k < dim; ++k) {
        const double var = c.cov[k * dim + k];
        const double w = s2 / var;
        if (!WeightFits(w) || !WeightScaleFits(std::sqrt(var)))
          throw InputError("element <cov-mat>: the variance " + G(var) +
                               " of component " + std::to_string(k + 1) + " is too " +
                               (w > 1 ? "small" : "large") + " for the " + apr +
                               ": its weight cannot be computed with",
                           c.covLine);
      }
    }
  }

  // A vector covariance of `dim` components is held as a dense matrix,
  // factorised here and again by the adjustment: about four dim x dim
  // matrices of doubles, on top of those of the clusters before it and the
  // adjustment's n x n matrix (with its results) for the n adjusted
  // coordinates of the points so far. Refused before any of it is taken.
  void CheckMemoryFor(pugi::xml_node cm, int dim) {
    const double clusterBytes = 4.0 * 8.0 * static_cast<double>(dim) * dim;
    const double unknowns = adjustedCoords_;
    const double need = declaredBytes_ + clusterBytes + kMemoryPerUnknownSquared * unknowns * unknowns;
    if (need > memoryLimit_)
      Fail(cm, "the covariance matrix of dim " + std::to_string(dim) + " would need about " +
                   MemorySizeText(need) + " of memory with the rest of the network, more than the " +
                   MemorySizeText(memoryLimit_) + " the engine may use");
    declaredBytes_ += clusterBytes;
  }

  std::string text_;
  double memoryLimit_ = 0;
  double declaredBytes_ = 0;  // memory of the vector covariances read so far
  double adjustedCoords_ = 0;  // adjusted coordinates of the points read so far
  const LineIndex *lines_ = nullptr;
  Network net_;
  std::map<std::string, int> ids_;
  std::vector<PendingRef> refs_;
  std::vector<pugi::xml_node> nodes_;
  std::vector<std::pair<int, std::string>> clusterStation_;
};

}  // namespace

Network ReadNetwork(std::string_view utf8Text) {
  return ReadNetwork(utf8Text, UsableMemoryBytes());
}

Network ReadNetwork(std::string_view utf8Text, double memoryLimitBytes) {
  Reader r(utf8Text, memoryLimitBytes);
  return r.Read();
}

}  // namespace kd::adj
