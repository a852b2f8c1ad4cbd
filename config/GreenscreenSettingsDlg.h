// CGreenscreenSettingsDlg: the chroma-key values (threshold, two colour levels, background,
// key colour, keying shown) tuned over the booth window. Four times a second the current values
// go to the parent as 2041-2044, so each change shows on the live picture before OK.
//
// The opener fills the members, runs it modally and reads them back on IDOK. Only values are
// posted, never a pointer into the dialog: a message may be handled after the dialog is gone.
#pragma once

#include "platform/mfc/afxwin.h"

#define IDD_GREENSCREEN_SETTINGS 248
#define IDC_GREENSCREEN_THRESHOLD 1213
#define IDC_GREENSCREEN_RED 1214
#define IDC_GREENSCREEN_THIRD 1215
#define IDC_GREENSCREEN_THRESHOLD_LABEL 1219
#define IDC_GREENSCREEN_RED_LABEL 1220
#define IDC_GREENSCREEN_THIRD_LABEL 1221
#define IDC_GREENSCREEN_BACKGROUND 1222
#define IDC_GREENSCREEN_BROWSE 1223
#define IDC_GREENSCREEN_ENABLE 1224
#define IDC_GREENSCREEN_SAVE_COPY 1225
#define IDC_GREENSCREEN_BLUE_MODE 1140
#define TIMER_GREENSCREEN_VALUES 1
#define WM_GREENSCREEN_THRESHOLD 2041
#define WM_GREENSCREEN_RED 2042
#define WM_GREENSCREEN_THIRD 2043
#define WM_GREENSCREEN_FLAGS 2044

class CGreenscreenSettingsDlg : public CDialog {
 public:
  /// mode non-zero: opened over the running booth (the background cannot be changed there).
  CGreenscreenSettingsDlg(CWnd* parent, int mode);

  /// "Greenscreen Settings (green screen mode)" or "... (blue screen mode)".
  static CString TitleFor(bool blueScreen);

  int m_nThreshold = 70;
  int m_nRedLevel = 230;
  int m_nThirdLevel = 179;
  CString m_strBackground;
  int m_bEnable = FALSE;
  int m_bSaveCopy = FALSE;
  int m_bBlueScreen = FALSE;
  const int m_nMode;

 protected:
  BOOL OnInitDialog() override;
  void DoDataExchange(CDataExchange* dx) override;
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
  void OnTimer(UINT_PTR id) override;
  void OnOK() override;
  void OnCancel() override;

 private:
  /// Reads the controls, labels the sliders and posts the four values to the parent.
  void SendValues();
  void OnBrowse();
  /// Reads the controls into the members without the range checks of OK.
  void ReadControls();
};
