// Every window in Czech: choosing the Czech pack in the settings dialog and
// pressing OK (or Apply) switches the language as "->" does, and then no
// widget of any window shows an English text, except the fixed ones (units,
// measurement type codes, symbols, the colour and font names).
#include "ui_test_support.h"

#include "app/network_document.h"
#include "settings/language_pack.h"
#include "settings/text_catalogue.h"
#include "ui/desktop_application.h"
#include "ui/color_combo.h"
#include "ui/coordinate_plan_window.h"
#include "ui/main_window.h"
#include "ui/measurement_plan_window.h"
#include "ui/plan_widgets.h"
#include "ui/point_properties_dialog.h"
#include "ui/precision_guide_dialog.h"
#include "ui/results_window.h"
#include "ui/settings_dialog.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QPushButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QSpinBox>
#include <QTableView>
#include <QTableView>
#include <QtTest>

namespace {

// Texts that are the same in every language: units and symbols, the
// measurement type codes of the files, "OK", the file pattern, the engine's
// and the font's own names, and the language list's names of the packs.
const QStringList kFixedTexts = {
    "OK", "*.txt", "->", "EN(default)", "CZ", "X / m", "Y / m", "Z / m", "Sc / m", "Svp / m",
    "X/m", "Y/m", "Z/m", "Times New Roman", "95 %", "Sc/Svp"};

// A file path in brackets (a caption's "[path]") says nothing of the language.
QString WithoutPaths(const QString &text) {
  static const QRegularExpression path(QStringLiteral("\\[[^\\]]*\\]"));
  return QString(text).remove(path);
}

QStringList Words(const QString &text) {
  static const QRegularExpression nonLetters(QStringLiteral("[^\\p{L}]+"));
  QStringList words;
  for (const QString &w : text.split(nonLetters, Qt::SkipEmptyParts))
    if (w.size() >= 3)
      words << w.toLower();
  return words;
}

// The words of the English texts of the catalogue that no Czech text uses.
QSet<QString> EnglishWords(const LanguagePack &czech) {
  QSet<QString> czechWords;
  for (int i = 0; i < czech.TextCount; ++i)
    for (const QString &w : Words(QString::fromStdString(czech.Text(i))))
      czechWords.insert(w);
  for (int i = 1000; i < static_cast<int>(Text::End_); ++i)
    for (const QString &w : Words(QString::fromStdString(TrIn("CZ", static_cast<Text>(i)))))
      czechWords.insert(w);
  QSet<QString> english;
  auto add = [&](const std::string &text) {
    for (const QString &w : Words(QString::fromStdString(text)))
      if (!czechWords.contains(w))
        english.insert(w);
  };
  for (int i = 3; i < LanguagePack::BuiltInCount; ++i)
    add(TrIn("EN", static_cast<Text>(i)));
  for (int i = 1000; i < static_cast<int>(Text::End_); ++i)
    add(TrIn("EN", static_cast<Text>(i)));
  return english;
}

// Every text a widget shows: title, tool tip, caption, items, headers,
// special values, actions.
QStringList TextsOf(QWidget *w) {
  QStringList t;
  if (w->isWindow())
    t << w->windowTitle();
  t << w->toolTip();
  if (auto *l = qobject_cast<QLabel *>(w))
    t << l->text();
  if (auto *b = qobject_cast<QAbstractButton *>(w))
    t << b->text();
  if (auto *g = qobject_cast<QGroupBox *>(w))
    t << g->title();
  if (auto *e = qobject_cast<QLineEdit *>(w))
    t << e->placeholderText();
  if (auto *c = qobject_cast<QComboBox *>(w))
    for (int i = 0; i < c->count(); ++i)
      t << c->itemText(i);
  if (auto *s = qobject_cast<QAbstractSpinBox *>(w))
    t << s->specialValueText();
  if (auto *s = qobject_cast<QSpinBox *>(w))
    t << s->prefix() << s->suffix();
  if (auto *s = qobject_cast<QDoubleSpinBox *>(w))
    t << s->prefix() << s->suffix();
  if (auto *table = qobject_cast<QTableView *>(w))
    if (QAbstractItemModel *model = table->model())
      for (int c = 0; c < model->columnCount(); ++c)
        t << model->headerData(c, Qt::Horizontal).toString();
  for (QAction *a : w->actions())
    t << a->text() << a->toolTip();
  t.removeAll(QString());
  return t;
}

// "window > widget: text" for every English text of every widget.
QStringList EnglishTexts(const QSet<QString> &english) {
  QStringList found;
  for (QWidget *w : QApplication::allWidgets()) {
    // The colour names are those of the settings file, in every language.
    if (qobject_cast<ColorCombo *>(w))
      continue;
    for (const QString &text : TextsOf(w)) {
      if (kFixedTexts.contains(text.trimmed()))
        continue;
      for (const QString &word : Words(text))
        if (english.contains(word)) {
          found << w->window()->metaObject()->className() + QStringLiteral(" > ") +
                       w->metaObject()->className() + QStringLiteral(": ") + text;
          break;
        }
    }
  }
  found.removeDuplicates();
  return found;
}

// ---- Texts of a whole session, in either language ----

// Words of the fixed texts: units, symbols, formats and names that read the
// same in every language.
const QStringList kFixedWords = {"gon", "mgon", "cc", "mm", "Sc", "Svp", "DXF", "CSV", "PDF",
                                 "HTML", "MDB", "Korvadimensio", "Tahoma", "sd", "hd", "vd",
                                 "zen", "dir", "pol", "GD", "PR", "σZ", "zu", "di", "ze", "gd", "pr",
                                 "dx", "dy", "dz"};

// Whether a text is worded in some language: it has a word of at least two
// letters that is not a fixed one.
bool HasWords(const QString &text) {
  static const QRegularExpression nonLetters(QStringLiteral("[^\\p{L}]+"));
  if (kFixedTexts.contains(text.trimmed()))
    return false;
  for (const QString &w : text.split(nonLetters, Qt::SkipEmptyParts))
    if (w.size() >= 2 && !kFixedWords.contains(w))
      return true;
  return false;
}

// Where a widget sits: its window's class and the chain of class names
// with the index among same-class siblings, the same in every run of the
// same steps.
QString PathOf(const QObject *o) {
  QStringList parts;
  for (; o; o = o->parent()) {
    int index = 0;
    if (const QObject *up = o->parent())
      for (const QObject *sibling : up->children()) {
        if (sibling == o)
          break;
        if (qstrcmp(sibling->metaObject()->className(), o->metaObject()->className()) == 0)
          ++index;
      }
    parts.prepend(QString::fromLatin1(o->metaObject()->className()) + QLatin1Char('#') +
                  QString::number(index));
    if (o->isWidgetType() && static_cast<const QWidget *>(o)->isWindow())
      break;
  }
  return parts.join(QLatin1Char('/'));
}

// Every text shown during a session, by where it was shown.
struct SessionTexts {
  QMap<QString, QSet<QString>> ByPlace;
  void Add(const QString &place, const QString &text) {
    if (!text.isEmpty())
      ByPlace[place].insert(text);
  }
  // The texts of `root` and everything inside it (menus included).
  void AddWidgets(QWidget *root) {
    QList<QWidget *> all = root->findChildren<QWidget *>();
    all.prepend(root);
    for (QWidget *w : all)
      for (const QString &t : TextsOf(w))
        Add(PathOf(w), t);
  }
  void AddAllWindows() {
    for (QWidget *w : QApplication::topLevelWidgets())
      AddWidgets(w);
  }
  // The texts a plan paints into its picture (legend, scale box, messages).
  void AddPlanDrawing(const QString &place, const PlanWindow &plan) {
    const PlotTexts t = plan.PrecisionOptions().Texts;
    for (const QString &s : {t.FixedPoint, t.AdjustedPoint, t.PointEllipse, t.HeightBar,
                             t.RelativeEllipse, t.Uncontrolled, t.Weak, t.Controlled, t.Line,
                             t.BeyondTolerance, t.StandardEllipses, t.Percent95Ellipses,
                             t.Ellipses, t.MmOfPlan, t.Network, t.Detail})
      Add(place + QStringLiteral(" drawing"), s);
  }
};

// Runs the same session in the active language: loads a network, evaluates
// it with the engine, and opens every window and dialog with what a user
// sees in them. Returns every text shown.
SessionTexts RunSession(UiFixture &f) {
  SessionTexts seen;
  // The steps of the session before are named in its language.
  App().Document()->ClearHistory();
  f.Fake->messages.clear();
  f.Fake->questions.clear();
  f.Fake->dialogTitles.clear();
  // Every modal dialog is looked at while it is open.
  f.Fake->onModal = [&seen](QDialog *dialog) {
    seen.AddWidgets(dialog);
    return 0;
  };
  f.Write("coords.txt", CoordinateFile(5));
  f.Write("meas.txt", MeasurementFile(5));
  f.Fake->openAnswers << f.Path("coords.txt") << f.Path("meas.txt");
  App().Main()->LoadFullCoordinates();
  App().Main()->LoadMeasurements();
  App().Network()->Points.AutoSave = false;
  f.Fake->onStart = [](const QString &, const QStringList &args, QString &) {
    return QProcess::execute(QStringLiteral(KD_BIN_DIR "/gama.exe"), args) == 0;
  };
  App().Main()->Evaluate();
  static_cast<FakeTimer *>(App().Main()->PollTimer.get())->Fire();
  seen.AddWidgets(App().Main());

  App().Main()->ShowProtocol();
  App().Main()->ShowCalculations();
  App().Results()->FromPointCombo->setCurrentIndex(0);
  App().Results()->ToPointCombo->setCurrentIndex(App().Results()->ToPointCombo->count() - 1);
  App().Results()->BearingEdit->setText(QStringLiteral("50"));
  App().Results()->ComputeDistance();
  App().Main()->ShowSettings();
  App().Main()->WriteReportFile(); // the report's details dialog, cancelled

  // The plans with the precision, a tolerance that some points exceed,
  // live precision's report of a change.
  App().Main()->ShowCoordinatePlan();
  App().CoordinatePlan()->ToleranceSemiMajorSpin->setValue(0.01);
  App().CoordinatePlan()->ShowLiveComputing();
  seen.AddWidgets(App().CoordinatePlan());
  App().CoordinatePlan()->ShowLiveChange();
  App().CoordinatePlan()->ExportDxf(); // cancelled: only the file dialog's title
  seen.AddPlanDrawing(QStringLiteral("coordinate plan"), *App().CoordinatePlan());
  App().PointProperties()->Fill(App().Network()->Points.List.Items[2], 2);
  App().CoordinatePlan()->ShowPointProperties();
  App().CoordinatePlan()->ChangeAllScSvp();
  App().CoordinatePlan()->ToleranceSemiMajorSpin->setValue(0);

  App().Main()->ShowMeasurementPlan();
  App().MeasurementPlan()->RelativeCheck->setChecked(true);
  App().MeasurementPlan()->ShowLiveComputing();
  seen.AddWidgets(App().MeasurementPlan());
  App().MeasurementPlan()->ShowLiveChange();
  seen.AddPlanDrawing(QStringLiteral("measurement plan"), *App().MeasurementPlan());
  App().MeasurementPlan()->AddZenithAngle(); // the add window beside the plan
  seen.AddWidgets(App().MeasurementPlan());
  App().MeasurementPlan()->MeasurementTable->selectRow(0);
  App().MeasurementPlan()->ChangePrecision();
  App().MeasurementPlan()->OpenPrecisionGuide();
  App().PrecisionGuide()->ComputeDirectionSigma();
  App().PrecisionGuide()->FillAverageSlopeDistance();
  App().PrecisionGuide()->ComputeSlopeDistanceSigma();
  seen.AddWidgets(App().PrecisionGuide());
  // Hovering over a line names its measurements with r and the MDB.
  App().MeasurementPlan()->LastLineInfo.clear();
  for (int y = 0; y < App().MeasurementPlan()->PlanImage->height() && App().MeasurementPlan()->LastLineInfo.isEmpty(); y += 3)
    for (int x = 0; x < App().MeasurementPlan()->PlanImage->width(); x += 3) {
      const QString info = App().MeasurementPlan()->LineInfoAt(x, y);
      if (!info.isEmpty()) {
        App().MeasurementPlan()->LastLineInfo = info;
        break;
      }
    }
  seen.Add(QStringLiteral("measurement plan line info"), App().MeasurementPlan()->LastLineInfo);
  App().MeasurementPlan()->DeleteMeasurement(); // asks, deletes
  App().MeasurementPlan()->UndoAction->trigger(); // offers the redo
  App().MeasurementPlan()->RelativeCheck->setChecked(false);

  seen.AddAllWindows();
  for (const QString &m : f.Fake->messages)
    seen.Add(QStringLiteral("message"), m);
  for (const QString &q : f.Fake->questions)
    seen.Add(QStringLiteral("question"), q);
  for (const QString &t : f.Fake->dialogTitles)
    seen.Add(QStringLiteral("file dialog"), t);
  f.Fake->onModal = nullptr;
  return seen;
}

void ChooseLanguage(const QString &item, QAbstractButton *confirm) {
  App().Main()->ShowSettings();
  App().SettingsWindow()->LanguageCombo->setCurrentText(item);
  confirm->click();
}

} // namespace

class TestCzechWindows : public QObject {
  Q_OBJECT
  UiFixture F;

private slots:
  void init() { F.Start({"CZ.pck"}); }
  void cleanup() { F.Stop(); }

  void okAndApplySwitchToTheChosenLanguage() {
    QCOMPARE(App().Main()->EvaluateButton->text(), QString("- Evaluation -"));
    ChooseLanguage("CZ", App().SettingsWindow()->OkButton);
    QCOMPARE(App().Main()->EvaluateButton->text(), QString::fromUtf8("- Výpočet -"));
    QCOMPARE(App().Main()->ReportButton->text(), QString::fromUtf8("Zpráva\u2026"));
    QVERIFY(App().Main()->ReportButton->text() != App().Main()->ProtocolButton->text());
    ChooseLanguage("EN(default)", App().SettingsWindow()->ApplyButton);
    QCOMPARE(App().Main()->EvaluateButton->text(), QString("- Evaluation -"));
    // OK without touching the list keeps the language.
    ChooseLanguage("CZ", App().SettingsWindow()->ApplyButton);
    App().Main()->ShowSettings();
    App().SettingsWindow()->OkButton->click();
    QCOMPARE(App().Main()->EvaluateButton->text(), QString::fromUtf8("- Výpočet -"));
    // The choice is remembered in the settings file.
    QVERIFY(F.Read("korvadimensio3d.ini").contains("CZ.pck"));
  }

  void everyWindowShowsOnlyCzechTexts() {
    LanguagePack czech;
    QVERIFY(czech.LoadPack(F.Path("CZ.pck").toStdString()));
    const QSet<QString> english = EnglishWords(czech);
    QVERIFY(english.contains("evaluation"));
    QVERIFY(english.contains("ellipses"));
    // In English the walk finds the English texts ...
    QVERIFY(EnglishTexts(english).size() > 20);
    // ... and after choosing Czech none.
    ChooseLanguage("CZ", App().SettingsWindow()->OkButton);
    const QStringList left = EnglishTexts(english);
    if (!left.isEmpty())
      qWarning().noquote() << left.join("\n");
    QCOMPARE(left.size(), 0);
  }

  // The same steps in English and in Czech, through every window and dialog
  // with a loaded and evaluated network: no text shown in Czech is the
  // English one of the same place, and none has an English word.
  void aWholeSessionInCzechShowsNoEnglish() {
    LanguagePack czech;
    QVERIFY(czech.LoadPack(F.Path("CZ.pck").toStdString()));
    const QSet<QString> english = EnglishWords(czech);
    const SessionTexts inEnglish = RunSession(F);
    QVERIFY2(App().Main()->CalculationsButton->isEnabled(), "the evaluation did not complete");
    QVERIFY(inEnglish.ByPlace.size() > 100);
    ChooseLanguage("CZ", App().SettingsWindow()->OkButton);
    const SessionTexts inCzech = RunSession(F);
    QVERIFY(!inCzech.ByPlace.value(QStringLiteral("question")).isEmpty());
    QVERIFY(!inCzech.ByPlace.value(QStringLiteral("measurement plan line info")).isEmpty());

    QStringList left;
    for (auto it = inCzech.ByPlace.cbegin(); it != inCzech.ByPlace.cend(); ++it) {
      // The colour names are those of the settings file, in every language.
      if (it.key().contains(QStringLiteral("ColorCombo")))
        continue;
      const QSet<QString> before = inEnglish.ByPlace.value(it.key());
      for (const QString &shown : it.value()) {
        const QString text = WithoutPaths(shown);
        // Items of the add window's type list in both languages: codes, and
        // the Czech pack's own words.
        static const QRegularExpression czechLetters(
            QString::fromUtf8("[áčďéěíňóřšťúůýžÁČĎÉĚÍŇÓŘŠŤÚŮÝŽ]"));
        if (text.contains(czechLetters) && before.contains(shown))
          continue;
        bool englishWord = false;
        for (const QString &word : Words(text))
          englishWord = englishWord || english.contains(word);
        const bool unchanged = before.contains(shown) && HasWords(text);
        if ((englishWord && !kFixedTexts.contains(text.trimmed())) || unchanged)
          left << it.key() + QStringLiteral(": ") + text;
      }
    }
    if (!left.isEmpty())
      qWarning().noquote() << left.join("\n");
    QCOMPARE(left.size(), 0);
  }
};

QTEST_MAIN(TestCzechWindows)
#include "czech_windows_test.moc"
