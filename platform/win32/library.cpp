#include "platform/win32/library.h"

#include "platform/win32/error.h"

HMODULE LoadLibraryA(LPCSTR) {
  SetLastError(ERROR_MOD_NOT_FOUND);
  return nullptr;
}

FARPROC GetProcAddress(HMODULE, LPCSTR) {
  SetLastError(ERROR_PROC_NOT_FOUND);
  return nullptr;
}

BOOL FreeLibrary(HMODULE module) { return module != nullptr; }
