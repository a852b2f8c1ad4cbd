#include "config/GreenscreenSettingsDlg.h"

#include "platform/mfc/ddx.h"
#include "platform/mfc/filedialog.h"
#include "platform/user/controls.h"

namespace {

void RegisterTemplate() {
  using K = DlgItemKind;
  AfxRegisterDialogTemplate({IDD_GREENSCREEN_SETTINGS,
                             "Greenscreen Settings (green screen mode)",
                             {{IDC_GREENSCREEN_THRESHOLD_LABEL, K::Label, "Green threshold: 0"},
                              {IDC_GREENSCREEN_THRESHOLD, K::Slider, nullptr, "GreenScreenGreenThreshold", 0, 255},
                              {IDC_GREENSCREEN_RED_LABEL, K::Label, "Red level: 0"},
                              {IDC_GREENSCREEN_RED, K::Slider, nullptr, "GreenScreenRedPercentage", 0, 255},
                              {IDC_GREENSCREEN_THIRD_LABEL, K::Label, "Blue level: 0"},
                              {IDC_GREENSCREEN_THIRD, K::Slider, nullptr, "GreenScreenBluePercentage", 0, 255},
                              {IDC_GREENSCREEN_BACKGROUND, K::Edit, "Background image:"},
                              {IDC_GREENSCREEN_BROWSE, K::Button, "..."},
                              {IDC_GREENSCREEN_ENABLE, K::Check, "Enable greenscreen display", "GreenScreenEnable"},
                              {IDC_GREENSCREEN_SAVE_COPY, K::Check,
                               "Save copy of greenscreened photos in photo booth mode",
                               "PhotoboothSaveGreenscreenedImage"},
                              {IDC_GREENSCREEN_BLUE_MODE, K::Check, "Blue screen mode", "BlueScreen"},
                              {IDOK, K::DefButton, "OK"},
                              {IDCANCEL, K::Button, "Cancel"}}});
}

}  // namespace

CGreenscreenSettingsDlg::CGreenscreenSettingsDlg(CWnd* parent, int mode)
    : CDialog(IDD_GREENSCREEN_SETTINGS, parent), m_nMode(mode) {
  RegisterTemplate();
}

CString CGreenscreenSettingsDlg::TitleFor(bool blueScreen) {
  return blueScreen ? "Greenscreen Settings (blue screen mode)" : "Greenscreen Settings (green screen mode)";
}

void CGreenscreenSettingsDlg::DoDataExchange(CDataExchange* dx) {
  DDX_Slider(dx, IDC_GREENSCREEN_THRESHOLD, m_nThreshold);
  DDX_Slider(dx, IDC_GREENSCREEN_RED, m_nRedLevel);
  DDX_Slider(dx, IDC_GREENSCREEN_THIRD, m_nThirdLevel);
  DDX_Text(dx, IDC_GREENSCREEN_BACKGROUND, m_strBackground);
  DDX_Check(dx, IDC_GREENSCREEN_ENABLE, m_bEnable);
  DDX_Check(dx, IDC_GREENSCREEN_SAVE_COPY, m_bSaveCopy);
  DDX_Check(dx, IDC_GREENSCREEN_BLUE_MODE, m_bBlueScreen);
}

BOOL CGreenscreenSettingsDlg::OnInitDialog() {
  for (int id : {IDC_GREENSCREEN_THRESHOLD, IDC_GREENSCREEN_RED, IDC_GREENSCREEN_THIRD})
    SendDlgItemMessage(id, TBM_SETRANGE, FALSE, MAKELPARAM(0, 255));
  CDialog::OnInitDialog();
  if (m_nMode) {
    if (CWnd* browse = GetDlgItem(IDC_GREENSCREEN_BROWSE)) browse->ShowWindow(SW_HIDE);
    SendDlgItemMessage(IDC_GREENSCREEN_BACKGROUND, EM_SETREADONLY, TRUE, 0);
  } else if (CWnd* saveCopy = GetDlgItem(IDC_GREENSCREEN_SAVE_COPY)) {
    saveCopy->ShowWindow(SW_HIDE);
  }
  SetWindowText(TitleFor(m_bBlueScreen != FALSE));
  SendValues();
  SetTimer(TIMER_GREENSCREEN_VALUES, 250);
  return TRUE;
}

void CGreenscreenSettingsDlg::ReadControls() {
  m_nThreshold = static_cast<int>(SendDlgItemMessage(IDC_GREENSCREEN_THRESHOLD, TBM_GETPOS));
  m_nRedLevel = static_cast<int>(SendDlgItemMessage(IDC_GREENSCREEN_RED, TBM_GETPOS));
  m_nThirdLevel = static_cast<int>(SendDlgItemMessage(IDC_GREENSCREEN_THIRD, TBM_GETPOS));
  GetDlgItemText(IDC_GREENSCREEN_BACKGROUND, m_strBackground);
  m_bEnable = IsDlgButtonChecked(IDC_GREENSCREEN_ENABLE) == BST_CHECKED;
  m_bSaveCopy = IsDlgButtonChecked(IDC_GREENSCREEN_SAVE_COPY) == BST_CHECKED;
  m_bBlueScreen = IsDlgButtonChecked(IDC_GREENSCREEN_BLUE_MODE) == BST_CHECKED;
}

void CGreenscreenSettingsDlg::SendValues() {
  ReadControls();
  CString text;
  text.Format(m_bBlueScreen ? "Blue threshold: %d" : "Green threshold: %d", m_nThreshold);
  SetDlgItemText(IDC_GREENSCREEN_THRESHOLD_LABEL, text);
  text.Format("Red level: %d", m_nRedLevel);
  SetDlgItemText(IDC_GREENSCREEN_RED_LABEL, text);
  text.Format(m_bBlueScreen ? "Green level: %d" : "Blue level: %d", m_nThirdLevel);
  SetDlgItemText(IDC_GREENSCREEN_THIRD_LABEL, text);
  HWND parent = m_pParentWnd ? m_pParentWnd->m_hWnd : nullptr;
  if (!parent) return;
  ::PostMessageA(parent, WM_GREENSCREEN_THRESHOLD, static_cast<WPARAM>(m_nThreshold), 0);
  ::PostMessageA(parent, WM_GREENSCREEN_RED, static_cast<WPARAM>(m_nRedLevel), 0);
  ::PostMessageA(parent, WM_GREENSCREEN_THIRD, static_cast<WPARAM>(m_nThirdLevel), 0);
  ::PostMessageA(parent, WM_GREENSCREEN_FLAGS, m_bEnable ? 1 : 0, m_bBlueScreen ? 1 : 0);
}

void CGreenscreenSettingsDlg::OnTimer(UINT_PTR id) {
  if (id == TIMER_GREENSCREEN_VALUES) {
    SendValues();
    return;
  }
  CDialog::OnTimer(id);
}

BOOL CGreenscreenSettingsDlg::OnCommand(WPARAM wParam, LPARAM lParam) {
  switch (LOWORD(wParam)) {
    case IDC_GREENSCREEN_BLUE_MODE:
      if (HIWORD(wParam) == BN_CLICKED) {
        ReadControls();
        SetWindowText(TitleFor(m_bBlueScreen != FALSE));
      }
      return TRUE;
    case IDC_GREENSCREEN_BROWSE:
      if (HIWORD(wParam) == BN_CLICKED && !m_nMode) OnBrowse();
      return TRUE;
    default:
      return CDialog::OnCommand(wParam, lParam);
  }
}

void CGreenscreenSettingsDlg::OnBrowse() {
  ReadControls();
  CFileDialog chooser(TRUE, nullptr, nullptr, OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY,
                      "JPEG images (*.jpg)|*.jpg||", this);
  CString folder = m_strBackground.Left(m_strBackground.ReverseFind('/') + 1);
  chooser.m_ofn.lpstrInitialDir = folder;
  chooser.m_ofn.lpstrTitle = "Select green screen background image";
  if (chooser.DoModal() != IDOK) return;
  m_strBackground = chooser.GetPathName();
  SetDlgItemText(IDC_GREENSCREEN_BACKGROUND, m_strBackground);
}

void CGreenscreenSettingsDlg::OnOK() {
  // No tick may come after the dialog has given its result.
  if (!UpdateData(TRUE)) return;
  KillTimer(TIMER_GREENSCREEN_VALUES);
  EndDialog(IDOK);
}

void CGreenscreenSettingsDlg::OnCancel() {
  KillTimer(TIMER_GREENSCREEN_VALUES);
  CDialog::OnCancel();
}
