// Whole-file reads of saved photos (1252 paths).
#pragma once

#include <vector>

#include "platform/win32/windef.h"

/// False when the file cannot be opened or read whole; `bytes` is then unspecified.
bool ReadWholeFile(const char* path, std::vector<BYTE>& bytes);
