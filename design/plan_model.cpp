#include "design/plan_model.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <functional>
#include <map>
#include <sstream>

#include "adjustment/adjust.h"
#include "adjustment/reader.h"
#include "core/number_text.h"
#include "core/text_file.h"
#include "precision/observation_sigma.h"

namespace kd::design {

using kd::adj::ObsKind;

namespace {

// The id the engine document gives a point: its number with two decimals.
std::string DocumentId(double number) {
  std::string s = NumToTextFixed(number, 14, 2);
  std::replace(s.begin(), s.end(), ',', '.');
  return s;
}

bool EngineKindOf(std::uint8_t type, ObsKind &kind) {
  switch (type) {
    case mtSd: kind = ObsKind::SlopeDistance; return true;
    case mtHd: kind = ObsKind::Distance; return true;
    case mtZu: kind = ObsKind::ZenithAngle; return true;
    case mtDi:
    case mtGd: kind = ObsKind::Direction; return true;
    case mtVd: kind = ObsKind::HeightDiff; return true;
    default: return false;
  }
}

// The standard deviation the engine document carries for a measurement
// (mm or cc, written with two decimals); 0 when it would be refused.
double EngineSigma(const Measurement &m, const ObservationGeometry &g, bool mode1) {
  const long double s = m.StdDev;
  long double sd = 0;
  switch (m.MeasType) {
    case mtSd: sd = kMetresToMm * (mode1 ? SigmaSlopeDistOf(s, g) : s); break;
    case mtHd: sd = kMetresToMm * (mode1 ? SigmaHorizDistOf(s, g) : s); break;
    case mtZu: sd = mode1 ? RadToGon(SigmaZenithOf(s, g)) * kGonToCc : kGonToCc * s; break;
    case mtDi:
    case mtGd: sd = mode1 ? RadToGon(SigmaDirectionOf(s, g)) * kGonToCc : kGonToCc * s; break;
    default: sd = kMetresToMm * s; break;
  }
  if (!std::isfinite(static_cast<double>(sd))) return 0;
  double written = 0;
  std::string text = NumToTextFixed(sd, 14, 2);
  std::replace(text.begin(), text.end(), ',', '.');
  if (!kd::adj::ParseNumber(text, written)) return 0;
  return written > 0 ? written : 0;
}

bool Symmetric(std::uint8_t type) { return type == mtSd || type == mtHd || type == mtVd; }

// The unit of measurement `c` of `work` (whose points are those of the
// model's network) as a candidate: its block at the model's coordinates and
// the observation it adds to the engine network. False when it cannot be
// one (undefined geometry, no positive standard deviation, a direction at a
// station without a direction set). `unit.measurement` is left to the caller.
bool CandidateUnit(const PlanModel &model, const SurveyNetwork &work, const PointNumberIndex &workIndex, int c,
                   const std::function<int(double)> &enginePoint, Unit &u) {
  const kd::adj::Network &eng = model.engine;
  const kd::adj::NormalSystem &sys = model.system;
  const Measurement &m = work.Measurements.Items[static_cast<size_t>(c)];
  ObservationGeometry g;
  if (!ObsGeometryOf(work, c, g, &workIndex) || UndefinedGeometryReason(m.MeasType, g)) return false;
  const double sigma = EngineSigma(m, g, work.Points.ScSvpMode == ScSvpMode::PerMeasurement);
  if (!(sigma > 0)) return false;
  const int es = enginePoint(m.Station), et = enginePoint(m.Target);
  ObsKind kind;
  if (es < 0 || et < 0 || !EngineKindOf(m.MeasType, kind)) return false;
  u = Unit();
  u.label = MeasurementLabel(m);
  u.station = es;
  const auto &from = eng.points[es].coord, &to = eng.points[et].coord;
  kd::adj::Observation add;
  add.kind = kind;
  add.from = es;
  add.to = et;
  add.sigma = sigma;
  double value = 0, d[3];
  if (!kd::adj::ObservationGeometry(kind, from, to, value, d)) return false;
  add.value = value;
  kd::adj::DesignRow row;
  if (m.MeasType == mtGd) {
    const double ref[3] = {from[0] + 10000.0, from[1], from[2]};
    kd::adj::DesignRow refRow;
    if (!kd::adj::RowOf(kind, from, ref, sys.unknownOf[es], {-1, -1, -1}, -1, refRow) ||
        !kd::adj::RowOf(kind, from, to, sys.unknownOf[es], sys.unknownOf[et], -1, row) ||
        !kd::adj::EliminatedSetBlock({refRow, row}, {u.referenceSigma, sigma}, u.block))
      return false;
    u.ownSet = true;
    add.cluster = -1;
  } else {
    int orient = -1;
    add.cluster = model.stationCluster[es];
    if (kind == ObsKind::Direction) {
      add.cluster = model.setOfStation[es];
      if (add.cluster < 0) return false;
      orient = sys.orientationOf[add.cluster];
    }
    if (!kd::adj::RowOf(kind, from, to, sys.unknownOf[es], sys.unknownOf[et], orient, row)) return false;
    u.block = kd::adj::SingleBlock(row, sigma);
  }
  if (row.n == 0) return false;
  u.additions = {add};
  return true;
}

}  // namespace

std::string MeasurementLabel(const Measurement &m) {
  return MeasurementList::TypeName(m.MeasType) + " " + NumToText(m.Station) + " -> " + NumToText(m.Target);
}

bool BuildPlanModel(const SurveyNetwork &net, const std::string &documentUtf8,
                    const CandidateOptions &options, PlanModel &model, std::string &error) {
  model = PlanModel();
  try {
    model.engine = kd::adj::ReadNetwork(documentUtf8);
  } catch (const kd::adj::InputError &e) {
    error = std::string("the engine document cannot be read: ") + e.what();
    return false;
  }
  const kd::adj::Network &eng = model.engine;
  std::map<std::string, int> idIndex;
  for (size_t i = 0; i < eng.points.size(); ++i) idIndex[eng.points[i].id] = static_cast<int>(i);
  model.pointNumbers.assign(eng.points.size(), std::numeric_limits<double>::quiet_NaN());
  const PointList &list = net.Points.List;
  std::vector<int> engineOf(list.Items.size(), -1);
  for (size_t p = 0; p < list.Items.size(); ++p) {
    const auto it = idIndex.find(DocumentId(list.Items[p].Number));
    if (it == idIndex.end()) continue;
    engineOf[p] = it->second;
    model.pointNumbers[it->second] = list.Items[p].Number;
  }
  const PointNumberIndex index(list);
  auto enginePoint = [&](double number) {
    const int p = index.IndexOf(number);
    return p < 0 ? -1 : engineOf[p];
  };

  // Planned measurements ↔ engine observations, in the writer's order.
  MeasurementList meas = net.Measurements;
  meas.BuildIndexLists();
  std::vector<std::vector<int>> obsOf(meas.Items.size());
  int next = 0;
  const int total = static_cast<int>(eng.observations.size());
  auto mismatch = [&] {
    error = "the engine document does not match the measurement list";
    return false;
  };
  for (int pos : meas.OrdinaryIdx) {
    if (next >= total) return mismatch();
    obsOf[pos] = {next++};
  }
  for (int pos : meas.SpecialIdx) {
    const int k = meas.Items[pos].MeasType == mtGd ? 2 : 3;
    if (next + k > total) return mismatch();
    for (int j = 0; j < k; ++j) obsOf[pos].push_back(next++);
  }
  if (next != total) return mismatch();
  for (size_t pos = 0; pos < meas.Items.size(); ++pos) {
    const Measurement &m = meas.Items[pos];
    ObsKind kind;
    const kd::adj::Observation &o = eng.observations[obsOf[pos].back()];
    if (m.MeasType == mtPr ? o.kind != ObsKind::VecZ : (!EngineKindOf(m.MeasType, kind) || o.kind != kind))
      return mismatch();
    if (o.to != enginePoint(m.Target)) return mismatch();
  }

  // Gyro sets lose their orientation inside their block.
  std::vector<char> eliminate(eng.clusters.size(), 0);
  for (size_t pos = 0; pos < meas.Items.size(); ++pos)
    if (meas.Items[pos].MeasType == mtGd) eliminate[eng.observations[obsOf[pos][0]].cluster] = 1;
  if (!kd::adj::BuildNormalSystem(eng, eliminate, model.system, error)) return false;
  const kd::adj::NormalSystem &sys = model.system;

  // Units of the planned measurements.
  std::vector<int> setOfStation(eng.points.size(), -1);  // ordinary cluster with kept orientation
  std::vector<int> stationCluster(eng.points.size(), -1);
  std::vector<char> isStation(eng.points.size(), 0);
  double longest = 0;
  for (size_t pos = 0; pos < meas.Items.size(); ++pos) {
    const Measurement &m = meas.Items[pos];
    const kd::adj::Observation &o = eng.observations[obsOf[pos].back()];
    Unit u;
    u.planned = true;
    u.active = true;
    u.label = MeasurementLabel(m);
    u.station = enginePoint(m.Station);
    u.ownSet = m.MeasType == mtGd;
    u.measurement = static_cast<int>(model.measurements.size());
    u.block = sys.blocks[sys.blockOf[obsOf[pos][0]]];
    if (u.station >= 0) isStation[u.station] = 1;
    if (m.MeasType != mtGd && m.MeasType != mtPr && u.station >= 0) {
      stationCluster[u.station] = o.cluster;
      if (o.kind == ObsKind::Direction && sys.orientationOf[o.cluster] >= 0) setOfStation[u.station] = o.cluster;
    }
    if (m.MeasType != mtPr) {
      double d2 = 0;
      for (int k = 0; k < 3; ++k) {
        const double d = eng.points[o.to].coord[k] - eng.points[o.from].coord[k];
        d2 += d * d;
      }
      longest = std::max(longest, std::sqrt(d2));
    }
    model.measurements.push_back(m);
    model.units.push_back(std::move(u));
  }
  model.plannedCount = static_cast<int>(model.units.size());
  model.maxSight = options.maxSight > 0 ? options.maxSight : longest;

  // Candidate measurements.
  auto excluded = [&](double a, double b) {
    for (const auto &[x, y] : options.excluded)
      if ((x == a && y == b) || (x == b && y == a)) return true;
    return false;
  };
  std::vector<Measurement> wanted;
  std::vector<bool> repeat;
  if (options.automatic) {
    std::vector<std::uint8_t> used;
    for (const Measurement &m : meas.Items)
      if (m.MeasType != mtPr && std::find(used.begin(), used.end(), m.MeasType) == used.end())
        used.push_back(m.MeasType);
    std::sort(used.begin(), used.end());
    // The usual standard deviation of each type: the most frequent one.
    auto usualSigma = [&](std::uint8_t type) {
      std::map<double, int> count;
      for (const Measurement &m : meas.Items)
        if (m.MeasType == type) ++count[m.StdDev];
      double best = 0;
      int most = 0;
      for (const auto &[s, c] : count)
        if (c > most) { most = c; best = s; }
      return best;
    };
    auto planned = [&](std::uint8_t type, double s, double t) {
      for (const Measurement &m : meas.Items)
        if (m.MeasType == type &&
            ((m.Station == s && m.Target == t) || (Symmetric(type) && m.Station == t && m.Target == s)))
          return true;
      return false;
    };
    const auto &pts = list.Items;
    // Parts of the network joined by sights: points of different parts (a
    // surface network and a tunnel joined only by plumbings or height
    // transfers) cannot see each other.
    std::vector<int> part(pts.size());
    for (size_t i = 0; i < pts.size(); ++i) part[i] = static_cast<int>(i);
    auto root = [&](int i) {
      while (part[i] != i) i = part[i] = part[part[i]];
      return i;
    };
    for (const Measurement &m : meas.Items) {
      if (m.MeasType == mtPr || m.MeasType == mtVd) continue;
      const int a = index.IndexOf(m.Station), b = index.IndexOf(m.Target);
      if (a >= 0 && b >= 0) part[root(a)] = root(b);
    }
    for (size_t i = 0; i < pts.size(); ++i)
      for (size_t j = i + 1; j < pts.size(); ++j) {
        const int ei = engineOf[i], ej = engineOf[j];
        if (ei < 0 || ej < 0 || (pts[i].Fixed && pts[j].Fixed)) continue;
        if (root(static_cast<int>(i)) != root(static_cast<int>(j))) continue;
        const long double dx = pts[j].X - pts[i].X, dy = pts[j].Y - pts[i].Y, dz = pts[j].Z - pts[i].Z;
        const double len = static_cast<double>(std::sqrt(dx * dx + dy * dy + dz * dz));
        if (!(len > 0) || len > model.maxSight * (1 + 1e-12)) continue;
        if (excluded(pts[i].Number, pts[j].Number)) continue;
        for (std::uint8_t type : used) {
          const double sigma = usualSigma(type);
          if (Symmetric(type)) {
            if (planned(type, pts[i].Number, pts[j].Number)) continue;
            const bool jStation = isStation[ej] && !isStation[ei];
            Measurement m;
            m.MeasType = type;
            m.Station = jStation ? pts[j].Number : pts[i].Number;
            m.Target = jStation ? pts[i].Number : pts[j].Number;
            m.StdDev = sigma;
            wanted.push_back(m);
            repeat.push_back(false);
            continue;
          }
          for (int dir = 0; dir < 2; ++dir) {
            const size_t s = dir == 0 ? i : j, t = dir == 0 ? j : i;
            const int es = engineOf[s];
            if ((type == mtDi || type == mtGd) && setOfStation[es] < 0) continue;
            if (planned(type, pts[s].Number, pts[t].Number)) continue;
            Measurement m;
            m.MeasType = type;
            m.Station = pts[s].Number;
            m.Target = pts[t].Number;
            m.StdDev = sigma;
            wanted.push_back(m);
            repeat.push_back(false);
          }
        }
      }
    for (const Measurement &m : meas.Items) {
      if (m.MeasType == mtPr || excluded(m.Station, m.Target)) continue;
      wanted.push_back(m);
      repeat.push_back(true);
    }
  } else {
    for (const Measurement &m : options.fromFile) {
      if (excluded(m.Station, m.Target)) continue;
      if (enginePoint(m.Station) < 0 || enginePoint(m.Target) < 0) {
        error = "the candidate " + MeasurementLabel(m) + " names a point that is not in the coordinate file";
        return false;
      }
      if (m.MeasType == mtPr) {
        error = "the candidate " + MeasurementLabel(m) + " is a plumbing, which cannot be proposed";
        return false;
      }
      wanted.push_back(m);
      repeat.push_back(false);
    }
  }

  // Geometry and engine standard deviations of the candidates.
  SurveyNetwork work;
  work.Points = net.Points;
  work.Measurements.Items = wanted;
  const PointNumberIndex workIndex(work.Points.List);
  model.stationCluster = std::move(stationCluster);
  model.setOfStation = std::move(setOfStation);
  for (size_t c = 0; c < wanted.size(); ++c) {
    Unit u;
    if (!CandidateUnit(model, work, workIndex, static_cast<int>(c), enginePoint, u)) continue;
    if (repeat[c]) u.label = "repeat " + u.label;
    u.measurement = static_cast<int>(model.measurements.size());
    model.measurements.push_back(wanted[c]);
    model.units.push_back(std::move(u));
  }
  return true;
}

bool AddedMeasurementUnit(const PlanModel &model, const SurveyNetwork &net, const Measurement &m,
                          Unit &unit) {
  if (m.MeasType == mtPr) return false;
  std::vector<int> engineOf(net.Points.List.Items.size(), -1);
  const PointNumberIndex index(net.Points.List);
  for (size_t e = 0; e < model.pointNumbers.size(); ++e) {
    if (!std::isfinite(model.pointNumbers[e])) continue;
    const int p = index.IndexOf(model.pointNumbers[e]);
    if (p >= 0) engineOf[static_cast<size_t>(p)] = static_cast<int>(e);
  }
  auto enginePoint = [&](double number) {
    const int p = index.IndexOf(number);
    return p < 0 ? -1 : engineOf[static_cast<size_t>(p)];
  };
  SurveyNetwork work;
  work.Points = net.Points;
  work.Measurements.Items = {m};
  if (!CandidateUnit(model, work, index, 0, enginePoint, unit)) return false;
  unit.measurement = -1;
  return true;
}

bool ProposedMeasurementText(const std::string &originalUtf8, const std::vector<Measurement> &removed,
                             const std::vector<Measurement> &added, std::string &textUtf8) {
  std::vector<std::string> lines = kd::SplitLines(originalUtf8);
  while (!lines.empty() && lines.back().empty()) lines.pop_back();
  std::vector<char> taken(lines.size(), 0);
  for (const Measurement &m : removed) {
    bool found = false;
    for (size_t i = 0; i < lines.size() && !found; ++i) {
      if (taken[i]) continue;
      std::istringstream in(lines[i]);
      std::string type, a, b, c;
      if (!(in >> type >> a >> b >> c) || !MeasurementList::IsFileTypeCode(type)) continue;
      long double s = 0, t = 0, sd = 0;
      if (MeasurementList::TypeCodeOf(type) != m.MeasType || !TryTextToNum(a, s) || !TryTextToNum(b, t) ||
          !TryTextToNum(c, sd))
        continue;
      if (static_cast<double>(s) != m.Station || static_cast<double>(t) != m.Target ||
          static_cast<double>(sd) != m.StdDev)
        continue;
      taken[i] = 1;
      lines[i] = "# removed by the optimisation: " + lines[i];
      found = true;
    }
    if (!found) return false;
  }
  if (!added.empty()) lines.push_back("# added by the optimisation:");
  for (const Measurement &m : added) lines.push_back(MeasurementList::FileLine(m));
  textUtf8 = kd::JoinLinesCrLf(lines);
  if (!textUtf8.empty() && textUtf8.size() >= 2 && textUtf8.compare(textUtf8.size() - 2, 2, "\r\n") != 0)
    textUtf8 += "\r\n";
  return true;
}

bool LoadExcludedPairs(const std::string &path, std::vector<std::pair<double, double>> &pairs,
                       std::string &error) {
  pairs.clear();
  std::string bytes;
  if (!kd::ReadFileBytes(path, bytes)) {
    error = "cannot read the file of excluded pairs " + path;
    return false;
  }
  const std::vector<std::string> lines = kd::SplitLines(kd::Cp1250ToUtf8(bytes));
  for (size_t i = 0; i < lines.size(); ++i) {
    std::string line = lines[i];
    if (const auto h = line.find('#'); h != std::string::npos) line.erase(h);
    std::istringstream in(line);
    std::vector<std::string> f;
    for (std::string w; in >> w;) f.push_back(w);
    if (f.empty()) continue;
    const std::string where = path + ":" + std::to_string(i + 1) + ": ";
    double a = 0, b = 0;
    if (f.size() != 2) {
      error = where + "a line holds two point numbers: FROM TO";
      return false;
    }
    if (!kd::adj::ParseNumber(f[0], a) || !kd::adj::ParseNumber(f[1], b)) {
      error = where + "'" + (kd::adj::ParseNumber(f[0], a) ? f[1] : f[0]) + "' is not a point number";
      return false;
    }
    if (a == b) {
      error = where + "FROM and TO are the same point " + f[0];
      return false;
    }
    pairs.emplace_back(a, b);
  }
  return true;
}

kd::adj::Network ChangedNetwork(const kd::adj::Network &base, const std::vector<Unit> &units) {
  kd::adj::Network net = base;
  std::vector<char> drop(base.observations.size(), 0);
  for (const Unit &u : units)
    if (u.planned && !u.active)
      for (int o : u.block.obs) drop[o] = 1;
  for (const Unit &u : units) {
    if (u.planned || !u.active) continue;
    for (kd::adj::Observation o : u.additions) {
      if (u.ownSet) {
        kd::adj::Point ref;
        ref.id = "design-reference-" + std::to_string(net.points.size());
        for (int k = 0; k < 3; ++k) {
          ref.coord[k] = net.points[o.from].coord[k] + (k == 0 ? 10000.0 : 0.0);
          ref.given[k] = ref.fixed[k] = true;
        }
        net.points.push_back(ref);
        kd::adj::Cluster c;
        c.station = o.from;
        const int cl = static_cast<int>(net.clusters.size());
        kd::adj::Observation r = o;
        r.to = static_cast<int>(net.points.size()) - 1;
        r.value = 0;
        r.sigma = u.referenceSigma;
        r.cluster = cl;
        o.cluster = cl;
        c.obs = {static_cast<int>(net.observations.size()), static_cast<int>(net.observations.size()) + 1};
        net.observations.push_back(r);
        net.observations.push_back(o);
        drop.push_back(0);
        drop.push_back(0);
        net.clusters.push_back(c);
        continue;
      }
      if (o.cluster < 0) {
        kd::adj::Cluster c;
        c.station = o.from;
        o.cluster = static_cast<int>(net.clusters.size());
        net.clusters.push_back(c);
      }
      net.clusters[o.cluster].obs.push_back(static_cast<int>(net.observations.size()));
      net.observations.push_back(o);
      drop.push_back(0);
    }
  }
  // Leave out the dropped observations and renumber.
  std::vector<int> newIndex(net.observations.size(), -1);
  std::vector<kd::adj::Observation> kept;
  for (size_t i = 0; i < net.observations.size(); ++i)
    if (!drop[i]) {
      newIndex[i] = static_cast<int>(kept.size());
      kept.push_back(net.observations[i]);
    }
  std::vector<kd::adj::Cluster> clusters;
  std::vector<int> newCluster(net.clusters.size(), -1);
  for (size_t c = 0; c < net.clusters.size(); ++c) {
    kd::adj::Cluster cl = net.clusters[c];
    std::vector<int> obs;
    std::vector<int> local;
    for (size_t k = 0; k < cl.obs.size(); ++k)
      if (newIndex[cl.obs[k]] >= 0) {
        obs.push_back(newIndex[cl.obs[k]]);
        local.push_back(static_cast<int>(k));
      }
    if (obs.empty()) continue;
    if (cl.kind == kd::adj::ClusterKind::Vectors && obs.size() != cl.obs.size()) {
      const size_t dim = cl.obs.size();
      std::vector<double> cov;
      for (int a : local)
        for (int b : local) cov.push_back(cl.cov[a * dim + b]);
      cl.cov = cov;
    }
    cl.obs = obs;
    newCluster[c] = static_cast<int>(clusters.size());
    clusters.push_back(cl);
  }
  for (kd::adj::Observation &o : kept) o.cluster = newCluster[o.cluster];
  net.observations = kept;
  net.clusters = clusters;
  return net;
}

}  // namespace kd::design
