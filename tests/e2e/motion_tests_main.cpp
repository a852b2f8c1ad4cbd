// The motion-trigger tests run the view in this process and the peer as a real process, on a
// private window station, so that the peer finds this view and no other test's.
#include <QApplication>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "app/MyQuilletApp.h"
#include "app/MyQuilletView.h"

int main(int argc, char** argv) {
  setenv("TAVORIN_TEST", "1", 0);
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  std::string folder = std::filesystem::temp_directory_path().string() + "/tavorin-motion-tests-XXXXXX";
  if (!mkdtemp(folder.data())) return 2;
  std::filesystem::create_directories(folder + "/run");
  chmod((folder + "/run").c_str(), 0700);
  setenv("XDG_RUNTIME_DIR", (folder + "/run").c_str(), 1);
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
