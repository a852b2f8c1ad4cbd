#include "support/JpegMemory.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

// Compresses a width x height RGB picture; on success returns the JPEG, else the thrown message.
bool Compress(int width, int height, int quality, bool noise, std::vector<JOCTET>& jpeg, CString& message) {
  jpeg_compress_struct cinfo;
  jpeg_error_mgr err;
  cinfo.err = InitJpegErrorManager(&err);
  jpeg_create_compress(&cinfo);
  bool ok = true;
  try {
    JpegMemoryDestination* dest = jpeg_memory_dest(&cinfo);
    cinfo.image_width = width;
    cinfo.image_height = height;
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<JOCTET> row(width * 3);
    uint32_t seed = 12345;
    while (cinfo.next_scanline < cinfo.image_height) {
      for (int x = 0; x < width; ++x) {
        seed = seed * 1103515245 + 12345;
        JOCTET grain = noise ? static_cast<JOCTET>(seed >> 24) : 0;
        row[3 * x] = static_cast<JOCTET>(x * 255 / width) ^ grain;
        row[3 * x + 1] = static_cast<JOCTET>(cinfo.next_scanline * 255 / height) ^ grain;
        row[3 * x + 2] = static_cast<JOCTET>(128 ^ grain);
      }
      JSAMPROW rows[1] = {row.data()};
      jpeg_write_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg.assign(dest->output, dest->output + dest->count);
  } catch (const CString& text) {
    message = text;
    ok = false;
  }
  jpeg_destroy_compress(&cinfo);
  return ok;
}

// Decodes from an exactly sized copy, so any read past the data is caught by the sanitizer.
bool Decompress(const std::vector<JOCTET>& jpeg, std::vector<JOCTET>& pixels, CString& message) {
  std::vector<JOCTET> exact(jpeg);
  exact.shrink_to_fit();
  jpeg_decompress_struct cinfo;
  jpeg_error_mgr err;
  cinfo.err = InitJpegErrorManager(&err);
  jpeg_create_decompress(&cinfo);
  bool ok = true;
  try {
    jpeg_memory_src(&cinfo, exact.data(), exact.size());
    jpeg_read_header(&cinfo, TRUE);
    jpeg_start_decompress(&cinfo);
    pixels.assign(cinfo.output_width * cinfo.output_height * cinfo.output_components, 0);
    while (cinfo.output_scanline < cinfo.output_height) {
      JSAMPROW rows[1] = {pixels.data() + cinfo.output_scanline * cinfo.output_width * cinfo.output_components};
      jpeg_read_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_decompress(&cinfo);
  } catch (const CString& text) {
    message = text;
    ok = false;
  }
  jpeg_destroy_decompress(&cinfo);
  return ok;
}

}  // namespace

TEST(JpegMemoryTest, SmallStreamLandsWholeInTheOutputArea) {
  std::vector<JOCTET> jpeg, pixels;
  CString message;
  ASSERT_TRUE(Compress(64, 48, 90, false, jpeg, message)) << message.GetString();
  ASSERT_GT(jpeg.size(), 4u);
  EXPECT_LT(jpeg.size(), kJpegMemoryOutputSize);
  EXPECT_EQ(jpeg[0], 0xFF);
  EXPECT_EQ(jpeg[1], 0xD8);
  EXPECT_EQ(jpeg[jpeg.size() - 2], 0xFF);
  EXPECT_EQ(jpeg[jpeg.size() - 1], 0xD9);
  ASSERT_TRUE(Decompress(jpeg, pixels, message)) << message.GetString();
  ASSERT_EQ(pixels.size(), 64u * 48 * 3);
  EXPECT_NEAR(pixels[(47 * 64 + 63) * 3], 251, 8);  // red ramp at the right edge
  EXPECT_NEAR(pixels[(47 * 64 + 63) * 3 + 1], 249, 8);  // green ramp at the bottom
}

TEST(JpegMemoryTest, StreamLongerThanTheAreaFailsCleanly) {
  std::vector<JOCTET> jpeg;
  CString message;
  EXPECT_FALSE(Compress(400, 400, 100, true, jpeg, message));
  EXPECT_EQ(message, "Buffer passed to JPEG library is too small");
}

TEST(JpegMemoryTest, StreamsUpToTheAreaSizeStayWholeAndLargerOnesFail) {
  size_t largest = 0;
  for (int side = 100; side <= 260; side += 8) {
    SCOPED_TRACE(side);
    std::vector<JOCTET> jpeg, pixels;
    CString message;
    if (!Compress(side, side, 100, true, jpeg, message)) {
      EXPECT_EQ(message, "Buffer passed to JPEG library is too small");
      continue;
    }
    EXPECT_LE(jpeg.size(), kJpegMemoryOutputSize);
    EXPECT_TRUE(Decompress(jpeg, pixels, message)) << message.GetString();
    if (jpeg.size() > largest) largest = jpeg.size();
  }
  EXPECT_GT(largest, kJpegMemoryOutputSize * 3 / 4);
}

TEST(JpegMemoryTest, DamagedStreamsThrowTheLibraryMessage) {
  std::vector<JOCTET> jpeg, pixels;
  CString message;
  ASSERT_TRUE(Compress(64, 48, 90, true, jpeg, message));
  size_t sos = 0;
  for (size_t i = 0; i + 1 < jpeg.size(); ++i)
    if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xDA) sos = i;
  ASSERT_GT(sos, 0u);

  std::vector<JOCTET> truncated(jpeg.begin(), jpeg.begin() + (sos + jpeg.size()) / 2);
  std::vector<JOCTET> entropy(jpeg);
  entropy[(sos + jpeg.size()) / 2] = 0xFF;
  entropy[(sos + jpeg.size()) / 2 + 1] = 0xD3;  // a restart marker where none belongs
  std::vector<JOCTET> longSegment = {0xFF, 0xD8, 0xFF, 0xE1, 0xFF, 0xF0, 'E', 'x'};  // length past the end
  std::vector<JOCTET> headerOnly(jpeg.begin(), jpeg.begin() + 2);
  const struct {
    const char* name;
    const std::vector<JOCTET>* data;
  } rows[] = {{"truncated in the scan", &truncated},
              {"marker inside the entropy data", &entropy},
              {"segment longer than the buffer", &longSegment},
              {"start of image only", &headerOnly}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    message.Empty();
    EXPECT_FALSE(Decompress(*row.data, pixels, message));
    EXPECT_FALSE(message.IsEmpty());
  }
  message.Empty();
  Decompress(truncated, pixels, message);
  EXPECT_EQ(message, "Premature end of JPEG file");
}

TEST(JpegMemoryTest, SourceIsReusedOnTheSameObject) {
  std::vector<JOCTET> jpeg;
  CString message;
  ASSERT_TRUE(Compress(16, 16, 80, false, jpeg, message));
  jpeg_decompress_struct cinfo;
  jpeg_error_mgr err;
  cinfo.err = InitJpegErrorManager(&err);
  jpeg_create_decompress(&cinfo);
  jpeg_memory_src(&cinfo, jpeg.data(), jpeg.size());
  jpeg_source_mgr* first = cinfo.src;
  jpeg_memory_src(&cinfo, jpeg.data(), jpeg.size());
  EXPECT_EQ(cinfo.src, first);
  EXPECT_EQ(cinfo.src->bytes_in_buffer, jpeg.size());
  jpeg_destroy_decompress(&cinfo);
}
