#pragma once
// File boundary helpers shared by every reader and writer of the system.
//
// Files on disk are single-byte Windows-1250 text; inside the program all
// text is UTF-8. Writers never leave a half-written file: they write a
// temporary file next to the target and rename it over the target only when
// everything was written and flushed.
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace kd {

// Reads the whole file as bytes. False (and `bytes` emptied) when the file
// cannot be opened or read, or is not a regular file. Anything else (a
// folder, a named pipe, a device) is refused before it is opened, so a pipe
// without a writer cannot stall the reader.
bool ReadFileBytes(const std::string &path, std::string &bytes);
// The same, with the reason of a failure ("not a regular file", "No such
// file or directory") in `reason`.
bool ReadFileBytes(const std::string &path, std::string &bytes, std::string &reason);

// A text file may start with the UTF-8 byte-order mark (EF BB BF).
bool HasUtf8Bom(std::string_view bytes);
// The bytes without a leading byte-order mark.
std::string_view WithoutUtf8Bom(std::string_view bytes);
// The text of a file in UTF-8: after a byte-order mark the rest is UTF-8
// already, otherwise it is Windows-1250.
std::string DecodeFileText(std::string_view bytes);

// Writes `bytes` to `path` atomically: temporary file in the same folder,
// flush, then rename over the target. On any failure returns false, removes
// the temporary file and leaves an existing target exactly as it was.
bool WriteFileAtomic(const std::string &path, std::string_view bytes);
// The same, with the system's reason for a failure ("No space left on
// device") in `reason`. `beforeWrite`, when given, is asked before the data
// is written; a nonzero error number it returns fails the write with that
// error (fault injection for tests).
using WriteCheck = std::function<int(const std::string &path)>;
bool WriteFileAtomic(const std::string &path, std::string_view bytes, std::string &reason,
                     const WriteCheck &beforeWrite = {});

// The same for a file too large to hold in memory at once: `produce` hands
// the bytes to the sink it is given piece by piece, in order. The sink
// returns 0, or the error number of a failed write, which `produce` returns
// at once (it may also return an error of its own). Anything `produce`
// throws removes the temporary file and passes on to the caller; the target
// stays as it was in every failure.
using ByteSink = std::function<int(std::string_view bytes)>;
using ByteProducer = std::function<int(const ByteSink &sink)>;
bool WriteFileAtomicStream(const std::string &path, const ByteProducer &produce,
                           std::string &reason, const WriteCheck &beforeWrite = {});

// Removes what WriteFileAtomic leaves beside `path` when its process is
// killed while writing: files named like path + ".tmp" + eight hex digits.
// Returns the number removed.
int RemoveAtomicTemporaries(const std::string &path);

// A request to end the program (a signal): from then on every atomic write
// gives up before its target is replaced, removing its temporary file, with
// the reason "interrupted". RequestInterrupt is safe in a signal handler.
void RequestInterrupt();
bool InterruptRequested();
void ClearInterruptRequest();

// Splits text into lines ended by CR LF, LF or a lone CR. A final line
// without a line end is still a line; a final line end adds no empty line.
std::vector<std::string> SplitLines(std::string_view text);

// Joins lines with CR LF after every line (the form of every file we write).
std::string JoinLinesCrLf(const std::vector<std::string> &lines);

// Windows-1250 <-> UTF-8. Bytes that Windows-1250 leaves undefined decode to
// U+FFFD. Characters that Windows-1250 cannot hold encode to '?'; invalid
// UTF-8 sequences encode to '?' as well.
std::string Cp1250ToUtf8(std::string_view bytes);
std::string Utf8ToCp1250(std::string_view text);

// The folder part of a path ("" for a bare file name) and the path with its
// extension replaced ("ext" with its dot, e.g. ".txt").
std::string DirectoryOf(const std::string &path);
std::string ChangeFileExt(const std::string &path, const std::string &ext);
// The file name ends in "." and `ext` (given in lower case, without the dot)
// in any case, with a name before the dot: "a/Plan.DXF" has "dxf", "a/.dxf"
// and "a.dxf/plan" do not.
bool HasFileExtension(const std::string &path, std::string_view ext);

} // namespace kd
