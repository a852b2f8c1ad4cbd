// Text output and measurement with the DC's font. The program's strings are Windows-1252;
// they reach Qt through AnsiToQString only.
#include <QFontMetricsF>
#include <QStringList>
#include <cmath>
#include <cstring>

#include "platform/gdi/gdi_p.h"
#include "platform/gdi/text.h"
#include "platform/win32/codepage.h"
#include "platform/win32/error.h"

using namespace gdi_p;

namespace gdi_p {

QString AnsiToQString(const char* text, int length) {
  if (!text) return QString();
  const std::string ansi = length < 0 ? std::string(text) : std::string(text, size_t(length));
  return QString::fromStdString(AnsiToUtf8(ansi));
}

}  // namespace gdi_p

namespace {

// Integer metrics of a font, as GetTextMetrics reports them.
struct Metrics {
  int ascent, descent, height, internalLeading, average, maximum;
};

Metrics MetricsOf(const QFont& font) {
  QFontMetricsF fm(font);
  Metrics m{};
  m.ascent = static_cast<int>(std::ceil(fm.ascent() - 0.01));
  m.descent = static_cast<int>(std::ceil(fm.descent() - 0.01));
  m.height = m.ascent + m.descent;
  m.internalLeading = std::max(0, m.height - font.pixelSize());
  m.average = static_cast<int>(std::lround(fm.averageCharWidth()));
  m.maximum = static_cast<int>(std::lround(fm.maxWidth()));
  return m;
}

int Advance(const QFont& font, const QString& text) {
  return static_cast<int>(std::lround(QFontMetricsF(font).horizontalAdvance(text)));
}

// The DC's font without its escapement, or nothing when fonts cannot be used here.
bool DcFont(DC& dc, QFont& font) {
  if (!FontsAvailable()) return false;
  font = QFontFromLogFont(dc.font->lf);
  return true;
}

// Draws one line with its cell's top-left at (x, y), turned by the escapement.
void DrawLine(DC& dc, QPainter& p, const QFont& font, const Metrics& m, qreal x, qreal y, const QString& text,
              qreal degrees) {
  p.save();
  p.translate(x, y);
  if (degrees != 0) p.rotate(-degrees);
  if (dc.bkMode == OPAQUE) p.fillRect(QRectF(0, 0, Advance(font, text), m.height), ToQColor(dc.bkColor));
  p.setFont(font);
  p.setPen(ToQColor(dc.textColor));
  p.drawText(QPointF(0, m.ascent), text);
  p.restore();
}

QString StripPrefixes(const QString& text) {
  QString out;
  for (int i = 0; i < text.size(); ++i) {
    if (text[i] == QLatin1Char('&') && i + 1 < text.size()) ++i;
    out += text[i];
  }
  return out;
}

// Breaks a paragraph at spaces so that each line fits `width`; a word wider than the line
// stays whole on a line of its own.
QStringList WrapParagraph(const QFont& font, const QString& paragraph, int width) {
  QStringList lines;
  const QStringList words = paragraph.split(QLatin1Char(' '));
  QString line;
  for (const QString& word : words) {
    const QString candidate = line.isEmpty() ? word : line + QLatin1Char(' ') + word;
    if (!line.isEmpty() && Advance(font, candidate) > width) {
      lines << line;
      line = word;
    } else {
      line = candidate;
    }
  }
  lines << line;
  return lines;
}

QString EndEllipsis(const QFont& font, const QString& line, int width) {
  if (Advance(font, line) <= width) return line;
  const QString dots = QStringLiteral("...");
  QString cut = line;
  while (!cut.isEmpty() && Advance(font, cut + dots) > width) cut.chop(1);
  return cut + dots;
}

}  // namespace

BOOL TextOutA(HDC handle, int x, int y, LPCSTR text, int length) {
  DC* dc = DcFromHandle(handle);
  if (!dc || (!text && length > 0) || length < 0) return FALSE;
  QFont font;
  if (!DcFont(*dc, font)) return FALSE;
  QPainter* p = Painter(*dc);
  if (!p) return FALSE;
  if (length == 0) return TRUE;
  DrawLine(*dc, *p, font, MetricsOf(font), x, y, AnsiToQString(text, length), dc->font->lf.lfEscapement / 10.0);
  return TRUE;
}

BOOL GetTextExtentPoint32A(HDC handle, LPCSTR text, int length, LPSIZE size) {
  DC* dc = DcFromHandle(handle);
  if (!dc || !size || length < 0 || (!text && length > 0)) return FALSE;
  QFont font;
  if (!DcFont(*dc, font)) return FALSE;
  size->cx = length ? Advance(font, AnsiToQString(text, length)) : 0;
  size->cy = MetricsOf(font).height;
  return TRUE;
}

BOOL GetTextMetricsA(HDC handle, LPTEXTMETRICA tm) {
  DC* dc = DcFromHandle(handle);
  if (!dc || !tm) return FALSE;
  QFont font;
  if (!DcFont(*dc, font)) return FALSE;
  const Metrics m = MetricsOf(font);
  std::memset(tm, 0, sizeof *tm);
  tm->tmHeight = m.height;
  tm->tmAscent = m.ascent;
  tm->tmDescent = m.descent;
  tm->tmInternalLeading = m.internalLeading;
  tm->tmAveCharWidth = m.average;
  tm->tmMaxCharWidth = m.maximum;
  tm->tmWeight = dc->font->lf.lfWeight ? dc->font->lf.lfWeight : FW_NORMAL;
  tm->tmDigitizedAspectX = dc->dpiX;
  tm->tmDigitizedAspectY = dc->dpiY;
  tm->tmFirstChar = 0x20;
  tm->tmLastChar = 0xFF;
  tm->tmDefaultChar = 0x1F;
  tm->tmBreakChar = 0x20;
  tm->tmItalic = dc->font->lf.lfItalic;
  tm->tmUnderlined = dc->font->lf.lfUnderline;
  tm->tmStruckOut = dc->font->lf.lfStrikeOut;
  tm->tmPitchAndFamily = dc->font->lf.lfPitchAndFamily;
  tm->tmCharSet = dc->font->lf.lfCharSet;
  return TRUE;
}

int DrawTextA(HDC handle, LPCSTR text, int length, LPRECT rect, UINT format) {
  DC* dc = DcFromHandle(handle);
  if (!dc || !rect || !text) return 0;
  QFont font;
  if (!DcFont(*dc, font)) return 0;
  QString all = AnsiToQString(text, length);
  if (!(format & DT_NOPREFIX)) all = StripPrefixes(all);
  all.remove(QLatin1Char('\r'));
  const Metrics m = MetricsOf(font);
  const int width = rect->right - rect->left;

  QStringList lines;
  if (format & DT_SINGLELINE) {
    lines << QString(all).replace(QLatin1Char('\n'), QLatin1Char(' '));
  } else {
    for (const QString& paragraph : all.split(QLatin1Char('\n')))
      lines << ((format & DT_WORDBREAK) ? WrapParagraph(font, paragraph, width) : QStringList{paragraph});
  }
  if (format & (DT_END_ELLIPSIS | DT_WORD_ELLIPSIS))
    for (QString& line : lines) line = EndEllipsis(font, line, width);

  int widest = 0;
  for (const QString& line : lines) widest = std::max(widest, Advance(font, line));
  const int total = m.height * int(lines.size());
  if (format & DT_CALCRECT) {
    if (!(format & DT_WORDBREAK) || (format & DT_SINGLELINE)) rect->right = rect->left + widest;
    rect->bottom = rect->top + total;
    return total;
  }

  QPainter* p = Painter(*dc);
  if (!p) return 0;
  if (!(format & DT_NOCLIP))
    p->setClipRect(QRect(rect->left, rect->top, width, rect->bottom - rect->top), Qt::IntersectClip);
  int y = rect->top;
  if (format & DT_SINGLELINE) {
    if (format & DT_VCENTER) y = rect->top + (rect->bottom - rect->top - m.height) / 2;
    else if (format & DT_BOTTOM) y = rect->bottom - m.height;
  }
  for (const QString& line : lines) {
    const int w = Advance(font, line);
    int x = rect->left;
    if (format & DT_CENTER) x = rect->left + (width - w) / 2;
    else if (format & DT_RIGHT) x = rect->right - w;
    if (!line.isEmpty()) DrawLine(*dc, *p, font, m, x, y, line, 0);
    y += m.height;
  }
  return total;
}
