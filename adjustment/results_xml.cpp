#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

#include "adjustment/dense.h"
#include "adjustment/output.h"

namespace kd::adj {

namespace {

// Attribute text: markup characters and everything outside ASCII become
// character references, so the file reads alike in any 8-bit code page.
std::string Escape(const std::string &s) {
  std::string out;
  for (size_t i = 0; i < s.size();) {
    const auto c = static_cast<unsigned char>(s[i]);
    if (c < 0x80) {
      switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&apos;"; break;
        default:
          if (c < 0x20) out += "&#" + std::to_string(c) + ";";
          else out += static_cast<char>(c);
      }
      ++i;
      continue;
    }
    int len = (c & 0xE0) == 0xC0 ? 2 : (c & 0xF0) == 0xE0 ? 3 : (c & 0xF8) == 0xF0 ? 4 : 1;
    char32_t cp = len == 2 ? (c & 0x1F) : len == 3 ? (c & 0x0F) : len == 4 ? (c & 0x07) : 0xFFFD;
    if (i + len > s.size()) len = 1, cp = 0xFFFD;
    for (int k = 1; k < len; ++k) cp = (cp << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
    out += "&#" + std::to_string(static_cast<unsigned long>(cp)) + ";";
    i += len;
  }
  return out;
}

void AppendFixed(std::string &out, double v, int decimals) {
  char buf[64];
  auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, decimals);
  out.append(buf, r.ptr);
}

// Powers of ten 10^-30 .. 10^30 for the fast formatter.
struct Pow10Table {
  double v[61];
  Pow10Table() {
    for (int k = -30; k <= 30; ++k) v[k + 30] = std::pow(10.0, k);
  }
};
const Pow10Table kPow10;

constexpr char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

// Writes v with 12 significant digits, trailing zeros dropped: plain
// decimals for 1e-5 <= |v| < 1e12, otherwise mantissa and exponent. About
// five times faster than the general library formatting, which matters for
// the tens of millions of covariance entries of a large network.
char *FormatG12(char *p, double v) {
  if (v == 0) {
    *p++ = '0';
    return p;
  }
  if (v < 0) {
    *p++ = '-';
    v = -v;
  }
  // Decimal exponent from the binary one; off by at most one, which the
  // range checks of the scaled mantissa below correct.
  // (the biased exponent field; subnormals fall to the library below).
  const int b2 = static_cast<int>((std::bit_cast<std::uint64_t>(v) >> 52) & 0x7FF) - 1022;
  int e = static_cast<int>(std::floor((b2 - 1) * 0.30102999566398120));
  if (e < -18 || e > 18) {
    return std::to_chars(p, p + 32, v, std::chars_format::general, 12).ptr;
  }
  // Rounded to the nearest, halves up: the scaled value lies near 1e11 to
  // 1e12, where adding a half is exact, so this is llround without a call.
  const auto round = [](double x) { return static_cast<long long>(x + 0.5); };
  const long long lo = 100000000000LL, hi = 1000000000000LL;
  long long m = round(v * kPow10.v[11 - e + 30]);
  if (m >= hi) {
    ++e;
    m = round(v * kPow10.v[11 - e + 30]);
  } else if (m < lo) {
    --e;
    m = round(v * kPow10.v[11 - e + 30]);
  }
  if (m >= hi) {  // rounding carried into a thirteenth digit
    m = (m + 5) / 10;
    ++e;
  }
  char d[12];
  for (int k = 10; k >= 0; k -= 2) {  // two digits at a time
    const auto pair = static_cast<size_t>(m % 100) * 2;
    m /= 100;
    d[k] = kDigitPairs[pair];
    d[k + 1] = kDigitPairs[pair + 1];
  }
  int nd = 12;
  while (nd > 1 && d[nd - 1] == '0') --nd;
  if (e >= -5 && e < 12) {
    if (e < 0) {
      *p++ = '0';
      *p++ = '.';
      for (int k = -1; k > e; --k) *p++ = '0';
      for (int k = 0; k < nd; ++k) *p++ = d[k];
    } else {
      for (int k = 0; k <= e; ++k) *p++ = k < nd ? d[k] : '0';
      if (nd > e + 1) {
        *p++ = '.';
        for (int k = e + 1; k < nd; ++k) *p++ = d[k];
      }
    }
    return p;
  }
  *p++ = d[0];
  if (nd > 1) {
    *p++ = '.';
    for (int k = 1; k < nd; ++k) *p++ = d[k];
  }
  *p++ = 'e';
  return std::to_chars(p, p + 8, e).ptr;
}

}  // namespace

namespace {

// The text before the covariance entries: summary, points, covariance tag.
std::string ResultsHead(const Network &net, const AdjustmentResult &res) {
  const size_t m = res.points.size();
  const size_t dim = 3 * m;
  std::string out;
  out.reserve(512 + m * 120);
  out += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<adjustment-results>\n";
  char buf[512];
  std::snprintf(buf, sizeof buf,
                "<summary points=\"%zu\" observations=\"%d\" rejected=\"%d\" unknowns=\"%d\" "
                "redundancy=\"%d\" defect=\"%d\" sigma0=\"%.6g\" sigma-act=\"%s\" "
                "units=\"m mm2\" />\n",
                m, res.observationsUsed, res.observationsRejected,
                res.coordUnknowns + res.orientationUnknowns, res.redundancy, res.defect,
                res.sigmaUsed, res.aposterioriUsed ? "aposteriori" : "apriori");
  out += buf;
  for (const PointResult &p : res.points) {
    out += "<point id=\"";
    out += Escape(net.points[p.point].id);
    out += "\" x=\"";
    AppendFixed(out, p.coord[0], 7);
    out += "\" y=\"";
    AppendFixed(out, p.coord[1], 7);
    out += "\" z=\"";
    AppendFixed(out, p.coord[2], 7);
    out += "\" />\n";
  }
  out += "<covariance dim=\"" + std::to_string(dim) + "\" unit=\"mm2\">\n";
  return out;
}

const char *const kResultsTail = "</covariance>\n</adjustment-results>\n";

// Entries of the upper triangle in one piece of the covariance text: large
// enough that a piece costs far more than handing it over, small enough
// that the pieces in flight stay a few megabytes each.
constexpr size_t kPieceEntries = size_t{1} << 18;

// The covariance text, cut into pieces of whole rows that are formatted
// side by side on `threads` threads and handed to `out` strictly in order,
// while at most a few pieces per thread wait: the text never exists whole,
// and writing a piece overlaps formatting the next ones. The text is the
// same for any number of threads.
class CovarianceText {
 public:
  CovarianceText(const AdjustmentResult &res, int threads) : res_(res) {
    const size_t m = res.points.size();
    dim_ = 3 * m;
    u_.resize(dim_);
    for (size_t k = 0; k < m; ++k)
      for (int c = 0; c < 3; ++c) u_[3 * k + c] = res.unknownOf[res.points[k].point][c];
    first_.push_back(0);
    size_t inPiece = 0;
    for (size_t row = 0; row < dim_; ++row) {
      inPiece += dim_ - row;
      if (inPiece >= kPieceEntries) {
        first_.push_back(row + 1);
        inPiece = 0;
      }
    }
    if (first_.back() != dim_) first_.push_back(dim_);
    pieces_ = first_.size() - 1;
    threads_ = static_cast<size_t>(std::max(1, threads));
    if (pieces_ < 2) threads_ = 1;
    threads_ = std::min(threads_, pieces_);
  }

  // Hands every piece to `out`; the first nonzero error it returns stops
  // the text and is returned. An exception of a formatting thread is thrown
  // here once every thread has stopped.
  int Write(const ByteSink &out) {
    if (threads_ <= 1) {
      std::string text;
      for (size_t k = 0; k < pieces_; ++k) {
        text.clear();
        FormatRows(first_[k], first_[k + 1], text);
        if (const int error = out(text)) return error;
      }
      return 0;
    }
    window_ = 2 * threads_;
    slots_.assign(window_, std::string());
    ready_.assign(pieces_, 0);
    std::vector<std::thread> workers;
    int error = 0;
    try {
      for (size_t t = 0; t < threads_; ++t) workers.emplace_back([this] { Work(); });
      for (size_t k = 0; k < pieces_ && error == 0; ++k) {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [&] { return ready_[k] != 0 || failure_; });
        if (failure_) break;
        lock.unlock();
        error = out(slots_[k % window_]);
        lock.lock();
        written_ = k + 1;
        changed_.notify_all();
      }
    } catch (...) {
      Stop(workers);
      throw;
    }
    Stop(workers);
    if (failure_) std::rethrow_exception(failure_);
    return error;
  }

 private:
  // Rows i0..i1 of the upper triangle, appended to `text` one row at a
  // time through a buffer; the symmetric matrix is read down its columns
  // (contiguous in memory).
  void FormatRows(size_t i0, size_t i1, std::string &text) const {
    std::string row;
    row.resize(dim_ * 24 + 1);
    std::vector<double> column(static_cast<size_t>(res_.cov.rows()));
    for (size_t i = i0; i < i1; ++i) {
      char *p = row.data();
      const bool ri = u_[i] >= 0;
      // The unknowns are numbered for a narrow band, not in point order, so
      // a row of the text reads its column in a scattered order: the column
      // is first copied whole, which the processor streams from memory, and
      // then read from the cache.
      if (ri)
        std::copy_n(res_.cov.col(u_[i]).data(), column.size(), column.begin());
      for (size_t j = i; j < dim_; ++j) {
        const double v = (ri && u_[j] >= 0) ? column[static_cast<size_t>(u_[j])] : 0.0;
        p = FormatG12(p, v);
        *p++ = ' ';
      }
      p[-1] = '\n';
      text.append(row.data(), p);
    }
  }

  // A formatting thread: takes the next piece whose slot the writer has
  // emptied, formats it there and marks it ready.
  void Work() {
    try {
      for (;;) {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [&] { return stop_ || next_ >= pieces_ || next_ < written_ + window_; });
        if (stop_ || next_ >= pieces_) return;
        const size_t k = next_++;
        lock.unlock();
        std::string &slot = slots_[k % window_];
        slot.clear();
        FormatRows(first_[k], first_[k + 1], slot);
        lock.lock();
        ready_[k] = 1;
        changed_.notify_all();
      }
    } catch (...) {
      std::lock_guard<std::mutex> lock(mutex_);
      if (!failure_) failure_ = std::current_exception();
      changed_.notify_all();
    }
  }

  void Stop(std::vector<std::thread> &workers) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      stop_ = true;
      changed_.notify_all();
    }
    for (std::thread &w : workers) w.join();
  }

  const AdjustmentResult &res_;
  size_t dim_ = 0;
  std::vector<int> u_;        // row of each output coordinate in the unknowns, -1: constant
  std::vector<size_t> first_; // first row of each piece, and dim_ at the end
  size_t pieces_ = 0, threads_ = 1, window_ = 1;
  std::vector<std::string> slots_;  // piece k is formatted in slot k % window_
  std::vector<char> ready_;         // piece k is formatted and not yet written
  std::mutex mutex_;
  std::condition_variable changed_;
  size_t next_ = 0;     // the next piece a thread takes
  size_t written_ = 0;  // pieces handed to the output
  bool stop_ = false;
  std::exception_ptr failure_;
};

}  // namespace

int WriteResultsXml(const Network &net, const AdjustmentResult &res, const ByteSink &out) {
  if (const int error = out(ResultsHead(net, res))) return error;
  // A text of one piece is formatted on this thread alone.
  if (const int error = CovarianceText(res, std::min(ThreadCount(), 8)).Write(out)) return error;
  return out(kResultsTail);
}

std::string ResultsXml(const Network &net, const AdjustmentResult &res) {
  std::string text;
  const size_t dim = 3 * res.points.size();
  text.reserve(512 + res.points.size() * 120 + dim * (dim + 1) / 2 * 19);
  WriteResultsXml(net, res, [&text](std::string_view piece) {
    text += piece;
    return 0;
  });
  return text;
}

}  // namespace kd::adj

namespace kd::adj {
std::string FormatCovarianceEntry(double v) {
  char buf[48];
  return std::string(buf, FormatG12(buf, v));
}
}  // namespace kd::adj

namespace kd::adj {
char *WriteCovarianceEntry(char *p, double v) { return FormatG12(p, v); }
std::string FormatCoordinate(double v) {
  std::string s;
  AppendFixed(s, v, 7);
  return s;
}
}  // namespace kd::adj
