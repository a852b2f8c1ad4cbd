// Starting a shot (picture or preview) and the common tail that ends every shot.
#include "app/FullscreenDlg.h"
#include "app/MyQuilletView.h"
#include "app/Resource.h"
#include "camera/ViewfinderDlg.h"
#include "platform/win32/sync.h"

namespace {

const DWORD kBulb = 4;

int MessageBoxTavorin(const char* text, UINT type) {
  CWnd* frame = AfxGetMainWnd();
  return ::MessageBoxA(frame ? frame->m_hWnd : nullptr, text, "Tavorin", type);
}

// Selects a combo entry and sends its value to the camera.
void SelectAndApply(CComboBox& combo, int index, CCamera* camera, bool (CCamera::*apply)(DWORD)) {
  if (index < 0 || !combo.m_hWnd) return;
  combo.SetCurSel(index);
  if (camera) (camera->*apply)(static_cast<DWORD>(combo.GetItemData(index)));
}

}  // namespace

bool CMyQuilletView::IsG9WithoutAfLock() {
  if (!m_pCamera || m_pCamera->GetModelName().Find("G9") < 0) return false;
  return !m_chkAfLock.m_hWnd || m_chkAfLock.GetCheck() == BST_UNCHECKED;
}

// The checks both releases share: no bulb exposure from here, the camera's UI locked, and
// the viewfinder stopped. False when the release must not go ahead (the user was told).
bool CMyQuilletView::IsBulbSelected() const { return SelectedItemData(m_cbTv) == kBulb; }

void CMyQuilletView::RefuseIpcRelease() {
  if (!m_bIpcReleaseWaiting) return;
  m_bIpcReleaseWaiting = false;
  IpcReply(kIpcRefused);
}

bool CMyQuilletView::PrepareRelease() {
  if (IsBulbSelected()) {
    RefuseIpcRelease();
    MessageBoxTavorin("Bulb mode is only available when using the camera's shutter release", MB_OK);
    return false;
  }
  if (!m_pCamera->LockUI()) {
    RefuseIpcRelease();
    MessageBoxTavorin("Unable to release the shutter.\nPlease check that the camera's LCD display is off and try again",
                      MB_OK);
    return false;
  }
  if (m_bViewfinderRunning) m_bViewfinderRunning = !m_pCamera->StopViewfinder();
  return true;
}

void CMyQuilletView::EndRefusedShot() {
  // Code 0 is no SDK error: the sequence only ends its shot, with no box.
  if (m_pTimeLapseWindow && m_pTimeLapseWindow->m_hWnd) m_pTimeLapseWindow->PostMessage(WM_RELEASE_ERROR, 0, 0);
}

void CMyQuilletView::OnTakePicture() {
  if (m_bConnecting || !m_pCamera || !m_pCamera->IsConnected()) {
    RefuseIpcRelease();
    EndRefusedShot();
  }
  if (m_bConnecting) return;  // the connect worker holds the camera
  if (!m_pCamera || !m_pCamera->IsConnected()) {
    DeleteCamera();
    if (MessageBoxTavorin("Camera is not connected.\nDo you wish to reconnect?", MB_YESNO | MB_ICONQUESTION) ==
        IDYES) {
      StartCameraConnection();
      if (!m_pCamera) MessageBoxTavorin("Unable to connect to camera", MB_ICONERROR);
    }
    UpdateControls();
    return;
  }
  if (!PrepareRelease()) {
    EndRefusedShot();
    return;
  }
  m_bIpcReleaseWaiting = false;  // asked of the camera now: its own errors end the client's wait
  m_bPreviewShot = false;
  m_bBusy = true;
  if (m_bBlankScreenWhenTakingPhoto) ShowBlankScreen(true);
  if (m_nAutoBracket) {
    if (m_nBracketStep < 1) {
      m_nBracketStep = 1;
      m_seriesFiles.clear();
      CalcBracketPlan();
    }
    CString text;
    text.Format("Auto-bracket shot %d", m_nBracketStep);
    SetStatusText(text);
    if (m_nBracketStep - 1 < static_cast<int>(m_bracketPlan.size())) {
      const BracketStep& step = m_bracketPlan[m_nBracketStep - 1];
      SelectAndApply(m_cbTv, step.tv, m_pCamera, &CCamera::SetTv);
      SelectAndApply(m_cbAv, step.av, m_pCamera, &CCamera::SetAv);
      SelectAndApply(m_cbExpComp, step.expComp, m_pCamera, &CCamera::SetExposureComp);
    }
  } else {
    SetStatusText("Taking picture");
  }
  m_pCamera->SetSaveMode(static_cast<DWORD>(m_nStoreImage));
  UpdateCameraViewSettings();
  if (m_pViewfinderDlg) m_pViewfinderDlg->KeepOnionSkinFrame();
  if (IsG9WithoutAfLock()) m_pCamera->LockFocus(true);
  m_pCamera->StartReleaseThread();
  // The camera is on its way: the form is disabled after, not before, so that it does not delay
  // the shot (the camera's messages reach the view only once this returns).
  EnableWindow(FALSE);
  if (m_btnRelease.m_hWnd) m_btnRelease.EnableWindow(FALSE);
  if (m_btnPreview.m_hWnd) m_btnPreview.EnableWindow(FALSE);
  UpdateControls();
}

void CMyQuilletView::OnTakePreview() {
  if (!m_pCamera || !m_pCamera->IsConnected()) {
    OnTakePicture();  // the same reconnect question
    return;
  }
  if (!PrepareRelease()) return;
  // The preview size: from the size/quality entries (high word size, low word quality), last first.
  DWORD size = 2;
  if (m_cbSizeQuality.m_hWnd && (m_nPreviewSize == 1 || m_nPreviewSize == 2)) {
    int count = m_cbSizeQuality.GetCount();
    for (int i = count - 1; i >= 1; --i) {
      DWORD found = HIWORD(static_cast<DWORD>(m_cbSizeQuality.GetItemData(i)));
      if (found == 2) continue;
      size = found;
      if (m_nPreviewSize == 2) {
        for (int j = i - 1; j >= 1; --j) {
          DWORD next = HIWORD(static_cast<DWORD>(m_cbSizeQuality.GetItemData(j)));
          if (next != found) {
            size = next;
            break;
          }
        }
      }
      break;
    }
  }
  if (!m_pCamera->SetImageFormat(size, 2)) {
    m_pCamera->UnlockUI();
    MessageBoxTavorin("Error selecting small, normal quality JPEG for preview", MB_OK);
    return;
  }
  m_bPreviewShot = true;
  m_bBusy = true;
  EnableWindow(FALSE);
  if (m_btnRelease.m_hWnd) m_btnRelease.EnableWindow(FALSE);
  if (m_btnPreview.m_hWnd) m_btnPreview.EnableWindow(FALSE);
  if (m_bBlankScreenWhenTakingPhoto) ShowBlankScreen(true);
  m_pCamera->SetSaveMode(1);
  SetStatusText("Taking preview picture");
  UpdateCameraViewSettings();
  if (IsG9WithoutAfLock()) m_pCamera->LockFocus(true);
  m_pCamera->StartPreviewReleaseThread();
  UpdateControls();
}

void CMyQuilletView::OnShotFinished() {
  EnableWindow(TRUE);
  if (m_btnRelease.m_hWnd) m_btnRelease.EnableWindow(TRUE);
  if (m_btnPreview.m_hWnd) m_btnPreview.EnableWindow(TRUE);
  if (!m_bBusy) {
    UpdateControls();
    return;
  }
  m_bBusy = false;
  if (m_pCamera) {
    m_pCamera->UnlockUI();
    CString model = m_pCamera->GetModelName();
    DWORD afDistance = SelectedItemData(m_cbAfDistance);
    if (IsG9WithoutAfLock()) {
      m_pCamera->SetAFDistance(afDistance);
      m_pCamera->LockFocus(false);
    } else if (model.Find("SX100 IS") >= 0 || model.Find("SX110 IS") >= 0) {
      m_pCamera->SetAFDistance(afDistance);
      if (afDistance == 3) m_pCamera->DoAf();
    }
    bool boothShowing = m_pFullscreenDlg && m_pFullscreenDlg->m_hWnd && m_pFullscreenDlg->IsWindowVisible();
    if (boothShowing && m_bPhotoboothEnableLiveView &&
        (model.Find("G7") >= 0 || model.Find("G9") >= 0 || model.Find("G10") >= 0) && m_pCamera->IsPrsdk() &&
        SelectedItemData(m_cbExpMode) == 4)
      m_pCamera->DoAeAfAwb();
  }
  if (m_bPreviewShot) {
    DWORD sizeQuality = SelectedItemData(m_cbSizeQuality);
    if (m_pCamera && sizeQuality != 0xFFFFFFFFu) m_pCamera->SetImageFormat(HIWORD(sizeQuality), LOWORD(sizeQuality));
    m_bPreviewShot = false;
  } else if (m_nBracketStep > 0) {
    bool ended = false;
    if (m_nBracketStep < AutoBracketShots()) {
      ++m_nBracketStep;
      const BracketStep next = m_nBracketStep - 1 < static_cast<int>(m_bracketPlan.size())
                                   ? m_bracketPlan[m_nBracketStep - 1]
                                   : BracketStep{};
      if (next.tv == -1 && next.av == -1 && next.expComp == -1) {
        m_nBracketStep = -1;
        ended = true;
      } else {
        OnTakePicture();
      }
    } else {
      m_nBracketStep = -1;
      ended = true;
    }
    if (ended) {
      RestoreBracketSettings();
      std::vector<CString> files;
      files.swap(m_seriesFiles);
      RunSeriesCommand(files);
    }
  }
  if (m_pCamera && (m_bLiveViewfinder || m_nViewfinderOutput != 3 || m_bMotionDetection))
    m_bViewfinderRunning = m_pCamera->StartViewfinder(ViewfinderFrameCallback, this);
  UpdateControls();
}

void CMyQuilletView::RestoreBracketSettings() {
  if (m_bracketRestore.tv != -1) {
    // Some cameras take the shutter speed only at the second attempt.
    SelectAndApply(m_cbTv, m_bracketRestore.tv, m_pCamera, &CCamera::SetTv);
    Sleep(250);
    SelectAndApply(m_cbTv, m_bracketRestore.tv, m_pCamera, &CCamera::SetTv);
  }
  SelectAndApply(m_cbAv, m_bracketRestore.av, m_pCamera, &CCamera::SetAv);
  SelectAndApply(m_cbExpComp, m_bracketRestore.expComp, m_pCamera, &CCamera::SetExposureComp);
  m_bracketRestore = BracketStep{};
}
