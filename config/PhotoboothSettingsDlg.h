// CPhotoboothSettingsDlg ("Photobooth Settings"): the operator's editor of the whole booth
// configuration. It works on a copy of the view's settings (m_settings), which the opener fills
// and takes back after IDOK; its Save and Load are the dialog pair of the settings file.
#pragma once

#include "app/SettingsStore.h"
#include "platform/mfc/dialog.h"

#define IDD_PHOTOBOOTH_SETTINGS 208
#define IDC_PBS_IMAGE_DIR_BROWSE 1003
#define IDC_PBS_FONT 1004
#define IDC_PBS_COLOUR 1005
#define IDC_PBS_SHARPEN 1100
#define IDC_PBS_START_ON_CONNECT 1103
#define IDC_PBS_SHARPEN_AMOUNT 1104
#define IDC_PBS_COLOUR_SWATCH 1105
#define IDC_PBS_FONT_DESCRIPTION 1106
#define IDC_PBS_EDIT_CAPTIONS 1109
#define IDC_PBS_PREVIEW_TIME 1125
#define IDC_PBS_OUTPUT 1126
#define IDC_PBS_EVF_Y 1127
#define IDC_PBS_MIN_PROCESSING 1128
#define IDC_PBS_LOAD 1129
#define IDC_PBS_SAVE 1130
#define IDC_PBS_PROFILES 1131
#define IDC_PBS_PRINT_COLOUR 1132
#define IDC_PBS_INACTIVITY 1133
#define IDC_PBS_TOUCHSCREEN 1135
#define IDC_PBS_SHUTTER_LAG 1136
#define IDC_PBS_CONFIRM_PRINTING 1137
#define IDC_PBS_TEXT_OFFSET 1139
#define IDC_PBS_OUTPUT_SETTINGS 1141
#define IDC_PBS_AUTO_STANDBY 1151
#define IDC_PBS_CLICKER 1152
#define IDC_PBS_IMAGES 1174
#define IDC_PBS_ROWS 1175
#define IDC_PBS_COLUMNS 1176
#define IDC_PBS_IMAGE_DIR 1177
#define IDC_PBS_ROTATE 1178
#define IDC_PBS_CROP 1179
#define IDC_PBS_BORDER 1180
#define IDC_PBS_INTERVAL 1181
#define IDC_PBS_MESSAGE 1182
#define IDC_PBS_FIRST_INTERVAL 1183
#define IDC_PBS_LIVE_VIEW 1185
#define IDC_PBS_MIRROR 1186
#define IDC_PBS_EVF_HEIGHT 1187
#define IDC_PBS_REPEAT 1188
#define IDC_PBS_3TO2 1189
#define IDC_PBS_PROGRESS 1190
#define IDC_PBS_COPIES 1192
#define IDC_PBS_START_OPTIONS 1194
#define IDC_PBS_EVF_FIRST_SHOT 1195
#define IDC_PBS_EVF_X 1197
#define IDC_PBS_CUSTOM_LAYOUT_SETTINGS 1200
#define IDC_PBS_CUSTOM_LAYOUT 1201
#define IDC_PBS_EVF_PRINTING 1237

class CPhotoboothSettingsDlg : public CDialog {
 public:
  explicit CPhotoboothSettingsDlg(CWnd* parent = nullptr);
  ~CPhotoboothSettingsDlg() override;

  ViewSettings m_settings;
  /// The shutter lag in tenths of a second (the view keeps milliseconds).
  int m_nShutterLagTenths = 0;
  /// The inactivity time-out as the dialog holds it: 32 bits.
  int m_nInactivityTimeout = 0;
  // Program-wide values of the output pages, written back by OK.
  int m_nFacebookUploadTimeout = 30;
  BOOL m_bDitherGIFs = FALSE;
  CString m_strKeyboardEmailErrorMsg;
  // Values of the running program only, never stored: the GIF switches come from the opener,
  // the Twitter time-out is program-wide and written back by OK.
  BOOL m_bGifFrameCopies = FALSE;
  BOOL m_bGifInPrints = FALSE;
  int m_nTwitterUploadTimeout = 30;
  // Carried for the touchscreen editor.
  int m_nKeyboardTimeout = 0;
  CString m_strExitPassword;

 protected:
  BOOL OnInitDialog() override;
  void DoDataExchange(CDataExchange* dx) override;
  void OnOK() override;
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

 private:
  bool CheckValues();
  void Refuse(const char* message, int focusId);
  void EnableControls();
  void UpdateFontDisplay();
  void OnBrowseImageDir();
  void OnFont();
  void OnColour();
  void OnEditCaptions();
  void OnCustomLayout();
  void OnOutputSettings();
  void OnProfiles();
  void OnTouchscreen();
  void OnSaveSettings();
  void OnLoadSettings();

  HBITMAP m_hSwatch = nullptr;
};
