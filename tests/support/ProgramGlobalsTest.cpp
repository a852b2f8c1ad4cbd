#include "support/ProgramGlobals.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <string>
#include <thread>

#include "platform/gdi/wingdi.h"
#include "platform/registry/registry.h"
#include "platform/registry/registry_testing.h"
#include "platform/winspool/printdc.h"
#include "platform/winspool/winspool.h"

namespace {

// Points the registry at a fresh file for the test's life.
class TempRegistry {
 public:
  TempRegistry() {
    std::string pattern = ::testing::TempDir() + "tavorin-globals-XXXXXX";
    m_dir = mkdtemp(pattern.data()) ? pattern : std::string();
    setenv("TAVORIN_REGISTRY", (m_dir + "/registry.sqlite3").c_str(), 1);
    RegistryReopenForTest();
  }
  ~TempRegistry() {
    RegistryReopenForTest();
    unsetenv("TAVORIN_REGISTRY");
    std::error_code ignored;
    std::filesystem::remove_all(m_dir, ignored);
  }

 private:
  std::string m_dir;
};

void StoreCounter(DWORD value) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kProductKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  RegSetValueExA(key, "PhotoboothPrintCounter", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
  RegCloseKey(key);
}

long StoredCounter() {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kProductKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return -1;
  DWORD value = 0, type = 0, size = sizeof(value);
  LSTATUS status = RegQueryValueExA(key, "PhotoboothPrintCounter", nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
  RegCloseKey(key);
  return status == ERROR_SUCCESS ? long(value) : -1;
}

}  // namespace

TEST(ProgramGlobalsTest, PrintCounterNeverGoesBelowZero) {
  const struct {
    long stored;  // -1: no value yet
    int n;
    DWORD result;
    long after;
  } rows[] = {
      {2, 3, 0, 0},       {10, 3, 7, 7},      {10, 0, 10, 10},  {10, -4, 10, 10},
      {5, 300, 0, 0},     {3, 3, 0, 0},       {-1, 0, 0, -1},   {-1, 2, 0, 0},
      {0xFFFFFFFFl, 1, 0xFFFFFFFEu, 0xFFFFFFFEl},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(testing::Message() << row.stored << " minus " << row.n);
    TempRegistry registry;
    if (row.stored >= 0) StoreCounter(DWORD(row.stored));
    EXPECT_EQ(UpdatePhotoboothPrintCounter(row.n), row.result);
    EXPECT_EQ(StoredCounter(), row.after);
  }
}

TEST(ProgramGlobalsTest, PrinterResolutionComesFromTheDefaultPrinter) {
  int xDpi = 0, yDpi = 0, width = -1, height = -1;
  GetPrinterPageInfo(xDpi, yDpi, width, height);
  int rx = 0, ry = 0;
  GetPrinterResolution(rx, ry);
  EXPECT_EQ(rx, xDpi);
  EXPECT_EQ(ry, yDpi);
  char name[256] = {};
  DWORD size = sizeof(name);
  HDC dc = GetDefaultPrinterA(name, &size) ? CreateDCA(nullptr, name, nullptr, nullptr) : nullptr;
  if (!dc) {
    EXPECT_EQ(xDpi, 300);
    EXPECT_EQ(yDpi, 300);
    EXPECT_EQ(width, 0);
    EXPECT_EQ(height, 0);
    return;
  }
  EXPECT_EQ(xDpi, GetDeviceCaps(dc, LOGPIXELSX));
  EXPECT_EQ(yDpi, GetDeviceCaps(dc, LOGPIXELSY));
  EXPECT_EQ(width, GetDeviceCaps(dc, HORZRES));
  EXPECT_EQ(height, GetDeviceCaps(dc, VERTRES));
  EXPECT_GT(width, 0);
  DeleteDC(dc);
}

TEST(ProgramGlobalsTest, InitialValuesAndSmallHelpers) {
  EXPECT_EQ(g_strCustomNamingSeparator, "_");
  EXPECT_EQ(g_strProhibitedWordMessage, "Sorry, this word is prohibited\nPlease enter a different word");
  EXPECT_TRUE(g_strMonitorProfile.IsEmpty());
  EXPECT_EQ(g_forbiddenWords.GetSize(), 0);
  for (const CString& text : g_keyboardFieldTexts) EXPECT_TRUE(text.IsEmpty());
  EXPECT_FALSE(IsScreenCloseRequested());
  EXPECT_FALSE(IsWindows6_0());
  OnUserActivity();
}

TEST(ProgramGlobalsTest, UnlockPrinterSettingsReleasesTheLock) {
  EnterCriticalSection(&g_printerSettingsLock);
  BOOL taken = TRUE;
  std::thread([&] { taken = TryEnterCriticalSection(&g_printerSettingsLock); }).join();
  EXPECT_FALSE(taken);
  UnlockPrinterSettings();
  std::thread([&] {
    taken = TryEnterCriticalSection(&g_printerSettingsLock);
    if (taken) LeaveCriticalSection(&g_printerSettingsLock);
  }).join();
  EXPECT_TRUE(taken);
}
