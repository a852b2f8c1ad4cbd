#include <gtest/gtest.h>

#include <string>

#include "platform/win32/codepage.h"
#include "platform/win32/mbcs.h"

TEST(MbcsTest, LeadBytesOfDoubleBytePagesOnly) {
  struct Row {
    UINT codePage;
    BYTE byte;
    BOOL lead;
  } rows[] = {{932, 0x82, TRUE}, {932, 0xA0, FALSE}, {932, 0xE0, TRUE}, {932, 'A', FALSE},
              {936, 0xFE, TRUE}, {1252, 0x82, FALSE}, {0, 0xE0, FALSE}, {65001, 0xC3, FALSE}};
  for (const Row& row : rows) {
    SCOPED_TRACE(::testing::Message() << row.codePage << " " << int(row.byte));
    EXPECT_EQ(IsDBCSLeadByteEx(row.codePage, row.byte), row.lead);
  }
}

TEST(MbcsTest, OtherCodePagesConvertThroughIconv) {
  const char sjis[] = "A\x82\xA0\x83\x4A";  // "A", hiragana a, katakana ka
  WCHAR wide[8] = {};
  ASSERT_EQ(MultiByteToWideChar(932, 0, sjis, 5, wide, 8), 3);
  EXPECT_EQ(wide[0], u'A');
  EXPECT_EQ(wide[1], u'\u3042');
  EXPECT_EQ(wide[2], u'\u30AB');
  char back[8] = {};
  ASSERT_EQ(WideCharToMultiByte(932, 0, wide, 3, back, 8, nullptr, nullptr), 5);
  EXPECT_EQ(std::string(back, 5), std::string(sjis, 5));

  // A cut double-byte character: refused when asked to be strict, replaced otherwise.
  EXPECT_EQ(MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, "\x82", 1, wide, 8), 0);
  ASSERT_EQ(MultiByteToWideChar(932, 0, "\x82", 1, wide, 8), 1);
  EXPECT_EQ(wide[0], u'\uFFFD');

  // A character the page lacks becomes the default character.
  const WCHAR euro[] = {u'\u20AC', u'x'};
  BOOL usedDefault = FALSE;
  ASSERT_EQ(WideCharToMultiByte(28591, 0, euro, 2, back, 8, nullptr, &usedDefault), 2);
  EXPECT_EQ(std::string(back, 2), "?x");
  EXPECT_TRUE(usedDefault);
  EXPECT_EQ(MultiByteToWideChar(99999, 0, "a", 1, wide, 8), 0);
}
