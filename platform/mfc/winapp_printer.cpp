// The application's printer: the DEVMODE and DEVNAMES blocks that CWinApp owns.
#include <cstring>

#include "platform/mfc/cdc.h"
#include "platform/mfc/printdialog.h"
#include "platform/mfc/winapp.h"
#include "platform/win32/sync.h"
#include "platform/winspool/globalmem.h"
#include "platform/winspool/printdc.h"

namespace {

// Holds the application's printer lock, when it has one, for one scope.
class PrinterLock {
 public:
  explicit PrinterLock(CRITICAL_SECTION* lock) : m_lock(lock) {
    if (m_lock) EnterCriticalSection(m_lock);
  }
  ~PrinterLock() {
    if (m_lock) LeaveCriticalSection(m_lock);
  }
  PrinterLock(const PrinterLock&) = delete;
  PrinterLock& operator=(const PrinterLock&) = delete;

 private:
  CRITICAL_SECTION* m_lock;
};

}  // namespace

BOOL CWinApp::GetPrinterDeviceDefaults(PRINTDLGA* printDialog) {
  PrinterLock lock(m_pPrinterLock);
  if (!m_hDevNames || !m_hDevMode) {
    CPrintDialog defaults(TRUE, PD_RETURNDEFAULT);
    if (defaults.GetDefaults()) {
      // Keep what the application has; take only the missing half from the default printer.
      if (!m_hDevNames && !m_hDevMode) {
        m_hDevNames = defaults.m_pd.hDevNames;
        m_hDevMode = defaults.m_pd.hDevMode;
      } else if (!m_hDevMode) {
        m_hDevMode = defaults.m_pd.hDevMode;
        GlobalFree(defaults.m_pd.hDevNames);
      } else {
        m_hDevNames = defaults.m_pd.hDevNames;
        GlobalFree(defaults.m_pd.hDevMode);
      }
    }
  }
  if (!m_hDevNames) return FALSE;
  if (printDialog) {
    printDialog->hDevNames = m_hDevNames;
    printDialog->hDevMode = m_hDevMode;
  }
  return TRUE;
}

BOOL CWinApp::CreatePrinterDC(CDC& dc) {
  HDC printer = nullptr;
  {
    PrinterLock lock(m_pPrinterLock);
    if (!GetPrinterDeviceDefaults(nullptr)) return FALSE;
    printer = AfxCreateDC(m_hDevNames, m_hDevMode);
  }
  if (!printer) return FALSE;
  return dc.Attach(printer);
}

void CWinApp::SelectPrinter(HGLOBAL devNames, HGLOBAL devMode, BOOL freeOld) {
  PrinterLock lock(m_pPrinterLock);
  if (freeOld) {
    if (m_hDevNames && m_hDevNames != devNames) GlobalFree(m_hDevNames);
    if (m_hDevMode && m_hDevMode != devMode) GlobalFree(m_hDevMode);
  }
  m_hDevNames = devNames;
  m_hDevMode = devMode;
}

void CWinApp::OnFilePrintSetup() {
  CPrintDialog dialog(TRUE);
  // The dialog reads copies, so a worker may go on using the current blocks meanwhile.
  HGLOBAL names = nullptr, mode = nullptr;
  {
    PrinterLock lock(m_pPrinterLock);
    GetPrinterDeviceDefaults(nullptr);
    auto copy = [](HGLOBAL block) -> HGLOBAL {
      if (!block) return nullptr;
      HGLOBAL made = GlobalAlloc(GHND, GlobalSize(block));
      const void* from = GlobalLock(block);
      void* to = made ? GlobalLock(made) : nullptr;
      if (from && to) std::memcpy(to, from, GlobalSize(block));
      if (to) GlobalUnlock(made);
      if (from) GlobalUnlock(block);
      return made;
    };
    names = copy(m_hDevNames);
    mode = copy(m_hDevMode);
  }
  dialog.m_pd.hDevNames = names;
  dialog.m_pd.hDevMode = mode;
  if (dialog.DoModal() == IDOK) SelectPrinter(dialog.m_pd.hDevNames, dialog.m_pd.hDevMode, TRUE);
  if (names) GlobalFree(names);
  if (mode) GlobalFree(mode);
}
