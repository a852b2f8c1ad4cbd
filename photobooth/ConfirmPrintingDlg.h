// CConfirmPrintingDlg: the full-screen screen shown over the booth after a session was composed.
// Over "confirm_printing.jpg" the guest picks the copies and confirms or cancels printing; over
// "share.jpg" (sharing mode) the guest shares the result, prints it or closes the screen.
//
// The caller builds it on the stack, sets the members below, prepares the image through the
// image operations, runs DoModal and reads the result (1 confirm, 2 cancel, 40 confirm without
// the JPEG copy), the copies (written through the pointer) and the printed flag.
#pragma once

#include <memory>

#include "app/SettingsStore.h"
#include "platform/mfc/afxwin.h"
#include "sharing/ShareSettings.h"
#include "support/PipSession.h"

class ImageGIF;
namespace Gdiplus {
class Image;
}

#define IDD_CONFIRM_PRINTING 217
#define IDR_CONFIRM_PRINTING_KEYS 223
#define TIMER_CONFIRM_PRINTING 1
/// Results of the modal run besides IDOK and IDCANCEL.
#define CONFIRM_PRINTING_NO_JPEG_COPY 40

class CConfirmPrintingDlg : public CDialog {
 public:
  /// `copies` is read and written; `buttons` (18 areas) may be NULL. The image is copied.
  CConfirmPrintingDlg(CWnd* parent, int* copies, const PipSession& image, const PhotoboothTouchscreenButton* buttons);
  ~CConfirmPrintingDlg() override;

  // Image preparation before the run.
  /// Crops to the current printer's margins; the imaging library's result.
  int CropToPrinterMargins();
  /// Crops to x, y, w, h of the image (clamped to it); the imaging library's result.
  int CropImage(int x, int y, int width, int height);
  /// Turns by whole degrees; 0 leaves the image alone.
  void RotateImage(int degrees);

  /// True over a background whose path holds "share.jpg" after its first character.
  bool IsSharingMode() const;
  /// The box the image (or GIF) is drawn in: fitted inside the limits, keeping its aspect.
  /// limitWidth/limitHeight (0: none) are the GIF's own enlargement limit.
  static CRect ComputePreviewBox(int clientWidth, int clientHeight, int imageWidth, int imageHeight, bool sharing,
                                 int previewX, int previewY, int previewW, int previewH, int limitWidth = 0,
                                 int limitHeight = 0);
  /// The code of the first of the 18 areas holding the point whose action this mode handles; 0 for none.
  int TouchedAction(CPoint point) const;
  /// Whether this mode carries out the action code.
  bool HandlesAction(int code) const;

  BOOL OnInitDialog() override;
  BOOL PreTranslateMessage(MSG* msg) override;

  // Inputs.
  CString m_strBackgroundPath;
  CString m_strImagesFolder;
  CString m_strGifPath;
  int m_nGifScaleLimit = 100;
  int m_nPreviewX = 0, m_nPreviewY = 0, m_nPreviewW = 0, m_nPreviewH = 0;
  /// Seconds; 0 or less: none.
  int m_nSharingTimeout = 0;
  BOOL m_bPrintOption = FALSE;
  /// 0 or less: unlimited.
  int m_nPrintLimit = 0;
  CString m_strLimitMessage{"Sorry, you can only print this photo once"};
  /// Set to true after a print from the sharing screen; may be NULL.
  bool* m_pPrinted = nullptr;
  /// The page file the sharing screen sends or prints.
  CString m_strImagePath;
  /// The channels' settings as the sharing screen needs them (flags, texts, sizes).
  ViewSettings m_shareSettings;
  CString m_strSharingMessage;
  /// The window the painted screen is copied onto; NULL: the view's booth window when it is up.
  CWnd* m_pBoothWindow = nullptr;

  // State, readable after the run.
  int* m_pCopies;
  PipSession m_image;
  const PhotoboothTouchscreenButton* m_pButtons;
  int m_nPrintsMade = 0;
  /// The two Facebook texts the sharing screen hands back, passed to later Facebook shares.
  CString m_strFacebookKept[2];
  bool m_bHideButtons = false;
  LONGLONG m_nLastActivity = 0;
  LONGLONG m_nCopiesTextDeadline = 0;
  std::unique_ptr<ImageGIF> m_pGif;

  /// Opens the sharing screen of a kind for this dialog (settings with "{message}" replaced);
  /// its result. Runs the sharing station (OpenUploadScreen); tests replace it.
  static INT_PTR (*s_pfnOpenSharingScreen)(CConfirmPrintingDlg& dialog, int kind, const ViewSettings& settings);
  /// Seconds since 1970 (activity, time-outs, copies text); tests replace it.
  static LONGLONG (*s_pfnNow)();

  // Commands of table 223.
  void OnCopiesStep(int step);
  void OnSetCopies(int copies);
  void OnShare(int kind);
  void OnEditMessage();

 protected:
  BOOL OnEraseBkgnd(CDC* dc) override;
  void OnPaint() override;
  BOOL OnSetCursor(CWnd* wnd, UINT hitTest, UINT message) override;
  void OnTimer(UINT_PTR id) override;
  void OnLButtonDown(UINT flags, CPoint point) override;
  void OnLButtonUp(UINT flags, CPoint point) override;
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

 private:
  void DrawBackground(CDC& dc, const CRect& client);
  void DrawImage(CDC& dc, const CRect& client);
  void DrawCopiesText(CDC& dc, const CRect& client);
  void StartGif();
  /// Runs a sub-screen with the sharing time-out off; activity is now afterwards.
  template <typename Run>
  INT_PTR RunSubScreen(Run run);

  std::unique_ptr<Gdiplus::Image> m_pBackground;
  HACCEL m_hAccel = nullptr;
  HCURSOR m_hCursor = nullptr;
};

/// "{message}" replaced by the message in every channel text that carries the guest's message.
void ReplaceShareMessage(ViewSettings& settings, const CString& message);
/// What the sharing station needs for one share of a kind, from the channel settings.
ShareSettings BuildShareSettings(int kind, const ViewSettings& settings, const CString& imagesFolder,
                                 const CString& photoPath);
/// Runs the sharing station for one share from the confirm screen; its result. Facebook's user
/// name and message come back into the screen's kept texts.
INT_PTR OpenUploadScreen(CConfirmPrintingDlg& dialog, int kind, const ViewSettings& settings);
