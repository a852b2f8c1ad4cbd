#include "support/JpegSurface.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/support/JpegTestImages.h"

namespace {

class JpegSurfaceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/tavorin-surface-XXXXXX";
    ASSERT_NE(nullptr, mkdtemp(pattern));
    m_dir = pattern;
  }
  void TearDown() override { std::filesystem::remove_all(m_dir); }
  std::string Write(const char* name, const jpegtest::Bytes& bytes) {
    std::string path = m_dir + "/" + name;
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    return path;
  }
  std::string m_dir;
};

// Blue, green, red and the opaque fourth byte of a surface pixel.
struct Pixel {
  int b, g, r, x;
};
Pixel At(const std::vector<BYTE>& surface, size_t stride, int x, int y) {
  const BYTE* p = &surface[stride * y + size_t(x) * 4];
  return {p[0], p[1], p[2], p[3]};
}

TEST_F(JpegSurfaceTest, PicturesLandAtTheTopLeftCutToTheSurfaceAndTheRestIsBlack) {
  // Left half red, right half blue.
  jpegtest::Bytes jpeg = jpegtest::Encode(40, 30, [](int x, int) {
    return x < 20 ? jpegtest::Rgb{230, 20, 20} : jpegtest::Rgb{20, 20, 230};
  });
  std::string path = Write("screen.jpg", jpeg);
  const struct {
    int surfaceWidth, surfaceHeight;
  } rows[] = {{64, 48}, {24, 16}, {40, 30}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.surfaceWidth);
    const size_t stride = size_t(row.surfaceWidth) * 4 + 8;  // rows padded beyond their pixels
    std::vector<BYTE> surface(stride * row.surfaceHeight, 0x77);
    int width = 0, height = 0;
    ASSERT_TRUE(DecodeJpegFileToSurface(path.c_str(), surface.data(), stride, row.surfaceWidth, row.surfaceHeight,
                                        width, height));
    EXPECT_EQ(40, width);
    EXPECT_EQ(30, height);
    Pixel red = At(surface, stride, 5, 5);
    EXPECT_NEAR(230, red.r, 10);
    EXPECT_NEAR(20, red.b, 10);
    EXPECT_EQ(255, red.x);
    if (row.surfaceWidth > 30) {
      EXPECT_NEAR(230, At(surface, stride, 30, 10).b, 10);
    }
    if (row.surfaceWidth > 40) {
      Pixel beside = At(surface, stride, 45, 5), below = At(surface, stride, 5, 35);
      EXPECT_EQ(0, beside.r + beside.g + beside.b);
      EXPECT_EQ(255, beside.x);
      EXPECT_EQ(0, below.r + below.g + below.b);
    }
    EXPECT_EQ(0x77, surface[size_t(row.surfaceWidth) * 4]);  // the padding is not written
  }
}

TEST_F(JpegSurfaceTest, GreyPicturesDecodeAndOtherFilesAreRefused) {
  std::string grey = Write("grey.jpg", jpegtest::Encode(8, 8, [](int, int) { return jpegtest::Rgb{100, 100, 100}; },
                                                         95, true));
  std::vector<BYTE> surface(8 * 8 * 4);
  int width = 0, height = 0;
  ASSERT_TRUE(DecodeJpegFileToSurface(grey.c_str(), surface.data(), 32, 8, 8, width, height));
  EXPECT_NEAR(100, At(surface, 32, 3, 3).g, 3);

  jpegtest::Bytes truncated = jpegtest::Encode(64, 64, [](int x, int y) { return jpegtest::Rgb{x * 4, y * 4, 0}; });
  truncated.resize(truncated.size() / 2);
  const struct {
    const char* name;
    std::string path;
  } rows[] = {
      {"missing", m_dir + "/none.jpg"},
      {"not a JPEG", Write("text.jpg", jpegtest::Bytes{'h', 'e', 'l', 'l', 'o'})},
      {"truncated", Write("cut.jpg", truncated)},
  };
  std::vector<BYTE> big(64 * 64 * 4);
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_FALSE(DecodeJpegFileToSurface(row.path.c_str(), big.data(), 256, 64, 64, width, height));
  }
}

}  // namespace
