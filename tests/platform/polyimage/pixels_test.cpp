// Pixel operations: merge, grey, sharpen, levels, histogram and the arrays handed out.
#include "polyimage_test_util.h"

using namespace pip_test;

TEST(PolyImagePixelsTest, MergeHonoursMaskAndOpacity) {
  struct Row {
    BYTE mask;
    int opacity, wantRed;
  } rows[] = {{255, 255, 200}, {0, 255, 0}, {255, 0, 0}, {128, 255, 100}, {255, 128, 100}};
  for (const Row& row : rows) {
    SCOPED_TRACE(std::to_string(row.mask) + "/" + std::to_string(row.opacity));
    Session dest, src;
    ASSERT_TRUE(cNewImage(dest, 4, 4, RGB(0, 0, 0)));
    ASSERT_TRUE(cNewImage(src, 2, 2, RGB(200, 0, 0)));
    std::vector<BYTE> mask(4, row.mask);
    ASSERT_TRUE(cLoadAlphaMask(src, mask.data()));
    ASSERT_TRUE(cMergeImage(dest, src, 1, 1, row.opacity, 0));
    EXPECT_NEAR(At(dest, 1, 1).r, row.wantRed, 1);
    EXPECT_EQ(At(dest, 0, 0).r, 0);
    EXPECT_EQ(At(dest, 3, 3).r, 0);
  }
}

TEST(PolyImagePixelsTest, MergeClipsAtEveryEdge) {
  for (auto [x, y] : {std::pair{-1, -1}, std::pair{3, 3}, std::pair{10, 0}, std::pair{-5, 0}}) {
    SCOPED_TRACE(std::to_string(x) + "," + std::to_string(y));
    Session dest, src;
    ASSERT_TRUE(cNewImage(dest, 4, 4, RGB(0, 0, 0)));
    ASSERT_TRUE(cNewImage(src, 2, 2, RGB(0, 0, 255)));
    EXPECT_TRUE(cMergeImage(dest, src, x, y, 255, 0));
    for (int py = 0; py < 4; ++py)
      for (int px = 0; px < 4; ++px) {
        bool covered = px >= x && px < x + 2 && py >= y && py < y + 2;
        EXPECT_EQ(At(dest, px, py).b, covered ? 255 : 0) << px << "," << py;
      }
  }
}

TEST(PolyImagePixelsTest, MergeColourOntoGreyMakesColour) {
  Session dest, src;
  ASSERT_TRUE(cNewImage(dest, 3, 3, RGB(50, 50, 50)));
  ASSERT_TRUE(cOpGrayScale(dest));
  ASSERT_TRUE(cNewImage(src, 1, 1, RGB(0, 255, 0)));
  ASSERT_TRUE(cMergeImage(dest, src, 1, 1, 255, 0));
  EXPECT_EQ(At(dest, 1, 1).g, 255);
  EXPECT_EQ(At(dest, 1, 1).r, 0);
  EXPECT_EQ(At(dest, 0, 0).r, 50);
}

TEST(PolyImagePixelsTest, GreyScaleWeightsGreenMost) {
  Session s;
  MakeImage(s, 3, 1, [](int x, int) { return x == 0 ? Pixel{255, 0, 0} : x == 1 ? Pixel{0, 255, 0} : Pixel{0, 0, 255}; });
  ASSERT_TRUE(cOpGrayScale(s));
  int red = At(s, 0, 0).r, green = At(s, 1, 0).r, blue = At(s, 2, 0).r;
  EXPECT_GT(green, red);
  EXPECT_GT(red, blue);
  EXPECT_EQ(At(s, 1, 0).g, green);
  ASSERT_TRUE(cOpIncreaseBitsPerPixel(s, 24));
  BYTE bits = 0;
  cGetImageInfo(s, nullptr, nullptr, &bits, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
  EXPECT_EQ(bits, 24);
  EXPECT_FALSE(cOpIncreaseBitsPerPixel(s, 32));
}

TEST(PolyImagePixelsTest, SharpenRaisesEdgeContrastAndLeavesFlatAreas) {
  auto edge = [](int x, int) { return x < 4 ? Pixel{100, 100, 100} : Pixel{150, 150, 150}; };
  Session soft, strong;
  MakeImage(soft, 8, 8, edge);
  MakeImage(strong, 8, 8, edge);
  ASSERT_TRUE(cOpSharpen(soft, 20));
  ASSERT_TRUE(cOpSharpen(strong, 100));
  EXPECT_LT(At(soft, 3, 4).r, 100);
  EXPECT_GT(At(soft, 4, 4).r, 150);
  EXPECT_LT(At(strong, 3, 4).r, At(soft, 3, 4).r) << "more amount, more contrast";
  EXPECT_EQ(At(strong, 0, 4).r, 100);
  EXPECT_EQ(At(strong, 7, 4).r, 150);
  EXPECT_FALSE(cOpSharpen(soft, 0));
  EXPECT_FALSE(cOpSharpen(soft, 101));
}

TEST(PolyImagePixelsTest, LevelsStretchBetweenBlackAndWhite) {
  Session s;
  MakeImage(s, 4, 1, [](int x, int) { int v = std::vector<int>{10, 20, 120, 220}[x]; return Pixel{v, v, v}; });
  ASSERT_TRUE(cOpAdjustLevels(s, 20, 120, 220, 20, 120, 220, 20, 120, 220));
  EXPECT_EQ(At(s, 0, 0).r, 0);
  EXPECT_EQ(At(s, 1, 0).r, 0);
  EXPECT_NEAR(At(s, 2, 0).r, 128, 1);
  EXPECT_EQ(At(s, 3, 0).b, 255);
}

TEST(PolyImagePixelsTest, HistogramCountsEveryPixel) {
  Session s;
  MakeImage(s, 4, 2, [](int x, int) { return x < 1 ? Pixel{255, 0, 0} : Pixel{0, 0, 0}; });
  DWORD counts[256];
  ASSERT_TRUE(cGetImageHistogram(s, counts, 2));
  EXPECT_EQ(counts[255], 2u);
  EXPECT_EQ(counts[0], 6u);
  ASSERT_TRUE(cGetImageHistogram(s, counts, 1));
  DWORD total = 0;
  for (DWORD c : counts) total += c;
  EXPECT_EQ(total, 8u);
  EXPECT_FALSE(cGetImageHistogram(s, counts, 9));
}

TEST(PolyImagePixelsTest, ArraysAreTopDownBgrWithoutPadding) {
  Session s;
  MakeImage(s, 3, 2, [](int x, int y) { return Pixel{x, y, 7}; });
  PolyArray bgr;
  ASSERT_TRUE(cGetImage16(s, &bgr));
  ASSERT_EQ(bgr.Size(), 18u);
  EXPECT_EQ(bgr.Data()[0], 7);                  // blue first
  EXPECT_EQ(bgr.Data()[(1 * 3 + 2) * 3 + 2], 2);  // (2, 1) red = x
  EXPECT_EQ(bgr.Data()[(1 * 3 + 2) * 3 + 1], 1);  // green = y
  BYTE* bits = nullptr;
  ASSERT_TRUE(cGetBitsPtr(s, &bits));
  EXPECT_EQ(std::vector<BYTE>(bits, bits + 18), std::vector<BYTE>(bgr.Data(), bgr.Data() + 18));
  PolyArray r, g, b;
  ASSERT_TRUE(cGetImageChannels(s, &r, &g, &b));
  EXPECT_EQ(r.Data()[5], 2);
  EXPECT_EQ(g.Data()[5], 1);
  EXPECT_EQ(b.Data()[5], 7);
}

TEST(PolyImagePixelsTest, ChannelsLoadIntoTheCurrentSize) {
  Session s;
  ASSERT_TRUE(cNewImage(s, 2, 2, 0));
  std::vector<BYTE> red{1, 2, 3, 4}, green{5, 6, 7, 8}, blue{9, 10, 11, 12};
  ASSERT_TRUE(cLoadImageChannels8(s, red.data(), green.data(), blue.data(), 0, 0));
  Pixel p = At(s, 1, 1);
  EXPECT_EQ(p.r, 4);
  EXPECT_EQ(p.g, 8);
  EXPECT_EQ(p.b, 12);
}

TEST(PolyImagePixelsTest, AlphaMaskIsAbsentUntilLoaded) {
  Session s;
  ASSERT_TRUE(cNewImage(s, 2, 2, 0));
  PolyArray mask;
  EXPECT_FALSE(cGetAlphaMask(s, &mask));
  std::vector<BYTE> bytes{0, 1, 2, 3};
  ASSERT_TRUE(cLoadAlphaMask(s, bytes.data()));
  ASSERT_TRUE(cGetAlphaMask(s, &mask));
  EXPECT_EQ(std::vector<BYTE>(mask.Data(), mask.Data() + mask.Size()), bytes);
  COLORREF c;
  EXPECT_FALSE(cGetPixelColor(s, 2, 0, &c));
  EXPECT_FALSE(cGetPixelColor(s, 0, -1, &c));
}
