// CFullscreenDlg: the maximised window a photobooth runs on, one booth screen at a time (a
// picture of the images folder with its sound and movie), the captured photo as a preview, the
// thumbnail strip, short status texts and the countdown overlay. Made without photobooth mode
// it is the plain full-screen viewer of the view's current photo.
//
// The view runs it modally and owns it; the window keeps a back-pointer to the view and reads
// the photobooth settings and session state there. Everything runs on the UI thread; callers on
// other threads (the processing worker) reach ShowScreen through a sent message.
#pragma once

#include <atomic>
#include <memory>
#include <vector>

#include "photobooth/LiveViewKernels.h"

#include "platform/mfc/afxwin.h"

class CMyQuilletView;
class CTransparentOverlayDlg;
class FilterGraph;

#define IDD_FULLSCREEN 134
#define IDC_FULLSCREEN_BACKGROUND_NAME 1138
#define IDC_FULLSCREEN_STATUS 1139
/// The window's 200 ms timer: movie loop, redraw deadline, inactivity.
#define TIMER_FULLSCREEN 1
#define WM_FULLSCREEN_REFRESH 2029
/// ShowScreen asked from another thread: wParam the flag, lParam the path (a const char*).
#define WM_FULLSCREEN_SHOWSCREEN 2045
/// A live-view frame waits in the window's buffer.
#define WM_LIVEVIEW_FRAME 2040
/// The largest live-view frame taken; larger ones are dropped.
#define LIVEVIEW_FRAME_MAX 0x8FFF

class CFullscreenDlg : public CDialog {
 public:
  /// mode 1: started by the photobooth start command; 0: the view's Full Screen command.
  CFullscreenDlg(CMyQuilletView* view, int mode);
  ~CFullscreenDlg() override;

  /// Shows a booth screen (a text in its place when the file is missing); the same path again
  /// does nothing. Safe from any thread: other threads wait for the UI thread to do it.
  virtual void ShowScreen(const char* path, int withSoundAndMovie);
  /// The countdown text on the overlay window; an empty text clears it.
  virtual void SetCountdownText(const char* text);
  /// Milliseconds left of the screen's movie; 0 at its end, -1 without a movie.
  virtual int GetMovieTimeRemaining();
  /// A screen movie is open (running or ended on its last frame).
  virtual bool HasMovie() const { return m_pMovie != nullptr; }
  /// Stops and forgets the screen's movie.
  virtual void ReleaseMovieGraph();
  /// Opens the movie and places it; failures are shown and leave no movie.
  void OpenMovie(const CString& path);
  /// The movie of a screen: variant or plain name + anything + ".mp4" or ".mov"; "" for none.
  static CString FindScreenMovie(const CString& variant, const CString& path);
  virtual bool IsThumbnailEnabled();
  /// One live-view frame on the SDK's viewfinder thread; the data stays the caller's. A frame of
  /// 1..LIVEVIEW_FRAME_MAX bytes while a screen is up is copied and 2040 posted; others are dropped.
  virtual void OnLiveViewFrame(const BYTE* jpeg, DWORD size, int rotation);
  virtual void UpdateStatus();
  virtual void DrawCopiesText();
  virtual void ToggleWelcomeReady();
  virtual bool IsWelcomeScreen();
  bool IsReadyScreen() const;
  void LeaveWelcomeScreen();
  /// Ends a session on screen: thumbnails gone, counter -1, default profile, first screen.
  void ReturnToStart();
  /// The view has a camera and live view is on.
  bool IsLiveViewShown() const;
  /// False on screens and in session states where the live picture must not show.
  bool IsLiveViewAllowed() const;
  /// Decodes, keys, overlays, tones and draws the buffered frame (message 2040).
  void DrawLiveViewFrame();
  /// The same with these settings (DrawLiveViewFrame takes them from the view).
  void DrawLiveViewFrame(const LiveViewSettings& settings);
  /// Loads the overlay picture as planes of the size of the frames it goes over; a file that
  /// fails is reported once and not tried again until the path or the file changes.
  void LoadOverlayImage(const CString& path);
  /// Ctrl+G: the green-screen settings over the ready screen; the grid in the plain viewer.
  void OnGreenScreenSettings();
  /// The green-screen background and overlay of photo `number`, or the live-view overlay.
  void ResolveGreenScreenPaths(int number);

  /// The colour-mode and copies variant of a screen that exists, else the path itself.
  CString ResolveScreenVariant(const CString& path) const;
  /// name_n.ext when it exists, else the path when it exists, else "".
  static CString ResolveNumberedImage(const CString& path, int n);
  /// The text shown in place of a missing screen picture, chosen by the screen's file name.
  static CString FallbackText(const CString& path);
  /// The status line: copies, print counter, output mode and colour mode.
  CString StatusText() const;

  BOOL OnInitDialog() override;
  BOOL PreTranslateMessage(MSG* msg) override;
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

  CMyQuilletView* m_pView;
  int m_nMode;
  const bool m_bPhotoboothMode;
  CString m_strReadyScreen;
  /// Live view is on (set by the view and by every frame; read on the viewfinder thread).
  std::atomic<bool> m_bLiveView{false};
  /// Set while the window shows a booth screen (read on the viewfinder thread).
  std::atomic<bool> m_bShowingScreen{false};
  /// Set while the booth wants photos uncropped by the live view's crop rectangle.
  bool m_bNoViewfinderCrop = false;

  CString m_strCurrentScreen;
  CString m_strCurrentVariant;
  CString m_strCountdownText;
  /// The decoded screen picture at the client size; NULL for none.
  std::unique_ptr<CBitmap> m_pScreenImage;
  std::unique_ptr<CBitmap> m_pPreviewBitmap;
  std::vector<std::unique_ptr<CBitmap>> m_thumbnails;
  CTransparentOverlayDlg* m_pOverlay = nullptr;
  CString m_strOverlayPath;
  CString m_strGreenScreenBackground;

  // Live view. The frame buffer is written on the viewfinder thread under LiveViewFrameLock().
  std::vector<BYTE> m_liveFrame = std::vector<BYTE>(LIVEVIEW_FRAME_MAX);
  DWORD m_nLiveFrameSize = 0;
  int m_nLiveFrameAngle = 0;
  /// A 2040 is queued: frames coming meanwhile only replace the buffer.
  std::atomic<bool> m_bLiveFramePosted{false};
  /// The live picture's size on the screen (320 x 240 until the first frame is drawn).
  int m_nLiveViewWidth = 320, m_nLiveViewHeight = 240;
  int m_nLastSourceWidth = 0;
  /// Where the last live picture went, and its rows (drawn again when the screen is repainted).
  LiveRect m_liveRect;
  std::vector<BYTE> m_lastLiveRows;
  int m_nLastLiveWidth = 0, m_nLastLiveHeight = 0;
  /// The decoded green-screen background, the size of the frames it is keyed into.
  std::vector<BYTE> m_greenScreenPixels;
  int m_nGreenScreenWidth = 0, m_nGreenScreenHeight = 0;
  CString m_strDecodedBackground;
  LONGLONG m_nBackgroundFileSize = -1, m_nBackgroundFileTime = -1;
  OverlayPlanes m_overlayPlanes;
  /// The overlay path last loaded (or tried), its file status and the size it was fitted to.
  CString m_strLoadedOverlay;
  LONGLONG m_nOverlayFileSize = -1, m_nOverlayFileTime = -1;
  int m_nOverlayFitWidth = 0, m_nOverlayFitHeight = 0;
  /// Set while the green-screen settings are open over the booth: the pointer shows and
  /// 2041-2044 change the keying; cleared before the stored values come back.
  bool m_bGreenScreenSettingsOpen = false;
  /// Seconds since 1970; 0 = none.
  LONGLONG m_nRedrawDeadline = 0;
  CString m_strCornerText;
  LONGLONG m_nLastActivity = 0;
  bool m_bScreenChangeGuard = false;
  bool m_bLiveViewFrameReceived = false;
  /// A 2029 is waiting; no second one is posted before it was handled.
  bool m_bRefreshPosted = false;
  /// The view had no picture to give: nothing is asked again until a screen or photo comes.
  bool m_bNoImage = false;
  /// The preview whose sound was played (each preview plays it once).
  bool m_bPreviewSoundPlayed = false;

  // Touch actions and the keys that run them (FullscreenDlgTouch.cpp).
  /// A left click in photobooth mode: Shift ends with 2, else the touch mode decides.
  void OnTouchClick(UINT flags, CPoint point);
  /// Carries out one touch action; true when a touchscreen scan stops after it.
  bool RunTouchAction(int code);
  /// The commands of table 135 that run touch actions; FALSE for other ids.
  BOOL OnTouchCommand(UINT id);
  /// Leaves the booth, asking for the exit password when one is set.
  void OnExitRequest();
  /// PgUp/PgDn on the ready screen: the ISO in manual exposure, else the compensation.
  void OnExposureStep(bool pageUp);
  void SetPrintCopies(int copies);
  void SetColourMode(int colourMode);
  void SelectProfileAndStart(int profile);
  /// Processing the last session again (reprint true: as a reprint); tests replace it.
  static void (*s_pfnProcessAgain)(CMyQuilletView* view, bool reprint);
  /// The fast reprint of the last saved page; tests replace it.
  static void (*s_pfnFastReprint)(CMyQuilletView* view);
  static const char* s_pszIncorrectPassword;

  /// Seconds since 1970 (activity, redraw deadline, inactivity); tests replace it.
  static LONGLONG (*s_pfnNow)();

  std::unique_ptr<FilterGraph> m_pMovie;
  /// Where the movie is drawn (client pixels); painting leaves it out.
  RECT m_videoRect{0, 0, 0, 0};
  bool m_bMovieLoop = false;

 protected:
  BOOL OnEraseBkgnd(CDC* dc) override;
  void OnPaint() override;
  BOOL OnSetCursor(CWnd* wnd, UINT hitTest, UINT message) override;
  void OnTimer(UINT_PTR id) override;
  void OnLButtonDown(UINT flags, CPoint point) override;
  void OnRButtonDown(UINT flags, CPoint point) override;
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

 private:
  void DoShowScreen(const CString& path, int withSoundAndMovie);
  /// Decodes the variant into a client-size surface, or draws the fallback texts there.
  void BuildScreenImage();
  void DrawThumbnails(CDC& dc);
  /// The last live picture again, where it was (a repaint of the screen under it).
  void DrawLastLiveFrame(CDC* dc);
  /// The newest photo keyed against the background and under the overlay, width x height
  /// (turned with the view's rotation); NULL when there is neither or the photo does not load.
  CBitmap* BuildKeyedPreview(int width, int height);
  /// The part of a preview of width x height shown: with the live-view crop on, its centre in
  /// the shape of the last live picture (turned frames included); else the whole preview.
  LiveRect PreviewPart(int width, int height) const;
  /// Paints the whole client area onto `dc`.
  void DrawWindow(CDC* dc);
  /// DrawWindow around the movie, then the movie's picture.
  void PaintWithMovie(CDC* dc);
  void StartScreenMovie(const CString& movie);
  /// Timer: a looping movie at its end starts again.
  void LoopMovie();
  /// A short text at the bottom right, wiped by the timer 2 s later.
  void DrawCornerText(const CString& text);
  /// The short status text at the bottom right, while its redraw deadline runs.
  void PaintCornerText(CDC* dc);
  void OnDisplayJpeg();
  /// 2041-2044 from the green-screen settings: live keying values, taken only while they are open.
  void OnGreenScreenValue(UINT message, WPARAM wParam, LPARAM lParam);
  void OnFullscreenRefresh();
  void OnReleaseError(WPARAM code);
  void OnToning(int hueStep, int saturationStep);
  void OnCropStep(int step);
  void OnColourStart(int colourMode);
  void RecordActivity();
  /// The parent of message boxes shown over the booth.
  HWND BoxOwner();

  HCURSOR m_hArrowCursor = nullptr;
  HCURSOR m_hBoothCursor = nullptr;
  HACCEL m_hAccel = nullptr;
  bool m_bNewComment = false;
};

/// Plays a wave file asynchronously; nothing when it does not exist.
void PlayScreenSound(const char* path);
