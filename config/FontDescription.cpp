#include "config/FontDescription.h"

#include <cstring>
#include <string>

#include "platform/gdi/wingdi.h"

CString FormatFontDescription(const LOGFONTA& font, int screenDpiY) {
  const long long dpi = screenDpiY > 0 ? screenDpiY : 96;
  // Multiply, then divide with rounding half away from zero.
  long long scaled = static_cast<long long>(font.lfHeight) * 72;
  long long points = (scaled >= 0 ? scaled + dpi / 2 : scaled - dpi / 2) / dpi;
  char face[LF_FACESIZE + 1] = {};
  std::memcpy(face, font.lfFaceName, LF_FACESIZE);
  CString text;
  text.Format("%s, %d point", face, static_cast<int>(-points));
  if (font.lfWeight == 700) text += ", bold";
  if (font.lfItalic) text += ", italic";
  return text;
}

int ScreenDpiY() {
  HDC screen = CreateCompatibleDC(nullptr);
  int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
  if (screen) DeleteDC(screen);
  return dpi > 0 ? dpi : 96;
}
