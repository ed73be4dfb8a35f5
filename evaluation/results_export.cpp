// Exports of the results: the table as shown and the covariance matrix,
// both written atomically.
#include <cmath>

#include "core/number_text.h"
#include "core/text_file.h"
#include "evaluation/results_reader.h"

namespace {

// The general number form (NumToText) by a quicker route for the usual
// magnitudes: the fixed form rounds to the same 15 significant digits, and
// with at least as many decimals as those digits need, dropping the
// trailing zeros gives the same text. Elsewhere NumToText itself is used.
void AppendGeneral(std::string &out, long double v) {
  const long double a = std::fabs(v);
  if (!(a >= 1e-3L && a < 1e13L)) {
    out += NumToText(v);
    return;
  }
  const int e = static_cast<int>(std::floor(std::log10(a))); // may be off by one
  std::string s = NumToTextFixed(v, 15, 15 - e);
  const std::size_t point = s.find('.');
  if (point != std::string::npos) {
    std::size_t end = s.find_last_not_of('0');
    if (end == point)
      --end;
    s.resize(end + 1);
  }
  out += s;
}

} // namespace

bool ResultsReader::SaveGrid(const TextGrid &grid, const std::string &fileName) {
  std::string text;
  for (const auto &row : grid.Rows) {
    for (int c = 0; c < grid.ColCount; ++c) {
      text += grid.Cell(static_cast<int>(&row - grid.Rows.data()), c);
      text += '\t';
    }
    text += "\r\n";
  }
  return kd::WriteFileAtomic(fileName, kd::Utf8ToCp1250(text));
}

bool ResultsReader::SaveTable(const std::string &fileName) {
  if (!Grid) {
    Error = "There is no results table to save.";
    return false;
  }
  if (!SaveGrid(*Grid, fileName)) {
    Error = "The table cannot be written to " + fileName + ".";
    return false;
  }
  return true;
}

bool ResultsReader::SaveCov(const std::string &fileName) {
  if (!CovOk || !CoordsOk)
    return false;
  std::string text;
  const std::size_t n = Cov.Rows(), m = Cov.Cols();
  // The matrix is symmetric: each element below the diagonal is written
  // with the text already made for its mirror above it (position and length
  // in `text`), which halves the number conversions.
  const bool symmetric = n == m;
  std::vector<std::uint64_t> spans;
  try {
    text.reserve(n * m * 12 + n * 2);
    if (symmetric)
      spans.resize(n * (n + 1) / 2);
  } catch (const std::bad_alloc &) {
    Error = "Not enough memory to save the covariance matrix.";
    return false;
  }
  auto upper = [n](std::size_t i, std::size_t j) { return i * n - i * (i - 1) / 2 + (j - i); };
  for (std::size_t r = 0; r < n; ++r) {
    const double *row = Cov.Row(r);
    for (std::size_t c = 0; c < m; ++c) {
      const std::uint64_t span = symmetric && c < r ? spans[upper(c, r)] : 0;
      if (span != 0 && row[c] == Cov.Row(c)[r]) {
        char tmp[256];
        const std::size_t len = span & 0xFF;
        text.copy(tmp, len, static_cast<std::size_t>(span >> 8));
        text.append(tmp, len);
      } else {
        const std::size_t start = text.size();
        AppendGeneral(text, row[c]);
        const std::size_t len = text.size() - start;
        if (symmetric && c >= r && len < 256)
          spans[upper(r, c)] = (static_cast<std::uint64_t>(start) << 8) | len;
      }
      text += ' ';
    }
    text += "\r\n";
  }
  if (!kd::WriteFileAtomic(fileName, text)) {
    Error = "The covariance matrix cannot be written to " + fileName + ".";
    return false;
  }
  return true;
}
