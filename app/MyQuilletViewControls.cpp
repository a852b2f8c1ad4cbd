// The form's camera controls beyond the setting combos: AF lock, zoom keys and wheel, beep,
// the camera's viewfinder output and live view.
#include "app/CameraValueTables.h"
#include "app/FullscreenDlg.h"
#include "app/MyQuilletView.h"
#include "app/Resource.h"
#include "camera/MotionFrame.h"
#include "camera/ViewfinderDlg.h"
#include "platform/user/message.h"
#include "platform/win32/sync.h"

namespace {

// The output value the view keeps for "off"; the viewfinder then runs only for live view or motion.
const int kOutputOff = 3;

}  // namespace

BOOL ViewfinderFrameCallback(BYTE* buffer, DWORD size, void* context) {
  if (auto* view = static_cast<CMyQuilletView*>(context)) view->OnViewfinderFrame(buffer, size);
  return TRUE;
}

bool CMyQuilletView::OnCameraControlCommand(UINT id, UINT code) {
  switch (id) {
    case IDC_AFLOCK:
      if (code != BN_CLICKED) return false;
      OnAfLock();
      return true;
    case ID_ZOOM_IN: OnZoomIn(); return true;
    case ID_ZOOM_OUT: OnZoomOut(); return true;
    case ID_CAMERA_BEEP: OnCameraBeep(); return true;
    case ID_VIEWFINDER_LCD:
    case ID_VIEWFINDER_VIDEO_OUT:
    case ID_VIEWFINDER_OFF: OnViewfinderOutput(id); return true;
    case ID_LIVE_VIEWFINDER: OnLiveViewfinder(); return true;
    case ID_REFRESH: {
      DWORD distance = 0;
      if (m_pCamera && m_pCamera->IsConnected() && m_pCamera->GetAFDistance(distance))
        SelectComboByItemData(&m_cbAfDistance, distance);
      FillReleaseSettingCombos();
      return true;
    }
    default: return false;
  }
}

bool CMyQuilletView::IsAfLockTicked() const { return m_chkAfLock.m_hWnd && m_chkAfLock.GetCheck() == BST_CHECKED; }

void CMyQuilletView::OnAfLock() {
  if (m_chkAfLock.m_hWnd) {
    if (!m_pCamera || !m_pCamera->IsConnected()) {
      m_chkAfLock.SetCheck(BST_UNCHECKED);
    } else if (!IsAfLockTicked()) {
      m_pCamera->LockFocus(false);
      // The unlocked lens goes back to the distance the form asks for.
      OnSelchangeAfDistance();
    } else if (!m_pCamera->LockFocus(true)) {
      m_chkAfLock.SetCheck(BST_UNCHECKED);
    }
  }
  UpdateControls();
}

void CMyQuilletView::RefocusWithAfLock() {
  if (!m_pCamera || !m_pCamera->IsConnected()) return;
  if (!IsAfLockTicked()) {
    m_pCamera->DoAeAfAwb();
    return;
  }
  m_chkAfLock.SetCheck(BST_UNCHECKED);
  OnAfLock();
  CString model = m_pCamera->GetModelName();
  // These models focus again by themselves when the lock is released.
  bool refocusesItself = ModelHasAfterFirst(model, "G9") || ModelHasAfterFirst(model, "G10");
  if (!refocusesItself) m_pCamera->DoAeAfAwb();
  m_chkAfLock.SetCheck(BST_CHECKED);
  OnAfLock();
}

void CMyQuilletView::StepZoom(int steps) {
  if (!m_zoomSlider.m_hWnd) return;
  int before = m_zoomSlider.GetPos();
  int position = before + steps;
  int maximum = m_zoomSlider.GetRangeMax();
  if (position > maximum) position = maximum;
  if (position < 0) position = 0;
  m_zoomSlider.SetPos(position);
  // A new focal length loses the lock's focus; the camera itself is left locked.
  if (position != before && IsAfLockTicked()) m_chkAfLock.SetCheck(BST_UNCHECKED);
}

void CMyQuilletView::OnZoomIn() {
  StepZoom(1);
  PostMessage(WM_UPDATE_ZOOM, 0, 0);
}

void CMyQuilletView::OnZoomOut() {
  StepZoom(-1);
  PostMessage(WM_UPDATE_ZOOM, 0, 0);
}

void CMyQuilletView::OnZoomReleasedCapture() {
  if (IsAfLockTicked()) m_chkAfLock.SetCheck(BST_UNCHECKED);
  UpdateZoom();
}

void CMyQuilletView::OnCameraBeep() {
  if (m_pCamera && m_pCamera->IsConnected()) {
    m_bCameraBeep = !m_bCameraBeep;
    m_pCamera->SetBeep(m_bCameraBeep);
    bool on = false;
    if (m_pCamera->GetBeep(on)) m_bCameraBeep = on;
  }
  UpdateControls();
}

void CMyQuilletView::OnViewfinderOutput(UINT command) {
  if (m_pCamera && m_pCamera->IsConnected()) {
    switch (command) {
      case ID_VIEWFINDER_LCD:
        if (m_pCamera->ViewfinderToLcd()) {
          m_nViewfinderOutput = 1;
          EnableViewfinder(true);
        }
        break;
      case ID_VIEWFINDER_VIDEO_OUT:
        if (m_pCamera->ViewfinderToVideoOut()) {
          m_nViewfinderOutput = 2;
          EnableViewfinder(true);
        }
        break;
      case ID_VIEWFINDER_OFF:
        if (m_pCamera->ViewfinderOff()) {
          m_nViewfinderOutput = kOutputOff;
          if (!m_bLiveViewfinder && !m_bMotionDetection) EnableViewfinder(false);
        }
        break;
      default: break;
    }
  }
  UpdateControls();
}

void CMyQuilletView::OnLiveViewfinder() {
  if (m_bLiveViewfinder) {
    if (m_nViewfinderOutput == kOutputOff && !m_bMotionDetection) EnableViewfinder(false);
    m_bLiveViewfinder = false;
    if (m_pViewfinderDlg) m_pViewfinderDlg->ShowViewfinder(false);
  } else if (EnableViewfinder(true)) {
    m_bLiveViewfinder = true;
    if (m_pViewfinderDlg) m_pViewfinderDlg->ShowViewfinder(true);
  }
  UpdateControls();
}

bool CMyQuilletView::EnableViewfinder(bool on) {
  if (!m_pCamera || !m_pCamera->IsConnected()) {
    m_bViewfinderRunning = false;
    return false;
  }
  if (on) {
    if (!m_pCamera->HasViewfinder()) return false;
    if (m_bViewfinderRunning) return true;
    m_bViewfinderRunning = m_pCamera->StartViewfinder(ViewfinderFrameCallback, this);
    return m_bViewfinderRunning;
  }
  // A stop the camera refuses means it was not running: the flag must not stay set.
  if (m_bViewfinderRunning) m_pCamera->StopViewfinder();
  m_bViewfinderRunning = false;
  return false;
}

int CMyQuilletView::OnViewfinderFrame(BYTE* jpeg, DWORD size) {
  if (m_bLiveViewfinder) {
    // The frame turns as the orientation mode says, as photos on display do.
    int rotation = GetViewfinderAngle();
    CFullscreenDlg* fullscreen = m_pFullscreenDlg;
    if (fullscreen && m_bFullScreen && fullscreen->m_bLiveView)
      fullscreen->OnLiveViewFrame(jpeg, size, rotation);
    else if (m_pViewfinderDlg)
      m_pViewfinderDlg->ViewfinderCB(jpeg, size, rotation);
    // Paces the SDK's thread.
    Sleep(50);
  } else if (m_bMotionDetection) {
    std::vector<BYTE> rgb;
    int width = 0, height = 0;
    if (DecodeViewfinderJpeg(jpeg, size, rgb, width, height)) {
      std::lock_guard<std::mutex> lock(ViewfinderLock());
      CopyToMotionFrame(rgb.data(), width, height, MotionFrameBuffer());
    }
  } else {
    Sleep(500);
  }
  return 0;
}

BOOL CMyQuilletView::OnMouseWheel(UINT flags, short delta, CPoint point) {
  if (!m_pCamera || !m_pCamera->IsConnected() || m_nMouseWheelAction == 0)
    return CFormView::OnMouseWheel(flags, delta, point);
  int steps = delta / 120;
  if (m_nMouseWheelAction == 1) {
    StepZoom(steps);
    UpdateZoom();
    return TRUE;
  }
  if (m_nMouseWheelAction != 2) return TRUE;
  int index = m_cbExpMode.m_hWnd ? m_cbExpMode.GetCurSel() : -1;
  DWORD mode = index < 0 ? 0xFFFFFFFFu : static_cast<DWORD>(m_cbExpMode.GetItemData(index));
  bool av = mode == 3 || (mode == 4 && (flags & MK_CONTROL));
  if (mode != 2 && mode != 3 && mode != 4) return TRUE;
  CComboBox& combo = av ? m_cbAv : m_cbTv;
  int count = combo.m_hWnd ? combo.GetCount() : 0;
  if (count == 0) return TRUE;
  int selection = combo.GetCurSel() + steps;
  if (selection >= count) selection = count - 1;
  if (selection < 0) selection = 0;
  combo.SetCurSel(selection);
  if (av)
    OnSelchangeAv();
  else
    OnSelchangeTv();
  return TRUE;
}

BOOL CMyQuilletView::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) {
  const auto* header = reinterpret_cast<const NMHDR*>(lParam);
  if (header && header->idFrom == IDC_ZOOM && header->code == NM_RELEASEDCAPTURE) {
    OnZoomReleasedCapture();
    if (result) *result = 0;
    return TRUE;
  }
  return CFormView::OnNotify(wParam, lParam, result);
}
