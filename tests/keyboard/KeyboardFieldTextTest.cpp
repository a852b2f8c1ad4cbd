#include <gtest/gtest.h>

#include "KeyboardTestSupport.h"

namespace {

// A field 200 wide at (100, 50): 180 pixels of text (18 characters) per line.
KeyboardTextField MakeField(const char* text, int rows) {
  KeyboardTextField field;
  field.m_text = text;
  field.m_rows = rows;
  field.m_x = 100;
  field.m_right = 300;
  field.m_y = 50;
  return field;
}

}  // namespace

TEST(KeyboardFieldTextTest, WrapFieldTextBreaksAtFeedsAndWidthAndCutsToTheRows) {
  FixedMetrics metrics;
  struct Row {
    const char* text;
    int rows;
    int maxChars;
    std::vector<std::string> lines;
    const char* kept;
  };
  const Row rows[] = {
      {"", 1, -1, {}, ""},
      {"short", 1, -1, {"short"}, "short"},
      // The character that makes the line too wide stays on it (19 characters).
      {"abcdefghijklmnopqrstuvwxyz", 1, -1, {"abcdefghijklmnopqrs"}, "abcdefghijklmnopqrs"},
      {"abcdefghijklmnopqrstuvwxyz", 3, -1, {"abcdefghijklmnopqrs", "tuvwxyz"}, "abcdefghijklmnopqrstuvwxyz"},
      {"one\ntwo\nthree\nfour", 3, -1, {"one\n", "two\n", "three\n"}, "one\ntwo\nthree\n"},
      {"one\n", 3, -1, {"one\n"}, "one\n"},
      {"abcdefgh", 1, 5, {"abcde"}, "abcde"},
      {"ab\ncd", 0, -1, {"ab\n"}, "ab\n"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text);
    KeyboardTextField field = MakeField(row.text, row.rows);
    field.m_maxChars = row.maxChars;
    std::vector<CString> lines;
    WrapFieldText(field, metrics, lines);
    std::vector<std::string> got;
    for (const CString& line : lines) got.push_back(line.str());
    EXPECT_EQ(got, row.lines);
    EXPECT_EQ(field.m_text, row.kept);
  }
}

TEST(KeyboardFieldTextTest, CursorGoesWhereTheFieldIsTouched) {
  FixedMetrics metrics;
  // Lines start at y + 20/6 = 53, 20 high; characters start at x + 10 = 110, 10 wide.
  struct Row {
    const char* name;
    int x, y;
    int expected;
  };
  const Row rows[] = {
      {"left of the first character", 105, 60, 0},
      {"on the first character", 112, 60, 1},
      {"on the third character", 131, 60, 3},
      {"right of a line ending in a feed", 290, 60, 3},
      {"second line start", 109, 80, 4},
      {"inside the second line", 121, 80, 6},
      {"right of the wrapped last line", 290, 80, 9},
      {"below every line", 150, 120, 9},
      {"above the first line", 150, 51, 9},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    KeyboardTextField field = MakeField("abc\ndefgh", 3);
    EXPECT_EQ(CursorFromPoint(field, metrics, row.x, row.y), row.expected);
  }
}

TEST(KeyboardFieldTextTest, CursorLineTreatsAPositionAfterAFeedAsTheNextLine) {
  std::vector<CString> lines = {"abc\n", "de"};
  int line = -1, start = -1;
  FindCursorLine(lines, 3, &line, &start);
  EXPECT_EQ(line, 0);
  FindCursorLine(lines, 4, &line, &start);
  EXPECT_EQ(line, 1);
  EXPECT_EQ(start, 4);
  FindCursorLine(lines, 6, &line, &start);
  EXPECT_EQ(line, 1);
  std::vector<CString> ending = {"abc\n"};
  FindCursorLine(ending, 4, &line, &start);
  EXPECT_EQ(line, 1) << "after a final feed the cursor sits on the empty next line";
}
