#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <map>

#include "adjustment/output.h"

namespace kd::adj {

namespace {

std::string Fmt(const char *fmt, ...) __attribute__((format(printf, 1, 2)));
std::string Fmt(const char *fmt, ...) {
  char buf[1024];
  va_list ap;
  va_start(ap, fmt);
  std::vsnprintf(buf, sizeof buf, fmt, ap);
  va_end(ap);
  return buf;
}

// Cuts an id for a table column, marking the cut.
std::string Col(const std::string &s, size_t w) {
  if (s.size() <= w) return s;
  return s.substr(0, w - 1) + "~";
}

const char *kCoordName[3] = {"X", "Y", "Z"};

// Keeps every line within the 100 columns of the protocol window: long
// lines break at a blank, continuations are indented.
constexpr size_t kWidth = 100;
std::vector<std::string> Wrapped(const std::vector<std::string> &in) {
  std::vector<std::string> out;
  out.reserve(in.size());
  for (const std::string &line : in) {
    std::string rest = line;
    while (rest.size() > kWidth) {
      size_t cut = rest.rfind(' ', kWidth);
      if (cut == std::string::npos || cut < 20) cut = kWidth;
      out.push_back(rest.substr(0, cut));
      rest = "    " + rest.substr(rest[cut] == ' ' ? cut + 1 : cut);
    }
    out.push_back(rest);
  }
  return out;
}

void Header(std::vector<std::string> &out, const RunInfo &run) {
  out.push_back("Korvadimensio 3D - least-squares adjustment of a 3D network");
  out.push_back("============================================================");
  out.push_back("");
  out.push_back("Input file        : " + run.inputPath);
  out.push_back("Encoding/language : " + run.encoding + " / " + run.language);
  for (const auto &n : run.notes) out.push_back("Note              : " + n);
}

void Section(std::vector<std::string> &out, const std::string &title) {
  out.push_back("");
  out.push_back(title);
  out.push_back(std::string(title.size(), '-'));
}

void NetworkSummary(std::vector<std::string> &out, const Network &net,
                    const AdjustmentResult &res) {
  out.push_back("Description       : " + (net.description.empty() ? "(none)" : net.description));
  out.push_back("Axes and angles   : axes-xy \"" + (net.axesXY.empty() ? "-" : net.axesXY) +
                "\", angles \"" + (net.angles.empty() ? "-" : net.angles) +
                "\" (bearings run from +X towards +Y,");
  out.push_back("                    zenith angles from +Z, as in the input values)");
  const Parameters &p = net.params;
  out.push_back(Fmt("Parameters        : sigma-apr %.4g, conf-pr %.4g, tol-abs %.6g mm, sigma-act %s",
                    p.sigmaApr, p.confPr, p.tolAbs, p.aposteriori ? "aposteriori" : "apriori"));

  Section(out, "Summary");
  // The reference points of gyro directions (fixed, ids "090" + digits,
  // where network points always carry decimals) are not network points.
  auto gyroReference = [](const Point &pt) {
    return pt.fixed[0] && pt.fixed[1] && pt.fixed[2] && pt.id.size() > 3 &&
           pt.id.compare(0, 3, "090") == 0 &&
           pt.id.find_first_not_of("0123456789") == std::string::npos;
  };
  int fixed = 0, adjusted = 0, constant = 0, references = 0;
  for (const Point &pt : net.points) {
    if (pt.adjusted[0] || pt.adjusted[1] || pt.adjusted[2]) ++adjusted;
    else if (gyroReference(pt)) ++references;
    else if (pt.fixed[0] || pt.fixed[1] || pt.fixed[2]) ++fixed;
    else ++constant;
  }
  out.push_back(Fmt("Points                    : %zu (adjusted %d, fixed %d%s)",
                    net.points.size() - static_cast<size_t>(references), adjusted, fixed,
                    constant ? Fmt(", neither fixed nor adjusted %d", constant).c_str() : ""));
  if (references > 0)
    out.push_back(Fmt("Gyro reference points     : %d (fixed, one per gyro direction)", references));
  int count[8] = {0};
  for (const Observation &o : net.observations) ++count[static_cast<int>(o.kind)];
  out.push_back(Fmt("Observations              : %zu in the input, %d used, %d rejected",
                    net.observations.size(), res.observationsUsed, res.observationsRejected));
  out.push_back(Fmt("  directions %d, horizontal distances %d, slope distances %d, zenith angles %d,",
                    count[0], count[1], count[2], count[3]));
  out.push_back(Fmt("  height differences %d, vectors %d", count[4], count[5]));
  out.push_back(Fmt("Unknowns                  : %d coordinates + %d orientations = %d",
                    res.coordUnknowns, res.orientationUnknowns,
                    res.coordUnknowns + res.orientationUnknowns));
}

void UndeterminedList(std::vector<std::string> &out, const Network &net, const AdjustmentResult &res) {
  Section(out, "Coordinates that cannot be determined");
  std::map<int, std::string> byPoint;
  std::vector<int> order;
  for (const auto &u : res.undetermined) {
    if (!byPoint.count(u.point)) order.push_back(u.point);
    byPoint[u.point] += std::string(byPoint[u.point].empty() ? "" : " ") + kCoordName[u.coord];
  }
  const size_t kMax = 200;
  for (size_t i = 0; i < order.size() && i < kMax; ++i) {
    const Point &p = net.points[order[i]];
    out.push_back(Fmt("  point %-20s %-6s (line %d)", p.id.c_str(), byPoint[order[i]].c_str(),
                      p.line));
  }
  if (order.size() > kMax) out.push_back(Fmt("  ... and %zu more points", order.size() - kMax));
}

}  // namespace

std::vector<std::string> ErrorProtocolLines(const RunInfo &run, const std::string &what,
                                            int line) {
  std::vector<std::string> out;
  Header(out, run);
  out.push_back("");
  out.push_back("THE ADJUSTMENT WAS NOT DONE: the input cannot be used.");
  out.push_back("");
  if (line > 0) out.push_back(Fmt("Error on line %d: %s", line, what.c_str()));
  else out.push_back("Error: " + what);
  out.push_back("");
  out.push_back("No results were written.");
  return Wrapped(out);
}

std::vector<std::string> ProtocolLines(const RunInfo &run, const Network &net,
                                       const AdjustmentResult &res) {
  std::vector<std::string> out;
  Header(out, run);
  NetworkSummary(out, net, res);

  if (res.outcome != Outcome::Adjusted) {
    out.push_back("");
    out.push_back("THE ADJUSTMENT FAILED.");
    out.push_back("");
    out.push_back(res.failure);
    for (const auto &n : res.defectNotes) out.push_back(n);
    if (!res.undetermined.empty()) UndeterminedList(out, net, res);
    out.push_back("");
    out.push_back("No results were written.");
    return Wrapped(out);
  }

  out.push_back(Fmt("Redundancy                : %d", res.redundancy));
  if (res.freeNetwork) {
    out.push_back(Fmt("Datum                     : free network, datum defect %d; minimum-trace datum",
                      res.defect));
    out.push_back("                            over all adjusted coordinates (inner constraints)");
  } else {
    out.push_back("Datum                     : given by the fixed coordinates");
  }
  out.push_back(Fmt("Iterations                : %d (largest correction of the last one %.3g mm)",
                    res.iterations, res.lastCorrection));
  out.push_back(Fmt("Sum of weighted squares   : vTPv = %.6g", res.pvv));
  if (res.redundancy > 0)
    out.push_back(Fmt("Reference std. deviation  : a priori %.4f, a posteriori %.4f", res.sigma0Apr,
                      res.sigma0Post));
  else
    out.push_back(Fmt("Reference std. deviation  : a priori %.4f, a posteriori not estimable",
                      res.sigma0Apr));
  if (net.params.aposteriori && !res.aposterioriUsed)
    out.push_back("                            the a-priori value is used: the redundancy is 0");
  out.push_back(Fmt("Covariances are scaled by : %s %.4f", res.aposterioriUsed ? "a posteriori" : "a priori",
                    res.sigmaUsed));
  out.push_back(Fmt("Confidence coefficients   : p = %.3f: 1D %.3f, 2D %.3f, 3D %.3f",
                    net.params.confPr, res.k1, res.k2, res.k3));

  if (res.observationsRejected > 0) {
    Section(out, "Observations left out: absolute term above tol-abs");
    out.push_back("Station      Target       Type        Abs. term   as mm    Line");
    for (size_t i = 0; i < net.observations.size(); ++i) {
      if (res.obs[i].used) continue;
      const Observation &o = net.observations[i];
      out.push_back(Fmt("%-12s %-12s %-8s %12.2f %9.2f %7d", Col(net.points[o.from].id, 12).c_str(),
                        Col(net.points[o.to].id, 12).c_str(), ObsKindName(o.kind),
                        res.obs[i].absTerm, res.obs[i].absTermMm, o.line));
    }
    out.push_back("(absolute terms in mm for lengths, cc for angles)");
  }

  Section(out, "Adjusted coordinates");
  out.push_back("Point                X [m]           Y [m]          Z [m]  sX [mm]  sY [mm]  sZ [mm]");
  for (const PointResult &p : res.points) {
    const Point &pt = net.points[p.point];
    std::string line = Fmt("%-12s %15.5f %15.5f %14.5f", Col(pt.id, 12).c_str(), p.coord[0],
                           p.coord[1], p.coord[2]);
    for (int k = 0; k < 3; ++k)
      line += pt.adjusted[k] ? Fmt(" %8.3f", p.sigma[k]) : std::string("    fixed");
    out.push_back(line);
  }

  Section(out, "Error ellipses (horizontal) and error ellipsoids, standard and confidence");
  out.push_back(Fmt("Point           a [mm]   b [mm] brg a [gon] | %4.2fa   %4.2fb |  A [mm]   B [mm]   C [mm]  %4.2fA",
                    res.k2, res.k2, res.k3));
  int weakest = -1;
  for (size_t k = 0; k < res.points.size(); ++k) {
    const PointResult &p = res.points[k];
    out.push_back(Fmt("%-12s %9.3f %8.3f %11.4f |%7.3f %7.3f |%8.3f %8.3f %8.3f %7.3f",
                      Col(net.points[p.point].id, 12).c_str(), p.ellA, p.ellB, p.ellBearing,
                      res.k2 * p.ellA, res.k2 * p.ellB, p.axes[0], p.axes[1], p.axes[2],
                      res.k3 * p.axes[0]));
    if (weakest < 0 || p.axes[0] > res.points[weakest].axes[0]) weakest = static_cast<int>(k);
  }

  if (!res.orientations.empty()) {
    Section(out, "Orientations of the direction sets");
    out.push_back("Station       Line   Orientation [gon]   s [cc]");
    for (const OrientationResult &o : res.orientations) {
      out.push_back(Fmt("%-12s %5d %19.6f %8.2f", Col(net.points[o.station].id, 12).c_str(),
                        net.clusters[o.cluster].line, o.value, o.sigma));
    }
  }

  Section(out, "Observations");
  out.push_back("Station    Target     Type      Observed  Resid.  s apr.  s adj.      r       MDB  Line");
  int weakObs = -1;
  for (size_t i = 0; i < net.observations.size(); ++i) {
    const Observation &o = net.observations[i];
    const ObsResult &r = res.obs[i];
    const bool ang = IsAngular(o.kind);
    std::string head = Fmt("%-10s %-10s %-7s %13.*f", Col(net.points[o.from].id, 10).c_str(),
                           Col(net.points[o.to].id, 10).c_str(), ObsKindName(o.kind),
                           ang ? 4 : 4, o.value);
    if (!r.used) {
      out.push_back(head + Fmt("  rejected (absolute term %.2f %s)", r.absTerm, ang ? "cc" : "mm") +
                    Fmt(" %5d", o.line));
      continue;
    }
    std::string mdb = r.mdb >= 0 ? Fmt("%9.2f", r.mdb) : std::string("unchecked");
    out.push_back(head + Fmt(" %7.2f %7.2f %7.2f %6.3f %s %5d", r.residual, r.sigmaApr, r.sigmaAdj,
                             r.redundancy, mdb.c_str(), o.line));
    if (weakObs < 0 || r.redundancy < res.obs[weakObs].redundancy) weakObs = static_cast<int>(i);
  }
  out.push_back("(values in m and gon; residuals, standard deviations and MDB in mm and cc;");
  out.push_back(Fmt(" r is the redundancy number, MDB the minimal detectable bias for alpha 0.1 %%"));
  out.push_back(" and power 80 %; \"unchecked\": r below 0.001, a fault would go unnoticed)");

  Section(out, "Weakest parts");
  if (weakest >= 0) {
    const PointResult &p = res.points[weakest];
    out.push_back(Fmt("Point       : %s, largest semi-axis of its error ellipsoid %.3f mm",
                      net.points[p.point].id.c_str(), p.axes[0]));
  }
  if (weakObs >= 0) {
    const Observation &o = net.observations[weakObs];
    const ObsResult &r = res.obs[weakObs];
    out.push_back(Fmt("Observation : %s from %s to %s (line %d), redundancy number %.3f%s",
                      ObsKindName(o.kind), net.points[o.from].id.c_str(),
                      net.points[o.to].id.c_str(), o.line, r.redundancy,
                      r.mdb < 0 ? ", not checked by the other observations" : ""));
  }
  out.push_back("");
  out.push_back("End of protocol.");
  return Wrapped(out);
}

}  // namespace kd::adj
