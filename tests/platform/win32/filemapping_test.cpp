#include "platform/win32/filemapping.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <string>

#include "platform/win32/error.h"
#include "platform/win32/handle.h"

namespace {

std::string UniqueName(const char* what) { return std::string("TavorinMapTest") + what + std::to_string(getpid()); }

// The file behind a block whose name needs no escaping.
std::string ShmPath(const std::string& name) { return "/dev/shm" + SharedMemoryName(name.c_str()); }

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
  std::string shmName = SharedMemoryName(name.c_str());
  for (size_t size : {size_t{0}, size_t{100}, size_t{8192}}) {
    SCOPED_TRACE(size);
    int fd = shm_open(shmName.c_str(), O_RDWR | O_CREAT | O_TRUNC, 0600);
    ASSERT_GE(fd, 0);
    std::string junk(size, '\x7f');
    ASSERT_EQ(write(fd, junk.data(), junk.size()), static_cast<ssize_t>(junk.size()));
    close(fd);
    EXPECT_EQ(OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE, name.c_str()), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));

    fd = shm_open(shmName.c_str(), O_RDWR | O_CREAT | O_TRUNC, 0600);
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

TEST(FileMappingTest, EachDesktopSessionHasItsOwnBlocks) {
  const char* saved = std::getenv("XDG_RUNTIME_DIR");
  std::string restore = saved ? saved : "";
  std::string name = UniqueName("Session");
  setenv("XDG_RUNTIME_DIR", "/run/user/session-one", 1);
  HANDLE first = Create(name);
  ASSERT_TRUE(first);
  std::string firstFile = ShmPath(name);
  setenv("XDG_RUNTIME_DIR", "/run/user/session-two", 1);
  // Another session does not see the block, and its own block of that name is a new one.
  EXPECT_EQ(OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE, name.c_str()), nullptr);
  HANDLE second = Create(name);
  ASSERT_TRUE(second);
  EXPECT_NE(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
  EXPECT_NE(ShmPath(name), firstFile);
  EXPECT_TRUE(CloseHandle(second));
  setenv("XDG_RUNTIME_DIR", "/run/user/session-one", 1);
  EXPECT_TRUE(CloseHandle(first));
  if (saved)
    setenv("XDG_RUNTIME_DIR", restore.c_str(), 1);
  else
    unsetenv("XDG_RUNTIME_DIR");
}
