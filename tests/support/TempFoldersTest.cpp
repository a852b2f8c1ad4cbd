// Private temporary folders: new and the user's own every time, and what an ended run left is
// cleared while the folders of running processes stay.
#include "support/TempFolders.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace fs = std::filesystem;

namespace {

class TempFoldersTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/tavorin-tempfolders-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    m_root = pattern;
    m_oldTemp = getenv("TMPDIR") ? getenv("TMPDIR") : "";
    setenv("TMPDIR", m_root.c_str(), 1);
  }
  void TearDown() override {
    m_oldTemp.empty() ? unsetenv("TMPDIR") : setenv("TMPDIR", m_oldTemp.c_str(), 1);
    fs::remove_all(m_root);
  }
  std::string m_root, m_oldTemp;
};

}  // namespace

TEST_F(TempFoldersTest, EachFolderIsNewAndPrivate) {
  CString first = MakePrivateTempFolder("tavorin-frames");
  CString second = MakePrivateTempFolder("tavorin-frames");
  ASSERT_FALSE(first.IsEmpty());
  ASSERT_FALSE(second.IsEmpty());
  EXPECT_NE(first, second);
  EXPECT_EQ(0u, std::string(first.GetString()).rfind(m_root + "/tavorin-frames-" + std::to_string(getpid()) + "-", 0))
      << first.GetString();
  struct stat info {};
  ASSERT_EQ(stat(first, &info), 0);
  EXPECT_TRUE(S_ISDIR(info.st_mode));
  EXPECT_EQ(info.st_mode & 0777, 0700u);
  // Removing takes what is inside, but never what a link in it points to.
  std::ofstream(std::string(first.GetString()) + "/frame001.png") << "png";
  std::string outside = m_root + "/outside.txt";
  std::ofstream(outside) << "keep";
  fs::create_symlink(outside, std::string(first.GetString()) + "/link");
  RemovePrivateTempFolder(first);
  EXPECT_FALSE(fs::exists(first.GetString()));
  EXPECT_TRUE(fs::exists(outside));
  RemovePrivateTempFolder(second);
}

TEST_F(TempFoldersTest, FoldersOfEndedRunsAreClearedAtStart) {
  pid_t ended = fork();
  if (ended == 0) _exit(0);
  waitpid(ended, nullptr, 0);
  const std::string stale = m_root + "/tavorin-frames-" + std::to_string(ended) + "-abcdef";
  const std::string running = m_root + "/tavorin-frames-" + std::to_string(getppid()) + "-abcdef";
  const std::string other = m_root + "/something-" + std::to_string(ended) + "-abcdef";
  for (const std::string& folder : {stale, running, other}) {
    fs::create_directories(folder);
    std::ofstream(folder + "/frame001.png") << "png";
  }
  CString mine = MakePrivateTempFolder("tavorin-frames");
  RemoveStalePrivateTempFolders("tavorin-frames");
  EXPECT_FALSE(fs::exists(stale));
  EXPECT_TRUE(fs::exists(running));
  EXPECT_TRUE(fs::exists(other));
  EXPECT_TRUE(fs::exists(mine.GetString()));
}
