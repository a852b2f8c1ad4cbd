// The photobooth settings dialog's own child dialogs: the custom-layout editor behind 1200 and
// the output and sharing settings behind 1141.
#include "app/LayoutEditorOpeners.h"
#include "app/MyQuilletApp.h"
#include "config/OutputSettingsDlg.h"
#include "config/PhotoboothSettingsDlg.h"
#include "platform/user/messagebox.h"
#include "printlayout/PhotoboothCustomLayoutDlg.h"
#include "printlayout/PrinterMargins.h"

// The values the output hub and its pages share with the view's settings under the same names.
#define OUTPUT_SETTINGS_VALUES(X) \
  X(m_bEnableMMS) X(m_bEnableTwitter) X(m_bLogMmsAddresses) X(m_bLogTwitterUploads) X(m_bMmsCrop) \
  X(m_bMmsOfflineMode) X(m_bPhotoboothConfirmPrinting) X(m_bPhotoboothCopyJpegPrint) \
  X(m_bPhotoboothCopyJpegPrintCrop) X(m_bPhotoboothCopyJpegPrintResize) X(m_bPhotoboothEmail) \
  X(m_bPhotoboothEmailCrop) X(m_bPhotoboothEmailOfflineMode) X(m_bPhotoboothEmailSSL) X(m_bPhotoboothFbCrop) \
  X(m_bPhotoboothFbUpload) X(m_bPhotoboothGifCreate) X(m_bPhotoboothGifCreateMP4) \
  X(m_bPhotoboothGifLoopingPlayback) X(m_bPhotoboothGifPingPongPlayback) X(m_bPhotoboothGifTitleAtEnd) \
  X(m_bPhotoboothLogEmailAddresses) X(m_bPhotoboothLogFacebookAddresses) X(m_bPhotoboothThumnailEnable) \
  X(m_bPhotoboothThumnailShowAtEnd) X(m_bPhotoboothTwitterCrop) X(m_bPrintOptionInSharingScreen) \
  X(m_bShareAnimatedGIFs) X(m_nMmsCropH) X(m_nMmsCropW) X(m_nMmsCropX) X(m_nMmsCropY) X(m_nMmsMaxHeight) \
  X(m_nMmsMaxMsgLength) X(m_nMmsMaxWidth) X(m_nMmsMsgType) X(m_nMmsRotate) X(m_nMmsUploadTimeout) \
  X(m_nPhotoboothCopyJpegPrintCropH) X(m_nPhotoboothCopyJpegPrintCropW) X(m_nPhotoboothCopyJpegPrintCropX) \
  X(m_nPhotoboothCopyJpegPrintCropY) X(m_nPhotoboothCopyJpegPrintResizeH) X(m_nPhotoboothCopyJpegPrintResizeW) \
  X(m_nPhotoboothCopyJpegPrintRotate) X(m_nPhotoboothEmailCropH) X(m_nPhotoboothEmailCropW) \
  X(m_nPhotoboothEmailCropX) X(m_nPhotoboothEmailCropY) X(m_nPhotoboothEmailMaxHeight) \
  X(m_nPhotoboothEmailMaxWidth) X(m_nPhotoboothEmailPort) X(m_nPhotoboothEmailRotate) X(m_nPhotoboothFbCropH) \
  X(m_nPhotoboothFbCropW) X(m_nPhotoboothFbCropX) X(m_nPhotoboothFbCropY) X(m_nPhotoboothFbMaxHeight) \
  X(m_nPhotoboothFbMaxWidth) X(m_nPhotoboothFbRotate) X(m_nPhotoboothGifImageDelay) \
  X(m_nPhotoboothGifMP4Subfolder) X(m_nPhotoboothGifOffsetX) X(m_nPhotoboothGifOffsetY) \
  X(m_nPhotoboothGifOverlaysPerPhoto) X(m_nPhotoboothGifSizeH) X(m_nPhotoboothGifSizeW) \
  X(m_nPhotoboothGifTitleDelay) X(m_nPhotoboothGifWidth) X(m_nPhotoboothMP4MinDuration) \
  X(m_nPhotoboothSharePreviewH) X(m_nPhotoboothSharePreviewW) X(m_nPhotoboothSharePreviewX) \
  X(m_nPhotoboothSharePreviewY) X(m_nPhotoboothSharingTimeout) X(m_nPhotoboothThumnailW) \
  X(m_nPhotoboothThumnailX) X(m_nPhotoboothThumnailXSpacing) X(m_nPhotoboothThumnailY) \
  X(m_nPhotoboothThumnailYSpacing) X(m_nPhotoboothTwitterCropH) X(m_nPhotoboothTwitterCropW) \
  X(m_nPhotoboothTwitterCropX) X(m_nPhotoboothTwitterCropY) X(m_nPhotoboothTwitterMaxHeight) \
  X(m_nPhotoboothTwitterMaxWidth) X(m_nPhotoboothTwitterRotate) X(m_nPrintOptionInSharingScreenLimit) \
  X(m_nShareGifMaxPercentageUpscaling) X(m_strLogMmsPathname) \
  X(m_strLogTwitterPathname) X(m_strMmsCountryPrefix) X(m_strMmsMessage) X(m_strMmsTwilioAccountSID) \
  X(m_strMmsTwilioAuthToken) X(m_strMmsTwilioFrom) X(m_strPhotoboothCopyJpegPrintDir) X(m_strPhotoboothEmailFrom) \
  X(m_strPhotoboothEmailHost) X(m_strPhotoboothEmailMsgHTML) X(m_strPhotoboothEmailMsgText) \
  X(m_strPhotoboothEmailPassword) X(m_strPhotoboothEmailSubject) X(m_strPhotoboothEmailUsername) \
  X(m_strPhotoboothFbAlbum) X(m_strPhotoboothFbAlbumDesc) X(m_strPhotoboothFbComment) \
  X(m_strPhotoboothLogEmailPathname) X(m_strPhotoboothLogFacebookPathname) X(m_strPhotoboothOutputFilename) \
  X(m_strPhotoboothTwitterComment) X(m_strPrintOptionInSharingScreenLimitMsg)

void CPhotoboothSettingsDlg::OnCustomLayout() {
  if (!UpdateData(TRUE)) return;
  CString name;
  if (!GetCurrentPrinterName(name)) {
    ::MessageBoxA(m_hWnd,
                  CString("Printer \"") + name + "\" is not defined.\nPlease use \"Printer Setup\" to select a printer.",
                  "Tavorin", MB_OK | MB_ICONSTOP);
    return;
  }
  // A printer changed inside the editor lasts only when the editor ends with OK.
  CMyQuilletApp* app = GetMyQuilletApp();
  BYTE* devMode = nullptr;
  BYTE* devNames = nullptr;
  DWORD devModeSize = 0, devNamesSize = 0;
  if (!app || !app->GetPrinterSettings(devMode, devModeSize, devNames, devNamesSize)) return;

  ViewSettings& s = m_settings;
  CPhotoboothCustomLayoutDlg editor(this, s.m_bPhotobooth3to2Crop ? 3 : 4, s.m_bPhotobooth3to2Crop ? 2 : 3);
  ConnectLayoutEditorDialogs(editor);
  editor.m_nNumberOfPhotos = s.m_nNumberOfPhotoboothImages;
  editor.m_strImageDir = s.m_strPhotoboothImageDir;
  editor.m_backgroundColour = static_cast<COLORREF>(s.m_nPhotoboothBackgroundColor);
  editor.m_strQRcode = s.m_strQRcode;
  editor.m_nQRcodeQuality = s.m_nQRcodeQuality;
  for (int i = 0; i < kLayoutBoxCount; ++i) editor.m_layoutBoxes[i] = s.m_layoutBoxes[i];
  for (int i = 0; i < kLayoutCaptionCount; ++i) editor.m_captions[i] = s.m_captions[i];
  if (editor.DoModal() == IDOK) {
    for (int i = 0; i < kLayoutBoxCount; ++i) s.m_layoutBoxes[i] = editor.m_layoutBoxes[i];
    for (int i = 0; i < kLayoutCaptionCount; ++i) s.m_captions[i] = editor.m_captions[i];
    s.m_nNumberOfPhotoboothImages = editor.m_nNumberOfPhotos;
    s.m_nPhotoboothBackgroundColor = static_cast<int>(editor.m_backgroundColour);
    s.m_strQRcode = editor.m_strQRcode;
    s.m_nQRcodeQuality = editor.m_nQRcodeQuality;
    UpdateData(FALSE);
    EnableControls();
  } else {
    app->SetPrinterSettings(devMode, devModeSize, devNames, devNamesSize);
  }
  delete[] devMode;
  delete[] devNames;
}

void CPhotoboothSettingsDlg::OnOutputSettings() {
  if (!UpdateData(TRUE)) return;
  ViewSettings& s = m_settings;
  COutputSettingsDlg dialog(this);
#define COPY_IN(name) dialog.name = s.name;
  OUTPUT_SETTINGS_VALUES(COPY_IN)
#undef COPY_IN
  dialog.m_nPhotoboothOutput = s.m_nPhotoboothSaveJpegCopyOfPrints;
  dialog.m_nFacebookUploadTimeout = m_nFacebookUploadTimeout;
  dialog.m_bDitherGIFs = m_bDitherGIFs;
  dialog.m_strKeyboardEmailErrorMsg = m_strKeyboardEmailErrorMsg;
  dialog.m_bGifFrameCopies = m_bGifFrameCopies;
  dialog.m_bGifInPrints = m_bGifInPrints;
  dialog.m_nTwitterUploadTimeout = m_nTwitterUploadTimeout;
  if (dialog.DoModal() != IDOK) return;
#define COPY_OUT(name) s.name = dialog.name;
  OUTPUT_SETTINGS_VALUES(COPY_OUT)
#undef COPY_OUT
  s.m_nPhotoboothSaveJpegCopyOfPrints = dialog.m_nPhotoboothOutput;
  m_nFacebookUploadTimeout = dialog.m_nFacebookUploadTimeout;
  m_bDitherGIFs = dialog.m_bDitherGIFs;
  m_strKeyboardEmailErrorMsg = dialog.m_strKeyboardEmailErrorMsg;
  m_bGifFrameCopies = dialog.m_bGifFrameCopies;
  m_bGifInPrints = dialog.m_bGifInPrints;
  m_nTwitterUploadTimeout = dialog.m_nTwitterUploadTimeout;
  UpdateData(FALSE);
  UpdateFontDisplay();
  EnableControls();
}
