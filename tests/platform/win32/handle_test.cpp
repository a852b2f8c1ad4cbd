#include "platform/win32/handle.h"

#include <gtest/gtest.h>

#include "platform/win32/error.h"
#include "platform/win32/sync.h"

TEST(HandleTest, CloseRefusesBadAndClosedHandles) {
  EXPECT_FALSE(CloseHandle(nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_FALSE(CloseHandle(INVALID_HANDLE_VALUE));
  int notAnObject = 0;
  EXPECT_FALSE(CloseHandle(&notAnObject));

  HANDLE event = CreateEvent(nullptr, TRUE, FALSE, nullptr);
  ASSERT_NE(event, nullptr);
  EXPECT_TRUE(CloseHandle(event));
  SetLastError(0);
  EXPECT_FALSE(CloseHandle(event));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}
