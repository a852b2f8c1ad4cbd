// CPBShortcutBtnSetupDlg ("Photobooth Shortcut Button Settings"): which of the main window's
// seven photobooth shortcut buttons are shown. The opener sets the seven flags and the buttons'
// captions (one line each), and copies the flags back after IDOK.
#pragma once

#include "platform/mfc/dialog.h"

#define IDD_PB_SHORTCUT_BUTTONS 246
#define IDC_PBSB_FIRST 1034  // check boxes 1034-1040 in table order

class CPBShortcutBtnSetupDlg : public CDialog {
 public:
  static const int kButtons = 7;

  explicit CPBShortcutBtnSetupDlg(CWnd* parent = nullptr);

  /// A button's window text as one line: no CR, line feeds and double blanks become one blank.
  static CString CleanCaption(const char* text);

  BOOL m_bShown[kButtons] = {};
  CString m_strCaption[kButtons];

 protected:
  BOOL OnInitDialog() override;
  void DoDataExchange(CDataExchange* dx) override;
};
