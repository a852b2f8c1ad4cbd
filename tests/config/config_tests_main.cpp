// The configuration tests run the dialogs offscreen with an application object and a
// temporary registry, made before anything reads them.
#include <QApplication>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "app/MyQuilletApp.h"

int main(int argc, char** argv) {
  setenv("TAVORIN_TEST", "1", 0);
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  std::string folder = std::filesystem::temp_directory_path().string() + "/tavorin-config-tests-XXXXXX";
  if (!mkdtemp(folder.data())) return 2;
  setenv("TAVORIN_REGISTRY", (folder + "/registry.sqlite3").c_str(), 1);
  setenv("HOME", folder.c_str(), 1);
  setenv("XDG_CONFIG_HOME", (folder + "/config").c_str(), 1);
  setenv("TAVORIN_CONFIG_TEST_DIR", folder.c_str(), 1);
  QApplication qtApp(argc, argv);
  CMyQuilletApp app;
  ::testing::InitGoogleTest(&argc, argv);
  int result = RUN_ALL_TESTS();
  std::error_code error;
  std::filesystem::remove_all(folder, error);
  return result;
}
