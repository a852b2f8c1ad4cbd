// The sharing screen for the last output, opened from the booth window (Ctrl+Shift+S or a tap).
#include "app/FullscreenDlg.h"
#include "app/MyQuilletView.h"
#include "camera/Camera.h"
#include "photobooth/ConfirmPrintingDlg.h"
#include "photobooth/TransparentOverlayDlg.h"
#include "support/TextTemplate.h"

void CMyQuilletView::ShowSharingScreen() {
  CFullscreenDlg* booth = BoothWindow();
  // The last output: the page, and the session's GIF when GIFs are shared (either may be alone).
  CString gif = m_bShareAnimatedGIFs ? m_strLastGifPath : CString();
  CString output = !m_strLastOutput.IsEmpty() ? m_strLastOutput : gif;
  if (!booth || output.IsEmpty()) return;
  bool email = m_bPhotoboothEmail && !m_strPhotoboothEmailHost.IsEmpty() && !m_strPhotoboothEmailUsername.IsEmpty() &&
               !m_strPhotoboothEmailPassword.IsEmpty();
  if (!email && !m_bPhotoboothFbUpload && !m_bPrintOptionInSharingScreen) return;

  // A page that no longer loads still opens the screen: it shows its background only.
  PipSession page;
  cLoadImage(page.m_hSession, output, 0, 0, 0);
  int copies = m_nPhotoboothPrintCopies;
  bool printed = false;
  CWnd* parent = booth->m_pOverlay && booth->m_pOverlay->m_hWnd ? static_cast<CWnd*>(booth->m_pOverlay) : booth;
  CConfirmPrintingDlg screen(parent, &copies, page, m_touchscreenButtons);
  screen.m_strBackgroundPath = m_strPhotoboothImagesDir + "/share.jpg";
  screen.m_strImagesFolder = m_strPhotoboothImagesDir;
  screen.m_strImagePath = output;
  screen.m_strGifPath = gif;
  screen.m_nPreviewX = m_nPhotoboothSharePreviewX;
  screen.m_nPreviewY = m_nPhotoboothSharePreviewY;
  screen.m_nPreviewW = m_nPhotoboothSharePreviewW;
  screen.m_nPreviewH = m_nPhotoboothSharePreviewH;
  screen.m_nGifScaleLimit = m_nShareGifMaxPercentageUpscaling;
  screen.m_nSharingTimeout = m_nPhotoboothSharingTimeout;
  screen.m_bPrintOption = m_bPrintOptionInSharingScreen;
  screen.m_nPrintLimit = m_nPrintOptionInSharingScreenLimit;
  if (!m_strPrintOptionInSharingScreenLimitMsg.IsEmpty())
    screen.m_strLimitMessage = m_strPrintOptionInSharingScreenLimitMsg;
  screen.m_pPrinted = &printed;
  screen.m_pBoothWindow = booth;
  screen.m_shareSettings = *static_cast<ViewSettings*>(this);
  screen.m_shareSettings.m_bPhotoboothEmail = email;
  if (m_pCamera) {
    CMapStringToString tokens;
    m_pCamera->BuildFileNameTokens(nullptr, tokens);
    ViewSettings& s = screen.m_shareSettings;
    for (CString* text : {&s.m_strPhotoboothFbComment, &s.m_strPhotoboothFbAlbum, &s.m_strPhotoboothFbAlbumDesc,
                          &s.m_strPhotoboothEmailSubject, &s.m_strPhotoboothEmailMsgText,
                          &s.m_strPhotoboothEmailMsgHTML, &s.m_strPhotoboothTwitterComment, &s.m_strMmsMessage})
      ExpandTextTemplate(tokens, *text);
  }
  screen.DoModal();
  if (booth->m_hWnd) {
    booth->Invalidate(FALSE);
    booth->SetFocus();
  }
}
