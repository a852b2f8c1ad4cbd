#include "app/PhotoboothEffects.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "support/Toning.h"

namespace {

void SetPixel(PipSession& image, int x, int y, BYTE r, BYTE g, BYTE b) {
  BYTE* bits = nullptr;
  ASSERT_TRUE(cGetBitsPtr(image.m_hSession, &bits));
  BYTE* p = bits + (size_t(y) * image.GetWidth() + x) * 3;
  p[0] = b, p[1] = g, p[2] = r;
}

COLORREF PixelAt(PipSession& image, int x, int y) {
  COLORREF colour = 0;
  cGetPixelColor(image.m_hSession, x, y, &colour);
  return colour;
}

std::string TempFile(const std::string& name) {
  return (std::filesystem::temp_directory_path() / ("effects-" + std::to_string(getpid()) + "-" + name)).string();
}

}  // namespace

TEST(PhotoboothEffectsTest, GreenAndBlueScreenKeyTable) {
  struct Row {
    const char* name;
    BOOL blue;
    BYTE r, g, b;
    bool keyed;
  } rows[] = {
      {"green well above red and blue", FALSE, 120, 200, 50, true},
      {"red not strictly below", FALSE, 200, 200, 50, false},
      {"key not above the threshold", FALSE, 20, 100, 20, false},
      {"blue key", TRUE, 120, 50, 200, true},
      {"blue key bounds green", TRUE, 120, 200, 200, false},
  };
  GreenScreenKey key;
  key.enable = TRUE, key.threshold = 100, key.redPercentage = 256, key.bluePercentage = 256;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    key.blueScreen = row.blue;
    const BYTE bgr[3] = {row.b, row.g, row.r};
    EXPECT_EQ(IsKeyedPixel(bgr, key), row.keyed);
  }
}

TEST(PhotoboothEffectsTest, GreenScreenTakesTheStretchedBackgroundWhereKeyed) {
  PipSession background;
  ASSERT_TRUE(cNewImage(background.m_hSession, 2, 2, RGB(0, 0, 0)));
  SetPixel(background, 1, 1, 10, 20, 30);  // the bottom-right quarter once stretched
  std::string path = TempFile("background.png");
  ASSERT_TRUE(cSave(background.m_hSession, path.c_str(), PIP_FORMAT_PNG, 0, 0, 0));

  PipSession photo;
  ASSERT_TRUE(cNewImage(photo.m_hSession, 20, 20, RGB(120, 200, 50)));  // green screen
  SetPixel(photo, 2, 2, 200, 200, 50);                                   // the guest
  SetPixel(photo, 18, 17, 200, 200, 50);
  GreenScreenKey key;
  key.enable = TRUE, key.threshold = 100, key.redPercentage = 256, key.bluePercentage = 256;
  ApplyGreenscreen(photo, path.c_str(), key, 1);
  EXPECT_EQ(PixelAt(photo, 2, 2), RGB(200, 200, 50));
  EXPECT_EQ(PixelAt(photo, 18, 17), RGB(200, 200, 50));
  EXPECT_EQ(PixelAt(photo, 3, 3), RGB(0, 0, 0));
  EXPECT_EQ(PixelAt(photo, 15, 15), RGB(10, 20, 30));

  PipSession untouched;
  ASSERT_TRUE(cNewImage(untouched.m_hSession, 4, 4, RGB(120, 200, 50)));
  key.enable = FALSE;
  ApplyGreenscreen(untouched, path.c_str(), key, 1);
  key.enable = TRUE;
  ApplyGreenscreen(untouched, TempFile("missing.png").c_str(), key, 1);
  ApplyGreenscreen(untouched, "", key, 1);
  EXPECT_EQ(PixelAt(untouched, 1, 1), RGB(120, 200, 50));
  std::filesystem::remove(path);
}

TEST(PhotoboothEffectsTest, ToningMapsLumaThroughTheTable) {
  BuildToningTable(0.1, 0.5);
  PipSession photo;
  ASSERT_TRUE(cNewImage(photo.m_hSession, 3, 1, RGB(0, 0, 0)));
  SetPixel(photo, 1, 0, 100, 150, 200);
  SetPixel(photo, 2, 0, 255, 255, 255);
  ApplyMonochromeToning(photo);
  int luma = int(0.71516L * 150 + 0.212671L * 100 + 0.072169L * 200);
  EXPECT_EQ(PixelAt(photo, 1, 0), RGB(g_toningTable[luma][0], g_toningTable[luma][1], g_toningTable[luma][2]));
  EXPECT_EQ(PixelAt(photo, 0, 0), RGB(g_toningTable[0][0], g_toningTable[0][1], g_toningTable[0][2]));
  EXPECT_EQ(PixelAt(photo, 2, 0), RGB(g_toningTable[255][0], g_toningTable[255][1], g_toningTable[255][2]));
  EXPECT_NE(g_toningTable[luma][0], g_toningTable[luma][2]);  // toned, not grey: the order matters
}

TEST(PhotoboothEffectsTest, OverlayIsStretchedAndBlendedThroughItsMask) {
  PipSession overlay;
  ASSERT_TRUE(cNewImage(overlay.m_hSession, 2, 1, RGB(255, 0, 0)));
  const BYTE mask[2] = {255, 0};  // left half opaque red, right half clear
  ASSERT_TRUE(cLoadAlphaMask(overlay.m_hSession, mask));
  PipSession photo;
  ASSERT_TRUE(cNewImage(photo.m_hSession, 40, 10, RGB(0, 0, 255)));
  MergeOverlay(photo, overlay, 1);
  EXPECT_EQ(PixelAt(photo, 5, 5), RGB(255, 0, 0));
  EXPECT_EQ(PixelAt(photo, 35, 5), RGB(0, 0, 255));
  PipSession empty;
  MergeOverlay(photo, empty, 1);  // nothing to merge
  EXPECT_EQ(PixelAt(photo, 35, 5), RGB(0, 0, 255));
}

TEST(PhotoboothEffectsTest, ThumbnailBoxesStartFromTheRightAndCentreTheirNumbers) {
  struct Row {
    const char* name;
    BOOL threeToTwo;
    int boxHeight;
  } rows[] = {{"3:2 photos", TRUE, 66}, {"4:3 photos", FALSE, 75}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    PipSession screen;
    ASSERT_TRUE(cNewImage(screen.m_hSession, 1000, 600, RGB(255, 255, 255)));
    ThumbnailBoxes boxes;
    boxes.enable = TRUE;
    boxes.x = -10, boxes.y = 20, boxes.width = 100;
    boxes.xSpacing = 0, boxes.ySpacing = 150;
    boxes.count = 3;
    boxes.threeToTwo = row.threeToTwo;
    DrawThumbnailNumbers(screen, boxes);
    for (int k = 0; k < 3; ++k) {
      SCOPED_TRACE(k);
      const int top = 20 + 150 * k, bottom = top + row.boxHeight;
      EXPECT_EQ(PixelAt(screen, 890, top), RGB(65, 65, 65));
      EXPECT_EQ(PixelAt(screen, 989, bottom - 1), RGB(65, 65, 65));
      EXPECT_EQ(PixelAt(screen, 889, top), RGB(255, 255, 255));
      EXPECT_EQ(PixelAt(screen, 990, top), RGB(255, 255, 255));
      EXPECT_EQ(PixelAt(screen, 890, bottom), RGB(255, 255, 255));
      // The number's ink sits around the box's middle.
      int left = 1000, right = -1, inkTop = 1000, inkBottom = -1;
      for (int y = top; y < bottom; ++y)
        for (int x = 890; x < 990; ++x)
          if (PixelAt(screen, x, y) != RGB(65, 65, 65)) {
            left = std::min(left, x), right = std::max(right, x);
            inkTop = std::min(inkTop, y), inkBottom = std::max(inkBottom, y);
          }
      ASSERT_GE(right, left) << "no number drawn";
      EXPECT_NEAR((left + right) / 2.0, 940, 4);
      EXPECT_NEAR((inkTop + inkBottom) / 2.0, (top + bottom) / 2.0, 6);
    }
    EXPECT_EQ(PixelAt(screen, 940, 20 + 450 + 10), RGB(255, 255, 255)) << "three boxes only";
  }
  PipSession untouched;
  ASSERT_TRUE(cNewImage(untouched.m_hSession, 200, 200, RGB(255, 255, 255)));
  ThumbnailBoxes off;
  off.width = 100, off.count = 2;
  DrawThumbnailNumbers(untouched, off);
  EXPECT_EQ(PixelAt(untouched, 10, 10), RGB(255, 255, 255));
}

TEST(PhotoboothEffectsTest, KeyingAndToningTogetherTakeTheBackgroundThenTone) {
  BuildToningTable(0.6, 0.8);
  PipSession background;
  ASSERT_TRUE(cNewImage(background.m_hSession, 3, 3, RGB(30, 60, 90)));
  std::string path = TempFile("tone-background.png");
  ASSERT_TRUE(cSave(background.m_hSession, path.c_str(), PIP_FORMAT_PNG, 0, 0, 0));
  PipSession photo;
  ASSERT_TRUE(cNewImage(photo.m_hSession, 6, 6, RGB(20, 220, 20)));
  SetPixel(photo, 0, 0, 200, 100, 50);
  GreenScreenKey key;
  key.enable = TRUE, key.threshold = 100, key.redPercentage = 256, key.bluePercentage = 256;
  ApplyGreenscreen(photo, path.c_str(), key, 1, true);
  const int keyed = int(0.71516L * 60 + 0.212671L * 30 + 0.072169L * 90);
  const int kept = int(0.71516L * 100 + 0.212671L * 200 + 0.072169L * 50);
  EXPECT_EQ(PixelAt(photo, 4, 4), RGB(g_toningTable[keyed][0], g_toningTable[keyed][1], g_toningTable[keyed][2]));
  EXPECT_EQ(PixelAt(photo, 0, 0), RGB(g_toningTable[kept][0], g_toningTable[kept][1], g_toningTable[kept][2]));
  std::filesystem::remove(path);
}
