// The photobooth values in the registry across a real start and end of the program: older
// stored forms are converted, out-of-range values mended, and every record group written.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "platform/registry/registry.h"
#include "platform/registry/registry_testing.h"
#include "tests/e2e/E2eProcess.h"

namespace {

const char kKey[] = "SOFTWARE\\MorvaneSystems\\Tavorin\\102\\";

class SettingsRestartTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_previous = std::getenv("TAVORIN_REGISTRY") ? std::getenv("TAVORIN_REGISTRY") : "";
    setenv("TAVORIN_REGISTRY", (m_desktop.Root() + "/config/registry.sqlite3").c_str(), 1);
    RegistryReopenForTest();
  }
  void TearDown() override {
    setenv("TAVORIN_REGISTRY", m_previous.c_str(), 1);
    RegistryReopenForTest();
  }

  HKEY OpenKey() {
    HKEY key = nullptr;
    EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    return key;
  }
  static void Put(HKEY key, const char* name, DWORD value) {
    RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
  }
  static bool Get(HKEY key, const char* name, DWORD& value) {
    DWORD type = 0, size = sizeof(value);
    return RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) == ERROR_SUCCESS &&
           type == REG_DWORD;
  }

  TestDesktop m_desktop;
  std::string m_previous;
};

TEST_F(SettingsRestartTest, OldAndBrokenValuesAreMendedAndEveryGroupIsWritten) {
  HKEY key = OpenKey();
  Put(key, "PhotoboothCustomLayout1Left", 10);
  Put(key, "PhotoboothCustomLayout1Top", 20);
  Put(key, "PhotoboothCustomLayout1Right", 610);
  Put(key, "PhotoboothCustomLayout1Bottom", 420);
  Put(key, "PhotoboothCustomDoubleStrip", 1);
  Put(key, "PhotoboothJpegSaveQuality", 150);
  Put(key, "PhotoboothCaption1LeftOffset", 10);
  RegCloseKey(key);
  RegistryReopenForTest();  // the program opens the file itself

  m_desktop.AddEnvironment("TAVORIN_TEST=1");
  m_desktop.AddEnvironment("TAVORIN_QUIT_AFTER_MS=6000");
  ASSERT_TRUE(m_desktop.Start());
  ASSERT_EQ(m_desktop.WaitForExit(120), 0) << ReadWhole(m_desktop.Root() + "/program.log");

  RegistryReopenForTest();
  key = OpenKey();
  DWORD value = 0;
  ASSERT_TRUE(Get(key, "PhotoboothCustomLayout1Image", value));
  EXPECT_EQ(value, 1u);
  ASSERT_TRUE(Get(key, "PhotoboothCustomLayout1Rotation", value));
  EXPECT_EQ(value, 0u);
  ASSERT_TRUE(Get(key, "PhotoboothJpegSaveQuality", value));
  EXPECT_EQ(value, 100u);
  ASSERT_TRUE(Get(key, "PhotoboothCaption1LeftOffsetInPixels", value));
  EXPECT_EQ(value, 118u);  // the built-in printer prints at 300 dpi
  EXPECT_FALSE(Get(key, "PhotoboothCustomDoubleStrip", value));
  for (const char* name : {"PhotoboothTouchscreenButtons18Bottom", "PhotoboothCaption12Alignment",
                           "PhotoboothCustomLayout12Rotation", "PhotoboothShortcutButton7", "PresetLayoutSpacing",
                           "PhotoboothInactivityTimeout", "GreenScreenRedPercentage"}) {
    SCOPED_TRACE(name);
    EXPECT_TRUE(Get(key, name, value));
  }
  DWORD type = 0, size = 0;
  EXPECT_EQ(RegQueryValueExA(key, "PhotoboothProfile18", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(RegQueryValueExA(key, "PrinterDevMode", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
  RegCloseKey(key);
}

}  // namespace
