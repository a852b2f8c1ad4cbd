#include <gtest/gtest.h>

#include <cstring>

#include "platform/win32/guid.h"

TEST(GuidTest, GuidsAreRandomVersionFourAndTheSeamMakesThemFail) {
  GUID a, b;
  ASSERT_EQ(CoCreateGuid(&a), S_OK);
  ASSERT_EQ(CoCreateGuid(&b), S_OK);
  EXPECT_NE(std::memcmp(&a, &b, sizeof a), 0);
  EXPECT_EQ(a.Data3 >> 12, 4);
  EXPECT_EQ(a.Data4[0] & 0xC0, 0x80);
  SetCoCreateGuidFailsForTesting(true);
  EXPECT_TRUE(FAILED(CoCreateGuid(&a)));
  SetCoCreateGuidFailsForTesting(false);
  EXPECT_EQ(CoCreateGuid(&a), S_OK);
  EXPECT_EQ(CoCreateGuid(nullptr), E_INVALIDARG);
}
