#include "analysis/dense_matrix.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <new>
#include <stdexcept>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace {

#if defined(__linux__)
// Huge pages are 2 MiB; blocks from twice that on are worth them.
constexpr std::size_t kHugePage = std::size_t{2} << 20;
constexpr std::size_t kLargeBlock = 2 * kHugePage;

std::size_t MappedLength(std::size_t bytes) { return (bytes + kHugePage - 1) / kHugePage * kHugePage; }
#endif

void CheckCounts(std::size_t rows, std::size_t cols) {
  if (rows > DenseMatrix::MaxSize || cols > DenseMatrix::MaxSize)
    throw std::length_error("matrix larger than 65535 rows or columns");
}

} // namespace

void *AllocateMatrixStorage(std::size_t bytes) {
#if defined(__linux__)
  if (bytes >= kLargeBlock) {
    // Mapped with room to start on a huge-page boundary; the rest is given back.
    const std::size_t length = MappedLength(bytes);
    void *raw = mmap(nullptr, length + kHugePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (raw == MAP_FAILED)
      throw std::bad_alloc();
    const auto start = reinterpret_cast<std::uintptr_t>(raw);
    const std::uintptr_t aligned = (start + kHugePage - 1) / kHugePage * kHugePage;
    if (aligned > start)
      munmap(raw, aligned - start);
    if (const std::size_t tail = start + length + kHugePage - (aligned + length); tail > 0)
      munmap(reinterpret_cast<void *>(aligned + length), tail);
    madvise(reinterpret_cast<void *>(aligned), length, MADV_HUGEPAGE);
    return reinterpret_cast<void *>(aligned);
  }
#endif
  return ::operator new(bytes);
}

void FreeMatrixStorage(void *p, std::size_t bytes) noexcept {
#if defined(__linux__)
  if (bytes >= kLargeBlock) {
    munmap(p, MappedLength(bytes));
    return;
  }
#endif
  ::operator delete(p);
}

DenseMatrix::DenseMatrix(std::size_t rows, std::size_t cols) {
  CheckCounts(rows, cols);
  Elements.assign(rows * cols, 0.0L);
  RowCount = static_cast<std::uint16_t>(rows);
  ColumnCount = static_cast<std::uint16_t>(cols);
}

void DenseMatrix::SetSize(std::size_t rows, std::size_t cols) {
  CheckCounts(rows, cols);
  if (rows == RowCount && cols == ColumnCount)
    return;
  std::vector<long double, MatrixStorageAllocator<long double>> data(rows * cols, 0.0L);
  const std::size_t keepRows = std::min<std::size_t>(rows, RowCount);
  const std::size_t keepCols = std::min<std::size_t>(cols, ColumnCount);
  for (std::size_t r = 0; r < keepRows; ++r)
    std::copy_n(Elements.data() + r * ColumnCount, keepCols, data.data() + r * cols);
  Elements.swap(data);
  RowCount = static_cast<std::uint16_t>(rows);
  ColumnCount = static_cast<std::uint16_t>(cols);
}

bool DenseMatrix::GetElement(std::size_t i, std::size_t j, long double &value) const {
  if (i < 1 || j < 1 || i > RowCount || j > ColumnCount)
    return false;
  value = At(i, j);
  return true;
}

bool DenseMatrix::SetElement(std::size_t i, std::size_t j, long double value) {
  if (i < 1 || j < 1 || i > RowCount || j > ColumnCount)
    return false;
  At(i, j) = value;
  return true;
}

bool GetSize(const DenseMatrix *m, std::size_t &rows, std::size_t &cols) {
  if (!m)
    return false;
  rows = m->Rows();
  cols = m->Cols();
  return true;
}

std::unique_ptr<DenseMatrix> Copy(const DenseMatrix &a) {
  auto c = std::make_unique<DenseMatrix>(a.Rows(), a.Cols());
  long double x = 0;
  for (std::size_t i = 1; i <= a.Rows(); ++i)
    for (std::size_t j = 1; j <= a.Cols(); ++j)
      if (a.GetElement(i, j, x))
        c->SetElement(i, j, x);
  return c;
}

std::unique_ptr<DenseMatrix> Transpose(const DenseMatrix &a) {
  auto t = std::make_unique<DenseMatrix>(a.Cols(), a.Rows());
  long double x = 0;
  for (std::size_t i = 1; i <= a.Rows(); ++i)
    for (std::size_t j = 1; j <= a.Cols(); ++j)
      if (a.GetElement(i, j, x))
        t->SetElement(j, i, x);
  return t;
}

std::unique_ptr<DenseMatrix> Multiply(const DenseMatrix &a, const DenseMatrix &b) {
  if (a.Cols() != b.Rows())
    return nullptr;
  auto c = std::make_unique<DenseMatrix>(a.Rows(), b.Cols());
  long double x = 0, y = 0;
  for (std::size_t i = 1; i <= a.Rows(); ++i)
    for (std::size_t j = 1; j <= b.Cols(); ++j) {
      long double sum = 0.0L;
      for (std::size_t k = 1; k <= a.Cols(); ++k)
        if (a.GetElement(i, k, x) && b.GetElement(k, j, y))
          sum += x * y;
      c->SetElement(i, j, sum);
    }
  return c;
}

double SignOf(double a, double b) { return b >= 0.0 ? std::fabs(a) : -std::fabs(a); }

double MaxOf(double a, double b) { return a > b ? a : b; }

long double Hypotenuse(long double a, long double b) {
  const long double absa = std::fabs(a);
  const long double absb = std::fabs(b);
  if (absa > absb) {
    const long double r = absb / absa;
    return absa * std::sqrt(1.0L + r * r);
  }
  if (absb == 0.0L)
    return 0.0L;
  const long double r = absa / absb;
  return absb * std::sqrt(1.0L + r * r);
}

bool SingularValueDecomposition(DenseMatrix &a, std::unique_ptr<DenseMatrix> &wOut, std::unique_ptr<DenseMatrix> &vOut) {
  const int m = a.Rows();
  const int n = a.Cols();
  wOut = std::make_unique<DenseMatrix>(n, 1);
  vOut = std::make_unique<DenseMatrix>(n, n);
  DenseMatrix &W = *wOut;
  DenseMatrix &V = *vOut;
  std::vector<long double> rv1Store(static_cast<std::size_t>(n) + 1, 0.0L);

  // 1-based views without index checks; every loop below stays in range.
  auto A = [&a](int i, int j) -> long double & { return a.At(i, j); };
  auto w = [&W](int i) -> long double & { return W.At(i, 1); };
  auto v = [&V](int i, int j) -> long double & { return V.At(i, j); };
  long double *rv1 = rv1Store.data();

  bool converged = true;
  int l = 0;
  int nm = 0;
  long double anorm = 0.0L, c = 0, f = 0, g = 0, h = 0, s = 0, scale = 0;
  long double x = 0, y = 0, z = 0;

  // Householder reduction to bidiagonal form: diagonal into w, superdiagonal
  // into rv1.
  for (int i = 1; i <= n; ++i) {
    l = i + 1;
    rv1[i] = scale * g;
    g = s = scale = 0.0L;
    if (i <= m) {
      for (int k = i; k <= m; ++k)
        scale += std::fabs(A(k, i));
      if (scale != 0.0L) {
        for (int k = i; k <= m; ++k) {
          A(k, i) /= scale;
          s += A(k, i) * A(k, i);
        }
        f = A(i, i);
        g = -SignOf(static_cast<double>(std::sqrt(s)), static_cast<double>(f));
        h = f * g - s;
        A(i, i) = f - g;
        for (int j = l; j <= n; ++j) {
          s = 0.0L;
          for (int k = i; k <= m; ++k)
            s += A(k, i) * A(k, j);
          f = s / h;
          for (int k = i; k <= m; ++k)
            A(k, j) += f * A(k, i);
        }
        for (int k = i; k <= m; ++k)
          A(k, i) *= scale;
      }
    }
    w(i) = scale * g;
    g = s = scale = 0.0L;
    if (i <= m && i != n) {
      for (int k = l; k <= n; ++k)
        scale += std::fabs(A(i, k));
      if (scale != 0.0L) {
        for (int k = l; k <= n; ++k) {
          A(i, k) /= scale;
          s += A(i, k) * A(i, k);
        }
        f = A(i, l);
        g = -SignOf(static_cast<double>(std::sqrt(s)), static_cast<double>(f));
        h = f * g - s;
        A(i, l) = f - g;
        for (int k = l; k <= n; ++k)
          rv1[k] = A(i, k) / h;
        for (int j = l; j <= m; ++j) {
          s = 0.0L;
          for (int k = l; k <= n; ++k)
            s += A(j, k) * A(i, k);
          for (int k = l; k <= n; ++k)
            A(j, k) += s * rv1[k];
        }
        for (int k = l; k <= n; ++k)
          A(i, k) *= scale;
      }
    }
    anorm = MaxOf(static_cast<double>(anorm),
                 static_cast<double>(std::fabs(w(i)) + std::fabs(rv1[i])));
  }

  // Accumulation of the right-hand transformations into V.
  for (int i = n; i >= 1; --i) {
    if (i < n) {
      if (g != 0.0L) {
        // Double division avoids a possible underflow.
        for (int j = l; j <= n; ++j)
          v(j, i) = (A(i, j) / A(i, l)) / g;
        for (int j = l; j <= n; ++j) {
          s = 0.0L;
          for (int k = l; k <= n; ++k)
            s += A(i, k) * v(k, j);
          for (int k = l; k <= n; ++k)
            v(k, j) += s * v(k, i);
        }
      }
      for (int j = l; j <= n; ++j)
        v(i, j) = v(j, i) = 0.0L;
    }
    v(i, i) = 1.0L;
    g = rv1[i];
    l = i;
  }

  // Accumulation of the left-hand transformations into a (which becomes U).
  for (int i = std::min(m, n); i >= 1; --i) {
    l = i + 1;
    g = w(i);
    for (int j = l; j <= n; ++j)
      A(i, j) = 0.0L;
    if (g != 0.0L) {
      g = 1.0L / g;
      for (int j = l; j <= n; ++j) {
        s = 0.0L;
        for (int k = l; k <= m; ++k)
          s += A(k, i) * A(k, j);
        f = (s / A(i, i)) * g;
        for (int k = i; k <= m; ++k)
          A(k, j) += f * A(k, i);
      }
      for (int j = i; j <= m; ++j)
        A(j, i) *= g;
    } else {
      for (int j = i; j <= m; ++j)
        A(j, i) = 0.0L;
    }
    A(i, i) += 1.0L;
  }

  // Diagonalisation of the bidiagonal form: for each singular value from the
  // bottom up, at most 30 implicitly shifted QR sweeps.
  for (int k = n; k >= 1; --k) {
    for (int its = 1; its <= 30; ++its) {
      bool flag = true;
      // Test for splitting. rv1[1] is always 0, so the loop ends by l = 1;
      // testing l == 1 explicitly keeps w(0) out of reach even for input
      // holding NaN.
      for (l = k; l >= 1; --l) {
        nm = l - 1;
        if (l == 1 || std::fabs(rv1[l]) + anorm == anorm) {
          flag = false;
          break;
        }
        if (std::fabs(w(nm)) + anorm == anorm)
          break;
      }
      if (flag) {
        // Cancel rv1[l] when w(nm) is negligible.
        c = 0.0L;
        s = 1.0L;
        for (int i = l; i <= k; ++i) {
          f = s * rv1[i];
          rv1[i] = c * rv1[i];
          if (std::fabs(f) + anorm == anorm)
            break;
          g = w(i);
          h = Hypotenuse(f, g);
          w(i) = h;
          h = 1.0L / h;
          c = g * h;
          s = -f * h;
          for (int j = 1; j <= m; ++j) {
            y = A(j, nm);
            z = A(j, i);
            A(j, nm) = y * c + z * s;
            A(j, i) = z * c - y * s;
          }
        }
      }
      z = w(k);
      if (l == k) {
        // Converged: make the singular value non-negative.
        if (z < 0.0L) {
          w(k) = -z;
          for (int j = 1; j <= n; ++j)
            v(j, k) = -v(j, k);
        }
        break;
      }
      if (its == 30)
        converged = false; // this last sweep is still carried out
      // Shift from the bottom 2 x 2 minor.
      x = w(l);
      nm = k - 1;
      y = w(nm);
      g = rv1[nm];
      h = rv1[k];
      f = ((y - z) * (y + z) + (g - h) * (g + h)) / (2.0L * h * y);
      g = Hypotenuse(f, 1.0L);
      f = ((x - z) * (x + z) +
           h * ((y / (f + SignOf(static_cast<double>(g), static_cast<double>(f)))) - h)) /
          x;
      // Next QR transformation.
      c = s = 1.0L;
      for (int j = l; j <= nm; ++j) {
        const int i = j + 1;
        g = rv1[i];
        y = w(i);
        h = s * g;
        g = c * g;
        z = Hypotenuse(f, h);
        rv1[j] = z;
        c = f / z;
        s = h / z;
        f = x * c + g * s;
        g = g * c - x * s;
        h = y * s;
        y *= c;
        for (int jj = 1; jj <= n; ++jj) {
          x = v(jj, j);
          z = v(jj, i);
          v(jj, j) = x * c + z * s;
          v(jj, i) = z * c - x * s;
        }
        z = Hypotenuse(f, h);
        w(j) = z;
        // The rotation may be arbitrary when z = 0.
        if (z != 0.0L) {
          z = 1.0L / z;
          c = f * z;
          s = h * z;
        }
        f = c * g + s * y;
        x = c * y - s * g;
        for (int jj = 1; jj <= m; ++jj) {
          y = A(jj, j);
          z = A(jj, i);
          A(jj, j) = y * c + z * s;
          A(jj, i) = z * c - y * s;
        }
      }
      rv1[l] = 0.0L;
      rv1[k] = f;
      w(k) = x;
    }
  }
  return converged;
}
