#include "analysis/covariance_matrix.h"

#include <algorithm>
#include <stdexcept>

#include "analysis/dense_matrix.h"

namespace {

void CheckCounts(std::size_t rows, std::size_t cols) {
  if (rows > CovarianceMatrix::MaxSize || cols > CovarianceMatrix::MaxSize)
    throw std::length_error("matrix larger than 65535 rows or columns");
}

} // namespace

std::shared_ptr<double> AllocateCovarianceStorage(std::size_t rows, std::size_t cols) {
  CheckCounts(rows, cols);
  const std::size_t bytes = std::max<std::size_t>(rows * cols, 1) * sizeof(double);
  auto *p = static_cast<double *>(AllocateMatrixStorage(bytes));
  return std::shared_ptr<double>(p, [bytes](double *q) { FreeMatrixStorage(q, bytes); });
}

CovarianceMatrix::CovarianceMatrix(std::size_t rows, std::size_t cols, Start start) {
  CheckCounts(rows, cols);
  Elements = AllocateCovarianceStorage(rows, cols);
  if (start == Start::Zeros)
    std::fill_n(Elements.get(), rows * cols, 0.0);
  RowCount = static_cast<std::uint16_t>(rows);
  ColumnCount = static_cast<std::uint16_t>(cols);
}

CovarianceMatrix::CovarianceMatrix(std::shared_ptr<double> elements, std::size_t rows,
                                   std::size_t cols) {
  CheckCounts(rows, cols);
  if (!elements && rows * cols > 0)
    throw std::invalid_argument("no elements for a covariance matrix");
  Elements = std::move(elements);
  RowCount = static_cast<std::uint16_t>(rows);
  ColumnCount = static_cast<std::uint16_t>(cols);
}

bool CovarianceMatrix::GetElement(std::size_t i, std::size_t j, long double &value) const {
  if (i < 1 || j < 1 || i > RowCount || j > ColumnCount)
    return false;
  value = At(i, j);
  return true;
}

bool CovarianceMatrix::SetElement(std::size_t i, std::size_t j, long double value) {
  if (i < 1 || j < 1 || i > RowCount || j > ColumnCount)
    return false;
  Set(i, j, static_cast<double>(value));
  return true;
}

void CovarianceMatrix::Detach() {
  const std::size_t n = static_cast<std::size_t>(RowCount) * ColumnCount;
  std::shared_ptr<double> own = AllocateCovarianceStorage(RowCount, ColumnCount);
  std::copy_n(Elements.get(), n, own.get());
  Elements = std::move(own);
}
