// The view's camera object: connecting, disconnecting, re-learning, losing it, and the copy
// of the naming and saving settings the camera's download thread works from.
#include "app/ConnectWorker.h"
#include "app/FullscreenDlg.h"
#include "app/MyQuilletView.h"
#include "app/ProgressDlg.h"
#include "app/Resource.h"
#include "camera/ViewfinderDlg.h"
#include "platform/registry/registry.h"
#include "platform/user/message.h"
#include "platform/win32/thread.h"
#include "support/ProgramGlobals.h"

void CMyQuilletView::DeleteCamera() {
  delete m_pCamera;
  m_pCamera = nullptr;
  m_bViewfinderRunning = false;
}

void CMyQuilletView::UpdateCameraViewSettings() {
  if (!m_pCamera) return;
  CameraViewSettings settings;
  settings.directory = m_strDirectory;
  settings.year = m_bYear;
  settings.month = m_bMonth;
  settings.day = m_bDay;
  settings.flattenDate = m_bFlattenDate;
  settings.filenamePrefix = m_strFilenamePrefix;
  settings.prefixWithComment = m_bPrefixWithComment;
  settings.appendLetterDuringAEB = m_bAppendLetterDuringAEB;
  settings.uniqueId = m_strUniqueId;
  settings.comment = GetCommentText();
  settings.viewWindowExists = m_hWnd != nullptr;
  settings.photoboothDir = m_strPhotoboothImagesDir;
  settings.photoboothNumImages = m_nNumberOfPhotoboothImages;
  settings.photoboothShotsToTake = m_nShotsLeft;
  for (const CTVNImage& image : m_images) settings.imageList.push_back(image.m_strFileName);
  settings.aebRunning = m_nAutoBracket && m_nBracketStep >= 1;
  settings.aebStep = m_nBracketStep;
  settings.orientationSetting = m_nOrientationSetting;
  settings.losslessAutoRotate = m_bLosslessAutoRotate;
  settings.postProcessingEnable = m_nPostProcessingEnable;
  settings.postProcessingJpegQuality = m_nPostProcessingJpegQuality;
  settings.postProcessingResize = m_nPostProcessingResize;
  settings.postProcessingResizeWidth = m_nPostProcessingResizeWidth;
  settings.postProcessingResizeHeight = m_nPostProcessingResizeHeight;
  settings.postProcessingLevel = m_nPostProcessingLevel;
  settings.postProcessingLevelBlack = m_dPostProcessingLevelBlack;
  settings.postProcessingLevelWhite = m_dPostProcessingLevelWhite;
  settings.postProcessingSharpen = m_nPostProcessingSharpen;
  settings.postProcessingSharpenAmount = m_nPostProcessingSharpenAmount;
  settings.viewfinderCropOn = IsViewfinderCropOn() ? TRUE : FALSE;
  int left = 0, top = 0, right = 319, bottom = 239;
  GetViewfinderCropRect(m_pCamera, left, top, right, bottom);
  settings.viewfinderCropRect = {left, top, right, bottom};
  m_pCamera->SetViewSettings(settings);
}

namespace {

// The connection window that tells the connect worker when it exists.
class CConnectProgressDlg : public CProgressDlg {
 public:
  CConnectProgressDlg(CMyQuilletView* view) : CProgressDlg(view), m_pView(view) {}
  BOOL OnInitDialog() override {
    BOOL result = CProgressDlg::OnInitDialog();
    m_pView->m_hProgressWnd = m_hWnd;
    m_pView->m_nProgressState = 1;
    return result;
  }
  void OnDestroy() override {
    m_pView->m_hProgressWnd = nullptr;
    m_pView->m_nProgressState = 2;
    CProgressDlg::OnDestroy();
  }

 private:
  CMyQuilletView* m_pView;
};

}  // namespace

void CMyQuilletView::StartCameraConnection() {
  if (m_pCamera || m_bConnecting) return;
  // The connection reads and writes the model's settings.
  RetryMissedSettingsLoad();
  m_bConnecting = true;
  m_bMotionDetection = false;
  // The worker fills these through messages; bind the one the form's data exchange leaves out.
  if (!m_cbFlashOutput.m_hWnd && GetDlgItem(IDC_FLASHOUTPUT)) m_cbFlashOutput.SubclassDlgItem(IDC_FLASHOUTPUT, this);
  CWnd* frame = AfxGetMainWnd();
  if (frame) frame->SetWindowText("Tavorin - Connecting to camera...");
  auto* camera = new CCamera(this);
  camera->SetMessageSink(m_pSink);
  try {
    camera->Connect(nullptr);
  } catch (int) {
    delete camera;
    camera = nullptr;
  }
  if (camera) {
    m_pCamera = camera;
    UpdateCameraViewSettings();
    CConnectProgressDlg progress(this);
    progress.m_bHidden = m_pFullscreenDlg && m_bFullScreen;
    m_pProgressDlg = &progress;
    m_nProgressState = 0;
    HANDLE worker = CreateThread(nullptr, 0, ConnectThreadProc, this, 0, nullptr);
    if (worker) {
      progress.DoModal();
      m_nProgressState = 2;
      // The worker may still be sending to the form: keep serving it until it ends.
      while (WaitForSingleObject(worker, 10) == WAIT_TIMEOUT) PumpWaitingMessages();
      CloseHandle(worker);
    }
    m_pProgressDlg = nullptr;
    m_hProgressWnd = nullptr;
    m_bModelSettingsUnread = RegistryReadsMissed() != FALSE;
    FillReleaseSettingCombos();
    StartViewfinderAfterConnect();
  } else if (frame) {
    frame->SetWindowText("Tavorin - Not connected");
  }
  UpdateControls();
  m_bConnecting = false;
  FinishDeferredConnectWork();
}

void CMyQuilletView::StartViewfinderAfterConnect() {
  if (!m_pCamera) return;
  if (m_pFullscreenDlg && m_bFullScreen) {
    // The booth carries on: its live view follows the camera, then the ready screen.
    if (m_pFullscreenDlg->m_bLiveView && m_pCamera->IsConnected() && EnableViewfinder(true)) m_bLiveViewfinder = true;
    m_pFullscreenDlg->SetCountdownText("");
    m_pFullscreenDlg->ShowScreen(m_strPhotoboothImagesDir + "/ready.jpg", 1);
    m_pFullscreenDlg->SetFocus();
    return;
  }
  if (m_bStartPhotoboothOnConnect) {
    PostStartPhotoboothAfterConnect();
    return;
  }
  // The model's stored wish for live view: the worker read it into the flag.
  if (m_bLiveViewfinder) {
    m_bLiveViewfinder = false;
    OnLiveViewfinder();
  }
  if (m_nViewfinderOutput == 1 || m_nViewfinderOutput == 2) {
    bool accepted = m_nViewfinderOutput == 1 ? m_pCamera->ViewfinderToLcd() : m_pCamera->ViewfinderToVideoOut();
    if (accepted) EnableViewfinder(true);
  }
}

void CMyQuilletView::FinishDeferredConnectWork() {
  if (m_nShutdownAfterConnect >= 0) {
    int reason = m_nShutdownAfterConnect;
    m_nShutdownAfterConnect = -1;
    OnCameraShutdown(reason);
  }
  if (m_bIpcConnectPending) {
    m_bIpcConnectPending = false;
    IpcReply(m_pCamera ? kIpcDone : kIpcRefused);
  }
  if (m_bCloseAfterConnect) {
    m_bCloseAfterConnect = false;
    if (CWnd* main = AfxGetMainWnd()) main->PostMessage(WM_CLOSE);
  }
}

void CMyQuilletView::OnConnectStatus(WPARAM setTitle, LPARAM text) {
  const char* line = reinterpret_cast<const char*>(text);
  if (!line) return;
  SetStatusText(line);
  if (setTitle)
    if (CWnd* frame = AfxGetMainWnd()) frame->SetWindowText(line);
}

void CMyQuilletView::OnConnectCamera() {
  if (m_bConnecting) return;
  m_bMotionDetection = false;
  if (!m_pCamera) {
    StartCameraConnection();
  } else if (!m_bBusy) {
    SaveCameraSettings();
    if (m_bLiveViewfinder) {
      if (m_bViewfinderRunning) m_pCamera->StopViewfinder();
      m_bLiveViewfinder = false;
      if (m_pViewfinderDlg) m_pViewfinderDlg->ShowViewfinder(false);
    }
    DeleteCamera();
    SetStatusText("Tavorin - Not connected");
    if (CWnd* frame = AfxGetMainWnd()) frame->SetWindowText("Tavorin - Not connected");
  }
  UpdateControls();
}

void CMyQuilletView::OnRelearnCameraSettings() {
  if (m_bBusy || m_bConnecting) return;
  CString modelKey = GetCameraModelKey();
  if (m_pCamera) OnConnectCamera();
  // Forget the model's learned value lists and settings, so the next connection learns afresh.
  RetryMissedSettingsLoad();
  if (!modelKey.IsEmpty()) SHDeleteKeyA(HKEY_CURRENT_USER, modelKey);
  StartCameraConnection();
  UpdateControls();
}

void CMyQuilletView::OnCameraShutdown(int reason) {
  if (!m_pCamera) return;
  if (m_bConnecting) {
    // The connect worker still uses the camera: it is forgotten once the worker has ended.
    m_nShutdownAfterConnect = reason;
    return;
  }
  static const char* const reasons[] = {"connection lost",  "battery low",        "dial changed",
                                        "Memory card door opened", "battery cover open", "connection timeout"};
  CString message = CString("Camera shutdown: ") + (reason >= 1 && reason <= 5 ? reasons[reason] : reasons[0]);
  // A settings dialog is left with Cancel's result; the booth window stays to show the camera is gone.
  HWND popup = m_hWnd ? ::GetLastActivePopup(m_hWnd) : nullptr;
  if (popup && popup != m_hWnd && !(m_pFullscreenDlg && popup == m_pFullscreenDlg->m_hWnd))
    ::EndDialog(popup, 2);
  DeleteCamera();
  if (m_pFullscreenDlg && m_bFullScreen) {
    m_pFullscreenDlg->SetCountdownText("");
    m_pFullscreenDlg->ShowScreen(m_strPhotoboothImagesDir + "/camera_not_connected.jpg", 1);
  }
  if (CWnd* frame = AfxGetMainWnd()) frame->SetWindowText("Tavorin - Not connected");
  SetStatusText(message);
  m_strLastMessage = message;
  if (!m_bAutoReconnect) {
    CWnd* frame = AfxGetMainWnd();
    ::MessageBoxA(frame ? frame->m_hWnd : nullptr, message, "Tavorin", MB_ICONERROR);
  }
}
