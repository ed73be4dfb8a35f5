#include "adjustment/normal_system.h"

#include <algorithm>
#include <cmath>

#include "adjustment/adjust.h"

namespace kd::adj {

namespace {

// Datum vectors of the adjusted coordinates (translations, rotations about
// Z, X, Y, scale) from coordinates reduced to their centroid, in km: the
// same basis the engine uses for a free network.
Matrix DatumVectors(const Network &net, const NormalSystem &sys) {
  double c[3] = {0, 0, 0};
  int count = 0;
  for (size_t p = 0; p < net.points.size(); ++p) {
    const auto &u = sys.unknownOf[p];
    if (u[0] < 0 && u[1] < 0 && u[2] < 0) continue;
    for (int k = 0; k < 3; ++k) c[k] += net.points[p].coord[k];
    ++count;
  }
  for (double &v : c) v /= std::max(1, count);
  Matrix G = Matrix::Zero(sys.coordUnknowns, 7);
  for (size_t p = 0; p < net.points.size(); ++p) {
    const double x = (net.points[p].coord[0] - c[0]) / 1000,
                 y = (net.points[p].coord[1] - c[1]) / 1000,
                 z = (net.points[p].coord[2] - c[2]) / 1000;
    const double row[3][7] = {{1, 0, 0, -y, 0, z, x}, {0, 1, 0, x, -z, 0, y}, {0, 0, 1, 0, y, -x, z}};
    for (int k = 0; k < 3; ++k) {
      const int u = sys.unknownOf[p][k];
      if (u < 0) continue;
      for (int j = 0; j < 7; ++j) G(u, j) = row[k][j];
    }
  }
  return G;
}

Matrix OrthonormalBasis(const Matrix &G) {
  Eigen::ColPivHouseholderQR<Matrix> qr(G);
  qr.setThreshold(1e-9);
  const int rank = static_cast<int>(qr.rank());
  return qr.householderQ() * Matrix::Identity(G.rows(), rank);
}

// True when the coordinate columns of a set's directions fit one row, so
// that its orientation can be eliminated inside the block.
bool SetFitsRow(const Network &net, const NormalSystem &sys, int cluster) {
  std::vector<int> cols;
  for (int o : net.clusters[cluster].obs) {
    const Observation &ob = net.observations[o];
    if (ob.kind != ObsKind::Direction) continue;
    for (int p : {ob.from, ob.to})
      for (int k = 0; k < 2; ++k)
        if (sys.unknownOf[p][k] >= 0 && std::find(cols.begin(), cols.end(), sys.unknownOf[p][k]) == cols.end())
          cols.push_back(sys.unknownOf[p][k]);
  }
  return cols.size() <= 7;
}

}  // namespace

void DesignRow::Add(int column, double value) {
  for (int a = 0; a < n; ++a)
    if (col[a] == column) {
      val[a] += value;
      return;
    }
  col[n] = column;
  val[n++] = value;
}

double DesignRow::Dot(const Vector &x) const {
  double s = 0;
  for (int a = 0; a < n; ++a) s += val[a] * x(col[a]);
  return s;
}

bool RowOf(ObsKind kind, const double from[3], const double to[3], const std::array<int, 3> &fromCols,
           const std::array<int, 3> &toCols, int orientationCol, DesignRow &row) {
  double value = 0, d[3];
  if (!ObservationGeometry(kind, from, to, value, d)) return false;
  row = DesignRow();
  for (int k = 0; k < 3; ++k) {
    if (d[k] == 0) continue;
    if (fromCols[k] >= 0) row.Add(fromCols[k], -d[k]);
    if (toCols[k] >= 0) row.Add(toCols[k], d[k]);
  }
  if (orientationCol >= 0) row.Add(orientationCol, -1.0);
  return true;
}

WeightedBlock SingleBlock(const DesignRow &row, double sigma) {
  WeightedBlock b;
  b.rows = {row};
  b.weight = Matrix::Constant(1, 1, 1.0 / (sigma * sigma));
  b.weightInverse = Matrix::Constant(1, 1, sigma * sigma);
  b.residualBase = b.weightInverse;
  return b;
}

bool EliminatedSetBlock(const std::vector<DesignRow> &rows, const std::vector<double> &sigmas,
                        WeightedBlock &b) {
  const int k = static_cast<int>(rows.size());
  b = WeightedBlock();
  b.weight = Matrix::Zero(k, k);
  b.weightInverse = Matrix::Zero(k, k);
  double P = 0;
  for (int i = 0; i < k; ++i) {
    b.weight(i, i) = 1.0 / (sigmas[i] * sigmas[i]);
    b.weightInverse(i, i) = sigmas[i] * sigmas[i];
    P += b.weight(i, i);
  }
  // Weighted mean row ā = Σ p a / P; reduced rows a − ā. Each reduced row
  // holds every column of the set, which must fit a row.
  std::vector<int> cols;
  for (const DesignRow &r : rows)
    for (int a = 0; a < r.n; ++a)
      if (std::find(cols.begin(), cols.end(), r.col[a]) == cols.end()) cols.push_back(r.col[a]);
  if (cols.size() > 7) return false;
  DesignRow mean;
  for (int i = 0; i < k; ++i)
    for (int a = 0; a < rows[i].n; ++a) mean.Add(rows[i].col[a], b.weight(i, i) * rows[i].val[a] / P);
  for (int i = 0; i < k; ++i) {
    DesignRow r = rows[i];
    for (int a = 0; a < mean.n; ++a) r.Add(mean.col[a], -mean.val[a]);
    b.rows.push_back(r);
  }
  b.residualBase = b.weightInverse - Matrix::Constant(k, k, 1.0 / P);
  return true;
}

WeightedBlock CorrelatedBlock(const std::vector<DesignRow> &rows, const Matrix &cov) {
  WeightedBlock b;
  b.rows = rows;
  b.weightInverse = cov;
  b.weight = cov.llt().solve(Matrix::Identity(cov.rows(), cov.cols()));
  b.residualBase = cov;
  return b;
}

Matrix BlockQuadratic(const Matrix &Q, const std::vector<DesignRow> &rows) {
  const int k = static_cast<int>(rows.size());
  Matrix m(k, k);
  for (int i = 0; i < k; ++i)
    for (int j = i; j < k; ++j) {
      double s = 0;
      for (int a = 0; a < rows[i].n; ++a)
        for (int c = 0; c < rows[j].n; ++c) s += rows[i].val[a] * rows[j].val[c] * Q(rows[i].col[a], rows[j].col[c]);
      m(i, j) = m(j, i) = s;
    }
  return m;
}

Vector BlockRedundancy(const WeightedBlock &b, const Matrix &Q) {
  const Matrix qvv = b.residualBase - BlockQuadratic(Q, b.rows);
  const Matrix rp = qvv * b.weight;
  Vector r(rp.rows());
  for (int i = 0; i < rp.rows(); ++i) r(i) = std::clamp(rp(i, i), 0.0, 1.0);
  return r;
}

bool BuildNormalSystem(const Network &net, const std::vector<char> &eliminate, NormalSystem &sys,
                       std::string &error) {
  sys = NormalSystem();
  const int np = static_cast<int>(net.points.size());
  bool anyFixed = false;
  sys.unknownOf.assign(np, {-1, -1, -1});
  int col = 0;
  for (int p = 0; p < np; ++p) {
    const Point &pt = net.points[p];
    if (pt.fixed[0] || pt.fixed[1] || pt.fixed[2]) anyFixed = true;
    for (int k = 0; k < 3; ++k)
      if (pt.adjusted[k]) sys.unknownOf[p][k] = col++;
  }
  sys.coordUnknowns = col;

  // Direction sets: kept (an orientation column) or eliminated.
  const int nc = static_cast<int>(net.clusters.size());
  sys.orientationOf.assign(nc, -1);
  std::vector<char> hasDirections(nc, 0);
  for (const Observation &o : net.observations)
    if (o.kind == ObsKind::Direction && o.cluster >= 0) hasDirections[o.cluster] = 1;
  std::vector<char> eliminated(nc, 0);
  for (int c = 0; c < nc; ++c) {
    if (!hasDirections[c]) continue;
    if (c < static_cast<int>(eliminate.size()) && eliminate[c] && SetFitsRow(net, sys, c)) {
      eliminated[c] = 1;
      ++sys.eliminatedOrientations;
    } else {
      sys.orientationOf[c] = col++;
      ++sys.orientationUnknowns;
    }
  }
  sys.unknowns = col;
  const int n = col;

  // Rows and blocks.
  sys.blockOf.assign(net.observations.size(), -1);
  std::vector<DesignRow> rows(net.observations.size());
  for (size_t i = 0; i < net.observations.size(); ++i) {
    const Observation &o = net.observations[i];
    const int orient = o.kind == ObsKind::Direction ? sys.orientationOf[o.cluster] : -1;
    if (!RowOf(o.kind, net.points[o.from].coord, net.points[o.to].coord, sys.unknownOf[o.from],
               sys.unknownOf[o.to], orient, rows[i])) {
      error = "the " + std::string(ObsKindName(o.kind)) + " from \"" + net.points[o.from].id +
              "\" to \"" + net.points[o.to].id + "\" (line " + std::to_string(o.line) +
              ") cannot be computed: its two points coincide";
      return false;
    }
  }
  for (int c = 0; c < nc; ++c) {
    const Cluster &cl = net.clusters[c];
    if (cl.kind == ClusterKind::Vectors) {
      const int k = static_cast<int>(cl.obs.size());
      Matrix cov(k, k);
      for (int a = 0; a < k; ++a)
        for (int b = 0; b < k; ++b) cov(a, b) = cl.cov[a * k + b];
      std::vector<DesignRow> r;
      for (int o : cl.obs) r.push_back(rows[o]);
      WeightedBlock b = CorrelatedBlock(r, cov);
      b.obs = cl.obs;
      for (int o : cl.obs) sys.blockOf[o] = static_cast<int>(sys.blocks.size());
      sys.blocks.push_back(std::move(b));
      continue;
    }
    std::vector<int> setDirs;
    for (int o : cl.obs) {
      const Observation &ob = net.observations[o];
      if (eliminated[c] && ob.kind == ObsKind::Direction) {
        setDirs.push_back(o);
        continue;
      }
      WeightedBlock b = SingleBlock(rows[o], ob.sigma);
      b.obs = {o};
      sys.blockOf[o] = static_cast<int>(sys.blocks.size());
      sys.blocks.push_back(std::move(b));
    }
    if (!setDirs.empty()) {
      std::vector<DesignRow> r;
      std::vector<double> s;
      for (int o : setDirs) {
        r.push_back(rows[o]);
        s.push_back(net.observations[o].sigma);
      }
      WeightedBlock b;
      EliminatedSetBlock(r, s, b);  // fits: checked when the set was chosen
      b.obs = setDirs;
      for (int o : setDirs) sys.blockOf[o] = static_cast<int>(sys.blocks.size());
      sys.blocks.push_back(std::move(b));
    }
  }

  // Normal matrix.
  Matrix N = Matrix::Zero(n, n);
  for (const WeightedBlock &b : sys.blocks) {
    const int k = static_cast<int>(b.rows.size());
    for (int i = 0; i < k; ++i)
      for (int j = 0; j < k; ++j) {
        const double w = b.weight(i, j);
        if (w == 0) continue;
        const DesignRow &ri = b.rows[i], &rj = b.rows[j];
        for (int a = 0; a < ri.n; ++a)
          for (int c = 0; c < rj.n; ++c) N(ri.col[a], rj.col[c]) += w * ri.val[a] * rj.val[c];
      }
  }

  // Reduce the kept orientations (their block of N is diagonal).
  const int nC = sys.coordUnknowns, nO = sys.orientationUnknowns;
  Vector noo = N.diagonal().tail(nO);
  for (int j = 0; j < nO; ++j)
    if (!(noo(j) > 0)) {
      error = "a direction set has no weight";
      return false;
    }
  // The orientation rows of N are sparse: each joins its set's points.
  std::vector<std::vector<std::pair<int, double>>> orientRow(nO);  // (column, N_oc / N_oo)
  for (int o = 0; o < nO; ++o)
    for (int c = 0; c < nC; ++c)
      if (const double v = N(nC + o, c); v != 0) orientRow[o].push_back({c, v / noo(o)});
  Matrix Nred = N.topLeftCorner(nC, nC);
  for (int o = 0; o < nO; ++o)
    for (const auto &[ci, ai] : orientRow[o]) {
      const double nci = ai * noo(o);
      for (const auto &[cj, aj] : orientRow[o]) Nred(ci, cj) -= nci * aj;
    }
  N.resize(0, 0);

  Matrix E(nC, 0);
  double lambda = 1;
  if (!anyFixed && nC > 0) {
    const Matrix Qg = OrthonormalBasis(DatumVectors(net, sys));
    if (Qg.cols() > 0) {
      const Matrix M = Qg.transpose() * Nred * Qg;
      Eigen::SelfAdjointEigenSolver<Matrix> es(M);
      const double scale = Nred.diagonal().mean();
      std::vector<int> nulls;
      for (int i = 0; i < M.rows(); ++i)
        if (es.eigenvalues()(i) < 1e-10 * scale) nulls.push_back(i);
      E.resize(nC, static_cast<int>(nulls.size()));
      for (size_t j = 0; j < nulls.size(); ++j) E.col(j) = Qg * es.eigenvectors().col(nulls[j]);
    }
    if (E.cols() > 0) {
      lambda = Nred.diagonal().mean();
      Nred.noalias() += (lambda * E) * E.transpose();
    }
  }
  // Factor and inverse in place with the engine's kernels (blocked, on
  // every core); a dependent column means a singular system.
  const Vector diag = Nred.diagonal();
  const std::vector<int> envelope = Envelope(Nred);
  if (!FactorInPlace(Nred, diag, 1e-10, envelope).empty()) {
    error = "the normal equations are singular: the network cannot be adjusted as it stands";
    return false;
  }
  InvertFromFactorInPlace(Nred, envelope);
  if (E.cols() > 0) {
    Nred.noalias() -= (E * (1.0 / lambda)) * E.transpose();
    MirrorLowerToUpper(Nred);
  }

  sys.cofactor.resize(n, n);
  sys.cofactor.topLeftCorner(nC, nC) = Nred;
  if (nO > 0) {
    // Q_oc = −(N_oo⁻¹ N_oc) Q_cc and Q_oo = N_oo⁻¹ − Q_oc (N_oo⁻¹ N_oc)ᵀ, by
    // the sparse rows.
    Matrix Qco = Matrix::Zero(nC, nO);  // Q_ocᵀ, by columns (Q_cc is symmetric)
    for (int o = 0; o < nO; ++o)
      for (const auto &[c, a] : orientRow[o]) Qco.col(o) -= a * Nred.col(c);
    Matrix Qoo = Matrix::Zero(nO, nO);
    for (int o2 = 0; o2 < nO; ++o2)
      for (const auto &[c, a] : orientRow[o2]) Qoo.col(o2) -= a * Qco.row(c).transpose();
    Qoo.diagonal() += noo.cwiseInverse();
    sys.cofactor.topRightCorner(nC, nO) = Qco;
    sys.cofactor.bottomLeftCorner(nO, nC) = Qco.transpose();
    sys.cofactor.bottomRightCorner(nO, nO) = 0.5 * (Qoo + Qoo.transpose());
  }
  sys.freeNetwork = E.cols() > 0;
  sys.defect = static_cast<int>(E.cols());
  sys.datum = Matrix::Zero(n, E.cols());
  sys.datum.topRows(nC) = E;
  return true;
}

}  // namespace kd::adj
