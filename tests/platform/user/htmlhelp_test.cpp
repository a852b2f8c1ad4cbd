#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/user/htmlhelp.h"

namespace {

std::vector<std::string> g_opened;
void Record(const char* path) { g_opened.push_back(path); }

}  // namespace

TEST(HtmlHelpTest, APageOfTheHelpFolderGoesToTheOpener) {
  std::string folder = std::filesystem::temp_directory_path().string() + "/tavorin-help-XXXXXX";
  ASSERT_NE(nullptr, mkdtemp(folder.data()));
  FILE* page = std::fopen((folder + "/Topic.htm").c_str(), "w");
  ASSERT_NE(nullptr, page);
  std::fclose(page);
  g_opened.clear();
  SetHtmlHelpOpener(Record);

  EXPECT_NE(nullptr, HtmlHelpA(nullptr, (folder + "::/Topic.htm").c_str(), HH_DISPLAY_TOPIC, 0));
  EXPECT_EQ(nullptr, HtmlHelpA(nullptr, (folder + "::/Missing.htm").c_str(), HH_DISPLAY_TOPIC, 0));
  EXPECT_EQ(nullptr, HtmlHelpA(nullptr, (folder + "::/../Topic.htm").c_str(), HH_DISPLAY_TOPIC, 0));
  ASSERT_EQ(1u, g_opened.size());
  EXPECT_EQ(folder + "/Topic.htm", g_opened[0]);

  SetHtmlHelpOpener(nullptr);
  std::filesystem::remove_all(folder);
}
