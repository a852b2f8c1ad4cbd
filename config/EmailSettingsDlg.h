// CEmailSettingsDlg: subject, bodies, picture size, rotation and crop of the e-mails the booth sends.
#pragma once

#include "config/OutputSettingsBlocks.h"
#include "platform/mfc/dialog.h"

#define IDD_EMAIL_SETTINGS 237
#define IDC_EMAIL_SUBJECT 1314
#define IDC_EMAIL_TEXT 1182
#define IDC_EMAIL_HTML 1183
#define IDC_EMAIL_MAX_WIDTH 1303
#define IDC_EMAIL_MAX_HEIGHT 1313
#define IDC_EMAIL_ROTATION 1127
#define IDC_EMAIL_ERROR_MSG 1315

/// The HTML body edit takes this many characters.
const int kMaxEmailHtmlLength = 0x20000;

class CEmailSettingsDlg : public CDialog {
 public:
  explicit CEmailSettingsDlg(CWnd* parent = nullptr);

  CString m_strPhotoboothEmailSubject, m_strPhotoboothEmailMsgText, m_strPhotoboothEmailMsgHTML;
  BOOL m_bPhotoboothEmailCrop = FALSE;
  int m_nPhotoboothEmailCropX = 0, m_nPhotoboothEmailCropY = 0;
  int m_nPhotoboothEmailCropW = 0, m_nPhotoboothEmailCropH = 0;
  int m_nPhotoboothEmailMaxWidth = 500, m_nPhotoboothEmailMaxHeight = 500;
  int m_nPhotoboothEmailRotate = -1;
  CString m_strKeyboardEmailErrorMsg;

 protected:
  BOOL OnInitDialog() override;
  void DoDataExchange(CDataExchange* dx) override;
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
  void OnOK() override;

 private:
  int m_nRotationIndex = 0;
};
