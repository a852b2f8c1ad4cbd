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
#include "platform/registry/registry.h"
#include "platform/win32/windef.h"

/// The longest text value accepted, terminator included.
const DWORD kMaxSettingText = 10240;
/// Printer records are accepted from 1 to this many bytes.
const DWORD kMaxPrinterRecord = 102399;

// Program-wide settings kept outside the view.
extern BOOL g_bEnableColourManagement;
extern int g_nCustomNaming;

enum class SettingKind {
  Flag,      // BOOL member
  Number,    // int member
  Text,      // CString member
  Font,      // LOGFONTA member, 60 bytes
  Level,     // double fraction stored as a count of ten-thousandths
  Scale,     // int clamped to 1..5 on load
};

struct SettingEntry {
  const char* name;
  SettingKind kind;
  void* member;
  bool readOnly = false;  // read at start, never written (set only by editing the registry)
};

/// Every value the view keeps in the registry, with its default.
struct ViewSettings {
  ViewSettings();

  BOOL m_bDisplayGrid = FALSE;
  int m_nGridColour;
  int m_nHorizontalGridDivisions = 9;
  int m_nVerticalGridDivisions = 9;
  BOOL m_bHighlightBlink = FALSE;
  int m_nHighlightBlinkMethod = 0;
  int m_nHighlightBlinkThreshold = 250;
  CString m_strFilenamePrefix;
  CString m_strDirectory;
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
  LOGFONTA m_photoboothMsgFont;
};

/// The rows of the table in save order; the pointers lead into `settings` and the globals.
std::vector<SettingEntry> BuildSettingsTable(ViewSettings& settings);
/// An auto-bracket series takes 1 to 49 shots, whatever the registry holds.
inline int ClampAutoBracketShots(int shots) { return shots < 1 ? 1 : (shots > 49 ? 49 : shots); }

/// Reads every row from the open key; rows that do not read keep their members.
void LoadSettingsTable(HKEY key, const std::vector<SettingEntry>& table);
/// Writes every row that is not read-only; results ignored.
void SaveSettingsTable(HKEY key, const std::vector<SettingEntry>& table);

/// FALSE (value untouched) unless the value exists as REG_DWORD of 4 bytes.
BOOL ReadRegDword(HKEY key, const char* name, DWORD& value);
/// FALSE (text untouched) unless REG_SZ/REG_EXPAND_SZ, terminated, under kMaxSettingText.
BOOL ReadRegText(HKEY key, const char* name, CString& text);
/// FALSE (buffer untouched) unless REG_BINARY of minSize..maxSize bytes; the caller owns `data`.
BOOL ReadRegBinary(HKEY key, const char* name, std::vector<BYTE>& data, DWORD minSize, DWORD maxSize);
void WriteRegDword(HKEY key, const char* name, DWORD value);
void WriteRegText(HKEY key, const char* name, const char* text);

/// A fraction as the registry keeps it: ten-thousandths rounded to the nearest.
DWORD LevelToStored(double level);
double StoredToLevel(DWORD stored);

/// The 60-byte LOGFONT of a 28-point "Arial" font for the screen.
LOGFONTA MakeDefaultMessageFont();
/// Where photos go by default: the home folder's "Photos".
CString DefaultPhotoDirectory();
