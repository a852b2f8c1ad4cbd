// The booth window's touch actions: what a click or tap does in each touch mode, the actions
// themselves, the keys of table 135 that run them, the exit password and the exposure keys.
#include "app/MyQuilletView.h"
#include "app/SettingsStore.h"
#include "keyboard/KeyboardDialog.h"
#include "keyboard/KeyboardGlobals.h"
#include "keyboard/KeyboardLayout.h"
#include "keyboard/MyMessageBox.h"
#include "photobooth/BoothCommands.h"
#include "photobooth/FullscreenDlg.h"
#include "photobooth/TouchActionTable.h"
#include "platform/user/input.h"
#include "support/ProgramGlobals.h"

namespace {

int ClampCopies(int copies, int highest) { return copies < 1 ? 1 : (copies > highest ? highest : copies); }

void StartProcessingAgain(CMyQuilletView* view, bool reprint) { view->StartPhotoboothProcessingIfReady(reprint); }

void StartFastReprint(CMyQuilletView* view) { view->StartReprint(); }

}  // namespace

void (*CFullscreenDlg::s_pfnProcessAgain)(CMyQuilletView* view, bool reprint) = StartProcessingAgain;
void (*CFullscreenDlg::s_pfnFastReprint)(CMyQuilletView* view) = StartFastReprint;
const char* CFullscreenDlg::s_pszIncorrectPassword = "Incorrect password";

void CFullscreenDlg::OnTouchClick(UINT flags, CPoint point) {
  if (flags & MK_SHIFT) {
    EndDialog(2);
    return;
  }
  CMyQuilletView* view = m_pView;
  if (!view) return;
  int mode = view->m_nPhotoboothUseMouseToTrigger;
  CRect client;
  GetClientRect(&client);
  int width2of5 = 2 * client.Width() / 5;
  int height2of5 = 2 * client.Height() / 5;
  switch (mode) {
    case 1:
    case 2:
      RunTouchAction(kTouchStart);
      break;
    case 3:
      if (point.x < width2of5 && point.y < height2of5) RunTouchAction(kTouchStart);
      break;
    case 4:
      if (point.x >= width2of5) break;
      // A tap exactly on the line is neither above nor below it.
      if (point.y < height2of5) RunTouchAction(kTouchColourStart);
      else if (point.y > height2of5) RunTouchAction(kTouchBlackWhiteStart);
      break;
    case 5:
      for (const PhotoboothTouchscreenButton& area : view->m_touchscreenButtons) {
        if (area.action <= 0 || area.action > kTouchHighestWindowAction) continue;
        if (point.x < area.left || point.x > area.right || point.y < area.top || point.y > area.bottom) continue;
        if (RunTouchAction(area.action)) break;
      }
      break;
    default:
      break;
  }
}

void CFullscreenDlg::OnRButtonDown(UINT flags, CPoint point) {
  if (!m_bPhotoboothMode || !m_pView || m_pView->m_nPhotoboothUseMouseToTrigger != 2) {
    CDialog::OnRButtonDown(flags, point);
    return;
  }
  RecordActivity();
  RunTouchAction(m_pView->m_nPhotoboothBW == 1 ? kTouchSelectColour : kTouchSelectBlackWhite);
}

bool CFullscreenDlg::RunTouchAction(int code) {
  CMyQuilletView* view = m_pView;
  if (!m_bPhotoboothMode || !view) return false;
  bool ready = IsReadyScreen();
  if (int copies = TouchActionCopies(code)) {
    if (ready) SetPrintCopies(copies);
    return false;
  }
  if (int profile = TouchActionProfile(code)) {
    if (IsWelcomeScreen()) ToggleWelcomeReady();
    if (IsReadyScreen()) view->SelectPhotoboothProfile(profile);
    return true;
  }
  if (code >= kTouchProfile1Start && code <= kTouchProfile8Start) {
    if (!ready) return false;
    SelectProfileAndStart(code - kTouchProfile1Start + 1);
    return true;
  }
  switch (code) {
    case kTouchStart:
      view->OnPhotoboothShot();
      break;
    case kTouchBlackWhiteStart:
      if (ready) OnColourStart(1);
      break;
    case kTouchColourStart:
      if (ready) OnColourStart(0);
      break;
    case kTouchTonedStart:
      if (ready) OnColourStart(2);
      break;
    case kTouchSelectBlackWhite:
      if (ready) SetColourMode(1);
      break;
    case kTouchSelectColour:
      if (ready) SetColourMode(0);
      break;
    case kTouchSelectToned:
      if (ready) SetColourMode(2);
      break;
    case kTouchToggleColourBlackWhite:
      if (ready) SetColourMode(view->m_nPhotoboothBW == 0 ? 1 : 0);
      break;
    case kTouchCycleColourMode:
      if (ready) SetColourMode((view->m_nPhotoboothBW + 1) % 3);
      break;
    case kTouchIncreasePrints:
      SetPrintCopies(ClampCopies(view->m_nPhotoboothPrintCopies + 1, 9));
      break;
    case kTouchDecreasePrints:
      if (ready) SetPrintCopies(ClampCopies(view->m_nPhotoboothPrintCopies - 1, 9));
      break;
    case kTouchZoomIn:
      if (!view->m_bBusy) view->OnZoomIn();
      break;
    case kTouchZoomOut:
      if (!view->m_bBusy) view->OnZoomOut();
      break;
    case kTouchReprint:
      s_pfnProcessAgain(view, true);
      break;
    case kTouchFastReprint:
      if (ready) s_pfnFastReprint(view);
      break;
    case kTouchExit:
      OnExitRequest();
      return true;
    case kTouchToggleStandby:
      ToggleWelcomeReady();
      break;
    case kTouchNextProfile:
      if (ready) view->SelectPhotoboothProfile(1000);
      break;
    case kTouchPreviousProfile:
      if (ready) view->SelectPhotoboothProfile(-1000);
      break;
    case kTouchStandbyToReady:
      if (!IsWelcomeScreen()) return false;
      ToggleWelcomeReady();
      return true;
    case kTouchShowSharingScreen:
      if (!ready) return false;
      view->ShowSharingScreen();
      return true;
    default:
      // Confirm and sharing codes belong to the confirm-printing screen.
      break;
  }
  return false;
}

void CFullscreenDlg::SetPrintCopies(int copies) {
  m_pView->m_nPhotoboothPrintCopies = copies;
  DrawCopiesText();
}

void CFullscreenDlg::SetColourMode(int colourMode) {
  m_pView->m_nPhotoboothBW = colourMode;
  UpdateStatus();
}

void CFullscreenDlg::SelectProfileAndStart(int profile) {
  if (IsWelcomeScreen()) ToggleWelcomeReady();
  m_pView->SelectPhotoboothProfile(profile);
  m_pView->OnPhotoboothShot();
}

void CFullscreenDlg::OnExitRequest() {
  const CString password = g_strTouchscreenExitPassword;
  if (password.IsEmpty()) {
    EndDialog(2);
    return;
  }
  int oldTimeout = KeyboardTimeout;
  KeyboardTimeout = 15;
  CKeyboardDialog keyboard(this, FALSE, KeyboardPassword);
  keyboard.m_layoutFolder = m_pView ? m_pView->m_strPhotoboothImagesDir : CString();
  INT_PTR result = keyboard.DoModal();
  KeyboardTimeout = oldTimeout;
  RecordActivity();
  if (result != IDOK) return;
  if (keyboard.Field(0).m_text == password) {
    EndDialog(2);
    return;
  }
  CMyMessageBox box(this, s_pszIncorrectPassword, 3, TRUE);
  box.DoModal();
}

void CFullscreenDlg::OnExposureStep(bool pageUp) {
  CMyQuilletView* view = m_pView;
  if (!view || !IsReadyScreen()) return;
  CString exposureMode;
  if (view->m_cbExpMode.m_hWnd && view->m_cbExpMode.GetCurSel() >= 0)
    view->m_cbExpMode.GetLBText(view->m_cbExpMode.GetCurSel(), exposureMode);
  bool manual = exposureMode == "Manual";
  CComboBox& combo = manual ? view->m_cbIso : view->m_cbExpComp;
  if (!combo.m_hWnd) return;
  // ISO goes down the list on PgUp; the compensation goes up it.
  int step = (manual == pageUp) ? -1 : 1;
  int index = combo.GetCurSel() + step;
  if (combo.GetCurSel() < 0 || index < 0 || index >= combo.GetCount()) return;
  combo.SetCurSel(index);
  if (manual) view->OnSelchangeIso();
  else view->OnSelchangeExpComp();
}

BOOL CFullscreenDlg::OnTouchCommand(UINT id) {
  CMyQuilletView* view = m_pView;
  if (id >= ID_PHOTOBOOTH_PROFILE_1_START && id <= ID_PHOTOBOOTH_PROFILE_8_START) {
    // The keys skip the ready-screen test of the taps; arming keeps its own guard.
    SelectProfileAndStart(static_cast<int>(id - ID_PHOTOBOOTH_PROFILE_1_START) + 1);
    return TRUE;
  }
  static const struct {
    UINT id;
    int action;
  } kKeyActions[] = {
      {ID_PHOTOBOOTH_TONED_OUTPUT, kTouchSelectToned},
      {ID_PHOTOBOOTH_TOGGLE_COLOUR, kTouchToggleColourBlackWhite},
      {ID_PHOTOBOOTH_CYCLE_COLOUR, kTouchCycleColourMode},
      {ID_PHOTOBOOTH_PROFILE_1, 13},
      {ID_PHOTOBOOTH_PROFILE_2, 14},
      {ID_PHOTOBOOTH_PROFILE_2 + 1, 15},
      {ID_PHOTOBOOTH_PROFILE_2 + 2, 16},
      {ID_PHOTOBOOTH_PROFILE_2 + 3, 17},
      {ID_PHOTOBOOTH_PROFILE_6, 18},
      {ID_PHOTOBOOTH_PROFILE_7, 29},
      {ID_PHOTOBOOTH_NEXT_PROFILE, kTouchNextProfile},
      {ID_PHOTOBOOTH_PREVIOUS_PROFILE, kTouchPreviousProfile},
      {ID_PHOTOBOOTH_ZOOM_IN, kTouchZoomIn},
      {ID_PHOTOBOOTH_ZOOM_OUT, kTouchZoomOut},
      {ID_PHOTOBOOTH_REPRINT, kTouchReprint},
      {ID_PHOTOBOOTH_FAST_REPRINT, kTouchFastReprint},
  };
  for (const auto& row : kKeyActions) {
    if (row.id == id) {
      RunTouchAction(row.action);
      return TRUE;
    }
  }
  switch (id) {
    case ID_PHOTOBOOTH_COPIES_NEXT:
      if (IsReadyScreen())
        SetPrintCopies(view->m_nPhotoboothPrintCopies < 9 ? ClampCopies(view->m_nPhotoboothPrintCopies + 1, 20) : 1);
      return TRUE;
    case ID_PHOTOBOOTH_PROCESS_AGAIN:
      s_pfnProcessAgain(view, false);
      return TRUE;
    case ID_PHOTOBOOTH_SHARING_SCREEN:
      view->ShowSharingScreen();
      return TRUE;
    case ID_PHOTOBOOTH_LOAD_SETTINGS:
      view->OnLoadPhotoboothSettings();
      return TRUE;
    case ID_PHOTOBOOTH_REFOCUS:
      // Releasing and setting the lock again makes the camera focus anew.
      if (view->IsAfLockTicked()) {
        view->m_chkAfLock.SetCheck(BST_UNCHECKED);
        view->OnAfLock();
        view->m_chkAfLock.SetCheck(BST_CHECKED);
        view->OnAfLock();
      }
      return TRUE;
    default:
      return FALSE;
  }
}
