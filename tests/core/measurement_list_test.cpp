#include "core/text_grid.h"
#include "core/measurement_list.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {
std::vector<double> Stations(const MeasurementList &m) {
  std::vector<double> s;
  for (const auto &x : m.Items)
    s.push_back(x.Station);
  return s;
}
} // namespace

TEST(Measurements, AddExpandsPseudoTypesAndRefusesSelfMeasurements) {
  MeasurementList m;
  m.AddMeasurement(mtAll, 0.002, 7, 5);
  ASSERT_EQ(m.Count(), 3);
  EXPECT_EQ(m.Items[0].MeasType, mtZu);
  EXPECT_EQ(m.Items[1].MeasType, mtDi);
  EXPECT_EQ(m.Items[2].MeasType, mtSd);
  for (const auto &x : m.Items) {
    EXPECT_EQ(x.Station, 5);
    EXPECT_EQ(x.Target, 7);
    EXPECT_EQ(x.StdDev, 0.002);
    EXPECT_EQ(x.Value, 0);
    EXPECT_EQ(x.EngineStdDev, 0);
  }
  // The dialog's texts select the pseudo-types; unknown text means sd.
  EXPECT_EQ(MeasurementList::TypeCodeOf("vše"), mtAll);
  EXPECT_EQ(MeasurementList::TypeCodeOf("úhly"), mtAngles);
  EXPECT_EQ(MeasurementList::TypeCodeOf("SD?"), mtSd);
  EXPECT_EQ(MeasurementList::TypeName(mtAngles), "");
  m.AddMeasurement(mtAngles, 0.001, 2, 1);
  ASSERT_EQ(m.Count(), 5);
  EXPECT_EQ(m.Items[3].MeasType, mtZu);
  EXPECT_EQ(m.Items[4].MeasType, mtDi);
  for (std::uint8_t t = 0; t <= 8; ++t)
    m.AddMeasurement(t, 0.001, 5, 5);
  m.AddMeasurement(9, 0.001, 1, 2);
  EXPECT_EQ(m.Count(), 5);
  m.Delete(5);
  m.Delete(-1);
  EXPECT_EQ(m.Count(), 5);
  m.Delete(0);
  EXPECT_EQ(m.Items[0].MeasType, mtDi);
}

TEST(Measurements, SortIsStableByStation) {
  MeasurementList m;
  m.AddMeasurement(mtSd, 0, 9, 3);
  m.AddMeasurement(mtSd, 0, 9, 1);
  m.AddMeasurement(mtSd, 0, 9, 2);
  m.Sort();
  EXPECT_EQ(Stations(m), (std::vector<double>{1, 2, 3}));

  MeasurementList two;
  two.AddMeasurement(mtSd, 0, 9, 2);
  two.AddMeasurement(mtSd, 0, 9, 1);
  two.Sort();
  EXPECT_EQ(Stations(two), (std::vector<double>{2, 1})) << "two measurements are left as they are";

  // Equal stations keep their order: targets and types are no sort keys.
  MeasurementList s;
  double st[] = {5, 1, 5, 1, 3, 5};
  for (int i = 0; i < 6; ++i)
    s.AddMeasurement(static_cast<std::uint8_t>(i % 5), 0, 100 + i, st[i]);
  s.Sort();
  std::vector<double> targets;
  for (const auto &x : s.Items)
    targets.push_back(x.Target);
  EXPECT_EQ(targets, (std::vector<double>{101, 103, 104, 100, 102, 105}));
}

TEST(Measurements, PairsAndLabels) {
  MeasurementList m;
  m.AddMeasurement(mtSd, 0, 2, 1);
  m.AddMeasurement(mtZu, 0, 1, 2);
  m.AddMeasurement(mtZu, 0, 2, 1);
  m.AddMeasurement(mtPr, 0, 3, 1);
  m.AddMeasurement(mtGd, 0, 1, 3);
  m.AddMeasurement(mtVd, 0, 3, 2);
  m.BuildPairs();
  ASSERT_EQ(m.PairCount(), 3);
  EXPECT_EQ(m.Pairs[0].PointA, 1);
  EXPECT_EQ(m.Pairs[0].PointB, 2);
  EXPECT_EQ(MeasurementList::PairLabel(m.Pairs[0]), "1sd2ze");
  EXPECT_EQ(MeasurementList::PairLabel(m.Pairs[1]), "1gd1pr") << "gd comes before pr in the label";
  EXPECT_EQ(m.Pairs[1].Counts[pcPr], 1);
  EXPECT_EQ(m.FindPair(2, 1), 0);
  EXPECT_EQ(m.FindPair(3, 2), 2);
  EXPECT_EQ(m.FindPair(1, 9), -1);
  m.ClearPairs();
  EXPECT_EQ(m.PairCount(), 0);
  m.BuildPairs();
  EXPECT_EQ(m.PairCount(), 3);
}

TEST(Measurements, IndexLists) {
  MeasurementList m;
  m.AddMeasurement(mtGd, 0, 2, 1);
  m.AddMeasurement(mtPr, 0, 2, 1);
  m.BuildIndexLists();
  EXPECT_EQ(m.OrdinaryCount(), 0);
  EXPECT_EQ(m.SpecialIdx, (std::vector<int>{0, 1}));
  m.AddMeasurement(mtVd, 0, 2, 1);
  m.AddMeasurement(mtGd, 0, 2, 1);
  m.AddMeasurement(mtDi, 0, 2, 1);
  m.BuildIndexLists();
  EXPECT_EQ(m.OrdinaryIdx, (std::vector<int>{2, 4}));
  EXPECT_EQ(m.SpecialIdx, (std::vector<int>{0, 1, 3}));
}

TEST(Measurements, FillGrid) {
  MeasurementList m;
  TextGrid g;
  g.Resize(10, 7);
  g.FixedRows = 3;
  m.FillGrid(g, {"Type", "Station", "Target", "Precision"});
  EXPECT_EQ(g.RowCount(), 1);
  EXPECT_EQ(g.ColCount, 4);
  EXPECT_EQ(g.FixedRows, 0);
  EXPECT_EQ(g.Cell(0, 0), "Type");
  EXPECT_EQ(g.Cell(0, 1), "Station");
  EXPECT_EQ(g.Cell(0, 2), "Target");
  EXPECT_EQ(g.Cell(0, 3), "Precision");
  m.AddMeasurement(mtZu, 0.00123456, 2.5, 1);
  m.AddMeasurement(mtSd, 0.002, 1, 123456789);
  m.FillGrid(g, {"Type", "Station", "Target", "Precision"});
  ASSERT_EQ(g.RowCount(), 3);
  EXPECT_EQ(g.FixedRows, 1);
  EXPECT_EQ(g.Cell(1, 0), "zu");
  EXPECT_EQ(g.Cell(1, 1), "1.00");
  EXPECT_EQ(g.Cell(1, 2), "2.50");
  EXPECT_EQ(g.Cell(1, 3), "0.00123");
  EXPECT_EQ(g.Cell(2, 3), "0.00200");
  EXPECT_EQ(g.Cell(2, 1), "1.2345679E8");
  EXPECT_EQ(g.Cell(5, 5), "");
}

TEST(MeasurementFiles, ReadsFieldByField) {
  ScratchDir dir;
  std::string f = dir.File("m.txt");
  WriteRaw(f, "Type Station Target Precision\r\n"
              "sd 1 2 0.002\r\n"
              "sd1 3 0.003 trailing words\n"
              " sd 1 2 0.002\n"
              "SD 1 2 0.002\n"
              "v\xC5\xA1" "e 1 2 0.002\n" // UTF-8 "vše" is no file code either
              "v\x9A" "e 1 2 0.002\n"     // nor in Windows-1250
              "zu 5 5 0.001\n"
              "\n"
              "di\t4\t5\t0.0003\r"
              "gd 4\n5\n0.001\n"
              "pr -1.5 +2 0.001\n"
              "vd 1 2");
  MeasurementList m;
  ASSERT_EQ(m.LoadFromFile(f), 6);
  EXPECT_EQ(m.LoadResult, MeasurementList::lfOk);
  EXPECT_EQ(m.FileName, f);
  EXPECT_EQ(m.Items[0].MeasType, mtSd);
  EXPECT_EQ(m.Items[0].StdDev, 0.002);
  EXPECT_EQ(m.Items[1].Station, 1);
  EXPECT_EQ(m.Items[1].Target, 3);
  EXPECT_EQ(m.Items[2].MeasType, mtDi);
  EXPECT_EQ(m.Items[2].StdDev, 0.0003);
  EXPECT_EQ(m.Items[3].MeasType, mtGd) << "missing numbers come from the following lines";
  EXPECT_EQ(m.Items[3].Target, 5);
  EXPECT_EQ(m.Items[4].Station, -1.5);
  EXPECT_EQ(m.Items[4].StdDev, 0.001);
  EXPECT_EQ(m.Items[5].MeasType, mtVd);
  EXPECT_EQ(m.Items[5].StdDev, 0) << "a number due at the end of the file reads as 0";
}

TEST(MeasurementFiles, FormatErrorStopsAndKeepsWhatWasRead) {
  ScratchDir dir;
  std::string f = dir.File("m.txt");
  WriteRaw(f, "sd 1 2 0.002\nsd 1 3 0,002\nsd 1 4 0.002\n");
  MeasurementList m;
  m.FileName = "previous";
  EXPECT_EQ(m.LoadFromFile(f), 0);
  EXPECT_EQ(m.LoadResult, MeasurementList::lfFormatError);
  EXPECT_EQ(m.LoadErrorLine, 2);
  ASSERT_EQ(m.Count(), 1);
  EXPECT_EQ(m.FileName, "previous");

  WriteRaw(f, "sd 1 2\nhd 1 3 0.002\n");
  EXPECT_EQ(m.LoadFromFile(f), 0);
  EXPECT_EQ(m.LoadErrorLine, 2) << "a code where a number is due is an error";
  EXPECT_EQ(m.Count(), 0);
}

TEST(MeasurementFiles, UnreadableFileKeepsTheList) {
  ScratchDir dir;
  MeasurementList m;
  m.AddMeasurement(mtSd, 0.002, 2, 1);
  m.FileName = "previous";
  EXPECT_EQ(m.LoadFromFile(dir.File("missing.txt")), 0);
  EXPECT_EQ(m.LoadResult, MeasurementList::lfCannotRead);
  EXPECT_EQ(m.Count(), 1);
  EXPECT_EQ(m.FileName, "previous");
  EXPECT_EQ(m.LoadFromFile(dir.Path.string()), 0);
  EXPECT_EQ(m.Count(), 1);
  WriteRaw(dir.File("empty.txt"), "");
  EXPECT_EQ(m.LoadFromFile(dir.File("empty.txt")), 0);
  EXPECT_EQ(m.LoadResult, MeasurementList::lfOk);
  EXPECT_EQ(m.Count(), 0);
}

TEST(MeasurementFiles, SaveWritesOneLinePerMeasurement) {
  ScratchDir dir;
  MeasurementList m;
  m.AddMeasurement(mtSd, 0.002, 2, 1);
  m.AddMeasurement(mtGd, 0.0012345678, 1001.5, 12.345);
  std::string f = dir.File("out.txt");
  ASSERT_EQ(m.SaveToFile(f), 2);
  EXPECT_EQ(m.FileName, f);
  EXPECT_EQ(ReadRaw(f), "sd 1.00 2.00 0.00200 \r\ngd 12.35 1001.50 0.00123 \r\n");
  MeasurementList back;
  ASSERT_EQ(back.LoadFromFile(f), 2);
  EXPECT_EQ(back.Items[1].Station, 12.35);
  EXPECT_EQ(back.Items[1].StdDev, 0.00123);

  // A failed save leaves the old file and the file name as they were.
  std::filesystem::create_directory(dir.File("folder"));
  EXPECT_EQ(m.SaveToFile(dir.File("folder")), 0);
  EXPECT_EQ(m.SaveToFile(dir.File("none/x.txt")), 0);
  EXPECT_EQ(m.FileName, f);
  EXPECT_TRUE(std::filesystem::is_directory(dir.File("folder")));
}

TEST(MeasurementListFile, LoaderCountsWhatItDropsAndNotesNonPositiveDeviations) {
  ScratchDir dir;
  const std::string path = dir / "m.txt";
  WriteRaw(path, "# plan\r\nsd 1 2 0.002\r\nSD 1 3 0.002\r\n\r\nhd 4 4 0.002\r\nzu 1 3 0\r\n"
                 "vd 2 3 -0.001\r\nxx 1 2 3\r\ndi 1 2");
  MeasurementList m;
  ASSERT_EQ(m.LoadFromFile(path), 4);
  EXPECT_EQ(m.LastLoadSkipped.Unreadable, 2); // "SD" and "xx"
  EXPECT_EQ(m.LastLoadSkipped.FirstUnreadable, 3);
  EXPECT_EQ(m.LastLoadSkipped.Comments, 1);
  EXPECT_EQ(m.LastLoadSameStationTarget, 1);
  ASSERT_EQ(m.LastLoadNonPositive.size(), 3u); // zu 0, vd negative, di without its value
  EXPECT_EQ(m.LastLoadNonPositive[0].Line, 6);
  EXPECT_EQ(m.LastLoadNonPositive[1].Line, 7);
  EXPECT_EQ(m.LastLoadNonPositive[1].StdDev, -0.001);
  EXPECT_EQ(m.LastLoadNonPositive[2].Line, 9);
  EXPECT_FALSE(m.Modified());
  m.Sort(); // the evaluation's sort is no edit
  EXPECT_FALSE(m.Modified());
  m.AddMeasurement(mtSd, 0.001, 3, 3); // refused
  EXPECT_FALSE(m.Modified());
  m.Delete(0);
  EXPECT_TRUE(m.Modified());
}
