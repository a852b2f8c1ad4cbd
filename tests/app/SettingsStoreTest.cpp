#include <cmath>
#include <cstring>
#include <vector>

#include "AppTestSupport.h"
#include "app/SettingsStore.h"
#include "keyboard/KeyboardGlobals.h"

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
      *static_cast<int*>(row.member) = 1000 + n;
      break;
    case SettingKind::Scale:
      *static_cast<int*>(row.member) = 3;
      break;
    case SettingKind::Level:
      *static_cast<double*>(row.member) = 0.0029 + n * 0.0001;
      break;
    case SettingKind::Text: {
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
    case SettingKind::Number:
    case SettingKind::Scale:
      if (*static_cast<int*>(a.member) == *static_cast<int*>(b.member)) return ::testing::AssertionSuccess();
      break;
    case SettingKind::Level:
      if (std::fabs(*static_cast<double*>(a.member) - *static_cast<double*>(b.member)) < 1e-9)
        return ::testing::AssertionSuccess();
      break;
    case SettingKind::Text:
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
