#include "app/AboutDlg.h"

#include "app/Resource.h"
#include "platform/win32/process.h"

const char kMakerWebSite[] = "https://www.morvanesystems.com/";

CAboutDlg::CAboutDlg() : CDialog(IDD_ABOUTBOX) {
  using K = DlgItemKind;
  AfxRegisterDialogTemplate({IDD_ABOUTBOX,
                             "About Tavorin",
                             {{IDC_ABOUT_VERSION, K::Label, "Tavorin Version 3.3"},
                              {IDC_ABOUT_LINK, K::Button, kMakerWebSite},
                              {IDOK, K::DefButton, "OK"}}});
}

BOOL CAboutDlg::OnCommand(WPARAM wParam, LPARAM lParam) {
  if (LOWORD(wParam) == IDC_ABOUT_LINK) {
    StartProcess({"xdg-open", kMakerWebSite});
    return TRUE;
  }
  return CDialog::OnCommand(wParam, lParam);
}
