// Objects the program keeps for its whole run and the small helpers used all over.
#pragma once

#include <vector>

#include "platform/mfc/collections.h"
#include "platform/mfc/cstring.h"
#include "platform/win32/sync.h"
#include "platform/win32/windef.h"

/// The registry key under HKEY_CURRENT_USER holding the program's settings.
extern const char kProductKey[];

/// Guards the application's printer DEVMODE and DEVNAMES while they are copied.
extern CRITICAL_SECTION g_printerSettingsLock;
extern CString g_strCustomNamingSeparator;
/// Display colour management, as the view loaded it or a dialog changed it.
extern BOOL g_bEnableColourManagement;
extern CString g_strMonitorProfile;
extern CString g_strCameraProfile;
extern CString g_strPhotoboothStatusCmd;
extern CString g_strPhotoboothStatusCmdXML;
extern CString g_strPhotoboothImageBrowseDir;
extern CString g_strPhotoboothTemplateBrowseDir;
extern CString g_strProgramVersion;
extern CString g_strTouchscreenExitPassword;
extern CString g_strNamingText;
extern CStringArray g_forbiddenWords;
extern CString g_strProhibitedWordMessage;
extern CString g_keyboardFieldTexts[10];

/// Leaves the printer-settings lock taken by the caller.
void UnlockPrinterSettings();

/// Always FALSE: nothing asks a screen to close from outside.
BOOL IsScreenCloseRequested();
/// Does nothing; click handlers call it.
void OnUserActivity();

/// Copies of the application's printer DEVMODE and DEVNAMES, taken under the printer lock (the
/// system default printer filled in when the application has none). FALSE when there is no
/// printer; the DEVMODE copy may be empty.
BOOL CopyApplicationPrinter(std::vector<BYTE>& devMode, std::vector<BYTE>& devNames);
/// A DC on the application's printer (the system default one without an application object);
/// NULL when none can be made. Free it with DeleteDC.
HDC CreateApplicationPrinterDC();

/// 300 x 300 dpi, or the application's printer's LOGPIXELSX and LOGPIXELSY when there is one.
void GetPrinterResolution(int& xDpi, int& yDpi);
/// 300, 300, 0, 0, or the application's printer's LOGPIXELSX, LOGPIXELSY, HORZRES and VERTRES.
void GetPrinterPageInfo(int& xDpi, int& yDpi, int& width, int& height);

/// TRUE when the system version is 6.0.
BOOL IsWindows6_0();

/// Takes n (> 0) prints off the stored counter, never below 0, and returns the counter;
/// n <= 0 only reads it. 0 when the registry key cannot be opened.
DWORD UpdatePhotoboothPrintCounter(int n);
