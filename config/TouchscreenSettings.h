// CTouchscreenSettings ("Touchscreen Settings"): the table of the 18 touchscreen areas of a
// profile (action and coordinates), the touch keyboard's mode and time-out, and the exit
// password. It edits copies; the opener takes them back after IDOK.
#pragma once

#include "app/SettingsStore.h"
#include "platform/mfc/dialog.h"

#define IDD_TOUCHSCREEN_SETTINGS 215
#define IDC_TS_SHOW_AREAS 1003
#define IDC_TS_KEYBOARD 1162
#define IDC_TS_EXIT_PASSWORD 1187
#define IDC_TS_TEST_KEYBOARD 1243
#define IDC_TS_KEYBOARD_TIMEOUT 1255
#define IDC_TS_HEADING 2299

#define ID_TEST_KEYBOARD_NORMAL 32963
#define ID_TEST_KEYBOARD_EMAIL 32964
#define ID_TEST_KEYBOARD_TWITTER 32965
#define ID_TEST_KEYBOARD_MMS 32966
#define ID_TEST_KEYBOARD_MESSAGE 32967
#define ID_TEST_KEYBOARD_PASSWORD 32968
#define ID_TEST_KEYBOARD_FACEBOOK 32969

/// The action combo of each row.
extern const int kTouchRowCombo[kPhotoboothTouchscreenButtonCount];
/// The Left, Top, Right and Bottom edits of row i.
int TouchRowEdit(int row, int field);
/// The caption "Action N:" of row i.
int TouchRowCaption(int row);

class CTouchscreenSettings : public CDialog {
 public:
  explicit CTouchscreenSettings(CWnd* parent = nullptr);

  // In before DoModal, out after IDOK (the images folder is only read).
  PhotoboothTouchscreenButton m_buttons[kPhotoboothTouchscreenButtonCount];
  int m_nKeyboard = 0;  // combo index 0..4
  CString m_strImagesFolder;
  int m_nKeyboardTimeout = 0;
  CString m_strExitPassword;

  /// The label of the entry selected in row i's combo when its index is above 0, else "".
  CString RowLabel(int row);
  /// Pops up the keyboard choices at the point (screen) and opens the chosen keyboard.
  void OnTestKeyboard(POINT screen);

 protected:
  BOOL OnInitDialog() override;
  void DoDataExchange(CDataExchange* dx) override;
  void OnOK() override;
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

 private:
  void FillActionCombos();
  void EnableCoordinates();
  void OnShowAreas();
  /// Width and height of each used area; reports the first bad one and focuses its edit.
  bool CheckSizes();
  /// The overlap lines of areas the booth would confuse.
  CString OverlapLines();
};
