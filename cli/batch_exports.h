#pragma once
// The command's exports for other programs: the measurement plan with its
// precision as a DXF drawing (--dxf, --dxf-axes) and the points with their
// precision as CSV (--points-csv). Checked before the run like the other
// outputs, written after it.
#include <iosfwd>
#include <string>
#include <vector>

#include "cli/batch_options.h"

class SurveyNetwork;
class NetworkPrecision;

// Refuses export requests that would lose data or cannot be met: a name
// without the right extension, a folder that does not exist, a name that is
// an input (`inputs`), another output (`outputs`: every other output file
// of the command and the run's own files) or the other export. False with
// `error` in one line.
bool CheckExportRequests(const BatchOptions &opts, const std::vector<std::string> &inputs,
                         const std::vector<std::string> &outputs, std::string &error);

// Writes the requested exports. False when one could not be written (its
// message is on `err`; no partial file is left).
bool WriteExports(const BatchOptions &opts, const SurveyNetwork &network,
                  const NetworkPrecision &precision, std::ostream &out, std::ostream &err);

// Whether the option is one of the exports' and, when it is, reads it (and
// its value from args[i + 1], advancing i). Returns false with `error` set
// on a bad value; `handled` tells whether the option was an export option.
bool ParseExportOption(const std::string &name, bool inlineValue, const std::string &value,
                       const std::vector<std::string> &args, std::size_t &i, BatchOptions &opts,
                       bool &handled, std::string &error);

// Lines of the --help text for the export options.
std::string ExportUsage();
