#include "support/JpegSurface.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <functional>
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

// libjpeg-turbo's own decode of every row, blue-green-red, as the live picture had it.
std::vector<BYTE> FullDecodeBgr(const jpegtest::Bytes& jpeg, int& width, int& height) {
  jpeg_decompress_struct cinfo;
  jpeg_error_mgr err;
  cinfo.err = jpeg_std_error(&err);
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, jpeg.data(), static_cast<unsigned long>(jpeg.size()));
  jpeg_read_header(&cinfo, TRUE);
  cinfo.out_color_space = JCS_EXT_BGR;
  jpeg_start_decompress(&cinfo);
  width = int(cinfo.output_width);
  height = int(cinfo.output_height);
  std::vector<BYTE> out(size_t(width) * 3 * height);
  while (cinfo.output_scanline < cinfo.output_height) {
    JSAMPROW row = &out[size_t(cinfo.output_scanline) * width * 3];
    jpeg_read_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  return out;
}

TEST_F(JpegSurfaceTest, PickedRowsOfAMemoryJpegAreExactlyThoseOfAFullDecode) {
  // A live frame's size and subsampling, with detail in every row.
  jpegtest::Bytes jpeg = jpegtest::Encode(640, 480, [](int x, int y) {
    return jpegtest::Rgb{(x * 3 + y) & 0xFF, (y * 5) & 0xFF, ((x ^ y) * 7) & 0xFF};
  }, 80);
  int fullWidth = 0, fullHeight = 0;
  std::vector<BYTE> full = FullDecodeBgr(jpeg, fullWidth, fullHeight);
  const size_t stride = size_t(fullWidth) * 3;
  const struct {
    int first, count;
  } picks[] = {{27, 426}, {0, 480}, {1, 5}, {479, 1}, {16, 16}, {300, 179}};
  std::vector<BYTE> rows(7);  // the buffer of an earlier frame, reused
  for (const auto& pick : picks) {
    SCOPED_TRACE(pick.first);
    int width = 0, count = 0;
    auto picker = [&](int w, int h, int& first, int& n) {
      EXPECT_EQ(640, w);
      EXPECT_EQ(480, h);
      first = pick.first;
      n = pick.count;
    };
    ASSERT_TRUE(DecodeJpegRowsBgr(jpeg.data(), jpeg.size(), 4096, picker, rows, width, count));
    EXPECT_EQ(640, width);
    ASSERT_EQ(pick.count, count);
    ASSERT_EQ(stride * pick.count, rows.size());
    EXPECT_TRUE(std::equal(rows.begin(), rows.end(), full.begin() + stride * pick.first));
  }
  int width = 0, count = 0;
  ASSERT_TRUE(DecodeJpegRowsBgr(jpeg.data(), jpeg.size(), 4096, nullptr, rows, width, count));
  EXPECT_EQ(480, count);
  EXPECT_EQ(full, rows);

  jpegtest::Bytes grey = jpegtest::Encode(16, 8, [](int, int) { return jpegtest::Rgb{100, 100, 100}; }, 95, true);
  ASSERT_TRUE(DecodeJpegRowsBgr(grey.data(), grey.size(), 4096, nullptr, rows, width, count));
  ASSERT_EQ(size_t(16 * 3 * 8), rows.size());
  EXPECT_NEAR(100, rows[3 * 20], 3);
  EXPECT_EQ(rows[3 * 20], rows[3 * 20 + 1]);
  EXPECT_EQ(rows[3 * 20], rows[3 * 20 + 2]);
}

TEST_F(JpegSurfaceTest, MemoryJpegsThatDoNotDecodeOrPicksOutsideAreRefused) {
  jpegtest::Bytes jpeg = jpegtest::Encode(64, 48, [](int x, int y) { return jpegtest::Rgb{x * 4, y * 4, 0}; });
  jpegtest::Bytes truncated(jpeg.begin(), jpeg.begin() + jpeg.size() / 2);
  auto pick = [](int first, int count) {
    return [first, count](int, int, int& f, int& n) {
      f = first;
      n = count;
    };
  };
  const struct {
    const char* name;
    const jpegtest::Bytes* data;
    int maxSide;
    std::function<void(int, int, int&, int&)> picker;
  } rows[] = {
      {"truncated", &truncated, 4096, nullptr},
      {"wider than allowed", &jpeg, 63, nullptr},
      {"starts above the picture", &jpeg, 4096, pick(-1, 5)},
      {"no rows", &jpeg, 4096, pick(0, 0)},
      {"ends below the picture", &jpeg, 4096, pick(40, 9)},
      {"far below", &jpeg, 4096, pick(0x7FFFFFF0, 0x7FFFFFF0)},
  };
  std::vector<BYTE> out;
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    int width = -1, count = -1;
    EXPECT_FALSE(DecodeJpegRowsBgr(row.data->data(), row.data->size(), row.maxSide, row.picker, out, width, count));
    EXPECT_EQ(0, width);
    EXPECT_EQ(0, count);
  }
  int width = 0, count = 0;
  const BYTE text[] = {'h', 'i'};
  EXPECT_FALSE(DecodeJpegRowsBgr(text, sizeof text, 4096, nullptr, out, width, count));
  EXPECT_FALSE(DecodeJpegRowsBgr(nullptr, 10, 4096, nullptr, out, width, count));
}

}  // namespace
