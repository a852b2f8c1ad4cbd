#include <gtest/gtest.h>

#include <QComboBox>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QSlider>
#include <atomic>
#include <thread>

#include "platform/user/dragdrop_p.h"
#include "platform/user/hwndwidget_p.h"
#include "platform/user/input.h"
#include "platform/user/window_p.h"
#include "testwindow.h"

namespace {

HWND Control(HWND parent, const char* className, DWORD style, int id, const char* text = "") {
  return CreateWindowExA(0, className, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 120, 24, parent,
                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
}

std::string Text(HWND hwnd) {
  char buffer[256];
  GetWindowTextA(hwnd, buffer, sizeof(buffer));
  return buffer;
}

}  // namespace

TEST(ControlsTest, ComboBoxAnswersItsMessagesAndNotifiesOnlyUserChoices) {
  TestWindow parent;
  HWND combo = Control(parent.hwnd, "COMBOBOX", CBS_DROPDOWNLIST, 10);
  ASSERT_TRUE(combo);
  EXPECT_EQ(SendMessageA(combo, CB_ADDSTRING, 0, (LPARAM) "Av"), 0);
  EXPECT_EQ(SendMessageA(combo, CB_ADDSTRING, 0, (LPARAM) "Tv"), 1);
  EXPECT_EQ(SendMessageA(combo, CB_INSERTSTRING, 0, (LPARAM) "Auto"), 0);
  EXPECT_EQ(SendMessageA(combo, CB_GETCOUNT, 0, 0), 3);
  EXPECT_EQ(SendMessageA(combo, CB_SETITEMDATA, 2, 0x1234), 0);
  EXPECT_EQ(SendMessageA(combo, CB_GETITEMDATA, 2, 0), 0x1234);
  EXPECT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), CB_ERR);
  EXPECT_EQ(SendMessageA(combo, CB_SETCURSEL, 2, 0), 2);
  EXPECT_EQ(SendMessageA(combo, CB_SETCURSEL, 9, 0), CB_ERR);  // out of range clears the choice
  EXPECT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), CB_ERR);
  EXPECT_EQ(SendMessageA(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), (LPARAM) "tv"), 2);
  EXPECT_EQ(SendMessageA(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), (LPARAM) "M"), CB_ERR);
  char text[16] = {0};
  EXPECT_EQ(SendMessageA(combo, CB_GETLBTEXTLEN, 1, 0), 2);
  EXPECT_EQ(SendMessageA(combo, CB_GETLBTEXT, 1, (LPARAM)text), 2);
  EXPECT_STREQ(text, "Av");
  EXPECT_EQ(SendMessageA(combo, CB_GETLBTEXT, 7, (LPARAM)text), CB_ERR);
  SendMessageA(combo, CB_SETCURSEL, 1, 0);
  EXPECT_TRUE(parent.Messages(WM_COMMAND).empty());  // set by the program: no notification
  auto* widget = qobject_cast<QComboBox*>(user_p::WidgetOf(combo));
  ASSERT_NE(widget, nullptr);
  emit widget->activated(0);  // as if the user picked it
  ASSERT_EQ(parent.Messages(WM_COMMAND).size(), 1u);
  RecordedMessage command = parent.Messages(WM_COMMAND)[0];
  EXPECT_EQ(LOWORD(command.wParam), 10);
  EXPECT_EQ(HIWORD(command.wParam), CBN_SELCHANGE);
  EXPECT_EQ(reinterpret_cast<HWND>(command.lParam), combo);
}

TEST(ControlsTest, WorkerFillsAComboThroughSendMessage) {
  TestWindow parent;
  HWND combo = Control(parent.hwnd, "COMBOBOX", CBS_DROPDOWNLIST, 11);
  std::atomic<bool> done{false};
  std::atomic<LRESULT> selected{-5};
  std::thread worker([&] {
    for (const char* value : {"1/60", "1/125", "1/250"}) SendMessageA(combo, CB_ADDSTRING, 0, (LPARAM)value);
    SendMessageA(combo, CB_SETCURSEL, 1, 0);
    selected = SendMessageA(combo, CB_GETCURSEL, 0, 0);
    done = true;
  });
  PumpUntil([&] { return done.load(); });
  worker.join();
  EXPECT_EQ(selected, 1);
  EXPECT_EQ(Text(combo), "1/125");
}

TEST(ControlsTest, ButtonsEditsSlidersAndProgress) {
  TestWindow parent;
  HWND check = Control(parent.hwnd, "BUTTON", BS_AUTOCHECKBOX, 20, "Flash");
  HWND push = Control(parent.hwnd, "BUTTON", BS_PUSHBUTTON, 21, "Release");
  HWND edit = Control(parent.hwnd, "EDIT", ES_MULTILINE, 22);
  HWND line = Control(parent.hwnd, "EDIT", ES_AUTOHSCROLL, 23);
  HWND slider = Control(parent.hwnd, "msctls_trackbar32", 0, 24);
  HWND progress = Control(parent.hwnd, "msctls_progress32", 0, 25);

  EXPECT_EQ(Text(check), "Flash");
  EXPECT_EQ(SendMessageA(check, BM_GETCHECK, 0, 0), BST_UNCHECKED);
  SendMessageA(check, BM_SETCHECK, BST_CHECKED, 0);
  EXPECT_EQ(SendMessageA(check, BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_TRUE(parent.Messages(WM_COMMAND).empty());
  SendMessageA(push, BM_CLICK, 0, 0);
  ASSERT_EQ(parent.Messages(WM_COMMAND).size(), 1u);
  EXPECT_EQ(parent.Messages(WM_COMMAND)[0].wParam, MAKEWPARAM(21, BN_CLICKED));

  SetWindowTextA(edit, "line one\r\nline two");
  EXPECT_EQ(Text(edit), "line one\r\nline two");
  EXPECT_EQ(GetWindowTextLengthA(edit), 18);
  SendMessageA(line, EM_LIMITTEXT, 4, 0);
  SetWindowTextA(line, "123456");
  EXPECT_EQ(Text(line), "1234");
  char small[4];
  EXPECT_EQ(GetWindowTextA(line, small, sizeof(small)), 3);  // truncated, terminated
  EXPECT_STREQ(small, "123");

  SendMessageA(slider, TBM_SETRANGEMIN, FALSE, 0);
  SendMessageA(slider, TBM_SETRANGEMAX, TRUE, 20);
  SendMessageA(slider, TBM_SETPOS, TRUE, 50);
  EXPECT_EQ(SendMessageA(slider, TBM_GETPOS, 0, 0), 20);  // clamped into the range
  auto* qslider = qobject_cast<QSlider*>(user_p::WidgetOf(slider));
  ASSERT_NE(qslider, nullptr);
  qslider->setSliderDown(true);
  qslider->setSliderPosition(5);  // the user dragging
  qslider->setSliderDown(false);
  std::vector<RecordedMessage> scrolls = parent.Messages(WM_HSCROLL);
  ASSERT_FALSE(scrolls.empty());
  EXPECT_EQ(LOWORD(scrolls.back().wParam), TB_ENDTRACK);
  std::vector<RecordedMessage> notes = parent.Messages(WM_NOTIFY);
  ASSERT_EQ(notes.size(), 1u);

  SendMessageA(progress, PBM_SETRANGE32, 0, 10);
  SendMessageA(progress, PBM_SETPOS, 4, 0);
  EXPECT_EQ(SendMessageA(progress, PBM_DELTAPOS, 3, 0), 4);
  EXPECT_EQ(SendMessageA(progress, PBM_GETPOS, 0, 0), 7);
}

TEST(ControlsTest, GroupedRadioButtonsAndSiblingOrder) {
  TestWindow parent;
  HWND first = Control(parent.hwnd, "BUTTON", BS_AUTORADIOBUTTON | WS_GROUP, 30, "A");
  HWND second = Control(parent.hwnd, "BUTTON", BS_AUTORADIOBUTTON, 31, "B");
  EXPECT_EQ(GetWindow(first, GW_HWNDNEXT), second);
  EXPECT_EQ(GetWindow(second, GW_HWNDPREV), first);
  EXPECT_EQ(GetWindow(parent.hwnd, GW_CHILD), first);
  EXPECT_EQ(GetDlgItem(parent.hwnd, 31), second);
  EXPECT_EQ(GetDlgCtrlID(second), 31);
  char name[16];
  GetClassNameA(first, name, sizeof(name));
  EXPECT_STREQ(name, "button");
}

TEST(InputTest, AKeysVirtualKeyIsTheSameWhateverTheModifiers) {
  struct Row {
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    UINT vk;
  } rows[] = {
      {Qt::Key_1, Qt::NoModifier, '1'},
      {Qt::Key_Exclam, Qt::ShiftModifier | Qt::ControlModifier, '1'},
      {Qt::Key_At, Qt::ShiftModifier, '2'},
      {Qt::Key_ParenRight, Qt::ShiftModifier, '0'},
      {Qt::Key_Percent, Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier, '5'},
      {Qt::Key_Underscore, Qt::ShiftModifier, VK_OEM_MINUS},
      {Qt::Key_Question, Qt::ShiftModifier, VK_OEM_2},
      {Qt::Key_Plus, Qt::ShiftModifier, VK_OEM_PLUS},
      {Qt::Key_Plus, Qt::KeypadModifier, VK_ADD},
      {Qt::Key_Minus, Qt::KeypadModifier, VK_SUBTRACT},
      {Qt::Key_7, Qt::KeypadModifier, VK_NUMPAD0 + 7},
      {Qt::Key_R, Qt::ShiftModifier | Qt::ControlModifier, 'R'},
      {Qt::Key_F3, Qt::ShiftModifier, VK_F3},
      {Qt::Key_Backtab, Qt::ShiftModifier, VK_TAB},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.key);
    QKeyEvent event(QEvent::KeyPress, row.key, row.modifiers);
    EXPECT_EQ(row.vk, user_p::VirtualKeyOf(&event));
  }
}

TEST(InputTest, KeyEventsBecomeKeyAndCharMessagesWithTheRepeatBit) {
  TestWindow window;
  QWidget* widget = user_p::WidgetOf(window.hwnd);
  ASSERT_NE(widget, nullptr);
  QKeyEvent first(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, "a");
  QKeyEvent repeat(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, "a", true);
  QCoreApplication::sendEvent(widget, &first);
  EXPECT_TRUE(GetKeyState('A') & 0x8000);
  QCoreApplication::sendEvent(widget, &repeat);
  QKeyEvent release(QEvent::KeyRelease, Qt::Key_A, Qt::NoModifier, "a");
  QCoreApplication::sendEvent(widget, &release);
  EXPECT_FALSE(GetKeyState('A') & 0x8000);
  std::vector<RecordedMessage> downs = window.Messages(WM_KEYDOWN);
  ASSERT_EQ(downs.size(), 2u);
  EXPECT_EQ(downs[0].wParam, static_cast<WPARAM>('A'));
  EXPECT_EQ(downs[0].lParam & (1 << 30), 0);
  EXPECT_NE(downs[1].lParam & (1 << 30), 0);
  ASSERT_EQ(window.Messages(WM_CHAR).size(), 2u);
  EXPECT_EQ(window.Messages(WM_CHAR)[0].wParam, static_cast<WPARAM>('a'));
  EXPECT_EQ(window.Messages(WM_KEYUP).size(), 1u);
}

TEST(InputTest, DroppedFilesAreReadWithDragQueryFile) {
  HDROP drop = user_p::MakeDrop({"/tmp/a.jpg", "/tmp/b\xe9.jpg"}, {3, 4});
  EXPECT_EQ(DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0), 2u);
  EXPECT_EQ(DragQueryFileA(drop, 1, nullptr, 0), 11u);
  char path[MAX_PATH];
  EXPECT_EQ(DragQueryFileA(drop, 1, path, MAX_PATH), 11u);
  EXPECT_STREQ(path, "/tmp/b\xe9.jpg");
  EXPECT_EQ(DragQueryFileA(drop, 2, path, MAX_PATH), 0u);
  POINT at;
  EXPECT_TRUE(DragQueryPoint(drop, &at));
  EXPECT_EQ(at.x, 3);
  DragFinish(drop);
}

TEST(InputTest, AcceleratorsMatchKeyAndModifiers) {
  TestWindow window;
  ACCEL keys[] = {{FVIRTKEY, 0x77 /* F8 */, 1003}, {FVIRTKEY | FCONTROL, 'S', 1004}};
  HACCEL table = CreateAcceleratorTableA(keys, 2);
  ASSERT_TRUE(table);
  MSG f8{window.hwnd, WM_KEYDOWN, 0x77, 1, 0, {0, 0}};
  MSG s{window.hwnd, WM_KEYDOWN, 'S', 1, 0, {0, 0}};
  EXPECT_TRUE(TranslateAcceleratorA(window.hwnd, table, &f8));
  EXPECT_FALSE(TranslateAcceleratorA(window.hwnd, table, &s));  // needs Ctrl
  ASSERT_EQ(window.Messages(WM_COMMAND).size(), 1u);
  EXPECT_EQ(window.Messages(WM_COMMAND)[0].wParam, MAKEWPARAM(1003, 1));
  EXPECT_TRUE(DestroyAcceleratorTable(table));
  EXPECT_EQ(LoadAcceleratorsA(nullptr, MAKEINTRESOURCE(777)), nullptr);
}
