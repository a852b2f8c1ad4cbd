#include <gtest/gtest.h>

#include <vector>

#include "platform/gdi/wingdi.h"

namespace {

BITMAPINFO Header(int width, int height, int bits) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = static_cast<WORD>(bits);
  info.bmiHeader.biCompression = BI_RGB;
  return info;
}

}  // namespace

TEST(GetDIBitsTest, ReadsADrawnBitmapBackAsBlueGreenRedRowsInEitherOrder) {
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bitmap = CreateCompatibleBitmap(dc, 5, 3);
  HGDIOBJ old = SelectObject(dc, bitmap);
  RECT all{0, 0, 5, 3};
  HBRUSH white = CreateSolidBrush(RGB(255, 255, 255));
  FillRect(dc, &all, white);
  SetPixel(dc, 0, 0, RGB(10, 20, 30));
  SetPixel(dc, 4, 2, RGB(200, 100, 50));
  SelectObject(dc, old);

  // 5 pixels of 3 bytes pad each row to 16 bytes.
  std::vector<BYTE> topDown(16 * 3, 0xEE);
  BITMAPINFO info = Header(5, -3, 24);
  ASSERT_EQ(3, GetDIBits(dc, bitmap, 0, 3, topDown.data(), &info, DIB_RGB_COLORS));
  EXPECT_EQ((std::vector<BYTE>{30, 20, 10}), std::vector<BYTE>(topDown.begin(), topDown.begin() + 3));
  EXPECT_EQ((std::vector<BYTE>{50, 100, 200}), std::vector<BYTE>(topDown.begin() + 32 + 12, topDown.begin() + 32 + 15));
  EXPECT_EQ(255, topDown[16]);

  std::vector<BYTE> bottomUp(16 * 3, 0);
  info = Header(5, 3, 24);
  ASSERT_EQ(3, GetDIBits(dc, bitmap, 0, 3, bottomUp.data(), &info, DIB_RGB_COLORS));
  EXPECT_EQ(30, bottomUp[32]) << "the top row comes last";

  // A header of another size or depth is refused and nothing is written.
  std::vector<BYTE> untouched(64, 0xEE);
  info = Header(4, -3, 24);
  EXPECT_EQ(0, GetDIBits(dc, bitmap, 0, 3, untouched.data(), &info, DIB_RGB_COLORS));
  info = Header(5, -3, 16);
  EXPECT_EQ(0, GetDIBits(dc, bitmap, 0, 3, untouched.data(), &info, DIB_RGB_COLORS));
  EXPECT_EQ(std::vector<BYTE>(64, 0xEE), untouched);

  DeleteObject(white);
  DeleteObject(bitmap);
  DeleteDC(dc);
}
