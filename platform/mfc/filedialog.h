// CFileDialog: open and save dialogs with MFC's filter strings ("Name (*.x)|*.x||").
#pragma once

#include <vector>

#include "platform/mfc/collections.h"
#include "platform/mfc/wnd.h"

#define OFN_READONLY 0x00000001u
#define OFN_OVERWRITEPROMPT 0x00000002u
#define OFN_HIDEREADONLY 0x00000004u
#define OFN_NOCHANGEDIR 0x00000008u
#define OFN_ALLOWMULTISELECT 0x00000200u
#define OFN_PATHMUSTEXIST 0x00000800u
#define OFN_FILEMUSTEXIST 0x00001000u
#define OFN_EXPLORER 0x00080000u
#define OFN_ENABLESIZING 0x00800000u

struct OPENFILENAMEA {
  HWND hwndOwner = nullptr;
  LPCSTR lpstrFilter = nullptr;
  LPCSTR lpstrInitialDir = nullptr;
  LPCSTR lpstrTitle = nullptr;
  DWORD Flags = 0;
  LPCSTR lpstrDefExt = nullptr;
  DWORD nFilterIndex = 1;  // 1-based: the filter chosen when the dialog closed
};
typedef OPENFILENAMEA OPENFILENAME;

class CFileDialog {
 public:
  CFileDialog(BOOL openFileDialog, LPCSTR defaultExt = nullptr, LPCSTR fileName = nullptr,
              DWORD flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, LPCSTR filter = nullptr, CWnd* parent = nullptr);
  virtual ~CFileDialog() = default;

  /// IDOK with the chosen path(s), or IDCANCEL. From a worker it runs on the UI thread.
  virtual INT_PTR DoModal();
  CString GetPathName() const;
  CString GetFileName() const;
  CString GetFileExt() const;
  CString GetFileTitle() const;
  CString GetFolderPath() const;
  /// Multi-select: walks the chosen paths.
  POSITION GetStartPosition() const;
  CString GetNextPathName(POSITION& pos) const;

  OPENFILENAME m_ofn;

 private:
  BOOL m_bOpenFileDialog;
  CString m_filter, m_defaultExt, m_fileName, m_title, m_initialDir;
  std::vector<CString> m_paths;
};
