#include <gtest/gtest.h>

#include "canvas.h"

TEST(GdiObjectsTest, SelectReturnsPreviousAndDeleteRefusesSelected) {
  HDC dc = CreateCompatibleDC(nullptr);
  ASSERT_NE(dc, nullptr);
  HPEN pen = CreatePen(PS_SOLID, 3, RGB(255, 0, 0));
  HGDIOBJ old = SelectObject(dc, pen);
  EXPECT_EQ(old, GetStockObject(BLACK_PEN));
  EXPECT_FALSE(DeleteObject(pen)) << "a selected pen must stay alive";
  EXPECT_EQ(SelectObject(dc, old), pen);
  EXPECT_TRUE(DeleteObject(pen));
  EXPECT_FALSE(DeleteObject(pen)) << "second delete of the same handle";
  EXPECT_TRUE(DeleteObject(GetStockObject(WHITE_BRUSH)));
  EXPECT_NE(GetStockObject(WHITE_BRUSH), nullptr);
  EXPECT_TRUE(DeleteDC(dc));
  EXPECT_FALSE(DeleteDC(dc));
}

TEST(GdiObjectsTest, BadHandlesFailQuietly) {
  int notAHandle = 0;
  EXPECT_EQ(SelectObject(nullptr, GetStockObject(BLACK_PEN)), nullptr);
  EXPECT_FALSE(DeleteObject(&notAHandle));
  EXPECT_EQ(GetDeviceCaps(reinterpret_cast<HDC>(&notAHandle), LOGPIXELSX), 0);
  EXPECT_EQ(GetObjectType(&notAHandle), 0u);
  EXPECT_FALSE(Rectangle(reinterpret_cast<HDC>(&notAHandle), 0, 0, 5, 5));
}

TEST(GdiObjectsTest, BitmapIsSelectedIntoOneDcAtATime) {
  HDC a = CreateCompatibleDC(nullptr);
  HDC b = CreateCompatibleDC(nullptr);
  HBITMAP bitmap = CreateCompatibleBitmap(a, 10, 10);
  ASSERT_NE(bitmap, nullptr);
  HGDIOBJ oldA = SelectObject(a, bitmap);
  EXPECT_NE(oldA, nullptr);
  EXPECT_EQ(SelectObject(b, bitmap), nullptr);
  BITMAP bm{};
  EXPECT_EQ(GetObject(bitmap, sizeof bm, &bm), int(sizeof bm));
  EXPECT_EQ(bm.bmWidth, 10);
  EXPECT_EQ(bm.bmBitsPixel, 32);
  SelectObject(a, oldA);
  EXPECT_NE(SelectObject(b, bitmap), nullptr);
  DeleteDC(b);  // deselects
  EXPECT_TRUE(DeleteObject(bitmap));
  DeleteDC(a);
}

TEST(GdiObjectsTest, ScreenDcReportsNinetySixDpi) {
  HDC dc = CreateCompatibleDC(nullptr);
  EXPECT_EQ(GetDeviceCaps(dc, LOGPIXELSX), 96);
  EXPECT_EQ(GetDeviceCaps(dc, LOGPIXELSY), 96);
  EXPECT_EQ(GetDeviceCaps(dc, BITSPIXEL), 32);
  EXPECT_GT(GetDeviceCaps(dc, HORZRES), 0);
  EXPECT_EQ(GetDeviceCaps(dc, PHYSICALWIDTH), 0);
  DeleteDC(dc);
}

TEST(GdiObjectsTest, DibSectionRejectsBadHeaders) {
  struct Row {
    const char* what;
    LONG width, height;
    WORD bits;
    DWORD compression;
  };
  const Row rows[] = {
      {"zero width", 0, 10, 24, BI_RGB},     {"zero height", 10, 0, 24, BI_RGB},
      {"16-bit", 10, 10, 16, BI_RGB},        {"compressed", 10, 10, 24, 1},
      {"huge", 100000, 100000, 32, BI_RGB},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), row.width, row.height, 1, row.bits, row.compression, 0, 0, 0, 0, 0};
    void* bits = reinterpret_cast<void*>(1);
    EXPECT_EQ(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0), nullptr);
    EXPECT_EQ(bits, nullptr);
  }
}
