#pragma once
// The network: points, measurements and the engine input document, with the
// operations that need both points and measurements.
#include "core/measurement_list.h"
#include "core/point_set.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// A plumbing whose two points lie more than a centimetre apart horizontally
// in the approximate coordinates (point numbers, offset in metres).
struct PlumbingWarning {
  double Station = 0;
  double Target = 0;
  long double Offset = 0;
};

// Receives one warning of the consistency check; the layer that shows it
// words it (settings/messages.h).
using WarningCallback = std::function<void(const PlumbingWarning &)>;

// The measurement that made the last WriteEngineInput (or
// ComputeObservations) fail, and why.
struct FailedMeasurement {
  bool Valid = false;       // false: the last write did not fail on a measurement
  int Index = -1;           // position in the measurement list at that moment
  double Station = 0;
  double Target = 0;
  std::uint8_t MeasType = 0;
  std::string Reason;       // short English description, for logs and tests
};

// A snapshot of everything an evaluation depends on: the change counters of
// the point and measurement lists and the Sc/Svp mode. Two equal snapshots
// mean nothing the evaluation reads has changed in between.
struct NetworkRevision {
  std::uint64_t Points = 0;
  std::uint64_t Measurements = 0;
  ::ScSvpMode ScSvpMode = ::ScSvpMode::None;
  bool operator==(const NetworkRevision &) const = default;
};

class SurveyNetwork {
public:
  PointSet Points;
  MeasurementList Measurements;
  std::vector<std::string> Document; // engine input lines being written
  double PlumbSigma = 0.005;         // m, vertical sigma of every plumbing vector

  // Default receiver of the plumbing warnings of CheckConsistency (the main
  // window sets it to a message box). Empty: warnings are dropped.
  WarningCallback WarningSink;

  NetworkRevision Revision() const {
    return {Points.List.ChangeCount(), Measurements.ChangeCount(), Points.ScSvpMode};
  }

  // Number of measurements found without points by the last CheckConsistency.
  int LastInvalidCount = 0;

  // True when any measurement refers to a point number missing from the
  // point list; with removeInvalid those measurements are deleted. Then
  // every plumbing whose two points lie more than 0.01 m apart horizontally
  // produces one warning (to `sink`, or to WarningSink when `sink` is empty),
  // in list order. Warnings never change the result.
  bool CheckConsistency(bool removeInvalid);
  bool CheckConsistency(bool removeInvalid, const WarningCallback &sink);

  // Why the last ComputeObservations (precision/observation_sigma.h) or
  // WriteEngineInput (evaluation/input_document.h) failed.
  FailedMeasurement LastWriteFailure;
};
