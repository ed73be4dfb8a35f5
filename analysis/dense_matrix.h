#pragma once
// Dense rectangular matrix of extended-precision (80-bit) values.
//
// It holds the covariance matrix of the adjusted coordinates, the 3 x 3 and
// 6 x 6 blocks cut from it and the small vectors used for error
// propagation. Element access counts from 1: element (i, j) is row i,
// column j. Callers that walk a whole row quickly may use `Row`, which counts
// from 0.
//
// Every operation that returns a matrix returns a new one owned by the
// caller (std::unique_ptr); no two matrices share storage.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

// Storage of the matrices' elements. Blocks of several megabytes (the
// covariance of a large network) are asked of the system in huge pages
// where it offers them, so that a new matrix is not faulted in 4 KiB at a
// time; smaller ones come from the ordinary heap.
void *AllocateMatrixStorage(std::size_t bytes);
void FreeMatrixStorage(void *p, std::size_t bytes) noexcept;

template <class T> struct MatrixStorageAllocator {
  using value_type = T;
  MatrixStorageAllocator() = default;
  template <class U> MatrixStorageAllocator(const MatrixStorageAllocator<U> &) {}
  T *allocate(std::size_t n) { return static_cast<T *>(AllocateMatrixStorage(n * sizeof(T))); }
  void deallocate(T *p, std::size_t n) noexcept { FreeMatrixStorage(p, n * sizeof(T)); }
  template <class U> bool operator==(const MatrixStorageAllocator<U> &) const { return true; }
};

class DenseMatrix {
public:
  // The largest row or column count a matrix may have.
  static constexpr std::size_t MaxSize = 65535;

  // An empty 0 x 0 matrix.
  DenseMatrix() = default;
  // A rows x cols matrix of zeros (`Create`). Throws std::length_error when
  // a count exceeds MaxSize and std::bad_alloc when the storage cannot be
  // obtained.
  DenseMatrix(std::size_t rows, std::size_t cols);

  // Reshapes the storage to rows x cols. Elements in the overlapping part
  // keep their values, new ones are 0. Throws like the constructor.
  void SetSize(std::size_t rows, std::size_t cols);

  std::uint16_t Rows() const { return RowCount; }
  std::uint16_t Cols() const { return ColumnCount; }

  // Checked 1-based access: false (and nothing read or written) when i or j
  // is 0 or beyond the matrix.
  bool GetElement(std::size_t i, std::size_t j, long double &value) const;
  bool SetElement(std::size_t i, std::size_t j, long double value);

  // Unchecked 1-based access, for loops that keep within the bounds.
  long double &At(std::size_t i, std::size_t j) { return Elements[(i - 1) * ColumnCount + (j - 1)]; }
  long double At(std::size_t i, std::size_t j) const { return Elements[(i - 1) * ColumnCount + (j - 1)]; }

  // Row r counted from 0, as a contiguous array of Cols() values.
  long double *Row(std::size_t r) { return Elements.data() + r * ColumnCount; }
  const long double *Row(std::size_t r) const { return Elements.data() + r * ColumnCount; }

private:
  std::uint16_t RowCount = 0;
  std::uint16_t ColumnCount = 0;
  std::vector<long double, MatrixStorageAllocator<long double>> Elements;
};

// False when `m` is null; otherwise true and the two counts.
bool GetSize(const DenseMatrix *m, std::size_t &rows, std::size_t &cols);

// A new matrix with A's size and elements.
std::unique_ptr<DenseMatrix> Copy(const DenseMatrix &a);
// A new cols x rows matrix with element (j, i) = A(i, j).
std::unique_ptr<DenseMatrix> Transpose(const DenseMatrix &a);
// The product A . B, or null when A's column count differs from B's row
// count. Sums run in extended precision over increasing k.
std::unique_ptr<DenseMatrix> Multiply(const DenseMatrix &a, const DenseMatrix &b);

// |a| when b >= 0, else -|a| (double precision).
double SignOf(double a, double b);
// a when a > b, else b (double precision).
double MaxOf(double a, double b);
// sqrt(a^2 + b^2) without overflow or underflow of the squares.
long double Hypotenuse(long double a, long double b);

// Singular value decomposition a = U . diag(w) . V^T by Householder
// bidiagonalisation and implicitly shifted QR (Golub-Kahan-Reinsch).
//
// a (m x n) is overwritten by U; w becomes a new n x 1 matrix of the singular
// values and v a new n x n matrix V. Column k of U and V belongs to w(k, 1).
// The singular values are left in the order the iteration produces them,
// not sorted.
//
// Returns false when some singular value did not converge within 30 QR
// sweeps. The decomposition still runs to the end (w and v are filled), but
// the values of the unconverged entries are not reliable and a caller must
// not present them as results. Nothing is read from or written to the
// standard streams.
bool SingularValueDecomposition(DenseMatrix &a, std::unique_ptr<DenseMatrix> &w, std::unique_ptr<DenseMatrix> &v);
