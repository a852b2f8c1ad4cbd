#include "config/PBShortcutBtnSetupDlg.h"

#include "platform/mfc/ddx.h"

CPBShortcutBtnSetupDlg::CPBShortcutBtnSetupDlg(CWnd* parent) : CDialog(IDD_PB_SHORTCUT_BUTTONS, parent) {
  using K = DlgItemKind;
  DlgTemplate dialog{IDD_PB_SHORTCUT_BUTTONS, "Photobooth Shortcut Button Settings", {}};
  // The captions are the buttons' own, set when the dialog opens.
  for (int i = 0; i < kButtons; ++i) dialog.items.push_back({IDC_PBSB_FIRST + i, K::Check, "", nullptr, 0, 0, "Show"});
  dialog.items.push_back({IDOK, K::DefButton, "OK"});
  dialog.items.push_back({IDCANCEL, K::Button, "Cancel"});
  AfxRegisterDialogTemplate(dialog);
}

CString CPBShortcutBtnSetupDlg::CleanCaption(const char* text) {
  CString caption(text ? text : "");
  caption.Remove('\r');
  caption.Replace('\n', ' ');
  while (caption.Replace("  ", " ") > 0) {
  }
  caption.Trim();
  return caption;
}

BOOL CPBShortcutBtnSetupDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  for (int i = 0; i < kButtons; ++i) SetDlgItemText(IDC_PBSB_FIRST + i, m_strCaption[i]);
  return TRUE;
}

void CPBShortcutBtnSetupDlg::DoDataExchange(CDataExchange* dx) {
  for (int i = 0; i < kButtons; ++i) DDX_Check(dx, IDC_PBSB_FIRST + i, m_bShown[i]);
}
