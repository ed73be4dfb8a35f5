#include "core/available_memory.h"

#include <algorithm>
#include <charconv>
#include <fstream>
#include <limits>
#include <sstream>

#if defined(__unix__) || defined(__APPLE__)
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

std::uint64_t AvailableMemoryBytes() {
  std::string limit = ReadSmallFile("/sys/fs/cgroup/memory.max");
  std::string usage = ReadSmallFile("/sys/fs/cgroup/memory.current");
  if (limit.empty()) {
    limit = ReadSmallFile("/sys/fs/cgroup/memory/memory.limit_in_bytes");
    usage = ReadSmallFile("/sys/fs/cgroup/memory/memory.usage_in_bytes");
  }
  return AvailableMemoryFrom(ReadSmallFile("/proc/meminfo"), limit, usage, PhysicalMemory());
}

}  // namespace kd
