// The keyboard's tests run with an application object (the program's instance and message
// boxes) and the window layer offscreen unless a platform is named.
#include <QApplication>
#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/gdiplus/gdiplus.h"
#include "platform/mfc/winapp.h"

// On X11 the platform plugin's D-Bus connection is never freed; it is not the keyboard's leak.
extern "C" const char* __lsan_default_suppressions() { return "leak:libdbus-1.so\n"; }

int main(int argc, char** argv) {
  setenv("TAVORIN_TEST", "1", 0);
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication qtApp(argc, argv);
  CWinApp app("Tavorin");
  Gdiplus::GdiplusStartupInput input;
  ULONG_PTR token = 0;
  Gdiplus::GdiplusStartup(&token, &input, nullptr);
  ::testing::InitGoogleTest(&argc, argv);
  int result = RUN_ALL_TESTS();
  Gdiplus::GdiplusShutdown(token);
  return result;
}
