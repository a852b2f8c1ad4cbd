// CRenameImageDlg: asks for a photo's new name in its own folder, keeping its extension.
#pragma once

#include "platform/mfc/afxwin.h"

#define IDD_RENAME_IMAGE 198
#define IDC_RENAME_PROMPT 1091
#define IDC_RENAME_NAME 1092

class CRenameImageDlg : public CDialog {
 public:
  /// `path` is the photo's full path; after OK, m_strNewPath holds the new full path.
  explicit CRenameImageDlg(const CString& path, CWnd* parent = nullptr);

  /// The new full path for `name`, or "" with `error` set when the name is refused.
  CString CheckNewName(const CString& name, CString& error) const;

  CString m_strPath;
  CString m_strNewPath;

 protected:
  BOOL OnInitDialog() override;
  void OnOK() override;

 private:
  CString m_strFolder;  // with its trailing separator
  CString m_strBaseName;
  CString m_strExtension;  // with its dot; "" when the name has none
};
