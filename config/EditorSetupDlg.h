// CEditorSetupDlg: which program opens a photo for editing, and whether every new photo is opened.
#pragma once

#include "platform/mfc/dialog.h"

#define IDD_EDITOR_SETUP 152
#define IDC_EDITOR_BROWSE 1003
#define IDC_EDITOR_SHELL 1049
#define IDC_EDITOR_COMMAND_LINE 1050
#define IDC_EDITOR_AUTO_EDIT 1051
#define IDC_EDITOR_COMMAND 1052

class CEditorSetupDlg : public CDialog {
 public:
  explicit CEditorSetupDlg(CWnd* parent = nullptr);

  CString m_strCommand;
  int m_nAutoEdit = 0;
  int m_nShellExecute = 1;  // 1: the desktop's opener, 0: the command line

 protected:
  BOOL OnInitDialog() override;
  void DoDataExchange(CDataExchange* dx) override;
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

 private:
  void UpdateEnabling();
  void OnBrowse();
  int m_nChoice = 0;  // index of the checked radio button
};
