#include "support/TextTemplate.h"

#include <gtest/gtest.h>

#include <string>

TEST(TextTemplateTest, EvaluatesBraceFunctions) {
  const struct {
    const char* in;
    const char* out;
  } rows[] = {
      {"{left,3,abcdef}", "abc"},
      {"{left,10,abc}", "abc"},
      {"{left,-1,abc}", ""},
      {"{right,2,abcdef}", "ef"},
      {"{mid,1,3,abcdef}", "bcd"},
      {"{mid,2,abcdef}", "cdef"},
      {"{mid,9,abc}", ""},
      {"{mid,2,2023-01}", "23-01"},  // text starting with digits: one number unless a comma follows the second
      {"{mid,0,4,2023-01}", "2023"},
      {"{field,2,John_Smith-Jones}", "Smith"},
      {"{field,3,a..b  c}", "c"},
      {"{field,4,a b}", ""},
      {"{field,0,a b}", ""},
      {"{first,  --hello world}", "hello"},
      {"{first,caf\xE9-bar}", "caf\xE9"},
      {"{last,hello world!!}", "world"},
      {"{last,!!}", ""},
      {"{lower,ABC \xC9}", "abc \xE9"},
      {"{upper,abc \xE9}", "ABC \xC9"},
      {"{capitalize,mARY}", "Mary"},
      {"{capitalize,12 mARY}", "12 Mary"},
      {"{default, ,guest}", "guest"},
      {"{default,Ann,guest}", "Ann"},
      {"{default, Ann ,guest}", "Ann"},
      {"{default,,a, b}", "a, b"},
      {"{default,guest}", "{default,guest}"},
      {"{if,,yes,no}", "no"},
      {"{if, ,yes,no}", "no"},
      {"{if,x,yes,no}", "yes"},
      {"{if,x,yes,no,more}", "yes"},
      {"{if,,yes,no,more}", "no,more"},
      {"{if,x,yes}", "{if,x,yes}"},
      {"{upper,{left,2,abc}}", "AB"},
      {"{upper,{lower,{left,2,XYZ}}}", "XY"},
      {"a {left,1,xy} b {left,1,xy}", "a x b x"},
      {"{unknown,1} {left,1,x}", "{unknown,1} x"},
      {"{left,x,abc}", "{left,x,abc}"},
      {"{Left,1,abc}", "{Left,1,abc}"},
      {"no braces", "no braces"},
      {"{left,1,abc", "{left,1,abc"},
      {"}{left,1,abc}", "}a"},
      {"{{left,1,ab}", "{a"},
      {"", ""},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.in);
    CString text(row.in);
    ExpandTemplateFunctions(text);
    EXPECT_EQ(text, row.out);
  }
}

TEST(TextTemplateTest, DeepNestingEndsWithoutExpanding) {
  std::string text(20000, '{');
  text += "left,1,ab}";
  CString expanded(text);
  ExpandTemplateFunctions(expanded);
  EXPECT_EQ(expanded, CString(text));
}

TEST(TextTemplateTest, ExpandTextTemplateFillsPlaceholdersThenFunctions) {
  CMapStringToString values;
  values.SetAt("{photoboothDate}", "20260314");
  values.SetAt("{name}", "  ");
  values.SetAt("", "never");
  CString text("{left,4,{photoboothDate}}-{default,{name},guest}-{photoboothDate}");
  ExpandTextTemplate(values, text);
  EXPECT_EQ(text, "2026-guest-20260314");
}
