#include "evaluation/evaluation_results.h"

#include "core/text_file.h"
#include "evaluation/input_document.h"

PreparationFailure PrepareEngineRun(SurveyNetwork &net, const EngineRunFiles &files) {
  // An old result that cannot be removed could be taken for the new one.
  if (!DeleteOutputs(files))
    return PreparationFailure::OldResultsKept;
  if (!WriteEngineInput(net, files.Input))
    return PreparationFailure::InputNotWritten;
  return PreparationFailure::None;
}

void ReadEvaluationResults(EvaluationResults &results, const PointList &network,
                           const std::string &pointNumberHeading, bool readerBound) {
  ResultsReader &reader = results.Reader;
  reader.PointNumberHeading = pointNumberHeading;
  std::vector<std::string> secondChooser;
  if (!readerBound && !reader.Bind(results.Files.Results)) {
    results.Outcome = ResultsOutcome::LoadFailed;
  } else {
    results.Outcome = ReadBoundResults(reader, results.ScSvpMode, network, results.Table,
                                       results.PointChoices, secondChooser);
  }
  results.Error = reader.Error;
  if (!results.Usable())
    return;
  // Without the observation table only the reliability is missing.
  if (!ReadObservationTable(results.Files.ObservationTable, results.Observations,
                            results.ObservationError))
    results.Observations.clear();
  results.Precision =
      std::make_shared<const NetworkPrecision>(BuildNetworkPrecision(reader, results.Observations));
}

std::shared_ptr<EvaluationResults> ReadEvaluationResults(const EngineRunFiles &files, ScSvpMode scSvpMode,
                                                         const PointList &network,
                                                         const std::string &pointNumberHeading) {
  auto results = std::make_shared<EvaluationResults>();
  results->Files = files;
  results->ScSvpMode = scSvpMode;
  ReadEvaluationResults(*results, network, pointNumberHeading);
  return results;
}

EngineFailureReason ReadEngineFailureReason(const EngineRunFiles &files) {
  EngineFailureReason out;
  std::string bytes;
  if (!kd::ReadFileBytes(files.Protocol, bytes))
    return out;
  out.ProtocolRead = true;
  const std::string text = kd::Cp1250ToUtf8(bytes);
  out.Reason = ProtocolFailureReason(text);
  out.SingularNetwork = ProtocolReportsSingularNetwork(text);
  return out;
}
