// The forbidden-word list and the checks a keyboard runs before it lets a text go.
#pragma once

#include "keyboard/KeyboardLayout.h"

/// Empties ForbiddenWords and reloads it from folder/forbidden_words.xml. A missing file
/// leaves the list empty (TRUE); a damaged file ("Error reading file") or one without its tags
/// gives FALSE and *error, list empty.
BOOL LoadForbiddenWords(const char* folder, CString* error);
/// True when the lower-cased text contains none of the words (plain substring search).
bool IsFreeOfForbiddenWords(const char* text);
/// 0-based index of the first field in use that is marked prohibited and holds a forbidden
/// word; -1 when none or when the list is empty.
int FindForbiddenWordField(const KeyboardLayout& layout);
/// 0-based index of the first field in use with the e-mail flag failing IsValidEmailAddress
/// (the first field in use even when empty, later ones only when not empty); -1 when none.
int FindInvalidEmailField(const KeyboardLayout& layout);
