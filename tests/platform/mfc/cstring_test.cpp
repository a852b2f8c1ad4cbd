#include "platform/mfc/cstring.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace {

struct Row {
  const char* name;
  std::function<CString()> run;
  const char* expected;
};

TEST(CStringTest, OperationsTable) {
  const Row rows[] = {
      {"Left clamps", [] { return CString("abc").Left(10); }, "abc"},
      {"Left negative", [] { return CString("abc").Left(-1); }, ""},
      {"Mid from past end", [] { return CString("abc").Mid(5); }, ""},
      {"Mid negative first", [] { return CString("abcdef").Mid(-2, 3); }, "abc"},
      {"Mid count past end", [] { return CString("abcdef").Mid(4, 10); }, "ef"},
      {"Right clamps", [] { return CString("abc").Right(5); }, "abc"},
      {"Right two", [] { return CString("photo.jpg").Right(3); }, "jpg"},
      {"Replace string", [] { CString s("a--b--c"); s.Replace("--", "+"); return s; }, "a+b+c"},
      {"Replace grows", [] { CString s("%d%d"); s.Replace("%d", "123"); return s; }, "123123"},
      {"Replace empty needle", [] { CString s("abc"); s.Replace("", "x"); return s; }, "abc"},
      {"Replace char", [] { CString s("C:\\a\\b"); s.Replace('\\', '/'); return s; }, "C:/a/b"},
      {"Remove", [] { CString s("a b c"); s.Remove(' '); return s; }, "abc"},
      {"Insert clamps", [] { CString s("ab"); s.Insert(10, "cd"); return s; }, "abcd"},
      {"Insert front", [] { CString s("bc"); s.Insert(-3, 'a'); return s; }, "abc"},
      {"Delete past end", [] { CString s("abcdef"); s.Delete(4, 10); return s; }, "abcd"},
      {"Delete out of range", [] { CString s("abc"); s.Delete(7); return s; }, "abc"},
      {"Trim", [] { CString s("  \t x y \r\n"); s.Trim(); return s; }, "x y"},
      {"TrimLeft chars", [] { CString s("0012"); s.TrimLeft('0'); return s; }, "12"},
      {"TrimRight set", [] { CString s("path/\\/"); s.TrimRight("/\\"); return s; }, "path"},
      {"Trim all", [] { CString s("   "); s.Trim(); return s; }, ""},
      {"MakeUpper 1252", [] { CString s("\xe9t\xe9 \xff\x9a\x9c\xdf"); s.MakeUpper(); return s; }, "\xc9T\xc9 \x9f\x8a\x8c\xdf"},
      {"MakeLower 1252", [] { CString s("\xc0\xd7\xde\x8e"); s.MakeLower(); return s; }, "\xe0\xd7\xfe\x9e"},
      {"SpanIncluding", [] { return CString("123abc").SpanIncluding("0123456789"); }, "123"},
      {"SpanExcluding", [] { return CString("key=value").SpanExcluding("="); }, "key"},
      {"SpanExcluding none", [] { return CString("key").SpanExcluding("="); }, "key"},
      {"Reverse", [] { CString s("abc"); s.MakeReverse(); return s; }, "cba"},
      {"Concatenate", [] { return CString("a") + 'b' + "c" + CString("d"); }, "abcd"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_STREQ(row.run().GetString(), row.expected);
  }
}

TEST(CStringTest, FindReportsIndexOrMinusOne) {
  CString s("IMG_0001.JPG");
  EXPECT_EQ(s.Find('_'), 3);
  EXPECT_EQ(s.Find('_', 4), -1);
  EXPECT_EQ(s.Find("JPG"), 9);
  EXPECT_EQ(s.Find("JPG", 10), -1);
  EXPECT_EQ(s.Find('I', 100), -1);
  EXPECT_EQ(s.Find('I', -1), -1);
  EXPECT_EQ(s.Find(""), 0);
  EXPECT_EQ(s.ReverseFind('0'), 6);
  EXPECT_EQ(s.ReverseFind('x'), -1);
  EXPECT_EQ(s.FindOneOf("._"), 3);
  EXPECT_EQ(s.FindOneOf(""), -1);
  EXPECT_EQ(CString().Find('a'), -1);
}

TEST(CStringTest, IndexingOutOfRangeGivesNul) {
  CString s("ab");
  EXPECT_EQ(s[1], 'b');
  EXPECT_EQ(s[2], '\0');
  EXPECT_EQ(s[static_cast<size_t>(100)], '\0');
  EXPECT_EQ(s.GetAt(-1), '\0');
  s.SetAt(5, 'x');
  s.SetAt(0, 'A');
  EXPECT_STREQ(s, "Ab");
}

TEST(CStringTest, CompareNoCaseFoldsAccentedLetters) {
  EXPECT_EQ(CString("Caf\xc9").CompareNoCase("caf\xe9"), 0);
  EXPECT_LT(CString("abc").CompareNoCase("ABD"), 0);
  EXPECT_GT(CString("b").Compare("a"), 0);
  EXPECT_GT(CString("x").Compare(nullptr), 0);  // the sign, not strcmp's value
  EXPECT_TRUE(CString("x") == "x");
  EXPECT_TRUE(CString("x") != CString("X"));
}

TEST(CStringTest, FormatHandlesAnyLength) {
  CString s;
  s.Format("%s-%04d", "IMG", 7);
  EXPECT_STREQ(s, "IMG-0007");
  std::string big(100000, 'z');
  s.Format("<%s>", big.c_str());
  ASSERT_EQ(s.GetLength(), 100002);
  EXPECT_EQ(s[0], '<');
  EXPECT_EQ(s[100001], '>');
  s.AppendFormat("%d%%", 50);
  EXPECT_STREQ(s.Right(3), "50%");
  s.Format("%s", "");
  EXPECT_TRUE(s.IsEmpty());
}

TEST(CStringTest, TokenizeWalksTokensThenMinusOne) {
  CString s(";;a;bb;;c;");
  int pos = 0;
  std::string seen;
  for (CString token = s.Tokenize(";", pos); pos != -1; token = s.Tokenize(";", pos)) seen += "[" + token.str() + "]";
  EXPECT_EQ(seen, "[a][bb][c]");
  pos = 0;
  EXPECT_TRUE(CString("").Tokenize(";", pos).IsEmpty());
  EXPECT_EQ(pos, -1);
}

TEST(CStringTest, BufferAccessKeepsTextUpToNul) {
  CString s("abc");
  char* buffer = s.GetBuffer(10);
  std::snprintf(buffer, 11, "%s", "hello");
  s.ReleaseBuffer();
  EXPECT_EQ(s.GetLength(), 5);
  EXPECT_STREQ(s, "hello");
  buffer = s.GetBuffer(0);
  buffer[2] = '\0';
  s.ReleaseBuffer();
  EXPECT_STREQ(s, "he");
  s.GetBufferSetLength(4);
  s.ReleaseBuffer(1);
  EXPECT_STREQ(s, "h");
}

TEST(CStringTest, ConstructionForms) {
  EXPECT_STREQ(CString(static_cast<const char*>(nullptr)), "");
  EXPECT_STREQ(CString("abcdef", 3), "abc");
  EXPECT_STREQ(CString("ab", 10), "ab");
  EXPECT_STREQ(CString('x', 3), "xxx");
  EXPECT_STREQ(CString('x', -1), "");
}

}  // namespace
