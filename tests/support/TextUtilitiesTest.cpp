#include "support/TextUtilities.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/win32/codepage.h"

TEST(TextUtilitiesTest, ReverseString) {
  EXPECT_EQ(ReverseString("abc\xE9"), "\xE9" "cba");
  EXPECT_EQ(ReverseString(""), "");
}

TEST(TextUtilitiesTest, IsPhoneNumber) {
  const struct {
    const char* text;
    bool phone;
  } rows[] = {{"  +44 20 7946 0000  ", true}, {"+1", true}, {"+", false}, {"4420", false},
              {"+44-20", false},          {"", false},   {"+ ", false}, {"+12a", false}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.text);
    EXPECT_EQ(IsPhoneNumber(row.text), row.phone);
  }
}

TEST(TextUtilitiesTest, Utf8ToAnsiDecodesAndNeverStops) {
  const struct {
    const char* in;
    const char* out;
  } rows[] = {
      {"plain", "plain"},
      {"caf\xC3\xA9", "caf\xE9"},
      {"\xC2\xB0", "\xB0"},
      {"\xE0\xA3\xA9x", "\xE9x"},  // three-byte form keeps the low eight bits
      {"\xC3x", "?x"},
      {"\xE2x", "?x"},
      {"\xE2\x82x", "?x"},  // third byte missing: "?" and two bytes skipped
      {"\xC3", "?"},
      {"\xE2\x82", "?"},
      {"\x80\xBF\xF0\xFF!", "?" "?" "?" "?" "!"},
      {"\xC4\x80", "?"},  // low byte 0 would end the text
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.in);
    EXPECT_EQ(Utf8ToAnsi(row.in), row.out);
  }
  EXPECT_EQ(Utf8ToAnsi(static_cast<const char*>(nullptr)), "");
  // Beside the platform's std::string conversion, 8-bit strings and CStrings pick this one.
  EXPECT_EQ(Utf8ToAnsi(CString("\xC3\xA9")), "\xE9");
  EXPECT_EQ(AnsiFromUtf8(std::string("caf\xC3\xA9")), "caf\xE9");
}

TEST(TextUtilitiesTest, MD5HexStringMatchesRfc1321) {
  EXPECT_EQ(MD5HexString(""), "d41d8cd98f00b204e9800998ecf8427e");
  EXPECT_EQ(MD5HexString("abc"), "900150983cd24fb0d6963f7d28e17f72");
  EXPECT_EQ(MD5HexString("message digest"), "f96b697d7cb7938d525a2f31aaf161d0");
}

TEST(TextUtilitiesTest, FormatTime) {
  const LONGLONG midJune2020 = 1592222400;  // the same month in every time zone
  EXPECT_EQ(FormatTime(midJune2020, "%Y-%m"), "2020-06");
  EXPECT_EQ(FormatTime(midJune2020, nullptr), "");
  std::string tooLong;
  for (int i = 0; i < 40; ++i) tooLong += "%Y";
  EXPECT_EQ(FormatTime(midJune2020, tooLong.c_str()), "");
}

TEST(TextUtilitiesTest, FormatFileSize) {
  const struct {
    LONGLONG bytes;
    char separator;
    const char* text;
  } rows[] = {
      {0, '.', "0KB"},           {1048064, '.', "1023KB"},  {1048065, '.', "1,024KB"},    {1048065, ',', "1024KB"},
      {10484735, '.', "10,239KB"}, {20000000, '.', "19.1MB"}, {2147483648LL, '.', "2,048MB"},
      {2147483648LL, ',', "2048MB"},
      {104857088, '.', "100.0MB"}, {104857600, '.', "100MB"},    {1073741824, '.', "1,024MB"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.text);
    g_cDecimalSeparator = row.separator;
    EXPECT_EQ(FormatFileSize(row.bytes), row.text);
  }
  g_cDecimalSeparator = '.';
}
