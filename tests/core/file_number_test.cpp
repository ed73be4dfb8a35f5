// One rule for numbers in both data files: a malformed number makes its line
// unreadable (coordinates) or the file faulty (measurements), and is named.
#include "core/coordinate_parser.h"
#include "core/file_number.h"
#include "core/measurement_list.h"
#include "core/point_list.h"
#include "core/text_file.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using kd::NumberFault;

TEST(FileNumber, PlainNumbersAndEachFault) {
  long double v = 7;
  EXPECT_EQ(kd::ReadFileNumber("-12.5", v), NumberFault::None);
  EXPECT_EQ(v, -12.5L);
  EXPECT_EQ(kd::ReadFileNumber(".5", v), NumberFault::None);
  EXPECT_EQ(kd::ReadFileNumber("5.", v), NumberFault::None);
  EXPECT_EQ(v, 5);
  v = 7;
  EXPECT_EQ(kd::ReadFileNumber("5412..30500", v), NumberFault::SecondPoint);
  EXPECT_EQ(kd::ReadFileNumber("1.2.3", v), NumberFault::SecondPoint);
  EXPECT_EQ(kd::ReadFileNumber("1000,123", v), NumberFault::DecimalComma);
  EXPECT_EQ(kd::ReadFileNumber("5.0e3", v), NumberFault::Exponent);
  EXPECT_EQ(kd::ReadFileNumber("1E-3", v), NumberFault::Exponent);
  EXPECT_EQ(kd::ReadFileNumber("12-5", v), NumberFault::InnerSign);
  EXPECT_EQ(kd::ReadFileNumber(std::string(5000, '9'), v), NumberFault::OutOfRange);
  EXPECT_EQ(kd::ReadFileNumber("-", v), NumberFault::NotANumber);
  EXPECT_EQ(kd::ReadFileNumber("12a", v), NumberFault::NotANumber);
  EXPECT_EQ(kd::ReadFileNumber("", v), NumberFault::NotANumber);
  EXPECT_EQ(v, 7) << "a fault leaves the value untouched";
  EXPECT_EQ(kd::NumberFaultText(NumberFault::DecimalComma, 8), "decimal comma at line 8: use a decimal point");
  EXPECT_EQ(kd::NumberFaultText(NumberFault::None, 8), "");
}

TEST(FileNumber, WhatSeparatesFieldsStaysAndWhatIsOneNumberIsKeptTogether) {
  CoordinateLineParser p;
  // Blanks or semicolons separate the fields: a comma between digits is a
  // decimal comma, taken as one (unreadable) number.
  p.Parse("101 1000,123 2000,456 300,0 0,001 0,002 f");
  EXPECT_EQ(p.ValueCount, 6);
  EXPECT_EQ(p.Fault, NumberFault::DecimalComma);
  EXPECT_EQ(p.FaultIndex, 1);
  p.Parse("12;1000,5;2000;300;0.001;0.002");
  EXPECT_EQ(p.Fault, NumberFault::DecimalComma);
  // Commas as the only separators (a comma-separated file) stay separators,
  // also between integers.
  p.Parse("101,1000.5,2000.5,300,0.001,0.002,f");
  EXPECT_EQ(p.Fault, NumberFault::None);
  ASSERT_EQ(p.ValueCount, 6);
  EXPECT_EQ(p.Values[2], 2000.5L);
  p.Parse("101,1000,2000,300,0,0");
  EXPECT_EQ(p.Fault, NumberFault::None);
  EXPECT_EQ(p.ValueCount, 6);
  p.Parse("101, 1000.5, 2000.5");
  EXPECT_EQ(p.Fault, NumberFault::None);
  EXPECT_EQ(p.ValueCount, 3);
  // An exponent is part of its number, a word after a number is not.
  p.Parse("101 5.0e3 2000 300 0 0");
  EXPECT_EQ(p.ValueCount, 6);
  EXPECT_EQ(p.Fault, NumberFault::Exponent);
  EXPECT_EQ(p.FaultIndex, 1);
  p.Parse("101 1000 2000 300 0 0 f 2e east");
  EXPECT_EQ(p.Fault, NumberFault::None);
  EXPECT_EQ(p.ValueCount, 7);
  EXPECT_EQ(p.Flag, 'f');
}

namespace {

// The sample's fixed point and an adjusted point, each line in turn spoilt.
const char *const kGoodLines = "102 5412.30500 1268.71200 460.12000 0.00100 0.00100 f\r\n"
                               "104 5498.10000 1301.52000 458.90000 0.00100 0.00100 a\r\n"
                               "105 5500.10000 1305.52000 458.00000 0.00100 0.00100 a\r\n";

struct Spoilt {
  const char *Line;
  NumberFault Fault;
};

} // namespace

TEST(CoordinateFiles, AMalformedNumberMakesItsLineUnreadableAndIsNamed) {
  ScratchDir dir;
  const Spoilt cases[] = {
      {"102 5412..30500 1268.71200 460.12000 0.00100 0.00100 f", NumberFault::SecondPoint},
      {"102 5.41230500e3 1268.71200 460.12000 0.00100 0.00100 f", NumberFault::Exponent},
      {"102 5412,30500 1268,71200 460,12000 0,00100 0,00100 f", NumberFault::DecimalComma},
      {"104 5498.10000 1301.52000 458.90000 0.00100 0.001.00 a", NumberFault::SecondPoint},
      {"104 5498.1E0 1301.52000 458.90000 0.00100 0.00100 a", NumberFault::Exponent},
      {"104\t5498,10000\t1301,52000\t458,90000\t0,00100\t0,00100\ta", NumberFault::DecimalComma},
      {"104 5498.10000 1301.52000 458.90000-0.00100 0.00100 a", NumberFault::InnerSign},
  };
  for (const Spoilt &c : cases) {
    SCOPED_TRACE(c.Line);
    const std::string path = dir / "c.txt";
    WriteRaw(path, std::string("# net\r\n") + kGoodLines + c.Line + "\r\n");
    for (bool full : {true, false}) {
      PointList list;
      const int n = full ? list.LoadFull(path) : list.LoadSimple(path);
      const bool usedByLoader = full || std::string(c.Line).find("0.001.00") == std::string::npos;
      if (!usedByLoader) {
        // The simple format does not read the sixth value: no fault there.
        EXPECT_EQ(n, 4);
        continue;
      }
      EXPECT_EQ(n, 3) << "the spoilt line is not a point";
      EXPECT_EQ(list.LastLoadSkipped.Unreadable, 1);
      EXPECT_EQ(list.LastLoadSkipped.FirstUnreadable, 5);
      EXPECT_EQ(list.LastLoadSkipped.FirstNumberFault, c.Fault);
      EXPECT_EQ(list.LastLoadSkipped.FirstNumberFaultLine, 5);
      EXPECT_NE(SkippedLinesText(list.LastLoadSkipped).find(kd::NumberFaultText(c.Fault, 5)),
                std::string::npos);
    }
  }
  // The decimal comma is named also when another fault came first.
  WriteRaw(dir / "c.txt", std::string(kGoodLines) + cases[0].Line + "\r\n" + cases[2].Line + "\r\n");
  PointList list;
  EXPECT_EQ(list.LoadFull(dir / "c.txt"), 3);
  EXPECT_EQ(SkippedLinesText(list.LastLoadSkipped),
            "2 lines skipped, first at line 4; second decimal point in a number at line 4; "
            "decimal comma at line 5: use a decimal point");
}

TEST(CoordinateFiles, MalformedNumbersInANoteOrACommentDoNotMatter) {
  ScratchDir dir;
  const std::string path = dir / "c.txt";
  WriteRaw(path, std::string(kGoodLines) +
                     "106 5501 1306 457 0.001 0.001 a set out 2024-05-06, 1,5 m east\r\n"
                     "# old 106 5501,1 1306,2 457,0\r\n");
  PointList list;
  ASSERT_EQ(list.LoadFull(path), 4);
  EXPECT_EQ(list.Items[3].X, 5501);
  EXPECT_EQ(list.LastLoadSkipped.Unreadable, 0);
  EXPECT_EQ(list.LastLoadSkipped.Comments, 1);
  EXPECT_EQ(list.LastLoadSkipped.FirstNumberFault, NumberFault::None);
}

TEST(MeasurementFiles, TheSameNumbersAreRefusedAndNamed) {
  ScratchDir dir;
  const std::string path = dir / "m.txt";
  const Spoilt cases[] = {
      {"sd 101 104 0.00.2", NumberFault::SecondPoint},
      {"sd 101 104 2e-3", NumberFault::Exponent},
      {"sd 101 104 0,002", NumberFault::DecimalComma},
      {"sd 101,5 104 0.002", NumberFault::DecimalComma},
      {"sd 101 104-0.002", NumberFault::InnerSign},
  };
  for (const Spoilt &c : cases) {
    SCOPED_TRACE(c.Line);
    WriteRaw(path, std::string("sd 101 102 0.002\r\n") + c.Line + "\r\n");
    MeasurementList m;
    EXPECT_EQ(m.LoadFromFile(path), 0);
    EXPECT_EQ(m.LoadResult, MeasurementList::lfFormatError);
    EXPECT_EQ(m.LoadErrorLine, 2);
    EXPECT_EQ(m.LoadErrorFault, c.Fault);
  }
  // Notes after a measurement's numbers stay notes.
  WriteRaw(path, "sd 101 102 0.002 plumb wire 1, 2e3\r\n");
  MeasurementList m;
  EXPECT_EQ(m.LoadFromFile(path), 1);
  EXPECT_EQ(m.LoadResult, MeasurementList::lfOk);
}

TEST(DataFiles, EveryLoaderSkipsAByteOrderMark) {
  ScratchDir dir;
  WriteRaw(dir / "c.txt", std::string("\xEF\xBB\xBF") + kGoodLines);
  PointList list;
  EXPECT_EQ(list.LoadFull(dir / "c.txt"), 3);
  EXPECT_EQ(list.Items[0].Number, 102);
  EXPECT_FALSE(list.LastLoadSkipped.Any());
  EXPECT_EQ(list.LoadSimple(dir / "c.txt"), 3);
  EXPECT_FALSE(list.LastLoadSkipped.Any());

  WriteRaw(dir / "m.txt", "\xEF\xBB\xBFsd 101 102 0.002\r\nzu 101 102 0.0003\r\n");
  MeasurementList m;
  EXPECT_EQ(m.LoadFromFile(dir / "m.txt"), 2);
  EXPECT_EQ(m.Items[0].MeasType, mtSd);
  EXPECT_FALSE(m.LastLoadSkipped.Any()) << "the first line is a measurement";

  EXPECT_EQ(kd::DecodeFileText("\xEF\xBB\xBF\xC5\xA1"), "\xC5\xA1") << "after a mark the text is UTF-8";
  EXPECT_EQ(kd::DecodeFileText("\x9A"), "\xC5\xA1") << "without one it is Windows-1250";
}

namespace {

// Runs `load` on a named pipe nobody writes to; true when it returned
// within a second. A loader that blocks is released by opening the pipe's
// other end, so the test never hangs.
template <class Load> bool ReturnsOnAPipe(const std::string &fifo, Load load) {
  std::atomic<bool> done{false};
  std::thread t([&] {
    load();
    done = true;
  });
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(1);
  while (!done && std::chrono::steady_clock::now() < until)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  const bool inTime = done;
  if (!inTime) {
    const int fd = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
    if (fd >= 0)
      ::close(fd);
  }
  t.join();
  return inTime;
}

} // namespace

TEST(DataFiles, ANamedPipeIsRefusedBeforeItIsOpened) {
  ScratchDir dir;
  const std::string fifo = dir / "pipe.txt";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  std::string bytes, reason;
  bool read = true;
  EXPECT_TRUE(ReturnsOnAPipe(fifo, [&] { read = kd::ReadFileBytes(fifo, bytes, reason); }));
  EXPECT_FALSE(read);
  EXPECT_EQ(reason, "it is not a regular file");
  PointList list;
  EXPECT_TRUE(ReturnsOnAPipe(fifo, [&] { list.LoadFull(fifo); }));
  EXPECT_TRUE(list.LastLoadError);
  MeasurementList m;
  EXPECT_TRUE(ReturnsOnAPipe(fifo, [&] { m.LoadFromFile(fifo); }));
  EXPECT_EQ(m.LoadResult, MeasurementList::lfCannotRead);
  EXPECT_FALSE(kd::ReadFileBytes(dir.Path.string(), bytes, reason));
  EXPECT_EQ(reason, "it is a folder");
}
