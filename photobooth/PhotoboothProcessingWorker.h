// The road from a session's last shot to its printed page, on a worker thread: the page is
// composed, confirmed, saved with its record, GIF and clip, offered for sharing and printed.
// What it needs of the view is copied on the UI thread when the worker is made; what it gives
// back (copies, last print and GIF paths, keyboard texts, status text) goes to the view on the
// UI thread. Screens and dialogs are shown through calls that are safe from any thread.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <vector>

#include "app/SettingsStore.h"
#include "app/TVNImage.h"
#include "platform/gdiplus/gdiplus.h"
#include "platform/mfc/afxwin.h"
#include "platform/mfc/collections.h"
#include "support/PipSession.h"

/// Names the private temporary folders of a sharing copy (stale ones are cleared at start).
constexpr const char kShareCopyPrefix[] = "tavorin-share";

struct PhotoboothSessionRecord;

class CMyQuilletView;
class CFullscreenDlg;
class CProgressDlg2;

/// What the confirm-printing screen is given; copies comes back as the guest's choice.
struct ConfirmPrintingRequest {
  CWnd* parent = nullptr;
  PipSession* page = nullptr;
  int copies = 1;
  bool touchAreas = false;  // the touchscreen areas apply (touch start mode)
  CString background;       // "confirm_printing.jpg" of the images folder
  CString imagesFolder;
  const PhotoboothTouchscreenButton* buttons = nullptr;  // the 18 areas
  CWnd* booth = nullptr;    // the booth window the screen is painted onto
};
/// 1 print, 40 print without the copy-folder JPEG, anything else: not printed.
using ConfirmPrintingScreen = std::function<int(ConfirmPrintingRequest& request)>;

/// What the sharing screen is given over the saved page.
struct SharingRequest {
  CWnd* parent = nullptr;
  CString pagePath;  // the page JPEG the screen shows
  CString gifPath;   // empty unless animated GIFs are shared
  CString background;
  CString imagesFolder;
  CString sharingMessage;
  CMapStringToString tokens;  // the page's file-name tokens for the message templates
  const ViewSettings* settings = nullptr;  // the channels' settings
  int copies = 1;
  CWnd* booth = nullptr;
};
/// Returns whether the page was printed from the sharing screen.
using SharingScreen = std::function<bool(SharingRequest& request)>;

/// The keyboard step: fills the ten texts and the check boxes; returns the dialog's result.
using KeyboardInputScreen =
    std::function<INT_PTR(CWnd* parent, int keyboardType, const CString& imagesFolder, std::vector<CString>& texts,
                          std::vector<BYTE>& checks)>;

class PhotoboothProcessingWorker {
 public:
  /// Takes the session and settings from the view; on the UI thread.
  PhotoboothProcessingWorker(CMyQuilletView& view, bool reprint);
  ~PhotoboothProcessingWorker();

  /// The whole run, on the worker thread; it always ends by closing the progress window.
  void Run();

  /// The confirm-printing screen over the booth (CConfirmPrintingDlg in confirm mode).
  static int RunConfirmPrintingScreen(ConfirmPrintingRequest& request);
  /// The sharing screen over the booth (CConfirmPrintingDlg in sharing mode); whether it printed.
  static bool RunSharingScreen(SharingRequest& request);

  /// The confirm-printing screen (RunConfirmPrintingScreen); empty: confirmed with the current copies.
  static ConfirmPrintingScreen s_confirmScreen;
  /// The sharing screen (RunSharingScreen); empty: none is offered.
  static SharingScreen s_sharingScreen;
  /// The keyboard step; empty: the on-screen keyboard dialog.
  static KeyboardInputScreen s_keyboardScreen;
  /// Page calls of the print loop; tests make them fail.
  static int (*s_pfnStartPage)(HDC dc);
  /// Opens the print job every photobooth print goes into; false when the printer refuses.
  static bool StartPrintJob(HDC printer);
  /// Tells the operator that printing could not be prepared, with the reason when there is one.
  static void ReportPrintError(HWND owner, const CString& reason);
  /// Prints `copies` pages of the image into the started job and ends it (a job without one
  /// page is dropped); the print counter is lowered per page printed. The pages printed.
  static int PrintCopies(HDC printer, int session, int width, int height, int copies);
  /// Moves the progress window to its vertical position (when 0 or more) on the view's thread;
  /// called from a worker thread.
  static void PlaceProgressWindow(CWnd& view, CProgressDlg2* progress);
  /// Copies as a print takes them: 1..20, the most the confirm screen's keypad reaches (stored
  /// settings are read as 1..9).
  static int ClampCopies(int copies);
  /// Why fewer pages than asked for were printed; empty when all were.
  static CString PrintShortfall(int printed, int copies);
  /// Seconds since 1970 and the pause of the waits; tests replace them.
  static LONGLONG (*s_pfnNow)();
  static void (*s_pfnSleep)(DWORD milliseconds);

 private:
  struct TextError {
    CString text;
  };

  void Progress(const char* text, int percent);
  void WaitForProgressWindow();
  /// Moves the progress window to its stored vertical position (when 0 or more), on the UI thread.
  void PlaceProgressWindow();
  void ShowScreen(const char* name);
  CWnd* CoveringWindow() const;
  void RunStatusCommandFor(const CString& path);
  void RunOnView(const std::function<void()>& call);
  int PreviewTicks() const;

  PhotoboothSessionRecord SessionRecord() const;
  void WriteAndAnnounce(const PhotoboothSessionRecord& record);
  void WriteFirstFormRecord();
  void Compose(HDC printer);
  void MakeTokens();
  void ChooseNames();
  bool SaveTestShot();
  void ConfirmPrinting();
  void KeyboardInput();
  void MakeGif();
  void WriteSecondFormRecord();
  void RewriteRecordAfterFailure();
  void SaveAndShare();
  void SaveCopyJpeg();
  void Print(HDC printer);
  void SaveJpeg(PipSession& image, const CString& path);
  void FinishRun();

  CMyQuilletView& m_view;
  ViewSettings m_s;
  CFullscreenDlg* m_pBooth = nullptr;
  CWnd* m_pCovering = nullptr;
  CProgressDlg2* m_pProgress = nullptr;
  bool m_bReprint;
  bool m_bTestShot = false;
  int m_nPhotoCount = 0;  // photos the view holds
  int m_nPrinted = -1;    // pages the printer took; -1 before the print step
  bool m_bPageSaved = false;
  std::vector<CTVNImage> m_photos;  // the session's, first photo first
  CString m_strImageFolder;         // ends without a slash
  CString m_strScreensDir;          // the booth screens' folder
  CMapStringToString m_cameraTokens;
  CMapStringToString m_tokens;
  CString m_strSessionCode;
  int m_nLiveViewWidth = 0, m_nLiveViewHeight = 0;  // the booth window's live picture
  CString m_photoboothTexts[5];
  std::vector<CString> m_keyboardTexts;
  std::vector<BYTE> m_keyboardChecks;

  int m_nCopies = 1;
  int m_nColourMode = 0;
  LONGLONG m_nStartTime = 0;
  PipSession m_page;
  int m_nPageWidth = 0, m_nPageHeight = 0, m_nLogPixelsY = 300;
  int m_nBorder = 0;
  CString m_strOutputName;
  CString m_strPrintsFolder;
  CString m_strCopyFolder;
  CString m_strPagePath;
  CString m_strGifPath;
  CString m_strUserMessage;
  bool m_bPrinted = true;
  bool m_bCopyJpeg = false;
  bool m_bPrintedFromSharing = false;
  std::unique_ptr<class PrintPageComposer> m_pComposer;
  struct PrintPageSettings* m_pPageSettings = nullptr;
  struct PrintPageHooks* m_pHooks = nullptr;
  std::vector<std::unique_ptr<Gdiplus::Bitmap>> m_gifFrames;
};
