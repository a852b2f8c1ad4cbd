// The values in the registry across a real start and end of the program: older stored forms are
// converted, out-of-range values mended, every record group written, and a settings file that
// another program held at start read at the first write.
#include <gtest/gtest.h>
#include <sqlite3.h>

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

// Another program holding the settings file from its start until Release (or its end).
class HiveHolder {
 public:
  explicit HiveHolder(const std::string& path) {
    if (pipe(m_held) != 0 || pipe(m_release) != 0) return;
    m_pid = fork();
    if (m_pid == 0) {
      sqlite3* db = nullptr;
      if (sqlite3_open(path.c_str(), &db) != SQLITE_OK ||
          sqlite3_exec(db, "PRAGMA locking_mode=EXCLUSIVE; BEGIN EXCLUSIVE; UPDATE keys SET name = name WHERE id = 1;",
                       nullptr, nullptr, nullptr) != SQLITE_OK)
        _exit(2);
      char byte = 'L';
      if (write(m_held[1], &byte, 1) != 1 || read(m_release[0], &byte, 1) != 1) _exit(3);
      _exit(0);  // the transaction dies with the process
    }
    char byte = 0;
    m_holding = m_pid > 0 && read(m_held[0], &byte, 1) == 1;
  }
  ~HiveHolder() { Release(); }
  bool Holding() const { return m_holding; }
  /// Ends the holder; true when it held the file and ended cleanly.
  bool Release() {
    if (m_pid <= 0) return false;
    char byte = 'R';
    bool sent = write(m_release[1], &byte, 1) == 1;
    int status = 0;
    bool ended = waitpid(m_pid, &status, 0) == m_pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    m_pid = 0;
    for (int fd : {m_held[0], m_held[1], m_release[0], m_release[1]}) close(fd);
    return sent && ended && m_holding;
  }

 private:
  int m_held[2] = {-1, -1};
  int m_release[2] = {-1, -1};
  pid_t m_pid = 0;
  bool m_holding = false;
};

bool LogShows(const TestDesktop& desktop, const std::string& text, int seconds) {
  auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  while (std::chrono::steady_clock::now() < limit) {
    if (ReadWhole(desktop.Root() + "/program.log").find(text) != std::string::npos) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  return false;
}

// The file was held only while the program started: once it is free, the first write loads the
// stored settings into the running program, and the exit saves them rather than the defaults.
TEST_F(SettingsRestartTest, ASettingsFileHeldAtStartIsReadAtTheFirstWrite) {
  std::string chosen = m_desktop.Root() + "/photos/chosen";
  HKEY key = OpenKey();
  Put(key, "AutoBracketNumShots", 7);
  RegSetValueExA(key, "Directory", 0, REG_SZ, reinterpret_cast<const BYTE*>(chosen.c_str()),
                 static_cast<DWORD>(chosen.size() + 1));
  RegCloseKey(key);
  RegistryReopenForTest();

  HiveHolder holder(m_desktop.Root() + "/config/registry.sqlite3");
  ASSERT_TRUE(holder.Holding());
  m_desktop.AddEnvironment("TAVORIN_TEST=1");  // the notice takes its default button
  m_desktop.AddEnvironment("TAVORIN_TRACE=1");
  ASSERT_TRUE(m_desktop.Start());
  ASSERT_TRUE(LogShows(m_desktop, "MessageBox: Tavorin: The settings could not be read", 60))
      << ReadWhole(m_desktop.Root() + "/program.log");
  ASSERT_TRUE(holder.Release());
  ASSERT_TRUE(m_desktop.WaitUntilAnswering(60));

  // Reconnecting the camera writes the model's settings: the stored folder is in effect after it.
  // The connection made at start answers busy until it has ended.
  ClientRun disconnect;
  auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  do {
    disconnect = m_desktop.Client({"-C", "0"});
    if (disconnect.exitCode != 0) std::this_thread::sleep_for(std::chrono::milliseconds(200));
  } while (disconnect.exitCode != 0 && std::chrono::steady_clock::now() < limit);
  EXPECT_EQ(disconnect.exitCode, 0) << disconnect.out << disconnect.err;
  ClientRun reconnect = m_desktop.Client({"-C", "1"});
  EXPECT_EQ(reconnect.exitCode, 0) << reconnect.out << reconnect.err;
  ClientRun query = m_desktop.Client({"-q"});
  EXPECT_NE(query.out.find("Output directory: " + chosen), std::string::npos) << query.out;

  ClientRun exit = m_desktop.Client({"-X"});
  EXPECT_EQ(exit.exitCode, 0) << exit.out << exit.err;
  ASSERT_EQ(m_desktop.WaitForExit(60), 0) << ReadWhole(m_desktop.Root() + "/program.log");

  RegistryReopenForTest();
  key = OpenKey();
  DWORD value = 0;
  ASSERT_TRUE(Get(key, "AutoBracketNumShots", value));
  EXPECT_EQ(value, 7u);
  EXPECT_TRUE(Get(key, "GreenScreenRedPercentage", value)) << "settings were not saved at exit";
  char text[512] = {};
  DWORD size = sizeof text;
  EXPECT_EQ(RegQueryValueExA(key, "Directory", nullptr, nullptr, reinterpret_cast<BYTE*>(text), &size),
            ERROR_SUCCESS);
  EXPECT_EQ(std::string(text), chosen);
  RegCloseKey(key);
}

}  // namespace
