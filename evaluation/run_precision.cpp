#include "evaluation/run_precision.h"

#include "evaluation/observation_table.h"
#include "evaluation/results_reader.h"

bool ReadRunPrecision(const EngineRunFiles &files, int scSvpMode, const PointList &network,
                      NetworkPrecision &precision, std::string &error, std::string &warning) {
  error.clear();
  warning.clear();
  ResultsReader reader;
  switch (ReadAdjustedResults(reader, files.Results, scSvpMode, network)) {
  case ResultsOutcome::LoadFailed:
    error = reader.Error.empty() ? "cannot read " + files.Results : reader.Error;
    return false;
  case ResultsOutcome::Shown:
    break;
  default:
    error = reader.Error.empty() ? "the results are not complete 3D results" : reader.Error;
    return false;
  }
  std::vector<ObservationRow> rows;
  std::string tableError;
  if (!ReadObservationTable(files.ObservationTable, rows, tableError)) {
    rows.clear();
    warning = tableError;
  }
  precision = BuildNetworkPrecision(reader, rows);
  return true;
}
