// One field of a share log line (e-mail, MMS, uploader logs). Guests type some fields, so a
// field is written so that it can neither end the line nor add a field: a comma, CR and LF
// become "%2C", "%0D" and "%0A"; a "%" becomes "%25" only where it would otherwise read as one
// of these four, so every other text ("%d", "100%") is written as typed and old logs read as
// they always did.
#pragma once

#include <string>
#include <string_view>

#include "platform/mfc/cstring.h"

CString EscapeLogField(const char* text);
/// The field as it was before EscapeLogField; other "%" sequences are left alone.
std::string UnescapeLogField(std::string_view field);
