// The two screens the processing worker shows over the booth: confirm printing and sharing.
// Both run modally on the UI thread while the worker waits for their answer.
#include "photobooth/ConfirmPrintingDlg.h"
#include "photobooth/PhotoboothProcessingWorker.h"
#include "support/TextTemplate.h"

int PhotoboothProcessingWorker::RunConfirmPrintingScreen(ConfirmPrintingRequest& request) {
  if (!request.page) return IDCANCEL;
  CConfirmPrintingDlg screen(request.parent, &request.copies, *request.page,
                             request.touchAreas ? request.buttons : nullptr);
  screen.m_strBackgroundPath = request.background;
  screen.m_strImagesFolder = request.imagesFolder;
  screen.m_nPreviewX = g_nPhotoboothPrintPreviewX;
  screen.m_nPreviewY = g_nPhotoboothPrintPreviewY;
  screen.m_nPreviewW = g_nPhotoboothPrintPreviewW;
  screen.m_nPreviewH = g_nPhotoboothPrintPreviewH;
  screen.m_pBoothWindow = request.booth;
  return static_cast<int>(screen.DoModal());
}

bool PhotoboothProcessingWorker::RunSharingScreen(SharingRequest& request) {
  if (!request.settings) return false;
  const ViewSettings& s = *request.settings;
  // A page that no longer loads still opens the screen: it shows its background only.
  PipSession page;
  cLoadImage(page.m_hSession, request.pagePath, 0, 0, 0);
  bool printed = false;
  int copies = request.copies;
  CConfirmPrintingDlg screen(request.parent, &copies, page, s.m_touchscreenButtons);
  screen.m_strBackgroundPath = request.background;
  screen.m_strImagesFolder = request.imagesFolder;
  screen.m_strImagePath = request.pagePath;
  screen.m_strGifPath = request.gifPath;
  screen.m_nPreviewX = s.m_nPhotoboothSharePreviewX;
  screen.m_nPreviewY = s.m_nPhotoboothSharePreviewY;
  screen.m_nPreviewW = s.m_nPhotoboothSharePreviewW;
  screen.m_nPreviewH = s.m_nPhotoboothSharePreviewH;
  screen.m_nGifScaleLimit = s.m_nShareGifMaxPercentageUpscaling;
  screen.m_nSharingTimeout = s.m_nPhotoboothSharingTimeout;
  screen.m_bPrintOption = s.m_bPrintOptionInSharingScreen;
  screen.m_nPrintLimit = s.m_nPrintOptionInSharingScreenLimit;
  if (!s.m_strPrintOptionInSharingScreenLimitMsg.IsEmpty())
    screen.m_strLimitMessage = s.m_strPrintOptionInSharingScreenLimitMsg;
  screen.m_pPrinted = &printed;
  screen.m_pBoothWindow = request.booth;
  screen.m_strSharingMessage = request.sharingMessage;
  screen.m_shareSettings = s;
  screen.m_shareSettings.m_bPhotoboothEmail = s.m_bPhotoboothEmail && !s.m_strPhotoboothEmailHost.IsEmpty() &&
                                              !s.m_strPhotoboothEmailUsername.IsEmpty() &&
                                              !s.m_strPhotoboothEmailPassword.IsEmpty();
  ViewSettings& texts = screen.m_shareSettings;
  for (CString* text : {&texts.m_strPhotoboothFbComment, &texts.m_strPhotoboothFbAlbum,
                        &texts.m_strPhotoboothFbAlbumDesc, &texts.m_strPhotoboothEmailSubject,
                        &texts.m_strPhotoboothEmailMsgText, &texts.m_strPhotoboothEmailMsgHTML,
                        &texts.m_strPhotoboothTwitterComment, &texts.m_strMmsMessage})
    ExpandTextTemplate(request.tokens, *text);
  screen.DoModal();
  return printed;
}
