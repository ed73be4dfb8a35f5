#include "evaluation/points_csv.h"

#include <cctype>
#include <cmath>

#include "core/number_text.h"
#include "core/point_list.h"
#include "core/text_file.h"
#include "evaluation/network_precision.h"

namespace {

// Figures of the precision in full (up to 15 significant digits): a
// spreadsheet rounds them as it shows them, and nothing is lost on the way.
std::string Millimetres(long double v) { return NumToText(v); }

void AppendRow(std::string &out, const std::vector<std::string> &fields) {
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (i > 0)
      out += ',';
    out += CsvField(fields[i]);
  }
  out += "\r\n";
}

} // namespace

std::string CsvField(const std::string &text) {
  if (text.find_first_of(",\"\r\n") == std::string::npos)
    return text;
  std::string out = "\"";
  for (char c : text) {
    if (c == '"')
      out += '"';
    out += c;
  }
  out += '"';
  return out;
}

bool IsCsvFileName(const std::string &fileName) { return kd::HasFileExtension(fileName, "csv"); }

std::string PointsCsvText(const PointList &points, const NetworkPrecision &precision,
                          ConfidenceLevel level) {
  const std::string at = level == ConfidenceLevel::Standard ? " (standard)" : " (95 %)";
  std::string out;
  AppendRow(out, {"number", "X/m", "Y/m", "Z/m", "fixed/adjusted", "\u03c3X/mm" + at,
                  "\u03c3Y/mm" + at, "\u03c3Z/mm" + at, "a/mm" + at, "b/mm" + at,
                  "bearing of a/gon"});
  const long double k1 = LinearFactor(level);
  const long double k2 = EllipseFactor(level);
  for (const NetworkPoint &p : points.Items) {
    const int i = p.Fixed ? -1 : precision.IndexOf(p.Number);
    std::vector<std::string> row{NumToText(p.Number)};
    if (i < 0) {
      for (long double v : {p.X, p.Y, p.Z})
        row.push_back(NumToTextFixed(v, 15, 6));
      row.push_back(p.Fixed ? "fixed" : "adjusted");
      row.resize(11);
    } else {
      const PointPrecision &q = precision.Points[static_cast<std::size_t>(i)];
      for (long double v : {q.X, q.Y, q.Z})
        row.push_back(NumToTextFixed(v, 15, 6));
      row.push_back("adjusted");
      row.push_back(Millimetres(std::sqrt(std::fmax(q.Horizontal.XX, 0.0L)) * k1));
      row.push_back(Millimetres(std::sqrt(std::fmax(q.Horizontal.YY, 0.0L)) * k1));
      row.push_back(Millimetres(q.SigmaZ * k1));
      row.push_back(Millimetres(q.Ellipse.SemiMajor * k2));
      row.push_back(Millimetres(q.Ellipse.SemiMinor * k2));
      row.push_back(NumToTextFixed(q.Ellipse.Bearing, 15, 4));
    }
    AppendRow(out, row);
  }
  return out;
}

bool WritePointsCsv(const std::string &fileName, const PointList &points,
                    const NetworkPrecision &precision, ConfidenceLevel level, std::string &error) {
  error.clear();
  std::string reason;
  if (!kd::WriteFileAtomic(fileName, PointsCsvText(points, precision, level), reason)) {
    error = "cannot write the points file " + fileName + (reason.empty() ? "" : ": " + reason);
    return false;
  }
  return true;
}
