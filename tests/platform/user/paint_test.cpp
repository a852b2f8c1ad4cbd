#include <gtest/gtest.h>

#include <QImage>
#include <QPixmap>
#include <QWidget>
#include <atomic>
#include <thread>

#include "platform/gdi/wingdi.h"
#include "platform/user/window_p.h"
#include "testwindow.h"

namespace {

QRgb PixelOf(HWND hwnd, int x, int y) {
  QWidget* widget = user_p::WidgetOf(hwnd);
  return widget ? widget->grab().toImage().pixel(x, y) : 0;
}

void Fill(HDC dc, int right, int bottom, COLORREF color) {
  HBRUSH brush = CreateSolidBrush(color);
  RECT rect{0, 0, right, bottom};
  FillRect(dc, &rect, brush);
  DeleteObject(brush);
}

}  // namespace

TEST(PaintTest, WmPaintDrawsThroughBeginPaintOntoTheWindow) {
  TestWindow window;
  window.handler = [&](UINT message, WPARAM, LPARAM) -> LRESULT {
    if (message != WM_PAINT) return 0;
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window.hwnd, &paint);
    if (dc) Fill(dc, 50, 50, RGB(255, 0, 0));
    EndPaint(window.hwnd, &paint);
    return 1;
  };
  ShowWindow(window.hwnd, SW_SHOW);
  EXPECT_EQ(qRed(PixelOf(window.hwnd, 10, 10)), 255);
  EXPECT_EQ(qGreen(PixelOf(window.hwnd, 10, 10)), 0);
  EXPECT_FALSE(window.Messages(WM_ERASEBKGND).empty());
}

TEST(PaintTest, WorkerDrawsThroughAWindowDcAndTheWindowShowsIt) {
  TestWindow window;
  ShowWindow(window.hwnd, SW_SHOW);
  std::atomic<bool> drawn{false};
  std::thread worker([&] {
    HDC dc = GetDC(window.hwnd);
    if (dc) Fill(dc, 200, 100, RGB(0, 0, 255));
    EXPECT_EQ(ReleaseDC(window.hwnd, dc), 1);
    drawn = dc != nullptr;
  });
  worker.join();
  ASSERT_TRUE(drawn);
  QRgb pixel = PixelOf(window.hwnd, 20, 20);
  EXPECT_EQ(qBlue(pixel), 255);
  EXPECT_EQ(qRed(pixel), 0);
}

TEST(PaintTest, DcFailuresAreReportedNotCrashed) {
  EXPECT_EQ(GetDC(DwordToHwnd(0x7FFFFFF2u)), nullptr);
  TestWindow window;
  EXPECT_EQ(ReleaseDC(window.hwnd, reinterpret_cast<HDC>(0x1234)), 0);
  PAINTSTRUCT paint;
  std::thread worker([&] { EXPECT_EQ(BeginPaint(window.hwnd, &paint), nullptr); });  // UI thread only
  worker.join();
}

TEST(PaintTest, LayeredColourKeyNeedsTheLayeredStyleAndIsCutOutWithoutACompositor) {
  TestWindow plain;
  EXPECT_FALSE(SetLayeredWindowAttributes(plain.hwnd, RGB(255, 0, 255), 255, LWA_COLORKEY));
  HWND layered = CreateWindowExA(WS_EX_LAYERED, "TavorinTestWindow", "overlay", WS_POPUP, 0, 0, 60, 60, nullptr,
                                 nullptr, nullptr, nullptr);
  ASSERT_TRUE(layered);
  EXPECT_TRUE(SetLayeredWindowAttributes(layered, RGB(255, 0, 255), 255, LWA_COLORKEY));
  ShowWindow(layered, SW_SHOW);
  HDC dc = GetDC(layered);
  Fill(dc, 60, 60, RGB(255, 0, 255));
  Fill(dc, 20, 20, RGB(255, 0, 0));
  ReleaseDC(layered, dc);
  QWidget* widget = user_p::WidgetOf(layered);
  widget->grab();  // paints
  // Offscreen there is no compositor: the window's shape leaves the key colour out, so it
  // shows (and passes clicks to) what lies below.
  QRegion shape = widget->mask();
  EXPECT_TRUE(shape.contains(QPoint(5, 5)));
  EXPECT_FALSE(shape.contains(QPoint(40, 40)));
  EXPECT_EQ(qRed(PixelOf(layered, 5, 5)), 255);
  EXPECT_TRUE(SetLayeredWindowAttributes(layered, RGB(255, 0, 255), 255, LWA_ALPHA));
  EXPECT_TRUE(widget->mask().isEmpty()) << "without a key the whole window shows again";
  DestroyWindow(layered);
}

TEST(PaintTest, ParentColoursAStaticThroughCtlColor) {
  TestWindow parent;
  HWND label = CreateWindowExA(0, "STATIC", "WARNING WARNING", WS_CHILD | WS_VISIBLE, 0, 0, 150, 24, parent.hwnd,
                               reinterpret_cast<HMENU>(1012), nullptr, nullptr);
  ASSERT_TRUE(label);
  parent.handler = [&](UINT message, WPARAM wParam, LPARAM lParam) -> LRESULT {
    if (message == WM_CTLCOLORSTATIC && reinterpret_cast<HWND>(lParam) == label) {
      SetTextColor(reinterpret_cast<HDC>(wParam), RGB(255, 0, 0));
    }
    return 0;
  };
  ShowWindow(parent.hwnd, SW_SHOW);
  QImage shot = user_p::WidgetOf(label)->grab().toImage();
  int red = 0;
  for (int y = 0; y < shot.height(); ++y) {
    for (int x = 0; x < shot.width(); ++x) {
      QRgb pixel = shot.pixel(x, y);
      if (qRed(pixel) > 200 && qGreen(pixel) < 80 && qBlue(pixel) < 80) ++red;
    }
  }
  EXPECT_GT(red, 10);
  EXPECT_FALSE(parent.Messages(WM_CTLCOLORSTATIC).empty());
}
