#include "support/DrawCaption.h"

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "support/WordWrap.h"

namespace {

const double kPi = 3.14159265358979323846;

int Trunc(double v) { return int(v); }

int TextWidth(HDC dc, const CString& line) {
  SIZE size = {};
  GetTextExtentPoint32A(dc, line.GetString(), line.GetLength(), &size);
  return size.cx;
}

}  // namespace

void DrawCaption(HDC dc, int x, int y, const char* text, int alignment, LOGFONTA font, int* corners, int maxLines,
                 int maxWidth) {
  const bool measureOnly = corners != nullptr;
  LOGFONTA flat = font;
  flat.lfEscapement = flat.lfOrientation = 3600;
  HFONT flatFont = CreateFontIndirectA(&flat);
  HGDIOBJ previous = flatFont ? SelectObject(dc, flatFont) : nullptr;

  // Lines: "\r" dropped, split at "\n", each piece wrapped in the unrotated font.
  std::string stripped;
  for (const char* p = text ? text : ""; *p; ++p)
    if (*p != '\r') stripped += *p;
  const CString body(stripped.c_str());
  CStringArray lines;
  int start = 0;
  for (;;) {
    int end = body.Find('\n', start);
    CString piece = end < 0 ? body.Mid(start) : body.Mid(start, end - start);
    if (end >= 0 || !piece.IsEmpty()) WordWrapToWidth(dc, piece.GetString(), maxWidth, lines);
    if (end < 0) break;
    start = end + 1;
  }
  if (maxLines >= 1 && maxLines < lines.GetSize()) lines.SetSize(maxLines);

  SIZE probe = {};
  GetTextExtentPoint32A(dc, "QWHypjq", 7, &probe);
  const int h = probe.cy;
  const int count = int(lines.GetSize());
  std::vector<int> widths(count, 0);
  int widest = 0;
  for (int i = 0; i < count; ++i) {
    if (lines[i].IsEmpty()) continue;
    widths[i] = TextWidth(dc, lines[i]);
    if (widths[i] > widest) widest = widths[i];
  }

  const bool rotated = font.lfOrientation != 3600;
  const double theta = rotated ? (3600 - font.lfOrientation) * kPi / 1800 : 0;
  HFONT drawFont = nullptr;
  if (!measureOnly && rotated) {
    drawFont = CreateFontIndirectA(&font);
    if (drawFont) SelectObject(dc, drawFont);
  }
  if (!measureOnly) {
    int ax = x, ay = y;
    const double phi = ((3600 - font.lfOrientation) * kPi + 900 * kPi) / 1800;
    for (int i = 0; i < count; ++i) {
      const int w = widths[i];
      if (!lines[i].IsEmpty()) {
        int sx = ax, sy = ay;
        if (!rotated) {
          sx = alignment == 1 ? x - w / 2 : alignment == 2 ? x - w : x;
        } else if (alignment == 1) {
          sx += Trunc(-0.5 * w * std::sin(phi)), sy += Trunc(0.5 * w * std::cos(phi));
        } else if (alignment == 2) {
          sx += Trunc(-w * std::sin(phi)), sy += Trunc(w * std::cos(phi));
        }
        TextOutA(dc, sx, sy, lines[i].GetString(), lines[i].GetLength());
      }
      if (rotated) {
        ax += Trunc(-h * std::sin(theta)), ay += Trunc(h * std::cos(theta));
      } else {
        ay += h;
      }
    }
  }
  if (previous) SelectObject(dc, previous);
  if (flatFont) DeleteObject(flatFont);
  if (drawFont) DeleteObject(drawFont);

  if (measureOnly) {
    const double s = std::sin(theta), c = std::cos(theta);
    const double W = widest, H = double(count) * h;
    int p1x = x, p1y = y;
    if (alignment == 1) p1x = Trunc(x - 0.5 * W * c), p1y = Trunc(y - 0.5 * W * s);
    else if (alignment == 2) p1x = Trunc(x - W * c), p1y = Trunc(y - W * s);
    const int p2x = Trunc(p1x + W * c), p2y = Trunc(p1y + W * s);
    const int p3x = Trunc(p2x - H * s), p3y = Trunc(p2y + H * c);
    const int p4x = Trunc(p1x - H * s), p4y = Trunc(p1y + H * c);
    const int out[8] = {p1x, p1y, p2x, p2y, p3x, p3y, p4x, p4y};
    std::memcpy(corners, out, sizeof(out));
  }
}
