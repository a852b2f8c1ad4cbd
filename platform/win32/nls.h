// The user's locale: number punctuation, and time text in the system code page.
#pragma once

#include <cstddef>
#include <ctime>

#include "platform/win32/windef.h"

typedef DWORD LCID;
typedef DWORD LCTYPE;
#define LOCALE_USER_DEFAULT 0x0400u
#define LOCALE_SYSTEM_DEFAULT 0x0800u
#define LOCALE_SDECIMAL 0x0000000Eu
#define LOCALE_STHOUSAND 0x0000000Fu

/// LOCALE_SDECIMAL and LOCALE_STHOUSAND of the user's locale (LC_NUMERIC / LANG from the
/// environment, without changing the program's own C locale). Returns the characters
/// written including the terminator, the size needed when dataLength is 0, and 0 with
/// ERROR_INSUFFICIENT_BUFFER or ERROR_INVALID_FLAGS otherwise.
int GetLocaleInfoA(LCID locale, LCTYPE type, LPSTR data, int dataLength);
#define GetLocaleInfo GetLocaleInfoA

/// Makes strftime use the user's time locale (month and day names); returns the locale's
/// name, or NULL when the environment names none that exists (the C locale stays).
const char* SetTimeLocaleFromSystem();
/// strftime whose result is in the system code page whatever the locale's encoding. Returns
/// the length written, 0 when the result does not fit (the buffer is then empty).
size_t StrftimeAnsi(char* buffer, size_t size, const char* format, const struct tm* time);
