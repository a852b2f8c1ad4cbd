// CColorMgtDlg: the colour profiles of the monitor, the camera and the photobooth printer, and
// whether displayed and printed photos are colour managed.
#pragma once

#include "platform/mfc/dialog.h"

#define IDD_COLOR_MANAGEMENT 227
#define IDC_CMS_MONITOR_BROWSE 1003
#define IDC_CMS_CAMERA 1033
#define IDC_CMS_DISPLAY_ENABLE 1034
#define IDC_CMS_PRINTER_ENABLE 1035
#define IDC_CMS_PRINTER 1036
#define IDC_CMS_CAMERA_BROWSE 1121
#define IDC_CMS_MONITOR 1122
#define IDC_CMS_MONITOR_LABEL 1123
#define IDC_CMS_CAMERA_LABEL 1124
#define IDC_CMS_DEFAULT_MONITOR 1125
#define IDC_CMS_PRINTER_LABEL 1126
#define IDC_CMS_PRINTER_BROWSE 1127

class CColorMgtDlg : public CDialog {
 public:
  explicit CColorMgtDlg(CWnd* parent = nullptr);

  CString m_strMonitorProfile;
  CString m_strCameraProfile;
  CString m_strPrinterProfile;
  BOOL m_bEnableColourManagement = FALSE;
  BOOL m_bEnablePrinterColourManagement = FALSE;

  /// The profile's description (English, US), else its file name without folder and extension.
  static CString ProfileDescription(const CString& path);

 protected:
  BOOL OnInitDialog() override;
  void DoDataExchange(CDataExchange* dx) override;
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
  void OnOK() override;

 private:
  void ShowProfiles();
  void ShowProfile(const CString& path, int editId, int labelId, const char* name);
  void ChooseProfile(CString& path, const char* title);
  /// FALSE (and says why) when the profile is needed and missing.
  BOOL CheckProfile(const CString& path, const char* select, const char* notFound);
};
