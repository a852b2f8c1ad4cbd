#include <QMouseEvent>

#include "camera/Camera.h"
#include "keyboard/KeyboardDialog.h"
#include "keyboard/KeyboardGlobals.h"
#include "keyboard/KeyboardResource.h"
#include "keyboard/MyMessageBox.h"
#include "photobooth/ConfirmPrintingDlg.h"
#include "photobooth/FullscreenDlg.h"
#include "photobooth/TouchActionTable.h"
#include "platform/mfc/dialogscript.h"
#include "support/ProgramGlobals.h"
#include "tests/photobooth/BoothTestSupport.h"

namespace {

namespace fs = std::filesystem;

/// A click as the display server delivers it: press and release at one client point.
void ClickAt(HWND window, QPoint at, Qt::MouseButton button = Qt::LeftButton,
             Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  QWidget* widget = user_p::WidgetOf(window);
  ASSERT_NE(nullptr, widget);
  QMouseEvent press(QEvent::MouseButtonPress, QPointF(at), widget->mapToGlobal(QPointF(at)), button, button,
                    modifiers);
  QApplication::sendEvent(widget, &press);
  QMouseEvent release(QEvent::MouseButtonRelease, QPointF(at), widget->mapToGlobal(QPointF(at)), button,
                      Qt::NoButton, modifiers);
  QApplication::sendEvent(widget, &release);
}

class FullscreenDlgTouchTest : public ViewTestBase {
 protected:
  void SetUp() override {
    ViewTestBase::SetUp();
    m_folder = FreshBoothFolder("touch");
    m_view->m_strPhotoboothImagesDir = m_folder.string().c_str();
    WriteJpeg(m_folder / "ready.jpg", 32, 32, Qt::gray);
    WriteJpeg(m_folder / "welcome.jpg", 32, 32, Qt::gray);
    // Arming needs a camera object; no connection is made.
    m_view->m_pCamera = new CCamera(m_view);
    m_view->m_nNumberOfPhotoboothImages = 3;
    m_view->m_nPhotoboothUseMouseToTrigger = 5;
    for (PhotoboothTouchscreenButton& area : m_view->m_touchscreenButtons) area = {};
    s_processAgain.clear();
    CFullscreenDlg::s_pfnNow = [] { return static_cast<LONGLONG>(1000000); };
    CFullscreenDlg::s_pfnProcessAgain = [](CMyQuilletView*, bool reprint) { s_processAgain.push_back(reprint); };
    // A fast reprint is a reprint too.
    CFullscreenDlg::s_pfnFastReprint = [](CMyQuilletView*) { s_processAgain.push_back(true); };
  }
  void TearDown() override {
    if (m_booth) {
      m_view->m_pFullscreenDlg = nullptr;
      m_booth->DestroyWindow();
      m_booth.reset();
    }
    ClearDialogScripts();
    g_strTouchscreenExitPassword.Empty();
    CFullscreenDlg::s_pfnNow = [] { return static_cast<LONGLONG>(time(nullptr)); };
    ViewTestBase::TearDown();
  }
  CFullscreenDlg* OpenBooth() {
    m_view->m_bPhotoboothActive = true;
    m_booth = std::make_unique<CFullscreenDlg>(m_view, 1);
    m_view->m_pFullscreenDlg = m_booth.get();
    m_view->m_bFullScreen = true;
    EXPECT_TRUE(m_booth->Create(IDD_FULLSCREEN, m_view));
    EXPECT_TRUE(m_booth->IsReadyScreen());
    return m_booth.get();
  }
  void SetArea(int slot, int action, int left, int top, int right, int bottom) {
    m_view->m_touchscreenButtons[slot] = {action, left, top, right, bottom};
  }
  /// Back to the ready screen with no session and one print.
  void Reset() {
    m_view->m_nShotsLeft = -1;
    m_view->m_nPhotoboothPrintCopies = 1;
    m_view->m_nPhotoboothBW = 0;
    m_view->m_nPhotoboothCurrentProfile = 18;
    if (!m_booth->IsReadyScreen()) m_booth->ShowScreen((m_folder / "ready.jpg").string().c_str(), 0);
  }
  bool Armed() const { return m_view->m_nShotsLeft == 3; }
  CRect Client() {
    CRect client;
    m_booth->GetClientRect(&client);
    return client;
  }

  static std::vector<bool> s_processAgain;
  fs::path m_folder;
  std::unique_ptr<CFullscreenDlg> m_booth;
};

std::vector<bool> FullscreenDlgTouchTest::s_processAgain;

TEST_F(FullscreenDlgTouchTest, TouchscreenScanRunsAreasInSlotOrderAndStopsWhereTheActionSays) {
  CFullscreenDlg* booth = OpenBooth();
  m_view->m_strPhotoboothProfiles[1] = (m_folder / "profile2.xml").string().c_str();
  struct Area {
    int action, left, top, right, bottom;
  };
  struct Row {
    const char* name;
    std::vector<Area> areas;
    QPoint tap;
    int copies;
    bool armed;
    int profile;
  } rows[] = {
      {"6 then 1 both act", {{6, 0, 0, 100, 100}, {1, 50, 50, 200, 200}}, {60, 60}, 1, true, 18},
      {"8 and 1 apart: only 8", {{8, 0, 0, 100, 100}, {1, 150, 150, 200, 200}}, {60, 60}, 3, false, 18},
      {"13 ends the scan before 1", {{14, 0, 0, 100, 100}, {1, 0, 0, 100, 100}}, {10, 10}, 1, false, 2},
      {"codes 0 and 63 pass", {{0, 0, 0, 100, 100}, {63, 0, 0, 100, 100}, {11, 0, 0, 100, 100}}, {5, 5}, 2, false, 18},
      {"left and top edges count", {{11, 20, 30, 40, 50}}, {20, 30}, 2, false, 18},
      {"right and bottom edges count", {{11, 20, 30, 40, 50}}, {40, 50}, 2, false, 18},
      {"one pixel outside", {{11, 20, 30, 40, 50}}, {41, 50}, 1, false, 18},
      {"55 selects and starts, then stops", {{56, 0, 0, 100, 100}, {7, 0, 0, 100, 100}}, {5, 5}, 1, true, 2},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    Reset();
    for (int i = 0; i < kPhotoboothTouchscreenButtonCount; ++i) SetArea(i, 0, 0, 0, 0, 0);
    for (size_t i = 0; i < row.areas.size(); ++i) {
      const Area& a = row.areas[i];
      SetArea(static_cast<int>(i), a.action, a.left, a.top, a.right, a.bottom);
    }
    ClickAt(booth->m_hWnd, row.tap);
    EXPECT_EQ(row.copies, m_view->m_nPhotoboothPrintCopies);
    EXPECT_EQ(row.armed, Armed());
    EXPECT_EQ(row.profile, m_view->m_nPhotoboothCurrentProfile);
  }
}

TEST_F(FullscreenDlgTouchTest, ClickModesOneToFourAndTheTwoFifthsLines) {
  CFullscreenDlg* booth = OpenBooth();
  CRect client = Client();
  int x2 = 2 * client.Width() / 5, y2 = 2 * client.Height() / 5;
  struct Row {
    int mode;
    QPoint tap;
    bool armed;
    int colourMode;
  } rows[] = {
      {0, {5, 5}, false, 0},
      {1, {client.Width() - 5, client.Height() - 5}, true, 0},
      {2, {client.Width() - 5, 5}, true, 0},
      {3, {x2 - 1, y2 - 1}, true, 0},
      {3, {x2, 5}, false, 0},
      {3, {5, y2}, false, 0},
      {4, {5, y2 - 1}, true, 0},   // above: colour start
      {4, {5, y2 + 1}, true, 1},   // below: black-and-white start
      {4, {5, y2}, false, 0},      // on the line: nothing
      {4, {x2, 5}, false, 0},      // right 3/5: nothing
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << "mode " << row.mode << " at " << row.tap.x() << "," << row.tap.y());
    Reset();
    m_view->m_nPhotoboothBW = 0;
    m_view->m_nPhotoboothUseMouseToTrigger = row.mode;
    ClickAt(booth->m_hWnd, row.tap);
    EXPECT_EQ(row.armed, Armed());
    EXPECT_EQ(row.colourMode, m_view->m_nPhotoboothBW);
  }
  // Mode 2: the right button switches between colour and black-and-white.
  Reset();
  m_view->m_nPhotoboothUseMouseToTrigger = 2;
  ClickAt(booth->m_hWnd, {5, 5}, Qt::RightButton);
  EXPECT_EQ(1, m_view->m_nPhotoboothBW);
  ClickAt(booth->m_hWnd, {5, 5}, Qt::RightButton);
  EXPECT_EQ(0, m_view->m_nPhotoboothBW);
  EXPECT_FALSE(Armed());
  m_view->m_nPhotoboothUseMouseToTrigger = 1;
  ClickAt(booth->m_hWnd, {5, 5}, Qt::RightButton);
  EXPECT_EQ(0, m_view->m_nPhotoboothBW);
}

TEST_F(FullscreenDlgTouchTest, AShiftClickLeavesTheBoothInEveryMode) {
  for (int mode : {0, 5}) {
    SCOPED_TRACE(mode);
    CFullscreenDlg* booth = OpenBooth();
    m_view->m_nPhotoboothUseMouseToTrigger = mode;
    SetArea(0, 1, 0, 0, 100, 100);
    EXPECT_TRUE(booth->IsWindowVisible());
    ClickAt(booth->m_hWnd, {5, 5}, Qt::LeftButton, Qt::ShiftModifier);
    EXPECT_FALSE(booth->IsWindowVisible());
    EXPECT_FALSE(Armed());
    m_view->m_pFullscreenDlg = nullptr;
    booth->DestroyWindow();
    m_booth.reset();
  }
}

TEST_F(FullscreenDlgTouchTest, IncreaseWorksOnAnyScreenDecreaseOnlyOnReadyBothWithinOneToNine) {
  CFullscreenDlg* booth = OpenBooth();
  SetArea(0, kTouchIncreasePrints, 0, 0, 50, 50);
  SetArea(1, kTouchDecreasePrints, 60, 0, 110, 50);
  m_view->m_nPhotoboothPrintCopies = 8;
  ClickAt(booth->m_hWnd, {5, 5});
  ClickAt(booth->m_hWnd, {5, 5});
  EXPECT_EQ(9, m_view->m_nPhotoboothPrintCopies);
  booth->ShowScreen((m_folder / "welcome.jpg").string().c_str(), 0);
  m_view->m_nPhotoboothPrintCopies = 3;
  ClickAt(booth->m_hWnd, {5, 5});
  EXPECT_EQ(4, m_view->m_nPhotoboothPrintCopies) << "increase on the welcome screen";
  ClickAt(booth->m_hWnd, {70, 5});
  EXPECT_EQ(4, m_view->m_nPhotoboothPrintCopies) << "decrease only on the ready screen";
  booth->ShowScreen((m_folder / "ready.jpg").string().c_str(), 0);
  m_view->m_nPhotoboothPrintCopies = 15;
  ClickAt(booth->m_hWnd, {70, 5});
  EXPECT_EQ(9, m_view->m_nPhotoboothPrintCopies);
  m_view->m_nPhotoboothPrintCopies = 1;
  ClickAt(booth->m_hWnd, {70, 5});
  EXPECT_EQ(1, m_view->m_nPhotoboothPrintCopies);
  EXPECT_EQ(1000002, booth->m_nRedrawDeadline) << "the copies text is shown";
}

TEST_F(FullscreenDlgTouchTest, StandbyActionsAndReadyOnlyConditions) {
  CFullscreenDlg* booth = OpenBooth();
  SetArea(0, kTouchStandbyToReady, 0, 0, 50, 50);
  SetArea(1, kTouchToggleStandby, 0, 0, 50, 50);
  SetArea(2, kTouchSelectBlackWhite, 60, 0, 110, 50);
  SetArea(3, kTouchReprint, 120, 0, 170, 50);
  SetArea(4, kTouchFastReprint, 180, 0, 230, 50);
  // On ready, 35 does nothing and the scan goes on to 25, which toggles to standby.
  ClickAt(booth->m_hWnd, {5, 5});
  EXPECT_TRUE(booth->IsWelcomeScreen());
  // On welcome, 35 toggles back to ready and stops: 25 does not toggle again.
  ClickAt(booth->m_hWnd, {5, 5});
  EXPECT_TRUE(booth->IsReadyScreen());
  booth->ShowScreen((m_folder / "welcome.jpg").string().c_str(), 0);
  ClickAt(booth->m_hWnd, {70, 5});
  ClickAt(booth->m_hWnd, {190, 5});
  EXPECT_EQ(0, m_view->m_nPhotoboothBW) << "colour modes only on the ready screen";
  ClickAt(booth->m_hWnd, {130, 5});
  EXPECT_EQ(std::vector<bool>{true}, s_processAgain) << "a reprint on any screen, a fast reprint only on ready";
  booth->ShowScreen((m_folder / "ready.jpg").string().c_str(), 0);
  ClickAt(booth->m_hWnd, {70, 5});
  ClickAt(booth->m_hWnd, {190, 5});
  EXPECT_EQ(1, m_view->m_nPhotoboothBW);
  EXPECT_EQ((std::vector<bool>{true, true}), s_processAgain);
}

TEST_F(FullscreenDlgTouchTest, ExitAsksForThePasswordWithAShortKeyboardTimeout) {
  SetArea(0, kTouchExit, 0, 0, 50, 50);
  SetArea(1, kTouchStart, 0, 0, 50, 50);  // exit stops the scan
  KeyboardTimeout = 300;
  struct Row {
    const char* typed;  // nullptr: Cancel
    bool leaves;
    bool toldWrong;
  } rows[] = {{"Secret", true, false}, {"secret", false, true}, {nullptr, false, false}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.typed ? row.typed : "cancel");
    CFullscreenDlg* booth = OpenBooth();
    g_strTouchscreenExitPassword = "Secret";
    int timeoutWhileOpen = 0;
    int keyboardType = -1;
    PushDialogScript(DialogScript(IDD_KEYBOARD).Call([&](CDialog* dialog) {
      auto* keyboard = static_cast<CKeyboardDialog*>(dialog);
      timeoutWhileOpen = KeyboardTimeout;
      keyboardType = keyboard->m_editor.m_type;
      if (!row.typed) {
        keyboard->EndDialog(2);
        return;
      }
      keyboard->Field(0).m_text = row.typed;
      keyboard->EndDialog(1);
    }));
    CString told;
    int toldFor = 0;
    PushDialogScript(DialogScript(IDD_MYMESSAGEBOX).Call([&](CDialog* dialog) {
      told = static_cast<CMyMessageBox*>(dialog)->m_text;
      toldFor = static_cast<CMyMessageBox*>(dialog)->m_timeoutSeconds;
    }));
    ClickAt(booth->m_hWnd, {5, 5});
    EXPECT_EQ(15, timeoutWhileOpen);
    EXPECT_EQ(3, keyboardType);
    EXPECT_EQ(300, KeyboardTimeout);
    EXPECT_EQ(!row.leaves, booth->IsWindowVisible() != FALSE);
    EXPECT_EQ(row.toldWrong ? "Incorrect password" : "", told);
    if (row.toldWrong) {
      EXPECT_EQ(3, toldFor);
    }
    EXPECT_FALSE(Armed());
    ClearDialogScripts();
    m_view->m_pFullscreenDlg = nullptr;
    booth->DestroyWindow();
    m_booth.reset();
  }
  // Without a password the exit needs no keyboard.
  g_strTouchscreenExitPassword.Empty();
  CFullscreenDlg* booth = OpenBooth();
  ClickAt(booth->m_hWnd, {5, 5});
  EXPECT_FALSE(booth->IsWindowVisible());
  for (const ShownDialog& shown : GetShownDialogs()) EXPECT_NE(static_cast<UINT>(IDD_KEYBOARD), shown.templateId);
}

TEST_F(FullscreenDlgTouchTest, BoothKeysRunTheirActions) {
  CFullscreenDlg* booth = OpenBooth();
  Activate(booth->m_hWnd);
  PressKey(booth->m_hWnd, Qt::Key_B, Qt::ControlModifier);
  EXPECT_EQ(1, m_view->m_nPhotoboothBW);
  PressKey(booth->m_hWnd, Qt::Key_K, Qt::ControlModifier);
  EXPECT_EQ(0, m_view->m_nPhotoboothBW);
  PressKey(booth->m_hWnd, Qt::Key_W);
  PressKey(booth->m_hWnd, Qt::Key_W);
  EXPECT_EQ(2, m_view->m_nPhotoboothBW);
  PressKey(booth->m_hWnd, Qt::Key_W, Qt::ControlModifier);
  EXPECT_EQ(0, m_view->m_nPhotoboothBW) << "toned toggles to colour";
  PressKey(booth->m_hWnd, Qt::Key_7, Qt::ControlModifier);
  EXPECT_EQ(7, m_view->m_nPhotoboothPrintCopies);
  m_view->m_nPhotoboothPrintCopies = 9;
  PressKey(booth->m_hWnd, Qt::Key_B);
  EXPECT_EQ(1, m_view->m_nPhotoboothPrintCopies) << "B wraps after 9";
  m_view->m_nPhotoboothPrintCopies = 20;
  PressKey(booth->m_hWnd, Qt::Key_Plus, Qt::KeypadModifier);
  EXPECT_EQ(9, m_view->m_nPhotoboothPrintCopies) << "numpad + keeps the copies within 1..9";
  m_view->m_nPhotoboothPrintCopies = 15;
  PressKey(booth->m_hWnd, Qt::Key_Minus, Qt::KeypadModifier);
  EXPECT_EQ(9, m_view->m_nPhotoboothPrintCopies);
  PressKey(booth->m_hWnd, Qt::Key_R, Qt::ControlModifier | Qt::AltModifier);
  PressKey(booth->m_hWnd, Qt::Key_R, Qt::ControlModifier);
  EXPECT_EQ((std::vector<bool>{false, true}), s_processAgain);
  // Ctrl+Alt+2: profile 2 and a start, from the welcome screen too.
  m_view->m_strPhotoboothProfiles[1] = (m_folder / "profile2.xml").string().c_str();
  booth->ShowScreen((m_folder / "welcome.jpg").string().c_str(), 0);
  PressKey(booth->m_hWnd, Qt::Key_2, Qt::ControlModifier | Qt::AltModifier);
  EXPECT_EQ(2, m_view->m_nPhotoboothCurrentProfile);
  EXPECT_TRUE(Armed());
}

TEST_F(FullscreenDlgTouchTest, PageKeysStepIsoInManualElseExposureCompensation) {
  CFullscreenDlg* booth = OpenBooth();
  Activate(booth->m_hWnd);
  CComboBox& mode = m_view->m_cbExpMode;
  mode.ResetContent();
  mode.AddString("Program");
  mode.AddString("Manual");
  m_view->m_cbIso.ResetContent();
  m_view->m_cbExpComp.ResetContent();
  for (const char* iso : {"100", "200", "400"}) m_view->m_cbIso.AddString(iso);
  for (const char* comp : {"-1", "0", "+1"}) m_view->m_cbExpComp.AddString(comp);
  m_view->m_cbIso.SetCurSel(1);
  m_view->m_cbExpComp.SetCurSel(1);
  struct Row {
    int modeIndex;
    Qt::Key key;
    int iso, comp;
  } rows[] = {
      {0, Qt::Key_PageUp, 1, 2},
      {0, Qt::Key_PageUp, 1, 2},  // at the end: no change
      {0, Qt::Key_PageDown, 1, 1},
      {1, Qt::Key_PageUp, 0, 1},
      {1, Qt::Key_PageUp, 0, 1},
      {1, Qt::Key_PageDown, 1, 1},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << row.modeIndex << " " << row.key);
    mode.SetCurSel(row.modeIndex);
    PressKey(booth->m_hWnd, row.key);
    EXPECT_EQ(row.iso, m_view->m_cbIso.GetCurSel());
    EXPECT_EQ(row.comp, m_view->m_cbExpComp.GetCurSel());
  }
  booth->ShowScreen((m_folder / "welcome.jpg").string().c_str(), 0);
  PressKey(booth->m_hWnd, Qt::Key_PageDown);
  EXPECT_EQ(1, m_view->m_cbIso.GetCurSel()) << "only on the ready screen";
}

TEST_F(FullscreenDlgTouchTest, TheSharingScreenOpensForTheLastOutputWhenAChannelIsOn) {
  CFullscreenDlg* booth = OpenBooth();
  Activate(booth->m_hWnd);
  WriteJpeg(m_folder / "page.jpg", 60, 40, Qt::red);
  auto screensShown = [] {
    int count = 0;
    for (const ShownDialog& shown : GetShownDialogs()) count += shown.templateId == IDD_CONFIRM_PRINTING;
    return count;
  };
  m_view->m_bPrintOptionInSharingScreen = TRUE;
  PressKey(booth->m_hWnd, Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(0, screensShown()) << "no output yet";
  m_view->m_strLastOutput = (m_folder / "page.jpg").string().c_str();
  m_view->m_bPrintOptionInSharingScreen = FALSE;
  m_view->m_bPhotoboothEmail = TRUE;
  m_view->m_strPhotoboothEmailHost = "mail.example.com";  // no user name or password
  PressKey(booth->m_hWnd, Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(0, screensShown()) << "no channel ready";

  m_view->m_bPrintOptionInSharingScreen = TRUE;
  m_view->m_strPrintOptionInSharingScreenLimitMsg = "One print each";
  CString background, limitMessage;
  bool sharing = false;
  DWORD pageWidth = 0;
  PushDialogScript(DialogScript(IDD_CONFIRM_PRINTING).Call([&](CDialog* dialog) {
    auto* screen = static_cast<CConfirmPrintingDlg*>(dialog);
    background = screen->m_strBackgroundPath;
    sharing = screen->IsSharingMode();
    limitMessage = screen->m_strLimitMessage;
    pageWidth = screen->m_image.GetWidth();
  }));
  PressKey(booth->m_hWnd, Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(1, screensShown());
  EXPECT_EQ((m_folder / "share.jpg").string(), background.GetString());
  EXPECT_TRUE(sharing);
  EXPECT_EQ("One print each", limitMessage);
  EXPECT_EQ(60u, pageWidth);

  // A tap on "Display sharing screen" opens it on the ready screen and ends the scan.
  SetArea(0, kTouchShowSharingScreen, 0, 0, 50, 50);
  SetArea(1, kTouchStart, 0, 0, 50, 50);
  ClickAt(booth->m_hWnd, {5, 5});
  EXPECT_EQ(2, screensShown());
  EXPECT_FALSE(Armed());
  booth->ShowScreen((m_folder / "welcome.jpg").string().c_str(), 0);
  ClickAt(booth->m_hWnd, {5, 5});
  EXPECT_EQ(2, screensShown()) << "not from the welcome screen";

  // A session that made only a GIF: shared when GIFs are, with the GIF on the screen.
  booth->ShowScreen((m_folder / "ready.jpg").string().c_str(), 0);
  std::string gif = (m_folder / "session.gif").string();
  m_view->m_strLastOutput.Empty();
  m_view->m_strLastGifPath = gif.c_str();
  m_view->m_bShareAnimatedGIFs = FALSE;
  PressKey(booth->m_hWnd, Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(2, screensShown()) << "GIFs are not shared";
  m_view->m_bShareAnimatedGIFs = TRUE;
  CString gifShown, imageShown;
  PushDialogScript(DialogScript(IDD_CONFIRM_PRINTING).Call([&](CDialog* dialog) {
    auto* screen = static_cast<CConfirmPrintingDlg*>(dialog);
    gifShown = screen->m_strGifPath;
    imageShown = screen->m_strImagePath;
  }));
  PressKey(booth->m_hWnd, Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(3, screensShown());
  EXPECT_EQ(gif, gifShown.GetString());
  EXPECT_EQ(gif, imageShown.GetString());
  // With a page too, the page is the picture and the GIF plays beside it.
  m_view->m_strLastOutput = (m_folder / "page.jpg").string().c_str();
  PushDialogScript(DialogScript(IDD_CONFIRM_PRINTING).Call([&](CDialog* dialog) {
    auto* screen = static_cast<CConfirmPrintingDlg*>(dialog);
    gifShown = screen->m_strGifPath;
    imageShown = screen->m_strImagePath;
  }));
  PressKey(booth->m_hWnd, Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(4, screensShown());
  EXPECT_EQ(gif, gifShown.GetString());
  EXPECT_EQ((m_folder / "page.jpg").string(), imageShown.GetString());
}

}  // namespace
