// The memory a process may still take: the smaller of what the system
// reports available and what its control group leaves.
#include <gtest/gtest.h>

#include "core/available_memory.h"

#include <limits>

namespace {

const std::string kMeminfo = "MemTotal:       24000000 kB\n"
                             "MemFree:         1000000 kB\n"
                             "MemAvailable:    8000000 kB\n"
                             "Buffers:           10000 kB\n";

TEST(AvailableMemory, SmallerOfSystemAndControlGroup) {
  const std::uint64_t physical = 24000000ull * 1024;
  // No limit of the group ("max" in cgroup v2, or no group file).
  EXPECT_EQ(kd::AvailableMemoryFrom(kMeminfo, "max\n", "123\n", physical), 8000000ull * 1024);
  EXPECT_EQ(kd::AvailableMemoryFrom(kMeminfo, "", "", physical), 8000000ull * 1024);
  // A group limit of 4 GiB with 1 GiB used leaves 3 GiB.
  EXPECT_EQ(kd::AvailableMemoryFrom(kMeminfo, "4294967296\n", "1073741824\n", physical),
            3ull << 30);
  // A group over its limit leaves nothing.
  EXPECT_EQ(kd::AvailableMemoryFrom(kMeminfo, "1000\n", "5000\n", physical), 0u);
  // cgroup v1 writes a huge number for no limit.
  EXPECT_EQ(kd::AvailableMemoryFrom(kMeminfo, "9223372036854771712\n", "5\n", physical),
            8000000ull * 1024);
}

TEST(AvailableMemory, FallsBackToPhysicalMemory) {
  EXPECT_EQ(kd::AvailableMemoryFrom("MemTotal: 5 kB\n", "", "", 777), 777u);
  EXPECT_EQ(kd::AvailableMemoryFrom("", "", "", 0), 0u);
  EXPECT_EQ(kd::AvailableMemoryFrom("MemAvailable: junk\n", "", "", 99), 99u);
  // This machine: something, never more than the physical memory.
  EXPECT_GT(kd::AvailableMemoryBytes(), 0u);
}

}  // namespace

TEST(AvailableMemory, WhatIsLeftUnderTheProcessLimits) {
  constexpr std::uint64_t none = std::numeric_limits<std::uint64_t>::max();
  const std::string status = "Name:\tx\nVmPeak:\t 900 kB\nVmSize:\t  300000 kB\nVmData:\t  100000 kB\n";
  EXPECT_EQ(kd::AvailableUnderProcessLimits(status, none, none), none);
  // ulimit -v 1 GiB with 300,000 kB mapped.
  EXPECT_EQ(kd::AvailableUnderProcessLimits(status, 1ull << 30, none), (1ull << 30) - 300000ull * 1024);
  // The smaller of the two; nothing left is 0, never a wrapped-around figure.
  EXPECT_EQ(kd::AvailableUnderProcessLimits(status, 1ull << 30, 200000ull * 1024), 100000ull * 1024);
  EXPECT_EQ(kd::AvailableUnderProcessLimits(status, 1000, none), 0u);
  // Without the usage figures the whole limit counts.
  EXPECT_EQ(kd::AvailableUnderProcessLimits("", 5000, none), 5000u);
}
