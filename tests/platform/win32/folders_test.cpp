#include "platform/win32/folders.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <map>

#include "platform/win32/error.h"
#include "tests/platform/win32/tempdir_p.h"

namespace {

// Points HOME and XDG_CONFIG_HOME into a temporary folder for one test.
class FoldersTest : public testing::Test {
 protected:
  void SetUp() override {
    Save("HOME");
    Save("XDG_CONFIG_HOME");
    setenv("HOME", (dir / "home").c_str(), 1);
    unsetenv("XDG_CONFIG_HOME");
    mkdir((dir / "home").c_str(), 0700);
    mkdir((dir / "home/.config").c_str(), 0700);
  }
  void TearDown() override {
    for (auto& [name, value] : saved_) {
      if (value.second) setenv(name.c_str(), value.first.c_str(), 1); else unsetenv(name.c_str());
    }
  }
  void Save(const char* name) {
    const char* value = getenv(name);
    saved_[name] = {value ? value : "", value != nullptr};
  }
  TempDir dir;

 private:
  std::map<std::string, std::pair<std::string, bool>> saved_;
};

}  // namespace

TEST_F(FoldersTest, DocumentsFollowUserDirsFile) {
  std::string home = dir / "home";
  struct Row {
    const char* what;
    std::string contents;
    std::string expected;
  } rows[] = {
      {"no file", "", home + "/Documents"},
      {"home relative", "# comment\nXDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"\n", home + "/Dokumente"},
      {"absolute", "XDG_DOCUMENTS_DIR=\"/srv/docs/\"\n", "/srv/docs"},
      {"escaped quote", "XDG_DOCUMENTS_DIR=\"$HOME/My \\\"Docs\\\"\"\n", home + "/My \"Docs\""},
      {"utf-8 name", "XDG_DOCUMENTS_DIR=\"$HOME/Docs caf\xC3\xA9\"\n", home + "/Docs caf\xE9"},
      {"other keys only", "XDG_PICTURES_DIR=\"$HOME/Pictures\"\n", home + "/Documents"},
      {"relative is ignored", "XDG_DOCUMENTS_DIR=\"docs\"\n", home + "/Documents"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    unlink((home + "/.config/user-dirs.dirs").c_str());
    if (!row.contents.empty()) TempDir::Write(home + "/.config/user-dirs.dirs", row.contents);
    EXPECT_EQ(GetDocumentsFolder(), row.expected);
    char path[MAX_PATH];
    ASSERT_EQ(SHGetFolderPath(nullptr, CSIDL_PERSONAL, nullptr, SHGFP_TYPE_CURRENT, path), S_OK);
    EXPECT_EQ(std::string(path), row.expected);
  }
}

TEST_F(FoldersTest, ConfigHomeOverrideAndCreation) {
  setenv("XDG_CONFIG_HOME", (dir / "config").c_str(), 1);
  mkdir((dir / "config").c_str(), 0700);
  TempDir::Write(dir / "config/user-dirs.dirs", "XDG_DOCUMENTS_DIR=\"$HOME/Papers\"\n");
  char path[MAX_PATH];
  EXPECT_EQ(SHGetFolderPath(nullptr, CSIDL_APPDATA, nullptr, 0, path), S_OK);
  EXPECT_EQ(std::string(path), dir / "config");
  EXPECT_FALSE(TempDir::Exists(dir / "home/Papers"));
  EXPECT_EQ(SHGetFolderPath(nullptr, CSIDL_PERSONAL | CSIDL_FLAG_CREATE, nullptr, 0, path), S_OK);
  EXPECT_EQ(std::string(path), dir / "home/Papers");
  EXPECT_TRUE(TempDir::Exists(dir / "home/Papers"));
  EXPECT_EQ(SHGetFolderPath(nullptr, 0x0026, nullptr, 0, path), E_INVALIDARG);
  EXPECT_EQ(SHGetFolderPath(nullptr, CSIDL_PERSONAL, nullptr, 0, nullptr), E_INVALIDARG);
  EXPECT_EQ(GetHomeFolder(), dir / "home");
}

TEST(ProgramPathTest, ModuleFileNameIsTheRunningProgram) {
  char path[MAX_PATH];
  DWORD length = GetModuleFileName(nullptr, path, MAX_PATH);
  ASSERT_GT(length, 0u);
  EXPECT_EQ(length, std::strlen(path));
  EXPECT_EQ(path[0], '/');
  std::string full = path;
  EXPECT_EQ(full.substr(full.find_last_of('/') + 1), "win32_tests");
  EXPECT_EQ(GetProgramFolder(), full.substr(0, full.find_last_of('/') + 1));

  char small[5];
  EXPECT_EQ(GetModuleFileName(nullptr, small, sizeof small), 5u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(std::string(small), full.substr(0, 4)) << "cut and terminated";
}

TEST_F(FoldersTest, ShippedFilesFromTheBuildTreeThenTheDataDirs) {
  Save("XDG_DATA_DIRS");
  const std::string first = dir / "first", second = dir / "second";
  for (const std::string& folder : {first, second}) {
    mkdir(folder.c_str(), 0700);
    mkdir((folder + "/tavorin").c_str(), 0700);
  }
  TempDir::Write(first + "/tavorin/both.txt", "first");
  TempDir::Write(second + "/tavorin/both.txt", "second");
  TempDir::Write(second + "/tavorin/second.txt", "second");
  // An installed copy of the program's data must not hide the source's data from a build tree.
  TempDir::Write(first + "/tavorin/splash.bmp", "installed");
  setenv("XDG_DATA_DIRS", ("relative:" + first + "/:" + second).c_str(), 1);
  struct Row {
    const char* name;
    std::string expected;
  } rows[] = {
      {"both.txt", first + "/tavorin/both.txt"},
      {"second.txt", second + "/tavorin/second.txt"},
      {"splash.bmp", std::string(TAVORIN_SOURCE_DIR) + "/data/splash.bmp"},
      {"help", std::string(TAVORIN_SOURCE_DIR) + "/data/help"},
      {"absent.txt", ""},
      {"", ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(FindShippedFile(row.name), row.expected);
  }
  // A relative entry is no data folder, whatever the working folder holds.
  mkdir((dir / "relative").c_str(), 0700);
  mkdir((dir / "relative/tavorin").c_str(), 0700);
  TempDir::Write(dir / "relative/tavorin/relative.txt", "x");
  char cwd[4096];
  ASSERT_TRUE(getcwd(cwd, sizeof cwd));
  ASSERT_EQ(chdir(dir.path().c_str()), 0);
  EXPECT_EQ(FindShippedFile("relative.txt"), "");
  ASSERT_EQ(chdir(cwd), 0);
}
