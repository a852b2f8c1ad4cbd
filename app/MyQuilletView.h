// CMyQuilletView: the form view at the centre of the program. It owns the camera, the photos
// taken since start, the photo on display and every setting (ViewSettings, loaded once by the
// constructor and saved on WM_DESTROY), and its window procedure is where the camera layer's
// worker threads deliver their results.
#pragma once

#include <atomic>
#include <memory>
#include <vector>

#include "app/DisplayRender.h"
#include "app/DisplayRenderWorker.h"
#include "app/MyStatic.h"
#include "app/SettingProbes.h"
#include "app/SettingsStore.h"
#include "app/ShortcutRowLayout.h"
#include "app/TVNImage.h"
#include "ipc/TavorinIPC.h"
#include "app/ViewMessages.h"
#include "camera/Camera.h"
#include "camera/ViewfinderOwner.h"
#include "platform/mfc/afxwin.h"
#include "support/ComboHelpers.h"
#include "support/Histogram.h"
#include "support/PipSession.h"

class CFullscreenDlg;
class CImagePreviewDlg;
class CProgressDlg;
class CProgressDlg2;
class CMainFrame;

/// One step of an auto-bracket series: combo indexes of shutter speed, aperture and
/// exposure compensation; -1 leaves that setting.
struct BracketStep {
  int tv = -1;
  int av = -1;
  int expComp = -1;
};

class CViewfinderDlg;

class CMyQuilletView : public CFormView, public ViewSettings, public ViewfinderOwner {
  DECLARE_DYNCREATE(CMyQuilletView)

 public:
  CMyQuilletView();
  /// Stops the viewfinder, keeps its window position, frees what the view owns, finishes the CDSDK.
  ~CMyQuilletView() override;

  /// Reads every setting from the registry; values that do not read keep their defaults.
  void LoadSettings();
  /// Writes every setting, then the camera model's settings; write errors are ignored.
  void SaveSettings();
  /// Writes the connected model's "\Settings" sub-key; nothing without a camera, or when the
  /// connection could not read them (the combos hold the camera's values, not the user's).
  void SaveCameraSettings();
  /// When the settings file was held at start, tries it again and loads the stored settings into
  /// the running program; every write of settings comes after it. Nothing once they are loaded.
  void RetryMissedSettingsLoad();
  /// The start-up load found the settings file held by another program: the view runs on defaults.
  bool m_bSettingsLoadMissed = false;
  /// The connected model's settings could not be read at its connection.
  bool m_bModelSettingsUnread = false;
  /// The registry path of the connected model's key ("" without a camera).
  CString GetCameraModelKey() const;

  /// A handler that throws (out of memory) ends the shot under way instead of leaving the view busy.
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  BOOL PreTranslateMessage(MSG* msg) override;
  void OnInitialUpdate() override;
  void DoDataExchange(CDataExchange* dx) override;

  // Shots.
  void OnTakePicture();
  void OnTakePreview();
  /// The common end of every shot: buttons back, model work-arounds, bracket series, viewfinder.
  void OnShotFinished();
  /// Shots of an auto-bracket series: the setting within 1..49.
  int AutoBracketShots() const { return ClampAutoBracketShots(m_nAutoBracketNumShots); }
  /// True for a G9 whose AF-lock box is clear: the focus is locked around each release.
  bool IsG9WithoutAfLock();
  /// Fills the bracket plan and keeps the starting selections; the number of planned shots.
  int CalcBracketPlan();
  /// Selects the series' starting shutter speed, aperture and compensation again.
  void RestoreBracketSettings();
  bool PrepareRelease();

  // Camera connection.
  void OnConnectCamera();
  void OnRelearnCameraSettings();
  /// Connects the preferred camera; the camera stays null when none answers.
  void StartCameraConnection();
  /// Reports a camera that went away and forgets it.
  void OnCameraShutdown(int reason);
  /// Hands the camera the view's current naming and saving settings.
  void UpdateCameraViewSettings();
  /// Deletes the camera object (the view's sink stays).
  void DeleteCamera();

  // Display.
  /// A new bitmap of the current JPEG fitted into width x height; NULL without a JPEG. The
  /// caller owns the result and the highlight bitmap (when asked for).
  CBitmap* BuildDisplayBitmap(CWnd* target, int width, int height, CHistogram* histogram,
                              CBitmap** highlight, int greyMode);
  /// The last NumberOfPhotoboothImages photos, newest first, in a width x height bitmap the caller owns; NULL on failure.
  CBitmap* BuildPhotoGrid(int width, int height);
  /// Rebuilds the display bitmap and the histogram and repaints.
  void RefreshDisplay();
  /// As RefreshDisplay, with the decoding on the render thread: the picture and histogram
  /// change when it is done (a later refresh of either kind wins).
  void RefreshDisplayInBackground();
  void UpdateControls();
  void ShowBlankScreen(bool show);
  /// The Comment box's text.
  CString GetCommentText();
  /// Sets status-bar pane 0 through the main frame.
  void SetStatusText(const char* text);
  /// What the status says after "Saved: " when the comment or rotation asked for is not in the file.
  CString SavedFileNotes(const CString& path);
  void OnDropFiles(HDROP drop) override;

  // The session's photos (MyQuilletViewBrowse.cpp).
  /// True when the current index names a photo of the list.
  bool HasCurrentImage() const;
  /// Steps back (wrapping to the last); nothing with one photo already current.
  void OnPreviousImage();
  /// Steps on (wrapping to the first); with one photo current, shows it again.
  void OnNextImage();
  /// Reads and shows the photo at `index`; false (nothing changed) when its file does not read.
  bool ShowImage(int index);
  /// "Image %d of %d: %s", its size and summary; "" without a current photo.
  CString ImageStatusText();
  /// Empties the picture, the preview window and the histogram; no photo is current after.
  void ClearDisplay();
  void OnDeleteImage();
  /// Deletes the thumbnail beside a .crw photo, whatever the case of its ".thm".
  static void DeleteCompanionThumbnail(const CString& crwPath);
  void OnRenameImage();
  /// File > "Print Selected Photobooth Photos...": the chosen JPEGs, one page each, in one job.
  void OnPrintSelectedPhotos();
  void OnEditImage();
  /// Command 156: runs the time-lapse window; its interval and frame count are kept whatever the end.
  void OnTimeLapse();
  /// F7: the current photo at full size in the preview window.
  void OnImagePreview();
  /// Hands the last `count` photos of the list to the series command.
  void RunExternalCommand(int count);
  /// Starts the series command with these photos, oldest first; nothing when it is off.
  void RunSeriesCommand(const std::vector<CString>& files);
  /// The preview window, made on first use; the view owns it.
  CImagePreviewDlg* m_pImagePreviewDlg = nullptr;
  /// The photos saved during the auto-bracket series under way, oldest first.
  std::vector<CString> m_seriesFiles;

  void OnUpdateZoom();
  LRESULT OnHotSpotMessage(WPARAM wParam, LPARAM lParam);
  /// Runs the remote-control command waiting in the shared block and writes its reply.
  void OnIpcMessage();
  /// Tells the user once when other programs cannot reach the remote-control channel.
  void CheckIpcChannel();
  /// Tells the user when the settings could not be read or their file was damaged.
  void TellSettingsProblems();
  /// Writes a reply to the remote-control client; nothing before the first command.
  void IpcReply(int status, const char* text = nullptr);
  /// A remote release was answered "started" and the view has not yet asked the camera.
  bool m_bIpcReleaseWaiting = false;
  /// Answers a waiting remote release with a refusal (the view will not release).
  /// A release refused before the camera was asked: a running time-lapse sequence hears of it
  /// as of a release error, so it waits for no photo.
  void EndRefusedShot();
  void RefuseIpcRelease();
  bool IsBulbSelected() const;

  // Photobooth services of the booth session.
  /// After the last shot: the processing worker runs while the progress window is up; nothing
  /// unless the view holds a whole session of photos.
  void StartPhotoboothProcessing();
  /// Processing (with the reprint flag as given) unless the camera is busy, photobooth mode is
  /// off or a sequence counts; whether it started.
  bool StartPhotoboothProcessingIfReady(bool reprint);
  /// The reprint command: the saved page printed again, else the session processed again.
  void StartReprint();
  /// The processing worker's body (worker thread).
  void ProcessPhotoboothImages();
  /// The fast reprint's body (worker thread): the last saved page printed with the copies.
  void ReprintPhotoboothImages();
  /// The session's file-name tokens and its image folder (the camera's naming for the first
  /// photo, a temporary camera's without one); on the UI thread.
  void BuildPhotoboothTokens(const Exif* first, CMapStringToString& tokens, CString& imageFolder);
  /// Set while the session is processed again: no confirm and no sharing screen.
  bool m_bReprint = false;
  /// Saves the next page as a test shot and stops there; cleared when a session is armed.
  bool m_bTestShot = false;
  /// The hold-result flag: processing leaves the booth on its last screen.
  bool m_bHoldResult = false;
  /// The last page JPEG the worker saved (the fast reprint prints it) and the last GIF.
  CString m_strLastPrintPath;
  CString m_strLastGifPath;
  /// The animated GIF's frame-copies and GIF-in-prints switches of the running program.
  BOOL m_bGifFrameCopies = FALSE;
  BOOL m_bGifInPrints = FALSE;
  /// Set once the processing's progress window has ended, so the worker waits for it no longer.
  std::atomic<bool> m_bProcessingProgressEnded{false};
  void SelectPhotoboothProfile(int profile);
  void OnSelectPhotoboothProfile(UINT command);
  void GetTakingScreenImage(CString& path);
  /// Writes the booth settings to a settings file (with the printer when asked and available);
  /// a failure shows "Error writing file: " + path and leaves any old file whole.
  BOOL SavePhotoboothSettings(const char* path, bool includePrinter);
  /// Reads a settings file into the view's settings, then refreshes the booth window, the toning
  /// table and the live-view overlay. Refused (FALSE, silently) while busy or during a sequence.
  BOOL LoadPhotoboothSettings(const char* path);
  /// The booth's "Load Photobooth Settings" command: a file-open dialog, then the load.
  void OnLoadPhotoboothSettings();
  /// The sharing screen for the last output over the booth window; nothing without an output,
  /// the booth window or an enabled channel (MyQuilletViewSharingScreen.cpp).
  void ShowSharingScreen();
  /// The booth's live-view overlay picture ("live_view_overlay.png" of the images folder).
  bool m_bLiveViewOverlay = false;
  /// The profile the booth runs, 1 to 18; not saved.
  int m_nPhotoboothCurrentProfile = 18;
  CString m_strLiveViewOverlay;
  void GetReleaseScreenImage(CString& path);
  /// The preview background: "preview<n>.jpg" (photos taken) with the booth window when it
  /// exists, else "preview.jpg", each as its colour and copies variant.
  void GetPreviewScreenImage(CString& path);

  // The photobooth start command (MyQuilletViewBoothStart.cpp).
  /// Checks the camera, settings and images folder, warns about what is missing, then runs the
  /// booth window in photobooth mode until the operator leaves it.
  void OnStartPhotobooth();
  /// Start steps: overlay, profile, the booth window run modally, and the way back.
  void RunPhotoboothWindow(const CString& folder);
  /// The start after a connection: its sharing notes go to the status bar, not a box.
  void PostStartPhotoboothAfterConnect();
  /// The images folder setting with one trailing '/'.
  CString PhotoboothFolderWithSlash() const;
  /// The warning lines of the screen images missing from `folder` ("" when none is).
  CString MissingScreenImages(const CString& folder) const;
  /// The e-mail and sharing problems of the settings ("" when none).
  CString SharingWarnings() const;
  /// The start posted after a connection has not run yet.
  bool m_bUnattendedPhotoboothStart = false;

  // The photobooth commands of the main view (MyQuilletViewBoothKeys.cpp).
  /// Colour, black-and-white and copies keys; false for other ids.
  bool OnPhotoboothKeyCommand(UINT id);
  /// F6: the booth window between its welcome and ready screens.
  void OnPhotoboothToggleStandby();
  /// True while the booth window shows its ready screen.
  bool IsReadyScreen() const;
  /// Shows or hides the shortcut row.
  void OnPhotoboothShortcuts();
  /// Prints the loaded photos again through the photobooth processing.
  void OnPrintImages();
  /// The form's shortcut buttons and the commands of their menu entries; false for other ids.
  bool OnPhotoboothShortcutCommand(UINT id);
  /// Processing asked for by the reprint: true when it started. Tests replace it.
  bool (*m_pfnStartProcessing)(CMyQuilletView* view) = nullptr;

  // The photobooth's image effects with the view's settings (MyQuilletViewEffects.cpp).
  void ApplyGreenscreen(PipSession& image, const char* backgroundPath);
  void ApplyMonochromeToning(PipSession& image);
  void MergeOverlay(PipSession& image, PipSession& overlay);
  void DrawThumbnailNumbers(PipSession& image);
  /// The resize method of "PhotoboothFastResize": fast when on, fine when off.
  int ResizeMode() const;

  // The photobooth sequence (MyQuilletViewBooth.cpp).
  /// Command 133: the plain full-screen viewer, run modally.
  void OnFullScreen();
  /// Arms a session; silent unless a camera is idle in photobooth mode with no session or processing.
  void OnPhotoboothShot();
  /// Arms only while the booth window is up in photobooth mode.
  void OnPhotoboothShotFullscreen();
  /// B&W (1), colour (0) or toned (2) start: the colour mode, then arming.
  void OnPhotoboothColourStart(int colourMode);
  /// One 50 ms step of a session: countdown screens and texts, the release, the preview hold.
  void PacePhotobooth();
  /// The countdown template filled in for the photo under way.
  CString CountdownText(ULONGLONG now);
  /// The release screen, or the taking screen when no release file exists.
  CString ReleaseOrTakingScreen();
  /// The booth window when it is up, else NULL.
  CFullscreenDlg* BoothWindow() const;
  /// Milliseconds of the system tick count; tests replace it.
  static ULONGLONG (*s_pfnTicks)();
  CString m_strSessionCode;
  std::vector<CString> m_keyboardTexts;
  std::vector<BYTE> m_keyboardChecks;
  CString m_strLastOutput;
  /// The shots-left value of the last release; -1 after arming (one release per photo).
  int m_nLastShotNumber = -1;
  /// Photos saved since the last arming; -1 before the first session. The worker takes no
  /// photo older than the session it processes.
  int m_nSessionPhotos = -1;
  /// True while the picture of a shot whose save failed may still arrive: it is not shown.
  bool m_bHideFailedShot = false;
  /// True when the last N photos of the image list are the current (or last) session's.
  bool HasSessionPhotos() const;
  /// Ends a running session as a failed release does: the box over the booth, back to start.
  void EndSessionWithBox(const CString& text);

  // Connect worker, camera-setting combos, zoom, battery and the main timer.
  /// The connect worker's body (on its own thread): learns the camera's values, fills the form, applies the model's settings.
  void ConnectToCamera();
  /// Fills the combo with the values the camera accepts, from the cache in `cache` or by probing (and caching) them.
  void LearnSettingValues(HKEY cache, const char* name, CComboBox& combo, const ComboTableRow* rows, int count,
                          SettingProbe probe);
  /// Refills the combo from the camera's value list unless it already holds exactly those values.
  static void FillSupportedValues(CComboBox& combo, const ComboTableRow* rows, int count, const WORD* values,
                                  int length);
  /// Brings the exposure controls in line with the camera's mode and values; nothing without a camera.
  void FillReleaseSettingCombos();
  /// Handles the form's combo notifications; false for other commands.
  bool OnFormCommand(UINT id, UINT code);
  void OnSelchangeExpMode();
  void OnSelchangeTv();
  void OnSelchangeAv();
  void OnSelchangeExpComp();
  void OnSelchangeFlashComp();
  void OnSelchangeSizeQuality();
  void OnSelchangeWhiteBalance();
  void OnSelchangeMeteringMode();
  void OnSelchangeIso();
  void OnSelchangeFlashOutput();
  void OnSelchangePhotoEffect();
  void OnSelchangeFlash();
  void OnSelchangeAfDistance();
  void OnSelchangeFocusPoints();
  /// Moves the camera to the slider's position and refreshes the lens and digital-zoom texts.
  void UpdateZoom();
  /// The lens text from the model's focal-length table; empty without a camera or table.
  void GetFocalLengthText(int position);
  /// The zoom slider's WM_HSCROLL: the lens text follows a drag, the camera moves when it ends.
  void OnZoomScroll(UINT code);
  void UpdateBatteryText();
  /// Starts timer 2, the battery clock and the first connection (posted, so the window shows first).
  void StartMainRoad();
  void OnTimer(UINT_PTR id) override;
  /// The connect worker's status line (and title when `setTitle`), on the UI thread.
  void OnConnectStatus(WPARAM setTitle, LPARAM text);
  /// Redraws the histogram bitmap of control 1033 from m_histogram and the curve flags.
  void DrawHistogram();

  // Menu and accelerators of the main window, and the commands that only flip a setting
  // (MyQuilletViewCommands.cpp).
  /// Runs a menu or accelerator command; false for ids it does not handle.
  bool OnMenuCommand(UINT id);
  /// The photobooth settings dialog, the shortcut buttons' dialog and the form's button 1356.
  bool OnPhotoboothSettingsCommand(UINT id);
  /// Opens the photobooth settings dialog with a copy of the settings; OK takes the copy back.
  void OnPhotoboothSettings();
  /// Chooses the shown shortcut buttons of the form.
  void OnPhotoboothShortcutsSettings();
  /// Shows exactly the shortcut buttons whose flags are set and whose targets exist (none
  /// without the dashboard) and moves them and their box into rows.
  void LayoutOptionButtons();
  /// The rows of the shown shortcut buttons from the present geometry, in the coordinates of
  /// the box's parent.
  ShortcutRowLayout ComputeShortcutRow(HWND box);
  /// The rows last worked out by LayoutOptionButtons.
  ShortcutRowLayout m_shortcutRow;
  /// The sharing station's settings and QR-code text (MyQuilletViewSharing.cpp); false for other ids.
  bool OnSharingCommand(UINT id);
  /// "Send emails...": an e-mail log chosen by the user, its unsent e-mails offered again.
  /// Ticks, enables and names the main menu's items from the view's state.
  void UpdateMenu();
  // The settings dialogs' openers (MyQuilletViewSettingsDialogs.cpp): copies in, copies back on OK.
  /// Runs the settings dialog of a menu command; false for other ids.
  bool OnSettingsCommand(UINT id);
  void OnPreferences();
  void OnGridSettings();
  void OnHighlightSettings();
  void OnSharpeningSettings();
  void OnSetupEditor();
  void OnPostProcessing();
  void OnColourManagement();
  /// Button 1086: the auto-bracket series settings.
  void OnAutoBracketSettings();
  /// Sends contrast, saturation and sharpness to a CDSDK camera and keeps what it reads back (255: -1).
  void SendImageSettings(CCamera* camera);
  /// Save mode 1 (PC only), 2 (camera only) or 3 (camera and PC), also sent to a connected camera.
  void OnSaveMode(int mode);
  /// The photobooth printer setup; a change of margins alone moves the layout with the
  /// printable area's centre (MyQuilletViewPrinterSetup.cpp).
  /// The photobooth printer setup; its dialog opens over `parent` (NULL: the view).
  void OnPhotoboothPrinterSetup(CWnd* parent = nullptr);
  void OnPhotoboothSetupWizard();
  void OnPhotoboothCustomLayout();
  /// Still Image launch registration (143) and unregistration (144).
  void OnStillImageRegistration(bool registering);
  /// The help page: beside the program, else in the source tree's data folder; "" when neither has it.
  static CString FindHelpFile();
  /// Opens a file or web address with the desktop's opener; tests replace it.
  static void (*s_pfnShellOpen)(const char* target);
  /// Enables a form control by id; a missing control is ignored.
  void EnableFormItem(int id, bool on);
  /// Entries of a form combo by id (0 when it is missing).
  int FormComboCount(int id) const;

  // The form's camera controls beyond the combos (MyQuilletViewControls.cpp).
  /// AF lock box, zoom keys, beep, viewfinder output and live view, refresh; false for other ids.
  bool OnCameraControlCommand(UINT id, UINT code);
  void OnAfLock();
  void RefocusWithAfLock();
  void OnZoomIn();
  void OnZoomOut();
  void OnZoomReleasedCapture();
  void OnCameraBeep();
  /// Commands 160 (LCD), 161 (video out), 162 (off).
  void OnViewfinderOutput(UINT command);
  void OnLiveViewfinder();
  /// Starts or stops the camera's viewfinder; the new running state.
  bool EnableViewfinder(bool on);
  /// A viewfinder frame, on the SDK's viewfinder thread.
  int OnViewfinderFrame(BYTE* jpeg, DWORD size);

  // The live view window and the motion trigger (MyQuilletViewMotion.cpp).
  /// The crop flag of the live view window (off while the booth window suppresses it).
  bool IsViewfinderCropOn();
  /// The live view window's crop rectangle in 320 x 240 viewfinder pixels; 0, 0, 319, 239
  /// without the window or a camera.
  void GetViewfinderCropRect(CCamera* camera, int& left, int& top, int& right, int& bottom);
  /// Command 192: motion triggering on or off.
  void OnMotionDetection();
  /// Makes the live view window with the stored stay-on-top, onion, scale and crop values.
  void CreateViewfinderWindow();
  /// Gives the viewfinder window the view's viewfinder settings.
  void ApplyViewfinderSettings();
  /// Keeps the live view window's position in the registry and deletes the window.
  void DestroyViewfinderWindow();
  /// Copies the live view window's options into the settings members.
  void ReadViewfinderSettings();
  /// The rotation of the orientation mode for live-view frames.
  int GetViewfinderAngle() const;
  void OnViewfinderCommand(UINT id) override;
  void OnViewfinderCommentKey(UINT key) override;
  ViewfinderOverlay GetViewfinderOverlay() override;
  /// The live view window; made by the constructor, deleted by the destructor.
  CViewfinderDlg* m_pViewfinderDlg = nullptr;
  /// The motion program's window, once it said hello.
  HWND m_hMotionPeer = nullptr;
  /// Draws the notice a peer gets while no camera frames come into the motion frame.
  void DrawMotionPlaceholder();
  /// Opens a page of the help folder; tests watch it through HtmlHelp's opener.
  void OpenHelpTopic(const char* topic);
  bool m_bCameraBeep = false;

  // Camera-control state (MyQuilletViewControls.cpp adds here).
  bool IsAfLockTicked() const;
  /// Moves the zoom slider by `steps`, clamped to its range; a move unticks the AF-lock box only.
  void StepZoom(int steps);

  // Display controls: picture statics, blank screen (MyQuilletViewDisplay.cpp adds here).
  CMyStatic m_histogramPicture;  // 1033
  CMyStatic m_picture;           // 1006
  /// The black window of ShowBlankScreen; NULL while none is shown. The view owns it.
  class CBlankDlg* m_pBlankDlg = nullptr;

  // Histogram pop-up (MyQuilletViewHistogram.cpp).
  /// Commands 163-166 toggle the intensity, red, green and blue curves; false for other ids.
  bool OnHistogramCommand(UINT id);
  /// The curves menu with each item ticked while its curve shows; the caller destroys it.
  HMENU BuildHistogramMenu();

  /// Seconds clock of the timer (reconnection, battery); tests replace it.
  static LONGLONG (*s_pfnClock)();
  /// The worker's pause before it closes the connection window.
  static DWORD s_nConnectSettleMs;
  /// Whether the initial update starts the timer and the first connection; tests of single
  /// handlers turn it off.
  static bool s_bStartMainRoad;

  CProgressDlg* m_pProgressDlg = nullptr;
  std::atomic<HWND> m_hProgressWnd{nullptr};
  /// 0 before the connection window opens, 1 while it is open, 2 once it has gone.
  std::atomic<int> m_nProgressState{0};
  bool m_bConnecting = false;
  /// A close of the main window that came while connecting; it is done once the worker has ended.
  bool m_bCloseAfterConnect = false;
  /// A remote connect command answered "under way" while connecting; it gets its result at the end.
  bool m_bIpcConnectPending = false;
  /// A camera shut-down reported while the worker still used the camera (-1: none).
  int m_nShutdownAfterConnect = -1;
  UINT_PTR m_nTimerId = 0;
  LONGLONG m_nNextBatteryUpdate = 0;
  int m_nTickCount = 0;
  bool m_bShowingHighlight = false;
  bool m_bImageSettingsSupported = false;
  double m_dDigitalZoom = 0;
  std::unique_ptr<CBitmap> m_pHistogramBitmap;

  /// The camera message sink the view gives every camera it connects.
  CameraMessageSink* GetMessageSink();

  // Runtime state.
  CCamera* m_pCamera = nullptr;
  bool m_bBusy = false;
  bool m_bPreviewShot = false;
  bool m_bReleasePending = false;
  bool m_bInitialConnectDone = false;
  BYTE* m_pCurrentJpeg = nullptr;
  DWORD m_nCurrentJpegSize = 0;
  Exif* m_pCurrentExif = nullptr;
  std::vector<CTVNImage> m_images;
  int m_nCurrentImage = -1;
  int m_nRotation = 0;
  UINT m_nIPCMessage = 0;
  std::unique_ptr<TavorinIPC> m_pIPC;  // made on the first remote-control command
  CWnd* m_pTimeLapseWindow = nullptr;
  bool m_bPhotoboothActive = false;
  CFullscreenDlg* m_pFullscreenDlg = nullptr;
  bool m_bFullScreen = false;
  bool m_bProcessingUnderWay = false;
  bool m_bClickerPressed = false;
  int m_nShotsLeft = -1;
  ULONGLONG m_nNextShotTime = 0;
  /// The display ticks of a shown preview (20 a second); the processing worker polls them.
  std::atomic<int> m_nPreviewTicks{0};
  BOOL m_bPhotoboothShowGrid = FALSE;
  /// The images folder of the settings ("PhotoboothImageDir") under the name the booth uses.
  CString& m_strPhotoboothImagesDir = m_strPhotoboothImageDir;
  int m_nBracketStep = -1;
  std::vector<BracketStep> m_bracketPlan;
  BracketStep m_bracketRestore;
  bool m_bLiveViewfinder = false;
  bool m_bViewfinderRunning = false;
  /// Read by the viewfinder thread for every frame.
  std::atomic<bool> m_bMotionDetection{false};
  bool m_bCommentRestart = false;
  bool m_bBlankScreen = false;
  HACCEL m_hAccel = nullptr;
  CString m_strUniqueId;
  CBitmap* m_pDisplayBitmap = nullptr;
  CBitmap* m_pHighlightBitmap = nullptr;
  CHistogram m_histogram;
  /// Counts display refreshes; a background render shows only if none came after it.
  unsigned m_nDisplayGeneration = 0;
  std::unique_ptr<CDisplayRenderWorker> m_pDisplayWorker;
  CProgressDlg2* m_pProgressDlg2 = nullptr;
  /// What the last release-error or shut-down box said (also kept in the status bar).
  CString m_strLastMessage;
  /// The text last put into the status bar by the view.
  CString m_strStatusText;

  // Per-model camera values.
  int m_nOrientationSetting = 0;
  BOOL m_bLosslessAutoRotate = FALSE;
  int m_nContrast = 0;
  int m_nSaturation = 0;
  int m_nSharpness = 0;
  int m_nViewfinderOutput = 3;

  // Form controls.
  CComboBox m_cbTv, m_cbExpMode, m_cbAv, m_cbIso, m_cbExpComp, m_cbSizeQuality, m_cbWhiteBalance;
  CComboBox m_cbMetering, m_cbAfDistance, m_cbFocusPoints, m_cbFlash, m_cbFlashComp, m_cbPhotoEffect;
  CComboBox m_cbFlashOutput;
  CSliderCtrl m_zoomSlider;
  CProgressCtrl m_downloadProgress;
  CEdit m_editComment;
  CButton m_btnRelease, m_btnPreview, m_chkAfLock;

 protected:
  void OnDestroy() override;
  int OnCreate(LPCREATESTRUCT createStruct) override;
  void OnMButtonDown(UINT flags, CPoint point);
  void OnRButtonDown(UINT flags, CPoint point) override;
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
  void OnDraw(CDC* dc) override;
  BOOL OnMouseWheel(UINT flags, short delta, CPoint point) override;
  BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) override;
  void OnRButtonUp(UINT flags, CPoint point) override;
  void OnGetMinMaxInfo(MINMAXINFO* info) override;
  HBRUSH OnCtlColor(CDC* dc, CWnd* wnd, UINT type) override;

 private:
  void OnDownloadProgress(WPARAM percent);
  void OnDisplayJpeg(WPARAM size, LPARAM buffer);
  void OnDisplayRendered(unsigned generation);
  /// What a render of the current photo into width x height needs, taken from the settings.
  DisplayRequest MakeDisplayRequest(int width, int height, int greyMode, bool histogram, bool highlight);
  /// Tells the user what the render found wrong (a damaged photo, a thumbnail shown instead).
  void ReportDisplayRender(const DisplayRender& render);
  /// Puts the rendered bitmaps and histogram on screen; takes them from the render.
  void InstallDisplay(DisplayRender& render);
  /// The picture control's client box (320 x 240 before the form has one).
  CRect PictureBox();
  /// Gives the current photo to the Image Preview when it is shown.
  void ShowCurrentInPreview();
  void OnExif(LPARAM exif);
  void OnReleaseError(DWORD code);
  void OnSavedFile(LPARAM text);
  void RunMouseAction(int action);
  void OnIpcSetDirectory();
  /// Commands that arrive while connecting: false when answered here (busy, deferred).
  bool OnIpcWhileConnecting(int command, int parameter);
  void OnIpcConnect(bool connect);
  /// The item data of a combo's selection, -1 without one.
  static DWORD SelectedItemData(const CComboBox& combo);
  void StartCdsdk();
  /// Frees the data of camera messages still waiting in the queue when the window goes.
  void FreeQueuedCameraPayloads();
  /// After a connection: the booth's live view and ready screen, or the model's stored live view
  /// and camera viewfinder output.
  void StartViewfinderAfterConnect();
  /// What came while the connect worker held the camera: a shut-down, a remote connect, a close.
  void FinishDeferredConnectWork();

  CameraMessageSink* m_pSink = nullptr;
};

/// The camera's viewfinder frame callback (SDK thread): hands each frame to the view in `context`.
BOOL ViewfinderFrameCallback(BYTE* buffer, DWORD size, void* context);

/// Combo indexes of a bracket series: from `start`, first moved down by up to shots / 2 steps
/// while it stays at or above `step`, then every `step` entries, at most `shots`, below `limit`.
std::vector<int> PlanBracketEntries(int start, int count, int step, int shots, int limit);

/// The registered "WM_USER_HOTSPOTMESSAGE" (0 until the view is made).
extern UINT g_nHotSpotMessage;

/// The view of the running program, or NULL.
CMyQuilletView* GetMainView();
/// Tries CDStartSDK with versions 5, 5, 6 ... 10 and returns the accepted one, 0 when all are refused.
int StartCdsdkVersions();
/// The version text of a file version: "%d.%d.%d.%d", "%d.%d.%d" or "%d.%d" as the low parts are 0.
CString FormatProgramVersion(int major, int minor, int build, int revision);
