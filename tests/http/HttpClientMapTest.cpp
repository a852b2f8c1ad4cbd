#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "http/HttpClientMap.h"
#include "tests/http/HttpTestSupport.h"

using namespace Vonar;

namespace {
std::vector<std::string> Order(const CHttpClientMapA& map) {
  std::vector<std::string> out;
  for (DWORD i = 0; i < map.Count(); ++i) out.push_back(std::string(map.GetKeyAt(i)) + "=" + map.GetValueAt(i));
  return out;
}
}  // namespace

TEST(HttpClientMapTest, NamesSortWithoutCaseAndEqualNamesKeepTheirOrder) {
  CHttpClientMapA map;
  map.Add("b", "1");
  map.Add("Name", "first");
  map.Add("a", nullptr, 4);
  map.Add("NAME", "second");
  map.Add("name", "third");
  EXPECT_EQ(Order(map), (std::vector<std::string>{"a=", "b=1", "Name=first", "NAME=second", "name=third"}));
  EXPECT_TRUE(map.Exists("name", 0));
  EXPECT_TRUE(map.Exists("name", 2));
  EXPECT_FALSE(map.Exists("name", 3));
  EXPECT_EQ(map.Count("nAmE"), 3u);
  EXPECT_EQ(map.Count(), 5u);
  DWORD flags = 9;
  EXPECT_STREQ(map.Get("A", 0, &flags), "");
  EXPECT_EQ(flags, 4u);
  EXPECT_STREQ(map.Get("name", 1), "second");
  EXPECT_EQ(map.Get("missing", 0, &flags), nullptr);
  EXPECT_EQ(flags, 0u);
  EXPECT_EQ(map.GetKeyAt(5), nullptr);

  EXPECT_TRUE(map.Remove("NAME", 1));
  EXPECT_STREQ(map.Get("name", 1), "third");
  EXPECT_TRUE(map.RemoveAll("name"));
  EXPECT_FALSE(map.RemoveAll("name"));
  EXPECT_TRUE(map.RemoveAt(0));
  EXPECT_FALSE(map.RemoveAt(1));
  EXPECT_TRUE(map.Clear());
  EXPECT_FALSE(map.Clear());
}

TEST(HttpClientMapTest, SetReplacesAnExistingEntryAndRefusesAnIndexPastTheName) {
  CHttpClientMapA map;
  map.Set("k", "v0", 1, 0);  // none of that name yet: added
  map.Add("K", "v1");
  map.Set("k", "new", 2, 1);
  DWORD flags = 0;
  EXPECT_STREQ(map.Get("k", 1, &flags), "new");
  EXPECT_EQ(flags, 2u);
  for (DWORD index : {2u, 7u}) {
    SCOPED_TRACE(index);
    CaughtHttpError caught = CatchHttpError([&] { map.Set("k", "x", 0, index); });
    EXPECT_EQ(caught.code, 101u);
    EXPECT_EQ(caught.message, "The index is out of range.");
  }
  EXPECT_EQ(map.Count(), 2u);
}

TEST(HttpClientMapTest, NullNamesAreRefusedByName) {
  CHttpClientMapA map;
  struct Row {
    const char* message;
    std::function<void()> call;
  } rows[] = {
      {"CHttpClientMapT::Add: szName can not be NULL.", [&] { map.Add(nullptr, "v"); }},
      {"CHttpClientMapT::AddPointerDirectly: szName can not be NULL.", [&] { map.AddPointerDirectly(nullptr, new char[2](), 0); }},
      {"CHttpClientMapT::Set: szName can not be NULL.", [&] { map.Set(nullptr, "v", 0); }},
      {"CHttpClientMapT::Get: szName can not be NULL.", [&] { map.Get(nullptr); }},
      {"CHttpClientMapT::Exists: szName can not be NULL.", [&] { map.Exists(nullptr); }},
      {"CHttpClientMapT::Remove: szName can not be NULL.", [&] { map.Remove(nullptr); }},
      {"CHttpClientMapT::RemoveAll: szName can not be NULL.", [&] { map.RemoveAll(nullptr); }},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.message);
    CaughtHttpError caught = CatchHttpError(row.call);
    EXPECT_EQ(caught.message, row.message);
    EXPECT_EQ(caught.code, 0u);
  }
}
