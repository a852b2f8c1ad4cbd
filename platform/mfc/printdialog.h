// CPrintDialog in print-setup mode: choose a printer, its orientation and (through the driver's
// properties) its paper. The chosen printer comes back as new DEVMODE and DEVNAMES blocks.
#pragma once

#include "platform/mfc/cstring.h"
#include "platform/mfc/dialog.h"
#include "platform/winspool/devmode.h"

#define PD_ALLPAGES 0x00000000u
#define PD_RETURNDC 0x00000100u
#define PD_PRINTSETUP 0x00000040u
#define PD_RETURNDEFAULT 0x00000400u
#define PD_NONETWORKBUTTON 0x00200000u

/// Template of the print-setup dialog and its controls (the common dialog's own ids).
#define AFX_IDD_PRINTSETUP 30725
#define IDC_PRINTSETUP_PRINTER 0x0473
#define IDC_PRINTSETUP_PROPERTIES 0x0401
#define IDC_PRINTSETUP_PORTRAIT 0x0420
#define IDC_PRINTSETUP_LANDSCAPE 0x0421

struct PRINTDLGA {
  DWORD lStructSize;
  HWND hwndOwner;
  HGLOBAL hDevMode;   // in: the current printer (may be NULL); out: a new block on OK
  HGLOBAL hDevNames;  // likewise
  HDC hDC;
  DWORD Flags;
};
typedef PRINTDLGA PRINTDLG;

class CPrintDialog : public CDialog {
 public:
  explicit CPrintDialog(BOOL printSetupOnly, DWORD flags = PD_ALLPAGES, CWnd* parent = nullptr);

  /// IDOK with m_pd.hDevMode and m_pd.hDevNames replaced by new blocks the caller owns (the
  /// blocks passed in stay the caller's); IDCANCEL leaves m_pd as it was.
  INT_PTR DoModal() override;
  /// The system default printer into new blocks in m_pd; FALSE when there is none.
  BOOL GetDefaults();
  CString GetDeviceName() const { return m_deviceName; }

  PRINTDLGA m_pd;

 protected:
  BOOL OnInitDialog() override;
  void OnOK() override;
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

 private:
  /// Takes the printer's own settings when the list's choice changes.
  void LoadPrinter(const CString& name, const BYTE* devMode, size_t devModeSize);
  void OnProperties();
  CString SelectedPrinter() const;

  CString m_deviceName;
  CString m_driverName;
  CString m_portName;
  std::vector<BYTE> m_devMode;
};

/// A movable DEVNAMES block naming driver, device and port; NULL when it cannot be had.
HGLOBAL AfxMakeDevNames(LPCSTR driver, LPCSTR device, LPCSTR port, WORD flags);
/// The device name a DEVNAMES block of `size` bytes carries, or empty when it is malformed.
CString AfxDevNamesDevice(const BYTE* devNames, size_t size);
