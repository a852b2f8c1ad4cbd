// Encoders by MIME type; PNG, TIFF and JPEG files written and read back; file errors.
#include "tests/platform/gdiplus/gdiplus_test_support.h"

namespace {

TEST(EncodersTest, LookupByMimeType) {
  struct Row {
    const char16_t* mime;
    bool found;
  } rows[] = {{u"image/gif", true},  {u"image/jpeg", true}, {u"image/png", true},
              {u"image/tiff", true}, {u"image/GIF", false}, {u"image/x-none", false}};
  std::vector<CLSID> seen;
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.mime, row.mime + std::char_traits<char16_t>::length(row.mime)));
    CLSID clsid{};
    int index = FindEncoder(row.mime, &clsid);
    EXPECT_EQ(index >= 0, row.found);
    if (index < 0) continue;
    for (const CLSID& other : seen) EXPECT_FALSE(other == clsid);
    seen.push_back(clsid);
  }
  UINT count = 0, size = 0;
  ASSERT_EQ(GetImageEncodersSize(&count, &size), Ok);
  std::vector<ImageCodecInfo> info(count);
  EXPECT_EQ(GetImageEncoders(count, size - 1, info.data()), InvalidParameter);
}

TEST(EncodersTest, LosslessFormatsRoundTripPixels) {
  struct Row {
    const char16_t* mime;
    const char* name;
    PixelFormat format;
    const GUID* raw;
  } rows[] = {
      {u"image/png", "rgb.png", PixelFormat24bppRGB, &ImageFormatPNG},
      {u"image/png", "argb.png", PixelFormat32bppARGB, &ImageFormatPNG},
      {u"image/tiff", "rgb.tif", PixelFormat24bppRGB, &ImageFormatTIFF},
      {u"image/tiff", "argb.tif", PixelFormat32bppARGB, &ImageFormatTIFF},
  };
  TempDir dir;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    auto bitmap = PatternBitmap(4, 4, row.format);
    if (row.format == PixelFormat32bppARGB) bitmap->SetPixel(3, 0, Color(0x40, 0xFF, 0, 0xFF));
    CLSID clsid = EncoderFor(row.mime);
    std::u16string wide = Wide(dir.file(row.name));
    ASSERT_EQ(bitmap->Save(wide.c_str(), &clsid), Ok);
    Bitmap back(wide.c_str());
    ASSERT_EQ(back.GetLastStatus(), Ok);
    GUID raw{};
    ASSERT_EQ(back.GetRawFormat(&raw), Ok);
    EXPECT_TRUE(raw == *row.raw);
    EXPECT_EQ(IsAlphaPixelFormat(back.GetPixelFormat()), IsAlphaPixelFormat(row.format));
    for (int y = 0; y < 4; ++y)
      for (int x = 0; x < 4; ++x) {
        Color expected, actual;
        bitmap->GetPixel(x, y, &expected);
        ASSERT_EQ(back.GetPixel(x, y, &actual), Ok);
        EXPECT_EQ(actual.GetValue(), expected.GetValue()) << x << "," << y;
      }
  }
}

TEST(EncodersTest, JpegQualityParameterTradesSizeForFidelity) {
  TempDir dir;
  auto bitmap = PatternBitmap(16, 16, PixelFormat24bppRGB);
  CLSID jpeg = EncoderFor(u"image/jpeg");
  std::string low = dir.file("low.jpg"), high = dir.file("high.jpg");
  std::u16string wideLow = Wide(low), wideHigh = Wide(high);
  OneParameter q10(EncoderQuality, 10), q95(EncoderQuality, 95), q101(EncoderQuality, 101);
  ASSERT_EQ(bitmap->Save(wideLow.c_str(), &jpeg, &q10.params), Ok);
  ASSERT_EQ(bitmap->Save(wideHigh.c_str(), &jpeg, &q95.params), Ok);
  EXPECT_LT(ReadBytes(low).size(), ReadBytes(high).size());
  EXPECT_EQ(bitmap->Save(wideHigh.c_str(), &jpeg, &q101.params), InvalidParameter);

  Bitmap back(wideHigh.c_str());
  ASSERT_EQ(back.GetLastStatus(), Ok);
  EXPECT_EQ(back.GetPixelFormat(), PixelFormat24bppRGB);
  Color expected, actual;
  bitmap->GetPixel(8, 8, &expected);
  back.GetPixel(8, 8, &actual);
  EXPECT_TRUE(Near(actual.GetValue(), expected.GetValue(), 24));
}

TEST(EncodersTest, FileErrorsComeBackAsStatus) {
  TempDir dir;
  WriteBytes(dir.file("notes.txt"), {'h', 'e', 'l', 'l', 'o', '\n'});
  struct Row {
    std::string path;
    Status expected;
  } rows[] = {
      {dir.file("missing.png"), FileNotFound},
      {dir.file("no-folder/x.png"), FileNotFound},
      {dir.file("notes.txt"), UnknownImageFormat},
      {dir.file(""), Win32Error},  // the folder itself
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.path);
    std::u16string wide = Wide(row.path);
    Image image(wide.c_str());
    EXPECT_EQ(image.GetLastStatus(), row.expected);
    EXPECT_EQ(image.GetWidth(), 0u);
  }

  auto bitmap = PatternBitmap(2, 2, PixelFormat24bppRGB);
  CLSID png = EncoderFor(u"image/png");
  std::u16string nowhere = Wide(dir.file("no-folder/out.png"));
  EXPECT_EQ(bitmap->Save(nowhere.c_str(), &png), Win32Error);
  CLSID unknown{1, 2, 3, {4, 5, 6, 7, 8, 9, 10, 11}};
  std::u16string here = Wide(dir.file("out.png"));
  EXPECT_EQ(bitmap->Save(here.c_str(), &unknown), InvalidParameter);
}

TEST(EncodersTest, StartupIsANoOpThatHandsOutAToken) {
  GdiplusStartupInput input;
  ULONG_PTR token = 0;
  ASSERT_EQ(GdiplusStartup(&token, &input, nullptr), Ok);
  EXPECT_NE(token, 0u);
  GdiplusShutdown(token);
  input.GdiplusVersion = 2;
  EXPECT_EQ(GdiplusStartup(&token, &input, nullptr), UnsupportedGdiplusVersion);
}

}  // namespace
