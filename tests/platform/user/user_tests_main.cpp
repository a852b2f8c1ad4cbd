// The window layer's tests run on a real (offscreen) application object.
#include <QApplication>
#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <string>

int main(int argc, char** argv) {
  // Message boxes and dialogs without a script take their defaults instead of waiting.
  setenv("TAVORIN_TEST", "1", 0);
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  std::signal(SIGPIPE, SIG_IGN);  // a peer process that died must fail a write, not end us
  // A window station of our own, so the user's real one is never touched. Children started
  // by the tests inherit it.
  std::string runtime;
  if (!std::getenv("TAVORIN_TEST_RUNTIME_DIR")) {
    char pattern[] = "/tmp/tavorin-user-tests-XXXXXX";
    if (mkdtemp(pattern)) {
      runtime = pattern;
      setenv("TAVORIN_TEST_RUNTIME_DIR", pattern, 1);
      setenv("XDG_RUNTIME_DIR", pattern, 1);
    }
  }
  int code = 0;
  {
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    code = RUN_ALL_TESTS();
  }
  std::error_code ignored;
  if (!runtime.empty()) std::filesystem::remove_all(runtime, ignored);
  return code;
}
