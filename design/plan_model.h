#pragma once
// The measurement plan as the optimiser sees it: the network's engine
// document read by the engine's own reader, its normal system with the
// orientation unknowns, one unit per planned measurement and one per
// candidate measurement.
//
// Candidates:
//  - automatic: for every pair of points within the longest planned sight
//    (or `maxSight`), each measurement type the plan already uses between
//    such points, where not yet planned (distances and height differences
//    once per pair; directions and gyro directions only from stations that
//    already have a direction set; no sight between two fixed points, nor
//    between parts of the network that no planned sight joins, such as a
//    surface network and a tunnel joined only by plumbings and height
//    transfers);
//  - one more repetition of every planned measurement: a second,
//    independent measurement of the same quantity, which gives the mean
//    the standard deviation σ/√2;
//  - or the measurements of a file in the measurement format instead.
// Excluded pairs (either order) never get a candidate.
// Cost: one per observation, plus `setupCost` for a station without any
// planned or added measurement.
#include <string>
#include <utility>
#include <vector>

#include "adjustment/network.h"
#include "adjustment/normal_system.h"
#include "core/survey_network.h"
#include "design/planner.h"

namespace kd::design {

struct CandidateOptions {
  bool automatic = true;                 // false: only `fromFile`
  std::vector<Measurement> fromFile;     // candidates given by the user
  std::vector<std::pair<double, double>> excluded;  // point pairs, either order
  double maxSight = 0;                   // m; 0: the longest planned sight
  double setupCost = 5;
};

struct PlanModel {
  kd::adj::Network engine;
  kd::adj::NormalSystem system;
  std::vector<double> pointNumbers;      // per engine point: its number, NaN for helper points
  std::vector<Measurement> measurements; // per unit (planned ones as in the list)
  std::vector<Unit> units;               // planned first, in list order, then candidates
  int plannedCount = 0;
  double maxSight = 0;                   // m, the one used
  // Per engine point: the cluster of its planned measurements (-1: none)
  // and its direction set with a kept orientation (-1: none).
  std::vector<int> stationCluster;
  std::vector<int> setOfStation;
};

// Builds the model of `net` (sorted, with computed observations, as its
// engine document `documentUtf8` was written from it). False with `error`
// when the document cannot be read or adjusted.
bool BuildPlanModel(const SurveyNetwork &net, const std::string &documentUtf8,
                    const CandidateOptions &options, PlanModel &model, std::string &error);

// The unit of one more measurement `m` between points of `net` (the
// network the model was built from), as a candidate is made: inactive, its
// block at the model's coordinates, `measurement` -1. False when it cannot
// be added as a block: a plumbing, a point missing, undefined geometry, no
// positive standard deviation, or a direction at a station without a
// direction set (it would bring a new orientation unknown).
bool AddedMeasurementUnit(const PlanModel &model, const SurveyNetwork &net, const Measurement &m,
                          Unit &unit);

// Reads excluded pairs, one "FROM TO" a line ('#' comments). False with
// `error` "FILE:LINE: reason".
bool LoadExcludedPairs(const std::string &path, std::vector<std::pair<double, double>> &pairs,
                       std::string &error);

// The engine network with the plan's changes: inactive planned units left
// out, active candidates added (their values computed from the coordinates).
kd::adj::Network ChangedNetwork(const kd::adj::Network &base, const std::vector<Unit> &units);

// The text of the proposed measurement file: the original file's lines as
// they are, each removed measurement's line turned into a comment, and the
// added measurements appended after a comment line. False when a removed
// measurement has no line of its own in the original text.
bool ProposedMeasurementText(const std::string &originalUtf8, const std::vector<Measurement> &removed,
                             const std::vector<Measurement> &added, std::string &textUtf8);

// "gd 401 -> 402".
std::string MeasurementLabel(const Measurement &m);

}  // namespace kd::design
