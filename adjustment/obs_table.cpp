// The observation table: one CSV row per observation of the document.
#include <cmath>
#include <cstdio>

#include "adjustment/output.h"

namespace kd::adj {

const char *ElementName(ObsKind kind) {
  switch (kind) {
    case ObsKind::Direction: return "direction";
    case ObsKind::Distance: return "distance";
    case ObsKind::SlopeDistance: return "s-distance";
    case ObsKind::ZenithAngle: return "z-angle";
    case ObsKind::HeightDiff: return "dh";
    case ObsKind::VecX: return "dx";
    case ObsKind::VecY: return "dy";
    case ObsKind::VecZ: return "dz";
  }
  return "";
}

namespace {

// A field quoted when it holds a separator, a quote or a line end.
void Field(std::string &row, const std::string &text) {
  if (!row.empty()) row += ',';
  if (text.find_first_of(",\"\r\n") == std::string::npos) {
    row += text;
    return;
  }
  row += '"';
  for (char c : text) {
    if (c == '"') row += '"';
    row += c;
  }
  row += '"';
}

std::string Number(double v) {
  char b[40];
  std::snprintf(b, sizeof b, "%.6f", v);
  return b;
}

}  // namespace

std::string ObservationTableCsv(const Network &net, const AdjustmentResult &res) {
  std::string out =
      "type,from,to,value,stdev_apriori,stdev_adjusted,redundancy,mdb,rejected\r\n";
  // Position of every vector component within its cluster, for its variance.
  std::vector<int> position(net.observations.size(), -1);
  for (const Cluster &c : net.clusters)
    for (size_t k = 0; k < c.obs.size(); ++k) position[c.obs[k]] = static_cast<int>(k);
  for (size_t i = 0; i < net.observations.size(); ++i) {
    const Observation &o = net.observations[i];
    const ObsResult &r = res.obs[i];
    double sigmaApr = o.sigma;
    if (o.kind == ObsKind::VecX || o.kind == ObsKind::VecY || o.kind == ObsKind::VecZ) {
      const Cluster &c = net.clusters[o.cluster];
      const size_t dim = c.obs.size(), k = static_cast<size_t>(position[i]);
      sigmaApr = std::sqrt(c.cov[k * dim + k]);
    }
    std::string row;
    Field(row, ElementName(o.kind));
    Field(row, net.points[o.from].id);
    Field(row, net.points[o.to].id);
    Field(row, o.valueText);
    Field(row, Number(sigmaApr));
    // Left out by the absolute-term test: no adjusted quantities.
    Field(row, r.used ? Number(r.sigmaAdj) : "");
    Field(row, r.used ? Number(r.redundancy) : "");
    Field(row, r.used && r.mdb >= 0 ? Number(r.mdb) : "");
    Field(row, r.used ? "0" : "1");
    out += row;
    out += "\r\n";
  }
  return out;
}

}  // namespace kd::adj
