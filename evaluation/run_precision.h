#pragma once
// The precision of a finished evaluation, read from its run files: the
// results document (coordinates and covariance, with the whole-network
// centring added in Sc/Svp mode 2, as the results table shows it) and the
// engine's observation table beside it (PREFIX + "obs.csv").
#include <string>

#include "evaluation/evaluation.h"
#include "evaluation/network_precision.h"

class PointList;

// Reads the precision of the run. False, with `error` in one line, when the
// results cannot be read or are not 3D. A missing or unreadable observation
// table is not an error: the precision then has no observations (no
// reliability) and `warning` says why.
bool ReadRunPrecision(const EngineRunFiles &files, int scSvpMode, const PointList &network,
                      NetworkPrecision &precision, std::string &error, std::string &warning);
