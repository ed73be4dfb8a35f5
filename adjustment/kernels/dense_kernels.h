#pragma once
// The dense kernels of the engine (blocked Cholesky factorisation and the
// inverse from the factor), compiled once per instruction set and chosen
// when the program starts. This header is free of Eigen and of the standard
// library's templates: the kernel files compiled for wider vector units must
// share no inline code with the rest of the program (the linker would keep
// one copy of it, possibly one the processor cannot run).
//
// Matrices are n×n, column-major, leading dimension n. `lastRow` is the
// envelope of dense.h (nullptr for the full matrix).
namespace kd::adj::kernels {

struct KernelSet {
  const char *name;  // "generic", "avx2", "avx512"
  // Factor in place as dense.h's FactorInPlace; writes the dependent columns
  // (ascending) to `dependent` (room for n) and returns their count.
  int (*factor)(double *a, int n, const double *diag, double relTol, const int *lastRow,
                int threads, int *dependent);
  // Overwrites the factor in the lower triangle by the lower triangle of
  // N⁻¹ (the caller mirrors it). False when the panels' memory cannot be had.
  bool (*invert)(double *a, int n, const int *lastRow, int threads);
};

extern const KernelSet kGeneric;
extern const KernelSet kAvx2;
extern const KernelSet kAvx512;

// Runs task(context, i) for i = 0 .. count-1 on up to `threads` threads
// (the calling one included), handing out the indices in ascending order.
// What a task computes must not depend on the thread that runs it, so that
// the results are the same for any number of threads.
void ParallelFor(int count, int threads, void (*task)(void *context, int i), void *context);

}  // namespace kd::adj::kernels
