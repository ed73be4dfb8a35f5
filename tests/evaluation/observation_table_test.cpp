#include <cmath>

#include <gtest/gtest.h>

#include "evaluation/observation_table.h"

TEST(ObservationTable, RowsWithQuotesEmptyFieldsAndRejection) {
  const std::string text =
      "type,from,to,value,stdev_apriori,stdev_adjusted,redundancy,mdb,rejected\r\n"
      "direction,101.00,102.00,23.0099,3.030000,1.851623,0.626561,15.809245,0\r\n"
      "s-distance,\"A,1\",\"say \"\"B\"\"\",337.0275,1.7,0.78,0.0004,,0\r\n"
      "dh,1,2,-28.9938,0.5,,0.2,3.1,1\r\n";
  std::vector<ObservationRow> rows;
  std::string error;
  ASSERT_TRUE(ParseObservationTable(text, rows, error)) << error;
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0].Type, "direction");
  EXPECT_NEAR(static_cast<double>(rows[0].Redundancy), 0.626561, 1e-12);
  EXPECT_EQ(rows[1].From, "A,1");
  EXPECT_EQ(rows[1].To, "say \"B\"");
  EXPECT_TRUE(std::isnan(rows[1].Mdb)) << "an unchecked observation has no MDB";
  EXPECT_TRUE(rows[2].Rejected);
  EXPECT_TRUE(std::isnan(rows[2].StdevAdjusted));
  double number = 0;
  ASSERT_TRUE(PointNumberOfId(rows[0].To, number));
  EXPECT_EQ(number, 102);
  EXPECT_FALSE(PointNumberOfId(rows[1].From, number));
}

TEST(ObservationTable, MalformedTablesNameTheLine) {
  const std::string header =
      "type,from,to,value,stdev_apriori,stdev_adjusted,redundancy,mdb,rejected\n";
  std::vector<ObservationRow> rows;
  std::string error;
  EXPECT_FALSE(ParseObservationTable("type,from\n", rows, error));
  EXPECT_NE(error.find("line 1"), std::string::npos);
  EXPECT_FALSE(ParseObservationTable(header + "dh,1,2,1,1,1,0.5,1,0\ndh,1,2,x,1,1,0.5,1,0\n",
                                     rows, error));
  EXPECT_NE(error.find("line 3"), std::string::npos) << error;
  EXPECT_TRUE(rows.empty());
  EXPECT_FALSE(ParseObservationTable(header + "dh,\"1,2,1,1,1,0.5,1,0\n", rows, error));
  EXPECT_FALSE(ParseObservationTable(header + "dh,1,2,1,1,1,0.5,1,2\n", rows, error));
  EXPECT_FALSE(ReadObservationTable("/nonexistent/obs.csv", rows, error));
}

TEST(ObservationTable, ReliabilityClasses) {
  EXPECT_EQ(ReliabilityOf(0), ReliabilityClass::Uncontrolled);
  EXPECT_EQ(ReliabilityOf(0.0999L), ReliabilityClass::Uncontrolled);
  EXPECT_EQ(ReliabilityOf(0.1L), ReliabilityClass::Weak);
  EXPECT_EQ(ReliabilityOf(0.2999L), ReliabilityClass::Weak);
  EXPECT_EQ(ReliabilityOf(0.3L), ReliabilityClass::Controlled);
}
