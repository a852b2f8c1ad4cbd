#include <QApplication>
#include <QKeyEvent>
#include <QWidget>
#include <QWindow>

#include "AppTestSupport.h"
#include "app/FullscreenDlg.h"
#include "platform/user/input.h"
#include "platform/user/window_p.h"

namespace {

class MyQuilletViewInputTest : public ViewTestBase {
 protected:
  BOOL Key(WPARAM key, bool repeat = false) {
    MSG msg{};
    msg.hwnd = m_view->m_hWnd;
    msg.message = WM_KEYDOWN;
    msg.wParam = key;
    msg.lParam = repeat ? (1 << 30) : 0;
    return m_view->PreTranslateMessage(&msg);
  }
};

TEST_F(MyQuilletViewInputTest, DigitsTypeTheCommentAndEnterStartsANewOne) {
  m_view->SetFocus();
  struct Row {
    WPARAM key;
    bool repeat;
    const char* comment;
  } rows[] = {{'1', false, "1"}, {'2', false, "12"}, {'3', true, "12"},
              {VK_RETURN, false, "12"}, {'7', false, "7"}, {'8', false, "78"}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.key);
    EXPECT_EQ(!row.repeat, Key(row.key, row.repeat) != FALSE);
    EXPECT_EQ(CString(row.comment), m_view->GetCommentText());
  }
  m_view->m_bBusy = true;
  Key('9');
  EXPECT_EQ(CString("78"), m_view->GetCommentText());  // not while a shot is under way
}

TEST_F(MyQuilletViewInputTest, SpaceAndTheMouseButtonsTakePictures) {
  m_view->SetFocus();
  PushMessageBoxAnswer(IDNO);
  EXPECT_TRUE(Key(VK_SPACE));
  ASSERT_EQ(1u, GetShownMessageBoxes().size());  // no camera: the reconnect question
  EXPECT_EQ("Camera is not connected.\nDo you wish to reconnect?", GetShownMessageBoxes()[0].text);

  struct Row {
    int action;
    size_t boxes;
  } rows[] = {{0, 0}, {1, 1}, {2, 1}, {3, 0}, {9, 0}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.action);
    ClearMessageBoxes();
    m_view->m_nRightBtnAction = row.action;
    m_view->m_nMiddleBtnAction = row.action;
    PushMessageBoxAnswer(IDNO);
    m_view->SendMessage(WM_RBUTTONDOWN, 0, 0);
    EXPECT_EQ(row.boxes, GetShownMessageBoxes().size());
    ClearMessageBoxes();
    PushMessageBoxAnswer(IDNO);
    m_view->SendMessage(WM_MBUTTONDOWN, 0, 0);
      EXPECT_EQ(row.boxes, GetShownMessageBoxes().size());
  }
  EXPECT_EQ(nullptr, m_view->m_pCamera);
}

TEST_F(MyQuilletViewInputTest, EachPhotoOfASequenceCountsDownToTheProcessing) {
  std::vector<BYTE> photo = tavsim::SimMakePhoto(160, 120, 1, "Canon PowerShot G9");
  // The session's photos as the saved-file messages list them; the processing writes only the record.
  std::remove((TestFolder() + "/seq_1.xml").c_str());
  m_view->m_images.emplace_back(CString(WriteTestPhoto("seq_1.jpg").c_str()));
  m_view->m_images.emplace_back(CString(WriteTestPhoto("seq_2.jpg").c_str()));
  m_view->m_nNumberOfPhotoboothImages = 2;
  m_view->m_nPhotoboothSaveJpegCopyOfPrints = 3;
  m_view->m_nShotsLeft = 2;
  m_view->m_nPhotoboothInterval = 5;
  for (int shot = 0; shot < 2; ++shot) {
    BYTE* buffer = new BYTE[photo.size()];
    std::copy(photo.begin(), photo.end(), buffer);
    DWORD before = GetTickCount();
    m_view->SendMessage(WM_DISPLAY_JPEG, photo.size(), reinterpret_cast<LPARAM>(buffer));
    if (shot == 0) {
      EXPECT_EQ(1, m_view->m_nShotsLeft);
      EXPECT_GE(m_view->m_nNextShotTime - before, 4999u - 1000u);  // about five seconds ahead
      EXPECT_FALSE(m_view->m_bProcessingUnderWay);
    }
  }
  EXPECT_EQ(-1, m_view->m_nShotsLeft);
  EXPECT_FALSE(m_view->m_bProcessingUnderWay);  // the processing ran to its end
  EXPECT_TRUE(std::ifstream(TestFolder() + "/seq_1.xml").good());
  EXPECT_EQ(photo.size(), m_view->m_nCurrentJpegSize);
}

TEST_F(MyQuilletViewInputTest, TheLastBracketShotRestoresTheExposure) {
  PR_StartSDK();
  m_view->StartCameraConnection();
  ASSERT_NE(nullptr, m_view->m_pCamera);
  m_view->m_cbAv.ResetContent();
  m_view->m_cbAv.SetItemData(m_view->m_cbAv.AddString("F2.8"), 0x20);
  m_view->m_cbAv.SetItemData(m_view->m_cbAv.AddString("F4.0"), 0x28);
  m_view->m_cbAv.SetCurSel(1);
  m_view->m_nAutoBracket = 1;
  m_view->m_nAutoBracketNumShots = 3;
  m_view->m_nBracketStep = 3;
  m_view->m_bracketRestore = {-1, 0, -1};
  m_view->m_bBusy = true;
  m_view->OnShotFinished();
  EXPECT_EQ(-1, m_view->m_nBracketStep);
  EXPECT_EQ(0, m_view->m_cbAv.GetCurSel());
  EXPECT_FALSE(m_view->m_bBusy);
}

// A key pressed and released on the window that holds the control, as the display server
// delivers it: the window hands it to its focus widget.
void TypeKey(HWND control, Qt::Key key) {
  QWidget* widget = user_p::WidgetOf(control);
  ASSERT_NE(nullptr, widget);
  QWindow* window = widget->window()->windowHandle();
  ASSERT_NE(nullptr, window);
  for (QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
    QKeyEvent event(type, key, Qt::NoModifier);
    QApplication::sendEvent(window, &event);
  }
}

TEST_F(MyQuilletViewInputTest, FunctionKeysReachTheFrameBeforeTheFocusedComboBox) {
  QWidget* frame = user_p::WidgetOf(m_harness->m_frame->m_hWnd);
  frame->activateWindow();
  ASSERT_TRUE(PumpUntil([&] { return frame->isActiveWindow(); }, 5000));
  m_view->m_cbIso.SetFocus();
  ASSERT_EQ(user_p::WidgetOf(m_view->m_cbIso.m_hWnd), QApplication::focusWidget());
  // Each key twice: a later key may arrive in the same place in memory as the last one.
  for (Qt::Key key : {Qt::Key_F8, Qt::Key_F8, Qt::Key_F9, Qt::Key_F9}) {
    SCOPED_TRACE(key);
    ClearMessageBoxes();
    PushMessageBoxAnswer(IDNO);
    TypeKey(m_view->m_cbIso.m_hWnd, key);
    ASSERT_EQ(1u, GetShownMessageBoxes().size());  // no camera: the reconnect question
    EXPECT_EQ("Camera is not connected.\nDo you wish to reconnect?", GetShownMessageBoxes()[0].text);
  }
}

TEST_F(MyQuilletViewInputTest, AnAbsurdBracketCountIsKeptWithinFortyNineShots) {
  m_harness.reset();
  HKEY key = OpenProductKey();
  WriteRegDword(key, "AutoBracketNumShots", 0x7FFFFFFF);
  RegCloseKey(key);
  m_harness = std::make_unique<ViewHarness>();
  m_view = m_harness->m_view;
  ASSERT_NE(nullptr, m_view);
  EXPECT_EQ(49, m_view->m_nAutoBracketNumShots);

  PR_StartSDK();
  m_view->StartCameraConnection();
  ASSERT_NE(nullptr, m_view->m_pCamera);
  m_view->m_nAutoBracket = 1;
  m_view->m_nAutoBracketNumShots = 0x7FFFFFFF;  // as a settings dialog or remote client might set it
  m_view->OnTakePicture();
  EXPECT_EQ(49u, m_view->m_bracketPlan.size());
  EXPECT_TRUE(m_view->m_bBusy);
}

// A handler that fails (out of memory, say) while a shot is under way ends the shot.
TEST_F(MyQuilletViewInputTest, AFailingHandlerDoesNotLeaveTheViewBusy) {
  class CThrowingBooth : public CFullscreenDlg {
   public:
    using CFullscreenDlg::CFullscreenDlg;
    void SetCountdownText(const char*) override { throw std::bad_alloc(); }
  } booth(nullptr, 0);
  PR_StartSDK();
  m_view->StartCameraConnection();
  ASSERT_NE(nullptr, m_view->m_pCamera);
  m_view->m_bAutoReconnect = TRUE;  // no message box
  m_view->OnTakePicture();
  ASSERT_TRUE(m_view->m_bBusy);
  m_view->m_pFullscreenDlg = &booth;
  m_view->m_bFullScreen = true;
  m_view->SendMessage(WM_CAMERA_EVENT, 0, 0);  // the camera shut down; the booth screen fails
  m_view->m_pFullscreenDlg = nullptr;
  m_view->m_bFullScreen = false;
  EXPECT_FALSE(m_view->m_bBusy);
  EXPECT_TRUE(m_view->IsWindowEnabled());
  EXPECT_TRUE(m_view->m_btnRelease.IsWindowEnabled());
}

}  // namespace
