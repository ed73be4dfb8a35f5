// The settings dialog (round trip through the settings file) and the
// language switch across every window.
#include "uitest_util.h"

#include "core/container.h"
#include "core/textfile.h"
#include "settings/inifile.h"
#include "settings/langpack.h"
#include "ui/colorbox.h"
#include "ui/form1.h"
#include "ui/form2.h"
#include "ui/form5.h"
#include "ui/form6.h"
#include "ui/form9.h"
#include "ui/globals.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

namespace {

// A language pack whose every text is the English one with a "#" in front.
QByteArray MarkedPack() {
  std::vector<std::string> lines;
  TLangPack english;
  for (int i = 0; i < english.TextCount; ++i)
    lines.push_back(i == 0 ? english.Text(0) : "#" + english.Text(i));
  return QByteArray::fromStdString(kd::Utf8ToCp1250(kd::JoinLinesCrLf(lines)));
}

QStringList IniLines(const TUiFixture &f) {
  QStringList lines = QString::fromLatin1(f.Read("korvadimensio3d.ini")).split("\r\n");
  if (!lines.isEmpty() && lines.last().isEmpty())
    lines.removeLast();
  return lines;
}

} // namespace

class TestSettings : public QObject {
  Q_OBJECT
  TUiFixture F;

private slots:
  void init() { F.Start({"CZ.pck"}); }
  void cleanup() { F.Stop(); }

  void dialogShowsTheSettingsAndApplyWritesThem() {
    Form1->BitBtn6Click();
    QCOMPARE(F.Fake->modalShown, QList<QDialog *>{Form9});
    QCOMPARE(Form9->ColorBox1->Selected(), 0x0000FFFFu);
    QCOMPARE(Form9->ColorBox5->Selected(), 0x00000000u);
    QCOMPARE(Form9->Label5->text(), QString("Times New Roman"));
    QCOMPARE(Form9->CheckBox1->isChecked(), true);

    Form9->ColorBox3->Select(0xFF00000Fu); // button face, a system colour
    Form9->ColorBox5->Select(0x00FFFFFFu);
    Form9->RadioGroup1->SetItemIndex(2);
    Form9->CheckBox1->setChecked(false);
    F.Fake->fontAnswer = true;
    F.Fake->fontChosen = QFont("Liberation Mono", 14);
    Form9->BitBtn4Click();
    QCOMPARE(Form9->Label5->text(), QString("Liberation Mono"));
    Form9->BitBtn1Click(); // OK = Apply and close
    QCOMPARE(IniLines(F), QStringList({"clYellow", "clLime", "clBtnFace", "clRed", "clWhite",
                                       "Liberation Mono", "14", "2", "F", ""}));
    QCOMPARE(Container->Points.ScSvpMode, 2);

    F.Restart();
    const TPoints &p = Container->Points;
    QCOMPARE(p.MeasColor, 0xFF00000Fu);
    QCOMPARE(p.BackColor, 0x00FFFFFFu);
    QCOMPARE(p.FontName, std::string("Liberation Mono"));
    QCOMPARE(int(p.FontSize), 14);
    QCOMPARE(int(p.ScSvpMode), 2);
    QCOMPARE(p.AutoSave, false);
    Form1->BitBtn6Click();
    QCOMPARE(Form9->RadioGroup1->ItemIndex(), 2);
    QCOMPARE(Form9->ColorBox3->currentText(), QString("BtnFace"));
  }

  void colourWithoutANameSurvivesTheRoundTrip() {
    F.Write("korvadimensio3d.ini",
            "clYellow\r\nclLime\r\n$00A0B0C0\r\nclRed\r\nclBlack\r\nArial\r\n9\r\n1\r\nT\r\n\r\n");
    F.Restart();
    QCOMPARE(Container->Points.MeasColor, 0x00A0B0C0u);
    Form1->BitBtn6Click();
    QCOMPARE(Form9->ColorBox3->Selected(), 0x00A0B0C0u);
    Form9->BitBtn3Click();
    QCOMPARE(IniLines(F)[2], QString("$00A0B0C0"));
    QCOMPARE(IniLines(F)[5], QString("Arial"));
  }

  void defaultSettingsTouchOnlyColoursAndFont() {
    Container->Points.FixedColor = 0x00123456;
    Container->Points.FontName = "Arial";
    Container->Points.ScSvpMode = 0;
    Container->Points.AutoSave = false;
    Form1->BitBtn6Click();
    Form9->BitBtn5Click();
    Form9->BitBtn2Click(); // Cancel
    QCOMPARE(Container->Points.FixedColor, 0x00123456u);
    QVERIFY(!QFile::exists(F.Path("korvadimensio3d.ini")));

    Form1->BitBtn6Click();
    Form9->BitBtn5Click();
    Form9->BitBtn3Click(); // Apply
    QCOMPARE(IniLines(F), QStringList({"clYellow", "clLime", "clSilver", "clRed", "clBlack",
                                       "Times New Roman", "10", "0", "F", ""}));
  }

  void languageSwitchChangesEveryCaptionAtOnce() {
    F.Write("XX.pck", MarkedPack());
    F.Restart(); // packs are listed at start-up
    QVERIFY(Form9->ComboBox1->findText("XX") > 0);
    QVERIFY(Form9->ComboBox1->findText("CZ") > 0);
    Form1->BitBtn6Click();
    Form9->RadioGroup1->SetItemIndex(0);
    Form9->ComboBox1->setEditText("XX");
    Form9->BitBtn6Click();
    QCOMPARE(Form1->BitBtn1->text(), QString("#Load coords"));
    QCOMPARE(Form5->windowTitle(), QString("#Protocol"));
    QCOMPARE(Form6->ComboBox3->itemText(2), QString("#vertical"));
    QCOMPARE(Form9->windowTitle(), QString("#- Settings -"));
    QCOMPARE(Form2->windowTitle(), QString("#Coordinates plan"));
    QCOMPARE(Form9->RadioGroup1->Items().last(),
             QString("#Influence of the Sc/Svp is calculated for whole net"));
    QCOMPARE(Form9->RadioGroup1->ItemIndex(), 1); // the refill selects mode 1
    QCOMPARE(LangPackFile, std::string("XX.pck"));
    Form9->BitBtn3Click();
    QCOMPARE(IniLines(F)[7], QString("1"));
    QCOMPARE(IniLines(F)[9], QString("XX.pck"));

    // The next start comes up in the chosen language.
    F.Restart();
    QCOMPARE(Form1->BitBtn4->text(), QString("#- Evaluation -"));

    // Czech, then back to the built-in English.
    Form9->ComboBox1->setEditText("CZ");
    Form9->BitBtn6Click();
    QVERIFY(Form1->BitBtn1->text() != "Load coords");
    QVERIFY(!Form1->BitBtn1->text().startsWith('#'));
    Form9->ComboBox1->setEditText("EN(default)");
    Form9->BitBtn6Click();
    QCOMPARE(Form1->BitBtn1->text(), QString("Load coords"));
  }

  void brokenPackGivesEnglishAndKeepsTheRememberedPack() {
    F.Write("XX.pck", MarkedPack());
    QByteArray broken = MarkedPack();
    broken.chop(broken.size() - broken.lastIndexOf("\r\n#")); // one line short
    F.Write("BAD.pck", broken);
    Form9->ComboBox1->setEditText("XX");
    Form9->BitBtn6Click();
    QCOMPARE(Form1->BitBtn1->text(), QString("#Load coords"));
    Form9->ComboBox1->setEditText("BAD");
    Form9->BitBtn6Click();
    QCOMPARE(Form1->BitBtn1->text(), QString("Load coords"));
    QCOMPARE(LangPackFile, std::string("XX.pck"));
    Form9->ComboBox1->setEditText("../XX");
    Form9->BitBtn6Click();
    QCOMPARE(Form1->BitBtn1->text(), QString("Load coords"));
  }
};

QTEST_MAIN(TestSettings)
#include "test_settings.moc"
