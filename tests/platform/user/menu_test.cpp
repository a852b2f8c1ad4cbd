// Menus built in code: items found by command inside pop-ups, renamed in place, and the menu
// bar showing what the records hold.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QTimer>

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

namespace {

// A pop-up with a checked entry, a separator, a greyed entry and a sub-menu.
HMENU SamplePopup() {
  HMENU menu = CreatePopupMenu();
  AppendMenuA(menu, MF_STRING, 21, "Add...");
  AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(menu, MF_STRING | MF_CHECKED, 22, "Ready");
  AppendMenuA(menu, MF_STRING | MF_GRAYED, 23, "Share");
  HMENU more = CreatePopupMenu();
  AppendMenuA(more, MF_STRING, 24, "Exit");
  AppendMenuA(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(more), "More");
  return menu;
}

}  // namespace

TEST(MenuTest, AScriptedPopupReturnsItsChoiceAndIsRecordedWithItsItems) {
  TestWindow window;
  ClearPopupMenus();
  HMENU menu = SamplePopup();
  const struct {
    UINT script;
    UINT expected;
  } rows[] = {{22, 22}, {24, 24}, {23, 0} /* greyed */, {99, 0} /* not in the menu */, {0, 0}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.script);
    PushPopupMenuChoice(row.script);
    EXPECT_EQ(static_cast<UINT>(TrackPopupMenu(menu, TPM_RETURNCMD, 40, 50, 0, window.hwnd, nullptr)), row.expected);
  }
  const std::vector<ShownPopupMenu> shown = GetShownPopupMenus();
  ASSERT_EQ(shown.size(), 5u);
  EXPECT_TRUE(shown[0].scripted);
  EXPECT_EQ(shown[0].x, 40);
  EXPECT_EQ(shown[0].y, 50);
  EXPECT_EQ(shown[1].chosen, 24u);
  EXPECT_EQ(shown[2].chosen, 0u);
  const std::vector<ShownMenuItem>& items = shown[0].items;
  ASSERT_EQ(items.size(), 6u);
  EXPECT_EQ(items[0].text, "Add...");
  EXPECT_TRUE(items[1].separator);
  EXPECT_TRUE(items[2].checked);
  EXPECT_FALSE(items[0].checked);
  EXPECT_FALSE(items[3].enabled);
  EXPECT_EQ(items[4].text, "More");
  EXPECT_EQ(items[4].id, 0u);
  EXPECT_EQ(items[5].id, 24u);
  EXPECT_EQ(items[5].depth, 1);
  DestroyMenu(menu);
  ClearPopupMenus();
}

TEST(MenuTest, AScriptedChoiceWithoutReturnCmdReachesTheOwnerAsACommand) {
  TestWindow window;
  ClearPopupMenus();
  HMENU menu = SamplePopup();
  PushPopupMenuChoice(21);
  EXPECT_TRUE(TrackPopupMenu(menu, TPM_LEFTALIGN, 0, 0, 0, window.hwnd, nullptr));
  ASSERT_TRUE(PumpUntil([&] { return !window.Messages(WM_COMMAND).empty(); }));
  EXPECT_EQ(LOWORD(window.Messages(WM_COMMAND)[0].wParam), 21);
  EXPECT_EQ(HIWORD(window.Messages(WM_COMMAND)[0].wParam), 0);
  DestroyMenu(menu);
  ClearPopupMenus();
}

TEST(MenuTest, AnUnscriptedPopupRunsTheRealMenuAndIsRecordedToo) {
  TestWindow window;
  ClearPopupMenus();
  HMENU menu = SamplePopup();
  QString seenChecked;
  QTimer closer;
  QObject::connect(&closer, &QTimer::timeout, [&] {
    auto* open = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    if (!open) return;
    closer.stop();
    for (QAction* action : open->actions())
      if (action->isChecked()) seenChecked = action->text();
    for (QAction* action : open->actions())
      if (action->text() == "Ready") action->trigger();
    open->close();
  });
  closer.start(1);
  EXPECT_EQ(TrackPopupMenu(menu, TPM_RETURNCMD, 10, 10, 0, window.hwnd, nullptr), 22);
  EXPECT_EQ(seenChecked, QString("Ready"));
  const std::vector<ShownPopupMenu> shown = GetShownPopupMenus();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_FALSE(shown[0].scripted);
  EXPECT_EQ(shown[0].chosen, 22u);
  DestroyMenu(menu);
  ClearPopupMenus();
}
