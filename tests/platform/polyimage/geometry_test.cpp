// Crop, resize, rotate, enlarge and rectangle copies on small images with known pixels.
#include "polyimage_test_util.h"

using namespace pip_test;

namespace {

// Pixel (x, y) of the 4 x 4 test image carries its own coordinates.
Pixel Coordinates(int x, int y) { return Pixel{x * 10, y * 10, 200}; }

void ExpectCoordinates(int session, int x, int y, int wantX, int wantY) {
  Pixel p = At(session, x, y);
  EXPECT_EQ(p.r, wantX * 10) << "at " << x << "," << y;
  EXPECT_EQ(p.g, wantY * 10) << "at " << x << "," << y;
}

}  // namespace

TEST(PolyImageGeometryTest, CropIsInclusiveAndClamped) {
  struct Row {
    RECT rect;
    int w, h, firstX, firstY;
    bool ok;
  } rows[] = {{{1, 1, 2, 2}, 2, 2, 1, 1, true},   {{0, 0, 3, 3}, 4, 4, 0, 0, true},
              {{2, 1, 99, 99}, 2, 3, 2, 1, true}, {{-5, -5, 0, 0}, 1, 1, 0, 0, true},
              {{3, 3, 2, 2}, 4, 4, 0, 0, false},  {{4, 0, 9, 3}, 4, 4, 0, 0, false}};
  for (const Row& row : rows) {
    SCOPED_TRACE(std::to_string(row.rect.left) + "," + std::to_string(row.rect.top) + "," +
                 std::to_string(row.rect.right) + "," + std::to_string(row.rect.bottom));
    Session s;
    MakeImage(s, 4, 4, Coordinates);
    cSetOpRectangle(s, row.rect.left, row.rect.top, row.rect.right, row.rect.bottom, 0);
    EXPECT_EQ(cOpCrop(s) != 0, row.ok);
    EXPECT_EQ(Size(s), std::make_pair(row.w, row.h));
    ExpectCoordinates(s, 0, 0, row.firstX, row.firstY);
  }
}

TEST(PolyImageGeometryTest, ResizeGivesExactSizeAtEveryQuality) {
  for (int quality : {1, 3, 7}) {
    SCOPED_TRACE(quality);
    Session s;
    MakeImage(s, 40, 30, [](int, int) { return Pixel{50, 100, 150}; });
    ASSERT_TRUE(cOpResize(s, 17, 61, quality, 0, 0));
    EXPECT_EQ(Size(s), std::make_pair(17, 61));
    Pixel p = At(s, 8, 30);
    EXPECT_EQ(p.r, 50) << "a flat colour stays flat";
    EXPECT_EQ(p.b, 150);
  }
}

TEST(PolyImageGeometryTest, ResizeExKeepsAspectInsideTheBox) {
  struct Row {
    int w, h, boxW, boxH, keep, wantW, wantH;
  } rows[] = {{400, 300, 200, 200, 1, 200, 150}, {300, 400, 200, 200, 1, 150, 200},
              {400, 300, 200, 200, 0, 200, 200}, {100, 50, 400, 400, 1, 400, 200}};
  for (const Row& row : rows) {
    SCOPED_TRACE(std::to_string(row.w) + "x" + std::to_string(row.h) + " keep " + std::to_string(row.keep));
    Session s;
    MakeImage(s, row.w, row.h, Gradient);
    ASSERT_TRUE(cOpResizeEx(s, row.boxW, row.boxH, 7, row.keep));
    EXPECT_EQ(Size(s), std::make_pair(row.wantW, row.wantH));
  }
}

TEST(PolyImageGeometryTest, HighQualityReductionAveragesFineDetail) {
  Session s;
  MakeImage(s, 64, 64, [](int x, int y) { return (x + y) % 2 ? Pixel{255, 255, 255} : Pixel{0, 0, 0}; });
  ASSERT_TRUE(cOpResize(s, 8, 8, 7, 0, 0));
  Pixel p = At(s, 4, 4);
  EXPECT_NEAR(p.r, 128, 12);
}

TEST(PolyImageGeometryTest, NearestKeepsHardEdges) {
  Session s;
  MakeImage(s, 2, 2, [](int x, int y) { return (x + y) % 2 ? Pixel{255, 255, 255} : Pixel{0, 0, 0}; });
  ASSERT_TRUE(cOpResize(s, 8, 8, 1, 0, 0));
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) EXPECT_EQ(At(s, x, y).r, (x / 4 + y / 4) % 2 ? 255 : 0);
}

TEST(PolyImageGeometryTest, QuarterTurnsMovePixelsExactly) {
  struct Row {
    double degrees;
    int x, y, wantX, wantY;  // pixel (x, y) of the turned 4 x 3 image came from (wantX, wantY)
  } rows[] = {{90, 0, 0, 0, 2},  {90, 2, 0, 0, 0},   {270, 0, 0, 3, 0}, {180, 0, 0, 3, 2},
              {-90, 0, 0, 3, 0}, {450, 0, 0, 0, 2}, {360, 1, 2, 1, 2}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.degrees);
    Session s;
    MakeImage(s, 4, 3, Coordinates);
    ASSERT_TRUE(cOpRotateFine(s, row.degrees));
    bool sideways = int(row.degrees / 90) % 2 != 0;
    EXPECT_EQ(Size(s), sideways ? std::make_pair(3, 4) : std::make_pair(4, 3));
    ExpectCoordinates(s, row.x, row.y, row.wantX, row.wantY);
  }
}

TEST(PolyImageGeometryTest, QuarterTurnRoundTrip) {
  Session s, original;
  MakeImage(s, 7, 5, Gradient);
  MakeImage(original, 7, 5, Gradient);
  ASSERT_TRUE(cOpRotateFine(s, 90));
  ASSERT_TRUE(cOpRotateFine(s, 270));
  EXPECT_EQ(MaxDifference(s, original), 0);
}

TEST(PolyImageGeometryTest, FineRotationGrowsCanvasWithBackground) {
  Session s;
  MakeImage(s, 100, 50, [](int, int) { return Pixel{0, 200, 0}; });
  cSetBackgroundColor(s, RGB(255, 0, 255));
  ASSERT_TRUE(cOpRotateFine(s, 45));
  auto [w, h] = Size(s);
  EXPECT_NEAR(w, 107, 1);  // (100 + 50) / sqrt(2)
  EXPECT_NEAR(h, 107, 1);
  Pixel corner = At(s, 0, 0), centre = At(s, w / 2, h / 2);
  EXPECT_EQ(corner.r, 255);
  EXPECT_EQ(corner.g, 0);
  EXPECT_EQ(centre.g, 200);
  EXPECT_EQ(centre.r, 0);
}

TEST(PolyImageGeometryTest, FineRotationIsClockwise) {
  // A mark at the top centre of a tall image turns towards the right side.
  Session s;
  MakeImage(s, 20, 60, [](int x, int y) { return y < 10 && x >= 5 && x < 15 ? Pixel{255, 0, 0} : Pixel{0, 0, 0}; });
  ASSERT_TRUE(cOpRotateFine(s, 89.0));
  auto [w, h] = Size(s);
  EXPECT_GT(At(s, w - 6, h / 2).r, 200);
  EXPECT_LT(At(s, 5, h / 2).r, 50);
}

TEST(PolyImageGeometryTest, FineRotationMakesCornersTransparentWhenMasked) {
  Session s;
  MakeImage(s, 40, 40, Gradient);
  std::vector<BYTE> opaque(1600, 255);
  ASSERT_TRUE(cLoadAlphaMask(s, opaque.data()));
  ASSERT_TRUE(cOpRotateFine(s, 30));
  auto [w, h] = Size(s);
  PolyArray alpha;
  ASSERT_TRUE(cGetAlphaMask(s, &alpha));
  ASSERT_EQ(alpha.Size(), size_t(w) * h);
  EXPECT_EQ(alpha.Data()[0], 0);
  EXPECT_EQ(alpha.Data()[size_t(h / 2) * w + w / 2], 255);
}

TEST(PolyImageGeometryTest, EnlargeCentresOnColour) {
  Session s;
  MakeImage(s, 4, 4, Coordinates);
  ASSERT_TRUE(cEnlargeImage(s, 8, 6, 1, RGB(255, 255, 255)));
  EXPECT_EQ(Size(s), std::make_pair(8, 6));
  ExpectCoordinates(s, 2, 1, 0, 0);
  ExpectCoordinates(s, 5, 4, 3, 3);
  EXPECT_EQ(At(s, 0, 0).b, 255);
  EXPECT_EQ(At(s, 7, 5).r, 255);
  ASSERT_TRUE(cEnlargeImage(s, 2, 2, 1, 0));
  EXPECT_EQ(Size(s), std::make_pair(8, 6)) << "never shrinks";
}

TEST(PolyImageGeometryTest, CopyRectIsClippedOnBothSides) {
  struct Row {
    int x, y, w, h, sx, sy;
    int probeX, probeY, fromX, fromY;  // dest probe and the source pixel it must hold
  } rows[] = {{1, 1, 2, 2, 0, 0, 1, 1, 0, 0}, {-1, -1, 3, 3, 0, 0, 0, 0, 1, 1},
              {2, 2, 9, 9, 0, 0, 3, 3, 1, 1}, {0, 0, 4, 4, 2, 3, 1, 0, 3, 3}};
  for (const Row& row : rows) {
    SCOPED_TRACE(std::to_string(row.x) + "," + std::to_string(row.y));
    Session dest, src;
    ASSERT_TRUE(cNewImage(dest, 4, 4, RGB(0, 0, 0)));
    MakeImage(src, 4, 4, Coordinates);
    ASSERT_TRUE(cCopyRectFrom(dest, row.x, row.y, row.w, row.h, src, row.sx, row.sy));
    ExpectCoordinates(dest, row.probeX, row.probeY, row.fromX, row.fromY);
    EXPECT_EQ(Size(dest), std::make_pair(4, 4));
  }
}
