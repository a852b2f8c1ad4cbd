#include "config/EditorSetupDlg.h"

#include "platform/mfc/ddx.h"
#include "platform/mfc/filedialog.h"
#include "platform/user/controls.h"

CEditorSetupDlg::CEditorSetupDlg(CWnd* parent) : CDialog(IDD_EDITOR_SETUP, parent) {
  using K = DlgItemKind;
  AfxRegisterDialogTemplate(
      {IDD_EDITOR_SETUP,
       "Editor Setup",
       {{IDC_EDITOR_SHELL, K::Radio, "Use the Windows Explorer 'Open' command", "ShellExecute"},
        {IDC_EDITOR_COMMAND_LINE, K::Radio, "Use the command line below:"},
        {IDC_EDITOR_COMMAND, K::Edit, nullptr, "LaunchEditorCmd"},
        {IDC_EDITOR_BROWSE, K::Button, "..."},
        {IDC_EDITOR_AUTO_EDIT, K::Check, "Automatically edit the image when a photo is taken", "AutoEdit"},
        {IDOK, K::DefButton, "OK"},
        {IDCANCEL, K::Button, "Cancel"}}});
}

void CEditorSetupDlg::DoDataExchange(CDataExchange* dx) {
  DDX_Radio(dx, IDC_EDITOR_SHELL, m_nChoice);
  DDX_Text(dx, IDC_EDITOR_COMMAND, m_strCommand);
  DDX_Check(dx, IDC_EDITOR_AUTO_EDIT, m_nAutoEdit);
  if (dx->m_bSaveAndValidate) m_nShellExecute = m_nChoice == 0 ? 1 : 0;
}

BOOL CEditorSetupDlg::OnInitDialog() {
  m_nChoice = m_nShellExecute ? 0 : 1;
  CDialog::OnInitDialog();
  UpdateEnabling();
  return TRUE;
}

void CEditorSetupDlg::UpdateEnabling() {
  if (CWnd* command = GetDlgItem(IDC_EDITOR_COMMAND))
    command->EnableWindow(IsDlgButtonChecked(IDC_EDITOR_COMMAND_LINE) == BST_CHECKED);
}

void CEditorSetupDlg::OnBrowse() {
  // "*.exe" lists the executable files here.
  CFileDialog chooser(TRUE, nullptr, nullptr, OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY,
                      "Executables (*.exe)|*.exe|All Files (*.*)|*.*||", this);
  if (chooser.DoModal() != IDOK) return;
  // Quoted when it has a blank, so the command line still names the whole program.
  CString path = chooser.GetPathName();
  if (path.Find(' ') >= 0) path = "\"" + path + "\"";
  SetDlgItemText(IDC_EDITOR_COMMAND, path);
}

BOOL CEditorSetupDlg::OnCommand(WPARAM wParam, LPARAM lParam) {
  const int id = LOWORD(wParam);
  if (HIWORD(wParam) == BN_CLICKED) {
    if (id == IDC_EDITOR_SHELL || id == IDC_EDITOR_COMMAND_LINE) {
      UpdateEnabling();
      return TRUE;
    }
    if (id == IDC_EDITOR_BROWSE) {
      OnBrowse();
      return TRUE;
    }
  }
  return CDialog::OnCommand(wParam, lParam);
}
