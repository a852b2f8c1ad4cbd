#include "config/ColorMgtDlg.h"

#include <lcms2.h>

#include "platform/gdi/wingdi.h"
#include "platform/mfc/ddx.h"
#include "platform/mfc/filedialog.h"
#include "platform/user/controls.h"
#include "platform/user/messagebox.h"
#include "platform/win32/codepage.h"
#include "platform/win32/files.h"

namespace {

const char kProfileFilter[] = "Color Profiles (*.icm;*.icc)|*.icm;*.icc|All Files (*.*)|*.*||";

CString FileNameOf(const CString& path) { return path.Mid(path.ReverseFind('/') + 1); }

CString ScreenProfile() {
  char path[MAX_PATH] = {};
  DWORD size = sizeof(path);
  HDC screen = CreateCompatibleDC(nullptr);
  BOOL ok = GetICMProfileA(screen, &size, path);
  if (screen) DeleteDC(screen);
  return ok ? CString(path) : CString();
}

}  // namespace

CColorMgtDlg::CColorMgtDlg(CWnd* parent) : CDialog(IDD_COLOR_MANAGEMENT, parent) {
  using K = DlgItemKind;
  AfxRegisterDialogTemplate(
      {IDD_COLOR_MANAGEMENT,
       "Color Management Settings",
       {{IDC_CMS_MONITOR_LABEL, K::Label, "Monitor Profile:", nullptr, 0, 0, "Display"},
        {IDC_CMS_MONITOR, K::ReadOnly, nullptr, "MonitorProfile", 0, 0, "Display"},
        {IDC_CMS_MONITOR_BROWSE, K::Button, "...", nullptr, 0, 0, "Display"},
        {IDC_CMS_DEFAULT_MONITOR, K::Button, "Use default monitor profile", nullptr, 0, 0, "Display"},
        {IDC_CMS_CAMERA_LABEL, K::Label, "Camera Profile:", nullptr, 0, 0, "Display"},
        {IDC_CMS_CAMERA, K::ReadOnly, nullptr, "CameraProfile", 0, 0, "Display"},
        {IDC_CMS_CAMERA_BROWSE, K::Button, "...", nullptr, 0, 0, "Display"},
        {IDC_CMS_DISPLAY_ENABLE, K::Check, "Enable color management of displayed images", "EnableColourManagement", 0, 0,
         "Display"},
        {IDC_CMS_PRINTER_LABEL, K::Label, "Printer Profile:", nullptr, 0, 0, "Printer"},
        {IDC_CMS_PRINTER, K::ReadOnly, nullptr, "PrinterProfile", 0, 0, "Printer"},
        {IDC_CMS_PRINTER_BROWSE, K::Button, "...", nullptr, 0, 0, "Printer"},
        {IDC_CMS_PRINTER_ENABLE, K::Check, "Enable color management of images printed in photo booth mode",
         "EnablePrinterColourManagement", 0, 0, "Printer"},
        {IDOK, K::DefButton, "OK"},
        {IDCANCEL, K::Button, "Cancel"}}});
}

void CColorMgtDlg::DoDataExchange(CDataExchange* dx) {
  DDX_Check(dx, IDC_CMS_DISPLAY_ENABLE, m_bEnableColourManagement);
  DDX_Check(dx, IDC_CMS_PRINTER_ENABLE, m_bEnablePrinterColourManagement);
}

CString CColorMgtDlg::ProfileDescription(const CString& path) {
  CString description;
  if (cmsHPROFILE profile = cmsOpenProfileFromFile(NativePath(path).c_str(), "r")) {
    char text[256] = {};
    if (cmsGetProfileInfoASCII(profile, cmsInfoDescription, "en", "US", text, sizeof(text)) > 1) description = text;
    cmsCloseProfile(profile);
  }
  description.Trim();
  if (!description.IsEmpty()) return description;
  CString name = FileNameOf(path);
  int dot = name.ReverseFind('.');
  return dot > 0 ? name.Left(dot) : name;
}

BOOL CColorMgtDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  if (m_strMonitorProfile.IsEmpty()) m_strMonitorProfile = ScreenProfile();
  ShowProfiles();
  return TRUE;
}

void CColorMgtDlg::ShowProfile(const CString& path, int editId, int labelId, const char* name) {
  if (!path.IsEmpty() && PathFileExistsA(path)) {
    SetDlgItemText(editId, ProfileDescription(path));
    SetDlgItemText(labelId, CString(name) + " Profile (" + FileNameOf(path) + "):");
  } else {
    SetDlgItemText(editId, "");
    SetDlgItemText(labelId, CString(name) + " Profile:");
  }
}

void CColorMgtDlg::ShowProfiles() {
  ShowProfile(m_strMonitorProfile, IDC_CMS_MONITOR, IDC_CMS_MONITOR_LABEL, "Monitor");
  ShowProfile(m_strCameraProfile, IDC_CMS_CAMERA, IDC_CMS_CAMERA_LABEL, "Camera");
  ShowProfile(m_strPrinterProfile, IDC_CMS_PRINTER, IDC_CMS_PRINTER_LABEL, "Printer");
}

void CColorMgtDlg::ChooseProfile(CString& path, const char* title) {
  char folder[MAX_PATH] = {};
  DWORD size = sizeof(folder);
  if (!GetColorDirectoryA(nullptr, folder, &size)) folder[0] = '\0';
  CFileDialog chooser(TRUE, nullptr, nullptr, OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY, kProfileFilter,
                      this);
  chooser.m_ofn.lpstrInitialDir = folder;
  chooser.m_ofn.lpstrTitle = title;
  if (chooser.DoModal() != IDOK) return;
  path = chooser.GetPathName();
  ShowProfiles();
}

BOOL CColorMgtDlg::OnCommand(WPARAM wParam, LPARAM lParam) {
  if (HIWORD(wParam) == BN_CLICKED) {
    switch (LOWORD(wParam)) {
      case IDC_CMS_MONITOR_BROWSE:
        ChooseProfile(m_strMonitorProfile, "Select Monitor Color Profile");
        return TRUE;
      case IDC_CMS_CAMERA_BROWSE:
        ChooseProfile(m_strCameraProfile, "Select Camera Color Profile");
        return TRUE;
      case IDC_CMS_PRINTER_BROWSE:
        ChooseProfile(m_strPrinterProfile, "Select Printer Color Profile");
        return TRUE;
      case IDC_CMS_DEFAULT_MONITOR:
        m_strMonitorProfile = ScreenProfile();
        ShowProfiles();
        return TRUE;
    }
  }
  return CDialog::OnCommand(wParam, lParam);
}

BOOL CColorMgtDlg::CheckProfile(const CString& path, const char* select, const char* notFound) {
  if (path.IsEmpty()) {
    ::MessageBoxA(m_hWnd, select, "Tavorin", MB_ICONWARNING);
    return FALSE;
  }
  if (!PathFileExistsA(path)) {
    ::MessageBoxA(m_hWnd, CString(notFound) + path, "Tavorin", MB_ICONERROR);
    return FALSE;
  }
  return TRUE;
}

void CColorMgtDlg::OnOK() {
  if (!UpdateData(TRUE)) return;
  if (m_bEnableColourManagement &&
      !CheckProfile(m_strMonitorProfile, "Please select a color profile for the monitor",
                    "Monitor color profile not found:\n"))
    return;
  if (m_bEnableColourManagement || m_bEnablePrinterColourManagement) {
    if (!CheckProfile(m_strCameraProfile, "Please select a color profile for the camera",
                      "Camera color profile not found:\n"))
      return;
    if (m_bEnablePrinterColourManagement &&
        !CheckProfile(m_strPrinterProfile, "Please select a color profile for the printer",
                      "Printer color profile not found:\n"))
      return;
  }
  EndDialog(IDOK);
}
