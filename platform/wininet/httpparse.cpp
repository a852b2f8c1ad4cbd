#include "platform/wininet/httpparse_p.h"

namespace wininet_p {

namespace {

size_t WithoutLineEnd(const char* line, size_t length) {
  if (length > 0 && line[length - 1] == '\n') --length;
  if (length > 0 && line[length - 1] == '\r') --length;
  return length;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string Trimmed(const char* text, size_t length) {
  size_t begin = 0, end = length;
  while (begin < end && IsBlank(text[begin])) ++begin;
  while (end > begin && IsBlank(text[end - 1])) --end;
  return std::string(text + begin, end - begin);
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

bool ParseStatusLine(const char* line, size_t length, int& code, std::string& reason) {
  length = WithoutLineEnd(line, length);
  // "HTTP/" digit "." digit, one blank, three digits, then a blank and the reason or nothing.
  if (length < 12 || line[0] != 'H' || line[1] != 'T' || line[2] != 'T' || line[3] != 'P' || line[4] != '/')
    return false;
  size_t i = 5;
  while (i < length && (IsDigit(line[i]) || line[i] == '.')) ++i;
  if (i == 5 || i >= length || line[i] != ' ') return false;
  ++i;
  if (i + 3 > length || !IsDigit(line[i]) || !IsDigit(line[i + 1]) || !IsDigit(line[i + 2])) return false;
  code = (line[i] - '0') * 100 + (line[i + 1] - '0') * 10 + (line[i + 2] - '0');
  i += 3;
  if (i < length && line[i] != ' ') return false;
  reason = i < length ? Trimmed(line + i + 1, length - i - 1) : std::string();
  return true;
}

bool ParseHeaderLine(const char* line, size_t length, std::string& name, std::string& value) {
  length = WithoutLineEnd(line, length);
  size_t colon = 0;
  while (colon < length && line[colon] != ':') {
    char c = line[colon];
    if (IsBlank(c) || c == '\r' || c == '\n' || c == '\0') return false;
    ++colon;
  }
  if (colon == 0 || colon == length) return false;
  name.assign(line, colon);
  value = Trimmed(line + colon + 1, length - colon - 1);
  return true;
}

bool IsHeaderBlockEnd(const char* line, size_t length) { return WithoutLineEnd(line, length) == 0; }

bool IsContinuationLine(const char* line, size_t length) { return length > 0 && IsBlank(line[0]); }

bool ParseDecimal32(const std::string& text, unsigned long& value) {
  size_t i = 0;
  while (i < text.size() && IsBlank(text[i])) ++i;
  if (i == text.size() || !IsDigit(text[i])) return false;
  unsigned long long result = 0;
  for (; i < text.size() && IsDigit(text[i]); ++i) {
    result = result * 10 + static_cast<unsigned>(text[i] - '0');
    if (result > 0xFFFFFFFFull) return false;
  }
  while (i < text.size() && IsBlank(text[i])) ++i;
  if (i != text.size()) return false;
  value = static_cast<unsigned long>(result);
  return true;
}

}  // namespace wininet_p
