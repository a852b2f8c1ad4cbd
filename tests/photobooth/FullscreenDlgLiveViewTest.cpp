// The live picture on the booth screen: frames handed over from another thread, when the
// picture may show, keying and overlay on the drawn picture, the green-screen settings on Ctrl+G.
#include <QBuffer>
#include <filesystem>
#include <thread>

#include "config/GreenscreenSettingsDlg.h"
#include "photobooth/FullscreenDlg.h"
#include "platform/gdi/draw.h"
#include "platform/mfc/dialogscript.h"
#include "tests/photobooth/BoothTestSupport.h"

namespace {

namespace fs = std::filesystem;

std::vector<BYTE> JpegOf(const QImage& image, int quality = 90) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "JPG", quality);
  return std::vector<BYTE>(bytes.begin(), bytes.end());
}

// A frame: green screen on the right half, a dark subject on the left half.
std::vector<BYTE> GreenScreenFrame() {
  QImage image(640, 480, QImage::Format_RGB32);
  image.fill(QColor(0, 220, 0));
  for (int y = 0; y < 480; ++y)
    for (int x = 0; x < 320; ++x) image.setPixel(x, y, qRgb(90, 60, 40));
  return JpegOf(image);
}

// Hands the frame over from a thread of its own, as the camera's viewfinder thread does.
void DeliverFrame(CFullscreenDlg* booth, const std::vector<BYTE>& frame, int angle = 0) {
  std::thread viewfinder([&] { booth->OnLiveViewFrame(frame.data(), static_cast<DWORD>(frame.size()), angle); });
  viewfinder.join();
}

class FullscreenDlgLiveViewTest : public ViewTestBase {
 protected:
  void SetUp() override {
    CMyQuilletView::s_nConnectSettleMs = 0;
    ViewTestBase::SetUp();
    ClearDialogScripts();
    m_folder = FreshBoothFolder("liveview");
    m_view->m_strPhotoboothImagesDir = m_folder.string().c_str();
    m_view->m_bPhotoboothMirrorLiveView = FALSE;
    m_view->m_nPhotoboothEvfMaxHeight = 240;
    m_view->m_nPhotoboothEvfXOffset = 100;
    m_view->m_nPhotoboothEvfYOffset = 20;
  }
  void TearDown() override {
    if (m_booth) {
      m_view->m_pFullscreenDlg = nullptr;
      m_booth->DestroyWindow();
      m_booth.reset();
    }
    ClearDialogScripts();
    ViewTestBase::TearDown();
  }
  void Connect() {
    PushDialogScript(DialogScript().RunUntil([] { return false; }));
    m_view->StartCameraConnection();
    ClearDialogScripts();
    ASSERT_NE(nullptr, m_view->m_pCamera);
  }
  CFullscreenDlg* OpenBooth() {
    WriteJpeg(m_folder / "ready.jpg", 800, 600, QColor(128, 128, 128));
    m_view->m_bPhotoboothActive = true;
    m_booth = std::make_unique<CFullscreenDlg>(m_view, 1);
    m_view->m_pFullscreenDlg = m_booth.get();
    m_view->m_bFullScreen = true;
    EXPECT_TRUE(m_booth->Create(IDD_FULLSCREEN, m_view));
    m_booth->MoveWindow(0, 0, 800, 600);
    m_booth->Invalidate(FALSE);
    PumpUntil([] { return false; }, 50);
    return m_booth.get();
  }
  COLORREF PixelAt(int x, int y) {
    CClientDC dc(m_booth.get());
    return ::GetPixel(dc.m_hDC, x, y);
  }
  // Waits until a frame handed over has been drawn.
  bool Drawn(const std::vector<BYTE>& frame) {
    m_booth->m_bLiveViewFrameReceived = false;
    DeliverFrame(m_booth.get(), frame);
    return PumpUntil([&] { return m_booth->m_bLiveViewFrameReceived; }, 10000);
  }

  fs::path m_folder;
  std::unique_ptr<CFullscreenDlg> m_booth;
};

int Red(COLORREF c) { return GetRValue(c); }
int Green(COLORREF c) { return GetGValue(c); }
int Blue(COLORREF c) { return GetBValue(c); }

TEST_F(FullscreenDlgLiveViewTest, FramesUpTo0x8FFFBytesAreTakenLargerOnesDropped) {
  CFullscreenDlg* booth = OpenBooth();
  std::vector<BYTE> frame(0x9000, 0x55);
  DeliverFrame(booth, frame);
  EXPECT_EQ(0u, booth->m_nLiveFrameSize);
  EXPECT_FALSE(booth->m_bLiveFramePosted);
  frame.resize(0x8FFF);
  DeliverFrame(booth, frame, 90);
  EXPECT_EQ(0x8FFFu, booth->m_nLiveFrameSize);
  EXPECT_EQ(90, booth->m_nLiveFrameAngle);
  EXPECT_TRUE(booth->m_bLiveView);
  EXPECT_TRUE(booth->m_bLiveFramePosted);
  // The queued message is handled (no camera: nothing drawn) and the next frame may post again.
  EXPECT_TRUE(PumpUntil([&] { return !booth->m_bLiveFramePosted; }, 5000));
  DeliverFrame(booth, std::vector<BYTE>(16, 1));
  EXPECT_EQ(16u, booth->m_nLiveFrameSize);
  // Without a screen up nothing is taken.
  booth->m_bShowingScreen = false;
  DeliverFrame(booth, std::vector<BYTE>(32, 1));
  EXPECT_EQ(16u, booth->m_nLiveFrameSize);
}

TEST_F(FullscreenDlgLiveViewTest, LiveViewIsAllowedOnlyWhereTheSessionAndScreenLetIt) {
  CFullscreenDlg* booth = OpenBooth();
  std::string folder = m_folder.string();
  const struct {
    const char* name;
    std::string screen;
    BOOL enable, afterFirstShot, duringPrinting;
    int shotsLeft, previewTicks;
    bool allowed;
  } rows[] = {
      {"ready", folder + "/ready.jpg", TRUE, FALSE, TRUE, -1, 0, true},
      {"live view off", folder + "/ready.jpg", FALSE, FALSE, TRUE, -1, 0, false},
      {"countdown screen", folder + "/3.jpg", TRUE, FALSE, TRUE, 4, 0, true},
      {"first photo only: first", folder + "/3.jpg", TRUE, TRUE, TRUE, 4, 0, true},
      {"first photo only: second", folder + "/3.jpg", TRUE, TRUE, TRUE, 3, 0, false},
      {"preview held", folder + "/3.jpg", TRUE, FALSE, TRUE, 3, 5, false},
      {"sharing", folder + "/share.jpg", TRUE, FALSE, FALSE, -1, 0, false},
      {"facebook", folder + "/fb_login.jpg", TRUE, FALSE, FALSE, -1, 0, false},
      {"release", folder + "/release_2.jpg", TRUE, FALSE, FALSE, -1, 0, false},
      {"welcome", folder + "/welcome.jpg", TRUE, FALSE, FALSE, -1, 0, false},
      {"processing while printing", folder + "/processing.jpg", TRUE, FALSE, TRUE, -1, 0, false},
      {"processing, no suppression", folder + "/processing.jpg", TRUE, FALSE, FALSE, -1, 0, true},
      {"confirmed, first shot only", folder + "/printing_confirmed.jpg", TRUE, TRUE, FALSE, -1, 0, false},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    booth->m_strCurrentScreen = row.screen.c_str();
    m_view->m_bPhotoboothEnableLiveView = row.enable;
    m_view->m_bPhotoboothSuppressEvfAfterFirstShot = row.afterFirstShot;
    m_view->m_bPhotoboothSuppressEvfDuringPrinting = row.duringPrinting;
    m_view->m_nNumberOfPhotoboothImages = 4;
    m_view->m_nShotsLeft = row.shotsLeft;
    m_view->m_nPreviewTicks = row.previewTicks;
    EXPECT_EQ(row.allowed, booth->IsLiveViewAllowed());
  }
  m_view->m_nShotsLeft = -1;
  m_view->m_nPreviewTicks = 0;
}

TEST_F(FullscreenDlgLiveViewTest, TheKeyedPictureIsDrawnInItsBandOverTheScreen) {
  Connect();
  QImage background(200, 100, QImage::Format_RGB32);
  background.fill(QColor(200, 30, 30));
  ASSERT_TRUE(background.save(QString::fromStdString((m_folder / "greenscreen_background.jpg").string()), "JPG", 95));
  m_view->m_bGreenScreenEnable = TRUE;
  m_view->m_nGreenScreenGreenThreshold = 100;
  m_view->m_nGreenScreenRedPercentage = 128;
  m_view->m_nGreenScreenBluePercentage = 128;
  CFullscreenDlg* booth = OpenBooth();
  ASSERT_EQ((m_folder / "greenscreen_background.jpg").string(), std::string(booth->m_strGreenScreenBackground.GetString()));
  std::vector<BYTE> frame = GreenScreenFrame();
  ASSERT_LE(frame.size(), size_t(LIVEVIEW_FRAME_MAX));
  // The first frame sizes the picture; keying starts once it is at least 101 pixels each way.
  ASSERT_TRUE(Drawn(frame));
  ASSERT_TRUE(Drawn(frame));
  EXPECT_EQ((LiveRect{100, 20, 320, 240}), booth->m_liveRect);
  COLORREF subject = PixelAt(100 + 80, 20 + 120), keyed = PixelAt(100 + 240, 20 + 120), screen = PixelAt(600, 400);
  EXPECT_NEAR(90, Red(subject), 12);
  EXPECT_NEAR(60, Green(subject), 12);
  EXPECT_NEAR(200, Red(keyed), 12);  // the background took the green's place
  EXPECT_NEAR(30, Green(keyed), 12);
  EXPECT_NEAR(128, Red(screen), 6);  // the screen picture around the band
  EXPECT_NEAR(128, Green(screen), 6);

  // Mirrored: the subject changes sides. Grey: no colour is left.
  m_view->m_bPhotoboothMirrorLiveView = TRUE;
  m_view->m_nPhotoboothBW = 1;
  ASSERT_TRUE(Drawn(frame));
  COLORREF right = PixelAt(100 + 240, 20 + 120);
  EXPECT_NEAR(63, Red(right), 12);  // (90 + 60 + 40) / 3
  EXPECT_EQ(Red(right), Green(right));
  EXPECT_EQ(Red(right), Blue(right));
  COLORREF left = PixelAt(100 + 80, 20 + 120);
  EXPECT_NEAR((200 + 30 + 30) / 3, Red(left), 12);
  m_view->m_nPhotoboothBW = 0;

  // Green screen off: the frame is drawn as it comes.
  m_view->m_bGreenScreenEnable = FALSE;
  m_view->m_bPhotoboothMirrorLiveView = FALSE;
  ASSERT_TRUE(Drawn(frame));
  EXPECT_NEAR(220, Green(PixelAt(100 + 240, 20 + 120)), 12);
}

TEST_F(FullscreenDlgLiveViewTest, AnOverlayBlendsAndOneThatFailsIsReportedOncePerChange) {
  Connect();
  QImage overlay(64, 48, QImage::Format_ARGB32);
  overlay.fill(Qt::transparent);
  for (int y = 0; y < 48; ++y)
    for (int x = 32; x < 64; ++x) overlay.setPixel(x, y, qRgba(0, 0, 255, 255));
  std::string overlayPath = (m_folder / "live_view_overlay.png").string();
  ASSERT_TRUE(overlay.save(QString::fromStdString(overlayPath), "PNG"));
  CFullscreenDlg* booth = OpenBooth();
  ASSERT_EQ(overlayPath, std::string(booth->m_strOverlayPath.GetString()));
  QImage grey(640, 480, QImage::Format_RGB32);
  grey.fill(QColor(100, 100, 100));
  std::vector<BYTE> frame = JpegOf(grey);
  ASSERT_TRUE(Drawn(frame));
  ASSERT_TRUE(Drawn(frame));
  COLORREF clear = PixelAt(100 + 80, 20 + 120), covered = PixelAt(100 + 240, 20 + 120);
  EXPECT_NEAR(100, Blue(clear), 8);
  EXPECT_NEAR(255, Blue(covered), 8);
  EXPECT_NEAR(0, Red(covered), 8);

  // An overlay without transparency: one message, not one a frame.
  QImage opaque(64, 48, QImage::Format_RGB32);
  opaque.fill(Qt::red);
  ASSERT_TRUE(opaque.save(QString::fromStdString(overlayPath), "PNG"));
  ClearMessageBoxes();
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(Drawn(frame));
  ASSERT_EQ(1u, GetShownMessageBoxes().size());
  EXPECT_EQ("ERROR: PNG file does not contain an alpha channel defining transparency", GetShownMessageBoxes()[0].text);
  // A file that does not load at all, under a new name: reported once more.
  std::string broken = (m_folder / "broken.png").string();
  std::ofstream(broken) << "not a picture";
  booth->m_strOverlayPath = broken.c_str();
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(Drawn(frame));
  ASSERT_EQ(2u, GetShownMessageBoxes().size());
  EXPECT_EQ("Error loading overlay image: " + broken, GetShownMessageBoxes()[1].text);
}

TEST_F(FullscreenDlgLiveViewTest, CtrlGTunesTheKeyLiveAndCancelRestoresEverything) {
  WriteJpeg(m_folder / "greenscreen_background.jpg", 64, 64, Qt::red);
  m_view->m_bGreenScreenEnable = FALSE;
  m_view->m_bBlueScreen = FALSE;
  m_view->m_nGreenScreenGreenThreshold = 70;
  m_view->m_nGreenScreenRedPercentage = 230;
  m_view->m_nGreenScreenBluePercentage = 179;
  CFullscreenDlg* booth = OpenBooth();
  Activate(booth->m_hWnd);
  CMyQuilletView* view = m_view;
  CString title;
  PushDialogScript(DialogScript(IDD_GREENSCREEN_SETTINGS)
                       .SetPos(IDC_GREENSCREEN_THRESHOLD, 40)
                       .SetPos(IDC_GREENSCREEN_RED, 100)
                       .SetCheck(IDC_GREENSCREEN_ENABLE, BST_CHECKED)
                       .SetCheck(IDC_GREENSCREEN_BLUE_MODE, BST_CHECKED)
                       .Call([&](CDialog* dialog) { dialog->GetWindowText(title); })
                       // The values reach the booth while the dialog is still open.
                       .RunUntil([view] {
                         return view->m_nGreenScreenGreenThreshold == 40 && view->m_nGreenScreenRedPercentage == 100 &&
                                view->m_bGreenScreenEnable && view->m_bBlueScreen;
                       })
                       .Press(IDCANCEL));
  PressKey(booth->m_hWnd, Qt::Key_G, Qt::ControlModifier);
  ASSERT_EQ(1u, GetShownDialogs().size());
  EXPECT_EQ("Greenscreen Settings (blue screen mode)", std::string(title.GetString()));
  EXPECT_EQ(70, view->m_nGreenScreenGreenThreshold);
  EXPECT_EQ(230, view->m_nGreenScreenRedPercentage);
  EXPECT_FALSE(view->m_bGreenScreenEnable);
  EXPECT_FALSE(view->m_bBlueScreen);
  // A tick that was still queued when the dialog ended changes nothing.
  booth->PostMessage(WM_GREENSCREEN_THRESHOLD, 12, 0);
  booth->PostMessage(WM_GREENSCREEN_FLAGS, 1, 1);
  PumpUntil([] { return false; }, 100);
  EXPECT_EQ(70, view->m_nGreenScreenGreenThreshold);
  EXPECT_FALSE(view->m_bBlueScreen);

  // OK keeps the dialog's values, the save-copy flag included.
  PushDialogScript(DialogScript(IDD_GREENSCREEN_SETTINGS)
                       .SetPos(IDC_GREENSCREEN_THIRD, 90)
                       .SetCheck(IDC_GREENSCREEN_SAVE_COPY, BST_CHECKED)
                       .SetCheck(IDC_GREENSCREEN_ENABLE, BST_CHECKED)
                       .Press(IDOK));
  SHDeleteKeyA(HKEY_CURRENT_USER, kProductKey);
  PressKey(booth->m_hWnd, Qt::Key_G, Qt::ControlModifier);
  EXPECT_EQ(90, view->m_nGreenScreenBluePercentage);
  EXPECT_TRUE(view->m_bPhotoboothSaveGreenscreenedImage);
  {
    // In the registry at once, before any exit.
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, kProductKey, 0, KEY_READ, &key));
    DWORD saveCopy = 0;
    EXPECT_TRUE(ReadRegDword(key, "PhotoboothSaveGreenscreenedImage", saveCopy));
    EXPECT_EQ(1u, saveCopy);
    RegCloseKey(key);
  }
  EXPECT_TRUE(view->m_bGreenScreenEnable);
  EXPECT_EQ((m_folder / "greenscreen_background.jpg").string(), std::string(booth->m_strGreenScreenBackground.GetString()));
}

TEST_F(FullscreenDlgLiveViewTest, CtrlGWithoutABackgroundExplainsWhatIsMissing) {
  CFullscreenDlg* booth = OpenBooth();
  Activate(booth->m_hWnd);
  PressKey(booth->m_hWnd, Qt::Key_G, Qt::ControlModifier);
  EXPECT_TRUE(GetShownDialogs().empty());
  ASSERT_EQ(1u, GetShownMessageBoxes().size());
  EXPECT_EQ("Error, can't find green screen background image in photo booth images folder:\n" + m_folder.string() +
                "\n\nPlease copy a green screen background image named greenscreen_background.jpg into the photo "
                "booth images folder and try again",
            GetShownMessageBoxes()[0].text);
}

// With the live-view crop on, the preview after a shot and its thumbnail show the part the live
// picture showed (a 640 x 480 frame less 160 pixels each way: 3:2), not the whole 4:3 photo.
TEST_F(FullscreenDlgLiveViewTest, ThePreviewAndItsThumbnailAreCutLikeTheLivePicture) {
  Connect();
  fs::path photo = m_folder / "photo.jpg";
  WriteJpeg(photo, 400, 300, QColor(200, 40, 40));
  m_view->m_images.emplace_back(CString(photo.string().c_str()));
  ASSERT_TRUE(m_view->ShowImage(0));
  m_view->m_bPhotoboothThumnailEnable = TRUE;
  m_view->m_nPhotoboothThumnailW = 200;
  m_view->m_nPhotoboothPreviewTime = 3;
  CFullscreenDlg* booth = OpenBooth();
  const struct {
    int crop;
    int thumbHeight;
    bool topIsPhoto;
  } rows[] = {{0, 150, true}, {160, 133, false}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.crop);
    m_view->m_nPhotoboothEvfCrop = row.crop;
    booth->ShowScreen((m_folder / "ready.jpg").string().c_str(), 0);
    std::vector<BYTE> frame = GreenScreenFrame();
    ASSERT_TRUE(Drawn(frame));
    ASSERT_EQ(row.crop ? 480 : 640, booth->m_nLastLiveWidth);
    size_t thumbs = booth->m_thumbnails.size();
    booth->SendMessage(WM_DISPLAY_JPEG, m_view->m_nCurrentJpegSize, reinterpret_cast<LPARAM>(m_view->m_pCurrentJpeg));
    ASSERT_NE(nullptr, booth->m_pPreviewBitmap);
    ASSERT_EQ(thumbs + 1, booth->m_thumbnails.size());
    BITMAP thumb{};
    booth->m_thumbnails.back()->GetBitmap(&thumb);
    EXPECT_EQ(200, thumb.bmWidth);
    EXPECT_EQ(row.thumbHeight, thumb.bmHeight);
    booth->Invalidate(FALSE);
    PumpUntil([] { return false; }, 100);
    // The 400 x 300 preview stands centred; cut to 400 x 267, its top 16 rows go.
    CRect client;
    booth->GetClientRect(&client);
    const int top = (client.Height() - 300) / 2, centre = client.Width() / 2;
    EXPECT_NEAR(200, Red(PixelAt(centre, top + 150)), 12);
    EXPECT_EQ(row.topIsPhoto, Red(PixelAt(centre, top + 8)) > 150);
  }
}

}  // namespace
