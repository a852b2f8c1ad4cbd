// 8-bit palette bitmaps: indexes written through LockBits, palette set, saved and read back.
#include <cstddef>
#include <cstring>

#include "tests/platform/gdiplus/gdiplus_test_support.h"

namespace {

const ARGB kPalette[4] = {0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu, 0xFFFFFFFFu};

std::unique_ptr<Bitmap> IndexedBitmap() {
  auto bitmap = std::make_unique<Bitmap>(5, 3, PixelFormat8bppIndexed);
  BitmapData data{};
  Rect all(0, 0, 5, 3);
  EXPECT_EQ(bitmap->LockBits(&all, ImageLockModeWrite, PixelFormat8bppIndexed, &data), Ok);
  EXPECT_EQ(data.Stride, 8);  // rows padded to four bytes
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x) static_cast<BYTE*>(data.Scan0)[y * data.Stride + x] = BYTE((x + y) % 4);
  EXPECT_EQ(bitmap->UnlockBits(&data), Ok);

  std::vector<unsigned char> buffer(offsetof(ColorPalette, Entries) + sizeof kPalette);
  auto* palette = reinterpret_cast<ColorPalette*>(buffer.data());
  palette->Flags = 0;
  palette->Count = 4;
  std::memcpy(palette->Entries, kPalette, sizeof kPalette);
  EXPECT_EQ(bitmap->SetPalette(palette), Ok);
  return bitmap;
}

TEST(PaletteTest, NewIndexedBitmapHasAFullPalette) {
  Bitmap bitmap(4, 4, PixelFormat8bppIndexed);
  ASSERT_EQ(bitmap.GetLastStatus(), Ok);
  EXPECT_EQ(bitmap.GetPixelFormat(), PixelFormat8bppIndexed);
  INT size = bitmap.GetPaletteSize();
  ASSERT_EQ(size, INT(offsetof(ColorPalette, Entries) + 256 * sizeof(ARGB)));
  std::vector<unsigned char> buffer(static_cast<size_t>(size));
  auto* palette = reinterpret_cast<ColorPalette*>(buffer.data());
  ASSERT_EQ(bitmap.GetPalette(palette, size), Ok);
  EXPECT_EQ(palette->Count, 256u);
  EXPECT_EQ(bitmap.GetPalette(palette, size - 4), InsufficientBuffer);
}

TEST(PaletteTest, IndexesAndPaletteRoundTripThroughGifAndPng) {
  struct Row {
    const char16_t* mime;
    const char* name;
  } rows[] = {{u"image/gif", "indexed.gif"}, {u"image/png", "indexed.png"}};
  TempDir dir;
  auto bitmap = IndexedBitmap();
  Color c;
  ASSERT_EQ(bitmap->GetPixel(2, 1, &c), Ok);
  EXPECT_EQ(c.GetValue(), kPalette[3]);

  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    CLSID clsid = EncoderFor(row.mime);
    std::u16string wide = Wide(dir.file(row.name));
    ASSERT_EQ(bitmap->Save(wide.c_str(), &clsid), Ok);
    Bitmap back(wide.c_str());
    ASSERT_EQ(back.GetLastStatus(), Ok);
    ASSERT_EQ(back.GetWidth(), 5u);
    ASSERT_EQ(back.GetHeight(), 3u);
    for (int y = 0; y < 3; ++y)
      for (int x = 0; x < 5; ++x) {
        ASSERT_EQ(back.GetPixel(x, y, &c), Ok);
        EXPECT_EQ(c.GetValue(), kPalette[(x + y) % 4]) << x << "," << y;
      }
  }
}

TEST(PaletteTest, PngKeepsThePaletteItself) {
  TempDir dir;
  auto bitmap = IndexedBitmap();
  CLSID png = EncoderFor(u"image/png");
  std::u16string wide = Wide(dir.file("palette.png"));
  ASSERT_EQ(bitmap->Save(wide.c_str(), &png), Ok);
  Bitmap back(wide.c_str());
  ASSERT_EQ(back.GetPixelFormat(), PixelFormat8bppIndexed);
  INT size = back.GetPaletteSize();
  std::vector<unsigned char> buffer(static_cast<size_t>(size));
  auto* palette = reinterpret_cast<ColorPalette*>(buffer.data());
  ASSERT_EQ(back.GetPalette(palette, size), Ok);
  ASSERT_GE(palette->Count, 4u);
  const ARGB* entries = palette->Entries;
  for (int i = 0; i < 4; ++i) EXPECT_EQ(entries[i], kPalette[i]) << i;

  BitmapData data{};
  ASSERT_EQ(back.LockBits(nullptr, ImageLockModeRead, PixelFormat8bppIndexed, &data), Ok);
  EXPECT_EQ(static_cast<BYTE*>(data.Scan0)[data.Stride * 2 + 4], (4 + 2) % 4);
  EXPECT_EQ(back.UnlockBits(&data), Ok);
}

TEST(PaletteTest, PaletteCallsRefuseBitmapsWithoutOne) {
  Bitmap rgb(4, 4, PixelFormat24bppRGB);
  ColorPalette palette{0, 1, {0xFF000000u}};
  EXPECT_EQ(rgb.SetPalette(&palette), InvalidParameter);
  EXPECT_EQ(rgb.GetPaletteSize(), INT(sizeof(ColorPalette)));
  ASSERT_EQ(rgb.GetPalette(&palette, sizeof palette), Ok);
  EXPECT_EQ(palette.Count, 0u);
  BitmapData data{};
  EXPECT_EQ(rgb.LockBits(nullptr, ImageLockModeRead, PixelFormat8bppIndexed, &data), InvalidParameter);
  Bitmap indexed(4, 4, PixelFormat8bppIndexed);
  EXPECT_EQ(indexed.SetPixel(0, 0, Color(1, 2, 3)), InvalidParameter);
  ColorPalette tooMany{0, 257, {0}};
  EXPECT_EQ(indexed.SetPalette(&tooMany), InvalidParameter);
}

}  // namespace
