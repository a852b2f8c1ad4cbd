// The output tests draw captions and GIF frames, which needs an application object.
#include <QApplication>
#include <gtest/gtest.h>
#include <stdlib.h>

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);  // no display needed
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
