#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QWidget>
#include <thread>

#include "platform/mfc/afxwin.h"
#include "platform/user/window_p.h"

namespace {

// A memory DC on a white w x h bitmap; the bitmap is put back out before both go.
class MemoryCanvas {
 public:
  MemoryCanvas(int width, int height) {
    EXPECT_TRUE(dc.CreateCompatibleDC(nullptr));
    EXPECT_TRUE(bitmap.CreateCompatibleBitmap(&dc, width, height));
    old = dc.SelectObject(&bitmap);
    dc.FillSolidRect(0, 0, width, height, RGB(255, 255, 255));
  }
  ~MemoryCanvas() { dc.SelectObject(old); }
  CDC dc;
  CBitmap bitmap;
  CBitmap* old = nullptr;
};

QColor PixelOf(QWidget* widget, int x, int y) { return widget->grab().toImage().pixelColor(x, y); }

}  // namespace

TEST(CdcTest, SelectedObjectsDrawAndTheOldOnesComeBack) {
  MemoryCanvas canvas(20, 20);
  CDC& dc = canvas.dc;
  CPen red(PS_SOLID, 1, RGB(255, 0, 0));
  CBrush blue(RGB(0, 0, 255));
  CPen* oldPen = dc.SelectObject(&red);
  CBrush* oldBrush = dc.SelectObject(&blue);
  ASSERT_NE(oldPen, nullptr);
  ASSERT_NE(oldBrush, nullptr);
  EXPECT_EQ(oldPen->GetSafeHandle(), ::GetStockObject(BLACK_PEN));
  EXPECT_EQ(oldBrush->GetSafeHandle(), ::GetStockObject(WHITE_BRUSH));
  dc.Rectangle(2, 2, 12, 12);
  EXPECT_EQ(dc.GetPixel(2, 2), RGB(255, 0, 0));
  EXPECT_EQ(dc.GetPixel(11, 6), RGB(255, 0, 0));
  EXPECT_EQ(dc.GetPixel(6, 6), RGB(0, 0, 255));
  EXPECT_EQ(dc.GetPixel(12, 12), RGB(255, 255, 255)) << "right and bottom edges are outside";

  // Putting the old ones back hands out ours again, and they can then be deleted.
  EXPECT_EQ(dc.SelectObject(oldPen)->GetSafeHandle(), red.GetSafeHandle());
  EXPECT_EQ(dc.SelectObject(oldBrush)->GetSafeHandle(), blue.GetSafeHandle());
  dc.Rectangle(4, 4, 8, 8);
  EXPECT_EQ(dc.GetPixel(4, 4), RGB(0, 0, 0));
  EXPECT_EQ(dc.GetPixel(5, 5), RGB(255, 255, 255));
  EXPECT_TRUE(red.DeleteObject());
  EXPECT_TRUE(blue.DeleteObject());
  EXPECT_FALSE(red.DeleteObject()) << "nothing left to delete";

  BITMAP info{};
  ASSERT_TRUE(canvas.bitmap.GetBitmap(&info));
  EXPECT_EQ(info.bmWidth, 20);
  EXPECT_EQ(info.bmHeight, 20);
}

TEST(CdcTest, FillSolidRectFillsOnlyItsRectAndKeepsTheBackgroundColour) {
  MemoryCanvas canvas(30, 30);
  CDC& dc = canvas.dc;
  dc.SetBkColor(RGB(1, 2, 3));
  RECT rect{5, 5, 15, 10};
  dc.FillSolidRect(&rect, RGB(200, 100, 50));
  dc.FillSolidRect(20, 20, 5, 5, RGB(10, 20, 30));
  EXPECT_EQ(dc.GetBkColor(), RGB(1, 2, 3));
  struct Probe {
    int x, y;
    COLORREF colour;
  } probes[] = {{5, 5, RGB(200, 100, 50)},   {14, 9, RGB(200, 100, 50)},  {15, 9, RGB(255, 255, 255)},
                {14, 10, RGB(255, 255, 255)}, {4, 5, RGB(255, 255, 255)},   {20, 20, RGB(10, 20, 30)},
                {24, 24, RGB(10, 20, 30)},    {25, 24, RGB(255, 255, 255)}};
  for (const Probe& probe : probes) {
    SCOPED_TRACE(testing::Message() << probe.x << "," << probe.y);
    EXPECT_EQ(dc.GetPixel(probe.x, probe.y), probe.colour);
  }
}

TEST(CdcTest, PointFontsFollowTheScreensNinetySixDpi) {
  MemoryCanvas canvas(10, 10);
  ASSERT_EQ(canvas.dc.GetDeviceCaps(LOGPIXELSY), 96);
  struct Row {
    int tenths;
    LONG height;  // -(points x 96 / 72), rounded
  } rows[] = {{80, -11}, {100, -13}, {120, -16}, {240, -32}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.tenths);
    for (CDC* measure : {static_cast<CDC*>(nullptr), &canvas.dc}) {
      CFont font;
      ASSERT_TRUE(font.CreatePointFont(row.tenths, "Arial", measure));
      LOGFONTA lf{};
      ASSERT_TRUE(font.GetLogFont(&lf));
      EXPECT_EQ(lf.lfHeight, row.height);
      EXPECT_STREQ(lf.lfFaceName, "Arial");
    }
  }

  // 10 point Arial: 13 px em; the label height of "Wqy" is ascent + descent.
  CFont label;
  ASSERT_TRUE(label.CreatePointFont(100, "Arial"));
  CFont* old = canvas.dc.SelectObject(&label);
  TEXTMETRICA tm{};
  ASSERT_TRUE(canvas.dc.GetTextMetrics(&tm));
  SIZE wqy = canvas.dc.GetTextExtent("Wqy", 3);
  EXPECT_EQ(wqy.cy, tm.tmHeight);
  EXPECT_NEAR(wqy.cy, 15, 1);
  SIZE w4 = canvas.dc.GetTextExtent(CString("WWWW"));
  EXPECT_NEAR(w4.cx, 49, 2);  // W advances 0.944 em
  EXPECT_EQ(canvas.dc.GetTextExtent("", 0).cx, 0);
  canvas.dc.SelectObject(old);
}

TEST(CdcTest, ClippingToARegionKeepsDrawingInside) {
  MemoryCanvas canvas(20, 20);
  CRgn outer, hole, ring;
  ASSERT_TRUE(outer.CreateRectRgn(0, 0, 10, 10));
  ASSERT_TRUE(hole.CreateRectRgn(3, 3, 6, 6));
  ASSERT_TRUE(ring.CreateRectRgn(0, 0, 0, 0));
  EXPECT_EQ(ring.CombineRgn(&outer, &hole, RGN_DIFF), COMPLEXREGION);
  EXPECT_TRUE(ring.PtInRegion(1, 1));
  EXPECT_FALSE(ring.PtInRegion(4, 4));
  canvas.dc.SelectClipRgn(&ring);
  canvas.dc.FillSolidRect(0, 0, 20, 20, RGB(0, 128, 0));
  canvas.dc.SelectClipRgn(nullptr);
  EXPECT_EQ(canvas.dc.GetPixel(1, 1), RGB(0, 128, 0));
  EXPECT_EQ(canvas.dc.GetPixel(4, 4), RGB(255, 255, 255));
  EXPECT_EQ(canvas.dc.GetPixel(12, 12), RGB(255, 255, 255));
}

namespace {

// Paints its client area green in OnPaint, as the program's windows paint.
class CPaintedWnd : public CWnd {
 public:
  int m_paints = 0;
  bool m_gotDc = false;

 protected:
  void OnPaint() override {
    CPaintDC dc(this);
    ++m_paints;
    m_gotDc = dc.GetSafeHdc() != nullptr;
    dc.FillSolidRect(0, 0, 40, 40, RGB(0, 200, 0));
  }
  // It paints all it needs itself; what others drew elsewhere stays.
  BOOL OnEraseBkgnd(CDC*) override { return TRUE; }
};

}  // namespace

TEST(CdcTest, WindowDcsDrawIntoTheWindowsBackBuffer) {
  CPaintedWnd wnd;
  ASSERT_TRUE(wnd.CreateEx(0, nullptr, "Canvas", WS_POPUP | WS_VISIBLE, 0, 0, 80, 60, nullptr, nullptr));
  QWidget* widget = user_p::WidgetOf(wnd.m_hWnd);
  ASSERT_NE(widget, nullptr);
  EXPECT_EQ(PixelOf(widget, 10, 10), QColor(0, 200, 0));  // showing it runs OnPaint
  EXPECT_GT(wnd.m_paints, 0);
  EXPECT_TRUE(wnd.m_gotDc);
  EXPECT_NE(PixelOf(widget, 55, 35), QColor(200, 0, 0));

  // A client DC works from another thread too (live view frames are drawn that way).
  bool paintDcOffThread = true;
  std::thread worker([&] {
    CClientDC dc(&wnd);
    EXPECT_NE(dc.GetSafeHdc(), nullptr);
    dc.FillSolidRect(50, 30, 10, 10, RGB(200, 0, 0));
    CPaintDC paint(&wnd);
    paintDcOffThread = paint.GetSafeHdc() != nullptr;
  });
  worker.join();
  QApplication::processEvents();
  EXPECT_FALSE(paintDcOffThread) << "painting belongs to the UI thread";
  EXPECT_EQ(PixelOf(widget, 55, 35), QColor(200, 0, 0));
  EXPECT_EQ(PixelOf(widget, 10, 10), QColor(0, 200, 0)) << "the client DC drew over, not instead";
  {
    CClientDC dc(nullptr);
    EXPECT_EQ(dc.GetSafeHdc(), nullptr);
  }
  wnd.DestroyWindow();
}
