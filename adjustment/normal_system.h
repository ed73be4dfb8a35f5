#pragma once
// The linearised least-squares system of a network, in process: the design
// rows of every observation at the document's coordinates, grouped into
// weighted blocks, the normal matrix and its cofactor matrix Q, including
// the orientation unknowns of the direction sets. Built on the engine's own
// reader and observation equations (adjust.h), so that Q and every quantity
// derived from it agree with a run of the engine.
//
// Units as in the engine: coordinate unknowns in mm, orientations in cc,
// rows in mm/mm or cc/mm, weights 1/σ² (σ in mm or cc). The a-priori
// reference standard deviation cancels: Q is the covariance in mm² (cc²).
//
// Blocks. An observation without correlation is a block of its own. The
// components of a vector cluster form one block whose weight is the inverse
// of their covariance. A direction set whose orientation is *eliminated*
// forms one block: its rows are reduced by their weighted mean, so that the
// block's normal contribution equals the set's after eliminating its
// orientation (used for sets that come and go as a whole, e.g. a gyro
// direction with its reference direction). Every other direction set keeps
// its orientation as an unknown (the row has −1 in the orientation column).
//
// For every block, with rows R (k × n) and weight P (k × k):
//   normal contribution Rᵀ P R,
//   cofactor of its residuals Qvv = V0 − R Q Rᵀ (V0 = P⁻¹, or for an
//   eliminated set P⁻¹ − 1 1ᵀ / Σp), redundancy numbers r = diag(Qvv P).
//
// Free networks (no fixed coordinate and a datum defect): the coordinate
// block of Q is the minimum-trace pseudo-inverse of the orientation-reduced
// normal matrix, exactly as the engine computes it; the orientation blocks
// follow from back-substitution.
#include <array>
#include <string>
#include <vector>

#include "adjustment/dense.h"
#include "adjustment/network.h"

namespace kd::adj {

// A sparse row: at most two points × three coordinates and one orientation.
struct DesignRow {
  int n = 0;
  int col[7] = {0, 0, 0, 0, 0, 0, 0};
  double val[7] = {0, 0, 0, 0, 0, 0, 0};
  void Add(int column, double value);  // merges a repeated column
  double Dot(const Vector &x) const;
};

struct WeightedBlock {
  std::vector<int> obs;          // observation indices of the network (may be empty for additions)
  std::vector<DesignRow> rows;   // k rows
  Matrix weight;                 // P, k × k, positive definite
  Matrix weightInverse;          // P⁻¹
  Matrix residualBase;           // V0, k × k
};

struct NormalSystem {
  int coordUnknowns = 0;
  int orientationUnknowns = 0;         // kept as unknowns
  int eliminatedOrientations = 0;      // reduced inside their blocks
  int unknowns = 0;                    // coordUnknowns + orientationUnknowns
  std::vector<std::array<int, 3>> unknownOf;  // per point: column of X, Y, Z or -1
  std::vector<int> orientationOf;      // per cluster: column, or -1
  std::vector<int> blockOf;            // per observation: its block
  std::vector<WeightedBlock> blocks;
  bool freeNetwork = false;
  int defect = 0;                      // datum defect of a free network
  Matrix datum;                        // orthonormal null space (coordinate columns, then zero orientation rows)
  Matrix cofactor;                     // Q, unknowns × unknowns
};

// Builds the system of `net` at its approximate coordinates. `eliminate`
// (one flag per cluster, may be empty) names the direction sets whose
// orientation is reduced inside their block. Returns false with `error`
// set when a sight has no geometry (coincident points) or the normal
// matrix is singular beyond a datum defect.
bool BuildNormalSystem(const Network &net, const std::vector<char> &eliminate, NormalSystem &sys,
                       std::string &error);

// The row of an observation of `kind` between two positions (metres), with
// the columns of the station's and the target's coordinates (-1: constant)
// and the orientation column (-1: none). False for degenerate geometry.
bool RowOf(ObsKind kind, const double from[3], const double to[3], const std::array<int, 3> &fromCols,
           const std::array<int, 3> &toCols, int orientationCol, DesignRow &row);

// Uncorrelated observation of standard deviation `sigma` (mm or cc).
WeightedBlock SingleBlock(const DesignRow &row, double sigma);
// A direction set whose orientation is eliminated: rows reduced by their
// weighted mean. False when the set's columns do not fit one row (more than
// seven); such a set must keep its orientation unknown.
bool EliminatedSetBlock(const std::vector<DesignRow> &rows, const std::vector<double> &sigmas,
                        WeightedBlock &block);
// Correlated observations with covariance `cov` (mm², k × k).
WeightedBlock CorrelatedBlock(const std::vector<DesignRow> &rows, const Matrix &cov);

// R Q Rᵀ of a block's rows (k × k).
Matrix BlockQuadratic(const Matrix &Q, const std::vector<DesignRow> &rows);
// Redundancy numbers of a block under cofactor Q.
Vector BlockRedundancy(const WeightedBlock &b, const Matrix &Q);

}  // namespace kd::adj
