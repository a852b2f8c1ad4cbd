#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "http/HttpEncoder.h"
#include "tests/http/HttpTestSupport.h"

using namespace Vonar;

namespace {

std::string UrlEncode(const std::string& text, BOOL utf8, UINT codePage = 0) {
  DWORD length = CHttpEncoderA::UrlEncodeLenA(text.c_str(), utf8, codePage);
  std::vector<char> buffer(length + 1, '#');
  CHttpEncoderA::UrlEncodeA(buffer.data(), text.c_str(), utf8, codePage);
  EXPECT_EQ(std::string(buffer.data()).size(), length) << text;
  return buffer.data();
}

std::string UrlDecode(const std::string& text, BOOL utf8, UINT codePage = 0) {
  DWORD length = CHttpEncoderA::UrlDecodeLenA(text.c_str(), utf8, codePage);
  std::vector<char> buffer(length + 1, '#');
  CHttpEncoderA::UrlDecodeA(buffer.data(), text.c_str(), utf8, codePage);
  EXPECT_EQ(buffer[length], '\0');
  return std::string(buffer.data(), length);
}

std::string Utf8Encode(const std::string& text, UINT codePage = 0) {
  DWORD length = CHttpEncoderA::Utf8EncodeLen(text.c_str(), codePage);
  std::vector<char> buffer(length + 1, '#');
  CHttpEncoderA::Utf8Encode(buffer.data(), text.c_str(), codePage);
  EXPECT_EQ(buffer[length], '\0');
  return std::string(buffer.data(), length);
}

std::string Utf8Decode(const std::string& text, UINT codePage = 0) {
  DWORD length = CHttpEncoderA::Utf8DecodeLen(text.c_str(), codePage);
  std::vector<char> buffer(length + 1, '#');
  CHttpEncoderA::Utf8Decode(buffer.data(), text.c_str(), codePage);
  EXPECT_EQ(buffer[length], '\0');
  return std::string(buffer.data(), length);
}

}  // namespace

TEST(HttpEncoderTest, UrlEncodingKeepsOnlyLettersAndDigits) {
  EXPECT_EQ(UrlEncode("a &\xE9", FALSE), "a+%26%E9");
  EXPECT_EQ(UrlEncode("a &\xE9", TRUE), "a+%26%C3%A9");
  EXPECT_EQ(UrlEncode("Az09-_.~*", FALSE), "Az09%2D%5F%2E%7E%2A");
  EXPECT_EQ(UrlEncode("\x80", TRUE), "%E2%82%AC");  // the euro sign of 1252
  EXPECT_EQ(CHttpEncoderA::UrlEncodeLenA(nullptr), 0u);
  EXPECT_EQ(CHttpEncoderA::UrlEncodeLenA(""), 0u);
  EXPECT_EQ(CHttpEncoderA::_UrlEncodeLen(nullptr, TRUE, 0), 0u);
}

TEST(HttpEncoderTest, UrlDecodingRefusesBadEscapes) {
  EXPECT_EQ(UrlDecode("a+b%21", FALSE), "a b!");
  EXPECT_EQ(UrlDecode("%c3%A9x", TRUE), "\xE9x");
  for (const char* bad : {"abc%4", "%", "x%G1", "%4G"}) {
    SCOPED_TRACE(bad);
    for (BOOL utf8 : {FALSE, TRUE}) {
      EXPECT_EQ(CatchHttpError([&] { CHttpEncoderA::UrlDecodeLenA(bad, utf8); }).code, 109u);
      char buffer[16];
      EXPECT_EQ(CatchHttpError([&] { CHttpEncoderA::UrlDecodeA(buffer, bad, utf8); }).code, 109u);
    }
  }
  // Decoded bytes that are not UTF-8 are invalid URL input, not a UTF-8 text error.
  EXPECT_EQ(CatchHttpError([] { CHttpEncoderA::UrlDecodeLenA("%80", TRUE); }).code, 109u);
}

TEST(HttpEncoderTest, Utf8DecodingRefusesMalformedSequences) {
  EXPECT_EQ(Utf8Decode("caf\xC3\xA9 \xE2\x82\xAC"), "caf\xE9 \x80");
  EXPECT_EQ(Utf8Decode("\xE4\xB8\x80"), "?");  // no form in 1252
  for (const char* bad : {"a\x80", "\xFE", "\xC3", "\xC3(", "\xE2\x82"}) {
    SCOPED_TRACE(testing::PrintToString(std::string(bad)));
    CaughtHttpError caught = CatchHttpError([&] { CHttpEncoderA::Utf8DecodeLen(bad); });
    EXPECT_EQ(caught.code, 110u);
    EXPECT_EQ(caught.message, "The UTF8 string contains an invalid character.");
  }
}

TEST(HttpEncoderTest, Random1252TextsRoundTripAndLengthsMatchWhatIsWritten) {
  std::mt19937 random(28);
  for (int round = 0; round < 300; ++round) {
    std::string text(random() % 40, ' ');
    for (char& c : text) c = static_cast<char>(1 + random() % 255);
    SCOPED_TRACE(testing::PrintToString(text));
    for (BOOL utf8 : {FALSE, TRUE}) {
      std::string encoded = UrlEncode(text, utf8);
      EXPECT_EQ(UrlDecode(encoded, utf8), text);
    }
    EXPECT_EQ(Utf8Decode(Utf8Encode(text)), text);
    EXPECT_EQ(CHttpEncoderA::AnsiEncodeLen(text.c_str()), text.size());
  }
}

TEST(HttpEncoderTest, DoubleByteCodePageMovesWholeCharacters) {
  const std::string hiragana = "\x82\xA0";  // U+3042 in code page 932
  EXPECT_EQ(UrlEncode(hiragana + "A", TRUE, 932), "%E3%81%82A");
  EXPECT_EQ(UrlEncode(hiragana, FALSE, 932), "%82%A0");
  EXPECT_EQ(Utf8Encode(hiragana, 932), "\xE3\x81\x82");
  EXPECT_EQ(Utf8Decode("\xE3\x81\x82", 932), hiragana);
  EXPECT_EQ(UrlDecode("%E3%81%82", TRUE, 932), hiragana);
  EXPECT_EQ(UrlDecode("%82%A0", FALSE, 932), hiragana);
  // A lead byte without its trail byte.
  EXPECT_EQ(CatchHttpError([] { CHttpEncoderA::UrlDecodeLenA("ab%82", FALSE, 932); }).code, 109u);
  EXPECT_EQ(CatchHttpError([] { CHttpEncoderA::UrlDecodeLenA("%82%00", FALSE, 932); }).code, 109u);
}

TEST(HttpEncoderTest, NullBuffersAndUtf8CodePagesAreRefused) {
  struct Row {
    const char* message;
    std::function<void()> call;
  } rows[] = {
      {"CHttpEncoderA::AnsiEncode: szBuff can not be NULL.", [] { CHttpEncoderA::AnsiEncode(nullptr, "a"); }},
      {"CHttpEncoderA::AnsiDecode: szBuff can not be NULL.", [] { CHttpEncoderA::AnsiDecode(nullptr, "a"); }},
      {"CHttpEncoderA::Utf8Encode: szBuff can not be NULL.", [] { CHttpEncoderA::Utf8Encode(nullptr, "a"); }},
      {"CHttpEncoderA::Utf8Decode: szBuff can not be NULL.", [] { CHttpEncoderA::Utf8Decode(nullptr, "a"); }},
      {"CHttpEncoderA::UrlEncodeA: szBuff can not be NULL.", [] { CHttpEncoderA::UrlEncodeA(nullptr, "a"); }},
      {"CHttpEncoderA::UrlDecodeA: szBuff can not be NULL.", [] { CHttpEncoderA::UrlDecodeA(nullptr, "a"); }},
      {"CHttpEncoderA::_AnsiCharToUtf8Char: szUtf8Char and szAnsiChar can not be NULL.",
       [] { CHttpEncoderA::_AnsiCharToUtf8Char(nullptr, "a", 0, nullptr); }},
      {"CHttpEncoderA::_Utf8CharToAnsiChar: szAnsiChar and szUtf8Char can not be NULL.",
       [] { CHttpEncoderA::_Utf8CharToAnsiChar(nullptr, "a", 1, 0); }},
      {"CHttpToolA::Ansi2Unicode: CP_UTF8 and CP_UTF7 can not be used for the CodePage parameter.",
       [] { CHttpEncoderA::UrlEncodeLenA("a", TRUE, 65001); }},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.message);
    CaughtHttpError caught = CatchHttpError(row.call);
    EXPECT_EQ(caught.message, row.message);
    EXPECT_EQ(caught.code, 0u);
  }
  char buffer[4] = "xyz";
  EXPECT_STREQ(CHttpEncoderA::AnsiEncode(buffer, nullptr), "");
}
