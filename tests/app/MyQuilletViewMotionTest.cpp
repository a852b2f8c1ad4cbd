// The live view window as the view drives it: shown by live view, closed back to the view,
// toggled while frames flow, its crop reaching the photos and its values kept across a restart.
#include <filesystem>
#include <fstream>

#include "AppTestSupport.h"
#include "camera/ViewfinderDlg.h"
#include "camera/ViewfinderPixels.h"
#include "platform/mfc/dialogscript.h"

namespace {

class MyQuilletViewMotionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ClearProductKey();
    ClearMessageBoxes();
    ResetSimulator({SimModel("Canon PowerShot G9")}, true);
    CMyQuilletView::s_nConnectSettleMs = 0;
    Open();
  }
  void TearDown() override {
    m_harness.reset();
    CMyQuilletView::s_nConnectSettleMs = 700;
    ClearDialogScripts();
    ClearMessageBoxes();
    ClearProductKey();
  }
  void Open() {
    m_harness = std::make_unique<ViewHarness>();
    ASSERT_NE(nullptr, m_harness->m_view);
    m_view = m_harness->m_view;
    m_view->m_strDirectory = CString(TestFolder() + "/viewfinder-photos");
    ASSERT_NE(nullptr, m_view->m_pViewfinderDlg);
  }
  void Connect() {
    PushDialogScript(DialogScript(IDD_PROGRESS).RunUntil([] { return false; }));
    m_view->StartCameraConnection();
    ASSERT_NE(nullptr, m_view->m_pCamera);
    ASSERT_TRUE(PumpUntil([&] { return !m_view->m_bConnecting; }));
  }
  void Command(UINT id) { m_view->SendMessage(WM_COMMAND, MAKEWPARAM(id, 0), 0); }
  CViewfinderDlg& Window() { return *m_view->m_pViewfinderDlg; }
  /// Takes a picture and returns the saved photo's pixel width.
  int ShotWidth() {
    size_t before = m_view->m_images.size();
    m_view->OnTakePicture();
    EXPECT_TRUE(PumpUntil([&] { return !m_view->m_bBusy && m_view->m_images.size() == before + 1; }));
    if (m_view->m_images.size() != before + 1) return -1;
    std::ifstream in(m_view->m_images.back().GetFileName().GetString(), std::ios::binary);
    std::vector<BYTE> jpeg((std::istreambuf_iterator<char>(in)), {});
    std::vector<BYTE> rgb;
    int width = 0, height = 0;
    return DecodeViewfinderJpeg(jpeg.data(), jpeg.size(), rgb, width, height) ? width : -1;
  }

  std::unique_ptr<ViewHarness> m_harness;
  CMyQuilletView* m_view = nullptr;
};

TEST_F(MyQuilletViewMotionTest, LiveViewShowsTheWindowAndClosingItEndsLiveView) {
  Connect();
  EXPECT_FALSE(Window().IsWindowVisible());
  Command(ID_LIVE_VIEWFINDER);
  ASSERT_TRUE(m_view->m_bLiveViewfinder);
  EXPECT_TRUE(Window().IsWindowVisible());
  ASSERT_TRUE(PumpUntil([&] { return Window().GetFramesDrawn() > 2; }));

  Command(ID_VIEWFINDER_SCALE_1X + 1);
  EXPECT_EQ(2, Window().GetScale());
  ASSERT_TRUE(PumpUntil([&] {
    RECT client{};
    GetClientRect(Window().m_hWnd, &client);
    return client.right == 640;
  }));

  // The close box ends live view through the view.
  Window().SendMessage(WM_SYSCOMMAND, SC_CLOSE, 0);
  ASSERT_TRUE(PumpUntil([&] { return !m_view->m_bLiveViewfinder; }));
  EXPECT_FALSE(Window().IsWindowVisible());
  EXPECT_FALSE(m_view->m_bViewfinderRunning);
}

TEST_F(MyQuilletViewMotionTest, LiveViewTurnsOnAndOffAHundredTimesWhileFramesFlow) {
  Connect();
  for (int i = 0; i < 100; ++i) {
    Command(ID_LIVE_VIEWFINDER);
    if (i % 10 == 0) Command(i % 20 ? ID_VIEWFINDER_SCALE_1X : ID_VIEWFINDER_SCALE_1X + 1);
    PumpWaitingMessages();
  }
  EXPECT_FALSE(m_view->m_bLiveViewfinder);
  Command(ID_LIVE_VIEWFINDER);
  int drawn = Window().GetFramesDrawn();
  EXPECT_TRUE(PumpUntil([&] { return Window().GetFramesDrawn() > drawn + 1; })) << "frames still come";
}

TEST_F(MyQuilletViewMotionTest, TheCropRectangleReachesTheNextPhoto) {
  Connect();
  int whole = ShotWidth();
  ASSERT_GT(whole, 0);
  Window().SetCropRect({0, 0, 159, 239});  // the left half of the viewfinder
  Window().CheckDlgButton(IDC_VIEWFINDER_CROP, BST_CHECKED);
  Window().SendMessage(WM_COMMAND, MAKEWPARAM(IDC_VIEWFINDER_CROP, BN_CLICKED), 0);
  ASSERT_TRUE(m_view->IsViewfinderCropOn());
  int cropped = ShotWidth();
  EXPECT_NEAR(whole / 2, cropped, 2);
}

TEST_F(MyQuilletViewMotionTest, ScaleCropAndPositionSurviveARestart) {
  Command(ID_VIEWFINDER_SCALE_1X + 2);
  Window().SetCropRect({20, 30, 200, 180});
  Window().m_bCrop = TRUE;
  Window().m_bStayOnTop = FALSE;
  Window().SetWindowPos(nullptr, 200, 150, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  m_harness.reset();

  Open();
  EXPECT_EQ(3, Window().GetScale());
  EXPECT_TRUE(Window().IsCropOn());
  EXPECT_FALSE(Window().m_bStayOnTop);
  RECT crop = Window().GetCropRect();
  EXPECT_EQ(20, crop.left);
  EXPECT_EQ(30, crop.top);
  EXPECT_EQ(200, crop.right);
  EXPECT_EQ(180, crop.bottom);
  RECT window{};
  GetWindowRect(Window().m_hWnd, &window);
  EXPECT_EQ(200, window.left);
  EXPECT_EQ(150, window.top);
}

}  // namespace
