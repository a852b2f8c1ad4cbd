#include "config/TouchscreenSettings.h"

#include <string>

#include "config/TouchscreenAreas.h"
#include "config/TouchscreenPreviewDlg.h"
#include "keyboard/KeyboardDialog.h"
#include "platform/mfc/ddx.h"
#include "platform/user/controls.h"
#include "platform/user/cursor.h"
#include "platform/user/menu.h"
#include "platform/user/messagebox.h"

const int kTouchRowCombo[kPhotoboothTouchscreenButtonCount] = {1132, 1137, 1138, 1139, 1140, 1141, 1142, 1143, 1158,
                                                               1161, 1163, 1166, 1169, 1172, 1175, 1178, 1181, 1184};

// The coordinate edits and row captions have no fixed numbers elsewhere: a block of our own.
int TouchRowEdit(int row, int field) { return 2300 + row * 4 + field; }
int TouchRowCaption(int row) { return 2380 + row; }

namespace {

const int kMaxCoordinate = 10000;
const char* const kKeyboardModes[] = {"Not displayed", "Email input at start of sequence",
                                      "Email input at end of sequence", "Email input after taking photos",
                                      "Message input at end of sequence"};

struct TestKeyboard {
  UINT command;
  const char* text;
  int type;
};
const TestKeyboard kTestKeyboards[] = {{ID_TEST_KEYBOARD_NORMAL, "Normal keyboard...", 0},
                                       {ID_TEST_KEYBOARD_EMAIL, "email keyboard...", 1},
                                       {ID_TEST_KEYBOARD_FACEBOOK, "Facebook keyboard...", 2},
                                       {ID_TEST_KEYBOARD_TWITTER, "Twitter keyboard...", 6},
                                       {ID_TEST_KEYBOARD_MMS, "MMS/SMS keyboard...", 5},
                                       {ID_TEST_KEYBOARD_MESSAGE, "Message keyboard...", 4},
                                       {ID_TEST_KEYBOARD_PASSWORD, "Password keyboard...", 3}};

void RegisterTemplate() {
  static bool done = false;
  if (done) return;
  done = true;
  static std::string captions[kPhotoboothTouchscreenButtonCount];
  using K = DlgItemKind;
  DlgTemplate dialog{IDD_TOUCHSCREEN_SETTINGS, "Touchscreen Settings", {}};
  dialog.grid.headings = {"", "", "Left:", "Top:", "Right:", "Bottom:"};
  for (int row = 0; row < kPhotoboothTouchscreenButtonCount; ++row) {
    captions[row] = "Action " + std::to_string(row + 1) + ":";
    std::vector<DlgItem> cells{{TouchRowCaption(row), K::Label, captions[row].c_str()},
                               {kTouchRowCombo[row], K::Combo, ""}};
    for (int field = 0; field < 4; ++field) cells.push_back({TouchRowEdit(row, field), K::Edit, ""});
    dialog.grid.rows.push_back(cells);
  }
  dialog.items = {
      {IDC_TS_HEADING, K::Label, "Select the action and coordinates of up to 18 areas on the touchscreen:"},
      {IDC_TS_KEYBOARD, K::Combo, "Touchscreen keyboard:", "PhotoboothKeyboard"},
      {IDC_TS_KEYBOARD_TIMEOUT, K::Edit, "Timeout (secs):", "PhotoboothKeyboardTimeout"},
      {IDC_TS_EXIT_PASSWORD, K::Edit, "Photo booth exit action password (leave blank for no password):",
       "PhotoboothTouchscreenExitPassword"},
      {IDC_TS_TEST_KEYBOARD, K::Button, "Test keyboard..."},
      {IDC_TS_SHOW_AREAS, K::Button, "Show/edit touchscreen areas..."},
      {IDOK, K::DefButton, "OK"},
      {IDCANCEL, K::Button, "Cancel"}};
  AfxRegisterDialogTemplate(dialog);
}

// An action is the code kept as the selected entry's item data (0 when nothing is selected).
void DDX_TouchAction(CDataExchange* dx, int id, int& code) {
  HWND combo = dx->PrepareCtrl(id);
  if (!combo) return;
  if (dx->m_bSaveAndValidate) {
    const LRESULT selected = ::SendMessageA(combo, CB_GETCURSEL, 0, 0);
    code = selected < 0 ? 0 : static_cast<int>(::SendMessageA(combo, CB_GETITEMDATA, selected, 0));
    return;
  }
  const int count = static_cast<int>(::SendMessageA(combo, CB_GETCOUNT, 0, 0));
  int found = -1;
  for (int i = 0; i < count && found < 0; ++i)
    if (static_cast<int>(::SendMessageA(combo, CB_GETITEMDATA, i, 0)) == code) found = i;
  ::SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(found), 0);
}

}  // namespace

CTouchscreenSettings::CTouchscreenSettings(CWnd* parent) : CDialog(IDD_TOUCHSCREEN_SETTINGS, parent) {
  RegisterTemplate();
}

void CTouchscreenSettings::FillActionCombos() {
  for (int row = 0; row < kPhotoboothTouchscreenButtonCount; ++row) {
    HWND combo = ::GetDlgItem(m_hWnd, kTouchRowCombo[row]);
    if (!combo) continue;
    ::SendMessageA(combo, CB_RESETCONTENT, 0, 0);
    for (int i = 0; i < TouchActionCount(); ++i) {
      const LRESULT index = ::SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(TouchActionLabelAt(i)));
      if (index >= 0) ::SendMessageA(combo, CB_SETITEMDATA, index, TouchActionCodeAt(i));
    }
  }
}

BOOL CTouchscreenSettings::OnInitDialog() {
  for (const char* mode : kKeyboardModes)
    SendDlgItemMessage(IDC_TS_KEYBOARD, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(mode));
  FillActionCombos();
  CDialog::OnInitDialog();
  EnableCoordinates();
  return TRUE;
}

void CTouchscreenSettings::DoDataExchange(CDataExchange* dx) {
  for (int row = 0; row < kPhotoboothTouchscreenButtonCount; ++row) {
    PhotoboothTouchscreenButton& area = m_buttons[row];
    DDX_TouchAction(dx, kTouchRowCombo[row], area.action);
    int* fields[4] = {&area.left, &area.top, &area.right, &area.bottom};
    for (int field = 0; field < 4; ++field) {
      DDX_Text(dx, TouchRowEdit(row, field), *fields[field]);
      DDV_MinMaxInt(dx, *fields[field], 0, kMaxCoordinate);
    }
  }
  DDX_CBIndex(dx, IDC_TS_KEYBOARD, m_nKeyboard);
  DDX_Text(dx, IDC_TS_KEYBOARD_TIMEOUT, m_nKeyboardTimeout);
  DDV_MinMaxInt(dx, m_nKeyboardTimeout, 0, kMaxCoordinate);
  DDX_Text(dx, IDC_TS_EXIT_PASSWORD, m_strExitPassword);
}

void CTouchscreenSettings::EnableCoordinates() {
  for (int row = 0; row < kPhotoboothTouchscreenButtonCount; ++row) {
    const BOOL used = m_buttons[row].action > 0;
    for (int field = 0; field < 4; ++field)
      if (CWnd* edit = GetDlgItem(TouchRowEdit(row, field))) edit->EnableWindow(used);
  }
}

CString CTouchscreenSettings::RowLabel(int row) {
  CString label;
  HWND combo = ::GetDlgItem(m_hWnd, kTouchRowCombo[row]);
  const LRESULT selected = combo ? ::SendMessageA(combo, CB_GETCURSEL, 0, 0) : -1;
  if (selected > 0) {
    const LRESULT length = ::SendMessageA(combo, CB_GETLBTEXTLEN, selected, 0);
    if (length > 0) {
      ::SendMessageA(combo, CB_GETLBTEXT, selected, reinterpret_cast<LPARAM>(label.GetBuffer(static_cast<int>(length))));
      label.ReleaseBuffer();
    }
  }
  return label;
}

bool CTouchscreenSettings::CheckSizes() {
  for (int row = 0; row < kPhotoboothTouchscreenButtonCount; ++row) {
    const PhotoboothTouchscreenButton& area = m_buttons[row];
    if (area.action <= 0) continue;
    CString text;
    int focus = 0;
    if (area.right - area.left < 1) {
      text.Format("Width for Action %d: '", row + 1);
      CString rest;
      rest.Format(
          "' is less than 1\nleft=%d, right=%d\n\nThe left and right values are the number of pixels measured from "
          "the left of the screen and the right value should always be greater than the left value.\ne.g. To create a "
          "touchscreen area 100 pixels wide when left=%d you need set right to %d",
          area.left, area.right, area.left, area.left + 100);
      text += RowLabel(row) + rest;
      focus = TouchRowEdit(row, 2);
    } else if (area.bottom - area.top < 1) {
      text.Format("Height for Action %d: '", row + 1);
      CString rest;
      rest.Format(
          "' is less than 1\ntop=%d, bottom=%d\n\nThe top and bottom values are the number of pixels down from the top "
          "of the screen and the bottom value should always be greater than the top value.\ne.g. To create a "
          "touchscreen area 100 pixels high when top=%d you need set bottom to %d",
          area.top, area.bottom, area.top, area.top + 100);
      text += RowLabel(row) + rest;
      focus = TouchRowEdit(row, 3);
    } else {
      continue;
    }
    ::MessageBoxA(m_hWnd, CString("ERROR: ") + text, "Tavorin", MB_OK | MB_ICONERROR);
    if (CWnd* edit = GetDlgItem(focus)) edit->SetFocus();
    return false;
  }
  return true;
}

CString CTouchscreenSettings::OverlapLines() {
  CString lines;
  for (int i = 0; i < kPhotoboothTouchscreenButtonCount; ++i) {
    const PhotoboothTouchscreenButton& a = m_buttons[i];
    if (a.action <= 0) continue;
    for (int j = i + 1; j < kPhotoboothTouchscreenButtonCount; ++j) {
      const PhotoboothTouchscreenButton& b = m_buttons[j];
      if (b.action <= 0 || !TouchAreasOverlap(a, b)) continue;
      // A code the list does not know is always worth a look.
      const bool unknown = TouchActionIndex(a.action) < 0 || TouchActionIndex(b.action) < 0;
      if (!unknown && !TouchActionsConflict(a.action, b.action)) continue;
      CString line;
      line.Format("area %d (", i + 1);
      line += RowLabel(i);
      CString middle;
      middle.Format(") overlaps area %d (", j + 1);
      line += middle + RowLabel(j) + ")\n";
      lines += line;
    }
  }
  return lines;
}

void CTouchscreenSettings::OnOK() {
  // A refused value keeps the dialog open with the focus on its field.
  if (!UpdateData(TRUE)) return;
  if (!CheckSizes()) return;
  const CString overlaps = OverlapLines();
  if (!overlaps.IsEmpty() &&
      ::MessageBoxA(m_hWnd, CString("Warning:\n") + overlaps + "\nDo you wish to use these settings?", "Tavorin",
                    MB_YESNO | MB_ICONWARNING) != IDYES)
    return;
  EndDialog(IDOK);
}

void CTouchscreenSettings::OnTestKeyboard(POINT screen) {
  HMENU menu = CreatePopupMenu();
  for (const TestKeyboard& entry : kTestKeyboards) AppendMenuA(menu, MF_STRING, entry.command, entry.text);
  const UINT chosen =
      static_cast<UINT>(TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD, screen.x, screen.y, 0,
                                       m_hWnd, nullptr));
  DestroyMenu(menu);
  for (const TestKeyboard& entry : kTestKeyboards) {
    if (entry.command != chosen) continue;
    CKeyboardDialog keyboard(this, TRUE, entry.type);
    keyboard.m_layoutFolder = m_strImagesFolder;
    keyboard.DoModal();
  }
}

void CTouchscreenSettings::OnShowAreas() {
  if (!UpdateData(TRUE)) return;
  // The preview names the areas' actions as the first row's list does.
  CComboBox labels;
  labels.Attach(::GetDlgItem(m_hWnd, kTouchRowCombo[0]));
  CTouchscreenPreviewDlg preview(this, &labels, m_strImagesFolder);
  for (int i = 0; i < kPhotoboothTouchscreenButtonCount; ++i)
    preview.m_editor.m_buttons[i] = preview.m_editor.m_original[i] = m_buttons[i];
  const INT_PTR result = preview.DoModal();
  labels.Detach();
  if (result != IDOK) return;
  for (int i = 0; i < kPhotoboothTouchscreenButtonCount; ++i) m_buttons[i] = preview.m_editor.m_buttons[i];
  UpdateData(FALSE);
  EnableCoordinates();
}

BOOL CTouchscreenSettings::OnCommand(WPARAM wParam, LPARAM lParam) {
  const int id = LOWORD(wParam), code = HIWORD(wParam);
  bool actionCombo = id == IDC_TS_KEYBOARD;
  for (int combo : kTouchRowCombo) actionCombo = actionCombo || combo == id;
  if (actionCombo) {
    if (code == CBN_SELCHANGE) {
      UpdateData(TRUE);
      EnableCoordinates();
    }
    return TRUE;
  }
  if (code == BN_CLICKED && id == IDC_TS_TEST_KEYBOARD) {
    POINT cursor{0, 0};
    GetCursorPos(&cursor);
    OnTestKeyboard(cursor);
    return TRUE;
  }
  if (code == BN_CLICKED && id == IDC_TS_SHOW_AREAS) {
    OnShowAreas();
    return TRUE;
  }
  return CDialog::OnCommand(wParam, lParam);
}
