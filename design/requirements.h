#pragma once
// Precision requirements of a planned network, as kept in the text file
// NAME.req beside the measurement file. One requirement a line, '#' starts
// a comment, blank lines are ignored:
//
//   ellipse POINTS LIMIT_MM            horizontal semi-major axis of each point
//   height POINTS LIMIT_MM             standard deviation of Z of each point
//   relative FROM TO LIMIT_MM          semi-major axis of the relative ellipse
//   across FROM TO BEARING_GON LIMIT_MM  transverse error of TO − FROM at the bearing
//   along FROM TO BEARING_GON LIMIT_MM   longitudinal error of TO − FROM at the bearing
//   distance FROM TO LIMIT_MM          standard deviation of the slope distance
//   redundancy * MIN_R                 every measurement's redundancy number
//   confidence standard|95             level of every limit of the file
//
// POINTS is a point number, a comma list of numbers, or '*' (every adjusted
// point). Limits are millimetres at the file's confidence level (standard
// by default; 95 % scales two-dimensional values by 2.4477 and single
// standard deviations by 1.96). Bearings are gons from +X towards +Y.
#include <string>
#include <vector>

namespace kd::design {

enum class RequirementKind { Ellipse, Height, Relative, Across, Along, Distance, Redundancy };

struct Requirement {
  RequirementKind kind = RequirementKind::Ellipse;
  bool allPoints = false;        // ellipse/height with '*'
  std::vector<double> points;    // ellipse/height: the listed point numbers
  double from = 0, to = 0;       // pair requirements
  double bearingGon = 0;         // across/along
  double limit = 0;              // mm, or the least redundancy number
  int line = 0;                  // 1-based line of the file
  std::string text;              // the line as written, without comment and outer blanks
};

struct RequirementSet {
  std::vector<Requirement> items;
  bool confidence95 = false;
  std::string fileName;
};

// Keyword of a kind ("ellipse", ...).
const char *RequirementKeyword(RequirementKind kind);

// Parses the file's text (UTF-8). On a bad line returns false with `error`
// = "FILE:LINE: reason".
bool ParseRequirements(const std::string &text, const std::string &fileName, RequirementSet &out,
                       std::string &error);

// Reads and parses a requirements file (Windows-1250 text).
bool LoadRequirements(const std::string &path, RequirementSet &out, std::string &error);

// The file text of a set (one line per requirement, confidence first).
std::string FormatRequirements(const RequirementSet &set);

}  // namespace kd::design
