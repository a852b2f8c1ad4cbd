#include "platform/win32/version.h"

#include <cstring>

#include "platform/win32/error.h"

BOOL GetVersionExA(LPOSVERSIONINFOA info) {
  if (!info || info->dwOSVersionInfoSize < sizeof(OSVERSIONINFOA)) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  DWORD size = info->dwOSVersionInfoSize;
  std::memset(info, 0, sizeof(OSVERSIONINFOA));
  info->dwOSVersionInfoSize = size;
  info->dwMajorVersion = 10;
  info->dwMinorVersion = 0;
  info->dwPlatformId = VER_PLATFORM_WIN32_NT;
  return TRUE;
}
