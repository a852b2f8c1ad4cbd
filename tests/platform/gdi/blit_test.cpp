#include <gtest/gtest.h>

#include <QImage>
#include <vector>

#include "canvas.h"
#include "platform/gdi/dc_p.h"

namespace {

// A 3x2 24-bit DIB (odd width: 9 bytes of pixels, 3 of padding per row) with distinct pixels.
struct OddDib {
  BITMAPINFO info{};
  std::vector<unsigned char> bits = std::vector<unsigned char>(24, 0xEE);
  COLORREF colour(int x, int row) const { return RGB(10 + x * 60, 20 + row * 100, 200); }
  explicit OddDib(bool bottomUp) {
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), 3, bottomUp ? 2 : -2, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    // Memory row r holds visual row (bottomUp ? 1 - r : r).
    for (int r = 0; r < 2; ++r)
      for (int x = 0; x < 3; ++x) {
        const int visual = bottomUp ? 1 - r : r;
        COLORREF c = colour(x, visual);
        bits[r * 12 + x * 3 + 0] = GetBValue(c);
        bits[r * 12 + x * 3 + 1] = GetGValue(c);
        bits[r * 12 + x * 3 + 2] = GetRValue(c);
      }
  }
};

}  // namespace

TEST(GdiBlitTest, OddWidthDibRoundTripsWithoutSkew) {
  struct Row {
    const char* what;
    bool bottomUp;
    int width, height;  // destination size; negative mirrors
  };
  const Row rows[] = {
      {"top-down", false, 3, 2},
      {"bottom-up", true, 3, 2},
      {"bottom-up mirrored horizontally", true, -3, 2},
      {"top-down mirrored vertically", false, 3, -2},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    OddDib dib(row.bottomUp);
    Canvas c(10, 10);
    const int x = row.width < 0 ? 5 + 2 : 5, y = row.height < 0 ? 5 + 1 : 5;
    EXPECT_EQ(StretchDIBits(c.dc, x, y, row.width, row.height, 0, 0, 3, 2, dib.bits.data(), &dib.info,
                            DIB_RGB_COLORS, SRCCOPY),
              2);
    for (int vy = 0; vy < 2; ++vy)
      for (int vx = 0; vx < 3; ++vx) {
        const int dx = row.width < 0 ? 2 - vx : vx, dy = row.height < 0 ? 1 - vy : vy;
        EXPECT_EQ(c.at(5 + dx, 5 + dy), dib.colour(vx, vy)) << vx << "," << vy;
      }
    EXPECT_EQ(c.at(8, 5), RGB(255, 255, 255));
  }
}

TEST(GdiBlitTest, StretchDibitsScalesAndRejectsBadHeaders) {
  OddDib dib(true);
  Canvas c(12, 8);
  EXPECT_EQ(StretchDIBits(c.dc, 0, 0, 12, 8, 0, 0, 3, 2, dib.bits.data(), &dib.info, DIB_RGB_COLORS, SRCCOPY), 2);
  EXPECT_EQ(c.at(0, 0), dib.colour(0, 0));
  EXPECT_EQ(c.at(11, 7), dib.colour(2, 1));
  BITMAPINFO bad = dib.info;
  bad.bmiHeader.biBitCount = 16;
  EXPECT_EQ(StretchDIBits(c.dc, 0, 0, 3, 2, 0, 0, 3, 2, dib.bits.data(), &bad, DIB_RGB_COLORS, SRCCOPY), 0);
  bad = dib.info;
  bad.bmiHeader.biSizeImage = 10;  // says the rows do not fit
  EXPECT_EQ(StretchDIBits(c.dc, 0, 0, 3, 2, 0, 0, 3, 2, dib.bits.data(), &bad, DIB_RGB_COLORS, SRCCOPY), 0);
  EXPECT_EQ(StretchDIBits(c.dc, 0, 0, 3, 2, 0, 0, 3, 2, nullptr, &dib.info, DIB_RGB_COLORS, SRCCOPY), 0);
}

TEST(GdiBlitTest, BitBltCopiesBetweenMemoryDcs) {
  Canvas a(10, 10), b(10, 10);
  SetPixel(a.dc, 1, 2, RGB(1, 2, 3));
  SetPixel(a.dc, 2, 2, RGB(4, 5, 6));
  EXPECT_TRUE(BitBlt(b.dc, 5, 5, 3, 3, a.dc, 0, 1, SRCCOPY));
  EXPECT_EQ(b.at(6, 6), RGB(1, 2, 3));
  EXPECT_EQ(b.at(7, 6), RGB(4, 5, 6));
  // A negative width starts at the given column and runs left: columns 3, 2, 1.
  EXPECT_TRUE(StretchBlt(b.dc, 3, 0, -3, 3, a.dc, 0, 1, 3, 3, SRCCOPY));
  EXPECT_EQ(b.at(2, 1), RGB(1, 2, 3));
  EXPECT_EQ(b.at(1, 1), RGB(4, 5, 6));
  EXPECT_TRUE(BitBlt(b.dc, 0, 0, 10, 10, nullptr, 0, 0, WHITENESS));
  EXPECT_EQ(b.at(6, 6), RGB(255, 255, 255));
  EXPECT_FALSE(BitBlt(b.dc, 0, 0, 10, 10, nullptr, 0, 0, SRCCOPY));
}

TEST(GdiBlitTest, PixelRowsDcDrawsIntoBgrRowsAndLeavesPadding) {
  // 3 pixels of 3 bytes plus 3 bytes of padding per row.
  std::vector<unsigned char> rows(12 * 2, 0x77);
  HDC dc = gdi_p::CreatePixelRowsDC(rows.data(), 3, 2, 12, 24);
  ASSERT_NE(dc, nullptr);
  HBRUSH brush = CreateSolidBrush(RGB(255, 128, 0));
  RECT r{1, 1, 3, 2};
  FillRect(dc, &r, brush);
  gdi_p::DestroyDC(dc);
  EXPECT_EQ(rows[12 + 3], 0);    // B
  EXPECT_EQ(rows[12 + 4], 128);  // G
  EXPECT_EQ(rows[12 + 5], 255);  // R
  EXPECT_EQ(rows[12 + 0], 0x77);
  EXPECT_EQ(rows[9], 0x77);
  EXPECT_EQ(rows[12 + 9], 0x77) << "padding untouched";
  DeleteObject(brush);
  EXPECT_EQ(gdi_p::CreatePixelRowsDC(rows.data(), 5, 2, 12, 24), nullptr) << "stride too small";
}

TEST(GdiBlitTest, PaintDeviceDcDrawsOnTheImage) {
  QImage image(8, 8, QImage::Format_RGB32);
  image.fill(Qt::white);
  HDC dc = gdi_p::CreatePaintDeviceDC(&image);
  ASSERT_NE(dc, nullptr);
  SelectObject(dc, GetStockObject(BLACK_BRUSH));
  Rectangle(dc, 0, 0, 4, 4);
  EXPECT_EQ(GetPixel(dc, 1, 1), RGB(0, 0, 0));
  gdi_p::DestroyDC(dc);
  EXPECT_EQ(image.pixel(1, 1), qRgb(0, 0, 0));
  EXPECT_EQ(image.pixel(5, 5), qRgb(255, 255, 255));
}

TEST(GdiBlitTest, WholeNumberEnlargementsRepeatEachPixel) {
  // Whole-number factors, a clipped surface and a span running off the surface all show each
  // source pixel as a block of the factor's size.
  struct Row {
    const char* what;
    int x, y, width, height;
    bool clip;
  } rows[] = {
      {"2x", 1, 2, 6, 4, false},         {"3x by 2x", 0, 0, 9, 4, false}, {"4x", 2, 1, 12, 8, false},
      {"2x clipped", 1, 1, 6, 4, true},  {"2x off the edge", 12, 8, 6, 4, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    OddDib dib(false);
    Canvas c(16, 12);
    if (row.clip) {
      HRGN clip = CreateRectRgn(0, 0, 4, 12);
      SelectClipRgn(c.dc, clip);
      DeleteObject(clip);
    }
    EXPECT_EQ(StretchDIBits(c.dc, row.x, row.y, row.width, row.height, 0, 0, 3, 2, dib.bits.data(), &dib.info,
                            DIB_RGB_COLORS, SRCCOPY),
              2);
    for (int py = 0; py < c.height; ++py)
      for (int px = 0; px < c.width; ++px) {
        const int dx = px - row.x, dy = py - row.y;
        const bool inside = dx >= 0 && dy >= 0 && dx < row.width && dy < row.height && (!row.clip || px < 4);
        const COLORREF expected = inside ? dib.colour(dx * 3 / row.width, dy * 2 / row.height) : RGB(255, 255, 255);
        ASSERT_EQ(c.at(px, py), expected) << px << "," << py;
      }
  }
}
