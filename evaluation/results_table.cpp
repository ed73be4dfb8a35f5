// The results table: one row per adjusted point with its coordinates,
// standard deviations and error ellipsoid, and the whole-network centring
// added to the covariance before the table is filled.
#include <cmath>
#include <numbers>

#include "analysis/error_ellipsoid.h"
#include "core/number_text.h"
#include "evaluation/results_reader.h"

namespace {

constexpr long double kPi = std::numbers::pi_v<long double>;

std::string Gon(long double radians) {
  return NumToTextFixed(radians * 200.0L / kPi, 8, 4);
}

} // namespace

int ResultsReader::AddNetworkCentring(const PointList &network) {
  if (!CoordsOk || !CovOk ||
      static_cast<std::size_t>(Cov.Rows()) != 3 * static_cast<std::size_t>(Results.Count()))
    return 0;
  const PointNumberIndex index(network);
  int missing = 0;
  for (int k = 0; k < Results.Count(); ++k) {
    NetworkPoint &p = Results.Items[static_cast<std::size_t>(k)];
    const int at = index.IndexOf(p.Number);
    if (at < 0) {
      ++missing;
      continue;
    }
    const NetworkPoint &q = network.Items[static_cast<std::size_t>(at)];
    p.Sc = q.Sc;
    p.Svp = q.Svp;
    const double a = p.Sc * 1000.0;
    const double b = p.Svp * 1000.0;
    const std::size_t r = 3 * static_cast<std::size_t>(k);
    auto add = [this](std::size_t i, long double v) {
      double &d = Cov.MutableRow(i)[i];
      d = static_cast<double>(d + v);
      if (!PointBlocks.empty())
        PointBlocks[static_cast<std::size_t>(PointBlockIndex(i, i))] += v;
    };
    add(r, static_cast<long double>(a) * a);
    add(r + 1, static_cast<long double>(a) * a);
    add(r + 2, static_cast<long double>(b) * b);
  }
  return missing;
}

bool ResultsReader::FillResultsTable(TextGrid &grid, std::vector<std::string> &chooser1,
                                  std::vector<std::string> &chooser2) {
  if (!ResultsAre3d())
    return false;
  const int n = Results.Count();
  TextGrid g;
  g.Resize(n + 1, ResultColumns);
  g.FixedRows = 1;
  static const char *const kHeads[ResultColumns] = {
      nullptr,    "X/m",      "Y/m",      "Z/m",      "s(x)/mm",  "s(y)/mm",
      "s(z)/mm",  "a/mm",     "b/mm",     "c/mm",     "w(a)/gon", "w(b)/gon",
      "w(c)/gon", "z(a)/gon", "z(b)/gon", "z(c)/gon"};
  g.SetCell(0, 0, PointNumberHeading);
  for (int c = 1; c < ResultColumns; ++c)
    g.SetCell(0, c, kHeads[c]);

  std::vector<std::string> numbers;
  numbers.reserve(static_cast<std::size_t>(n));
  for (int k = 0; k < n; ++k) {
    const NetworkPoint &p = Results.Items[static_cast<std::size_t>(k)];
    const int row = k + 1;
    const std::size_t first = 3 * static_cast<std::size_t>(k);
    const std::string number = NumToText(p.Number);
    g.SetCell(row, 0, number);
    numbers.push_back(number);
    g.SetCell(row, 1, NumToTextFixed(p.X, 15, 6));
    g.SetCell(row, 2, NumToTextFixed(p.Y, 15, 6));
    g.SetCell(row, 3, NumToTextFixed(p.Z, 15, 6));
    for (std::size_t a = 0; a < 3; ++a) {
      const long double var = PointBlocks.empty()
                                  ? Cov.Row(first + a)[first + a]
                                  : PointBlocks[static_cast<std::size_t>(PointBlockIndex(first + a, first + a))];
      if (!(var >= 0)) {
        Error = "Point " + number + " has a negative variance.";
        return false;
      }
      g.SetCell(row, 4 + static_cast<int>(a), NumToTextFixed(std::sqrt(var), 8, 3));
    }
    DenseMatrix block(3, 3);
    for (std::size_t a = 0; a < 3; ++a)
      for (std::size_t b = 0; b < 3; ++b)
        block.At(a + 1, b + 1) =
            PointBlocks.empty() ? Cov.Row(first + a)[first + b]
                                : PointBlocks[static_cast<std::size_t>(PointBlockIndex(first + a, first + b))];
    const ErrorEllipsoid e(block);
    if (!e.Converged) {
      Error = "The error ellipsoid of point " + number +
              " cannot be computed: no convergence in 30 SVD iterations.";
      return false;
    }
    if (!e.NonNegative) {
      Error = "The covariance block of point " + number +
              " is not positive semi-definite; its error ellipsoid cannot be computed.";
      return false;
    }
    for (int a = 0; a < 3; ++a) {
      g.SetCell(row, 7 + a, NumToTextFixed(e.SemiAxes[a], 8, 3));
      g.SetCell(row, 10 + a, Gon(e.Directions[a]));
      g.SetCell(row, 13 + a, Gon(e.Zeniths[a]));
    }
  }
  grid = std::move(g);
  Grid = &grid;
  chooser1 = numbers;
  chooser2 = std::move(numbers);
  return true;
}
