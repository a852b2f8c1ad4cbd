// Loads reduced by DCT scaling to no less than a box, for callers that resize further.
#include "polyimage_test_util.h"

using namespace pip_test;

TEST(PolyImageCoveringLoadTest, SmallestScaleThatStillCoversTheBox) {
  TempDir dir;
  struct Row {
    const char* name;
    int w, h, orientation, minW, minH, wantW, wantH;
  } rows[] = {
      {"a quarter covers exactly", 800, 600, 1, 200, 150, 200, 150},
      {"one pixel more takes a half", 800, 600, 1, 201, 150, 400, 300},
      {"height alone bounds", 800, 600, 1, 0, 100, 200, 150},
      {"width alone bounds", 800, 600, 1, 90, -5, 100, 75},
      {"a box past the photo decodes it whole", 800, 600, 1, 900, 100, 800, 600},
      {"no bound decodes it whole", 800, 600, 1, 0, 0, 800, 600},
      {"the box applies to the turned picture", 800, 400, 6, 100, 200, 100, 200},
      {"turned, the long side bounds", 800, 400, 6, 101, 200, 200, 400},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    Session s;
    MakeImage(s, row.w, row.h, Gradient);
    std::string path = dir.File("c.jpg");
    std::vector<BYTE> jpeg = EncodeJpeg(s);
    WriteAll(path, row.orientation > 1 ? WithOrientation(jpeg, row.orientation) : jpeg);
    for (int quality : {PIP_RESAMPLE_FAST, PIP_RESAMPLE_HIGH}) {
      Session t;
      ASSERT_TRUE(cLoadImageCovering(t, path.c_str(), row.minW, row.minH, quality));
      EXPECT_EQ(Size(t), std::make_pair(row.wantW, row.wantH));
    }
  }
}

TEST(PolyImageCoveringLoadTest, ReducedPixelsMatchTheWholeDecodeAndOtherFormatsLoadWhole) {
  TempDir dir;
  Session s;
  MakeImage(s, 640, 480, Gradient);
  std::string jpeg = dir.File("g.jpg"), png = dir.File("g.png");
  ASSERT_TRUE(cSave(s, jpeg.c_str(), PIP_FORMAT_JPEG, 0, 0, 0));
  ASSERT_TRUE(cSave(s, png.c_str(), PIP_FORMAT_PNG, 0, 0, 0));
  Session reduced, whole;
  ASSERT_TRUE(cLoadImageCovering(reduced, jpeg.c_str(), 160, 120, PIP_RESAMPLE_HIGH));
  ASSERT_EQ(Size(reduced), std::make_pair(160, 120));
  ASSERT_TRUE(cLoadImage(whole, jpeg.c_str(), 0, 0, 0));
  for (auto [x, y] : {std::pair{10, 10}, {80, 60}, {150, 110}}) {
    SCOPED_TRACE(x);
    Pixel a = At(reduced, x, y), b = At(whole, x * 4 + 2, y * 4 + 2);
    EXPECT_NEAR(a.r, b.r, 6);
    EXPECT_NEAR(a.g, b.g, 6);
    EXPECT_NEAR(a.b, b.b, 6);
  }
  Session p;
  ASSERT_TRUE(cLoadImageCovering(p, png.c_str(), 160, 120, PIP_RESAMPLE_FAST));
  EXPECT_EQ(Size(p), std::make_pair(640, 480));
  Session missing;
  EXPECT_FALSE(cLoadImageCovering(missing, dir.File("none.jpg").c_str(), 10, 10, PIP_RESAMPLE_FAST));
}
