#include "app/SettingsStore.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstring>
#include <string>

#include "app/DataFiles.h"
#include "camera/CameraNaming.h"
#include "platform/mfc/gdiobjects.h"
#include "platform/user/messagebox.h"
#include "platform/win32/folders.h"
#include "keyboard/KeyboardGlobals.h"
#include "printlayout/PresetPrintLayoutsDlg.h"
#include "support/PipSession.h"
#include "support/ProgramGlobals.h"

int g_nCustomNaming = 0;
int g_nPhotoboothJpegSaveDPI = 300;
int g_nPhotoboothConfirmPrintingTimeout = 300;
BOOL g_bPhotoboothConfirmPrintingTimeoutAction = FALSE;
int g_nFacebookUploadTimeout = 30;
int g_nTwitterUploadTimeout = 30;
int g_nFacebookLoginWindowWidth = 690;
int g_nFacebookLoginWindowHeight = 480;
// g_bDitherGIFs lives with the quantizer that reads it (support/OctreeQuantizer.cpp).
BOOL g_bPhotoboothStatusCmdEnable = FALSE;
int g_nPhotoboothPrintPreviewX = 0, g_nPhotoboothPrintPreviewY = 0, g_nPhotoboothPrintPreviewW = 0,
    g_nPhotoboothPrintPreviewH = 0, g_nPhotoboothPrintPreviewRotate = 0;
int g_nPhotoboothPhotoPreviewX = 0, g_nPhotoboothPhotoPreviewY = 0, g_nPhotoboothPhotoPreviewW = 0,
    g_nPhotoboothPhotoPreviewH = 0;
int g_nPhotoboothResizeMode = 3;
PhotoboothShortcutButton g_photoboothShortcutButtons[kPhotoboothShortcutButtonCount] = {
    {1353, TRUE}, {1359, FALSE}, {1354, TRUE}, {1355, TRUE}, {1356, TRUE}, {1360, FALSE}, {1357, TRUE}};

const char kDefaultEmailHtml[] =
    "<html><body>\r\n<p>Your photo booth photos taken on %L</p>\n<p><img src=\"{image}\"></p>\r\n</body></html>";

CString DefaultPhotoboothImageDir() {
  CString shipped = FindDataFile("PhotoboothImages");
  if (!shipped.IsEmpty()) return shipped;
  return CString(GetProgramFolder() + "/PhotoboothImages");
}

BOOL ParseLocaleNumber(const char* text, double& result) {
  if (!text) return FALSE;
  // Either separator is taken, whatever the locale writes.
  std::string number(text);
  std::replace(number.begin(), number.end(), ',', '.');
  const char* begin = number.c_str();
  while (*begin == ' ' || *begin == '\t') ++begin;
  if (*begin == '+') ++begin;
  double value = 0;
  auto [end, error] = std::from_chars(begin, number.c_str() + number.size(), value);
  if (error != std::errc() || end == begin) return FALSE;
  result = value;
  return TRUE;
}

CString DefaultPhotoDirectory() { return CString(GetHomeFolder() + "/Photos"); }

LOGFONTA MakeDefaultMessageFont() {
  LOGFONTA font{};
  CFont made;
  if (made.CreatePointFont(280, "Arial") && made.GetLogFont(&font) == sizeof(LOGFONTA)) return font;
  font = LOGFONTA{};
  font.lfHeight = -37;  // 28 points at 96 dpi
  font.lfWeight = 400;
  std::strncpy(font.lfFaceName, "Arial", sizeof(font.lfFaceName) - 1);
  return font;
}

DWORD LevelToStored(double level) {
  // Rounded, so that a level survives the round trip (0.0029 x 10,000 is 28.999...).
  double stored = std::floor(level * 10000.0 + 0.5);
  if (!(stored >= 0)) return 0;
  if (stored > 4294967295.0) return 0xFFFFFFFFu;
  return static_cast<DWORD>(stored);
}

double StoredToLevel(DWORD stored) { return stored * 0.0001; }

std::vector<SettingEntry> BuildSettingsTable(ViewSettings& s) {
  using K = SettingKind;
  return {
      {"DisplayGrid", K::Flag, &s.m_bDisplayGrid},
      {"GridColour", K::Number, &s.m_nGridColour},
      {"NumberOfHorizontalGridDivisions", K::Number, &s.m_nHorizontalGridDivisions},
      {"NumberOfVerticalGridDivisions", K::Number, &s.m_nVerticalGridDivisions},
      {"HighlightBlink", K::Flag, &s.m_bHighlightBlink},
      {"HighlightBlinkMethod", K::Number, &s.m_nHighlightBlinkMethod},
      {"HighlightBlinkThreshold", K::Number, &s.m_nHighlightBlinkThreshold},
      {"FilenamePrefix", K::Text, &s.m_strFilenamePrefix},
      {"Directory", K::Text, &s.m_strDirectory},
      {"Year", K::Flag, &s.m_bYear},
      {"Month", K::Flag, &s.m_bMonth},
      {"Day", K::Flag, &s.m_bDay},
      {"PrefixWithComment", K::Flag, &s.m_bPrefixWithComment},
      {"AppendLetterDuringAEB", K::Flag, &s.m_bAppendLetterDuringAEB},
      {"FlattenDate", K::Flag, &s.m_bFlattenDate},
      {"MiddleBtnAction", K::Number, &s.m_nMiddleBtnAction},
      {"RightBtnAction", K::Number, &s.m_nRightBtnAction},
      {"MouseWheelAction", K::Number, &s.m_nMouseWheelAction},
      {"BlankScreenWhenTakingPhoto", K::Flag, &s.m_bBlankScreenWhenTakingPhoto},
      {"StoreImage", K::Number, &s.m_nStoreImage},
      {"LaunchEditorCmd", K::Text, &s.m_strLaunchEditorCmd},
      {"AutoEdit", K::Number, &s.m_nAutoEdit},
      {"ShellExecute", K::Number, &s.m_nShellExecute},
      {"PreviewSize", K::Number, &s.m_nPreviewSize},
      {"Intensity", K::Flag, &s.m_bIntensity},
      {"Red", K::Flag, &s.m_bRed},
      {"Green", K::Flag, &s.m_bGreen},
      {"Blue", K::Flag, &s.m_bBlue},
      {"ViewfinderStayOnTop", K::Number, &s.m_nViewfinderStayOnTop},
      {"ViewfinderOnionSkinning", K::Number, &s.m_nViewfinderOnionSkinning},
      {"ViewfinderScale", K::Scale, &s.m_nViewfinderScale},
      {"Crop", K::Flag, &s.m_bCrop},
      {"CropX1", K::Number, &s.m_nCropX1},
      {"CropY1", K::Number, &s.m_nCropY1},
      {"CropX2", K::Number, &s.m_nCropX2},
      {"CropY2", K::Number, &s.m_nCropY2},
      {"TimelapseInterval", K::Number, &s.m_nTimelapseInterval},
      {"TimelapseNumFrames", K::Number, &s.m_nTimelapseNumFrames},
      {"AutoBracket", K::Number, &s.m_nAutoBracket},
      {"AutoBracketNumShots", K::Number, &s.m_nAutoBracketNumShots},
      {"AutoBracketInterval", K::Number, &s.m_nAutoBracketInterval},
      {"AutoBracketUsingTv", K::Flag, &s.m_bAutoBracketUsingTv},
      {"AutoBracketCmdEnable", K::Number, &s.m_nAutoBracketCmdEnable},
      {"AutoBracketCmd", K::Text, &s.m_strAutoBracketCmd},
      {"Sharpen", K::Flag, &s.m_bSharpen},
      {"SharpenAmount", K::Number, &s.m_nSharpenAmount},
      {"FullscreenCaption", K::Flag, &s.m_bFullscreenCaption},
      {"MonitorProfile", K::Text, &g_strMonitorProfile},
      {"CameraProfile", K::Text, &g_strCameraProfile},
      {"EnableColourManagement", K::Flag, &g_bEnableColourManagement},
      {"PrinterProfile", K::Text, &s.m_strPrinterProfile},
      {"EnablePrinterColourManagement", K::Flag, &s.m_bEnablePrinterColourManagement},
      {"PostProcessingEnable", K::Number, &s.m_nPostProcessingEnable},
      {"PostProcessingResize", K::Number, &s.m_nPostProcessingResize},
      {"PostProcessingResizeWidth", K::Number, &s.m_nPostProcessingResizeWidth},
      {"PostProcessingResizeHeight", K::Number, &s.m_nPostProcessingResizeHeight},
      {"PostProcessingLevel", K::Number, &s.m_nPostProcessingLevel},
      {"PostProcessingLevelBlack", K::Level, &s.m_dPostProcessingLevelBlack},
      {"PostProcessingLevelWhite", K::Level, &s.m_dPostProcessingLevelWhite},
      {"PostProcessingSharpen", K::Number, &s.m_nPostProcessingSharpen},
      {"PostProcessingSharpenAmount", K::Number, &s.m_nPostProcessingSharpenAmount},
      {"PostProcessingJpegQuality", K::Number, &s.m_nPostProcessingJpegQuality},
      {"AutoReconnect", K::Flag, &s.m_bAutoReconnect},
      {"MinZoomSetting", K::Number, &s.m_nMinZoomSetting, true},
      {"MaxZoomSetting", K::Number, &s.m_nMaxZoomSetting, true},
      {"CustomNaming", K::Number, &g_nCustomNaming, true},
      {"CustomNamingSeparator", K::Text, &g_strCustomNamingSeparator, true},
      // Photobooth, sharing and layout values.
      {"GreenScreenRedPercentage", K::Word, &s.m_nGreenScreenRedPercentage},
      {"GreenScreenBluePercentage", K::Word, &s.m_nGreenScreenBluePercentage},
      {"GreenScreenGreenThreshold", K::Word, &s.m_nGreenScreenGreenThreshold},
      {"GreenScreenEnable", K::Flag, &s.m_bGreenScreenEnable},
      {"BlueScreen", K::Flag, &s.m_bBlueScreen},
      {"GreenScreenBackgroundImage", K::Text, &s.m_strGreenScreenBackgroundImage},
      {"PhotoboothKeyboard", K::Number, &s.m_nPhotoboothKeyboard},
      {"PhotoboothKeyboardTimeout", K::Number, &KeyboardTimeout},
      {"PhotoboothSuppressXml", K::Flag, &s.m_bPhotoboothSuppressXml},
      {"PhotoboothSaveLayoutEvenIfRejected", K::Flag, &s.m_bPhotoboothSaveLayoutEvenIfRejected},
      {"PhotoboothSaveGreenscreenedImage", K::Flag, &s.m_bPhotoboothSaveGreenscreenedImage},
      {"PhotoboothDelayBeforePrintingInSecs", K::Number, &s.m_nPhotoboothDelayBeforePrintingInSecs},
      {"PhotoboothFastResize", K::FastResize, &s.m_bPhotoboothFastResize},
      {"PhotoboothJpegSaveDPI", K::Number, &g_nPhotoboothJpegSaveDPI},
      {"PhotoboothJpegSaveQuality", K::Word, &g_nJpegQuality, false, 10, 100},
      {"NumberOfPhotoboothImages", K::Clamped, &s.m_nNumberOfPhotoboothImages, false, 1, 20},
      {"PhotoboothBackgroundColor", K::Number, &s.m_nPhotoboothBackgroundColor},
      {"PhotoboothShowDashboard", K::Flag, &s.m_bPhotoboothShowDashboard},
      {"PhotoboothCameraReleaseLag", K::Number, &s.m_nPhotoboothCameraReleaseLag},
      {"PhotoboothNumberOfRows", K::Number, &s.m_nPhotoboothNumberOfRows},
      {"PhotoboothNumberOfColumns", K::Number, &s.m_nPhotoboothNumberOfColumns},
      {"PhotoboothRotateToFitPaper", K::Flag, &s.m_bPhotoboothRotateToFitPaper},
      {"PhotoboothRepeatToFillEmptyCols", K::Flag, &s.m_bPhotoboothRepeatToFillEmptyCols},
      {"PhotoboothFirstInterval", K::Number, &s.m_nPhotoboothFirstInterval},
      {"PhotoboothInterval", K::Interval, &s.m_nPhotoboothInterval},
      {"PhotoboothCropToFit", K::Flag, &s.m_bPhotoboothCropToFit},
      {"PhotoboothSaveJpegCopyOfPrints", K::Number, &s.m_nPhotoboothSaveJpegCopyOfPrints},
      {"PhotoboothConfirmPrinting", K::Flag, &s.m_bPhotoboothConfirmPrinting},
      {"PhotoboothConfirmPrintingTimeout", K::Number, &g_nPhotoboothConfirmPrintingTimeout},
      {"PhotoboothConfirmPrintingTimeoutAction", K::Flag, &g_bPhotoboothConfirmPrintingTimeoutAction},
      {"PhotoboothThumnailEnable", K::Flag, &s.m_bPhotoboothThumnailEnable},
      {"PhotoboothThumnailShowAtEnd", K::Flag, &s.m_bPhotoboothThumnailShowAtEnd},
      {"PhotoboothThumnailX", K::Number, &s.m_nPhotoboothThumnailX},
      {"PhotoboothThumnailY", K::Number, &s.m_nPhotoboothThumnailY},
      {"PhotoboothThumnailW", K::Number, &s.m_nPhotoboothThumnailW},
      {"PhotoboothThumnailXSpacing", K::Number, &s.m_nPhotoboothThumnailXSpacing},
      {"PhotoboothThumnailYSpacing", K::Number, &s.m_nPhotoboothThumnailYSpacing},
      {"PhotoboothSharingTimeout", K::Number, &s.m_nPhotoboothSharingTimeout},
      {"PhotoboothSharePreviewX", K::Number, &s.m_nPhotoboothSharePreviewX},
      {"PhotoboothSharePreviewY", K::Number, &s.m_nPhotoboothSharePreviewY},
      {"PhotoboothSharePreviewW", K::Number, &s.m_nPhotoboothSharePreviewW},
      {"PhotoboothSharePreviewH", K::Number, &s.m_nPhotoboothSharePreviewH},
      {"PrintOptionInSharingScreen", K::Flag, &s.m_bPrintOptionInSharingScreen},
      {"PrintOptionInSharingScreenLimit", K::Number, &s.m_nPrintOptionInSharingScreenLimit},
      {"PrintOptionInSharingScreenLimitMsg", K::Text, &s.m_strPrintOptionInSharingScreenLimitMsg},
      {"PhotoboothFbUpload", K::Flag, &s.m_bPhotoboothFbUpload},
      {"PhotoboothFbAlbum", K::Text, &s.m_strPhotoboothFbAlbum},
      {"PhotoboothFbAlbumDesc", K::Text, &s.m_strPhotoboothFbAlbumDesc},
      {"PhotoboothFbComment", K::Text, &s.m_strPhotoboothFbComment},
      {"PhotoboothFbMaxWidth", K::Number, &s.m_nPhotoboothFbMaxWidth},
      {"PhotoboothFbMaxHeight", K::Number, &s.m_nPhotoboothFbMaxHeight},
      {"PhotoboothFbRotate", K::Number, &s.m_nPhotoboothFbRotate},
      {"FacebookUploadTimeout", K::Number, &g_nFacebookUploadTimeout},
      {"FacebookLoginWindowWidth", K::Number, &g_nFacebookLoginWindowWidth},
      {"FacebookLoginWindowHeight", K::Number, &g_nFacebookLoginWindowHeight},
      {"PhotoboothFbCrop", K::Flag, &s.m_bPhotoboothFbCrop},
      {"PhotoboothFbCropX", K::Number, &s.m_nPhotoboothFbCropX},
      {"PhotoboothFbCropY", K::Number, &s.m_nPhotoboothFbCropY},
      {"PhotoboothFbCropW", K::Number, &s.m_nPhotoboothFbCropW},
      {"PhotoboothFbCropH", K::Number, &s.m_nPhotoboothFbCropH},
      {"PhotoboothLogFacebookAddresses", K::Flag, &s.m_bPhotoboothLogFacebookAddresses},
      {"PhotoboothLogFacebookPathname", K::Text, &s.m_strPhotoboothLogFacebookPathname},
      {"PhotoboothEmail", K::Flag, &s.m_bPhotoboothEmail},
      {"PhotoboothEmailOfflineMode", K::Flag, &s.m_bPhotoboothEmailOfflineMode},
      {"PhotoboothEmailHost", K::Text, &s.m_strPhotoboothEmailHost},
      {"PhotoboothEmailPassword", K::Scrambled, &s.m_strPhotoboothEmailPassword},
      {"PhotoboothEmailUsername", K::Text, &s.m_strPhotoboothEmailUsername},
      {"PhotoboothEmailPort", K::Number, &s.m_nPhotoboothEmailPort},
      {"PhotoboothEmailSSL", K::Flag, &s.m_bPhotoboothEmailSSL},
      {"PhotoboothLogEmailAddresses", K::Flag, &s.m_bPhotoboothLogEmailAddresses},
      {"PhotoboothLogEmailPathname", K::Text, &s.m_strPhotoboothLogEmailPathname},
      {"PhotoboothEmailFrom", K::Text, &s.m_strPhotoboothEmailFrom},
      {"PhotoboothEmailSubject", K::Text, &s.m_strPhotoboothEmailSubject},
      {"PhotoboothEmailMsgText", K::Text, &s.m_strPhotoboothEmailMsgText},
      {"PhotoboothEmailMsgHTML", K::LongText, &s.m_strPhotoboothEmailMsgHTML},
      {"PhotoboothEmailRotate", K::Number, &s.m_nPhotoboothEmailRotate},
      {"PhotoboothEmailMaxWidth", K::Number, &s.m_nPhotoboothEmailMaxWidth},
      {"PhotoboothEmailMaxHeight", K::Number, &s.m_nPhotoboothEmailMaxHeight},
      {"PhotoboothEmailCrop", K::Flag, &s.m_bPhotoboothEmailCrop},
      {"PhotoboothEmailCropX", K::Number, &s.m_nPhotoboothEmailCropX},
      {"PhotoboothEmailCropY", K::Number, &s.m_nPhotoboothEmailCropY},
      {"PhotoboothEmailCropW", K::Number, &s.m_nPhotoboothEmailCropW},
      {"PhotoboothEmailCropH", K::Number, &s.m_nPhotoboothEmailCropH},
      {"PhotoboothKeyboardEmailErrorMsg", K::Text, &KeyboardEmailErrorMessage},
      {"EnableTwitter", K::Flag, &s.m_bEnableTwitter},
      {"PhotoboothTwitterComment", K::Text, &s.m_strPhotoboothTwitterComment},
      {"PhotoboothTwitterMaxWidth", K::Number, &s.m_nPhotoboothTwitterMaxWidth},
      {"PhotoboothTwitterMaxHeight", K::Number, &s.m_nPhotoboothTwitterMaxHeight},
      {"PhotoboothTwitterRotate", K::Number, &s.m_nPhotoboothTwitterRotate},
      {"PhotoboothTwitterCrop", K::Flag, &s.m_bPhotoboothTwitterCrop},
      {"PhotoboothTwitterCropX", K::Number, &s.m_nPhotoboothTwitterCropX},
      {"PhotoboothTwitterCropY", K::Number, &s.m_nPhotoboothTwitterCropY},
      {"PhotoboothTwitterCropW", K::Number, &s.m_nPhotoboothTwitterCropW},
      {"PhotoboothTwitterCropH", K::Number, &s.m_nPhotoboothTwitterCropH},
      {"LogTwitterUploads", K::Flag, &s.m_bLogTwitterUploads},
      {"LogTwitterPathname", K::Text, &s.m_strLogTwitterPathname},
      {"EnableMMS", K::Flag, &s.m_bEnableMMS},
      {"MmsTwilioFrom", K::Text, &s.m_strMmsTwilioFrom},
      {"MmsTwilioAccountSID", K::Text, &s.m_strMmsTwilioAccountSID},
      {"MmsTwilioAuthToken", K::Scrambled, &s.m_strMmsTwilioAuthToken},
      {"MmsCountryPrefix", K::Text, &s.m_strMmsCountryPrefix},
      {"MmsMessage", K::Text, &s.m_strMmsMessage},
      {"MmsUploadTimeout", K::Number, &s.m_nMmsUploadTimeout},
      {"MmsCrop", K::Flag, &s.m_bMmsCrop},
      {"MmsCropX", K::Number, &s.m_nMmsCropX},
      {"MmsCropY", K::Number, &s.m_nMmsCropY},
      {"MmsCropW", K::Number, &s.m_nMmsCropW},
      {"MmsCropH", K::Number, &s.m_nMmsCropH},
      {"MmsMaxWidth", K::Number, &s.m_nMmsMaxWidth},
      {"MmsMaxHeight", K::Number, &s.m_nMmsMaxHeight},
      {"MmsRotate", K::Number, &s.m_nMmsRotate},
      {"MmsMsgType", K::Number, &s.m_nMmsMsgType},
      {"MmsMaxMsgLength", K::Number, &s.m_nMmsMaxMsgLength},
      {"LogMmsAddresses", K::Flag, &s.m_bLogMmsAddresses},
      {"LogMmsPathname", K::Text, &s.m_strLogMmsPathname},
      {"MmsOfflineMode", K::Flag, &s.m_bMmsOfflineMode},
      {"PhotoboothGifCreate", K::Flag, &s.m_bPhotoboothGifCreate},
      {"PhotoboothGifLoopingPlayback", K::Flag, &s.m_bPhotoboothGifLoopingPlayback},
      {"PhotoboothGifPingPongPlayback", K::Flag, &s.m_bPhotoboothGifPingPongPlayback},
      {"PhotoboothGifTitleAtEnd", K::Flag, &s.m_bPhotoboothGifTitleAtEnd},
      {"PhotoboothGifWidth", K::Number, &s.m_nPhotoboothGifWidth},
      {"PhotoboothGifImageDelay", K::Number, &s.m_nPhotoboothGifImageDelay},
      {"PhotoboothGifTitleDelay", K::Number, &s.m_nPhotoboothGifTitleDelay},
      {"PhotoboothGifOverlaysPerPhoto", K::Number, &s.m_nPhotoboothGifOverlaysPerPhoto},
      {"PhotoboothGifSizeW", K::Number, &s.m_nPhotoboothGifSizeW},
      {"PhotoboothGifSizeH", K::Number, &s.m_nPhotoboothGifSizeH},
      {"PhotoboothGifOffsetX", K::Number, &s.m_nPhotoboothGifOffsetX},
      {"PhotoboothGifOffsetY", K::Number, &s.m_nPhotoboothGifOffsetY},
      {"ShareAnimatedGIFs", K::Flag, &s.m_bShareAnimatedGIFs},
      {"ShareGifMaxPercentageUpscaling", K::Number, &s.m_nShareGifMaxPercentageUpscaling},
      {"PhotoboothGifPerPhoto", K::Flag, &s.m_bPhotoboothGifPerPhoto},
      {"DitherGIFs", K::Flag, &g_bDitherGIFs},
      {"PhotoboothGifCreateMP4", K::Flag, &s.m_bPhotoboothGifCreateMP4},
      {"PhotoboothMP4MinDuration", K::Number, &s.m_nPhotoboothMP4MinDuration},
      {"PhotoboothGifMP4Subfolder", K::Number, &s.m_nPhotoboothGifMP4Subfolder},
      {"PhotoboothEnableLiveView", K::Flag, &s.m_bPhotoboothEnableLiveView},
      {"PhotoboothMirrorLiveView", K::Flag, &s.m_bPhotoboothMirrorLiveView},
      {"PhotoboothAutoStandby", K::Flag, &s.m_bPhotoboothAutoStandby},
      {"PhotoboothClickerMode", K::Flag, &s.m_bPhotoboothClickerMode},
      {"PhotoboothSuppressEvfAfterFirstShot", K::Flag, &s.m_bPhotoboothSuppressEvfAfterFirstShot},
      {"PhotoboothSuppressEvfDuringPrinting", K::Flag, &s.m_bPhotoboothSuppressEvfDuringPrinting},
      {"StartPhotoboothOnConnect", K::Flag, &s.m_bStartPhotoboothOnConnect},
      {"PhotoboothSharpeningAmount", K::Number, &s.m_nPhotoboothSharpeningAmount},
      {"PhotoboothEnableSharpening", K::Flag, &s.m_bPhotoboothEnableSharpening},
      {"PhotoboothBW", K::Number, &s.m_nPhotoboothBW},
      {"PhotoboothToningHue", K::Number, &s.m_nPhotoboothToningHue},
      {"PhotoboothToningSaturation", K::Number, &s.m_nPhotoboothToningSaturation},
      {"PhotoboothEvfMaxHeight", K::Clamped, &s.m_nPhotoboothEvfMaxHeight, false, 100, 2147483647},
      {"PhotoboothEvfXOffset", K::EvfOffset, &s.m_nPhotoboothEvfXOffset},
      {"PhotoboothEvfYOffset", K::Number, &s.m_nPhotoboothEvfYOffset},
      {"PhotoboothEvfCrop", K::Number, &s.m_nPhotoboothEvfCrop},
      {"Photobooth3to2Crop", K::Flag, &s.m_bPhotobooth3to2Crop},
      {"PhotoboothTextYOffset", K::Number, &s.m_nPhotoboothTextYOffset},
      {"PhotoboothPreviewTime", K::Number, &s.m_nPhotoboothPreviewTime},
      {"PhotoboothMinProcessingDuration", K::Number, &s.m_nPhotoboothMinProcessingDuration},
      {"PhotoboothStatusCmdEnable", K::Flag, &g_bPhotoboothStatusCmdEnable, true},
      {"PhotoboothStatusCmd", K::Text, &g_strPhotoboothStatusCmd, true},
      {"PhotoboothStatusCmdXML", K::Text, &g_strPhotoboothStatusCmdXML, true},
      {"PhotoboothImageDir", K::Text, &s.m_strPhotoboothImageDir},
      {"QRcode", K::Text, &s.m_strQRcode},
      {"QRcodeQuality", K::Number, &s.m_nQRcodeQuality},
      {"PhotoboothMsg", K::Text, &s.m_strPhotoboothMsg},
      {"PhotoboothBorderInMM", K::Decimal, &s.m_dPhotoboothBorderInMM},
      {"PhotoboothMsgColour", K::Number, &s.m_nPhotoboothMsgColour},
      {"PhotoboothMsgFont", K::Font, &s.m_photoboothMsgFont},
      {"PhotoboothCaption", K::Captions, s.m_captions},
      {"PhotoboothShowProgress", K::Flag, &s.m_bPhotoboothShowProgress},
      {"PhotoboothUseMouseToTrigger", K::Number, &s.m_nPhotoboothUseMouseToTrigger},
      {"PhotoboothPrintCopies", K::Clamped, &s.m_nPhotoboothPrintCopies, false, 1, 9},
      {"PhotoboothPrintPreviewX", K::Number, &g_nPhotoboothPrintPreviewX},
      {"PhotoboothPrintPreviewY", K::Number, &g_nPhotoboothPrintPreviewY},
      {"PhotoboothPrintPreviewW", K::Number, &g_nPhotoboothPrintPreviewW},
      {"PhotoboothPrintPreviewH", K::Number, &g_nPhotoboothPrintPreviewH},
      {"PhotoboothPrintPreviewRotate", K::Number, &g_nPhotoboothPrintPreviewRotate},
      {"PhotoboothPhotoPreviewX", K::Number, &g_nPhotoboothPhotoPreviewX},
      {"PhotoboothPhotoPreviewY", K::Number, &g_nPhotoboothPhotoPreviewY},
      {"PhotoboothPhotoPreviewW", K::Number, &g_nPhotoboothPhotoPreviewW},
      {"PhotoboothPhotoPreviewH", K::Number, &g_nPhotoboothPhotoPreviewH},
      {"PhotoboothOutputFilename", K::Text, &s.m_strPhotoboothOutputFilename},
      {"PhotoboothImageBrowseDir", K::BrowseFolder, &g_strPhotoboothImageBrowseDir},
      {"PhotoboothTemplateBrowseDir", K::BrowseFolder, &g_strPhotoboothTemplateBrowseDir},
      {"PhotoboothCopyJpegPrint", K::Flag, &s.m_bPhotoboothCopyJpegPrint},
      {"PhotoboothCopyJpegPrintDir", K::Text, &s.m_strPhotoboothCopyJpegPrintDir},
      {"PhotoboothCopyJpegPrintCrop", K::Flag, &s.m_bPhotoboothCopyJpegPrintCrop},
      {"PhotoboothCopyJpegPrintCropX", K::Number, &s.m_nPhotoboothCopyJpegPrintCropX},
      {"PhotoboothCopyJpegPrintCropY", K::Number, &s.m_nPhotoboothCopyJpegPrintCropY},
      {"PhotoboothCopyJpegPrintCropW", K::Number, &s.m_nPhotoboothCopyJpegPrintCropW},
      {"PhotoboothCopyJpegPrintCropH", K::Number, &s.m_nPhotoboothCopyJpegPrintCropH},
      {"PhotoboothCopyJpegPrintResize", K::Flag, &s.m_bPhotoboothCopyJpegPrintResize},
      {"PhotoboothCopyJpegPrintResizeW", K::Number, &s.m_nPhotoboothCopyJpegPrintResizeW},
      {"PhotoboothCopyJpegPrintResizeH", K::Number, &s.m_nPhotoboothCopyJpegPrintResizeH},
      {"PhotoboothCopyJpegPrintRotate", K::Number, &s.m_nPhotoboothCopyJpegPrintRotate},
      {"PhotoboothCustomLayout", K::Flag, &s.m_bPhotoboothCustomLayout},
      {"PhotoboothCustomDoubleStrip", K::Flag, &s.m_bPhotoboothCustomDoubleStrip, true},
      {"PhotoboothCustomLayout", K::LayoutBoxes, s.m_layoutBoxes},
      {"PhotoboothProfile", K::Profiles, s.m_strPhotoboothProfiles},
      {"PhotoboothDefaultProfile", K::Number, &s.m_nPhotoboothDefaultProfile},
      {"PhotoboothInactivityTimeout", K::Low32, &s.m_nPhotoboothInactivityTimeout},
      {"PhotoboothTouchscreenExitPassword", K::Text, &g_strTouchscreenExitPassword},
      {"PhotoboothTouchscreenButtons", K::TouchscreenButtons, s.m_touchscreenButtons},
      {"PresetLayoutTopMargin", K::Preset, &g_nPresetLayoutTopMargin, false, 50},
      {"PresetLayoutBottomMargin", K::Preset, &g_nPresetLayoutBottomMargin, false, 50},
      {"PresetLayoutLeftMargin", K::Preset, &g_nPresetLayoutLeftMargin, false, 50},
      {"PresetLayoutRightMargin", K::Preset, &g_nPresetLayoutRightMargin, false, 50},
      {"PresetLayoutSpacing", K::Preset, &g_nPresetLayoutSpacing, false, 50},
      {"PresetLayout", K::Preset, &g_nPresetLayout, false, 0},
      {"PhotoboothShortcutButton", K::ShortcutButtons, g_photoboothShortcutButtons},
  };
}

BOOL ReadRegDword(HKEY key, const char* name, DWORD& value) {
  DWORD data = 0, type = 0, size = sizeof(data);
  if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&data), &size) != ERROR_SUCCESS ||
      type != REG_DWORD || size != sizeof(data))
    return FALSE;
  value = data;
  return TRUE;
}

BOOL ReadRegText(HKEY key, const char* name, CString& text, DWORD maxSize) {
  std::vector<char> buffer(maxSize, '\0');
  DWORD type = 0, size = maxSize;
  if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &size) != ERROR_SUCCESS)
    return FALSE;
  if (type != REG_SZ && type != REG_EXPAND_SZ) return FALSE;
  if (size == 0 || size > maxSize || buffer[size - 1] != '\0') return FALSE;
  text = CString(buffer.data());
  return TRUE;
}

BOOL ReadRegBinary(HKEY key, const char* name, std::vector<BYTE>& data, DWORD minSize, DWORD maxSize) {
  DWORD type = 0, size = 0;
  if (RegQueryValueExA(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS || type != REG_BINARY) return FALSE;
  if (size < minSize || size > maxSize) return FALSE;
  std::vector<BYTE> read(size);
  if (RegQueryValueExA(key, name, nullptr, &type, read.data(), &size) != ERROR_SUCCESS || type != REG_BINARY ||
      size < minSize || size > maxSize)
    return FALSE;
  read.resize(size);
  data.swap(read);
  return TRUE;
}

void WriteRegDword(HKEY key, const char* name, DWORD value) {
  RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
}

void WriteRegText(HKEY key, const char* name, const char* text) {
  RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text), static_cast<DWORD>(std::strlen(text) + 1));
}

namespace {

CString RecordName(const char* prefix, int number, const char* field) {
  CString name;
  name.Format("%s%d%s", prefix, number, field);
  return name;
}

const SettingEntry* FindRow(const std::vector<SettingEntry>& table, const char* name, SettingKind kind) {
  for (const SettingEntry& row : table)
    if (row.kind == kind && std::strcmp(row.name, name) == 0) return &row;
  return nullptr;
}

BOOL ReadFont(HKEY key, const char* name, LOGFONTA& font) {
  std::vector<BYTE> data;
  if (!ReadRegBinary(key, name, data, sizeof(LOGFONTA), sizeof(LOGFONTA))) return FALSE;
  std::memcpy(&font, data.data(), sizeof(LOGFONTA));
  return TRUE;
}

int ClampToInt(long long value) { return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX)); }

void LoadCaptions(HKEY key, PhotoboothCaption* captions) {
  int dpiX = 300, dpiY = 300;
  GetPrinterResolution(dpiX, dpiY);
  for (int i = 0; i < kLayoutCaptionCount; ++i) {
    PhotoboothCaption& caption = captions[i];
    const char* prefix = "PhotoboothCaption";
    DWORD value = 0;
    if (ReadRegDword(key, RecordName(prefix, i + 1, "Colour"), value)) caption.m_colour = value;
    ReadFont(key, RecordName(prefix, i + 1, "Font"), caption.m_font);
    if (ReadRegDword(key, RecordName(prefix, i + 1, "Enable"), value)) caption.m_nEnable = value != 0;
    ReadRegText(key, RecordName(prefix, i + 1, "Text"), caption.m_strText);
    // Older versions kept the offsets in millimetres.
    if (ReadRegDword(key, RecordName(prefix, i + 1, "LeftOffsetInPixels"), value))
      caption.m_nLeft = static_cast<int>(value);
    else if (ReadRegDword(key, RecordName(prefix, i + 1, "LeftOffset"), value))
      caption.m_nLeft = ClampToInt(static_cast<long long>(static_cast<int>(value)) * dpiX * 10 / 254);
    if (ReadRegDword(key, RecordName(prefix, i + 1, "TopOffsetInPixels"), value))
      caption.m_nTop = static_cast<int>(value);
    else if (ReadRegDword(key, RecordName(prefix, i + 1, "TopOffset"), value))
      caption.m_nTop = ClampToInt(static_cast<long long>(static_cast<int>(value)) * dpiY * 10 / 254);
    if (ReadRegDword(key, RecordName(prefix, i + 1, "MaxNumberOfLines"), value))
      caption.m_nMaxNumberOfLines = static_cast<int>(value);
    if (ReadRegDword(key, RecordName(prefix, i + 1, "MaxLineWidthInPixels"), value))
      caption.m_nMaxLineWidth = static_cast<int>(value);
    if (ReadRegDword(key, RecordName(prefix, i + 1, "Angle"), value)) caption.m_dAngle = static_cast<int>(value) / 10.0;
    if (ReadRegDword(key, RecordName(prefix, i + 1, "Alignment"), value))
      caption.m_nAlignment = static_cast<int>(value);
    else if (ReadRegDword(key, RecordName(prefix, i + 1, "Center"), value))
      caption.m_nAlignment = value != 0 ? 1 : 0;
  }
}

void SaveCaptions(HKEY key, const PhotoboothCaption* captions) {
  int dpiX = 300, dpiY = 300;
  GetPrinterResolution(dpiX, dpiY);
  auto millimetres = [](int pixels, int dpi) {
    return dpi ? static_cast<DWORD>(ClampToInt(static_cast<long long>(pixels) * 254 / (10LL * dpi))) : 0u;
  };
  for (int i = 0; i < kLayoutCaptionCount; ++i) {
    const PhotoboothCaption& caption = captions[i];
    const char* prefix = "PhotoboothCaption";
    WriteRegDword(key, RecordName(prefix, i + 1, "Colour"), caption.m_colour);
    RegSetValueExA(key, RecordName(prefix, i + 1, "Font"), 0, REG_BINARY,
                   reinterpret_cast<const BYTE*>(&caption.m_font), sizeof(LOGFONTA));
    WriteRegText(key, RecordName(prefix, i + 1, "Text"), caption.m_strText);
    WriteRegDword(key, RecordName(prefix, i + 1, "Enable"), caption.m_nEnable ? 1 : 0);
    WriteRegDword(key, RecordName(prefix, i + 1, "LeftOffset"), millimetres(caption.m_nLeft, dpiX));
    WriteRegDword(key, RecordName(prefix, i + 1, "LeftOffsetInPixels"), static_cast<DWORD>(caption.m_nLeft));
    WriteRegDword(key, RecordName(prefix, i + 1, "TopOffset"), millimetres(caption.m_nTop, dpiY));
    WriteRegDword(key, RecordName(prefix, i + 1, "TopOffsetInPixels"), static_cast<DWORD>(caption.m_nTop));
    WriteRegDword(key, RecordName(prefix, i + 1, "MaxNumberOfLines"), static_cast<DWORD>(caption.m_nMaxNumberOfLines));
    WriteRegDword(key, RecordName(prefix, i + 1, "MaxLineWidthInPixels"), static_cast<DWORD>(caption.m_nMaxLineWidth));
    const double tenths = caption.m_dAngle * 10.0;
    WriteRegDword(key, RecordName(prefix, i + 1, "Angle"),
                  static_cast<DWORD>(std::isfinite(tenths) ? ClampToInt(static_cast<long long>(
                                                                 std::clamp(tenths, -2147483648.0, 2147483647.0)))
                                                           : 0));
    WriteRegDword(key, RecordName(prefix, i + 1, "Alignment"), static_cast<DWORD>(caption.m_nAlignment));
  }
}

void LoadLayoutBoxes(HKEY key, PhotoboothCustomLayoutBox* boxes, const std::vector<SettingEntry>& table) {
  bool converted = false;
  for (int i = 0; i < kLayoutBoxCount; ++i) {
    const char* prefix = "PhotoboothCustomLayout";
    DWORD left, right, top, bottom;
    // A box missing any coordinate keeps its defaults as a whole.
    if (!ReadRegDword(key, RecordName(prefix, i + 1, "Left"), left) ||
        !ReadRegDword(key, RecordName(prefix, i + 1, "Right"), right) ||
        !ReadRegDword(key, RecordName(prefix, i + 1, "Top"), top) ||
        !ReadRegDword(key, RecordName(prefix, i + 1, "Bottom"), bottom))
      continue;
    PhotoboothCustomLayoutBox& box = boxes[i];
    box.left = static_cast<int>(left);
    box.right = static_cast<int>(right);
    box.top = static_cast<int>(top);
    box.bottom = static_cast<int>(bottom);
    DWORD image, rotation;
    if (ReadRegDword(key, RecordName(prefix, i + 1, "Image"), image) &&
        ReadRegDword(key, RecordName(prefix, i + 1, "Rotation"), rotation)) {
      box.image = static_cast<int>(image);
      box.rotation = rotation >= 3600 ? 0 : static_cast<int>(rotation);
    } else {
      box.image = i + 1;
      box.rotation = 0;
      converted = true;
    }
  }
  const SettingEntry* custom = FindRow(table, "PhotoboothCustomLayout", SettingKind::Flag);
  const SettingEntry* doubleStrip = FindRow(table, "PhotoboothCustomDoubleStrip", SettingKind::Flag);
  if (converted && custom && doubleStrip && *static_cast<BOOL*>(custom->member) &&
      *static_cast<BOOL*>(doubleStrip->member))
    MessageBoxA(nullptr, "WARNING: The photobooth custom layout has changed in this version.\nPlease check your layout",
                "Tavorin", MB_OK | MB_ICONEXCLAMATION);
}

void SaveLayoutBoxes(HKEY key, const PhotoboothCustomLayoutBox* boxes) {
  for (int i = 0; i < kLayoutBoxCount; ++i) {
    const char* prefix = "PhotoboothCustomLayout";
    const PhotoboothCustomLayoutBox& box = boxes[i];
    WriteRegDword(key, RecordName(prefix, i + 1, "Left"), static_cast<DWORD>(box.left));
    WriteRegDword(key, RecordName(prefix, i + 1, "Top"), static_cast<DWORD>(box.top));
    WriteRegDword(key, RecordName(prefix, i + 1, "Right"), static_cast<DWORD>(box.right));
    WriteRegDword(key, RecordName(prefix, i + 1, "Bottom"), static_cast<DWORD>(box.bottom));
    WriteRegDword(key, RecordName(prefix, i + 1, "Image"), static_cast<DWORD>(box.image));
    WriteRegDword(key, RecordName(prefix, i + 1, "Rotation"), static_cast<DWORD>(box.rotation));
  }
}

void LoadTouchscreenButtons(HKEY key, PhotoboothTouchscreenButton* buttons) {
  for (int i = 0; i < kPhotoboothTouchscreenButtonCount; ++i) {
    const char* prefix = "PhotoboothTouchscreenButtons";
    DWORD action, left, right, top, bottom;
    if (!ReadRegDword(key, RecordName(prefix, i + 1, "Action"), action) ||
        !ReadRegDword(key, RecordName(prefix, i + 1, "Left"), left) ||
        !ReadRegDword(key, RecordName(prefix, i + 1, "Right"), right) ||
        !ReadRegDword(key, RecordName(prefix, i + 1, "Top"), top) ||
        !ReadRegDword(key, RecordName(prefix, i + 1, "Bottom"), bottom))
      continue;
    buttons[i] = {static_cast<int>(action), static_cast<int>(left), static_cast<int>(top), static_cast<int>(right),
                  static_cast<int>(bottom)};
  }
}

void SaveTouchscreenButtons(HKEY key, const PhotoboothTouchscreenButton* buttons) {
  for (int i = 0; i < kPhotoboothTouchscreenButtonCount; ++i) {
    const char* prefix = "PhotoboothTouchscreenButtons";
    WriteRegDword(key, RecordName(prefix, i + 1, "Action"), static_cast<DWORD>(buttons[i].action));
    WriteRegDword(key, RecordName(prefix, i + 1, "Left"), static_cast<DWORD>(buttons[i].left));
    WriteRegDword(key, RecordName(prefix, i + 1, "Top"), static_cast<DWORD>(buttons[i].top));
    WriteRegDword(key, RecordName(prefix, i + 1, "Right"), static_cast<DWORD>(buttons[i].right));
    WriteRegDword(key, RecordName(prefix, i + 1, "Bottom"), static_cast<DWORD>(buttons[i].bottom));
  }
}

}  // namespace

void LoadSettingsTable(HKEY key, const std::vector<SettingEntry>& table) {
  for (const SettingEntry& row : table) {
    DWORD value = 0;
    switch (row.kind) {
      case SettingKind::Flag:
        if (ReadRegDword(key, row.name, value)) *static_cast<BOOL*>(row.member) = value != 0;
        break;
      case SettingKind::FastResize:
        if (ReadRegDword(key, row.name, value)) {
          *static_cast<BOOL*>(row.member) = value != 0;
          g_nPhotoboothResizeMode = value != 0 ? 3 : 7;
        }
        break;
      case SettingKind::Number:
        if (ReadRegDword(key, row.name, value)) *static_cast<int*>(row.member) = static_cast<int>(value);
        break;
      case SettingKind::Preset:
        *static_cast<int*>(row.member) = row.minValue;
        if (ReadRegDword(key, row.name, value)) *static_cast<int*>(row.member) = static_cast<int>(value);
        break;
      case SettingKind::Interval:
        if (ReadRegDword(key, row.name, value)) {
          *static_cast<int*>(row.member) = static_cast<int>(value);
          // The first interval follows unless it is stored itself.
          if (const SettingEntry* first = FindRow(table, "PhotoboothFirstInterval", SettingKind::Number)) {
            *static_cast<int*>(first->member) = static_cast<int>(value);
            if (ReadRegDword(key, first->name, value)) *static_cast<int*>(first->member) = static_cast<int>(value);
          }
        }
        break;
      case SettingKind::Clamped:
        if (ReadRegDword(key, row.name, value))
          *static_cast<int*>(row.member) = std::clamp(static_cast<int>(value), row.minValue, row.maxValue);
        break;
      case SettingKind::Word:
        if (ReadRegDword(key, row.name, value)) {
          long long number = row.minValue < row.maxValue
                                 ? std::clamp(static_cast<int>(value), row.minValue, row.maxValue)
                                 : static_cast<long long>(value);
          *static_cast<WORD*>(row.member) = static_cast<WORD>(number);
        }
        break;
      case SettingKind::EvfOffset:
        if (ReadRegDword(key, row.name, value)) *static_cast<int*>(row.member) = value > 2000 ? -1 : static_cast<int>(value);
        break;
      case SettingKind::Low32:
        if (ReadRegDword(key, row.name, value)) *static_cast<LONGLONG*>(row.member) = static_cast<LONGLONG>(value);
        break;
      case SettingKind::Scale:
        if (ReadRegDword(key, row.name, value)) {
          int scale = static_cast<int>(value);
          *static_cast<int*>(row.member) = scale > 5 ? 5 : (scale < 1 ? 1 : scale);
        }
        break;
      case SettingKind::Level:
        if (ReadRegDword(key, row.name, value)) *static_cast<double*>(row.member) = StoredToLevel(value);
        break;
      case SettingKind::Decimal: {
        CString text;
        if (ReadRegText(key, row.name, text)) ParseLocaleNumber(text, *static_cast<double*>(row.member));
        break;
      }
      case SettingKind::Text:
      case SettingKind::Scrambled:
        ReadRegText(key, row.name, *static_cast<CString*>(row.member));
        break;
      case SettingKind::LongText:
        ReadRegText(key, row.name, *static_cast<CString*>(row.member), kMaxLongSettingText);
        break;
      case SettingKind::BrowseFolder: {
        CString& folder = *static_cast<CString*>(row.member);
        ReadRegText(key, row.name, folder);
        if (folder.IsEmpty()) {
          const std::string documents = GetDocumentsFolder();
          if (!documents.empty() && CreateDirectoryPath(documents.c_str()))
            folder = CString(documents + "/PhotoboothImages");
        }
        break;
      }
      case SettingKind::Font:
        ReadFont(key, row.name, *static_cast<LOGFONTA*>(row.member));
        break;
      case SettingKind::Captions:
        LoadCaptions(key, static_cast<PhotoboothCaption*>(row.member));
        break;
      case SettingKind::LayoutBoxes:
        LoadLayoutBoxes(key, static_cast<PhotoboothCustomLayoutBox*>(row.member), table);
        break;
      case SettingKind::Profiles:
        for (int i = 0; i < kPhotoboothProfileCount; ++i)
          ReadRegText(key, RecordName(row.name, i + 1, ""), static_cast<CString*>(row.member)[i]);
        break;
      case SettingKind::TouchscreenButtons:
        LoadTouchscreenButtons(key, static_cast<PhotoboothTouchscreenButton*>(row.member));
        break;
      case SettingKind::ShortcutButtons:
        for (int i = 0; i < kPhotoboothShortcutButtonCount; ++i)
          if (ReadRegDword(key, RecordName(row.name, i + 1, ""), value))
            static_cast<PhotoboothShortcutButton*>(row.member)[i].shown = value != 0;
        break;
    }
  }
}

void SaveSettingsTable(HKEY key, const std::vector<SettingEntry>& table) {
  for (const SettingEntry& row : table) {
    if (row.readOnly) continue;
    switch (row.kind) {
      case SettingKind::Flag:
      case SettingKind::FastResize:
        WriteRegDword(key, row.name, *static_cast<const BOOL*>(row.member) ? 1 : 0);
        break;
      case SettingKind::Number:
      case SettingKind::Scale:
      case SettingKind::Clamped:
      case SettingKind::EvfOffset:
      case SettingKind::Interval:
      case SettingKind::Preset:
        WriteRegDword(key, row.name, static_cast<DWORD>(*static_cast<const int*>(row.member)));
        break;
      case SettingKind::Word:
        WriteRegDword(key, row.name, *static_cast<const WORD*>(row.member));
        break;
      case SettingKind::Low32:
        WriteRegDword(key, row.name, static_cast<DWORD>(*static_cast<const LONGLONG*>(row.member) & 0xFFFFFFFF));
        break;
      case SettingKind::Level:
        WriteRegDword(key, row.name, LevelToStored(*static_cast<const double*>(row.member)));
        break;
      case SettingKind::Decimal: {
        CString text;
        text.Format("%lg", *static_cast<const double*>(row.member));
        WriteRegText(key, row.name, text);
        break;
      }
      case SettingKind::Text:
      case SettingKind::LongText:
      case SettingKind::Scrambled:
      case SettingKind::BrowseFolder:
        WriteRegText(key, row.name, *static_cast<const CString*>(row.member));
        break;
      case SettingKind::Font:
        RegSetValueExA(key, row.name, 0, REG_BINARY, static_cast<const BYTE*>(row.member), sizeof(LOGFONTA));
        break;
      case SettingKind::Captions:
        SaveCaptions(key, static_cast<const PhotoboothCaption*>(row.member));
        break;
      case SettingKind::LayoutBoxes:
        SaveLayoutBoxes(key, static_cast<const PhotoboothCustomLayoutBox*>(row.member));
        break;
      case SettingKind::Profiles:
        for (int i = 0; i < kPhotoboothProfileCount; ++i)
          WriteRegText(key, RecordName(row.name, i + 1, ""), static_cast<const CString*>(row.member)[i]);
        break;
      case SettingKind::TouchscreenButtons:
        SaveTouchscreenButtons(key, static_cast<const PhotoboothTouchscreenButton*>(row.member));
        break;
      case SettingKind::ShortcutButtons:
        for (int i = 0; i < kPhotoboothShortcutButtonCount; ++i)
          WriteRegDword(key, RecordName(row.name, i + 1, ""),
                        static_cast<const PhotoboothShortcutButton*>(row.member)[i].shown ? 1 : 0);
        break;
    }
  }
}
