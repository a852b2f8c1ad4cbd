#include <gtest/gtest.h>

#include <string>

#include "camera/CameraMessages.h"
#include "camera/TimeLapseDlg.h"
#include "platform/mfc/datetimectrl.h"
#include "platform/mfc/dialogscript.h"
#include "platform/user/messagebox.h"

namespace {

LONGLONG g_now = 1700000000;
LONGLONG FakeNow() { return g_now; }

class TimeLapseDlgTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ClearDialogScripts();
    ClearMessageBoxes();
    m_savedClock = CTimeLapseDlg::s_pfnNow;
    CTimeLapseDlg::s_pfnNow = FakeNow;
    g_now = 1700000000;
  }
  void TearDown() override {
    CTimeLapseDlg::s_pfnNow = m_savedClock;
    ClearDialogScripts();
    ClearMessageBoxes();
  }
  // Runs the dialog with `steps` played on it, then cancels it (answering Yes when running).
  void Run(std::function<void(CTimeLapseDlg*)> steps) {
    PushDialogScript(DialogScript(IDD_TIME_LAPSE).Call([&](CDialog* dialog) {
      steps(static_cast<CTimeLapseDlg*>(dialog));
      if (static_cast<CTimeLapseDlg*>(dialog)->m_bRunning) PushMessageBoxAnswer(IDYES);
    }).Press(IDCANCEL));
    m_dialog->DoModal();
  }
  static void SetPicked(CTimeLapseDlg* dialog, int dateId, int timeId, LONGLONG when) {
    std::time_t t = static_cast<std::time_t>(when);
    std::tm local{};
    localtime_r(&t, &local);
    SYSTEMTIME st{};
    st.wYear = static_cast<WORD>(local.tm_year + 1900);
    st.wMonth = static_cast<WORD>(local.tm_mon + 1);
    st.wDay = static_cast<WORD>(local.tm_mday);
    st.wHour = static_cast<WORD>(local.tm_hour);
    st.wMinute = static_cast<WORD>(local.tm_min);
    st.wSecond = static_cast<WORD>(local.tm_sec);
    dialog->SendDlgItemMessage(dateId, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&st));
    dialog->SendDlgItemMessage(timeId, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&st));
  }

  LONGLONG (*m_savedClock)() = nullptr;
  int m_shots = 0;
  std::unique_ptr<CTimeLapseDlg> m_dialog = std::make_unique<CTimeLapseDlg>(nullptr, [this] { ++m_shots; });
};

TEST_F(TimeLapseDlgTest, ThreeFramesThirtySecondsApartThenCompleted) {
  m_dialog->m_nNumFrames = 3;
  m_dialog->m_nInterval = 30;
  std::vector<std::string> status;
  std::vector<int> shotAt;
  Run([&](CTimeLapseDlg* dialog) {
    dialog->OnStartStop();  // the first shot at once
    for (int second = 0; second <= 100; ++second) {
      if (m_shots > static_cast<int>(shotAt.size())) {
        shotAt.push_back(second - 1);
        dialog->SendMessage(WM_SAVED_FILE, 0, 0);  // the photo has arrived
      }
      g_now = 1700000000 + second;
      dialog->TimerStep();
      status.push_back(dialog->m_strStatus.GetString());
    }
  });
  EXPECT_EQ((std::vector<int>{-1, 30, 60}), shotAt);
  EXPECT_EQ("Sequence completed, 3 shots taken", status.back());
  EXPECT_EQ("29 secs until next shot, 2 shots remaining", status[1]);
  EXPECT_FALSE(m_dialog->m_bRunning);
}

TEST_F(TimeLapseDlgTest, APastStartStartsNowAndAPastEndIsRefused) {
  Run([&](CTimeLapseDlg* dialog) {
    dialog->SendMessage(WM_COMMAND, IDC_TL_START_AT, 0);
    SetPicked(dialog, IDC_TL_START_DATE, IDC_TL_START_TIME, g_now - 3600);
    dialog->OnStartStop();
    EXPECT_EQ(g_now, dialog->m_startTime);
    EXPECT_EQ(1, m_shots);
    dialog->OnStartStop();  // stop
    EXPECT_EQ("Sequence stopped, 1 shots taken", std::string(dialog->m_strStatus.GetString()));

    dialog->SendMessage(WM_COMMAND, IDC_TL_END_AT, 0);
    SetPicked(dialog, IDC_TL_END_DATE, IDC_TL_END_TIME, g_now - 10);
    dialog->OnStartStop();
    EXPECT_FALSE(dialog->m_bRunning);
  });
  ASSERT_EQ(1u, GetShownMessageBoxes().size());
  EXPECT_EQ("ERROR: end time has already passed", GetShownMessageBoxes()[0].text);
}

TEST_F(TimeLapseDlgTest, ASlowDownloadRunsLateAndTheNextShotFollowsIt) {
  m_dialog->m_nNumFrames = 3;
  m_dialog->m_nInterval = 10;
  Run([&](CTimeLapseDlg* dialog) {
    dialog->OnStartStop();
    g_now += 15;  // still downloading
    dialog->TimerStep();
    EXPECT_EQ("Taking photo 1, 2 shots remaining, running 5 secs late", std::string(dialog->m_strStatus.GetString()));
    dialog->SendMessage(WM_SAVED_FILE, 0, 0);
    dialog->TimerStep();
    EXPECT_EQ(2, m_shots);
  });
}

TEST_F(TimeLapseDlgTest, AReleaseErrorAsksAndAnyErrorOrEventEndsTheShot) {
  m_dialog->m_nNumFrames = 5;
  Run([&](CTimeLapseDlg* dialog) {
    dialog->OnStartStop();
    PushMessageBoxAnswer(IDYES);
    dialog->SendMessage(WM_RELEASE_ERROR, 1, 0);  // try again a second from now
    EXPECT_EQ(0, dialog->m_nShotsTaken);
    EXPECT_EQ(5, dialog->m_nShotsRemaining);
    EXPECT_FALSE(dialog->m_bShotInProgress);
    g_now += 1;
    dialog->TimerStep();
    EXPECT_EQ(2, m_shots);
    dialog->SendMessage(WM_RELEASE_ERROR, 0x2019, 0);  // card full: no photo is coming either
    EXPECT_FALSE(dialog->m_bShotInProgress);
    PushMessageBoxAnswer(IDNO);
    g_now += 30;
    dialog->TimerStep();
    dialog->SendMessage(WM_RELEASE_ERROR, 1, 0);  // No: the sequence stops
    EXPECT_FALSE(dialog->m_bRunning);
    dialog->OnStartStop();
    EXPECT_TRUE(dialog->m_bRunning);
    dialog->SendMessage(WM_CAMERA_EVENT, 0, 0);  // the camera went away
    EXPECT_FALSE(dialog->m_bRunning);
    EXPECT_FALSE(dialog->m_bShotInProgress);
  });
  ASSERT_EQ(2u, GetShownMessageBoxes().size());
  EXPECT_EQ("Unable to release shutter.\nThis may be because the AF was unable to lock.\nDo you wish to try again?",
            GetShownMessageBoxes()[0].text);
}

TEST_F(TimeLapseDlgTest, CancelWhileRunningAsksFirst) {
  Run([&](CTimeLapseDlg* dialog) {
    dialog->OnStartStop();
    PushMessageBoxAnswer(IDNO);
    dialog->SendMessage(WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(::IsWindow(dialog->m_hWnd));
  });
  ASSERT_EQ(2u, GetShownMessageBoxes().size());
  EXPECT_EQ("Do you wish to cancel the current time lapse sequence?", GetShownMessageBoxes()[1].text);
}

}  // namespace
