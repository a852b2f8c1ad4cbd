// The support tests draw and measure text, which needs a GUI application object.
#include <QGuiApplication>
#include <gtest/gtest.h>
#include <stdlib.h>

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);  // no display needed
  QGuiApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
