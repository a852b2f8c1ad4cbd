#include "polyimage_test_util.h"

using namespace pip_test;

TEST(PolyImageSessionTest, NewSessionsAreDistinctAndEmpty) {
  Session a, b;
  EXPECT_GT(a.h, 0);
  EXPECT_NE(a.h, b.h);
  DWORD w = 7, h = 7;
  BYTE bits = 7;
  EXPECT_FALSE(cGetImageInfo(a, &w, &h, &bits, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr));
  EXPECT_EQ(w, 0u);
  EXPECT_EQ(h, 0u);
  EXPECT_EQ(bits, 0);
}

TEST(PolyImageSessionTest, UnknownHandlesFailEverywhere) {
  int h = cNewSession();
  ASSERT_TRUE(cDestroySession(h));
  EXPECT_FALSE(cDestroySession(h));
  EXPECT_FALSE(cNewImage(h, 4, 4, 0));
  EXPECT_FALSE(cDupSession(h));
  EXPECT_FALSE(cOpCrop(h));
  EXPECT_FALSE(cSetJPEGParams(h, 90, 1.0, 1, 0));
  EXPECT_FALSE(cMergeImage(h, h, 0, 0, 255, 0));
}

TEST(PolyImageSessionTest, DuplicateCopiesImageIndependently) {
  Session a;
  ASSERT_TRUE(cNewImage(a, 4, 3, RGB(10, 20, 30)));
  Session b;
  cDestroySession(b.h);
  b.h = cDupSession(a);
  ASSERT_GT(b.h, 0);
  ASSERT_TRUE(cNewImage(a, 2, 2, RGB(0, 0, 0)));
  EXPECT_EQ(Size(b), std::make_pair(4, 3));
  Pixel p = At(b, 3, 2);
  EXPECT_EQ(p.r, 10);
  EXPECT_EQ(p.g, 20);
  EXPECT_EQ(p.b, 30);
}

TEST(PolyImageSessionTest, NewImageRejectsAbsurdSizes) {
  Session s;
  struct Row {
    int w, h;
    bool ok;
  } rows[] = {{1, 1, true}, {0, 5, false}, {5, -1, false}, {70000, 1, false}, {60000, 60000, false}};
  for (const Row& row : rows) {
    SCOPED_TRACE(std::to_string(row.w) + "x" + std::to_string(row.h));
    EXPECT_EQ(cNewImage(s, row.w, row.h, 0) != 0, row.ok);
  }
}

TEST(PolyImageSessionTest, UnloadEmptiesTheSession) {
  Session s;
  ASSERT_TRUE(cNewImage(s, 3, 3, 0));
  ASSERT_TRUE(cUnload(s));
  EXPECT_EQ(Size(s), std::make_pair(0, 0));
}

TEST(PolyImageSessionTest, InfoReportsDepthAlphaAndResolution) {
  Session s;
  ASSERT_TRUE(cNewImage(s, 5, 4, RGB(1, 2, 3)));
  ASSERT_TRUE(cSetPhysicalPixelsPerInch(s, 300, 150));
  DWORD w, h, xDpi, yDpi, stride;
  BYTE bits;
  BOOL alpha = TRUE;
  ASSERT_TRUE(cGetImageInfo(s, &w, &h, &bits, &xDpi, &yDpi, &alpha, nullptr, nullptr, &stride));
  EXPECT_EQ(bits, 24);
  EXPECT_EQ(xDpi, 300u);
  EXPECT_EQ(yDpi, 150u);
  EXPECT_FALSE(alpha);
  EXPECT_EQ(stride, 15u);
  ASSERT_TRUE(cOpGrayScale(s));
  ASSERT_TRUE(cGetImageInfo(s, &w, &h, &bits, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr));
  EXPECT_EQ(bits, 8);
}
