#include "camera/TimeLapseDlg.h"

#include <ctime>

#include "camera/CameraMessages.h"
#include "platform/mfc/datetimectrl.h"
#include "platform/user/input.h"
#include "platform/user/messagebox.h"
#include "platform/win32/sync.h"
#include "platform/win32/trace.h"

namespace {

const UINT_PTR kTimer = 1;
const int kMaxFrames = 200000;

LONGLONG SystemNow() { return static_cast<LONGLONG>(std::time(nullptr)); }

void RegisterTimeLapseTemplate() {
  using K = DlgItemKind;
  AfxRegisterDialogTemplate({IDD_TIME_LAPSE,
                             "Time Lapse",
                             {{IDC_TL_START_NOW, K::Radio, "Start immediately", nullptr, 0, 0, "Start"},
                              {IDC_TL_START_AT, K::Radio, "Set start date and time", nullptr, 0, 0, "Start"},
                              {IDC_TL_START_DATE, K::Date, nullptr, nullptr, 0, 0, "Start"},
                              {IDC_TL_START_TIME, K::Time, nullptr, nullptr, 0, 0, "Start"},
                              {IDC_TL_END_FRAMES, K::Radio, "Number of frames:", nullptr, 0, 0, "End"},
                              {IDC_TL_FRAMES, K::Number, nullptr, nullptr, 0, 0, "End"},
                              {IDC_TL_END_AT, K::Radio, "Set end date and time", nullptr, 0, 0, "End"},
                              {IDC_TL_END_DATE, K::Date, nullptr, nullptr, 0, 0, "End"},
                              {IDC_TL_END_TIME, K::Time, nullptr, nullptr, 0, 0, "End"},
                              {0, K::Label, "Interval between frames (secs):"},
                              {IDC_TL_INTERVAL, K::Number, nullptr},
                              {0, K::Label, "Status:"},
                              {IDC_TL_STATUS, K::ReadOnly, nullptr},
                              {IDC_TL_CLOCK, K::Label, "00:00:00"},
                              {IDC_TL_START_STOP, K::DefButton, "Start"},
                              {IDCANCEL, K::Button, "Cancel"}}});
}

}  // namespace

LONGLONG (*CTimeLapseDlg::s_pfnNow)() = SystemNow;

CTimeLapseDlg::CTimeLapseDlg(CWnd* view, std::function<void()> takePicture)
    : CDialog(IDD_TIME_LAPSE, view), m_takePicture(std::move(takePicture)) {
  RegisterTimeLapseTemplate();
}

BOOL CTimeLapseDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  SetDlgItemInt(IDC_TL_FRAMES, static_cast<UINT>(m_nNumFrames), FALSE);
  SetDlgItemInt(IDC_TL_INTERVAL, static_cast<UINT>(m_nInterval), FALSE);
  UpdateState();
  // The clock line ticks with the whole seconds.
  if (s_pfnNow == SystemNow) {
    LONGLONG start = s_pfnNow();
    for (int waited = 0; s_pfnNow() == start && waited < 1100; waited += 50) Sleep(50);
  }
  SetTimer(kTimer, 500, nullptr);
  return TRUE;
}

void CTimeLapseDlg::OnDestroy() {
  KillTimer(kTimer);
  CDialog::OnDestroy();
}

int CTimeLapseDlg::Ask(const char* text, UINT type) { return ::MessageBoxA(m_hWnd, text, "Tavorin", type); }

void CTimeLapseDlg::UpdateState() {
  if (!m_hWnd) return;
  CheckDlgButton(IDC_TL_START_NOW, m_bStartImmediately ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(IDC_TL_START_AT, m_bStartImmediately ? BST_UNCHECKED : BST_CHECKED);
  CheckDlgButton(IDC_TL_END_FRAMES, m_bEndAtTime ? BST_UNCHECKED : BST_CHECKED);
  CheckDlgButton(IDC_TL_END_AT, m_bEndAtTime ? BST_CHECKED : BST_UNCHECKED);
  auto enable = [this](int id, bool on) {
    if (CWnd* item = GetDlgItem(id)) item->EnableWindow(on ? TRUE : FALSE);
  };
  bool idle = !m_bRunning;
  enable(IDC_TL_START_DATE, idle && !m_bStartImmediately);
  enable(IDC_TL_START_TIME, idle && !m_bStartImmediately);
  enable(IDC_TL_END_DATE, idle && m_bEndAtTime);
  enable(IDC_TL_END_TIME, idle && m_bEndAtTime);
  enable(IDC_TL_FRAMES, idle && !m_bEndAtTime);
  enable(IDC_TL_INTERVAL, idle);
  for (int id : {IDC_TL_START_NOW, IDC_TL_START_AT, IDC_TL_END_FRAMES, IDC_TL_END_AT}) enable(id, idle);
  SetDlgItemText(IDC_TL_START_STOP, m_bRunning ? "Stop" : "Start");
}

LONGLONG CTimeLapseDlg::PickedTime(int dateId, int timeId) {
  SYSTEMTIME date{}, time{};
  if (SendDlgItemMessage(dateId, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&date)) != GDT_VALID ||
      SendDlgItemMessage(timeId, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&time)) != GDT_VALID)
    return -1;
  std::tm local{};
  local.tm_year = date.wYear - 1900;
  local.tm_mon = date.wMonth - 1;
  local.tm_mday = date.wDay;
  local.tm_hour = time.wHour;
  local.tm_min = time.wMinute;
  local.tm_sec = time.wSecond;
  local.tm_isdst = -1;
  return static_cast<LONGLONG>(std::mktime(&local));
}

void CTimeLapseDlg::OnStartStop() {
  if (m_bRunning) {
    m_bRunning = false;
    m_bStopped = true;
    TimerStep();
    UpdateState();
    return;
  }
  m_bStopped = false;
  m_bShotInProgress = false;  // a shot of an earlier run can no longer hold this one up
  BOOL ok = FALSE;
  int frames = static_cast<int>(GetDlgItemInt(IDC_TL_FRAMES, &ok, FALSE));
  if (!m_bEndAtTime && (!ok || frames < 1 || frames > kMaxFrames)) {
    CString text;
    text.Format("Please enter an integer between %d and %d.", 1, kMaxFrames);
    Ask(text, MB_ICONEXCLAMATION);
    return;
  }
  if (ok) m_nNumFrames = frames;
  int interval = static_cast<int>(GetDlgItemInt(IDC_TL_INTERVAL, &ok, FALSE));
  if (ok) m_nInterval = interval;
  m_nShotsRemaining = 0;
  LONGLONG now = s_pfnNow();
  m_startTime = m_bStartImmediately ? now : PickedTime(IDC_TL_START_DATE, IDC_TL_START_TIME);
  if (m_startTime < now) m_startTime = now;
  if (m_bEndAtTime) {
    m_endTime = PickedTime(IDC_TL_END_DATE, IDC_TL_END_TIME);
    if (m_endTime <= now) {
      Ask("ERROR: end time has already passed", MB_ICONERROR);
      return;
    }
  } else {
    m_nShotsRemaining = m_nNumFrames;
  }
  m_nextShotTime = m_startTime;
  m_bRunning = true;
  m_nShotsTaken = 0;
  UpdateState();
  if (m_startTime <= now) TimerStep();
}

void CTimeLapseDlg::TimerStep() {
  LONGLONG now = s_pfnNow();
  if (m_bRunning) {
    bool goesOn = m_bShotInProgress || (m_bEndAtTime ? now < m_endTime : m_nShotsRemaining > 0);
    if (goesOn) {
      CString text;
      if (m_bShotInProgress) {
        text.Format("Taking photo %d", m_nShotsTaken);
      } else if (m_nextShotTime - now < 1) {
        if (m_nShotsRemaining > 0) --m_nShotsRemaining;
        ++m_nShotsTaken;
        m_nextShotTime += m_nInterval;
        m_bShotInProgress = true;
        if (m_takePicture) m_takePicture();
        text.Format("Taking photo %d", m_nShotsTaken);
      } else {
        text.Format("%d secs until next shot", static_cast<int>(m_nextShotTime - now));
      }
      CString tail;
      if (m_bEndAtTime) tail.Format(", %d secs to end of sequence", static_cast<int>(m_endTime - now));
      else tail.Format(", %d shots remaining", m_nShotsRemaining);
      text += tail;
      if (now > m_nextShotTime) {
        tail.Format(", running %d secs late", static_cast<int>(now - m_nextShotTime));
        text += tail;
      }
      m_strStatus = text;
    } else {
      m_strStatus.Format("Sequence completed, %d shots taken", m_nShotsTaken);
      m_bRunning = false;
      UpdateState();
    }
    SetDlgItemText(IDC_TL_STATUS, m_strStatus);
  } else if (m_bStopped) {
    m_strStatus.Format("Sequence stopped, %d shots taken", m_nShotsTaken);
    SetDlgItemText(IDC_TL_STATUS, m_strStatus);
  }
  std::time_t clock = static_cast<std::time_t>(now);
  std::tm local{};
  localtime_r(&clock, &local);
  char shown[32];
  std::strftime(shown, sizeof shown, "%H:%M:%S", &local);
  SetDlgItemText(IDC_TL_CLOCK, CString(shown) + (m_bRunning ? " - running" : ""));
}

void CTimeLapseDlg::OnTimer(UINT_PTR id) {
  if (id == kTimer) TimerStep();
  else CDialog::OnTimer(id);
}

void CTimeLapseDlg::OnReleaseError(DWORD code) {
  if (code == 1) {
    if (m_bRunning) {
      int answer = Ask("Unable to release shutter.\nThis may be because the AF was unable to lock.\nDo you wish to try again?",
                       MB_YESNO | MB_ICONQUESTION);
      --m_nShotsTaken;
      if (answer == IDYES) {
        if (!m_bEndAtTime) ++m_nShotsRemaining;
        m_nextShotTime = s_pfnNow() + 1;
      } else {
        m_bShotInProgress = false;
        OnStartStop();
      }
    } else {
      Ask("Unable to release shutter.\nThis may be because the AF was unable to lock", MB_ICONERROR);
    }
  }
  // Whatever the error, no photo of this shot is coming.
  m_bShotInProgress = false;
}

BOOL CTimeLapseDlg::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  switch (message) {
    case WM_CAMERA_EVENT:
      m_bRunning = false;
      m_bShotInProgress = false;
      UpdateState();
      break;
    case WM_RELEASE_ERROR:
      OnReleaseError(static_cast<DWORD>(wParam));
      break;
    case WM_SAVED_FILE:
      m_bShotInProgress = false;  // lParam belongs to the view
      break;
    case WM_HELP: {
      if (m_openHelp) m_openHelp("TimeLapse.htm");
      else TRACE("CTimeLapseDlg - no help opener\n");
      *result = TRUE;
      return TRUE;
    }
    default:
      break;
  }
  return CDialog::OnWndMsg(message, wParam, lParam, result);
}

BOOL CTimeLapseDlg::OnCommand(WPARAM wParam, LPARAM lParam) {
  switch (LOWORD(wParam)) {
    case IDC_TL_START_STOP:
      OnStartStop();
      return TRUE;
    case IDC_TL_START_NOW:
    case IDC_TL_START_AT:
      m_bStartImmediately = LOWORD(wParam) == IDC_TL_START_NOW;
      UpdateState();
      return TRUE;
    case IDC_TL_END_FRAMES:
    case IDC_TL_END_AT:
      m_bEndAtTime = LOWORD(wParam) == IDC_TL_END_AT;
      UpdateState();
      return TRUE;
    default:
      return CDialog::OnCommand(wParam, lParam);
  }
}

void CTimeLapseDlg::OnCancel() {
  if (m_bRunning &&
      Ask("Do you wish to cancel the current time lapse sequence?", MB_YESNO | MB_ICONQUESTION) != IDYES)
    return;
  CDialog::OnCancel();
}

BOOL CTimeLapseDlg::PreTranslateMessage(MSG* msg) {
  if (msg->message == WM_KEYDOWN && msg->wParam == VK_F1) {
    SendMessage(WM_HELP, 0, 0);
    return TRUE;
  }
  return CDialog::PreTranslateMessage(msg);
}
