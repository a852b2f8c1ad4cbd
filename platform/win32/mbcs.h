// Code pages other than 1252 and UTF-8 (the double-byte Asian ones and the other Windows and
// ISO pages), converted through the C library's iconv. MultiByteToWideChar and
// WideCharToMultiByte hand these pages over to the functions below.
#pragma once

#include <string>

#include "platform/win32/windef.h"

/// TRUE when the byte starts a two-byte character in that double-byte code page (932, 936,
/// 949, 950); FALSE for every byte of a single-byte page.
BOOL IsDBCSLeadByteEx(UINT codePage, BYTE testChar);

namespace win32_p {

/// TRUE when iconv knows the code page.
bool IsIconvCodePage(UINT codePage);
/// Multi-byte text of the code page to UTF-16. Bytes the page does not define fail the call
/// with strict set (last error ERROR_INVALID_DATA) and become U+FFFD otherwise.
bool IconvToUtf16(UINT codePage, const char* source, size_t length, bool strict, std::u16string& out);
/// UTF-16 to the code page; characters it has no form for become the default character.
bool IconvFromUtf16(UINT codePage, const char16_t* source, size_t length, char defaultChar, std::string& out,
                    bool* usedDefault);

}  // namespace win32_p
