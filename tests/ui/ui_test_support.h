#pragma once
// Shared set-up of the window tests: a temporary program folder, the fake
// platform, and the program's start-up with all windows.
#include "ui/desktop_application.h"
#include "ui/platform.h"

#include <QString>
#include <QTemporaryDir>
#include <memory>

class UiFixture {
public:
  // Installs a fake platform whose program lies in a fresh temporary folder
  // (named "korvadimensio3d"), optionally with files copied from data/, and
  // runs the start-up (all windows, settings, language, texts).
  void Start(const QStringList &dataFiles = {});
  // Frees all windows and restores the previous platform.
  void Stop();
  // Ends the program and starts it again in the same folder (settings and
  // language packs written by the first run are read again).
  void Restart();

  // Path of a file in the program folder.
  QString Path(const QString &name) const;
  void Write(const QString &name, const QByteArray &bytes) const;
  QByteArray Read(const QString &name) const;

  FakePlatform *Fake = nullptr; // owned by App()

private:
  std::unique_ptr<QTemporaryDir> Dir;
};

// The program under test: CreateApp makes it on `platform` (no windows yet),
// App() returns it until DestroyApp frees it with its windows and platform.
// One test runs at a time, so one program exists at a time.
DesktopApplication &CreateApp(std::unique_ptr<PlatformServices> platform);
DesktopApplication &App();
void DestroyApp();

// Lets the fake platform start, watch and stop the real engine through
// `real`, which must live as long as the run.
void UseRealEngine(FakePlatform &fake, QtPlatform &real);

// A full-format coordinate file of n points: 1 and 2 fixed, the rest adjusted,
// spread over a few hundred metres with different heights.
QByteArray CoordinateFile(int n);
// A measurement file that ties every point of an n-point network (as made by
// CoordinateFile) with slope distances, directions and zenith angles.
QByteArray MeasurementFile(int n);
