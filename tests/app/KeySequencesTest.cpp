// Shortcuts after Shift, Ctrl or Alt were used in a text field, a combo or a dialog: each key
// press is judged on its own, in the main window, the live view window, the booth window and the
// layout editor. Keys go through the toolkit as it delivers them (QTest sends the modifier keys'
// own presses and releases around each key).
#include <QApplication>
#include <QTest>
#include <QWidget>
#include <chrono>
#include <functional>

#include "AppTestSupport.h"
#include "camera/TimeLapseDlg.h"
#include "camera/ViewfinderDlg.h"
#include "photobooth/FullscreenDlg.h"
#include "platform/mfc/dialogscript.h"
#include "platform/user/input.h"
#include "platform/user/window_p.h"
#include "printlayout/PhotoboothCustomLayoutDlg.h"

namespace {

QWidget* WidgetOfItem(HWND parent, int id) { return user_p::WidgetOf(::GetDlgItem(parent, id)); }

void Activate(HWND window) {
  QWidget* widget = user_p::WidgetOf(window);
  ASSERT_NE(nullptr, widget);
  widget->window()->activateWindow();
  PumpUntil([&] { return widget->window()->isActiveWindow(); }, 5000);
}

void Focus(QWidget* widget) {
  ASSERT_NE(nullptr, widget);
  widget->setFocus(Qt::OtherFocusReason);
}

/// "Party" typed as a user types it: Shift held for the capital.
void TypeParty(QWidget* edit) {
  QTest::keyClick(edit, 'P', Qt::ShiftModifier);
  QTest::keyClicks(edit, "arty");
}

class KeySequencesTest : public ViewTestBase {
 protected:
  void SetUp() override {
    ViewTestBase::SetUp();
    ClearDialogScripts();
    Activate(m_harness->m_frame->m_hWnd);
  }
  void TearDown() override {
    ClearDialogScripts();
    ViewTestBase::TearDown();
  }
  QWidget* Comment() { return user_p::WidgetOf(m_view->m_editComment.m_hWnd); }
  /// F8 takes a picture; without a camera that is the reconnect question.
  bool TakesAPicture(QWidget* at) {
    ClearMessageBoxes();
    PushMessageBoxAnswer(IDNO);
    QTest::keyClick(at, Qt::Key_F8);
    return GetShownMessageBoxes().size() == 1;
  }
};

TEST_F(KeySequencesTest, MainWindowShortcutsAfterModifiersInEditsCombosAndDialogs) {
  m_view->m_strPhotoboothProfiles[0] = (TestFolder() + "/no-such-profile.txt").c_str();
  struct Row {
    const char* name;
    std::function<void()> before;
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    std::function<bool()> done;
  } rows[] = {
      {"F8 after Party in Comment", [&] { Focus(Comment()); TypeParty(Comment()); }, Qt::Key_F8, Qt::NoModifier,
       [&] { return GetShownMessageBoxes().size() == 1 && m_view->GetCommentText() == "Party"; }},
      {"F8 after Ctrl+A in Comment", [&] { Focus(Comment()); QTest::keyClick(Comment(), Qt::Key_A, Qt::ControlModifier); },
       Qt::Key_F8, Qt::NoModifier, [&] { return GetShownMessageBoxes().size() == 1; }},
      {"F8 after a lone Shift tap in Comment", [&] { Focus(Comment()); QTest::keyClick(Comment(), Qt::Key_Shift); },
       Qt::Key_F8, Qt::NoModifier, [&] { return GetShownMessageBoxes().size() == 1; }},
      {"Ctrl+G after Shift+Tab out of a combo",
       [&] {
         Focus(user_p::WidgetOf(m_view->m_cbIso.m_hWnd));
         QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::ShiftModifier);
       },
       Qt::Key_G, Qt::ControlModifier, [&] { return m_view->m_bDisplayGrid == TRUE; }},
      {"F8 after Ctrl+A in the Time Lapse dialog's number of frames, then Cancel",
       [&] {
         PushDialogScript(DialogScript(IDD_TIME_LAPSE)
                              .Call([](CDialog* d) {
                                Activate(d->m_hWnd);
                                QWidget* frames = WidgetOfItem(d->m_hWnd, IDC_TL_FRAMES);
                                Focus(frames);
                                QTest::keyClick(frames, Qt::Key_A, Qt::ControlModifier);
                              })
                              .Press(IDCANCEL));
         m_view->SendMessage(WM_COMMAND, ID_TIME_LAPSE, 0);
         ASSERT_EQ(1u, GetShownDialogs().size());
         Activate(m_harness->m_frame->m_hWnd);
         Focus(Comment());
       },
       Qt::Key_F8, Qt::NoModifier, [&] { return GetShownMessageBoxes().size() == 1; }},
      // A real keyboard gives Shift+1 as '!'; the key is still the 1 key.
      {"Shift+Ctrl+1 in Comment selects profile 1", [&] { Focus(Comment()); TypeParty(Comment()); }, Qt::Key_Exclam,
       Qt::ShiftModifier | Qt::ControlModifier, [&] { return m_view->m_nPhotoboothCurrentProfile == 1; }},
      {"digits still type the comment after Shift+Ctrl+1",
       [&] {
         m_view->SetFocus();
         QTest::keyClick(QApplication::focusWidget(), Qt::Key_Exclam, Qt::ShiftModifier | Qt::ControlModifier);
       },
       Qt::Key_7, Qt::NoModifier, [&] { return m_view->GetCommentText() == "7"; }},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    ClearMessageBoxes();
    ClearDialogScripts();
    m_view->m_editComment.SetWindowText("");
    m_view->m_bCommentRestart = false;
    m_view->m_bDisplayGrid = FALSE;
    m_view->m_nPhotoboothCurrentProfile = 18;
    row.before();
    ClearMessageBoxes();
    PushMessageBoxAnswer(IDNO);
    QWidget* focus = QApplication::focusWidget();
    ASSERT_NE(nullptr, focus);
    QTest::keyClick(focus, row.key, row.modifiers);
    EXPECT_TRUE(row.done()) << GetShownMessageBoxes().size() << " boxes, comment " << m_view->GetCommentText().GetString();
    EXPECT_FALSE(GetKeyState(VK_SHIFT) & 0x8000);
    EXPECT_FALSE(GetKeyState(VK_CONTROL) & 0x8000);
  }
}

TEST_F(KeySequencesTest, LiveViewAndBoothKeysAfterModifiersInTheMainWindow) {
  // Ctrl+A in the main window's Comment, then a key of the live view window (Ctrl+G
  // toggles the grid, F8 takes a picture) and of the booth window (F6 welcome and ready).
  auto ctrlAInComment = [&] {
    Activate(m_harness->m_frame->m_hWnd);
    Focus(Comment());
    QTest::keyClick(Comment(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(Comment(), Qt::Key_P, Qt::ShiftModifier);
  };
  ASSERT_NE(nullptr, m_view->m_pViewfinderDlg);
  m_view->m_pViewfinderDlg->ShowViewfinder(true);
  ctrlAInComment();
  Activate(m_view->m_pViewfinderDlg->m_hWnd);
  QWidget* viewfinder = user_p::WidgetOf(m_view->m_pViewfinderDlg->m_hWnd);
  EXPECT_TRUE(TakesAPicture(viewfinder)) << "F8 in the live view window";
  m_view->m_bDisplayGrid = FALSE;
  ctrlAInComment();
  Activate(m_view->m_pViewfinderDlg->m_hWnd);
  QTest::keyClick(viewfinder, Qt::Key_G, Qt::ControlModifier);
  EXPECT_TRUE(m_view->m_bDisplayGrid) << "Ctrl+G in the live view window";
  m_view->m_pViewfinderDlg->ShowViewfinder(false);

  std::string folder = TestFolder() + "/keys-booth";
  std::filesystem::create_directories(folder);
  QImage ready(64, 48, QImage::Format_RGB32);
  ready.fill(Qt::darkGreen);
  ASSERT_TRUE(ready.save(QString::fromStdString(folder + "/ready.jpg"), "JPG"));
  ASSERT_TRUE(ready.save(QString::fromStdString(folder + "/welcome.jpg"), "JPG"));
  m_view->m_strPhotoboothImageDir = folder.c_str();
  m_view->m_bPhotoboothActive = true;
  m_view->m_nShotsLeft = -1;
  auto booth = std::make_unique<CFullscreenDlg>(m_view, 1);
  m_view->m_pFullscreenDlg = booth.get();
  m_view->m_bFullScreen = true;
  ASSERT_TRUE(booth->Create(IDD_FULLSCREEN, m_view));
  booth->ShowScreen((folder + "/ready.jpg").c_str(), 0);
  ASSERT_TRUE(m_view->IsReadyScreen());
  ctrlAInComment();
  Activate(booth->m_hWnd);
  QTest::keyClick(user_p::WidgetOf(booth->m_hWnd), Qt::Key_F6);
  EXPECT_TRUE(booth->IsWelcomeScreen()) << "F6 in the booth window";
  m_view->m_pFullscreenDlg = nullptr;
  m_view->m_bFullScreen = false;
  booth->DestroyWindow();
}

TEST_F(KeySequencesTest, LayoutEditorNudgesAfterModifiersInItsRowEdits) {
  SelectPdfPrinter(300);
  m_view->m_nNumberOfPhotoboothImages = 1;
  for (PhotoboothCustomLayoutBox& box : m_view->m_layoutBoxes) box = {};
  m_view->m_layoutBoxes[0] = {1, 100, 100, 700, 500, 0};
  struct Row {
    const char* name;
    std::function<void(QWidget* edit)> before;
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    int topChange;
  } rows[] = {
      {"Up after Ctrl+A in a row edit", [](QWidget* edit) { QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier); },
       Qt::Key_Up, Qt::NoModifier, -1},
      {"Shift+Down after Shift+End in a row edit",
       [](QWidget* edit) { QTest::keyClick(edit, Qt::Key_End, Qt::ShiftModifier); }, Qt::Key_Down, Qt::ShiftModifier,
       10},
      {"Down after Shift+Home in a row edit",
       [](QWidget* edit) { QTest::keyClick(edit, Qt::Key_Home, Qt::ShiftModifier); }, Qt::Key_Down, Qt::NoModifier, 1},
  };
  const auto start = std::chrono::steady_clock::now();
  CPhotoboothCustomLayoutDlg* open = nullptr;
  PushDialogScript(DialogScript(IDD_PHOTOBOOTH_CUSTOM_LAYOUT)
                       .Call([&](CDialog* dialog) { open = static_cast<CPhotoboothCustomLayoutDlg*>(dialog); })
                       .RunUntil([&] {
                         return open->m_renderer.m_nPreviewWidth > 0 ||
                                std::chrono::steady_clock::now() - start > std::chrono::seconds(20);
                       })
                       .Call([&](CDialog* dialog) {
                         auto* editor = static_cast<CPhotoboothCustomLayoutDlg*>(dialog);
                         Activate(editor->m_hWnd);
                         QWidget* edit = WidgetOfItem(editor->m_hWnd, kLayoutRowEdits[0][1]);
                         for (const Row& row : rows) {
                           SCOPED_TRACE(row.name);
                           editor->m_renderer.m_selectedBoxes = {0};
                           Focus(edit);
                           row.before(edit);
                           int top = editor->m_model.boxes[0].top;
                           QTest::keyClick(edit, row.key, row.modifiers);
                           EXPECT_EQ(top + row.topChange, editor->m_model.boxes[0].top);
                         }
                       })
                       .Press(IDCANCEL));
  ::SendMessageA(::GetDlgItem(m_view->m_hWnd, IDC_PHOTOBOOTH_CUSTOM_LAYOUT), BM_CLICK, 0, 0);
  EXPECT_EQ(1u, GetShownDialogs().size());
}

}  // namespace
