// The view's keyboard and mouse shortcuts, its commands, dropped photos, and the services
// other parts of the program provide through the view.
#include "app/FullscreenDlg.h"
#include "app/MyQuilletView.h"
#include "app/Resource.h"
#include "platform/user/input.h"
#include "platform/user/menu.h"
#include "platform/user/shellapi.h"
#include "platform/win32/files.h"

namespace {

bool IsDown(int key) { return (GetKeyState(key) & 0x8000) != 0; }

}  // namespace

BOOL CMyQuilletView::PreTranslateMessage(MSG* msg) {
  if (msg->message == WM_KEYDOWN && !(msg->lParam & (1 << 30))) {
    HWND focus = ::GetFocus();
    bool inComment = m_editComment.m_hWnd && focus == m_editComment.m_hWnd;
    bool modifiers = IsDown(VK_SHIFT) || IsDown(VK_CONTROL) || IsDown(VK_MENU);
    WPARAM key = msg->wParam;
    if (!modifiers && !inComment && !m_bBusy) {
      if (key >= '0' && key <= '9' && m_editComment.m_hWnd) {
        char digit[2] = {static_cast<char>(key), '\0'};
        CString text = m_bCommentRestart ? CString() : GetCommentText();
        m_editComment.SetWindowText(text + digit);
        m_bCommentRestart = false;
        return TRUE;
      }
      if (key == VK_RETURN) {
        m_bCommentRestart = true;
        return TRUE;
      }
    }
    if (key == VK_SPACE && !inComment && !m_bBusy && !(m_pFullscreenDlg && m_bFullScreen)) {
      OnTakePicture();
      return TRUE;
    }
    if ((key == VK_OEM_PERIOD || key == VK_DECIMAL) && inComment) {
      m_editComment.ReplaceSel("");
      return TRUE;
    }
  }
  if (m_hAccel && TranslateAcceleratorA(m_hWnd, m_hAccel, msg)) return TRUE;
  return CFormView::PreTranslateMessage(msg);
}

void CMyQuilletView::RunMouseAction(int action) {
  switch (action) {
    case 1:
      OnTakePicture();
      break;
    case 2:
      OnTakePreview();
      break;
    case 3:
      OnEditImage();
      break;
    default:
      break;
  }
}

void CMyQuilletView::OnMButtonDown(UINT, CPoint) { RunMouseAction(m_nMiddleBtnAction); }

void CMyQuilletView::OnRButtonDown(UINT, CPoint) { RunMouseAction(m_nRightBtnAction); }

BOOL CMyQuilletView::OnCommand(WPARAM wParam, LPARAM lParam) {
  UINT id = LOWORD(wParam);
  switch (id) {
    case IDC_RELEASE:
      OnTakePicture();
      return TRUE;
    case IDC_PREVIEW:
      OnTakePreview();
      return TRUE;
    case ID_CONNECT_CAMERA:
      OnConnectCamera();
      return TRUE;
    case ID_RELEARN_CAMERA_SETTINGS:
      OnRelearnCameraSettings();
      return TRUE;
    case IDC_PHOTOBOOTH_PRINTER_SETUP:
      if (HIWORD(wParam) == BN_CLICKED) OnPhotoboothPrinterSetup();
      return TRUE;
    case IDC_PHOTOBOOTH_CUSTOM_LAYOUT:
      if (HIWORD(wParam) == BN_CLICKED) OnPhotoboothCustomLayout();
      return TRUE;
    case ID_MOTION_DETECTION:
      OnMotionDetection();
      return TRUE;
    case IDC_AUTOBRACKET_SETTINGS:
      if (HIWORD(wParam) == BN_CLICKED) OnAutoBracketSettings();
      return TRUE;
    default:
      break;
  }
  if (OnHistogramCommand(id) || OnCameraControlCommand(id, HIWORD(wParam)) || OnMenuCommand(id)) return TRUE;
  if (id >= ID_PHOTOBOOTH_PROFILE_FIRST && id < ID_PHOTOBOOTH_PROFILE_FIRST + 18) {
    OnSelectPhotoboothProfile(id);
    return TRUE;
  }
  return CFormView::OnCommand(wParam, lParam);
}

void CMyQuilletView::OnDropFiles(HDROP drop) {
  UINT count = DragQueryFileA(drop, 0xFFFFFFFFu, nullptr, 0);
  for (UINT i = 0; i < count; ++i) {
    char path[MAX_PATH] = {};
    if (!DragQueryFileA(drop, i, path, sizeof(path))) continue;
    CString file(path);
    if (!PathFileExistsA(file) || file.Right(4).CompareNoCase(".jpg") != 0) continue;
    m_images.emplace_back(file);
    // Show the newest photo, as the next-image command would.
    m_nCurrentImage = static_cast<int>(m_images.size()) - 1;
    DWORD size = 0;
    if (BYTE* jpeg = m_images.back().m_exif.ReadJpegBytes(size)) {
      delete[] m_pCurrentJpeg;
      m_pCurrentJpeg = jpeg;
      m_nCurrentJpegSize = size;
      RefreshDisplay();
    }
  }
  DragFinish(drop);
}

void CMyQuilletView::EnableFormItem(int id, bool on) {
  if (HWND item = ::GetDlgItem(m_hWnd, id)) ::EnableWindow(item, on ? TRUE : FALSE);
}

int CMyQuilletView::FormComboCount(int id) const {
  return ::GetDlgItem(m_hWnd, id) ? static_cast<int>(SendDlgItemMessage(id, CB_GETCOUNT)) : 0;
}

void CMyQuilletView::UpdateControls() {
  bool connected = m_pCamera && m_pCamera->IsConnected();
  if (m_btnRelease.m_hWnd) m_btnRelease.EnableWindow(!m_bBusy);
  if (m_btnPreview.m_hWnd) m_btnPreview.EnableWindow(!m_bBusy && connected);
  if (!m_hWnd) return;

  if (::GetDlgItem(m_hWnd, IDC_AUTOBRACKET)) CheckDlgButton(IDC_AUTOBRACKET, m_nAutoBracket ? BST_CHECKED : BST_UNCHECKED);
  EnableFormItem(IDC_AUTOBRACKET_SETTINGS, m_nAutoBracket != 0);
  if (m_pCamera) {
    for (int id : {IDC_SIZEQUALITY, IDC_EXPMODE, IDC_ZOOM}) EnableFormItem(id, true);
    for (int id : {IDC_FOCUSPOINTS, IDC_AFDISTANCE, IDC_PHOTOEFFECT}) EnableFormItem(id, FormComboCount(id) > 1);
    EnableFormItem(IDC_AFLOCK, m_pCamera->HasFocusCapability());
    DWORD effect = SelectedItemData(m_cbPhotoEffect);
    EnableFormItem(IDC_WHITEBALANCE, effect != 4 && effect != 5 && FormComboCount(IDC_WHITEBALANCE) > 1);
  } else {
    for (int id : {IDC_AFLOCK, IDC_ZOOM, IDC_AFDISTANCE, IDC_EXPMODE, IDC_TV, IDC_AV, IDC_EXPCOMP, IDC_FLASHCOMP,
                   IDC_SIZEQUALITY, IDC_METERING, IDC_WHITEBALANCE, IDC_ISO, IDC_FLASH, IDC_PHOTOEFFECT,
                   IDC_FOCUSPOINTS, IDC_FLASHOUTPUT}) {
      EnableFormItem(id, false);
    }
  }

  // Browsing needs somewhere to go: a second photo, or a first one not yet shown.
  int count = static_cast<int>(m_images.size());
  bool browse = count > 1 || (count == 1 && (m_nCurrentImage < 0 || m_nCurrentImage >= count));
  EnableFormItem(IDC_PREV_IMAGE, browse);
  EnableFormItem(IDC_NEXT_IMAGE, browse);

  UpdateMenu();
}

void CMyQuilletView::OnUpdateZoom() { UpdateZoom(); }

void CMyQuilletView::OnSelectPhotoboothProfile(UINT command) {
  SelectPhotoboothProfile(static_cast<int>(command - ID_PHOTOBOOTH_PROFILE_FIRST) + 1);
}

// Numbered taking and release screens belong to the booth window; without it, the plain ones.
void CMyQuilletView::GetTakingScreenImage(CString& path) {
  CString numbered;
  numbered.Format("%s/taking%d.jpg", m_strPhotoboothImagesDir.GetString(),
                  m_nNumberOfPhotoboothImages - m_nShotsLeft + 1);
  path = BoothWindow() && PathFileExistsA(numbered) ? numbered : m_strPhotoboothImagesDir + "/taking.jpg";
}

void CMyQuilletView::GetReleaseScreenImage(CString& path) {
  CString numbered;
  numbered.Format("%s/release%d.jpg", m_strPhotoboothImagesDir.GetString(),
                  m_nNumberOfPhotoboothImages - m_nShotsLeft + 1);
  path = BoothWindow() && PathFileExistsA(numbered) ? numbered : m_strPhotoboothImagesDir + "/release.jpg";
}
