#include "app/MyQuilletApp.h"

#include <cstdlib>
#include <cstring>
#include <vector>

#include "app/AboutDlg.h"
#include "app/MainFrm.h"
#include "app/MyQuilletDoc.h"
#include "app/MyQuilletView.h"
#include "app/Resource.h"
#include "photobooth/AnimatedGif.h"
#include "photobooth/PhotoboothProcessingWorker.h"
#include "platform/win32/nls.h"
#include "platform/winspool/devmode.h"
#include "platform/winspool/winspool.h"
#include "support/ProgramGlobals.h"
#include "support/TempFolders.h"

namespace {

// Copies a whole global block into a new[] buffer.
BYTE* CopyGlobal(HGLOBAL block, DWORD& size) {
  size = static_cast<DWORD>(GlobalSize(block));
  BYTE* copy = new BYTE[size ? size : 1];
  if (const void* data = GlobalLock(block)) {
    std::memcpy(copy, data, size);
    GlobalUnlock(block);
  }
  return copy;
}

HGLOBAL NewGlobal(const void* data, SIZE_T size) {
  HGLOBAL block = GlobalAlloc(GHND, size);
  if (!block) return nullptr;
  if (void* target = GlobalLock(block)) {
    std::memcpy(target, data, size);
    GlobalUnlock(block);
  }
  return block;
}

}  // namespace

CMyQuilletApp* GetMyQuilletApp() { return dynamic_cast<CMyQuilletApp*>(AfxGetApp()); }

bool NeedsCompatibilityRelaunch(DWORD majorVersion, DWORD minorVersion, bool layersKeyOpened,
                                const char* layerValue) {
  if (majorVersion != 6 || minorVersion != 0 || !layersKeyOpened) return false;
  return !layerValue || std::strcmp(layerValue, "WINXPSP2") != 0;
}

CMyQuilletApp::CMyQuilletApp() : CWinApp("Tavorin") { m_pPrinterLock = &g_printerSettingsLock; }

CMyQuilletApp::~CMyQuilletApp() = default;

BOOL CMyQuilletApp::InitInstance() {
  SetTimeLocaleFromSystem();
  SetRegistryKey("Local AppWizard-Generated Applications");
  AddDocTemplate(new CSingleDocTemplate(IDR_MAINFRAME, RUNTIME_CLASS(CMyQuilletDoc), RUNTIME_CLASS(CMainFrame),
                                        RUNTIME_CLASS(CMyQuilletView)));
  CCommandLineInfo commandLine;
  ParseCommandLine(commandLine);
  // Guests' pictures a crashed run left in its private temporary folders go now.
  RemoveStalePrivateTempFolders(kClipFramesPrefix);
  RemoveStalePrivateTempFolders(kShareCopyPrefix);

  // The compatibility hand-over only ever applied to Windows 6.0, which this never is.
  if (IsWindows6_0() && NeedsCompatibilityRelaunch(6, 0, false, nullptr)) return TRUE;

  if (!ProcessShellCommand(commandLine)) return FALSE;
  m_pMainWnd->ShowWindow(m_nCmdShow);
  m_pMainWnd->UpdateWindow();

  // Scripts and start-up tests ask for a run of a given length.
  if (const char* quitAfter = std::getenv("TAVORIN_QUIT_AFTER_MS")) {
    int ms = std::atoi(quitAfter);
    ::SetTimer(nullptr, 0, static_cast<UINT>(ms > 0 ? ms : 1), [](HWND, UINT, UINT_PTR id, DWORD) {
      ::KillTimer(nullptr, id);
      if (CWnd* main = AfxGetMainWnd()) main->PostMessage(WM_CLOSE);
    });
  }
  return TRUE;
}

BOOL CMyQuilletApp::GetPrinterSettings(BYTE*& devMode, DWORD& devModeSize, BYTE*& devNames, DWORD& devNamesSize) {
  EnterCriticalSection(&g_printerSettingsLock);
  if (!m_hDevMode || !m_hDevNames) GetPrinterDeviceDefaults(nullptr);
  if (!m_hDevMode || !m_hDevNames) {
    LeaveCriticalSection(&g_printerSettingsLock);
    return FALSE;
  }
  devMode = CopyGlobal(m_hDevMode, devModeSize);
  devNames = CopyGlobal(m_hDevNames, devNamesSize);
  LeaveCriticalSection(&g_printerSettingsLock);
  return TRUE;
}

BOOL CMyQuilletApp::SetPrinterSettings(const BYTE* devMode, DWORD devModeSize, const BYTE* devNames,
                                       DWORD devNamesSize) {
  if (!devMode || !devModeSize || !devNames || !devNamesSize) return FALSE;
  EnterCriticalSection(&g_printerSettingsLock);
  if (m_hDevMode && GlobalFree(m_hDevMode)) {
    LeaveCriticalSection(&g_printerSettingsLock);
    return FALSE;
  }
  m_hDevMode = nullptr;
  if (m_hDevNames && GlobalFree(m_hDevNames)) {
    LeaveCriticalSection(&g_printerSettingsLock);
    return FALSE;
  }
  m_hDevNames = nullptr;
  m_hDevMode = NewGlobal(devMode, devModeSize);
  m_hDevNames = NewGlobal(devNames, devNamesSize);
  LeaveCriticalSection(&g_printerSettingsLock);
  return m_hDevMode && m_hDevNames;
}

void CMyQuilletApp::OnAppAbout() {
  CAboutDlg about;
  about.DoModal();
}
