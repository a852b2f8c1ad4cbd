#include "platform/win32/codepage.h"

#include <cstring>
#include <vector>

#include "platform/win32/error.h"
#include "platform/win32/mbcs.h"

namespace {

// Code points of bytes 0x80-0x9F in Windows-1252. The five unassigned bytes map to the C1
// control of the same value, as the platform's own conversion does, so they round-trip.
const char16_t kHigh1252[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char32_t ByteToCodePoint(unsigned char c) {
  if (c >= 0x80 && c < 0xA0) return kHigh1252[c - 0x80];
  return c;
}

// Returns -1 when the code point has no 1252 byte.
int CodePointToByte(char32_t cp) {
  if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<int>(cp);
  for (int i = 0; i < 32; ++i)
    if (kHigh1252[i] == cp) return 0x80 + i;
  return -1;
}

// Decodes one UTF-8 sequence at text[i]; returns false for an invalid or truncated one.
bool DecodeUtf8(const unsigned char* text, size_t length, size_t& i, char32_t& cp) {
  unsigned char c = text[i];
  int extra;
  if (c < 0x80) {
    cp = c;
    ++i;
    return true;
  } else if ((c & 0xE0) == 0xC0) {
    cp = c & 0x1F;
    extra = 1;
  } else if ((c & 0xF0) == 0xE0) {
    cp = c & 0x0F;
    extra = 2;
  } else if ((c & 0xF8) == 0xF0) {
    cp = c & 0x07;
    extra = 3;
  } else {
    return false;
  }
  for (int k = 1; k <= extra; ++k) {
    if (i + k >= length) return false;
    unsigned char next = text[i + k];
    if ((next & 0xC0) != 0x80) return false;
    cp = (cp << 6) | (next & 0x3F);
  }
  static const char32_t kMinimum[4] = {0, 0x80, 0x800, 0x10000};
  if (cp < kMinimum[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
  i += extra + 1;
  return true;
}

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

void AppendUtf16(std::u16string& out, char32_t cp) {
  if (cp < 0x10000) {
    out += static_cast<char16_t>(cp);
  } else {
    cp -= 0x10000;
    out += static_cast<char16_t>(0xD800 + (cp >> 10));
    out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
  }
}

bool IsAnsiCodePage(UINT codePage) { return codePage == CP_ACP || codePage == CP_OEMCP || codePage == CP_1252; }
// Pages other than 1252 and UTF-8 go through iconv.
bool IsKnownCodePage(UINT codePage) {
  return IsAnsiCodePage(codePage) || codePage == CP_UTF8 || win32_p::IsIconvCodePage(codePage);
}

// Copies a converted result out the way both conversion calls report sizes.
template <typename Char>
int Deliver(const std::basic_string<Char>& result, Char* dest, int destLength) {
  if (destLength == 0) return static_cast<int>(result.size());
  if (!dest || destLength < 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  if (static_cast<size_t>(destLength) < result.size()) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  std::memcpy(dest, result.data(), result.size() * sizeof(Char));
  return static_cast<int>(result.size());
}

}  // namespace

UINT GetACP() { return CP_1252; }

int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR source, int sourceLength, LPWSTR dest, int destLength) {
  if (!source || sourceLength == 0 || sourceLength < -1 || !IsKnownCodePage(codePage)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  size_t length = sourceLength == -1 ? std::strlen(source) + 1 : static_cast<size_t>(sourceLength);
  const auto* bytes = reinterpret_cast<const unsigned char*>(source);
  std::u16string result;
  result.reserve(length);
  if (!IsAnsiCodePage(codePage) && codePage != CP_UTF8) {
    if (!win32_p::IconvToUtf16(codePage, source, length, flags & MB_ERR_INVALID_CHARS, result)) return 0;
  } else if (codePage == CP_UTF8) {
    for (size_t i = 0; i < length;) {
      char32_t cp;
      if (!DecodeUtf8(bytes, length, i, cp)) {
        if (flags & MB_ERR_INVALID_CHARS) {
          SetLastError(ERROR_INVALID_DATA);
          return 0;
        }
        cp = 0xFFFD;
        ++i;
      }
      AppendUtf16(result, cp);
    }
  } else {
    for (size_t i = 0; i < length; ++i) result += static_cast<char16_t>(ByteToCodePoint(bytes[i]));
  }
  return Deliver(result, dest, destLength);
}

int WideCharToMultiByte(UINT codePage, DWORD, LPCWSTR source, int sourceLength, LPSTR dest, int destLength,
                        LPCSTR defaultChar, LPBOOL usedDefaultChar) {
  if (!source || sourceLength == 0 || sourceLength < -1 || !IsKnownCodePage(codePage)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  size_t length = static_cast<size_t>(sourceLength);
  if (sourceLength == -1) {
    length = 0;
    while (source[length]) ++length;
    ++length;
  }
  if (usedDefaultChar) *usedDefaultChar = FALSE;
  std::string result;
  result.reserve(length);
  if (!IsAnsiCodePage(codePage) && codePage != CP_UTF8) {
    bool used = false;
    if (!win32_p::IconvFromUtf16(codePage, source, length, defaultChar && *defaultChar ? *defaultChar : '?', result,
                                 &used))
      return 0;
    if (usedDefaultChar) *usedDefaultChar = used ? TRUE : FALSE;
    return Deliver(result, dest, destLength);
  }
  for (size_t i = 0; i < length; ++i) {
    char32_t cp = source[i];
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < length && source[i + 1] >= 0xDC00 && source[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (source[i + 1] - 0xDC00);
      ++i;
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      cp = 0xFFFD;  // a lone surrogate
    }
    if (codePage == CP_UTF8) {
      AppendUtf8(result, cp);
      continue;
    }
    int byte = CodePointToByte(cp);
    if (byte < 0) {
      result += defaultChar && *defaultChar ? *defaultChar : '?';
      if (usedDefaultChar) *usedDefaultChar = TRUE;
    } else {
      result += static_cast<char>(byte);
    }
  }
  return Deliver(result, dest, destLength);
}

std::string AnsiToUtf8(const std::string& ansi) {
  std::string out;
  out.reserve(ansi.size());
  for (unsigned char c : ansi) AppendUtf8(out, ByteToCodePoint(c));
  return out;
}

std::string AnsiFromUtf8(const std::string& utf8) {
  std::string out;
  out.reserve(utf8.size());
  const auto* bytes = reinterpret_cast<const unsigned char*>(utf8.data());
  for (size_t i = 0; i < utf8.size();) {
    char32_t cp;
    size_t start = i;
    if (!DecodeUtf8(bytes, utf8.size(), i, cp)) {
      out += static_cast<char>(bytes[start]);
      i = start + 1;
      continue;
    }
    int byte = CodePointToByte(cp);
    out += byte < 0 ? '?' : static_cast<char>(byte);
  }
  return out;
}

unsigned char AnsiToLower(unsigned char c) {
  if (c >= 'A' && c <= 'Z') return c + 32;
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 32;
  switch (c) {
    case 0x8A: return 0x9A;  // S caron
    case 0x8C: return 0x9C;  // OE
    case 0x8E: return 0x9E;  // Z caron
    case 0x9F: return 0xFF;  // Y diaeresis
    default: return c;
  }
}

unsigned char AnsiToUpper(unsigned char c) {
  if (c >= 'a' && c <= 'z') return c - 32;
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return c - 32;
  switch (c) {
    case 0x9A: return 0x8A;
    case 0x9C: return 0x8C;
    case 0x9E: return 0x8E;
    case 0xFF: return 0x9F;
    default: return c;
  }
}
