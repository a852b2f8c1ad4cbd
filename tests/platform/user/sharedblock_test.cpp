// Named shared blocks between two real processes.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <string>

#include "peerprocess.h"
#include "platform/win32/error.h"
#include "platform/win32/filemapping.h"
#include "platform/win32/handle.h"

namespace {

std::string UniqueName(const char* what) { return std::string("TavorinTest") + what + std::to_string(getpid()); }

}  // namespace

TEST(SharedBlockTest, TwoProcessesSeeEachOthersWrites) {
  std::string name = UniqueName("Shared");
  SetLastError(ERROR_ALREADY_EXISTS);
  HANDLE mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 1024, name.c_str());
  ASSERT_TRUE(mapping);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
  auto* view = static_cast<char*>(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, 0));
  ASSERT_TRUE(view);

  PeerProcess peer;
  EXPECT_EQ(peer.Command("map " + name + " 1024"), "exists");
  EXPECT_EQ(peer.Command("write 12 written by the peer"), "ok");
  EXPECT_STREQ(view + 12, "written by the peer");
  std::strcpy(view + 780, "ours");
  EXPECT_TRUE(FlushViewOfFile(view, 788));
  EXPECT_EQ(peer.Command("read 780"), "ours");

  // Per user and session, private to the user.
  struct stat st;
  ASSERT_EQ(stat(SharedBlockPath(name.c_str()).c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  EXPECT_EQ(st.st_uid, geteuid());

  // The block stays while the peer holds it, after we let go.
  EXPECT_TRUE(UnmapViewOfFile(view));
  EXPECT_TRUE(CloseHandle(mapping));
  HANDLE again = OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE, name.c_str());
  ASSERT_TRUE(again);
  auto* reopened = static_cast<char*>(MapViewOfFile(again, FILE_MAP_READ, 0, 0, 1024));
  ASSERT_TRUE(reopened);
  EXPECT_STREQ(reopened + 12, "written by the peer");
  UnmapViewOfFile(reopened);
  CloseHandle(again);
}

TEST(SharedBlockTest, ABlockLeftByAKilledProcessIsResetOnCreate) {
  std::string name = UniqueName("Stale");
  {
    PeerProcess peer;
    ASSERT_EQ(peer.Command("map " + name + " 1024"), "new");
    ASSERT_EQ(peer.Command("write 0 left behind"), "ok");
    peer.Kill();
  }
  // Opening finds nothing: the mapping died with its only process.
  SetLastError(0);
  EXPECT_EQ(OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE, name.c_str()), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  {
    PeerProcess peer;
    ASSERT_EQ(peer.Command("map " + name + " 1024"), "new");
    ASSERT_EQ(peer.Command("write 0 left behind again"), "ok");
    peer.Kill();
  }
  // Creating gets a fresh, zeroed block, reported as new.
  SetLastError(ERROR_ALREADY_EXISTS);
  HANDLE mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 1024, name.c_str());
  ASSERT_TRUE(mapping);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
  auto* view = static_cast<unsigned char*>(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, 0));
  ASSERT_TRUE(view);
  size_t nonZero = 0;
  for (size_t i = 0; i < 1024; ++i) nonZero += view[i] != 0;
  EXPECT_EQ(nonZero, 0u);
  UnmapViewOfFile(view);
  CloseHandle(mapping);
}
