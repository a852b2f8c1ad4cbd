// Loading optional libraries by name. None of the libraries the program asks for this way
// exist here, so every load answers NULL and callers take their "library absent" path.
#pragma once

#include "platform/win32/windef.h"

#define ERROR_MOD_NOT_FOUND 126L
#define ERROR_PROC_NOT_FOUND 127L

typedef void* FARPROC;

/// NULL (ERROR_MOD_NOT_FOUND): no optional library is available.
HMODULE LoadLibraryA(LPCSTR name);
#define LoadLibrary LoadLibraryA
/// NULL (ERROR_PROC_NOT_FOUND) for any module and name.
FARPROC GetProcAddress(HMODULE module, LPCSTR name);
BOOL FreeLibrary(HMODULE module);
