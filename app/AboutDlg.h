// CAboutDlg: the About box; its link opens the maker's web site in the default browser.
#pragma once

#include "platform/mfc/afxwin.h"

class CAboutDlg : public CDialog {
 public:
  CAboutDlg();

 protected:
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
};

/// The maker's web site the About box links to.
extern const char kMakerWebSite[];
