// Passwords and tokens are never stored in the clear: each byte is mixed with a fixed key
// and the hexadecimal result is reversed.
#pragma once

#include "platform/mfc/cstring.h"

/// Two lower-case hex digits per byte, reversed; empty for an empty text.
CString ScramblePassword(const char* text);
/// Undoes ScramblePassword; pairs that are not hexadecimal are skipped.
CString UnscramblePassword(const char* text);
