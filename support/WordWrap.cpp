#include "support/WordWrap.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "platform/gdi/text.h"
#include "support/WordWrap_pvt.h"

namespace {

// What CString::Trim removes.
bool IsTrimmed(char c) { return c != '\0' && std::strchr(" \t\r\n\v\f", c) != nullptr; }

}  // namespace

void WordWrapLines(const char* text, int width, const std::function<int(const CString&)>& measure,
                   CStringArray& lines) {
  CString whole(text);
  if (width <= 50) {
    lines.Add(whole);
    return;
  }
  whole.Trim();
  std::string s;
  s.reserve(static_cast<size_t>(whole.GetLength()));
  for (char c : whole.str())
    if (!(c == ' ' && !s.empty() && s.back() == ' ')) s += c;
  if (s.empty()) {
    lines.Add(" ");
    return;
  }

  // Each line is found by galloping from the length that fitted the line before, then halving
  // the gap: a line costs a few measures of about its own length, whatever the length of the text.
  size_t start = 0, hint = 0;
  auto fits = [&](size_t count) { return measure(CString(s.substr(start, count))) <= width; };
  while (start < s.size()) {
    const size_t length = s.size() - start;
    size_t good = 0, bad = length + 1;  // the prefix of `good` fits; that of `bad` does not
    const size_t first = std::min(hint ? hint : 1, length);
    size_t step = std::max<size_t>(1, first / 8);
    if (fits(first)) {
      good = first;
      while (good < length && bad > length) {
        const size_t probe = std::min(good + step, length);
        if (fits(probe)) {
          good = probe;
          step *= 2;
        } else {
          bad = probe;
        }
      }
    } else {
      bad = first;
      while (bad > step) {
        const size_t probe = bad - step;
        if (fits(probe)) {
          good = probe;
          break;
        }
        bad = probe;
        step *= 2;
      }
    }
    while (bad <= length && bad - good > 1) {
      const size_t middle = good + (bad - good) / 2;
      if (fits(middle))
        good = middle;
      else
        bad = middle;
    }
    if (good == length) {
      lines.Add(CString(s.substr(start)));
      return;
    }
    const size_t fit = good;
    hint = fit;
    if (fit == 0) {
      lines.Add(CString(s.substr(start)));  // not even one character fits
      return;
    }
    const char* rest = s.data() + start;
    size_t end, next;
    size_t lastSpace = std::string::npos;
    for (size_t i = fit; i-- > 1;)
      if (rest[i] == ' ') {
        lastSpace = i;
        break;
      }
    if (rest[fit - 1] == ' ') {
      end = fit - 1, next = fit;
    } else if (rest[fit] == ' ') {
      end = next = fit;
    } else if (lastSpace != std::string::npos) {
      end = next = lastSpace;
    } else {
      end = next = fit;  // one word wider than the line is broken inside
    }
    lines.Add(CString(s.substr(start, end)));
    start += next;
    while (start < s.size() && IsTrimmed(s[start])) ++start;
  }
}

void WordWrapToWidth(HDC dc, const char* text, int width, CStringArray& lines) {
  WordWrapLines(text, width,
                [dc](const CString& line) {
                  SIZE size = {0, 0};
                  return GetTextExtentPoint32A(dc, line, line.GetLength(), &size) ? static_cast<int>(size.cx) : 0;
                },
                lines);
}
