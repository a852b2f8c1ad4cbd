#include <gtest/gtest.h>

#include <string>

#include "platform/win32/error.h"
#include "platform/win32/fileio.h"
#include "platform/win32/handle.h"
#include "tests/platform/win32/tempdir_p.h"

TEST(FileIoTest, ReadWriteSizeAndRewind) {
  TempDir dir;
  std::string path = dir / "caf\xE9.bin";  // a 1252 name, UTF-8 on disk
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  DWORD written = 0;
  ASSERT_TRUE(WriteFile(file, "hello world", 11, &written, nullptr));
  EXPECT_EQ(written, 11u);
  CloseHandle(file);
  EXPECT_TRUE(TempDir::Exists(dir / "caf\xC3\xA9.bin"));

  file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN,
                     nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  DWORD high = 7;
  EXPECT_EQ(GetFileSize(file, &high), 11u);
  EXPECT_EQ(high, 0u);
  char buffer[32] = {};
  DWORD read = 0;
  ASSERT_TRUE(ReadFile(file, buffer, 5, &read, nullptr));
  EXPECT_EQ(std::string(buffer, read), "hello");
  EXPECT_EQ(SetFilePointer(file, 0, nullptr, FILE_BEGIN), 0u);
  ASSERT_TRUE(ReadFile(file, buffer, sizeof buffer, &read, nullptr));
  EXPECT_EQ(std::string(buffer, read), "hello world");
  ASSERT_TRUE(ReadFile(file, buffer, sizeof buffer, &read, nullptr));
  EXPECT_EQ(read, 0u);
  CloseHandle(file);
  EXPECT_FALSE(ReadFile(file, buffer, 1, &read, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST(FileIoTest, OpenFailuresAndReplacingMoves) {
  TempDir dir;
  EXPECT_EQ(CreateFileA((dir / "missing").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr),
            INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(CreateFileA((dir / "no/such").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr),
            INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
  EXPECT_EQ(CreateFileA(dir.path().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr), INVALID_HANDLE_VALUE);

  TempDir::Write(dir / "a", "new");
  TempDir::Write(dir / "b", "old");
  EXPECT_EQ(CreateFileA((dir / "a").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_EXISTS));
  EXPECT_FALSE(MoveFileExA((dir / "a").c_str(), (dir / "b").c_str(), 0));
  EXPECT_TRUE(MoveFileExA((dir / "a").c_str(), (dir / "b").c_str(), MOVEFILE_REPLACE_EXISTING));
  EXPECT_EQ(TempDir::Read(dir / "b"), "new");
  EXPECT_FALSE(TempDir::Exists(dir / "a"));
}
