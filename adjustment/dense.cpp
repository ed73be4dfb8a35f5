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

std::vector<int> FactorInPlace(Matrix &a, const Vector &diag, double relTol) {
  const int n = static_cast<int>(a.rows());
  std::vector<int> dependent;
  for (int k = 0; k < n; k += kBlock) {
    const int kb = std::min(kBlock, n - k);
    const int rest = n - k - kb;
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

void InvertFromFactorInPlace(Matrix &a) {
  const int n = static_cast<int>(a.rows());
  // 1. L := L⁻¹ (lower), block columns from the last to the first.
  const int nblocks = (n + kBlock - 1) / kBlock;
  for (int bi = nblocks - 1; bi >= 0; --bi) {
    const int j = bi * kBlock;
    const int jb = std::min(kBlock, n - j);
    const int rest = n - j - jb;
    if (rest > 0) {
      auto a21 = a.block(j + jb, j, rest, jb);
      // A21 := -inv(L22) * A21 * inv(L11); inv(L22) is already in place.
      Matrix t = a.block(j + jb, j + jb, rest, rest).triangularView<Eigen::Lower>() * a21;
      a21 = -t;
      a.block(j, j, jb, jb).triangularView<Eigen::Lower>().solveInPlace<Eigen::OnTheRight>(a21);
    }
    Matrix inv = Matrix::Identity(jb, jb);
    a.block(j, j, jb, jb).triangularView<Eigen::Lower>().solveInPlace(inv);
    a.block(j, j, jb, jb).triangularView<Eigen::Lower>() = inv;
  }
  // 2. lower(A) := (L⁻¹)ᵀ L⁻¹, block rows from the first to the last; rows
  // below the current block still hold L⁻¹.
  for (int i = 0; i < n; i += kBlock) {
    const int ib = std::min(kBlock, n - i);
    const int rest = n - i - ib;
    Matrix lii = a.block(i, i, ib, ib).triangularView<Eigen::Lower>();
    if (i > 0) {
      Matrix t = lii.transpose() * a.block(i, 0, ib, i);
      a.block(i, 0, ib, i) = t;
    }
    Matrix d = lii.transpose() * lii;
    a.block(i, i, ib, ib).triangularView<Eigen::Lower>() = d;
    if (rest > 0) {
      if (i > 0) {
        a.block(i, 0, ib, i).noalias() +=
            a.block(i + ib, i, rest, ib).transpose() * a.block(i + ib, 0, rest, i);
      }
      a.block(i, i, ib, ib)
          .selfadjointView<Eigen::Lower>()
          .rankUpdate(a.block(i + ib, i, rest, ib).transpose(), 1.0);
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
