// The main window's menu bar (menu 128) and its accelerator table (table 128).
#pragma once

#include "platform/user/menu.h"

/// Builds the main menu bar (the view renames the connect command 174 with the connection).
/// The caller owns the menu (SetMenu hands it to a window).
HMENU BuildMainMenu();
/// Shows the menu as the window's menu bar. The menu it replaces there, and the menus of windows
/// that are gone, are freed; the last ones are freed when the program ends. FALSE when the menu
/// cannot be shown; the caller then still owns it.
BOOL AttachMainMenu(HWND window, HMENU menu);
/// Makes accelerator table 128 loadable; the frame loads it once its window exists.
void RegisterMainAccelerators();
