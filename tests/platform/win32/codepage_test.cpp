#include "platform/win32/codepage.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/win32/error.h"

namespace {

std::u16string ToWide(UINT codePage, const std::string& text, DWORD flags = 0) {
  int needed = MultiByteToWideChar(codePage, flags, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::u16string out(static_cast<size_t>(needed), u'\0');
  if (needed > 0) MultiByteToWideChar(codePage, flags, text.data(), static_cast<int>(text.size()), out.data(), needed);
  return out;
}

std::string FromWide(UINT codePage, const std::u16string& text, BOOL* usedDefault = nullptr) {
  int needed = WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                   nullptr);
  std::string out(static_cast<size_t>(needed), '\0');
  WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), out.data(), needed, nullptr,
                      usedDefault);
  return out;
}

}  // namespace

TEST(CodePageTest, Windows1252BytesMapToTheirCodePoints) {
  struct Row {
    unsigned char byte;
    char16_t unit;
  } rows[] = {
      {0x41, u'A'},    {0x80, 0x20AC},  {0x81, 0x0081}, {0x8A, 0x0160}, {0x8D, 0x008D}, {0x8F, 0x008F},
      {0x90, 0x0090},  {0x92, 0x2019},  {0x99, 0x2122}, {0x9D, 0x009D}, {0x9F, 0x0178}, {0xA0, 0x00A0},
      {0xE9, 0x00E9},  {0xFF, 0x00FF},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << "byte 0x" << std::hex << int(row.byte));
    std::string byte(1, static_cast<char>(row.byte));
    EXPECT_EQ(ToWide(CP_ACP, byte), std::u16string(1, row.unit));
    EXPECT_EQ(ToWide(CP_1252, byte), std::u16string(1, row.unit));
    EXPECT_EQ(FromWide(CP_ACP, std::u16string(1, row.unit)), byte) << "round trip, unassigned bytes included";
  }
  EXPECT_EQ(GetACP(), static_cast<UINT>(CP_1252));
}

TEST(CodePageTest, AnsiAndUtf8Helpers) {
  EXPECT_EQ(AnsiToUtf8("caf\xE9 \x80"), "caf\xC3\xA9 \xE2\x82\xAC");
  EXPECT_EQ(AnsiFromUtf8("caf\xC3\xA9 \xE2\x82\xAC"), "caf\xE9 \x80");
  EXPECT_EQ(AnsiFromUtf8("\xE4\xB8\xAD"), "?") << "no 1252 form";
  EXPECT_EQ(AnsiFromUtf8("caf\xE9"), "caf\xE9") << "text that was never UTF-8 comes through";
  EXPECT_EQ(NativePath("/tmp/caf\xE9.jpg"), "/tmp/caf\xC3\xA9.jpg");
  EXPECT_EQ(NativePath(nullptr), "");
  for (int byte = 0; byte < 256; ++byte) {
    std::string one(1, static_cast<char>(byte));
    ASSERT_EQ(AnsiFromUtf8(AnsiToUtf8(one)), one) << byte;
  }
}

TEST(CodePageTest, Utf8WithSurrogatePairsAndInvalidBytes) {
  EXPECT_EQ(ToWide(CP_UTF8, "\xF0\x9F\x98\x80"), (std::u16string{0xD83D, 0xDE00}));
  EXPECT_EQ(FromWide(CP_UTF8, std::u16string{0xD83D, 0xDE00}), "\xF0\x9F\x98\x80");
  EXPECT_EQ(FromWide(CP_UTF8, std::u16string{u'a', 0xD800, u'b'}), "a\xEF\xBF\xBD" "b") << "lone surrogate";
  BOOL usedDefault = FALSE;
  EXPECT_EQ(FromWide(CP_ACP, std::u16string{0xD83D, 0xDE00, u'x'}, &usedDefault), "?x");
  EXPECT_TRUE(usedDefault);

  struct Row {
    const char* what;
    std::string bytes;
  } invalid[] = {{"stray continuation", "a\x80"},      {"truncated", "\xE2\x82"},
                 {"overlong", "\xC0\xAF"},              {"surrogate coded", "\xED\xA0\x80"},
                 {"beyond U+10FFFF", "\xF4\x90\x80\x80"}, {"bad lead", "\xFF"}};
  for (const Row& row : invalid) {
    SCOPED_TRACE(row.what);
    SetLastError(0);
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, row.bytes.data(), static_cast<int>(row.bytes.size()),
                                  nullptr, 0),
              0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_DATA));
    std::u16string replaced = ToWide(CP_UTF8, row.bytes);
    EXPECT_NE(replaced.find(char16_t(0xFFFD)), std::u16string::npos);
  }
}

TEST(CodePageTest, SizesBuffersAndTerminators) {
  char16_t wide[8];
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "abc", -1, nullptr, 0), 4) << "-1 counts the terminator";
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "abc", -1, wide, 8), 4);
  EXPECT_EQ(wide[3], u'\0');
  SetLastError(0);
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "abc", -1, wide, 3), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "abc", 0, wide, 8), 0) << "empty source";
  EXPECT_EQ(MultiByteToWideChar(99999, 0, "abc", -1, wide, 8), 0) << "unsupported code page";
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, nullptr, -1, wide, 8), 0);

  char narrow[4];
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, u"\u20AC", -1, nullptr, 0, nullptr, nullptr), 4);
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, u"\u20AC", -1, narrow, 3, nullptr, nullptr), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, u"\u20AC", -1, narrow, 4, nullptr, nullptr), 2);
  EXPECT_STREQ(narrow, "\x80");
}

TEST(CodePageTest, CaseMappingKnows1252Letters) {
  struct Row {
    unsigned char upper, lower;
  } pairs[] = {{'A', 'a'}, {'Z', 'z'}, {0xC0, 0xE0}, {0xC9, 0xE9}, {0xDE, 0xFE},
               {0x8A, 0x9A}, {0x8C, 0x9C}, {0x8E, 0x9E}, {0x9F, 0xFF}};
  for (const Row& row : pairs) {
    SCOPED_TRACE(int(row.upper));
    EXPECT_EQ(AnsiToLower(row.upper), row.lower);
    EXPECT_EQ(AnsiToUpper(row.lower), row.upper);
  }
  unsigned char unchanged[] = {0xD7, 0xF7, 0xDF, '1', 0x80};  // times, divide, sharp s, digit, euro
  for (unsigned char c : unchanged) {
    SCOPED_TRACE(int(c));
    EXPECT_EQ(AnsiToLower(c), c);
    EXPECT_EQ(AnsiToUpper(c), c);
  }
}
