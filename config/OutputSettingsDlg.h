// COutputSettingsDlg: the photobooth's output and sharing options, with buttons to the detail pages.
// Edits copies of the opener's values, except the print preview values, which are live: read from and
// written to the running program's settings directly.
#pragma once

#include "platform/mfc/dialog.h"

#define IDD_OUTPUT_SETTINGS 231
#define IDC_OUT_OUTPUT 1126
#define IDC_OUT_CONFIRM_PRINTING 1280
#define IDC_OUT_PREVIEW_X 1253
#define IDC_OUT_PREVIEW_Y 1251
#define IDC_OUT_PREVIEW_W 1252
#define IDC_OUT_PREVIEW_H 1254
#define IDC_OUT_FILENAME 1281
#define IDC_OUT_COPY_JPEG 1282
#define IDC_OUT_ROTATION 1127
#define IDC_OUT_TIMEOUT 1255
#define IDC_OUT_TIMEOUT_ACTION 1128
#define IDC_OUT_FACEBOOK 1297
#define IDC_OUT_EMAIL 1298
#define IDC_OUT_SHARING_TIMEOUT 1315
#define IDC_OUT_THUMBNAILS 1147
#define IDC_OUT_EMAIL_OFFLINE 1383
#define IDC_OUT_SHARE_X 1256
#define IDC_OUT_SHARE_Y 1257
#define IDC_OUT_SHARE_W 1258
#define IDC_OUT_SHARE_H 1259
#define IDC_OUT_SHARE_PRINT 1389
#define IDC_OUT_MMS 1390
#define IDC_OUT_TWITTER 1303
#define IDC_OUT_MMS_OFFLINE 1384
#define IDC_OUT_GIF_CREATE 1413
#define IDC_OUT_SHARE_GIFS 1305
#define IDC_OUT_GIF_UPSCALING 1260
#define IDC_OUT_THUMBNAIL_SETTINGS 1148
#define IDC_OUT_GIF_SETTINGS 1362
#define IDC_OUT_COPY_SETTINGS 1393
#define IDC_OUT_PRINT_SETTINGS 1301
#define IDC_OUT_FACEBOOK_SETTINGS 1299
#define IDC_OUT_EMAIL_SETTINGS 1300
#define IDC_OUT_EMAIL_SERVER 1317
#define IDC_OUT_MMS_SETTINGS 1302
#define IDC_OUT_TWITTER_SETTINGS 1304

class COutputSettingsDlg : public CDialog {
 public:
  explicit COutputSettingsDlg(CWnd* parent = nullptr);

  // Shown on the hub.
  int m_nPhotoboothOutput = 0;
  BOOL m_bPhotoboothConfirmPrinting = FALSE;
  CString m_strPhotoboothOutputFilename;
  BOOL m_bPhotoboothCopyJpegPrint = FALSE;
  BOOL m_bPhotoboothFbUpload = FALSE;
  BOOL m_bPhotoboothEmail = FALSE;
  int m_nPhotoboothSharingTimeout = 300;
  BOOL m_bPhotoboothThumnailEnable = FALSE;
  BOOL m_bPhotoboothEmailOfflineMode = FALSE;
  int m_nPhotoboothSharePreviewX = 0, m_nPhotoboothSharePreviewY = 0;
  int m_nPhotoboothSharePreviewW = 0, m_nPhotoboothSharePreviewH = 0;
  BOOL m_bPrintOptionInSharingScreen = FALSE;
  BOOL m_bEnableMMS = FALSE;
  BOOL m_bEnableTwitter = FALSE;
  BOOL m_bMmsOfflineMode = FALSE;
  BOOL m_bPhotoboothGifCreate = FALSE;
  BOOL m_bShareAnimatedGIFs = FALSE;
  int m_nShareGifMaxPercentageUpscaling = 200;

  // Thumbnail page.
  int m_nPhotoboothThumnailX = -20, m_nPhotoboothThumnailY = 20, m_nPhotoboothThumnailW = 200;
  int m_nPhotoboothThumnailXSpacing = 0, m_nPhotoboothThumnailYSpacing = 153;
  BOOL m_bPhotoboothThumnailShowAtEnd = FALSE;

  // Animated GIF page.
  BOOL m_bPhotoboothGifLoopingPlayback = TRUE;
  BOOL m_bPhotoboothGifPingPongPlayback = FALSE;
  int m_nPhotoboothGifTitleDelay = 150;
  int m_nPhotoboothGifImageDelay = 75;
  int m_nPhotoboothGifWidth = 400;
  BOOL m_bPhotoboothGifTitleAtEnd = FALSE;
  int m_nPhotoboothGifSizeW = 0, m_nPhotoboothGifSizeH = 0;
  int m_nPhotoboothGifOffsetX = 0, m_nPhotoboothGifOffsetY = 0;
  int m_nPhotoboothGifOverlaysPerPhoto = 1;
  BOOL m_bGifFrameCopies = FALSE;  // running program only
  BOOL m_bDitherGIFs = FALSE;
  BOOL m_bGifInPrints = FALSE;  // running program only
  BOOL m_bPhotoboothGifCreateMP4 = FALSE;
  int m_nPhotoboothMP4MinDuration = 0;
  int m_nPhotoboothGifMP4Subfolder = 0;

  // Copy-JPEG page.
  CString m_strPhotoboothCopyJpegPrintDir;
  BOOL m_bPhotoboothCopyJpegPrintCrop = FALSE;
  int m_nPhotoboothCopyJpegPrintCropX = 0, m_nPhotoboothCopyJpegPrintCropY = 0;
  int m_nPhotoboothCopyJpegPrintCropW = 0, m_nPhotoboothCopyJpegPrintCropH = 0;
  BOOL m_bPhotoboothCopyJpegPrintResize = FALSE;
  int m_nPhotoboothCopyJpegPrintResizeW = 0, m_nPhotoboothCopyJpegPrintResizeH = 0;
  int m_nPhotoboothCopyJpegPrintRotate = 0;

  // Sharing-screen printing page.
  int m_nPrintOptionInSharingScreenLimit = 0;
  CString m_strPrintOptionInSharingScreenLimitMsg;

  // Facebook page.
  CString m_strPhotoboothFbAlbum, m_strPhotoboothFbAlbumDesc, m_strPhotoboothFbComment;
  int m_nPhotoboothFbMaxWidth = 500, m_nPhotoboothFbMaxHeight = 500;
  int m_nPhotoboothFbRotate = -1;
  BOOL m_bPhotoboothFbCrop = FALSE;
  int m_nPhotoboothFbCropX = 0, m_nPhotoboothFbCropY = 0, m_nPhotoboothFbCropW = 0, m_nPhotoboothFbCropH = 0;
  int m_nFacebookUploadTimeout = 30;
  BOOL m_bPhotoboothLogFacebookAddresses = FALSE;
  CString m_strPhotoboothLogFacebookPathname;

  // E-mail page.
  CString m_strPhotoboothEmailSubject, m_strPhotoboothEmailMsgText, m_strPhotoboothEmailMsgHTML;
  BOOL m_bPhotoboothEmailCrop = FALSE;
  int m_nPhotoboothEmailCropX = 0, m_nPhotoboothEmailCropY = 0;
  int m_nPhotoboothEmailCropW = 0, m_nPhotoboothEmailCropH = 0;
  int m_nPhotoboothEmailMaxWidth = 500, m_nPhotoboothEmailMaxHeight = 500;
  int m_nPhotoboothEmailRotate = -1;
  CString m_strKeyboardEmailErrorMsg;

  // E-mail server values (handed to the e-mail server settings).
  CString m_strPhotoboothEmailHost, m_strPhotoboothEmailUsername, m_strPhotoboothEmailPassword;
  int m_nPhotoboothEmailPort = 587;
  BOOL m_bPhotoboothEmailSSL = TRUE;
  CString m_strPhotoboothEmailFrom;
  BOOL m_bPhotoboothLogEmailAddresses = FALSE;
  CString m_strPhotoboothLogEmailPathname;

  // SMS/MMS page (the token is held scrambled).
  CString m_strMmsTwilioFrom, m_strMmsTwilioAccountSID, m_strMmsTwilioAuthToken, m_strMmsCountryPrefix;
  int m_nMmsUploadTimeout = 30;
  CString m_strMmsMessage;
  int m_nMmsMsgType = 0, m_nMmsMaxMsgLength = 0;
  BOOL m_bMmsCrop = FALSE;
  int m_nMmsCropX = 0, m_nMmsCropY = 0, m_nMmsCropW = 0, m_nMmsCropH = 0;
  int m_nMmsMaxWidth = 500, m_nMmsMaxHeight = 500;
  int m_nMmsRotate = 0;
  BOOL m_bLogMmsAddresses = FALSE;
  CString m_strLogMmsPathname;

  // Twitter page.
  CString m_strPhotoboothTwitterComment;
  BOOL m_bPhotoboothTwitterCrop = FALSE;
  int m_nPhotoboothTwitterCropX = 0, m_nPhotoboothTwitterCropY = 0;
  int m_nPhotoboothTwitterCropW = 0, m_nPhotoboothTwitterCropH = 0;
  int m_nPhotoboothTwitterMaxWidth = 500, m_nPhotoboothTwitterMaxHeight = 500;
  int m_nPhotoboothTwitterRotate = 0;
  int m_nTwitterUploadTimeout = 30;  // running program only
  BOOL m_bLogTwitterUploads = FALSE;
  CString m_strLogTwitterPathname;

 protected:
  BOOL OnInitDialog() override;
  void DoDataExchange(CDataExchange* dx) override;
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
  void OnOK() override;

 private:
  bool IsJpegOutput() const { return m_nPhotoboothOutput == 1 || m_nPhotoboothOutput == 2; }
  /// Reads every control (no range checks: those belong to OK) and enables by the current values.
  void UpdateEnabling();
  /// The offline SMS/MMS mode needs its logging; false (after saying so) when it is missing.
  bool CheckMmsLogging();
  void OpenThumbnailPage();
  void OpenGifPage();
  void OpenCopyJpegPage();
  void OpenSharingPrinterPage();
  void OpenFacebookPage();
  void OpenEmailPage();
  void OpenEmailServer();
  void OpenMmsPage();
  void OpenTwitterPage();

  // The live values while the dialog is open.
  int m_nPreviewX = 0, m_nPreviewY = 0, m_nPreviewW = 0, m_nPreviewH = 0;
  int m_nRotationIndex = 0;
  int m_nTimeout = 0;
  int m_nTimeoutActionIndex = 0;
  bool m_bRangeChecks = true;
};
