// The settings dialogs run with an application object on the offscreen platform (xcb for the
// screenshot tests); dialogs without a script are cancelled instead of waiting for a user.
#include <QApplication>
#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv) {
  setenv("TAVORIN_TEST", "1", 0);
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
