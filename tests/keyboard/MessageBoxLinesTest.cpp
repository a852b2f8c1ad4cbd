#include <gtest/gtest.h>

#include "keyboard/MessageBoxLines.h"

namespace {

int Width(const CString& text) { return 10 * text.GetLength(); }

std::vector<std::string> Break(const char* text, int limit) {
  std::vector<std::string> out;
  for (const CString& line : BreakMessageLines(text, limit, Width)) out.push_back(line.str());
  return out;
}

}  // namespace

TEST(MessageBoxLinesTest, LinesBreakAtSpacesAndCutUnbreakableWords) {
  struct Row {
    const char* text;
    int limit;
    std::vector<std::string> lines;
  };
  const Row rows[] = {
      {"short", 100, {"short"}},
      {"one\ntwo", 100, {"one", "two"}},
      {"the quick brown fox", 100, {"the quick", "brown fox"}},
      {"abcdefghijklmnopqrstuvwxyz", 100, {"abcdefghij", "klmnopqrst", "uvwxyz"}},
      {"go abcdefghijklmn end", 100, {"go", "abcdefghij", "klmn end"}},
      {"", 100, {""}},
      {"xy", 5, {"x", "y"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text);
    EXPECT_EQ(Break(row.text, row.limit), row.lines);
  }
}

TEST(MessageBoxLinesTest, TypedBackslashNBecomesALineBreak) {
  EXPECT_EQ(ExpandMessageLineBreaks("Thank\\nyou"), "Thank\nyou");
  EXPECT_EQ(ExpandMessageLineBreaks("plain"), "plain");
}
