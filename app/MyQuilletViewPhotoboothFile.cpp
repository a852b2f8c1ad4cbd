// The view's side of the photobooth settings file: its own settings as the source and target,
// the application's printer, and the work after a load.
#include "app/FullscreenDlg.h"
#include "app/MyQuilletApp.h"
#include "app/MyQuilletView.h"
#include "config/PhotoboothProfiles.h"
#include "config/PhotoboothSettingsFile.h"
#include "platform/mfc/filedialog.h"
#include "platform/win32/files.h"
#include "support/Toning.h"

BOOL CMyQuilletView::SavePhotoboothSettings(const char* path, bool includePrinter) {
  PhotoboothPrinterRecords printer;
  bool withPrinter = false;
  if (includePrinter) {
    if (CMyQuilletApp* app = GetMyQuilletApp()) {
      BYTE *devMode = nullptr, *devNames = nullptr;
      DWORD devModeSize = 0, devNamesSize = 0;
      if (app->GetPrinterSettings(devMode, devModeSize, devNames, devNamesSize)) {
        printer.devMode.assign(devMode, devMode + devModeSize);
        printer.devNames.assign(devNames, devNames + devNamesSize);
        delete[] devMode;
        delete[] devNames;
        withPrinter = true;
      }
    }
  }
  CString error;
  if (!WritePhotoboothSettingsFile(path, *this, false, withPrinter ? &printer : nullptr, error)) {
    ShowPhotoboothFileError(m_hWnd, error);
    return FALSE;
  }
  return TRUE;
}

BOOL CMyQuilletView::LoadPhotoboothSettings(const char* path) {
  if (m_bBusy || m_nShotsLeft > 0 || m_bProcessingUnderWay) return FALSE;
  PhotoboothFileReadResult result;
  CString error;
  if (!ReadPhotoboothSettingsFile(path, *this, false, result, error)) {
    ShowPhotoboothFileError(m_hWnd, error);
    return FALSE;
  }
  if (result.hasPrinter) {
    if (CMyQuilletApp* app = GetMyQuilletApp())
      app->SetPrinterSettings(result.printer.devMode.data(), static_cast<DWORD>(result.printer.devMode.size()),
                              result.printer.devNames.data(), static_cast<DWORD>(result.printer.devNames.size()));
  }

  if (m_bPhotoboothActive && m_pFullscreenDlg && m_pFullscreenDlg->m_hWnd) {
    m_bLiveViewfinder = m_bPhotoboothEnableLiveView != FALSE;
    m_pFullscreenDlg->m_bLiveView = m_bLiveViewfinder;
    EnableViewfinder(m_bLiveViewfinder);
    m_pFullscreenDlg->SetCountdownText("");
    m_pFullscreenDlg->ShowScreen(m_strPhotoboothImageDir + "/ready.jpg", 0);
  }
  BuildToningTable(m_nPhotoboothToningHue / 360.0, m_nPhotoboothToningSaturation / 100.0);
  CString overlay = m_strPhotoboothImageDir + "/live_view_overlay.png";
  m_bLiveViewOverlay = PathFileExistsA(overlay) != FALSE;
  m_strLiveViewOverlay = m_bLiveViewOverlay ? overlay : CString();
  return TRUE;
}

void CMyQuilletView::OnLoadPhotoboothSettings() {
  if (m_bBusy || m_nShotsLeft > 0 || m_bProcessingUnderWay) return;
  if (!m_bPhotoboothActive || !m_pFullscreenDlg || !m_pFullscreenDlg->m_hWnd) return;
  CFileDialog dialog(TRUE, nullptr, nullptr, OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR,
                     "Photobooth settings (*.xml)|*.xml||", m_pFullscreenDlg);
  dialog.m_ofn.lpstrTitle = "Load Photobooth Settings";
  if (dialog.DoModal() != IDOK) return;
  LoadPhotoboothSettings(dialog.GetPathName());
}

void CMyQuilletView::SelectPhotoboothProfile(int profile) {
  int slot = ResolveProfileRequest(profile, m_nPhotoboothCurrentProfile, m_strPhotoboothProfiles);
  if (slot == 0) return;
  // A switch leaves the welcome screen for the ready screen, not the booth.
  if (m_pFullscreenDlg && m_pFullscreenDlg->m_hWnd && m_pFullscreenDlg->IsWelcomeScreen())
    m_pFullscreenDlg->ToggleWelcomeReady();
  CString path = ExpandProfilePath(m_strPhotoboothProfiles[slot - 1], m_strPhotoboothImageDir);
  if (path.IsEmpty()) return;
  // The number moves even when the file is missing: the booth stays on its settings.
  m_nPhotoboothCurrentProfile = slot;
  if (PathFileExistsA(path)) LoadPhotoboothSettings(path);
}
