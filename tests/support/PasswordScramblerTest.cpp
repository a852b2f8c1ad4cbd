#include "support/PasswordScrambler.h"

#include <gtest/gtest.h>

#include <string>

TEST(PasswordScramblerTest, ScrambledTextIsReversedLowerCaseHex) {
  CString scrambled = ScramblePassword("secret");
  ASSERT_EQ(scrambled.GetLength(), 12);
  EXPECT_EQ(scrambled.str().find_first_not_of("0123456789abcdef"), std::string::npos);
  EXPECT_EQ(scrambled.Find("secret"), -1);
  EXPECT_EQ(ScramblePassword(""), "");
  EXPECT_EQ(UnscramblePassword(""), "");
  // The first byte's pair ends the text, its digits swapped by the reversal.
  CString single = ScramblePassword("a");
  EXPECT_EQ(ScramblePassword("ab").Right(2), single);
}

TEST(PasswordScramblerTest, RoundTripsTextsOfAnyLength) {
  std::string all;
  for (int c = 1; c < 256; ++c) all += static_cast<char>(c);
  const std::string texts[] = {"p", "pass word;", std::string(96, 'x'), std::string(97, 'y'), std::string(98, 'z'),
                               all + all + all};
  for (const std::string& text : texts) {
    SCOPED_TRACE(text.size());
    EXPECT_EQ(UnscramblePassword(ScramblePassword(text.c_str())), CString(text));
  }
  // Beyond the key the same byte at the same key position scrambles the same way: the key cycles.
  std::string longText(300, 'q');
  CString scrambled = ScramblePassword(longText.c_str());
  std::string forward(scrambled.str().rbegin(), scrambled.str().rend());
  EXPECT_EQ(forward.substr(0, 20), forward.substr(2 * 97, 20));
  EXPECT_NE(forward.substr(0, 20), forward.substr(2, 20));
}

TEST(PasswordScramblerTest, UnreadablePairsAreSkippedButKeepTheirKeyPosition) {
  CString scrambled = ScramblePassword("abc");
  std::string forward(scrambled.str().rbegin(), scrambled.str().rend());
  forward.replace(2, 2, "zz");  // damage the middle byte
  std::string damaged(forward.rbegin(), forward.rend());
  EXPECT_EQ(UnscramblePassword(damaged.c_str()), "ac");
  EXPECT_EQ(UnscramblePassword(nullptr), "");
}
