#include "config/TouchscreenSettings.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>
#include <string>

#include "ConfigTestSupport.h"
#include "config/TouchscreenPreviewDlg.h"
#include "keyboard/KeyboardDialog.h"
#include "platform/mfc/dialogscript.h"
#include "platform/user/menu.h"
#include "platform/user/messagebox.h"

namespace {

const int kStart = 1, kIncrease = 11, kShareEmail = 37;

// A left click in the middle of a control, as the display server delivers it.
void Click(CDialog* dialog, int id) {
  QWidget* widget = user_p::WidgetOf(::GetDlgItem(dialog->m_hWnd, id));
  ASSERT_NE(widget, nullptr);
  const QPointF centre(widget->width() / 2.0, widget->height() / 2.0);
  QMouseEvent press(QEvent::MouseButtonPress, centre, widget->mapToGlobal(centre), Qt::LeftButton, Qt::LeftButton,
                    Qt::NoModifier);
  QCoreApplication::sendEvent(widget, &press);
  QMouseEvent release(QEvent::MouseButtonRelease, centre, widget->mapToGlobal(centre), Qt::LeftButton, Qt::NoButton,
                      Qt::NoModifier);
  QCoreApplication::sendEvent(widget, &release);
}

// Replaces an edit's text by typing: select all, then the characters, into the focused control.
void Type(CDialog* dialog, int id, const std::string& text) {
  ::SetFocus(::GetDlgItem(dialog->m_hWnd, id));
  QWidget* widget = user_p::WidgetOf(::GetDlgItem(dialog->m_hWnd, id));
  ASSERT_NE(widget, nullptr);
  QKeyEvent selectAll(QEvent::KeyPress, Qt::Key_A, Qt::ControlModifier);
  QCoreApplication::sendEvent(widget, &selectAll);
  for (char c : text) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_0 + (c - '0'), Qt::NoModifier, QString(QChar(c)));
    QCoreApplication::sendEvent(widget, &press);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_0 + (c - '0'), Qt::NoModifier, QString(QChar(c)));
    QCoreApplication::sendEvent(widget, &release);
  }
}

class TouchscreenSettingsTest : public testing::Test {
 protected:
  void SetUp() override {
    ClearDialogScripts();
    ClearMessageBoxes();
    ClearPopupMenus();
  }
  void TearDown() override {
    ClearDialogScripts();
    ClearMessageBoxes();
    ClearPopupMenus();
  }
};

}  // namespace

TEST_F(TouchscreenSettingsTest, OpensWithTheActionListsAndEnablesOnlyUsedRows) {
  CTouchscreenSettings dialog;
  dialog.m_buttons[0] = {kStart, 10, 20, 110, 120};
  dialog.m_buttons[3] = {kShareEmail, 5, 6, 7, 8};
  dialog.m_nKeyboard = 2;
  dialog.m_nKeyboardTimeout = 45;
  dialog.m_strExitPassword = "open sesame";
  PushDialogScript(DialogScript(IDD_TOUCHSCREEN_SETTINGS)
                       .Call([](CDialog* d) {
                         HWND combo = ::GetDlgItem(d->m_hWnd, kTouchRowCombo[17]);
                         ASSERT_EQ(::SendMessageA(combo, CB_GETCOUNT, 0, 0), 67);
                         char text[64] = {};
                         ::SendMessageA(combo, CB_GETLBTEXT, 10, reinterpret_cast<LPARAM>(text));
                         EXPECT_STREQ(text, "1 copy of prints");
                         EXPECT_EQ(::SendMessageA(combo, CB_GETITEMDATA, 10, 0), 6);
                         EXPECT_EQ(Selection(d, kTouchRowCombo[0]), 1);
                         EXPECT_EQ(Selection(d, kTouchRowCombo[1]), 0) << "an empty slot shows No action";
                         EXPECT_EQ(Text(d, TouchRowEdit(0, 2)), "110");
                         EXPECT_TRUE(Enabled(d, TouchRowEdit(0, 0)));
                         EXPECT_TRUE(Enabled(d, TouchRowEdit(3, 3)));
                         EXPECT_FALSE(Enabled(d, TouchRowEdit(1, 0)));
                         EXPECT_EQ(Selection(d, IDC_TS_KEYBOARD), 2);
                         EXPECT_EQ(Text(d, IDC_TS_KEYBOARD_TIMEOUT), "45");
                         EXPECT_EQ(Text(d, IDC_TS_EXIT_PASSWORD), "open sesame");
                         CString caption;
                         d->GetDlgItemText(TouchRowCaption(17), caption);
                         EXPECT_EQ(caption, CString("Action 18:"));
                       })
                       .Select(kTouchRowCombo[1], 2)  // "B&W Start"
                       .Call([](CDialog* d) { EXPECT_TRUE(Enabled(d, TouchRowEdit(1, 0))); })
                       .Select(kTouchRowCombo[0], 0)
                       .Call([](CDialog* d) { EXPECT_FALSE(Enabled(d, TouchRowEdit(0, 0))); })
                       .SetText(TouchRowEdit(1, 2), "50")
                       .SetText(TouchRowEdit(1, 3), "60")
                       .Select(IDC_TS_KEYBOARD, 4)
                       .SetText(IDC_TS_EXIT_PASSWORD, "")
                       .Call([](CDialog* d) { Click(d, IDOK); }));
  ASSERT_EQ(dialog.DoModal(), IDOK);
  EXPECT_TRUE(GetShownMessageBoxes().empty());
  EXPECT_EQ(dialog.m_buttons[0].action, 0);
  EXPECT_EQ(dialog.m_buttons[1].action, 2);
  EXPECT_EQ(dialog.m_buttons[1].right, 50);
  EXPECT_EQ(dialog.m_nKeyboard, 4);
  EXPECT_EQ(dialog.m_strExitPassword, CString(""));
}

TEST_F(TouchscreenSettingsTest, OkRefusesAnAreaWithoutWidthOrHeightAndFocusesItsEdge) {
  const std::string widthText =
      "ERROR: Width for Action 2: 'Start' is less than 1\nleft=300, right=300\n\nThe left and right values are the "
      "number of pixels measured from the left of the screen and the right value should always be greater than the "
      "left value.\ne.g. To create a touchscreen area 100 pixels wide when left=300 you need set right to 400";
  const std::string heightText =
      "ERROR: Height for Action 5: 'Increase num prints' is less than 1\ntop=90, bottom=40\n\nThe top and bottom values "
      "are the number of pixels down from the top of the screen and the bottom value should always be greater than the "
      "top value.\ne.g. To create a touchscreen area 100 pixels high when top=90 you need set bottom to 190";
  CTouchscreenSettings dialog;
  dialog.m_buttons[0] = {0, 300, 300, 300, 300};  // empty: never checked
  dialog.m_buttons[1] = {kStart, 300, 10, 300, 100};
  dialog.m_buttons[4] = {kIncrease, 500, 90, 600, 40};
  PushDialogScript(DialogScript(IDD_TOUCHSCREEN_SETTINGS)
                       .Press(IDOK)
                       .Call([&](CDialog* d) {
                         EXPECT_TRUE(d->IsWindowVisible());
                         const std::vector<ShownMessageBox> shown = GetShownMessageBoxes();
                         ASSERT_EQ(shown.size(), 1u);
                         EXPECT_EQ(shown[0].text, widthText);
                         EXPECT_EQ(shown[0].caption, "Tavorin");
                         EXPECT_EQ(shown[0].icon, MB_ICONERROR);
                         EXPECT_EQ(::GetFocus(), ::GetDlgItem(d->m_hWnd, TouchRowEdit(1, 2)));
                       })
                       .SetText(TouchRowEdit(1, 2), "400")
                       .Press(IDOK)
                       .Call([&](CDialog* d) {
                         const std::vector<ShownMessageBox> shown = GetShownMessageBoxes();
                         ASSERT_EQ(shown.size(), 2u);
                         EXPECT_EQ(shown[1].text, heightText);
                         EXPECT_EQ(::GetFocus(), ::GetDlgItem(d->m_hWnd, TouchRowEdit(4, 3)));
                       })
                       .SetText(TouchRowEdit(4, 3), "91")
                       .Press(IDOK));
  ASSERT_EQ(dialog.DoModal(), IDOK);
  EXPECT_EQ(GetShownMessageBoxes().size(), 2u);
  EXPECT_EQ(dialog.m_buttons[1].right, 400);
  EXPECT_EQ(dialog.m_buttons[4].bottom, 91);
}

// The range message used to be followed by the rest of OK, which could close the dialog with the
// field's old value.
TEST_F(TouchscreenSettingsTest, AValueOutOfRangeKeepsTheDialogOpenWithTheFieldFocused) {
  const struct {
    const char* name;
    int field;
    const char* typed;
  } rows[] = {{"coordinate", TouchRowEdit(2, 1), "10001"}, {"time-out", IDC_TS_KEYBOARD_TIMEOUT, "20000"}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    ClearMessageBoxes();
    CTouchscreenSettings dialog;
    dialog.m_buttons[2] = {kStart, 10, 20, 110, 120};
    bool stillOpen = false;
    PushDialogScript(DialogScript(IDD_TOUCHSCREEN_SETTINGS)
                         .Call([&](CDialog* d) { Type(d, row.field, row.typed); })
                         .Call([&](CDialog* d) { Click(d, IDOK); })
                         .Call([&](CDialog* d) {
                           stillOpen = d->IsWindowVisible() != FALSE;
                           const std::vector<ShownMessageBox> shown = GetShownMessageBoxes();
                           ASSERT_EQ(shown.size(), 1u);
                           EXPECT_EQ(shown[0].text, "Please enter an integer between 0 and 10000.");
                           EXPECT_EQ(::GetFocus(), ::GetDlgItem(d->m_hWnd, row.field));
                         })
                         .Call([&](CDialog* d) { Type(d, row.field, "30"); })
                         .Press(IDOK));
    ASSERT_EQ(dialog.DoModal(), IDOK);
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(GetShownMessageBoxes().size(), 1u);
    if (row.field == IDC_TS_KEYBOARD_TIMEOUT)
      EXPECT_EQ(dialog.m_nKeyboardTimeout, 30);
    else
      EXPECT_EQ(dialog.m_buttons[2].top, 30);
  }
}

TEST_F(TouchscreenSettingsTest, OverlapsOfAreasOnTheSameScreenAreAskedAbout) {
  const struct {
    const char* name;
    PhotoboothTouchscreenButton a, b;
    const char* lines;  // NULL: no question
  } rows[] = {
      {"two Start areas", {kStart, 0, 0, 100, 100}, {kStart, 50, 50, 150, 150}, nullptr},
      {"Start and Increase", {kStart, 0, 0, 100, 100}, {kIncrease, 50, 50, 150, 150},
       "area 1 (Start) overlaps area 2 (Increase num prints)\n"},
      {"edges only touch", {kStart, 0, 0, 100, 100}, {kIncrease, 100, 0, 200, 100},
       "area 1 (Start) overlaps area 2 (Increase num prints)\n"},
      {"apart by a pixel", {kStart, 0, 0, 100, 100}, {kIncrease, 101, 0, 200, 100}, nullptr},
      {"ready and share", {kStart, 0, 0, 100, 100}, {kShareEmail, 50, 50, 150, 150}, nullptr},
  };
  for (const auto& row : rows) {
    for (int answer : {IDNO, IDYES}) {
      SCOPED_TRACE(std::string(row.name) + (answer == IDYES ? " yes" : " no"));
      ClearMessageBoxes();
      CTouchscreenSettings dialog;
      dialog.m_buttons[0] = row.a;
      dialog.m_buttons[1] = row.b;
      if (row.lines) PushMessageBoxAnswer(answer);
      DialogScript script(IDD_TOUCHSCREEN_SETTINGS);
      script.Press(IDOK);
      if (row.lines && answer == IDNO) script.Call([](CDialog* d) { EXPECT_TRUE(d->IsWindowVisible()); }).Press(IDCANCEL);
      PushDialogScript(script);
      const INT_PTR result = dialog.DoModal();
      const std::vector<ShownMessageBox> shown = GetShownMessageBoxes();
      if (!row.lines) {
        EXPECT_EQ(result, IDOK);
        EXPECT_TRUE(shown.empty());
        continue;
      }
      EXPECT_EQ(result, answer == IDYES ? IDOK : IDCANCEL);
      ASSERT_EQ(shown.size(), 1u);
      EXPECT_EQ(shown[0].text, std::string("Warning:\n") + row.lines + "\nDo you wish to use these settings?");
      EXPECT_EQ(shown[0].buttons, MB_YESNO);
    }
  }
}

TEST_F(TouchscreenSettingsTest, TestKeyboardOpensTheChosenKeyboardInTestMode) {
  CTouchscreenSettings dialog;
  dialog.m_strImagesFolder = "/booth/images";
  int type = -1;
  BOOL testMode = FALSE;
  CString folder;
  PushPopupMenuChoice(ID_TEST_KEYBOARD_TWITTER);
  PushDialogScript(DialogScript(IDD_TOUCHSCREEN_SETTINGS).Press(IDC_TS_TEST_KEYBOARD).Press(IDCANCEL));
  PushDialogScript(DialogScript().Call([&](CDialog* d) {
    auto* keyboard = dynamic_cast<CKeyboardDialog*>(d);
    ASSERT_NE(keyboard, nullptr);
    type = static_cast<int>(keyboard->m_editor.m_type);
    testMode = keyboard->m_bTestMode;
    folder = keyboard->m_layoutFolder;
    ::EndDialog(d->m_hWnd, IDCANCEL);
  }));
  EXPECT_EQ(dialog.DoModal(), IDCANCEL);
  const std::vector<ShownPopupMenu> menus = GetShownPopupMenus();
  ASSERT_EQ(menus.size(), 1u);
  std::vector<std::string> texts;
  for (const ShownMenuItem& item : menus[0].items) texts.push_back(item.text);
  EXPECT_EQ(texts, (std::vector<std::string>{"Normal keyboard...", "email keyboard...", "Facebook keyboard...",
                                             "Twitter keyboard...", "MMS/SMS keyboard...", "Message keyboard...",
                                             "Password keyboard..."}));
  EXPECT_EQ(type, 6);
  EXPECT_TRUE(testMode);
  EXPECT_EQ(folder, CString("/booth/images"));
}
