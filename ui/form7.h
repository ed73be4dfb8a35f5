#pragma once
// Change-precision dialog: sets the a-priori standard deviation of the
// measurement selected in the measurement plan, or of every measurement of
// its type.
#include <QDialog>

class QComboBox;
class QLabel;
class QPushButton;

class TForm7 : public QDialog {
  Q_OBJECT
public:
  explicit TForm7(QWidget *parent = nullptr);

  // Puts the active language's texts on the window's controls (and refills
  // the scope list, selecting its first item).
  void ApplyTexts();

  QLabel *Label4 = nullptr;
  QComboBox *ComboBox4 = nullptr; // new standard deviation, editable
  QLabel *Label1 = nullptr;
  QComboBox *ComboBox1 = nullptr; // scope: selected / all of the type
  QPushButton *BitBtn17 = nullptr; // apply

public slots:
  // True when a precision was changed.
  bool BitBtn17Click();
};
