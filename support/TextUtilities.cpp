#include "support/TextUtilities.h"

#include <md5.h>

#include <cstdio>
#include <ctime>
#include <string>

char g_cDecimalSeparator = '.';

CString ReverseString(const char* text) {
  CString reversed(text);
  reversed.MakeReverse();
  return reversed;
}

bool IsPhoneNumber(const char* text) {
  CString number(text);
  number.Trim();
  number.Remove(' ');
  if (number.GetLength() <= 1 || number[0] != '+') return false;
  for (int i = 1; i < number.GetLength(); ++i)
    if (number[i] < '0' || number[i] > '9') return false;
  return true;
}

CString Utf8ToAnsi(const char* bytes) {
  std::string out;
  if (!bytes) return CString();
  const unsigned char* p = reinterpret_cast<const unsigned char*>(bytes);
  auto continuation = [](unsigned char c) { return (c & 0xC0) == 0x80; };
  // A code point whose low byte is 0 has no 8-bit form here; it must not end the string.
  auto append = [&out](unsigned code) { out += (code & 0xFF) ? static_cast<char>(code & 0xFF) : '?'; };
  while (*p) {
    unsigned char lead = *p;
    if (lead < 0x80) {
      out += static_cast<char>(lead);
      ++p;
    } else if ((lead & 0xE0) == 0xC0) {
      if (continuation(p[1])) {
        append(((lead & 0x1F) << 6) | (p[1] & 0x3F));
        p += 2;
      } else {
        out += '?';
        ++p;
      }
    } else if ((lead & 0xF0) == 0xE0) {
      if (!continuation(p[1])) {
        out += '?';
        ++p;
      } else if (!continuation(p[2])) {
        out += '?';
        p += 2;
      } else {
        append((lead << 12) | ((p[1] & 0x3F) << 6) | (p[2] & 0x3F));
        p += 3;
      }
    } else {
      // A stray continuation byte or a four-byte lead: one "?" per byte.
      out += '?';
      ++p;
    }
  }
  return CString(out);
}

CString MD5HexString(const char* text) {
  std::string bytes(text ? text : "");
  char hex[MD5_DIGEST_STRING_LENGTH];
  MD5Data(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), hex);
  return CString(hex);
}

CString FormatTime(LONGLONG time, const char* format) {
  if (!format) return CString();
  time_t seconds = static_cast<time_t>(time);
  struct tm local;
  if (!localtime_r(&seconds, &local)) return CString();
  char buffer[128];
  size_t length = std::strftime(buffer, sizeof buffer, format, &local);
  return length ? CString(buffer, static_cast<int>(length)) : CString();
}

CString FormatFileSize(LONGLONG bytes) {
  long long k = (bytes + 511) / 1024;
  bool comma = g_cDecimalSeparator == ',';
  CString text;
  if (k <= 1023) {
    text.Format("%lldKB", k);
  } else if (k <= 10239) {
    if (comma)
      text.Format("%lldKB", k);
    else
      text.Format("%lld,%03lldKB", k / 1000, k % 1000);
  } else if (k <= 102399) {
    text.Format("%0.1fMB", k / 1024.0);
  } else {
    long long m = k / 1024;
    if (m < 1000 || comma)
      text.Format("%lldMB", m);
    else
      text.Format("%lld,%03lldMB", m / 1000, m % 1000);
  }
  return text;
}
