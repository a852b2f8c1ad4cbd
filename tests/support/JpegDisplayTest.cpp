#include "support/JpegDisplay.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "JpegTestImages.h"
#include "tests/support/ExifFixtures.h"
#include "platform/gdi/wingdi.h"
#include "platform/polyimage/polyimage.h"
#include "support/Toning.h"

using jpegtest::Bytes;
using jpegtest::Rgb;

namespace {

struct Shown {
  int width = 0, height = 0;
  HDC dc = nullptr;
  HGDIOBJ old = nullptr;
  std::unique_ptr<CBitmap> bitmap;
  explicit Shown(CBitmap* b) : bitmap(b) {
    if (!b) return;
    BITMAP info = {};
    b->GetBitmap(&info);
    width = info.bmWidth, height = info.bmHeight;
    dc = CreateCompatibleDC(nullptr);
    old = SelectObject(dc, b->m_hObject);
  }
  ~Shown() {
    if (!dc) return;
    SelectObject(dc, old);
    DeleteDC(dc);
  }
  Rgb At(int x, int y) const {
    COLORREF c = GetPixel(dc, x, y);
    return Rgb{GetRValue(c), GetGValue(c), GetBValue(c)};
  }
};

CBitmap* Render(const Bytes& jpeg, CHistogram* histogram, int angle, int boxW, int boxH, int grey = 0,
                BOOL crop3x2 = FALSE, RECT crop = {-1, -1, -1, -1}, int sharpening = 0) {
  return RenderJpegForDisplay(jpeg.data(), DWORD(jpeg.size()), histogram, angle, boxW, boxH, sharpening, grey, crop3x2,
                              crop.left, crop.top, crop.right, crop.bottom);
}

Bytes Uniform(Rgb c, size_t size, int w = 640, int h = 480) {
  return jpegtest::PadTo(jpegtest::Encode(w, h, [c](int, int) { return c; }), size);
}

void ExpectNear(Rgb got, Rgb want, int tolerance) {
  EXPECT_NEAR(got.r, want.r, tolerance);
  EXPECT_NEAR(got.g, want.g, tolerance);
  EXPECT_NEAR(got.b, want.b, tolerance);
}

}  // namespace

TEST(JpegDisplayTest, DctDivisorTable) {
  const struct {
    int w, h, tw, th, divisor;
  } rows[] = {
      {3000, 2000, 300, 200, 8},   // 375 x 250, resampled afterwards
      {3000, 2000, 400, 300, 4},   // 750 x 500
      {4000, 3000, 1024, 768, 2},  // the last doubling may bring the width below twice the target
      {1000, 800, 600, 400, 1},    // not twice as wide as the box
      {3001, 2000, 300, 200, 1},   // odd width: no scaling at all
      {3000, 1998, 300, 200, 2},   // 1500 x 999 is odd: stops at 2
      {6000, 4000, 100, 100, 8},   // never beyond 8
      {3000, 2000, 300, 1500, 2},  // height 1000 is below the target: stops
      {3000, 2000, 0, 0, 1},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(testing::Message() << row.w << "x" << row.h << " into " << row.tw << "x" << row.th);
    EXPECT_EQ(ChooseDctDivisor(row.w, row.h, row.tw, row.th), row.divisor);
  }
}

TEST(JpegDisplayTest, FitsTheBoxAndCountsTheHistogram) {
  const struct {
    int w, h, angle, boxW, boxH, outW, outH;
  } rows[] = {
      {3000, 2000, 0, 300, 200, 300, 200},
      {3000, 2000, 0, 400, 300, 400, 266},
      {3000, 2000, 90, 300, 400, 266, 400},  // box turned for the turned picture
      {640, 480, 0, 1024, 768, 640, 480},    // never enlarged
      {640, 480, 180, 320, 320, 320, 240},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(testing::Message() << row.w << "x" << row.h << " angle " << row.angle);
    CHistogram histogram;
    Shown shown(Render(Uniform({200, 100, 50}, 30000, row.w, row.h), &histogram, row.angle, row.boxW, row.boxH));
    ASSERT_TRUE(shown.bitmap);
    EXPECT_EQ(shown.width, row.outW);
    EXPECT_EQ(shown.height, row.outH);
    EXPECT_EQ(histogram.m_pixelCount, row.outW * row.outH);
    ExpectNear(shown.At(row.outW / 2, row.outH / 2), {200, 100, 50}, 3);
  }
}

TEST(JpegDisplayTest, GreyTonedAndCropShading) {
  BuildToningTable(0.1, 0.6);
  Bytes jpeg = Uniform({200, 100, 50}, 30000);
  CHistogram histogram;
  Shown colour(Render(jpeg, &histogram, 0, 320, 240));
  ASSERT_TRUE(colour.bitmap);
  Rgb c = colour.At(10, 10);
  int mean = (c.r + c.g + c.b) / 3;
  int lum = int(0.212671 * c.r + 0.71516 * c.g + 0.072169 * c.b);
  Rgb toned = {g_toningTable[lum][0], g_toningTable[lum][1], g_toningTable[lum][2]};
  Rgb halved = {c.r / 2, c.g / 2, c.b / 2};
  int sixth = (c.r + c.g + c.b) / 6;
  // The histogram counts the colour as decoded, whatever the grey mode.
  EXPECT_EQ(histogram.m_red[c.r], 320 * 240);

  const RECT crop = {0, 0, 159, 119};  // the top left quarter of the 320 x 240 viewfinder
  const struct {
    int grey;
    RECT crop;
    Rgb inside, outside;
  } rows[] = {
      {0, {-1, -1, -1, -1}, c, c},
      {1, {-1, -1, -1, -1}, {mean, mean, mean}, {mean, mean, mean}},
      {2, {-1, -1, -1, -1}, toned, toned},
      {0, crop, c, halved},
      {1, crop, {mean, mean, mean}, {sixth, sixth, sixth}},
      {2, crop, toned, toned},  // toned pictures are never shaded
      {0, {0, 0, 159, -1}, c, c},  // any negative value turns shading off
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(testing::Message() << "grey " << row.grey << " crop " << row.crop.right << "," << row.crop.bottom);
    CHistogram h;
    Shown shown(Render(jpeg, &h, 0, 320, 240, row.grey, FALSE, row.crop));
    ASSERT_TRUE(shown.bitmap);
    ExpectNear(shown.At(10, 10), row.inside, 0);
    ExpectNear(shown.At(159, 119), row.inside, 0);
    ExpectNear(shown.At(160, 10), row.outside, 0);
    ExpectNear(shown.At(10, 120), row.outside, 0);
    EXPECT_EQ(h.m_red[c.r], 320 * 240);
  }
}

TEST(JpegDisplayTest, RotatesQuarterTurnsClockwise) {
  // Left half red, right half blue.
  Bytes jpeg = jpegtest::PadTo(
      jpegtest::Encode(640, 480, [](int x, int) { return x < 320 ? Rgb{255, 0, 0} : Rgb{0, 0, 255}; }), 30000);
  const struct {
    int angle;
    Rgb topLeft, bottomRight;
  } rows[] = {
      {0, {255, 0, 0}, {0, 0, 255}},
      {90, {255, 0, 0}, {0, 0, 255}},   // red half on top
      {180, {0, 0, 255}, {255, 0, 0}},
      {270, {0, 0, 255}, {255, 0, 0}},  // red half at the bottom
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.angle);
    Shown shown(Render(jpeg, nullptr, row.angle, 640, 640));
    ASSERT_TRUE(shown.bitmap);
    bool turned = row.angle % 180 != 0;
    EXPECT_EQ(shown.width, turned ? 480 : 640);
    ExpectNear(shown.At(2, 2), row.topLeft, 8);
    ExpectNear(shown.At(shown.width - 3, shown.height - 3), row.bottomRight, 8);
    if (turned) ExpectNear(shown.At(shown.width - 3, 2), row.topLeft, 8);
  }
}

TEST(JpegDisplayTest, CropsTallPicturesTo3x2) {
  // Blue bands above row 100 and below row 500; only the 400 middle rows are kept.
  Bytes jpeg = jpegtest::PadTo(
      jpegtest::Encode(600, 600, [](int, int y) { return y < 100 || y >= 500 ? Rgb{0, 0, 255} : Rgb{255, 0, 0}; }),
      30000);
  Shown shown(Render(jpeg, nullptr, 0, 600, 600, 0, TRUE));
  ASSERT_TRUE(shown.bitmap);
  EXPECT_EQ(shown.width, 600);
  EXPECT_EQ(shown.height, 400);
  ExpectNear(shown.At(300, 3), {255, 0, 0}, 8);
  ExpectNear(shown.At(300, 396), {255, 0, 0}, 8);
}

TEST(JpegDisplayTest, SmallJpegsGoThroughTheImagingLibrary) {
  // Only the libjpeg road shades outside the crop, which tells the two apart.
  const RECT crop = {0, 0, 159, 119};
  const struct {
    size_t size;
    bool shaded;
  } rows[] = {{19000, false}, {30000, true}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.size);
    Bytes jpeg = Uniform({200, 100, 50}, row.size, 320, 240);
    ASSERT_NEAR(double(jpeg.size()), double(row.size), 3);
    CHistogram histogram;
    Shown shown(Render(jpeg, &histogram, 0, 320, 240, 0, FALSE, crop));
    ASSERT_TRUE(shown.bitmap);
    EXPECT_EQ(shown.width, 320);
    EXPECT_EQ(histogram.m_pixelCount, 320 * 240);
    Rgb in = shown.At(10, 10), out = shown.At(300, 200);
    EXPECT_EQ(out.r, row.shaded ? in.r / 2 : in.r);
  }
}

TEST(JpegDisplayTest, SmallTaggedJpegIsTurnedOnceByTheAngle) {
  // A portrait THM: landscape pixels tagged 6, shown with the angle its tag gives.
  exiftest::Options options;
  options.orientation = 6;
  options.thumbnail = false;
  Bytes thm = exiftest::MakeCameraJpeg(160, 120, [](int x, int y) { return exiftest::Quadrants(x, y, 160, 120); },
                                       options);
  ASSERT_LT(thm.size(), 20480u);
  Shown shown(Render(thm, nullptr, 90, 320, 320));
  ASSERT_TRUE(shown.bitmap);
  EXPECT_EQ(shown.width, 120);
  EXPECT_EQ(shown.height, 160);
  // A quarter turn clockwise puts the blue bottom-left quadrant at the top left.
  ExpectNear(shown.At(5, 5), {0, 0, 220}, 24);
  ExpectNear(shown.At(shown.width - 5, 5), {220, 0, 0}, 24);
}

TEST(JpegDisplayTest, GreyJpegIsExpandedToThreeEqualBytes) {
  Bytes jpeg = jpegtest::PadTo(jpegtest::Encode(320, 240, [](int, int) { return Rgb{90, 90, 90}; }, 95, true), 30000);
  CHistogram histogram;
  Shown shown(Render(jpeg, &histogram, 0, 320, 240));
  ASSERT_TRUE(shown.bitmap);
  ExpectNear(shown.At(100, 100), {90, 90, 90}, 1);
  Rgb c = shown.At(100, 100);
  EXPECT_EQ(c.r, c.g);
  EXPECT_EQ(c.g, c.b);
}

TEST(JpegDisplayTest, DamagedDataGivesNoPicture) {
  Bytes good = Uniform({10, 200, 30}, 30000);
  Bytes noise(30000);
  for (size_t i = 0; i < noise.size(); ++i) noise[i] = BYTE(i * 2654435761u >> 13);
  Bytes truncated(good.begin(), good.begin() + 25000);  // cut inside the padding
  Bytes cutInScan = jpegtest::Encode(1200, 900, [](int x, int y) { return Rgb{x & 255, y & 255, (x ^ y) & 255}; });
  cutInScan.resize(cutInScan.size() / 2);
  const struct {
    const char* name;
    Bytes data;
  } rows[] = {{"noise", noise}, {"truncated header", truncated}, {"truncated scan", cutInScan}, {"empty", {}}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    CHistogram histogram;
    bool threw = false;
    CBitmap* bitmap = nullptr;
    try {
      bitmap = Render(row.data, &histogram, 0, 320, 240);
    } catch (const CString&) {
      threw = true;
    }
    EXPECT_TRUE(threw || !bitmap);
    delete bitmap;
  }
}

TEST(JpegDisplayTest, SharpenKernelOnA3x3Fixture) {
  // Centre 100, the rest 50; the same value in all three channels.
  auto fixture = [] {
    std::vector<BYTE> p(27, 50);
    p[12] = p[13] = p[14] = 100;
    return p;
  };
  const struct {
    int strength;
    int corner, edge, centre;
  } rows[] = {
      {100, 0, 0, 255},   // weight 13, divisor 1
      {50, 48, 46, 123},  // weight 38, divisor 26
      {1, 49, 48, 112},   // weight 62, divisor 50
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.strength);
    std::vector<BYTE> p = fixture();
    SharpenRgb24(p.data(), 3, 3, row.strength);
    for (int c = 0; c < 3; ++c) {
      EXPECT_EQ(p[0 + c], row.corner);
      EXPECT_EQ(p[24 + c], row.corner);
      EXPECT_EQ(p[3 + c], row.edge);
      EXPECT_EQ(p[15 + c], row.edge);
      EXPECT_EQ(p[12 + c], row.centre);
    }
  }
  std::vector<BYTE> flat(27, 77);
  SharpenRgb24(flat.data(), 3, 3, 40);
  EXPECT_EQ(flat, std::vector<BYTE>(27, 77));
}

TEST(JpegDisplayTest, HistogramFromImageCountsEveryPixel) {
  const BYTE bgr[] = {30, 20, 10, 60, 50, 40};  // (10, 20, 30) and (40, 50, 60)
  const struct {
    const char* name;
    bool grey;
  } rows[] = {{"24-bit", false}, {"8-bit grey", true}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    int s = cNewSession();
    ASSERT_TRUE(cLoadImage8(s, bgr, sizeof(bgr), 2, 1, 0, 0, 0));
    if (row.grey) {
      ASSERT_TRUE(cOpGrayScale(s));
    }
    CHistogram histogram;
    HistogramFromImage(s, &histogram);
    EXPECT_EQ(histogram.m_pixelCount, 2);
    if (!row.grey) {
      EXPECT_EQ(histogram.m_red[10], 1);
      EXPECT_EQ(histogram.m_green[50], 1);
      EXPECT_EQ(histogram.m_blue[30], 1);
      EXPECT_EQ(histogram.m_intensity[20], 2);  // green 20 and the mean (10 + 20 + 30) / 3
    } else {
      int levels = 0;
      for (int i = 0; i < 256; ++i) levels += histogram.m_red[i] == 1 && histogram.m_green[i] == 1;
      EXPECT_EQ(levels, 2);
    }
    cDestroySession(s);
  }
}

TEST(JpegDisplayTest, SharpenMatchesTheKernelEverywhere) {
  // A plain kernel with edge replication, pixel by pixel, against the optimised one.
  const int w = 7, h = 5;
  std::vector<BYTE> src(w * h * 3);
  for (size_t i = 0; i < src.size(); ++i) src[i] = BYTE(i * 2654435761u >> 24);
  for (int strength : {1, 37, 100}) {
    SCOPED_TRACE(strength);
    const int centre = (100 - strength) / 2 + 13, divisor = std::max(1, std::abs(centre - 12));
    std::vector<BYTE> got = src;
    SharpenRgb24(got.data(), w, h, strength);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
        for (int c = 0; c < 3; ++c) {
          auto at = [&](int dx, int dy) {
            int nx = x + dx, ny = y + dy;
            if (nx < 0 || ny < 0 || nx >= w || ny >= h) nx = x, ny = y;
            return int(src[(ny * w + nx) * 3 + c]);
          };
          int v = (centre * at(0, 0) - at(-1, -1) - at(1, -1) - at(-1, 1) - at(1, 1) -
                   2 * (at(0, -1) + at(0, 1) + at(-1, 0) + at(1, 0))) / divisor;
          ASSERT_EQ(got[(y * w + x) * 3 + c], std::clamp(v, 0, 255)) << x << "," << y;
        }
  }
}

// Rendering reads the colour settings from the registry: the test's own, never the user's.
TEST(JpegDisplayTest, RunsWithATemporaryHomeAndRegistry) {
  for (const char* name : {"HOME", "XDG_CONFIG_HOME", "XDG_RUNTIME_DIR", "TAVORIN_REGISTRY"}) {
    SCOPED_TRACE(name);
    const char* value = std::getenv(name);
    ASSERT_NE(nullptr, value);
    EXPECT_NE(nullptr, std::strstr(value, "/tavorin-test-")) << value;
  }
}
