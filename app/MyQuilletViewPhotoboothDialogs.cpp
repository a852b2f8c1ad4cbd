// The main view's openers of the photobooth configuration dialogs and the shortcut buttons.
#include <algorithm>

#include "app/MyQuilletView.h"
#include "app/Resource.h"
#include "config/PBShortcutBtnSetupDlg.h"
#include "config/PhotoboothSettingsDlg.h"
#include "keyboard/KeyboardGlobals.h"
#include "photobooth/PhotoboothSetupWizard.h"
#include "support/ProgramGlobals.h"

bool CMyQuilletView::OnPhotoboothSettingsCommand(UINT id) {
  switch (id) {
    case ID_PHOTOBOOTH_SETTINGS:
    case IDC_PHOTOBOOTH_ADVANCED_SETTINGS:
      OnPhotoboothSettings();
      return true;
    case ID_PHOTOBOOTH_SETUP_WIZARD:
    case IDC_PHOTOBOOTH_SETUP_WIZARD:
      OnPhotoboothSetupWizard();
      return true;
    case ID_PHOTOBOOTH_SHORTCUTS_SETTINGS:
      OnPhotoboothShortcutsSettings();
      return true;
    default:
      return false;
  }
}

void CMyQuilletView::OnPhotoboothShortcutsSettings() {
  CPBShortcutBtnSetupDlg dialog(this);
  for (int i = 0; i < kPhotoboothShortcutButtonCount; ++i) {
    dialog.m_bShown[i] = g_photoboothShortcutButtons[i].shown ? TRUE : FALSE;
    CString text = "Unknown";
    if (HWND button = m_hWnd ? ::GetDlgItem(m_hWnd, g_photoboothShortcutButtons[i].id) : nullptr) {
      char caption[256] = {};
      ::GetWindowTextA(button, caption, sizeof caption);
      text = caption;
    }
    dialog.m_strCaption[i] = CPBShortcutBtnSetupDlg::CleanCaption(text);
  }
  if (dialog.DoModal() != IDOK) return;
  for (int i = 0; i < kPhotoboothShortcutButtonCount; ++i) g_photoboothShortcutButtons[i].shown = dialog.m_bShown[i];
  SaveSettings();
  UpdateControls();
  LayoutOptionButtons();
  RefreshDisplay();
}

void CMyQuilletView::LayoutOptionButtons() {
  if (!m_hWnd) return;
  const bool dashboard = m_bPhotoboothShowDashboard != FALSE;
  HWND box = ::GetDlgItem(m_hWnd, IDC_PHOTOBOOTH_SHORTCUTS);
  if (box) ::ShowWindow(box, dashboard ? SW_SHOW : SW_HIDE);
  for (const PhotoboothShortcutButton& entry : g_photoboothShortcutButtons)
    if (HWND button = ::GetDlgItem(m_hWnd, entry.id))
      ::ShowWindow(button, dashboard && entry.shown ? SW_SHOW : SW_HIDE);
  if (!dashboard || !box) return;
  m_shortcutRow = ComputeShortcutRow(box);
  for (size_t i = 0; i < m_shortcutRow.buttons.size(); ++i) {
    const RECT& place = m_shortcutRow.buttons[i];
    HWND button = ::GetDlgItem(m_hWnd, g_photoboothShortcutButtons[i].id);
    if (button && g_photoboothShortcutButtons[i].shown)
      ::MoveWindow(button, place.left, place.top, place.right - place.left, place.bottom - place.top, TRUE);
  }
  const RECT& group = m_shortcutRow.group;
  ::MoveWindow(box, group.left, group.top, group.right - group.left, group.bottom - group.top, TRUE);
}

ShortcutRowLayout CMyQuilletView::ComputeShortcutRow(HWND box) {
  // The buttons and their box are placed in the box's parent, the form's shortcut area.
  HWND area = ::GetParent(box);
  ShortcutRowInput input;
  RECT client{};
  ::GetClientRect(area, &client);
  input.clientRight = client.right;
  auto placeOf = [this, area](int id) {
    RECT rect{0, 0, 0, 0};
    if (HWND item = ::GetDlgItem(m_hWnd, id)) {
      ::GetWindowRect(item, &rect);
      ::ScreenToClient(area, reinterpret_cast<POINT*>(&rect.left));
      ::ScreenToClient(area, reinterpret_cast<POINT*>(&rect.right));
    }
    return rect;
  };
  RECT group = placeOf(IDC_PHOTOBOOTH_SHORTCUTS), first = placeOf(IDC_PHOTOBOOTH_PRINTER_SETUP);
  input.groupLeft = group.left;
  input.groupTop = group.top;
  // Preview stands in the column left of the area: the box then starts at the area's own edge.
  input.previewRight = std::max(0, static_cast<int>(placeOf(IDC_PREVIEW).right));
  input.firstRowTop = first.top;
  input.rowHeight = first.bottom - first.top;
  for (const PhotoboothShortcutButton& entry : g_photoboothShortcutButtons) {
    RECT rect = placeOf(entry.id);
    input.widths.push_back(rect.right - rect.left);
    input.shown.push_back(entry.shown);
  }
  return LayOutShortcutRow(input);
}
void CMyQuilletView::OnPhotoboothSettings() {
  // A camera reconnecting under the dialog would change settings the copy then overwrites.
  const BOOL autoReconnect = m_bAutoReconnect;
  m_bAutoReconnect = FALSE;
  CPhotoboothSettingsDlg dialog(this);
  dialog.m_settings = *static_cast<ViewSettings*>(this);
  dialog.m_nShutterLagTenths = m_nPhotoboothCameraReleaseLag / 100;
  dialog.m_nInactivityTimeout = static_cast<int>(static_cast<DWORD>(m_nPhotoboothInactivityTimeout));
  dialog.m_nKeyboardTimeout = KeyboardTimeout;
  dialog.m_strExitPassword = g_strTouchscreenExitPassword;
  dialog.m_bGifFrameCopies = m_bGifFrameCopies;
  dialog.m_bGifInPrints = m_bGifInPrints;
  if (dialog.DoModal() == IDOK) {
    // Only the booth's part: the output folder or prefix may have changed while it was open.
    *static_cast<PhotoboothViewSettings*>(this) = dialog.m_settings;
    m_bGifFrameCopies = dialog.m_bGifFrameCopies;
    m_bGifInPrints = dialog.m_bGifInPrints;
    m_nPhotoboothCameraReleaseLag = dialog.m_nShutterLagTenths * 100;
    KeyboardTimeout = dialog.m_nKeyboardTimeout;
    g_strTouchscreenExitPassword = dialog.m_strExitPassword;
    // With the output, profile and touchscreen values its own dialogs took in.
    SaveSettings();
  }
  m_bAutoReconnect = autoReconnect;
}

void CMyQuilletView::OnPhotoboothSetupWizard() {
  if (RunPhotoboothSetupWizard(*this)) {
    SaveSettings();
    UpdateControls();
    RefreshDisplay();
  }
}
