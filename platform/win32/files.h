// Files and folders by path: attributes, delete, copy, move, folders, temporary names, and
// the one way to replace a file that other programs or later runs read. Paths are the
// program's 1252 strings; they become UTF-8 at the kernel boundary. Functions set the last
// error on failure.
#pragma once

#include <vector>

#include "platform/win32/windef.h"

#define INVALID_FILE_ATTRIBUTES ((DWORD)-1)
#define FILE_ATTRIBUTE_READONLY 0x00000001u
#define FILE_ATTRIBUTE_HIDDEN 0x00000002u
#define FILE_ATTRIBUTE_DIRECTORY 0x00000010u
#define FILE_ATTRIBUTE_ARCHIVE 0x00000020u
#define FILE_ATTRIBUTE_NORMAL 0x00000080u

enum GET_FILEEX_INFO_LEVELS { GetFileExInfoStandard };
struct WIN32_FILE_ATTRIBUTE_DATA {
  DWORD dwFileAttributes;
  FILETIME ftCreationTime;
  FILETIME ftLastAccessTime;
  FILETIME ftLastWriteTime;
  DWORD nFileSizeHigh;
  DWORD nFileSizeLow;
};
typedef WIN32_FILE_ATTRIBUTE_DATA* LPWIN32_FILE_ATTRIBUTE_DATA;

/// INVALID_FILE_ATTRIBUTES when the path does not exist (ERROR_FILE_NOT_FOUND, or
/// ERROR_PATH_NOT_FOUND when its folder is missing too).
DWORD GetFileAttributesA(LPCSTR path);
#define GetFileAttributes GetFileAttributesA
/// Attributes, times and size of a file or folder; FALSE when it does not exist.
BOOL GetFileAttributesExA(LPCSTR path, GET_FILEEX_INFO_LEVELS level, LPVOID info);
#define GetFileAttributesEx GetFileAttributesExA
/// TRUE when a file or folder of that path exists.
BOOL PathFileExistsA(LPCSTR path);
#define PathFileExists PathFileExistsA

/// Deletes a file (not a folder: ERROR_ACCESS_DENIED).
BOOL DeleteFileA(LPCSTR path);
#define DeleteFile DeleteFileA
/// Copies contents, permissions and the last-write time. Refuses (ERROR_SHARING_VIOLATION) to
/// copy a file onto itself, and with failIfExists an existing target (ERROR_FILE_EXISTS).
/// A copy that fails part way removes the partial target.
BOOL CopyFileA(LPCSTR existingPath, LPCSTR newPath, BOOL failIfExists);
#define CopyFile CopyFileA
/// Renames a file or folder; fails with ERROR_ALREADY_EXISTS when the target exists. A file
/// moved to another file system is copied, then the original deleted.
BOOL MoveFileA(LPCSTR existingPath, LPCSTR newPath);
#define MoveFile MoveFileA
/// Creates one folder; ERROR_ALREADY_EXISTS when it exists, ERROR_PATH_NOT_FOUND when its
/// parent is missing.
BOOL CreateDirectoryA(LPCSTR path, LPSECURITY_ATTRIBUTES attributes);
#define CreateDirectory CreateDirectoryA
/// Removes an empty folder; ERROR_DIR_NOT_EMPTY otherwise.
BOOL RemoveDirectoryA(LPCSTR path);
#define RemoveDirectory RemoveDirectoryA
/// The C library's mkdir: 0 on success, -1 with errno set.
int _mkdir(const char* path);

/// The temporary folder ($TMPDIR or /tmp) with a trailing '/'. Returns its length; the size
/// needed (with the terminator) when the buffer is too small; 0 on failure.
DWORD GetTempPathA(DWORD bufferLength, LPSTR buffer);
#define GetTempPath GetTempPathA
/// Builds folder + first three prefix characters + hex number + ".TMP" into tempFileName
/// (MAX_PATH characters). With unique 0 a number is chosen and the empty file created.
/// Returns the number used; 0 on failure.
UINT GetTempFileNameA(LPCSTR folder, LPCSTR prefix, UINT unique, LPSTR tempFileName);
#define GetTempFileName GetTempFileNameA
/// Paths have no short form here: copies an existing path unchanged. Returns its length; the
/// size needed when the buffer is too small; 0 (ERROR_FILE_NOT_FOUND) when it does not exist.
DWORD GetShortPathNameA(LPCSTR longPath, LPSTR shortPath, DWORD bufferLength);
#define GetShortPathName GetShortPathNameA

/// Writes a whole file so that readers see either the old or the new contents: the data goes
/// to a temporary file in the same folder, is flushed to disk and renamed over the path. On
/// failure (missing folder, no permission, disk full) the temporary file is removed, any old
/// file is left untouched, and FALSE is returned with the last error set.
BOOL WriteFileReplacing(LPCSTR path, const void* data, size_t size);
/// As WriteFileReplacing, but the data is not flushed before the rename: for a writer that
/// changes the file further and then calls FlushFileToDisk once, after its last change.
BOOL WriteFileReplacingUnflushed(LPCSTR path, const void* data, size_t size);
/// Flushes a file's data and its folder's entry to disk; FALSE (last error set) on failure.
BOOL FlushFileToDisk(LPCSTR path);
/// Reads a whole file into bytes. FALSE (last error set) when it cannot be opened or read
/// whole; bytes is then unspecified.
BOOL ReadWholeFile(LPCSTR path, std::vector<BYTE>& bytes);
