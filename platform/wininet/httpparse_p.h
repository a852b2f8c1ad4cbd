// Parsing of a reply's status line and header lines as they arrive from the server. Pure
// functions over untrusted bytes; they never read past the given length.
#pragma once

#include <cstddef>
#include <string>

namespace wininet_p {

/// "HTTP/1.x 200 Reason" (CR LF optional): the three-digit code and the reason text. False
/// for anything else.
bool ParseStatusLine(const char* line, size_t length, int& code, std::string& reason);
/// "Name: value" (CR LF optional): the name and the value without surrounding blanks. False
/// for a line without a colon or with an empty or blank-containing name.
bool ParseHeaderLine(const char* line, size_t length, std::string& name, std::string& value);
/// True for the empty line that ends a header block.
bool IsHeaderBlockEnd(const char* line, size_t length);
/// True for a continuation line (starts with a blank or tab).
bool IsContinuationLine(const char* line, size_t length);
/// The leading decimal number of a header value (blanks allowed around it); false when there
/// is none or it does not fit in 32 bits.
bool ParseDecimal32(const std::string& text, unsigned long& value);

}  // namespace wininet_p
