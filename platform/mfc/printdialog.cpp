#include "platform/mfc/printdialog.h"

#include <cstring>
#include <vector>

#include "platform/mfc/stdctrls.h"
#include "platform/winspool/globalmem.h"
#include "platform/winspool/winspool.h"

namespace {

HGLOBAL NewBlock(const void* data, size_t size) {
  HGLOBAL block = GlobalAlloc(GHND, size);
  if (!block) return nullptr;
  if (void* target = GlobalLock(block)) {
    std::memcpy(target, data, size);
    GlobalUnlock(block);
  }
  return block;
}

std::vector<BYTE> BlockBytes(HGLOBAL block) {
  std::vector<BYTE> bytes;
  if (!block) return bytes;
  if (const void* data = GlobalLock(block)) {
    bytes.assign(static_cast<const BYTE*>(data), static_cast<const BYTE*>(data) + GlobalSize(block));
    GlobalUnlock(block);
  }
  return bytes;
}

// The printer's own DEVMODE, merged with `input` when given; empty when the printer is unknown.
std::vector<BYTE> PrinterDevMode(const CString& name, const BYTE* input, size_t inputSize) {
  std::vector<BYTE> devMode;
  HANDLE printer = nullptr;
  CString printerName(name);
  if (!OpenPrinterA(printerName.GetBuffer(0), &printer, nullptr)) return devMode;
  LONG size = DocumentPropertiesA(nullptr, printer, printerName.GetBuffer(0), nullptr, nullptr, 0);
  if (size >= static_cast<LONG>(sizeof(DEVMODEA))) {
    devMode.resize(static_cast<size_t>(size));
    std::vector<BYTE> in;
    if (input && inputSize >= sizeof(DEVMODEA)) in.assign(input, input + inputSize);
    DWORD mode = DM_OUT_BUFFER | (in.empty() ? 0 : DM_IN_BUFFER);
    if (DocumentPropertiesA(nullptr, printer, printerName.GetBuffer(0), reinterpret_cast<DEVMODEA*>(devMode.data()),
                            in.empty() ? nullptr : reinterpret_cast<DEVMODEA*>(in.data()), mode) != IDOK)
      devMode.clear();
  }
  ClosePrinter(printer);
  return devMode;
}

// Driver and port names from the spooler's level-2 record.
void PrinterDriverAndPort(const CString& name, CString& driver, CString& port) {
  driver = "winspool";
  port.Empty();
  HANDLE printer = nullptr;
  CString printerName(name);
  if (!OpenPrinterA(printerName.GetBuffer(0), &printer, nullptr)) return;
  DWORD needed = 0;
  GetPrinterA(printer, 2, nullptr, 0, &needed);
  if (needed >= sizeof(PRINTER_INFO_2A)) {
    std::vector<BYTE> buffer(needed);
    if (GetPrinterA(printer, 2, buffer.data(), needed, &needed)) {
      const auto* info = reinterpret_cast<const PRINTER_INFO_2A*>(buffer.data());
      if (info->pDriverName) driver = info->pDriverName;
      if (info->pPortName) port = info->pPortName;
    }
  }
  ClosePrinter(printer);
}

}  // namespace

HGLOBAL AfxMakeDevNames(LPCSTR driver, LPCSTR device, LPCSTR port, WORD flags) {
  const size_t driverLength = std::strlen(driver ? driver : ""), deviceLength = std::strlen(device ? device : ""),
               portLength = std::strlen(port ? port : "");
  const size_t total = sizeof(DEVNAMES) + driverLength + deviceLength + portLength + 3;
  if (total > 0xFFFF) return nullptr;
  std::vector<BYTE> data(total, 0);
  auto* names = reinterpret_cast<DEVNAMES*>(data.data());
  names->wDriverOffset = sizeof(DEVNAMES);
  names->wDeviceOffset = static_cast<WORD>(names->wDriverOffset + driverLength + 1);
  names->wOutputOffset = static_cast<WORD>(names->wDeviceOffset + deviceLength + 1);
  names->wDefault = flags;
  if (driverLength) std::memcpy(data.data() + names->wDriverOffset, driver, driverLength);
  if (deviceLength) std::memcpy(data.data() + names->wDeviceOffset, device, deviceLength);
  if (portLength) std::memcpy(data.data() + names->wOutputOffset, port, portLength);
  return NewBlock(data.data(), data.size());
}

CString AfxDevNamesDevice(const BYTE* devNames, size_t size) {
  if (!devNames || size <= sizeof(DEVNAMES)) return CString();
  DEVNAMES header;
  std::memcpy(&header, devNames, sizeof(header));
  if (header.wDeviceOffset < sizeof(DEVNAMES) || header.wDeviceOffset >= size) return CString();
  const char* start = reinterpret_cast<const char*>(devNames) + header.wDeviceOffset;
  const void* end = std::memchr(start, '\0', size - header.wDeviceOffset);
  if (!end) return CString();
  return CString(start);
}

CPrintDialog::CPrintDialog(BOOL printSetupOnly, DWORD flags, CWnd* parent) : CDialog(AFX_IDD_PRINTSETUP, parent) {
  std::memset(&m_pd, 0, sizeof(m_pd));
  m_pd.lStructSize = sizeof(m_pd);
  m_pd.Flags = flags | (printSetupOnly ? PD_PRINTSETUP : 0);
  using K = DlgItemKind;
  AfxRegisterDialogTemplate({AFX_IDD_PRINTSETUP,
                             "Print Setup",
                             {{IDC_PRINTSETUP_PRINTER, K::Combo, "Name:", nullptr, 0, 0, "Printer"},
                              {IDC_PRINTSETUP_PROPERTIES, K::Button, "Properties...", nullptr, 0, 0, "Printer"},
                              {IDC_PRINTSETUP_PORTRAIT, K::Radio, "Portrait", nullptr, 0, 0, "Orientation"},
                              {IDC_PRINTSETUP_LANDSCAPE, K::Radio, "Landscape", nullptr, 0, 0, "Orientation"},
                              {IDOK, K::DefButton, "OK"},
                              {IDCANCEL, K::Button, "Cancel"}}});
}

BOOL CPrintDialog::GetDefaults() {
  char name[256] = {};
  DWORD size = sizeof(name);
  if (!GetDefaultPrinterA(name, &size) || !name[0]) return FALSE;
  std::vector<BYTE> devMode = PrinterDevMode(name, nullptr, 0);
  if (devMode.empty()) return FALSE;
  CString driver, port;
  PrinterDriverAndPort(name, driver, port);
  HGLOBAL names = AfxMakeDevNames(driver, name, port, DN_DEFAULTPRN);
  HGLOBAL mode = NewBlock(devMode.data(), devMode.size());
  if (!names || !mode) {
    if (names) GlobalFree(names);
    if (mode) GlobalFree(mode);
    return FALSE;
  }
  m_pd.hDevNames = names;
  m_pd.hDevMode = mode;
  m_deviceName = name;
  return TRUE;
}

INT_PTR CPrintDialog::DoModal() {
  if (m_pd.Flags & PD_RETURNDEFAULT) return GetDefaults() ? IDOK : IDCANCEL;
  return CDialog::DoModal();
}

void CPrintDialog::LoadPrinter(const CString& name, const BYTE* devMode, size_t devModeSize) {
  m_deviceName = name;
  PrinterDriverAndPort(name, m_driverName, m_portName);
  m_devMode = PrinterDevMode(name, devMode, devModeSize);
  const auto* mode = m_devMode.size() >= sizeof(DEVMODEA) ? reinterpret_cast<const DEVMODEA*>(m_devMode.data()) : nullptr;
  const bool landscape = mode && (mode->dmFields & DM_ORIENTATION) && mode->dmOrientation == DMORIENT_LANDSCAPE;
  CheckRadioButton(IDC_PRINTSETUP_PORTRAIT, IDC_PRINTSETUP_LANDSCAPE,
                   landscape ? IDC_PRINTSETUP_LANDSCAPE : IDC_PRINTSETUP_PORTRAIT);
  if (CWnd* properties = GetDlgItem(IDC_PRINTSETUP_PROPERTIES)) properties->EnableWindow(!m_devMode.empty());
}

CString CPrintDialog::SelectedPrinter() const {
  CString name;
  int index = static_cast<int>(SendDlgItemMessage(IDC_PRINTSETUP_PRINTER, CB_GETCURSEL));
  if (index < 0) return name;
  int length = static_cast<int>(SendDlgItemMessage(IDC_PRINTSETUP_PRINTER, CB_GETLBTEXTLEN, index));
  if (length < 0) return name;
  SendDlgItemMessage(IDC_PRINTSETUP_PRINTER, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(name.GetBuffer(length)));
  name.ReleaseBuffer();
  return name;
}

BOOL CPrintDialog::OnInitDialog() {
  CDialog::OnInitDialog();
  DWORD needed = 0, returned = 0;
  EnumPrintersA(PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS, nullptr, 2, nullptr, 0, &needed, &returned);
  std::vector<BYTE> buffer(needed ? needed : 1);
  if (needed && EnumPrintersA(PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS, nullptr, 2, buffer.data(), needed,
                              &needed, &returned)) {
    const auto* printers = reinterpret_cast<const PRINTER_INFO_2A*>(buffer.data());
    for (DWORD i = 0; i < returned; ++i)
      if (printers[i].pPrinterName)
        SendDlgItemMessage(IDC_PRINTSETUP_PRINTER, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(printers[i].pPrinterName));
  }
  // Start on the printer handed in, else on the system's default.
  std::vector<BYTE> names = BlockBytes(m_pd.hDevNames);
  std::vector<BYTE> mode = BlockBytes(m_pd.hDevMode);
  CString current = AfxDevNamesDevice(names.data(), names.size());
  if (current.IsEmpty()) {
    char name[256] = {};
    DWORD size = sizeof(name);
    if (GetDefaultPrinterA(name, &size)) current = name;
    mode.clear();
  }
  LRESULT index = SendDlgItemMessage(IDC_PRINTSETUP_PRINTER, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                     reinterpret_cast<LPARAM>(current.GetString()));
  if (index < 0) {
    index = 0;
    mode.clear();
  }
  SendDlgItemMessage(IDC_PRINTSETUP_PRINTER, CB_SETCURSEL, static_cast<WPARAM>(index));
  LoadPrinter(SelectedPrinter(), mode.data(), mode.size());
  return TRUE;
}

void CPrintDialog::OnProperties() {
  CString name = SelectedPrinter();
  HANDLE printer = nullptr;
  if (m_devMode.empty() || !OpenPrinterA(name.GetBuffer(0), &printer, nullptr)) return;
  DEVMODEA* mode = reinterpret_cast<DEVMODEA*>(m_devMode.data());
  mode->dmFields |= DM_ORIENTATION;
  mode->dmOrientation = IsDlgButtonChecked(IDC_PRINTSETUP_LANDSCAPE) ? DMORIENT_LANDSCAPE : DMORIENT_PORTRAIT;
  std::vector<BYTE> changed(m_devMode.size());
  if (DocumentPropertiesA(m_hWnd, printer, name.GetBuffer(0), reinterpret_cast<DEVMODEA*>(changed.data()), mode,
                          DM_IN_BUFFER | DM_IN_PROMPT | DM_OUT_BUFFER) == IDOK) {
    m_devMode.swap(changed);
    LoadPrinter(name, m_devMode.data(), m_devMode.size());
  }
  ClosePrinter(printer);
}

BOOL CPrintDialog::OnCommand(WPARAM wParam, LPARAM lParam) {
  const int id = LOWORD(wParam);
  if (id == IDC_PRINTSETUP_PRINTER && HIWORD(wParam) == CBN_SELCHANGE) {
    LoadPrinter(SelectedPrinter(), nullptr, 0);
    return TRUE;
  }
  if (id == IDC_PRINTSETUP_PROPERTIES && HIWORD(wParam) == BN_CLICKED) {
    OnProperties();
    return TRUE;
  }
  return CDialog::OnCommand(wParam, lParam);
}

void CPrintDialog::OnOK() {
  if (m_devMode.size() < sizeof(DEVMODEA)) return;  // no usable printer chosen
  DEVMODEA* mode = reinterpret_cast<DEVMODEA*>(m_devMode.data());
  mode->dmFields |= DM_ORIENTATION;
  mode->dmOrientation = IsDlgButtonChecked(IDC_PRINTSETUP_LANDSCAPE) ? DMORIENT_LANDSCAPE : DMORIENT_PORTRAIT;
  HGLOBAL names = AfxMakeDevNames(m_driverName, m_deviceName, m_portName, 0);
  HGLOBAL devMode = NewBlock(m_devMode.data(), m_devMode.size());
  if (!names || !devMode) {
    if (names) GlobalFree(names);
    if (devMode) GlobalFree(devMode);
    return;
  }
  m_pd.hDevNames = names;
  m_pd.hDevMode = devMode;
  EndDialog(IDOK);
}
