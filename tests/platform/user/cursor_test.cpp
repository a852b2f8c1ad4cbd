#include <gtest/gtest.h>

#include "platform/user/cursor.h"

TEST(CursorTest, TheProgramsInvisibleCursorIsResource210) {
  HINSTANCE program = reinterpret_cast<HINSTANCE>(static_cast<ULONG_PTR>(0x400000));
  HCURSOR invisible = LoadCursor(program, MAKEINTRESOURCE(210));
  ASSERT_NE(invisible, nullptr);
  EXPECT_EQ(LoadCursor(program, MAKEINTRESOURCE(210)), invisible) << "loaded once, kept for the run";
  EXPECT_EQ(LoadCursor(program, MAKEINTRESOURCE(211)), nullptr);
  EXPECT_EQ(LoadCursor(program, "named"), nullptr);
  EXPECT_NE(LoadCursor(nullptr, IDC_ARROW), invisible);
  EXPECT_TRUE(DestroyCursor(invisible));
  EXPECT_EQ(LoadCursor(program, MAKEINTRESOURCE(210)), invisible) << "a shared cursor survives DestroyCursor";
}
