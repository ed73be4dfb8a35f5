#pragma once
// Streaming reading of the engine's results document, without building a
// tree of the whole file: one pass over the file collects the element
// children of the document element (name and attribute values) and the
// byte range of the last child's text; the covariance numbers are then read
// from that range in a second pass, a buffer at a time.
//
// Only the plain documents the engine writes take this path: a prolog,
// comments and processing instructions, elements at most two levels below
// the document element, attribute values with the five named and the
// numeric character references, and a plain text (no reference, no markup)
// in the children. Anything else — and every document that is not
// well-formed — is left to the full XML parser, which gives the same values
// and its own description of a fault (ScanResults returns false).
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace kd {

struct ResultsChild {
  std::string Name;
  std::vector<std::string> Values;  // attribute values in document order
};

struct ScannedResults {
  std::vector<ResultsChild> Children;  // element children of the document element
  std::uint64_t TextBegin = 0;         // the last child's text: file bytes
  std::uint64_t TextEnd = 0;           // [TextBegin, TextEnd)
  std::uint64_t TextLength = 0;        // its length with CR LF counted as one
};

struct FileCloser {
  void operator()(std::FILE *f) const { std::fclose(f); }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

// Scans the open file from its start. False when the document is not of the
// plain kind above (or not well-formed, or cannot be read).
bool ScanResults(std::FILE *file, ScannedResults &out);

// Runs of number characters ("1234567890+-eE,.") of a byte range of a file,
// in order; each token is valid until the next call.
class NumberTokenStream {
public:
  NumberTokenStream(std::FILE *file, std::uint64_t begin, std::uint64_t end);
  // The next token; empty at the end of the range. False when the file
  // cannot be read.
  bool Next(std::string_view &token);

private:
  bool Fill();
  std::FILE *File;
  std::uint64_t Left;     // bytes of the range not yet in the buffer
  std::string Buffer;
  std::size_t Pos = 0, End = 0;
};

}  // namespace kd
