// The support tests draw and measure text, and drives controls, which need an application object.
#include <QApplication>
#include <gtest/gtest.h>
#include <stdlib.h>

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);  // no display needed
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
