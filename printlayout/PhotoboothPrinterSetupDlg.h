// The photobooth printer setup: the printer, its orientation and the four margins that trim
// its printable area, with a calibration page that shows how much of each edge it cuts off.
#pragma once

#include "platform/mfc/dialog.h"

#define IDD_PHOTOBOOTH_PRINTER_SETUP 240
#define IDC_PBPS_PRINTER 1067
#define IDC_PBPS_SETUP_PRINTER 1068
#define IDC_PBPS_PAGE_INFO 1270
#define IDC_PBPS_TOP 1251
#define IDC_PBPS_BOTTOM 1252
#define IDC_PBPS_LEFT 1253
#define IDC_PBPS_RIGHT 1254
#define IDC_PBPS_CENTER_PAGE 1327
#define IDC_PBPS_TEST_PRINT 1346
#define IDC_PBPS_PORTRAIT 1370
#define IDC_PBPS_LANDSCAPE 1371

class CPhotoboothPrinterSetupDlg : public CDialog {
 public:
  explicit CPhotoboothPrinterSetupDlg(CWnd* parent = nullptr);

  int m_nPageWidth = 0;
  int m_nPageHeight = 0;
  int m_nDpiX = 0;
  int m_nDpiY = 0;
  int m_nLeftMargin = 0;
  int m_nTopMargin = 0;
  int m_nRightMargin = 0;
  int m_nBottomMargin = 0;

  /// The calibration page as the printer gets it (a white HORZRES x VERTRES image with rulers
  /// along every edge); FALSE when there is no printer. The session receives the image.
  BOOL DrawTestPage(int session, const char* deviceName);

 protected:
  BOOL OnInitDialog() override;
  void DoDataExchange(CDataExchange* dx) override;
  void OnOK() override;
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

 private:
  void UpdatePageInfo();
  void ReadMargins();
  void OnSelchangePrinter();
  void OnSetupPrinter();
  void OnTestPrint();
  void OnCenterPage();
  void OnOrientation(short orientation);
  void OnChangeMargin(int id);
  void OnKillfocusMargin(int id);
  int* MarginOf(int id);
  CString SelectedPrinter() const;
  int Report(const char* text, UINT type);
};
