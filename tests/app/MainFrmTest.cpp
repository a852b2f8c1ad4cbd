#include <cstring>
#include <string>

#include "AppTestSupport.h"
#include "app/MyQuilletApp.h"
#include "platform/win32/process.h"
#include "platform/winspool/devmode.h"

namespace {

DWORD ReadProductValue(const char* name) {
  HKEY key = nullptr;
  DWORD value = 0xDEADBEEF;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kProductKey, 0, KEY_READ, &key) == ERROR_SUCCESS) {
    ReadRegDword(key, name, value);
    RegCloseKey(key);
  }
  return value;
}

/// Runs the real program offscreen on this test's registry for a short while; its exit code.
DWORD RunTavorin() {
  std::string program = std::string(TAVORIN_BINARY_DIR) + "/app/tavorin";
  DWORD exitCode = 0xFFFFFFFF;
  EXPECT_TRUE(RunProcess({"/usr/bin/env", std::string("TAVORIN_REGISTRY=") + std::getenv("TAVORIN_REGISTRY"),
                          "HOME=" + TestFolder(), "QT_QPA_PLATFORM=offscreen", "TAVORIN_CAMERA_SIM=default",
                          "TAVORIN_QUIT_AFTER_MS=300", program},
                         120000, &exitCode));
  return exitCode;
}

class StartUpTest : public ::testing::Test {
 protected:
  void SetUp() override { ClearProductKey(); }
  void TearDown() override { ClearProductKey(); }
};

TEST_F(StartUpTest, TheProgramStartsAndSavesItsSettingsAndRectangle) {
  EXPECT_EQ(0u, RunTavorin());
  EXPECT_NE(0xDEADBEEFu, ReadProductValue("WindowLeft"));
  EXPECT_NE(0xDEADBEEFu, ReadProductValue("WindowBottom"));
  EXPECT_EQ(0u, ReadProductValue("WindowZoomed"));
  EXPECT_EQ(1u, ReadProductValue("ViewfinderScale"));  // the view saved its settings on the way out
}

TEST_F(StartUpTest, ASavedRectangleIsRestored) {
  struct Row {
    LONG left, top, right, bottom;
  } rows[] = {{100, 120, 900, 700}, {-500, 40, 300, 640}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.left);
    HKEY key = OpenProductKey();
    WriteRegDword(key, "WindowLeft", static_cast<DWORD>(row.left));
    WriteRegDword(key, "WindowTop", static_cast<DWORD>(row.top));
    WriteRegDword(key, "WindowRight", static_cast<DWORD>(row.right));
    WriteRegDword(key, "WindowBottom", static_cast<DWORD>(row.bottom));
    RegCloseKey(key);
    EXPECT_EQ(0u, RunTavorin());
    EXPECT_EQ(static_cast<DWORD>(row.left), ReadProductValue("WindowLeft"));
    EXPECT_EQ(static_cast<DWORD>(row.top), ReadProductValue("WindowTop"));
    EXPECT_EQ(static_cast<DWORD>(row.right), ReadProductValue("WindowRight"));
    EXPECT_EQ(static_cast<DWORD>(row.bottom), ReadProductValue("WindowBottom"));
  }
}

TEST_F(StartUpTest, TheFramePlacesTheSavedRectangleBeforeCreation) {
  HKEY key = OpenProductKey();
  WriteRegDword(key, "WindowLeft", 10);
  WriteRegDword(key, "WindowTop", 20);
  WriteRegDword(key, "WindowRight", 410);
  WriteRegDword(key, "WindowBottom", 320);
  WriteRegDword(key, "WindowZoomed", 1);
  RegCloseKey(key);
  CMainFrame frame;
  CREATESTRUCT cs{};
  cs.style = WS_POPUP;
  ASSERT_TRUE(frame.PreCreateWindow(cs));
  EXPECT_EQ(10, cs.x);
  EXPECT_EQ(20, cs.y);
  EXPECT_EQ(400, cs.cx);
  EXPECT_EQ(300, cs.cy);
  EXPECT_EQ(static_cast<LONG>(WS_OVERLAPPEDWINDOW), cs.style);
  EXPECT_TRUE(frame.m_bStartMaximised);

  ClearProductKey();
  key = OpenProductKey();
  WriteRegDword(key, "WindowLeft", 10);
  WriteRegText(key, "WindowTop", "20");  // not a DWORD: the default position stays
  WriteRegDword(key, "WindowRight", 410);
  WriteRegDword(key, "WindowBottom", 320);
  RegCloseKey(key);
  CREATESTRUCT untouched{};
  untouched.x = CW_USEDEFAULT;
  ASSERT_TRUE(frame.PreCreateWindow(untouched));
  EXPECT_EQ(CW_USEDEFAULT, untouched.x);
  EXPECT_FALSE(frame.m_bStartMaximised);
}

TEST(CompatibilityRelaunchTest, OnlyWindows6_0WithoutTheExactLayerHandsOver) {
  struct Row {
    DWORD major, minor;
    bool opened;
    const char* value;
    bool relaunch;
  } rows[] = {
      {6, 0, true, "WINXPSP2", false}, {6, 0, true, "WINXPSP2 ", true}, {6, 0, true, nullptr, true},
      {6, 0, false, nullptr, false},   {6, 1, true, "", false},          {10, 0, true, "", false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.value ? row.value : "(none)");
    EXPECT_EQ(row.relaunch, NeedsCompatibilityRelaunch(row.major, row.minor, row.opened, row.value));
  }
  EXPECT_FALSE(IsWindows6_0());
}

TEST(PrinterSettingsTest, InstalledRecordsComeBackAsCopies) {
  CMyQuilletApp* app = GetMyQuilletApp();
  ASSERT_NE(nullptr, app);
  BYTE devMode[sizeof(DEVMODEA)] = {};
  std::strcpy(reinterpret_cast<char*>(devMode), "Test printer");
  BYTE devNames[32] = {8, 0, 17, 0, 30, 0, 0, 0};
  EXPECT_FALSE(app->SetPrinterSettings(nullptr, sizeof(devMode), devNames, sizeof(devNames)));
  EXPECT_FALSE(app->SetPrinterSettings(devMode, 0, devNames, sizeof(devNames)));
  EXPECT_FALSE(app->SetPrinterSettings(devMode, sizeof(devMode), devNames, 0));
  ASSERT_TRUE(app->SetPrinterSettings(devMode, sizeof(devMode), devNames, sizeof(devNames)));
  BYTE* modeCopy = nullptr;
  BYTE* namesCopy = nullptr;
  DWORD modeSize = 0, namesSize = 0;
  // The lock is recursive: a holder may ask again.
  EnterCriticalSection(&g_printerSettingsLock);
  ASSERT_TRUE(app->GetPrinterSettings(modeCopy, modeSize, namesCopy, namesSize));
  LeaveCriticalSection(&g_printerSettingsLock);
  ASSERT_EQ(sizeof(devMode), modeSize);
  ASSERT_EQ(sizeof(devNames), namesSize);
  EXPECT_EQ(0, std::memcmp(devMode, modeCopy, modeSize));
  EXPECT_EQ(0, std::memcmp(devNames, namesCopy, namesSize));
  EXPECT_NE(devMode, modeCopy);
  delete[] modeCopy;
  delete[] namesCopy;
}

TEST_F(StartUpTest, PrinterRecordsOfTheWrongSizeAreNotInstalled) {
  CMyQuilletApp* app = GetMyQuilletApp();
  ASSERT_NE(nullptr, app);
  BYTE devMode[sizeof(DEVMODEA)] = {1};
  BYTE devNames[16] = {2};
  ASSERT_TRUE(app->SetPrinterSettings(devMode, sizeof(devMode), devNames, sizeof(devNames)));
  std::vector<BYTE> huge(kMaxPrinterRecord + 1, 7), other(64, 9);
  HKEY key = OpenProductKey();
  RegSetValueExA(key, "PrinterDevMode", 0, REG_BINARY, huge.data(), static_cast<DWORD>(huge.size()));
  RegSetValueExA(key, "PrinterDevNames", 0, REG_BINARY, other.data(), static_cast<DWORD>(other.size()));
  RegCloseKey(key);
  {
    ViewHarness harness;
    ASSERT_NE(nullptr, harness.m_view);
    BYTE* mode = nullptr;
    BYTE* names = nullptr;
    DWORD modeSize = 0, namesSize = 0;
    ASSERT_TRUE(app->GetPrinterSettings(mode, modeSize, names, namesSize));
    EXPECT_EQ(sizeof(devMode), modeSize);  // the stored oversize record was refused
    EXPECT_EQ(sizeof(devNames), namesSize);
    delete[] mode;
    delete[] names;
  }
}

}  // namespace

TEST_F(StartUpTest, TheStatusBarKeepsItsVisibilityInTheProgramsKey) {
  const CString barKey = CString(kProductKey) + CMainFrame::kBarStateKey;
  auto storedVisible = [&] {
    HKEY key = nullptr;
    DWORD value = 0xDEADBEEF;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, barKey, 0, KEY_READ, &key) == ERROR_SUCCESS) {
      ReadRegDword(key, "StatusBarVisible", value);
      RegCloseKey(key);
    }
    return value;
  };
  {
    ViewHarness harness;
    ASSERT_NE(nullptr, harness.m_frame);
    EXPECT_TRUE(harness.m_frame->m_wndStatusBar.GetStyle() & WS_VISIBLE);
    harness.m_frame->m_wndStatusBar.ShowWindow(SW_HIDE);
  }
  EXPECT_EQ(0u, storedVisible());
  {
    ViewHarness harness;
    ASSERT_NE(nullptr, harness.m_frame);
    EXPECT_FALSE(harness.m_frame->m_wndStatusBar.GetStyle() & WS_VISIBLE);
    harness.m_frame->m_wndStatusBar.ShowWindow(SW_SHOW);
  }
  EXPECT_EQ(1u, storedVisible());
}
