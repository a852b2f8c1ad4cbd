// Static text encoders of the HTTP client: ANSI (copy), ANSI <-> UTF-8, and URL encoding. Each
// writer has a length function giving the exact bytes it writes (without the terminating
// zero); callers size buffers with it plus 1. Code page 0 is the system's ANSI page; UTF-8 and
// UTF-7 are never accepted as one. Failures throw httpclientexceptionA.
#pragma once

#include "platform/win32/windef.h"

namespace Vonar {

class CHttpEncoderA {
 public:
  static LPSTR AnsiEncode(LPSTR szBuff, LPCSTR szStr);
  static DWORD AnsiEncodeLen(LPCSTR szStr);
  static LPSTR AnsiDecode(LPSTR szBuff, LPCSTR szStr);
  static DWORD AnsiDecodeLen(LPCSTR szStr);

  /// ANSI to UTF-8, one character of the code page at a time; 600/601 when a conversion fails.
  static LPSTR Utf8Encode(LPSTR szBuff, LPCSTR szStr, UINT CodePage = 0);
  static DWORD Utf8EncodeLen(LPCSTR szStr, UINT CodePage = 0);
  /// UTF-8 to ANSI; a malformed sequence is code 110.
  static LPSTR Utf8Decode(LPSTR szBuff, LPCSTR szUtf8, UINT CodePage = 0);
  static DWORD Utf8DecodeLen(LPCSTR szUtf8, UINT CodePage = 0);

  /// Letters, digits unchanged, a blank as '+', every other byte as %XX; with bUtf8 the text is
  /// first converted to UTF-8.
  static LPSTR UrlEncodeA(LPSTR szBuff, LPCSTR szStr, BOOL bUtf8 = FALSE, UINT CodePage = 0);
  static DWORD UrlEncodeLenA(LPCSTR szStr, BOOL bUtf8 = FALSE, UINT CodePage = 0);
  /// The reverse; a bad escape, a cut double-byte character or (with bUtf8) bad UTF-8 is code 109.
  static LPSTR UrlDecodeA(LPSTR szBuff, LPCSTR szEncoded, BOOL bUtf8 = FALSE, UINT CodePage = 0);
  static DWORD UrlDecodeLenA(LPCSTR szEncoded, BOOL bUtf8 = FALSE, UINT CodePage = 0);

  /// One ANSI character (two bytes for a DBCS lead byte) to UTF-8; returns the bytes written
  /// (at most 7) and in *pcbAnsi the bytes taken.
  static DWORD _AnsiCharToUtf8Char(LPSTR szUtf8Char, LPCSTR szAnsiChar, UINT CodePage, DWORD* pcbAnsi);
  /// One UTF-8 sequence of cbUtf8 bytes to ANSI (at most 3 bytes); returns the bytes written.
  static DWORD _Utf8CharToAnsiChar(LPSTR szAnsiChar, LPCSTR szUtf8Char, DWORD cbUtf8, UINT CodePage);
  /// The URL-encoded length; 0 for a null text.
  static DWORD _UrlEncodeLen(LPCSTR szStr, BOOL bUtf8, UINT CodePage);
};

}  // namespace Vonar
