// The program: the application object and the entry the window layer starts from.
// TAVORIN_QUIT_AFTER_MS=<n> closes the main window after n milliseconds (scripts and tests).
#include <malloc.h>

#include "app/MyQuilletApp.h"

CMyQuilletApp theApp;

int main(int argc, char** argv) {
  // Every photo passes through buffers of several megabytes that are made and freed on the
  // short-lived thread of its release. With glibc's sliding threshold those buffers end up in
  // per-thread arenas that keep the memory, and the resident size climbs release after
  // release; a fixed threshold maps them on their own and gives them back when freed.
  mallopt(M_MMAP_THRESHOLD, 1024 * 1024);
  return AfxWinMain(argc, argv);
}
