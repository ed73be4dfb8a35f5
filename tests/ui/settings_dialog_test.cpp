// The settings dialog (round trip through the settings file) and the
// language switch across every window.
#include "ui_test_support.h"

#include "core/survey_network.h"
#include "core/text_file.h"
#include "app/settings_store.h"
#include "settings/ini_file.h"
#include "settings/language_pack.h"
#include "ui/color_combo.h"
#include "ui/main_window.h"
#include "ui/coordinate_plan_window.h"
#include "ui/protocol_window.h"
#include "ui/results_window.h"
#include "ui/settings_dialog.h"
#include "ui/desktop_application.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

namespace {

// A language pack whose every text is the English one with a "#" in front.
QByteArray MarkedPack() {
  std::vector<std::string> lines;
  LanguagePack english;
  for (int i = 0; i < english.TextCount; ++i)
    lines.push_back(i == 0 ? english.Text(0) : "#" + english.Text(i));
  return QByteArray::fromStdString(kd::Utf8ToCp1250(kd::JoinLinesCrLf(lines)));
}

QStringList IniLines(const UiFixture &f) {
  QStringList lines = QString::fromLatin1(f.Read("korvadimensio3d.ini")).split("\r\n");
  if (!lines.isEmpty() && lines.last().isEmpty())
    lines.removeLast();
  return lines;
}

} // namespace

class TestSettings : public QObject {
  Q_OBJECT
  UiFixture F;

private slots:
  void init() { F.Start({"CZ.pck"}); }
  void cleanup() { F.Stop(); }

  void dialogShowsTheSettingsAndApplyWritesThem() {
    App().Main()->ShowSettings();
    QCOMPARE(F.Fake->modalShown, QList<QDialog *>{App().SettingsWindow()});
    QCOMPARE(App().SettingsWindow()->FixedPointColorCombo->Selected(), 0x0000FFFFu);
    QCOMPARE(App().SettingsWindow()->BackgroundColorCombo->Selected(), 0x00000000u);
    QCOMPARE(App().SettingsWindow()->FontSampleLabel->text(), QString("Times New Roman"));
    QCOMPARE(App().SettingsWindow()->AutoSaveCheckBox->isChecked(), true);

    App().SettingsWindow()->MeasurementColorCombo->Select(0xFF00000Fu); // button face, a system colour
    App().SettingsWindow()->BackgroundColorCombo->Select(0x00FFFFFFu);
    App().SettingsWindow()->ScSvpModeGroup->SetItemIndex(2);
    App().SettingsWindow()->AutoSaveCheckBox->setChecked(false);
    F.Fake->fontAnswer = true;
    F.Fake->fontChosen = QFont("Liberation Mono", 14);
    App().SettingsWindow()->ChooseFont();
    QCOMPARE(App().SettingsWindow()->FontSampleLabel->text(), QString("Liberation Mono"));
    App().SettingsWindow()->ApplyAndClose(); // OK = Apply and close
    QCOMPARE(IniLines(F), QStringList({"clYellow", "clLime", "clBtnFace", "clRed", "clWhite",
                                       "Liberation Mono", "14", "2", "F", ""}));
    QCOMPARE(App().Network()->Points.ScSvpMode, ScSvpMode::WholeNetwork);

    F.Restart();
    const PointSet &p = App().Network()->Points;
    const kd::Settings &s = App().Settings()->Program();
    QCOMPARE(s.MeasColor, 0xFF00000Fu);
    QCOMPARE(s.BackColor, 0x00FFFFFFu);
    QCOMPARE(s.FontName, std::string("Liberation Mono"));
    QCOMPARE(int(s.FontSize), 14);
    QCOMPARE(NumberOf(p.ScSvpMode), 2);
    QCOMPARE(p.AutoSave, false);
    App().Main()->ShowSettings();
    QCOMPARE(App().SettingsWindow()->ScSvpModeGroup->ItemIndex(), 2);
    QCOMPARE(App().SettingsWindow()->MeasurementColorCombo->currentText(), QString("BtnFace"));
  }

  void colourWithoutANameSurvivesTheRoundTrip() {
    F.Write("korvadimensio3d.ini",
            "clYellow\r\nclLime\r\n$00A0B0C0\r\nclRed\r\nclBlack\r\nArial\r\n9\r\n1\r\nT\r\n\r\n");
    F.Restart();
    QCOMPARE(App().Settings()->Program().MeasColor, 0x00A0B0C0u);
    App().Main()->ShowSettings();
    QCOMPARE(App().SettingsWindow()->MeasurementColorCombo->Selected(), 0x00A0B0C0u);
    App().SettingsWindow()->Apply();
    QCOMPARE(IniLines(F)[2], QString("$00A0B0C0"));
    QCOMPARE(IniLines(F)[5], QString("Arial"));
  }

  void defaultSettingsTouchOnlyColoursAndFont() {
    kd::Settings inUse = App().Settings()->Program();
    inUse.FixedColor = 0x00123456;
    inUse.FontName = "Arial";
    App().Settings()->SetProgram(inUse);
    App().Network()->Points.ScSvpMode = ScSvpMode::None;
    App().Network()->Points.AutoSave = false;
    App().Main()->ShowSettings();
    App().SettingsWindow()->RestoreDefaults();
    App().SettingsWindow()->Cancel(); // Cancel
    QCOMPARE(App().Settings()->Program().FixedColor, 0x00123456u);
    QVERIFY(!QFile::exists(F.Path("korvadimensio3d.ini")));

    App().Main()->ShowSettings();
    App().SettingsWindow()->RestoreDefaults();
    App().SettingsWindow()->Apply(); // Apply
    QCOMPARE(IniLines(F), QStringList({"clYellow", "clLime", "clSilver", "clRed", "clBlack",
                                       "Times New Roman", "10", "0", "F", ""}));
  }

  void languageSwitchChangesEveryCaptionAtOnce() {
    F.Write("XX.pck", MarkedPack());
    F.Restart(); // packs are listed at start-up
    QVERIFY(App().SettingsWindow()->LanguageCombo->findText("XX") > 0);
    QVERIFY(App().SettingsWindow()->LanguageCombo->findText("CZ") > 0);
    App().Main()->ShowSettings();
    App().SettingsWindow()->ScSvpModeGroup->SetItemIndex(0);
    App().SettingsWindow()->LanguageCombo->setEditText("XX");
    App().SettingsWindow()->ChangeLanguage();
    QCOMPARE(App().Main()->LoadFullCoordinatesButton->text(), QString("#Load coords"));
    QCOMPARE(App().Protocol()->windowTitle(), QString("#Protocol"));
    QCOMPARE(App().Results()->DistanceKindCombo->itemText(2), QString("#vertical"));
    QCOMPARE(App().SettingsWindow()->windowTitle(), QString("#- Settings -"));
    QCOMPARE(App().CoordinatePlan()->windowTitle(), QString("#Coordinates plan"));
    QCOMPARE(App().SettingsWindow()->ScSvpModeGroup->Items().last(),
             QString("#Influence of the Sc/Svp is calculated for whole net"));
    QCOMPARE(App().SettingsWindow()->ScSvpModeGroup->ItemIndex(), 1); // the refill selects mode 1
    QCOMPARE(App().LangPackFile(), std::string("XX.pck"));
    App().SettingsWindow()->Apply();
    QCOMPARE(IniLines(F)[7], QString("1"));
    QCOMPARE(IniLines(F)[9], QString("XX.pck"));

    // The next start comes up in the chosen language.
    F.Restart();
    QCOMPARE(App().Main()->EvaluateButton->text(), QString("#- Evaluation -"));

    // Czech, then back to the built-in English.
    App().SettingsWindow()->LanguageCombo->setEditText("CZ");
    App().SettingsWindow()->ChangeLanguage();
    QVERIFY(App().Main()->LoadFullCoordinatesButton->text() != "Load coords");
    QVERIFY(!App().Main()->LoadFullCoordinatesButton->text().startsWith('#'));
    App().SettingsWindow()->LanguageCombo->setEditText("EN(default)");
    App().SettingsWindow()->ChangeLanguage();
    QCOMPARE(App().Main()->LoadFullCoordinatesButton->text(), QString("Load coords"));
  }

  void brokenPackGivesEnglishAndKeepsTheRememberedPack() {
    F.Write("XX.pck", MarkedPack());
    QByteArray broken = MarkedPack();
    broken.chop(broken.size() - broken.lastIndexOf("\r\n#")); // one line short
    F.Write("BAD.pck", broken);
    App().SettingsWindow()->LanguageCombo->setEditText("XX");
    App().SettingsWindow()->ChangeLanguage();
    QCOMPARE(App().Main()->LoadFullCoordinatesButton->text(), QString("#Load coords"));
    App().SettingsWindow()->LanguageCombo->setEditText("BAD");
    App().SettingsWindow()->ChangeLanguage();
    QCOMPARE(App().Main()->LoadFullCoordinatesButton->text(), QString("Load coords"));
    QCOMPARE(App().LangPackFile(), std::string("XX.pck"));
    App().SettingsWindow()->LanguageCombo->setEditText("../XX");
    App().SettingsWindow()->ChangeLanguage();
    QCOMPARE(App().Main()->LoadFullCoordinatesButton->text(), QString("Load coords"));
  }
};

QTEST_MAIN(TestSettings)
#include "settings_dialog_test.moc"
