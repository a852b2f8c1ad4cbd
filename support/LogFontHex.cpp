#include "support/LogFontHex.h"

#include <cstring>

#include "platform/win32/codepage.h"

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool ReadHexBytes(const char* hex, BYTE* bytes, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    int high = HexDigit(hex[2 * i]), low = HexDigit(hex[2 * i + 1]);
    if (high < 0 || low < 0) return false;
    bytes[i] = static_cast<BYTE>(high << 4 | low);
  }
  return true;
}

}  // namespace

CString LogFontToHex(const LOGFONTA& font) {
  static const char kDigits[] = "0123456789ABCDEF";
  BYTE bytes[sizeof(LOGFONTA)];
  std::memcpy(bytes, &font, sizeof bytes);
  std::string hex;
  for (BYTE b : bytes) {
    hex += kDigits[b >> 4];
    hex += kDigits[b & 0x0F];
  }
  return CString(hex);
}

bool HexToLogFont(const char* hex, LOGFONTA& font) {
  size_t length = hex ? std::strlen(hex) : 0;
  if (length == 2 * sizeof(LOGFONTA)) {
    BYTE bytes[sizeof(LOGFONTA)];
    if (!ReadHexBytes(hex, bytes, sizeof bytes)) return false;
    std::memcpy(&font, bytes, sizeof bytes);
    return true;
  }
  if (length == 2 * sizeof(LOGFONTW)) {
    // Files written by the wide-character build of the program.
    BYTE bytes[sizeof(LOGFONTW)];
    if (!ReadHexBytes(hex, bytes, sizeof bytes)) return false;
    LOGFONTW wide;
    std::memcpy(&wide, bytes, sizeof bytes);
    LOGFONTA narrow;
    std::memset(&narrow, 0, sizeof narrow);
    narrow.lfHeight = wide.lfHeight;
    narrow.lfWidth = wide.lfWidth;
    narrow.lfEscapement = wide.lfEscapement;
    narrow.lfOrientation = wide.lfOrientation;
    narrow.lfWeight = wide.lfWeight;
    narrow.lfItalic = wide.lfItalic;
    narrow.lfUnderline = wide.lfUnderline;
    narrow.lfStrikeOut = wide.lfStrikeOut;
    narrow.lfCharSet = wide.lfCharSet;
    narrow.lfOutPrecision = wide.lfOutPrecision;
    narrow.lfClipPrecision = wide.lfClipPrecision;
    narrow.lfQuality = wide.lfQuality;
    narrow.lfPitchAndFamily = wide.lfPitchAndFamily;
    int faceLength = 0;
    while (faceLength < LF_FACESIZE && wide.lfFaceName[faceLength]) ++faceLength;
    if (faceLength > 0) {
      char face[4 * LF_FACESIZE];
      int written = WideCharToMultiByte(CP_ACP, 0, wide.lfFaceName, faceLength, face, sizeof face, nullptr, nullptr);
      if (written > LF_FACESIZE - 1) written = LF_FACESIZE - 1;
      if (written > 0) std::memcpy(narrow.lfFaceName, face, written);
    }
    font = narrow;
    return true;
  }
  return false;
}
