// Named shared memory: page-file mappings by name, shared by the processes of one user's
// desktop session (the same $XDG_RUNTIME_DIR, as windows are shared by one window station).
// A named block is the file "<name>.block", mode 0600, in the user's private station folder
// (platform/win32/stationfolder.h), mapped from there. Its first page is
// a header the views never show: the user size and the processes attached to it (pid and
// start time). A block none of whose attached processes is alive any more is stale (left by
// a crash): CreateFileMapping resets it to zeros and reports it as new, OpenFileMapping
// reports it missing and removes it. The block is removed when the last attached process
// closes its last handle and view, as the platform frees a mapping with its last user.
#pragma once

#include <string>

#include "platform/win32/windef.h"

#define PAGE_READONLY 0x02u
#define PAGE_READWRITE 0x04u
#define FILE_MAP_COPY 0x0001u
#define FILE_MAP_WRITE 0x0002u
#define FILE_MAP_READ 0x0004u
#define FILE_MAP_ALL_ACCESS 0x000F001Fu
#ifndef ERROR_INVALID_ADDRESS
#define ERROR_INVALID_ADDRESS 487L
#endif

/// The file of a named block ("" for an empty or over-long name, or without a station folder).
std::string SharedBlockPath(const char* name);

/// Creates or opens the named page-file mapping (file must be INVALID_HANDLE_VALUE; a name is
/// required). An existing live block is opened with GetLastError() == ERROR_ALREADY_EXISTS
/// and keeps its size. Returns NULL (last error set) on failure; close with CloseHandle.
HANDLE CreateFileMappingA(HANDLE file, LPSECURITY_ATTRIBUTES attributes, DWORD protect, DWORD maximumSizeHigh,
                          DWORD maximumSizeLow, LPCSTR name);
#define CreateFileMapping CreateFileMappingA
/// Opens an existing named mapping; NULL with ERROR_FILE_NOT_FOUND when there is none (or
/// only a stale one). Close with CloseHandle.
HANDLE OpenFileMappingA(DWORD desiredAccess, BOOL inheritHandle, LPCSTR name);
#define OpenFileMapping OpenFileMappingA
/// Maps `bytes` (0: to the end) from a 64 KiB-aligned offset; NULL (last error set) on a bad
/// handle, range or access. The view outlives the handle; release it with UnmapViewOfFile.
LPVOID MapViewOfFile(HANDLE mapping, DWORD desiredAccess, DWORD offsetHigh, DWORD offsetLow, SIZE_T bytes);
/// FALSE (ERROR_INVALID_ADDRESS) for an address that is not a view's start.
BOOL UnmapViewOfFile(LPCVOID baseAddress);
/// Writes the range through to the shared block; FALSE for an address outside every view.
BOOL FlushViewOfFile(LPCVOID baseAddress, SIZE_T bytes);
