// The server half of the remote-control channel: commands arrive as the registered IPC
// message and run on the UI thread. Settings are changed through the form's own controls and
// their notifications, exactly as if the user had chosen them.
#include <cstring>

#include "app/MyQuilletView.h"
#include "app/Resource.h"
#include "camera/CameraNaming.h"
#include "camera/ViewfinderDlg.h"
#include "platform/user/message.h"
#include "platform/win32/files.h"
#include "platform/win32/trace.h"

namespace {

// The form combo box an index command selects in and its selection-change handler.
struct IndexTarget {
  CComboBox* combo;
  void (CMyQuilletView::*handler)();
};

IndexTarget IndexCombo(CMyQuilletView* view, int command) {
  switch (command) {
    case kIpcTv: return {&view->m_cbTv, &CMyQuilletView::OnSelchangeTv};
    case kIpcAv: return {&view->m_cbAv, &CMyQuilletView::OnSelchangeAv};
    case kIpcExpMode: return {&view->m_cbExpMode, &CMyQuilletView::OnSelchangeExpMode};
    case kIpcExpComp: return {&view->m_cbExpComp, &CMyQuilletView::OnSelchangeExpComp};
    case kIpcIso: return {&view->m_cbIso, &CMyQuilletView::OnSelchangeIso};
    case kIpcSizeQuality: return {&view->m_cbSizeQuality, &CMyQuilletView::OnSelchangeSizeQuality};
    case kIpcWhiteBalance: return {&view->m_cbWhiteBalance, &CMyQuilletView::OnSelchangeWhiteBalance};
    case kIpcFlash: return {&view->m_cbFlash, &CMyQuilletView::OnSelchangeFlash};
    case kIpcAfDistance: return {&view->m_cbAfDistance, &CMyQuilletView::OnSelchangeAfDistance};
    default: return {nullptr, nullptr};
  }
}

}  // namespace

void CMyQuilletView::IpcReply(int status, const char* text) {
  if (m_pIPC) m_pIPC->sendReply(m_hWnd, status, text);
}

void CMyQuilletView::OnIpcMessage() {
  if (!m_pIPC) m_pIPC = std::make_unique<TavorinIPC>();
  int parameter = 0;
  int command = m_pIPC->readRequest(&parameter);
  TRACE("CMyQuilletView::OnIpcMessage() - command %d, parameter %d\n", command, parameter);
  if (m_bConnecting && !OnIpcWhileConnecting(command, parameter)) return;
  if (IndexTarget target = IndexCombo(this, command); target.combo) {
    if (!m_pCamera) return IpcReply(kIpcNotConnected);
    if (m_bBusy) return IpcReply(kIpcBusy);
    int count = target.combo->m_hWnd ? target.combo->GetCount() : 0;
    if (parameter < 0 || parameter >= count) return IpcReply(kIpcRefused);
    IpcReply(kIpcDone);
    target.combo->SetCurSel(parameter);
    return (this->*target.handler)();
  }
  switch (command) {
    case kIpcStatus:
      if (!m_pCamera) return IpcReply(kIpcNotConnected);
      return IpcReply(m_bBusy ? kIpcBusy : kIpcIdle, m_pCamera->GetModelName());
    case kIpcRelease:
      if (!m_pCamera) return IpcReply(kIpcNotConnected);
      if (m_bBusy) return IpcReply(kIpcBusy);
      // Refusals the view can see now are answered now; the client would wait in vain.
      if (!m_pCamera->IsConnected() || IsBulbSelected()) return IpcReply(kIpcRefused);
      m_pIPC->setProgress(0);
      IpcReply(kIpcReleaseStarted);
      m_bIpcReleaseWaiting = true;  // a later refusal of the view still answers
      PostMessage(WM_COMMAND, IDC_RELEASE, 0);
      return;
    case kIpcZoom: {
      if (!m_pCamera) return IpcReply(kIpcNotConnected);
      if (m_bBusy) return IpcReply(kIpcBusy);
      int maximum = m_zoomSlider.m_hWnd ? m_zoomSlider.GetRangeMax() : 0;
      if (parameter < 0 || parameter > maximum) return IpcReply(kIpcRefused);
      IpcReply(kIpcDone);
      m_zoomSlider.SetPos(parameter);
      UpdateZoom();
      return;
    }
    case kIpcSetDirectory:
      return OnIpcSetDirectory();
    case kIpcGetDirectory: {
      CameraViewSettings settings;
      settings.directory = m_strDirectory;
      settings.year = m_bYear;
      settings.month = m_bMonth;
      settings.day = m_bDay;
      settings.flattenDate = m_bFlattenDate;
      return IpcReply(kIpcDone, GetImageDirectory(settings));
    }
    case kIpcComment:
    case kIpcPrefix: {
      char text[768];
      if (!m_pIPC->requestText(text) || std::strlen(text) >= 256) return IpcReply(kIpcRefused);
      IpcReply(kIpcDone);
      if (command == kIpcComment) {
        if (m_editComment.m_hWnd) m_editComment.SetWindowText(text);
      } else {
        m_strFilenamePrefix = text;
      }
      UpdateCameraViewSettings();
      return;
    }
    case kIpcGetModel:
      return IpcReply(kIpcDone, m_pCamera ? m_pCamera->GetModelName() : CString());
    case kIpcConnect:
      return OnIpcConnect(parameter != 0);
    case kIpcExit:
      IpcReply(kIpcDone);
      // The model's settings need the camera: keep them before it goes.
      SaveCameraSettings();
      if (m_pCamera && m_bViewfinderRunning) m_pCamera->StopViewfinder();
      DeleteCamera();
      SaveSettings();
      PostQuitMessage(0);
      return;
    case kIpcViewfinder:
      if (parameter < 0 || parameter > 5) {
        IpcReply(kIpcRefused);
      } else {
        IpcReply(kIpcDone);
        if (parameter == 0 ? m_bLiveViewfinder : !m_bLiveViewfinder) OnLiveViewfinder();
        if (parameter != 0) {
          m_nViewfinderScale = parameter;
          if (m_pViewfinderDlg) m_pViewfinderDlg->SetScale(parameter);
        }
      }
      return;
    case kIpcAfLock:
      IpcReply(kIpcDone);
      if (m_chkAfLock.m_hWnd) m_chkAfLock.SetCheck(parameter == 0 ? BST_CHECKED : BST_UNCHECKED);
      return OnAfLock();
    case kIpcRefocus:
      IpcReply(kIpcDone);
      if (m_pCamera && !m_bBusy) RefocusWithAfLock();
      return;
    default:
      // No client may be left waiting for a command this program does not know.
      return IpcReply(kIpcRefused);
  }
}

bool CMyQuilletView::OnIpcWhileConnecting(int command, int parameter) {
  switch (command) {
    case kIpcSetDirectory:
    case kIpcGetDirectory:
    case kIpcComment:
    case kIpcPrefix:
    case kIpcGetModel:
      return true;  // these leave the camera alone
    case kIpcConnect:
      if (parameter == 0) {
        IpcReply(kIpcBusy);
      } else {
        // The connection under way answers this command when it ends.
        IpcReply(kIpcConnecting);
        m_bIpcConnectPending = true;
      }
      return false;
    case kIpcExit:
      IpcReply(kIpcDone);
      m_bCloseAfterConnect = true;
      return false;
    default:
      // The connect worker is using the camera.
      IpcReply(kIpcBusy);
      return false;
  }
}

void CMyQuilletView::OnIpcSetDirectory() {
  if (m_pCamera && m_bBusy) return IpcReply(kIpcBusy);
  char text[768];
  if (!m_pIPC->requestText(text)) return IpcReply(kIpcRefused);
  CString path = text;
  if (path.GetLength() > 3 && path.Right(1) != "/") path += "/";
  if (!PathFileExistsA(path) && !CreateDirectoryPath(path)) return IpcReply(kIpcRefused);
  m_strDirectory = path;
  IpcReply(kIpcDone);
  UpdateCameraViewSettings();
}

void CMyQuilletView::OnIpcConnect(bool connect) {
  if (m_pCamera) {
    if (connect) return IpcReply(kIpcDone);
    if (m_bBusy) return IpcReply(kIpcBusy);
    IpcReply(kIpcConnecting);
    OnConnectCamera();
    return IpcReply(m_pCamera ? kIpcRefused : kIpcDone);
  }
  if (!connect) return IpcReply(kIpcDone);
  IpcReply(kIpcConnecting);
  OnConnectCamera();
  IpcReply(m_pCamera ? kIpcDone : kIpcRefused);
}
