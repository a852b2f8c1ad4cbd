#include <gtest/gtest.h>

#include "canvas.h"

namespace {
const COLORREF kWhite = RGB(255, 255, 255);
const COLORREF kBlack = RGB(0, 0, 0);
}  // namespace

TEST(GdiShapesTest, RectangleOutlinesToRightMinusOneAndFillsInside) {
  Canvas c(20, 20);
  HBRUSH brush = CreateSolidBrush(RGB(0, 0, 255));
  HGDIOBJ old = SelectObject(c.dc, brush);
  ASSERT_TRUE(Rectangle(c.dc, 2, 3, 10, 12));
  EXPECT_EQ(c.at(2, 3), kBlack);
  EXPECT_EQ(c.at(9, 11), kBlack);
  EXPECT_EQ(c.at(9, 5), kBlack);
  EXPECT_EQ(c.at(10, 5), kWhite);
  EXPECT_EQ(c.at(5, 12), kWhite);
  EXPECT_EQ(c.at(5, 6), RGB(0, 0, 255));
  SelectObject(c.dc, old);
  DeleteObject(brush);
}

TEST(GdiShapesTest, NullPenRectangleIsOnePixelSmaller) {
  Canvas c(20, 20);
  SelectObject(c.dc, GetStockObject(NULL_PEN));
  SelectObject(c.dc, GetStockObject(BLACK_BRUSH));
  Rectangle(c.dc, 2, 2, 10, 10);
  EXPECT_EQ(c.at(2, 2), kBlack);
  EXPECT_EQ(c.at(8, 8), kBlack);
  EXPECT_EQ(c.at(9, 9), kWhite);
  SelectObject(c.dc, GetStockObject(BLACK_PEN));
  SelectObject(c.dc, GetStockObject(WHITE_BRUSH));
}

TEST(GdiShapesTest, LineToStopsShortOfEndPoint) {
  Canvas c(20, 20);
  MoveToEx(c.dc, 2, 5, nullptr);
  LineTo(c.dc, 12, 5);
  EXPECT_EQ(c.at(2, 5), kBlack);
  EXPECT_EQ(c.at(11, 5), kBlack);
  EXPECT_EQ(c.at(12, 5), kWhite);
  EXPECT_EQ(c.at(5, 4), kWhite);
  EXPECT_EQ(c.at(5, 6), kWhite);
}

TEST(GdiShapesTest, GeometricPenHasItsWidthAndDashedPenHasGaps) {
  Canvas c(60, 40);
  LOGBRUSH lb{BS_SOLID, RGB(255, 0, 0), 0};
  HPEN wide = ExtCreatePen(PS_GEOMETRIC | PS_SOLID | PS_ENDCAP_FLAT, 5, &lb, 0, nullptr);
  ASSERT_NE(wide, nullptr);
  HGDIOBJ old = SelectObject(c.dc, wide);
  MoveToEx(c.dc, 5, 10, nullptr);
  LineTo(c.dc, 55, 10);
  int thick = 0;
  for (int y = 0; y < 20; ++y) thick += c.at(30, y) == RGB(255, 0, 0);
  EXPECT_EQ(thick, 5);
  EXPECT_EQ(c.at(3, 10), kWhite) << "flat caps do not extend past the ends";

  HPEN dashed = CreatePen(PS_DASH, 1, kBlack);
  SelectObject(c.dc, dashed);
  MoveToEx(c.dc, 0, 30, nullptr);
  LineTo(c.dc, 60, 30);
  int on = 0;
  for (int x = 0; x < 59; ++x) on += c.at(x, 30) == kBlack;
  EXPECT_GT(on, 20);
  EXPECT_LT(on, 55);
  SelectObject(c.dc, old);
  DeleteObject(wide);
  DeleteObject(dashed);
}

TEST(GdiShapesTest, NotRop2InvertsAndTwiceRestores) {
  Canvas c(20, 20);
  SetROP2(c.dc, R2_NOT);
  SelectObject(c.dc, GetStockObject(NULL_BRUSH));
  Rectangle(c.dc, 2, 2, 12, 12);
  EXPECT_EQ(c.at(2, 2), kBlack);
  EXPECT_EQ(c.at(6, 6), kWhite) << "null brush leaves the inside";
  Rectangle(c.dc, 2, 2, 12, 12);
  EXPECT_EQ(c.at(2, 2), kWhite);
  EXPECT_EQ(SetROP2(c.dc, R2_COPYPEN), R2_NOT);
  SelectObject(c.dc, GetStockObject(WHITE_BRUSH));
}

TEST(GdiShapesTest, FillFrameEllipseAndRoundRect) {
  Canvas c(40, 40);
  HBRUSH green = CreateSolidBrush(RGB(0, 200, 0));
  RECT r{5, 5, 15, 15};
  EXPECT_TRUE(FillRect(c.dc, &r, green));
  EXPECT_EQ(c.at(5, 5), RGB(0, 200, 0));
  EXPECT_EQ(c.at(14, 14), RGB(0, 200, 0));
  EXPECT_EQ(c.at(15, 15), kWhite);
  RECT f{20, 5, 30, 15};
  EXPECT_TRUE(FrameRect(c.dc, &f, green));
  EXPECT_EQ(c.at(20, 10), RGB(0, 200, 0));
  EXPECT_EQ(c.at(29, 10), RGB(0, 200, 0));
  EXPECT_EQ(c.at(25, 10), kWhite);

  SelectObject(c.dc, GetStockObject(BLACK_BRUSH));
  Ellipse(c.dc, 5, 20, 25, 40);
  EXPECT_TRUE(c.dark(15, 30));
  EXPECT_FALSE(c.dark(5, 20)) << "ellipse leaves the corners";
  RoundRect(c.dc, 26, 20, 40, 34, 8, 8);
  EXPECT_TRUE(c.dark(33, 27));
  EXPECT_FALSE(c.dark(26, 20));
  SelectObject(c.dc, GetStockObject(WHITE_BRUSH));
  DeleteObject(green);
}

TEST(GdiShapesTest, ExcludedClipRectIsNotPainted) {
  Canvas c(20, 20);
  EXPECT_EQ(ExcludeClipRect(c.dc, 5, 5, 10, 10), COMPLEXREGION);
  RECT all{0, 0, 20, 20};
  FillRect(c.dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  EXPECT_EQ(c.at(4, 4), kBlack);
  EXPECT_EQ(c.at(7, 7), kWhite);
  EXPECT_EQ(c.at(10, 10), kBlack);
  SelectClipRgn(c.dc, nullptr);
  FillRect(c.dc, &all, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
  EXPECT_EQ(c.at(7, 7), RGB(128, 128, 128));
}

TEST(GdiShapesTest, PixelsAndRegions) {
  Canvas c(10, 10);
  EXPECT_EQ(SetPixel(c.dc, 3, 4, RGB(10, 20, 30)), RGB(10, 20, 30));
  EXPECT_EQ(GetPixel(c.dc, 3, 4), RGB(10, 20, 30));
  EXPECT_EQ(GetPixel(c.dc, 10, 0), CLR_INVALID);
  HRGN a = CreateRectRgn(0, 0, 10, 10);
  HRGN b = CreateRectRgn(5, 5, 20, 20);
  EXPECT_EQ(CombineRgn(a, a, b, RGN_AND), SIMPLEREGION);
  RECT box;
  GetRgnBox(a, &box);
  EXPECT_EQ(box.left, 5);
  EXPECT_EQ(box.right, 10);
  EXPECT_TRUE(PtInRegion(a, 7, 7));
  EXPECT_FALSE(PtInRegion(a, 2, 2));
  DeleteObject(a);
  DeleteObject(b);
}

TEST(GdiShapesTest, BottomUpDibSectionKeepsRowsInMemoryOrder) {
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), 5, 4, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
  void* p = nullptr;
  HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &p, nullptr, 0);
  ASSERT_NE(bitmap, nullptr);
  auto* bits = static_cast<unsigned char*>(p);
  std::memset(bits, 0xFF, 16 * 4);  // stride 16: 15 bytes of pixels, one of padding
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, bitmap);
  SetPixel(dc, 1, 0, RGB(200, 100, 50));  // the top row is the last one in memory
  EXPECT_EQ(bits[3 * 16 + 3], 50);
  EXPECT_EQ(bits[3 * 16 + 4], 100);
  EXPECT_EQ(bits[3 * 16 + 5], 200);
  EXPECT_EQ(GetPixel(dc, 1, 0), RGB(200, 100, 50));
  bits[0] = 1;  // bottom-left pixel, written by hand
  bits[1] = 2;
  bits[2] = 3;
  EXPECT_EQ(GetPixel(dc, 0, 3), RGB(3, 2, 1));
  SelectObject(dc, old);
  DeleteDC(dc);
  DeleteObject(bitmap);
}
