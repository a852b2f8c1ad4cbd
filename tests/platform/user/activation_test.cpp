// WM_ACTIVATE when the activation moves between the program's top-level windows, and
// WM_ACTIVATE and WM_ACTIVATEAPP when another program takes it (on a real X display).
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QWidget>

#include "platform/user/window.h"
#include "platform/user/window_p.h"
#include "platform/user/winmsg.h"
#include "testwindow.h"

namespace {

size_t Count(TestWindow& window, UINT message) { return window.Messages(message).size(); }

void ShowAndActivate(TestWindow& window) {
  ShowWindow(window.hwnd, SW_SHOWNORMAL);
  SetForegroundWindow(window.hwnd);
  ASSERT_TRUE(PumpUntil([&] { return GetForegroundWindow() == window.hwnd; }));
}

TEST(ActivationTest, BothWindowsOfAnActivationChangeAreToldAndNameEachOther) {
  TestWindow first, second;
  ShowAndActivate(first);
  ASSERT_FALSE(first.Messages(WM_ACTIVATE).empty());
  EXPECT_EQ(WA_ACTIVE, LOWORD(first.Messages(WM_ACTIVATE).back().wParam));
  struct Row {
    TestWindow* from;
    TestWindow* to;
  } rows[] = {{&first, &second}, {&second, &first}, {&first, &second}};
  for (const Row& row : rows) {
    size_t fromBefore = Count(*row.from, WM_ACTIVATE), toBefore = Count(*row.to, WM_ACTIVATE);
    ShowAndActivate(*row.to);
    ASSERT_TRUE(PumpUntil([&] { return Count(*row.from, WM_ACTIVATE) > fromBefore; }));
    RecordedMessage lost = row.from->Messages(WM_ACTIVATE).back();
    RecordedMessage gained = row.to->Messages(WM_ACTIVATE).back();
    EXPECT_EQ(fromBefore + 1, Count(*row.from, WM_ACTIVATE)) << "once per change";
    EXPECT_EQ(toBefore + 1, Count(*row.to, WM_ACTIVATE));
    EXPECT_EQ(WA_INACTIVE, LOWORD(lost.wParam));
    EXPECT_EQ(row.to->hwnd, reinterpret_cast<HWND>(lost.lParam));
    EXPECT_EQ(WA_ACTIVE, LOWORD(gained.wParam));
    EXPECT_EQ(row.from->hwnd, reinterpret_cast<HWND>(gained.lParam));
  }
}

// Another program's window (xmessage) takes the keyboard focus through the X server, then ours
// takes it back, each as a click would give it (xdotool; without a window manager).
TEST(ActivationTest, AnotherProgramsWindowDeactivatesTheProgramXvfb) {
  if (QGuiApplication::platformName() != "xcb") GTEST_SKIP() << "needs QT_QPA_PLATFORM=xcb (Xvfb)";
  const QString xmessage = QStandardPaths::findExecutable("xmessage");
  const QString xdotool = QStandardPaths::findExecutable("xdotool");
  if (xmessage.isEmpty() || xdotool.isEmpty()) GTEST_SKIP() << "needs xmessage and xdotool";
  TestWindow ours;
  ShowWindow(ours.hwnd, SW_SHOWNORMAL);
  QWidget* widget = user_p::WidgetOf(ours.hwnd);
  ASSERT_NE(nullptr, widget);
  const QString ourId = QString::number(widget->winId());
  auto focusOurs = [&] {
    QProcess::execute(xdotool, {"windowfocus", "--sync", ourId});
    return PumpUntil([&] { return GetForegroundWindow() == ours.hwnd; });
  };
  ASSERT_TRUE(focusOurs());
  QProcess other;
  other.start(xmessage, {"-name", "tavorin-other-program", "another program"});
  ASSERT_TRUE(other.waitForStarted());
  QString id;
  ASSERT_TRUE(PumpUntil([&] {
    QProcess search;
    search.start(xdotool, {"search", "--onlyvisible", "--classname", "tavorin-other-program"});
    search.waitForFinished();
    id = QString::fromUtf8(search.readAllStandardOutput()).split('\n').value(0).trimmed();
    return !id.isEmpty();
  }));
  size_t activates = Count(ours, WM_ACTIVATE), apps = Count(ours, WM_ACTIVATEAPP);
  QProcess::execute(xdotool, {"windowfocus", id});
  ASSERT_TRUE(PumpUntil([&] { return Count(ours, WM_ACTIVATEAPP) > apps; }));
  EXPECT_EQ(WA_INACTIVE, LOWORD(ours.Messages(WM_ACTIVATE).back().wParam));
  EXPECT_EQ(nullptr, reinterpret_cast<HWND>(ours.Messages(WM_ACTIVATE).back().lParam)) << "not one of ours";
  EXPECT_EQ(static_cast<WPARAM>(FALSE), ours.Messages(WM_ACTIVATEAPP).back().wParam);
  EXPECT_GT(Count(ours, WM_ACTIVATE), activates);

  apps = Count(ours, WM_ACTIVATEAPP);
  ASSERT_TRUE(focusOurs());
  ASSERT_TRUE(PumpUntil([&] { return Count(ours, WM_ACTIVATEAPP) > apps; }));
  EXPECT_EQ(static_cast<WPARAM>(TRUE), ours.Messages(WM_ACTIVATEAPP).back().wParam);
  EXPECT_EQ(WA_ACTIVE, LOWORD(ours.Messages(WM_ACTIVATE).back().wParam));
  other.kill();
  other.waitForFinished();
}

}  // namespace
