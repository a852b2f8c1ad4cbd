// CMotionDlg: the notice shown when the motion-detection program is not installed. It has no
// fields; "View Help Pages" ends it with IDOK (the view then opens the help page).
#pragma once

#include "platform/mfc/dialog.h"

#define IDD_MOTION 193

class CMotionDlg : public CDialog {
 public:
  explicit CMotionDlg(CWnd* parent = nullptr);
};
