#pragma once
// Change-precision dialog: sets the a-priori standard deviation of the
// measurement selected in the measurement plan, or of every measurement of
// its type.
#include <QDialog>

class DesktopApplication;
class QComboBox;
class QLabel;
class QPushButton;

class ChangePrecisionDialog : public QDialog {
  Q_OBJECT
public:
  DesktopApplication &App; // the program this window belongs to
  ChangePrecisionDialog(DesktopApplication &app, QWidget *parent = nullptr);

  // Puts the program's texts (App.Language()) on the window's controls
  // (and refills the scope list, selecting its first item).
  void ApplyTexts();

  QLabel *PrecisionLabel = nullptr;
  QComboBox *PrecisionCombo = nullptr; // new standard deviation, editable
  QLabel *ScopeLabel = nullptr;
  QComboBox *ScopeCombo = nullptr; // scope: selected / all of the type
  QPushButton *ApplyButton = nullptr;

public slots:
  // True when a precision was changed.
  bool ApplyPrecision();
};
