#pragma once
// The precision of a network that follows single edits of its measurement
// list by updates of its cofactor matrix instead of new adjustments.
//
// Build() writes the network's engine document, reads it with the engine's
// own reader and forms the normal equations with the orientation unknown of
// every direction set kept (a gyro direction's set reduces its orientation
// inside its block), and their inverse, the cofactor matrix Q (mm², cc²):
// as much work as an adjustment. Apply() then takes one edit — a
// measurement added or deleted, or the standard deviation of one changed —
// as a block update of Q by the measurement design's planner
// (design/planner.h: U = Q Rᵀ, Q' = Q − U (±P⁻¹ + R U)⁻¹ Uᵀ), one pass
// over Q. A changed standard deviation adds the measurement with the new one
// and removes it with the old one.
//
// Precision() gives what an evaluation of the same network gives
// (evaluation/network_precision.h): the adjusted points (results order) with
// the covariance of their coordinates in mm², the whole-network centring
// added in Sc/Svp mode 2, and every observation (document order, added ones
// last) with its a-priori and adjusted standard deviations, redundancy
// number and minimal detectable bias. It agrees with a new adjustment of the
// edited network to rounding.
//
// Edits that are not single updates need a new Build, and Apply() says so
// and changes nothing: a changed point, Sc/Svp value or mode, more than one
// changed measurement, a plumbing or gyro direction added or changed, a
// direction from a station without a direction set (a new orientation
// unknown), a deletion that leaves the network singular.
#include <cstdint>
#include <memory>
#include <string>

#include "core/survey_network.h"
#include "evaluation/network_precision.h"

namespace kd::app {

enum class MeasurementEditKind { None, Added, Deleted, SigmaChanged, Other };

struct MeasurementEdit {
  MeasurementEditKind Kind = MeasurementEditKind::None;
  Measurement Before; // Deleted, SigmaChanged: the measurement as it was
  Measurement After;  // Added, SigmaChanged: as it is now
};

// The edit that turns `before` into `after`: the same points (number,
// coordinates, fixed, Sc, Svp), Sc/Svp mode and plumbing sigma, and
// measurement lists that differ by one measurement inserted or removed at
// one place, or by the standard deviation of one measurement. Anything else
// is Other. Measurements are compared by type, station, target and
// standard deviation.
MeasurementEdit FindMeasurementEdit(const SurveyNetwork &before, const SurveyNetwork &after);

class UpdatablePrecision {
public:
  UpdatablePrecision();
  ~UpdatablePrecision();
  UpdatablePrecision(UpdatablePrecision &&) noexcept;
  UpdatablePrecision &operator=(UpdatablePrecision &&) noexcept;

  // Bytes the cofactor matrix of a network with this many points would
  // take (coordinates and one orientation per point), for the decision
  // whether to keep one at all.
  static std::uint64_t MatrixBytes(int points);

  // Forms the cofactor matrix of `net`. False, with `error` in one line,
  // when its document cannot be written or read, or its normal equations
  // are singular beyond a datum defect; the object is then empty.
  bool Build(const SurveyNetwork &net, std::string &error);
  bool Built() const;
  // The network of the last Build or Apply (points, measurements in their
  // list order, Sc/Svp mode, plumbing sigma).
  const SurveyNetwork &Network() const;
  // Applies the edit from Network() to `edited` by an update. False when it
  // is not a single edit the update can make (see above), or nothing is
  // built: nothing changes.
  bool Apply(const SurveyNetwork &edited);
  // Updates applied since the last Build.
  int Updates() const;
  // The precision of Network(); empty when nothing is built.
  NetworkPrecision Precision() const;

private:
  struct State;
  std::unique_ptr<State> S;
};

} // namespace kd::app
