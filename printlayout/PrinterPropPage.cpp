#include "printlayout/PrinterPropPage.h"

#include <cstring>
#include <string>
#include <vector>

#include "platform/gdi/wingdi.h"
#include "platform/mfc/ddx.h"
#include "platform/user/messagebox.h"
#include "platform/winspool/devmode.h"
#include "printlayout/PresetPrintLayoutsDlg.h"
#include "support/ProgramGlobals.h"

namespace {

// The radios read in this order on Next; the first checked one gives the preset code.
struct RadioCode {
  int id;
  int code;
};
const RadioCode kNextOrder[] = {{IDC_PRESET_SINGLE_STRIP4, 1}, {IDC_PRESET_1LARGE_3SMALL, 2},
                                {IDC_PRESET_2ROWS_OF_2, 3},    {IDC_PRESET_DOUBLE_STRIP3, 4},
                                {IDC_PRESET_SINGLE_STRIP3, 5}, {IDC_PRESET_SINGLE_PHOTO, 6},
                                {IDC_PRESET_SINGLE_STRIP2, 7}};

void RegisterTemplate() {
  static bool registered = false;
  if (registered) return;
  registered = true;
  using K = DlgItemKind;
  AfxRegisterDialogTemplate(
      {IDD_PRINTER_PROP_PAGE,
       "Step 1 of 3: Printer Settings",
       {{IDC_PRINTER_PAGE_PROMPT, K::Label, "Please check the printer and page settings:"},
        {IDC_PRINTER_PAGE_INFO, K::Label, ""},
        {IDC_PRINTER_PAGE_SETUP, K::Button, "Printer setup..."},
        {IDC_PRINTER_PAGE_ADVICE, K::Label,
         "The photo booth prints a layout made from one of the presets below; it can be changed later in the "
         "layout editor. Select the print layout you wish to use:"},
        {IDC_PRESET_DOUBLE_STRIP4, K::Radio, "Classic double strip of 4 photos", nullptr, 0, 0, "Print layout"},
        {IDC_PRESET_SINGLE_STRIP4, K::Radio, "Single strip of 4 photos", nullptr, 0, 0, "Print layout"},
        {IDC_PRESET_1LARGE_3SMALL, K::Radio, "1 large photo with 3 smaller ones below", nullptr, 0, 0, "Print layout"},
        {IDC_PRESET_2ROWS_OF_2, K::Radio, "2 rows of 2 photos", nullptr, 0, 0, "Print layout"},
        {IDC_PRESET_DOUBLE_STRIP3, K::Radio, "Double strip of 3 photos", nullptr, 0, 0, "Print layout"},
        {IDC_PRESET_SINGLE_STRIP3, K::Radio, "Single strip of 3 photos", nullptr, 0, 0, "Print layout"},
        {IDC_PRESET_SINGLE_PHOTO, K::Radio, "Single photo", nullptr, 0, 0, "Print layout"},
        {IDC_PRESET_SINGLE_STRIP2, K::Radio, "Single strip of 2 photos", nullptr, 0, 0, "Print layout"}}});
}

void ReplaceAll(std::string& text, const std::string& from, const std::string& to) {
  for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
}

}  // namespace

CString DescribePrinter(const char* deviceName, const DEVMODEA* devMode, HDC dc, BOOL& equal) {
  equal = TRUE;
  std::string text = "Printer: ";
  text += deviceName && *deviceName ? deviceName : "Unknown";
  if (!devMode || !dc) return CString(text.c_str());
  text += "\nPaper size: ";
  char form[CCHFORMNAME + 1] = {0};
  std::memcpy(form, devMode->dmFormName, CCHFORMNAME);
  if (form[0]) text += std::string(form) + ", ";
  const int dpiX = GetDeviceCaps(dc, LOGPIXELSX);
  const int dpiY = GetDeviceCaps(dc, LOGPIXELSY);
  const double inchesWide = dpiX > 0 ? static_cast<double>(GetDeviceCaps(dc, PHYSICALWIDTH)) / dpiX : 0.0;
  const double inchesHigh = dpiY > 0 ? static_cast<double>(GetDeviceCaps(dc, PHYSICALHEIGHT)) / dpiY : 0.0;
  char line[160];
  std::snprintf(line, sizeof(line), "%0.1f x %0.1f mm", inchesWide * 25.4 + 0.05, inchesHigh * 25.4 + 0.05);
  text += line;
  std::snprintf(line, sizeof(line), " / %0.1f x %0.1f inches", inchesWide, inchesHigh);
  text += line;
  ReplaceAll(text, ".0 ", " ");
  std::snprintf(line, sizeof(line), " / %d x %d pixels", GetDeviceCaps(dc, HORZRES), GetDeviceCaps(dc, VERTRES));
  text += line;
  if (devMode->dmFields & DM_ORIENTATION) {
    text += "\nOrientation: ";
    text += devMode->dmOrientation == DMORIENT_PORTRAIT ? "Portrait" : "Landscape";
  }
  std::snprintf(line, sizeof(line), "\nResolution: %d x %d DPI", dpiX, dpiY);
  text += line;
  if (dpiX != dpiY) {
    equal = FALSE;
    text += "\nWARNING: horizontal and vertical resolution must be the same.\nPlease change the resolution in the "
            "printer driver settings.";
  }
  return CString(text.c_str());
}

CPrinterPropPage::CPrinterPropPage() : CPropertyPage(IDD_PRINTER_PROP_PAGE) { RegisterTemplate(); }

void CPrinterPropPage::UpdatePrinterInfo() {
  m_strInfo = "Printer info not available";
  m_bResolutionsEqual = TRUE;
  std::vector<BYTE> devMode, devNames;
  if (CopyApplicationPrinter(devMode, devNames) && devNames.size() >= sizeof(DEVNAMES)) {
    // The device name is read inside the copied block only.
    DEVNAMES names;
    std::memcpy(&names, devNames.data(), sizeof(names));
    std::string device;
    for (size_t at = names.wDeviceOffset; at < devNames.size() && devNames[at]; ++at) {
      device += static_cast<char>(devNames[at]);
    }
    const DEVMODEA* mode = nullptr;
    DEVMODEA modeCopy{};
    if (devMode.size() >= sizeof(DEVMODEA)) {
      std::memcpy(&modeCopy, devMode.data(), sizeof(modeCopy));
      mode = &modeCopy;
    }
    HDC dc = mode ? CreateApplicationPrinterDC() : nullptr;
    m_strInfo = DescribePrinter(device.c_str(), mode, dc, m_bResolutionsEqual);
    if (dc) DeleteDC(dc);
  }
  if (m_hWnd) SetDlgItemText(IDC_PRINTER_PAGE_INFO, m_strInfo);
}

BOOL CPrinterPropPage::OnInitDialog() {
  CPropertyPage::OnInitDialog();
  UpdatePrinterInfo();
  m_nPresetCode = 0;
  CheckDlgButton(IDC_PRESET_DOUBLE_STRIP4, BST_CHECKED);
  UpdateData(FALSE);
  return TRUE;
}

void CPrinterPropPage::DoDataExchange(CDataExchange* dx) { DDX_Text(dx, IDC_PRINTER_PAGE_INFO, m_strInfo); }

BOOL CPrinterPropPage::OnSetActive() {
  if (CWnd* sheet = GetParent()) sheet->PostMessage(PSM_SETWIZBUTTONS, 0, PSWIZB_NEXT);
  return TRUE;
}

BOOL CPrinterPropPage::OnCommand(WPARAM wParam, LPARAM lParam) {
  if (LOWORD(wParam) == IDC_PRINTER_PAGE_SETUP && HIWORD(wParam) == BN_CLICKED) {
    OnPrinterSetup();
    return TRUE;
  }
  return CPropertyPage::OnCommand(wParam, lParam);
}

void CPrinterPropPage::OnPrinterSetup() {
  if (m_printerSetup) m_printerSetup(this);
  UpdatePrinterInfo();
}

LRESULT CPrinterPropPage::OnWizardNext() {
  if (!m_bResolutionsEqual) {
    ::MessageBoxA(m_hWnd,
                "ERROR: printer horizontal and vertical resolution settings are different.\nPlease exit this setup "
                "wizard, adjust the default printer settings and try again.",
                "Tavorin", MB_OK | MB_ICONERROR);
    return -1;
  }
  m_nPresetCode = 0;
  for (const RadioCode& radio : kNextOrder) {
    if (IsDlgButtonChecked(radio.id) == BST_CHECKED) {
      m_nPresetCode = radio.code;
      break;
    }
  }
  return 0;
}
