#include "config/TouchscreenPreviewDlg.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>
#include <QWindow>
#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>

#include "ConfigTestSupport.h"
#include "config/AddTouchscreenActionDlg.h"
#include "config/TouchscreenSettings.h"
#include "platform/gdi/wingdi.h"
#include "platform/mfc/dialogscript.h"
#include "platform/polyimage/polyimage.h"
#include "platform/user/cursor.h"
#include "platform/user/menu.h"
#include "platform/user/messagebox.h"
#include "platform/user/window_p.h"
#include "support/PipSession.h"

namespace fs = std::filesystem;

namespace {

using Preview = CTouchscreenPreviewDlg;
const int kStart = 1, kIncrease = 11, kConfirm = 22;

void WriteJpeg(const std::string& path, int width, int height, COLORREF colour) {
  PipSession image;
  ASSERT_NE(cNewImage(image.m_hSession, width, height, colour), 0);
  ASSERT_NE(cSave(image.m_hSession, path.c_str(), PIP_FORMAT_JPEG, 0, 0, 0), 0);
}

QWidget* WidgetOfPreview(Preview& preview) { return user_p::WidgetOf(preview.m_hWnd); }

void Mouse(Preview& preview, QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held) {
  QWidget* widget = WidgetOfPreview(preview);
  ASSERT_NE(widget, nullptr);
  QMouseEvent event(type, QPointF(at), widget->mapToGlobal(QPointF(at)), button, held, Qt::NoModifier);
  QApplication::sendEvent(widget, &event);
}

// A left-button drag from one point to another, through one point on the way.
void Drag(Preview& preview, QPoint from, QPoint to) {
  Mouse(preview, QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
  Mouse(preview, QEvent::MouseMove, (from + to) / 2, Qt::NoButton, Qt::LeftButton);
  Mouse(preview, QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton);
  Mouse(preview, QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
}

void RightClick(Preview& preview, QPoint at) {
  Mouse(preview, QEvent::MouseButtonPress, at, Qt::RightButton, Qt::RightButton);
  Mouse(preview, QEvent::MouseButtonRelease, at, Qt::RightButton, Qt::NoButton);
}

// A key as the display server delivers it to the window holding the focus.
void Key(Preview& preview, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  QWindow* window = WidgetOfPreview(preview)->window()->windowHandle();
  ASSERT_NE(window, nullptr);
  QKeyEvent press(QEvent::KeyPress, key, modifiers);
  QApplication::sendEvent(window, &press);
  QKeyEvent release(QEvent::KeyRelease, key, modifiers);
  QApplication::sendEvent(window, &release);
  for (QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
    QKeyEvent none(type, Qt::Key_unknown, Qt::NoModifier);
    QApplication::sendEvent(window, &none);
  }
}

std::vector<std::string> ItemTexts(const ShownPopupMenu& menu) {
  std::vector<std::string> texts;
  for (const ShownMenuItem& item : menu.items) texts.push_back(item.separator ? "-" : item.text);
  return texts;
}

class TouchscreenPreviewDlgTest : public testing::Test {
 protected:
  void SetUp() override {
    ClearDialogScripts();
    ClearMessageBoxes();
    ClearPopupMenus();
    m_folder = (fs::temp_directory_path() /
                ("touch-preview-" + std::to_string(::getpid()) + "-" +
                 testing::UnitTest::GetInstance()->current_test_info()->name()))
                   .string();
    fs::remove_all(m_folder);
    fs::create_directories(m_folder);
  }
  void TearDown() override {
    ClearDialogScripts();
    ClearMessageBoxes();
    ClearPopupMenus();
    fs::remove_all(m_folder);
  }

  // Opens a preview on the areas, runs the body once it has its size, and gives its result.
  INT_PTR Run(const std::vector<PhotoboothTouchscreenButton>& areas, std::function<void(Preview&)> body) {
    Preview preview(nullptr, nullptr, m_folder.c_str());
    for (size_t i = 0; i < areas.size(); ++i) preview.m_editor.m_original[i] = areas[i];
    PushDialogScript(DialogScript(IDD_TOUCHSCREEN_PREVIEW)
                         .RunUntil([&preview] { return preview.m_editor.m_nClientWidth >= 640; })
                         .Call([&](CDialog*) { body(preview); }));
    const INT_PTR result = preview.DoModal();
    for (int i = 0; i < kPhotoboothTouchscreenButtonCount; ++i) m_result[i] = preview.m_editor.m_buttons[i];
    return result;
  }

  std::string m_folder;
  PhotoboothTouchscreenButton m_result[kPhotoboothTouchscreenButtonCount];
};

}  // namespace

TEST_F(TouchscreenPreviewDlgTest, DrawsTheReadyScreenWithItsGridAndOnlyItsAreas) {
  WriteJpeg(m_folder + "/ready.jpg", 400, 300, RGB(0, 0, 200));
  Run({{kStart, 120, 120, 320, 220}, {kConfirm, 450, 350, 550, 450}}, [&](Preview& p) {
    EXPECT_EQ(p.m_strImagePath, CString((m_folder + "/ready.jpg").c_str()));
    EXPECT_EQ(p.m_editor.m_nScreenBit, 1);
    const COLORREF inside = p.CanvasPixel(50, 250);  // the picture, off the grid and the areas
    EXPECT_GT(GetBValue(inside), 150);
    EXPECT_LT(GetRValue(inside), 60);
    EXPECT_EQ(p.CanvasPixel(450, 330), RGB(0, 0, 0)) << "beyond the picture the canvas is black";
    EXPECT_EQ(p.CanvasPixel(450, 200), RGB(40, 40, 40)) << "a grid line every 100 pixels";
    // The Start area's frame is inverted over the picture; the confirm area is not on this screen.
    const COLORREF frame = p.CanvasPixel(120, 150);
    EXPECT_GT(GetRValue(frame), 150);
    EXPECT_LT(GetBValue(frame), 100);
    EXPECT_EQ(p.CanvasPixel(450, 380), RGB(0, 0, 0));
    // "Show all" draws every used area on grey, and names itself at the bottom.
    p.SendMessage(WM_COMMAND, ID_TS_PREVIEW_SHOW_ALL, 0);
    EXPECT_TRUE(p.m_strImagePath.IsEmpty());
    EXPECT_EQ(p.CanvasPixel(455, 365), RGB(128, 128, 128));
    EXPECT_EQ(p.CanvasPixel(50, 250), RGB(0, 0, 0));
    ::EndDialog(p.m_hWnd, IDCANCEL);
  });
  EXPECT_TRUE(GetShownMessageBoxes().empty());
}

TEST_F(TouchscreenPreviewDlgTest, TheMouseMovesAnAreaAndItsCornersStopAtTwentyFivePixels) {
  PushMessageBoxAnswer(IDYES);
  const INT_PTR result = Run({{kStart, 100, 100, 300, 200}}, [&](Preview& p) {
    const HINSTANCE program = reinterpret_cast<HINSTANCE>(static_cast<ULONG_PTR>(0x400000));
    Drag(p, {150, 150}, {180, 170});
    EXPECT_EQ(p.m_editor.m_nSelected, 0);
    EXPECT_EQ(p.m_editor.m_drag, TouchDrag::None);
    EXPECT_EQ(::GetCursor(), LoadCursor(program, MAKEINTRESOURCE(IDC_TOUCHSCREEN_MOVE_CURSOR)));
    // The bottom-right corner of the selected area pulled far up and left: 25 pixels remain.
    Drag(p, {330, 220}, {0, 0});
    EXPECT_EQ(::GetCursor(), LoadCursor(nullptr, IDC_SIZEALL));
    Drag(p, {0, 0}, {5, 5});  // a press on nothing only clears the selection
    EXPECT_EQ(p.m_editor.m_nSelected, -1);
    Key(p, Qt::Key_Escape);
  });
  EXPECT_EQ(result, IDOK);
  EXPECT_EQ(m_result[0].left, 130);
  EXPECT_EQ(m_result[0].top, 120);
  EXPECT_EQ(m_result[0].right, 155);
  EXPECT_EQ(m_result[0].bottom, 145);
  const std::vector<ShownMessageBox> shown = GetShownMessageBoxes();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].text, "Save edited touchscreen settings?");
  EXPECT_EQ(shown[0].buttons, MB_YESNOCANCEL);
}

TEST_F(TouchscreenPreviewDlgTest, ArrowKeysMoveAndResizeTheSelectedArea) {
  PushMessageBoxAnswer(IDYES);
  Run({{kStart, 100, 100, 140, 200}}, [&](Preview& p) {
    Key(p, Qt::Key_Left);  // nothing selected: nothing moves
    EXPECT_EQ(p.m_editor.m_buttons[0].left, 100);
    Drag(p, {120, 150}, {120, 150});
    Key(p, Qt::Key_Left);
    Key(p, Qt::Key_Down, Qt::ShiftModifier);
    for (int i = 0; i < 30; ++i) Key(p, Qt::Key_Left, Qt::ControlModifier);
    Key(p, Qt::Key_Up, Qt::ControlModifier);
    Key(p, Qt::Key_Escape);
  });
  EXPECT_EQ(m_result[0].left, 99);
  EXPECT_EQ(m_result[0].right, 124) << "Ctrl+Left stops at 25 pixels";
  EXPECT_EQ(m_result[0].top, 119);
  EXPECT_EQ(m_result[0].bottom, 220);
}

TEST_F(TouchscreenPreviewDlgTest, TheRightClickMenuAddsAndDeletesAreas) {
  PushMessageBoxAnswer(IDYES);
  std::vector<std::string> pickerLabels;
  Run({{kStart, 100, 100, 300, 200}}, [&](Preview& p) {
    const int width = p.m_editor.m_nClientWidth;
    // On nothing, 50 pixels from the right edge: "Add action...", and the picker offers the
    // actions of the ready screen.
    PushPopupMenuChoice(ID_TS_PREVIEW_ADD_ACTION);
    PushDialogScript(DialogScript(IDD_ADD_TOUCHSCREEN_ACTION)
                         .Call([&](CDialog* d) {
                           HWND combo = ::GetDlgItem(d->m_hWnd, IDC_ADD_TS_ACTION);
                           const int count = static_cast<int>(::SendMessageA(combo, CB_GETCOUNT, 0, 0));
                           for (int i = 0; i < count; ++i) {
                             char text[64] = {};
                             ::SendMessageA(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
                             pickerLabels.push_back(text);
                           }
                           EXPECT_EQ(::SendMessageA(combo, CB_GETCURSEL, 0, 0), 0);
                           const auto increase = std::find(pickerLabels.begin(), pickerLabels.end(), "Increase num prints");
                           ASSERT_NE(increase, pickerLabels.end());
                           ::SendMessageA(combo, CB_SETCURSEL, increase - pickerLabels.begin(), 0);
                         })
                         .Press(IDOK));
    RightClick(p, {width - 50, 400});
    EXPECT_EQ(p.m_editor.m_nSelected, 1);
    EXPECT_EQ(p.m_editor.m_buttons[1].right, width - 1);
    EXPECT_EQ(p.m_editor.m_buttons[1].left, width - 151);
    // On the Start area: "Delete action: Start".
    PushPopupMenuChoice(ID_TS_PREVIEW_DELETE_ACTION);
    RightClick(p, {200, 150});
    EXPECT_EQ(p.m_editor.m_nSelected, -1);
    Key(p, Qt::Key_Escape);
  });
  const std::vector<ShownPopupMenu> menus = GetShownPopupMenus();
  ASSERT_EQ(menus.size(), 2u);
  EXPECT_EQ(ItemTexts(menus[0]),
            (std::vector<std::string>{"Add action...", "-", "Stills: ready.jpg screen", "Stills: confirm_printing.jpg screen",
                                      "Share: share.jpg screen", "Standby: welcome.jpg screen", "Exit"}));
  EXPECT_TRUE(menus[0].items[2].checked);
  EXPECT_FALSE(menus[0].items[3].checked);
  EXPECT_EQ(menus[1].items[0].text, "Delete action: Start");
  ASSERT_GE(pickerLabels.size(), 3u);
  EXPECT_EQ(pickerLabels[0], "None");
  EXPECT_EQ(pickerLabels[1], "Start");
  EXPECT_EQ(std::count(pickerLabels.begin(), pickerLabels.end(), "Confirm printing"), 0);
  EXPECT_EQ(m_result[0].action, 0);
  EXPECT_EQ(m_result[1].action, kIncrease);
}

TEST_F(TouchscreenPreviewDlgTest, OverlapsKeepTheScreenAndTheEditorOpen) {
  WriteJpeg(m_folder + "/confirm_printing.jpg", 200, 200, RGB(200, 0, 0));
  const std::string error = "ERROR\n1:Start overlaps 2:Increase num prints\n";
  const INT_PTR result = Run({{kStart, 100, 100, 300, 200}, {kIncrease, 400, 100, 500, 200}}, [&](Preview& p) {
    Drag(p, {450, 150}, {350, 150});  // now touching the Start area at x = 300
    PushPopupMenuChoice(ID_TS_PREVIEW_PRINT_CONFIRM);
    RightClick(p, {600, 500});
    EXPECT_EQ(p.m_editor.m_nScreenBit, 1) << "the screen stays";
    Key(p, Qt::Key_Escape);  // changed, but overlapping: stays too
    EXPECT_TRUE(p.IsWindowVisible());
    Drag(p, {350, 150}, {351, 150});
    PushPopupMenuChoice(ID_TS_PREVIEW_PRINT_CONFIRM);
    RightClick(p, {600, 500});
    EXPECT_EQ(p.m_editor.m_nScreenBit, 8);
    EXPECT_EQ(p.m_strImagePath, CString((m_folder + "/confirm_printing.jpg").c_str()));
    PushMessageBoxAnswer(IDCANCEL);
    PushPopupMenuChoice(IDCANCEL);  // "Exit", as Cancel: the question, and Cancel stays
    RightClick(p, {600, 500});
    EXPECT_TRUE(p.IsWindowVisible());
    PushMessageBoxAnswer(IDNO);
    Key(p, Qt::Key_Escape);
  });
  EXPECT_EQ(result, IDCANCEL);
  const std::vector<ShownMessageBox> shown = GetShownMessageBoxes();
  ASSERT_EQ(shown.size(), 4u);
  EXPECT_EQ(shown[0].text, error);
  EXPECT_EQ(shown[0].caption, "Tavorin");
  EXPECT_EQ(shown[1].text, error);
  EXPECT_EQ(shown[2].text, "Save edited touchscreen settings?");
  EXPECT_EQ(shown[3].answer, IDNO);
}

TEST_F(TouchscreenPreviewDlgTest, ClosingWithoutChangesAsksNothing) {
  const INT_PTR result = Run({{kStart, 100, 100, 300, 200}}, [&](Preview& p) {
    Drag(p, {150, 150}, {150, 150});  // a click selects but changes nothing
    Key(p, Qt::Key_Escape);
  });
  EXPECT_EQ(result, IDCANCEL);
  EXPECT_TRUE(GetShownMessageBoxes().empty());
}

TEST_F(TouchscreenPreviewDlgTest, TheTableEditorTakesTheEditedAreasBack) {
  CTouchscreenSettings table;
  table.m_strImagesFolder = m_folder.c_str();
  table.m_buttons[0] = {kStart, 100, 100, 300, 200};
  table.m_buttons[1] = {kIncrease, 400, 100, 500, 200};
  PushMessageBoxAnswer(IDYES);
  PushDialogScript(DialogScript(IDD_TOUCHSCREEN_SETTINGS)
                       .Press(IDC_TS_SHOW_AREAS)
                       .Call([](CDialog* d) {
                         EXPECT_EQ(Selection(d, kTouchRowCombo[1]), 0);
                         EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(d->m_hWnd, TouchRowEdit(1, 0))));
                         CString left;
                         d->GetDlgItemText(TouchRowEdit(0, 0), left);
                         EXPECT_EQ(left, CString("110"));
                       })
                       .Press(IDOK));
  PushDialogScript(DialogScript(IDD_TOUCHSCREEN_PREVIEW).Call([](CDialog* d) {
    auto* preview = static_cast<Preview*>(d);
    EXPECT_EQ(preview->LabelOf(kIncrease), CString("Increase num prints"));
    EXPECT_EQ(preview->LabelOf(99), CString("<undefined>"));
    preview->m_editor.m_buttons[1].action = 0;
    preview->m_editor.m_buttons[0].left = 110;
    d->SendMessage(WM_COMMAND, IDCANCEL, 0);  // Exit, as the menu sends it
  }));
  ASSERT_EQ(table.DoModal(), IDOK);
  EXPECT_EQ(table.m_buttons[0].left, 110);
  EXPECT_EQ(table.m_buttons[1].action, 0);
}
