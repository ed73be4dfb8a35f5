#include "design/planner.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <thread>

#include "adjustment/dense.h"
#include "core/number_text.h"

namespace kd::design {

using kd::adj::DesignRow;
using kd::adj::Matrix;
using kd::adj::Vector;

namespace {

constexpr double kEllipse95 = 2.4477468306808166;  // √χ²₂(0.95)
constexpr double kLinear95 = 1.959963984540054;    // two-sided normal quantile

DesignRow Unit1(int col) {
  DesignRow r;
  if (col >= 0) r.Add(col, 1.0);
  return r;
}

// g = Σ_k w_k (e_to,k − e_from,k) over the axes k.
DesignRow Difference(const kd::adj::NormalSystem &sys, int from, int to, const double w[3]) {
  DesignRow r;
  for (int k = 0; k < 3; ++k) {
    if (w[k] == 0) continue;
    if (sys.unknownOf[to][k] >= 0) r.Add(sys.unknownOf[to][k], w[k]);
    if (sys.unknownOf[from][k] >= 0) r.Add(sys.unknownOf[from][k], -w[k]);
  }
  return r;
}

double Quad(const Matrix &Q, const DesignRow &a, const DesignRow &b) {
  double s = 0;
  for (int i = 0; i < a.n; ++i)
    for (int j = 0; j < b.n; ++j) s += a.val[i] * b.val[j] * Q(a.col[i], b.col[j]);
  return s;
}

double SemiMajor(const Matrix &m) {
  const double mean = (m(0, 0) + m(1, 1)) / 2, rad = std::hypot((m(0, 0) - m(1, 1)) / 2, m(0, 1));
  return std::sqrt(std::max(0.0, mean + rad));
}

std::string NumberText(double n) { return NumToText(n); }

}  // namespace

bool CompileChecks(const kd::adj::Network &net, const kd::adj::NormalSystem &sys,
                   const RequirementSet &reqs, const std::vector<double> &pointNumbers,
                   std::vector<Check> &checks, std::string &error) {
  checks.clear();
  auto pointOf = [&](double number) {
    for (size_t i = 0; i < pointNumbers.size(); ++i)
      if (pointNumbers[i] == number) return static_cast<int>(i);
    return -1;
  };
  auto adjusted = [&](int p) {
    return sys.unknownOf[p][0] >= 0 || sys.unknownOf[p][1] >= 0 || sys.unknownOf[p][2] >= 0;
  };
  for (size_t ri = 0; ri < reqs.items.size(); ++ri) {
    const Requirement &r = reqs.items[ri];
    auto fail = [&](const std::string &why) {
      error = reqs.fileName + ":" + std::to_string(r.line) + ": " + why;
      return false;
    };
    Check c;
    c.requirement = static_cast<int>(ri);
    switch (r.kind) {
      case RequirementKind::Ellipse:
      case RequirementKind::Height: {
        std::vector<int> pts;
        if (r.allPoints) {
          for (size_t p = 0; p < pointNumbers.size(); ++p)
            if (std::isfinite(pointNumbers[p]) && adjusted(static_cast<int>(p))) pts.push_back(static_cast<int>(p));
          if (pts.empty()) return fail("the network has no adjusted point");
        } else {
          for (double num : r.points) {
            const int p = pointOf(num);
            if (p < 0) return fail("point " + NumberText(num) + " is not in the coordinate file");
            if (!adjusted(p)) return fail("point " + NumberText(num) + " is fixed: it has no error to limit");
            pts.push_back(p);
          }
        }
        for (int p : pts) {
          Check k = c;
          k.subject = NumberText(pointNumbers[p]);
          if (r.kind == RequirementKind::Ellipse) {
            k.kind = CheckKind::Planar;
            k.g[0] = Unit1(sys.unknownOf[p][0]);
            k.g[1] = Unit1(sys.unknownOf[p][1]);
            k.factor = reqs.confidence95 ? kEllipse95 : 1.0;
          } else {
            k.kind = CheckKind::Linear;
            k.g[0] = Unit1(sys.unknownOf[p][2]);
            k.factor = reqs.confidence95 ? kLinear95 : 1.0;
          }
          checks.push_back(k);
        }
        break;
      }
      case RequirementKind::Redundancy:
        c.kind = CheckKind::Redundancy;
        c.subject = "*";
        checks.push_back(c);
        break;
      default: {
        const int a = pointOf(r.from), b = pointOf(r.to);
        if (a < 0) return fail("point " + NumberText(r.from) + " is not in the coordinate file");
        if (b < 0) return fail("point " + NumberText(r.to) + " is not in the coordinate file");
        if (!adjusted(a) && !adjusted(b))
          return fail("points " + NumberText(r.from) + " and " + NumberText(r.to) +
                      " are both fixed: at least one must be adjusted");
        c.subject = NumberText(r.from) + " - " + NumberText(r.to);
        if (r.kind == RequirementKind::Relative) {
          const double wx[3] = {1, 0, 0}, wy[3] = {0, 1, 0};
          c.kind = CheckKind::Planar;
          c.g[0] = Difference(sys, a, b, wx);
          c.g[1] = Difference(sys, a, b, wy);
          c.factor = reqs.confidence95 ? kEllipse95 : 1.0;
        } else if (r.kind == RequirementKind::Distance) {
          double d[3], len = 0;
          for (int k = 0; k < 3; ++k) {
            d[k] = net.points[b].coord[k] - net.points[a].coord[k];
            len += d[k] * d[k];
          }
          len = std::sqrt(len);
          if (!(len > 0)) return fail("the two points coincide: their distance has no direction");
          for (double &v : d) v /= len;
          c.kind = CheckKind::Linear;
          c.g[0] = Difference(sys, a, b, d);
          c.factor = reqs.confidence95 ? kLinear95 : 1.0;
        } else {
          const double t = r.bearingGon * std::numbers::pi / 200.0;
          double w[3] = {std::cos(t), std::sin(t), 0};
          if (r.kind == RequirementKind::Across) {
            w[0] = -std::sin(t);
            w[1] = std::cos(t);
          }
          c.kind = CheckKind::Linear;
          c.g[0] = Difference(sys, a, b, w);
          c.factor = reqs.confidence95 ? kLinear95 : 1.0;
        }
        checks.push_back(c);
      }
    }
  }
  return true;
}

Planner::Planner(const kd::adj::NormalSystem &sys, std::vector<Unit> units, std::vector<Check> checks,
                 const RequirementSet &reqs, double setupCost)
    : units_(std::move(units)), checks_(std::move(checks)), reqs_(reqs), setupCost_(setupCost),
      Q_(sys.cofactor) {
  for (const Check &c : checks_)
    if (c.kind == CheckKind::Redundancy) needRedundancy_ = true;
  activeAt_.assign(sys.unknownOf.size(), 0);
  for (const Unit &u : units_)
    if (u.active && u.station >= 0) ++activeAt_[u.station];
  RefreshCaches();
}

void Planner::RefreshCaches() {
  checkQ_.resize(checks_.size());
  for (size_t i = 0; i < checks_.size(); ++i) {
    const Check &c = checks_[i];
    if (c.kind == CheckKind::Planar) {
      Matrix m(2, 2);
      m(0, 0) = Quad(Q_, c.g[0], c.g[0]);
      m(1, 1) = Quad(Q_, c.g[1], c.g[1]);
      m(0, 1) = m(1, 0) = Quad(Q_, c.g[0], c.g[1]);
      checkQ_[i] = m;
    } else if (c.kind == CheckKind::Linear) {
      checkQ_[i] = Matrix::Constant(1, 1, Quad(Q_, c.g[0], c.g[0]));
    }
  }
  // Only redundancy checks read them.
  unitRQR_.assign(units_.size(), Matrix());
  if (!needRedundancy_) return;
  for (size_t u = 0; u < units_.size(); ++u)
    unitRQR_[u] = kd::adj::BlockQuadratic(Q_, units_[u].block.rows);
}

double Planner::UnitRedundancy(int unit, const Matrix &rqr) const {
  const kd::adj::WeightedBlock &b = units_[unit].block;
  const Matrix rp = (b.residualBase - rqr) * b.weight;
  // A set of its own counts as one measurement: its redundancy is the sum
  // over its directions (the reference direction takes almost none).
  if (units_[unit].ownSet) return std::clamp(rp.trace(), 0.0, 1.0);
  double r = 1;
  for (int i = 0; i < rp.rows(); ++i) r = std::min(r, std::clamp(rp(i, i), 0.0, 1.0));
  return r;
}

Vector Planner::Redundancy(int unit) const {
  return kd::adj::BlockRedundancy(units_[unit].block, Q_);
}

double Planner::AddCost(int unit) const {
  const Unit &u = units_[unit];
  return u.observations + (u.station >= 0 && activeAt_[u.station] == 0 ? setupCost_ : 0.0);
}

double Planner::RemoveSaving(int unit) const {
  const Unit &u = units_[unit];
  return u.observations + (u.station >= 0 && activeAt_[u.station] == 1 ? setupCost_ : 0.0);
}

Planner::Update Planner::Prepare(int unit, bool add) const {
  Update up;
  up.unit = unit;
  const kd::adj::WeightedBlock &b = units_[unit].block;
  const int k = static_cast<int>(b.rows.size()), n = static_cast<int>(Q_.rows());
  up.U = Matrix::Zero(n, k);
  for (int j = 0; j < k; ++j)
    for (int a = 0; a < b.rows[j].n; ++a) up.U.col(j) += b.rows[j].val[a] * Q_.col(b.rows[j].col[a]);
  up.RU.resize(k, k);
  for (int i = 0; i < k; ++i)
    for (int j = 0; j < k; ++j) {
      double s = 0;
      for (int a = 0; a < b.rows[i].n; ++a) s += b.rows[i].val[a] * up.U(b.rows[i].col[a], j);
      up.RU(i, j) = s;
    }
  up.RU = 0.5 * (up.RU + up.RU.transpose());
  if (add) {
    up.Dinv = (b.weightInverse + up.RU).inverse();
    up.ok = true;
    return up;
  }
  // Removal: P⁻¹ − R Q Rᵀ must stay positive definite; judged in the
  // observations' own scale (whitened by the weight).
  const Matrix L = b.weight.llt().matrixL();
  const Matrix W = L.transpose() * (b.weightInverse - up.RU) * L;
  Eigen::SelfAdjointEigenSolver<Matrix> es(W, Eigen::EigenvaluesOnly);
  if (!(es.eigenvalues().minCoeff() > 1e-9)) return up;
  up.Dinv = (up.RU - b.weightInverse).inverse();
  up.ok = true;
  return up;
}

std::vector<RequirementValue> Planner::ValuesAfter(const Update *up, bool add) const {
  const size_t nr = reqs_.items.size();
  std::vector<RequirementValue> out(nr);
  std::vector<bool> seen(nr, false);
  double minRedundancy = 1;
  bool redundancyDone = false;
  for (size_t i = 0; i < checks_.size(); ++i) {
    const Check &c = checks_[i];
    double value = 0;
    if (c.kind == CheckKind::Redundancy) {
      if (!redundancyDone) {
        redundancyDone = true;
        for (size_t u = 0; u < units_.size(); ++u) {
          const bool active = units_[u].active;
          const bool isUpdated = up && static_cast<int>(u) == up->unit;
          if (isUpdated ? !add : !active) continue;
          if (unitRQR_[u].size() == 0) continue;
          Matrix rqr = unitRQR_[u];
          if (up) {
            const kd::adj::WeightedBlock &b = units_[u].block;
            const int k = static_cast<int>(b.rows.size()), m = static_cast<int>(up->U.cols());
            Matrix RjU(k, m);
            for (int r = 0; r < k; ++r)
              for (int j = 0; j < m; ++j) {
                double s = 0;
                for (int a = 0; a < b.rows[r].n; ++a) s += b.rows[r].val[a] * up->U(b.rows[r].col[a], j);
                RjU(r, j) = s;
              }
            rqr -= RjU * up->Dinv * RjU.transpose();
          }
          minRedundancy = std::min(minRedundancy, UnitRedundancy(static_cast<int>(u), rqr));
        }
      }
      value = minRedundancy;
    } else {
      Matrix q = checkQ_[i];
      if (up) {
        const int m = c.kind == CheckKind::Planar ? 2 : 1, k = static_cast<int>(up->U.cols());
        Matrix t(k, m);
        for (int g = 0; g < m; ++g)
          for (int j = 0; j < k; ++j) {
            double s = 0;
            for (int a = 0; a < c.g[g].n; ++a) s += c.g[g].val[a] * up->U(c.g[g].col[a], j);
            t(j, g) = s;
          }
        q -= t.transpose() * up->Dinv * t;
      }
      value = c.factor * (c.kind == CheckKind::Planar ? SemiMajor(q) : std::sqrt(std::max(0.0, q(0, 0))));
    }
    const int r = c.requirement;
    const bool redundancy = c.kind == CheckKind::Redundancy;
    if (!seen[r] || (redundancy ? value < out[r].value : value > out[r].value)) {
      out[r].value = value;
      out[r].subject = c.subject;
      seen[r] = true;
    }
  }
  for (size_t r = 0; r < nr; ++r) {
    const double limit = reqs_.items[r].limit;
    const bool redundancy = reqs_.items[r].kind == RequirementKind::Redundancy;
    out[r].margin = redundancy ? out[r].value - limit : limit - out[r].value;
    out[r].relative = out[r].margin / limit;
    out[r].holds = out[r].margin >= 0;
  }
  return out;
}

std::vector<RequirementValue> Planner::Values() const { return ValuesAfter(nullptr, true); }

bool Planner::AllHold(const std::vector<RequirementValue> &v) const {
  return std::all_of(v.begin(), v.end(), [](const RequirementValue &x) { return x.holds; });
}

double Planner::Violation(const std::vector<RequirementValue> &v) const {
  double s = 0;
  for (const RequirementValue &x : v) s += std::max(0.0, -x.relative);
  return s;
}

double Planner::Worst(const std::vector<RequirementValue> &v) const {
  double w = 1e300;
  for (const RequirementValue &x : v) w = std::min(w, x.relative);
  return v.empty() ? 0.0 : w;
}

double Planner::Score(const std::vector<RequirementValue> &before,
                      const std::vector<RequirementValue> &after, double cost) const {
  return (Worst(after) - Worst(before)) / std::max(cost, 1e-12);
}

double Planner::SecondaryScore(const std::vector<RequirementValue> &before,
                               const std::vector<RequirementValue> &after, double cost) const {
  return (Violation(before) - Violation(after)) / std::max(cost, 1e-12);
}

Effect Planner::TryAdd(int unit) const {
  Effect e;
  const Update up = Prepare(unit, true);
  e.ok = up.ok;
  e.values = ValuesAfter(&up, true);
  e.cost = AddCost(unit);
  const std::vector<RequirementValue> now = Values();
  e.score = Score(now, e.values, e.cost);
  e.secondary = SecondaryScore(now, e.values, e.cost);
  return e;
}

Effect Planner::TryRemove(int unit) const {
  Effect e;
  const Update up = Prepare(unit, false);
  e.ok = up.ok;
  e.cost = RemoveSaving(unit);
  if (up.ok) e.values = ValuesAfter(&up, false);
  return e;
}

namespace {

// Runs body(from, to) over the columns [0, n) on up to two threads when
// the matrix is large; every column is computed alike on either.
template <class Body> void OverColumns(Eigen::Index n, const Body &body) {
  if (n < 1024 || kd::adj::ThreadCount() < 2) {
    body(Eigen::Index{0}, n);
    return;
  }
  const Eigen::Index half = n / 2;
  std::thread other([&] { body(Eigen::Index{0}, half); });
  body(half, n);
  other.join();
}

}  // namespace

void Planner::Apply(const Update &up, bool add) {
  // In place, without a second n × n matrix, and exactly symmetric: one
  // observation's term d·(u_i·u_j) is the same for (i, j) and (j, i);
  // a larger block updates the lower triangle and mirrors it.
  if (up.U.cols() == 1) {
    const double d = up.Dinv(0, 0);
    const double *u = up.U.data();
    const Eigen::Index n = Q_.rows();
    OverColumns(n, [&](Eigen::Index from, Eigen::Index to) {
      for (Eigen::Index j = from; j < to; ++j) {
        const double uj = u[j];
        double *q = Q_.data() + j * n;
        for (Eigen::Index i = 0; i < n; ++i) q[i] -= d * (u[i] * uj);
      }
    });
  } else {
    const Matrix W = up.U * up.Dinv;
    Q_.triangularView<Eigen::Lower>() -= W * up.U.transpose();
    kd::adj::MirrorLowerToUpper(Q_);
  }
  Unit &u = units_[up.unit];
  u.active = add;
  if (u.station >= 0) activeAt_[u.station] += add ? 1 : -1;
  RefreshCaches();
}

void Planner::Add(int unit) {
  if (units_[unit].active) return;
  Apply(Prepare(unit, true), true);
}

bool Planner::Remove(int unit) {
  if (!units_[unit].active) return true;
  const Update up = Prepare(unit, false);
  if (!up.ok) return false;
  Apply(up, false);
  return true;
}

bool Planner::Exchange(int removed, int added) {
  if (!units_[removed].active || units_[added].active) return false;
  const Update a = Prepare(added, true);
  if (a.U.cols() != 1 || units_[removed].block.rows.size() != 1) {
    // Blocks: one after the other.
    Apply(a, true);
    const Update r = Prepare(removed, false);
    if (r.ok) {
      Apply(r, false);
      return true;
    }
    Apply(Prepare(added, false), false);
    return false;
  }
  // The removal's update under Q' = Q − d_a u_a u_aᵀ, without forming Q':
  // u_r' = Q' r_rᵀ = u_r − d_a u_a (r_r u_a).
  const kd::adj::WeightedBlock &b = units_[removed].block;
  const kd::adj::DesignRow &row = b.rows[0];
  const Eigen::Index n = Q_.rows();
  Vector ur = Vector::Zero(n);
  for (int k = 0; k < row.n; ++k) ur += row.val[k] * Q_.col(row.col[k]);
  double rua = 0;
  for (int k = 0; k < row.n; ++k) rua += row.val[k] * a.U(row.col[k], 0);
  const double da = a.Dinv(0, 0);
  ur -= (da * rua) * a.U.col(0);
  double rur = 0;
  for (int k = 0; k < row.n; ++k) rur += row.val[k] * ur(row.col[k]);
  // As Prepare: P⁻¹ − r Q' rᵀ must stay positive, in the observation's scale.
  const double p = b.weight(0, 0), pinv = b.weightInverse(0, 0);
  if (!(p * (pinv - rur) > 1e-9)) return false;
  const double dr = 1.0 / (rur - pinv);
  const double *ua = a.U.data();
  const double *u2 = ur.data();
  OverColumns(n, [&](Eigen::Index from, Eigen::Index to) {
    for (Eigen::Index j = from; j < to; ++j) {
      const double aj = ua[j], rj = u2[j];
      double *q = Q_.data() + j * n;
      for (Eigen::Index i = 0; i < n; ++i) q[i] -= da * (ua[i] * aj) + dr * (u2[i] * rj);
    }
  });
  for (const int unit : {added, removed}) {
    Unit &u = units_[unit];
    u.active = unit == added;
    if (u.station >= 0) activeAt_[u.station] += u.active ? 1 : -1;
  }
  RefreshCaches();
  return true;
}

int Planner::AppendUnit(Unit unit) {
  unit.active = false;
  units_.push_back(std::move(unit));
  unitRQR_.emplace_back();
  if (needRedundancy_) unitRQR_.back() = kd::adj::BlockQuadratic(Q_, units_.back().block.rows);
  return static_cast<int>(units_.size()) - 1;
}

std::vector<RankedCandidate> Planner::Rank(size_t count) const {
  std::vector<RankedCandidate> out;
  const std::vector<RequirementValue> now = Values();
  for (size_t u = 0; u < units_.size(); ++u) {
    if (units_[u].active || units_[u].planned) continue;
    if ((u & 255) == 0 && Stopped()) return {};
    RankedCandidate rc;
    rc.unit = static_cast<int>(u);
    const Update up = Prepare(rc.unit, true);
    rc.effect.ok = true;
    rc.effect.values = ValuesAfter(&up, true);
    rc.effect.cost = AddCost(rc.unit);
    rc.effect.score = Score(now, rc.effect.values, rc.effect.cost);
    rc.effect.secondary = SecondaryScore(now, rc.effect.values, rc.effect.cost);
    out.push_back(std::move(rc));
  }
  // By the gain in the worst margin; among equal ones (e.g. none, when the
  // worst requirement is out of every candidate's reach) by the fall of the
  // violations.
  std::stable_sort(out.begin(), out.end(), [](const RankedCandidate &a, const RankedCandidate &b) {
    if (a.effect.score != b.effect.score) return a.effect.score > b.effect.score;
    return a.effect.secondary > b.effect.secondary;
  });
  if (count > 0 && out.size() > count) out.resize(count);
  return out;
}

OptimiseResult Planner::Optimise(bool prunePlanned) {
  OptimiseResult res;
  const std::vector<Unit> startUnits = units_;
  // Greedy: the best gain per cost until every requirement holds, or no
  // candidate helps any more.
  std::vector<RequirementValue> now = Values();
  while (!AllHold(now)) {
    const std::vector<RankedCandidate> ranked = Rank(1);
    if (Stopped()) {
      res.stopped = true;
      return res;
    }
    // Gains below a millionth of the limits change no printed figure.
    if (ranked.empty() || !(ranked[0].effect.score > 1e-6 || ranked[0].effect.secondary > 1e-6)) break;
    const int u = ranked[0].unit;
    res.changes.push_back({u, AddCost(u), true});
    Add(u);
    now = Values();
  }
  res.reached = AllHold(now);
  if (res.reached) {
    auto removable = [&](int u) {
      return units_[u].active && (!units_[u].planned || prunePlanned);
    };
    auto bySaving = [&]() {
      std::vector<int> order;
      for (size_t u = 0; u < units_.size(); ++u)
        if (removable(static_cast<int>(u))) order.push_back(static_cast<int>(u));
      std::stable_sort(order.begin(), order.end(),
                       [&](int a, int b) { return RemoveSaving(a) > RemoveSaving(b); });
      return order;
    };
    // Prune: the most expensive first, as long as every requirement holds;
    // passes until one removes nothing.
    for (bool changed = true; changed;) {
      changed = false;
      for (int u : bySaving()) {
        if (Stopped()) {
          res.stopped = true;
          return res;
        }
        const Effect e = TryRemove(u);
        if (!e.ok || !AllHold(e.values)) continue;
        res.changes.push_back({u, e.cost, false});
        Remove(u);
        changed = true;
      }
    }
    // One in, one out, while the cost falls.
    for (int round = 0; round < 50; ++round) {
      bool swapped = false;
      // Only a measurement that saves more than the cheapest candidate
      // costs can be exchanged for a cheaper one.
      double cheapest = 1e300;
      for (size_t c = 0; c < units_.size(); ++c)
        if (!units_[c].active && !units_[c].planned) cheapest = std::min(cheapest, AddCost(static_cast<int>(c)));
      for (int out : bySaving()) {
        if (Stopped()) {
          res.stopped = true;
          return res;
        }
        const double saving = RemoveSaving(out);
        if (!(saving > cheapest)) continue;
        Planner trial = *this;
        if (!trial.Remove(out)) continue;
        int best = -1;
        double bestCost = saving;
        for (size_t c = 0; c < units_.size(); ++c) {
          const int ci = static_cast<int>(c);
          if (ci == out || trial.units_[c].active || trial.units_[c].planned) continue;
          const double cost = trial.AddCost(ci);
          if (!(cost < bestCost)) continue;
          const Effect e = trial.TryAdd(ci);
          if (!AllHold(e.values)) continue;
          best = ci;
          bestCost = cost;
        }
        if (best < 0) continue;
        res.changes.push_back({out, saving, false});
        res.changes.push_back({best, trial.AddCost(best), true});
        trial.Add(best);
        *this = std::move(trial);
        swapped = true;
        break;
      }
      if (!swapped) break;
    }
  }
  // Net changes against the plan as it was: a unit added and later removed
  // again does not appear.
  std::vector<PlanChange> net;
  for (const PlanChange &c : res.changes) {
    auto same = std::find_if(net.begin(), net.end(), [&](const PlanChange &x) { return x.unit == c.unit; });
    if (same != net.end()) net.erase(same);
    else net.push_back(c);
  }
  res.changes = net;
  // The costs against the plan as it was: a set-up is charged to the first
  // measurement added at a station that had none, and saved by the first
  // one removed from a station left without any.
  std::vector<int> before(activeAt_.size(), 0);
  for (const Unit &u : startUnits)
    if (u.active && u.station >= 0) ++before[u.station];
  std::vector<char> charged(activeAt_.size(), 0);
  for (PlanChange &c : res.changes) {
    const Unit &u = units_[c.unit];
    c.cost = u.observations;
    if (u.station >= 0 && !charged[u.station] &&
        (c.added ? before[u.station] == 0 : activeAt_[u.station] == 0)) {
      c.cost += setupCost_;
      charged[u.station] = 1;
    }
    res.totalCost += c.added ? c.cost : -c.cost;
  }
  res.values = Values();
  // A requirement binds when it has the least relative margin, or one
  // within a tenth of its limit.
  const double worst = Worst(res.values);
  for (const RequirementValue &v : res.values)
    res.binding.push_back(v.relative <= worst + 1e-12 || v.relative < 0.1);
  return res;
}

CriticalReport Planner::Critical() const {
  CriticalReport rep;
  const std::vector<RequirementValue> now = Values();
  for (size_t u = 0; u < units_.size(); ++u) {
    if (!units_[u].active || !units_[u].planned) continue;
    const Effect e = TryRemove(static_cast<int>(u));
    if (!e.ok) {
      rep.critical.push_back(static_cast<int>(u));
      rep.singular.push_back(static_cast<int>(u));
      rep.valuesWithout.push_back({});
      continue;
    }
    bool breaks = false, small = true;
    for (size_t r = 0; r < now.size(); ++r) {
      if (now[r].holds && !e.values[r].holds) breaks = true;
      const double base = std::max(std::fabs(now[r].value), 1e-300);
      if (std::fabs(e.values[r].value - now[r].value) > 0.01 * base) small = false;
    }
    if (breaks) {
      rep.critical.push_back(static_cast<int>(u));
      rep.valuesWithout.push_back(e.values);
    } else if (small) {
      rep.lowValue.push_back(static_cast<int>(u));
    }
  }
  return rep;
}

}  // namespace kd::design
