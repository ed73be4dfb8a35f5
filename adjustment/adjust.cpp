#include "adjustment/adjust.h"

#include "adjustment/memory_limit.h"
#include "core/available_memory.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <numbers>

#include <unistd.h>

namespace kd::adj {

namespace {

constexpr double kGonPerRad = 200.0 / std::numbers::pi;
constexpr double kRowAngle = kRhoCC / 1000.0;  // rad/m -> cc/mm
constexpr int kMaxIterations = 25;
constexpr double kConverged = 0.001;            // mm
constexpr double kPivotTol = 1e-10;             // relative pivot of a dependent unknown
// The normal matrix is kept once corrections are below this fraction of the
// shortest sight: the linearisation then changes less than the precision
// the covariance is reported with.
constexpr double kRefactorRatio = 1e-5;

double ReduceGon(double g) {
  g = std::fmod(g, 400.0);
  if (g > 200.0) g -= 400.0;
  else if (g <= -200.0) g += 400.0;
  return g;
}

// One linearised observation: at most two points × three coordinates.
struct Row {
  int n = 0;
  int col[6];
  double val[6];
  double l = 0;        // observed − computed, mm or cc
  double computed = 0; // m or gon (directions: bearing, without orientation)
  double sightMm = 0;  // horizontal (directions) or slope length, mm
};

struct VectorCluster {
  int cluster = -1;
  std::vector<int> comps;  // active observation indices
  Matrix cov;              // their covariance, mm²
  Eigen::LLT<Matrix> llt;
};

struct DirectionSet {
  int cluster = -1;
  std::vector<int> dirs;      // active direction indices
  double weightSum = 0;       // P = Σ p
  std::vector<int> cols;      // columns of ā
  std::vector<double> abar;   // ā = Σ p a / P
  double lbar = 0;            // Σ p l / P
};

class Adjuster {
 public:
  explicit Adjuster(const Network &net) : net_(net) {}

  AdjustmentResult Run() {
    R_.sigma0Apr = net_.params.sigmaApr;
    ConfidenceCoefficients(net_.params.confPr, R_.k1, R_.k2, R_.k3);
    NumberUnknowns();
    xyz_.resize(net_.points.size());
    for (size_t i = 0; i < net_.points.size(); ++i)
      for (int k = 0; k < 3; ++k) xyz_[i][k] = net_.points[i].coord[k];
    orient_.assign(net_.clusters.size(), 0.0);
    R_.obs.resize(net_.observations.size());
    used_.assign(net_.observations.size(), true);

    if (!FitsInMemory()) return Fail(Outcome::TooLarge);
    if (!Linearise()) return Fail(Outcome::Geometry);
    ApproximateOrientations(false);
    Linearise();
    RejectByTolerance();
    BuildGroups();
    // A tolerance that leaves out most observations is itself the fault:
    // what remains could only be reported as a singular or meaningless net.
    if (R_.observationsRejected * 2 > static_cast<int>(net_.observations.size())) {
      char buf[400];
      std::snprintf(buf, sizeof buf,
                    "\"tol-abs\" %.6g mm%s leaves out %d of the %zu observations: their "
                    "absolute terms exceed it. The tolerance is too small for these "
                    "observations and approximate coordinates.",
                    net_.params.tolAbs, net_.params.line > 0 ? "" : " (the default)",
                    R_.observationsRejected, net_.observations.size());
      R_.failure = buf;
      R_.failureLine = net_.params.line;
      return Fail(Outcome::BadValue);
    }
    // The rows must agree with the orientations the first iteration corrects.
    ApproximateOrientations(true);
    Linearise();
    if (!Iterate()) return std::move(R_);
    Finish();
    if (R_.outcome != Outcome::Adjusted) R_.cov.resize(0, 0);
    return std::move(R_);
  }

 private:
  // The dense normal matrix becomes the covariance in place, and the results
  // text is written in small pieces (kMemoryPerUnknownSquared). Refuse
  // networks that cannot fit in the memory still available (to the system,
  // and under the process's control-group limit) at once, rather than be
  // stopped by the system halfway.
  bool FitsInMemory() {
    const double need = kMemoryPerUnknownSquared * n_ * static_cast<double>(n_);
    const double have = static_cast<double>(AvailableMemoryBytes());
    if (have <= 0 || need <= have) return true;
    char buf[300];
    std::snprintf(buf, sizeof buf,
                  "The network has %d coordinate unknowns: its covariance matrix and results "
                  "need about %.1f GiB, more than the %.1f GiB of memory available on this "
                  "computer.",
                  n_, need / 1073741824.0, have / 1073741824.0);
    R_.failure = buf;
    return false;
  }

  AdjustmentResult Fail(Outcome o) {
    R_.outcome = o;
    return std::move(R_);
  }

  // Points with an adjusted coordinate are numbered in reverse Cuthill–McKee
  // order of the graph of the normal matrix (observations join their two
  // points; a direction set or a vector cluster joins all of its points),
  // which keeps the nonzeros of N and of its factor near the diagonal.
  void NumberUnknowns() {
    const int np = static_cast<int>(net_.points.size());
    R_.unknownOf.assign(np, {-1, -1, -1});
    std::vector<int> node(np, -1);
    for (int i = 0; i < np; ++i) {
      const Point &p = net_.points[i];
      if (p.fixed[0] || p.fixed[1] || p.fixed[2]) anyFixed_ = true;
      if (!(p.adjusted[0] || p.adjusted[1] || p.adjusted[2])) continue;
      node[i] = static_cast<int>(R_.resultPoints.size());
      R_.resultPoints.push_back(i);
    }
    const int m = static_cast<int>(R_.resultPoints.size());
    std::vector<std::vector<int>> adj(m);
    for (const Cluster &c : net_.clusters) {
      std::vector<int> members;
      auto add = [&](int point) {
        if (point >= 0 && node[point] >= 0) members.push_back(node[point]);
      };
      add(c.station);
      for (int o : c.obs) {
        add(net_.observations[o].from);
        add(net_.observations[o].to);
      }
      std::sort(members.begin(), members.end());
      members.erase(std::unique(members.begin(), members.end()), members.end());
      // A set joins all of its points; a very large one is joined as a star,
      // which keeps the ordering cheap (the envelope is measured anyway).
      const bool whole = c.kind != ClusterKind::HeightDiffs;
      if (whole && members.size() > 64) {
        for (size_t a = 1; a < members.size(); ++a) {
          adj[members[0]].push_back(members[a]);
          adj[members[a]].push_back(members[0]);
        }
      } else if (whole) {
        for (int a : members)
          for (int b : members)
            if (a != b) adj[a].push_back(b);
      } else {
        for (int o : c.obs) {
          const int a = node[net_.observations[o].from], b = node[net_.observations[o].to];
          if (a >= 0 && b >= 0) {
            adj[a].push_back(b);
            adj[b].push_back(a);
          }
        }
      }
    }
    for (auto &l : adj) {
      std::sort(l.begin(), l.end());
      l.erase(std::unique(l.begin(), l.end()), l.end());
    }
    auto byDegree = [&](int a, int b) {
      return adj[a].size() != adj[b].size() ? adj[a].size() < adj[b].size() : a < b;
    };
    std::vector<int> order;
    order.reserve(m);
    std::vector<char> seen(m, 0);
    std::vector<int> level(m, -1);
    // Breadth-first levels from `start` within its component; returns the
    // visiting order (neighbours by ascending degree).
    auto bfs = [&](int start, std::vector<int> &visit) {
      visit.clear();
      visit.push_back(start);
      level[start] = 0;
      for (size_t h = 0; h < visit.size(); ++h) {
        std::vector<int> next;
        for (int v : adj[visit[h]])
          if (level[v] < 0) next.push_back(v);
        std::sort(next.begin(), next.end(), byDegree);
        for (int v : next) {
          level[v] = level[visit[h]] + 1;
          visit.push_back(v);
        }
      }
      for (int v : visit) level[v] = -1;
    };
    std::vector<int> nodesByDegree(m);
    for (int i = 0; i < m; ++i) nodesByDegree[i] = i;
    std::sort(nodesByDegree.begin(), nodesByDegree.end(), byDegree);
    std::vector<int> visit;
    for (int s : nodesByDegree) {
      if (seen[s]) continue;
      // A pseudo-peripheral start: a node of least degree in the last level.
      int start = s;
      size_t depth = 0;
      for (int round = 0; round < 4; ++round) {
        bfs(start, visit);
        // Recompute levels of the visit to find the last one.
        std::vector<int> lv(m, -1);
        lv[start] = 0;
        int maxLevel = 0;
        for (int v : visit)
          for (int w : adj[v])
            if (lv[w] < 0) {
              lv[w] = lv[v] + 1;
              maxLevel = std::max(maxLevel, lv[w]);
            }
        if (round > 0 && static_cast<size_t>(maxLevel) <= depth) break;
        depth = maxLevel;
        int best = -1;
        for (int v : visit)
          if (lv[v] == maxLevel && (best < 0 || byDegree(v, best))) best = v;
        if (best < 0 || best == start) break;
        start = best;
      }
      bfs(start, visit);
      for (int v : visit) {
        seen[v] = 1;
        order.push_back(v);
      }
    }
    std::reverse(order.begin(), order.end());
    int col = 0;
    for (int v : order) {
      const int p = R_.resultPoints[v];
      for (int k = 0; k < 3; ++k)
        if (net_.points[p].adjusted[k]) R_.unknownOf[p][k] = col++;
    }
    n_ = col;
    R_.coordUnknowns = n_;
  }

  std::string Describe(int i) const {
    const Observation &o = net_.observations[i];
    return std::string(ObsKindName(o.kind)) + " from \"" + net_.points[o.from].id + "\" to \"" +
           net_.points[o.to].id + "\" (line " + std::to_string(o.line) + ")";
  }

  // Rows of every observation at the current coordinates and orientations.
  bool Linearise() {
    rows_.resize(net_.observations.size());
    for (size_t i = 0; i < net_.observations.size(); ++i) {
      const Observation &o = net_.observations[i];
      Row &r = rows_[i];
      double value = 0, d[3];
      if (!ObservationGeometry(o.kind, xyz_[o.from].data(), xyz_[o.to].data(), value, d)) {
        R_.failure = "The " + Describe(static_cast<int>(i)) +
                     " cannot be computed: its two points coincide" +
                     (o.kind == ObsKind::SlopeDistance ? "." : " in plan.");
        return false;
      }
      r.n = 0;
      for (int k = 0; k < 3; ++k) {
        if (d[k] == 0) continue;
        const int cs = R_.unknownOf[o.from][k], ct = R_.unknownOf[o.to][k];
        if (cs >= 0) { r.col[r.n] = cs; r.val[r.n++] = -d[k]; }
        if (ct >= 0) { r.col[r.n] = ct; r.val[r.n++] = d[k]; }
      }
      r.computed = value;
      const double dx = xyz_[o.to][0] - xyz_[o.from][0], dy = xyz_[o.to][1] - xyz_[o.from][1],
                   dz = xyz_[o.to][2] - xyz_[o.from][2];
      const double h = std::hypot(dx, dy);
      switch (o.kind) {
        case ObsKind::Direction:
          r.l = ReduceGon(o.value - (value - orient_[o.cluster])) * 1e4;
          r.sightMm = h * 1000;
          break;
        case ObsKind::ZenithAngle:
          r.l = ReduceGon(o.value - value) * 1e4;
          r.sightMm = std::sqrt(h * h + dz * dz) * 1000;
          break;
        default:
          r.l = (o.value - value) * 1000;
          r.sightMm = std::sqrt(h * h + dz * dz) * 1000;
          break;
      }
    }
    return true;
  }

  // Orientation of every set from its active directions: the median of the
  // differences bearing − observed, robust against gross errors for the
  // absolute-term test, and their mean once those are left out.
  void ApproximateOrientations(bool mean) {
    std::vector<std::vector<double>> diffs(net_.clusters.size());
    for (size_t i = 0; i < net_.observations.size(); ++i) {
      const Observation &o = net_.observations[i];
      if (o.kind != ObsKind::Direction || !used_[i]) continue;
      diffs[o.cluster].push_back(rows_[i].computed - o.value);
    }
    for (size_t c = 0; c < diffs.size(); ++c) {
      auto &d = diffs[c];
      if (d.empty()) continue;
      const double ref = d[0];
      for (double &x : d) x = ReduceGon(x - ref);
      std::vector<double> s = d;
      std::nth_element(s.begin(), s.begin() + s.size() / 2, s.end());
      const double med = s[s.size() / 2];
      double sum = 0;
      if (mean)
        for (double x : d) sum += ReduceGon(x - med);
      double o = ref + med + sum / d.size();
      o = std::fmod(o, 400.0);
      if (o < 0) o += 400.0;
      orient_[c] = o;
    }
  }

  void RejectByTolerance() {
    const double tol = net_.params.tolAbs;
    for (size_t i = 0; i < net_.observations.size(); ++i) {
      const Observation &o = net_.observations[i];
      const Row &r = rows_[i];
      ObsResult &res = R_.obs[i];
      res.absTerm = r.l;
      res.absTermMm = IsAngular(o.kind) ? std::fabs(r.l) / kRhoCC * r.sightMm : std::fabs(r.l);
      if (res.absTermMm > tol) used_[i] = false;
    }
    // A vector is used whole or not at all.
    for (const Cluster &c : net_.clusters) {
      if (c.kind != ClusterKind::Vectors) continue;
      for (size_t k = 0; k + 2 < c.obs.size(); k += 3) {
        const bool ok = used_[c.obs[k]] && used_[c.obs[k + 1]] && used_[c.obs[k + 2]];
        for (int m = 0; m < 3; ++m) used_[c.obs[k + m]] = ok;
      }
    }
    for (size_t i = 0; i < used_.size(); ++i) {
      R_.obs[i].used = used_[i];
      if (used_[i]) ++R_.observationsUsed;
      else ++R_.observationsRejected;
    }
  }

  double Weight(int i) const {
    const double s = net_.observations[i].sigma;
    return (R_.sigma0Apr * R_.sigma0Apr) / (s * s);
  }

  void BuildGroups() {
    for (size_t c = 0; c < net_.clusters.size(); ++c) {
      const Cluster &cl = net_.clusters[c];
      if (cl.kind == ClusterKind::Vectors) {
        VectorCluster vc;
        vc.cluster = static_cast<int>(c);
        std::vector<int> local;
        for (size_t k = 0; k < cl.obs.size(); ++k)
          if (used_[cl.obs[k]]) { vc.comps.push_back(cl.obs[k]); local.push_back(static_cast<int>(k)); }
        if (vc.comps.empty()) continue;
        const int m = static_cast<int>(local.size()), dim = static_cast<int>(cl.obs.size());
        vc.cov.resize(m, m);
        for (int r = 0; r < m; ++r)
          for (int s = 0; s < m; ++s) vc.cov(r, s) = cl.cov[local[r] * dim + local[s]];
        vc.llt.compute(vc.cov);
        vectors_.push_back(std::move(vc));
      } else if (cl.kind == ClusterKind::Obs) {
        DirectionSet ds;
        ds.cluster = static_cast<int>(c);
        for (int i : cl.obs)
          if (used_[i] && net_.observations[i].kind == ObsKind::Direction) ds.dirs.push_back(i);
        if (!ds.dirs.empty()) sets_.push_back(std::move(ds));
      }
    }
    R_.orientationUnknowns = static_cast<int>(sets_.size());
    minSightMm_ = 1e300;
    for (size_t i = 0; i < rows_.size(); ++i)
      if (used_[i] && rows_[i].sightMm > 0) minSightMm_ = std::min(minSightMm_, rows_[i].sightMm);
  }

  bool IsSetDirection(int i) const {
    return net_.observations[i].kind == ObsKind::Direction;
  }

  // Normal equations (when `normal` is set) and right-hand side of the
  // coordinate unknowns with the orientations eliminated.
  void Assemble(Matrix *normal, Vector &rhs) {
    rhs.setZero(n_);
    if (normal) SetZeroSquare(*normal, n_);
    auto addRow = [&](const Row &r, double p, double l) {
      for (int a = 0; a < r.n; ++a) {
        rhs(r.col[a]) += p * r.val[a] * l;
        if (!normal)
          continue;
        for (int b = 0; b < r.n; ++b) (*normal)(r.col[a], r.col[b]) += p * r.val[a] * r.val[b];
      }
    };
    // Ordinary uncorrelated observations.
    for (size_t i = 0; i < rows_.size(); ++i) {
      if (!used_[i]) continue;
      const ObsKind k = net_.observations[i].kind;
      if (k == ObsKind::Direction || k == ObsKind::VecX || k == ObsKind::VecY || k == ObsKind::VecZ)
        continue;
      addRow(rows_[i], Weight(static_cast<int>(i)), rows_[i].l);
    }
    // Direction sets: Σ p a aᵀ − P ā āᵀ, Σ p a l − P ā l̄.
    for (DirectionSet &ds : sets_) {
      std::map<int, double> sum;
      double P = 0, pl = 0;
      for (int i : ds.dirs) {
        const double p = Weight(i);
        const Row &r = rows_[i];
        P += p;
        pl += p * r.l;
        for (int a = 0; a < r.n; ++a) sum[r.col[a]] += p * r.val[a];
        addRow(r, p, r.l);
      }
      ds.weightSum = P;
      ds.lbar = pl / P;
      ds.cols.clear();
      ds.abar.clear();
      for (auto [c, v] : sum) {
        ds.cols.push_back(c);
        ds.abar.push_back(v / P);
      }
      const int m = static_cast<int>(ds.cols.size());
      for (int a = 0; a < m; ++a) {
        rhs(ds.cols[a]) -= P * ds.abar[a] * ds.lbar;
        if (!normal) continue;
        for (int b = 0; b < m; ++b)
          (*normal)(ds.cols[a], ds.cols[b]) -= P * ds.abar[a] * ds.abar[b];
      }
    }
    // Correlated vectors: whitened rows W A, W l with Wᵀ W = σ0² C⁻¹.
    for (const VectorCluster &vc : vectors_) {
      std::vector<int> cols;
      for (int i : vc.comps)
        for (int a = 0; a < rows_[i].n; ++a) cols.push_back(rows_[i].col[a]);
      std::sort(cols.begin(), cols.end());
      cols.erase(std::unique(cols.begin(), cols.end()), cols.end());
      const int k = static_cast<int>(vc.comps.size()), m = static_cast<int>(cols.size());
      Matrix A = Matrix::Zero(k, m);
      Vector l(k);
      for (int r = 0; r < k; ++r) {
        const Row &row = rows_[vc.comps[r]];
        for (int a = 0; a < row.n; ++a) {
          const int local = static_cast<int>(std::lower_bound(cols.begin(), cols.end(), row.col[a]) - cols.begin());
          A(r, local) += row.val[a];
        }
        l(r) = row.l;
      }
      vc.llt.matrixL().solveInPlace(A);
      vc.llt.matrixL().solveInPlace(l);
      const double s2 = R_.sigma0Apr * R_.sigma0Apr;
      const Vector g = s2 * (A.transpose() * l);
      for (int a = 0; a < m; ++a) rhs(cols[a]) += g(a);
      if (normal && m > 0) {
        const Matrix nn = s2 * (A.transpose() * A);
        for (int a = 0; a < m; ++a)
          for (int b = 0; b < m; ++b) (*normal)(cols[a], cols[b]) += nn(a, b);
      }
    }
  }

  // Datum vectors of the adjusted coordinates: translations, rotations
  // about Z, X, Y, and scale, from coordinates reduced to their centroid (km).
  Matrix DatumVectors() const {
    double c[3] = {0, 0, 0};
    for (int p : R_.resultPoints)
      for (int k = 0; k < 3; ++k) c[k] += xyz_[p][k];
    for (double &v : c) v /= std::max<size_t>(1, R_.resultPoints.size());
    Matrix G = Matrix::Zero(n_, 7);
    for (int p : R_.resultPoints) {
      const double x = (xyz_[p][0] - c[0]) / 1000, y = (xyz_[p][1] - c[1]) / 1000,
                   z = (xyz_[p][2] - c[2]) / 1000;
      const double row[3][7] = {{1, 0, 0, -y, 0, z, x}, {0, 1, 0, x, -z, 0, y}, {0, 0, 1, 0, y, -x, z}};
      for (int k = 0; k < 3; ++k) {
        const int u = R_.unknownOf[p][k];
        if (u < 0) continue;
        for (int j = 0; j < 7; ++j) G(u, j) = row[k][j];
      }
    }
    return G;
  }

  static Matrix OrthonormalBasis(const Matrix &G) {
    Eigen::ColPivHouseholderQR<Matrix> qr(G);
    qr.setThreshold(1e-9);
    const int rank = static_cast<int>(qr.rank());
    Matrix Q = qr.householderQ() * Matrix::Identity(G.rows(), rank);
    return Q;
  }

  // Null space of N inside the span of the datum vectors.
  Matrix DatumNullSpace(const Matrix &N) const {
    const Matrix Qg = OrthonormalBasis(DatumVectors());
    if (Qg.cols() == 0) return Matrix(n_, 0);
    const Matrix NQ = N.selfadjointView<Eigen::Lower>() * Qg;
    const Matrix M = Qg.transpose() * NQ;
    Eigen::SelfAdjointEigenSolver<Matrix> es(M);
    const double scale = N.diagonal().mean();
    std::vector<int> nulls;
    for (int i = 0; i < M.rows(); ++i)
      if (es.eigenvalues()(i) < 1e-10 * scale) nulls.push_back(i);
    Matrix E(n_, static_cast<int>(nulls.size()));
    for (size_t j = 0; j < nulls.size(); ++j) E.col(j) = Qg * es.eigenvectors().col(nulls[j]);
    return E;
  }

  bool FactorNormal() {
    ++R_.factorisations;
    E_.resize(n_, 0);
    lambda_ = 1;
    if (!anyFixed_) {
      E_ = DatumNullSpace(A_);
      if (E_.cols() > 0) {
        lambda_ = A_.diagonal().mean();
        A_.noalias() += (lambda_ * E_) * E_.transpose();
      }
    }
    const Vector diag = A_.diagonal();
    envelope_ = Envelope(A_);
    const std::vector<int> deps = FactorInPlace(A_, diag, kPivotTol, envelope_);
    if (!deps.empty()) {
      ExplainDefect(deps, diag);
      if (R_.observationsRejected > 0)
        R_.defectNotes.push_back(std::to_string(R_.observationsRejected) +
                                 " observations were left out because their absolute terms "
                                 "exceed \"tol-abs\"; they may be the ones missing.");
      R_.outcome = Outcome::Singular;
      return false;
    }
    R_.defect = static_cast<int>(E_.cols());
    R_.freeNetwork = E_.cols() > 0;
    return true;
  }

  // Movements of the whole network that the null space `E` allows: a pure
  // translation, or a rotation or scale change about some axis or centre
  // (the motion together with any translation that moves its axis).
  std::vector<std::string> FreeMotions(const Matrix &G, const Matrix &E) const {
    static const char *names[7] = {"translation along X",
                                   "translation along Y",
                                   "translation along Z",
                                   "rotation about a vertical axis",
                                   "rotation about an axis parallel to X",
                                   "rotation about an axis parallel to Y",
                                   "change of scale"};
    static const std::vector<int> helpers[7] = {{}, {}, {}, {0, 1}, {1, 2}, {0, 2}, {0, 1, 2}};
    std::vector<std::string> out;
    for (int k = 0; k < 7; ++k) {
      const Vector g = G.col(k);
      if (g.norm() == 0) continue;
      Matrix M(G.rows(), E.cols() + static_cast<int>(helpers[k].size()));
      M.leftCols(E.cols()) = E;
      for (size_t h = 0; h < helpers[k].size(); ++h) M.col(E.cols() + h) = G.col(helpers[k][h]);
      const Matrix Q = OrthonormalBasis(M);
      if ((g - Q * (Q.transpose() * g)).norm() <= 1e-6 * g.norm()) out.push_back(names[k]);
    }
    return out;
  }

  // The factor is singular: find the null vectors from the dependent
  // columns, name the coordinates they move and what would cure it.
  void ExplainDefect(const std::vector<int> &deps, const Vector &diag) {
    const int n = n_;
    std::vector<char> isDep(n, 0);
    for (int j : deps) isDep[j] = 1;
    constexpr int kMaxSolved = 200;
    Matrix V(n, 0);
    std::vector<int> solved;
    for (int j : deps) {
      if (static_cast<int>(solved.size()) >= kMaxSolved) break;
      Vector r = Vector::Zero(n);
      if (diag(j) > 0) {
        for (int i = 0; i < n; ++i) {
          if (i == j || isDep[i]) continue;
          r(i) = -(i < j ? A_(i, j) : A_(j, i));
        }
        SolveWithFactor(A_, r);
        for (int i : deps) r(i) = 0;
      }
      r(j) = 1;
      V.conservativeResize(n, V.cols() + 1);
      V.col(V.cols() - 1) = r;
      solved.push_back(j);
    }
    R_.defect = static_cast<int>(deps.size());
    const Matrix E = OrthonormalBasis(V);
    std::vector<char> undetermined(n, 0);
    for (int i = 0; i < n; ++i)
      if (E.row(i).squaredNorm() > 1e-6) undetermined[i] = 1;
    for (int j : deps) undetermined[j] = 1;
    for (size_t p = 0; p < net_.points.size(); ++p)
      for (int k = 0; k < 3; ++k) {
        const int u = R_.unknownOf[p][k];
        if (u >= 0 && undetermined[u]) R_.undetermined.push_back({static_cast<int>(p), k});
      }
    // Datum or configuration?
    const Matrix G = DatumVectors();
    const Matrix Qg = OrthonormalBasis(G);
    bool config = false;
    for (int c = 0; c < V.cols(); ++c) {
      const Vector v = V.col(c);
      const Vector resid = v - Qg * (Qg.transpose() * v);
      if (Qg.cols() == 0 || resid.norm() > 1e-6 * v.norm()) config = true;
    }
    const std::vector<std::string> motions = FreeMotions(G, E);
    R_.failure = "The normal equations are singular (defect " + std::to_string(deps.size()) +
                 "): the network cannot be adjusted as it stands.";
    if (!motions.empty()) {
      std::string all;
      for (const auto &m : motions) all += (all.empty() ? "" : ", ") + m;
      R_.defectNotes.push_back("The fixed coordinates do not complete the datum: the network can "
                               "still move as a whole (" + all + ").");
      R_.defectNotes.push_back("Fix more coordinates (for example X, Y and Z of two or three "
                               "well spread points), or leave every point free for a free "
                               "network adjustment.");
    }
    if (config) {
      R_.defectNotes.push_back("Some coordinates are not determined by the observations "
                               "(configuration defect).");
      R_.defectNotes.push_back("Add observations that determine the coordinates listed, or fix "
                               "them.");
    }
  }

  bool Iterate() {
    Vector rhs;
    bool needFactor = true;
    bool converged = false;
    for (int it = 1; it <= kMaxIterations; ++it) {
      if (it > 1 && !Linearise()) {
        R_.outcome = Outcome::Geometry;
        return false;
      }
      if (needFactor) {
        Assemble(&A_, rhs);
        if (!FactorNormal()) return false;
      } else {
        Assemble(nullptr, rhs);
      }
      Vector delta = rhs;
      SolveWithFactor(A_, delta);
      if (E_.cols() > 0) delta -= E_ * (E_.transpose() * delta);
      // Orientation corrections: do = Σ p (a δ − l) / P.
      for (DirectionSet &ds : sets_) {
        double s = 0;
        for (int i : ds.dirs) {
          const Row &r = rows_[i];
          double ad = 0;
          for (int a = 0; a < r.n; ++a) ad += r.val[a] * delta(r.col[a]);
          s += Weight(i) * (ad - r.l);
        }
        double o = orient_[ds.cluster] + s / ds.weightSum / 1e4;
        o = std::fmod(o, 400.0);
        if (o < 0) o += 400.0;
        orient_[ds.cluster] = o;
      }
      for (size_t p = 0; p < net_.points.size(); ++p)
        for (int k = 0; k < 3; ++k)
          if (R_.unknownOf[p][k] >= 0) xyz_[p][k] += delta(R_.unknownOf[p][k]) / 1000.0;
      const double maxd = n_ > 0 ? delta.cwiseAbs().maxCoeff() : 0.0;
      R_.iterations = it;
      R_.lastCorrection = maxd;
      if (!std::isfinite(maxd)) break;
      if (maxd < kConverged) {
        converged = true;
        break;
      }
      needFactor = maxd > kRefactorRatio * minSightMm_;
    }
    if (!converged) {
      R_.outcome = Outcome::NotConverged;
      char buf[200];
      std::snprintf(buf, sizeof buf,
                    "The adjustment did not converge in %d iterations (last largest "
                    "correction %.4g mm). Check the approximate coordinates and the "
                    "observed values.",
                    R_.iterations, R_.lastCorrection);
      R_.failure = buf;
      return false;
    }
    if (!Linearise()) {
      R_.outcome = Outcome::Geometry;
      return false;
    }
    return true;
  }

  void Finish() {
    // Residuals v = −l at the final state, vᵀPv and a-posteriori sigma.
    Vector rhs;
    Assemble(nullptr, rhs);  // refreshes the set means for the final rows
    double pvv = 0;
    for (size_t i = 0; i < rows_.size(); ++i) {
      if (!used_[i]) continue;
      const ObsKind k = net_.observations[i].kind;
      if (k == ObsKind::VecX || k == ObsKind::VecY || k == ObsKind::VecZ) continue;
      pvv += Weight(static_cast<int>(i)) * rows_[i].l * rows_[i].l;
    }
    for (const VectorCluster &vc : vectors_) {
      Vector l(vc.comps.size());
      for (size_t r = 0; r < vc.comps.size(); ++r) l(r) = rows_[vc.comps[r]].l;
      vc.llt.matrixL().solveInPlace(l);
      pvv += R_.sigma0Apr * R_.sigma0Apr * l.squaredNorm();
    }
    R_.pvv = pvv;
    R_.redundancy = R_.observationsUsed - R_.coordUnknowns - R_.orientationUnknowns + R_.defect;
    if (R_.redundancy > 0) R_.sigma0Post = std::sqrt(pvv / R_.redundancy);
    R_.sigmaUsed = R_.sigma0Apr;
    if (net_.params.aposteriori && R_.redundancy > 0) {
      R_.sigmaUsed = R_.sigma0Post;
      R_.aposterioriUsed = true;
    }
    // Cofactor matrix, then covariance in mm².
    InvertFromFactorInPlace(A_, envelope_);
    if (E_.cols() > 0) A_.noalias() -= (E_ * (1.0 / lambda_)) * E_.transpose();
    const double s2 = R_.sigmaUsed * R_.sigmaUsed;
    // Scaled and checked column by column: one pass over the matrix.
    bool finite = true;
    for (Eigen::Index c = 0; c < A_.cols(); ++c) {
      auto column = A_.col(c);
      column *= s2;
      finite = finite && column.allFinite();
    }
    if (!finite) {
      R_.outcome = Outcome::Singular;
      R_.failure = "The covariance matrix cannot be computed: the normal equations are "
                   "numerically singular.";
      return;
    }
    Quality(s2);
    PointResults();
    R_.cov = std::move(A_);
  }

  double QuadForm(const Row &r) const {
    double s = 0;
    for (int a = 0; a < r.n; ++a)
      for (int b = 0; b < r.n; ++b) s += r.val[a] * r.val[b] * A_(r.col[a], r.col[b]);
    return s;
  }

  void SetQuality(int i, double qll /* cofactor of the adjusted observation */, double s2) {
    ObsResult &res = R_.obs[i];
    const Observation &o = net_.observations[i];
    const double p = Weight(i);
    res.sigmaApr = o.sigma;
    res.sigmaAdj = std::sqrt(std::max(0.0, qll * s2));
    res.redundancy = std::clamp(1.0 - p * qll, 0.0, 1.0);
    res.mdb = MinimalDetectableBias(o.sigma, res.redundancy);
  }

  void Quality(double s2) {
    // A_ holds the covariance C = s2 · Q.
    for (size_t i = 0; i < rows_.size(); ++i) {
      ObsResult &res = R_.obs[i];
      const Observation &o = net_.observations[i];
      res.residual = -rows_[i].l;
      res.sigmaApr = o.sigma;
      if (IsAngular(o.kind)) {
        double v = o.value + res.residual / 1e4;
        v = std::fmod(v, 400.0);
        if (v < 0) v += 400.0;
        res.adjusted = v;
      } else {
        res.adjusted = o.value + res.residual / 1000.0;
      }
      if (!used_[i]) continue;
      const ObsKind k = o.kind;
      if (k == ObsKind::Direction || k == ObsKind::VecX || k == ObsKind::VecY || k == ObsKind::VecZ)
        continue;
      SetQuality(static_cast<int>(i), QuadForm(rows_[i]) / s2, s2);
    }
    // Directions: q = c Q cᵀ + 1/P with c = a − ā; orientation q = 1/P + ā Q āᵀ.
    for (const DirectionSet &ds : sets_) {
      const int m = static_cast<int>(ds.cols.size());
      Vector g = Vector::Zero(n_);
      for (int a = 0; a < m; ++a) g += ds.abar[a] * A_.col(ds.cols[a]);
      double aQa = 0;
      for (int a = 0; a < m; ++a) aQa += ds.abar[a] * g(ds.cols[a]);
      for (int i : ds.dirs) {
        const Row &r = rows_[i];
        double ag = 0;
        for (int a = 0; a < r.n; ++a) ag += r.val[a] * g(r.col[a]);
        const double q = (QuadForm(r) - 2 * ag + aQa) / s2 + 1.0 / ds.weightSum;
        SetQuality(i, q, s2);
      }
      OrientationResult orr;
      orr.cluster = ds.cluster;
      orr.station = net_.clusters[ds.cluster].station;
      orr.value = orient_[ds.cluster];
      orr.sigma = std::sqrt(std::max(0.0, s2 * (1.0 / ds.weightSum) + aQa));
      R_.orientations.push_back(orr);
    }
    // Vectors: M = A Q Aᵀ, W = σ0² C⁻¹, r = 1 − diag(M W).
    for (const VectorCluster &vc : vectors_) {
      const int k = static_cast<int>(vc.comps.size());
      Matrix M(k, k);
      for (int a = 0; a < k; ++a)
        for (int b = 0; b < k; ++b) {
          const Row &ra = rows_[vc.comps[a]], &rb = rows_[vc.comps[b]];
          double s = 0;
          for (int x = 0; x < ra.n; ++x)
            for (int y = 0; y < rb.n; ++y) s += ra.val[x] * rb.val[y] * A_(ra.col[x], rb.col[y]);
          M(a, b) = s / s2;
        }
      const Matrix W = R_.sigma0Apr * R_.sigma0Apr * vc.llt.solve(Matrix::Identity(k, k));
      const Matrix MW = M * W;
      for (int a = 0; a < k; ++a) {
        ObsResult &res = R_.obs[vc.comps[a]];
        const double sig = std::sqrt(vc.cov(a, a));
        res.sigmaApr = sig;
        res.sigmaAdj = std::sqrt(std::max(0.0, M(a, a) * s2));
        res.redundancy = std::clamp(1.0 - MW(a, a), 0.0, 1.0);
        res.mdb = MinimalDetectableBias(sig, res.redundancy);
      }
    }
  }

  void PointResults() {
    for (int p : R_.resultPoints) {
      PointResult pr;
      pr.point = p;
      Eigen::Matrix3d c = Eigen::Matrix3d::Zero();
      for (int k = 0; k < 3; ++k) {
        pr.coord[k] = xyz_[p][k];
        for (int m = 0; m < 3; ++m) {
          const int u = R_.unknownOf[p][k], v = R_.unknownOf[p][m];
          if (u >= 0 && v >= 0) c(k, m) = A_(u, v);
        }
        pr.sigma[k] = std::sqrt(std::max(0.0, c(k, k)));
      }
      const double sxx = c(0, 0), syy = c(1, 1), sxy = c(0, 1);
      const double mean = (sxx + syy) / 2, rad = std::hypot((sxx - syy) / 2, sxy);
      pr.ellA = std::sqrt(std::max(0.0, mean + rad));
      pr.ellB = std::sqrt(std::max(0.0, mean - rad));
      double t = 0.5 * std::atan2(2 * sxy, sxx - syy) * kGonPerRad;
      if (t < 0) t += 200.0;
      pr.ellBearing = t;
      Eigen::SelfAdjointEigenSolver<Eigen::Matrix3d> es(c, Eigen::EigenvaluesOnly);
      for (int k = 0; k < 3; ++k) pr.axes[k] = std::sqrt(std::max(0.0, es.eigenvalues()(2 - k)));
      R_.points.push_back(pr);
    }
  }

  const Network &net_;
  AdjustmentResult R_;
  int n_ = 0;
  bool anyFixed_ = false;
  std::vector<std::array<double, 3>> xyz_;
  std::vector<double> orient_;
  std::vector<bool> used_;
  std::vector<Row> rows_;
  std::vector<DirectionSet> sets_;
  std::vector<VectorCluster> vectors_;
  double minSightMm_ = 1e300;
  Matrix A_;      // normal matrix, its factor, and finally the covariance
  Matrix E_;      // orthonormal datum null space of a free network
  std::vector<int> envelope_;  // of the normal matrix last factorised
  double lambda_ = 1;
};

double NormalCdf(double x) { return 0.5 * std::erfc(-x / std::sqrt(2.0)); }

double Chi3Cdf(double x) {
  if (x <= 0) return 0;
  return std::erf(std::sqrt(x / 2)) - std::sqrt(2 * x / std::numbers::pi) * std::exp(-x / 2);
}

template <class F>
double Bisect(F f, double target, double lo, double hi) {
  for (int i = 0; i < 200; ++i) {
    const double mid = 0.5 * (lo + hi);
    if (f(mid) < target) lo = mid;
    else hi = mid;
  }
  return 0.5 * (lo + hi);
}

}  // namespace

bool ObservationGeometry(ObsKind kind, const double from[3], const double to[3], double &value,
                         double d[3]) {
  const double dx = to[0] - from[0], dy = to[1] - from[1], dz = to[2] - from[2];
  const double h2 = dx * dx + dy * dy, h = std::sqrt(h2);
  const double S2 = h2 + dz * dz, S = std::sqrt(S2);
  d[0] = d[1] = d[2] = 0;
  switch (kind) {
    case ObsKind::Direction: {
      if (h == 0) return false;
      double a = std::atan2(dy, dx);
      if (a < 0) a += 2 * std::numbers::pi;
      value = a * kGonPerRad;
      d[0] = -dy / h2 * kRowAngle;
      d[1] = dx / h2 * kRowAngle;
      return true;
    }
    case ObsKind::Distance:
      if (h == 0) return false;
      value = h;
      d[0] = dx / h;
      d[1] = dy / h;
      return true;
    case ObsKind::SlopeDistance:
      if (S == 0) return false;
      value = S;
      d[0] = dx / S;
      d[1] = dy / S;
      d[2] = dz / S;
      return true;
    case ObsKind::ZenithAngle:
      if (h == 0) return false;
      value = std::atan2(h, dz) * kGonPerRad;
      d[0] = dx * dz / (S2 * h) * kRowAngle;
      d[1] = dy * dz / (S2 * h) * kRowAngle;
      d[2] = -h / S2 * kRowAngle;
      return true;
    case ObsKind::HeightDiff:
      value = dz;
      d[2] = 1;
      return true;
    case ObsKind::VecX:
      value = dx;
      d[0] = 1;
      return true;
    case ObsKind::VecY:
      value = dy;
      d[1] = 1;
      return true;
    case ObsKind::VecZ:
      value = dz;
      d[2] = 1;
      return true;
  }
  return false;
}

double MinimalDetectableBias(double sigma, double r) {
  return r >= kMinRedundancy ? kDelta0 * sigma / std::sqrt(r) : -1;
}

void ConfidenceCoefficients(double p, double &k1, double &k2, double &k3) {
  k1 = Bisect([](double x) { return 2 * NormalCdf(x) - 1; }, p, 0, 40);
  k2 = std::sqrt(-2 * std::log(1 - p));
  k3 = std::sqrt(Bisect(Chi3Cdf, p, 0, 2000));
}

AdjustmentResult Adjust(const Network &net) {
  Adjuster a(net);
  return a.Run();
}

}  // namespace kd::adj
