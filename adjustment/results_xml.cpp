#include <charconv>
#include <cmath>
#include <cstdio>

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
  char num[40];
  for (size_t i = 0; i < dim; ++i) {
    for (size_t j = i; j < dim; ++j) {
      double v = (u[i] >= 0 && u[j] >= 0) ? res.cov(u[i], u[j]) : 0.0;
      if (v == 0) {
        out += '0';
      } else {
        auto r = std::to_chars(num, num + sizeof num, v, std::chars_format::general, 12);
        out.append(num, r.ptr);
      }
      out += (j + 1 == dim) ? '\n' : ' ';
    }
  }
  out += "</covariance>\n</adjustment-results>\n";
  return out;
}

}  // namespace kd::adj
