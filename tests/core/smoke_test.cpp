#include "core/version.h"
#include <gtest/gtest.h>
#include <string>

TEST(Version, CaptionsCarryTheVersion) {
  EXPECT_NE(std::string(kd::MainWindowCaption).find(kd::ProgramVersion), std::string::npos);
  EXPECT_NE(std::string(kd::ApplicationTitle).find(kd::ProgramVersion), std::string::npos);
}
