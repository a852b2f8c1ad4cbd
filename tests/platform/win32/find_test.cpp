#include "platform/win32/find.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/win32/error.h"
#include "platform/win32/files.h"
#include "platform/win32/handle.h"
#include "platform/win32/sync.h"
#include "tests/platform/win32/tempdir_p.h"

namespace {

std::vector<std::string> Find(const std::string& pattern) {
  std::vector<std::string> names;
  WIN32_FIND_DATA data;
  HANDLE find = FindFirstFile(pattern.c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    names.push_back(data.cFileName);
  } while (FindNextFile(find, &data));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_FILES));
  EXPECT_TRUE(FindClose(find));
  return names;
}

using Names = std::vector<std::string>;

}  // namespace

TEST(FindTest, WildcardsMatchIgnoringCase) {
  TempDir dir;
  for (const char* name : {"IMG_0001.JPG", "img_0002.jpg", "IMG_0002.THM", "IMG_12.jpg", "notes.txt", "README",
                           "\xC9t\xE9.jpg"})
    TempDir::Write(dir / name, "x");
  ASSERT_TRUE(CreateDirectory((dir / "sub").c_str(), nullptr));
  struct Row {
    const char* pattern;
    Names expected;
  } rows[] = {  // in name order, case folded
      {"*.jpg", {"IMG_0001.JPG", "img_0002.jpg", "IMG_12.jpg", "\xC9t\xE9.jpg"}},
      {"IMG_????*.jpg", {"IMG_0001.JPG", "img_0002.jpg"}},
      {"img_0002.*", {"img_0002.jpg", "IMG_0002.THM"}},
      {"*.*",
       {"IMG_0001.JPG", "img_0002.jpg", "IMG_0002.THM", "IMG_12.jpg", "notes.txt", "README", "sub", "\xC9t\xE9.jpg"}},
      {"readme", {"README"}},
      {"\xE9T\xC9.JPG", {"\xC9t\xE9.jpg"}},
      {"?", {}},
      {"*.png", {}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.pattern);
    EXPECT_EQ(Find(dir / row.pattern), row.expected);
  }
}

TEST(FindTest, ReportsFoldersSizesAndFailures) {
  TempDir dir;
  TempDir::Write(dir / "a.jpg", "12345");
  ASSERT_TRUE(CreateDirectory((dir / "folder").c_str(), nullptr));
  WIN32_FIND_DATA data;
  HANDLE find = FindFirstFile((dir / "folder").c_str(), &data);
  ASSERT_NE(find, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
  FindClose(find);
  find = FindFirstFile((dir / "A.JPG").c_str(), &data);
  ASSERT_NE(find, INVALID_HANDLE_VALUE);
  EXPECT_EQ(data.nFileSizeLow, 5u);
  EXPECT_EQ(data.dwFileAttributes, static_cast<DWORD>(FILE_ATTRIBUTE_NORMAL));
  EXPECT_FALSE(FindNextFile(find, &data));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_FILES));
  EXPECT_TRUE(FindClose(find));
  EXPECT_FALSE(FindClose(find)) << "closed twice";

  SetLastError(0);
  EXPECT_EQ(FindFirstFile((dir / "*.png").c_str(), &data), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(FindFirstFile((dir / "missing/*.jpg").c_str(), &data), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
  EXPECT_EQ(FindFirstFile(nullptr, &data), INVALID_HANDLE_VALUE);

  HANDLE event = CreateEvent(nullptr, TRUE, FALSE, nullptr);
  EXPECT_FALSE(FindNextFile(event, &data)) << "not a listing";
  EXPECT_FALSE(FindClose(event));
  EXPECT_TRUE(CloseHandle(event)) << "the event stayed open";
}

TEST(FindTest, WildcardMatcherTable) {
  struct Row {
    const char* name;
    const char* pattern;
    BOOL match;
  } rows[] = {
      {"abc", "a*c", TRUE},     {"ac", "a*c", TRUE},        {"abcd", "a*c", FALSE},      {"abc", "a?c", TRUE},
      {"ac", "a?c", FALSE},     {"a.b.c", "*.c", TRUE},     {"abc", "*", TRUE},          {"", "*", TRUE},
      {"noext", "*.*", TRUE},   {"aXbXc", "*X*X*", TRUE},   {"aaaa", "*a*a*a*a*a", FALSE}, {"\x8A", "\x9A", TRUE},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.name) + " ~ " + row.pattern);
    EXPECT_EQ(WildcardMatchAnsi(row.name, row.pattern), row.match);
  }
}
