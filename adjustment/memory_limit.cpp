#include "adjustment/memory_limit.h"

#include <algorithm>
#include <cstdio>
#include <sys/resource.h>
#include <unistd.h>

namespace kd::adj {

double UsableMemoryBytes() {
  const double physical = static_cast<double>(sysconf(_SC_PHYS_PAGES)) *
                          static_cast<double>(sysconf(_SC_PAGE_SIZE));
  double usable = physical > 0 ? 0.8 * physical : 1e300;
  for (const int resource : {RLIMIT_AS, RLIMIT_DATA}) {
    rlimit lim{};
    if (getrlimit(resource, &lim) == 0 && lim.rlim_cur != RLIM_INFINITY)
      usable = std::min(usable, static_cast<double>(lim.rlim_cur));
  }
  return usable;
}

std::string MemorySizeText(double bytes) {
  char buf[64];
  constexpr double kMiB = 1048576.0, kGiB = 1073741824.0;
  if (bytes < kGiB)
    std::snprintf(buf, sizeof buf, "%.0f MiB", std::max(1.0, bytes / kMiB));
  else
    std::snprintf(buf, sizeof buf, "%.1f GiB", bytes / kGiB);
  return buf;
}

}  // namespace kd::adj
