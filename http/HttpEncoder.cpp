#include "http/HttpEncoder.h"

#include <cstring>
#include <new>
#include <string>

#include "http/HttpCheckedMath.h"
#include "http/HttpClientException.h"
#include "platform/win32/codepage.h"
#include "platform/win32/error.h"
#include "platform/win32/mbcs.h"

namespace Vonar {

namespace {

void CheckCodePage(UINT codePage, LPCSTR message) {
  if (codePage == 65001 || codePage == 65000) ThrowHttpException(message, 0);
}

// The writers build the text here and copy it out, so every length function is exactly
// the length its writer writes.
LPSTR Deliver(LPSTR buffer, const std::string& text) {
  std::memcpy(buffer, text.data(), text.size());
  buffer[text.size()] = '\0';
  return buffer;
}

bool IsUnreserved(unsigned char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'); }

int HexValue(unsigned char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// Length of the UTF-8 sequence a lead byte starts; 0 for a byte that cannot lead.
DWORD Utf8SequenceLength(unsigned char lead) {
  if (lead < 0x80) return 1;
  if (lead >= 0xC0 && lead <= 0xDF) return 2;
  if (lead >= 0xE0 && lead <= 0xEF) return 3;
  if (lead >= 0xF0 && lead <= 0xF7) return 4;
  if (lead >= 0xF8 && lead <= 0xFB) return 5;
  if (lead >= 0xFC && lead <= 0xFD) return 6;
  return 0;
}

void AppendAnsiAsUtf8(std::string& out, LPCSTR text, UINT codePage) {
  char utf8[8];
  while (*text) {
    DWORD taken = 0;
    DWORD n = CHttpEncoderA::_AnsiCharToUtf8Char(utf8, text, codePage, &taken);
    out.append(utf8, n);
    text += taken;
  }
}

// Reads UTF-8 sequences from bytes and appends them in the code page; a malformed one throws
// badCode (110 for a UTF-8 text, 109 for decoded URL bytes).
void AppendUtf8AsAnsi(std::string& out, const std::string& bytes, UINT codePage, DWORD badCode) {
  char ansi[4];
  for (size_t i = 0; i < bytes.size();) {
    DWORD length = Utf8SequenceLength(static_cast<unsigned char>(bytes[i]));
    if (length == 0 || i + length > bytes.size()) ThrowHttpException(badCode);
    for (DWORD k = 1; k < length; ++k) {
      unsigned char c = static_cast<unsigned char>(bytes[i + k]);
      if (c < 0x80 || c > 0xBF) ThrowHttpException(badCode);
    }
    DWORD n;
    try {
      n = CHttpEncoderA::_Utf8CharToAnsiChar(ansi, bytes.data() + i, length, codePage);
    } catch (const httpclientexceptionA& e) {
      if (e.ErrorCode() == 601) ThrowHttpException(badCode);  // well-formed but no character (overlong, too large)
      throw;
    }
    out.append(ansi, n);
    i += length;
  }
}

std::string UrlEncoded(LPCSTR text, BOOL utf8, UINT codePage) {
  std::string source;
  if (utf8) {
    AppendAnsiAsUtf8(source, text, codePage);
  } else {
    source = text;
  }
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(source.size() * 3);
  for (unsigned char c : source) {
    if (IsUnreserved(c)) {
      out += static_cast<char>(c);
    } else if (c == ' ') {
      out += '+';
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
  }
  return out;
}

std::string UrlDecoded(LPCSTR text, BOOL utf8, UINT codePage) {
  std::string bytes;
  for (size_t i = 0; text[i];) {
    char c = text[i];
    if (c == '+') {
      bytes += ' ';
      ++i;
    } else if (c == '%') {
      int high = HexValue(static_cast<unsigned char>(text[i + 1]));
      int low = high < 0 ? -1 : HexValue(static_cast<unsigned char>(text[i + 2]));
      if (low < 0) ThrowHttpException(109);
      bytes += static_cast<char>(high * 16 + low);
      i += 3;
    } else {
      bytes += c;
      ++i;
    }
  }
  if (utf8) {
    std::string out;
    AppendUtf8AsAnsi(out, bytes, codePage, 109);
    return out;
  }
  // ANSI characters: a lead byte must have its trail byte.
  UINT page = codePage ? codePage : GetACP();
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (IsDBCSLeadByteEx(page, static_cast<BYTE>(bytes[i]))) {
      if (i + 1 >= bytes.size() || bytes[i + 1] == '\0') ThrowHttpException(109);
      ++i;
    }
  }
  return bytes;
}

template <typename Build>
auto Guarded(Build build) {
  try {
    return build();
  } catch (const std::bad_alloc&) {
    ThrowHttpException(102);
  }
}

}  // namespace

LPSTR CHttpEncoderA::AnsiEncode(LPSTR szBuff, LPCSTR szStr) {
  if (!szBuff) ThrowHttpException("CHttpEncoderA::AnsiEncode: szBuff can not be NULL.", 0);
  return Deliver(szBuff, szStr ? szStr : "");
}

DWORD CHttpEncoderA::AnsiEncodeLen(LPCSTR szStr) { return szStr ? CheckedLength(std::strlen(szStr)) : 0; }

LPSTR CHttpEncoderA::AnsiDecode(LPSTR szBuff, LPCSTR szStr) {
  if (!szBuff) ThrowHttpException("CHttpEncoderA::AnsiDecode: szBuff can not be NULL.", 0);
  return Deliver(szBuff, szStr ? szStr : "");
}

DWORD CHttpEncoderA::AnsiDecodeLen(LPCSTR szStr) { return AnsiEncodeLen(szStr); }

DWORD CHttpEncoderA::_AnsiCharToUtf8Char(LPSTR szUtf8Char, LPCSTR szAnsiChar, UINT CodePage, DWORD* pcbAnsi) {
  if (!szUtf8Char || !szAnsiChar)
    ThrowHttpException("CHttpEncoderA::_AnsiCharToUtf8Char: szUtf8Char and szAnsiChar can not be NULL.", 0);
  UINT page = CodePage ? CodePage : GetACP();
  int length = IsDBCSLeadByteEx(page, static_cast<BYTE>(szAnsiChar[0])) && szAnsiChar[1] ? 2 : 1;
  if (pcbAnsi) *pcbAnsi = static_cast<DWORD>(length);
  WCHAR wide[2];
  int wideLength = MultiByteToWideChar(page, MB_ERR_INVALID_CHARS, szAnsiChar, length, wide, 2);
  if (wideLength <= 0) ThrowHttpException(601, GetLastError());
  int utf8Length = WideCharToMultiByte(CP_UTF8, 0, wide, wideLength, szUtf8Char, 7, nullptr, nullptr);
  if (utf8Length <= 0) ThrowHttpException(600, GetLastError());
  return static_cast<DWORD>(utf8Length);
}

DWORD CHttpEncoderA::_Utf8CharToAnsiChar(LPSTR szAnsiChar, LPCSTR szUtf8Char, DWORD cbUtf8, UINT CodePage) {
  if (!szAnsiChar || !szUtf8Char)
    ThrowHttpException("CHttpEncoderA::_Utf8CharToAnsiChar: szAnsiChar and szUtf8Char can not be NULL.", 0);
  WCHAR wide[4];
  int wideLength = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, szUtf8Char, static_cast<int>(cbUtf8), wide, 4);
  if (wideLength <= 0) ThrowHttpException(601, GetLastError());
  UINT page = CodePage ? CodePage : GetACP();
  int ansiLength = WideCharToMultiByte(page, 0, wide, wideLength, szAnsiChar, 3, nullptr, nullptr);
  if (ansiLength <= 0) ThrowHttpException(600, GetLastError());
  return static_cast<DWORD>(ansiLength);
}

LPSTR CHttpEncoderA::Utf8Encode(LPSTR szBuff, LPCSTR szStr, UINT CodePage) {
  if (!szBuff) ThrowHttpException("CHttpEncoderA::Utf8Encode: szBuff can not be NULL.", 0);
  CheckCodePage(CodePage, "CHttpToolA::Ansi2Unicode: CP_UTF8 and CP_UTF7 can not be used for the CodePage parameter.");
  return Deliver(szBuff, Guarded([&] {
                   std::string out;
                   if (szStr) AppendAnsiAsUtf8(out, szStr, CodePage);
                   return out;
                 }));
}

DWORD CHttpEncoderA::Utf8EncodeLen(LPCSTR szStr, UINT CodePage) {
  if (!szStr || !*szStr) return 0;
  CheckCodePage(CodePage, "CHttpToolA::Ansi2Unicode: CP_UTF8 and CP_UTF7 can not be used for the CodePage parameter.");
  return Guarded([&] {
    std::string out;
    AppendAnsiAsUtf8(out, szStr, CodePage);
    return CheckedLength(out.size());
  });
}

LPSTR CHttpEncoderA::Utf8Decode(LPSTR szBuff, LPCSTR szUtf8, UINT CodePage) {
  if (!szBuff) ThrowHttpException("CHttpEncoderA::Utf8Decode: szBuff can not be NULL.", 0);
  CheckCodePage(CodePage, "CHttpToolA::Unicode2Ansi: CP_UTF8 and CP_UTF7 can not be used for the CodePage parameter.");
  return Deliver(szBuff, Guarded([&] {
                   std::string out;
                   if (szUtf8) AppendUtf8AsAnsi(out, szUtf8, CodePage, 110);
                   return out;
                 }));
}

DWORD CHttpEncoderA::Utf8DecodeLen(LPCSTR szUtf8, UINT CodePage) {
  if (!szUtf8 || !*szUtf8) return 0;
  CheckCodePage(CodePage, "CHttpToolA::Unicode2Ansi: CP_UTF8 and CP_UTF7 can not be used for the CodePage parameter.");
  return Guarded([&] {
    std::string out;
    AppendUtf8AsAnsi(out, szUtf8, CodePage, 110);
    return CheckedLength(out.size());
  });
}

LPSTR CHttpEncoderA::UrlEncodeA(LPSTR szBuff, LPCSTR szStr, BOOL bUtf8, UINT CodePage) {
  if (!szBuff) ThrowHttpException("CHttpEncoderA::UrlEncodeA: szBuff can not be NULL.", 0);
  CheckCodePage(CodePage, "CHttpToolA::Ansi2Unicode: CP_UTF8 and CP_UTF7 can not be used for the CodePage parameter.");
  return Deliver(szBuff, Guarded([&] { return szStr ? UrlEncoded(szStr, bUtf8, CodePage) : std::string(); }));
}

DWORD CHttpEncoderA::_UrlEncodeLen(LPCSTR szStr, BOOL bUtf8, UINT CodePage) {
  // A null text counts as empty, like every other length function.
  if (!szStr || !*szStr) return 0;
  CheckCodePage(CodePage, "CHttpToolA::Ansi2Unicode: CP_UTF8 and CP_UTF7 can not be used for the CodePage parameter.");
  return Guarded([&] { return CheckedLength(UrlEncoded(szStr, bUtf8, CodePage).size()); });
}

DWORD CHttpEncoderA::UrlEncodeLenA(LPCSTR szStr, BOOL bUtf8, UINT CodePage) { return _UrlEncodeLen(szStr, bUtf8, CodePage); }

LPSTR CHttpEncoderA::UrlDecodeA(LPSTR szBuff, LPCSTR szEncoded, BOOL bUtf8, UINT CodePage) {
  if (!szBuff) ThrowHttpException("CHttpEncoderA::UrlDecodeA: szBuff can not be NULL.", 0);
  CheckCodePage(CodePage, "CHttpToolA::Unicode2Ansi: CP_UTF8 and CP_UTF7 can not be used for the CodePage parameter.");
  return Deliver(szBuff, Guarded([&] { return szEncoded ? UrlDecoded(szEncoded, bUtf8, CodePage) : std::string(); }));
}

DWORD CHttpEncoderA::UrlDecodeLenA(LPCSTR szEncoded, BOOL bUtf8, UINT CodePage) {
  if (!szEncoded || !*szEncoded) return 0;
  CheckCodePage(CodePage, "CHttpToolA::Unicode2Ansi: CP_UTF8 and CP_UTF7 can not be used for the CodePage parameter.");
  return Guarded([&] { return CheckedLength(UrlDecoded(szEncoded, bUtf8, CodePage).size()); });
}

}  // namespace Vonar
