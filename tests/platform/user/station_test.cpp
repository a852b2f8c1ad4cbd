// The window station folder: where it is, who may own it, and what it lets others see.
#include <gtest/gtest.h>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "peerprocess.h"
#include "platform/user/station_p.h"
#include "testwindow.h"

namespace {

unsigned Mode(const std::string& path) {
  struct stat st;
  return lstat(path.c_str(), &st) == 0 ? static_cast<unsigned>(st.st_mode & 07777) : 0xFFFFFFFFu;
}

// A temporary folder, removed with its contents.
struct TempFolder {
  std::string path;
  TempFolder() {
    char pattern[] = "/tmp/tavorin-station-test-XXXXXX";
    if (mkdtemp(pattern)) path = pattern;
  }
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
  }
};

}  // namespace

TEST(StationTest, FolderAndFilesArePrivateToTheUser) {
  TestWindow own;  // a window makes the station and our entries in it
  ASSERT_TRUE(own.hwnd);
  std::string folder = std::string(std::getenv("XDG_RUNTIME_DIR")) + "/tavorin-station";
  EXPECT_EQ(user_p::StationFolder(), folder);
  EXPECT_EQ(Mode(folder), 0700u);
  struct stat st;
  ASSERT_EQ(stat(folder.c_str(), &st), 0);
  EXPECT_EQ(st.st_uid, geteuid());
  std::string pid = std::to_string(getpid());
  EXPECT_EQ(Mode(folder + "/" + pid + ".windows"), 0600u);
  EXPECT_EQ(Mode(folder + "/" + pid + ".sock") & 0777, 0600u);
  EXPECT_EQ(Mode(folder + "/handles"), 0600u);
}

TEST(StationTest, OnlyAFolderOfOurOwnIsUsed) {
  TempFolder temp;
  ASSERT_FALSE(temp.path.empty());
  std::string foreign = temp.path + "/someone-else";
  ASSERT_EQ(mkdir(foreign.c_str(), 0700), 0);
  ASSERT_EQ(chown(foreign.c_str(), 65534, 65534), 0);
  std::string wideOpen = temp.path + "/ours-but-open";
  ASSERT_EQ(mkdir(wideOpen.c_str(), 0777), 0);
  ASSERT_EQ(chmod(wideOpen.c_str(), 0777), 0);
  std::string link = temp.path + "/link";
  ASSERT_EQ(symlink(wideOpen.c_str(), link.c_str()), 0);
  std::string file = temp.path + "/file";
  ASSERT_EQ(close(creat(file.c_str(), 0600)), 0);

  struct Row {
    std::string path;
    bool usable;
  } rows[] = {{foreign, false}, {link, false}, {file, false}, {wideOpen, true}, {temp.path + "/new", true}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.path);
    EXPECT_EQ(user_p::PrepareStationFolder(row.path), row.usable);
    if (row.usable) {
      EXPECT_EQ(Mode(row.path), 0700u);
    }
  }
}

TEST(StationTest, AnotherUsersStationIsNeverUsed) {
  TempFolder runtime;
  std::string station = runtime.path + "/tavorin-station";
  ASSERT_EQ(mkdir(station.c_str(), 0700), 0);
  ASSERT_EQ(chown(station.c_str(), 65534, 65534), 0);
  PeerProcess peer({"XDG_RUNTIME_DIR=" + runtime.path});
  ASSERT_TRUE(peer.Running());
  // Its windows still work inside the process, but nothing lands in the foreign folder.
  HWND window = peer.CommandHwnd("window Station of another user");
  EXPECT_TRUE(window);
  EXPECT_EQ(peer.Command("findexact Station of another user"), PeerProcess::Hex(window));
  EXPECT_TRUE(std::filesystem::is_empty(station));
  EXPECT_EQ(FindWindowA(nullptr, "Station of another user"), nullptr);
}
