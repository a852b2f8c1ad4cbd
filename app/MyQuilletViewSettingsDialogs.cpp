// The openers of the program's settings dialogs: each edits copies of the view's settings and
// takes them back only on OK (the registry is written when the view saves its settings).
#include "app/MyQuilletView.h"
#include "app/Resource.h"
#include "config/AutoBracketDlg.h"
#include "config/ColorMgtDlg.h"
#include "config/EditorSetupDlg.h"
#include "config/GridDlg.h"
#include "config/HighlightSettings.h"
#include "config/PostProcessingDlg.h"
#include "config/PreferencesDlg.h"
#include "config/SharpeningDlg.h"
#include "support/ProgramGlobals.h"

namespace {

constexpr DWORD kRelContrast = 0x08000008;
constexpr DWORD kRelSaturation = 0x0800000A;
constexpr DWORD kRelSharpness = 0x08000009;

}  // namespace

void CMyQuilletView::SendImageSettings(CCamera* camera) {
  int* fields[] = {&m_nContrast, &m_nSaturation, &m_nSharpness};
  const DWORD ids[] = {kRelContrast, kRelSaturation, kRelSharpness};
  for (int i = 0; i < 3; ++i) {
    BYTE byte = static_cast<BYTE>(*fields[i]);
    camera->SetRelCamSetting(ids[i], 1, &byte);
    if (camera->GetRelCamSetting(ids[i], 1, &byte)) *fields[i] = byte == 255 ? -1 : byte;
  }
}

// Every opener saves the settings after OK, so a crash or power cut keeps what was set.
bool CMyQuilletView::OnSettingsCommand(UINT id) {
  switch (id) {
    case ID_PREFERENCES: OnPreferences(); return true;
    case ID_GRID_SETTINGS: OnGridSettings(); return true;
    case ID_HIGHLIGHT_SETTINGS: OnHighlightSettings(); return true;
    case ID_SHARPENING_SETTINGS: OnSharpeningSettings(); return true;
    case ID_SETUP_EDITOR: OnSetupEditor(); return true;
    case ID_POST_PROCESSING: OnPostProcessing(); return true;
    case ID_COLOUR_MANAGEMENT: OnColourManagement(); return true;
    default: return false;
  }
}

void CMyQuilletView::OnPreferences() {
  CPreferencesDlg dialog(this);
  dialog.m_strFilenamePrefix = m_strFilenamePrefix;
  dialog.m_strDirectory = m_strDirectory;
  dialog.m_bPrefixWithComment = m_bPrefixWithComment;
  dialog.m_bAppendLetterDuringAEB = m_bAppendLetterDuringAEB;
  dialog.m_bYear = m_bYear;
  dialog.m_bMonth = m_bMonth;
  dialog.m_bDay = m_bDay;
  dialog.m_bFlattenDate = m_bFlattenDate;
  dialog.m_nMiddleBtnAction = m_nMiddleBtnAction;
  dialog.m_nRightBtnAction = m_nRightBtnAction;
  dialog.m_nMouseWheelAction = m_nMouseWheelAction;
  dialog.m_nPreviewSize = m_nPreviewSize;
  dialog.m_nContrast = m_nContrast + 1;
  dialog.m_nSaturation = m_nSaturation + 1;
  dialog.m_nSharpness = m_nSharpness + 1;
  dialog.m_bImageSettingsSupported = m_bImageSettingsSupported;
  dialog.m_strComment = GetCommentText();
  dialog.m_strPhotoboothImagesDir = m_strPhotoboothImagesDir;
  dialog.m_nNumberOfPhotoboothImages = m_nNumberOfPhotoboothImages;
  if (dialog.DoModal() != IDOK) return;
  m_strFilenamePrefix = dialog.m_strFilenamePrefix;
  m_strDirectory = dialog.m_strDirectory;
  m_bPrefixWithComment = dialog.m_bPrefixWithComment;
  m_bAppendLetterDuringAEB = dialog.m_bAppendLetterDuringAEB;
  m_bYear = dialog.m_bYear;
  m_bMonth = dialog.m_bMonth;
  m_bDay = dialog.m_bDay;
  m_bFlattenDate = dialog.m_bFlattenDate;
  m_nMiddleBtnAction = dialog.m_nMiddleBtnAction;
  m_nRightBtnAction = dialog.m_nRightBtnAction;
  m_nMouseWheelAction = dialog.m_nMouseWheelAction;
  m_nPreviewSize = dialog.m_nPreviewSize;
  // A list without a selection leaves the stored value.
  if (dialog.m_nContrast >= 0) m_nContrast = dialog.m_nContrast - 1;
  if (dialog.m_nSaturation >= 0) m_nSaturation = dialog.m_nSaturation - 1;
  if (dialog.m_nSharpness >= 0) m_nSharpness = dialog.m_nSharpness - 1;
  UpdateCameraViewSettings();
  if (m_pCamera && m_pCamera->IsConnected() && m_bImageSettingsSupported && !m_pCamera->IsPrsdk())
    SendImageSettings(m_pCamera);
  SaveSettings();
}

void CMyQuilletView::OnGridSettings() {
  CGridDlg dialog(this);
  dialog.m_bDisplayGrid = m_bDisplayGrid;
  dialog.m_nColour = static_cast<COLORREF>(m_nGridColour);
  dialog.m_nHorizontalDivisions = m_nHorizontalGridDivisions;
  dialog.m_nVerticalDivisions = m_nVerticalGridDivisions;
  if (dialog.DoModal() != IDOK) return;
  bool changed = dialog.m_bDisplayGrid != m_bDisplayGrid || static_cast<int>(dialog.m_nColour) != m_nGridColour ||
                 dialog.m_nHorizontalDivisions != m_nHorizontalGridDivisions ||
                 dialog.m_nVerticalDivisions != m_nVerticalGridDivisions;
  m_bDisplayGrid = dialog.m_bDisplayGrid;
  m_nGridColour = static_cast<int>(dialog.m_nColour);
  m_nHorizontalGridDivisions = dialog.m_nHorizontalDivisions;
  m_nVerticalGridDivisions = dialog.m_nVerticalDivisions;
  SaveSettings();
  if (changed) {
    UpdateControls();
    RefreshDisplay();
  }
}

void CMyQuilletView::OnHighlightSettings() {
  CHighlightSettings dialog(this);
  dialog.m_nMethod = m_nHighlightBlinkMethod;
  dialog.m_nThreshold = m_nHighlightBlinkThreshold;
  if (dialog.DoModal() != IDOK) return;
  bool changed = dialog.m_nMethod != m_nHighlightBlinkMethod || dialog.m_nThreshold != m_nHighlightBlinkThreshold;
  m_nHighlightBlinkMethod = dialog.m_nMethod;
  m_nHighlightBlinkThreshold = dialog.m_nThreshold;
  SaveSettings();
  if (changed && m_bHighlightBlink) RefreshDisplay();
}

void CMyQuilletView::OnSharpeningSettings() {
  CSharpeningDlg dialog(this);
  dialog.m_bSharpen = m_bSharpen;
  dialog.m_nAmount = m_nSharpenAmount;
  if (dialog.DoModal() != IDOK) return;
  m_bSharpen = dialog.m_bSharpen;
  m_nSharpenAmount = dialog.m_nAmount;
  SaveSettings();
  UpdateControls();
  RefreshDisplay();
}

void CMyQuilletView::OnSetupEditor() {
  CEditorSetupDlg dialog(this);
  dialog.m_strCommand = m_strLaunchEditorCmd;
  dialog.m_nAutoEdit = m_nAutoEdit;
  dialog.m_nShellExecute = m_nShellExecute;
  if (dialog.DoModal() != IDOK) return;
  m_strLaunchEditorCmd = dialog.m_strCommand;
  m_nAutoEdit = dialog.m_nAutoEdit;
  m_nShellExecute = dialog.m_nShellExecute;
  SaveSettings();
}

void CMyQuilletView::OnPostProcessing() {
  CPostProcessingDlg dialog(this);
  dialog.m_nEnable = m_nPostProcessingEnable;
  dialog.m_nResize = m_nPostProcessingResize;
  dialog.m_nResizeWidth = m_nPostProcessingResizeWidth;
  dialog.m_nResizeHeight = m_nPostProcessingResizeHeight;
  dialog.m_nLevel = m_nPostProcessingLevel;
  dialog.m_dLevelBlack = m_dPostProcessingLevelBlack;
  dialog.m_dLevelWhite = m_dPostProcessingLevelWhite;
  dialog.m_nSharpen = m_nPostProcessingSharpen;
  dialog.m_nSharpenAmount = m_nPostProcessingSharpenAmount;
  dialog.m_nJpegQuality = m_nPostProcessingJpegQuality;
  if (dialog.DoModal() != IDOK) return;
  m_nPostProcessingEnable = dialog.m_nEnable;
  m_nPostProcessingResize = dialog.m_nResize;
  m_nPostProcessingResizeWidth = dialog.m_nResizeWidth;
  m_nPostProcessingResizeHeight = dialog.m_nResizeHeight;
  m_nPostProcessingLevel = dialog.m_nLevel;
  m_dPostProcessingLevelBlack = dialog.m_dLevelBlack;
  m_dPostProcessingLevelWhite = dialog.m_dLevelWhite;
  m_nPostProcessingSharpen = dialog.m_nSharpen;
  m_nPostProcessingSharpenAmount = dialog.m_nSharpenAmount;
  m_nPostProcessingJpegQuality = dialog.m_nJpegQuality;
  SaveSettings();
  UpdateCameraViewSettings();
  UpdateMenu();
}

void CMyQuilletView::OnColourManagement() {
  CColorMgtDlg dialog(this);
  dialog.m_bEnableColourManagement = g_bEnableColourManagement;
  dialog.m_strMonitorProfile = g_strMonitorProfile;
  dialog.m_strCameraProfile = g_strCameraProfile;
  dialog.m_strPrinterProfile = m_strPrinterProfile;
  dialog.m_bEnablePrinterColourManagement = m_bEnablePrinterColourManagement;
  if (dialog.DoModal() != IDOK) return;
  // The display reads the program-wide values at its next render.
  g_bEnableColourManagement = dialog.m_bEnableColourManagement;
  g_strMonitorProfile = dialog.m_strMonitorProfile;
  g_strCameraProfile = dialog.m_strCameraProfile;
  m_strPrinterProfile = dialog.m_strPrinterProfile;
  m_bEnablePrinterColourManagement = dialog.m_bEnablePrinterColourManagement;
  SaveSettings();
  UpdateControls();
  RefreshDisplay();
}

void CMyQuilletView::OnAutoBracketSettings() {
  CAutoBracketDlg dialog(this);
  dialog.m_nNumShots = m_nAutoBracketNumShots;
  dialog.m_nInterval = m_nAutoBracketInterval;
  dialog.m_bUsingTv = m_bAutoBracketUsingTv;
  dialog.m_nCmdEnable = m_nAutoBracketCmdEnable;
  dialog.m_strCmd = m_strAutoBracketCmd;
  if (dialog.DoModal() != IDOK) return;
  m_nAutoBracketNumShots = dialog.m_nNumShots;
  m_nAutoBracketInterval = dialog.m_nInterval;
  m_bAutoBracketUsingTv = dialog.m_bUsingTv;
  m_nAutoBracketCmdEnable = dialog.m_nCmdEnable;
  m_strAutoBracketCmd = dialog.m_strCmd;
  SaveSettings();
}
