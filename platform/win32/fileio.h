// File handles: open, read, write, size and position, for code that streams a file instead
// of reading it whole. Paths are the program's 1252 strings. Functions set the last error on
// failure; a file handle is closed with CloseHandle.
#pragma once

#include "platform/win32/windef.h"

#define GENERIC_READ 0x80000000u
#define GENERIC_WRITE 0x40000000u
#define FILE_SHARE_READ 0x00000001u
#define FILE_SHARE_WRITE 0x00000002u
#define CREATE_NEW 1u
#define CREATE_ALWAYS 2u
#define OPEN_EXISTING 3u
#define OPEN_ALWAYS 4u
#define TRUNCATE_EXISTING 5u
#define FILE_FLAG_SEQUENTIAL_SCAN 0x08000000u
#define INVALID_FILE_SIZE ((DWORD)0xFFFFFFFF)
#define INVALID_SET_FILE_POINTER ((DWORD)-1)
#define FILE_BEGIN 0u
#define FILE_CURRENT 1u
#define FILE_END 2u

struct OVERLAPPED;
typedef OVERLAPPED* LPOVERLAPPED;

/// Opens or creates a file. Access 0 only tests that the file can be opened. Sharing modes and
/// flags other than the creation disposition are accepted and have no effect here. Returns
/// INVALID_HANDLE_VALUE with the last error set on failure; a folder is refused.
HANDLE CreateFileA(LPCSTR path, DWORD access, DWORD shareMode, LPSECURITY_ATTRIBUTES attributes,
                   DWORD creationDisposition, DWORD flags, HANDLE templateFile);
#define CreateFile CreateFileA
/// Reads up to toRead bytes; *read is 0 at the end of the file. Overlapped reads are not supported.
BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD toRead, LPDWORD read, LPOVERLAPPED overlapped);
/// Writes bytes; *written may be short only when the disk is full (last error set).
BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD toWrite, LPDWORD written, LPOVERLAPPED overlapped);
/// The size's low 32 bits; the high ones in *sizeHigh when given. INVALID_FILE_SIZE with the
/// last error set on failure (a real size of 0xFFFFFFFF leaves the last error at 0).
DWORD GetFileSize(HANDLE file, LPDWORD sizeHigh);
/// Moves the file position; returns its new low 32 bits, INVALID_SET_FILE_POINTER on failure.
DWORD SetFilePointer(HANDLE file, LONG distance, LONG* distanceHigh, DWORD moveMethod);

#define MOVEFILE_REPLACE_EXISTING 0x00000001u
/// MoveFileA; with MOVEFILE_REPLACE_EXISTING an existing target file is replaced in one step
/// (both paths must then be on one file system).
BOOL MoveFileExA(LPCSTR existingPath, LPCSTR newPath, DWORD flags);
#define MoveFileEx MoveFileExA
