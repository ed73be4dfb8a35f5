#pragma once
// The network: points, measurements and the engine input document, with the
// operations that need both points and measurements.
#include "core/measurement_list.h"
#include "core/point_set.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Receives one warning text (UTF-8) for the user.
using WarningCallback = std::function<void(const std::string &)>;

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
  std::uint8_t ScSvpMode = 0;
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

  // The text of the plumbing warning for one measurement and its offset.
  static std::string PlumbingWarningText(double station, double target, long double offset);

  // ---- Defined with the observation precision and the engine input writer.

  // Fills Value and EngineStdDev of every measurement under Points.ScSvpMode.
  // False (with LastWriteFailure set) when a measurement's value or its
  // sensitivity to the coordinates is undefined, or a point is missing.
  bool ComputeObservations();
  // Writes the engine input document into Document and saves it to
  // fileName atomically. False on any failure, leaving an older file as it
  // was; LastWriteFailure names the measurement when one was the cause.
  bool WriteEngineInput(const std::string &fileName);
  FailedMeasurement LastWriteFailure;

  // StdDev := value for every measurement of that type code.
  void SetStdDevOfType(std::uint8_t type, double value);
  // Mean distance between the points of all sd (slope), hd (horizontal) or
  // vd (horizontal) measurements; 0 when there is none.
  long double AverageLengthSd() const;
  long double AverageLengthHd() const;
  long double AverageLengthVd() const;
  // StdDev of every sd / hd from its own length: (a + b*D/1000)/sqrt(n);
  // of every vd: sigmaKm*sqrt(k*D/1000)/sqrt(n). False and nothing changed
  // for a count below 1.
  bool ApplyOneByOneSd(int n, long double a, long double b);
  bool ApplyOneByOneHd(int n, long double a, long double b);
  bool ApplyOneByOneVd(int n, long double sigmaKm, long double k);
};
