#include "sharing/ShareLogField.h"

namespace {

// The escape the two characters after a '%' spell, or 0 when they spell none.
char EscapedCharacter(char first, char second) {
  if (first == '2' && second == 'C') return ',';
  if (first == '2' && second == '5') return '%';
  if (first == '0' && second == 'D') return '\r';
  if (first == '0' && second == 'A') return '\n';
  return 0;
}

}  // namespace

CString EscapeLogField(const char* text) {
  std::string out;
  const std::string_view in(text ? text : "");
  for (size_t i = 0; i < in.size(); ++i) {
    switch (in[i]) {
      case ',': out += "%2C"; break;
      case '\r': out += "%0D"; break;
      case '\n': out += "%0A"; break;
      case '%':
        out += i + 2 < in.size() && EscapedCharacter(in[i + 1], in[i + 2]) ? "%25" : "%";
        break;
      default: out += in[i]; break;
    }
  }
  return CString(out.c_str(), static_cast<int>(out.size()));
}

std::string UnescapeLogField(std::string_view field) {
  std::string out;
  out.reserve(field.size());
  for (size_t i = 0; i < field.size(); ++i) {
    const char escaped = field[i] == '%' && i + 2 < field.size() ? EscapedCharacter(field[i + 1], field[i + 2]) : 0;
    if (escaped) {
      out += escaped;
      i += 2;
    } else {
      out += field[i];
    }
  }
  return out;
}
