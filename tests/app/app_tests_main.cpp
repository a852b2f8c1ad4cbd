// The application's tests run with the application object, a temporary registry and a
// temporary home folder (photos go to its "Photos").
#include "app/MyQuilletView.h"
#include "tests/AppTestMain.h"

int main(int argc, char** argv) {
  return RunAppTests(argc, argv, "app-tests", "TAVORIN_APP_TEST_DIR", [] {
    // Each test starts the connection itself when it wants one.
    CMyQuilletView::s_bStartMainRoad = false;
  });
}
