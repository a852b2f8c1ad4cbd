// Listing a folder by wildcard: FindFirstFile/FindNextFile/FindClose. '*' matches any run
// of characters and '?' exactly one; matching ignores case (1252 letters included), and
// "*.*" matches every name. "." and ".." are not listed. Entries come in name order.
#pragma once

#include "platform/win32/windef.h"

struct WIN32_FIND_DATAA {
  DWORD dwFileAttributes;
  FILETIME ftCreationTime;
  FILETIME ftLastAccessTime;
  FILETIME ftLastWriteTime;
  DWORD nFileSizeHigh;
  DWORD nFileSizeLow;
  DWORD dwReserved0;
  DWORD dwReserved1;
  CHAR cFileName[MAX_PATH];  // the name only, in the system code page
  CHAR cAlternateFileName[14];
};
typedef WIN32_FIND_DATAA WIN32_FIND_DATA;
typedef WIN32_FIND_DATAA* LPWIN32_FIND_DATAA;
typedef WIN32_FIND_DATAA* LPWIN32_FIND_DATA;

/// Starts a listing of folder/pattern and fills the first match. Returns INVALID_HANDLE_VALUE
/// with ERROR_FILE_NOT_FOUND when nothing matches, ERROR_PATH_NOT_FOUND when the folder is
/// missing. The caller closes the handle with FindClose.
HANDLE FindFirstFileA(LPCSTR pathPattern, LPWIN32_FIND_DATAA findData);
#define FindFirstFile FindFirstFileA
/// Fills the next match; FALSE with ERROR_NO_MORE_FILES at the end.
BOOL FindNextFileA(HANDLE find, LPWIN32_FIND_DATAA findData);
#define FindNextFile FindNextFileA
/// FALSE (ERROR_INVALID_HANDLE) for a handle that is not an open listing.
BOOL FindClose(HANDLE find);

/// TRUE when a file name (1252) matches a wildcard pattern as FindFirstFile matches it.
BOOL WildcardMatchAnsi(LPCSTR name, LPCSTR pattern);
