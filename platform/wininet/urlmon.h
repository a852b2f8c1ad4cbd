// MIME type of data from its first bytes, and the task allocator that frees the answer.
#pragma once

#include "platform/win32/windef.h"

/// Knows JPEG, PNG, GIF, BMP and TIFF by their signatures. S_OK with *mimeOut a text the caller
/// frees with CoTaskMemFree; E_FAIL when the bytes match none (the caller picks its default).
HRESULT FindMimeFromData(void* bindContext, LPCWSTR url, LPVOID buffer, DWORD size, LPCWSTR proposedMime,
                         DWORD mimeFlags, LPWSTR* mimeOut, DWORD reserved);
void CoTaskMemFree(LPVOID memory);
