#include "support/EmailAddress.h"

#include <gtest/gtest.h>

TEST(EmailAddressTest, ChecksThePlainSyntax) {
  const struct {
    const char* address;
    bool valid;
  } rows[] = {
      {"  a@b.c  ", true},   {"@b.c", false},     {"a@", false},         {"a@bc", false},
      {"a@.bc", false},      {"a@b.", false},     {"a@b@c.d", false},    {"a@b..c", true},
      {"first last@b.c", true}, {"", false},      {"   ", false},        {"a@b.c.", false},
      {"\ta@b.c", true},    {"a.b@c", false},    {"x@domain.co.uk", true},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.address);
    EXPECT_EQ(IsValidEmailAddress(row.address), row.valid);
  }
  EXPECT_FALSE(IsValidEmailAddress(nullptr));
}
