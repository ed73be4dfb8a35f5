#pragma once
// The settings dialog: plan colours and font, the Sc/Svp mode, automatic
// save, and the language. Nothing is applied until Apply or OK.
#include <QDialog>
#include <QFont>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
class TColorBox;

// A captioned group of radio buttons chosen by index, refilled from texts.
class TRadioGroup;

class TForm9 : public QDialog {
  Q_OBJECT
public:
  explicit TForm9(QWidget *parent = nullptr);
  void ApplyTexts();
  // Fills the language list with the packs found in the program's folder.
  void FillLanguageList();

  QLabel *Label7 = nullptr;
  QComboBox *ComboBox1 = nullptr; // language list (also takes typed text)
  QPushButton *BitBtn6 = nullptr; // "->"
  QCheckBox *CheckBox1 = nullptr;
  QGroupBox *GroupBox1 = nullptr;
  QLabel *Label1 = nullptr, *Label2 = nullptr, *Label3 = nullptr, *Label4 = nullptr,
         *Label6 = nullptr;
  TColorBox *ColorBox1 = nullptr, *ColorBox2 = nullptr, *ColorBox3 = nullptr,
            *ColorBox4 = nullptr, *ColorBox5 = nullptr;
  QPushButton *BitBtn4 = nullptr; // choose font
  QLabel *Label5 = nullptr;       // font sample
  QPushButton *BitBtn5 = nullptr; // default settings
  TRadioGroup *RadioGroup1 = nullptr;
  QPushButton *BitBtn1 = nullptr, *BitBtn2 = nullptr, *BitBtn3 = nullptr; // OK, Cancel, Apply
  // The font dialog's current font: name and size of the plan font.
  QString FontName;
  int FontSize = 10;

public slots:
  void FormShow();
  void BitBtn4Click();
  void BitBtn5Click();
  void BitBtn3Click();
  void BitBtn1Click();
  void BitBtn2Click();
  void BitBtn6Click();

private:
  void ShowFontSample();
};

class TRadioGroup : public QWidget {
  Q_OBJECT
public:
  explicit TRadioGroup(QWidget *parent = nullptr);
  void SetCaption(const QString &caption);
  void SetItems(const QStringList &items);
  int ItemIndex() const;
  void SetItemIndex(int index);
  QStringList Items() const;

private:
  QGroupBox *Box = nullptr;
  QList<QRadioButton *> Buttons;
};
