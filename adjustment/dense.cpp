#include "adjustment/dense.h"

#include <algorithm>
#include <cmath>

namespace kd::adj {

namespace {

constexpr int kBlock = 128;

// Unblocked tolerant factorisation of the diagonal block starting at `k`.
void FactorDiagonalBlock(Matrix &a, int k, int kb, const Vector &diag, double relTol,
                         std::vector<int> &dependent) {
  auto b = a.block(k, k, kb, kb);
  for (int j = 0; j < kb; ++j) {
    const double pivot = b(j, j) - b.row(j).head(j).squaredNorm();
    const double original = diag(k + j);
    const bool ok = std::isfinite(pivot) && original > 0 && pivot > relTol * original;
    const int below = kb - j - 1;
    if (!ok) {
      dependent.push_back(k + j);
      b(j, j) = 1.0;
      b.row(j).head(j).setZero();
      b.col(j).tail(below).setZero();
      continue;
    }
    const double ljj = std::sqrt(pivot);
    b(j, j) = ljj;
    if (below > 0) {
      b.col(j).tail(below).noalias() -= b.block(j + 1, 0, below, j) * b.row(j).head(j).transpose();
      b.col(j).tail(below) /= ljj;
    }
  }
}

}  // namespace

void MirrorLowerToUpper(Matrix &a) {
  const int n = static_cast<int>(a.rows());
  constexpr int t = 64;
  for (int j0 = 0; j0 < n; j0 += t) {
    for (int i0 = 0; i0 <= j0; i0 += t) {
      const int jn = std::min(n, j0 + t), in = std::min(n, i0 + t);
      for (int j = j0; j < jn; ++j)
        for (int i = i0; i < std::min(in, j); ++i) a(i, j) = a(j, i);
    }
  }
}

std::vector<int> Envelope(const Matrix &a) {
  const int n = static_cast<int>(a.rows());
  std::vector<int> last(n);
  for (int c = 0; c < n; ++c) last[c] = c;
  // Row c's first nonzero column f(c) is the first nonzero of column c.
  for (int c = 0; c < n; ++c) {
    int f = 0;
    while (f < c && a(f, c) == 0) ++f;
    last[f] = std::max(last[f], c);
  }
  for (int c = 1; c < n; ++c) last[c] = std::max(last[c], last[c - 1]);
  return last;
}

namespace {

// Last row touched by the columns [k, k + kb).
int BlockLastRow(const std::vector<int> &lastRow, int k, int kb, int n) {
  return lastRow.empty() ? n - 1 : std::max(k + kb - 1, lastRow[k + kb - 1]);
}

}  // namespace

std::vector<int> FactorInPlace(Matrix &a, const Vector &diag, double relTol,
                               const std::vector<int> &lastRow) {
  const int n = static_cast<int>(a.rows());
  std::vector<int> dependent;
  for (int k = 0; k < n; k += kBlock) {
    const int kb = std::min(kBlock, n - k);
    const int rest = BlockLastRow(lastRow, k, kb, n) - (k + kb) + 1;
    const size_t before = dependent.size();
    FactorDiagonalBlock(a, k, kb, diag, relTol, dependent);
    if (rest > 0) {
      auto l11 = a.block(k, k, kb, kb);
      auto a21 = a.block(k + kb, k, rest, kb);
      // A21 := A21 L11⁻ᵀ
      l11.transpose().triangularView<Eigen::Upper>().solveInPlace<Eigen::OnTheRight>(a21);
      for (size_t d = before; d < dependent.size(); ++d) a21.col(dependent[d] - k).setZero();
      a.block(k + kb, k + kb, rest, rest)
          .selfadjointView<Eigen::Lower>()
          .rankUpdate(a21, -1.0);
    }
  }
  // A dependent unknown takes no part in the factor: clear its row of L.
  for (int j : dependent) a.row(j).head(j).setZero();
  return dependent;
}

void SolveWithFactor(const Matrix &a, Vector &b) {
  a.triangularView<Eigen::Lower>().solveInPlace(b);
  a.triangularView<Eigen::Lower>().transpose().solveInPlace(b);
}

void InvertFromFactorInPlace(Matrix &a, const std::vector<int> &lastRow) {
  const int n = static_cast<int>(a.rows());
  const int nb = (n + kBlock - 1) / kBlock;
  // The factor, block column by block column, from the diagonal down to the
  // envelope: the square it lives in is overwritten by the inverse.
  std::vector<Matrix> panel(nb);
  std::vector<int> last(nb);
  for (int K = 0; K < nb; ++K) {
    const int k = K * kBlock, kb = std::min(kBlock, n - k);
    last[K] = BlockLastRow(lastRow, k, kb, n);
    panel[K] = a.block(k, k, last[K] - k + 1, kb);
    panel[K].topRows(kb).triangularView<Eigen::StrictlyUpper>().setZero();
  }
  for (int J = 0; J < nb; ++J) {
    const int j = J * kBlock, jb = std::min(kBlock, n - j);
    // Column block of N⁻¹ from row j down: solve L Y = [I 0]ᵀ, then Lᵀ X = Y.
    a.block(j, j, n - j, jb).setZero();
    a.block(j, j, jb, jb).setIdentity();
    int extent = j + jb - 1;  // last row of Y that can be nonzero
    int lastBlock = J;
    for (int I = J; I < nb; ++I) {
      const int i0 = I * kBlock, ib = std::min(kBlock, n - i0);
      if (i0 > extent) break;
      lastBlock = I;
      auto y = a.block(i0, j, ib, jb);
      panel[I].topRows(ib).triangularView<Eigen::Lower>().solveInPlace(y);
      const int below = last[I] - (i0 + ib) + 1;
      if (below > 0) {
        a.block(i0 + ib, j, below, jb).noalias() -= panel[I].bottomRows(below) * y;
        extent = std::max(extent, last[I]);
      }
    }
    for (int I = lastBlock; I >= J; --I) {
      const int i0 = I * kBlock, ib = std::min(kBlock, n - i0);
      auto x = a.block(i0, j, ib, jb);
      const int below = last[I] - (i0 + ib) + 1;
      if (below > 0)
        x.noalias() -= panel[I].bottomRows(below).transpose() * a.block(i0 + ib, j, below, jb);
      panel[I].topRows(ib).triangularView<Eigen::Lower>().transpose().solveInPlace(x);
    }
  }
  MirrorLowerToUpper(a);
}

void RestoreFromUpper(Matrix &a, const Vector &diag) {
  const int n = static_cast<int>(a.rows());
  constexpr int t = 64;
  for (int j0 = 0; j0 < n; j0 += t) {
    for (int i0 = j0; i0 < n; i0 += t) {
      const int jn = std::min(n, j0 + t), in = std::min(n, i0 + t);
      for (int j = j0; j < jn; ++j)
        for (int i = std::max(i0, j + 1); i < in; ++i) a(i, j) = a(j, i);
    }
  }
  a.diagonal() = diag;
}

}  // namespace kd::adj
