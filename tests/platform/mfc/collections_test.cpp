#include "platform/mfc/collections.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace {

TEST(CArrayTest, GrowInsertRemove) {
  CArray<int, int> a;
  EXPECT_TRUE(a.IsEmpty());
  a.Add(1);
  a.Add(3);
  a.InsertAt(1, 2);
  a.InsertAt(5, 9);  // past the end: the gap is filled with default values
  ASSERT_EQ(a.GetSize(), 6);
  EXPECT_EQ(a[1], 2);
  EXPECT_EQ(a[3], 0);
  EXPECT_EQ(a.GetUpperBound(), 5);
  a.RemoveAt(3, 100);
  EXPECT_EQ(a.GetSize(), 3);
  a.RemoveAt(-1);
  a.RemoveAt(3);
  EXPECT_EQ(a.GetSize(), 3);
  a.SetAtGrow(4, 7);
  EXPECT_EQ(a.GetAt(4), 7);
  EXPECT_EQ(a.GetAt(99), 0);  // out of range reads give the default
  a.SetAt(99, 5);             // and out of range writes are ignored
  EXPECT_EQ(a.GetSize(), 5);
}

TEST(CStringArrayTest, HoldsCopies) {
  CStringArray list;
  char text[] = "first";
  list.Add(text);
  text[0] = 'X';
  list.Add(CString("second"));
  EXPECT_STREQ(list.GetAt(0), "first");
  EXPECT_STREQ(list[1], "second");
  CStringArray copy;
  copy.Copy(list);
  list.RemoveAll();
  EXPECT_EQ(copy.GetSize(), 2);
}

TEST(CMapStringToStringTest, LookupSetRemoveAndIterate) {
  CMapStringToString map;
  EXPECT_EQ(map.GetStartPosition(), nullptr);
  map.SetAt("{b}", "2");
  map["{a}"] = "1";
  map.SetAt("{c}", "3");
  map.SetAt("{b}", "two");
  CString value;
  EXPECT_TRUE(map.Lookup("{b}", value));
  EXPECT_STREQ(value, "two");
  EXPECT_FALSE(map.Lookup("{B}", value));  // keys are case-sensitive
  EXPECT_TRUE(map.RemoveKey("{c}"));
  EXPECT_FALSE(map.RemoveKey("{c}"));

  std::map<std::string, std::string> seen;
  POSITION pos = map.GetStartPosition();
  while (pos) {
    CString key, val;
    map.GetNextAssoc(pos, key, val);
    seen[key.str()] = val.str();
  }
  EXPECT_EQ(seen, (std::map<std::string, std::string>{{"{a}", "1"}, {"{b}", "two"}}));
}

}  // namespace
