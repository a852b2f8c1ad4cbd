// Graphics: drawing images into destination rectangles on a DC or an image, source-over
// blending, page scale, fills and the GDI DC of an image.
#include <cstring>

#include "platform/gdi/wingdi.h"
#include "tests/platform/gdi/canvas.h"
#include "tests/platform/gdiplus/gdiplus_test_support.h"

namespace {

const ARGB kQuad[4] = {0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu, 0xFF000000u};

std::unique_ptr<Bitmap> Quad() {
  auto source = std::make_unique<Bitmap>(2, 2, PixelFormat24bppRGB);
  for (int i = 0; i < 4; ++i) source->SetPixel(i % 2, i / 2, Color(kQuad[i]));
  return source;
}

COLORREF ToColorref(ARGB argb) { return Color(argb).ToCOLORREF(); }

TEST(GraphicsTest, DrawImageScalesIntoTheDestinationRectangleOfADc) {
  Canvas canvas(8, 8);
  auto source = Quad();
  Graphics graphics(canvas.dc);
  ASSERT_EQ(graphics.GetLastStatus(), Ok);
  ASSERT_EQ(graphics.SetInterpolationMode(InterpolationModeNearestNeighbor), Ok);
  ASSERT_EQ(graphics.DrawImage(source.get(), Rect(2, 3, 4, 4)), Ok);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) {
      bool inside = x >= 2 && x < 6 && y >= 3 && y < 7;
      COLORREF expected = inside ? ToColorref(kQuad[((y - 3) / 2) * 2 + (x - 2) / 2]) : RGB(255, 255, 255);
      EXPECT_EQ(canvas.at(x, y), expected) << x << "," << y;
    }
}

TEST(GraphicsTest, GdiAndGdiplusDrawingMixInCallOrder) {
  Canvas canvas(4, 4);
  auto source = Quad();
  {
    Graphics graphics(canvas.dc);
    ASSERT_EQ(graphics.DrawImage(source.get(), 0, 0), Ok);  // own size: 2x2 at the origin
  }
  RECT r{1, 1, 3, 3};
  HBRUSH brush = CreateSolidBrush(RGB(9, 8, 7));
  FillRect(canvas.dc, &r, brush);
  DeleteObject(brush);
  EXPECT_EQ(canvas.at(0, 0), ToColorref(kQuad[0]));
  EXPECT_EQ(canvas.at(1, 1), RGB(9, 8, 7));
  EXPECT_EQ(canvas.at(3, 3), RGB(255, 255, 255));
}

TEST(GraphicsTest, SourceOverBlendsByAlpha) {
  struct Row {
    ARGB source;
    COLORREF expected;  // over white
  } rows[] = {
      {0xFFFF0000u, RGB(255, 0, 0)},
      {0x00FF0000u, RGB(255, 255, 255)},
      {0x800000FFu, RGB(127, 127, 255)},
      {0x40000000u, RGB(191, 191, 191)},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(::testing::Message() << std::hex << row.source);
    Canvas canvas(2, 2);
    Bitmap source(1, 1, PixelFormat32bppARGB);
    source.SetPixel(0, 0, Color(row.source));
    Graphics graphics(canvas.dc);
    ASSERT_EQ(graphics.DrawImage(&source, Rect(0, 0, 2, 2)), Ok);
    EXPECT_TRUE(Near(canvas.at(1, 1), row.expected, 1));
  }
}

TEST(GraphicsTest, PageScaleShrinksTheDestination) {
  struct Row {
    REAL scale;
    int covered;
  } rows[] = {{1.0f, 8}, {0.5f, 4}, {0.25f, 2}};
  auto source = std::make_unique<Bitmap>(1, 1, PixelFormat24bppRGB);
  source->SetPixel(0, 0, Color(0, 0, 0));
  for (const Row& row : rows) {
    SCOPED_TRACE(row.scale);
    Bitmap target(8, 8, PixelFormat32bppARGB);
    Graphics graphics(&target);
    ASSERT_EQ(graphics.Clear(Color(255, 255, 255)), Ok);
    ASSERT_EQ(graphics.SetPageUnit(UnitPixel), Ok);
    ASSERT_EQ(graphics.SetPageScale(row.scale), Ok);
    EXPECT_EQ(graphics.GetPageScale(), row.scale);
    ASSERT_EQ(graphics.DrawImage(source.get(), Rect(0, 0, 8, 8)), Ok);
    for (int i = 0; i < 8; ++i) {
      Color c;
      target.GetPixel(i, i, &c);
      EXPECT_EQ(c.GetValue(), i < row.covered ? 0xFF000000u : 0xFFFFFFFFu) << i;
    }
  }
}

TEST(GraphicsTest, SourceRectangleInPixelsPicksPartOfTheImage) {
  Bitmap target(4, 4, PixelFormat24bppRGB);
  auto source = Quad();
  Graphics graphics(&target);
  graphics.SetInterpolationMode(InterpolationModeNearestNeighbor);
  ASSERT_EQ(graphics.DrawImage(source.get(), Rect(0, 0, 4, 4), 1, 1, 1, 1, UnitPixel), Ok);
  Color c;
  target.GetPixel(3, 3, &c);
  EXPECT_EQ(c.GetValue(), kQuad[3] | 0xFF000000u);
  target.GetPixel(0, 0, &c);
  EXPECT_EQ(c.GetValue(), kQuad[3] | 0xFF000000u);
  EXPECT_EQ(graphics.DrawImage(source.get(), Rect(0, 0, 4, 4), 0, 0, 1, 1, UnitInch), InvalidParameter);
}

TEST(GraphicsTest, FillRectangleAndClearPaintOpaqueColours) {
  Bitmap target(4, 4, PixelFormat32bppARGB);
  Graphics graphics(&target);
  SolidBrush white(Color(255, 255, 255));
  ASSERT_EQ(graphics.FillRectangle(&white, 1, 1, 2, 2), Ok);
  Color c;
  target.GetPixel(1, 2, &c);
  EXPECT_EQ(c.GetValue(), 0xFFFFFFFFu);
  target.GetPixel(0, 0, &c);
  EXPECT_EQ(c.GetValue(), 0u);  // new bitmaps are transparent black
  ASSERT_EQ(graphics.Clear(Color(0x80, 10, 20, 30)), Ok);
  target.GetPixel(2, 2, &c);
  EXPECT_EQ(c.GetValue(), Color::MakeARGB(0x80, 10, 20, 30));
}

TEST(GraphicsTest, ImageDcTakesGdiDrawingUntilReleased) {
  Bitmap target(3, 2, PixelFormat32bppARGB);
  Graphics graphics(&target);
  HDC dc = graphics.GetHDC();
  ASSERT_NE(dc, nullptr);
  BitmapData data{};
  EXPECT_EQ(target.LockBits(nullptr, ImageLockModeRead, PixelFormat32bppARGB, &data), ObjectBusy);
  SolidBrush brush(Color(1, 2, 3));
  EXPECT_EQ(graphics.FillRectangle(&brush, 0, 0, 1, 1), ObjectBusy);

  Canvas source(3, 2);
  RECT r{0, 0, 3, 2};
  HBRUSH red = CreateSolidBrush(RGB(200, 10, 20));
  FillRect(source.dc, &r, red);
  DeleteObject(red);
  ASSERT_TRUE(BitBlt(dc, 0, 0, 3, 2, source.dc, 0, 0, SRCCOPY));
  graphics.ReleaseHDC(dc);

  Color c;
  ASSERT_EQ(target.GetPixel(2, 1, &c), Ok);
  EXPECT_EQ(c.GetR(), 200);
  EXPECT_EQ(c.GetG(), 10);
  EXPECT_EQ(c.GetB(), 20);
  EXPECT_EQ(target.LockBits(nullptr, ImageLockModeRead, PixelFormat32bppARGB, &data), Ok);
  target.UnlockBits(&data);
}

TEST(GraphicsTest, BadTargetsFailWithoutDrawing) {
  Bitmap indexed(4, 4, PixelFormat8bppIndexed);
  auto source = Quad();
  Graphics onIndexed(&indexed);
  EXPECT_NE(onIndexed.GetLastStatus(), Ok);
  EXPECT_NE(onIndexed.DrawImage(source.get(), 0, 0), Ok);
  EXPECT_EQ(onIndexed.GetHDC(), nullptr);

  std::unique_ptr<Graphics> onNothing(Graphics::FromHDC(nullptr));
  ASSERT_NE(onNothing, nullptr);
  EXPECT_NE(onNothing->GetLastStatus(), Ok);
  EXPECT_NE(onNothing->DrawImage(source.get(), 0, 0), Ok);

  Canvas canvas(2, 2);
  Graphics graphics(canvas.dc);
  EXPECT_EQ(graphics.DrawImage(nullptr, 0, 0), InvalidParameter);
  EXPECT_EQ(graphics.SetPageScale(0), InvalidParameter);
  EXPECT_EQ(graphics.SetPageUnit(UnitWorld), InvalidParameter);
}

}  // namespace
