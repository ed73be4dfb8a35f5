#include "ui/settings_dialog.h"
#include "app/settings_store.h"

#include "core/survey_network.h"
#include "settings/ini_file.h"
#include "settings/language_pack.h"
#include "ui/color_combo.h"
#include "app/network_document.h"
#include "ui/desktop_application.h"
#include "ui/platform.h"
#include "ui/ui_text.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

// ---- radio group ----

RadioGroup::RadioGroup(QWidget *parent) : QWidget(parent) {
  auto *outer = new QVBoxLayout(this);
  outer->setContentsMargins(0, 0, 0, 0);
  Box = new QGroupBox(this);
  new QVBoxLayout(Box);
  outer->addWidget(Box);
}

void RadioGroup::SetCaption(const QString &caption) { Box->setTitle(caption); }

void RadioGroup::SetItems(const QStringList &items) {
  qDeleteAll(Buttons);
  Buttons.clear();
  for (const QString &item : items) {
    auto *button = new QRadioButton(item, Box);
    Box->layout()->addWidget(button);
    Buttons << button;
  }
}

QStringList RadioGroup::Items() const {
  QStringList items;
  for (auto *b : Buttons)
    items << b->text();
  return items;
}

int RadioGroup::ItemIndex() const {
  for (int i = 0; i < Buttons.size(); ++i)
    if (Buttons[i]->isChecked())
      return i;
  return -1;
}

void RadioGroup::SetItemIndex(int index) {
  if (index >= 0 && index < Buttons.size())
    Buttons[index]->setChecked(true);
}

// ---- settings dialog ----

SettingsDialog::SettingsDialog(DesktopApplication &app, QWidget *parent) : QDialog(parent), App(app) {
  setWindowTitle(QString::fromUtf8("- Nastavení - "));
  setFont(DesignFont("Tahoma", 8));
  auto *main = new QVBoxLayout(this);

  auto *langRow = new QHBoxLayout();
  LanguageLabel = new QLabel(this);
  LanguageCombo = new QComboBox(this);
  LanguageCombo->setEditable(true);
  LanguageCombo->setMinimumWidth(140);
  ChangeLanguageButton = new QPushButton("->", this);
  ChangeLanguageButton->setFixedWidth(40);
  langRow->addWidget(LanguageLabel);
  langRow->addWidget(LanguageCombo, 1);
  langRow->addWidget(ChangeLanguageButton);
  main->addLayout(langRow);

  AutoSaveCheckBox = new QCheckBox(this);
  main->addWidget(AutoSaveCheckBox);

  PlanColorsGroup = new QGroupBox(this);
  auto *grid = new QGridLayout(PlanColorsGroup);
  auto addRow = [&](int row, QLabel *&label, ColorCombo *&box) {
    label = new QLabel(PlanColorsGroup);
    box = new ColorCombo(PlanColorsGroup);
    box->setMinimumWidth(150);
    grid->addWidget(label, row, 0);
    grid->addWidget(box, row, 1);
  };
  addRow(0, FixedPointColorLabel, FixedPointColorCombo);
  addRow(1, AdjustedPointColorLabel, AdjustedPointColorCombo);
  addRow(2, MeasurementColorLabel, MeasurementColorCombo);
  addRow(3, MarkColorLabel, MarkColorCombo);
  addRow(4, BackgroundColorLabel, BackgroundColorCombo);
  ChooseFontButton = new QPushButton(PlanColorsGroup);
  FontSampleLabel = new QLabel(PlanColorsGroup);
  FontSampleLabel->setMinimumHeight(36);
  grid->addWidget(ChooseFontButton, 5, 0);
  grid->addWidget(FontSampleLabel, 5, 1);
  DefaultSettingsButton = new QPushButton(PlanColorsGroup);
  grid->addWidget(DefaultSettingsButton, 6, 0, 1, 2);
  main->addWidget(PlanColorsGroup);

  ScSvpModeGroup = new RadioGroup(this);
  main->addWidget(ScSvpModeGroup);

  auto *buttons = new QHBoxLayout();
  OkButton = new QPushButton(this);
  CancelButton = new QPushButton(this);
  ApplyButton = new QPushButton(this);
  buttons->addStretch(1);
  buttons->addWidget(OkButton);
  buttons->addWidget(CancelButton);
  buttons->addWidget(ApplyButton);
  main->addLayout(buttons);

  connect(ChooseFontButton, &QPushButton::clicked, this, &SettingsDialog::ChooseFont);
  connect(DefaultSettingsButton, &QPushButton::clicked, this, &SettingsDialog::RestoreDefaults);
  connect(ApplyButton, &QPushButton::clicked, this, &SettingsDialog::Apply);
  connect(OkButton, &QPushButton::clicked, this, &SettingsDialog::ApplyAndClose);
  connect(CancelButton, &QPushButton::clicked, this, &SettingsDialog::Cancel);
  connect(ChangeLanguageButton, &QPushButton::clicked, this, &SettingsDialog::ChangeLanguage);
  connect(LanguageCombo, &QComboBox::currentTextChanged, this, [this] { LanguageChosen = true; });
  OkButton->setDefault(true);
}

void SettingsDialog::ApplyTexts() {
  setWindowTitle(App.Txt(Text::SettingsButton));
  AutoSaveCheckBox->setText(App.Txt(Text::AutomaticSave));
  PlanColorsGroup->setTitle(App.Txt(Text::PlanColoursAndFont));
  FixedPointColorLabel->setText(App.Txt(Text::FixedPointColour));
  AdjustedPointColorLabel->setText(App.Txt(Text::AdjustedPointColour));
  MeasurementColorLabel->setText(App.Txt(Text::MeasurementColour));
  MarkColorLabel->setText(App.Txt(Text::MarkColour));
  BackgroundColorLabel->setText(App.Txt(Text::BackgroundColour));
  ChooseFontButton->setText(App.Txt(Text::ChooseFont));
  DefaultSettingsButton->setText(App.Txt(Text::DefaultSettings));
  ScSvpModeGroup->SetCaption(App.Txt(Text::ScSvpProperties));
  ScSvpModeGroup->SetItems(
      {App.Txt(Text::WithoutScSvp), App.Txt(Text::ScSvpPerMeasurement), App.Txt(Text::ScSvpWholeNetwork)});
  ScSvpModeGroup->SetItemIndex(1);
  LanguageLabel->setText(App.Txt(Text::Language));
  OkButton->setText(App.Txt(Text::Ok));
  CancelButton->setText(App.Txt(Text::Cancel));
  ApplyButton->setText(App.Txt(Text::Apply));
}

void SettingsDialog::FillLanguageList() {
  LanguageCombo->clear();
  for (const std::string &item : App.Language().FillLanguageList(DataFolders(App.Platform())))
    LanguageCombo->addItem(Q(item));
  LanguageCombo->setCurrentIndex(0);
  LanguageChosen = false;
}

void SettingsDialog::OnShow() {
  LanguageChosen = false;
  // The plan's colours and font from the store, the mode and the flag as
  // the network carries them now (the mode can be undone; the store takes
  // them all on Apply).
  const kd::Settings &s = App.Settings()->Program();
  const PointSet &p = App.Network()->Points;
  FixedPointColorCombo->Select(s.FixedColor);
  AdjustedPointColorCombo->Select(s.AdjustedColor);
  MeasurementColorCombo->Select(s.MeasColor);
  MarkColorCombo->Select(s.MarkColor);
  BackgroundColorCombo->Select(s.BackColor);
  FontName = Q(s.FontName);
  FontSize = s.FontSize;
  ShowFontSample();
  ScSvpModeGroup->SetItemIndex(NumberOf(p.ScSvpMode));
  AutoSaveCheckBox->setChecked(p.AutoSave);
}

void SettingsDialog::ShowFontSample() {
  FontSampleLabel->setText(FontName);
  FontSampleLabel->setFont(DesignFont(FontName, FontSize));
}

void SettingsDialog::ChooseFont() {
  QFont font = DesignFont(FontName, FontSize);
  if (!App.Platform().ChooseFont(this, font))
    return;
  FontName = font.family();
  FontSize = font.pointSize() > 0 ? font.pointSize() : FontSize;
  ShowFontSample();
}

void SettingsDialog::RestoreDefaults() {
  const kd::Settings defaults;
  FixedPointColorCombo->Select(defaults.FixedColor);
  AdjustedPointColorCombo->Select(defaults.AdjustedColor);
  MeasurementColorCombo->Select(defaults.MeasColor);
  MarkColorCombo->Select(defaults.MarkColor);
  BackgroundColorCombo->Select(defaults.BackColor);
  FontName = Q(defaults.FontName);
  FontSize = defaults.FontSize;
  ShowFontSample();
}

void SettingsDialog::Apply() {
  // The Sc/Svp mode changes what the network gives: an undoable step.
  if (ScSvpModeGroup->ItemIndex() >= 0 && App.Document()) {
    const auto mode = static_cast<ScSvpMode>(ScSvpModeGroup->ItemIndex());
    App.Document()->Edit(App.Txt(Text::StepScSvpMode), [mode](SurveyNetwork &net) { net.Points.ScSvpMode = mode; });
  }
  PointSet &p = App.Document()->Workspace().Points;
  p.AutoSave = AutoSaveCheckBox->isChecked();
  kd::Settings s = App.Settings()->Program();
  s.FixedColor = FixedPointColorCombo->Selected();
  s.AdjustedColor = AdjustedPointColorCombo->Selected();
  s.MeasColor = MeasurementColorCombo->Selected();
  s.MarkColor = MarkColorCombo->Selected();
  s.BackColor = BackgroundColorCombo->Selected();
  s.FontName = S(FontName);
  s.FontSize = static_cast<std::uint8_t>(std::clamp(FontSize, 1, 255));
  QString error;
  if (!MakeOwnFilesFolder(App.Platform(), error)) {
    App.Platform().Message(this, App.Txt(Text::Error) + " (" + error + ")");
    return;
  }
  // A language chosen in the list takes effect with OK or Apply too, as with
  // "->"; the settings file then names it.
  if (LanguageChosen)
    ChangeLanguage();
  kd::TakeNetworkSettings(p, s);
  s.LangPackFile = App.LangPackFile();
  App.Settings()->SetProgram(s);
  const QString file = OwnFileWithExt(App.Platform(), ".ini");
  if (!App.Settings()->SaveProgramFile(S(file)))
    App.Platform().Message(this, App.Txt(Text::Error) + " (" + file + ")");
}

void SettingsDialog::ApplyAndClose() {
  Apply();
  accept();
}

void SettingsDialog::Cancel() { reject(); }

void SettingsDialog::ChangeLanguage() {
  SwitchLanguage(App.Language(), DataFolders(App.Platform()), S(LanguageCombo->currentText()),
                 App.LangPackFile());
  LanguageChosen = false;
  App.ApplyTextsToAllWindows();
}
