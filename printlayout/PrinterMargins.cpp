#include "printlayout/PrinterMargins.h"

#include <cstring>
#include <vector>

#include "platform/gdi/wingdi.h"
#include "platform/mfc/printdialog.h"
#include "platform/mfc/winapp.h"
#include "platform/polyimage/polyimage.h"
#include "platform/registry/registry.h"
#include "platform/winspool/globalmem.h"
#include "platform/winspool/printdc.h"
#include "platform/winspool/winspool.h"
#include "support/PipSession.h"
#include "support/ProgramGlobals.h"

const char kPrinterMarginsKey[] = "SOFTWARE\\MorvaneSystems\\Tavorin\\102\\Printers";

namespace {

const char* const kMarginNames[4] = {"leftMargin", "topMargin", "rightMargin", "bottomMargin"};

short OrientationOf(const std::vector<BYTE>& devMode) {
  if (devMode.size() < sizeof(DEVMODEA)) return 1;
  DEVMODEA mode;
  std::memcpy(&mode, devMode.data(), sizeof(mode));
  return (mode.dmFields & DM_ORIENTATION) ? mode.dmOrientation : 1;
}

// One margin pair for an axis: what is left over 4 or 6 inches, split between both sides.
int DefaultMargin(int size, int dpi) {
  int margin = 0;
  if (dpi == 300 || dpi == 301) {
    if (size >= 1201 && size <= 1249) margin = (size - 4 * dpi) / 2;
    if (size >= 1801 && size <= 1899) margin = (size - 6 * dpi) / 2;
  } else if (dpi == 600) {
    if (size >= 2401 && size <= 2499) margin = (size - 2400) / 2;
    if (size >= 3601 && size <= 3799) margin = (size - 3600) / 2;
  }
  return margin > 0 ? margin : 0;  // 301 dpi would otherwise trim a negative amount
}

HKEY OpenMarginsKey() {
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, kPrinterMarginsKey, 0, nullptr, 0,
                      KEY_QUERY_VALUE | KEY_CREATE_SUB_KEY | KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS)
    return nullptr;
  return key;
}

}  // namespace

ApplicationPrinterInfo ReadApplicationPrinter() {
  ApplicationPrinterInfo info;
  std::vector<BYTE> devMode, devNames;
  if (!CopyApplicationPrinter(devMode, devNames)) return info;
  info.hasPrinter = true;
  CString device = AfxDevNamesDevice(devNames.data(), devNames.size());
  if (!device.IsEmpty()) info.deviceName = device;
  info.orientation = OrientationOf(devMode);
  HDC dc = CreateApplicationPrinterDC();
  if (!dc) return info;
  info.hasDC = true;
  info.horzRes = GetDeviceCaps(dc, HORZRES);
  info.vertRes = GetDeviceCaps(dc, VERTRES);
  info.dpiX = GetDeviceCaps(dc, LOGPIXELSX);
  info.dpiY = GetDeviceCaps(dc, LOGPIXELSY);
  info.horzSizeMm = GetDeviceCaps(dc, HORZSIZE);
  info.vertSizeMm = GetDeviceCaps(dc, VERTSIZE);
  DeleteDC(dc);
  return info;
}

void DefaultPrinterMargins(int horzRes, int vertRes, int dpiX, int dpiY, int& left, int& top, int& right,
                           int& bottom) {
  left = top = right = bottom = 0;
  if (dpiX != dpiY) return;
  left = right = DefaultMargin(horzRes, dpiX);
  top = bottom = DefaultMargin(vertRes, dpiX);
}

CString PrinterMarginsValuePrefix(const char* deviceName, int dpiX, short orientation) {
  CString prefix;
  prefix.Format("%s_%dDPI_%s", deviceName, dpiX, orientation == 1 ? "P_" : "L_");
  return prefix;
}

void GetPrinterMargins(int& left, int& top, int& right, int& bottom) {
  left = top = right = bottom = 0;
  ApplicationPrinterInfo printer = ReadApplicationPrinter();
  if (!printer.hasDC) return;
  int* margins[4] = {&left, &top, &right, &bottom};
  bool stored = false;
  if (HKEY key = OpenMarginsKey()) {
    const CString prefix = PrinterMarginsValuePrefix(printer.deviceName, printer.dpiX, printer.orientation);
    DWORD values[4] = {};
    stored = true;
    for (int i = 0; i < 4 && stored; ++i) {
      DWORD type = 0, size = sizeof(DWORD);
      stored = RegQueryValueExA(key, prefix + kMarginNames[i], nullptr, &type, reinterpret_cast<BYTE*>(&values[i]),
                                &size) == ERROR_SUCCESS &&
               type == REG_DWORD && size == sizeof(DWORD);
    }
    RegCloseKey(key);
    if (stored)
      for (int i = 0; i < 4; ++i) *margins[i] = static_cast<int>(values[i]);
  }
  if (!stored)
    DefaultPrinterMargins(printer.horzRes, printer.vertRes, printer.dpiX, printer.dpiY, left, top, right, bottom);
}

void SavePrinterMargins(int left, int top, int right, int bottom) {
  ApplicationPrinterInfo printer = ReadApplicationPrinter();
  if (!printer.hasDC) return;
  HKEY key = OpenMarginsKey();
  if (!key) return;
  const CString prefix = PrinterMarginsValuePrefix(printer.deviceName, printer.dpiX, printer.orientation);
  const int margins[4] = {left, top, right, bottom};
  for (int i = 0; i < 4; ++i) {
    DWORD value = static_cast<DWORD>(margins[i]);
    RegSetValueExA(key, prefix + kMarginNames[i], 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
  }
  RegCloseKey(key);
}

int GetPrinterDevModeAndNames(LPCSTR printerName, HGLOBAL* devNames, HGLOBAL* devMode) {
  if (!devNames || !devMode || !printerName) return 0;
  HANDLE printer = nullptr;
  CString name(printerName);
  if (!OpenPrinterA(name.GetBuffer(0), &printer, nullptr)) return 0;
  DWORD needed = 0;
  GetPrinterA(printer, 2, nullptr, 0, &needed);
  std::vector<BYTE> buffer(needed >= sizeof(PRINTER_INFO_2A) ? needed : sizeof(PRINTER_INFO_2A), 0);
  const bool read = needed >= sizeof(PRINTER_INFO_2A) && GetPrinterA(printer, 2, buffer.data(), needed, &needed);
  ClosePrinter(printer);
  if (!read) return 0;
  const auto* info = reinterpret_cast<const PRINTER_INFO_2A*>(buffer.data());
  if (!info->pDevMode) return 0;
  const size_t modeSize = sizeof(DEVMODEA) + info->pDevMode->dmDriverExtra;
  HGLOBAL mode = GlobalAlloc(GHND, modeSize);
  HGLOBAL names = AfxMakeDevNames(info->pDriverName ? info->pDriverName : "",
                                  info->pPrinterName ? info->pPrinterName : printerName,
                                  info->pPortName ? info->pPortName : "", 0);
  void* target = mode ? GlobalLock(mode) : nullptr;
  if (!target || !names) {
    if (mode) GlobalFree(mode);
    if (names) GlobalFree(names);
    return 0;
  }
  std::memcpy(target, info->pDevMode, modeSize);
  GlobalUnlock(mode);
  *devNames = names;
  *devMode = mode;
  return 1;
}

short GetPrinterOrientation() {
  std::vector<BYTE> devMode, devNames;
  if (!CopyApplicationPrinter(devMode, devNames)) return 1;
  return OrientationOf(devMode);
}

void SetPrinterOrientation(short orientation) {
  CWinApp* app = AfxGetApp();
  if (!app) return;
  // Workers copy the DEVMODE under the same lock.
  EnterCriticalSection(&g_printerSettingsLock);
  if (app->m_hDevMode && GlobalSize(app->m_hDevMode) >= sizeof(DEVMODEA)) {
    if (auto* mode = static_cast<DEVMODEA*>(GlobalLock(app->m_hDevMode))) {
      if (mode->dmFields & DM_ORIENTATION) mode->dmOrientation = orientation;
      GlobalUnlock(app->m_hDevMode);
    }
  }
  LeaveCriticalSection(&g_printerSettingsLock);
}

bool GetCurrentPrinterName(CString& name) {
  name = "Unknown";
  ApplicationPrinterInfo printer = ReadApplicationPrinter();
  name = printer.deviceName;
  return printer.hasDC;
}

int CropToPrinterMargins(PipSession& session) {
  int left, top, right, bottom;
  GetPrinterMargins(left, top, right, bottom);
  if (left < 0) left = 0;
  if (top < 0) top = 0;
  if (right < 0) right = 0;
  if (bottom < 0) bottom = 0;
  const int width = static_cast<int>(session.GetWidth()), height = static_cast<int>(session.GetHeight());
  cSetOpRectangle(session.m_hSession, left, top, width - right - 1, height - bottom - 1, 0);
  return cOpCrop(session.m_hSession);
}
