#include <gtest/gtest.h>

#include "platform/winspool/globalmem.h"

TEST(GlobalMemTest, ZeroInitLockSizeFree) {
  HGLOBAL block = GlobalAlloc(GHND, 100);
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(GlobalSize(block), 100u);
  auto* p = static_cast<unsigned char*>(GlobalLock(block));
  ASSERT_NE(p, nullptr);
  for (int i = 0; i < 100; ++i) ASSERT_EQ(p[i], 0);
  p[99] = 7;
  EXPECT_FALSE(GlobalUnlock(block)) << "no longer locked";
  EXPECT_EQ(static_cast<unsigned char*>(GlobalLock(block))[99], 7);
  GlobalUnlock(block);
  EXPECT_EQ(GlobalFree(block), nullptr);
  EXPECT_EQ(GlobalSize(block), 0u) << "a freed handle is no longer a block";
  EXPECT_EQ(GlobalLock(block), nullptr);
  EXPECT_EQ(GlobalFree(block), block);
}
