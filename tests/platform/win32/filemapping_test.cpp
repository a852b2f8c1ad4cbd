#include "platform/win32/filemapping.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/win32/error.h"
#include "platform/win32/handle.h"
#include "platform/win32/stationfolder.h"

namespace {

std::string UniqueName(const char* what) { return std::string("TavorinMapTest") + what + std::to_string(getpid()); }

// The file behind a block whose name needs no escaping.
std::string ShmPath(const std::string& name) { return SharedBlockPath(name.c_str()); }

bool Exists(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0;
}

HANDLE Create(const std::string& name, DWORD size = 1024) {
  return CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, size, name.c_str());
}

}  // namespace

TEST(FileMappingTest, SecondCreateReportsAlreadyExistsAndSharesTheBytes) {
  std::string name = UniqueName("Twice");
  SetLastError(ERROR_ALREADY_EXISTS);
  HANDLE first = Create(name);
  ASSERT_TRUE(first);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
  HANDLE second = Create(name, 4096);  // the existing block keeps its size
  ASSERT_TRUE(second);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
  auto* a = static_cast<char*>(MapViewOfFile(first, FILE_MAP_ALL_ACCESS, 0, 0, 0));
  auto* b = static_cast<char*>(MapViewOfFile(second, FILE_MAP_ALL_ACCESS, 0, 0, 0));
  ASSERT_TRUE(a && b);
  EXPECT_NE(a, b);
  std::strcpy(a + 100, "through a");
  EXPECT_STREQ(b + 100, "through a");
  EXPECT_EQ(MapViewOfFile(second, FILE_MAP_READ, 0, 0, 1025), nullptr);  // past the 1,024 bytes
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_TRUE(UnmapViewOfFile(a));
  EXPECT_TRUE(UnmapViewOfFile(b));
  EXPECT_TRUE(CloseHandle(first));
  EXPECT_TRUE(CloseHandle(second));
}

TEST(FileMappingTest, TheBlockGoesWithItsLastHandleAndView) {
  std::string name = UniqueName("Last");
  HANDLE mapping = Create(name);
  ASSERT_TRUE(mapping);
  EXPECT_TRUE(Exists(ShmPath(name)));
  auto* view = static_cast<char*>(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, 0));
  ASSERT_TRUE(view);
  // The view outlives the handle and keeps the block.
  EXPECT_TRUE(CloseHandle(mapping));
  std::strcpy(view, "still here");
  HANDLE opened = OpenFileMappingA(FILE_MAP_READ, FALSE, name.c_str());
  ASSERT_TRUE(opened);
  auto* reader = static_cast<char*>(MapViewOfFile(opened, FILE_MAP_READ, 0, 0, 0));
  ASSERT_TRUE(reader);
  EXPECT_STREQ(reader, "still here");
  EXPECT_EQ(MapViewOfFile(opened, FILE_MAP_WRITE, 0, 0, 0), nullptr);  // opened for reading only
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_TRUE(UnmapViewOfFile(view));
  EXPECT_TRUE(UnmapViewOfFile(reader));
  EXPECT_TRUE(Exists(ShmPath(name)));
  EXPECT_TRUE(CloseHandle(opened));
  EXPECT_FALSE(Exists(ShmPath(name)));
  SetLastError(0);
  EXPECT_EQ(OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE, name.c_str()), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST(FileMappingTest, BadCallsFailTheWayCallersExpect) {
  std::string name = UniqueName("Bad");
  struct Row {
    const char* what;
    HANDLE file;
    DWORD protect;
    DWORD size;
    const char* name;
  } rows[] = {
      {"a real file", nullptr, PAGE_READWRITE, 1024, name.c_str()},
      {"no size", INVALID_HANDLE_VALUE, PAGE_READWRITE, 0, name.c_str()},
      {"no name", INVALID_HANDLE_VALUE, PAGE_READWRITE, 1024, nullptr},
      {"empty name", INVALID_HANDLE_VALUE, PAGE_READWRITE, 1024, ""},
      {"odd protection", INVALID_HANDLE_VALUE, 0x40, 1024, name.c_str()},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    SetLastError(0);
    EXPECT_EQ(CreateFileMappingA(row.file, nullptr, row.protect, 0, row.size, row.name), nullptr);
    EXPECT_NE(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
  }
  EXPECT_FALSE(Exists(ShmPath(name)));
  EXPECT_EQ(MapViewOfFile(nullptr, FILE_MAP_ALL_ACCESS, 0, 0, 0), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  int local = 0;
  EXPECT_FALSE(UnmapViewOfFile(&local));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_ADDRESS));
  EXPECT_FALSE(FlushViewOfFile(&local, 4));

  HANDLE mapping = Create(name, 200000);
  ASSERT_TRUE(mapping);
  EXPECT_EQ(MapViewOfFile(mapping, FILE_MAP_READ, 0, 4096, 0), nullptr);  // not on a 64 KiB boundary
  auto* tail = static_cast<char*>(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 65536, 0));
  ASSERT_TRUE(tail);
  EXPECT_TRUE(FlushViewOfFile(tail + 1000, 10));  // inside a view, not at its start
  EXPECT_FALSE(UnmapViewOfFile(tail + 1000));
  EXPECT_TRUE(UnmapViewOfFile(tail));
  EXPECT_FALSE(UnmapViewOfFile(tail));  // twice
  EXPECT_TRUE(CloseHandle(mapping));
  EXPECT_FALSE(CloseHandle(mapping));
}

TEST(FileMappingTest, NamesAreEscapedIntoOneFileOfTheUsersSession) {
  std::string name = "Local\\" + UniqueName("Escaped") + "/x";
  HANDLE mapping = Create(name);
  ASSERT_TRUE(mapping);
  std::string file = ShmPath(UniqueName("Escaped"));
  file.replace(file.rfind(UniqueName("Escaped")), UniqueName("Escaped").size(),
               "Local%5C" + UniqueName("Escaped") + "%2Fx");
  struct stat st;
  ASSERT_EQ(stat(file.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  EXPECT_TRUE(CloseHandle(mapping));
  EXPECT_FALSE(Exists(file));
}

TEST(FileMappingTest, ABlockWithoutOurHeaderIsNeverTrusted) {
  // Whatever sits under the name (a crash half-way, another program's bytes) is not a live
  // block: open says it is missing, create starts afresh.
  std::string name = UniqueName("Garbage");
  std::string shmName = SharedBlockPath(name.c_str());
  for (size_t size : {size_t{0}, size_t{100}, size_t{8192}}) {
    SCOPED_TRACE(size);
    int fd = open(shmName.c_str(), O_RDWR | O_CREAT | O_TRUNC, 0600);
    ASSERT_GE(fd, 0);
    std::string junk(size, '\x7f');
    ASSERT_EQ(write(fd, junk.data(), junk.size()), static_cast<ssize_t>(junk.size()));
    close(fd);
    EXPECT_EQ(OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE, name.c_str()), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));

    fd = open(shmName.c_str(), O_RDWR | O_CREAT | O_TRUNC, 0600);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(write(fd, junk.data(), junk.size()), static_cast<ssize_t>(junk.size()));
    close(fd);
    HANDLE mapping = Create(name);
    ASSERT_TRUE(mapping);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
    auto* view = static_cast<unsigned char*>(MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0));
    ASSERT_TRUE(view);
    EXPECT_EQ(view[0], 0);
    EXPECT_EQ(view[1023], 0);
    UnmapViewOfFile(view);
    CloseHandle(mapping);
  }
}

// Blocks are files of the user's private station folder of this session: a name in a
// folder others can write could be taken first by another user.
TEST(FileMappingTest, BlocksAreFilesOfThePrivateStationFolder) {
  std::string name = UniqueName("Session");
  HANDLE mapping = Create(name);
  ASSERT_TRUE(mapping);
  ASSERT_FALSE(GetStationFolder().empty());
  EXPECT_EQ(GetStationFolder(), GetStationFolderPath());
  std::string file = GetStationFolder() + "/" + name + ".block";
  EXPECT_EQ(ShmPath(name), file);
  struct stat st;
  ASSERT_EQ(lstat(file.c_str(), &st), 0);
  EXPECT_TRUE(S_ISREG(st.st_mode));
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  EXPECT_TRUE(CloseHandle(mapping));
}

// Without a runtime folder the station lives under the user's own cache folder, never in a
// shared temporary folder.
TEST(FileMappingTest, WithoutARuntimeFolderTheStationIsInTheCacheFolder) {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  std::string saved = runtime ? runtime : "";
  unsetenv("XDG_RUNTIME_DIR");
  setenv("XDG_CACHE_HOME", "/home/someone/.cache", 1);
  std::string path = GetStationFolderPath();
  EXPECT_EQ(path.rfind("/home/someone/.cache/tavorin-station-", 0), 0u) << path;
  unsetenv("XDG_CACHE_HOME");
  if (runtime) setenv("XDG_RUNTIME_DIR", saved.c_str(), 1);
}
