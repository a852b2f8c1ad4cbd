// Fonts from LOGFONTA. Heights are device pixels: a negative height is the character (em)
// height, a positive one the cell height (ascent + descent), as the platform defines them.
// Face names go through fontconfig, so "Arial" finds its metric-compatible substitute.
#include <QCoreApplication>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <cmath>
#include <cstring>

#include "platform/gdi/gdi_p.h"
#include "platform/gdi/objects.h"
#include "platform/win32/error.h"

using namespace gdi_p;

namespace gdi_p {

bool FontsAvailable() { return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr; }

QFont QFontFromLogFont(const LOGFONTA& lf) {
  char face[LF_FACESIZE + 1] = {};
  std::memcpy(face, lf.lfFaceName, LF_FACESIZE);  // a stored record may lack its terminator
  QFont font(face[0] ? AnsiToQString(face, -1) : QStringLiteral("Arial"));
  font.setStyleHint(QFont::SansSerif);
  int weight = lf.lfWeight <= 0 ? FW_NORMAL : std::min<LONG>(lf.lfWeight, 1000);
  font.setWeight(static_cast<QFont::Weight>(std::clamp(weight, 1, 1000)));
  font.setItalic(lf.lfItalic != 0);
  font.setUnderline(lf.lfUnderline != 0);
  font.setStrikeOut(lf.lfStrikeOut != 0);
  if (lf.lfQuality == NONANTIALIASED_QUALITY) font.setStyleStrategy(QFont::NoAntialias);
  font.setKerning(false);

  // Absurd heights from a damaged record are capped rather than rasterised.
  constexpr LONG kMaxHeight = 20000;
  LONG height = lf.lfHeight;
  if (height == LONG(0x80000000)) height = 0;
  int pixels;
  if (height == 0) {
    pixels = 16;
  } else if (height < 0) {
    pixels = static_cast<int>(std::min<LONG>(-height, kMaxHeight));
  } else {
    QFont probe(font);
    probe.setPixelSize(1000);
    QFontMetricsF fm(probe);
    const qreal cell = fm.ascent() + fm.descent();
    pixels = cell > 0 ? static_cast<int>(std::lround(std::min<LONG>(height, kMaxHeight) * 1000.0 / cell)) : height;
  }
  font.setPixelSize(std::max(pixels, 1));
  if (lf.lfWidth > 0) {
    QFontMetricsF fm(font);
    const qreal average = fm.averageCharWidth();
    if (average > 0) font.setStretch(std::clamp(static_cast<int>(std::lround(lf.lfWidth * 100.0 / average)), 1, 4000));
  }
  return font;
}

}  // namespace gdi_p

HFONT CreateFontIndirectA(const LOGFONTA* lf) {
  if (!lf) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto* font = new Font;
  font->lf = *lf;
  font->lf.lfFaceName[LF_FACESIZE - 1] = '\0';
  RegisterHandle(font);
  return reinterpret_cast<HFONT>(font);
}
