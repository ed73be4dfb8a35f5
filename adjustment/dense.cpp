#include "adjustment/dense.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <mutex>
#include <system_error>
#include <cmath>
#include <cstdint>
#include <new>
#include <thread>

#if defined(__linux__)
#include <sched.h>
#if defined(__linux__)
#include <sys/mman.h>
#endif
#endif

#include "adjustment/kernels/dense_kernels.h"

namespace kd::adj {

namespace {

std::atomic<int> gThreads{0};  // 0: every core

const kernels::KernelSet *gKernels = nullptr;

// The widest kernels this processor and its system can run.
const kernels::KernelSet &BestKernels() {
#if defined(__x86_64__) || defined(__i386__)
  __builtin_cpu_init();
  if (__builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512dq") &&
      __builtin_cpu_supports("avx512vl") && __builtin_cpu_supports("avx512bw") &&
      __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma"))
    return kernels::kAvx512;
  if (__builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma")) return kernels::kAvx2;
#endif
  return kernels::kGeneric;
}

const kernels::KernelSet &ActiveKernels() {
  if (gKernels == nullptr) gKernels = &BestKernels();
  return *gKernels;
}

// Asks for large pages over the whole 2 MiB pages inside [data, data+bytes).
void AdviseLargePages(void *data, size_t bytes) {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
  constexpr uintptr_t kLarge = uintptr_t{2} << 20;
  const uintptr_t begin = (reinterpret_cast<uintptr_t>(data) + kLarge - 1) & ~(kLarge - 1);
  const uintptr_t end = (reinterpret_cast<uintptr_t>(data) + bytes) & ~(kLarge - 1);
  if (end > begin)  // only advice: a system without them keeps small pages
    (void)::madvise(reinterpret_cast<void *>(begin), end - begin, MADV_HUGEPAGE);
#else
  (void)data;
  (void)bytes;
#endif
}

}  // namespace

void SetZeroSquare(Matrix &a, Eigen::Index n) {
  if (a.rows() != n || a.cols() != n) {
    a.resize(n, n);
    const size_t bytes = static_cast<size_t>(n) * static_cast<size_t>(n) * sizeof(double);
    if (bytes >= (size_t{32} << 20)) AdviseLargePages(a.data(), bytes);
  }
  a.setZero();
}

void SetThreadCount(int threads) { gThreads = std::max(0, threads); }

int ThreadCount() {
  const int chosen = gThreads;
  if (chosen > 0) return chosen;
#if defined(__linux__)
  // The cores this process may run on, which a container or taskset may
  // make fewer than the machine's.
  cpu_set_t set;
  if (sched_getaffinity(0, sizeof set, &set) == 0) return std::max(1, CPU_COUNT(&set));
#endif
  return std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
}

bool UseKernels(const std::string &name) {
  const kernels::KernelSet &best = BestKernels();
  for (const kernels::KernelSet *k : {&kernels::kGeneric, &kernels::kAvx2, &kernels::kAvx512}) {
    if (name != k->name) continue;
    // Never more than the processor can run.
    if (k == &kernels::kAvx512 && &best != &kernels::kAvx512) return false;
    if (k == &kernels::kAvx2 && &best == &kernels::kGeneric) return false;
    gKernels = k;
    return true;
  }
  return false;
}

std::string KernelName() { return ActiveKernels().name; }

namespace kernels {

void ParallelFor(int count, int threads, void (*task)(void *, int), void *context) {
  const int workers = std::min(std::max(1, threads), count);
  if (workers <= 1) {
    for (int i = 0; i < count; ++i) task(context, i);
    return;
  }
  std::atomic<int> next{0};
  std::exception_ptr failure;
  std::mutex failureLock;
  auto work = [&] {
    for (int i = next++; i < count; i = next++) {
      try {
        task(context, i);
      } catch (...) {
        // Keep the first failure for the caller; the other tasks end soon.
        const std::lock_guard<std::mutex> lock(failureLock);
        if (!failure) failure = std::current_exception();
        next = count;
      }
    }
  };
  std::vector<std::thread> pool;
  pool.reserve(workers - 1);
  try {
    for (int t = 1; t < workers; ++t) pool.emplace_back(work);
  } catch (const std::system_error &) {
    // No more threads to be had: the ones started and this one do it all.
  }
  work();
  for (std::thread &t : pool) t.join();
  if (failure) std::rethrow_exception(failure);
}

}  // namespace kernels

void MirrorLowerToUpper(Matrix &a) {
  const int n = static_cast<int>(a.rows());
  constexpr int t = 64;
  for (int j0 = 0; j0 < n; j0 += t) {
    for (int i0 = 0; i0 <= j0; i0 += t) {
      const int jn = std::min(n, j0 + t), in = std::min(n, i0 + t);
      for (int j = j0; j < jn; ++j)
        for (int i = i0; i < std::min(in, j); ++i) a(i, j) = a(j, i);
    }
  }
}

std::vector<int> Envelope(const Matrix &a) {
  const int n = static_cast<int>(a.rows());
  std::vector<int> last(n);
  for (int c = 0; c < n; ++c) last[c] = c;
  // Row c's first nonzero column f(c) is the first nonzero of column c.
  for (int c = 0; c < n; ++c) {
    int f = 0;
    while (f < c && a(f, c) == 0) ++f;
    last[f] = std::max(last[f], c);
  }
  for (int c = 1; c < n; ++c) last[c] = std::max(last[c], last[c - 1]);
  return last;
}

std::vector<int> FactorInPlace(Matrix &a, const Vector &diag, double relTol,
                               const std::vector<int> &lastRow) {
  const int n = static_cast<int>(a.rows());
  std::vector<int> dependent(n);
  const int count = ActiveKernels().factor(a.data(), n, diag.data(), relTol,
                                           lastRow.empty() ? nullptr : lastRow.data(),
                                           ThreadCount(), dependent.data());
  dependent.resize(count);
  return dependent;
}

void SolveWithFactor(const Matrix &a, Vector &b) {
  a.triangularView<Eigen::Lower>().solveInPlace(b);
  a.triangularView<Eigen::Lower>().transpose().solveInPlace(b);
}

void InvertFromFactorInPlace(Matrix &a, const std::vector<int> &lastRow) {
  const int n = static_cast<int>(a.rows());
  if (!ActiveKernels().invert(a.data(), n, lastRow.empty() ? nullptr : lastRow.data(),
                              ThreadCount()))
    throw std::bad_alloc();
  MirrorLowerToUpper(a);
}

void RestoreFromUpper(Matrix &a, const Vector &diag) {
  const int n = static_cast<int>(a.rows());
  constexpr int t = 64;
  for (int j0 = 0; j0 < n; j0 += t) {
    for (int i0 = j0; i0 < n; i0 += t) {
      const int jn = std::min(n, j0 + t), in = std::min(n, i0 + t);
      for (int j = j0; j < jn; ++j)
        for (int i = std::max(i0, j + 1); i < in; ++i) a(i, j) = a(j, i);
    }
  }
  a.diagonal() = diag;
}

}  // namespace kd::adj
