#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/gdi/wingdi.h"
#include "platform/win32/error.h"

namespace fs = std::filesystem;

namespace {

class IcmTest : public testing::Test {
 protected:
  void SetUp() override {
    m_root = fs::temp_directory_path() / ("icm-test-" + std::to_string(::getpid()));
    fs::remove_all(m_root);
    fs::create_directories(m_root);
    const char* old = std::getenv("XDG_DATA_HOME");
    m_oldDataHome = old ? old : "";
    m_hadDataHome = old != nullptr;
    setenv("XDG_DATA_HOME", (m_root / "data").c_str(), 1);
  }
  void TearDown() override {
    if (m_hadDataHome) setenv("XDG_DATA_HOME", m_oldDataHome.c_str(), 1);
    else unsetenv("XDG_DATA_HOME");
    fs::remove_all(m_root);
  }
  static std::vector<char> Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  fs::path m_root;
  std::string m_oldDataHome;
  bool m_hadDataHome = false;
};

}  // namespace

TEST_F(IcmTest, ColourFolderIsMadeUnderTheDataHomeAndASmallBufferIsRefused) {
  DWORD size = 4;
  char tiny[4] = {};
  EXPECT_FALSE(GetColorDirectoryA(nullptr, tiny, &size));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  std::string expected = (m_root / "data" / "icc").string();
  EXPECT_EQ(size, expected.size() + 1);
  std::vector<char> buffer(size);
  ASSERT_TRUE(GetColorDirectoryA(nullptr, buffer.data(), &size));
  EXPECT_EQ(std::string(buffer.data()), expected);
  EXPECT_TRUE(fs::is_directory(expected));

  // Without XDG_DATA_HOME the folder is under the home's .local/share.
  unsetenv("XDG_DATA_HOME");
  std::string home = (m_root / "home").string();
  std::string oldHome = std::getenv("HOME") ? std::getenv("HOME") : "";
  setenv("HOME", home.c_str(), 1);
  char path[MAX_PATH] = {};
  size = sizeof(path);
  BOOL ok = GetColorDirectoryA(nullptr, path, &size);
  setenv("HOME", oldHome.c_str(), 1);
  ASSERT_TRUE(ok);
  EXPECT_EQ(std::string(path), home + "/.local/share/icc");
}

TEST_F(IcmTest, ScreenProfileIsAnRgbProfileFileInTheColourFolderAndSurvivesADamagedCopy) {
  char path[MAX_PATH] = {};
  DWORD size = sizeof(path);
  HDC screen = CreateCompatibleDC(nullptr);
  ASSERT_TRUE(GetICMProfileA(screen, &size, path));
  EXPECT_EQ(size, std::string(path).size() + 1);
  EXPECT_EQ(fs::path(path).parent_path(), m_root / "data" / "icc");
  std::vector<char> bytes = Read(path);
  ASSERT_GE(bytes.size(), 132u);
  EXPECT_EQ(std::string(bytes.data() + 36, 4), "acsp");
  EXPECT_EQ(std::string(bytes.data() + 16, 4), "RGB ");

  // A truncated file left behind is made again, not handed out.
  fs::resize_file(path, 40);
  size = sizeof(path);
  ASSERT_TRUE(GetICMProfileA(screen, &size, path));
  EXPECT_EQ(Read(path), bytes);
  DeleteDC(screen);
}
