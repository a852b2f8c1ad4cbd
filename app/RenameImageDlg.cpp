#include "app/RenameImageDlg.h"

#include "platform/user/messagebox.h"
#include "platform/win32/files.h"

namespace {

const char kForbidden[] = "\\/:*?\"<>|";

// The extension of a file name, with its dot; "" when it has none.
CString ExtensionOf(const CString& name) {
  int dot = name.ReverseFind('.');
  return dot < 0 ? CString() : name.Mid(dot);
}

}  // namespace

CRenameImageDlg::CRenameImageDlg(const CString& path, CWnd* parent) : CDialog(IDD_RENAME_IMAGE, parent), m_strPath(path) {
  using K = DlgItemKind;
  AfxRegisterDialogTemplate({IDD_RENAME_IMAGE,
                             "Rename Image",
                             {{IDC_RENAME_PROMPT, K::Label, "Rename to:"},
                              {IDC_RENAME_NAME, K::Edit, ""},
                              {IDOK, K::DefButton, "OK"},
                              {IDCANCEL, K::Button, "Cancel"}}});
  int slash = path.ReverseFind('/');
  m_strFolder = path.Left(slash + 1);
  CString name = path.Mid(slash + 1);
  m_strExtension = ExtensionOf(name);
  m_strBaseName = name.Left(name.GetLength() - m_strExtension.GetLength());
}

BOOL CRenameImageDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  CString name = m_strBaseName + m_strExtension;
  SetDlgItemText(IDC_RENAME_NAME, name);
  CString prompt;
  prompt.Format("Rename '%s' to:", name.GetString());
  SetDlgItemText(IDC_RENAME_PROMPT, prompt);
  return TRUE;
}

CString CRenameImageDlg::CheckNewName(const CString& edited, CString& error) const {
  CString name = edited;
  if (ExtensionOf(name).IsEmpty()) name += m_strExtension;
  if (name.FindOneOf(kForbidden) >= 0) {
    error = CString("Filename must not contain any of the following characters:\n") + kForbidden;
    return CString();
  }
  if (ExtensionOf(name).CompareNoCase(m_strExtension) != 0) {
    error = "The file extension must not be changed";
    return CString();
  }
  CString path = m_strFolder + name;
  if (PathFileExistsA(path)) {
    error = "Cannot rename file. A file of the same name already exists";
    return CString();
  }
  return path;
}

void CRenameImageDlg::OnOK() {
  CString edited;
  GetDlgItemText(IDC_RENAME_NAME, edited);
  CString error;
  CString path = CheckNewName(edited, error);
  if (path.IsEmpty()) {
    ::MessageBoxA(m_hWnd, error, "Tavorin", MB_ICONERROR);
    return;
  }
  m_strNewPath = path;
  CDialog::OnOK();
}
