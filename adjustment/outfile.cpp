#include "adjustment/outfile.h"

#include "core/text_file.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace kd::adj {

namespace {

WriteFaultHook &FaultHook() {
  static WriteFaultHook hook;
  return hook;
}

std::string Reason(int error) { return std::strerror(error); }

}  // namespace

void SetWriteFaultHook(WriteFaultHook hook) { FaultHook() = std::move(hook); }

bool WriteOutputFile(const std::string &path, std::string_view bytes, std::string &reason) {
  return kd::WriteFileAtomic(path, bytes, reason, FaultHook());
}

bool WriteOutputFileStream(const std::string &path, const kd::ByteProducer &produce,
                           std::string &reason) {
  return kd::WriteFileAtomicStream(path, produce, reason, FaultHook());
}

bool RemoveOutputFile(const std::string &path, std::string &reason) {
  reason.clear();
  if (::unlink(path.c_str()) == 0 || errno == ENOENT) return true;
  reason = Reason(errno);
  return false;
}

}  // namespace kd::adj
