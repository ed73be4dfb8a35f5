#pragma once
// The settings dialog: plan colours and font, the Sc/Svp mode, automatic
// save, and the language. Nothing is applied until Apply or OK.
#include <QDialog>
#include <QFont>

class DesktopApplication;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
class ColorCombo;

// A captioned group of radio buttons chosen by index, refilled from texts.
class RadioGroup;

class SettingsDialog : public QDialog {
  Q_OBJECT
public:
  DesktopApplication &App; // the program this window belongs to
  SettingsDialog(DesktopApplication &app, QWidget *parent = nullptr);
  void ApplyTexts();
  // Fills the language list with the packs found in the program's folder.
  void FillLanguageList();

  QLabel *LanguageLabel = nullptr;
  QComboBox *LanguageCombo = nullptr; // language list (also takes typed text)
  QPushButton *ChangeLanguageButton = nullptr; // "->"
  QCheckBox *AutoSaveCheckBox = nullptr;
  QGroupBox *PlanColorsGroup = nullptr;
  QLabel *FixedPointColorLabel = nullptr, *AdjustedPointColorLabel = nullptr, *MeasurementColorLabel = nullptr, *MarkColorLabel = nullptr,
         *BackgroundColorLabel = nullptr;
  ColorCombo *FixedPointColorCombo = nullptr, *AdjustedPointColorCombo = nullptr, *MeasurementColorCombo = nullptr,
            *MarkColorCombo = nullptr, *BackgroundColorCombo = nullptr;
  QPushButton *ChooseFontButton = nullptr;
  QLabel *FontSampleLabel = nullptr;
  QPushButton *DefaultSettingsButton = nullptr;
  RadioGroup *ScSvpModeGroup = nullptr;
  QPushButton *OkButton = nullptr, *CancelButton = nullptr, *ApplyButton = nullptr; // OK, Cancel, Apply
  // The font dialog's current font: name and size of the plan font.
  QString FontName;
  int FontSize = 10;

public slots:
  void OnShow();
  void ChooseFont();
  void RestoreDefaults();
  void Apply();
  void ApplyAndClose();
  void Cancel();
  void ChangeLanguage();

private:
  void ShowFontSample();
  // The language list was changed since the dialog was shown or the last
  // switch: OK and Apply switch to its text.
  bool LanguageChosen = false;
};

class RadioGroup : public QWidget {
  Q_OBJECT
public:
  explicit RadioGroup(QWidget *parent = nullptr);
  void SetCaption(const QString &caption);
  void SetItems(const QStringList &items);
  int ItemIndex() const;
  void SetItemIndex(int index);
  QStringList Items() const;

private:
  QGroupBox *Box = nullptr;
  QList<QRadioButton *> Buttons;
};
