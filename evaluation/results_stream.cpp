#include "evaluation/results_stream.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace kd {

namespace {

constexpr std::size_t kChunk = std::size_t{1} << 20;

constexpr std::array<bool, 256> MakeNumberChars() {
  std::array<bool, 256> t{};
  for (char c : std::string_view("1234567890+-eE,.")) t[static_cast<unsigned char>(c)] = true;
  return t;
}
constexpr std::array<bool, 256> kNumberChars = MakeNumberChars();

bool NameChar(unsigned char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
         c == '_' || c == ':' || c == '-' || c == '.';
}
bool NameStart(unsigned char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == ':';
}
bool Blank(unsigned char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Bytes of the file a buffer at a time, with the offset of each.
class ByteReader {
public:
  explicit ByteReader(std::FILE *f) : File(f), Buffer(kChunk, '\0') {}
  // The next byte, or -1 at the end (or on a read error, then Failed()).
  int Get() {
    if (Pos == End && !Fill()) return -1;
    return static_cast<unsigned char>(Buffer[Pos++]);
  }
  int Peek() {
    if (Pos == End && !Fill()) return -1;
    return static_cast<unsigned char>(Buffer[Pos]);
  }
  std::uint64_t Offset() const { return Base + Pos; }
  bool Failed() const { return Error; }
  // Skips to the next '<' (not consumed) or the end. Counts CR LF pairs,
  // tells whether a '&' was passed and, when `checkBlank`, whether a byte
  // other than a blank was.
  void SkipText(bool checkBlank, bool &ampersand, bool &nonBlank, std::uint64_t &crlf) {
    bool prevCr = false;
    for (;;) {
      if (Pos == End && !Fill()) return;
      const char *p = Buffer.data() + Pos;
      const char *e = Buffer.data() + End;
      const char *lt = static_cast<const char *>(std::memchr(p, '<', static_cast<std::size_t>(e - p)));
      const char *stop = lt ? lt : e;
      const auto len = static_cast<std::size_t>(stop - p);
      if (!ampersand && std::memchr(p, '&', len)) ampersand = true;
      if (checkBlank && !nonBlank)
        nonBlank = std::any_of(p, stop, [](char c) { return !Blank(static_cast<unsigned char>(c)); });
      if (prevCr && p < stop && *p == '\n') ++crlf;
      for (const char *q = p; (q = static_cast<const char *>(std::memchr(q, '\r', static_cast<std::size_t>(stop - q))));) {
        if (++q < stop && *q == '\n') ++crlf;
      }
      prevCr = stop > p && stop[-1] == '\r';
      Pos = static_cast<std::size_t>(stop - Buffer.data());
      if (lt) return;
    }
  }
  // Skips past `terminator`; false at the end.
  bool SkipPast(std::string_view terminator) {
    std::size_t matched = 0;
    for (int c; (c = Get()) >= 0;) {
      if (c == static_cast<unsigned char>(terminator[matched])) {
        if (++matched == terminator.size()) return true;
      } else {
        matched = c == static_cast<unsigned char>(terminator[0]) ? 1 : 0;
      }
    }
    return false;
  }

private:
  bool Fill() {
    Base += End;
    Pos = End = 0;
    const std::size_t got = std::fread(Buffer.data(), 1, Buffer.size(), File);
    if (got == 0 && std::ferror(File)) Error = true;
    End = got;
    return got > 0;
  }
  std::FILE *File;
  std::string Buffer;
  std::size_t Pos = 0, End = 0;
  std::uint64_t Base = 0;
  bool Error = false;
};

void AppendUtf8(std::string &out, unsigned long cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

// Decodes the references of an attribute value; false for one it does not
// know (left to the full parser).
bool DecodeValue(const std::string &raw, std::string &out) {
  out.clear();
  for (std::size_t i = 0; i < raw.size(); ++i) {
    if (raw[i] != '&') {
      out += raw[i];
      continue;
    }
    const std::size_t semi = raw.find(';', i);
    if (semi == std::string::npos || semi - i > 12) return false;
    const std::string_view ref(raw.data() + i + 1, semi - i - 1);
    if (ref == "amp") out += '&';
    else if (ref == "lt") out += '<';
    else if (ref == "gt") out += '>';
    else if (ref == "quot") out += '"';
    else if (ref == "apos") out += '\'';
    else if (ref.size() >= 2 && ref[0] == '#') {
      const bool hex = ref[1] == 'x';
      const std::string_view digits = ref.substr(hex ? 2 : 1);
      if (digits.empty()) return false;
      unsigned long cp = 0;
      for (char c : digits) {
        int d;
        if (c >= '0' && c <= '9') d = c - '0';
        else if (hex && c >= 'a' && c <= 'f') d = c - 'a' + 10;
        else if (hex && c >= 'A' && c <= 'F') d = c - 'A' + 10;
        else return false;
        cp = cp * (hex ? 16 : 10) + static_cast<unsigned long>(d);
        if (cp > 0x10FFFF) return false;
      }
      if (cp == 0 || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
      AppendUtf8(out, cp);
    } else {
      return false;
    }
    i = semi;
  }
  return true;
}

// After '<' has been read: the name.
bool ReadName(ByteReader &in, std::string &name) {
  name.clear();
  int c = in.Peek();
  if (c < 0 || !NameStart(static_cast<unsigned char>(c))) return false;
  while ((c = in.Peek()) >= 0 && NameChar(static_cast<unsigned char>(c))) {
    name += static_cast<char>(c);
    in.Get();
  }
  return true;
}

void SkipBlanks(ByteReader &in) {
  for (int c; (c = in.Peek()) >= 0 && Blank(static_cast<unsigned char>(c));) in.Get();
}

// After the name of a start tag: the attributes up to '>' or "/>".
bool ReadAttributes(ByteReader &in, std::vector<std::string> *values, bool &empty) {
  std::string name, raw, value;
  for (;;) {
    const bool blank = in.Peek() >= 0 && Blank(static_cast<unsigned char>(in.Peek()));
    SkipBlanks(in);
    const int c = in.Get();
    if (c == '>') {
      empty = false;
      return true;
    }
    if (c == '/') {
      empty = true;
      return in.Get() == '>';
    }
    if (c < 0 || !blank || !NameStart(static_cast<unsigned char>(c))) return false;
    name.assign(1, static_cast<char>(c));
    for (int d; (d = in.Peek()) >= 0 && NameChar(static_cast<unsigned char>(d));) {
      name += static_cast<char>(d);
      in.Get();
    }
    SkipBlanks(in);
    if (in.Get() != '=') return false;
    SkipBlanks(in);
    const int quote = in.Get();
    if (quote != '"' && quote != '\'') return false;
    raw.clear();
    for (int d; (d = in.Get()) != quote;) {
      // Blanks other than the space are changed by the parser's rules; a
      // '<' is a fault: both are left to it.
      if (d < 0 || d == '<' || d == '\t' || d == '\r' || d == '\n') return false;
      raw += static_cast<char>(d);
    }
    if (!DecodeValue(raw, value)) return false;
    if (values) values->push_back(value);
  }
}

// Skips what may stand between elements: comments and processing
// instructions, after their "<!" or "<?" has been read.
bool SkipMarkup(ByteReader &in, int second) {
  if (second == '?') return in.SkipPast("?>");
  if (in.Get() != '-' || in.Get() != '-') return false;  // DOCTYPE, CDATA: not plain
  return in.SkipPast("-->");
}

}  // namespace

bool ScanResults(std::FILE *file, ScannedResults &out) {
  out = ScannedResults();
  if (std::fseek(file, 0, SEEK_SET) != 0) return false;
  ByteReader in(file);
  int depth = 0;  // 0 outside the document element
  bool rootSeen = false, rootClosed = false;
  std::string rootName, childName, name;
  for (;;) {
    bool ampersand = false, nonBlank = false;
    std::uint64_t crlf = 0;
    const std::uint64_t textBegin = in.Offset();
    in.SkipText(depth == 0, ampersand, nonBlank, crlf);
    if (in.Failed()) return false;
    const std::uint64_t textEnd = in.Offset();
    if (depth == 0 && nonBlank) return false;
    if (ampersand && depth > 0) return false;
    if (depth == 2) {
      out.TextBegin = textBegin;
      out.TextEnd = textEnd;
      out.TextLength = textEnd - textBegin - crlf;
    }
    const int lt = in.Get();
    if (lt < 0) return rootClosed && !in.Failed();
    const int c = in.Peek();
    if (c == '!' || c == '?') {
      in.Get();
      if (depth == 2) return false;  // the text would be split
      if (!SkipMarkup(in, c)) return false;
      continue;
    }
    if (c == '/') {
      in.Get();
      if (!ReadName(in, name)) return false;
      SkipBlanks(in);
      if (in.Get() != '>') return false;
      if (depth == 2 && name != childName) return false;
      if (depth == 1 && name != rootName) return false;
      if (depth == 0) return false;
      if (--depth == 0) rootClosed = true;
      continue;
    }
    if (!ReadName(in, name)) return false;
    bool empty = false;
    if (depth == 0) {
      if (rootSeen) return false;  // a second document element
      rootSeen = true;
      rootName = name;
      if (!ReadAttributes(in, nullptr, empty)) return false;
      if (empty) rootClosed = true;
      else depth = 1;
    } else if (depth == 1) {
      out.Children.push_back({name, {}});
      if (!ReadAttributes(in, &out.Children.back().Values, empty)) return false;
      // An empty child has no text: its range is empty.
      out.TextBegin = out.TextEnd = out.TextLength = 0;
      if (!empty) {
        childName = name;
        depth = 2;
      }
    } else {
      return false;  // deeper elements are not plain
    }
  }
}

NumberTokenStream::NumberTokenStream(std::FILE *file, std::uint64_t begin, std::uint64_t end)
    : File(file), Left(end > begin ? end - begin : 0), Buffer(kChunk, '\0') {
  if (std::fseek(File, static_cast<long>(begin), SEEK_SET) != 0) Left = 0;
}

bool NumberTokenStream::Fill() {
  // Keeps the bytes from Pos (a token begun) at the front.
  const std::size_t keep = End - Pos;
  if (keep > 0) std::memmove(Buffer.data(), Buffer.data() + Pos, keep);
  Pos = 0;
  End = keep;
  if (Left == 0) return false;
  if (End == Buffer.size()) Buffer.resize(Buffer.size() * 2);
  const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(Left, Buffer.size() - End));
  const std::size_t got = std::fread(Buffer.data() + End, 1, want, File);
  if (got == 0) {
    Left = 0;
    return false;
  }
  Left -= got;
  End += got;
  return true;
}

bool NumberTokenStream::Next(std::string_view &token) {
  // Separators.
  for (;;) {
    while (Pos < End && !kNumberChars[static_cast<unsigned char>(Buffer[Pos])]) ++Pos;
    if (Pos < End) break;
    if (!Fill()) {
      token = {};
      return !std::ferror(File);
    }
  }
  std::size_t i = Pos;
  for (;;) {
    while (i < End && kNumberChars[static_cast<unsigned char>(Buffer[i])]) ++i;
    if (i < End) break;
    const std::size_t offset = i - Pos;
    if (!Fill()) {
      i = End;
      break;
    }
    i = Pos + offset;
  }
  token = std::string_view(Buffer.data() + Pos, i - Pos);
  Pos = i;
  return !std::ferror(File);
}

}  // namespace kd
