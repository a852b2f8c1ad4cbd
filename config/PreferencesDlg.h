// CPreferencesDlg: mouse actions, the camera's image parameters, preview size and how photos
// are named and filed, with an example of the resulting file name.
#pragma once

#include <ctime>

#include "platform/mfc/dialog.h"

#define IDD_PREFERENCES 138
#define IDC_PREF_FOLDER_BROWSE 1003
#define IDC_PREF_DIRECTORY 1032
#define IDC_PREF_PREFIX 1033
#define IDC_PREF_YEAR 1034
#define IDC_PREF_MONTH 1035
#define IDC_PREF_DAY 1036
#define IDC_PREF_FLATTEN 1037
#define IDC_PREF_EXAMPLE 1038
#define IDC_PREF_MIDDLE_BUTTON 1039
#define IDC_PREF_RIGHT_BUTTON 1040
#define IDC_PREF_MOUSE_WHEEL 1041
#define IDC_PREF_CONTRAST 1042
#define IDC_PREF_SHARPNESS 1043
#define IDC_PREF_SATURATION 1044
#define IDC_PREF_PREVIEW_SIZE 1071
#define IDC_PREF_APPEND_LETTER 1087
#define IDC_PREF_PREFIX_COMMENT 1088

class CPreferencesDlg : public CDialog {
 public:
  explicit CPreferencesDlg(CWnd* parent = nullptr);

  int m_nMiddleBtnAction = 0;  // 0 none, 1 release, 2 preview, 3 edit image
  int m_nRightBtnAction = 0;
  int m_nMouseWheelAction = 0;  // 0 none, 1 zoom, 2 Tv/Av
  /// Low, Normal, High as 0-2; shown only, enabled when the camera offers them.
  int m_nContrast = 1;
  int m_nSharpness = 1;
  int m_nSaturation = 1;
  BOOL m_bImageSettingsSupported = FALSE;
  int m_nPreviewSize = 0;  // small, medium, large
  BOOL m_bPrefixWithComment = FALSE;
  BOOL m_bAppendLetterDuringAEB = FALSE;
  CString m_strFilenamePrefix;
  CString m_strDirectory;
  BOOL m_bYear = FALSE;
  BOOL m_bMonth = FALSE;
  BOOL m_bDay = FALSE;
  BOOL m_bFlattenDate = FALSE;

  // What the example name is made from besides the fields (set by the opener).
  CString m_strComment;
  CString m_strPhotoboothImagesDir;
  int m_nNumberOfPhotoboothImages = 0;

  /// The example image name for the controls' current values.
  CString MakeExampleName();

 protected:
  BOOL OnInitDialog() override;
  void DoDataExchange(CDataExchange* dx) override;
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

 private:
  void UpdateExample();
  void OnBrowseFolder();
  time_t m_openedAt = 0;
  bool m_bReady = false;  // the controls hold the members: their change notices are the user's
};
