// The booth tests run with the application object, a temporary registry and a temporary home
// folder.
#include "app/MyQuilletView.h"
#include "platform/dshow/mmsystem.h"
#include "tests/AppTestMain.h"

// The media back end's probe for hardware decoders keeps a few bytes of its own for good, and
// the X11 platform plugin's D-Bus connection is never freed: neither is the booth's leak.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libavutil.so\nleak:libavcodec.so\nleak:libavformat.so\nleak:libdbus-1.so\n";
}

int main(int argc, char** argv) {
  return RunAppTests(argc, argv, "booth-tests", "TAVORIN_APP_TEST_DIR", [] {
    SelectMediaBackend();
    CMyQuilletView::s_bStartMainRoad = false;
  });
}
