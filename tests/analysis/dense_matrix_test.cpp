// Dense matrix, its product/transpose/copy and the singular value
// decomposition.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "analysis/dense_matrix.h"

namespace {

DenseMatrix Filled(std::size_t rows, std::size_t cols, unsigned seed) {
  std::mt19937 gen(seed);
  std::uniform_real_distribution<double> d(-10.0, 10.0);
  DenseMatrix m(rows, cols);
  for (std::size_t i = 1; i <= rows; ++i)
    for (std::size_t j = 1; j <= cols; ++j)
      m.At(i, j) = d(gen);
  return m;
}

// Checks a = U diag(w) V^T, V orthogonal, w >= 0 and, where every singular
// value is non-zero, U with orthonormal columns.
void ExpectValidSvd(const DenseMatrix &orig) {
  auto u = Copy(orig);
  std::unique_ptr<DenseMatrix> w, v;
  ASSERT_TRUE(SingularValueDecomposition(*u, w, v));
  const std::size_t m = orig.Rows(), n = orig.Cols();
  ASSERT_EQ(w->Rows(), n);
  ASSERT_EQ(w->Cols(), 1u);
  ASSERT_EQ(v->Rows(), n);
  ASSERT_EQ(v->Cols(), n);
  long double scale = 0;
  for (std::size_t i = 1; i <= m; ++i)
    for (std::size_t j = 1; j <= n; ++j)
      scale = std::max(scale, std::fabs(orig.At(i, j)));
  for (std::size_t k = 1; k <= n; ++k)
    EXPECT_GE(w->At(k, 1), 0.0L);
  for (std::size_t i = 1; i <= m; ++i)
    for (std::size_t j = 1; j <= n; ++j) {
      long double sum = 0;
      for (std::size_t k = 1; k <= n; ++k)
        sum += u->At(i, k) * w->At(k, 1) * v->At(j, k);
      EXPECT_NEAR(static_cast<double>(sum), static_cast<double>(orig.At(i, j)),
                  1e-12 * static_cast<double>(scale))
          << i << "," << j;
    }
  for (std::size_t a = 1; a <= n; ++a)
    for (std::size_t b = 1; b <= n; ++b) {
      long double dot = 0;
      for (std::size_t r = 1; r <= n; ++r)
        dot += v->At(r, a) * v->At(r, b);
      EXPECT_NEAR(static_cast<double>(dot), a == b ? 1.0 : 0.0, 1e-14);
    }
}

} // namespace

TEST(DenseMatrix, CheckedAccessAndSize) {
  DenseMatrix m(2, 3);
  long double x = 42;
  EXPECT_TRUE(m.GetElement(2, 3, x));
  EXPECT_EQ(x, 0.0L); // a new matrix is all zeros
  x = 42;
  EXPECT_FALSE(m.GetElement(0, 1, x));
  EXPECT_FALSE(m.GetElement(3, 1, x));
  EXPECT_FALSE(m.GetElement(1, 4, x));
  EXPECT_EQ(x, 42.0L);
  EXPECT_FALSE(m.SetElement(1, 0, 5));
  EXPECT_FALSE(m.SetElement(3, 3, 5));
  EXPECT_TRUE(m.SetElement(1, 2, 5));

  std::size_t r = 9, c = 9;
  EXPECT_FALSE(GetSize(nullptr, r, c));
  EXPECT_EQ(r, 9u);
  EXPECT_TRUE(GetSize(&m, r, c));
  EXPECT_EQ(r, 2u);
  EXPECT_EQ(c, 3u);

  // Reshaping keeps the overlapping part and zeroes the rest.
  m.SetSize(3, 2);
  EXPECT_EQ(m.At(1, 2), 5.0L);
  EXPECT_EQ(m.At(3, 2), 0.0L);

  EXPECT_THROW(DenseMatrix(65536, 1), std::length_error);
  EXPECT_THROW(m.SetSize(1, 70000), std::length_error);
  EXPECT_EQ(m.Rows(), 3); // a refused reshape leaves the matrix as it was
}

TEST(DenseMatrix, ProductShapes) {
  const DenseMatrix row = Filled(1, 6, 1), sq = Filled(6, 6, 2), col = Filled(6, 1, 3);
  auto p = Multiply(row, sq);
  ASSERT_TRUE(p);
  EXPECT_EQ(p->Rows(), 1);
  EXPECT_EQ(p->Cols(), 6);
  auto s = Multiply(row, col);
  ASSERT_TRUE(s);
  EXPECT_EQ(s->Rows(), 1);
  EXPECT_EQ(s->Cols(), 1);
  EXPECT_FALSE(Multiply(col, sq));

  long double expect = 0;
  for (std::size_t k = 1; k <= 6; ++k)
    expect += row.At(1, k) * col.At(k, 1);
  EXPECT_EQ(s->At(1, 1), expect);
}

TEST(DenseMatrix, TransposeAndCopyAreIndependent) {
  DenseMatrix col = Filled(6, 1, 4);
  auto t = Transpose(col);
  ASSERT_EQ(t->Rows(), 1);
  ASSERT_EQ(t->Cols(), 6);
  for (std::size_t k = 1; k <= 6; ++k)
    EXPECT_EQ(t->At(1, k), col.At(k, 1));

  auto c = Copy(col);
  c->At(1, 1) = 1234;
  EXPECT_NE(col.At(1, 1), 1234.0L);

  // Decomposing a copy leaves the original intact.
  DenseMatrix sq = Filled(3, 3, 5);
  const DenseMatrix keep = *Copy(sq);
  auto work = Copy(sq);
  std::unique_ptr<DenseMatrix> w, v;
  SingularValueDecomposition(*work, w, v);
  for (std::size_t i = 1; i <= 3; ++i)
    for (std::size_t j = 1; j <= 3; ++j)
      EXPECT_EQ(sq.At(i, j), keep.At(i, j));
}

TEST(DenseMatrix, PythagAvoidsOverflow) {
  EXPECT_EQ(Hypotenuse(-3, 4), 5.0L);
  EXPECT_EQ(Hypotenuse(0, 0), 0.0L);
  const long double big = 1e4000L;
  EXPECT_NEAR(static_cast<double>(Hypotenuse(big, big) / big), std::sqrt(2.0), 1e-15);
}

TEST(SingularValueDecomposition, ReconstructsRectangularAndSquareMatrices) {
  ExpectValidSvd(Filled(3, 3, 11));
  ExpectValidSvd(Filled(6, 6, 12));
  ExpectValidSvd(Filled(8, 5, 13)); // more rows than columns
  ExpectValidSvd(Filled(1, 1, 14));
  // Rank-deficient: two equal rows.
  DenseMatrix r = Filled(4, 4, 15);
  for (std::size_t j = 1; j <= 4; ++j)
    r.At(2, j) = r.At(1, j);
  ExpectValidSvd(r);
}

TEST(SingularValueDecomposition, SymmetricPositiveDefiniteGivesEigenvaluesAndUEqualsV) {
  // Trace 7, determinant 10.5, no zero off-diagonal term.
  DenseMatrix s(3, 3);
  const double m[3][3] = {{2.5, 0.5, 0.5}, {0.5, 2.5, -0.5}, {0.5, -0.5, 2.0}};
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j)
      s.At(i + 1, j + 1) = m[i][j];
  auto u = Copy(s);
  std::unique_ptr<DenseMatrix> w, v;
  ASSERT_TRUE(SingularValueDecomposition(*u, w, v));
  long double sum = 0, prod = 1;
  for (std::size_t k = 1; k <= 3; ++k) {
    sum += w->At(k, 1);
    prod *= w->At(k, 1);
    // Each column of V is an eigenvector with eigenvalue w(k).
    for (std::size_t r = 1; r <= 3; ++r) {
      long double sv = 0;
      for (std::size_t c = 1; c <= 3; ++c)
        sv += s.At(r, c) * v->At(c, k);
      EXPECT_NEAR(static_cast<double>(sv), static_cast<double>(w->At(k, 1) * v->At(r, k)), 1e-15);
      EXPECT_NEAR(static_cast<double>(u->At(r, k)), static_cast<double>(v->At(r, k)), 1e-15);
    }
  }
  EXPECT_NEAR(static_cast<double>(sum), 7.0, 1e-15); // trace
  EXPECT_NEAR(static_cast<double>(prod), 10.5, 1e-14); // determinant
}

TEST(SingularValueDecomposition, ZeroMatrixConvergesToZeros) {
  DenseMatrix z(3, 3);
  std::unique_ptr<DenseMatrix> w, v;
  EXPECT_TRUE(SingularValueDecomposition(z, w, v));
  for (std::size_t k = 1; k <= 3; ++k) {
    EXPECT_EQ(w->At(k, 1), 0.0L);
    for (std::size_t r = 1; r <= 3; ++r)
      EXPECT_EQ(std::fabs(v->At(r, k)), r == k ? 1.0L : 0.0L);
  }
}

TEST(SingularValueDecomposition, NonFiniteInputReportsFailureWithoutCrashing) {
  DenseMatrix bad(3, 3);
  bad.At(1, 1) = 1;
  bad.At(2, 2) = NAN;
  bad.At(3, 3) = 1;
  std::unique_ptr<DenseMatrix> w, v;
  EXPECT_FALSE(SingularValueDecomposition(bad, w, v));
  ASSERT_TRUE(w);
  ASSERT_TRUE(v);
}
