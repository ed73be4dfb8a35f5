#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <exception>
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
  int b2 = 0;
  std::frexp(v, &b2);
  int e = static_cast<int>(std::floor((b2 - 1) * 0.30102999566398120));
  if (e < -18 || e > 18) {
    return std::to_chars(p, p + 32, v, std::chars_format::general, 12).ptr;
  }
  const long long lo = 100000000000LL, hi = 1000000000000LL;
  long long m = std::llround(v * kPow10.v[11 - e + 30]);
  if (m >= hi) {
    ++e;
    m = std::llround(v * kPow10.v[11 - e + 30]);
  } else if (m < lo) {
    --e;
    m = std::llround(v * kPow10.v[11 - e + 30]);
  }
  if (m >= hi) {  // rounding carried into a thirteenth digit
    m = (m + 5) / 10;
    ++e;
  }
  char d[12];
  for (int k = 11; k >= 0; --k) {
    d[k] = static_cast<char>('0' + m % 10);
    m /= 10;
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

std::string ResultsXml(const Network &net, const AdjustmentResult &res) {
  const size_t m = res.points.size();
  const size_t dim = 3 * m;
  std::string out;
  out.reserve(512 + m * 120 + dim * (dim + 1) / 2 * 19);
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
  // Row of every output coordinate in the unknowns, -1 for a constant one.
  std::vector<int> u(dim);
  for (size_t k = 0; k < m; ++k)
    for (int c = 0; c < 3; ++c) u[3 * k + c] = res.unknownOf[res.points[k].point][c];
  // Rows i0..i1 of the upper triangle, one row at a time through a buffer:
  // the symmetric matrix is read down its columns (contiguous in memory) and
  // the text grows by one append per row.
  auto formatRows = [&](size_t i0, size_t i1, std::string &text) {
    std::string row;
    row.resize(dim * 24 + 1);
    for (size_t i = i0; i < i1; ++i) {
      char *p = row.data();
      const bool ri = u[i] >= 0;
      for (size_t j = i; j < dim; ++j) {
        const double v = (ri && u[j] >= 0) ? res.cov(u[j], u[i]) : 0.0;
        p = FormatG12(p, v);
        *p++ = ' ';
      }
      p[-1] = '\n';
      text.append(row.data(), p);
    }
  };
  // Formatting the entries is most of the time of a large network, so the
  // rows are cut into parts of equal numbers of entries, formatted side by
  // side and joined in order: the text is the same for any number of parts.
  // The first part goes straight into the text.
  const size_t entries = dim * (dim + 1) / 2;
  const int parts = entries < 20000 ? 1 : std::max(1, std::min(ThreadCount(), 8));
  std::vector<size_t> first(static_cast<size_t>(parts) + 1, dim);
  first[0] = 0;
  {
    size_t row = 0, done = 0;
    for (int k = 1; k < parts; ++k) {
      const size_t goal = entries / static_cast<size_t>(parts) * static_cast<size_t>(k);
      while (row < dim && done + (dim - row) <= goal) done += dim - row++;
      first[static_cast<size_t>(k)] = row;
    }
  }
  // A part that runs out of memory hands its exception to this thread, which
  // throws it once every part has stopped.
  std::vector<std::string> tails(static_cast<size_t>(parts));
  std::vector<std::exception_ptr> failures(static_cast<size_t>(parts));
  std::vector<std::thread> workers;
  for (int k = 1; k < parts; ++k)
    workers.emplace_back([&, k] {
      const size_t a = first[static_cast<size_t>(k)], b = first[static_cast<size_t>(k) + 1];
      try {
        tails[static_cast<size_t>(k)].reserve((b - a) * (dim - (a + b) / 2 + 1) * 19);
        formatRows(a, b, tails[static_cast<size_t>(k)]);
      } catch (...) {
        failures[static_cast<size_t>(k)] = std::current_exception();
      }
    });
  try {
    formatRows(first[0], first[1], out);
  } catch (...) {
    failures[0] = std::current_exception();
  }
  for (std::thread &w : workers) w.join();
  for (const std::exception_ptr &f : failures)
    if (f) std::rethrow_exception(f);
  for (int k = 1; k < parts; ++k) {
    out += tails[static_cast<size_t>(k)];
    std::string().swap(tails[static_cast<size_t>(k)]);
  }
  out += "</covariance>\n</adjustment-results>\n";
  return out;
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
