// Codec round trips, the other readable formats and what saved files carry.
#include <cstring>

#include "polyimage_test_util.h"

using namespace pip_test;

namespace {

// Finds the payload of the first APP1 "Exif" segment of a JPEG, or empty.
std::vector<BYTE> ExifPayload(const std::vector<BYTE>& jpeg) {
  size_t pos = 2;
  while (pos + 4 <= jpeg.size() && jpeg[pos] == 0xFF) {
    size_t length = size_t(jpeg[pos + 2]) << 8 | jpeg[pos + 3];
    if (jpeg[pos + 1] == 0xDA) break;
    if (jpeg[pos + 1] == 0xE1 && std::memcmp(&jpeg[pos + 4], "Exif\0\0", 6) == 0)
      return std::vector<BYTE>(jpeg.begin() + long(pos) + 4, jpeg.begin() + long(pos + 2 + length));
    pos += 2 + length;
  }
  return {};
}

bool Contains(const std::vector<BYTE>& bytes, const std::string& text) {
  return std::search(bytes.begin(), bytes.end(), text.begin(), text.end()) != bytes.end();
}

}  // namespace

TEST(PolyImageCodecTest, JpegRoundTripStaysClose) {
  TempDir dir;
  Session s, back;
  MakeImage(s, 64, 48, Gradient);
  ASSERT_TRUE(cSetJPEGParams(s, 95, 1.0, 1, 0));
  std::string path = dir.File("round trip é.jpg");  // a 1252 name: é is one byte
  std::string ansi = dir.File("round trip \xE9.jpg");
  ASSERT_TRUE(cSave(s, ansi.c_str(), PIP_FORMAT_JPEG, 0, 0, 0));
  EXPECT_TRUE(std::filesystem::exists(path)) << "the 1252 name reaches the disk as UTF-8";
  ASSERT_TRUE(cLoadImage(back, ansi.c_str(), 0, 0, 0));
  ASSERT_EQ(Size(back), std::make_pair(64, 48));
  EXPECT_LE(MaxDifference(s, back), 24);
  DWORD format = 0;
  cGetImageInfo(back, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &format, nullptr, nullptr);
  EXPECT_EQ(format, DWORD(PIP_FORMAT_JPEG));
}

TEST(PolyImageCodecTest, JpegQualityChangesTheFileSize) {
  Session s;
  MakeImage(s, 96, 96, [](int x, int y) { return Pixel{(x * 37 + y * 11) & 255, (x * y) & 255, (x ^ y) * 4 & 255}; });
  cSetJPEGParams(s, 30, 1.0, 1, 0);
  size_t low = EncodeJpeg(s).size();
  cSetJPEGParams(s, 95, 1.0, 1, 0);
  size_t high = EncodeJpeg(s).size();
  EXPECT_LT(low, high);
}

TEST(PolyImageCodecTest, PngRoundTripIsExactWithAlpha) {
  TempDir dir;
  Session s, back;
  MakeImage(s, 5, 3, Gradient);
  std::vector<BYTE> mask(15);
  for (size_t i = 0; i < mask.size(); ++i) mask[i] = BYTE(i * 17);
  ASSERT_TRUE(cLoadAlphaMask(s, mask.data()));
  std::string path = dir.File("a.png");
  ASSERT_TRUE(cSave(s, path.c_str(), PIP_FORMAT_PNG, 0, 0, 0));
  ASSERT_TRUE(cLoadImage(back, path.c_str(), 0, 0, 0));
  EXPECT_EQ(MaxDifference(s, back), 0);
  PolyArray alpha;
  ASSERT_TRUE(cGetAlphaMask(back, &alpha));
  EXPECT_EQ(std::vector<BYTE>(alpha.Data(), alpha.Data() + alpha.Size()), mask);
}

TEST(PolyImageCodecTest, GreyImagesStayGreyThroughBothCodecs) {
  for (int format : {PIP_FORMAT_JPEG, PIP_FORMAT_PNG}) {
    SCOPED_TRACE(format);
    Session s, back;
    MakeImage(s, 16, 16, [](int x, int) { return Pixel{x * 16, x * 16, x * 16}; });
    ASSERT_TRUE(cOpGrayScale(s));
    PolyArray bytes;
    ASSERT_TRUE(cSaveToMemory(s, format, &bytes, 0, 0));
    ASSERT_TRUE(cLoadData(back, bytes.Data(), DWORD(bytes.Size()), 0, 0, 0));
    BYTE bits = 0;
    cGetImageInfo(back, nullptr, nullptr, &bits, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
    EXPECT_EQ(bits, 8);
    EXPECT_LE(MaxDifference(s, back), 4);
  }
}

TEST(PolyImageCodecTest, SavedJpegCarriesExifDatesAndResolution) {
  Session s;
  MakeImage(s, 8, 8, Gradient);
  HEXIF exif = cNewEXIF();
  ASSERT_NE(exif, nullptr);
  ASSERT_TRUE(cEXIF_PutDateTime(exif, "2024:05:06 07:08:09"));
  ASSERT_TRUE(cEXIF_PutDateTimeOriginal(exif, "2024:05:06 07:08:10"));
  ASSERT_TRUE(cEXIF_PutDateTimeDigitized(exif, "2024:05:06 07:08:11"));
  ASSERT_TRUE(cPutImageEXIF_Info(s, exif));
  cDestroyEXIF(exif);
  cSetPhysicalPixelsPerInch(s, 300, 300);
  std::vector<BYTE> jpeg = EncodeJpeg(s);
  std::vector<BYTE> app1 = ExifPayload(jpeg);
  ASSERT_FALSE(app1.empty());
  EXPECT_TRUE(Contains(app1, "2024:05:06 07:08:09"));
  EXPECT_TRUE(Contains(app1, "2024:05:06 07:08:10"));
  EXPECT_TRUE(Contains(app1, "2024:05:06 07:08:11"));
  // JFIF density: units 1 (dpi), 300 x 300.
  ASSERT_GE(jpeg.size(), 18u);
  EXPECT_EQ(jpeg[13], 1);
  EXPECT_EQ(jpeg[14] << 8 | jpeg[15], 300);
  Session back;
  ASSERT_TRUE(cLoadData(back, jpeg.data(), DWORD(jpeg.size()), 0, 0, 0));
  DWORD xDpi = 0, yDpi = 0;
  cGetImageInfo(back, nullptr, nullptr, nullptr, &xDpi, &yDpi, nullptr, nullptr, nullptr, nullptr);
  EXPECT_EQ(xDpi, 300u) << "the resolution comes back on load";
  EXPECT_EQ(yDpi, 300u);
}

TEST(PolyImageCodecTest, SessionResolutionOutlivesALoad) {
  // The layout code sets the resolution, then loads or builds the page, then saves.
  Session s;
  cSetPhysicalPixelsPerInch(s, 600, 600);
  MakeImage(s, 8, 8, Gradient);
  std::vector<BYTE> jpeg = EncodeJpeg(s);
  EXPECT_EQ(jpeg[14] << 8 | jpeg[15], 600);
}

TEST(PolyImageCodecTest, SavedJpegHasExifEvenWithoutDates) {
  Session s;
  ASSERT_TRUE(cNewImage(s, 4, 4, RGB(9, 9, 9)));
  EXPECT_FALSE(ExifPayload(EncodeJpeg(s)).empty());
}

TEST(PolyImageCodecTest, PngRecordsPhysicalResolution) {
  Session s;
  ASSERT_TRUE(cNewImage(s, 4, 4, 0));
  cSetPhysicalPixelsPerInch(s, 254, 254);
  PolyArray png;
  ASSERT_TRUE(cSaveToMemory(s, PIP_FORMAT_PNG, &png, 0, 0));
  std::vector<BYTE> bytes(png.Data(), png.Data() + png.Size());
  auto at = std::search(bytes.begin(), bytes.end(), std::begin("pHYs"), std::end("pHYs") - 1);
  ASSERT_NE(at, bytes.end());
  size_t i = size_t(at - bytes.begin()) + 4;
  EXPECT_EQ(bytes[i] << 24 | bytes[i + 1] << 16 | bytes[i + 2] << 8 | bytes[i + 3], 10000);  // 254 dpi
  Session back;
  EXPECT_TRUE(cLoadData(back, png.Data(), DWORD(png.Size()), 0, 0, 0)) << "the inserted chunk keeps the file valid";
}

TEST(PolyImageCodecTest, UnknownSaveFormatFails) {
  TempDir dir;
  Session s;
  ASSERT_TRUE(cNewImage(s, 2, 2, 0));
  EXPECT_FALSE(cSave(s, dir.File("x.bmp").c_str(), PIP_FORMAT_BMP, 0, 0, 0));
  Session empty;
  EXPECT_FALSE(cSave(empty, dir.File("y.jpg").c_str(), PIP_FORMAT_JPEG, 0, 0, 0));
  EXPECT_FALSE(cSave(s, dir.File("missing-folder/z.jpg").c_str(), PIP_FORMAT_JPEG, 0, 0, 0));
  EXPECT_TRUE(std::filesystem::is_empty(std::filesystem::path(dir.File("")))) << "no temporary left behind";
}

TEST(PolyImageCodecTest, ReadsBmpBothRowOrders) {
  // 2 x 2, 24-bit; rows padded to 8 bytes. Pixel colours: TL red, TR green, BL blue, BR white.
  for (bool topDown : {false, true}) {
    SCOPED_TRACE(topDown ? "top-down" : "bottom-up");
    std::vector<BYTE> bmp(54 + 16, 0);
    bmp[0] = 'B', bmp[1] = 'M', bmp[2] = BYTE(bmp.size()), bmp[10] = 54, bmp[14] = 40;
    bmp[18] = 2;
    int32_t height = topDown ? -2 : 2;
    std::memcpy(&bmp[22], &height, 4);
    bmp[26] = 1, bmp[28] = 24;
    BYTE top[8] = {0, 0, 255, 0, 255, 0, 0, 0}, bottom[8] = {255, 0, 0, 255, 255, 255, 0, 0};
    std::memcpy(&bmp[54], topDown ? top : bottom, 8);
    std::memcpy(&bmp[62], topDown ? bottom : top, 8);
    Session s;
    ASSERT_TRUE(cLoadData(s, bmp.data(), DWORD(bmp.size()), 0, 0, 0));
    EXPECT_EQ(At(s, 0, 0).r, 255);
    EXPECT_EQ(At(s, 1, 0).g, 255);
    EXPECT_EQ(At(s, 0, 1).b, 255);
    EXPECT_EQ(At(s, 1, 1).r + At(s, 1, 1).g, 510);
  }
}

TEST(PolyImageCodecTest, ReadsGifTransparencyAsAlpha) {
  // 1 x 1 GIF whose only pixel is the transparent index.
  const BYTE gif[] = {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0x80, 0, 0, 0xFF, 0xFF, 0xFF, 0, 0, 0,
                      0x21, 0xF9, 4, 1, 0, 0, 0, 0, 0x2C, 0, 0, 0, 0, 1, 0, 1, 0, 0, 2, 2, 0x44, 1, 0, 0x3B};
  Session s;
  ASSERT_TRUE(cLoadData(s, gif, sizeof gif, 0, 0, 0));
  EXPECT_EQ(Size(s), std::make_pair(1, 1));
  PolyArray alpha;
  ASSERT_TRUE(cGetAlphaMask(s, &alpha));
  EXPECT_EQ(alpha.Data()[0], 0);
}

TEST(PolyImageCodecTest, ReadsUncompressedTiff) {
  // Little-endian 2 x 1 RGB TIFF: red, then blue.
  std::vector<BYTE> t = {'I', 'I', 42, 0, 8, 0, 0, 0};
  struct Tag {
    uint16_t tag, type;
    uint32_t count, value;
  } tags[] = {{256, 3, 1, 2}, {257, 3, 1, 1}, {258, 3, 3, 0}, {259, 3, 1, 1}, {262, 3, 1, 2},
              {273, 4, 1, 0}, {277, 3, 1, 3}, {278, 3, 1, 1}, {279, 4, 1, 6}};
  size_t ifdSize = 2 + sizeof(tags) / sizeof(tags[0]) * 12 + 4;
  uint32_t bitsAt = uint32_t(8 + ifdSize), pixelsAt = bitsAt + 6;
  tags[2].value = bitsAt;
  tags[5].value = pixelsAt;
  auto put16 = [&](uint16_t v) { t.push_back(BYTE(v)), t.push_back(BYTE(v >> 8)); };
  auto put32 = [&](uint32_t v) { put16(uint16_t(v)), put16(uint16_t(v >> 16)); };
  put16(uint16_t(sizeof(tags) / sizeof(tags[0])));
  for (const Tag& tag : tags) {
    put16(tag.tag), put16(tag.type), put32(tag.count);
    if (tag.type == 3 && tag.count == 1) put16(uint16_t(tag.value)), put16(0);
    else put32(tag.value);
  }
  put32(0);
  put16(8), put16(8), put16(8);
  for (BYTE b : {255, 0, 0, 0, 0, 255}) t.push_back(b);
  Session s;
  ASSERT_TRUE(cLoadData(s, t.data(), DWORD(t.size()), 0, 0, 0));
  EXPECT_EQ(At(s, 0, 0).r, 255);
  EXPECT_EQ(At(s, 1, 0).b, 255);
  EXPECT_EQ(At(s, 1, 0).r, 0);
}

TEST(PolyImageCodecTest, FileInfoWithoutLoading) {
  TempDir dir;
  Session s;
  ASSERT_TRUE(cNewImage(s, 33, 21, 0));
  std::string jpg = dir.File("i.jpg"), png = dir.File("i.png");
  ASSERT_TRUE(cSave(s, jpg.c_str(), PIP_FORMAT_JPEG, 0, 0, 0));
  ASSERT_TRUE(cSave(s, png.c_str(), PIP_FORMAT_PNG, 0, 0, 0));
  for (const auto& [path, format] : {std::pair{jpg, PIP_FORMAT_JPEG}, std::pair{png, PIP_FORMAT_PNG}}) {
    SCOPED_TRACE(path);
    DWORD w = 0, h = 0, f = 0;
    BYTE bits = 0;
    ASSERT_TRUE(cGetImageFileInfo(path.c_str(), 0, &w, &h, &bits, &f));
    EXPECT_EQ(w, 33u);
    EXPECT_EQ(h, 21u);
    EXPECT_EQ(bits, 24);
    EXPECT_EQ(f, DWORD(format));
  }
  DWORD w = 5;
  EXPECT_FALSE(cGetImageFileInfo(dir.File("none.jpg").c_str(), 0, &w, nullptr, nullptr, nullptr));
  EXPECT_EQ(w, 0u);
}

TEST(PolyImageCodecTest, MissingFileFailsAndEmptiesTheSession) {
  Session s;
  ASSERT_TRUE(cNewImage(s, 3, 3, 0));
  EXPECT_FALSE(cLoadImage(s, "/nonexistent/tavorin/picture.bmp", 0, 0, 0));
  EXPECT_EQ(Size(s), std::make_pair(0, 0));
}

TEST(PolyImageCodecTest, RawRowsNeedEnoughBytes) {
  Session s;
  std::vector<BYTE> bytes(2 * 2 * 3 - 1);
  EXPECT_FALSE(cLoadImage8(s, bytes.data(), DWORD(bytes.size()), 2, 2, 0, 0, 0));
  bytes.push_back(0);
  EXPECT_TRUE(cLoadImage8(s, bytes.data(), DWORD(bytes.size()), 2, 2, 0, 0, 0));
}
