#pragma once
// How much memory this process can still take without swapping or being
// stopped by the system: the smaller of the memory the system reports as
// available (Linux: MemAvailable), what is left under the process's
// control-group limit (cgroup v2 memory.max, or v1 memory.limit_in_bytes)
// and what is left under its own address-space and data-size limits
// (ulimit -v, -d). Physical memory when none can be read; 0 when nothing is
// known.
#include <cstdint>
#include <string>

namespace kd {

std::uint64_t AvailableMemoryBytes();

// The same from the given texts (the tests' entry): /proc/meminfo, and the
// control group's limit and usage ("" when there is none; "max" for none).
std::uint64_t AvailableMemoryFrom(const std::string &meminfo, const std::string &limit,
                                  const std::string &usage, std::uint64_t physical);

// What is left under the process limits: `status` is /proc/self/status
// (VmSize, VmData in kB), the limits in bytes (UINT64_MAX: none). UINT64_MAX
// when neither limit is set.
std::uint64_t AvailableUnderProcessLimits(const std::string &status, std::uint64_t addressSpaceLimit,
                                          std::uint64_t dataLimit);

}  // namespace kd
