// Process-wide values of the on-screen keyboard. They are read and written on the UI thread
// only (keyboards run there, whoever opens them).
#pragma once

#include <vector>

#include "platform/mfc/cstring.h"

const int kKeyboardFieldCount = 10;

/// The field texts of the last keyboard that closed with OK ("Reload" puts them back).
extern CString LastKeyboardTexts[kKeyboardFieldCount];
/// Seconds without activity before a keyboard cancels itself; 0 or less: never.
extern int KeyboardTimeout;
/// Shown when an e-mail field is invalid.
extern CString KeyboardEmailErrorMessage;
/// Shown when a field holds a forbidden word.
extern const char* const KeyboardProhibitedWordMessage;
/// Reloaded from the layout folder by every keyboard that opens.
extern std::vector<CString> ForbiddenWords;
