#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "canvas.h"

namespace {

HFONT ArialFont(int height, int escapement = 0) {
  LOGFONTA lf{};
  lf.lfHeight = height;
  lf.lfEscapement = lf.lfOrientation = escapement;
  lf.lfWeight = FW_NORMAL;
  std::strcpy(lf.lfFaceName, "Arial");
  return CreateFontIndirectA(&lf);
}

}  // namespace

TEST(GdiTextTest, ArialHasTheMetricsOfItsCompatibleFace) {
  Canvas c(10, 10);
  HFONT font = ArialFont(-100);
  HGDIOBJ old = SelectObject(c.dc, font);
  TEXTMETRICA tm{};
  ASSERT_TRUE(GetTextMetrics(c.dc, &tm));
  // Arial and its metric-compatible face: ascent 0.905 em, descent 0.212 em.
  EXPECT_NEAR(tm.tmAscent, 91, 1);
  EXPECT_NEAR(tm.tmDescent, 21, 1);
  EXPECT_EQ(tm.tmHeight, tm.tmAscent + tm.tmDescent);
  SIZE size{};
  ASSERT_TRUE(GetTextExtentPoint32(c.dc, "WWWW", 4, &size));
  EXPECT_NEAR(size.cx, 4 * 94, 4);  // W advances 0.944 em
  EXPECT_EQ(size.cy, tm.tmHeight);
  SelectObject(c.dc, old);
  DeleteObject(font);
}

TEST(GdiTextTest, PositiveHeightIsTheCellHeight) {
  Canvas c(10, 10);
  HFONT font = ArialFont(56);
  HGDIOBJ old = SelectObject(c.dc, font);
  TEXTMETRICA tm{};
  GetTextMetrics(c.dc, &tm);
  EXPECT_NEAR(tm.tmHeight, 56, 1);
  SelectObject(c.dc, old);
  DeleteObject(font);
}

// Rotated text lands on the side of its start point that the escapement turns it to.
TEST(GdiTextTest, EscapementTurnsTextAboutItsStart) {
  struct Row {
    int escapement;
    // Expected ink box relative to the start point (200, 200), with 6 px tolerance.
    int left, top, right, bottom;
  };
  // "WWWW" at -40: about 151 px long, cell 45 px high (ink ~29 px below the cell top).
  const Row rows[] = {
      {0, 0, 7, 151, 36},
      {900, 7, -151, 36, 0},
      {2700, -36, 0, -7, 151},
      {1800, -151, -36, 0, -7},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.escapement);
    Canvas c(400, 400);
    HFONT font = ArialFont(-40, row.escapement);
    HGDIOBJ old = SelectObject(c.dc, font);
    SetBkMode(c.dc, TRANSPARENT);
    ASSERT_TRUE(TextOut(c.dc, 200, 200, "WWWW", 4));
    RECT ink = c.inkBox();
    EXPECT_NEAR(ink.left - 200, row.left, 6);
    EXPECT_NEAR(ink.top - 200, row.top, 6);
    EXPECT_NEAR(ink.right - 200, row.right, 6);
    EXPECT_NEAR(ink.bottom - 200, row.bottom, 6);
    SelectObject(c.dc, old);
    DeleteObject(font);
  }
}

TEST(GdiTextTest, FortyFiveDegreesRunsUpAndRight) {
  Canvas c(400, 400);
  HFONT font = ArialFont(-40, 450);
  HGDIOBJ old = SelectObject(c.dc, font);
  SetBkMode(c.dc, TRANSPARENT);
  TextOut(c.dc, 100, 300, "WWWWWW", 6);
  RECT ink = c.inkBox();
  const double length = 6 * 0.944 * 40;  // along the baseline
  EXPECT_NEAR(ink.right - 100, length * std::cos(M_PI / 4) + 30, 12);
  EXPECT_NEAR(300 - ink.top, length * std::sin(M_PI / 4), 12);
  EXPECT_GT(ink.bottom, 300) << "the cell hangs below the start point";
  SelectObject(c.dc, old);
  DeleteObject(font);
}

TEST(GdiTextTest, OpaqueBackgroundFillsTheCell) {
  Canvas c(100, 40);
  HFONT font = ArialFont(-20);
  HGDIOBJ old = SelectObject(c.dc, font);
  SetBkColor(c.dc, RGB(255, 0, 0));
  SetTextColor(c.dc, RGB(0, 0, 255));
  TextOut(c.dc, 10, 10, "i", 1);
  EXPECT_EQ(c.at(10, 10), RGB(255, 0, 0));
  EXPECT_EQ(c.at(9, 10), RGB(255, 255, 255));
  SelectObject(c.dc, old);
  DeleteObject(font);
}

TEST(GdiTextTest, DrawTextCentresWrapsAndEllipsises) {
  Canvas c(200, 200);
  HFONT font = ArialFont(-20);
  HGDIOBJ old = SelectObject(c.dc, font);
  SetBkMode(c.dc, TRANSPARENT);
  SIZE one{};
  GetTextExtentPoint32(c.dc, "Hello", 5, &one);

  RECT calc{0, 0, 0, 0};
  EXPECT_EQ(DrawText(c.dc, "Hello", -1, &calc, DT_CALCRECT | DT_SINGLELINE), one.cy);
  EXPECT_EQ(calc.right, one.cx);

  RECT wrap{0, 0, 80, 0};
  EXPECT_EQ(DrawText(c.dc, "Hello Hello Hello", -1, &wrap, DT_CALCRECT | DT_WORDBREAK), 3 * one.cy);

  RECT centre{0, 0, 200, 40};
  DrawText(c.dc, "Hello", -1, &centre, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  RECT ink = c.inkBox();
  EXPECT_NEAR((ink.left + ink.right) / 2, 100, 3);

  Canvas e(200, 40);
  SelectObject(e.dc, font);
  SetBkMode(e.dc, TRANSPARENT);
  RECT narrow{0, 0, 60, 40};
  DrawText(e.dc, "Hello wonderful world", -1, &narrow, DT_SINGLELINE | DT_END_ELLIPSIS);
  RECT ink2 = e.inkBox();
  EXPECT_LE(ink2.right, 60);
  EXPECT_GT(ink2.right, 40);
  SelectObject(e.dc, GetStockObject(DEFAULT_GUI_FONT));
  SelectObject(c.dc, old);
  DeleteObject(font);
}

TEST(GdiTextTest, Windows1252TextIsConverted) {
  Canvas c(10, 10);
  HFONT font = ArialFont(-50);
  HGDIOBJ old = SelectObject(c.dc, font);
  SIZE euro{}, e{};
  GetTextExtentPoint32(c.dc, "\x80", 1, &euro);  // the euro sign in 1252
  GetTextExtentPoint32(c.dc, "e", 1, &e);
  EXPECT_NEAR(euro.cx, 28, 2);  // 0.556 em, not a replacement box
  SelectObject(c.dc, old);
  DeleteObject(font);
}
