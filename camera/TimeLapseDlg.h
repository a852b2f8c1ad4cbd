// CTimeLapseDlg: takes a picture every N seconds, from now or a chosen time, for a number of
// frames or until a chosen time, with a live status line. The view passes it the camera
// messages of each shot.
#pragma once

#include <functional>

#include "platform/mfc/afxwin.h"

#define IDD_TIME_LAPSE 155
#define IDC_TL_START_NOW 1054
#define IDC_TL_START_AT 1055
#define IDC_TL_END_FRAMES 1056
#define IDC_TL_END_AT 1057
#define IDC_TL_START_DATE 1058
#define IDC_TL_END_DATE 1060
#define IDC_TL_START_TIME 1061
#define IDC_TL_END_TIME 1062
#define IDC_TL_INTERVAL 1063
#define IDC_TL_STATUS 1064
#define IDC_TL_CLOCK 1065
#define IDC_TL_FRAMES 1082
#define IDC_TL_START_STOP 1003

class CTimeLapseDlg : public CDialog {
 public:
  /// `takePicture` is the view's release command.
  CTimeLapseDlg(CWnd* view, std::function<void()> takePicture);

  /// Seconds since 1970 now; tests replace it.
  static LONGLONG (*s_pfnNow)();

  void OnStartStop();
  /// One tick of the 500 ms timer.
  void TimerStep();
  /// F1 asks for the help page.
  BOOL PreTranslateMessage(MSG* msg) override;

  int m_nNumFrames = 10;
  int m_nInterval = 30;
  BOOL m_bStartImmediately = TRUE;
  BOOL m_bEndAtTime = FALSE;
  bool m_bRunning = false;
  bool m_bStopped = false;
  bool m_bShotInProgress = false;
  LONGLONG m_startTime = 0;
  LONGLONG m_endTime = 0;
  LONGLONG m_nextShotTime = 0;
  int m_nShotsRemaining = 0;
  int m_nShotsTaken = 0;
  CString m_strStatus;
  /// Opens a page of the program's help (F1).
  std::function<void(const char* topic)> m_openHelp;

 protected:
  BOOL OnInitDialog() override;
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
  BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
  void OnTimer(UINT_PTR id) override;
  void OnCancel() override;
  void OnOK() override {}
  void OnDestroy() override;

 private:
  void UpdateState();
  /// The picker pair's local date and time in seconds since 1970; -1 when unreadable.
  LONGLONG PickedTime(int dateId, int timeId);
  void OnReleaseError(DWORD code);
  int Ask(const char* text, UINT type);

  std::function<void()> m_takePicture;
};
