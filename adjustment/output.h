#pragma once
// The two output files of a run: the XML results (adjusted points and the
// covariance of their coordinates) and the text protocol for the surveyor.
#include <string>
#include <vector>

#include "adjustment/adjust.h"
#include "adjustment/network.h"
#include "core/text_file.h"

namespace kd::adj {

using kd::ByteSink;

// XML results. The document element's children are, in this order: one
// summary element (more than four attributes, the first a number), one
// element per point with an adjusted coordinate with exactly the four
// attributes id, x, y, z (input order), and last the covariance element whose
// first attribute is its dimension (3 per point) and whose text is the upper
// triangle row by row, X, Y, Z per point, in mm². Constant coordinates of a
// partly adjusted point have zero rows. All text is ASCII.
std::string ResultsXml(const Network &net, const AdjustmentResult &res);
// The same text handed to `out` piece by piece, in order, so that a large
// network's text never exists whole; the covariance entries are formatted
// on the engine's threads. Returns 0, or the first nonzero error `out`
// returned (the text then stops there).
int WriteResultsXml(const Network &net, const AdjustmentResult &res, const ByteSink &out);

// Observation table, UTF-8 CSV with CR LF line ends: a header row and one
// row per observation in document order with the columns type (the
// document's element name; dx, dy, dz for vector components), from, to,
// value (as written in the document), stdev_apriori and stdev_adjusted (mm
// or cc), redundancy (0..1), mdb (mm or cc; empty when the observation is
// not checked) and rejected (1 when left out by the absolute-term test; its
// adjusted columns are then empty).
std::string ObservationTableCsv(const Network &net, const AdjustmentResult &res);

// The document's element name of an observation kind ("direction",
// "s-distance", ...; "dx", "dy", "dz" for vector components), as the
// observation table writes it.
const char *ElementName(ObsKind kind);

// What the protocol reports about the run itself.
struct RunInfo {
  std::string inputPath;
  std::string encoding;
  std::string language;
  std::vector<std::string> notes;  // remarks about the command line
};

// Number text of the covariance entries: 12 significant digits.
std::string FormatCovarianceEntry(double v);
// The same written at `p` (room for 32 characters); returns the end.
char *WriteCovarianceEntry(char *p, double v);
// Number text of the coordinates: 7 decimals.
std::string FormatCoordinate(double v);

// Protocol of an adjusted network, or of a failed adjustment.
std::vector<std::string> ProtocolLines(const RunInfo &run, const Network &net,
                                       const AdjustmentResult &res);

// Protocol of a run that stopped before the adjustment (unreadable file,
// faulty document). `line` 0 means the fault has no line.
std::vector<std::string> ErrorProtocolLines(const RunInfo &run, const std::string &what,
                                            int line);

}  // namespace kd::adj
