#include "support/ProgramGlobals.h"

#include <cstring>

#include "platform/gdi/wingdi.h"
#include "platform/mfc/printdialog.h"
#include "platform/mfc/winapp.h"
#include "platform/winspool/globalmem.h"
#include "platform/registry/registry.h"
#include "platform/win32/version.h"
#include "platform/winspool/printdc.h"
#include "platform/winspool/winspool.h"

const char kProductKey[] = "SOFTWARE\\MorvaneSystems\\Tavorin\\102\\";

CRITICAL_SECTION g_printerSettingsLock;
CString g_strCustomNamingSeparator("_");
BOOL g_bEnableColourManagement = FALSE;
CString g_strMonitorProfile;
CString g_strCameraProfile;
CString g_strPhotoboothStatusCmd;
CString g_strPhotoboothStatusCmdXML;
CString g_strPhotoboothImageBrowseDir;
CString g_strPhotoboothTemplateBrowseDir;
CString g_strProgramVersion;
CString g_strTouchscreenExitPassword;
CString g_strNamingText;
CStringArray g_forbiddenWords;
CString g_strProhibitedWordMessage("Sorry, this word is prohibited\nPlease enter a different word");
CString g_keyboardFieldTexts[10];

namespace {

// Made before the application object starts and freed after it has gone.
struct PrinterSettingsLockLife {
  PrinterSettingsLockLife() { InitializeCriticalSection(&g_printerSettingsLock); }
  ~PrinterSettingsLockLife() { DeleteCriticalSection(&g_printerSettingsLock); }
};

// A DC on the default printer, or NULL when there is none.
HDC CreateDefaultPrinterDC() {
  char name[256] = {};
  DWORD size = sizeof(name);
  if (!GetDefaultPrinterA(name, &size) || !name[0]) return nullptr;
  return CreateDCA(nullptr, name, nullptr, nullptr);
}

std::vector<BYTE> CopyBlock(HGLOBAL block) {
  std::vector<BYTE> bytes;
  if (!block) return bytes;
  if (const void* data = GlobalLock(block)) {
    bytes.assign(static_cast<const BYTE*>(data), static_cast<const BYTE*>(data) + GlobalSize(block));
    GlobalUnlock(block);
  }
  return bytes;
}

PrinterSettingsLockLife s_printerSettingsLockLife;

}  // namespace

void UnlockPrinterSettings() { LeaveCriticalSection(&g_printerSettingsLock); }

BOOL IsScreenCloseRequested() { return FALSE; }

void OnUserActivity() {}

void GetPrinterResolution(int& xDpi, int& yDpi) {
  int width, height;
  GetPrinterPageInfo(xDpi, yDpi, width, height);
}

BOOL CopyApplicationPrinter(std::vector<BYTE>& devMode, std::vector<BYTE>& devNames) {
  CWinApp* app = AfxGetApp();
  if (!app) return FALSE;
  EnterCriticalSection(&g_printerSettingsLock);
  BOOL ok = app->GetPrinterDeviceDefaults(nullptr);
  if (ok) {
    devMode = CopyBlock(app->m_hDevMode);
    devNames = CopyBlock(app->m_hDevNames);
  }
  LeaveCriticalSection(&g_printerSettingsLock);
  return ok && !devNames.empty();
}

HDC CreateApplicationPrinterDC() {
  if (!AfxGetApp()) return CreateDefaultPrinterDC();
  std::vector<BYTE> devMode, devNames;
  if (!CopyApplicationPrinter(devMode, devNames)) return nullptr;
  // The DC is made from the copies, so the UI may replace the printer meanwhile.
  auto toBlock = [](const std::vector<BYTE>& bytes) -> HGLOBAL {
    if (bytes.empty()) return nullptr;
    HGLOBAL block = GlobalAlloc(GHND, bytes.size());
    if (void* data = block ? GlobalLock(block) : nullptr) {
      std::memcpy(data, bytes.data(), bytes.size());
      GlobalUnlock(block);
    }
    return block;
  };
  HGLOBAL names = toBlock(devNames), mode = toBlock(devMode);
  HDC dc = names ? AfxCreateDC(names, mode) : nullptr;
  if (names) GlobalFree(names);
  if (mode) GlobalFree(mode);
  return dc;
}

void GetPrinterPageInfo(int& xDpi, int& yDpi, int& width, int& height) {
  xDpi = 300, yDpi = 300, width = 0, height = 0;
  HDC dc = CreateApplicationPrinterDC();
  if (!dc) return;
  xDpi = GetDeviceCaps(dc, LOGPIXELSX);
  yDpi = GetDeviceCaps(dc, LOGPIXELSY);
  width = GetDeviceCaps(dc, HORZRES);
  height = GetDeviceCaps(dc, VERTRES);
  DeleteDC(dc);
}

BOOL IsWindows6_0() {
  OSVERSIONINFOA info = {};
  info.dwOSVersionInfoSize = sizeof(info);
  if (!GetVersionExA(&info)) return FALSE;
  return info.dwMajorVersion == 6 && info.dwMinorVersion == 0;
}

DWORD UpdatePhotoboothPrintCounter(int n) {
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, kProductKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
      ERROR_SUCCESS)
    return 0;
  DWORD counter = 0, type = 0, size = sizeof(counter);
  if (RegQueryValueExA(key, "PhotoboothPrintCounter", nullptr, &type, reinterpret_cast<BYTE*>(&counter), &size) !=
          ERROR_SUCCESS ||
      type != REG_DWORD)
    counter = 0;
  if (n > 0) {
    // More prints than are left leaves none, not four thousand million.
    counter = counter > DWORD(n) ? counter - DWORD(n) : 0;
    RegSetValueExA(key, "PhotoboothPrintCounter", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&counter),
                   sizeof(counter));
  }
  RegCloseKey(key);
  return counter;
}
