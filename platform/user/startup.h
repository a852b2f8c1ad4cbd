// Program start-up on the window system.
#pragma once

/// Opens the application and an empty main window titled "Tavorin", runs the message loop
/// and returns the exit code. TAVORIN_QUIT_AFTER_MS=<n> closes it after n milliseconds.
int RunTavorinApplication(int argc, char** argv);
