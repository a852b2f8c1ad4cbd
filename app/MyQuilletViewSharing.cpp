// The sharing station's commands of the main view: e-mail server settings, resending the
// unsent e-mails of a log and the QR-code text.
#include "app/DataFiles.h"
#include "app/MyQuilletView.h"
#include "app/Resource.h"
#include "platform/mfc/filedialog.h"
#include "platform/win32/files.h"
#include "platform/win32/folders.h"
#include "sharing/EmailServerSettingsDlg.h"
#include "sharing/QRCodeEditDlg.h"
#include "sharing/ResendEmailDlg.h"

bool CMyQuilletView::OnSharingCommand(UINT id) {
  switch (id) {
    case ID_EMAIL_SERVER_SETTINGS:
      if (EditEmailServerSettings(this, *this, FindDataFile("email_test.jpg"))) SaveSettings();
      return true;
    case ID_SEND_EMAILS: {
      CString documents = GetDocumentsFolder().c_str();
      CString last = PathFileExistsA(m_strPhotoboothLogEmailPathname) ? m_strPhotoboothLogEmailPathname : CString();
      CFileDialog chooser(TRUE, "csv", last, OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY,
                          "Email log file (*.csv)|*.csv||", this);
      chooser.m_ofn.lpstrTitle = "Load Email Log File";
      chooser.m_ofn.lpstrInitialDir = documents;
      if (chooser.DoModal() != IDOK) return true;
      CResendEmailDlg dialog(this);
      EmailShareSettings& server = dialog.m_settings.server;
      server.host = m_strPhotoboothEmailHost;
      server.port = m_nPhotoboothEmailPort;
      server.ssl = m_bPhotoboothEmailSSL != FALSE;
      server.user = m_strPhotoboothEmailUsername;
      server.password = m_strPhotoboothEmailPassword;
      server.from = m_strPhotoboothEmailFrom;
      server.subject = m_strPhotoboothEmailSubject;
      server.text = m_strPhotoboothEmailMsgText;
      server.html = m_strPhotoboothEmailMsgHTML;
      server.logEnabled = true;
      server.logPath = chooser.GetPathName();
      SharedPhotoSettings& photo = dialog.m_settings.photo;
      photo.cropEnable = m_bPhotoboothEmailCrop != FALSE;
      photo.cropX = m_nPhotoboothEmailCropX;
      photo.cropY = m_nPhotoboothEmailCropY;
      photo.cropWidth = m_nPhotoboothEmailCropW;
      photo.cropHeight = m_nPhotoboothEmailCropH;
      photo.maxWidth = m_nPhotoboothEmailMaxWidth;
      photo.maxHeight = m_nPhotoboothEmailMaxHeight;
      // -1 turns the photo as the print preview does.
      photo.rotation = m_nPhotoboothEmailRotate == -1 ? g_nPhotoboothPrintPreviewRotate : m_nPhotoboothEmailRotate;
      dialog.DoModal();
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
