// The registry store of the view's settings: one table of (name, kind, member) rows drives both
// the load at start and the save at the end, so a value cannot be read and written differently.
//
// Kinds: flags and numbers are REG_DWORD (any non-zero flag loads as on); texts are REG_SZ of
// at most 10,240 characters with their terminator (REG_EXPAND_SZ read, never expanded); fonts
// are 60-byte 8-bit LOGFONT binaries. An absent value, a wrong type or a wrong size keeps the
// member's default; write errors are ignored.
#pragma once

#include <vector>

#include "platform/mfc/cstring.h"
#include "printlayout/PhotoboothCaption.h"
#include "printlayout/PhotoboothCustomLayoutBox.h"
#include "platform/registry/registry.h"
#include "platform/win32/windef.h"

/// The longest text value accepted, terminator included.
const DWORD kMaxSettingText = 10240;
/// The longest long text (the e-mail HTML body edit takes 0x20000 characters), terminator included.
const DWORD kMaxLongSettingText = 0x20000 + 1;
/// Printer records are accepted from 1 to this many bytes.
const DWORD kMaxPrinterRecord = 102399;

// Program-wide settings kept outside the view.
extern BOOL g_bEnableColourManagement;
extern int g_nCustomNaming;
extern int g_nPhotoboothJpegSaveDPI;
extern int g_nPhotoboothConfirmPrintingTimeout;
extern BOOL g_bPhotoboothConfirmPrintingTimeoutAction;
extern int g_nFacebookUploadTimeout;
/// Seconds the Twitter uploader may go without progress; 30 at every start, never stored.
extern int g_nTwitterUploadTimeout;
extern int g_nFacebookLoginWindowWidth;
extern int g_nFacebookLoginWindowHeight;
extern BOOL g_bDitherGIFs;
extern BOOL g_bPhotoboothStatusCmdEnable;
extern int g_nPhotoboothPrintPreviewX, g_nPhotoboothPrintPreviewY, g_nPhotoboothPrintPreviewW,
    g_nPhotoboothPrintPreviewH, g_nPhotoboothPrintPreviewRotate;
extern int g_nPhotoboothPhotoPreviewX, g_nPhotoboothPhotoPreviewY, g_nPhotoboothPhotoPreviewW,
    g_nPhotoboothPhotoPreviewH;
/// Resampling mode of the photobooth's resizes: 3 fast, 7 fine (follows "PhotoboothFastResize").
extern int g_nPhotoboothResizeMode;

/// One of the main form's photobooth shortcut buttons and whether it is shown.
struct PhotoboothShortcutButton {
  int id;
  BOOL shown;
};
const int kPhotoboothShortcutButtonCount = 7;
extern PhotoboothShortcutButton g_photoboothShortcutButtons[kPhotoboothShortcutButtonCount];

/// A touch area of the full-screen photobooth and what touching it does.
struct PhotoboothTouchscreenButton {
  int action = 0;
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
};
const int kPhotoboothTouchscreenButtonCount = 18;
const int kPhotoboothProfileCount = 18;

enum class SettingKind {
  Flag,      // BOOL member
  Number,    // int member
  Text,      // CString member
  LongText,  // CString member of up to kMaxLongSettingText bytes
  Font,      // LOGFONTA member, 60 bytes
  Level,     // double fraction stored as a count of ten-thousandths
  Scale,     // int clamped to 1..5 on load
  Word,      // unsigned 16-bit member; clamped to minValue..maxValue on load when they differ
  Clamped,   // int clamped to minValue..maxValue on load
  Decimal,   // double stored as text ("%lg"), read with either decimal separator
  Low32,     // 64-bit member stored as its low 32 bits; loads with a zero high half
  Scrambled, // text held and stored in scrambled form (never in clear)
  EvfOffset, // int; stored values above 2000 (unsigned) load as -1, centred
  Interval,  // int; a read also sets "PhotoboothFirstInterval", which a stored value overrides
  FastResize,  // flag; a read also sets g_nPhotoboothResizeMode
  BrowseFolder,  // text; empty after loading becomes the documents folder's "PhotoboothImages"
  Preset,    // int reset to minValue before it is read
  // Record groups, the name being the prefix of each record's values:
  Captions,            // PhotoboothCaption[12]
  LayoutBoxes,         // PhotoboothCustomLayoutBox[12]
  Profiles,            // CString[18]
  TouchscreenButtons,  // PhotoboothTouchscreenButton[18]
  ShortcutButtons,     // PhotoboothShortcutButton[7]
};

struct SettingEntry {
  const char* name;
  SettingKind kind;
  void* member;
  bool readOnly = false;  // read at start, never written (set only by editing the registry)
  int minValue = 0;
  int maxValue = 0;
};

/// The HTML body of a photobooth e-mail until the user writes another.
extern const char kDefaultEmailHtml[];
extern const char kMakerWebSite[];
CString DefaultPhotoboothImageDir();

/// Where photos go by default: the home folder's "Photos".
CString DefaultPhotoDirectory();
/// The 60-byte LOGFONT of a 28-point "Arial" font for the screen.
LOGFONTA MakeDefaultMessageFont();

/// The view's own values: display, naming, output folder, post-processing, camera.
struct ViewGeneralSettings {
  BOOL m_bDisplayGrid = FALSE;
  int m_nGridColour = static_cast<int>(RGB(0, 255, 0));
  int m_nHorizontalGridDivisions = 9;
  int m_nVerticalGridDivisions = 9;
  BOOL m_bHighlightBlink = FALSE;
  int m_nHighlightBlinkMethod = 0;
  int m_nHighlightBlinkThreshold = 250;
  CString m_strFilenamePrefix;
  CString m_strDirectory{DefaultPhotoDirectory()};
  BOOL m_bYear = TRUE;
  BOOL m_bMonth = TRUE;
  BOOL m_bDay = TRUE;
  BOOL m_bPrefixWithComment = FALSE;
  BOOL m_bAppendLetterDuringAEB = FALSE;
  BOOL m_bFlattenDate = TRUE;
  int m_nMiddleBtnAction = 0;
  int m_nRightBtnAction = 0;
  int m_nMouseWheelAction = 0;
  BOOL m_bBlankScreenWhenTakingPhoto = FALSE;
  int m_nStoreImage = 1;
  CString m_strLaunchEditorCmd;
  int m_nAutoEdit = 0;
  int m_nShellExecute = 1;
  int m_nPreviewSize = 0;
  BOOL m_bIntensity = TRUE;
  BOOL m_bRed = FALSE;
  BOOL m_bGreen = FALSE;
  BOOL m_bBlue = FALSE;
  int m_nViewfinderStayOnTop = 1;
  int m_nViewfinderOnionSkinning = 0;
  int m_nViewfinderScale = 1;
  BOOL m_bCrop = FALSE;
  int m_nCropX1 = 100;
  int m_nCropY1 = 100;
  int m_nCropX2 = 250;
  int m_nCropY2 = 200;
  int m_nTimelapseInterval = 30;
  int m_nTimelapseNumFrames = 10;
  int m_nAutoBracket = 0;
  int m_nAutoBracketNumShots = 3;
  int m_nAutoBracketInterval = 3;
  BOOL m_bAutoBracketUsingTv = TRUE;
  int m_nAutoBracketCmdEnable = 0;
  CString m_strAutoBracketCmd;
  BOOL m_bSharpen = FALSE;
  int m_nSharpenAmount = 75;
  BOOL m_bFullscreenCaption = TRUE;
  CString m_strPrinterProfile;
  BOOL m_bEnablePrinterColourManagement = FALSE;
  int m_nPostProcessingEnable = 0;
  int m_nPostProcessingResize = 0;
  int m_nPostProcessingResizeWidth = 450;
  int m_nPostProcessingResizeHeight = 450;
  int m_nPostProcessingLevel = 0;
  double m_dPostProcessingLevelBlack = 0.05;
  double m_dPostProcessingLevelWhite = 0.05;
  int m_nPostProcessingSharpen = 0;
  int m_nPostProcessingSharpenAmount = 75;
  int m_nPostProcessingJpegQuality = 85;
  BOOL m_bAutoReconnect = FALSE;
  int m_nMinZoomSetting = 0;
  int m_nMaxZoomSetting = 0;
};

/// The photobooth settings: what the photobooth settings dialog edits and takes back on OK.
struct PhotoboothViewSettings {
  // Photobooth values the view's hub and display read.
  int m_nNumberOfPhotoboothImages = 4;
  int m_nPhotoboothInterval = 5;
  BOOL m_bPhotoboothThumnailEnable = FALSE;
  BOOL m_bPhotoboothEnableLiveView = TRUE;
  BOOL m_bPhotoboothClickerMode = FALSE;
  int m_nPhotoboothToningHue = 200;
  int m_nPhotoboothToningSaturation = 40;
  BOOL m_bPhotobooth3to2Crop = FALSE;
  int m_nPhotoboothPreviewTime = 0;
  LOGFONTA m_photoboothMsgFont = MakeDefaultMessageFont();

  // The other photobooth, sharing and layout values.
  WORD m_nGreenScreenRedPercentage = 230;
  WORD m_nGreenScreenBluePercentage = 179;
  WORD m_nGreenScreenGreenThreshold = 70;
  BOOL m_bGreenScreenEnable = FALSE;
  BOOL m_bBlueScreen = FALSE;
  CString m_strGreenScreenBackgroundImage;
  int m_nPhotoboothKeyboard = 0;
  BOOL m_bPhotoboothSuppressXml = FALSE;
  BOOL m_bPhotoboothSaveLayoutEvenIfRejected = FALSE;
  BOOL m_bPhotoboothSaveGreenscreenedImage = FALSE;
  int m_nPhotoboothDelayBeforePrintingInSecs = 0;
  BOOL m_bPhotoboothFastResize = TRUE;
  int m_nPhotoboothBackgroundColor = 0x00FFFFFF;
  BOOL m_bPhotoboothShowDashboard = TRUE;
  int m_nPhotoboothCameraReleaseLag = 0;
  int m_nPhotoboothNumberOfRows = 2;
  int m_nPhotoboothNumberOfColumns = 2;
  BOOL m_bPhotoboothRotateToFitPaper = FALSE;
  BOOL m_bPhotoboothRepeatToFillEmptyCols = FALSE;
  int m_nPhotoboothFirstInterval = 5;
  BOOL m_bPhotoboothCropToFit = FALSE;
  int m_nPhotoboothSaveJpegCopyOfPrints = 0;
  BOOL m_bPhotoboothConfirmPrinting = FALSE;
  BOOL m_bPhotoboothThumnailShowAtEnd = FALSE;
  int m_nPhotoboothThumnailX = -20;
  int m_nPhotoboothThumnailY = 20;
  int m_nPhotoboothThumnailW = 200;
  int m_nPhotoboothThumnailXSpacing = 0;
  int m_nPhotoboothThumnailYSpacing = 153;
  int m_nPhotoboothSharingTimeout = 300;
  int m_nPhotoboothSharePreviewX = 0;
  int m_nPhotoboothSharePreviewY = 0;
  int m_nPhotoboothSharePreviewW = 0;
  int m_nPhotoboothSharePreviewH = 0;
  BOOL m_bPrintOptionInSharingScreen = FALSE;
  int m_nPrintOptionInSharingScreenLimit = 0;
  CString m_strPrintOptionInSharingScreenLimitMsg{"Sorry, you can only print the photo once"};
  BOOL m_bPhotoboothFbUpload = FALSE;
  CString m_strPhotoboothFbAlbum{"Photo Booth Photos"};
  CString m_strPhotoboothFbAlbumDesc{"Photo booth photos taken on %L"};
  CString m_strPhotoboothFbComment{"Photo taken %l"};
  int m_nPhotoboothFbMaxWidth = 500;
  int m_nPhotoboothFbMaxHeight = 500;
  int m_nPhotoboothFbRotate = -1;
  BOOL m_bPhotoboothFbCrop = FALSE;
  int m_nPhotoboothFbCropX = 0;
  int m_nPhotoboothFbCropY = 0;
  int m_nPhotoboothFbCropW = 0;
  int m_nPhotoboothFbCropH = 0;
  BOOL m_bPhotoboothLogFacebookAddresses = FALSE;
  CString m_strPhotoboothLogFacebookPathname;
  BOOL m_bPhotoboothEmail = FALSE;
  BOOL m_bPhotoboothEmailOfflineMode = FALSE;
  CString m_strPhotoboothEmailHost;
  CString m_strPhotoboothEmailPassword;
  CString m_strPhotoboothEmailUsername;
  int m_nPhotoboothEmailPort = 587;
  BOOL m_bPhotoboothEmailSSL = TRUE;
  BOOL m_bPhotoboothLogEmailAddresses = FALSE;
  CString m_strPhotoboothLogEmailPathname;
  CString m_strPhotoboothEmailFrom;
  CString m_strPhotoboothEmailSubject{"Photo booth photos"};
  CString m_strPhotoboothEmailMsgText{"Your photo booth photos taken on %L"};
  CString m_strPhotoboothEmailMsgHTML{kDefaultEmailHtml};
  int m_nPhotoboothEmailRotate = -1;
  int m_nPhotoboothEmailMaxWidth = 500;
  int m_nPhotoboothEmailMaxHeight = 500;
  BOOL m_bPhotoboothEmailCrop = FALSE;
  int m_nPhotoboothEmailCropX = 0;
  int m_nPhotoboothEmailCropY = 0;
  int m_nPhotoboothEmailCropW = 0;
  int m_nPhotoboothEmailCropH = 0;
  BOOL m_bEnableTwitter = FALSE;
  CString m_strPhotoboothTwitterComment{"Photos taken on %l"};
  int m_nPhotoboothTwitterMaxWidth = 500;
  int m_nPhotoboothTwitterMaxHeight = 500;
  int m_nPhotoboothTwitterRotate = 0;
  BOOL m_bPhotoboothTwitterCrop = FALSE;
  int m_nPhotoboothTwitterCropX = 0;
  int m_nPhotoboothTwitterCropY = 0;
  int m_nPhotoboothTwitterCropW = 0;
  int m_nPhotoboothTwitterCropH = 0;
  BOOL m_bLogTwitterUploads = FALSE;
  CString m_strLogTwitterPathname;
  BOOL m_bEnableMMS = FALSE;
  CString m_strMmsTwilioFrom;
  CString m_strMmsTwilioAccountSID;
  CString m_strMmsTwilioAuthToken;
  CString m_strMmsCountryPrefix{"+1"};
  CString m_strMmsMessage{"Your photo booth photos taken on %L"};
  int m_nMmsUploadTimeout = 30;
  BOOL m_bMmsCrop = FALSE;
  int m_nMmsCropX = 0;
  int m_nMmsCropY = 0;
  int m_nMmsCropW = 0;
  int m_nMmsCropH = 0;
  int m_nMmsMaxWidth = 500;
  int m_nMmsMaxHeight = 500;
  int m_nMmsRotate = 0;
  int m_nMmsMsgType = 0;
  int m_nMmsMaxMsgLength = 0;
  BOOL m_bLogMmsAddresses = FALSE;
  CString m_strLogMmsPathname;
  BOOL m_bMmsOfflineMode = FALSE;
  BOOL m_bPhotoboothGifCreate = FALSE;
  BOOL m_bPhotoboothGifLoopingPlayback = TRUE;
  BOOL m_bPhotoboothGifPingPongPlayback = FALSE;
  BOOL m_bPhotoboothGifTitleAtEnd = FALSE;
  int m_nPhotoboothGifWidth = 400;
  int m_nPhotoboothGifImageDelay = 75;
  int m_nPhotoboothGifTitleDelay = 150;
  int m_nPhotoboothGifOverlaysPerPhoto = 1;
  int m_nPhotoboothGifSizeW = 0;
  int m_nPhotoboothGifSizeH = 0;
  int m_nPhotoboothGifOffsetX = 0;
  int m_nPhotoboothGifOffsetY = 0;
  BOOL m_bShareAnimatedGIFs = FALSE;
  int m_nShareGifMaxPercentageUpscaling = 200;
  BOOL m_bPhotoboothGifPerPhoto = FALSE;
  BOOL m_bPhotoboothGifCreateMP4 = FALSE;
  int m_nPhotoboothMP4MinDuration = 3;
  int m_nPhotoboothGifMP4Subfolder = 0;
  BOOL m_bPhotoboothMirrorLiveView = TRUE;
  BOOL m_bPhotoboothAutoStandby = FALSE;
  BOOL m_bPhotoboothSuppressEvfAfterFirstShot = FALSE;
  BOOL m_bPhotoboothSuppressEvfDuringPrinting = TRUE;
  BOOL m_bStartPhotoboothOnConnect = FALSE;
  int m_nPhotoboothSharpeningAmount = 75;
  BOOL m_bPhotoboothEnableSharpening = TRUE;
  int m_nPhotoboothBW = 0;
  int m_nPhotoboothEvfMaxHeight = 480;
  int m_nPhotoboothEvfXOffset = -1;
  int m_nPhotoboothEvfYOffset = 0;
  int m_nPhotoboothEvfCrop = 0;
  int m_nPhotoboothTextYOffset = 0;
  int m_nPhotoboothMinProcessingDuration = 0;
  CString m_strPhotoboothImageDir{DefaultPhotoboothImageDir()};
  CString m_strQRcode{kMakerWebSite};
  int m_nQRcodeQuality = 1;
  CString m_strPhotoboothMsg{"Taking photo @imageNumber@ of @numberOfImages@ in @secsToNextPhoto@ secs"};
  double m_dPhotoboothBorderInMM = 1.0;
  int m_nPhotoboothMsgColour = 0x00FFFFFF;
  BOOL m_bPhotoboothShowProgress = FALSE;
  int m_nPhotoboothUseMouseToTrigger = 0;
  int m_nPhotoboothPrintCopies = 1;
  CString m_strPhotoboothOutputFilename{"%d_%t"};
  BOOL m_bPhotoboothCopyJpegPrint = FALSE;
  CString m_strPhotoboothCopyJpegPrintDir;
  BOOL m_bPhotoboothCopyJpegPrintCrop = FALSE;
  int m_nPhotoboothCopyJpegPrintCropX = 0;
  int m_nPhotoboothCopyJpegPrintCropY = 0;
  int m_nPhotoboothCopyJpegPrintCropW = 0;
  int m_nPhotoboothCopyJpegPrintCropH = 0;
  BOOL m_bPhotoboothCopyJpegPrintResize = FALSE;
  int m_nPhotoboothCopyJpegPrintResizeW = 0;
  int m_nPhotoboothCopyJpegPrintResizeH = 0;
  int m_nPhotoboothCopyJpegPrintRotate = 0;
  BOOL m_bPhotoboothCustomLayout = TRUE;
  BOOL m_bPhotoboothCustomDoubleStrip = FALSE;
  int m_nPhotoboothDefaultProfile = 0;
  LONGLONG m_nPhotoboothInactivityTimeout = 0;
  PhotoboothCaption m_captions[kLayoutCaptionCount];
  PhotoboothCustomLayoutBox m_layoutBoxes[kLayoutBoxCount];
  CString m_strPhotoboothProfiles[kPhotoboothProfileCount];
  PhotoboothTouchscreenButton m_touchscreenButtons[kPhotoboothTouchscreenButtonCount];
};

/// Every value the view keeps in the registry, with its default.
struct ViewSettings : ViewGeneralSettings, PhotoboothViewSettings {};

/// The rows of the table in save order; the pointers lead into `settings` and the globals.
std::vector<SettingEntry> BuildSettingsTable(ViewSettings& settings);
/// An auto-bracket series takes 1 to 49 shots, whatever the registry holds.
inline int ClampAutoBracketShots(int shots) { return shots < 1 ? 1 : (shots > 49 ? 49 : shots); }

/// Reads every row from the open key; rows that do not read keep their members. Shows the one
/// warning of a layout stored by an older version.
void LoadSettingsTable(HKEY key, const std::vector<SettingEntry>& table);
/// Writes every row that is not read-only; results ignored.
void SaveSettingsTable(HKEY key, const std::vector<SettingEntry>& table);

/// FALSE (value untouched) unless the value exists as REG_DWORD of 4 bytes.
BOOL ReadRegDword(HKEY key, const char* name, DWORD& value);
/// FALSE (text untouched) unless REG_SZ/REG_EXPAND_SZ, terminated, under kMaxSettingText.
BOOL ReadRegText(HKEY key, const char* name, CString& text, DWORD maxSize = kMaxSettingText);
/// FALSE (buffer untouched) unless REG_BINARY of minSize..maxSize bytes; the caller owns `data`.
BOOL ReadRegBinary(HKEY key, const char* name, std::vector<BYTE>& data, DWORD minSize, DWORD maxSize);
void WriteRegDword(HKEY key, const char* name, DWORD value);
void WriteRegText(HKEY key, const char* name, const char* text);

/// Decimal text with a comma or a point as separator; FALSE (result untouched) when it is none.
BOOL ParseLocaleNumber(const char* text, double& result);
/// The shipped "PhotoboothImages" folder (beside the program when it has none).
CString DefaultPhotoboothImageDir();

/// A fraction as the registry keeps it: ten-thousandths rounded to the nearest.
DWORD LevelToStored(double level);
double StoredToLevel(DWORD stored);

