#include <QCoreApplication>
#include <gtest/gtest.h>

#include "platform/user/winuser.h"
#include "testwindow.h"
#include "platform/user/window_p.h"

#include <QWidget>

namespace {

// Lets queued window-system reports of the new geometry arrive before reading it back.
void Settle() {
  for (int i = 0; i < 5; ++i) QCoreApplication::processEvents();
}

RECT WindowRect(HWND hWnd) {
  RECT rect{};
  EXPECT_TRUE(GetWindowRect(hWnd, &rect));
  return rect;
}

void ExpectRect(const RECT& expected, const RECT& actual) {
  EXPECT_EQ(expected.left, actual.left);
  EXPECT_EQ(expected.top, actual.top);
  EXPECT_EQ(expected.right, actual.right);
  EXPECT_EQ(expected.bottom, actual.bottom);
}

using Place = void (*)(HWND, const RECT&);

void ByMoveWindow(HWND hWnd, const RECT& r) {
  MoveWindow(hWnd, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
}

void BySetWindowPos(HWND hWnd, const RECT& r) {
  SetWindowPos(hWnd, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

TEST(WindowPosTest, TopLevelRectangleReadsBackExactlyAndNeverGrows) {
  struct Row {
    const char* name;
    Place place;
    bool shown;
  } rows[] = {
      {"MoveWindow hidden", ByMoveWindow, false},
      {"MoveWindow shown", ByMoveWindow, true},
      {"SetWindowPos hidden", BySetWindowPos, false},
      {"SetWindowPos shown", BySetWindowPos, true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    TestWindow window;
    if (row.shown) ShowWindow(window.hwnd, SW_SHOWNORMAL);
    const RECT wanted{100, 120, 900, 700};
    row.place(window.hwnd, wanted);
    Settle();
    ExpectRect(wanted, WindowRect(window.hwnd));
    // A program saving its rectangle on exit and restoring it on start does this every run.
    for (int run = 0; run < 5; ++run) {
      row.place(window.hwnd, WindowRect(window.hwnd));
      Settle();
    }
    ExpectRect(wanted, WindowRect(window.hwnd));
    if (!row.shown) {
      ShowWindow(window.hwnd, SW_SHOWNORMAL);
      Settle();
      ExpectRect(wanted, WindowRect(window.hwnd));
    }
    RECT client{};
    ASSERT_TRUE(GetClientRect(window.hwnd, &client));
    EXPECT_LE(client.right, wanted.right - wanted.left);
    EXPECT_LE(client.bottom, wanted.bottom - wanted.top);
  }
}

TEST(WindowPosTest, CreationRectangleIsTheFrameRectangle) {
  TestWindow window;  // created at (0, 0) with 200 x 100
  ShowWindow(window.hwnd, SW_SHOWNORMAL);
  Settle();
  ExpectRect({0, 0, 200, 100}, WindowRect(window.hwnd));
}

TEST(WindowPosTest, SetWindowPosMovesOrSizesAlone) {
  TestWindow window;
  ShowWindow(window.hwnd, SW_SHOWNORMAL);
  MoveWindow(window.hwnd, 50, 60, 300, 200, TRUE);
  SetWindowPos(window.hwnd, nullptr, 70, 80, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  Settle();
  ExpectRect({70, 80, 370, 280}, WindowRect(window.hwnd));
  SetWindowPos(window.hwnd, nullptr, 0, 0, 400, 250, SWP_NOMOVE | SWP_NOZORDER);
  Settle();
  ExpectRect({70, 80, 470, 330}, WindowRect(window.hwnd));
}

TEST(WindowPosTest, ChildRectangleStaysInScreenCoordinatesOfItsParent) {
  TestWindow parent;
  MoveWindow(parent.hwnd, 100, 100, 400, 300, TRUE);
  TestWindow child(parent.hwnd, WS_CHILD | WS_VISIBLE);
  MoveWindow(child.hwnd, 10, 20, 50, 40, TRUE);
  ShowWindow(parent.hwnd, SW_SHOWNORMAL);
  Settle();
  POINT origin{0, 0};
  ASSERT_TRUE(ClientToScreen(parent.hwnd, &origin));
  ExpectRect({origin.x + 10, origin.y + 20, origin.x + 60, origin.y + 60}, WindowRect(child.hwnd));
}

TEST(WindowPosTest, WorkAreaLiesOnThePrimaryScreen) {
  RECT area{};
  ASSERT_TRUE(SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0));
  EXPECT_LT(area.left, area.right);
  EXPECT_LT(area.top, area.bottom);
  EXPECT_GE(area.left, 0);
  EXPECT_GE(area.top, 0);
  EXPECT_LE(area.right, GetSystemMetrics(SM_CXSCREEN));
  EXPECT_LE(area.bottom, GetSystemMetrics(SM_CYSCREEN));
  EXPECT_FALSE(SystemParametersInfoA(SPI_GETWORKAREA, 0, nullptr, 0));
  EXPECT_FALSE(SystemParametersInfoA(0x1234, 0, &area, 0));
}

TEST(WindowPosTest, PlacementKeepsTheNormalRectangleAcrossMaximizing) {
  TestWindow window;
  WINDOWPLACEMENT placement{};
  placement.length = sizeof placement;
  placement.showCmd = SW_SHOWMAXIMIZED;
  placement.rcNormalPosition = {40, 50, 440, 350};
  ASSERT_TRUE(SetWindowPlacement(window.hwnd, &placement));
  Settle();
  EXPECT_TRUE(IsZoomed(window.hwnd));

  WINDOWPLACEMENT read{};
  read.length = sizeof read;
  ASSERT_TRUE(GetWindowPlacement(window.hwnd, &read));
  EXPECT_EQ(static_cast<UINT>(SW_SHOWMAXIMIZED), read.showCmd);
  ExpectRect(placement.rcNormalPosition, read.rcNormalPosition);

  read.showCmd = SW_SHOWNORMAL;
  ASSERT_TRUE(SetWindowPlacement(window.hwnd, &read));
  Settle();
  EXPECT_FALSE(IsZoomed(window.hwnd));
  ExpectRect(placement.rcNormalPosition, WindowRect(window.hwnd));
  WINDOWPLACEMENT normal{};
  normal.length = sizeof normal;
  ASSERT_TRUE(GetWindowPlacement(window.hwnd, &normal));
  EXPECT_EQ(static_cast<UINT>(SW_SHOWNORMAL), normal.showCmd);
  ExpectRect(placement.rcNormalPosition, normal.rcNormalPosition);
}

TEST(WindowPosTest, PlacementFailsForUnknownWindowOrNull) {
  WINDOWPLACEMENT placement{};
  placement.length = sizeof placement;
  EXPECT_FALSE(GetWindowPlacement(reinterpret_cast<HWND>(0x7ffff0), &placement));
  EXPECT_FALSE(SetWindowPlacement(reinterpret_cast<HWND>(0x7ffff0), &placement));
  TestWindow window;
  EXPECT_FALSE(GetWindowPlacement(window.hwnd, nullptr));
}

TEST(WindowPosTest, ACaptionTakenFromAShownWindowGoesAtOnceAndComesBack) {
  TestWindow window(nullptr, WS_POPUP | WS_CAPTION | WS_SYSMENU);
  ShowWindow(window.hwnd, SW_SHOW);
  Settle();
  QWidget* widget = user_p::WidgetOf(window.hwnd);
  ASSERT_NE(nullptr, widget);
  EXPECT_FALSE(widget->windowFlags() & Qt::FramelessWindowHint);
  LONG_PTR style = GetWindowLongPtrA(window.hwnd, GWL_STYLE);
  SetWindowLongPtrA(window.hwnd, GWL_STYLE, style & ~static_cast<LONG_PTR>(WS_CAPTION));
  Settle();
  EXPECT_TRUE(widget->windowFlags() & Qt::FramelessWindowHint);
  EXPECT_TRUE(IsWindowVisible(window.hwnd)) << "the window stays shown";
  SetWindowLongPtrA(window.hwnd, GWL_STYLE, style);
  Settle();
  EXPECT_FALSE(widget->windowFlags() & Qt::FramelessWindowHint);
  EXPECT_TRUE(widget->isVisible());
}
