// The sharing tests run with an application object and the window layer offscreen unless a
// platform is named.
#include <QApplication>
#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/mfc/winapp.h"

extern "C" const char* __lsan_default_suppressions() { return "leak:libdbus-1.so\n"; }

int main(int argc, char** argv) {
  setenv("TAVORIN_TEST", "1", 0);
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication qtApp(argc, argv);
  CWinApp app("Tavorin");
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
