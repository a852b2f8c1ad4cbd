// Helpers shared by the file functions: path conversion and errno reporting.
#pragma once

#include <string>

#include "platform/win32/windef.h"

namespace win32_p {

/// Sets the last error from errno for an operation on nativePath. A missing file whose
/// folder is missing too is ERROR_PATH_NOT_FOUND, as callers distinguish the two.
void SetLastErrorFromErrno(int err, const std::string& nativePath);
/// The folder part of a native path ("." when it has none).
std::string NativeFolderOf(const std::string& nativePath);
/// Copies text and a terminator into a caller's buffer the Win32 way: returns the length
/// without terminator, or the size needed with it when the buffer is too small.
DWORD DeliverString(const std::string& text, LPSTR buffer, DWORD bufferLength);

}  // namespace win32_p
