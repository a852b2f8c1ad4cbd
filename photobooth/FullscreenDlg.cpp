// The full-screen window's life, its messages, keys and commands. The screens themselves are
// in FullscreenDlgScreen.cpp.
#include "photobooth/FullscreenDlg.h"

#include <ctime>

#include "app/MyQuilletView.h"
#include "app/Resource.h"
#include "keyboard/KeyboardResource.h"
#include "photobooth/BoothCommands.h"
#include "photobooth/TransparentOverlayDlg.h"
#include "platform/dshow/filtergraph.h"
#include "platform/user/cursor.h"
#include "platform/user/input.h"
#include "platform/user/menu.h"
#include "platform/user/messagebox.h"
#include "platform/win32/library.h"
#include "platform/win32/trace.h"
#include "support/ProgramGlobals.h"
#include "support/Toning.h"

namespace {

LONGLONG SecondsSince1970() { return static_cast<LONGLONG>(std::time(nullptr)); }

// The colour and copies keys whose touch actions need the ready screen (all but numpad +).
bool IsReadyScreenOnlyKey(UINT id) {
  switch (id) {
    case ID_PHOTOBOOTH_COPIES_1: case ID_PHOTOBOOTH_COPIES_2: case ID_PHOTOBOOTH_COPIES_3:
    case ID_PHOTOBOOTH_COPIES_4: case ID_PHOTOBOOTH_COPIES_5: case ID_PHOTOBOOTH_COPIES_6:
    case ID_PHOTOBOOTH_COPIES_7: case ID_PHOTOBOOTH_COPIES_8: case ID_PHOTOBOOTH_COPIES_9:
    case ID_PHOTOBOOTH_COPIES_DOWN:
    case ID_PHOTOBOOTH_BLACKWHITE_OUTPUT:
    case ID_PHOTOBOOTH_COLOUR_OUTPUT:
      return true;
    default:
      return false;
  }
}

void RegisterFullscreenTemplate() {
  static bool registered = false;
  if (registered) return;
  registered = true;
  DlgTemplate dialog{IDD_FULLSCREEN,
                     "Tavorin Full Screen",
                     {{IDC_FULLSCREEN_BACKGROUND_NAME, DlgItemKind::Label, ""},
                      {IDC_FULLSCREEN_STATUS, DlgItemKind::Label, ""}},
                     WS_POPUP | WS_VISIBLE};
  dialog.manualLayout = true;
  AfxRegisterDialogTemplate(dialog);
  RegisterBoothAccelerators();
}

bool IsDown(int key) { return (GetKeyState(key) & 0x8000) != 0; }

typedef BOOL (*DisableEdgeGesturesFn)(HWND window, BOOL disable);

// Touch-screen edge gestures are switched off while the booth runs, where the library exists.
void SetEdgeGestures(HWND window, BOOL disable) {
  static HMODULE library = LoadLibraryA("W8Touch");
  if (!library) return;
  auto function = reinterpret_cast<DisableEdgeGesturesFn>(GetProcAddress(library, "DisableEdgeGestures"));
  if (function) function(window, disable);
}

}  // namespace

LONGLONG (*CFullscreenDlg::s_pfnNow)() = SecondsSince1970;

CFullscreenDlg::CFullscreenDlg(CMyQuilletView* view, int mode)
    : CDialog(IDD_FULLSCREEN, view), m_pView(view), m_nMode(mode), m_bPhotoboothMode(mode != 0) {
  RegisterFullscreenTemplate();
}

CFullscreenDlg::~CFullscreenDlg() {
  if (m_bPhotoboothMode && m_hWnd) SetEdgeGestures(m_hWnd, FALSE);
  m_pMovie.reset();
  delete m_pOverlay;
  m_pOverlay = nullptr;
}

BOOL CFullscreenDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  for (int id : {IDC_FULLSCREEN_BACKGROUND_NAME, IDC_FULLSCREEN_STATUS})
    if (CWnd* item = GetDlgItem(id)) item->ShowWindow(SW_HIDE);
  ShowWindow(SW_SHOWMAXIMIZED);
  m_hAccel = LoadAccelerators(AfxGetInstanceHandle(), MAKEINTRESOURCE(IDR_FULLSCREEN_KEYS));
  m_hArrowCursor = LoadCursor(nullptr, IDC_ARROW);
  m_hBoothCursor = LoadCursor(AfxGetInstanceHandle(), MAKEINTRESOURCE(IDC_INVISIBLE_CURSOR));
  if (m_bPhotoboothMode) {
    SetWindowText("Morvane Systems Photobooth");
    if (!m_strCurrentScreen.IsEmpty()) {
      // A screen asked for before the window existed is shown now, with its sound.
      CString early = m_strCurrentScreen;
      m_strCurrentScreen.Empty();
      ShowScreen(early, 1);
    }
    ReturnToStart();
    if (m_pView)
      BuildToningTable(m_pView->m_nPhotoboothToningHue / 360.0, m_pView->m_nPhotoboothToningSaturation / 100.0);
    SetEdgeGestures(m_hWnd, TRUE);
  } else {
    SetWindowText("Tavorin Full Screen");
  }
  SetTimer(TIMER_FULLSCREEN, 200);
  SetFocus();
  return FALSE;
}

LRESULT CFullscreenDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_DISPLAY_JPEG:
      OnDisplayJpeg();
      return 0;
    case WM_RELEASE_ERROR:
      OnReleaseError(wParam);
      return 0;
    case WM_FULLSCREEN_REFRESH:
      OnFullscreenRefresh();
      return 0;
    case WM_FULLSCREEN_SHOWSCREEN:
      DoShowScreen(reinterpret_cast<const char*>(lParam), static_cast<int>(wParam));
      return 0;
    case WM_LIVEVIEW_FRAME:
      if (IsLiveViewShown()) DrawLiveViewFrame();
      else m_bLiveFramePosted = false;
      return 0;
    case 2041:
    case 2042:
    case 2043:
    case 2044:
      OnGreenScreenValue(message, wParam, lParam);
      return 0;
    default:
      break;
  }
  return CDialog::WindowProc(message, wParam, lParam);
}

BOOL CFullscreenDlg::PreTranslateMessage(MSG* msg) {
  if ((msg->message == WM_KEYDOWN || msg->message == WM_SYSKEYDOWN) && !(msg->lParam & (1 << 30))) {
    WPARAM key = msg->wParam;
    bool modifiers = IsDown(VK_SHIFT) || IsDown(VK_CONTROL) || IsDown(VK_MENU);
    if (!modifiers && m_pView && ((key >= '0' && key <= '9') || key == VK_RETURN)) {
      if (key == VK_RETURN) {
        m_pView->m_bCommentRestart = true;
      } else if (m_pView->m_editComment.m_hWnd) {
        char digit[2] = {static_cast<char>(key), '\0'};
        CString text = m_pView->m_bCommentRestart ? CString() : m_pView->GetCommentText();
        m_pView->m_editComment.SetWindowText(text + digit);
        m_pView->m_bCommentRestart = false;
      }
      return TRUE;
    }
    if (key == VK_SPACE) {
      if (m_pView) m_pView->OnTakePicture();
      return TRUE;
    }
    if (m_hAccel && TranslateAcceleratorA(m_hWnd, m_hAccel, msg)) {
      RecordActivity();
      return TRUE;
    }
  }
  return CDialog::PreTranslateMessage(msg);
}

BOOL CFullscreenDlg::OnCommand(WPARAM wParam, LPARAM lParam) {
  UINT id = LOWORD(wParam);
  CMyQuilletView* view = m_pView;
  switch (id) {
    case ID_FULL_SCREEN:
      EndDialog(2);
      return TRUE;
    case IDC_RELEASE:
      if (view) view->OnTakePicture();
      return TRUE;
    case IDC_PREVIEW:
      if (view) view->OnTakePreview();
      return TRUE;
    case ID_PREVIOUS_IMAGE:
    case ID_NEXT_IMAGE:
      if (m_bPhotoboothMode) OnExposureStep(id == ID_PREVIOUS_IMAGE);
      else if (view && id == ID_PREVIOUS_IMAGE) view->OnPreviousImage();
      else if (view) view->OnNextImage();
      return TRUE;
    case ID_DISPLAY_GRID:
      OnGreenScreenSettings();
      return TRUE;
    default:
      break;
  }
  if (!m_bPhotoboothMode || !view) return CDialog::OnCommand(wParam, lParam);
  // The colour and copies keys are the main window's own commands; the other keys run touch
  // actions. Like their touch actions they act on the ready screen only (numpad + anywhere).
  if (IsReadyScreenOnlyKey(id) && !IsReadyScreen()) return TRUE;
  if (view->OnPhotoboothKeyCommand(id)) return TRUE;
  if (OnTouchCommand(id)) return TRUE;
  switch (id) {
    case ID_PHOTOBOOTH_SHOT:
      view->OnPhotoboothShot();
      return TRUE;
    case ID_PHOTOBOOTH_BW_START:
      if (IsReadyScreen()) OnColourStart(1);
      return TRUE;
    case ID_PHOTOBOOTH_COLOUR_START:
      if (IsReadyScreen()) OnColourStart(0);
      return TRUE;
    case ID_PHOTOBOOTH_TONED_START:
      if (IsReadyScreen()) OnColourStart(2);
      return TRUE;
    case ID_PHOTOBOOTH_TOGGLE_STANDBY:
      view->OnPhotoboothToggleStandby();
      return TRUE;
    case ID_PHOTOBOOTH_LEAVE_WELCOME:
      LeaveWelcomeScreen();
      return TRUE;
    case ID_PHOTOBOOTH_CLICKER:
      if (view->m_bPhotoboothActive && view->m_bPhotoboothClickerMode) view->m_bClickerPressed = true;
      return TRUE;
    case ID_PHOTOBOOTH_HUE_DOWN:
      OnToning(-1, 0);
      return TRUE;
    case ID_PHOTOBOOTH_HUE_UP:
      OnToning(1, 0);
      return TRUE;
    case ID_PHOTOBOOTH_SATURATION_DOWN:
      OnToning(0, -1);
      return TRUE;
    case ID_PHOTOBOOTH_SATURATION_UP:
      OnToning(0, 1);
      return TRUE;
    case ID_PHOTOBOOTH_CROP_UP:
      OnCropStep(1);
      return TRUE;
    case ID_PHOTOBOOTH_CROP_DOWN:
      OnCropStep(-1);
      return TRUE;
    default:
      break;
  }
  return CDialog::OnCommand(wParam, lParam);
}

void CFullscreenDlg::OnColourStart(int colourMode) {
  CMyQuilletView* view = m_pView;
  if (!view->m_pCamera || view->m_bBusy || !view->m_bPhotoboothActive || view->m_nShotsLeft >= 0) return;
  view->m_nPhotoboothBW = colourMode;
  view->OnPhotoboothShot();
}

void CFullscreenDlg::OnToning(int hueStep, int saturationStep) {
  CMyQuilletView* view = m_pView;
  if (!view->m_bPhotoboothActive || !IsReadyScreen() || view->m_nPhotoboothBW != 2) return;
  view->m_nPhotoboothToningHue = ((view->m_nPhotoboothToningHue + hueStep) % 360 + 360) % 360;
  int saturation = view->m_nPhotoboothToningSaturation + saturationStep;
  view->m_nPhotoboothToningSaturation = saturation < 0 ? 0 : (saturation > 100 ? 100 : saturation);
  BuildToningTable(view->m_nPhotoboothToningHue / 360.0, view->m_nPhotoboothToningSaturation / 100.0);
  CString text;
  text.Format("  Toning: hue=%d, saturation=%d", view->m_nPhotoboothToningHue, view->m_nPhotoboothToningSaturation);
  DrawCornerText(text);
}

void CFullscreenDlg::OnCropStep(int step) {
  CMyQuilletView* view = m_pView;
  if (!view->m_bPhotoboothActive) return;
  int crop = view->m_nPhotoboothEvfCrop + step;
  crop = crop < 0 ? 0 : (crop > 200 ? 200 : crop);
  if (crop != view->m_nPhotoboothEvfCrop) view->m_nPhotoboothEvfCrop = crop;
  UpdateStatus();
  CString text;
  text.Format("  Crop size: %d  ", view->m_nPhotoboothEvfCrop);
  DrawCornerText(text);
  // The live picture may change size: the screen above the text is drawn again (the text with it).
  Invalidate(FALSE);
}

void CFullscreenDlg::RecordActivity() { m_nLastActivity = s_pfnNow(); }

HWND CFullscreenDlg::BoxOwner() { return m_hWnd; }

void CFullscreenDlg::OnReleaseError(WPARAM code) {
  if (code != 1) return;
  ::MessageBoxA(BoxOwner(), "Unable to release shutter.\nThis may be because the AF was unable to lock", "Tavorin",
                MB_ICONERROR);
}

BOOL CFullscreenDlg::OnSetCursor(CWnd* wnd, UINT hitTest, UINT message) {
  if (m_bPhotoboothMode && !m_bGreenScreenSettingsOpen) {
    if (m_hBoothCursor) SetCursor(m_hBoothCursor);
    return TRUE;
  }
  return CDialog::OnSetCursor(wnd, hitTest, message);
}

BOOL CFullscreenDlg::OnEraseBkgnd(CDC* dc) {
  if (m_bPhotoboothMode) return TRUE;
  return CDialog::OnEraseBkgnd(dc);
}

void CFullscreenDlg::OnPaint() {
  CPaintDC dc(this);
  if (!dc.m_hDC) return;
  PaintWithMovie(&dc);
  PaintCornerText(&dc);
}

void CFullscreenDlg::OnLButtonDown(UINT flags, CPoint point) {
  if (!m_bPhotoboothMode) {
    CDialog::OnLButtonDown(flags, point);
    return;
  }
  RecordActivity();
  OnUserActivity();
  OnTouchClick(flags, point);
}

void CFullscreenDlg::OnTimer(UINT_PTR id) {
  if (id != TIMER_FULLSCREEN) {
    CDialog::OnTimer(id);
    return;
  }
  LoopMovie();
  LONGLONG now = s_pfnNow();
  if (m_bPhotoboothMode && m_nRedrawDeadline != 0 && now >= m_nRedrawDeadline) {
    m_nRedrawDeadline = 0;
    m_strCornerText.Empty();
    Invalidate(FALSE);
  }
  CMyQuilletView* view = m_pView;
  if (view && m_strCurrentScreen.Find("/ready", 1) >= 0 && view->m_nPhotoboothInactivityTimeout > 0 &&
      m_nLastActivity != 0 && now > m_nLastActivity + view->m_nPhotoboothInactivityTimeout) {
    m_bScreenChangeGuard = true;
    view->SelectPhotoboothProfile(view->m_nPhotoboothDefaultProfile);
    m_bScreenChangeGuard = false;
    m_strCurrentScreen = "dummy/ready.jpg";
    ToggleWelcomeReady();
    m_nLastActivity = 0;
  }
  if (CWnd* name = GetDlgItem(IDC_FULLSCREEN_BACKGROUND_NAME)) {
    CString text;
    if (view && view->m_bGreenScreenEnable) text = "Green screen background: " + view->m_strGreenScreenBackgroundImage;
    name->SetWindowText(text);
  }
}

bool CFullscreenDlg::IsThumbnailEnabled() { return m_pView && m_pView->m_bPhotoboothThumnailEnable; }

bool CFullscreenDlg::IsWelcomeScreen() { return m_strCurrentScreen.Find("welcome.jpg", 1) >= 1; }

bool CFullscreenDlg::IsReadyScreen() const { return m_strCurrentScreen.Find("ready.jpg", 1) >= 1; }
