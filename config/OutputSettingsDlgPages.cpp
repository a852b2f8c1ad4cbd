// The hub's page buttons: each page gets a copy of the hub's values and gives them back only on OK.
#include "app/DataFiles.h"
#include "config/AnimatedGifSettingsDialog.h"
#include "config/CopyJpegOutputSettings.h"
#include "config/EmailSettingsDlg.h"
#include "config/FacebookSettingsDlg.h"
#include "config/MmsSettingsDialog.h"
#include "config/OutputSettingsDlg.h"
#include "config/SharingPrinterSettingsDlg.h"
#include "config/ThumbnailSettingsDlg.h"
#include "config/TwitterSettingsDlg.h"
#include "sharing/EmailServerSettingsDlg.h"

#define TO_PAGE(field) page.field = field;
#define FROM_PAGE(field) field = page.field;

#define THUMBNAIL_FIELDS(X)                                                                                  \
  X(m_bPhotoboothThumnailEnable) X(m_nPhotoboothThumnailX) X(m_nPhotoboothThumnailY) X(m_nPhotoboothThumnailW) \
  X(m_nPhotoboothThumnailXSpacing) X(m_nPhotoboothThumnailYSpacing) X(m_bPhotoboothThumnailShowAtEnd)

#define GIF_FIELDS(X)                                                                                           \
  X(m_bPhotoboothGifLoopingPlayback) X(m_bPhotoboothGifPingPongPlayback) X(m_nPhotoboothGifTitleDelay)          \
  X(m_nPhotoboothGifImageDelay) X(m_nPhotoboothGifWidth) X(m_bPhotoboothGifTitleAtEnd) X(m_nPhotoboothGifSizeW) \
  X(m_nPhotoboothGifSizeH) X(m_nPhotoboothGifOffsetX) X(m_nPhotoboothGifOffsetY)                                \
  X(m_nPhotoboothGifOverlaysPerPhoto) X(m_bGifFrameCopies) X(m_bDitherGIFs) X(m_bGifInPrints)                   \
  X(m_bPhotoboothGifCreateMP4) X(m_nPhotoboothMP4MinDuration) X(m_nPhotoboothGifMP4Subfolder)

#define COPY_JPEG_FIELDS(X)                                                                              \
  X(m_bPhotoboothCopyJpegPrint) X(m_strPhotoboothCopyJpegPrintDir) X(m_bPhotoboothCopyJpegPrintCrop)     \
  X(m_nPhotoboothCopyJpegPrintCropX) X(m_nPhotoboothCopyJpegPrintCropY) X(m_nPhotoboothCopyJpegPrintCropW) \
  X(m_nPhotoboothCopyJpegPrintCropH) X(m_bPhotoboothCopyJpegPrintResize)                                 \
  X(m_nPhotoboothCopyJpegPrintResizeW) X(m_nPhotoboothCopyJpegPrintResizeH) X(m_nPhotoboothCopyJpegPrintRotate)

#define SHARING_PRINTER_FIELDS(X) X(m_nPrintOptionInSharingScreenLimit) X(m_strPrintOptionInSharingScreenLimitMsg)

#define FACEBOOK_FIELDS(X)                                                                                      \
  X(m_strPhotoboothFbAlbum) X(m_strPhotoboothFbAlbumDesc) X(m_strPhotoboothFbComment) X(m_nPhotoboothFbMaxWidth) \
  X(m_nPhotoboothFbMaxHeight) X(m_nPhotoboothFbRotate) X(m_bPhotoboothFbCrop) X(m_nPhotoboothFbCropX)            \
  X(m_nPhotoboothFbCropY) X(m_nPhotoboothFbCropW) X(m_nPhotoboothFbCropH) X(m_nFacebookUploadTimeout)            \
  X(m_bPhotoboothLogFacebookAddresses) X(m_strPhotoboothLogFacebookPathname)

#define EMAIL_FIELDS(X)                                                                                    \
  X(m_strPhotoboothEmailSubject) X(m_strPhotoboothEmailMsgText) X(m_strPhotoboothEmailMsgHTML)             \
  X(m_bPhotoboothEmailCrop) X(m_nPhotoboothEmailCropX) X(m_nPhotoboothEmailCropY) X(m_nPhotoboothEmailCropW) \
  X(m_nPhotoboothEmailCropH) X(m_nPhotoboothEmailMaxWidth) X(m_nPhotoboothEmailMaxHeight)                  \
  X(m_nPhotoboothEmailRotate) X(m_strKeyboardEmailErrorMsg)

#define MMS_FIELDS(X)                                                                                     \
  X(m_strMmsTwilioFrom) X(m_strMmsTwilioAccountSID) X(m_strMmsTwilioAuthToken) X(m_strMmsCountryPrefix)   \
  X(m_nMmsUploadTimeout) X(m_strMmsMessage) X(m_nMmsMsgType) X(m_nMmsMaxMsgLength) X(m_bMmsCrop)          \
  X(m_nMmsCropX) X(m_nMmsCropY) X(m_nMmsCropW) X(m_nMmsCropH) X(m_nMmsMaxWidth) X(m_nMmsMaxHeight)         \
  X(m_nMmsRotate) X(m_bLogMmsAddresses) X(m_strLogMmsPathname)

#define TWITTER_FIELDS(X)                                                                                  \
  X(m_strPhotoboothTwitterComment) X(m_bPhotoboothTwitterCrop) X(m_nPhotoboothTwitterCropX)                \
  X(m_nPhotoboothTwitterCropY) X(m_nPhotoboothTwitterCropW) X(m_nPhotoboothTwitterCropH)                   \
  X(m_nPhotoboothTwitterMaxWidth) X(m_nPhotoboothTwitterMaxHeight) X(m_nPhotoboothTwitterRotate)           \
  X(m_nTwitterUploadTimeout) X(m_bLogTwitterUploads) X(m_strLogTwitterPathname)

void COutputSettingsDlg::OpenThumbnailPage() {
  UpdateEnabling();  // reads the controls, so the refresh below keeps what was typed
  CThumbnailSettingsDlg page(this);
  THUMBNAIL_FIELDS(TO_PAGE)
  if (page.DoModal() != IDOK) return;
  THUMBNAIL_FIELDS(FROM_PAGE)
  UpdateData(FALSE);
  UpdateEnabling();
}

void COutputSettingsDlg::OpenGifPage() {
  CAnimatedGifSettingsDialog page(this);
  GIF_FIELDS(TO_PAGE)
  if (page.DoModal() == IDOK) { GIF_FIELDS(FROM_PAGE) }
}

void COutputSettingsDlg::OpenCopyJpegPage() {
  UpdateEnabling();  // the page starts from the hub's current "copy" tick
  CCopyJpegOutputSettings page(this);
  COPY_JPEG_FIELDS(TO_PAGE)
  if (page.DoModal() != IDOK) return;
  COPY_JPEG_FIELDS(FROM_PAGE)
  UpdateData(FALSE);
  UpdateEnabling();
}

void COutputSettingsDlg::OpenSharingPrinterPage() {
  CSharingPrinterSettingsDlg page(this);
  SHARING_PRINTER_FIELDS(TO_PAGE)
  if (page.DoModal() == IDOK) { SHARING_PRINTER_FIELDS(FROM_PAGE) }
}

void COutputSettingsDlg::OpenFacebookPage() {
  CFacebookSettingsDlg page(this);
  FACEBOOK_FIELDS(TO_PAGE)
  if (page.DoModal() == IDOK) { FACEBOOK_FIELDS(FROM_PAGE) }
}

void COutputSettingsDlg::OpenEmailPage() {
  CEmailSettingsDlg page(this);
  EMAIL_FIELDS(TO_PAGE)
  if (page.DoModal() == IDOK) { EMAIL_FIELDS(FROM_PAGE) }
}

void COutputSettingsDlg::OpenEmailServer() { EditEmailServerSettings(this, *this, FindDataFile("email_test.jpg")); }

void COutputSettingsDlg::OpenMmsPage() {
  CMmsSettingsDialog page(this);
  MMS_FIELDS(TO_PAGE)
  if (page.DoModal() == IDOK) { MMS_FIELDS(FROM_PAGE) }
}

void COutputSettingsDlg::OpenTwitterPage() {
  CTwitterSettingsDlg page(this);
  TWITTER_FIELDS(TO_PAGE)
  if (page.DoModal() == IDOK) { TWITTER_FIELDS(FROM_PAGE) }
}
