// Every window in Czech: choosing the Czech pack in the settings dialog and
// pressing OK (or Apply) switches the language as "->" does, and then no
// widget of any window shows an English text, except the fixed ones (units,
// measurement type codes, symbols, the colour and font names).
#include "ui_test_support.h"

#include "settings/language_pack.h"
#include "settings/text_catalogue.h"
#include "ui/app_globals.h"
#include "ui/main_window.h"
#include "ui/settings_dialog.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QPushButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>
#include <QSet>
#include <QSpinBox>
#include <QTableWidget>
#include <QtTest>

namespace {

// Texts that are the same in every language: units and symbols, the
// measurement type codes of the files, "OK", the file pattern, the engine's
// and the font's own names, and the language list's names of the packs.
const QStringList kFixedTexts = {
    "OK", "*.txt", "->", "EN(default)", "CZ", "X / m", "Y / m", "Z / m", "Sc / m", "Svp / m",
    "X/m", "Y/m", "Z/m", "Times New Roman", "95 %", "Sc/Svp"};

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
  if (auto *table = qobject_cast<QTableWidget *>(w))
    for (int c = 0; c < table->columnCount(); ++c)
      if (QTableWidgetItem *h = table->horizontalHeaderItem(c))
        t << h->text();
  for (QAction *a : w->actions())
    t << a->text() << a->toolTip();
  t.removeAll(QString());
  return t;
}

// "window > widget: text" for every English text of every widget.
QStringList EnglishTexts(const QSet<QString> &english) {
  QStringList found;
  for (QWidget *w : QApplication::allWidgets()) {
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

void ChooseLanguage(const QString &item, QAbstractButton *confirm) {
  TheMainWindow->ShowSettings();
  TheSettingsDialog->LanguageCombo->setCurrentText(item);
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
    QCOMPARE(TheMainWindow->EvaluateButton->text(), QString("- Evaluation -"));
    ChooseLanguage("CZ", TheSettingsDialog->OkButton);
    QCOMPARE(TheMainWindow->EvaluateButton->text(), QString::fromUtf8("- Výpočet -"));
    QCOMPARE(TheMainWindow->ReportButton->text(), QString::fromUtf8("Zpráva\u2026"));
    QVERIFY(TheMainWindow->ReportButton->text() != TheMainWindow->ProtocolButton->text());
    ChooseLanguage("EN(default)", TheSettingsDialog->ApplyButton);
    QCOMPARE(TheMainWindow->EvaluateButton->text(), QString("- Evaluation -"));
    // OK without touching the list keeps the language.
    ChooseLanguage("CZ", TheSettingsDialog->ApplyButton);
    TheMainWindow->ShowSettings();
    TheSettingsDialog->OkButton->click();
    QCOMPARE(TheMainWindow->EvaluateButton->text(), QString::fromUtf8("- Výpočet -"));
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
    ChooseLanguage("CZ", TheSettingsDialog->OkButton);
    const QStringList left = EnglishTexts(english);
    if (!left.isEmpty())
      qWarning().noquote() << left.join("\n");
    QCOMPARE(left.size(), 0);
  }
};

QTEST_MAIN(TestCzechWindows)
#include "czech_windows_test.moc"
