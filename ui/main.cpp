// Korvadimensio 3D: the desktop program.
#include "ui/desktop_application.h"
#include "ui/main_window.h"
#include "ui/platform.h"

#include <QApplication>

int main(int argc, char *argv[]) {
  QApplication app(argc, argv);
  NameApplication();
  // The main window closes the program; dialogs closing never do.
  QApplication::setQuitOnLastWindowClosed(false);
  DesktopApplication program(std::make_unique<QtPlatform>());
  program.StartUp();
  program.Main()->show();
  const int code = app.exec();
  program.DestroyWindows();
  return code;
}
