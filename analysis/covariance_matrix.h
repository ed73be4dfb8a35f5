#pragma once
// The covariance matrix of the adjusted coordinates (mm², three rows per
// point), in double precision: the engine computes it in double, so wider
// elements would only double its size — for a large network the largest
// block of memory the program holds.
//
// Copies share their elements: the results reader, the precision the plans
// show and the report read one matrix, however many hold it. Reading is
// always through const access (At, Row, GetElement); changing goes through
// Set, SetElement or MutableRow, which first give this matrix elements of
// its own when others share them. Fill a matrix before handing it out.
//
// Element access counts from 1 like DenseMatrix (At, GetElement, Set,
// SetElement); Row counts from 0.
#include <cstddef>
#include <cstdint>
#include <memory>

class CovarianceMatrix {
public:
  // The largest row or column count.
  static constexpr std::size_t MaxSize = 65535;
  enum class Start { Zeros, Unset };

  // An empty 0 x 0 matrix.
  CovarianceMatrix() = default;
  // A rows x cols matrix of zeros, or with elements left unset for a caller
  // that writes every one. Throws std::length_error when a count exceeds
  // MaxSize and std::bad_alloc when the storage cannot be obtained.
  CovarianceMatrix(std::size_t rows, std::size_t cols, Start start = Start::Zeros);
  // Takes over rows x cols elements stored row by row at `elements`, which
  // its owner (shared) keeps alive: e.g. a matrix computed elsewhere, or a
  // buffer used again.
  CovarianceMatrix(std::shared_ptr<double> elements, std::size_t rows, std::size_t cols);

  std::uint16_t Rows() const { return RowCount; }
  std::uint16_t Cols() const { return ColumnCount; }
  bool Empty() const { return RowCount == 0 || ColumnCount == 0; }

  // Checked access: false (nothing read or written) outside the matrix.
  bool GetElement(std::size_t i, std::size_t j, long double &value) const;
  bool SetElement(std::size_t i, std::size_t j, long double value);

  // Unchecked access for loops within the bounds.
  double At(std::size_t i, std::size_t j) const { return Elements.get()[(i - 1) * ColumnCount + (j - 1)]; }
  void Set(std::size_t i, std::size_t j, double value) { MutableRow(i - 1)[j - 1] = value; }
  const double *Row(std::size_t r) const { return Elements.get() + r * ColumnCount; }
  double *MutableRow(std::size_t r) {
    if (Elements.use_count() > 1)
      Detach();
    return Elements.get() + r * ColumnCount;
  }

  // The elements and their owner (to share them, or to see whether anyone
  // else still holds them).
  const std::shared_ptr<double> &Storage() const { return Elements; }

private:
  void Detach();

  std::uint16_t RowCount = 0;
  std::uint16_t ColumnCount = 0;
  std::shared_ptr<double> Elements;
};

// New storage for rows x cols elements (unset), from the large-block
// allocator of dense_matrix.h; throws like the constructor.
std::shared_ptr<double> AllocateCovarianceStorage(std::size_t rows, std::size_t cols);
