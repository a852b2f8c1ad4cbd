#include "support/LogFontHex.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

LOGFONTA SampleFont() {
  LOGFONTA font;
  std::memset(&font, 0, sizeof font);
  font.lfHeight = -24;
  font.lfEscapement = 3600;
  font.lfOrientation = 3600;
  font.lfWeight = FW_BOLD;
  font.lfItalic = 1;
  font.lfCharSet = ANSI_CHARSET;
  font.lfPitchAndFamily = FF_SWISS;
  std::strcpy(font.lfFaceName, "Arial");
  return font;
}

std::string Hex(const void* data, size_t size) {
  std::string hex;
  char pair[3];
  for (size_t i = 0; i < size; ++i) {
    std::snprintf(pair, sizeof pair, "%02X", static_cast<const unsigned char*>(data)[i]);
    hex += pair;
  }
  return hex;
}

}  // namespace

TEST(LogFontHexTest, WritesTheSixtyBytesInMemoryOrder) {
  LOGFONTA font = SampleFont();
  CString hex = LogFontToHex(font);
  ASSERT_EQ(hex.GetLength(), 120);
  EXPECT_EQ(hex.Left(8), "E8FFFFFF");  // -24, little-endian
  EXPECT_EQ(hex.Mid(16, 8), "100E0000");  // 3600
  EXPECT_EQ(hex.Mid(56, 10), "417269616C");  // "Arial"
  LOGFONTA read;
  std::memset(&read, 0x55, sizeof read);
  ASSERT_TRUE(HexToLogFont(hex, read));
  EXPECT_EQ(std::memcmp(&read, &font, sizeof font), 0);
  std::string lower = hex.str();
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  ASSERT_TRUE(HexToLogFont(lower.c_str(), read));
  EXPECT_EQ(std::memcmp(&read, &font, sizeof font), 0);
}

TEST(LogFontHexTest, ConvertsAWideFont) {
  LOGFONTW wide;
  std::memset(&wide, 0, sizeof wide);
  wide.lfHeight = -30;
  wide.lfWeight = FW_NORMAL;
  wide.lfUnderline = 1;
  wide.lfQuality = ANTIALIASED_QUALITY;
  const char16_t face[] = u"Caf\u00E9 Sans \u4E2D";
  std::memcpy(wide.lfFaceName, face, sizeof face);
  LOGFONTA font = SampleFont();
  ASSERT_TRUE(HexToLogFont(Hex(&wide, sizeof wide).c_str(), font));
  EXPECT_EQ(font.lfHeight, -30);
  EXPECT_EQ(font.lfWeight, FW_NORMAL);
  EXPECT_EQ(font.lfEscapement, 0);
  EXPECT_EQ(font.lfItalic, 0);
  EXPECT_EQ(font.lfUnderline, 1);
  EXPECT_EQ(font.lfQuality, ANTIALIASED_QUALITY);
  EXPECT_STREQ(font.lfFaceName, "Caf\xE9 Sans ?");
}

TEST(LogFontHexTest, WideFaceNameIsCutToThirtyOneBytes) {
  LOGFONTW wide;
  std::memset(&wide, 0, sizeof wide);
  for (int i = 0; i < LF_FACESIZE; ++i) wide.lfFaceName[i] = u'W';
  LOGFONTA font;
  ASSERT_TRUE(HexToLogFont(Hex(&wide, sizeof wide).c_str(), font));
  EXPECT_EQ(std::string(font.lfFaceName), std::string(31, 'W'));
}

TEST(LogFontHexTest, RefusesOtherLengthsAndNonHexPairs) {
  LOGFONTA font = SampleFont();
  std::string good = LogFontToHex(font).str();
  const std::string rows[] = {"", good.substr(2), good + "00", good.substr(0, 118) + "G0", good.substr(0, 118) + " 1",
                              good.substr(0, 118) + "-1", std::string(184, 'x')};
  for (const std::string& row : rows) {
    SCOPED_TRACE(row);
    LOGFONTA untouched;
    std::memset(&untouched, 0x33, sizeof untouched);
    EXPECT_FALSE(HexToLogFont(row.c_str(), untouched));
    LOGFONTA expected;
    std::memset(&expected, 0x33, sizeof expected);
    EXPECT_EQ(std::memcmp(&untouched, &expected, sizeof expected), 0);
  }
  EXPECT_FALSE(HexToLogFont(nullptr, font));
}
