// CSharpeningDlg: the amount of the high-quality sharpening of the displayed photo.
#pragma once

#include "platform/mfc/dialog.h"

#define IDD_SHARPENING 196
#define IDC_SHARPEN_AMOUNT 1089
#define IDC_SHARPEN_ENABLE 1090

class CSharpeningDlg : public CDialog {
 public:
  explicit CSharpeningDlg(CWnd* parent = nullptr);

  int m_nAmount = 75;
  BOOL m_bSharpen = FALSE;

 protected:
  void DoDataExchange(CDataExchange* dx) override;
};
