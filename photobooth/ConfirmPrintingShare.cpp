// The confirm screen's shares: the channel settings mapped onto what the sharing station needs.
#include "app/SettingsStore.h"
#include "photobooth/ConfirmPrintingDlg.h"
#include "sharing/MmsTransport.h"
#include "sharing/UploadDlg.h"
#include "support/ProgramGlobals.h"

ShareSettings BuildShareSettings(int kind, const ViewSettings& s, const CString& imagesFolder,
                                 const CString& photoPath) {
  ShareSettings share;
  share.imagesFolder = imagesFolder;
  share.photoPath = photoPath;
  // The station's pictures are booth screens too: the booth window's command hears of them.
  share.statusCommand = g_strPhotoboothStatusCmd;
  // A print from the station gets the camera-to-printer conversion that booth prints get.
  if (s.m_bEnablePrinterColourManagement) {
    share.iccInputProfile = g_strCameraProfile;
    share.iccOutputProfile = s.m_strPrinterProfile;
  }
  SharedPhotoSettings& image = share.image;
  switch (kind) {
    case ShareFacebook:
      image = {s.m_bPhotoboothFbCrop != FALSE, s.m_nPhotoboothFbCropX,   s.m_nPhotoboothFbCropY,
               s.m_nPhotoboothFbCropW,         s.m_nPhotoboothFbCropH,   s.m_nPhotoboothFbMaxWidth,
               s.m_nPhotoboothFbMaxHeight,     s.m_nPhotoboothFbRotate};
      break;
    case ShareEmail:
      image = {s.m_bPhotoboothEmailCrop != FALSE, s.m_nPhotoboothEmailCropX,   s.m_nPhotoboothEmailCropY,
               s.m_nPhotoboothEmailCropW,         s.m_nPhotoboothEmailCropH,   s.m_nPhotoboothEmailMaxWidth,
               s.m_nPhotoboothEmailMaxHeight,     s.m_nPhotoboothEmailRotate};
      break;
    case ShareTwitter:
      image = {s.m_bPhotoboothTwitterCrop != FALSE, s.m_nPhotoboothTwitterCropX,   s.m_nPhotoboothTwitterCropY,
               s.m_nPhotoboothTwitterCropW,         s.m_nPhotoboothTwitterCropH,   s.m_nPhotoboothTwitterMaxWidth,
               s.m_nPhotoboothTwitterMaxHeight,     s.m_nPhotoboothTwitterRotate};
      break;
    case ShareMms:
      image = {s.m_bMmsCrop != FALSE, s.m_nMmsCropX,    s.m_nMmsCropY,    s.m_nMmsCropW,
               s.m_nMmsCropH,         s.m_nMmsMaxWidth, s.m_nMmsMaxHeight, s.m_nMmsRotate};
      break;
    default:
      break;
  }
  EmailShareSettings& email = share.email;
  email.host = s.m_strPhotoboothEmailHost;
  email.port = s.m_nPhotoboothEmailPort;
  email.ssl = s.m_bPhotoboothEmailSSL != FALSE;
  email.user = s.m_strPhotoboothEmailUsername;
  email.password = s.m_strPhotoboothEmailPassword;
  email.from = s.m_strPhotoboothEmailFrom;
  email.subject = s.m_strPhotoboothEmailSubject;
  email.text = s.m_strPhotoboothEmailMsgText;
  email.html = s.m_strPhotoboothEmailMsgHTML;
  email.offline = s.m_bPhotoboothEmailOfflineMode != FALSE;
  email.logEnabled = s.m_bPhotoboothLogEmailAddresses != FALSE;
  email.logPath = s.m_strPhotoboothLogEmailPathname;
  share.facebook.text = s.m_strPhotoboothFbAlbum;
  share.facebook.windowWidth = g_nFacebookLoginWindowWidth;
  share.facebook.windowHeight = g_nFacebookLoginWindowHeight;
  share.facebook.timeoutSeconds = g_nFacebookUploadTimeout;
  share.facebook.logEnabled = s.m_bPhotoboothLogFacebookAddresses != FALSE;
  share.facebook.logPath = s.m_strPhotoboothLogFacebookPathname;
  share.twitter.text = s.m_strPhotoboothTwitterComment;
  share.twitter.timeoutSeconds = g_nTwitterUploadTimeout;
  share.twitter.logEnabled = s.m_bLogTwitterUploads != FALSE;
  share.twitter.logPath = s.m_strLogTwitterPathname;
  MmsShareSettings& mms = share.mms;
  mms.accountSid = s.m_strMmsTwilioAccountSID;
  mms.authToken = s.m_strMmsTwilioAuthToken;
  mms.from = s.m_strMmsTwilioFrom;
  mms.countryPrefix = s.m_strMmsCountryPrefix;
  mms.uploadTimeoutSeconds = s.m_nMmsUploadTimeout;
  mms.messageType = s.m_nMmsMsgType;
  mms.maxLength = s.m_nMmsMaxMsgLength;
  mms.message = s.m_strMmsMessage;
  mms.offline = s.m_bMmsOfflineMode != FALSE;
  mms.logEnabled = s.m_bLogMmsAddresses != FALSE;
  mms.logPath = s.m_strLogMmsPathname;
  return share;
}

INT_PTR OpenUploadScreen(CConfirmPrintingDlg& dialog, int kind, const ViewSettings& settings) {
  CUploadDlg upload(&dialog, kind);
  upload.m_share = BuildShareSettings(kind, settings, dialog.m_strImagesFolder, dialog.m_strImagePath);
  ReadMmsServiceAddresses(upload.m_share.mms);
  upload.m_share.sharingMessage = dialog.m_strSharingMessage;
  if (kind == ShareFacebook) {
    upload.m_share.userName = dialog.m_strFacebookKept[0];
    if (!dialog.m_strFacebookKept[1].IsEmpty()) upload.m_share.sharingMessage = dialog.m_strFacebookKept[1];
  }
  INT_PTR result = upload.DoModal();
  if (kind == ShareFacebook) {
    dialog.m_strFacebookKept[0] = upload.m_share.userName;
    dialog.m_strFacebookKept[1] = upload.m_share.sharingMessage;
  }
  return result;
}
