#pragma once
// The results window: the results table of the latest "+Calculations+", the
// precision of the distance between two adjusted points, and saving the
// table and the covariance matrix.
#include "core/grid.h"

#include <QDialog>
#include <string>
#include <vector>

class QComboBox;
class QLabel;
class QPushButton;
class QTableWidget;

class TForm6 : public QDialog {
  Q_OBJECT
public:
  explicit TForm6(QWidget *parent = nullptr);
  void ApplyTexts();

  // The results table (first row: the header; first column: the point
  // numbers) that "+Calculations+" fills and Save table writes.
  TGrid Table;
  // Shows Table and offers `choices` in both point choosers, the first one
  // chosen. The distance and its deviation go back to "--------".
  void ShowResults(const std::vector<std::string> &choices);

  QTableWidget *StringGrid1 = nullptr;
  QLabel *Label1 = nullptr;
  QComboBox *ComboBox3 = nullptr; // kind of distance
  QLabel *Label6 = nullptr;
  QComboBox *ComboBox1 = nullptr; // from
  QLabel *Label7 = nullptr;
  QComboBox *ComboBox2 = nullptr; // to
  QPushButton *BitBtn1 = nullptr; // calculate
  QLabel *Label2 = nullptr, *Label4 = nullptr; // distance caption, value
  QLabel *Label3 = nullptr, *Label5 = nullptr; // std. dev. caption, value
  QPushButton *BitBtn2 = nullptr; // save table
  QPushButton *BitBtn3 = nullptr; // save covariance matrix

public slots:
  void BitBtn1Click();
  void BitBtn2Click();
  void BitBtn3Click();

protected:
  void resizeEvent(QResizeEvent *event) override;
};
