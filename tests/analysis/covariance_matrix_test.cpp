// The covariance matrix shared between the results reader, the precision of
// the plans and the report: copies share the elements, a change gives the
// changed copy elements of its own, and the checked access stays within the
// matrix.
#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>

#include "analysis/covariance_matrix.h"

TEST(CovarianceMatrix, CopiesShareUntilOneIsChanged) {
  CovarianceMatrix a(3, 3);
  EXPECT_EQ(a.At(2, 3), 0.0);
  a.Set(2, 3, 1.5);
  const CovarianceMatrix b = a; // shares
  EXPECT_EQ(a.Storage(), b.Storage());
  EXPECT_EQ(b.At(2, 3), 1.5);
  // Reading a (not const) gives nothing of its own.
  EXPECT_EQ(a.Row(1)[2], 1.5);
  EXPECT_EQ(a.Storage(), b.Storage());
  // Changing a leaves b as it was.
  a.Set(2, 3, 7);
  EXPECT_NE(a.Storage(), b.Storage());
  EXPECT_EQ(a.At(2, 3), 7.0);
  EXPECT_EQ(b.At(2, 3), 1.5);
  // A matrix alone changes its own elements in place.
  const double *before = a.Row(0);
  a.MutableRow(0)[0] = 2;
  EXPECT_EQ(a.Row(0), before);
}

TEST(CovarianceMatrix, ElementsOfAnOwnerAreTakenOver) {
  auto owner = std::make_shared<std::vector<double>>(std::vector<double>{4, 1, 1, 9});
  CovarianceMatrix m(std::shared_ptr<double>(owner, owner->data()), 2, 2);
  EXPECT_EQ(m.At(1, 2), 1.0);
  EXPECT_EQ(m.At(2, 2), 9.0);
  EXPECT_EQ(m.Storage().get(), owner->data());
  EXPECT_THROW(CovarianceMatrix(nullptr, 2, 2), std::invalid_argument);
  EXPECT_THROW(CovarianceMatrix(70000, 1), std::length_error);
}

TEST(CovarianceMatrix, CheckedAccessStaysInside) {
  CovarianceMatrix m(2, 3);
  long double v = -1;
  EXPECT_TRUE(m.SetElement(2, 3, 0.25L));
  EXPECT_TRUE(m.GetElement(2, 3, v));
  EXPECT_EQ(v, 0.25L);
  for (auto [i, j] : {std::pair{0, 1}, {1, 0}, {3, 1}, {1, 4}}) {
    EXPECT_FALSE(m.GetElement(static_cast<std::size_t>(i), static_cast<std::size_t>(j), v));
    EXPECT_FALSE(m.SetElement(static_cast<std::size_t>(i), static_cast<std::size_t>(j), 1));
  }
  EXPECT_TRUE(CovarianceMatrix().Empty());
}
