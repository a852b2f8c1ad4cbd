// CSharingPrinterSettingsDlg: the limit on prints made from the sharing screen and its message.
#pragma once

#include "platform/mfc/dialog.h"

#define IDD_SHARING_PRINTER_SETTINGS 257
#define IDC_SHARE_PRINT_LIMIT 1390
#define IDC_SHARE_PRINT_LIMIT_MSG 1391

class CSharingPrinterSettingsDlg : public CDialog {
 public:
  explicit CSharingPrinterSettingsDlg(CWnd* parent = nullptr);

  int m_nPrintOptionInSharingScreenLimit = 0;
  CString m_strPrintOptionInSharingScreenLimitMsg;

 protected:
  void DoDataExchange(CDataExchange* dx) override;
};
