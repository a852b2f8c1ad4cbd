#include "config/AddTouchscreenActionDlg.h"

#include "platform/user/controls.h"

CAddTouchscreenActionDlg::CAddTouchscreenActionDlg(CWnd* parent) : CDialog(IDD_ADD_TOUCHSCREEN_ACTION, parent) {
  static bool registered = false;
  if (registered) return;
  registered = true;
  using K = DlgItemKind;
  AfxRegisterDialogTemplate({IDD_ADD_TOUCHSCREEN_ACTION,
                             "Add Touchscreen Action",
                             {{IDC_ADD_TS_PROMPT, K::Label, "Please choose the touchscreen action to add from the list below:"},
                              {IDC_ADD_TS_ACTION, K::Combo, nullptr},
                              {IDOK, K::DefButton, "OK"},
                              {IDCANCEL, K::Button, "Cancel"}}});
}

BOOL CAddTouchscreenActionDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  for (INT_PTR i = 0; i < m_labels.GetSize(); ++i)
    SendDlgItemMessage(IDC_ADD_TS_ACTION, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(m_labels[i].GetString()));
  SendDlgItemMessage(IDC_ADD_TS_ACTION, CB_SETCURSEL, 0);
  return TRUE;
}

void CAddTouchscreenActionDlg::OnOK() {
  GetDlgItemText(IDC_ADD_TS_ACTION, m_strAction);
  EndDialog(IDOK);
}
