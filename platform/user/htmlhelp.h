// HTML help: the help "file" is a folder of pages; "folder::/page.htm" names one page. The
// page is handed to the desktop's opener (a browser), which tests replace.
#pragma once

#include "platform/win32/windef.h"

#define HH_DISPLAY_TOPIC 0x0000u

/// Opens the page `file` names (or the folder's "index.htm" without "::/"). Returns the caller
/// (HWND_MESSAGE for a NULL caller) when the page exists and was handed to the opener, NULL otherwise.
HWND HtmlHelpA(HWND caller, LPCSTR file, UINT command, DWORD_PTR data);
#define HtmlHelp HtmlHelpA

/// Replaces the opener HtmlHelp hands pages to; NULL restores the desktop's opener.
void SetHtmlHelpOpener(void (*opener)(const char* path));
