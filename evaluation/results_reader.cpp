#include "evaluation/results_reader.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <new>
#include <numbers>
#include <optional>

#include <pugixml.hpp>

#include "analysis/error_ellipsoid.h"
#include "core/available_memory.h"
#include "core/number_text.h"
#include "core/text_file.h"
#include "settings/language_pack.h"

namespace {


// Number characters: digits, signs, exponent letters and both separators.
constexpr std::array<bool, 256> MakeNumberChars() {
  std::array<bool, 256> t{};
  for (char c : std::string_view("1234567890+-eE,."))
    t[static_cast<unsigned char>(c)] = true;
  return t;
}
constexpr std::array<bool, 256> kNumberChars = MakeNumberChars();

inline bool NumberChar(char c) { return kNumberChars[static_cast<unsigned char>(c)]; }

// The next run of number characters as a view into `text`.
std::string_view NextToken(std::string_view text, std::size_t &pos) {
  std::size_t i = pos;
  const std::size_t n = text.size();
  while (i < n && !NumberChar(text[i]))
    ++i;
  const std::size_t start = i;
  while (i < n && NumberChar(text[i]))
    ++i;
  pos = i;
  return text.substr(start, i - start);
}

// Exact powers of ten: 10^k needs 5^k < 2^64 to fit the 64-bit mantissa of
// an extended float, which holds up to k = 27.
constexpr int kMaxExactPow10 = 27;
constexpr std::array<long double, kMaxExactPow10 + 1> MakePow10() {
  std::array<long double, kMaxExactPow10 + 1> t{};
  long double p = 1.0L;
  for (auto &x : t) {
    x = p;
    p *= 10.0L;
  }
  return t;
}
constexpr std::array<long double, kMaxExactPow10 + 1> kPow10 = MakePow10();

// Quick conversion of the common case, giving the same value as
// TryTextToNum: at most 19 significant digits (exact in an extended float)
// and a decimal exponent within the exact powers of ten, so that one
// multiplication or division rounds correctly. Returns false when the text
// is not of that simple form; the caller then uses TryTextToNum.
bool QuickNumber(std::string_view t, long double &value) {
  std::size_t i = 0;
  const std::size_t n = t.size();
  bool negative = false;
  if (i < n && (t[i] == '+' || t[i] == '-')) {
    negative = t[i] == '-';
    ++i;
  }
  std::uint64_t mant = 0;
  int sig = 0, digits = 0, fracDigits = 0;
  bool point = false;
  for (; i < n; ++i) {
    const char c = t[i];
    if (c >= '0' && c <= '9') {
      ++digits;
      if (point)
        ++fracDigits;
      if (mant == 0 && c == '0')
        continue; // leading zeros are not significant
      if (++sig > 19)
        return false;
      mant = mant * 10 + static_cast<unsigned>(c - '0');
    } else if ((c == '.' || c == ',') && !point) {
      point = true;
    } else {
      break;
    }
  }
  if (digits == 0)
    return false;
  int exp = 0;
  if (i < n) {
    if (t[i] != 'e' && t[i] != 'E')
      return false;
    ++i;
    bool expNeg = false;
    if (i < n && (t[i] == '+' || t[i] == '-')) {
      expNeg = t[i] == '-';
      ++i;
    }
    int expDigits = 0;
    for (; i < n && t[i] >= '0' && t[i] <= '9'; ++i) {
      if (++expDigits > 4)
        return false;
      exp = exp * 10 + (t[i] - '0');
    }
    if (expDigits == 0 || i != n)
      return false;
    if (expNeg)
      exp = -exp;
  }
  const int e = exp - fracDigits;
  long double v = static_cast<long double>(mant);
  if (mant != 0) {
    if (e > kMaxExactPow10 || e < -kMaxExactPow10)
      return false;
    v = e >= 0 ? v * kPow10[static_cast<std::size_t>(e)] : v / kPow10[static_cast<std::size_t>(-e)];
  }
  value = negative ? -v : v;
  return true;
}

// A finite number, or false.
bool ToFinite(std::string_view text, long double &value) {
  if (QuickNumber(text, value))
    return true;
  long double v = 0;
  if (!TryTextToNum(text, v) || !std::isfinite(v))
    return false;
  value = v;
  return true;
}

std::string Quote(std::string_view text) {
  constexpr std::size_t kMax = 40;
  std::string s(text.substr(0, kMax));
  if (text.size() > kMax)
    s += "...";
  return "\"" + s + "\"";
}

pugi::xml_node LastElementChild(const pugi::xml_node &node) {
  for (pugi::xml_node c = node.last_child(); c; c = c.previous_sibling())
    if (c.type() == pugi::node_element)
      return c;
  return {};
}

// Text content of an element: the character data of all its descendants,
// in document order.
std::string ElementText(pugi::xml_node node) {
  struct Collect : pugi::xml_tree_walker {
    std::string Text;
    bool for_each(pugi::xml_node &n) override {
      if (n.type() == pugi::node_pcdata || n.type() == pugi::node_cdata)
        Text += n.value();
      return true;
    }
  } collect;
  // A single text node (the usual case) is taken without a second copy.
  if (node.first_child() && !node.first_child().next_sibling() &&
      node.first_child().type() == pugi::node_pcdata)
    return node.first_child().value();
  node.traverse(collect);
  return std::move(collect.Text);
}

// Whether a matrix of `bytes` could be held: never more than the memory
// still available (trying would only end in swapping or the process being
// killed).
bool FitsInMemory(std::uint64_t bytes) {
  const std::uint64_t available = kd::AvailableMemoryBytes();
  if (available > 0)
    return bytes < available;
  return bytes <= (std::uint64_t{1} << 34); // 16 GB when unknown
}

} // namespace


bool ResultsReader::IsNumberChar(char c) { return NumberChar(c); }

std::string ResultsReader::NextNumberToken(std::string_view text, std::size_t &pos) {
  return std::string(NextToken(text, pos));
}

bool ResultsReader::Bind(const std::string &fileName) {
  FileName = fileName;
  DocumentLoaded = false;
  Children.clear();
  File.reset();
  RowText = nullptr;
  CovBegin = CovEnd = CovLength = 0;
  CovText.clear();
  Error.clear();
  kd::FileHandle file(std::fopen(fileName.c_str(), "rb"));
  kd::ScannedResults scanned;
  if (file && kd::ScanResults(file.get(), scanned)) {
    Children = std::move(scanned.Children);
    CovBegin = scanned.TextBegin;
    CovEnd = scanned.TextEnd;
    CovLength = scanned.TextLength;
    File = std::move(file);
    DocumentLoaded = true;
    return true;
  }
  file.reset();
  return BindParsed(fileName);
}

void ResultsReader::BindInMemory(const std::string &name, std::vector<kd::ResultsChild> children,
                                 CovarianceRowText rowText) {
  FileName = name;
  File.reset();
  CovText.clear();
  CovBegin = CovEnd = CovLength = 0;
  Error.clear();
  Children = std::move(children);
  RowText = std::move(rowText);
  BoundCov = CovarianceMatrix();
  DocumentLoaded = true;
}

void ResultsReader::BindInMemory(const std::string &name, std::vector<kd::ResultsChild> children,
                                 CovarianceMatrix covariance, std::vector<long double> pointBlocks) {
  BindInMemory(name, std::move(children), CovarianceRowText());
  BoundCov = std::move(covariance);
  BoundBlocks = std::move(pointBlocks);
}

bool ResultsReader::BindParsed(const std::string &fileName) {
  std::string FileBytes;
  pugi::xml_document ParsedDocument;
  if (!kd::ReadFileBytes(fileName, FileBytes)) {
    Error = "The results file " + fileName + " cannot be read.";
    return false;
  }
  const pugi::xml_parse_result res =
      ParsedDocument.load_buffer_inplace(FileBytes.data(), FileBytes.size(),
                                    // Blank text between parts of the covariance text
                                    // still separates two numbers.
                                    pugi::parse_default | pugi::parse_ws_pcdata);
  if (!res) {
    // Line and column of the offset, for a message a user can act on.
    const std::size_t off = std::min<std::size_t>(static_cast<std::size_t>(res.offset),
                                                  FileBytes.size());
    std::string copy;
    kd::ReadFileBytes(fileName, copy); // the in-place parse altered FileBytes
    std::size_t line = 1, col = 1;
    for (std::size_t i = 0; i < off && i < copy.size(); ++i) {
      if (copy[i] == '\n') {
        ++line;
        col = 1;
      } else {
        ++col;
      }
    }
    Error = "The results file " + fileName + " is not valid XML: " + res.description() +
            " at line " + std::to_string(line) + ", column " + std::to_string(col) +
            " (byte " + std::to_string(res.offset) + ").";
    return false;
  }
  // What the readings need, and the covariance text, then the tree goes.
  const pugi::xml_node root = ParsedDocument.document_element();
  if (root) {
    for (pugi::xml_node c = root.first_child(); c; c = c.next_sibling()) {
      if (c.type() != pugi::node_element)
        continue;
      kd::ResultsChild child{c.name(), {}};
      for (pugi::xml_attribute a = c.first_attribute(); a; a = a.next_attribute())
        child.Values.emplace_back(a.value());
      Children.push_back(std::move(child));
    }
    if (const pugi::xml_node last = LastElementChild(root))
      CovText = ElementText(last);
  }
  DocumentLoaded = static_cast<bool>(root);
  return true;
}


bool ResultsReader::ReadCoordinates() {
  CoordsOk = false;
  Results.Resize(0);
  if (!DocumentLoaded) {
    Error = "No results document is loaded.";
    return false;
  }
  const std::size_t n = Children.size();
  const std::size_t expected = n > 0 ? n - 1 : 0;
  Results.Resize(static_cast<int>(std::min<std::size_t>(expected, INT32_MAX)));
  Results.ResetFill();

  bool failed = false;
  for (std::size_t k = 1; k < n; ++k) {
    const kd::ResultsChild &child = Children[k - 1];
    const std::string where = "results element " + std::to_string(k) + " <" + child.Name + ">";
    const std::vector<std::string> &attrs = child.Values;
    if (attrs.empty()) {
      Error = where + " has no attributes.";
      failed = true;
      break;
    }
    long double number = 0;
    if (!ToFinite(attrs[0], number) || !std::isfinite(static_cast<double>(number))) {
      Error = where + ": the point number " + Quote(attrs[0]) + " is not a number.";
      failed = true;
      break;
    }
    if (attrs.size() != 4)
      continue;
    NetworkPoint p;
    p.Number = static_cast<double>(number);
    long double *xyz[3] = {&p.X, &p.Y, &p.Z};
    for (int c = 0; c < 3 && !failed; ++c) {
      if (!ToFinite(attrs[static_cast<std::size_t>(c) + 1], *xyz[c])) {
        Error = where + ": the coordinate " + Quote(attrs[static_cast<std::size_t>(c) + 1]) +
                " is not a number.";
        failed = true;
      }
    }
    if (failed)
      break;
    p.Fixed = false;
    p.Sc = 0;
    p.Svp = 0;
    Results.Add(p);
  }
  Results.Resize(Results.FillCount);
  if (failed)
    return false;
  CoordsOk = Results.Count() > 0;
  if (!CoordsOk)
    Error = "The results hold no adjusted point.";
  return true;
}

long ResultsReader::PointBlockIndex(std::size_t i, std::size_t j) {
  if (i > j)
    std::swap(i, j);
  if (i / 3 != j / 3)
    return -1;
  const std::size_t a = i % 3, b = j % 3;
  return static_cast<long>(6 * (i / 3) + (a == 0 ? b : a == 1 ? 2 + b : 5));
}

bool ResultsReader::CovarianceNumber(std::string_view token, double &value) {
  long double v = 0;
  if (!CovarianceNumber(token, v))
    return false;
  value = static_cast<double>(v);
  return true;
}

bool ResultsReader::CovarianceNumber(std::string_view token, long double &v) {
  // The rare number the quick conversion leaves is read with the decimal
  // comma, as the whole text once was.
  bool ok = QuickNumber(token, v);
  if (!ok) {
    std::string commas(token);
    std::replace(commas.begin(), commas.end(), '.', ',');
    ok = ToFinite(commas, v);
  }
  // Beyond the double range it is no covariance this program can use.
  return ok && std::isfinite(static_cast<double>(v));
}

bool ResultsReader::ReadCovariance() {
  CovOk = false;
  Cov = CovarianceMatrix();
  PointBlocks.clear();
  Dim = 0;
  if (!DocumentLoaded) {
    Error = "No results document is loaded.";
    return false;
  }
  if (Children.empty()) {
    Error = "The results hold no covariance element.";
    return false;
  }
  const kd::ResultsChild &cov = Children.back();
  if (cov.Values.empty()) {
    Error = "The covariance element <" + cov.Name + "> has no dimension.";
    return false;
  }
  const std::string &dimValue = cov.Values.front();
  // The text: streamed from the file, row by row from an engine run in
  // memory, or whole in memory for a parsed document.
  const bool streamed = static_cast<bool>(File);
  const bool whole = !streamed && BoundCov.Storage() != nullptr;
  const bool byRows = !streamed && !whole && static_cast<bool>(RowText);
  const std::uint64_t textLength = streamed ? CovLength
                                   : byRows || whole ? std::numeric_limits<std::uint64_t>::max()
                                                     : CovText.size();

  // The dimension: a decimal integer, blanks around it allowed.
  std::string_view dimText = dimValue;
  while (!dimText.empty() && (dimText.front() == ' ' || dimText.front() == '\t'))
    dimText.remove_prefix(1);
  while (!dimText.empty() && (dimText.back() == ' ' || dimText.back() == '\t'))
    dimText.remove_suffix(1);
  if (!dimText.empty() && dimText.front() == '+')
    dimText.remove_prefix(1);
  std::uint64_t dim = 0;
  const auto [ptr, ec] = std::from_chars(dimText.data(), dimText.data() + dimText.size(), dim);
  if (ec == std::errc::result_out_of_range) {
    Error = "The covariance dimension " + Quote(dimValue) + " is too large.";
    return false;
  }
  if (dimText.empty() || ec != std::errc() || ptr != dimText.data() + dimText.size()) {
    Error = "The covariance dimension " + Quote(dimValue) + " is not a whole number.";
    return false;
  }
  if (dim > CovarianceMatrix::MaxSize) {
    Error = "The covariance dimension " + std::to_string(dim) + " is too large.";
    return false;
  }
  // When the points are known, the dimension must be three per point;
  // checking here avoids allocating a matrix that could never be used.
  if (CoordsOk && dim != 3 * static_cast<std::uint64_t>(Results.Count())) {
    Error = "The covariance dimension " + std::to_string(dim) + " does not match the " +
            std::to_string(Results.Count()) + " points (3 per point).";
    return false;
  }
  const std::uint64_t needed = dim * (dim + 1) / 2;
  // Every number takes at least one character and is separated from the
  // next by at least one: a shorter text cannot hold the triangle.
  if (needed > 0 && textLength < 2 * needed - 1) {
    Error = "The covariance text is too short for the " + std::to_string(needed) +
            " numbers of dimension " + std::to_string(dim) + ".";
    return false;
  }
  if (whole) {
    if (BoundCov.Rows() != dim || BoundCov.Cols() != dim) {
      Error = "The covariance dimension " + std::to_string(dim) + " does not match its matrix.";
      return false;
    }
    for (std::size_t i = 0; i < dim; ++i)
      if (!(BoundCov.Row(i)[i] >= 0)) {
        Error = "The variance in row " + std::to_string(i + 1) +
                " of the covariance matrix is negative.";
        return false;
      }
    Dim = static_cast<int>(dim);
    Cov = std::move(BoundCov);
    BoundCov = CovarianceMatrix();
    if (BoundBlocks.size() == 2 * dim)
      PointBlocks = std::move(BoundBlocks);
    BoundBlocks.clear();
    CovOk = true;
    return true;
  }
  if (!FitsInMemory(dim * dim * sizeof(double))) {
    Error = "The covariance matrix of dimension " + std::to_string(dim) +
            " does not fit in memory.";
    return false;
  }
  Dim = static_cast<int>(dim);

  CovarianceMatrix m;
  std::vector<long double> blocks;
  try {
    m = CovarianceMatrix(dim, dim, CovarianceMatrix::Start::Unset);
    blocks.assign(dim % 3 == 0 ? 2 * dim : 0, 0.0L);
  } catch (const std::bad_alloc &) {
    Error = "Not enough memory for the covariance matrix of dimension " + std::to_string(dim) + ".";
    return false;
  }

  std::string rowText;
  std::size_t nextRow = 0;
  std::string_view text = CovText;
  std::size_t pos = 0;
  std::optional<kd::NumberTokenStream> stream;
  if (streamed)
    stream.emplace(File.get(), CovBegin, CovEnd);
  std::uint64_t read = 0;
  for (std::size_t i = 0; i < dim; ++i) {
    double *row = m.MutableRow(i);
    for (std::size_t j = i; j < dim; ++j) {
      std::string_view tok;
      if (byRows) {
        tok = NextToken(text, pos);
        while (tok.empty() && nextRow < dim) {
          RowText(nextRow++, rowText);
          text = rowText;
          pos = 0;
          tok = NextToken(text, pos);
        }
      } else if (!streamed) {
        tok = NextToken(text, pos);
      } else if (!stream->Next(tok)) {
        Error = "The results file " + FileName + " cannot be read.";
        return false;
      }
      long double v = 0;
      if (tok.empty()) {
        Error = "The covariance text ends after " + std::to_string(read) + " of the " +
                std::to_string(needed) + " numbers.";
        return false;
      }
      if (!CovarianceNumber(tok, v)) {
        std::string shown(tok);
        std::replace(shown.begin(), shown.end(), ',', '.');
        Error = "Covariance number " + std::to_string(read + 1) + " " + Quote(shown) +
                " is not a valid number.";
        return false;
      }
      if (i == j && v < 0) {
        Error = "The variance in row " + std::to_string(i + 1) +
                " of the covariance matrix is negative.";
        return false;
      }
      ++read;
      row[j] = static_cast<double>(v);
      if (!blocks.empty() && j < i + 3 - i % 3)
        blocks[static_cast<std::size_t>(PointBlockIndex(i, j))] = v;
    }
  }
  // Mirror the upper triangle into the lower one tile by tile: writing
  // column-wise during the scan would touch a new memory page per number.
  constexpr std::size_t kTile = 64;
  for (std::size_t i0 = 0; i0 < dim; i0 += kTile)
    for (std::size_t j0 = i0; j0 < dim; j0 += kTile) {
      const std::size_t i1 = std::min<std::size_t>(i0 + kTile, dim);
      const std::size_t j1 = std::min<std::size_t>(j0 + kTile, dim);
      for (std::size_t j = j0; j < j1; ++j) {
        double *dst = m.MutableRow(j);
        for (std::size_t i = i0; i < i1 && i < j; ++i)
          dst[i] = m.Row(i)[j];
      }
    }
  Cov = std::move(m);
  PointBlocks = std::move(blocks);
  CovOk = true;
  return true;
}

void ResultsReader::ReleaseDocument() {
  DocumentLoaded = false;
  std::vector<kd::ResultsChild>().swap(Children);
  File.reset();
  RowText = nullptr;
  BoundCov = CovarianceMatrix();
  BoundBlocks.clear();
  std::string().swap(CovText);
}

bool ResultsReader::ResultsAre3d() {
  if (!CoordsOk || !CovOk) {
    if (Error.empty())
      Error = "The results are incomplete.";
    return false;
  }
  if (static_cast<std::size_t>(Cov.Rows()) != 3 * static_cast<std::size_t>(Results.Count())) {
    Error = "The covariance matrix has " + std::to_string(Cov.Rows()) + " rows for " +
            std::to_string(Results.Count()) + " points (3 per point).";
    return false;
  }
  return true;
}

ResultsOutcome ReadAdjustedResults(ResultsReader &reader, const std::string &fileName,
                                   ScSvpMode scSvpMode, const PointList &network) {
  if (!reader.Bind(fileName))
    return ResultsOutcome::LoadFailed;
  return ReadBoundResults(reader, scSvpMode, network);
}

ResultsOutcome ReadBoundResults(ResultsReader &reader, ScSvpMode scSvpMode, const PointList &network) {
  const bool coords = reader.ReadCoordinates();
  const std::string coordError = reader.Error;
  const bool cov = reader.ReadCovariance();
  reader.ReleaseDocument();
  // The first failure is the one worth telling.
  if (!coords || !reader.CoordsOk)
    reader.Error = coordError;
  if (!coords || !cov || !reader.ResultsAre3d())
    return ResultsOutcome::Not3d;
  if (scSvpMode == ScSvpMode::WholeNetwork)
    reader.AddNetworkCentring(network);
  return ResultsOutcome::Shown;
}

ResultsOutcome ReadBoundResults(ResultsReader &reader, ScSvpMode scSvpMode, const PointList &network,
                                TextGrid &grid, std::vector<std::string> &chooser1,
                                std::vector<std::string> &chooser2) {
  const ResultsOutcome read = ReadBoundResults(reader, scSvpMode, network);
  if (read != ResultsOutcome::Shown)
    return read;
  if (!reader.FillResultsTable(grid, chooser1, chooser2))
    return ResultsOutcome::TableFailed;
  return ResultsOutcome::Shown;
}

ResultsOutcome ReadResults(ResultsReader &reader, const std::string &fileName, ScSvpMode scSvpMode,
                            const PointList &network, TextGrid &grid,
                            std::vector<std::string> &chooser1,
                            std::vector<std::string> &chooser2) {
  if (!reader.Bind(fileName))
    return ResultsOutcome::LoadFailed;
  return ReadBoundResults(reader, scSvpMode, network, grid, chooser1, chooser2);
}
