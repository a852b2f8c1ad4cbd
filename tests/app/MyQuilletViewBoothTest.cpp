// The photobooth sequence: arming, the 50 ms pacing on a test clock, and the shots of a threaded
// simulated camera shown in a booth window that records its screens and texts.
#include <QApplication>
#include <QKeyEvent>
#include <QWidget>
#include <atomic>
#include <filesystem>
#include <string>
#include <vector>

#include "AppTestSupport.h"
#include "photobooth/FullscreenDlg.h"
#include "photobooth/PhotoboothProcessingWorker.h"
#include "platform/dshow/mmsystem.h"
#include "platform/mfc/dialogscript.h"
#include "platform/user/window_p.h"
#include "tests/photobooth/BoothViewFixture.h"

namespace {

namespace fs = std::filesystem;

// A booth window that writes down every screen and countdown text it is asked for.
class CRecordingBooth : public CFullscreenDlg {
 public:
  using CFullscreenDlg::CFullscreenDlg;
  void ShowScreen(const char* path, int flag) override {
    std::string name = fs::path(path ? path : "").filename().string();
    if (m_screens.empty() || m_screens.back() != name) m_screens.push_back(name);
    CFullscreenDlg::ShowScreen(path, flag);
  }
  void SetCountdownText(const char* text) override {
    std::string shown = text ? text : "";
    if (!shown.empty() && (m_texts.empty() || m_texts.back() != shown)) m_texts.push_back(shown);
    CFullscreenDlg::SetCountdownText(text);
  }
  int GetMovieTimeRemaining() override { return m_movieLeft; }
  std::vector<std::string> m_screens;
  std::vector<std::string> m_texts;
  int m_movieLeft = -1;
};

class MyQuilletViewBoothTest : public BoothViewFixture<CRecordingBooth> {
 protected:
  void SetUp() override {
    ClearPlayedSounds();
    // A 32-bit tick count would wrap during the session.
    ASSERT_NO_FATAL_FAILURE(OpenView(0x100000000ULL - 2000));
    m_view->m_strDirectory = CString(TestFolder() + "/booth-photos");
    m_folder = TestFolder() + "/booth-screens";
    fs::remove_all(m_folder);
    fs::create_directories(m_folder);
    m_view->m_strPhotoboothImagesDir = m_folder.c_str();
    ASSERT_NO_FATAL_FAILURE(ConnectCamera());
    m_view->m_bPhotoboothActive = true;
    m_view->m_nPhotoboothInterval = 5;
    m_view->m_nNumberOfPhotoboothImages = 1;
  }
  CRecordingBooth* OpenBooth() {
    CreateBooth();
    m_booth->m_screens.clear();
    return m_booth.get();
  }
  // Ticks until the release; the tick count when it came.
  ULONGLONG TickUntilRelease(int limit = 400) {
    for (int i = 0; i < limit && m_view->m_nLastShotNumber < 0; ++i) Tick();
    return s_ticks;
  }

  std::string m_folder;
};

TEST_F(MyQuilletViewBoothTest, ACountdownOfFiveReleasesBeforeTheEndByTheLag) {
  CRecordingBooth* booth = OpenBooth();
  m_view->m_nPhotoboothCameraReleaseLag = 300;
  ULONGLONG armed = s_ticks;
  m_view->OnPhotoboothShot();
  ASSERT_EQ(1, m_view->m_nShotsLeft);
  ULONGLONG released = TickUntilRelease();
  ASSERT_EQ(1, m_view->m_nLastShotNumber);
  // Due 5 s (less a millisecond) after arming; the release comes the lag earlier.
  EXPECT_GE(released, armed + 4999 - 300);
  EXPECT_LT(released, armed + 4999 - 300 + 50);
  std::vector<std::string> expected;
  for (int secs : {5, 4, 3, 2, 1})
    expected.push_back("Taking photo 1 of 1 in " + std::to_string(secs) + " secs");
  EXPECT_EQ(expected, booth->m_texts);
  ASSERT_GE(booth->m_screens.size(), 2u);
  EXPECT_EQ("1.jpg", booth->m_screens[0]);
  EXPECT_EQ("taking.jpg", booth->m_screens[1]);
  // One release per photo, whatever the ticks that follow (the release runs on its own thread).
  ASSERT_TRUE(PumpUntil([] { return !tavsim::SimCallsOf("PR_RC_Release").empty(); }, 30000));
  for (int i = 0; i < 20; ++i) Tick();
  EXPECT_EQ(1u, tavsim::SimCallsOf("PR_RC_Release").size());
}

TEST_F(MyQuilletViewBoothTest, TheFirstCountdownLastsTheFirstPhotoDelayLaterOnesTheInterval) {
  CRecordingBooth* booth = OpenBooth();
  m_view->m_nNumberOfPhotoboothImages = 2;
  m_view->m_nPhotoboothFirstInterval = 8;
  m_view->m_nPhotoboothInterval = 3;
  m_view->m_nPhotoboothCameraReleaseLag = 0;
  m_view->m_strFilenamePrefix = "{uid}";
  ULONGLONG armed = s_ticks;
  m_view->OnPhotoboothShot();
  ASSERT_EQ(2, m_view->m_nShotsLeft);
  EXPECT_EQ(armed + 7999, m_view->m_nNextShotTime);
  ULONGLONG released = TickUntilRelease();
  // On the first 50 ms tick at or past the due time.
  EXPECT_GE(released, armed + 7999) << "the first photo waits the first-photo delay";
  EXPECT_LT(released, armed + 7999 + 50);
  ASSERT_FALSE(booth->m_texts.empty());
  EXPECT_EQ("Taking photo 1 of 2 in 8 secs", booth->m_texts.front());
  // The photo arrives: the next countdown is the ordinary interval.
  ASSERT_TRUE(PumpUntil([&] { return m_view->m_nShotsLeft == 1; }, 30000));
  ULONGLONG captured = s_ticks;
  EXPECT_EQ(captured + 2999, m_view->m_nNextShotTime);
  booth->m_texts.clear();
  int before = m_view->m_nLastShotNumber;
  for (int i = 0; i < 400 && m_view->m_nLastShotNumber == before; ++i) Tick();
  EXPECT_GE(s_ticks, captured + 2999) << "later photos wait the interval";
  EXPECT_LT(s_ticks, captured + 2999 + 50);
  ASSERT_FALSE(booth->m_texts.empty());
  EXPECT_EQ("Taking photo 2 of 2 in 3 secs", booth->m_texts.front());
  // The photo's name carries the session's code, as the page's will.
  ASSERT_TRUE(PumpUntil([&] { return !m_view->m_images.empty(); }, 30000));
  std::string name = fs::path(m_view->m_images.front().m_strFileName.GetString()).filename().string();
  EXPECT_EQ(0u, name.find(std::string(m_view->m_strSessionCode.GetString()) + "_")) << name;
}

TEST_F(MyQuilletViewBoothTest, EverySessionHasItsOwnCodeForItsPhotosAndItsPage) {
  OpenBooth();
  std::vector<std::string> codes;
  for (int session = 0; session < 3; ++session) {
    m_view->m_nShotsLeft = -1;
    m_view->OnPhotoboothShot();
    ASSERT_EQ(1, m_view->m_nShotsLeft);
    std::string code = m_view->m_strSessionCode.GetString();
    // The unique code's form: two letters, a time letter, five digits.
    ASSERT_EQ(8u, code.size()) << code;
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(code[i] >= 'A' && code[i] <= 'Z') << code;
    for (int i = 3; i < 8; ++i) EXPECT_TRUE(code[i] >= '0' && code[i] <= '9') << code;
    EXPECT_EQ(code, std::string(m_view->m_strUniqueId.GetString())) << "photo names use the session's code";
    codes.push_back(code);
  }
  int differing = 0;
  for (size_t i = 1; i < codes.size(); ++i) differing += codes[i] != codes[i - 1];
  EXPECT_GE(differing, 1) << "a new session makes a new code";
}

TEST_F(MyQuilletViewBoothTest, OnePhotoHoldsItsPreviewThenShowsProcessing) {
  CRecordingBooth* booth = OpenBooth();
  m_view->m_nPhotoboothPreviewTime = 2;
  m_view->m_nPhotoboothSaveJpegCopyOfPrints = 3;  // only the record: no printer needed
  // The worker keeps its progress window up until the script has watched the preview end.
  static std::atomic<bool> s_watched{false};
  s_watched = false;
  m_view->m_nPhotoboothMinProcessingDuration = 5;
  // Time stands still until then, and runs one second a call after (the worker may start late).
  static std::atomic<LONGLONG> s_after{1000000};
  PhotoboothProcessingWorker::s_pfnNow = [] { return s_watched ? ++s_after : LONGLONG{0}; };
  PhotoboothProcessingWorker::s_pfnSleep = [](DWORD) { Sleep(1); };
  bool flagged = false;
  int ticksAtStart = -1;
  bool previewShown = false;
  std::string beforeEnd, atEnd;
  PushDialogScript(DialogScript(IDD_PROGRESS2).Call([&](CDialog*) {
    flagged = m_view->m_bProcessingUnderWay;
    ticksAtStart = m_view->m_nPreviewTicks.load();
    previewShown = booth->m_pPreviewBitmap != nullptr;
    for (int i = 0; i < 39; ++i) Tick();
    beforeEnd = booth->m_screens.back();
    Tick();
    atEnd = booth->m_screens.back();
    s_watched = true;
  }).RunUntil([] { return false; }));
  m_view->OnPhotoboothShot();
  TickUntilRelease();
  ASSERT_TRUE(PumpUntil([&] { return m_view->m_nShotsLeft == -1 && !m_view->m_bProcessingUnderWay; }, 30000));
  PhotoboothProcessingWorker::s_pfnNow = [] { return static_cast<LONGLONG>(time(nullptr)); };
  PhotoboothProcessingWorker::s_pfnSleep = [](DWORD ms) { Sleep(ms); };
  EXPECT_TRUE(flagged);
  EXPECT_EQ(40, ticksAtStart);
  EXPECT_TRUE(previewShown);
  EXPECT_NE("processing.jpg", beforeEnd);
  EXPECT_EQ("processing.jpg", atEnd);
}

TEST_F(MyQuilletViewBoothTest, ArmingIsRefusedOnWelcomeDuringASessionAndWhileProcessing) {
  CRecordingBooth* booth = OpenBooth();
  booth->ShowScreen((m_folder + "/welcome.jpg").c_str(), 0);
  m_view->OnPhotoboothShot();
  EXPECT_EQ(-1, m_view->m_nShotsLeft);
  booth->ShowScreen((m_folder + "/ready.jpg").c_str(), 0);
  m_view->m_bProcessingUnderWay = true;
  m_view->OnPhotoboothShot();
  EXPECT_EQ(-1, m_view->m_nShotsLeft);
  m_view->m_bProcessingUnderWay = false;
  m_view->OnPhotoboothShot();
  EXPECT_EQ(1, m_view->m_nShotsLeft);
  ULONGLONG due = m_view->m_nNextShotTime;
  Tick(1000);
  m_view->OnPhotoboothShot();  // a session runs: nothing changes
  EXPECT_EQ(due, m_view->m_nNextShotTime);
  EXPECT_TRUE(GetShownMessageBoxes().empty());

  // The refusals that speak.
  m_view->m_nShotsLeft = -1;
  m_view->m_nAutoBracket = 1;
  m_view->OnPhotoboothShot();
  m_view->m_nAutoBracket = 0;
  m_view->m_nStoreImage = 2;
  m_view->OnPhotoboothShot();
  m_view->m_nStoreImage = 1;
  ASSERT_EQ(2u, GetShownMessageBoxes().size());
  EXPECT_EQ("Auto-bracketing is not supported for photobooth shooting.", GetShownMessageBoxes()[0].text);
  EXPECT_EQ("Tavrin", GetShownMessageBoxes()[0].caption);
  EXPECT_EQ(0u, GetShownMessageBoxes()[1].text.find("Saving images to the camera's memory card only"));
  EXPECT_EQ(-1, m_view->m_nShotsLeft);
}

TEST_F(MyQuilletViewBoothTest, AMovieHoldsTheCountdownUntilItEnds) {
  CRecordingBooth* booth = OpenBooth();
  m_view->OnPhotoboothShot();
  booth->m_movieLeft = 8000;
  ULONGLONG start = s_ticks;
  for (int i = 0; i < 20; ++i) Tick();
  EXPECT_EQ(s_ticks + 8000, m_view->m_nNextShotTime);
  booth->m_movieLeft = 0;
  ULONGLONG released = TickUntilRelease();
  EXPECT_GE(released, start + 1000 + 4999);
}

TEST_F(MyQuilletViewBoothTest, AClickerPressEarlyWaitsForItsSecond) {
  OpenBooth();
  m_view->m_bPhotoboothClickerMode = TRUE;
  ULONGLONG armed = s_ticks;
  m_view->OnPhotoboothShot();
  m_view->m_bClickerPressed = true;  // pressed at once
  ULONGLONG released = TickUntilRelease();
  EXPECT_GE(released, armed + 1000);
  EXPECT_LT(released, armed + 1050 + 1);
  EXPECT_FALSE(m_view->m_bClickerPressed);
}

TEST_F(MyQuilletViewBoothTest, ACancelledKeyboardStillArmsWithEmptyTexts) {
  OpenBooth();
  m_booth->ShowScreen((m_folder + "/ready.jpg").c_str(), 0);
  m_view->m_nPhotoboothKeyboard = 1;
  m_view->m_nPhotoboothUseMouseToTrigger = 5;
  m_view->m_nPhotoboothInactivityTimeout = 90;
  m_view->m_keyboardTexts.push_back("old");
  PushDialogScript(DialogScript().Call([&](CDialog*) { EXPECT_EQ(0, m_view->m_nPhotoboothInactivityTimeout); }).Press(IDCANCEL));
  m_view->OnPhotoboothShot();
  EXPECT_EQ(1, m_view->m_nShotsLeft);
  EXPECT_TRUE(m_view->m_keyboardTexts.empty());
  EXPECT_EQ(90, m_view->m_nPhotoboothInactivityTimeout);
  ASSERT_FALSE(GetShownDialogs().empty());
}

TEST_F(MyQuilletViewBoothTest, AFailedReleaseEndsTheSessionInTheBoothWindow) {
  CRecordingBooth* booth = OpenBooth();
  tavsim::SimAddFault({"PR_RC_Release", 0, 1});
  m_view->OnPhotoboothShot();
  TickUntilRelease();
  ASSERT_TRUE(PumpUntil([&] { return !GetShownMessageBoxes().empty(); }, 30000));
  EXPECT_EQ("Unable to release shutter.\nThis may be because the AF was unable to lock", GetShownMessageBoxes()[0].text);
  EXPECT_EQ(-1, m_view->m_nShotsLeft);
  EXPECT_EQ("ready.jpg", booth->m_screens.back());
  EXPECT_FALSE(m_view->m_bBusy);
  for (int i = 0; i < 200; ++i) Tick();
  EXPECT_EQ(1u, tavsim::SimCallsOf("PR_RC_Release").size());
}

}  // namespace

namespace {

// Keys typed into the main window, as the display server delivers them, with modifiers held.
void PressOnView(CMyQuilletView* view, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  QWidget* widget = user_p::WidgetOf(view->m_hWnd);
  ASSERT_NE(nullptr, widget);
  QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : widget;
  std::vector<std::pair<Qt::Key, Qt::KeyboardModifier>> held;
  if (modifiers & Qt::ControlModifier) held.emplace_back(Qt::Key_Control, Qt::ControlModifier);
  if (modifiers & Qt::AltModifier) held.emplace_back(Qt::Key_Alt, Qt::AltModifier);
  if (modifiers & Qt::ShiftModifier) held.emplace_back(Qt::Key_Shift, Qt::ShiftModifier);
  Qt::KeyboardModifiers down = Qt::NoModifier;
  for (const auto& modifier : held) {
    QKeyEvent press(QEvent::KeyPress, modifier.first, down);
    QApplication::sendEvent(target, &press);
    down |= modifier.second;
  }
  QKeyEvent press(QEvent::KeyPress, key, modifiers);
  QApplication::sendEvent(target, &press);
  QKeyEvent release(QEvent::KeyRelease, key, modifiers);
  QApplication::sendEvent(target, &release);
  for (auto it = held.rbegin(); it != held.rend(); ++it) {
    QKeyEvent up(QEvent::KeyRelease, it->first, modifiers);
    QApplication::sendEvent(target, &up);
  }
}

TEST_F(MyQuilletViewBoothTest, TheMainWindowsBoothKeysArmAndChooseTheColourMode) {
  QWidget* frame = user_p::WidgetOf(m_harness->m_frame->m_hWnd);
  frame->activateWindow();
  ASSERT_TRUE(PumpUntil([&] { return frame->isActiveWindow(); }, 5000));
  // Ctrl+Shift+Alt+5 arms only with the booth window up.
  PressOnView(m_view, Qt::Key_5, Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier);
  EXPECT_EQ(-1, m_view->m_nShotsLeft);
  const struct {
    Qt::Key key;
    int colourMode;  // -1: unchanged
  } rows[] = {{Qt::Key_F4, -1}, {Qt::Key_F2, 1}, {Qt::Key_F3, 0}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.key);
    m_view->m_nShotsLeft = -1;
    m_view->m_nPhotoboothBW = 2;
    PressOnView(m_view, row.key);
    EXPECT_EQ(1, m_view->m_nShotsLeft);
    EXPECT_EQ(row.colourMode < 0 ? 2 : row.colourMode, m_view->m_nPhotoboothBW);
  }
  m_view->m_nShotsLeft = -1;
  OpenBooth();
  frame->activateWindow();
  ASSERT_TRUE(PumpUntil([&] { return frame->isActiveWindow(); }, 5000));
  PressOnView(m_view, Qt::Key_5, Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier);
  EXPECT_EQ(1, m_view->m_nShotsLeft);
}

}  // namespace
