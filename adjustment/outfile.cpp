#include "adjustment/outfile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <random>

namespace kd::adj {

namespace {

WriteFaultHook &FaultHook() {
  static WriteFaultHook hook;
  return hook;
}

std::string Reason(int error) { return std::strerror(error); }

// Writes everything, retrying interrupted and partial writes; the error
// number on failure.
int WriteAll(int fd, std::string_view bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    if (n == 0) return EIO;
    done += static_cast<size_t>(n);
  }
  return 0;
}

}  // namespace

void SetWriteFaultHook(WriteFaultHook hook) { FaultHook() = std::move(hook); }

bool WriteOutputFile(const std::string &path, std::string_view bytes, std::string &reason) {
  reason.clear();
  if (path.empty() || path.back() == '/') {
    reason = Reason(EISDIR);
    return false;
  }
  struct stat target {};
  const bool exists = ::stat(path.c_str(), &target) == 0;
  if (exists && !S_ISREG(target.st_mode)) {
    reason = "it exists and is not a regular file";
    return false;
  }
  static std::mt19937_64 rng{std::random_device{}()};
  std::string tmp;
  int fd = -1;
  for (int attempt = 0; attempt < 16 && fd < 0; ++attempt) {
    char suffix[32];
    std::snprintf(suffix, sizeof suffix, ".tmp%08llx",
                  static_cast<unsigned long long>(rng() & 0xFFFFFFFFull));
    tmp = path + suffix;
    fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) {
      reason = Reason(errno);
      return false;
    }
  }
  if (fd < 0) {
    reason = Reason(EEXIST);
    return false;
  }
  if (exists) (void)::fchmod(fd, target.st_mode & 07777);
  int error = FaultHook() ? FaultHook()(path) : 0;
  if (error == 0) error = WriteAll(fd, bytes);
  if (error == 0 && ::fsync(fd) != 0) error = errno;
  if (::close(fd) != 0 && error == 0) error = errno;
  if (error == 0 && ::rename(tmp.c_str(), path.c_str()) != 0) error = errno;
  if (error != 0) {
    ::unlink(tmp.c_str());
    reason = Reason(error);
    return false;
  }
  return true;
}

bool RemoveOutputFile(const std::string &path, std::string &reason) {
  reason.clear();
  if (::unlink(path.c_str()) == 0 || errno == ENOENT) return true;
  reason = Reason(errno);
  return false;
}

}  // namespace kd::adj
