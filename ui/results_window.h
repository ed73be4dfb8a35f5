#pragma once
// The results window: the results table of the latest "+Calculations+", the
// precision of the distance between two adjusted points, and saving the
// table and the covariance matrix.
#include "core/text_grid.h"
#include "engine/report_data.h"

#include <QDialog>
#include <string>
#include <vector>

class QComboBox;
class QLabel;
class QPushButton;
class QTableWidget;

class ResultsWindow : public QDialog {
  Q_OBJECT
public:
  explicit ResultsWindow(QWidget *parent = nullptr);
  void ApplyTexts();

  // The results table (first row: the header; first column: the point
  // numbers) that "+Calculations+" fills and Save table writes.
  TextGrid Table;
  // The pairs whose distance precision was calculated since the last
  // evaluation, in order, each once: the report's relative precisions.
  std::vector<RelativeRequest> RequestedPairs;
  // Shows Table and offers `choices` in both point choosers, the first one
  // chosen. The distance and its deviation go back to "--------".
  void ShowResults(const std::vector<std::string> &choices);

  QTableWidget *ResultsTable = nullptr;
  QLabel *DistanceKindLabel = nullptr;
  QComboBox *DistanceKindCombo = nullptr; // kind of distance
  QLabel *FromPointLabel = nullptr;
  QComboBox *FromPointCombo = nullptr; // from
  QLabel *ToPointLabel = nullptr;
  QComboBox *ToPointCombo = nullptr; // to
  QPushButton *CalculateButton = nullptr; // calculate
  QLabel *DistanceLabel = nullptr, *DistanceValueLabel = nullptr; // distance caption, value
  QLabel *StdDevLabel = nullptr, *StdDevValueLabel = nullptr; // std. dev. caption, value
  QPushButton *SaveTableButton = nullptr; // save table
  QPushButton *SaveCovarianceMatrixButton = nullptr; // save covariance matrix

public slots:
  void ComputeDistance();
  void SaveResultsTable();
  void SaveCovarianceMatrix();

protected:
  void resizeEvent(QResizeEvent *event) override;
};
