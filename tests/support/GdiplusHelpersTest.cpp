#include "support/GdiplusHelpers.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

using namespace Gdiplus;

namespace {

class TempDir {
 public:
  TempDir() {
    std::string pattern = ::testing::TempDir() + "tavorin-gdiplus-XXXXXX";
    m_path = mkdtemp(pattern.data()) ? pattern : std::string();
  }
  ~TempDir() {
    std::error_code ignored;
    if (!m_path.empty()) std::filesystem::remove_all(m_path, ignored);
  }
  std::u16string Wide(const char* name) const {
    std::string path = m_path + "/" + name;
    return std::u16string(path.begin(), path.end());
  }
  std::string Narrow(const char* name) const { return m_path + "/" + name; }

 private:
  std::string m_path;
};

// A width x height picture, left half red, right half blue, saved as PNG.
void SavePng(const std::u16string& path, int width, int height) {
  Bitmap bitmap(width, height, PixelFormat24bppRGB);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) bitmap.SetPixel(x, y, x < width / 2 ? Color(255, 0, 0) : Color(0, 0, 255));
  CLSID png;
  ASSERT_GE(GetEncoderClsid(u"image/png", &png), 0);
  ASSERT_EQ(bitmap.Save(path.c_str(), &png), Ok);
}

}  // namespace

TEST(GdiplusHelpersTest, LoadThumbnailScalesDownOnlyWhenWider) {
  TempDir dir;
  SavePng(dir.Wide("wide.png"), 400, 200);
  const struct {
    int maxWidth;
    UINT width, height;
  } rows[] = {{100, 100, 50}, {399, 399, 199}, {400, 400, 200}, {1000, 400, 200}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.maxWidth);
    std::unique_ptr<Bitmap> thumb(LoadThumbnail(dir.Wide("wide.png").c_str(), row.maxWidth));
    ASSERT_TRUE(thumb);
    EXPECT_EQ(thumb->GetWidth(), row.width);
    EXPECT_EQ(thumb->GetHeight(), row.height);
    EXPECT_EQ(thumb->GetPixelFormat(), PixelFormat24bppRGB);
    Color left, right;
    thumb->GetPixel(2, int(row.height) / 2, &left);
    thumb->GetPixel(int(row.width) - 3, int(row.height) / 2, &right);
    EXPECT_GT(left.GetR(), 200);
    EXPECT_GT(right.GetB(), 200);
  }
  std::ofstream(dir.Narrow("text.png")) << "not a picture";
  EXPECT_EQ(LoadThumbnail(dir.Wide("text.png").c_str(), 100), nullptr);
  EXPECT_EQ(LoadThumbnail(dir.Wide("missing.png").c_str(), 100), nullptr);
  EXPECT_EQ(LoadThumbnail(nullptr, 100), nullptr);
}

TEST(GdiplusHelpersTest, CloneBitmapCopiesSizeFormatAndPixels) {
  const PixelFormat formats[] = {PixelFormat24bppRGB, PixelFormat32bppARGB};
  for (PixelFormat format : formats) {
    SCOPED_TRACE(format);
    Bitmap source(3, 2, format);
    source.SetPixel(0, 0, Color(255, 10, 20, 30));
    source.SetPixel(2, 1, Color(255, 200, 100, 50));
    std::unique_ptr<Bitmap> copy(CloneBitmap(&source));
    ASSERT_TRUE(copy);
    EXPECT_EQ(copy->GetWidth(), 3u);
    EXPECT_EQ(copy->GetHeight(), 2u);
    EXPECT_EQ(copy->GetPixelFormat(), format);
    Color a, b;
    copy->GetPixel(0, 0, &a);
    copy->GetPixel(2, 1, &b);
    EXPECT_EQ(a.ToCOLORREF(), RGB(10, 20, 30));
    EXPECT_EQ(b.ToCOLORREF(), RGB(200, 100, 50));
    EXPECT_NE(copy.get(), &source);
  }
  EXPECT_EQ(CloneBitmap(nullptr), nullptr);
  Bitmap empty(0, 0, PixelFormat24bppRGB);
  EXPECT_EQ(CloneBitmap(&empty), nullptr);
}

TEST(GdiplusHelpersTest, GetEncoderClsidFindsEachEncoderByMimeType) {
  UINT count = 0, size = 0;
  ASSERT_EQ(GetImageEncodersSize(&count, &size), Ok);
  std::vector<unsigned char> buffer(size);
  auto* codecs = reinterpret_cast<ImageCodecInfo*>(buffer.data());
  ASSERT_EQ(GetImageEncoders(count, size, codecs), Ok);
  const struct {
    const char16_t* mime;
    bool found;
  } rows[] = {{u"image/jpeg", true}, {u"image/png", true}, {u"image/gif", true}, {u"image/tiff", true},
              {u"image/JPEG", false}, {u"text/plain", false}, {u"", false}};
  for (const auto& row : rows) {
    SCOPED_TRACE(std::string(row.mime, row.mime + std::char_traits<char16_t>::length(row.mime)));
    CLSID clsid = {};
    int index = GetEncoderClsid(row.mime, &clsid);
    if (!row.found) {
      EXPECT_EQ(index, -1);
      continue;
    }
    ASSERT_GE(index, 0);
    ASSERT_LT(UINT(index), count);
    EXPECT_EQ(std::u16string(codecs[index].MimeType), row.mime);
    EXPECT_EQ(std::memcmp(&clsid, &codecs[index].Clsid, sizeof(CLSID)), 0);
  }
  EXPECT_EQ(GetEncoderClsid(nullptr, nullptr), -1);
}
