#pragma once
// Precision guide: turns the nominal precision of the instruments (total
// station, levelling instrument, gyro-theodolite, plumbing) and the planned
// number of repetitions into a-priori standard deviations, and applies them
// to all measurements of a type, or for distances and height differences
// measurement by measurement from each one's own length.
#include <QDialog>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

class TFPrecGuide : public QDialog {
  Q_OBJECT
public:
  explicit TFPrecGuide(QWidget *parent = nullptr);

  // Puts the active language's texts on the window's controls.
  void ApplyTexts();

  // Total station.
  QGroupBox *GroupBox1 = nullptr;
  QLabel *Label4 = nullptr, *Label1 = nullptr, *Label2 = nullptr, *Label18 = nullptr;
  QComboBox *ComboBox4 = nullptr;  // direction, one set / gon
  QComboBox *ComboBox1 = nullptr;  // zenith angle, one set / gon
  QComboBox *ComboBox2 = nullptr;  // slope distance a / m
  QComboBox *ComboBox3 = nullptr;  // slope distance b / m per km
  QComboBox *ComboBox12 = nullptr; // horizontal distance a / m
  QComboBox *ComboBox11 = nullptr; // horizontal distance b / m per km
  // Levelling instrument.
  QGroupBox *GroupBox2 = nullptr;
  QLabel *Label11 = nullptr, *Label12 = nullptr;
  QComboBox *ComboBox8 = nullptr; // sigma of 1 km levelling / m
  QComboBox *ComboBox9 = nullptr; // route length coefficient k
  // Repetitions and average lengths.
  QGroupBox *GroupBox3 = nullptr;
  QLabel *Label5 = nullptr, *Label6 = nullptr, *Label7 = nullptr, *Label20 = nullptr,
         *Label13 = nullptr, *Label15 = nullptr, *Label21 = nullptr, *Label22 = nullptr;
  QComboBox *ComboBox5 = nullptr;  // directions
  QComboBox *ComboBox6 = nullptr;  // zenith angles
  QComboBox *ComboBox7 = nullptr;  // slope distances
  QComboBox *ComboBox13 = nullptr; // horizontal distances
  QComboBox *ComboBox10 = nullptr; // height differences
  QLineEdit *Edit5 = nullptr, *Edit6 = nullptr, *Edit7 = nullptr; // average lengths / m
  QPushButton *BitBtn4 = nullptr, *BitBtn10 = nullptr, *BitBtn11 = nullptr; // "+"
  // Resulting precision.
  QGroupBox *GroupBox5 = nullptr;
  QLabel *Label8 = nullptr, *Label9 = nullptr, *Label10 = nullptr, *Label23 = nullptr,
         *Label14 = nullptr;
  QLineEdit *Edit1 = nullptr, *Edit2 = nullptr, *Edit3 = nullptr, *Edit8 = nullptr,
            *Edit4 = nullptr;
  QPushButton *BitBtn5 = nullptr, *BitBtn6 = nullptr, *BitBtn7 = nullptr, *BitBtn12 = nullptr,
              *BitBtn8 = nullptr; // "->"
  // Apply on.
  QGroupBox *GroupBox4 = nullptr;
  QPushButton *BitBtn2 = nullptr, *BitBtn1 = nullptr, *BitBtn3 = nullptr, *BitBtn13 = nullptr,
              *BitBtn9 = nullptr;
  QPushButton *BitBtn14 = nullptr, *BitBtn15 = nullptr, *BitBtn16 = nullptr; // one by one
  // Gyro directions.
  QGroupBox *GroupBox6 = nullptr;
  QLabel *Label16 = nullptr, *Label17 = nullptr, *Label24 = nullptr;
  QComboBox *ComboBox14 = nullptr; // one gyro direction / gon
  QComboBox *ComboBox15 = nullptr; // repetitions
  QLineEdit *Edit9 = nullptr;
  QPushButton *BitBtn17 = nullptr, *BitBtn18 = nullptr;
  // Plumbing.
  QGroupBox *GroupBox7 = nullptr;
  QLabel *Label25 = nullptr, *Label26 = nullptr;
  QComboBox *ComboBox16 = nullptr; // s(xy) / m
  QComboBox *ComboBox17 = nullptr; // s(h) / m
  QPushButton *BitBtn19 = nullptr, *BitBtn20 = nullptr;

public slots:
  // "->": compute a resulting precision; true when the result was written.
  bool BitBtn5Click();
  bool BitBtn6Click();
  bool BitBtn7Click();
  bool BitBtn12Click();
  bool BitBtn8Click();
  bool BitBtn17Click();
  // "+": average lengths of the measurements of a type.
  void BitBtn4Click();
  void BitBtn10Click();
  void BitBtn11Click();
  // Apply to all of a type; true when applied.
  bool BitBtn2Click();
  bool BitBtn1Click();
  bool BitBtn3Click();
  bool BitBtn13Click();
  bool BitBtn9Click();
  bool BitBtn18Click();
  bool BitBtn19Click();
  bool BitBtn20Click();
  // One by one; true when applied.
  bool BitBtn14Click();
  bool BitBtn15Click();
  bool BitBtn16Click();

private:
  void WrongInput();
  // Value fields: a number of at least 0. On failure "Wrong input!" and
  // the field returns to its reset value.
  bool ReadValue(QComboBox *box, int resetItem, long double &v);
  bool ReadValue(QLineEdit *edit, const QString &resetText, long double &v);
  // Repetition counts; reset to "1".
  bool ReadCountField(QComboBox *box, int &n);
  // Reads a resulting precision and applies it to all of a type.
  bool ApplyToType(QWidget *field, std::uint8_t type);
  bool ApplyOneByOne(int which);
  void RefreshMeasurementTable();
};
