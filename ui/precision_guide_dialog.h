#pragma once
// Precision guide: turns the nominal precision of the instruments (total
// station, levelling instrument, gyro-theodolite, plumbing) and the planned
// number of repetitions into a-priori standard deviations, and applies them
// to all measurements of a type, or for distances and height differences
// measurement by measurement from each one's own length.
#include <QDialog>

class DesktopApplication;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

class PrecisionGuideDialog : public QDialog {
  Q_OBJECT
public:
  DesktopApplication &App; // the program this window belongs to
  PrecisionGuideDialog(DesktopApplication &app, QWidget *parent = nullptr);

  // Puts the program's texts (App.Language()) on the window's controls.
  void ApplyTexts();

  // Total station.
  QGroupBox *TotalStationGroup = nullptr;
  QLabel *DirectionSigmaLabel = nullptr, *ZenithAngleSigmaLabel = nullptr, *SlopeDistanceSigmaLabel = nullptr, *HorizontalDistanceSigmaLabel = nullptr;
  QComboBox *DirectionSigmaCombo = nullptr;  // direction, one set / gon
  QComboBox *ZenithAngleSigmaCombo = nullptr;  // zenith angle, one set / gon
  QComboBox *SlopeDistanceConstantCombo = nullptr;  // slope distance a / m
  QComboBox *SlopeDistancePpmCombo = nullptr;  // slope distance b / m per km
  QComboBox *HorizontalDistanceConstantCombo = nullptr; // horizontal distance a / m
  QComboBox *HorizontalDistancePpmCombo = nullptr; // horizontal distance b / m per km
  // Levelling instrument.
  QGroupBox *LevellingGroup = nullptr;
  QLabel *LevellingSigmaLabel = nullptr, *RouteCoefficientLabel = nullptr;
  QComboBox *LevellingSigmaCombo = nullptr; // sigma of 1 km levelling / m
  QComboBox *RouteCoefficientCombo = nullptr; // route length coefficient k
  // Repetitions and average lengths.
  QGroupBox *RepetitionsGroup = nullptr;
  QLabel *DirectionRepetitionsLabel = nullptr, *ZenithAngleRepetitionsLabel = nullptr, *SlopeDistanceRepetitionsLabel = nullptr, *HorizontalDistanceRepetitionsLabel = nullptr,
         *HeightDifferenceRepetitionsLabel = nullptr, *AverageSlopeDistanceLabel = nullptr, *AverageHorizontalDistanceLabel = nullptr, *AverageLevellingLengthLabel = nullptr;
  QComboBox *DirectionRepetitionsCombo = nullptr;  // directions
  QComboBox *ZenithAngleRepetitionsCombo = nullptr;  // zenith angles
  QComboBox *SlopeDistanceRepetitionsCombo = nullptr;  // slope distances
  QComboBox *HorizontalDistanceRepetitionsCombo = nullptr; // horizontal distances
  QComboBox *HeightDifferenceRepetitionsCombo = nullptr; // height differences
  QLineEdit *AverageSlopeDistanceEdit = nullptr, *AverageHorizontalDistanceEdit = nullptr, *AverageLevellingLengthEdit = nullptr; // average lengths / m
  QPushButton *AverageSlopeDistanceButton = nullptr, *AverageHorizontalDistanceButton = nullptr, *AverageLevellingLengthButton = nullptr; // "+"
  // Resulting precision.
  QGroupBox *ResultingPrecisionGroup = nullptr;
  QLabel *DirectionResultLabel = nullptr, *ZenithAngleResultLabel = nullptr, *SlopeDistanceResultLabel = nullptr, *HorizontalDistanceResultLabel = nullptr,
         *HeightDifferenceResultLabel = nullptr;
  QLineEdit *DirectionResultEdit = nullptr, *ZenithAngleResultEdit = nullptr, *SlopeDistanceResultEdit = nullptr, *HorizontalDistanceResultEdit = nullptr,
            *HeightDifferenceResultEdit = nullptr;
  QPushButton *ComputeDirectionButton = nullptr, *ComputeZenithAngleButton = nullptr, *ComputeSlopeDistanceButton = nullptr, *ComputeHorizontalDistanceButton = nullptr,
              *ComputeHeightDifferenceButton = nullptr; // "->"
  // Apply on.
  QGroupBox *ApplyOnGroup = nullptr;
  QPushButton *ApplyDirectionButton = nullptr, *ApplyZenithAngleButton = nullptr, *ApplySlopeDistanceButton = nullptr, *ApplyHorizontalDistanceButton = nullptr,
              *ApplyHeightDifferenceButton = nullptr;
  QPushButton *SlopeDistanceOneByOneButton = nullptr, *HorizontalDistanceOneByOneButton = nullptr, *HeightDifferenceOneByOneButton = nullptr; // one by one
  // Gyro directions.
  QGroupBox *GyroGroup = nullptr;
  QLabel *GyroSigmaLabel = nullptr, *GyroRepetitionsLabel = nullptr, *GyroResultLabel = nullptr;
  QComboBox *GyroSigmaCombo = nullptr; // one gyro direction / gon
  QComboBox *GyroRepetitionsCombo = nullptr;
  QLineEdit *GyroResultEdit = nullptr;
  QPushButton *ComputeGyroButton = nullptr, *ApplyGyroButton = nullptr;
  // Plumbing.
  QGroupBox *PlumbingGroup = nullptr;
  QLabel *PlumbingPositionSigmaLabel = nullptr, *PlumbingHeightSigmaLabel = nullptr;
  QComboBox *PlumbingPositionSigmaCombo = nullptr; // s(xy) / m
  QComboBox *PlumbingHeightSigmaCombo = nullptr; // s(h) / m
  QPushButton *ApplyPlumbingPositionButton = nullptr, *ApplyPlumbingHeightButton = nullptr;

public slots:
  // "->": compute a resulting precision; true when the result was written.
  bool ComputeDirectionSigma();
  bool ComputeZenithAngleSigma();
  bool ComputeSlopeDistanceSigma();
  bool ComputeHorizontalDistanceSigma();
  bool ComputeHeightDifferenceSigma();
  bool ComputeGyroSigma();
  // "+": average lengths of the measurements of a type.
  void FillAverageSlopeDistance();
  void FillAverageHorizontalDistance();
  void FillAverageLevellingLength();
  // Apply to all of a type; true when applied.
  bool ApplyDirectionSigma();
  bool ApplyZenithAngleSigma();
  bool ApplySlopeDistanceSigma();
  bool ApplyHorizontalDistanceSigma();
  bool ApplyHeightDifferenceSigma();
  bool ApplyGyroSigma();
  bool ApplyPlumbingPositionSigma();
  bool ApplyPlumbingHeightSigma();
  // One by one; true when applied.
  bool ApplySlopeDistanceOneByOne();
  bool ApplyHorizontalDistanceOneByOne();
  bool ApplyHeightDifferenceOneByOne();

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
