#include "platform/win32/library.h"

#include <gtest/gtest.h>

#include "platform/win32/error.h"

// Optional libraries are absent: callers must get their "not there" answers, not a crash.
TEST(LibraryTest, OptionalLibrariesAnswerNotFound) {
  EXPECT_EQ(nullptr, LoadLibraryA("W8Touch"));
  EXPECT_EQ(static_cast<DWORD>(ERROR_MOD_NOT_FOUND), GetLastError());
  EXPECT_EQ(nullptr, LoadLibraryA(nullptr));
  int anything = 0;
  EXPECT_EQ(nullptr, GetProcAddress(reinterpret_cast<HMODULE>(&anything), "DisableEdgeGestures"));
  EXPECT_EQ(static_cast<DWORD>(ERROR_PROC_NOT_FOUND), GetLastError());
  EXPECT_FALSE(FreeLibrary(nullptr));
}
