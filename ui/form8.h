#pragma once
// Change-all-Sc/Svp dialog: sets the centring (Sc) or the height (Svp)
// standard deviation of every point at once.
#include <QDialog>

class QComboBox;
class QLabel;
class QPushButton;

class TForm8 : public QDialog {
  Q_OBJECT
public:
  explicit TForm8(QWidget *parent = nullptr);

  // Puts the active language's texts on the window's controls.
  void ApplyTexts();

  QLabel *Label4 = nullptr;
  QComboBox *ComboBox4 = nullptr; // new Sc / m
  QPushButton *BitBtn1 = nullptr; // apply Sc to all points
  QLabel *Label1 = nullptr;
  QComboBox *ComboBox1 = nullptr; // new Svp / m
  QPushButton *BitBtn2 = nullptr; // apply Svp to all points

public slots:
  // True when the value was read and set on every point.
  bool BitBtn1Click();
  bool BitBtn2Click();
};
