#pragma once
// The points of a network with their precision as a table for spreadsheets:
// RFC 4180 text (comma separated, fields with a comma, quote or line end in
// double quotes, CR LF line ends), UTF-8, decimal point.
//
// One header row naming every column with its unit and the confidence
// level, then one row per point of the network in its order:
//   number, X/m, Y/m, Z/m, fixed/adjusted,
//   σX/mm, σY/mm, σZ/mm   standard deviations, times 1.96 at the 95 % level
//   a/mm, b/mm            semi-axes of the horizontal error ellipse, times
//                         2.4477 at the 95 % level
//   bearing of a/gon      from +X towards +Y, in [0, 200)
// Adjusted points carry the adjusted coordinates of the results; fixed
// points (and adjusted points missing from the results) their coordinates
// from the network and empty precision fields. Coordinates have six
// decimals, as in the results table; millimetres are given in full (up to 15
// significant digits, so that nothing is lost), the bearing to 0.0001 gon.
#include <string>

#include "analysis/error_ellipse.h"

class PointList;
class NetworkPrecision;

// The whole file.
std::string PointsCsvText(const PointList &points, const NetworkPrecision &precision,
                          ConfidenceLevel level);

// Writes PointsCsvText atomically. False with `error` set (the system's
// reason included) when the file cannot be written; nothing is left then.
bool WritePointsCsv(const std::string &fileName, const PointList &points,
                    const NetworkPrecision &precision, ConfidenceLevel level, std::string &error);

// A field of a CSV row: quoted when it holds a comma, a double quote, a CR
// or an LF, with its quotes doubled.
std::string CsvField(const std::string &text);

// True when the name ends in ".csv" (any case).
bool IsCsvFileName(const std::string &fileName);
