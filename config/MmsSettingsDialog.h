// CMmsSettingsDialog: the messaging account, message and picture settings of SMS/MMS sharing.
#pragma once

#include "config/OutputSettingsBlocks.h"
#include "platform/mfc/dialog.h"

#define IDD_MMS_SETTINGS 258
#define IDC_MMS_FROM 1315
#define IDC_MMS_ACCOUNT_SID 1286
#define IDC_MMS_AUTH_TOKEN 1287
#define IDC_MMS_COUNTRY_PREFIX 1108
#define IDC_MMS_TIMEOUT 1289
#define IDC_MMS_MESSAGE 1182
#define IDC_MMS_TYPE 1064
#define IDC_MMS_MAX_LENGTH 1038
#define IDC_MMS_MAX_WIDTH 1303
#define IDC_MMS_MAX_HEIGHT 1304
#define IDC_MMS_ROTATION 1127

class CMmsSettingsDialog : public CDialog {
 public:
  explicit CMmsSettingsDialog(CWnd* parent = nullptr);

  CString m_strMmsTwilioFrom, m_strMmsTwilioAccountSID;
  CString m_strMmsTwilioAuthToken;  // scrambled, in and out
  CString m_strMmsCountryPrefix;
  int m_nMmsUploadTimeout = 30;
  CString m_strMmsMessage;
  int m_nMmsMsgType = 0, m_nMmsMaxMsgLength = 0;
  BOOL m_bMmsCrop = FALSE;
  int m_nMmsCropX = 0, m_nMmsCropY = 0, m_nMmsCropW = 0, m_nMmsCropH = 0;
  int m_nMmsMaxWidth = 500, m_nMmsMaxHeight = 500;
  int m_nMmsRotate = 0;
  BOOL m_bLogMmsAddresses = FALSE;
  CString m_strLogMmsPathname;

 protected:
  BOOL OnInitDialog() override;
  void DoDataExchange(CDataExchange* dx) override;
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
  void OnOK() override;

 private:
  /// Says what is wrong, puts the focus on the control and returns false.
  bool Refuse(const char* message, int id);
  int m_nRotationIndex = 0;
};
