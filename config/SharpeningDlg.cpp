#include "config/SharpeningDlg.h"

#include "platform/mfc/ddx.h"

CSharpeningDlg::CSharpeningDlg(CWnd* parent) : CDialog(IDD_SHARPENING, parent) {
  using K = DlgItemKind;
  AfxRegisterDialogTemplate({IDD_SHARPENING,
                             "HQ Sharpening Amount",
                             {{IDC_SHARPEN_AMOUNT, K::Number, "Sharpening amount (0 to 95):\n(default setting is 75)",
                               "SharpenAmount"},
                              {IDC_SHARPEN_ENABLE, K::Check, "Enable sharpening", "Sharpen"},
                              {IDOK, K::DefButton, "OK"},
                              {IDCANCEL, K::Button, "Cancel"}}});
}

void CSharpeningDlg::DoDataExchange(CDataExchange* dx) {
  DDX_Text(dx, IDC_SHARPEN_AMOUNT, m_nAmount);
  DDV_MinMaxInt(dx, m_nAmount, 0, 95);
  DDX_Check(dx, IDC_SHARPEN_ENABLE, m_bSharpen);
}
