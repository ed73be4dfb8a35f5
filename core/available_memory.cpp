#include "core/available_memory.h"

#include <algorithm>
#include <charconv>
#include <fstream>
#include <limits>
#include <sstream>

#if defined(__unix__) || defined(__APPLE__)
#include <sys/resource.h>
#include <unistd.h>
#endif

namespace kd {

namespace {

std::string ReadSmallFile(const char *path) {
  std::ifstream in(path);
  if (!in) return {};
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// The leading whole number of `text` after blanks; false when there is none.
bool LeadingNumber(std::string_view text, std::uint64_t &value) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  return ec == std::errc() && end != text.data();
}

std::uint64_t PhysicalMemory() {
#if defined(_SC_PHYS_PAGES) && defined(_SC_PAGESIZE)
  const long pages = sysconf(_SC_PHYS_PAGES), size = sysconf(_SC_PAGESIZE);
  if (pages > 0 && size > 0) return static_cast<std::uint64_t>(pages) * static_cast<std::uint64_t>(size);
#endif
  return 0;
}

}  // namespace

std::uint64_t AvailableMemoryFrom(const std::string &meminfo, const std::string &limit,
                                  const std::string &usage, std::uint64_t physical) {
  std::uint64_t available = physical;
  const std::string key = "MemAvailable:";
  const std::size_t at = meminfo.find(key);
  std::uint64_t kib = 0;
  if (at != std::string::npos &&
      LeadingNumber(std::string_view(meminfo).substr(at + key.size()), kib))
    available = available == 0 ? kib * 1024 : std::min(available, kib * 1024);
  std::uint64_t cap = 0, used = 0;
  if (LeadingNumber(limit, cap) && cap < (std::uint64_t{1} << 60)) {
    LeadingNumber(usage, used);
    const std::uint64_t left = cap > used ? cap - used : 0;
    available = available == 0 ? left : std::min(available, left);
  }
  return available;
}

std::uint64_t AvailableUnderProcessLimits(const std::string &status, std::uint64_t addressSpaceLimit,
                                          std::uint64_t dataLimit) {
  constexpr std::uint64_t none = std::numeric_limits<std::uint64_t>::max();
  std::uint64_t left = none;
  auto usedKib = [&](const char *key) {
    std::uint64_t kib = 0;
    const std::size_t at = status.find(key);
    if (at != std::string::npos)
      LeadingNumber(std::string_view(status).substr(at + std::char_traits<char>::length(key)), kib);
    return kib * 1024;
  };
  if (addressSpaceLimit != none) {
    const std::uint64_t used = usedKib("VmSize:");
    left = std::min(left, addressSpaceLimit > used ? addressSpaceLimit - used : 0);
  }
  if (dataLimit != none) {
    const std::uint64_t used = usedKib("VmData:");
    left = std::min(left, dataLimit > used ? dataLimit - used : 0);
  }
  return left;
}

std::uint64_t AvailableMemoryBytes() {
  std::string limit = ReadSmallFile("/sys/fs/cgroup/memory.max");
  std::string usage = ReadSmallFile("/sys/fs/cgroup/memory.current");
  if (limit.empty()) {
    limit = ReadSmallFile("/sys/fs/cgroup/memory/memory.limit_in_bytes");
    usage = ReadSmallFile("/sys/fs/cgroup/memory/memory.usage_in_bytes");
  }
  std::uint64_t available = AvailableMemoryFrom(ReadSmallFile("/proc/meminfo"), limit, usage, PhysicalMemory());
#if defined(RLIMIT_AS) && defined(RLIMIT_DATA)
  constexpr std::uint64_t none = std::numeric_limits<std::uint64_t>::max();
  auto limitOf = [&](int resource) {
    rlimit lim{};
    return getrlimit(resource, &lim) == 0 && lim.rlim_cur != RLIM_INFINITY
               ? static_cast<std::uint64_t>(lim.rlim_cur)
               : none;
  };
  const std::uint64_t as = limitOf(RLIMIT_AS), data = limitOf(RLIMIT_DATA);
  if (as != none || data != none) {
    const std::uint64_t left = AvailableUnderProcessLimits(ReadSmallFile("/proc/self/status"), as, data);
    // 0 means "unknown" to the callers: a process with nothing left has 1 byte.
    available = available == 0 ? std::max<std::uint64_t>(left, 1) : std::min(available, std::max<std::uint64_t>(left, 1));
  }
#endif
  return available;
}

}  // namespace kd
