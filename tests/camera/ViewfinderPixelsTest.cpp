// The live view's pixel steps on small frames with known pixels.
#include "camera/ViewfinderPixels.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/canon/simulator.h"

namespace {

using Pixels = std::vector<BYTE>;

Pixels Repeat(int count, BYTE r, BYTE g, BYTE b) {
  Pixels out;
  for (int i = 0; i < count; ++i) out.insert(out.end(), {r, g, b});
  return out;
}

// A frame whose pixel n is (n, 100 + n, 200 + n), for following pixels through a turn.
Pixels Numbered(int count) {
  Pixels out;
  for (int n = 0; n < count; ++n)
    out.insert(out.end(), {static_cast<BYTE>(n), static_cast<BYTE>(100 + n), static_cast<BYTE>(200 + n)});
  return out;
}

std::vector<int> FirstBytes(const Pixels& pixels) {
  std::vector<int> out;
  for (size_t i = 0; i < pixels.size(); i += 3) out.push_back(pixels[i]);
  return out;
}

}  // namespace

TEST(ViewfinderPixelsTest, KeyDecidesByModeThresholdAndPercentage) {
  struct Row {
    const char* name;
    DWORD mode;
    BYTE r, g, b;
    bool keyed;
  };
  const Row rows[] = {
      {"green screen, green key", 1, 10, 200, 10, true},
      {"red share at 70% of green is too much", 1, 140, 200, 10, false},
      {"red share just under 70%", 1, 139, 200, 10, true},
      {"green at the threshold is not keyed", 1, 0, 20, 0, false},
      {"green one above the threshold", 1, 0, 21, 0, true},
      {"blue screen with the green key", 1, 10, 10, 200, false},
      {"mode 2 keys blue", 2, 10, 10, 200, true},
      {"mode 7 keys blue too", 7, 10, 10, 200, true},
      {"green screen with the blue key", 2, 10, 200, 10, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    ChromakeySettings key;
    key.mode = row.mode;
    EXPECT_EQ(row.keyed, IsKeyedPixel(key, row.r, row.g, row.b));
  }
}

TEST(ViewfinderPixelsTest, KeyedPixelsTakeMagentaOrTheBackgroundReadBackwards) {
  ChromakeySettings key;
  key.mode = 1;
  // Keyed, kept, keyed, keyed.
  Pixels frame = {0, 250, 0, 200, 200, 200, 0, 250, 0, 0, 250, 0};
  Pixels noBackground = frame;
  ChromakeyFrame(noBackground.data(), 2, 2, key, nullptr);
  EXPECT_EQ((Pixels{255, 0, 255, 200, 200, 200, 255, 0, 255, 255, 0, 255}), noBackground);

  // The background buffer is read from its end, each pixel with its first and third bytes swapped.
  Pixels background = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
  Pixels keyed = frame;
  ChromakeyFrame(keyed.data(), 2, 2, key, background.data());
  EXPECT_EQ((Pixels{12, 11, 10, 200, 200, 200, 6, 5, 4, 3, 2, 1}), keyed);

  // A 2 x 2 picture of four colours in the imaging library's order lands upright through the cache.
  Pixels picture = {/*red*/ 0, 0, 255, /*green*/ 0, 255, 0, /*blue*/ 255, 0, 0, /*white*/ 255, 255, 255};
  Pixels cache;
  MakeBackgroundCache(picture.data(), 2, 2, cache);
  Pixels allGreen = Repeat(4, 0, 250, 0);
  ChromakeyFrame(allGreen.data(), 2, 2, key, cache.data());
  EXPECT_EQ((Pixels{255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255}), allGreen);
}

TEST(ViewfinderPixelsTest, OnionSkinHalvesBothFrames) {
  Pixels frame = {255, 3, 0, 1, 100, 201};
  Pixels kept = {255, 3, 255, 1, 50, 200};
  BlendOnionSkin(frame.data(), kept.data(), frame.size());
  EXPECT_EQ((Pixels{254, 2, 127, 0, 75, 200}), frame);
}

TEST(ViewfinderPixelsTest, ShadingHalvesOutsideAnInclusiveRectangleAndSwapsEveryPixel) {
  Pixels frame = Repeat(16, 200, 100, 10);
  ShadeAndSwap(frame.data(), 4, 4, true, RECT{1, 1, 2, 2});
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) {
      SCOPED_TRACE(testing::Message() << "pixel " << x << "," << y);
      const BYTE* p = &frame[(y * 4 + x) * 3];
      bool inside = x >= 1 && x <= 2 && y >= 1 && y <= 2;
      EXPECT_EQ(inside ? 10 : 5, p[0]);
      EXPECT_EQ(inside ? 100 : 50, p[1]);
      EXPECT_EQ(inside ? 200 : 100, p[2]);
    }
  Pixels unshaded = Repeat(2, 200, 100, 10);
  ShadeAndSwap(unshaded.data(), 2, 1, false, RECT{5, 5, 6, 6});
  EXPECT_EQ((Pixels{10, 100, 200, 10, 100, 200}), unshaded);
}

TEST(ViewfinderPixelsTest, TurnsA3By2Frame) {
  // a b c / d e f  is pixels 0 1 2 / 3 4 5.
  struct Row {
    int angle;
    int width, height;
    std::vector<int> order;
  };
  const Row rows[] = {{0, 3, 2, {0, 1, 2, 3, 4, 5}},
                      {90, 2, 3, {3, 0, 4, 1, 5, 2}},
                      {180, 3, 2, {5, 4, 3, 2, 1, 0}},
                      {270, 2, 3, {2, 5, 1, 4, 0, 3}}};
  Pixels frame = Numbered(6);
  for (const Row& row : rows) {
    SCOPED_TRACE(row.angle);
    Pixels out;
    int width = 0, height = 0;
    RotateFrame(frame.data(), 3, 2, row.angle, out, width, height);
    EXPECT_EQ(row.width, width);
    EXPECT_EQ(row.height, height);
    EXPECT_EQ(row.order, FirstBytes(out));
    EXPECT_EQ(100 + row.order[0], out[1]);  // pixels move whole
  }
}

TEST(ViewfinderPixelsTest, RowsArePaddedToFourPixelsAndThePaddingStaysOutOfSight) {
  EXPECT_EQ(324, PaddedWidth(322));
  EXPECT_EQ(320, PaddedWidth(320));
  EXPECT_EQ(4, PaddedWidth(1));
  Pixels frame = Repeat(322 * 2, 9, 9, 9);
  Pixels padded;
  ASSERT_TRUE(PadRows(frame.data(), 322, 2, padded));
  ASSERT_EQ(324u * 2 * 3, padded.size());
  EXPECT_EQ(9, padded[321 * 3]);
  EXPECT_EQ(0, padded[322 * 3]);
  EXPECT_EQ(9, padded[324 * 3]);  // the second row starts after the padding
  Pixels unpadded;
  EXPECT_FALSE(PadRows(frame.data(), 320, 2, unpadded));
  // What is drawn is the frame's own width, whatever the rows' width.
  POINT offset{};
  EXPECT_EQ(644, DestinationSize(322, 2, 2, 1920, 1080, offset).cx);
  EXPECT_EQ(322, ZoomSourceRect(322, 2, 0).right);
}

TEST(ViewfinderPixelsTest, ASizeChangeReplacesTheKeptFrame) {
  Pixels current, kept;
  StoreFrame(Repeat(4, 1, 1, 1), current, kept);
  EXPECT_EQ(Repeat(4, 1, 1, 1), kept);
  StoreFrame(Repeat(4, 2, 2, 2), current, kept);
  EXPECT_EQ(Repeat(4, 2, 2, 2), current);
  EXPECT_EQ(Repeat(4, 1, 1, 1), kept) << "a frame of the same size leaves the kept frame";
  StoreFrame(Repeat(6, 3, 3, 3), current, kept);
  EXPECT_EQ(Repeat(6, 3, 3, 3), current);
  EXPECT_EQ(Repeat(6, 3, 3, 3), kept);
}

TEST(ViewfinderPixelsTest, DestinationFillsTheScreenAtScale5) {
  struct Row {
    int frameWidth, frameHeight, scale, screenWidth, screenHeight;
    SIZE size;
    POINT offset;
  };
  const Row rows[] = {{320, 240, 1, 1920, 1080, {320, 240}, {0, 0}},
                      {320, 240, 4, 1920, 1080, {1280, 960}, {0, 0}},
                      {320, 240, 5, 1920, 1080, {1440, 1080}, {240, 0}},
                      {320, 240, 5, 1080, 1920, {1080, 810}, {0, 555}},
                      {240, 320, 5, 1920, 1080, {810, 1080}, {555, 0}}};
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << row.frameWidth << "x" << row.frameHeight << " scale " << row.scale << " on "
                                    << row.screenWidth << "x" << row.screenHeight);
    POINT offset{-1, -1};
    SIZE size = DestinationSize(row.frameWidth, row.frameHeight, row.scale, row.screenWidth, row.screenHeight, offset);
    EXPECT_EQ(row.size.cx, size.cx);
    EXPECT_EQ(row.size.cy, size.cy);
    EXPECT_EQ(row.offset.x, offset.x);
    EXPECT_EQ(row.offset.y, offset.y);
  }
}

TEST(ViewfinderPixelsTest, ZoomAndGrid) {
  RECT whole = ZoomSourceRect(320, 240, 1.0);
  EXPECT_EQ(0, whole.left);
  EXPECT_EQ(320, whole.right);
  RECT zoomed = ZoomSourceRect(320, 240, 3.0);  // 107 x 80, centred
  EXPECT_EQ(106, zoomed.left);
  EXPECT_EQ(80, zoomed.top);
  EXPECT_EQ(107, zoomed.right);
  EXPECT_EQ(80, zoomed.bottom);
  EXPECT_EQ((std::vector<int>{213, 426}), GridLines(640, 3));
  EXPECT_TRUE(GridLines(640, 1).empty());
}

TEST(ViewfinderPixelsTest, MotionFrameIsBlueGreenRedAndAlways320By240) {
  Pixels motion(kMotionFrameBytes, 0);
  // A frame of the motion size is copied pixel for pixel.
  Pixels frame = Repeat(320 * 240, 10, 20, 30);
  frame[3 * (320 * 239 + 319)] = 99;
  CopyToMotionFrame(frame.data(), 320, 240, motion.data());
  EXPECT_EQ((Pixels{30, 20, 10}), Pixels(motion.begin(), motion.begin() + 3));
  EXPECT_EQ(99, motion[kMotionFrameBytes - 1]);

  // A wider frame is scaled down, not cut: its right half reaches the right half.
  Pixels wide(640 * 480 * 3, 0);
  for (int y = 0; y < 480; ++y)
    for (int x = 320; x < 640; ++x) wide[(y * 640 + x) * 3] = 255;
  CopyToMotionFrame(wide.data(), 640, 480, motion.data());
  EXPECT_EQ(0, motion[(239 * 320 + 159) * 3 + 2]);
  EXPECT_EQ(255, motion[(239 * 320 + 160) * 3 + 2]);
  EXPECT_EQ(255, motion[kMotionFrameBytes - 1]);

  // A smaller frame is scaled up to fill it.
  Pixels small = Repeat(160 * 120, 1, 2, 3);
  std::fill(motion.begin(), motion.end(), 0);
  CopyToMotionFrame(small.data(), 160, 120, motion.data());
  EXPECT_EQ(3, motion[kMotionFrameBytes - 3]);
}

TEST(ViewfinderPixelsTest, DecodesCameraFramesAndRefusesOtherBytes) {
  std::vector<BYTE> jpeg = tavsim::SimMakePhoto(320, 240, 1, "Canon PowerShot G9");
  Pixels rgb;
  int width = 0, height = 0;
  ASSERT_TRUE(DecodeViewfinderJpeg(jpeg.data(), jpeg.size(), rgb, width, height));
  EXPECT_EQ(320, width);
  EXPECT_EQ(240, height);
  EXPECT_EQ(320u * 240 * 3, rgb.size());
  Pixels before = rgb;
  EXPECT_FALSE(DecodeViewfinderJpeg(jpeg.data(), 200, rgb, width, height));
  const BYTE junk[] = {1, 2, 3, 4};
  EXPECT_FALSE(DecodeViewfinderJpeg(junk, sizeof junk, rgb, width, height));
  EXPECT_EQ(before, rgb) << "a failed decode keeps nothing";
}
