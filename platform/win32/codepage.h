// Code-page conversion. The system code page (CP_ACP) is Windows-1252: the program's 8-bit
// strings are 1252 throughout, and the platform layer converts at every OS boundary
// (UTF-8 for the kernel's file names, QString for the screen) through the helpers below.
#pragma once

#include <string>

#include "platform/win32/windef.h"

#define CP_ACP 0
#define CP_OEMCP 1
#define CP_1252 1252
#define CP_UTF8 65001
#define MB_ERR_INVALID_CHARS 0x00000008u
#define WC_NO_BEST_FIT_CHARS 0x00000400u

/// Converts to UTF-16. With a destination size of 0 returns the size needed; returns 0 (last
/// error set) for an empty source, an unsupported code page, a short buffer or, with MB_ERR_INVALID_CHARS,
/// invalid UTF-8. A source length of -1 includes the terminator in the count.
int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR source, int sourceLength, LPWSTR dest, int destLength);
/// Converts from UTF-16; characters without a 1252 form become the default character ('?').
int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR source, int sourceLength, LPSTR dest, int destLength,
                        LPCSTR defaultChar, LPBOOL usedDefaultChar);
UINT GetACP();

/// 1252 text to UTF-8 (every byte has a form, so nothing is lost).
std::string AnsiToUtf8(const std::string& ansi);
/// UTF-8 text to 1252; characters without a 1252 form become '?'. Invalid UTF-8 bytes are
/// taken as 1252 bytes, so text that was never UTF-8 comes through unchanged.
std::string AnsiFromUtf8(const std::string& utf8);
/// A path in the system's strings as the kernel wants it (UTF-8).
inline std::string NativePath(const char* ansiPath) { return AnsiToUtf8(ansiPath ? ansiPath : ""); }
/// A name the kernel gave back (UTF-8), as the system's strings hold it.
inline std::string AnsiFromNative(const std::string& native) { return AnsiFromUtf8(native); }

/// 1252-aware case mapping of one byte (accented letters included).
unsigned char AnsiToLower(unsigned char c);
unsigned char AnsiToUpper(unsigned char c);
