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
#include "ui/app_globals.h"

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
    TheMainWindow->ShowSettings();
    QCOMPARE(F.Fake->modalShown, QList<QDialog *>{TheSettingsDialog});
    QCOMPARE(TheSettingsDialog->FixedPointColorCombo->Selected(), 0x0000FFFFu);
    QCOMPARE(TheSettingsDialog->BackgroundColorCombo->Selected(), 0x00000000u);
    QCOMPARE(TheSettingsDialog->FontSampleLabel->text(), QString("Times New Roman"));
    QCOMPARE(TheSettingsDialog->AutoSaveCheckBox->isChecked(), true);

    TheSettingsDialog->MeasurementColorCombo->Select(0xFF00000Fu); // button face, a system colour
    TheSettingsDialog->BackgroundColorCombo->Select(0x00FFFFFFu);
    TheSettingsDialog->ScSvpModeGroup->SetItemIndex(2);
    TheSettingsDialog->AutoSaveCheckBox->setChecked(false);
    F.Fake->fontAnswer = true;
    F.Fake->fontChosen = QFont("Liberation Mono", 14);
    TheSettingsDialog->ChooseFont();
    QCOMPARE(TheSettingsDialog->FontSampleLabel->text(), QString("Liberation Mono"));
    TheSettingsDialog->ApplyAndClose(); // OK = Apply and close
    QCOMPARE(IniLines(F), QStringList({"clYellow", "clLime", "clBtnFace", "clRed", "clWhite",
                                       "Liberation Mono", "14", "2", "F", ""}));
    QCOMPARE(TheNetwork->Points.ScSvpMode, 2);

    F.Restart();
    const PointSet &p = TheNetwork->Points;
    const kd::Settings &s = TheSettings->Program();
    QCOMPARE(s.MeasColor, 0xFF00000Fu);
    QCOMPARE(s.BackColor, 0x00FFFFFFu);
    QCOMPARE(s.FontName, std::string("Liberation Mono"));
    QCOMPARE(int(s.FontSize), 14);
    QCOMPARE(int(p.ScSvpMode), 2);
    QCOMPARE(p.AutoSave, false);
    TheMainWindow->ShowSettings();
    QCOMPARE(TheSettingsDialog->ScSvpModeGroup->ItemIndex(), 2);
    QCOMPARE(TheSettingsDialog->MeasurementColorCombo->currentText(), QString("BtnFace"));
  }

  void colourWithoutANameSurvivesTheRoundTrip() {
    F.Write("korvadimensio3d.ini",
            "clYellow\r\nclLime\r\n$00A0B0C0\r\nclRed\r\nclBlack\r\nArial\r\n9\r\n1\r\nT\r\n\r\n");
    F.Restart();
    QCOMPARE(TheSettings->Program().MeasColor, 0x00A0B0C0u);
    TheMainWindow->ShowSettings();
    QCOMPARE(TheSettingsDialog->MeasurementColorCombo->Selected(), 0x00A0B0C0u);
    TheSettingsDialog->Apply();
    QCOMPARE(IniLines(F)[2], QString("$00A0B0C0"));
    QCOMPARE(IniLines(F)[5], QString("Arial"));
  }

  void defaultSettingsTouchOnlyColoursAndFont() {
    kd::Settings inUse = TheSettings->Program();
    inUse.FixedColor = 0x00123456;
    inUse.FontName = "Arial";
    TheSettings->SetProgram(inUse);
    TheNetwork->Points.ScSvpMode = 0;
    TheNetwork->Points.AutoSave = false;
    TheMainWindow->ShowSettings();
    TheSettingsDialog->RestoreDefaults();
    TheSettingsDialog->Cancel(); // Cancel
    QCOMPARE(TheSettings->Program().FixedColor, 0x00123456u);
    QVERIFY(!QFile::exists(F.Path("korvadimensio3d.ini")));

    TheMainWindow->ShowSettings();
    TheSettingsDialog->RestoreDefaults();
    TheSettingsDialog->Apply(); // Apply
    QCOMPARE(IniLines(F), QStringList({"clYellow", "clLime", "clSilver", "clRed", "clBlack",
                                       "Times New Roman", "10", "0", "F", ""}));
  }

  void languageSwitchChangesEveryCaptionAtOnce() {
    F.Write("XX.pck", MarkedPack());
    F.Restart(); // packs are listed at start-up
    QVERIFY(TheSettingsDialog->LanguageCombo->findText("XX") > 0);
    QVERIFY(TheSettingsDialog->LanguageCombo->findText("CZ") > 0);
    TheMainWindow->ShowSettings();
    TheSettingsDialog->ScSvpModeGroup->SetItemIndex(0);
    TheSettingsDialog->LanguageCombo->setEditText("XX");
    TheSettingsDialog->ChangeLanguage();
    QCOMPARE(TheMainWindow->LoadFullCoordinatesButton->text(), QString("#Load coords"));
    QCOMPARE(TheProtocolWindow->windowTitle(), QString("#Protocol"));
    QCOMPARE(TheResultsWindow->DistanceKindCombo->itemText(2), QString("#vertical"));
    QCOMPARE(TheSettingsDialog->windowTitle(), QString("#- Settings -"));
    QCOMPARE(TheCoordinatePlan->windowTitle(), QString("#Coordinates plan"));
    QCOMPARE(TheSettingsDialog->ScSvpModeGroup->Items().last(),
             QString("#Influence of the Sc/Svp is calculated for whole net"));
    QCOMPARE(TheSettingsDialog->ScSvpModeGroup->ItemIndex(), 1); // the refill selects mode 1
    QCOMPARE(LangPackFile, std::string("XX.pck"));
    TheSettingsDialog->Apply();
    QCOMPARE(IniLines(F)[7], QString("1"));
    QCOMPARE(IniLines(F)[9], QString("XX.pck"));

    // The next start comes up in the chosen language.
    F.Restart();
    QCOMPARE(TheMainWindow->EvaluateButton->text(), QString("#- Evaluation -"));

    // Czech, then back to the built-in English.
    TheSettingsDialog->LanguageCombo->setEditText("CZ");
    TheSettingsDialog->ChangeLanguage();
    QVERIFY(TheMainWindow->LoadFullCoordinatesButton->text() != "Load coords");
    QVERIFY(!TheMainWindow->LoadFullCoordinatesButton->text().startsWith('#'));
    TheSettingsDialog->LanguageCombo->setEditText("EN(default)");
    TheSettingsDialog->ChangeLanguage();
    QCOMPARE(TheMainWindow->LoadFullCoordinatesButton->text(), QString("Load coords"));
  }

  void brokenPackGivesEnglishAndKeepsTheRememberedPack() {
    F.Write("XX.pck", MarkedPack());
    QByteArray broken = MarkedPack();
    broken.chop(broken.size() - broken.lastIndexOf("\r\n#")); // one line short
    F.Write("BAD.pck", broken);
    TheSettingsDialog->LanguageCombo->setEditText("XX");
    TheSettingsDialog->ChangeLanguage();
    QCOMPARE(TheMainWindow->LoadFullCoordinatesButton->text(), QString("#Load coords"));
    TheSettingsDialog->LanguageCombo->setEditText("BAD");
    TheSettingsDialog->ChangeLanguage();
    QCOMPARE(TheMainWindow->LoadFullCoordinatesButton->text(), QString("Load coords"));
    QCOMPARE(LangPackFile, std::string("XX.pck"));
    TheSettingsDialog->LanguageCombo->setEditText("../XX");
    TheSettingsDialog->ChangeLanguage();
    QCOMPARE(TheMainWindow->LoadFullCoordinatesButton->text(), QString("Load coords"));
  }
};

QTEST_MAIN(TestSettings)
#include "settings_dialog_test.moc"
