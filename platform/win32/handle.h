// Closing and duplicating kernel handles.
#pragma once

#include "platform/win32/windef.h"

/// Returns FALSE (ERROR_INVALID_HANDLE) for a handle that is not open.
BOOL CloseHandle(HANDLE handle);
