#pragma once
// The engine's output files: written to a temporary name in the same folder,
// flushed, and renamed over the target, so that a file either appears whole
// or not at all. Failures carry the system's reason ("No space left on
// device"), which the engine passes on to the user.
#include <cerrno>
#include <functional>
#include <string>
#include <string_view>

#include "core/text_file.h"

namespace kd::adj {

// Writes `bytes` to `path`. On failure returns false, sets `reason` to the
// system's text for the error, removes the temporary file and leaves an
// existing `path` as it was.
bool WriteOutputFile(const std::string &path, std::string_view bytes, std::string &reason);

// The same for a file written piece by piece (see kd::WriteFileAtomicStream).
bool WriteOutputFileStream(const std::string &path, const kd::ByteProducer &produce,
                           std::string &reason);

// Removes `path` if it exists. False with `reason` when it exists and cannot
// be removed.
bool RemoveOutputFile(const std::string &path, std::string &reason);

// Fault injection for the tests: when set, it is asked before the data of
// every output file is written; a nonzero error number it returns makes that
// write fail with the error, as a full disk or a broken medium would.
using WriteFaultHook = std::function<int(const std::string &path)>;
void SetWriteFaultHook(WriteFaultHook hook);

}  // namespace kd::adj
