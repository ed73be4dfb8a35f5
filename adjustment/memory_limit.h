#pragma once
// How much memory the engine may use, and sizes as text for its messages.
#include <string>

namespace kd::adj {

// Bytes the engine may use: 80 % of the computer's physical memory, or less
// when the process runs under an address-space or data-size limit.
double UsableMemoryBytes();

// Bytes an adjustment of n coordinate unknowns needs, per n²: its one n×n
// matrix of doubles (normal matrix, factor, then covariance, in place) and
// about a quarter more for the network, the observations' quality and the
// results text in flight (measured 1.06 to 1.2 times the matrix).
inline constexpr double kMemoryPerUnknownSquared = 1.25 * 8.0;

// A size for the user: "512 MiB", "1.8 GiB".
std::string MemorySizeText(double bytes);

}  // namespace kd::adj
