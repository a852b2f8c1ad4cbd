#include "app/SettingsStore.h"

#include <cmath>
#include <cstring>

#include "platform/mfc/gdiobjects.h"
#include "platform/win32/folders.h"
#include "keyboard/KeyboardGlobals.h"
#include "support/ProgramGlobals.h"

int g_nCustomNaming = 0;

ViewSettings::ViewSettings()
    : m_nGridColour(static_cast<int>(RGB(0, 255, 0))),
      m_strDirectory(DefaultPhotoDirectory()),
      m_photoboothMsgFont(MakeDefaultMessageFont()) {}

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
      // Photobooth values.
      {"NumberOfPhotoboothImages", K::Number, &s.m_nNumberOfPhotoboothImages},
      {"PhotoboothInterval", K::Number, &s.m_nPhotoboothInterval},
      {"PhotoboothThumnailEnable", K::Flag, &s.m_bPhotoboothThumnailEnable},
      {"PhotoboothEnableLiveView", K::Flag, &s.m_bPhotoboothEnableLiveView},
      {"PhotoboothClickerMode", K::Flag, &s.m_bPhotoboothClickerMode},
      {"PhotoboothToningHue", K::Number, &s.m_nPhotoboothToningHue},
      {"PhotoboothToningSaturation", K::Number, &s.m_nPhotoboothToningSaturation},
      {"Photobooth3to2Crop", K::Flag, &s.m_bPhotobooth3to2Crop},
      {"PhotoboothPreviewTime", K::Number, &s.m_nPhotoboothPreviewTime},
      {"PhotoboothMsgFont", K::Font, &s.m_photoboothMsgFont},
      // The on-screen keyboard's process-wide values.
      {"PhotoboothKeyboardTimeout", K::Number, &KeyboardTimeout},
      {"PhotoboothKeyboardEmailErrorMsg", K::Text, &KeyboardEmailErrorMessage},
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

BOOL ReadRegText(HKEY key, const char* name, CString& text) {
  std::vector<char> buffer(kMaxSettingText, '\0');
  DWORD type = 0, size = kMaxSettingText;
  if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &size) != ERROR_SUCCESS)
    return FALSE;
  if (type != REG_SZ && type != REG_EXPAND_SZ) return FALSE;
  if (size == 0 || size > kMaxSettingText || buffer[size - 1] != '\0') return FALSE;
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

void LoadSettingsTable(HKEY key, const std::vector<SettingEntry>& table) {
  for (const SettingEntry& row : table) {
    DWORD value = 0;
    switch (row.kind) {
      case SettingKind::Flag:
        if (ReadRegDword(key, row.name, value)) *static_cast<BOOL*>(row.member) = value != 0;
        break;
      case SettingKind::Number:
        if (ReadRegDword(key, row.name, value)) *static_cast<int*>(row.member) = static_cast<int>(value);
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
      case SettingKind::Text:
        ReadRegText(key, row.name, *static_cast<CString*>(row.member));
        break;
      case SettingKind::Font: {
        std::vector<BYTE> data;
        if (ReadRegBinary(key, row.name, data, sizeof(LOGFONTA), sizeof(LOGFONTA)))
          std::memcpy(row.member, data.data(), sizeof(LOGFONTA));
        break;
      }
    }
  }
}

void SaveSettingsTable(HKEY key, const std::vector<SettingEntry>& table) {
  for (const SettingEntry& row : table) {
    if (row.readOnly) continue;
    switch (row.kind) {
      case SettingKind::Flag:
        WriteRegDword(key, row.name, *static_cast<const BOOL*>(row.member) ? 1 : 0);
        break;
      case SettingKind::Number:
      case SettingKind::Scale:
        WriteRegDword(key, row.name, static_cast<DWORD>(*static_cast<const int*>(row.member)));
        break;
      case SettingKind::Level:
        WriteRegDword(key, row.name, LevelToStored(*static_cast<const double*>(row.member)));
        break;
      case SettingKind::Text:
        WriteRegText(key, row.name, *static_cast<const CString*>(row.member));
        break;
      case SettingKind::Font:
        RegSetValueExA(key, row.name, 0, REG_BINARY, static_cast<const BYTE*>(row.member), sizeof(LOGFONTA));
        break;
    }
  }
}
