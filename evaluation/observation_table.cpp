#include "evaluation/observation_table.h"

#include <cmath>
#include <limits>

#include "core/number_text.h"
#include "core/text_file.h"

namespace {

const char *const kHeader =
    "type,from,to,value,stdev_apriori,stdev_adjusted,redundancy,mdb,rejected";

// Splits one CSV line: fields separated by commas, a field in double quotes
// may hold commas and doubled quotes. False on an unterminated quote.
bool SplitCsvLine(const std::string &line, std::vector<std::string> &fields) {
  fields.clear();
  std::string field;
  bool quoted = false;
  for (std::size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (quoted) {
      if (c == '"') {
        if (i + 1 < line.size() && line[i + 1] == '"') {
          field += '"';
          ++i;
        } else {
          quoted = false;
        }
      } else {
        field += c;
      }
    } else if (c == '"') {
      quoted = true;
    } else if (c == ',') {
      fields.push_back(field);
      field.clear();
    } else {
      field += c;
    }
  }
  if (quoted)
    return false;
  fields.push_back(field);
  return true;
}

bool Number(const std::string &text, long double &value, bool emptyIsNaN) {
  if (text.empty()) {
    if (!emptyIsNaN)
      return false;
    value = std::numeric_limits<long double>::quiet_NaN();
    return true;
  }
  return TryTextToNum(text, value) && std::isfinite(value);
}

} // namespace

ReliabilityClass ReliabilityOf(long double redundancy) {
  if (redundancy < 0.1L)
    return ReliabilityClass::Uncontrolled;
  if (redundancy < 0.3L)
    return ReliabilityClass::Weak;
  return ReliabilityClass::Controlled;
}

bool ParseObservationTable(const std::string &text, std::vector<ObservationRow> &rows,
                           std::string &error) {
  rows.clear();
  const std::vector<std::string> lines = kd::SplitLines(text);
  std::size_t first = 0;
  while (first < lines.size() && lines[first].empty())
    ++first;
  if (first == lines.size() || lines[first] != kHeader) {
    error = "not an observation table (line 1)";
    return false;
  }
  std::vector<ObservationRow> out;
  std::vector<std::string> f;
  for (std::size_t i = first + 1; i < lines.size(); ++i) {
    if (lines[i].empty())
      continue;
    const std::string where = " (line " + std::to_string(i + 1) + ")";
    if (!SplitCsvLine(lines[i], f) || f.size() != 9) {
      error = "a row does not have nine fields" + where;
      return false;
    }
    ObservationRow r;
    r.Type = f[0];
    r.From = f[1];
    r.To = f[2];
    if (!Number(f[3], r.Value, false) || !Number(f[4], r.StdevApriori, false) ||
        !Number(f[5], r.StdevAdjusted, true) || !Number(f[6], r.Redundancy, false) ||
        !Number(f[7], r.Mdb, true) || (f[8] != "0" && f[8] != "1")) {
      error = "a number cannot be read" + where;
      return false;
    }
    r.Rejected = f[8] == "1";
    out.push_back(std::move(r));
  }
  rows = std::move(out);
  error.clear();
  return true;
}

bool ReadObservationTable(const std::string &fileName, std::vector<ObservationRow> &rows,
                          std::string &error) {
  rows.clear();
  std::string bytes;
  if (!kd::ReadFileBytes(fileName, bytes)) {
    error = "cannot read " + fileName;
    return false;
  }
  if (!ParseObservationTable(bytes, rows, error)) {
    error = fileName + ": " + error;
    return false;
  }
  return true;
}

bool PointNumberOfId(const std::string &id, double &number) {
  long double v = 0;
  if (!TryTextToNum(id, v) || !std::isfinite(v))
    return false;
  number = static_cast<double>(v);
  return true;
}
