// Small text functions used across the program: reversal, phone-number test, UTF-8 decoding,
// MD5 digests and the formatting of times and file sizes.
#pragma once

#include "platform/mfc/cstring.h"
#include "platform/win32/windef.h"

/// The locale's decimal separator, read at start; '.' until then.
extern char g_cDecimalSeparator;

/// The characters in reverse order.
CString ReverseString(const char* text);
/// True for "+" followed by digits, ignoring spaces.
bool IsPhoneNumber(const char* text);
/// UTF-8 up to the terminating zero as 8-bit text; broken sequences give "?" and never stop the conversion.
CString Utf8ToAnsi(const char* bytes);
/// 32 lower-case hex digits of the MD5 digest of the text's bytes.
CString MD5HexString(const char* text);
/// strftime of the local time; empty for a null format, a failed conversion or more than 127 characters.
CString FormatTime(LONGLONG time, const char* format);
/// "123KB", "1,024KB", "19.1MB" or "2,048MB" (no thousands separator where the decimal separator is a comma).
CString FormatFileSize(LONGLONG bytes);
