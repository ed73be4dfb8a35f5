#include "ui_test_support.h"

#include "settings/ini_file.h"
#include "settings/language_pack.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <cmath>

namespace {
std::unique_ptr<DesktopApplication> Running;
} // namespace

DesktopApplication &CreateApp(std::unique_ptr<PlatformServices> platform) {
  Running = std::make_unique<DesktopApplication>(std::move(platform));
  return *Running;
}

DesktopApplication &App() {
  Q_ASSERT(Running);
  return *Running;
}

void DestroyApp() { Running.reset(); }

void UiFixture::Start(const QStringList &dataFiles) {
  Dir = std::make_unique<QTemporaryDir>();
  // The plans' preferences go to this folder, never to the user's own.
  QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, Dir->filePath("preferences"));
  for (const QString &name : dataFiles)
    QFile::copy(QStringLiteral(KD_SOURCE_DIR "/data/") + name, Dir->filePath(name));
  auto fake = std::make_unique<FakePlatform>();
  fake->programPath = Dir->filePath("korvadimensio3d");
  Fake = fake.get();
  CreateApp(std::move(fake)).StartUp();
}

void UiFixture::Stop() {
  DestroyApp();
  Fake = nullptr;
  Dir.reset();
}

void UiFixture::Restart() {
  App().DestroyWindows();
  App().Language().LoadBuiltIn();
  App().LangPackFile().clear();
  App().StartUp();
}

QString UiFixture::Path(const QString &name) const { return Dir->filePath(name); }

void UiFixture::Write(const QString &name, const QByteArray &bytes) const {
  QFile f(Path(name));
  if (f.open(QIODevice::WriteOnly))
    f.write(bytes);
}

QByteArray UiFixture::Read(const QString &name) const {
  QFile f(Path(name));
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QByteArray CoordinateFile(int n) {
  QByteArray text;
  for (int i = 1; i <= n; ++i) {
    const double angle = i * 2.1;
    const double r = 150.0 + 40.0 * i;
    text += QByteArray::number(i) + " " + QByteArray::number(1000 + r * std::cos(angle), 'f', 3) +
            " " + QByteArray::number(2000 + r * std::sin(angle), 'f', 3) + " " +
            QByteArray::number(300.0 + 7.5 * i, 'f', 3) + " 0.001 0.001" +
            (i <= 2 ? " f" : "") + "\r\n";
  }
  return text;
}

QByteArray MeasurementFile(int n) {
  QByteArray text;
  for (int s = 1; s <= n; ++s)
    for (int t = 1; t <= n; ++t) {
      if (s == t)
        continue;
      const QByteArray st = QByteArray::number(s) + ".00 " + QByteArray::number(t) + ".00 ";
      text += "sd " + st + "0.00200 \r\n";
      text += "di " + st + "0.00030 \r\n";
      text += "zu " + st + "0.00030 \r\n";
    }
  return text;
}

void UseRealEngine(FakePlatform &fake, QtPlatform &real) {
  fake.onStart = [&real](const QString &program, const QStringList &args, QString &error) {
    return real.StartProcess(program, args, error);
  };
  fake.onRunning = [&real] { return real.ProcessRunning(); };
  fake.onStop = [&real] { real.StopProcess(); };
}
