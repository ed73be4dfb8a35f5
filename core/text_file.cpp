#include "core/text_file.h"

#include <cctype>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace kd {

namespace {

// Unicode code points of the Windows-1250 bytes 0x80..0xFF.
constexpr char32_t kCp1250High[128] = {
    0x20AC, 0xFFFD, 0x201A, 0xFFFD, 0x201E, 0x2026, 0x2020, 0x2021,
    0xFFFD, 0x2030, 0x0160, 0x2039, 0x015A, 0x0164, 0x017D, 0x0179,
    0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0xFFFD, 0x2122, 0x0161, 0x203A, 0x015B, 0x0165, 0x017E, 0x017A,
    0x00A0, 0x02C7, 0x02D8, 0x0141, 0x00A4, 0x0104, 0x00A6, 0x00A7,
    0x00A8, 0x00A9, 0x015E, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x017B,
    0x00B0, 0x00B1, 0x02DB, 0x0142, 0x00B4, 0x00B5, 0x00B6, 0x00B7,
    0x00B8, 0x0105, 0x015F, 0x00BB, 0x013D, 0x02DD, 0x013E, 0x017C,
    0x0154, 0x00C1, 0x00C2, 0x0102, 0x00C4, 0x0139, 0x0106, 0x00C7,
    0x010C, 0x00C9, 0x0118, 0x00CB, 0x011A, 0x00CD, 0x00CE, 0x010E,
    0x0110, 0x0143, 0x0147, 0x00D3, 0x00D4, 0x0150, 0x00D6, 0x00D7,
    0x0158, 0x016E, 0x00DA, 0x0170, 0x00DC, 0x00DD, 0x0162, 0x00DF,
    0x0155, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x013A, 0x0107, 0x00E7,
    0x010D, 0x00E9, 0x0119, 0x00EB, 0x011B, 0x00ED, 0x00EE, 0x010F,
    0x0111, 0x0144, 0x0148, 0x00F3, 0x00F4, 0x0151, 0x00F6, 0x00F7,
    0x0159, 0x016F, 0x00FA, 0x0171, 0x00FC, 0x00FD, 0x0163, 0x02D9,
};

void AppendUtf8(std::string &out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// Decodes one UTF-8 sequence at text[i]; advances i. Returns U+FFFD for
// malformed, overlong or truncated sequences (consuming one byte).
char32_t NextUtf8(std::string_view text, size_t &i) {
  const auto b0 = static_cast<unsigned char>(text[i]);
  if (b0 < 0x80) {
    ++i;
    return b0;
  }
  int len = 0;
  char32_t c = 0;
  if ((b0 & 0xE0) == 0xC0) {
    len = 2;
    c = b0 & 0x1F;
  } else if ((b0 & 0xF0) == 0xE0) {
    len = 3;
    c = b0 & 0x0F;
  } else if ((b0 & 0xF8) == 0xF0) {
    len = 4;
    c = b0 & 0x07;
  } else {
    ++i;
    return 0xFFFD;
  }
  if (i + len > text.size()) {
    ++i;
    return 0xFFFD;
  }
  for (int k = 1; k < len; ++k) {
    const auto b = static_cast<unsigned char>(text[i + k]);
    if ((b & 0xC0) != 0x80) {
      ++i;
      return 0xFFFD;
    }
    c = (c << 6) | (b & 0x3F);
  }
  static constexpr char32_t kMin[5] = {0, 0, 0x80, 0x800, 0x10000};
  if (c < kMin[len] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
    ++i;
    return 0xFFFD;
  }
  i += len;
  return c;
}

// Writes everything, retrying interrupted and partial writes; the error
// number on failure, 0 on success.
int WriteAll(int fd, std::string_view bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0) {
      if (errno == EINTR)
        continue;
      return errno;
    }
    if (n == 0)
      return EIO;
    done += static_cast<size_t>(n);
  }
  return 0;
}

} // namespace

bool ReadFileBytes(const std::string &path, std::string &bytes) {
  std::string reason;
  return ReadFileBytes(path, bytes, reason);
}

bool ReadFileBytes(const std::string &path, std::string &bytes, std::string &reason) {
  bytes.clear();
  reason.clear();
  if (path.empty()) {
    reason = std::strerror(ENOENT);
    return false;
  }
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) {
    reason = std::strerror(errno);
    return false;
  }
  if (!S_ISREG(st.st_mode)) {
    reason = S_ISDIR(st.st_mode) ? "it is a folder" : "it is not a regular file";
    return false;
  }
  // Non-blocking, so that a file swapped for a pipe after the check does
  // not stall the open; the check is repeated on what was opened.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    reason = std::strerror(errno);
    return false;
  }
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    reason = "it is not a regular file";
    return false;
  }
  if (st.st_size > 0)
    bytes.reserve(static_cast<size_t>(st.st_size));
  char buf[1 << 16];
  for (;;) {
    const ssize_t n = ::read(fd, buf, sizeof buf);
    if (n < 0) {
      if (errno == EINTR)
        continue;
      reason = std::strerror(errno);
      ::close(fd);
      bytes.clear();
      return false;
    }
    if (n == 0)
      break;
    bytes.append(buf, static_cast<size_t>(n));
  }
  ::close(fd);
  return true;
}

bool HasUtf8Bom(std::string_view bytes) { return bytes.substr(0, 3) == "\xEF\xBB\xBF"; }

std::string_view WithoutUtf8Bom(std::string_view bytes) {
  return HasUtf8Bom(bytes) ? bytes.substr(3) : bytes;
}

std::string DecodeFileText(std::string_view bytes) {
  if (HasUtf8Bom(bytes))
    return std::string(bytes.substr(3));
  return Cp1250ToUtf8(bytes);
}

namespace {
volatile std::sig_atomic_t gInterruptRequested = 0;
} // namespace

void RequestInterrupt() { gInterruptRequested = 1; }
bool InterruptRequested() { return gInterruptRequested != 0; }
void ClearInterruptRequest() { gInterruptRequested = 0; }

bool WriteFileAtomic(const std::string &path, std::string_view bytes) {
  std::string reason;
  return WriteFileAtomic(path, bytes, reason);
}

bool WriteFileAtomic(const std::string &path, std::string_view bytes, std::string &reason,
                     const WriteCheck &beforeWrite) {
  return WriteFileAtomicStream(
      path, [bytes](const ByteSink &sink) { return sink(bytes); }, reason, beforeWrite);
}

bool WriteFileAtomicStream(const std::string &path, const ByteProducer &produce,
                           std::string &reason, const WriteCheck &beforeWrite) {
  reason.clear();
  if (path.empty() || path.back() == '/') {
    reason = std::strerror(EISDIR);
    return false;
  }
  if (InterruptRequested()) {
    reason = "interrupted";
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
      reason = std::strerror(errno);
      return false;
    }
  }
  if (fd < 0) {
    reason = std::strerror(EEXIST);
    return false;
  }
  // Keep the permissions of the file being replaced.
  if (exists)
    (void)::fchmod(fd, target.st_mode & 07777);
  int error = beforeWrite ? beforeWrite(path) : 0;
  if (error == 0) {
    try {
      // A request to end stops a long stream between two pieces.
      error = produce([fd](std::string_view bytes) {
        return InterruptRequested() ? ECANCELED : WriteAll(fd, bytes);
      });
    } catch (...) {
      ::close(fd);
      ::unlink(tmp.c_str());
      throw;
    }
  }
  if (error == 0 && ::fsync(fd) != 0)
    error = errno;
  if (::close(fd) != 0 && error == 0)
    error = errno;
  // An interrupt while the data was written: the target stays as it was.
  const bool interrupted = (error == 0 || error == ECANCELED) && InterruptRequested();
  if (error == 0 && !interrupted && ::rename(tmp.c_str(), path.c_str()) != 0)
    error = errno;
  if (error != 0 || interrupted) {
    ::unlink(tmp.c_str());
    reason = interrupted ? "interrupted" : std::strerror(error);
    return false;
  }
  return true;
}

int RemoveAtomicTemporaries(const std::string &path) {
  const std::string folder = DirectoryOf(path);
  const std::string prefix = path.substr(path.find_last_of('/') == std::string::npos
                                             ? 0
                                             : path.find_last_of('/') + 1) +
                             ".tmp";
  DIR *dir = ::opendir(folder.empty() ? "." : folder.c_str());
  if (!dir)
    return 0;
  std::vector<std::string> found;
  while (const dirent *entry = ::readdir(dir)) {
    const std::string_view name = entry->d_name;
    if (name.size() != prefix.size() + 8 || name.substr(0, prefix.size()) != prefix)
      continue;
    if (name.substr(prefix.size()).find_first_not_of("0123456789abcdef") != std::string_view::npos)
      continue;
    found.emplace_back(name);
  }
  ::closedir(dir);
  int removed = 0;
  for (const std::string &name : found)
    if (::unlink((folder.empty() ? name : folder + "/" + name).c_str()) == 0)
      ++removed;
  return removed;
}

std::vector<std::string> SplitLines(std::string_view text) {
  std::vector<std::string> lines;
  size_t start = 0;
  const size_t n = text.size();
  for (size_t i = 0; i < n; ++i) {
    const char c = text[i];
    if (c == '\r' || c == '\n') {
      lines.emplace_back(text.substr(start, i - start));
      if (c == '\r' && i + 1 < n && text[i + 1] == '\n')
        ++i;
      start = i + 1;
    }
  }
  if (start < n)
    lines.emplace_back(text.substr(start));
  return lines;
}

std::string JoinLinesCrLf(const std::vector<std::string> &lines) {
  size_t total = 0;
  for (const auto &l : lines)
    total += l.size() + 2;
  std::string out;
  out.reserve(total);
  for (const auto &l : lines) {
    out += l;
    out += "\r\n";
  }
  return out;
}

std::string Cp1250ToUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() + bytes.size() / 8);
  for (const char ch : bytes) {
    const auto b = static_cast<unsigned char>(ch);
    if (b < 0x80)
      out += ch;
    else
      AppendUtf8(out, kCp1250High[b - 0x80]);
  }
  return out;
}

std::string Utf8ToCp1250(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  size_t i = 0;
  while (i < text.size()) {
    const char32_t c = NextUtf8(text, i);
    if (c < 0x80) {
      out += static_cast<char>(c);
      continue;
    }
    char mapped = '?';
    if (c != 0xFFFD) {
      for (int k = 0; k < 128; ++k) {
        if (kCp1250High[k] == c) {
          mapped = static_cast<char>(0x80 + k);
          break;
        }
      }
    }
    out += mapped;
  }
  return out;
}

std::string DirectoryOf(const std::string &path) {
  const auto slash = path.find_last_of('/');
  if (slash == std::string::npos)
    return "";
  if (slash == 0)
    return "/";
  return path.substr(0, slash);
}

std::string ChangeFileExt(const std::string &path, const std::string &ext) {
  const auto slash = path.find_last_of('/');
  const auto dot = path.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
    return path + ext;
  return path.substr(0, dot) + ext;
}

bool HasFileExtension(const std::string &path, std::string_view ext) {
  const auto slash = path.find_last_of('/');
  const std::size_t start = slash == std::string::npos ? 0 : slash + 1;
  if (path.size() < start + ext.size() + 2 || path[path.size() - ext.size() - 1] != '.')
    return false;
  for (std::size_t i = 0; i < ext.size(); ++i) {
    const auto c = static_cast<unsigned char>(path[path.size() - ext.size() + i]);
    if (std::tolower(c) != static_cast<unsigned char>(ext[i]))
      return false;
  }
  return true;
}

} // namespace kd
