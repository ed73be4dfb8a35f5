// The export options of the batch command: values inline or after the
// option, the axes, and the refusals made before anything runs.
#include "cli/batch_options.h"

#include <gtest/gtest.h>

TEST(ExportOptions, ReadInlineOrAfterTheOption) {
  BatchOptions o;
  std::string err;
  ASSERT_EQ(ParseBatchOptions({"--dxf=out/plan.DXF", "--dxf-axes", "xy", "--points-csv",
                               "p.csv", "k.txt", "m.txt"},
                              o, err),
            ParseOutcome::Run)
      << err;
  EXPECT_EQ(o.DxfFile, "out/plan.DXF");
  EXPECT_TRUE(o.DxfAxesXY);
  EXPECT_EQ(o.PointsCsvFile, "p.csv");
  ASSERT_EQ(ParseBatchOptions({"--dxf-axes=yx", "k.txt", "m.txt"}, o, err), ParseOutcome::Run);
  EXPECT_FALSE(o.DxfAxesXY);
  EXPECT_TRUE(o.DxfFile.empty());
  EXPECT_NE(BatchUsage("x").find("--points-csv FILE"), std::string::npos);
}

TEST(ExportOptions, BadValuesAreRefused) {
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{"--dxf", "plan.dwg"}, "--dxf: cannot tell the format of 'plan.dwg'"},
      {{"--dxf", "dir.dxf/plan"}, "the name must end in .dxf"},
      {{"--points-csv", "p.tsv"}, "the name must end in .csv"},
      {{"--points-csv="}, "option --points-csv needs a value"},
      {{"--dxf-axes", "north"}, "--dxf-axes takes xy or yx, not 'north'"},
      {{"--dxf", "a.dxf", "--dxf", "b.dxf"}, "option --dxf given twice"},
  };
  for (const auto &[args, message] : cases) {
    std::vector<std::string> all = args;
    all.insert(all.end(), {"k.txt", "m.txt"});
    BatchOptions o;
    std::string err;
    EXPECT_EQ(ParseBatchOptions(all, o, err), ParseOutcome::Error) << message;
    EXPECT_NE(err.find(message), std::string::npos) << err;
  }
  // The last option without its value.
  BatchOptions o;
  std::string err;
  EXPECT_EQ(ParseBatchOptions({"k.txt", "m.txt", "--dxf"}, o, err), ParseOutcome::Error);
  EXPECT_EQ(err, "option --dxf needs a value");
}
