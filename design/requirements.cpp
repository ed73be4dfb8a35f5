#include "design/requirements.h"

#include <cmath>
#include <sstream>

#include "adjustment/reader.h"
#include "core/number_text.h"
#include "core/text_file.h"

namespace kd::design {

namespace {

std::vector<std::string> Fields(const std::string &line) {
  std::vector<std::string> out;
  std::istringstream in(line);
  std::string f;
  while (in >> f) out.push_back(f);
  return out;
}

bool Number(const std::string &text, double &v) {
  return kd::adj::ParseNumber(text, v) && std::isfinite(v);
}

std::string Trim(const std::string &s) {
  const auto b = s.find_first_not_of(" \t\r\n");
  if (b == std::string::npos) return "";
  const auto e = s.find_last_not_of(" \t\r\n");
  return s.substr(b, e - b + 1);
}

}  // namespace

const char *RequirementKeyword(RequirementKind kind) {
  switch (kind) {
    case RequirementKind::Ellipse: return "ellipse";
    case RequirementKind::Height: return "height";
    case RequirementKind::Relative: return "relative";
    case RequirementKind::Across: return "across";
    case RequirementKind::Along: return "along";
    case RequirementKind::Distance: return "distance";
    case RequirementKind::Redundancy: return "redundancy";
  }
  return "";
}

bool ParseRequirements(const std::string &text, const std::string &fileName, RequirementSet &out,
                       std::string &error) {
  out = RequirementSet();
  out.fileName = fileName;
  const std::vector<std::string> lines = kd::SplitLines(text);
  bool confidenceSeen = false;
  for (size_t i = 0; i < lines.size(); ++i) {
    const int lineNo = static_cast<int>(i) + 1;
    auto fail = [&](const std::string &why) {
      error = fileName + ":" + std::to_string(lineNo) + ": " + why;
      return false;
    };
    std::string line = lines[i];
    if (const auto hash = line.find('#'); hash != std::string::npos) line.erase(hash);
    line = Trim(line);
    if (line.empty()) continue;
    const std::vector<std::string> f = Fields(line);
    const std::string &key = f[0];
    auto expect = [&](size_t count, const char *form) {
      if (f.size() == count) return true;
      fail(std::string("'") + key + "' takes " + form);
      return false;
    };
    auto limitAt = [&](size_t k, double &limit) {
      if (!Number(f[k], limit)) return fail("'" + f[k] + "' is not a number");
      if (!(limit > 0)) return fail("the limit " + f[k] + " must be greater than zero");
      return true;
    };
    auto pointAt = [&](size_t k, double &number) {
      if (!Number(f[k], number)) return fail("'" + f[k] + "' is not a point number");
      return true;
    };
    Requirement r;
    r.line = lineNo;
    r.text = line;
    if (key == "confidence") {
      if (!expect(2, "one word: standard or 95")) return false;
      if (confidenceSeen) return fail("the confidence is given twice");
      if (f[1] == "standard") out.confidence95 = false;
      else if (f[1] == "95") out.confidence95 = true;
      else return fail("the confidence must be standard or 95, not '" + f[1] + "'");
      confidenceSeen = true;
      continue;
    }
    if (key == "ellipse" || key == "height") {
      if (!expect(3, "POINTS LIMIT_MM")) return false;
      r.kind = key == "ellipse" ? RequirementKind::Ellipse : RequirementKind::Height;
      if (f[1] == "*") {
        r.allPoints = true;
      } else {
        std::string item;
        std::istringstream list(f[1]);
        while (std::getline(list, item, ',')) {
          double n = 0;
          if (item.empty()) return fail("the point list '" + f[1] + "' has an empty entry");
          if (!Number(item, n)) return fail("'" + item + "' is not a point number");
          r.points.push_back(n);
        }
        if (r.points.empty() || f[1].back() == ',')
          return fail("the point list '" + f[1] + "' has an empty entry");
      }
      if (!limitAt(2, r.limit)) return false;
    } else if (key == "relative" || key == "distance") {
      if (!expect(4, "FROM TO LIMIT_MM")) return false;
      r.kind = key == "relative" ? RequirementKind::Relative : RequirementKind::Distance;
      if (!pointAt(1, r.from) || !pointAt(2, r.to) || !limitAt(3, r.limit)) return false;
    } else if (key == "across" || key == "along") {
      if (!expect(5, "FROM TO BEARING_GON LIMIT_MM")) return false;
      r.kind = key == "across" ? RequirementKind::Across : RequirementKind::Along;
      if (!pointAt(1, r.from) || !pointAt(2, r.to)) return false;
      if (!Number(f[3], r.bearingGon)) return fail("'" + f[3] + "' is not a bearing in gon");
      if (!limitAt(4, r.limit)) return false;
    } else if (key == "redundancy") {
      if (!expect(3, "* MIN_R")) return false;
      r.kind = RequirementKind::Redundancy;
      if (f[1] != "*") return fail("'redundancy' applies to every measurement: write '*', not '" + f[1] + "'");
      r.allPoints = true;
      if (!Number(f[2], r.limit)) return fail("'" + f[2] + "' is not a number");
      if (!(r.limit > 0 && r.limit < 1))
        return fail("the least redundancy number " + f[2] + " must lie between 0 and 1");
    } else {
      return fail("unknown requirement '" + key +
                  "' (ellipse, height, relative, across, along, distance, redundancy, confidence)");
    }
    if ((r.kind == RequirementKind::Relative || r.kind == RequirementKind::Distance ||
         r.kind == RequirementKind::Across || r.kind == RequirementKind::Along) &&
        r.from == r.to)
      return fail("FROM and TO are the same point " + f[1]);
    out.items.push_back(std::move(r));
  }
  if (out.items.empty()) {
    error = fileName + ": the file holds no requirement";
    return false;
  }
  return true;
}

bool LoadRequirements(const std::string &path, RequirementSet &out, std::string &error) {
  std::string bytes;
  if (!kd::ReadFileBytes(path, bytes)) {
    error = "cannot read the requirements file " + path;
    return false;
  }
  return ParseRequirements(kd::Cp1250ToUtf8(bytes), path, out, error);
}

std::string FormatRequirements(const RequirementSet &set) {
  std::string s = std::string("confidence ") + (set.confidence95 ? "95" : "standard") + "\n";
  for (const Requirement &r : set.items) s += r.text + "\n";
  return s;
}

}  // namespace kd::design
