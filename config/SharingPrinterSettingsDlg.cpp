#include "config/SharingPrinterSettingsDlg.h"

#include "platform/mfc/ddx.h"

namespace {

void RegisterTemplate() {
  using K = DlgItemKind;
  AfxRegisterDialogTemplate({IDD_SHARING_PRINTER_SETTINGS,
                             "Printing in Sharing Screen Settings",
                             {{IDC_SHARE_PRINT_LIMIT, K::Edit, "Number of prints allowed (0=no limit):",
                               "printOptionInSharingScreenLimit"},
                              {IDC_SHARE_PRINT_LIMIT_MSG, K::MultiLine, "Message to display when print limit reached:",
                               "printOptionInSharingScreenLimitMsg"},
                              {IDOK, K::DefButton, "OK"},
                              {IDCANCEL, K::Button, "Cancel"}}});
}

}  // namespace

CSharingPrinterSettingsDlg::CSharingPrinterSettingsDlg(CWnd* parent) : CDialog(IDD_SHARING_PRINTER_SETTINGS, parent) {
  RegisterTemplate();
}

void CSharingPrinterSettingsDlg::DoDataExchange(CDataExchange* dx) {
  DDX_Text(dx, IDC_SHARE_PRINT_LIMIT, m_nPrintOptionInSharingScreenLimit);
  DDV_MinMaxInt(dx, m_nPrintOptionInSharingScreenLimit, 0, 1000);
  DDX_Text(dx, IDC_SHARE_PRINT_LIMIT_MSG, m_strPrintOptionInSharingScreenLimitMsg);
}
