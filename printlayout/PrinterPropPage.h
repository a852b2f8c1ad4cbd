// CPrinterPropPage: the first page of the photobooth setup wizard. Shows the application's
// printer, paper, orientation and resolution, offers the photobooth printer setup, and asks for
// the preset print layout to build. Refuses to go on when the two resolutions differ, because
// layouts are made in square printer pixels.
#pragma once

#include <functional>

#include "platform/mfc/propertysheet.h"

#define IDD_PRINTER_PROP_PAGE 229
#define IDC_PRINTER_PAGE_SETUP 1146
#define IDC_PRINTER_PAGE_INFO 1270
#define IDC_PRINTER_PAGE_PROMPT 1279
#define IDC_PRINTER_PAGE_ADVICE 1283

class CPrinterPropPage : public CPropertyPage {
 public:
  CPrinterPropPage();

  /// Rebuilds the information text from the application's printer and shows it.
  void UpdatePrinterInfo();

  CString m_strInfo;
  BOOL m_bResolutionsEqual = TRUE;
  /// The chosen preset: the codes of the "PresetLayout" setting, 0..7.
  int m_nPresetCode = 0;
  /// The main view's photobooth printer setup, run with this page as the parent.
  std::function<void(CWnd* parent)> m_printerSetup;

 protected:
  BOOL OnInitDialog() override;
  BOOL OnSetActive() override;
  LRESULT OnWizardNext() override;
  void DoDataExchange(CDataExchange* dx) override;
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

 private:
  void OnPrinterSetup();
};

/// The information text for a printer: what UpdatePrinterInfo shows. `dc` NULL or `devMode`
/// NULL leaves only the printer line; `equal` is cleared when the two resolutions differ.
CString DescribePrinter(const char* deviceName, const struct DEVMODEA* devMode, HDC dc, BOOL& equal);
