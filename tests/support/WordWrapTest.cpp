#include "support/WordWrap.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/WordWrap_pvt.h"

namespace {

// Fixed metrics: every character is 10 pixels wide.
std::vector<std::string> Wrap(const char* text, int width) {
  CStringArray lines;
  WordWrapLines(text, width, [](const CString& s) { return s.GetLength() * 10; }, lines);
  std::vector<std::string> out;
  for (const CString& line : lines) out.push_back(line.str());
  return out;
}

typedef std::vector<std::string> Lines;

}  // namespace

TEST(WordWrapTest, BreaksAtSpacesToFitTheWidth) {
  const struct {
    const char* text;
    int width;
    Lines lines;
  } rows[] = {
      {"  keep   as is ", 50, {"  keep   as is "}},
      {"", 100, {" "}},
      {"   ", 100, {" "}},
      {"short", 100, {"short"}},
      {"  two    words  ", 100, {"two words"}},
      {"hello world again", 110, {"hello world", "again"}},
      {"hello world again", 120, {"hello world", "again"}},  // the last character that fits is a space
      {"hello world again", 60, {"hello", "world", "again"}},
      {"ab cd ef gh", 80, {"ab cd ef", "gh"}},                // the next character is a space
      {"ab cd ef gh", 70, {"ab cd", "ef gh"}},                // back to the last space
      {"abcdefghijkl", 80, {"abcdefgh", "ijkl"}},                // a word wider than the line
      {"a abcdefghijkl", 80, {"a", "abcdefgh", "ijkl"}},
      {"exactly ten", 110, {"exactly ten"}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.text);
    EXPECT_EQ(Wrap(row.text, row.width), row.lines);
  }
}

TEST(WordWrapTest, NothingFitsAddsTheRestAsOneLine) {
  CStringArray lines;
  WordWrapLines("wide text", 60, [](const CString& s) { return s.GetLength() * 100; }, lines);
  ASSERT_EQ(lines.GetSize(), 1);
  EXPECT_EQ(lines[0], "wide text");
}

TEST(WordWrapTest, AppendsToTheList) {
  CStringArray lines;
  lines.Add("first");
  WordWrapLines("one two", 60, [](const CString& s) { return s.GetLength() * 10; }, lines);
  ASSERT_EQ(lines.GetSize(), 3);
  EXPECT_EQ(lines[0], "first");
  EXPECT_EQ(lines[2], "two");
}

TEST(WordWrapTest, LongTextsAreMeasuredAboutOnce) {
  // Re-measuring the text one character shorter at a time made a caption of a thousand
  // characters take seconds; each line now costs a few measures of about its own length.
  const struct {
    const char* name;
    std::string text;
  } rows[] = {
      {"10,000 characters of words", [] {
         std::string text;
         while (text.size() < 10000) text += "lorem ipsum dolor sit amet ";
         return text.substr(0, 10000);
       }()},
      {"one word of 4,000 characters", std::string(4000, 'w')},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    long long measured = 0;
    CStringArray lines;
    WordWrapLines(row.text.c_str(), 600,
                  [&measured](const CString& s) {
                    measured += s.GetLength();
                    return s.GetLength() * 10;
                  },
                  lines);
    // Every line fits, no character is lost, and the work stays linear in the text.
    size_t characters = 0;
    for (const CString& line : lines) {
      EXPECT_LE(line.GetLength() * 10, 600);
      characters += static_cast<size_t>(line.GetLength());
    }
    EXPECT_GE(characters + lines.GetSize(), row.text.size() - 1);
    EXPECT_LT(measured, 20LL * static_cast<long long>(row.text.size()));
  }
}

TEST(WordWrapTest, UnevenWidthsBreakWhereTheOldRuleDid) {
  // Narrow "i", wide "W": the longest prefix that fits is found, then the break moves back to a space.
  auto measure = [](const CString& s) {
    int width = 0;
    for (char c : s.str()) width += c == 'i' ? 3 : c == 'W' ? 20 : 10;
    return width;
  };
  CStringArray lines;
  WordWrapLines("iiiiiiii WWWW iiii WW ab", 100, measure, lines);
  std::vector<std::string> out;
  for (const CString& line : lines) out.push_back(line.str());
  EXPECT_EQ(out, (Lines{"iiiiiiii", "WWWW", "iiii WW ab"}));
}

TEST(WordWrapTest, SameLinesAsMeasuringEveryShorterPrefix) {
  // The plain rule, re-measuring one character shorter at a time, on short texts of uneven letters.
  auto measure = [](const CString& s) {
    int width = 0;
    for (char c : s.str()) width += c == ' ' ? 6 : 5 + (c * 7) % 13;
    return width;
  };
  auto plain = [&](const std::string& text, int width) {
    CString rest(text.c_str());
    rest.Trim();
    while (rest.Find("  ") >= 0) rest.Replace("  ", " ");
    std::vector<std::string> out;
    while (measure(rest) > width) {
      int fit = rest.GetLength();
      while (fit > 0 && measure(rest.Left(fit)) > width) --fit;
      if (fit == 0) break;
      int end, next, lastSpace = rest.Left(fit).ReverseFind(' ');
      if (rest[fit - 1] == ' ')
        end = fit - 1, next = fit;
      else if (rest[fit] == ' ')
        end = next = fit;
      else if (lastSpace > 0)
        end = next = lastSpace;
      else
        end = next = fit;
      out.push_back(rest.Left(end).str());
      rest = rest.Mid(next);
      rest.Trim();
    }
    if (!rest.IsEmpty()) out.push_back(rest.str());
    return out;
  };
  unsigned seed = 12345;
  for (int round = 0; round < 200; ++round) {
    std::string text;
    const int words = 1 + round % 40;
    for (int w = 0; w < words; ++w) {
      seed = seed * 1103515245u + 12345u;
      const int letters = 1 + (seed >> 16) % (round % 3 == 0 ? 30 : 9);
      for (int l = 0; l < letters; ++l) text += static_cast<char>('a' + (seed >> (l % 16)) % 26);
      text += (seed >> 8) % 5 == 0 ? "  " : " ";
    }
    const int width = 60 + (round * 37) % 240;
    SCOPED_TRACE(text + " @ " + std::to_string(width));
    CStringArray lines;
    WordWrapLines(text.c_str(), width, measure, lines);
    std::vector<std::string> ours;
    for (const CString& line : lines) ours.push_back(line.str());
    EXPECT_EQ(ours, plain(text, width));
  }
}
