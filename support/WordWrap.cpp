#include "support/WordWrap.h"

#include "platform/gdi/text.h"
#include "support/WordWrap_pvt.h"

void WordWrapLines(const char* text, int width, const std::function<int(const CString&)>& measure,
                   CStringArray& lines) {
  CString rest(text);
  if (width <= 50) {
    lines.Add(rest);
    return;
  }
  rest.Trim();
  while (rest.Find("  ") >= 0) rest.Replace("  ", " ");
  if (rest.IsEmpty()) {
    lines.Add(" ");
    return;
  }
  while (measure(rest) > width) {
    int fit = rest.GetLength();
    while (fit > 0 && measure(rest.Left(fit)) > width) --fit;
    if (fit == 0) {
      lines.Add(rest);  // not even one character fits
      return;
    }
    int end, next;
    int lastSpace = rest.Left(fit).ReverseFind(' ');
    if (rest[fit - 1] == ' ') {
      end = fit - 1, next = fit;
    } else if (rest[fit] == ' ') {
      end = next = fit;
    } else if (lastSpace > 0) {
      end = next = lastSpace;
    } else {
      end = next = fit;  // one word wider than the line is broken inside
    }
    lines.Add(rest.Left(end));
    rest = rest.Mid(next);
    rest.Trim();
  }
  if (!rest.IsEmpty()) lines.Add(rest);
}

void WordWrapToWidth(HDC dc, const char* text, int width, CStringArray& lines) {
  WordWrapLines(text, width,
                [dc](const CString& line) {
                  SIZE size = {0, 0};
                  return GetTextExtentPoint32A(dc, line, line.GetLength(), &size) ? static_cast<int>(size.cx) : 0;
                },
                lines);
}
