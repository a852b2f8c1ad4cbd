// The print-layout tests run with an application object (its printer is the one the layout
// code uses), a temporary registry and a temporary home and documents folder.
#include <QApplication>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/mfc/winapp.h"
#include "support/ProgramGlobals.h"

int main(int argc, char** argv) {
  setenv("TAVORIN_TEST", "1", 0);
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  std::string folder = std::filesystem::temp_directory_path().string() + "/tavorin-printlayout-tests-XXXXXX";
  if (!mkdtemp(folder.data())) return 2;
  setenv("TAVORIN_REGISTRY", (folder + "/registry.sqlite3").c_str(), 1);
  setenv("HOME", folder.c_str(), 1);
  setenv("XDG_CONFIG_HOME", (folder + "/config").c_str(), 1);
  setenv("XDG_DOCUMENTS_DIR", (folder + "/Documents").c_str(), 1);
  setenv("TAVORIN_PRINTLAYOUT_TEST_DIR", folder.c_str(), 1);
  QApplication qtApp(argc, argv);
  CWinApp app("Tavorin");
  app.m_pPrinterLock = &g_printerSettingsLock;
  ::testing::InitGoogleTest(&argc, argv);
  int result = RUN_ALL_TESTS();
  std::error_code error;
  std::filesystem::remove_all(folder, error);
  return result;
}
