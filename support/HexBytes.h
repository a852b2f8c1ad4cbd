// Memory blocks (printer records) travel in settings files as hexadecimal digit pairs.
#pragma once

#include <cstddef>
#include <vector>

#include "platform/mfc/cstring.h"
#include "platform/win32/windef.h"

/// Two upper-case hex digits a byte, no separator.
CString BytesToHex(const BYTE* bytes, size_t count);
/// Half as many bytes as digits (a trailing odd digit is ignored), either case. Returns false and
/// leaves `bytes` empty for fewer than two digits or a pair that is not exactly two hex digits.
bool HexToBytes(const char* text, std::vector<BYTE>& bytes);
