#include "core/coordinate_parser.h"
#include "core/point_list.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <unistd.h>

namespace {
NetworkPoint P(double n, long double x = 0, long double y = 0, long double z = 0) {
  NetworkPoint p;
  p.Number = n;
  p.X = x;
  p.Y = y;
  p.Z = z;
  return p;
}
} // namespace

TEST(PointList, LookupsReturnTheFirstExactMatch) {
  PointList l;
  NetworkPoint out;
  EXPECT_FALSE(l.FindByNumber(1, out));
  EXPECT_EQ(l.IndexOfNumber(1), -1);
  l.Append(P(12.5, 1));
  EXPECT_EQ(l.IndexOfNumber(12.5), 0);
  EXPECT_EQ(l.IndexOfNumber(12), -1);
  EXPECT_EQ(l.IndexOfNumber(13), -1);
  l.Append(P(7, 2));
  l.Append(P(7.0, 3));
  ASSERT_TRUE(l.FindByNumber(7, out));
  EXPECT_EQ(out.X, 2);
  EXPECT_EQ(l.IndexOfNumber(7), 1);
  EXPECT_FALSE(l.AddUnique(P(7, 4)));
  EXPECT_EQ(l.Count(), 3);
  EXPECT_TRUE(l.AddUnique(P(8, 4)));
  EXPECT_EQ(l.Count(), 4);
  EXPECT_FALSE(l.Get(4, out));
  EXPECT_FALSE(l.Get(-1, out));
  EXPECT_EQ(out.X, 2) << "a failed Get leaves the output alone";
  PointNumberIndex idx(l);
  for (double n : {12.5, 7.0, 8.0, 9.0, -0.0})
    EXPECT_EQ(idx.IndexOf(n), l.IndexOfNumber(n)) << n;
}

TEST(PointList, DeleteNeverGoesBelowTwoPoints) {
  PointList l;
  for (int i = 1; i <= 3; ++i)
    l.Append(P(i));
  l.Delete(3);
  l.Delete(-1);
  EXPECT_EQ(l.Count(), 3);
  l.Delete(2); // the last one: nothing moves
  ASSERT_EQ(l.Count(), 2);
  EXPECT_EQ(l.Items[0].Number, 1);
  EXPECT_EQ(l.Items[1].Number, 2);
  l.Delete(0);
  EXPECT_EQ(l.Count(), 2);
}

TEST(PointList, FillProtocolGrowsOnlyWhenTheEstimateIsShort) {
  PointList l;
  l.Resize(2);
  l.ResetFill();
  for (int i = 0; i < 3; ++i)
    l.Add(P(i));
  EXPECT_EQ(l.FillCount, 3);
  l.Resize(l.FillCount);
  ASSERT_EQ(l.Count(), 3);
  EXPECT_EQ(l.Items[2].Number, 2);
  l.Resize(-5);
  EXPECT_EQ(l.Count(), 3);
}

TEST(PointList, Geometry) {
  PointList l;
  EXPECT_EQ(l.Extent().MaxX, 0) << "an empty list has a zero extent";
  l.Append(P(1, 0, 0, 0));
  l.Append(P(2, 3, -4, 12));
  l.Append(P(3, -1, 2, 5));
  BoundingBox e = l.Extent();
  EXPECT_EQ(e.MaxX, 3);
  EXPECT_EQ(e.MinX, -1);
  EXPECT_EQ(e.MinY, -4);
  EXPECT_EQ(e.MaxZ, 12);
  Vector3 c = l.Centre();
  EXPECT_EQ(c.X, 1);
  EXPECT_EQ(c.Y, -1);
  EXPECT_EQ(c.Z, 6);
  Vector3 a = l.DeltaXYZ(0, 1), b = l.DeltaXYZ(1, 0);
  EXPECT_EQ(a.X, -b.X);
  EXPECT_EQ(a.Y, -b.Y);
  EXPECT_EQ(a.Z, -b.Z);
  EXPECT_EQ(l.HorizDist(0, 1), 5);
  EXPECT_EQ(l.SlopeDist(0, 1), 13);
}

TEST(Parser, SplitsOnAnythingButNumberCharacters) {
  CoordinateLineParser p;
  EXPECT_EQ(std::string(p.NumberChars, 13), "0123456789.+-");
  p.Parse("12;1000.5;2000;300;0.001;0.002");
  ASSERT_EQ(p.ValueCount, 6);
  EXPECT_EQ(p.Values[1], 1000.5L);
  EXPECT_EQ(p.Values[5], 0.002L);
  EXPECT_EQ(p.Flag, 'a');
  EXPECT_EQ(p.Fault, kd::NumberFault::None);
  p.Parse("P12 x=-3.5 1 3 F");
  ASSERT_EQ(p.ValueCount, 4);
  EXPECT_EQ(p.Values[0], 12);
  EXPECT_EQ(p.Values[1], -3.5L);
  EXPECT_EQ(p.Values[2], 1);
  EXPECT_EQ(p.Values[3], 3);
  EXPECT_EQ(p.Flag, 'a') << "upper-case F does not mark a fixed point";
  p.Parse("fixed");
  EXPECT_EQ(p.ValueCount, 0);
  EXPECT_EQ(p.Flag, 'f');
  // Malformed tokens read as 0 and still count; lone signs and points are
  // no fault, the first malformed number is.
  p.Parse("- . 1.2.3 4-5 +7 .5 5.");
  ASSERT_EQ(p.ValueCount, 7);
  for (int i = 0; i < 4; ++i)
    EXPECT_EQ(p.Values[i], 0) << i;
  EXPECT_EQ(p.Fault, kd::NumberFault::SecondPoint);
  EXPECT_EQ(p.FaultIndex, 2);
  EXPECT_EQ(p.Values[4], 7);
  EXPECT_EQ(p.Values[5], 0.5L);
  EXPECT_EQ(p.Values[6], 5);
  p.Parse("");
  EXPECT_EQ(p.ValueCount, 0);
  p.Parse(std::string(5000, '9')); // far beyond any float: reads as 0
  ASSERT_EQ(p.ValueCount, 1);
  EXPECT_EQ(p.Values[0], 0);
  EXPECT_EQ(p.Fault, kd::NumberFault::OutOfRange);
}

TEST(CoordinateFiles, FullFormatLinesAndMarks) {
  ScratchDir dir;
  std::string f = dir.File("c.txt");
  WriteRaw(f, "header without digits\r\n"
              "12 1000 2000 300 0.001 0.002 f\r\n"
              "13 1000 2000 300 0.001 0.002 a\n"
              "14 1000 2000 300 0.001 0.002\r"
              "15 1 2 3 4 5 fence post\n"
              "16 1 2 3 4 5 F\n"
              "17 1 2 3 4\n"
              "18 1;2;3;4;5;6;7;8 f");
  PointList l;
  ASSERT_EQ(l.LoadFull(f), 6);
  EXPECT_EQ(l.FileName, f);
  EXPECT_EQ(l.Items[0].Number, 12);
  EXPECT_TRUE(l.Items[0].Fixed);
  EXPECT_EQ(l.Items[0].Sc, 0.001);
  EXPECT_EQ(l.Items[0].Svp, 0.002);
  EXPECT_EQ(l.Items[0].Z, 300);
  EXPECT_FALSE(l.Items[1].Fixed);
  EXPECT_FALSE(l.Items[2].Fixed);
  EXPECT_TRUE(l.Items[3].Fixed) << "an f in a comment marks the point fixed";
  EXPECT_FALSE(l.Items[4].Fixed);
  EXPECT_EQ(l.Items[5].Number, 18) << "a last line without a line end is read";
  EXPECT_EQ(l.Items[5].Svp, 5);

  PointList s;
  ASSERT_EQ(s.LoadSimple(f), 7);
  EXPECT_FALSE(s.Items[0].Fixed);
  EXPECT_EQ(s.Items[0].Sc, 0);
  EXPECT_EQ(s.Items[5].Number, 17);
  EXPECT_EQ(s.Items[5].Z, 3);
}

TEST(CoordinateFiles, SaveWritesTheFullFormat) {
  ScratchDir dir;
  PointList l;
  NetworkPoint p = P(12, 1000, 2000, 300);
  p.Sc = 0.001;
  p.Svp = 0.002;
  p.Fixed = true;
  l.Append(p);
  l.Append(P(1.26, 123456.123456L, -0.5L, 0));
  l.FileName = dir.File("out.txt");
  ASSERT_EQ(l.Save(), 2);
  EXPECT_EQ(ReadRaw(l.FileName), "12.0 1000.00000 2000.00000 300.00000 0.00100 0.00200 f\r\n"
                                 "1.3 123456.12350 -0.50000 0.00000 0.00000 0.00000 a\r\n");
  PointList back;
  ASSERT_EQ(back.LoadFull(l.FileName), 2);
  EXPECT_EQ(back.Items[1].Number, 1.3);
  EXPECT_EQ(back.IndexOfNumber(1.3), 1);
}

TEST(CoordinateFiles, ReadFailuresEmptyTheList) {
  ScratchDir dir;
  PointList l;
  l.Append(P(1));
  l.FileName = "old";
  EXPECT_EQ(l.LoadFull(dir.File("missing.txt")), 0);
  EXPECT_TRUE(l.LastLoadError);
  EXPECT_EQ(l.Count(), 0);
  EXPECT_EQ(l.FileName, "");
  l.Append(P(1));
  EXPECT_EQ(l.LoadSimple(dir.Path.string()), 0) << "a folder is not a coordinate file";
  EXPECT_EQ(l.Count(), 0);
  WriteRaw(dir.File("empty.txt"), "");
  EXPECT_EQ(l.LoadFull(dir.File("empty.txt")), 0);
  EXPECT_FALSE(l.LastLoadError);
  EXPECT_EQ(l.FileName, dir.File("empty.txt"));
}

TEST(CoordinateFiles, GarbageAndHugeLinesDoNotHurt) {
  ScratchDir dir;
  std::string bytes;
  std::mt19937 rng(7);
  for (int i = 0; i < 200000; ++i)
    bytes += static_cast<char>(rng() & 0xFF);
  bytes += "\n424242.5 2 3 4 5 6 f\n";
  bytes += std::string(3000000, '1') + " 2 3 4 5 6\n"; // a line of megabytes
  bytes += std::string(1000000, 'x');
  WriteRaw(dir.File("g.txt"), bytes);
  PointList l;
  int n = l.LoadFull(dir.File("g.txt"));
  EXPECT_EQ(n, l.Count());
  ASSERT_GE(n, 2);
  NetworkPoint out;
  EXPECT_TRUE(l.FindByNumber(424242.5, out));
  EXPECT_TRUE(out.Fixed);
  for (const NetworkPoint &p : l.Items)
    EXPECT_TRUE(std::isfinite(p.Number) && std::isfinite(static_cast<double>(p.X)));
}

TEST(CoordinateFiles, SaveIntoMissingOrReadOnlyPlaceFails) {
  ScratchDir dir;
  PointList l;
  l.Append(P(1, 1, 2, 3));
  l.Append(P(2, 4, 5, 6));
  l.FileName = dir.File("nofolder/c.txt");
  EXPECT_EQ(l.Save(), 0);
  EXPECT_FALSE(std::filesystem::exists(l.FileName));
  l.FileName = "";
  EXPECT_EQ(l.Save(), 0);
  // A target that is a folder cannot be replaced.
  std::filesystem::create_directory(dir.File("folder"));
  l.FileName = dir.File("folder");
  EXPECT_EQ(l.Save(), 0);
  EXPECT_TRUE(std::filesystem::is_directory(dir.File("folder")));
  // Read-only folder: the old file stays exactly as it was.
  std::string f = dir.File("ro/c.txt");
  std::filesystem::create_directory(dir.File("ro"));
  WriteRaw(f, "old content\r\n");
  std::filesystem::permissions(dir.File("ro"), std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
  l.FileName = f;
  if (geteuid() != 0) {
    EXPECT_EQ(l.Save(), 0);
    EXPECT_EQ(ReadRaw(f), "old content\r\n");
  }
  std::filesystem::permissions(dir.File("ro"), std::filesystem::perms::owner_all);
}

TEST(PointListFile, LoaderCountsSkippedLinesAndOnlyEditsMarkTheListChanged) {
  ScratchDir dir;
  const std::string path = dir / "c.txt";
  const std::string text = "# grid\r\nNo X Y Z\r\n1 0 0 0 0 0 f\r\n\r\n2 5 0 0\r\n; x\r\n3 5 5 0 0 0\r\n";
  WriteRaw(path, text);
  PointList list;
  ASSERT_EQ(list.LoadFull(path), 2);
  EXPECT_EQ(list.LastLoadSkipped.Unreadable, 2); // the header and the short line; the blank one is not
  EXPECT_EQ(list.LastLoadSkipped.FirstUnreadable, 2);
  EXPECT_EQ(list.LastLoadSkipped.Comments, 2);
  EXPECT_EQ(SkippedLinesText(list.LastLoadSkipped), "2 lines skipped, first at line 2; 2 comment lines");
  EXPECT_FALSE(list.Modified());

  const auto before = list.ChangeCount();
  NetworkPoint p;
  p.Number = 1;
  EXPECT_FALSE(list.AddUnique(p)); // refused: no change
  list.Delete(5);                  // bad index: no change
  EXPECT_FALSE(list.Modified());
  EXPECT_EQ(list.ChangeCount(), before);
  p.Number = 9;
  EXPECT_TRUE(list.AddUnique(p));
  EXPECT_TRUE(list.Modified());

  // The save keeps the file with its lost lines as .bak, once.
  ASSERT_EQ(list.Save(), 3);
  EXPECT_FALSE(list.Modified());
  EXPECT_EQ(list.LastBackup, path + ".bak");
  EXPECT_EQ(ReadRaw(path + ".bak"), text);
  list.Delete(0);
  ASSERT_EQ(list.Save(), 2);
  EXPECT_TRUE(list.LastBackup.empty());
  EXPECT_EQ(ReadRaw(path + ".bak"), text);

  // A backup that cannot be written stops the save; the file stays.
  WriteRaw(path, text);
  ASSERT_EQ(list.LoadFull(path), 2);
  std::filesystem::create_directory(path + ".bak.tmp"); // blocks the atomic write
  std::filesystem::remove(path + ".bak");
  std::filesystem::create_directory(path + ".bak");
  list.Delete(0);
  list.Append(p);
  EXPECT_EQ(list.Save(), 0);
  EXPECT_EQ(ReadRaw(path), text);
}
