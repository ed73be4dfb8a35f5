// The settings store: typed values with change signals, the newer
// preferences kept between runs, and the ten-line file unchanged.
#include "app/settings_store.h"

#include "core/text_file.h"

#include <QCoreApplication>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using kd::app::PlanPreferences;
using kd::app::SettingsStore;

namespace {

class SettingsStoreTest : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(Dir.isValid());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, Dir.filePath("preferences"));
  }
  std::string Path(const char *name) const { return Dir.filePath(name).toStdString(); }
  QTemporaryDir Dir;
};

} // namespace

TEST_F(SettingsStoreTest, PlanPreferencesSignalWhatChangedAndLastBetweenRuns) {
  SettingsStore store;
  EXPECT_EQ(store.Plans(), PlanPreferences{}); // nothing stored yet
  QStringList seen;
  QObject::connect(&store, &SettingsStore::PlansChanged, [&] { seen << "plans"; });
  QObject::connect(&store, &SettingsStore::ConfidenceChanged, [&](ConfidenceLevel l) {
    seen << (l == ConfidenceLevel::Percent95 ? "95" : "standard");
  });
  QObject::connect(&store, &SettingsStore::ToleranceChanged, [&] { seen << "tolerance"; });
  QObject::connect(&store, &SettingsStore::MagnificationChanged, [&](double) { seen << "magnification"; });
  QObject::connect(&store, &SettingsStore::LivePrecisionChanged, [&](bool) { seen << "live"; });

  PlanPreferences p = store.Plans();
  p.Percent95 = true;
  p.ToleranceSigmaZMm = 2.5;
  store.SetPlans(p);
  EXPECT_EQ(seen, (QStringList{"plans", "95", "tolerance"}));
  store.SetPlans(p); // the same values: no signal
  EXPECT_EQ(seen.size(), 3);
  p.Magnification = 5000;
  p.LivePrecision = true;
  store.SetPlans(p);
  EXPECT_EQ(seen.mid(3), (QStringList{"plans", "magnification", "live"}));
  EXPECT_EQ(store.Confidence(), ConfidenceLevel::Percent95);
  EXPECT_EQ(store.Tolerance().Vertical, 2.5L);
  EXPECT_EQ(store.Tolerance().Horizontal, 0.0L);

  store.SetReport({QStringLiteral("Tunnel A"), QString::fromUtf8("J. Nov\u00e1k")});
  // The next run finds them.
  SettingsStore next;
  EXPECT_EQ(next.Plans(), p);
  EXPECT_EQ(next.Report().Author, QString::fromUtf8("J. Nov\u00e1k"));
}

TEST_F(SettingsStoreTest, UnusableStoredValuesKeepTheirDefaults) {
  {
    QSettings s(QSettings::IniFormat, QSettings::UserScope, "Korvadimensio", "Korvadimensio3D");
    s.setValue("Plans/Magnification", "-3");
    s.setValue("Plans/ToleranceSemiMajorMm", "nan");
    s.setValue("Plans/ToleranceSigmaZMm", "many");
  }
  SettingsStore store;
  EXPECT_EQ(store.Magnification(), 0.0);
  EXPECT_EQ(store.Tolerance().Horizontal, 0.0L);
  EXPECT_EQ(store.Tolerance().Vertical, 0.0L);
}

// The ten-line file is read and written byte for byte as before: a file
// written by the store reads back the same, and a faulty one gives every
// value its default.
TEST_F(SettingsStoreTest, TenLineFileRoundTripsAndFaultsGiveDefaults) {
  SettingsStore store;
  int changes = 0;
  QObject::connect(&store, &SettingsStore::ProgramChanged, [&] { ++changes; });
  EXPECT_EQ(store.LoadProgramFile(Path("absent.ini")), SettingsLoad::Missing);
  EXPECT_EQ(changes, 0);

  const std::string file =
      "clYellow\r\nclLime\r\nclSilver\r\nclRed\r\nclBlack\r\nArial\r\n12\r\n2\r\nF\r\nCZ.pck\r\n";
  ASSERT_TRUE(kd::WriteFileAtomic(Path("k.ini"), file));
  EXPECT_EQ(store.LoadProgramFile(Path("k.ini")), SettingsLoad::Loaded);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(store.Program().FontName, "Arial");
  EXPECT_EQ(store.Program().FontSize, 12);
  EXPECT_EQ(store.Program().ScSvpMode, ScSvpMode::WholeNetwork);
  EXPECT_FALSE(store.Program().AutoSave);
  EXPECT_EQ(store.Program().LangPackFile, "CZ.pck");
  ASSERT_TRUE(store.SaveProgramFile(Path("copy.ini")));
  std::string a, b;
  ASSERT_TRUE(kd::ReadFileBytes(Path("k.ini"), a));
  ASSERT_TRUE(kd::ReadFileBytes(Path("copy.ini"), b));
  EXPECT_EQ(a, b);

  ASSERT_TRUE(kd::WriteFileAtomic(Path("bad.ini"), "clYellow\r\nclLime\r\n"));
  EXPECT_EQ(store.LoadProgramFile(Path("bad.ini")), SettingsLoad::Defaults);
  EXPECT_EQ(store.Program(), kd::Settings{});
  EXPECT_EQ(changes, 2);
}
