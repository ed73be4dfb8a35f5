// The DXF drawing lays the plan out as the plotted plan does, which measures
// texts: the tests run in a GUI application on the offscreen platform.
#include <gtest/gtest.h>

#include <QGuiApplication>

int main(int argc, char **argv) {
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
