#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "keyboard/ForbiddenWords.h"
#include "support/EmailAddress.h"

namespace {

class ForbiddenWordsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_dir = std::filesystem::temp_directory_path() / ("kbd-words-" + std::to_string(::getpid()));
    std::filesystem::create_directories(m_dir);
  }
  void TearDown() override {
    std::filesystem::remove_all(m_dir);
    ForbiddenWords.clear();
  }
  void WriteFile(const std::string& text) { std::ofstream((m_dir / "forbidden_words.xml").string()) << text; }
  CString Folder() const { return m_dir.string().c_str(); }

  std::filesystem::path m_dir;
};

}  // namespace

TEST_F(ForbiddenWordsTest, LoaderReadsWordsInOrderAndReportsMissingTags) {
  ForbiddenWords = {"stale"};
  CString error;
  EXPECT_TRUE(LoadForbiddenWords(Folder(), &error)) << "a missing file is no error";
  EXPECT_TRUE(ForbiddenWords.empty());

  WriteFile("<morvane_systems_photobooth version=\"1\"><forbidden_words><word>darn</word><other>x</other>"
            "<word></word><word> Heck </word></forbidden_words></morvane_systems_photobooth>");
  ASSERT_TRUE(LoadForbiddenWords(Folder(), &error));
  ASSERT_EQ(ForbiddenWords.size(), 2u);
  EXPECT_EQ(ForbiddenWords[0], "darn");
  EXPECT_EQ(ForbiddenWords[1], " Heck ") << "words are kept as written";

  struct Row {
    const char* text;
    const char* error;
  };
  const Row rows[] = {
      {"<root><forbidden_words><word>x</word></forbidden_words></root>",
       "Can't find <morvane_systems_photobooth> tag, file may not be a photobooth settings file"},
      {"<morvane_systems_photobooth><word>x</word></morvane_systems_photobooth>",
       "Can't find <forbidden_words> tag, file may not be a photobooth settings file"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text);
    WriteFile(row.text);
    error.Empty();
    EXPECT_FALSE(LoadForbiddenWords(Folder(), &error));
    EXPECT_EQ(error, row.error);
    EXPECT_TRUE(ForbiddenWords.empty());
  }
}

TEST_F(ForbiddenWordsTest, ADamagedListIsRefusedWhole) {
  const std::string whole =
      "<morvane_systems_photobooth><forbidden_words><word>darn</word><word>heck</word></forbidden_words>"
      "</morvane_systems_photobooth>";
  for (const std::string& bytes : {whole.substr(0, whole.size() / 2), whole + "junk"}) {
    SCOPED_TRACE(bytes);
    WriteFile(bytes);
    ForbiddenWords = {"stale"};
    CString error;
    EXPECT_FALSE(LoadForbiddenWords(Folder(), &error));
    EXPECT_EQ(error, "Error reading file");
    EXPECT_TRUE(ForbiddenWords.empty());
  }
}

TEST_F(ForbiddenWordsTest, OnlyLowerCaseWordsEverMatch) {
  ForbiddenWords = {"darn", "Heck"};
  struct Row {
    const char* text;
    bool free;
  };
  const Row rows[] = {{"DARN", false}, {"undarnable", false}, {"heck", true}, {"HECK", true}, {"fine", true}, {"", true}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text);
    EXPECT_EQ(IsFreeOfForbiddenWords(row.text), row.free);
  }
  ForbiddenWords.clear();
  EXPECT_TRUE(IsFreeOfForbiddenWords("darn"));
}

TEST_F(ForbiddenWordsTest, FieldChecksLookAtFieldsInUse) {
  KeyboardLayout layout;
  layout.SetDefaults(KeyboardGeneral, 1000);
  layout.m_fields[0].m_y = 10;
  layout.m_fields[1].m_y = 50;
  layout.m_fields[1].m_emailAddress = true;
  EXPECT_EQ(FindInvalidEmailField(layout), 0) << "an empty field 1 with the e-mail flag is invalid";
  layout.m_fields[0].m_text = "a@b.c";
  EXPECT_EQ(FindInvalidEmailField(layout), -1) << "an empty field 2 is not checked";
  layout.m_fields[1].m_text = "nope";
  EXPECT_EQ(FindInvalidEmailField(layout), 1);
  layout.m_fields[1].m_y = -1;
  EXPECT_EQ(FindInvalidEmailField(layout), -1) << "an undrawn field is not in use";

  layout.m_fields[0].m_prohibited = true;
  layout.m_fields[0].m_text = "darn@b.c";
  EXPECT_EQ(FindForbiddenWordField(layout), -1) << "empty list";
  ForbiddenWords = {"darn"};
  EXPECT_EQ(FindForbiddenWordField(layout), 0);
  layout.m_fields[0].m_prohibited = false;
  EXPECT_EQ(FindForbiddenWordField(layout), -1);
}

TEST(EmailAddressRulesTest, AddressTable) {
  struct Row {
    const char* text;
    bool valid;
  };
  const Row rows[] = {{"  a@b.c  ", true}, {"@b.c", false}, {"a@", false}, {"a@bc", false}, {"a@.bc", false},
                      {"a@b.", false},     {"a@b@c.d", false}, {"a@b..c", true}, {"a b@c.d", true}, {"", false}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text);
    EXPECT_EQ(IsValidEmailAddress(row.text), row.valid);
  }
}
