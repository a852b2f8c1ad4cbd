#include "platform/user/startup.h"

#include <QApplication>
#include <QMainWindow>
#include <QTimer>
#include <cstdlib>

int RunTavorinApplication(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName("Tavorin");
  QMainWindow window;
  window.setWindowTitle("Tavorin");
  window.resize(1024, 768);
  window.show();
  if (const char* quitAfter = std::getenv("TAVORIN_QUIT_AFTER_MS")) {
    QTimer::singleShot(std::atoi(quitAfter), &app, &QApplication::quit);
  }
  return app.exec();
}
