// Menus built in code: items found by command inside pop-ups, renamed in place, and the menu
// bar showing what the records hold.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMenu>
#include <QMenuBar>

#include "platform/user/menu.h"
#include "platform/user/window_p.h"
#include "testwindow.h"

namespace {

// The texts of the first pop-up of the window's bar, as it shows them when opened.
std::vector<std::string> ShownItems(HWND hWnd) {
  std::vector<std::string> texts;
  QWidget* widget = user_p::WidgetOf(hWnd);
  QMenuBar* bar = widget ? widget->findChild<QMenuBar*>() : nullptr;
  if (!bar || bar->actions().isEmpty() || !bar->actions().first()->menu()) return texts;
  QMenu* popup = bar->actions().first()->menu();
  emit popup->aboutToShow();
  for (QAction* action : popup->actions()) texts.push_back(action->text().toStdString());
  return texts;
}

}  // namespace

TEST(MenuTest, ModifyMenuRenamesAnItemInAPopupByCommandOrPosition) {
  TestWindow window;
  HMENU bar = CreateMenu();
  HMENU file = CreatePopupMenu();
  ASSERT_TRUE(AppendMenuA(file, MF_STRING, 10, "Connect"));
  ASSERT_TRUE(AppendMenuA(file, MF_STRING | MF_CHECKED, 11, "Beep"));
  ASSERT_TRUE(AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), "File"));
  ASSERT_TRUE(SetMenu(window.hwnd, bar));

  EXPECT_TRUE(ModifyMenuA(bar, 10, MF_BYCOMMAND | MF_STRING, 12, "Disconnect"));
  EXPECT_EQ(GetMenuState(bar, 10, MF_BYCOMMAND), static_cast<UINT>(-1));
  EXPECT_EQ(GetMenuState(bar, 12, MF_BYCOMMAND), static_cast<UINT>(MF_STRING));
  EXPECT_TRUE(ModifyMenuA(file, 1, MF_BYPOSITION | MF_STRING, 11, "Quiet"));
  EXPECT_EQ(GetMenuState(bar, 11, MF_BYCOMMAND) & MF_CHECKED, 0u);
  EXPECT_EQ(ShownItems(window.hwnd), (std::vector<std::string>{"Disconnect", "Quiet"}));

  // Unknown items and pop-ups are refused; nothing changes.
  EXPECT_FALSE(ModifyMenuA(bar, 99, MF_BYCOMMAND | MF_STRING, 99, "None"));
  EXPECT_FALSE(ModifyMenuA(bar, 0, MF_BYPOSITION | MF_STRING, 13, "Not a pop-up"));
  EXPECT_FALSE(ModifyMenuA(nullptr, 12, MF_BYCOMMAND, 12, "No menu"));
  EXPECT_EQ(ShownItems(window.hwnd), (std::vector<std::string>{"Disconnect", "Quiet"}));
  SetMenu(window.hwnd, nullptr);
  DestroyMenu(bar);
}

// Every rebuild of the bar and every opening of a pop-up makes new Qt menus: the old ones must
// go, or a program that updates its menu on each shot grows without end.
TEST(MenuTest, RebuildingTheBarAndOpeningPopupsKeepTheNumberOfMenus) {
  TestWindow window;
  HMENU bar = CreateMenu();
  HMENU file = CreatePopupMenu();
  HMENU recent = CreatePopupMenu();
  ASSERT_TRUE(AppendMenuA(recent, MF_STRING, 20, "One"));
  ASSERT_TRUE(AppendMenuA(file, MF_STRING, 10, "Connect"));
  ASSERT_TRUE(AppendMenuA(file, MF_POPUP, reinterpret_cast<UINT_PTR>(recent), "Recent"));
  ASSERT_TRUE(AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), "File"));
  ASSERT_TRUE(SetMenu(window.hwnd, bar));
  auto menus = [] {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    int count = 0;
    for (QWidget* widget : QApplication::allWidgets()) count += qobject_cast<QMenu*>(widget) != nullptr;
    return count;
  };
  ShownItems(window.hwnd);
  const int before = menus();
  for (int i = 0; i < 1000; ++i) {
    ModifyMenuA(bar, 10, MF_BYCOMMAND | MF_STRING, 10, i % 2 ? "Connect" : "Disconnect");
    ShownItems(window.hwnd);
  }
  EXPECT_EQ(menus(), before);
  EXPECT_EQ(ShownItems(window.hwnd), (std::vector<std::string>{"Connect", "Recent"}));
  SetMenu(window.hwnd, nullptr);
  DestroyMenu(bar);
}
