// The view's window procedure: where the camera layer's threads deliver downloads, events
// and errors (WM_USER + 1000 + n), and where the registered hot-spot and IPC messages land.
#include <filesystem>
#include <functional>

#include "app/ConnectWorker.h"
#include "app/FullscreenDlg.h"
#include "app/ImagePreviewDlg.h"
#include "app/MyQuilletView.h"
#include "app/Resource.h"
#include "platform/win32/codepage.h"
#include "platform/win32/files.h"
#include "platform/win32/trace.h"
#include "support/TextUtilities.h"

namespace {

bool IsCameraMessage(UINT message) { return message >= WM_DOWNLOAD_PROGRESS && message <= WM_UPDATE_ZOOM; }

// Messages a time-lapse window also follows.
bool IsTimeLapseCopy(UINT message) {
  return message == WM_DOWNLOAD_PROGRESS || message == WM_DISPLAY_JPEG || message == WM_EXIF ||
         message == WM_CAMERA_EVENT || message == WM_RELEASE_ERROR || message == WM_SAVED_FILE;
}

LONGLONG FileSizeOf(const CString& path) {
  std::error_code error;
  auto size = std::filesystem::file_size(NativePath(path), error);
  return error ? 0 : static_cast<LONGLONG>(size);
}

}  // namespace

LRESULT CMyQuilletView::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  try {
    return HandleMessage(message, wParam, lParam);
  } catch (...) {
    TRACE("CMyQuilletView::WindowProc() - message 0x%04X failed\n", message);
  }
  try {
    m_nBracketStep = -1;
    m_nShotsLeft = -1;
    ShowBlankScreen(false);
    OnShotFinished();
    SetStatusText("Error: the command could not be completed");
  } catch (...) {
    m_bBusy = false;
    EnableWindow(TRUE);
  }
  return 0;
}

LRESULT CMyQuilletView::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CONNECT_STATUS) {
    OnConnectStatus(wParam, lParam);
    return 0;
  }
  if (message == WM_DISPLAY_RENDERED) {
    OnDisplayRendered(static_cast<unsigned>(wParam));
    return 0;
  }
  if (message == WM_RUN_ON_VIEW) {
    if (lParam) (*reinterpret_cast<const std::function<void()>*>(lParam))();
    return 0;
  }
  if (message == WM_COMMAND && OnFormCommand(LOWORD(wParam), HIWORD(wParam))) return 0;
  if (message == WM_HSCROLL && m_zoomSlider.m_hWnd && reinterpret_cast<HWND>(lParam) == m_zoomSlider.m_hWnd) {
    OnZoomScroll(LOWORD(wParam));
    return 0;
  }
  if (IsCameraMessage(message)) {
    if (m_pTimeLapseWindow && m_pTimeLapseWindow->m_hWnd && IsTimeLapseCopy(message))
      m_pTimeLapseWindow->PostMessage(message, wParam, lParam);
    switch (message) {
      case WM_DOWNLOAD_PROGRESS:
        OnDownloadProgress(wParam);
        break;
      case WM_DISPLAY_JPEG:
        OnDisplayJpeg(wParam, lParam);
        break;
      case WM_EXIF:
        OnExif(lParam);
        break;
      case WM_CAMERA_EVENT:
        OnCameraShutdown(static_cast<int>(wParam));
        OnShotFinished();
        m_nShotsLeft = -1;
        break;
      case WM_RELEASE_ERROR:
        OnReleaseError(static_cast<DWORD>(wParam));
        break;
      case WM_SAVED_FILE:
        OnSavedFile(lParam);
        break;
      case WM_INITIAL_CONNECT:
        m_bInitialConnectDone = true;
        StartCameraConnection();
        LayoutOptionButtons();
        break;
      case WM_CAMERA_SHUTTER_PRESSED:
        OnTakePicture();
        break;
      case WM_CAMERA_ROTATION:
        m_nRotation = static_cast<int>(wParam);
        break;
      case WM_CAMERA_SETTINGS_CHANGED:
        // The camera's own controls moved (mode dial): the exposure controls follow on this thread.
        FillReleaseSettingCombos();
        break;
      case WM_UPDATE_ZOOM:
        OnUpdateZoom();
        break;
      default:
        break;
    }
    return CFormView::WindowProc(message, wParam, lParam);
  }
  if (g_nHotSpotMessage != 0 && message == g_nHotSpotMessage) return OnHotSpotMessage(wParam, lParam);
  if (m_nIPCMessage != 0 && message == m_nIPCMessage) {
    OnIpcMessage();
    return 1;
  }
  if (message == WM_ACTIVATE) {
    LRESULT result = CFormView::WindowProc(message, wParam, lParam);
    if (m_pImagePreviewDlg) m_pImagePreviewDlg->StayOnTop(LOWORD(wParam) != 0);
    return result;
  }
  if (message == WM_SIZE && m_pCurrentJpeg) LayoutOptionButtons();
  if (message == WM_MBUTTONDOWN) OnMButtonDown(static_cast<UINT>(wParam), CPoint(LOWORD(lParam), HIWORD(lParam)));
  return CFormView::WindowProc(message, wParam, lParam);
}

void CMyQuilletView::OnDownloadProgress(WPARAM percent) {
  ShowBlankScreen(false);
  if (m_pIPC && percent <= 100) m_pIPC->setProgress(static_cast<int>(percent));
  CWnd* lens = GetDlgItem(IDC_LENS);
  if (m_downloadProgress.m_hWnd) m_downloadProgress.ShowWindow(percent == 0 ? SW_HIDE : SW_SHOW);
  if (lens) lens->ShowWindow(percent == 0 ? SW_SHOW : SW_HIDE);
  if (percent <= 100 && m_downloadProgress.m_hWnd) m_downloadProgress.SetPos(static_cast<int>(percent));
  if (percent >= 1 && percent <= 99) {
    CString text;
    if (m_nAutoBracket && m_nBracketStep >= 1)
      text.Format("Auto-bracket shot %d: Downloading image...", m_nBracketStep);
    else
      text = "Downloading image...";
    SetStatusText(text);
  }
}

void CMyQuilletView::OnDisplayJpeg(WPARAM size, LPARAM buffer) {
  m_bReleasePending = false;
  TRACE("CMyQuilletView::WindowProc() - WM_DISPLAY_JPEG\n");
  delete[] m_pCurrentJpeg;
  m_pCurrentJpeg = reinterpret_cast<BYTE*>(buffer);
  m_nCurrentJpegSize = m_pCurrentJpeg ? static_cast<DWORD>(size) : 0;

  bool boothWindow = m_bPhotoboothActive && m_pFullscreenDlg && m_pFullscreenDlg->m_hWnd;
  if (m_bHideFailedShot) {
    m_bHideFailedShot = false;
    boothWindow = false;
  }
  if (m_nShotsLeft > 0) {
    m_nPreviewTicks = 0;
    if (boothWindow) {
      if (m_nPhotoboothPreviewTime > 0) {
        m_nPreviewTicks = (m_bPhotoboothShowGrid && m_nShotsLeft == 1) ? 360000 : 20 * m_nPhotoboothPreviewTime;
        m_pFullscreenDlg->SendMessage(WM_DISPLAY_JPEG, m_nCurrentJpegSize, reinterpret_cast<LPARAM>(m_pCurrentJpeg));
      } else if (m_bPhotoboothThumnailEnable) {
        m_pFullscreenDlg->SendMessage(WM_DISPLAY_JPEG, m_nCurrentJpegSize, reinterpret_cast<LPARAM>(m_pCurrentJpeg));
      }
    }
    if (--m_nShotsLeft == 0) {
      StartPhotoboothProcessing();
      m_nShotsLeft = -1;
    } else {
      ULONGLONG now = s_pfnTicks();
      m_nNextShotTime = m_bPhotoboothClickerMode ? now + 1000 : now + m_nPhotoboothInterval * 1000ULL - 1;
      if (boothWindow && m_nPhotoboothPreviewTime > 0) m_nNextShotTime += m_nPhotoboothPreviewTime * 1000ULL;
    }
  } else if (boothWindow) {
    m_pFullscreenDlg->PostMessage(WM_DISPLAY_JPEG, m_nCurrentJpegSize, reinterpret_cast<LPARAM>(m_pCurrentJpeg));
  }
  // A large photo takes a while to decode: the window, the remote control and the next shot
  // are not kept waiting for it.
  RefreshDisplayInBackground();
  PostMessage(WM_DOWNLOAD_PROGRESS, 0, 0);
  UpdateControls();
}

void CMyQuilletView::OnExif(LPARAM exif) {
  TRACE("CMyQuilletView::WindowProc() - WM_EXIF\n");
  delete m_pCurrentExif;
  m_pCurrentExif = reinterpret_cast<Exif*>(exif);
}

void CMyQuilletView::OnReleaseError(DWORD code) {
  ShowBlankScreen(false);
  IpcReply(kIpcRefused);  // before the box, so a remote client is not kept waiting
  // A series that fails keeps none of its exposures for later photos, and runs no command.
  if (m_nBracketStep > 0) RestoreBracketSettings();
  m_nBracketStep = -1;
  m_seriesFiles.clear();
  // A failed release ends the session: no second release comes for that photo.
  const bool sessionRunning = m_nShotsLeft >= 0;
  CFullscreenDlg* booth = m_bPhotoboothActive ? BoothWindow() : nullptr;
  if (booth && code == 1) {
    m_nShotsLeft = -1;
    m_strLastMessage = "Unable to release shutter.\nThis may be because the AF was unable to lock";
    booth->SendMessage(WM_RELEASE_ERROR, 1, 0);
    // The box ran its own loop: the window is asked for again, it may have gone meanwhile.
    if (CFullscreenDlg* still = BoothWindow(); still && sessionRunning) still->ReturnToStart();
  } else if (!(m_pTimeLapseWindow && m_pTimeLapseWindow->m_hWnd)) {
    CString text;
    if (code == 1)
      text = "Unable to release shutter.\nThis may be because the AF was unable to lock";
    else if ((code & 0xFFFF) == 135)
      text = "ERROR: no memory card in camera\nPlease select 'Save to PC only' or\ncheck there is a memory card in the camera";
    else if ((code & 0xFFFF) == 0x2019)
      text = "ERROR: Memory card full or not present";
    else
      text.Format("Error taking photo.\nError code=0x%04X", static_cast<unsigned>(code));
    EndSessionWithBox(text);
  } else {
    m_nShotsLeft = -1;
  }
  OnShotFinished();
}

void CMyQuilletView::EndSessionWithBox(const CString& text) {
  const bool sessionRunning = m_nShotsLeft >= 0;
  m_nShotsLeft = -1;
  m_strLastMessage = text;
  CFullscreenDlg* booth = m_bPhotoboothActive ? BoothWindow() : nullptr;
  CWnd* frame = AfxGetMainWnd();
  ::MessageBoxA(booth ? booth->m_hWnd : (frame ? frame->m_hWnd : nullptr), text, "Tavorin", MB_ICONERROR);
  // The box ran its own loop: the window is asked for again, it may have gone meanwhile.
  if (CFullscreenDlg* still = m_bPhotoboothActive ? BoothWindow() : nullptr; still && sessionRunning)
    still->ReturnToStart();
}

bool CMyQuilletView::HasSessionPhotos() const {
  const int n = m_nNumberOfPhotoboothImages;
  if (n < 1 || static_cast<int>(m_images.size()) < n) return false;
  return m_nSessionPhotos < 0 || m_nSessionPhotos >= n;
}

void CMyQuilletView::OnSavedFile(LPARAM lParam) {
  TRACE("CMyQuilletView::WindowProc() - WM_SAVED_FILE\n");
  CString* text = reinterpret_cast<CString*>(lParam);
  m_nCurrentImage = -1;
  m_bHideFailedShot = false;  // a new item: the picture of an earlier failed one is not coming
  const bool inSession = m_nShotsLeft > 0;
  if (text && !text->IsEmpty() && PathFileExistsA(*text)) {
    if (inSession && m_nSessionPhotos >= 0) ++m_nSessionPhotos;
    const CString path = *text;
    for (int i = static_cast<int>(m_images.size()) - 1; i >= 0; --i)
      if (m_images[i].m_strFileName.CompareNoCase(path) == 0) m_images.erase(m_images.begin() + i);
    m_images.emplace_back(path);
    m_nCurrentImage = static_cast<int>(m_images.size()) - 1;
    if (m_nAutoBracket && m_nBracketStep >= 1) m_seriesFiles.push_back(path);
    OnShotFinished();
    if (!(m_nAutoBracket && m_nBracketStep >= 1)) {
      CString status = "Saved: " + path + " (" + FormatFileSize(FileSizeOf(path)) + ")";
      if (m_pCurrentExif && !m_pCurrentExif->GetAperture().IsEmpty()) {
        delete m_pCurrentExif;
        m_pCurrentExif = new Exif(path);
        CString summary = m_pCurrentExif->GetSummary();
        if (!summary.IsEmpty()) status += " - " + summary;
      }
      SetStatusText(status + SavedFileNotes(path));
    }
    if (m_nAutoEdit) OnEditImage();
  } else if (text && !text->IsEmpty()) {
    CString status = *text;
    if (m_pCurrentExif && !m_pCurrentExif->GetAperture().IsEmpty()) {
      CString summary = m_pCurrentExif->GetSummary();
      if (!summary.IsEmpty()) status += " - " + summary;
    }
    SetStatusText(status);
    OnShotFinished();
  } else {
    OnShotFinished();
  }
  const bool onComputer = text && !text->IsEmpty() && PathFileExistsA(*text);
  const bool elsewhere = text && (*text == STATUS_IMAGE_SAVED_TO_CARD || *text == STATUS_IMAGE_STORED_ON_CARD ||
                                  *text == STATUS_IMAGE_DOWNLOADED);
  if (inSession && !onComputer && !elsewhere) {
    // The guest's photo is lost: the session ends, and its picture, if it still comes, is
    // neither counted nor shown.
    m_bHideFailedShot = true;
    if (m_pIPC) IpcReply(kIpcRefused, text ? static_cast<const char*>(*text) : STATUS_ERROR_SAVING_IMAGE);
    CString reason = text && !text->IsEmpty() ? *text : CString(STATUS_ERROR_SAVING_IMAGE);
    delete text;
    EndSessionWithBox(reason);
    return;
  }
  if (m_pIPC) {
    if (text && !text->IsEmpty() && PathFileExistsA(*text)) {
      IpcReply(kIpcSaved, *text);
    } else if (text && (*text == STATUS_IMAGE_SAVED_TO_CARD || *text == STATUS_IMAGE_STORED_ON_CARD ||
                        *text == STATUS_IMAGE_DOWNLOADED)) {
      IpcReply(kIpcSaved, "");  // the picture stayed on the card, or was only a preview
    } else {
      // Nothing reached the computer although it should have: never report that as saved.
      IpcReply(kIpcRefused, text ? static_cast<const char*>(*text) : STATUS_ERROR_SAVING_IMAGE);
    }
  }
  delete text;
}
