#include "support/PhotoboothPixels.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<BYTE> Filled(int width, int height, BYTE b, BYTE g, BYTE r) {
  std::vector<BYTE> pixels(size_t(width) * height * 3);
  for (size_t i = 0; i < pixels.size(); i += 3) pixels[i] = b, pixels[i + 1] = g, pixels[i + 2] = r;
  return pixels;
}

// A table that tells the luma apart in every channel: red = luma, green = 255 - luma, blue = luma / 2.
BYTE g_table[256][3];
void FillTable() {
  for (int i = 0; i < 256; ++i) g_table[i][0] = BYTE(i), g_table[i][1] = BYTE(255 - i), g_table[i][2] = BYTE(i / 2);
}

unsigned ReferenceLuma(int b, int g, int r) {
  long double luma = 0.71516L * g + 0.212671L * r + 0.072169L * b;
  return static_cast<unsigned>(luma) & 255;
}

}  // namespace

TEST(PhotoboothPixelsTest, KeyTableForGreenAndBlue) {
  struct Row {
    const char* name;
    BOOL blue;
    BYTE r, g, b;
    bool keyed;
  } rows[] = {
      {"green well above red and blue", FALSE, 120, 200, 50, true},
      {"red equal to the key is not strictly below", FALSE, 200, 200, 50, false},
      {"key at the threshold is not above it", FALSE, 20, 100, 20, false},
      {"blue equal to the key", FALSE, 20, 200, 200, false},
      {"blue key", TRUE, 120, 50, 200, true},
      {"blue key bounds green", TRUE, 120, 200, 200, false},
      {"blue key at the threshold", TRUE, 20, 20, 100, false},
  };
  GreenScreenKey key;
  key.enable = TRUE, key.threshold = 100, key.redPercentage = 256, key.bluePercentage = 256;
  const std::vector<BYTE> background = Filled(1, 1, 1, 2, 3);
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    key.blueScreen = row.blue;
    std::vector<BYTE> photo = Filled(1, 1, row.b, row.g, row.r);
    ASSERT_TRUE(KeyAndTonePixels(photo.data(), photo.size(), 1, 1, &key, background.data(), background.size(), nullptr));
    EXPECT_EQ(photo == background, row.keyed);
  }
}

TEST(PhotoboothPixelsTest, LumaMatchesExtendedPrecisionEverywhere) {
  for (int v = 0; v < 256; ++v) {
    SCOPED_TRACE(v);
    EXPECT_EQ(ReferenceLuma(v, v, v), ToningLuma(BYTE(v), BYTE(v), BYTE(v)));
  }
  int differences = 0;
  for (int b = 0; b < 256; b += 3)
    for (int g = 0; g < 256; g += 3)
      for (int r = 0; r < 256; r += 3) differences += ReferenceLuma(b, g, r) != ToningLuma(BYTE(b), BYTE(g), BYTE(r));
  EXPECT_EQ(0, differences);
}

TEST(PhotoboothPixelsTest, KeyingAndToningInOnePassOverEveryBand) {
  FillTable();
  const int width = 7, height = 53;  // more rows than bands, not a multiple of them
  std::vector<BYTE> photo(size_t(width) * height * 3), background(photo.size());
  for (size_t i = 0; i < photo.size(); ++i) photo[i] = BYTE(i * 37 + 11), background[i] = BYTE(i * 13 + 5);
  for (size_t p = 0; p < photo.size(); p += 21) photo[p] = 10, photo[p + 1] = 250, photo[p + 2] = 20;  // green
  GreenScreenKey key;
  key.enable = TRUE, key.threshold = 100, key.redPercentage = 256, key.bluePercentage = 256;
  std::vector<BYTE> expected = photo;
  for (size_t p = 0; p < expected.size(); p += 3) {
    const BYTE* source = IsKeyedPixel(&photo[p], key) ? &background[p] : &photo[p];
    unsigned luma = ReferenceLuma(source[0], source[1], source[2]);
    expected[p] = g_table[luma][2], expected[p + 1] = g_table[luma][1], expected[p + 2] = g_table[luma][0];
  }
  ASSERT_TRUE(KeyAndTonePixels(photo.data(), photo.size(), width, height, &key, background.data(), background.size(),
                               g_table));
  EXPECT_EQ(expected, photo);
}

TEST(PhotoboothPixelsTest, ABufferOfTheWrongSizeIsLeftAlone) {
  FillTable();
  GreenScreenKey key;
  key.enable = TRUE, key.threshold = 0, key.redPercentage = 65535, key.bluePercentage = 65535;
  std::vector<BYTE> photo = Filled(4, 3, 10, 200, 10);
  const std::vector<BYTE> original = photo;
  std::vector<BYTE> background = Filled(4, 3, 1, 2, 3);
  struct Row {
    const char* name;
    size_t photoBytes, backgroundBytes;
    int width, height;
  } rows[] = {
      {"photo one byte short", photo.size() - 1, background.size(), 4, 3},
      {"photo said to be taller", photo.size(), background.size(), 4, 4},
      {"background short", photo.size(), background.size() - 3, 4, 3},
      {"no size", photo.size(), background.size(), 0, 3},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_FALSE(KeyAndTonePixels(photo.data(), row.photoBytes, row.width, row.height, &key, background.data(),
                                  row.backgroundBytes, g_table));
    EXPECT_EQ(original, photo);
  }
  EXPECT_FALSE(KeyAndTonePixels(photo.data(), photo.size(), 4, 3, &key, nullptr, 0, nullptr));
  EXPECT_EQ(original, photo);
}
