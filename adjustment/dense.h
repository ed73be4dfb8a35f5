#pragma once
// Dense symmetric positive (semi)definite kernels on one n×n matrix, done in
// place so that the largest network needs a single n×n buffer.
//
// Storage convention: the symmetric matrix N lives in the full square. The
// factorisation writes its lower-triangular factor L over the lower triangle
// and diagonal and leaves the strict upper triangle untouched, so N can be
// restored from the upper triangle and a saved copy of its diagonal.
#include <string>
#include <vector>

#include <Eigen/Dense>

namespace kd::adj {

using Matrix = Eigen::Matrix<double, Eigen::Dynamic, Eigen::Dynamic>;
using Vector = Eigen::VectorXd;

// Envelope of a symmetric matrix: lastRow[c] is the last row r >= c with a
// nonzero entry N(r, c') for some c' <= c. The Cholesky factor has no fill
// outside it, and neither has any update of the factorisation or of the
// banded solves below, so the work falls from n³ to about n·w² and n²·w for
// an envelope of width w (networks numbered with a bandwidth-reducing
// ordering). An empty vector stands for the full matrix.
std::vector<int> Envelope(const Matrix &a);

// Blocked Cholesky factorisation N = L Lᵀ in place. A column whose pivot
// falls to `relTol` times its original diagonal entry `diag` or below is
// dependent on the columns before it: it is left out (its row and column of
// L are zero, its diagonal 1), so L is the factor of N with those unknowns
// removed. Returns the dependent columns in ascending order.
std::vector<int> FactorInPlace(Matrix &a, const Vector &diag, double relTol,
                               const std::vector<int> &lastRow = {});

// Solves N x = b with the factor in the lower triangle of `a`; `b` is
// overwritten by x. Dependent unknowns (identity rows of L) keep b's value,
// so callers zero those entries first.
void SolveWithFactor(const Matrix &a, Vector &b);

// Replaces the factor L in the lower triangle by N⁻¹ = L⁻ᵀ L⁻¹, solved
// column block by column block with the banded factor, and mirrors it, so
// that `a` holds the full symmetric inverse. `lastRow` is the envelope the
// factor was computed with.
void InvertFromFactorInPlace(Matrix &a, const std::vector<int> &lastRow = {});

// Threads for the factorisation and the inverse: `threads` > 0 uses that
// many, 0 every core the process may run on (the default). The results are
// the same for any number: the work is cut into the same blocks, and each
// block is computed alike whichever thread runs it.
void SetThreadCount(int threads);
int ThreadCount();

// The kernels are compiled for several instruction sets; the widest one the
// processor runs is used. UseKernels("generic" | "avx2" | "avx512") picks
// another (false, nothing changed, for an unknown name or one the processor
// cannot run); KernelName() tells the one in use.
bool UseKernels(const std::string &name);
std::string KernelName();

// Makes `a` the n×n zero matrix. A newly allocated large one is first
// offered the system's large memory pages where the system gives them on
// request (Linux's transparent huge pages): touching half a gigabyte then
// costs a few hundred page faults instead of a hundred thousand.
void SetZeroSquare(Matrix &a, Eigen::Index n);

// Copies the strict lower triangle over the strict upper one.
void MirrorLowerToUpper(Matrix &a);

// Rebuilds the full symmetric N from the untouched strict upper triangle and
// the saved diagonal.
void RestoreFromUpper(Matrix &a, const Vector &diag);

}  // namespace kd::adj
