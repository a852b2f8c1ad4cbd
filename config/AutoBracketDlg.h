// CAutoBracketDlg: how many shots an auto-bracket series takes, how far apart, what changes in
// manual exposure, and the command run after the series.
#pragma once

#include "platform/mfc/dialog.h"

#define IDD_AUTO_BRACKET 190
#define IDC_BRACKET_INTERVAL 1140
#define IDC_BRACKET_SHOTS 1141
#define IDC_BRACKET_USE_TV 1142
#define IDC_BRACKET_USE_AV 1143
#define IDC_BRACKET_CMD_ENABLE 1152
#define IDC_BRACKET_CMD 1153

class CAutoBracketDlg : public CDialog {
 public:
  explicit CAutoBracketDlg(CWnd* parent = nullptr);

  int m_nNumShots = 3;  // 3, 5, ... 15
  int m_nInterval = 3;  // thirds of a stop, 1-6
  BOOL m_bUsingTv = TRUE;
  int m_nCmdEnable = 0;
  CString m_strCmd;

 protected:
  BOOL OnInitDialog() override;
  void DoDataExchange(CDataExchange* dx) override;
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

 private:
  void UpdateEnabling();
  int m_nShotsIndex = 0;
  int m_nIntervalIndex = 0;
  int m_nSettingIndex = 0;  // 0 shutter speed, 1 aperture
};
