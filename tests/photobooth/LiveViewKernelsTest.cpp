#include "photobooth/LiveViewKernels.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/gdi/blit.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/draw.h"
#include "platform/gdi/objects.h"

namespace {

struct Bgr {
  BYTE b, g, r;
};

GreenScreenKey Key(bool blue, WORD threshold, WORD red, WORD third) {
  GreenScreenKey key;
  key.enable = TRUE;
  key.blueScreen = blue;
  key.threshold = threshold;
  key.redPercentage = red;
  key.bluePercentage = third;
  return key;
}

TEST(LiveViewKernelsTest, KeyingReplacesOnlyPixelsOfTheKeyColour) {
  const struct {
    const char* name;
    bool blue;
    WORD threshold, red, third;
    Bgr pixel;
    bool replaced;
  } rows[] = {
      {"pure green", false, 100, 128, 128, {0, 255, 0}, true},
      {"too much red", false, 100, 128, 128, {0, 255, 200}, false},
      {"too much blue", false, 100, 128, 128, {200, 255, 0}, false},
      {"green at the threshold", false, 100, 128, 128, {0, 100, 0}, false},
      {"green just above it", false, 100, 128, 128, {0, 101, 0}, true},
      {"red at the ratio's edge", false, 0, 128, 128, {0, 200, 100}, false},  // 100 x 256 == 200 x 128
      {"red under the ratio", false, 0, 128, 128, {0, 200, 99}, true},
      {"blue in green mode", false, 100, 128, 128, {255, 0, 0}, false},
      {"blue in blue mode", true, 100, 128, 128, {255, 0, 0}, true},
      {"green in blue mode", true, 100, 128, 128, {0, 255, 0}, false},
      {"blue mode, green third", true, 100, 128, 128, {255, 200, 0}, false},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    Bgr frame[2] = {row.pixel, {1, 2, 3}};
    const Bgr background[2] = {{9, 8, 7}, {6, 5, 4}};
    KeyRows(&frame[0].b, &background[0].b, 2, Key(row.blue, row.threshold, row.red, row.third));
    if (row.replaced) {
      EXPECT_EQ(9, frame[0].b);
      EXPECT_EQ(8, frame[0].g);
      EXPECT_EQ(7, frame[0].r);
    } else {
      EXPECT_EQ(row.pixel.b, frame[0].b);
      EXPECT_EQ(row.pixel.g, frame[0].g);
      EXPECT_EQ(row.pixel.r, frame[0].r);
    }
    EXPECT_EQ(1, frame[1].b);  // a dark pixel is never keyed
  }
}

TEST(LiveViewKernelsTest, OverlayBlendsByItsAlphaAndLeavesClearPixels) {
  OverlayPlanes overlay;
  overlay.width = 3;
  overlay.height = 1;
  overlay.red = {200, 200, 200};
  overlay.green = {100, 100, 100};
  overlay.blue = {0, 0, 0};
  overlay.alpha = {0, 255, 128};
  Bgr frame[3] = {{40, 50, 60}, {40, 50, 60}, {40, 50, 60}};
  BlendOverlay(&frame[0].b, overlay, 3);
  EXPECT_EQ(40, frame[0].b);
  EXPECT_EQ(50, frame[0].g);
  EXPECT_EQ(60, frame[0].r);
  EXPECT_EQ((0 * 255 + 40 * 1) >> 8, frame[1].b);
  EXPECT_EQ((100 * 255 + 50 * 1) >> 8, frame[1].g);
  EXPECT_EQ((200 * 255 + 60 * 1) >> 8, frame[1].r);
  EXPECT_EQ((40 * 128) >> 8, frame[2].b);
  EXPECT_EQ((100 * 128 + 50 * 128) >> 8, frame[2].g);
  EXPECT_EQ((200 * 128 + 60 * 128) >> 8, frame[2].r);
  // Planes of another size than the frame are not read past their end.
  OverlayPlanes small = overlay;
  small.width = 1;
  small.red.resize(1), small.green.resize(1), small.blue.resize(1), small.alpha.resize(1);
  small.alpha[0] = 255;
  Bgr two[2] = {{1, 1, 1}, {1, 1, 1}};
  BlendOverlay(&two[0].b, small, 2);
  EXPECT_EQ(1, two[1].r);
}

TEST(LiveViewKernelsTest, GreyAveragesAndToningLooksUpTheLuminance) {
  Bgr frame[2] = {{31, 20, 10}, {255, 255, 255}};
  GreyRows(&frame[0].b, 2);
  EXPECT_EQ(20, frame[0].r);  // 61 / 3
  EXPECT_EQ(20, frame[0].g);
  EXPECT_EQ(20, frame[0].b);
  EXPECT_EQ(255, frame[1].g);

  BYTE table[256][3];
  for (int i = 0; i < 256; ++i) table[i][0] = BYTE(i), table[i][1] = BYTE(255 - i), table[i][2] = 7;
  const struct {
    Bgr pixel;
    int luma;
  } rows[] = {
      {{0, 0, 100}, 21},        // 21.2671
      {{0, 100, 0}, 71},        // 71.516
      {{100, 0, 0}, 7},         // 7.2169
      {{0, 0, 255}, 54},        // 54.23
      {{10, 200, 50}, 154},     // 10.63 + 143.03 + 0.72
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.luma);
    Bgr pixel = row.pixel;
    ToneRows(&pixel.b, 1, table);
    EXPECT_EQ(row.luma, pixel.r);
    EXPECT_EQ(255 - row.luma, pixel.g);
    EXPECT_EQ(7, pixel.b);
  }
}

TEST(LiveViewKernelsTest, GeometryCutsZoomsCropsAndPlaces) {
  EXPECT_EQ((LiveRect{0, 27, 640, 426}), Band3to2(640, 480));
  EXPECT_EQ((LiveRect{0, 0, 300, 100}), Band3to2(300, 100));  // already wider than 3:2
  EXPECT_EQ((LiveRect{0, 100, 300, 200}), Band3to2(300, 400));

  const struct {
    int width, height;
    double zoom;
    int crop;
    LiveRect expected;
  } sources[] = {
      {640, 480, 0, 0, {0, 0, 640, 480}},
      {640, 480, 1, 0, {0, 0, 640, 480}},
      {640, 480, 2, 0, {160, 120, 320, 240}},
      {640, 480, 3, 0, {213, 160, 213, 160}},  // 213.3 and 160 rounded
      {640, 480, 0, 40, {20, 20, 600, 440}},
      {640, 480, 2, 40, {180, 140, 280, 200}},
      {640, 480, 0, 500, {250, 0, 140, 480}},  // more than the height: only the width loses pixels
  };
  for (const auto& row : sources) {
    SCOPED_TRACE(testing::Message() << row.zoom << " " << row.crop);
    EXPECT_EQ(row.expected, LiveViewSourceRect(row.width, row.height, row.zoom, row.crop));
  }

  const struct {
    int xOffset, yOffset;
    LiveRect expected;
  } places[] = {
      {-1, 0, {(1920 - 640) / 2, 0, 640, 480}},
      {0, 10, {0, 10, 640, 480}},
      {1869, 0, {1869, 0, 640, 480}},
      {1870, 0, {640, 0, 640, 480}},  // not less than the client width - 50: centred
  };
  for (const auto& row : places) {
    SCOPED_TRACE(row.xOffset);
    EXPECT_EQ(row.expected, LiveViewDestRect(320, 240, 480, row.xOffset, row.yOffset, 1920));
  }
  EXPECT_EQ(654, LiveViewDestRect(600, 440, 480, -1, 0, 1920).width);
}

TEST(LiveViewKernelsTest, MirrorAndPaddedRows) {
  Bgr frame[6] = {{1, 1, 1}, {2, 2, 2}, {3, 3, 3}, {4, 4, 4}, {5, 5, 5}, {6, 6, 6}};
  MirrorRows(&frame[0].b, 3, 2);
  const int mirrored[6] = {3, 2, 1, 6, 5, 4};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(mirrored[i], frame[i].r) << i;

  EXPECT_EQ(12, DibStride(3));
  EXPECT_EQ(12, DibStride(4));
  EXPECT_EQ(8, DibStride(2));
  std::vector<BYTE> out;
  ASSERT_TRUE(CopyPaddedRows(&frame[0].b, 3, 2, {1, 0, 2, 2}, out));
  ASSERT_EQ(16u, out.size());  // two rows of 6 bytes padded to 8
  EXPECT_EQ(2, out[0]);
  EXPECT_EQ(1, out[3]);
  EXPECT_EQ(0, out[6]);
  EXPECT_EQ(5, out[8]);
  EXPECT_FALSE(CopyPaddedRows(&frame[0].b, 3, 2, {2, 0, 2, 2}, out));  // past the right edge
  EXPECT_FALSE(CopyPaddedRows(&frame[0].b, 3, 2, {0, 0, 0, 2}, out));
}

TEST(LiveViewKernelsTest, Rows32CutMirrorAndKeepEveryPixel) {
  Bgr frame[6] = {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}, {10, 11, 12}, {13, 14, 15}, {16, 17, 18}};
  const struct {
    const char* name;
    bool mirror;
    BYTE expected[16];  // two rows of two pixels: blue, green, red, 255
  } rows[] = {
      {"as it comes", false, {4, 5, 6, 255, 7, 8, 9, 255, 13, 14, 15, 255, 16, 17, 18, 255}},
      {"mirrored", true, {7, 8, 9, 255, 4, 5, 6, 255, 16, 17, 18, 255, 13, 14, 15, 255}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    std::vector<BYTE> out(100, 0xEE);  // a larger buffer of an earlier frame is cut to size
    ASSERT_TRUE(CopyRows32(&frame[0].b, 3, 2, {1, 0, 2, 2}, row.mirror, out));
    EXPECT_EQ(std::vector<BYTE>(row.expected, row.expected + 16), out);
  }
  std::vector<BYTE> out;
  EXPECT_FALSE(CopyRows32(&frame[0].b, 3, 2, {2, 0, 2, 2}, false, out));  // past the right edge
  EXPECT_FALSE(CopyRows32(&frame[0].b, 3, 2, {0, 1, 3, 2}, false, out));  // past the bottom
  EXPECT_FALSE(CopyRows32(&frame[0].b, 3, 2, {0, 0, 0, 2}, false, out));
  EXPECT_FALSE(CopyRows32(nullptr, 3, 2, {0, 0, 1, 1}, false, out));
  EXPECT_TRUE(out.empty());
}

// The live picture goes to the screen as 32-bit rows, mirrored beforehand; the screen must show
// exactly what the 24-bit rows mirrored by the DC showed, scaled with halftone.
TEST(LiveViewKernelsTest, Rows32DrawTheSamePixelsAs24BitRows) {
  const int width = 64, height = 43, destWidth = 72, destHeight = 48;
  std::vector<BYTE> frame(size_t(width) * height * 3);
  for (size_t i = 0; i < frame.size(); ++i) frame[i] = static_cast<BYTE>((i * 37 + i / 191 * 11) & 0xFF);
  const LiveRect part{3, 2, 50, 40};
  for (bool mirror : {false, true}) {
    SCOPED_TRACE(mirror ? "mirrored" : "as it comes");
    std::vector<BYTE> padded, rows32;
    ASSERT_TRUE(CopyPaddedRows(frame.data(), width, height, part, padded));
    if (mirror) MirrorRows(padded.data(), part.width, part.height, DibStride(part.width));
    ASSERT_TRUE(CopyRows32(frame.data(), width, height, part, mirror, rows32));
    COLORREF drawn[2][destWidth * destHeight];
    for (int bits : {24, 32}) {
      HDC dc = CreateCompatibleDC(nullptr);
      HBITMAP bitmap = CreateCompatibleBitmap(dc, destWidth, destHeight);
      HGDIOBJ old = SelectObject(dc, bitmap);
      BITMAPINFO info{};
      info.bmiHeader = {sizeof(BITMAPINFOHEADER), part.width, -part.height, 1, static_cast<WORD>(bits), BI_RGB,
                        0, 0, 0, 0, 0};
      SetStretchBltMode(dc, HALFTONE);
      EXPECT_EQ(part.height, StretchDIBits(dc, 0, 0, destWidth, destHeight, 0, 0, part.width, part.height,
                                           bits == 24 ? padded.data() : rows32.data(), &info, DIB_RGB_COLORS,
                                           SRCCOPY));
      for (int y = 0; y < destHeight; ++y)
        for (int x = 0; x < destWidth; ++x) drawn[bits == 32][y * destWidth + x] = GetPixel(dc, x, y);
      SelectObject(dc, old);
      DeleteObject(bitmap);
      DeleteDC(dc);
    }
    int differing = 0;
    for (int i = 0; i < destWidth * destHeight; ++i) differing += drawn[0][i] != drawn[1][i];
    EXPECT_EQ(0, differing);
    EXPECT_NE(drawn[0][0], drawn[0][destWidth - 1]);  // the picture has detail to compare
  }
}

TEST(LiveViewKernelsTest, CutToAspectKeepsTheCentreInTheLivePicturesShape) {
  const struct {
    int width, height, aspectWidth, aspectHeight;
    LiveRect expected;
  } rows[] = {
      {800, 600, 480, 320, {0, 33, 800, 533}},   // 4:3 photo, 3:2 live picture: top and bottom go
      {800, 600, 320, 480, {200, 0, 400, 600}},  // a turned live picture: the sides go
      {800, 533, 480, 320, {0, 0, 800, 533}},    // already that shape (rounded)
      {800, 600, 640, 480, {0, 0, 800, 600}},
      {800, 600, 0, 0, {0, 0, 800, 600}},        // no live picture yet: all of it
      {1, 600, 1000, 1, {0, 299, 1, 1}},         // never empty
      {0, 600, 3, 2, {}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(testing::Message() << row.width << "x" << row.height << " to " << row.aspectWidth << ":"
                                    << row.aspectHeight);
    EXPECT_EQ(row.expected, CutToAspect(row.width, row.height, row.aspectWidth, row.aspectHeight));
  }
}

}  // namespace
