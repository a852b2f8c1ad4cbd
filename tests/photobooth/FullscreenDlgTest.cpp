#include "photobooth/FullscreenDlg.h"

#include <sys/stat.h>

#include <filesystem>

#include "photobooth/BoothCommands.h"
#include "platform/mfc/dialogscript.h"
#include "tests/photobooth/BoothTestSupport.h"

namespace {

namespace fs = std::filesystem;

class FullscreenDlgTest : public ViewTestBase {
 protected:
  void SetUp() override {
    ViewTestBase::SetUp();
    ClearPlayedSounds();
    m_folder = FreshBoothFolder("booth");
    m_view->m_strPhotoboothImagesDir = m_folder.string().c_str();
    CFullscreenDlg::s_pfnNow = [] { return s_now; };
    s_now = 1000000;
  }
  void TearDown() override {
    if (m_booth) {
      m_view->m_pFullscreenDlg = nullptr;
      m_booth->DestroyWindow();
      m_booth.reset();
    }
    ClearDialogScripts();
    CFullscreenDlg::s_pfnNow = [] { return static_cast<LONGLONG>(time(nullptr)); };
    ViewTestBase::TearDown();
  }
  // A booth window in photobooth mode, made modeless so a test can look at it between steps.
  CFullscreenDlg* OpenBooth() {
    m_view->m_bPhotoboothActive = true;
    m_booth = std::make_unique<CFullscreenDlg>(m_view, 1);
    m_view->m_pFullscreenDlg = m_booth.get();
    m_view->m_bFullScreen = true;
    EXPECT_TRUE(m_booth->Create(IDD_FULLSCREEN, m_view));
    return m_booth.get();
  }
  std::string Screen(const char* name) { return (m_folder / name).string(); }
  int SoundsOf(const std::string& wav) {
    int count = 0;
    for (const std::string& played : GetPlayedSounds()) count += played == wav;
    return count;
  }

  static LONGLONG s_now;
  fs::path m_folder;
  std::unique_ptr<CFullscreenDlg> m_booth;
};

LONGLONG FullscreenDlgTest::s_now = 0;

std::string ShownPhoto(CMyQuilletView* view) {
  return view->m_nCurrentImage >= 0 ? std::string(view->m_images[view->m_nCurrentImage].m_strFileName.GetString()) : "";
}

TEST_F(FullscreenDlgTest, F11ShowsThePhotoFullScreenAndKeysStepThroughThePhotos) {
  std::string a = WriteTestPhoto("viewer-a.jpg"), b = WriteTestPhoto("viewer-b.jpg");
  m_view->m_images.emplace_back(CString(a.c_str()));
  m_view->m_images.emplace_back(CString(b.c_str()));
  ASSERT_TRUE(m_view->ShowImage(1));
  bool ran = false;
  PushDialogScript(DialogScript(IDD_FULLSCREEN).Call([&](CDialog* dialog) {
    auto* viewer = static_cast<CFullscreenDlg*>(dialog);
    ran = true;
    EXPECT_EQ(viewer, m_view->m_pFullscreenDlg);
    CString title;
    viewer->GetWindowText(title);
    EXPECT_STREQ("Tavorin Full Screen", title.GetString());
    CRect window;
    viewer->GetWindowRect(&window);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), window.Width());
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), window.Height());
    ASSERT_TRUE(PumpUntil([&] { return viewer->m_pPreviewBitmap != nullptr; }, 10000));
    BITMAP shown{};
    viewer->m_pPreviewBitmap->GetBitmap(&shown);
    // The 320 x 240 photo is shown at its own size, within the screen.
    EXPECT_EQ(320, shown.bmWidth);
    EXPECT_EQ(240, shown.bmHeight);

    Activate(viewer->m_hWnd);
    const struct {
      Qt::Key key;
      Qt::KeyboardModifiers modifiers;
      std::string photo;
    } steps[] = {{Qt::Key_PageUp, Qt::NoModifier, a},
                 {Qt::Key_PageDown, Qt::NoModifier, b},
                 {Qt::Key_P, Qt::ControlModifier, a},
                 {Qt::Key_N, Qt::ControlModifier, b}};
    for (const auto& step : steps) {
      SCOPED_TRACE(step.key);
      CBitmap* before = viewer->m_pPreviewBitmap.get();
      PressKey(viewer->m_hWnd, step.key, step.modifiers);
      EXPECT_EQ(step.photo, ShownPhoto(m_view));
      // The window draws the photo it was sent.
      EXPECT_TRUE(PumpUntil([&] { return viewer->m_pPreviewBitmap && viewer->m_pPreviewBitmap.get() != before; }, 10000));
    }
    BOOL grid = m_view->m_bDisplayGrid;
    PressKey(viewer->m_hWnd, Qt::Key_G, Qt::ControlModifier);
    EXPECT_NE(grid, m_view->m_bDisplayGrid);
    EXPECT_NE(nullptr, viewer->m_pPreviewBitmap);
    PressKey(viewer->m_hWnd, Qt::Key_F11);
  }));
  QWidget* frame = user_p::WidgetOf(m_harness->m_frame->m_hWnd);
  Activate(m_harness->m_frame->m_hWnd);
  PressKey(m_view->m_hWnd, Qt::Key_F11);  // the main window's accelerator opens the viewer
  EXPECT_TRUE(ran);
  ASSERT_FALSE(GetShownDialogs().empty());
  EXPECT_EQ(2, GetShownDialogs().back().result);
  EXPECT_EQ(nullptr, m_view->m_pFullscreenDlg);
  EXPECT_FALSE(m_view->m_bFullScreen);
  (void)frame;
}

TEST_F(FullscreenDlgTest, WithoutAnyPictureTheWindowAsksOnceAndStops) {
  class CCountingDlg : public CFullscreenDlg {
   public:
    using CFullscreenDlg::CFullscreenDlg;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
      if (message == WM_FULLSCREEN_REFRESH) ++m_refreshes;
      return CFullscreenDlg::WindowProc(message, wParam, lParam);
    }
    int m_refreshes = 0;
  } viewer(m_view, 0);
  m_view->m_pFullscreenDlg = &viewer;
  ASSERT_TRUE(viewer.Create(IDD_FULLSCREEN, m_view));
  for (int i = 0; i < 5; ++i) {
    viewer.Invalidate(FALSE);
    viewer.UpdateWindow();
    PumpUntil([] { return false; }, 50);
  }
  EXPECT_EQ(1, viewer.m_refreshes);
  EXPECT_TRUE(viewer.m_bNoImage);
  m_view->m_pFullscreenDlg = nullptr;
  viewer.DestroyWindow();
}

TEST_F(FullscreenDlgTest, TheSameScreenTwicePlaysItsSoundOnce) {
  WriteJpeg(Screen("ready.jpg"), 64, 48, Qt::gray);
  WriteSound(Screen("ready.wav"));
  WriteJpeg(Screen("1.jpg"), 64, 48, Qt::gray);
  WriteSound(Screen("1.wav"));
  CFullscreenDlg* booth = OpenBooth();  // its start shows the ready screen
  EXPECT_EQ(1, SoundsOf(Screen("ready.wav")));
  booth->ShowScreen(Screen("ready.jpg").c_str(), 1);
  EXPECT_EQ(1, SoundsOf(Screen("ready.wav")));
  booth->ShowScreen(Screen("1.jpg").c_str(), 1);
  booth->ShowScreen(Screen("1.jpg").c_str(), 1);
  EXPECT_EQ(1, SoundsOf(Screen("1.wav")));
  CString title;
  booth->GetWindowText(title);
  EXPECT_EQ("Morvane Systems Photobooth - " + Screen("1.jpg"), std::string(title.GetString()));
}

TEST_F(FullscreenDlgTest, ScreenVariantsFollowColourModeAndCopies) {
  CFullscreenDlg* booth = OpenBooth();
  const struct {
    std::vector<const char*> files;
    int colourMode;
    int copies;
    const char* expected;
  } rows[] = {
      {{"ready.jpg"}, 0, 1, "ready.jpg"},
      {{"ready.jpg", "ready_c.jpg", "ready_c2.jpg"}, 0, 2, "ready_c2.jpg"},
      {{"ready.jpg", "ready_c.jpg", "ready_c2.jpg"}, 0, 3, "ready_c.jpg"},
      {{"ready.jpg", "ready_3.jpg"}, 1, 3, "ready_3.jpg"},
      {{"ready.jpg", "ready_b.jpg", "ready_c.jpg"}, 1, 1, "ready_b.jpg"},
      {{"ready.jpg", "ready_b.jpg"}, 2, 1, "ready_b.jpg"},  // toned without "_t" files
      {{"ready.jpg", "ready_b.jpg", "ready_t.jpg"}, 2, 1, "ready_t.jpg"},
      {{"ready.jpg", "ready_t2.jpg", "ready_t.jpg"}, 2, 2, "ready_t2.jpg"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.expected);
    fs::path folder = FreshBoothFolder("variants");
    for (const char* file : row.files) WriteSound(folder / file);
    m_view->m_nPhotoboothBW = row.colourMode;
    m_view->m_nPhotoboothPrintCopies = row.copies;
    EXPECT_EQ((folder / row.expected).string(),
              std::string(booth->ResolveScreenVariant((folder / "ready.jpg").string().c_str()).GetString()));
  }
  fs::path folder = FreshBoothFolder("numbered");
  WriteSound(folder / "greenscreen_background.jpg");
  WriteSound(folder / "greenscreen_background_2.jpg");
  CString plain = (folder / "greenscreen_background.jpg").string().c_str();
  EXPECT_EQ((folder / "greenscreen_background_2.jpg").string(), std::string(CFullscreenDlg::ResolveNumberedImage(plain, 2)));
  EXPECT_EQ(plain, CFullscreenDlg::ResolveNumberedImage(plain, 3));
  EXPECT_EQ("", std::string(CFullscreenDlg::ResolveNumberedImage((folder / "none.png").string().c_str(), 1)));
}

TEST_F(FullscreenDlgTest, FallbackTextsGoByTheFileNameNotTheFolder) {
  const struct {
    const char* path;
    const char* text;
  } rows[] = {
      {"/booth/2024/ready.jpg", "Ready"},
      {"/booth/2024/welcome.jpg", "Standby mode, press F6..."},
      {"/booth/2024/1.jpg", "Photo 1"},
      {"/booth/2024/10.jpg", "Photo 10"},
      {"/booth/2024/3.jpg", "Photo 3"},
      {"/booth/2024/taking2.jpg", "Taking photo..."},
      {"/booth/2024/processing.jpg", "Printing photos..."},
      {"/booth/2024/video_playback_finished.jpg", "Video Playback Finished..."},
      {"/booth/2024/video_playback.jpg", "Video Playback..."},
      {"/booth/1/video_ready.jpg", "Ready for Video Capture"},
      {"/booth/2024/share.jpg", "/booth/2024/share.jpg"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.path);
    EXPECT_STREQ(row.text, CFullscreenDlg::FallbackText(row.path).GetString());
  }
}

TEST_F(FullscreenDlgTest, AMissingPictureShowsItsTextAndAScreenOfTheClientSize) {
  CFullscreenDlg* booth = OpenBooth();  // no ready.jpg in the folder
  ASSERT_NE(nullptr, booth->m_pScreenImage) << booth->m_strCurrentScreen.GetString();
  BITMAP surface{};
  booth->m_pScreenImage->GetBitmap(&surface);
  CRect client;
  booth->GetClientRect(&client);
  EXPECT_EQ(client.Width(), surface.bmWidth);
  EXPECT_EQ(client.Height(), surface.bmHeight);
  // Something was written on the black screen: the "Ready" text and the not-found line.
  CDC dc;
  dc.CreateCompatibleDC(nullptr);
  CBitmap* old = dc.SelectObject(booth->m_pScreenImage.get());
  int lit = 0;
  for (int y = client.Height() - 20; y < client.Height(); ++y)
    for (int x = 0; x < 200; ++x) lit += dc.GetPixel(x, y) != RGB(0, 0, 0);
  dc.SelectObject(old);
  EXPECT_GT(lit, 20);
}

TEST_F(FullscreenDlgTest, AMissingPicturesTextStaysClearOfTheLivePicture) {
  PushDialogScript(DialogScript().RunUntil([] { return false; }));
  m_view->StartCameraConnection();
  ClearDialogScripts();
  ASSERT_NE(nullptr, m_view->m_pCamera);
  m_view->m_bPhotoboothEnableLiveView = TRUE;
  m_view->m_nPhotoboothMsgColour = RGB(255, 0, 255);
  CFullscreenDlg* booth = OpenBooth();  // no ready.jpg in the folder
  CRect client;
  booth->GetClientRect(&client);
  const int H = client.Height();
  // The rows of the screen that carry the text's colour.
  auto textRows = [&](int& first, int& last) {
    CDC dc;
    dc.CreateCompatibleDC(nullptr);
    CBitmap* old = dc.SelectObject(booth->m_pScreenImage.get());
    first = -1, last = -1;
    for (int y = 0; y < H - 24; ++y)
      for (int x = 0; x < client.Width(); x += 2)
        if (dc.GetPixel(x, y) == RGB(255, 0, 255)) {
          if (first < 0) first = y;
          last = y;
          break;
        }
    dc.SelectObject(old);
  };
  struct Row {
    const char* name;
    int liveTop;
    bool above;
  } rows[] = {
      {"more room below", 10, false},
      {"more room above", H / 2 - 10, true},
  };
  booth->m_bLiveView = true;
  m_view->m_nPhotoboothEvfMaxHeight = H / 2;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    m_view->m_nPhotoboothEvfYOffset = row.liveTop;
    booth->ShowScreen("", 0);
    booth->ShowScreen(Screen("ready.jpg").c_str(), 0);
    ASSERT_NE(nullptr, booth->m_pScreenImage);
    int first = 0, last = 0;
    textRows(first, last);
    ASSERT_GE(first, 0) << "the fallback text is drawn";
    if (row.above) {
      EXPECT_LT(last, row.liveTop);
    } else {
      EXPECT_GE(first, row.liveTop + H / 2);
    }
  }
}

TEST_F(FullscreenDlgTest, TheCropKeyRepaintsTheAreaAboveItsText) {
  WriteJpeg(Screen("ready.jpg"), 2000, 2000, QColor(128, 128, 128));
  CFullscreenDlg* booth = OpenBooth();
  Activate(booth->m_hWnd);
  CRect client;
  booth->GetClientRect(&client);
  {
    CClientDC dc(booth);
    dc.FillSolidRect(&client, RGB(255, 0, 255));  // what the old live picture left behind
  }
  PressKey(booth->m_hWnd, Qt::Key_Right, Qt::ShiftModifier);
  PumpWaitingMessages();
  CClientDC dc(booth);
  EXPECT_NEAR(128, GetRValue(dc.GetPixel(20, 20)), 3) << "the area above is the screen again";
  EXPECT_NEAR(128, GetRValue(dc.GetPixel(client.Width() - 5, client.Height() / 2)), 3);
  int white = 0;
  for (int y = client.Height() - 24; y < client.Height(); ++y)
    for (int x = client.Width() - 150; x < client.Width(); ++x) white += dc.GetPixel(x, y) == RGB(255, 255, 255);
  EXPECT_GT(white, 20) << "the crop text stays";
}

TEST_F(FullscreenDlgTest, InactivityOnTheReadyScreenGoesToStandbyOnce) {
  WriteJpeg(Screen("ready.jpg"), 32, 32, Qt::gray);
  WriteJpeg(Screen("welcome.jpg"), 32, 32, Qt::gray);
  m_view->m_nPhotoboothInactivityTimeout = 30;
  CFullscreenDlg* booth = OpenBooth();
  EXPECT_EQ(Screen("ready.jpg"), std::string(booth->m_strCurrentScreen.GetString()));
  s_now += 30;
  booth->SendMessage(WM_TIMER, TIMER_FULLSCREEN, 0);
  EXPECT_EQ(Screen("ready.jpg"), std::string(booth->m_strCurrentScreen.GetString()));  // not yet past it
  s_now += 1;
  booth->SendMessage(WM_TIMER, TIMER_FULLSCREEN, 0);
  EXPECT_EQ(Screen("welcome.jpg"), std::string(booth->m_strCurrentScreen.GetString()));
  // Back to ready by F6: the rule waits for a new period of inactivity.
  Activate(booth->m_hWnd);
  PressKey(booth->m_hWnd, Qt::Key_F6);
  EXPECT_EQ(Screen("ready.jpg"), std::string(booth->m_strCurrentScreen.GetString()));
  s_now += 10;
  booth->SendMessage(WM_TIMER, TIMER_FULLSCREEN, 0);
  EXPECT_EQ(Screen("ready.jpg"), std::string(booth->m_strCurrentScreen.GetString()));
  // Other screens never time out.
  booth->ShowScreen(Screen("1.jpg").c_str(), 0);
  s_now += 1000;
  booth->SendMessage(WM_TIMER, TIMER_FULLSCREEN, 0);
  EXPECT_EQ(Screen("1.jpg"), std::string(booth->m_strCurrentScreen.GetString()));
}

TEST_F(FullscreenDlgTest, ToningAndCropKeysWrapAndClamp) {
  WriteJpeg(Screen("ready.jpg"), 32, 32, Qt::gray);
  CFullscreenDlg* booth = OpenBooth();
  Activate(booth->m_hWnd);
  m_view->m_nPhotoboothBW = 2;
  m_view->m_nPhotoboothToningHue = 359;
  PressKey(booth->m_hWnd, Qt::Key_Right, Qt::ControlModifier);
  EXPECT_EQ(0, m_view->m_nPhotoboothToningHue);
  PressKey(booth->m_hWnd, Qt::Key_Left, Qt::ControlModifier);
  EXPECT_EQ(359, m_view->m_nPhotoboothToningHue);
  m_view->m_nPhotoboothToningSaturation = 100;
  PressKey(booth->m_hWnd, Qt::Key_Up, Qt::ControlModifier);
  EXPECT_EQ(100, m_view->m_nPhotoboothToningSaturation);
  EXPECT_EQ(s_now + 2, booth->m_nRedrawDeadline);
  m_view->m_nPhotoboothBW = 0;  // toning only in the toned mode
  PressKey(booth->m_hWnd, Qt::Key_Right, Qt::ControlModifier);
  EXPECT_EQ(359, m_view->m_nPhotoboothToningHue);

  m_view->m_nPhotoboothEvfCrop = 0;
  PressKey(booth->m_hWnd, Qt::Key_Left, Qt::ShiftModifier);
  EXPECT_EQ(0, m_view->m_nPhotoboothEvfCrop);
  PressKey(booth->m_hWnd, Qt::Key_Right, Qt::ShiftModifier);
  EXPECT_EQ(1, m_view->m_nPhotoboothEvfCrop);
  m_view->m_nPhotoboothEvfCrop = 200;
  PressKey(booth->m_hWnd, Qt::Key_Right, Qt::ShiftModifier);
  EXPECT_EQ(200, m_view->m_nPhotoboothEvfCrop);
}

TEST_F(FullscreenDlgTest, DigitsAndEnterFillTheCommentAndSpaceReleases) {
  CFullscreenDlg* booth = OpenBooth();
  Activate(booth->m_hWnd);
  m_view->m_editComment.SetWindowText("7");
  PressKey(booth->m_hWnd, Qt::Key_4);
  PressKey(booth->m_hWnd, Qt::Key_2);
  EXPECT_STREQ("742", m_view->GetCommentText().GetString());
  PressKey(booth->m_hWnd, Qt::Key_Return);
  PressKey(booth->m_hWnd, Qt::Key_9);
  EXPECT_STREQ("9", m_view->GetCommentText().GetString());
  ClearMessageBoxes();
  PushMessageBoxAnswer(IDNO);
  PressKey(booth->m_hWnd, Qt::Key_Space);  // no camera: the release asks to reconnect
  ASSERT_EQ(1u, GetShownMessageBoxes().size());
  EXPECT_EQ("Camera is not connected.\nDo you wish to reconnect?", GetShownMessageBoxes()[0].text);
}

}  // namespace

namespace {

TEST_F(FullscreenDlgTest, ThePreviewScreenSoundPlaysOncePerPreview) {
  WriteJpeg(Screen("preview.jpg"), 64, 48, Qt::gray);
  WriteSound(Screen("preview.wav"));
  std::string photo = WriteTestPhoto("preview-photo.jpg");
  m_view->m_images.emplace_back(CString(photo.c_str()));
  ASSERT_TRUE(m_view->ShowImage(0));
  m_view->m_nPhotoboothPreviewTime = 3;
  CFullscreenDlg* booth = OpenBooth();
  booth->SendMessage(WM_DISPLAY_JPEG, m_view->m_nCurrentJpegSize, reinterpret_cast<LPARAM>(m_view->m_pCurrentJpeg));
  ASSERT_NE(nullptr, booth->m_pPreviewBitmap);
  ASSERT_TRUE(PumpUntil([&] { return SoundsOf(Screen("preview.wav")) == 1; }, 10000));
  for (int i = 0; i < 3; ++i) {
    booth->Invalidate(FALSE);
    PumpUntil([] { return false; }, 100);
  }
  EXPECT_EQ(1, SoundsOf(Screen("preview.wav")));
  booth->SendMessage(WM_DISPLAY_JPEG, m_view->m_nCurrentJpegSize, reinterpret_cast<LPARAM>(m_view->m_pCurrentJpeg));
  EXPECT_TRUE(PumpUntil([&] { return SoundsOf(Screen("preview.wav")) == 2; }, 10000));
}

}  // namespace

namespace {

TEST_F(FullscreenDlgTest, EachNewScreenPictureIsDrawnOnTheScreenSurface) {
  WriteJpeg(Screen("ready.jpg"), 900, 900, QColor(128, 128, 128));
  WriteJpeg(Screen("1.jpg"), 900, 900, QColor(255, 255, 255));
  CFullscreenDlg* booth = OpenBooth();
  const struct {
    const char* screen;
    int red;
  } rows[] = {{"1.jpg", 255}, {"ready.jpg", 128}, {"1.jpg", 255}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.screen);
    booth->ShowScreen(Screen(row.screen).c_str(), 0);
    ASSERT_NE(nullptr, booth->m_pScreenImage);
    CDC dc;
    dc.CreateCompatibleDC(nullptr);
    CBitmap* old = dc.SelectObject(booth->m_pScreenImage.get());
    COLORREF pixel = dc.GetPixel(20, 20);
    dc.SelectObject(old);
    EXPECT_NEAR(row.red, GetRValue(pixel), 3);
  }
}

}  // namespace

// FIFOs in place of a screen's picture, sound, movie and overlay (another user can make them in
// a shared images folder): each counts as missing and the booth goes on at once, where opening
// one would wait for a writer for good.
TEST_F(FullscreenDlgTest, FifosInPlaceOfScreenFilesCountAsMissing) {
  WriteJpeg(Screen("ready.jpg"), 64, 48, Qt::gray);
  for (const char* name : {"processing.jpg", "processing.wav", "processing.mp4", "live_view_overlay.png"})
    ASSERT_EQ(0, mkfifo(Screen(name).c_str(), 0600)) << name;
  CFullscreenDlg* booth = OpenBooth();
  booth->ShowScreen(Screen("processing.jpg").c_str(), 1);
  EXPECT_EQ(0, SoundsOf(Screen("processing.wav")));
  booth->ShowScreen(Screen("ready.jpg").c_str(), 1);
  CString title;
  booth->GetWindowText(title);
  EXPECT_EQ("Morvane Systems Photobooth - " + Screen("ready.jpg"), std::string(title.GetString()));
}
