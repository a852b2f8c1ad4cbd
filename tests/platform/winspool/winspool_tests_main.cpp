// Printing tests draw text and may open the properties dialog: they need the application
// object. The user's folders point into a temporary folder so that no job reaches the home.
#include <QApplication>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv) {
  QTemporaryDir home;
  setenv("HOME", home.path().toUtf8().constData(), 1);
  setenv("XDG_CONFIG_HOME", (home.path() + "/config").toUtf8().constData(), 1);
  setenv("XDG_DOCUMENTS_DIR", (home.path() + "/Documents").toUtf8().constData(), 1);
  setenv("QT_QPA_PLATFORM", "offscreen", 0);  // no display needed, also when listing tests
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
