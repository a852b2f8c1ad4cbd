// The program: the application object and the entry the window layer starts from.
// TAVORIN_QUIT_AFTER_MS=<n> closes the main window after n milliseconds (scripts and tests).
#include "app/MyQuilletApp.h"

CMyQuilletApp theApp;

int main(int argc, char** argv) { return AfxWinMain(argc, argv); }
