#include "core/text_file.h"
#include "tests/support/scratch.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <new>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace kd;


TEST(SplitLines, AcceptsEveryLineEndAndNoFinalEnd) {
  EXPECT_EQ(SplitLines("a\r\nb\nc\rd"), (std::vector<std::string>{"a", "b", "c", "d"}));
  EXPECT_EQ(SplitLines("a\r\n"), (std::vector<std::string>{"a"}));
  EXPECT_EQ(SplitLines("a\n\nb\n"), (std::vector<std::string>{"a", "", "b"}));
  EXPECT_EQ(SplitLines("\r\r\n"), (std::vector<std::string>{"", ""}));
  EXPECT_TRUE(SplitLines("").empty());
  EXPECT_EQ(JoinLinesCrLf({"x", ""}), "x\r\n\r\n");
}

TEST(Cp1250, CzechLettersRoundTrip) {
  const std::string utf8 = "Načíst souřadnice – Žluťoučký kůň €";
  const std::string bytes = Utf8ToCp1250(utf8);
  EXPECT_EQ(bytes.size(), std::string("Nacist souradnice - Zlutoucky kun E").size());
  EXPECT_EQ(static_cast<unsigned char>(bytes[2]), 0xE8); // č
  EXPECT_EQ(Cp1250ToUtf8(bytes), utf8);
}

TEST(Cp1250, UndefinedAndUnmappableCharacters) {
  EXPECT_EQ(Cp1250ToUtf8("\x81"), "\xEF\xBF\xBD");
  EXPECT_EQ(Utf8ToCp1250("日本"), "??");
  EXPECT_EQ(Utf8ToCp1250("a\xC3"), "a?");       // truncated sequence
  EXPECT_EQ(Utf8ToCp1250("\xC0\xAF"), "??");    // overlong form
  std::string all;
  for (int b = 0; b < 256; ++b)
    all += static_cast<char>(b);
  const std::string back = Utf8ToCp1250(Cp1250ToUtf8(all));
  for (int b = 0; b < 256; ++b) {
    if (b == 0x81 || b == 0x83 || b == 0x88 || b == 0x90 || b == 0x98)
      EXPECT_EQ(back[b], '?');
    else
      EXPECT_EQ(static_cast<unsigned char>(back[b]), b);
  }
}

TEST(WriteFileAtomic, ReplacesWholeFileAndLeavesNoTemporary) {
  const ScratchDir scratch;
  const auto dir = scratch.Path;
  const auto f = (dir / "a.txt").string();
  ASSERT_TRUE(WriteFileAtomic(f, "first version, long text"));
  ASSERT_TRUE(WriteFileAtomic(f, "second"));
  std::string got;
  ASSERT_TRUE(ReadFileBytes(f, got));
  EXPECT_EQ(got, "second");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator{}), 1);
}

TEST(WriteFileAtomic, FailureKeepsThePreviousFile) {
  const ScratchDir scratch;
  const auto dir = scratch.Path;
  const auto f = (dir / "keep.txt").string();
  ASSERT_TRUE(WriteFileAtomic(f, "precious"));
  // A folder that cannot be written to (skipped when running as a user that
  // ignores permissions, such as root).
  ::chmod(dir.c_str(), 0500);
  if (::access(dir.c_str(), W_OK) != 0) {
    EXPECT_FALSE(WriteFileAtomic(f, "lost"));
  }
  ::chmod(dir.c_str(), 0700);
  // A directory in place of the target, and a missing folder, always fail.
  fs::create_directories(dir / "sub");
  EXPECT_FALSE(WriteFileAtomic((dir / "sub").string(), "x"));
  EXPECT_FALSE(WriteFileAtomic((dir / "missing" / "x.txt").string(), "x"));
  EXPECT_FALSE(WriteFileAtomic("", "x"));
  std::string got;
  ASSERT_TRUE(ReadFileBytes(f, got));
  EXPECT_EQ(got, "precious");
}

// A file written piece by piece: whole in order on success; a failing or
// throwing producer, or a request to end, leaves the previous file and no
// temporary.
TEST(WriteFileAtomicStream, PiecesInOrderOrNothingAtAll) {
  const ScratchDir scratch;
  const auto f = scratch / "big.xml";
  ASSERT_TRUE(WriteFileAtomic(f, "previous"));
  const auto count = [&] {
    return std::distance(fs::directory_iterator(scratch.Path), fs::directory_iterator{});
  };
  std::string reason;
  const auto pieces = [](const ByteSink &sink) {
    for (const char *piece : {"<a>", "1 2 3\n", "", "</a>\n"})
      if (const int e = sink(piece)) return e;
    return 0;
  };
  ASSERT_TRUE(WriteFileAtomicStream(f, pieces, reason)) << reason;
  std::string got;
  ASSERT_TRUE(ReadFileBytes(f, got));
  EXPECT_EQ(got, "<a>1 2 3\n</a>\n");

  ASSERT_TRUE(WriteFileAtomic(f, "previous"));
  const auto failing = [](const ByteSink &sink) { return sink("half") ? EIO : ENOSPC; };
  EXPECT_FALSE(WriteFileAtomicStream(f, failing, reason));
  EXPECT_EQ(reason, std::strerror(ENOSPC));
  const auto throwing = [](const ByteSink &sink) -> int {
    sink("half");
    throw std::bad_alloc();
  };
  EXPECT_THROW(WriteFileAtomicStream(f, throwing, reason), std::bad_alloc);
  // Asked to end while the pieces are written: the producer is told to stop.
  int refused = 0;
  const auto interrupted = [&](const ByteSink &sink) {
    if (const int e = sink("first")) return e;
    RequestInterrupt();
    refused = sink("second");
    return refused;
  };
  EXPECT_FALSE(WriteFileAtomicStream(f, interrupted, reason));
  ClearInterruptRequest();
  EXPECT_NE(refused, 0);
  EXPECT_EQ(reason, "interrupted");
  ASSERT_TRUE(ReadFileBytes(f, got));
  EXPECT_EQ(got, "previous");
  EXPECT_EQ(count(), 1);
}

TEST(ReadFileBytes, MissingFileAndDirectoryFail) {
  std::string got = "old";
  EXPECT_FALSE(ReadFileBytes("/nonexistent/file.txt", got));
  EXPECT_TRUE(got.empty());
  EXPECT_FALSE(ReadFileBytes(fs::temp_directory_path().string(), got));
}

TEST(Paths, DirectoryAndExtension) {
  EXPECT_EQ(DirectoryOf("/opt/kd/korva"), "/opt/kd");
  EXPECT_EQ(DirectoryOf("korva"), "");
  EXPECT_EQ(ChangeFileExt("/opt/kd/korva", ".ini"), "/opt/kd/korva.ini");
  EXPECT_EQ(ChangeFileExt("/opt/k.d/korva.exe", ".gfk"), "/opt/k.d/korva.gfk");
  EXPECT_EQ(ChangeFileExt("/opt/k.d/korva", ".txt"), "/opt/k.d/korva.txt");
  // Output formats are chosen by the extension, in any case, of the file
  // name itself, never of a folder.
  EXPECT_TRUE(HasFileExtension("out/Plan.DXF", "dxf"));
  EXPECT_TRUE(HasFileExtension("p.csv", "csv"));
  EXPECT_FALSE(HasFileExtension("out/.csv", "csv"));
  EXPECT_FALSE(HasFileExtension("dir.csv/x", "csv"));
  EXPECT_FALSE(HasFileExtension("points.csv.txt", "csv"));
  EXPECT_FALSE(HasFileExtension("pointscsv", "csv"));
  EXPECT_FALSE(HasFileExtension("", "csv"));
}
