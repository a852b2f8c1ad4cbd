// LockBits/UnlockBits: strides, direct and converted pixel access, one lock at a time.
#include "tests/platform/gdiplus/gdiplus_test_support.h"

namespace {

constexpr int kWidth = 5, kHeight = 3;  // an odd width shows row padding

BYTE Channel(int x, int y, int c) { return BYTE(x * 40 + y * 70 + c * 20 + 5); }

TEST(LockBitsTest, WrittenPixelsRoundTripWithPaddedStride) {
  struct Row {
    PixelFormat format;
    int bytesPerPixel;
    INT stride;
  } rows[] = {{PixelFormat24bppRGB, 3, 16}, {PixelFormat32bppARGB, 4, 20}, {PixelFormat32bppRGB, 4, 20}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.format);
    Bitmap bitmap(kWidth, kHeight, row.format);
    BitmapData data{};
    ASSERT_EQ(bitmap.LockBits(nullptr, ImageLockModeWrite, row.format, &data), Ok);
    EXPECT_EQ(data.Width, UINT(kWidth));
    EXPECT_EQ(data.Height, UINT(kHeight));
    EXPECT_EQ(data.Stride, row.stride);
    EXPECT_EQ(data.PixelFormat, row.format);
    for (int y = 0; y < kHeight; ++y)
      for (int x = 0; x < kWidth; ++x)
        for (int c = 0; c < row.bytesPerPixel; ++c)
          static_cast<BYTE*>(data.Scan0)[y * data.Stride + x * row.bytesPerPixel + c] = Channel(x, y, c);
    ASSERT_EQ(bitmap.UnlockBits(&data), Ok);

    // Bytes are blue, green, red (, alpha): GetPixel sees them as colours.
    for (int y = 0; y < kHeight; ++y)
      for (int x = 0; x < kWidth; ++x) {
        Color c;
        ASSERT_EQ(bitmap.GetPixel(x, y, &c), Ok);
        BYTE alpha = row.format == PixelFormat32bppARGB ? Channel(x, y, 3) : 255;
        EXPECT_EQ(c.GetValue(), Color::MakeARGB(alpha, Channel(x, y, 2), Channel(x, y, 1), Channel(x, y, 0)));
      }

    ASSERT_EQ(bitmap.LockBits(nullptr, ImageLockModeRead, row.format, &data), Ok);
    EXPECT_EQ(static_cast<BYTE*>(data.Scan0)[2 * data.Stride + 4 * row.bytesPerPixel + 1], Channel(4, 2, 1));
    ASSERT_EQ(bitmap.UnlockBits(&data), Ok);
  }
}

TEST(LockBitsTest, ConvertedLockWritesBackOnlyItsRectangle) {
  Bitmap bitmap(kWidth, kHeight, PixelFormat24bppRGB);
  Rect part(1, 1, 3, 2);
  BitmapData data{};
  ASSERT_EQ(bitmap.LockBits(&part, ImageLockModeRead | ImageLockModeWrite, PixelFormat32bppARGB, &data), Ok);
  EXPECT_EQ(data.Stride, 12);
  auto* pixels = static_cast<ARGB*>(data.Scan0);
  EXPECT_EQ(pixels[0], 0xFF000000u);  // read mode delivers the current (black) pixels
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) pixels[y * 3 + x] = Color::MakeARGB(255, BYTE(100 + x), BYTE(50 + y), 7);
  ASSERT_EQ(bitmap.UnlockBits(&data), Ok);

  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) {
      Color c;
      bitmap.GetPixel(x, y, &c);
      bool inside = x >= 1 && x < 4 && y >= 1 && y < 3;
      ARGB expected = inside ? Color::MakeARGB(255, BYTE(100 + x - 1), BYTE(50 + y - 1), 7) : 0xFF000000u;
      EXPECT_EQ(c.GetValue(), expected) << x << "," << y;
    }
}

TEST(LockBitsTest, ReadOnlyConvertedLockLeavesPixelsAlone) {
  auto bitmap = PatternBitmap(kWidth, kHeight, PixelFormat32bppARGB);
  BitmapData data{};
  ASSERT_EQ(bitmap->LockBits(nullptr, ImageLockModeRead, PixelFormat24bppRGB, &data), Ok);
  EXPECT_EQ(data.Stride, 16);
  BYTE* p = static_cast<BYTE*>(data.Scan0) + data.Stride + 2 * 3;
  EXPECT_EQ(p[0], BYTE(PatternColor(2, 1)));       // blue
  EXPECT_EQ(p[2], BYTE(PatternColor(2, 1) >> 16)); // red
  p[0] ^= 0xFF;
  ASSERT_EQ(bitmap->UnlockBits(&data), Ok);
  Color c;
  bitmap->GetPixel(2, 1, &c);
  EXPECT_EQ(c.GetValue(), PatternColor(2, 1));
}

TEST(LockBitsTest, BadRequestsAreRefused) {
  Bitmap bitmap(kWidth, kHeight, PixelFormat24bppRGB);
  BitmapData data{}, other{};
  struct Row {
    Rect rect;
    UINT flags;
    PixelFormat format;
  } rows[] = {
      {Rect(-1, 0, 2, 2), ImageLockModeRead, PixelFormat24bppRGB},
      {Rect(0, 0, kWidth + 1, 1), ImageLockModeRead, PixelFormat24bppRGB},
      {Rect(4, 2, 2, 1), ImageLockModeRead, PixelFormat24bppRGB},
      {Rect(0, 0, 0, 1), ImageLockModeRead, PixelFormat24bppRGB},
      {Rect(0, 0, 1, 1), 0, PixelFormat24bppRGB},
      {Rect(0, 0, 1, 1), ImageLockModeRead, PixelFormatUndefined},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(::testing::Message() << row.rect.X << "," << row.rect.Y << " " << row.rect.Width << "x"
                                      << row.rect.Height << " flags " << row.flags);
    EXPECT_EQ(bitmap.LockBits(&row.rect, row.flags, row.format, &data), InvalidParameter);
  }
  ASSERT_EQ(bitmap.LockBits(nullptr, ImageLockModeRead, PixelFormat24bppRGB, &data), Ok);
  EXPECT_EQ(bitmap.LockBits(nullptr, ImageLockModeRead, PixelFormat24bppRGB, &other), WrongState);
  EXPECT_EQ(bitmap.UnlockBits(&other), WrongState);
  EXPECT_EQ(bitmap.SetPixel(0, 0, Color(1, 2, 3)), ObjectBusy);
  EXPECT_EQ(bitmap.UnlockBits(&data), Ok);
  EXPECT_EQ(bitmap.UnlockBits(&data), WrongState);
}

}  // namespace
