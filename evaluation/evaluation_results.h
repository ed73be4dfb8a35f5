#pragma once
// One evaluation, from the network to its results, without any window: the
// steps every caller takes (the desktop's evaluation, its live precision
// and the headless command), and the one results object they all read.
//
// The pipeline:
//   CheckBeforeEvaluation (evaluation.h)   drop measurements without points
//   net.Measurements.Sort()                 engine order
//   PrepareEngineRun                        old outputs gone, engine input written
//   run the engine (a child process polled by EnginePoll, RunEngineAndWait,
//                   or the engine library in this process)
//   ReadEvaluationResults / ReadBoundEvaluationResults
//
// The results file and the observation table are read exactly once, into
// EvaluationResults; the results table, the point choosers, the precision
// (ellipses, reliability, relative precision), the report and the exports
// are all made from it.
#include <memory>
#include <string>
#include <vector>

#include "core/point_list.h"
#include "core/survey_network.h"
#include "core/text_grid.h"
#include "evaluation/evaluation.h"
#include "evaluation/network_precision.h"
#include "evaluation/observation_table.h"
#include "evaluation/results_reader.h"

// Why an engine run could not be prepared.
enum class PreparationFailure {
  None,
  OldResultsKept, // an output of an earlier run could not be deleted
  InputNotWritten // the engine input was refused (net.LastWriteFailure says why)
                  // or could not be written
};

// Deletes the outputs of an earlier run and writes the engine input of
// `net` (measurements already checked and sorted) to files.Input. The
// network's LastWriteFailure and Document are those of the write.
PreparationFailure PrepareEngineRun(SurveyNetwork &net, const EngineRunFiles &files);

// The results of one completed engine run, read once.
class EvaluationResults {
public:
  EvaluationResults() = default;
  EvaluationResults(const EvaluationResults &) = delete;
  EvaluationResults &operator=(const EvaluationResults &) = delete;

  // Shown: everything below can be used. Otherwise Error says why (the
  // results file is missing or no XML, not complete 3D results, or an
  // error ellipsoid cannot be computed).
  ResultsOutcome Outcome = ResultsOutcome::LoadFailed;
  std::string Error;

  EngineRunFiles Files; // the files of the run
  ::ScSvpMode ScSvpMode = ::ScSvpMode::None; // the mode the results were read in

  // The adjusted points and their covariance (with the whole-network
  // centring in mode 2); it also computes distances and their precision
  // and saves the table and the covariance. Its scratch state (PairCov,
  // Error) changes with every calculation.
  ResultsReader Reader;
  // The results table (heading first) and the points in table order.
  TextGrid Table;
  std::vector<std::string> PointChoices;

  // The engine's observation table; empty with ObservationError set when
  // it is missing or unreadable (then there is no reliability).
  std::vector<ObservationRow> Observations;
  std::string ObservationError;

  // Points, ellipses, relative precision and reliability, built from the
  // two above; null unless Outcome is Shown.
  std::shared_ptr<const NetworkPrecision> Precision;

  bool Usable() const { return Outcome == ResultsOutcome::Shown; }
};

// Reads the results of a run from its files: the results document (with
// the whole-network centring of `network` when scSvpMode is 2), the
// results table with `pointNumberHeading` over the point numbers, and the
// observation table. Never null.
std::shared_ptr<EvaluationResults> ReadEvaluationResults(const EngineRunFiles &files,
                                                         ScSvpMode scSvpMode,
                                                         const PointList &network,
                                                         const std::string &pointNumberHeading);

// Reads into `results`, whose Files and ScSvpMode the caller has set. With
// `readerBound` the reader is bound already to results handed over in
// memory (the engine run in this process, see cli/in_process_engine.h);
// otherwise it reads Files.Results.
void ReadEvaluationResults(EvaluationResults &results, const PointList &network,
                           const std::string &pointNumberHeading, bool readerBound = false);

// The reason an engine run ended without results, from its protocol.
struct EngineFailureReason {
  bool ProtocolRead = false;   // the protocol exists and could be read
  std::string Reason;          // see ProtocolFailureReason; "" when none is named
  bool SingularNetwork = false; // see ProtocolReportsSingularNetwork
};
EngineFailureReason ReadEngineFailureReason(const EngineRunFiles &files);
