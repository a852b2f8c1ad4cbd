// The sharing station's commands of the main view: e-mail server settings and the QR-code text.
#include "app/DataFiles.h"
#include "app/MyQuilletView.h"
#include "app/Resource.h"
#include "sharing/EmailServerSettingsDlg.h"
#include "sharing/QRCodeEditDlg.h"

bool CMyQuilletView::OnSharingCommand(UINT id) {
  switch (id) {
    case ID_EMAIL_SERVER_SETTINGS: {
      CEmailServerSettingsDlg dialog(this);
      dialog.m_host = m_strPhotoboothEmailHost;
      dialog.m_port = m_nPhotoboothEmailPort;
      dialog.m_user = m_strPhotoboothEmailUsername;
      dialog.m_password = m_strPhotoboothEmailPassword;
      dialog.m_ssl = m_bPhotoboothEmailSSL;
      dialog.m_from = m_strPhotoboothEmailFrom;
      dialog.m_logEnable = m_bPhotoboothLogEmailAddresses;
      dialog.m_logPath = m_strPhotoboothLogEmailPathname;
      dialog.m_testImagePath = FindDataFile("email_test.jpg");
      if (dialog.DoModal() == IDOK) {
        m_strPhotoboothEmailHost = dialog.m_host;
        m_nPhotoboothEmailPort = dialog.m_port;
        m_strPhotoboothEmailUsername = dialog.m_user;
        m_strPhotoboothEmailPassword = dialog.m_password;
        m_bPhotoboothEmailSSL = dialog.m_ssl;
        m_strPhotoboothEmailFrom = dialog.m_from;
        m_bPhotoboothLogEmailAddresses = dialog.m_logEnable;
        m_strPhotoboothLogEmailPathname = dialog.m_logPath;
        SaveSettings();
      }
      return true;
    }
    case ID_EDIT_QR_CODE: {
      CQRCodeEditDlg dialog(this);
      dialog.m_text = m_strQRcode;
      dialog.m_level = m_nQRcodeQuality;
      if (dialog.DoModal() == IDOK) {
        m_strQRcode = dialog.m_text;
        m_nQRcodeQuality = dialog.m_level;
        SaveSettings();
      }
      return true;
    }
    default:
      return false;
  }
}
