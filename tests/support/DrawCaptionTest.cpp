#include "support/DrawCaption.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

#include "support/WordWrap.h"

namespace {

const int kSize = 600;

LOGFONTA Font(int angleDegrees) {
  LOGFONTA lf = {};
  lf.lfHeight = -40;
  lf.lfWeight = FW_NORMAL;
  lf.lfEscapement = lf.lfOrientation = 3600 - angleDegrees * 10;
  std::strcpy(lf.lfFaceName, "Arial");
  return lf;
}

// A white memory canvas with black transparent text.
struct Canvas {
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bitmap = CreateCompatibleBitmap(dc, kSize, kSize);
  HGDIOBJ old = SelectObject(dc, bitmap);
  Canvas() {
    BitBlt(dc, 0, 0, kSize, kSize, nullptr, 0, 0, WHITENESS);
    SetTextColor(dc, RGB(0, 0, 0));
    SetBkMode(dc, TRANSPARENT);
  }
  ~Canvas() {
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
  }
  // Bounding box of dark pixels (right and bottom inclusive); empty when none.
  RECT Ink(RECT area = {0, 0, kSize - 1, kSize - 1}) const {
    RECT box = {kSize, kSize, -1, -1};
    for (int y = area.top; y <= area.bottom; ++y)
      for (int x = area.left; x <= area.right; ++x)
        if (GetRValue(GetPixel(dc, x, y)) < 128) {
          box.left = std::min<LONG>(box.left, x), box.top = std::min<LONG>(box.top, y);
          box.right = std::max<LONG>(box.right, x), box.bottom = std::max<LONG>(box.bottom, y);
        }
    return box;
  }
  // Width of the text and the caption line height, measured in the unrotated font.
  SIZE Measure(const char* text) const {
    LOGFONTA lf = Font(0);
    HFONT font = CreateFontIndirectA(&lf);
    HGDIOBJ previous = SelectObject(dc, font);
    SIZE size = {}, probe = {};
    GetTextExtentPoint32A(dc, text, int(std::strlen(text)), &size);
    GetTextExtentPoint32A(dc, "QWHypjq", 7, &probe);
    SelectObject(dc, previous);
    DeleteObject(font);
    return SIZE{size.cx, probe.cy};
  }
};

bool Empty(const RECT& r) { return r.right < r.left; }

}  // namespace

TEST(DrawCaptionTest, CornersAtEachAngleAndAlignment) {
  Canvas canvas;
  SIZE m = canvas.Measure("Hello");
  const double W = m.cx, h = m.cy;
  ASSERT_GT(W, 40);
  ASSERT_GT(h, 30);
  const double r = std::sqrt(0.5);
  const struct {
    int angle, alignment;
    double p1x, p1y;  // first corner relative to the anchor, before truncation
    double dx, dy;    // text direction
  } rows[] = {
      {0, 0, 0, 0, 1, 0},
      {0, 1, -0.5 * W, 0, 1, 0},
      {0, 2, -W, 0, 1, 0},
      {90, 0, 0, 0, 0, 1},
      {90, 1, 0, -0.5 * W, 0, 1},
      {90, 2, 0, -W, 0, 1},
      {45, 0, 0, 0, r, r},
      {45, 1, -0.5 * W * r, -0.5 * W * r, r, r},
      {45, 2, -W * r, -W * r, r, r},
  };
  const int x = 300, y = 200;
  for (const auto& row : rows) {
    SCOPED_TRACE(testing::Message() << row.angle << " degrees, alignment " << row.alignment);
    int corners[8] = {};
    DrawCaption(canvas.dc, x, y, "Hello", row.alignment, Font(row.angle), corners, 0, 0);
    int p1x = int(x + row.p1x), p1y = int(y + row.p1y);
    int p2x = int(p1x + W * row.dx), p2y = int(p1y + W * row.dy);
    const int expected[8] = {p1x, p1y, p2x, p2y, int(p2x - h * row.dy), int(p2y + h * row.dx),
                             int(p1x - h * row.dy), int(p1y + h * row.dx)};
    for (int i = 0; i < 8; ++i) EXPECT_NEAR(corners[i], expected[i], 1) << "value " << i;
    // Measuring draws nothing.
    EXPECT_TRUE(Empty(canvas.Ink()));
  }
}

TEST(DrawCaptionTest, InkStaysInsideTheMeasuredBlock) {
  const struct {
    int angle, alignment;
  } rows[] = {{0, 0}, {0, 1}, {0, 2}, {90, 0}, {90, 1}, {90, 2}, {45, 0}, {45, 1}, {45, 2}};
  for (const auto& row : rows) {
    SCOPED_TRACE(testing::Message() << row.angle << " degrees, alignment " << row.alignment);
    Canvas canvas;
    int c[8] = {};
    DrawCaption(canvas.dc, 300, 300, "Hello\nWorld", row.alignment, Font(row.angle), c, 0, 0);
    DrawCaption(canvas.dc, 300, 300, "Hello\nWorld", row.alignment, Font(row.angle), nullptr, 0, 0);
    RECT ink = canvas.Ink();
    ASSERT_FALSE(Empty(ink));
    int left = std::min({c[0], c[2], c[4], c[6]}), right = std::max({c[0], c[2], c[4], c[6]});
    int top = std::min({c[1], c[3], c[5], c[7]}), bottom = std::max({c[1], c[3], c[5], c[7]});
    const int slack = 3;
    EXPECT_GE(ink.left, left - slack);
    EXPECT_LE(ink.right, right + slack);
    EXPECT_GE(ink.top, top - slack);
    EXPECT_LE(ink.bottom, bottom + slack);
    // And it fills most of the block's extent along both axes.
    EXPECT_GT(ink.right - ink.left, (right - left) * 6 / 10);
    EXPECT_GT(ink.bottom - ink.top, (bottom - top) * 5 / 10);
  }
}

TEST(DrawCaptionTest, CentredLinesShareTheAnchor) {
  Canvas canvas;
  SIZE m = canvas.Measure("Hi");
  DrawCaption(canvas.dc, 300, 100, "Hi\nWide line here", 1, Font(0), nullptr, 0, 0);
  RECT first = canvas.Ink({0, 100, kSize - 1, 100 + m.cy - 1});
  RECT second = canvas.Ink({0, 100 + m.cy, kSize - 1, 100 + 2 * m.cy - 1});
  ASSERT_FALSE(Empty(first));
  ASSERT_FALSE(Empty(second));
  EXPECT_NEAR((first.left + first.right) / 2.0, 300, 4);
  EXPECT_NEAR((second.left + second.right) / 2.0, 300, 4);
  EXPECT_GT(second.right - second.left, 2 * (first.right - first.left));
}

TEST(DrawCaptionTest, LineLimitsEmptyTextAndBlankLines) {
  Canvas canvas;
  const int h = canvas.Measure("x").cy;
  SIZE word = canvas.Measure("gamma");  // the widest of the three words
  const struct {
    const char* name;
    const char* text;
    int maxLines, maxWidth;
    int lines;
  } rows[] = {
      {"wraps into three, keeps one", "alpha beta gamma", 1, word.cx + 5, 1},
      {"wraps into three", "alpha beta gamma", 0, word.cx + 5, 3},
      {"empty", "", 0, 400, 0},
      {"blank middle line", "alpha\n\nbeta", 0, 400, 3},
      {"carriage returns dropped, trailing line feed", "alpha\r\nbeta\n", 0, 400, 2},
      {"width 50 does not wrap", "alpha beta gamma", 0, 50, 1},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    int c[8] = {};
    DrawCaption(canvas.dc, 100, 100, row.text, 0, Font(0), c, row.maxLines, row.maxWidth);
    EXPECT_EQ(c[7] - c[1], row.lines * h);  // P4 below P1 by the block height
  }
  // The second word of "alpha\n\nbeta" lands two lines down; the middle line stays empty.
  DrawCaption(canvas.dc, 100, 100, "alpha\n\nbeta", 0, Font(0), nullptr, 0, 400);
  EXPECT_FALSE(Empty(canvas.Ink({0, 100, kSize - 1, 100 + h - 1})));
  EXPECT_TRUE(Empty(canvas.Ink({0, 100 + h + 2, kSize - 1, 100 + 2 * h - 2})));
  EXPECT_FALSE(Empty(canvas.Ink({0, 100 + 2 * h, kSize - 1, 100 + 3 * h - 1})));
}

TEST(DrawCaptionTest, WordWrapToWidthUsesTheFontsMetrics) {
  Canvas canvas;
  LOGFONTA lf = Font(0);
  HFONT font = CreateFontIndirectA(&lf);
  HGDIOBJ previous = SelectObject(canvas.dc, font);
  SIZE two = {};
  GetTextExtentPoint32A(canvas.dc, "aaa aaa", 7, &two);
  const struct {
    int width;
    int lines;
  } rows[] = {{two.cx, 2}, {two.cx - 1, 3}, {two.cx * 3, 1}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.width);
    CStringArray lines;
    WordWrapToWidth(canvas.dc, "aaa aaa aaa", row.width, lines);
    EXPECT_EQ(lines.GetSize(), row.lines);
    if (row.lines == 2) {
      EXPECT_EQ(lines[0], "aaa aaa");
    }
  }
  SelectObject(canvas.dc, previous);
  DeleteObject(font);
}
