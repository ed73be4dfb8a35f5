#pragma once
// The results window: the results table of the latest "+Calculations+", the
// precision of the distance between two adjusted points, their relative
// error ellipse and the standard deviations along and across a bearing, and
// saving the table and the covariance matrix.
#include "core/text_grid.h"
#include "evaluation/evaluation_results.h"
#include "evaluation/report_data.h"

#include <QDialog>
#include <memory>
#include <string>
#include <vector>

class DesktopApplication;
class NetworkPrecision;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;
namespace kd::app { class TextGridModel; }

class ResultsWindow : public QDialog {
  Q_OBJECT
public:
  DesktopApplication &App; // the program this window belongs to
  ResultsWindow(DesktopApplication &app, QWidget *parent = nullptr);
  void ApplyTexts();

  // The results table (first row: the header; first column: the point
  // numbers) that "+Calculations+" fills and Save table writes.
  TextGrid Table;
  // The evaluation whose results are on show (its reader calculates the
  // distances and saves the covariance).
  std::shared_ptr<EvaluationResults> Results;
  // The pairs whose distance precision was calculated since the last
  // evaluation, in order, each once: the report's relative precisions.
  std::vector<ReportPair> RequestedPairs;
  // Shows Table and offers `choices` in both point choosers, the first one
  // chosen. The distance and its deviation go back to "--------".
  void ShowResults(const std::vector<std::string> &choices);
  // Marks the results on show as describing an older state of the network
  // (in the title), or as current.
  void SetOutdated(bool outdated);
  bool Outdated = false;

  QTableView *ResultsTable = nullptr; // a view of Table
  kd::app::TextGridModel *ResultsModel = nullptr;
  QLabel *DistanceKindLabel = nullptr;
  QComboBox *DistanceKindCombo = nullptr; // kind of distance
  QLabel *FromPointLabel = nullptr;
  QComboBox *FromPointCombo = nullptr;
  QLabel *ToPointLabel = nullptr;
  QComboBox *ToPointCombo = nullptr;
  QPushButton *CalculateButton = nullptr;
  QLabel *DistanceLabel = nullptr, *DistanceValueLabel = nullptr; // distance caption, value
  QLabel *StdDevLabel = nullptr, *StdDevValueLabel = nullptr; // std. dev. caption, value
  QLabel *BearingLabel = nullptr;
  QLineEdit *BearingEdit = nullptr; // bearing in gon for along/across; empty: none
  QLabel *RelativeEllipseLabel = nullptr, *RelativeEllipseValueLabel = nullptr;
  QLabel *AlongAcrossLabel = nullptr, *AlongAcrossValueLabel = nullptr;
  QPushButton *SaveTableButton = nullptr;
  QPushButton *SaveCovarianceMatrixButton = nullptr;
  QPushButton *SaveCsvButton = nullptr; // "Save as CSV"

public slots:
  // "Calculate": the distance and its standard deviation, then the relative
  // precision of the two points.
  void ComputeDistance();
  void SaveResultsTable();
  void SaveCovarianceMatrix();
  // Every point of the network with its precision, at the plans'
  // confidence level, as CSV for spreadsheets.
  void SaveAsCsv();

protected:
  void resizeEvent(QResizeEvent *event) override;

private:
  // The relative ellipse and along/across figures of the chosen points.
  void ComputeRelative(int from, int to);
  // Precision, built when first needed; null without results.
  const NetworkPrecision *ShownPrecision();
  // The precision of the shown results, built from the reader at the first
  // Calculate after ShowResults (the covariance is copied only when used).
  std::shared_ptr<const NetworkPrecision> Precision;
};
