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

TEST(CursorTest, TheLayoutEditorsMoveAndRotateCursorsShipAsResources) {
  HINSTANCE program = reinterpret_cast<HINSTANCE>(static_cast<ULONG_PTR>(0x400000));
  HCURSOR move = LoadCursor(program, MAKEINTRESOURCE(246));
  HCURSOR rotate = LoadCursor(program, MAKEINTRESOURCE(247));
  ASSERT_NE(move, nullptr);
  ASSERT_NE(rotate, nullptr);
  EXPECT_NE(move, rotate);
  EXPECT_EQ(LoadCursor(program, MAKEINTRESOURCE(246)), move);
  EXPECT_TRUE(DestroyCursor(move));
  EXPECT_EQ(LoadCursor(program, MAKEINTRESOURCE(246)), move) << "kept for the run";
}
