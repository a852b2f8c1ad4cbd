// The start of a test program that needs the application object: a temporary registry and a
// temporary home folder, made before anything reads them, and removed after the tests.
#pragma once

#include <QApplication>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "app/MyQuilletApp.h"

/// Runs the tests; `tag` names the temporary folder, `environmentVariable` receives its path.
/// `beforeApplication` runs once the environment is set, before the application object exists.
template <typename BeforeApplication>
int RunAppTests(int argc, char** argv, const char* tag, const char* environmentVariable,
                BeforeApplication beforeApplication) {
  setenv("TAVORIN_TEST", "1", 0);
  setenv("QT_QPA_PLATFORM", "offscreen", 0);  // the window layer runs offscreen, also for test discovery
  std::string folder = std::filesystem::temp_directory_path().string() + "/tavorin-" + tag + "-XXXXXX";
  if (!mkdtemp(folder.data())) return 2;
  setenv("TAVORIN_REGISTRY", (folder + "/registry.sqlite3").c_str(), 1);
  setenv("HOME", folder.c_str(), 1);
  setenv("XDG_CONFIG_HOME", (folder + "/config").c_str(), 1);
  setenv(environmentVariable, folder.c_str(), 1);
  beforeApplication();
  QApplication qtApp(argc, argv);
  CMyQuilletApp app;
  ::testing::InitGoogleTest(&argc, argv);
  int result = RUN_ALL_TESTS();
  std::error_code error;
  std::filesystem::remove_all(folder, error);
  return result;
}
