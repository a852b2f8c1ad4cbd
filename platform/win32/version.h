// The operating-system version the program asks for. This is never Windows 6.0, so the
// start-up checks meant for that version stay off.
#pragma once

#include "platform/win32/windef.h"

#define VER_PLATFORM_WIN32_NT 2

struct OSVERSIONINFOA {
  DWORD dwOSVersionInfoSize;
  DWORD dwMajorVersion;
  DWORD dwMinorVersion;
  DWORD dwBuildNumber;
  DWORD dwPlatformId;
  CHAR szCSDVersion[128];
};
typedef OSVERSIONINFOA OSVERSIONINFO;
typedef OSVERSIONINFOA* LPOSVERSIONINFOA;
typedef OSVERSIONINFOA* LPOSVERSIONINFO;

/// Reports version 10.0 on the NT platform. FALSE (ERROR_INSUFFICIENT_BUFFER) when
/// dwOSVersionInfoSize is smaller than the structure.
BOOL GetVersionExA(LPOSVERSIONINFOA info);
#define GetVersionEx GetVersionExA
