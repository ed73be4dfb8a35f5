#pragma once
// How much memory the engine may use, and sizes as text for its messages.
#include <string>

namespace kd::adj {

// Bytes the engine may use: 80 % of the computer's physical memory, or less
// when the process runs under an address-space or data-size limit.
double UsableMemoryBytes();

// A size for the user: "512 MiB", "1.8 GiB".
std::string MemorySizeText(double bytes);

}  // namespace kd::adj
