#pragma once
// Change-all-Sc/Svp dialog: sets the centring (Sc) or the height (Svp)
// standard deviation of every point at once.
#include <QDialog>

class DesktopApplication;
class QComboBox;
class QLabel;
class QPushButton;

class AllPointsScSvpDialog : public QDialog {
  Q_OBJECT
public:
  DesktopApplication &App; // the program this window belongs to
  AllPointsScSvpDialog(DesktopApplication &app, QWidget *parent = nullptr);

  // Puts the program's texts (App.Language()) on the window's controls.
  void ApplyTexts();

  QLabel *ScLabel = nullptr;
  QComboBox *ScCombo = nullptr; // new Sc / m
  QPushButton *ApplyScButton = nullptr; // apply Sc to all points
  QLabel *SvpLabel = nullptr;
  QComboBox *SvpCombo = nullptr; // new Svp / m
  QPushButton *ApplySvpButton = nullptr; // apply Svp to all points

public slots:
  // True when the value was read and set on every point.
  bool SetScOfAllPoints();
  bool SetSvpOfAllPoints();
};
