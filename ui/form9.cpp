#include "ui/form9.h"

#include "core/container.h"
#include "settings/inifile.h"
#include "settings/langpack.h"
#include "ui/colorbox.h"
#include "ui/globals.h"
#include "ui/platform.h"
#include "ui/uitext.h"

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

TRadioGroup::TRadioGroup(QWidget *parent) : QWidget(parent) {
  auto *outer = new QVBoxLayout(this);
  outer->setContentsMargins(0, 0, 0, 0);
  Box = new QGroupBox(this);
  new QVBoxLayout(Box);
  outer->addWidget(Box);
}

void TRadioGroup::SetCaption(const QString &caption) { Box->setTitle(caption); }

void TRadioGroup::SetItems(const QStringList &items) {
  qDeleteAll(Buttons);
  Buttons.clear();
  for (const QString &item : items) {
    auto *button = new QRadioButton(item, Box);
    Box->layout()->addWidget(button);
    Buttons << button;
  }
}

QStringList TRadioGroup::Items() const {
  QStringList items;
  for (auto *b : Buttons)
    items << b->text();
  return items;
}

int TRadioGroup::ItemIndex() const {
  for (int i = 0; i < Buttons.size(); ++i)
    if (Buttons[i]->isChecked())
      return i;
  return -1;
}

void TRadioGroup::SetItemIndex(int index) {
  if (index >= 0 && index < Buttons.size())
    Buttons[index]->setChecked(true);
}

// ---- settings dialog ----

TForm9::TForm9(QWidget *parent) : QDialog(parent) {
  setWindowTitle(QString::fromUtf8("- Nastavení - "));
  setFont(DesignFont("Tahoma", 8));
  auto *main = new QVBoxLayout(this);

  auto *langRow = new QHBoxLayout();
  Label7 = new QLabel("Language", this);
  ComboBox1 = new QComboBox(this);
  ComboBox1->setEditable(true);
  ComboBox1->setMinimumWidth(140);
  BitBtn6 = new QPushButton("->", this);
  BitBtn6->setFixedWidth(40);
  langRow->addWidget(Label7);
  langRow->addWidget(ComboBox1, 1);
  langRow->addWidget(BitBtn6);
  main->addLayout(langRow);

  CheckBox1 = new QCheckBox(this);
  main->addWidget(CheckBox1);

  GroupBox1 = new QGroupBox(this);
  auto *grid = new QGridLayout(GroupBox1);
  auto addRow = [&](int row, QLabel *&label, TColorBox *&box) {
    label = new QLabel(GroupBox1);
    box = new TColorBox(GroupBox1);
    box->setMinimumWidth(150);
    grid->addWidget(label, row, 0);
    grid->addWidget(box, row, 1);
  };
  addRow(0, Label1, ColorBox1);
  addRow(1, Label2, ColorBox2);
  addRow(2, Label3, ColorBox3);
  addRow(3, Label4, ColorBox4);
  addRow(4, Label6, ColorBox5);
  BitBtn4 = new QPushButton(GroupBox1);
  Label5 = new QLabel(GroupBox1);
  Label5->setMinimumHeight(36);
  grid->addWidget(BitBtn4, 5, 0);
  grid->addWidget(Label5, 5, 1);
  BitBtn5 = new QPushButton(GroupBox1);
  grid->addWidget(BitBtn5, 6, 0, 1, 2);
  main->addWidget(GroupBox1);

  RadioGroup1 = new TRadioGroup(this);
  main->addWidget(RadioGroup1);

  auto *buttons = new QHBoxLayout();
  BitBtn1 = new QPushButton(this);
  BitBtn2 = new QPushButton(this);
  BitBtn3 = new QPushButton(this);
  buttons->addStretch(1);
  buttons->addWidget(BitBtn1);
  buttons->addWidget(BitBtn2);
  buttons->addWidget(BitBtn3);
  main->addLayout(buttons);

  connect(BitBtn4, &QPushButton::clicked, this, &TForm9::BitBtn4Click);
  connect(BitBtn5, &QPushButton::clicked, this, &TForm9::BitBtn5Click);
  connect(BitBtn3, &QPushButton::clicked, this, &TForm9::BitBtn3Click);
  connect(BitBtn1, &QPushButton::clicked, this, &TForm9::BitBtn1Click);
  connect(BitBtn2, &QPushButton::clicked, this, &TForm9::BitBtn2Click);
  connect(BitBtn6, &QPushButton::clicked, this, &TForm9::BitBtn6Click);
  BitBtn1->setDefault(true);
}

void TForm9::ApplyTexts() {
  setWindowTitle(Txt(8));
  CheckBox1->setText(Txt(81));
  GroupBox1->setTitle(Txt(82));
  Label1->setText(Txt(83));
  Label2->setText(Txt(84));
  Label3->setText(Txt(85));
  Label4->setText(Txt(86));
  Label6->setText(Txt(87));
  BitBtn4->setText(Txt(88));
  BitBtn5->setText(Txt(89));
  RadioGroup1->SetCaption(Txt(90));
  RadioGroup1->SetItems({Txt(91), Txt(92), Txt(116)});
  RadioGroup1->SetItemIndex(1);
  BitBtn1->setText(Txt(93));
  BitBtn2->setText(Txt(94));
  BitBtn3->setText(Txt(69));
}

void TForm9::FillLanguageList() {
  ComboBox1->clear();
  for (const std::string &item : Lang().FillLanguageList(S(ProgramFolder())))
    ComboBox1->addItem(Q(item));
  ComboBox1->setCurrentIndex(0);
}

void TForm9::FormShow() {
  const TPoints &p = Container->Points;
  ColorBox1->Select(p.FixedColor);
  ColorBox2->Select(p.AdjustedColor);
  ColorBox3->Select(p.MeasColor);
  ColorBox4->Select(p.MarkColor);
  ColorBox5->Select(p.BackColor);
  FontName = Q(p.FontName);
  FontSize = p.FontSize;
  ShowFontSample();
  RadioGroup1->SetItemIndex(p.ScSvpMode);
  CheckBox1->setChecked(p.AutoSave);
}

void TForm9::ShowFontSample() {
  Label5->setText(FontName);
  Label5->setFont(DesignFont(FontName, FontSize));
}

void TForm9::BitBtn4Click() {
  QFont font = DesignFont(FontName, FontSize);
  if (!Platform().ChooseFont(this, font))
    return;
  FontName = font.family();
  FontSize = font.pointSize() > 0 ? font.pointSize() : FontSize;
  ShowFontSample();
}

void TForm9::BitBtn5Click() {
  const kd::TSettings defaults;
  ColorBox1->Select(defaults.FixedColor);
  ColorBox2->Select(defaults.AdjustedColor);
  ColorBox3->Select(defaults.MeasColor);
  ColorBox4->Select(defaults.MarkColor);
  ColorBox5->Select(defaults.BackColor);
  FontName = Q(defaults.FontName);
  FontSize = defaults.FontSize;
  ShowFontSample();
}

void TForm9::BitBtn3Click() {
  TPoints &p = Container->Points;
  p.FixedColor = ColorBox1->Selected();
  p.AdjustedColor = ColorBox2->Selected();
  p.MeasColor = ColorBox3->Selected();
  p.MarkColor = ColorBox4->Selected();
  p.BackColor = ColorBox5->Selected();
  p.FontName = S(FontName);
  p.FontSize = static_cast<std::uint8_t>(std::clamp(FontSize, 1, 255));
  if (RadioGroup1->ItemIndex() >= 0)
    p.ScSvpMode = static_cast<std::uint8_t>(RadioGroup1->ItemIndex());
  p.AutoSave = CheckBox1->isChecked();
  const QString file = ProgramFileWithExt(".ini");
  if (!inifile().SaveSettings(p, S(file)))
    Platform().Message(this, Txt(53) + " (" + file + ")");
}

void TForm9::BitBtn1Click() {
  BitBtn3Click();
  accept();
}

void TForm9::BitBtn2Click() { reject(); }

void TForm9::BitBtn6Click() {
  SwitchLanguage(Lang(), S(ProgramFolder()), S(ComboBox1->currentText()), LangPackFile);
  ApplyTextsToAllForms();
}
