// Korvadimensio 3D: the desktop program.
#include "core/version.h"
#include "ui/main_window.h"
#include "ui/app_globals.h"
#include "ui/startup.h"

#include <QApplication>

int main(int argc, char *argv[]) {
  QApplication app(argc, argv);
  NameApplication();
  // The main window closes the program; dialogs closing never do.
  QApplication::setQuitOnLastWindowClosed(false);
  StartUp();
  TheMainWindow->show();
  const int code = app.exec();
  DestroyAllWindows();
  return code;
}
