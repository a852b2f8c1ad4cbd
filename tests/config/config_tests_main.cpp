// The configuration tests run the dialogs offscreen with an application object and a
// temporary registry.
#include "tests/AppTestMain.h"

int main(int argc, char** argv) {
  return RunAppTests(argc, argv, "config-tests", "TAVORIN_CONFIG_TEST_DIR", [] {});
}
