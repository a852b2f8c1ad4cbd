#include <cmath>
#include <cstring>
#include <vector>

#include "AppTestSupport.h"
#include "app/SettingsStore.h"
#include "keyboard/KeyboardGlobals.h"
#include "platform/user/messagebox.h"
#include "platform/win32/folders.h"
#include "printlayout/PresetPrintLayoutsDlg.h"
#include "support/PipSession.h"
#include "support/ProgramGlobals.h"

namespace {

class SettingsStoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ClearProductKey();
    m_key = OpenProductKey();
    ASSERT_NE(nullptr, m_key);
    ResetGlobals();
  }
  void TearDown() override {
    RegCloseKey(m_key);
    ClearProductKey();
    ResetGlobals();
  }
  static void ResetGlobals() {
    g_strMonitorProfile = "";
    g_strCameraProfile = "";
    g_bEnableColourManagement = FALSE;
    g_nCustomNaming = 0;
    g_strCustomNamingSeparator = "_";
    KeyboardTimeout = 300;
    KeyboardEmailErrorMessage = kDefaultEmailError;
  }
  static constexpr const char* kDefaultEmailError = "Please enter a valid email address in the form name@example.com";
  HKEY m_key = nullptr;
};

// A value different from the default for every row: the n-th row gets its own.
void SetDistinctValue(const SettingEntry& row, int n) {
  switch (row.kind) {
    case SettingKind::Flag:
      *static_cast<BOOL*>(row.member) = !*static_cast<BOOL*>(row.member);
      break;
    case SettingKind::Number:
    case SettingKind::Interval:
    case SettingKind::Preset:
      *static_cast<int*>(row.member) = 1000 + n;
      break;
    case SettingKind::Clamped:
      *static_cast<int*>(row.member) = row.minValue + 1;
      break;
    case SettingKind::EvfOffset:
      *static_cast<int*>(row.member) = 1999;
      break;
    case SettingKind::Word:
      *static_cast<WORD*>(row.member) = static_cast<WORD>(row.minValue < row.maxValue ? row.minValue + 3 : 40000 + n);
      break;
    case SettingKind::Low32:
      *static_cast<LONGLONG*>(row.member) = 0x80000000LL + n;
      break;
    case SettingKind::Decimal:
      *static_cast<double*>(row.member) = 2.75;
      break;
    case SettingKind::FastResize:
      *static_cast<BOOL*>(row.member) = !*static_cast<BOOL*>(row.member);
      break;
    case SettingKind::Scale:
      *static_cast<int*>(row.member) = 3;
      break;
    case SettingKind::Scrambled:
    case SettingKind::BrowseFolder:
      *static_cast<CString*>(row.member) = CString("/value/") + row.name;
      break;
    case SettingKind::Captions:
      for (int i = 0; i < kLayoutCaptionCount; ++i) {
        PhotoboothCaption& caption = static_cast<PhotoboothCaption*>(row.member)[i];
        caption = PhotoboothCaption::MakeNew(i + 1, 300 + i, 400 + i);
        caption.m_nEnable = i % 2;
        caption.m_nMaxNumberOfLines = i;
        caption.m_nMaxLineWidth = 500 + i;
        caption.m_nAlignment = i % 3;
        caption.m_dAngle = -4.5 + i;
        caption.m_colour = RGB(i, 2 * i, 3 * i);
        caption.m_font.lfHeight = -10 - i;
      }
      break;
    case SettingKind::LayoutBoxes:
      for (int i = 0; i < kLayoutBoxCount; ++i)
        static_cast<PhotoboothCustomLayoutBox*>(row.member)[i] = {i == 3 ? 1000 : i, 10 * i, 20 * i, 10 * i + 100,
                                                                  20 * i + 50, 3599 - i};
      break;
    case SettingKind::Profiles:
      for (int i = 0; i < kPhotoboothProfileCount; ++i)
        static_cast<CString*>(row.member)[i].Format("/profiles/%d.xml", i);
      break;
    case SettingKind::TouchscreenButtons:
      for (int i = 0; i < kPhotoboothTouchscreenButtonCount; ++i)
        static_cast<PhotoboothTouchscreenButton*>(row.member)[i] = {i, i + 1, i + 2, i + 3, i + 4};
      break;
    case SettingKind::ShortcutButtons:
      for (int i = 0; i < kPhotoboothShortcutButtonCount; ++i)
        static_cast<PhotoboothShortcutButton*>(row.member)[i].shown = i % 2;
      break;
    case SettingKind::Level:
      *static_cast<double*>(row.member) = 0.0029 + n * 0.0001;
      break;
    case SettingKind::Text:
    case SettingKind::LongText: {
      CString text;
      text.Format("value %d \xE9t\xE9", n);
      *static_cast<CString*>(row.member) = text;
      break;
    }
    case SettingKind::Font: {
      auto* font = static_cast<LOGFONTA*>(row.member);
      font->lfHeight = -n;
      std::strcpy(font->lfFaceName, "Courier New");
      break;
    }
  }
}

::testing::AssertionResult SameValue(const SettingEntry& a, const SettingEntry& b) {
  switch (a.kind) {
    case SettingKind::Flag:
      if ((*static_cast<BOOL*>(a.member) != 0) == (*static_cast<BOOL*>(b.member) != 0))
        return ::testing::AssertionSuccess();
      break;
    case SettingKind::FastResize:
      if ((*static_cast<BOOL*>(a.member) != 0) == (*static_cast<BOOL*>(b.member) != 0))
        return ::testing::AssertionSuccess();
      break;
    case SettingKind::Number:
    case SettingKind::Scale:
    case SettingKind::Clamped:
    case SettingKind::EvfOffset:
    case SettingKind::Interval:
    case SettingKind::Preset:
      if (*static_cast<int*>(a.member) == *static_cast<int*>(b.member)) return ::testing::AssertionSuccess();
      break;
    case SettingKind::Word:
      if (*static_cast<WORD*>(a.member) == *static_cast<WORD*>(b.member)) return ::testing::AssertionSuccess();
      break;
    case SettingKind::Low32:
      if (*static_cast<LONGLONG*>(b.member) == (*static_cast<LONGLONG*>(a.member) & 0xFFFFFFFF))
        return ::testing::AssertionSuccess();
      break;
    case SettingKind::Decimal:
      if (*static_cast<double*>(a.member) == *static_cast<double*>(b.member)) return ::testing::AssertionSuccess();
      break;
    case SettingKind::Scrambled:
    case SettingKind::BrowseFolder:
      if (*static_cast<CString*>(a.member) == *static_cast<CString*>(b.member)) return ::testing::AssertionSuccess();
      break;
    case SettingKind::Captions:
      for (int i = 0; i < kLayoutCaptionCount; ++i)
        if (static_cast<PhotoboothCaption*>(a.member)[i] != static_cast<PhotoboothCaption*>(b.member)[i])
          return ::testing::AssertionFailure() << "caption " << i + 1 << " differs";
      return ::testing::AssertionSuccess();
    case SettingKind::LayoutBoxes:
      for (int i = 0; i < kLayoutBoxCount; ++i) {
        const auto& x = static_cast<PhotoboothCustomLayoutBox*>(a.member)[i];
        const auto& y = static_cast<PhotoboothCustomLayoutBox*>(b.member)[i];
        if (x.image != y.image || x.left != y.left || x.top != y.top || x.right != y.right || x.bottom != y.bottom ||
            x.rotation != y.rotation)
          return ::testing::AssertionFailure() << "box " << i + 1 << " differs";
      }
      return ::testing::AssertionSuccess();
    case SettingKind::Profiles:
      for (int i = 0; i < kPhotoboothProfileCount; ++i)
        if (static_cast<CString*>(a.member)[i] != static_cast<CString*>(b.member)[i])
          return ::testing::AssertionFailure() << "profile " << i + 1 << " differs";
      return ::testing::AssertionSuccess();
    case SettingKind::TouchscreenButtons:
      for (int i = 0; i < kPhotoboothTouchscreenButtonCount; ++i) {
        const auto& x = static_cast<PhotoboothTouchscreenButton*>(a.member)[i];
        const auto& y = static_cast<PhotoboothTouchscreenButton*>(b.member)[i];
        if (x.action != y.action || x.left != y.left || x.top != y.top || x.right != y.right || x.bottom != y.bottom)
          return ::testing::AssertionFailure() << "button " << i + 1 << " differs";
      }
      return ::testing::AssertionSuccess();
    case SettingKind::ShortcutButtons:
      return ::testing::AssertionSuccess();  // program-wide: compared by the test
    case SettingKind::Level:
      if (std::fabs(*static_cast<double*>(a.member) - *static_cast<double*>(b.member)) < 1e-9)
        return ::testing::AssertionSuccess();
      break;
    case SettingKind::Text:
    case SettingKind::LongText:
      if (*static_cast<CString*>(a.member) == *static_cast<CString*>(b.member)) return ::testing::AssertionSuccess();
      break;
    case SettingKind::Font:
      if (std::memcmp(a.member, b.member, sizeof(LOGFONTA)) == 0) return ::testing::AssertionSuccess();
      break;
  }
  return ::testing::AssertionFailure() << a.name << " differs after the round trip";
}

TEST_F(SettingsStoreTest, EveryWrittenValueComesBackAfterSaveAndLoad) {
  ViewSettings saved;
  std::vector<SettingEntry> savedTable = BuildSettingsTable(saved);
  for (size_t i = 0; i < savedTable.size(); ++i)
    if (!savedTable[i].readOnly) SetDistinctValue(savedTable[i], static_cast<int>(i));
  // Program-wide rows point at the globals: keep what was saved to compare with.
  CString monitor = g_strMonitorProfile, camera = g_strCameraProfile;
  BOOL colour = g_bEnableColourManagement;
  SaveSettingsTable(m_key, savedTable);
  ResetGlobals();

  ViewSettings loaded;
  std::vector<SettingEntry> loadedTable = BuildSettingsTable(loaded);
  LoadSettingsTable(m_key, loadedTable);
  ASSERT_EQ(savedTable.size(), loadedTable.size());
  for (size_t i = 0; i < savedTable.size(); ++i) {
    SCOPED_TRACE(savedTable[i].name);
    if (savedTable[i].readOnly) continue;
    if (savedTable[i].member == &g_strMonitorProfile) {
      EXPECT_EQ(monitor, g_strMonitorProfile);
    } else if (savedTable[i].member == &g_strCameraProfile) {
      EXPECT_EQ(camera, g_strCameraProfile);
    } else if (savedTable[i].member == &g_bEnableColourManagement) {
      EXPECT_EQ(colour, g_bEnableColourManagement);
    } else {
      EXPECT_TRUE(SameValue(savedTable[i], loadedTable[i]));
    }
  }
}

TEST_F(SettingsStoreTest, ReadOnlyValuesAreReadButNeverWritten) {
  WriteRegDword(m_key, "MinZoomSetting", 3);
  WriteRegDword(m_key, "CustomNaming", 2);
  WriteRegText(m_key, "CustomNamingSeparator", "-");
  ViewSettings settings;
  LoadSettingsTable(m_key, BuildSettingsTable(settings));
  EXPECT_EQ(3, settings.m_nMinZoomSetting);
  EXPECT_EQ(2, g_nCustomNaming);
  EXPECT_EQ(CString("-"), g_strCustomNamingSeparator);

  ClearProductKey();
  RegCloseKey(m_key);
  m_key = OpenProductKey();
  SaveSettingsTable(m_key, BuildSettingsTable(settings));
  DWORD value = 0;
  EXPECT_FALSE(ReadRegDword(m_key, "MinZoomSetting", value));
  EXPECT_FALSE(ReadRegDword(m_key, "MaxZoomSetting", value));
  EXPECT_FALSE(ReadRegDword(m_key, "CustomNaming", value));
  EXPECT_TRUE(ReadRegDword(m_key, "DisplayGrid", value));
}

TEST_F(SettingsStoreTest, DefaultsOfAFirstStart) {
  ViewSettings settings;
  LoadSettingsTable(m_key, BuildSettingsTable(settings));
  EXPECT_EQ(CString(std::string(getenv("HOME")) + "/Photos"), settings.m_strDirectory);
  EXPECT_EQ(static_cast<int>(RGB(0, 255, 0)), settings.m_nGridColour);
  EXPECT_EQ(1, settings.m_nViewfinderStayOnTop);
  EXPECT_EQ(1, settings.m_nViewfinderScale);
  EXPECT_FALSE(settings.m_bCrop);
  EXPECT_EQ(100, settings.m_nCropX1);
  EXPECT_EQ(100, settings.m_nCropY1);
  EXPECT_EQ(250, settings.m_nCropX2);
  EXPECT_EQ(200, settings.m_nCropY2);
  EXPECT_DOUBLE_EQ(0.05, settings.m_dPostProcessingLevelBlack);
  EXPECT_STREQ("Arial", settings.m_photoboothMsgFont.lfFaceName);
  EXPECT_LT(settings.m_photoboothMsgFont.lfHeight, 0);
}

TEST_F(SettingsStoreTest, KeyboardValuesLoadIntoTheKeyboardAndAreSaved) {
  ViewSettings settings;
  std::vector<SettingEntry> table = BuildSettingsTable(settings);
  LoadSettingsTable(m_key, table);
  EXPECT_EQ(KeyboardTimeout, 300);
  EXPECT_EQ(KeyboardEmailErrorMessage, kDefaultEmailError) << "absent: the built-in text stays";

  WriteRegDword(m_key, "PhotoboothKeyboardTimeout", 45);
  WriteRegText(m_key, "PhotoboothKeyboardEmailErrorMsg", "Bad address\\nTry again");
  LoadSettingsTable(m_key, table);
  EXPECT_EQ(KeyboardTimeout, 45);
  EXPECT_EQ(KeyboardEmailErrorMessage, "Bad address\\nTry again");

  std::string longest(kMaxSettingText - 1, 'x');
  WriteRegText(m_key, "PhotoboothKeyboardEmailErrorMsg", longest.c_str());
  LoadSettingsTable(m_key, table);
  EXPECT_EQ(KeyboardEmailErrorMessage.GetLength(), static_cast<int>(kMaxSettingText - 1));
  std::string tooLong(kMaxSettingText, 'y');
  WriteRegText(m_key, "PhotoboothKeyboardEmailErrorMsg", tooLong.c_str());
  LoadSettingsTable(m_key, table);
  EXPECT_EQ(KeyboardEmailErrorMessage.str(), longest) << "a text over the limit is refused";

  KeyboardTimeout = 0;
  KeyboardEmailErrorMessage = "Saved";
  SaveSettingsTable(m_key, table);
  DWORD timeout = 99;
  CString message;
  EXPECT_TRUE(ReadRegDword(m_key, "PhotoboothKeyboardTimeout", timeout));
  EXPECT_EQ(timeout, 0u);
  EXPECT_TRUE(ReadRegText(m_key, "PhotoboothKeyboardEmailErrorMsg", message));
  EXPECT_EQ(message, "Saved");
}

TEST_F(SettingsStoreTest, StoredValuesAreTransformedOnLoad) {
  struct Row {
    const char* name;
    DWORD stored;
    int expected;
  } rows[] = {
      {"ViewfinderScale", 0, 1}, {"ViewfinderScale", 9, 5}, {"ViewfinderScale", 4, 4},
      {"ViewfinderScale", 0xFFFFFFFFu, 1}, {"DisplayGrid", 7, 1}, {"GridColour", 0x00FF00FFu, 0x00FF00FF},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    WriteRegDword(m_key, row.name, row.stored);
    ViewSettings settings;
    std::vector<SettingEntry> table = BuildSettingsTable(settings);
    LoadSettingsTable(m_key, table);
    for (const SettingEntry& entry : table) {
      if (std::strcmp(entry.name, row.name) == 0) {
        EXPECT_EQ(row.expected, *static_cast<int*>(entry.member));
      }
    }
  }
}

TEST_F(SettingsStoreTest, AFlagStoredAsSevenIsSavedBackAsOne) {
  WriteRegDword(m_key, "Sharpen", 7);
  ViewSettings settings;
  LoadSettingsTable(m_key, BuildSettingsTable(settings));
  SaveSettingsTable(m_key, BuildSettingsTable(settings));
  DWORD value = 0;
  ASSERT_TRUE(ReadRegDword(m_key, "Sharpen", value));
  EXPECT_EQ(1u, value);
}

TEST_F(SettingsStoreTest, LevelsSurviveTheRoundTripRounded) {
  struct Row {
    DWORD stored;
    double level;
  } rows[] = {{1234, 0.1234}, {29, 0.0029}, {500, 0.05}, {0, 0.0}, {1, 0.0001}, {9999, 0.9999}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.stored);
    EXPECT_NEAR(row.level, StoredToLevel(row.stored), 1e-12);
    EXPECT_EQ(row.stored, LevelToStored(StoredToLevel(row.stored)));
    EXPECT_EQ(row.stored, LevelToStored(row.level));
    WriteRegDword(m_key, "PostProcessingLevelWhite", row.stored);
    ViewSettings settings;
    LoadSettingsTable(m_key, BuildSettingsTable(settings));
    SaveSettingsTable(m_key, BuildSettingsTable(settings));
    DWORD saved = 0;
    ASSERT_TRUE(ReadRegDword(m_key, "PostProcessingLevelWhite", saved));
    EXPECT_EQ(row.stored, saved);
  }
  EXPECT_EQ(0u, LevelToStored(-1.0));
}

TEST_F(SettingsStoreTest, ValuesOfTheWrongKindKeepTheirDefaults) {
  const char text[] = "/somewhere";
  DWORD number = 5;
  std::string longText(kMaxSettingText, 'x');  // with its terminator one more than allowed
  const char unterminated[] = {'a', 'b', 'c'};
  LOGFONTA wideSize[2] = {};
  RegSetValueExA(m_key, "Directory", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof(number));
  RegSetValueExA(m_key, "StoreImage", 0, REG_SZ, reinterpret_cast<const BYTE*>(text), sizeof(text));
  RegSetValueExA(m_key, "SharpenAmount", 0, REG_BINARY, reinterpret_cast<const BYTE*>(&number), 2);
  RegSetValueExA(m_key, "FilenamePrefix", 0, REG_SZ, reinterpret_cast<const BYTE*>(longText.c_str()),
                 static_cast<DWORD>(longText.size() + 1));
  RegSetValueExA(m_key, "LaunchEditorCmd", 0, REG_SZ, reinterpret_cast<const BYTE*>(unterminated),
                 sizeof(unterminated));
  RegSetValueExA(m_key, "PhotoboothMsgFont", 0, REG_BINARY, reinterpret_cast<const BYTE*>(wideSize), 92);
  RegSetValueExA(m_key, "AutoBracketCmd", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>("%HOME%/x"), 9);
  RegSetValueExA(m_key, "PrinterProfile", 0, REG_SZ, reinterpret_cast<const BYTE*>(""), 1);

  ViewSettings defaults;
  ViewSettings settings;
  settings.m_strPrinterProfile = "before";
  LoadSettingsTable(m_key, BuildSettingsTable(settings));
  EXPECT_EQ(defaults.m_strDirectory, settings.m_strDirectory);
  EXPECT_EQ(1, settings.m_nStoreImage);
  EXPECT_EQ(75, settings.m_nSharpenAmount);
  EXPECT_EQ(CString(""), settings.m_strFilenamePrefix);
  EXPECT_EQ(CString(""), settings.m_strLaunchEditorCmd);
  EXPECT_EQ(0, std::memcmp(&defaults.m_photoboothMsgFont, &settings.m_photoboothMsgFont, sizeof(LOGFONTA)));
  EXPECT_EQ(CString("%HOME%/x"), settings.m_strAutoBracketCmd);  // used as it is, not expanded
  EXPECT_EQ(CString(""), settings.m_strPrinterProfile);          // an empty text is a value
}

TEST_F(SettingsStoreTest, SavingTwiceWritesTheSameData) {
  ViewSettings settings;
  settings.m_strDirectory = "/photos/here";
  SaveSettingsTable(m_key, BuildSettingsTable(settings));
  std::vector<std::vector<BYTE>> first;
  for (DWORD i = 0;; ++i) {
    char name[256];
    BYTE data[16384];
    DWORD nameLength = sizeof(name), dataSize = sizeof(data), type = 0;
    if (RegEnumValueA(m_key, i, name, &nameLength, nullptr, &type, data, &dataSize) != ERROR_SUCCESS) break;
    first.emplace_back(data, data + dataSize);
  }
  SaveSettingsTable(m_key, BuildSettingsTable(settings));
  std::vector<std::vector<BYTE>> second;
  for (DWORD i = 0;; ++i) {
    char name[256];
    BYTE data[16384];
    DWORD nameLength = sizeof(name), dataSize = sizeof(data), type = 0;
    if (RegEnumValueA(m_key, i, name, &nameLength, nullptr, &type, data, &dataSize) != ERROR_SUCCESS) break;
    second.emplace_back(data, data + dataSize);
  }
  EXPECT_FALSE(first.empty());
  EXPECT_EQ(first, second);
}

TEST_F(SettingsStoreTest, BinaryReadsAreLengthChecked) {
  std::vector<BYTE> big(kMaxPrinterRecord + 1, 1), fine(200, 2), data{9};
  RegSetValueExA(m_key, "Big", 0, REG_BINARY, big.data(), static_cast<DWORD>(big.size()));
  RegSetValueExA(m_key, "Fine", 0, REG_BINARY, fine.data(), static_cast<DWORD>(fine.size()));
  RegSetValueExA(m_key, "Empty", 0, REG_BINARY, fine.data(), 0);
  RegSetValueExA(m_key, "Text", 0, REG_SZ, fine.data(), 10);
  EXPECT_FALSE(ReadRegBinary(m_key, "Big", data, 1, kMaxPrinterRecord));
  EXPECT_FALSE(ReadRegBinary(m_key, "Empty", data, 1, kMaxPrinterRecord));
  EXPECT_FALSE(ReadRegBinary(m_key, "Text", data, 1, kMaxPrinterRecord));
  EXPECT_FALSE(ReadRegBinary(m_key, "Missing", data, 1, kMaxPrinterRecord));
  EXPECT_EQ(std::vector<BYTE>{9}, data);
  EXPECT_TRUE(ReadRegBinary(m_key, "Fine", data, 1, kMaxPrinterRecord));
  EXPECT_EQ(fine, data);
}

}  // namespace

namespace {

DWORD StoredDword(HKEY key, const char* name) {
  DWORD value = 0xDEADBEEF;
  ReadRegDword(key, name, value);
  return value;
}

TEST_F(SettingsStoreTest, PhotoboothValuesAreMendedOnLoad) {
  struct Row {
    const char* name;
    DWORD stored;
    int expected;
  } rows[] = {
      {"PhotoboothJpegSaveQuality", 5, 10},      {"PhotoboothJpegSaveQuality", 150, 100},
      {"PhotoboothJpegSaveQuality", 85, 85},     {"PhotoboothEvfMaxHeight", 50, 100},
      {"PhotoboothEvfMaxHeight", 0xFFFFFFFFu, 100}, {"PhotoboothEvfMaxHeight", 720, 720},
      {"PhotoboothEvfXOffset", 2500, -1},        {"PhotoboothEvfXOffset", 0xFFFFFFFEu, -1},
      {"PhotoboothEvfXOffset", 2000, 2000},      {"NumberOfPhotoboothImages", 0, 1},
      {"NumberOfPhotoboothImages", 25, 20},      {"NumberOfPhotoboothImages", 0xFFFFFFFFu, 1},
      {"GreenScreenRedPercentage", 0x10005, 5},
      {"PhotoboothPrintCopies", 2147483647, 9},  {"PhotoboothPrintCopies", 0, 1},
      {"PhotoboothPrintCopies", 0xFFFFFFFFu, 1}, {"PhotoboothPrintCopies", 3, 3},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << row.name << " " << row.stored);
    WriteRegDword(m_key, row.name, row.stored);
    ViewSettings settings;
    g_nJpegQuality = 90;
    LoadSettingsTable(m_key, BuildSettingsTable(settings));
    int loaded = 0;
    if (std::strcmp(row.name, "PhotoboothJpegSaveQuality") == 0) loaded = g_nJpegQuality;
    if (std::strcmp(row.name, "PhotoboothEvfMaxHeight") == 0) loaded = settings.m_nPhotoboothEvfMaxHeight;
    if (std::strcmp(row.name, "PhotoboothEvfXOffset") == 0) loaded = settings.m_nPhotoboothEvfXOffset;
    if (std::strcmp(row.name, "NumberOfPhotoboothImages") == 0) loaded = settings.m_nNumberOfPhotoboothImages;
    if (std::strcmp(row.name, "GreenScreenRedPercentage") == 0) loaded = settings.m_nGreenScreenRedPercentage;
    if (std::strcmp(row.name, "PhotoboothPrintCopies") == 0) loaded = settings.m_nPhotoboothPrintCopies;
    EXPECT_EQ(loaded, row.expected);
  }
  g_nJpegQuality = 90;
}

TEST_F(SettingsStoreTest, LoadStepsOfThePhotoboothValues) {
  WriteRegDword(m_key, "PhotoboothInterval", 8);
  WriteRegText(m_key, "PhotoboothBorderInMM", "1,5");
  WriteRegDword(m_key, "PhotoboothFastResize", 0);
  WriteRegDword(m_key, "PhotoboothInactivityTimeout", 0xFFFFFFF0u);
  g_nPresetLayoutSpacing = 7;
  g_nPresetLayout = 3;
  g_strPhotoboothImageBrowseDir = "";
  g_strPhotoboothTemplateBrowseDir = "";
  ViewSettings settings;
  settings.m_nPhotoboothInactivityTimeout = 0x1234567800000000LL;
  LoadSettingsTable(m_key, BuildSettingsTable(settings));
  EXPECT_EQ(settings.m_nPhotoboothInterval, 8);
  EXPECT_EQ(settings.m_nPhotoboothFirstInterval, 8);
  EXPECT_DOUBLE_EQ(settings.m_dPhotoboothBorderInMM, 1.5);
  EXPECT_FALSE(settings.m_bPhotoboothFastResize);
  EXPECT_EQ(g_nPhotoboothResizeMode, 7);
  EXPECT_EQ(settings.m_nPhotoboothInactivityTimeout, 0xFFFFFFF0LL);
  EXPECT_EQ(g_nPresetLayoutSpacing, 50);
  EXPECT_EQ(g_nPresetLayout, 0);
  const CString images = CString(GetDocumentsFolder() + "/PhotoboothImages");
  EXPECT_EQ(g_strPhotoboothImageBrowseDir, images);
  EXPECT_EQ(g_strPhotoboothTemplateBrowseDir, images);

  WriteRegDword(m_key, "PhotoboothFirstInterval", 3);
  WriteRegDword(m_key, "PhotoboothFastResize", 1);
  LoadSettingsTable(m_key, BuildSettingsTable(settings));
  EXPECT_EQ(settings.m_nPhotoboothFirstInterval, 3);
  EXPECT_EQ(g_nPhotoboothResizeMode, 3);

  settings.m_dPhotoboothBorderInMM = 0.25;
  SaveSettingsTable(m_key, BuildSettingsTable(settings));
  CString border;
  ASSERT_TRUE(ReadRegText(m_key, "PhotoboothBorderInMM", border));
  double parsed = 0;
  ASSERT_TRUE(ParseLocaleNumber(border, parsed));
  EXPECT_DOUBLE_EQ(parsed, 0.25);
  EXPECT_FALSE(ParseLocaleNumber("mm", parsed));
}

TEST_F(SettingsStoreTest, LayoutBoxesOfOlderVersionsAreConvertedWithOneWarning) {
  ClearMessageBoxes();
  for (int box : {1, 2, 5}) {
    CString prefix;
    prefix.Format("PhotoboothCustomLayout%d", box);
    WriteRegDword(m_key, prefix + "Left", 10 * box);
    WriteRegDword(m_key, prefix + "Top", 20);
    WriteRegDword(m_key, prefix + "Right", 300);
    WriteRegDword(m_key, prefix + "Bottom", 200);
  }
  WriteRegDword(m_key, "PhotoboothCustomLayout3Left", 1);  // partly stored: ignored as a whole
  WriteRegDword(m_key, "PhotoboothCustomLayout4Left", 1);
  WriteRegDword(m_key, "PhotoboothCustomLayout4Top", 2);
  WriteRegDword(m_key, "PhotoboothCustomLayout4Right", 3);
  WriteRegDword(m_key, "PhotoboothCustomLayout4Bottom", 4);
  WriteRegDword(m_key, "PhotoboothCustomLayout4Image", 1000);
  WriteRegDword(m_key, "PhotoboothCustomLayout4Rotation", 3600);
  WriteRegDword(m_key, "PhotoboothCustomLayout5Image", 2);
  WriteRegDword(m_key, "PhotoboothCustomLayout5Rotation", 3599);
  WriteRegDword(m_key, "PhotoboothCustomDoubleStrip", 1);

  ViewSettings settings;
  LoadSettingsTable(m_key, BuildSettingsTable(settings));
  EXPECT_EQ(settings.m_layoutBoxes[0].image, 1);
  EXPECT_EQ(settings.m_layoutBoxes[0].left, 10);
  EXPECT_EQ(settings.m_layoutBoxes[1].image, 2);
  EXPECT_EQ(settings.m_layoutBoxes[1].rotation, 0);
  EXPECT_EQ(settings.m_layoutBoxes[2].image, 0);
  EXPECT_EQ(settings.m_layoutBoxes[2].left, 0);
  EXPECT_EQ(settings.m_layoutBoxes[3].image, 1000);
  EXPECT_EQ(settings.m_layoutBoxes[3].rotation, 0);
  EXPECT_EQ(settings.m_layoutBoxes[4].image, 2);
  EXPECT_EQ(settings.m_layoutBoxes[4].rotation, 3599);
  std::vector<ShownMessageBox> shown = GetShownMessageBoxes();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].text,
            "WARNING: The photobooth custom layout has changed in this version.\nPlease check your layout");
  EXPECT_EQ(shown[0].caption, "Tavorin");
  EXPECT_EQ(shown[0].icon, MB_ICONEXCLAMATION);

  // The QR selector survives a save; the legacy switch is never written.
  SaveSettingsTable(m_key, BuildSettingsTable(settings));
  EXPECT_EQ(StoredDword(m_key, "PhotoboothCustomLayout4Image"), 1000u);
  EXPECT_EQ(StoredDword(m_key, "PhotoboothCustomLayout1Image"), 1u);

  // Without the legacy switch nothing is shown.
  ClearMessageBoxes();
  RegDeleteValueA(m_key, "PhotoboothCustomDoubleStrip");
  RegDeleteValueA(m_key, "PhotoboothCustomLayout2Image");
  ViewSettings again;
  LoadSettingsTable(m_key, BuildSettingsTable(again));
  EXPECT_TRUE(GetShownMessageBoxes().empty());
}

TEST_F(SettingsStoreTest, CaptionOffsetsInMillimetresAndAngles) {
  WriteRegDword(m_key, "PhotoboothCaption2LeftOffset", 10);
  WriteRegDword(m_key, "PhotoboothCaption3Angle", static_cast<DWORD>(-45));
  WriteRegDword(m_key, "PhotoboothCaption3Center", 1);
  ViewSettings settings;
  LoadSettingsTable(m_key, BuildSettingsTable(settings));
  int dpiX, dpiY;
  GetPrinterResolution(dpiX, dpiY);
  EXPECT_EQ(settings.m_captions[1].m_nLeft, 10 * dpiX * 10 / 254);  // 118 at 300 dpi
  EXPECT_EQ(settings.m_captions[1].m_nTop, 0);
  EXPECT_FALSE(settings.m_captions[1].m_nEnable);
  EXPECT_DOUBLE_EQ(settings.m_captions[2].m_dAngle, -4.5);
  EXPECT_EQ(settings.m_captions[2].m_nAlignment, 1);

  settings.m_captions[1].m_nLeft = 2000000000;  // a millimetre value that needs 64 bits on the way
  SaveSettingsTable(m_key, BuildSettingsTable(settings));
  EXPECT_EQ(StoredDword(m_key, "PhotoboothCaption3Angle"), static_cast<DWORD>(-45));
  EXPECT_EQ(StoredDword(m_key, "PhotoboothCaption2LeftOffset"), static_cast<DWORD>(2000000000LL * 254 / (10LL * dpiX)));
  EXPECT_EQ(StoredDword(m_key, "PhotoboothCaption2LeftOffsetInPixels"), 2000000000u);
}

}  // namespace

TEST_F(SettingsStoreTest, ALongEmailHtmlBodySurvivesARestart) {
  ViewSettings saved;
  std::string body = "<html>" + std::string(0x20000 - 13, 'h') + "</html>";
  ASSERT_EQ(body.size(), 0x20000u);
  saved.m_strPhotoboothEmailMsgHTML = body.c_str();
  SaveSettingsTable(m_key, BuildSettingsTable(saved));

  ViewSettings loaded;
  std::vector<SettingEntry> table = BuildSettingsTable(loaded);
  LoadSettingsTable(m_key, table);
  EXPECT_EQ(loaded.m_strPhotoboothEmailMsgHTML.str(), body);

  std::string tooLong(0x20000 + 1, 'z');
  WriteRegText(m_key, "PhotoboothEmailMsgHTML", tooLong.c_str());
  LoadSettingsTable(m_key, table);
  EXPECT_EQ(loaded.m_strPhotoboothEmailMsgHTML.str(), body) << "a text over the edit's limit is refused";

  CString shortText;
  EXPECT_FALSE(ReadRegText(m_key, "PhotoboothEmailMsgHTML", shortText)) << "other texts keep their limit";
}
