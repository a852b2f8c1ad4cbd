// The booth tests run with the application object, a temporary registry and a temporary home
// folder, all made before anything reads them.
#include <QApplication>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "app/MyQuilletApp.h"
#include "app/MyQuilletView.h"
#include "platform/dshow/mmsystem.h"

// The media back end's probe for hardware decoders keeps a few bytes of its own for good, and
// the X11 platform plugin's D-Bus connection is never freed: neither is the booth's leak.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libavutil.so\nleak:libavcodec.so\nleak:libavformat.so\nleak:libdbus-1.so\n";
}

int main(int argc, char** argv) {
  setenv("TAVORIN_TEST", "1", 0);
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  SelectMediaBackend();
  std::string folder = std::filesystem::temp_directory_path().string() + "/tavorin-booth-tests-XXXXXX";
  if (!mkdtemp(folder.data())) return 2;
  setenv("TAVORIN_REGISTRY", (folder + "/registry.sqlite3").c_str(), 1);
  setenv("HOME", folder.c_str(), 1);
  setenv("XDG_CONFIG_HOME", (folder + "/config").c_str(), 1);
  setenv("TAVORIN_APP_TEST_DIR", folder.c_str(), 1);
  QApplication qtApp(argc, argv);
  CMyQuilletApp app;
  CMyQuilletView::s_bStartMainRoad = false;
  ::testing::InitGoogleTest(&argc, argv);
  int result = RUN_ALL_TESTS();
  std::error_code error;
  std::filesystem::remove_all(folder, error);
  return result;
}
