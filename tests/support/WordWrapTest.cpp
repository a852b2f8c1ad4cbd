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
