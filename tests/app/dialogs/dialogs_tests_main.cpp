// The dialog suite runs on a screen of a given size: --screen=1366x768 (or TAVORIN_TEST_SCREEN)
// gives the offscreen platform one screen of that size; without it the suite takes the display's.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "tests/AppTestMain.h"

int main(int argc, char** argv) {
  for (int index = 1; index < argc; ++index)
    if (std::strncmp(argv[index], "--screen=", 9) == 0) setenv("TAVORIN_TEST_SCREEN", argv[index] + 9, 1);
  const char* platform = std::getenv("QT_QPA_PLATFORM");
  const char* screen = std::getenv("TAVORIN_TEST_SCREEN");
  std::string config;
  int width = 0, height = 0;
  if (screen && std::sscanf(screen, "%dx%d", &width, &height) == 2 && (!platform || std::string(platform) == "offscreen")) {
    config = std::filesystem::temp_directory_path().string() + "/tavorin-screen-XXXXXX";
    if (!mkdtemp(config.data())) return 2;
    config += "/screen.json";
    std::ofstream(config) << "{\"screens\": [{\"name\": \"test\", \"x\": 0, \"y\": 0, \"width\": " << width
                          << ", \"height\": " << height << ", \"logicalDpi\": 96, \"logicalBaseDpi\": 96, \"dpr\": 1}]}";
    setenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + config).c_str(), 1);
  }
  int result = RunAppTests(argc, argv, "dialogs-tests", "TAVORIN_APP_TEST_DIR", [] {});
  if (!config.empty()) std::filesystem::remove_all(std::filesystem::path(config).parent_path());
  return result;
}
