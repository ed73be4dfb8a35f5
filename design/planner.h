#pragma once
// Measurement design on the cofactor matrix of the network: the effect of
// adding or removing a measurement by a block (rank-k) update of Q,
// requirement values and margins, the ranked next best measurements, the
// optimised plan (greedy → prune → one-in/one-out exchange) and the critical
// and low-value planned measurements.
//
// Update of Q by a block with rows R (k × n) and weight P (k × k):
//   U = Q Rᵀ, D = ±P⁻¹ + R U,  Q' = Q − U D⁻¹ Uᵀ   (+ adds, − removes).
// A functional g changes by gᵀQ'g = gᵀQg − (Uᵀg)ᵀ D⁻¹ (Uᵀg); a block's
// residual cofactor by −(R_j U) D⁻¹ (R_j U)ᵀ. Direction sets keep their
// orientation unknowns in Q, so an update equals a full re-adjustment.
// Removing fails when P⁻¹ − R Q Rᵀ is singular: the measurement is not
// checked by any other, and its loss leaves the network singular.
//
// Values are millimetres at the requirement file's confidence level, or
// redundancy numbers. Margins: limit − value (mm) or value − limit
// (redundancy); relative margins divide by the limit.
#include <functional>
#include <string>
#include <vector>

#include "adjustment/network.h"
#include "adjustment/normal_system.h"
#include "design/requirements.h"

namespace kd::design {

// One measurement of the plan or a candidate for it.
struct Unit {
  bool planned = false;      // in the measurement file
  bool active = false;       // part of the current plan
  std::string label;         // e.g. "gd 401 -> 402"
  int station = -1;          // point index of its instrument station (set-up cost), -1: none
  int observations = 1;      // observations it costs
  kd::adj::WeightedBlock block;
  bool ownSet = false;       // its directions form a set of their own (a gyro direction)
  int measurement = -1;      // index into the caller's measurement list
  // Candidates: the observations it adds to the engine network. A direction
  // with cluster >= 0 joins that set; with ownSet the directions form a new
  // set together with a reference direction of `referenceSigma` (cc) to a
  // fixed point 10 km along +X from the station.
  std::vector<kd::adj::Observation> additions;
  double referenceSigma = 0.01;
};

// One evaluated quantity of a requirement (a requirement with '*' or a
// point list has one check per point).
enum class CheckKind { Planar, Linear, Redundancy };
struct Check {
  int requirement = -1;
  CheckKind kind = CheckKind::Linear;
  std::string subject;            // e.g. "401" or "401 - 404"
  kd::adj::DesignRow g[2];        // functionals over the unknowns (Planar: two)
  double factor = 1;              // confidence factor
};

// Compiles the requirements on the network. `pointOf` maps a point number
// to its index in `net` (-1: none). False with `error` "FILE:LINE: reason"
// when a requirement names a missing point or one that cannot be judged.
bool CompileChecks(const kd::adj::Network &net, const kd::adj::NormalSystem &sys,
                   const RequirementSet &reqs, const std::vector<double> &pointNumbers,
                   std::vector<Check> &checks, std::string &error);

struct RequirementValue {
  double value = 0;      // worst over its checks
  double margin = 0;     // limit − value (mm) or value − limit (redundancy)
  double relative = 0;   // margin / limit
  bool holds = true;
  std::string subject;   // of the worst check
};

struct Effect {
  bool ok = false;                       // false: the removal leaves the network singular
  std::vector<RequirementValue> values;
  double cost = 0;                       // of adding, or saved by removing
  double score = 0;                      // gain in the worst relative margin per cost
  double secondary = 0;                  // fall of the summed violations per cost
};

struct RankedCandidate {
  int unit = -1;
  Effect effect;
};

struct PlanChange {
  int unit = -1;
  double cost = 0;       // added cost, or cost saved
  bool added = true;
};

struct OptimiseResult {
  bool reached = false;
  bool stopped = false;                  // the stop request ended it early
  std::vector<PlanChange> changes;       // in the order they were made
  double totalCost = 0;                  // added minus saved
  std::vector<RequirementValue> values;  // final
  std::vector<bool> binding;             // per requirement
};

struct CriticalReport {
  std::vector<int> critical;      // units whose loss breaks a requirement (or the network)
  std::vector<int> singular;      // of those: whose loss leaves the network singular
  std::vector<int> lowValue;      // units whose loss changes no value by more than 1 %
  std::vector<std::vector<RequirementValue>> valuesWithout;  // per critical unit, same order
};

class Planner {
 public:
  Planner(const kd::adj::NormalSystem &sys, std::vector<Unit> units, std::vector<Check> checks,
          const RequirementSet &reqs, double setupCost);

  const std::vector<Unit> &Units() const { return units_; }
  // Asked between steps of Rank and Optimise; true ends them early (an
  // interrupted command).
  void SetStop(std::function<bool()> stop) { stop_ = std::move(stop); }
  const kd::adj::Matrix &Cofactor() const { return Q_; }
  const RequirementSet &Requirements() const { return reqs_; }
  std::vector<RequirementValue> Values() const;
  bool AllHold(const std::vector<RequirementValue> &v) const;

  // Cost of adding the unit now, or saved by removing it.
  double AddCost(int unit) const;
  double RemoveSaving(int unit) const;
  Effect TryAdd(int unit) const;
  Effect TryRemove(int unit) const;
  void Add(int unit);
  bool Remove(int unit);  // false (nothing changed) when the loss is singular
  // Adds `added` and removes `removed` (e.g. a measurement with a new
  // standard deviation for the old one), in one pass over Q when both are
  // single observations. False, nothing changed, when the removal is
  // singular after the addition, or `removed` is inactive or `added` active.
  bool Exchange(int removed, int added);
  // Appends a unit (inactive, whatever its flag says) and returns its index.
  int AppendUnit(Unit unit);

  // Redundancy numbers of every observation of a unit under the current Q.
  kd::adj::Vector Redundancy(int unit) const;

  // The `count` best inactive candidates by gain per cost (all when 0).
  std::vector<RankedCandidate> Rank(size_t count) const;
  OptimiseResult Optimise(bool prunePlanned);
  CriticalReport Critical() const;

 private:
  struct Update {
    bool ok = false;
    int unit = -1;
    kd::adj::Matrix U;      // n × k
    kd::adj::Matrix RU;     // k × k
    kd::adj::Matrix Dinv;   // k × k
  };
  Update Prepare(int unit, bool add) const;
  std::vector<RequirementValue> ValuesAfter(const Update *u, bool add) const;
  void Apply(const Update &u, bool add);
  void RefreshCaches();
  double Score(const std::vector<RequirementValue> &before, const std::vector<RequirementValue> &after,
               double cost) const;
  double SecondaryScore(const std::vector<RequirementValue> &before,
                        const std::vector<RequirementValue> &after, double cost) const;
  double Violation(const std::vector<RequirementValue> &v) const;
  double Worst(const std::vector<RequirementValue> &v) const;
  double UnitRedundancy(int unit, const kd::adj::Matrix &rqr) const;

  std::vector<Unit> units_;
  std::vector<Check> checks_;
  RequirementSet reqs_;
  double setupCost_ = 5;
  bool needRedundancy_ = false;
  kd::adj::Matrix Q_;
  std::vector<kd::adj::Matrix> checkQ_;   // per check: gᵀQg (1×1 or 2×2)
  std::vector<kd::adj::Matrix> unitRQR_;  // per active unit: R Q Rᵀ
  std::vector<int> activeAt_;             // per point: active units stationed there
  std::function<bool()> stop_;
  bool Stopped() const { return stop_ && stop_(); }
};

}  // namespace kd::design
