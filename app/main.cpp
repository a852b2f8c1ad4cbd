// The program: the application object and the entry the window layer starts from.
// TAVORIN_QUIT_AFTER_MS=<n> closes the main window after n milliseconds (scripts and tests).
#include <malloc.h>

#include "app/MyQuilletApp.h"

CMyQuilletApp theApp;

int main(int argc, char** argv) {
  // Every photo passes through buffers of several megabytes: the camera library's, the
  // download's, the view's. Mapped on their own, each would be fresh memory every shot, a page
  // fault for every 4 kB and the other threads' TLBs flushed when it is unmapped, which costs
  // more than the transfer itself. Kept in the heap instead, with a fixed threshold (glibc's
  // sliding one would keep whatever the largest photo was) and the top of each heap given back
  // beyond 32 MB, the same memory serves photo after photo and the resident size stays flat.
  mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
  mallopt(M_TRIM_THRESHOLD, 32 * 1024 * 1024);
  return AfxWinMain(argc, argv);
}
