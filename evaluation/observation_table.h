#pragma once
// The engine's observation table (PREFIX + "obs.csv"): one row per
// observation in input order with its a-priori and adjusted standard
// deviations, redundancy number and minimal detectable bias.
#include <string>
#include <vector>

struct ObservationRow {
  std::string Type;     // element name: direction, distance, s-distance, ...
  std::string From;     // point ids as in the engine document
  std::string To;
  long double Value = 0;
  long double StdevApriori = 0;  // mm or cc
  long double StdevAdjusted = 0; // mm or cc; NaN when the row has none
  long double Redundancy = 0;    // 0 ... 1
  long double Mdb = 0;           // mm or cc; NaN when unchecked (r ~ 0)
  bool Rejected = false;
};

// How well a gross error in an observation would be seen.
enum class ReliabilityClass { Uncontrolled, Weak, Controlled };
// r < 0.1 uncontrolled, r < 0.3 weakly controlled, otherwise controlled.
ReliabilityClass ReliabilityOf(long double redundancy);

// Reads the table. False, with `error` naming the file and line, when the
// file cannot be read, its header is not the expected one or a row is
// malformed; `rows` is then left empty.
bool ReadObservationTable(const std::string &fileName, std::vector<ObservationRow> &rows,
                          std::string &error);
// The same from the text of a table (for tests and in-memory use).
bool ParseObservationTable(const std::string &text, std::vector<ObservationRow> &rows,
                           std::string &error);

// The point number an engine document id stands for (ids are the point
// numbers written as text); false when the id is not a number.
bool PointNumberOfId(const std::string &id, double &number);
