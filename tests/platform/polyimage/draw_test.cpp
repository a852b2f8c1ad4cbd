// Drawing through the GDI layer, onto another image's DC so the result can be read back.
#include "platform/gdi/blit.h"
#include "polyimage_test_util.h"

using namespace pip_test;

TEST(PolyImageDrawTest, DrawImageScalesIntoAnInclusiveBox) {
  Session canvas, picture;
  ASSERT_TRUE(cNewImage(canvas, 10, 10, RGB(0, 0, 0)));
  MakeImage(picture, 2, 2, [](int x, int y) { return Pixel{x ? 255 : 0, y ? 255 : 0, 0}; });
  HDC dc = cGetImageDC(canvas);
  ASSERT_NE(dc, nullptr);
  EXPECT_EQ(cGetImageDC(canvas), nullptr) << "one DC at a time";
  ASSERT_TRUE(cDrawImage(picture, dc, 2, 2, 5, 5, 0, 0, 0, 3));
  ASSERT_TRUE(cReleaseImageDC(canvas, dc));
  EXPECT_EQ(At(canvas, 2, 2).r, 0);
  EXPECT_EQ(At(canvas, 5, 2).r, 255);
  EXPECT_EQ(At(canvas, 2, 5).g, 255);
  EXPECT_EQ(At(canvas, 6, 6).r + At(canvas, 6, 6).g, 0) << "nothing past the inclusive corner";
  EXPECT_EQ(At(canvas, 1, 1).r, 0);
}

TEST(PolyImageDrawTest, DrawImageExHonoursZoomAndScroll) {
  Session canvas, picture;
  ASSERT_TRUE(cNewImage(canvas, 8, 8, RGB(0, 0, 255)));
  MakeImage(picture, 4, 4, [](int x, int y) { return Pixel{x * 60, y * 60, 0}; });
  HDC dc = cGetImageDC(canvas);
  ASSERT_NE(dc, nullptr);
  RECT box{0, 0, 8, 8};
  int drawnW = 0, drawnH = 0;
  double zoom = 0;
  ASSERT_TRUE(cDrawImageEx(picture, dc, &box, 0, 1, 2.0, 10.0, 3, 2.2, 1, 1, 2, 1, &drawnW, &drawnH, &zoom, 0, 99,
                           100, 0, 0));
  cReleaseImageDC(canvas, dc);
  EXPECT_EQ(drawnW, 4);  // two source columns left after scrolling by 2, at zoom 2
  EXPECT_EQ(drawnH, 6);
  EXPECT_EQ(zoom, 2.0);
  EXPECT_EQ(At(canvas, 0, 0).r, 120);  // source (2, 1)
  EXPECT_EQ(At(canvas, 0, 0).g, 60);
  EXPECT_EQ(At(canvas, 3, 5).r, 180);  // source (3, 3)
  EXPECT_EQ(At(canvas, 3, 5).g, 180);
  EXPECT_EQ(At(canvas, 5, 5).b, 255) << "right of the drawn part stays";
}

TEST(PolyImageDrawTest, QualityDecidesHowReductionsLook) {
  Session picture;
  MakeImage(picture, 100, 100, [](int x, int y) { return (x + y) % 2 ? Pixel{255, 255, 255} : Pixel{0, 0, 0}; });
  for (int quality : {3, 6}) {
    SCOPED_TRACE(quality);
    Session canvas;
    ASSERT_TRUE(cNewImage(canvas, 10, 10, RGB(0, 0, 255)));
    HDC dc = cGetImageDC(canvas);
    RECT box{0, 0, 10, 10};
    ASSERT_TRUE(cDrawImageEx(picture, dc, &box, 0, 1, 0.1, 10.0, quality, 2.2, 1, 1, 0, 0, nullptr, nullptr, nullptr,
                             0, 99, 100, 0, 0));
    cReleaseImageDC(canvas, dc);
    int v = At(canvas, 5, 5).r;
    if (quality == 6) EXPECT_NEAR(v, 128, 20);
    else EXPECT_TRUE(v == 0 || v == 255) << v;
  }
}

TEST(PolyImageDrawTest, ImageDcDrawsOnTheImage) {
  Session canvas, dot;
  ASSERT_TRUE(cNewImage(canvas, 4, 4, RGB(0, 0, 0)));
  ASSERT_TRUE(cNewImage(dot, 4, 4, RGB(10, 20, 30)));
  HDC source = cGetImageDC(dot);
  HDC target = cGetImageDC(canvas);
  ASSERT_TRUE(BitBlt(target, 1, 1, 2, 2, source, 0, 0, SRCCOPY));
  cReleaseImageDC(dot, source);
  cReleaseImageDC(canvas, target);
  EXPECT_EQ(At(canvas, 1, 1).r, 10);
  EXPECT_EQ(At(canvas, 2, 2).b, 30);
  EXPECT_EQ(At(canvas, 3, 3).r, 0);
}

TEST(PolyImageDrawTest, PrintAndDrawFailWithoutDcOrImage) {
  Session empty, canvas;
  ASSERT_TRUE(cNewImage(canvas, 4, 4, 0));
  HDC dc = cGetImageDC(canvas);
  EXPECT_FALSE(cDrawImage(empty, dc, 0, 0, 3, 3, 0, 0, 0, 3));
  EXPECT_FALSE(cPrintImage(canvas, nullptr, 0, 0, 4, 4, 0, 1, 0, 0));
  EXPECT_FALSE(cReleaseImageDC(empty, dc));
  EXPECT_TRUE(cReleaseImageDC(canvas, dc));
}

TEST(PolyImageDrawTest, DestroyingASessionFreesItsDc) {
  int h = cNewSession();
  ASSERT_TRUE(cNewImage(h, 4, 4, 0));
  ASSERT_NE(cGetImageDC(h), nullptr);
  EXPECT_TRUE(cDestroySession(h));  // the sanitizer build reports a leak otherwise
}
