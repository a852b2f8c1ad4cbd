// CAddTouchscreenActionDlg: picks the action of a new touchscreen area from the labels the
// opener lists; after IDOK m_strAction holds the chosen label.
#pragma once

#include "platform/mfc/collections.h"
#include "platform/mfc/dialog.h"

#define IDD_ADD_TOUCHSCREEN_ACTION 253
#define IDC_ADD_TS_ACTION 1388
#define IDC_ADD_TS_PROMPT 2398

class CAddTouchscreenActionDlg : public CDialog {
 public:
  explicit CAddTouchscreenActionDlg(CWnd* parent = nullptr);

  CStringArray m_labels;  // in, shown in this order
  CString m_strAction;    // out

 protected:
  BOOL OnInitDialog() override;
  void OnOK() override;
};
