#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "keyboard/KeyboardLayoutFile.h"
#include "support/XmlDocument.h"

namespace {

class KeyboardLayoutFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_dir = std::filesystem::temp_directory_path() / ("kbd-layout-" + std::to_string(::getpid()) + "-" +
                                                       ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(m_dir);
    std::filesystem::create_directories(m_dir);
  }
  void TearDown() override { std::filesystem::remove_all(m_dir); }

  std::string Write(const char* name, const std::string& keyboardBody) {
    std::string path = (m_dir / name).string();
    std::ofstream(path) << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<morvane_systems_photobooth version=\"2.2\">"
                           "<photobooth_settings><keyboard>"
                        << keyboardBody << "</keyboard></photobooth_settings></morvane_systems_photobooth>\n";
    return path;
  }

  static std::string Key(const char* code, int left, const char* skip = "") {
    std::string key = "<key>";
    auto part = [&](const char* name, const std::string& value) {
      if (std::string(name) != skip) key += std::string("<") + name + ">" + value + "</" + name + ">";
    };
    part("left", std::to_string(left));
    part("top", "500");
    part("width", "90");
    part("height", "80");
    part("legend", code);
    part("shifted_legend", code);
    part("code", code);
    part("shifted_code", code);
    return key + "</key>";
  }

  std::filesystem::path m_dir;
};

}  // namespace

TEST_F(KeyboardLayoutFileTest, AMissingKeyPartStopsTheReadingWithWhatWasRead) {
  std::string path = Write("keyboard.xml", Key("a", 10) + Key("b", 110) + Key("c", 210, "code") +
                                               Key("d", 310) + "<background_color>0x102030</background_color>");
  KeyboardLayout layout;
  CString error;
  EXPECT_FALSE(ReadKeyboardLayout(path.c_str(), layout, &error));
  EXPECT_EQ(error, "Can't find <code> tag");
  ASSERT_EQ(layout.m_keys.GetSize(), 2);
  EXPECT_EQ(layout.m_keys[1].m_code, "b");
  EXPECT_EQ(layout.m_keys[1].m_x, 110);
  EXPECT_EQ(layout.m_backgroundColor, RGB(0, 0, 128)) << "nothing after the error is read";
}

TEST_F(KeyboardLayoutFileTest, MissingTagsAndFilesAreReportedAsTheReaderSays) {
  struct Row {
    const char* body;
    BOOL ok;
    const char* error;
  };
  const Row rows[] = {
      {"<other/>", FALSE, "Can't find <morvane_systems_photobooth> tag, file may not be a photobooth settings file"},
      {"<morvane_systems_photobooth><x/></morvane_systems_photobooth>", FALSE,
       "Can't find <photobooth_settings> tag, file may not be a photobooth settings file"},
      {"<morvane_systems_photobooth><photobooth_settings/></morvane_systems_photobooth>", FALSE,
       "Can't find <keyboard> tag, file may not be a photobooth keyboard settings file"},
      {"<wrapper><morvane_systems_photobooth><photobooth_settings><keyboard/></photobooth_settings>"
       "</morvane_systems_photobooth></wrapper>", TRUE, ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.body);
    std::string path = (m_dir / "k.xml").string();
    std::ofstream(path) << row.body;
    KeyboardLayout layout;
    CString error;
    EXPECT_EQ(ReadKeyboardLayout(path.c_str(), layout, &error), row.ok);
    EXPECT_EQ(error, row.error);
  }
  KeyboardLayout layout;
  CString error;
  EXPECT_TRUE(ReadKeyboardLayout((m_dir / "absent.xml").string().c_str(), layout, &error));
  EXPECT_TRUE(error.IsEmpty());
}

TEST_F(KeyboardLayoutFileTest, ADamagedFileIsRefusedWholeAndChangesNothing) {
  const std::string whole = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<morvane_systems_photobooth version=\"2.2\">"
                            "<photobooth_settings><keyboard><background_color>0x102030</background_color>" +
                            Key("a", 10) + Key("b", 110) + "</keyboard></photobooth_settings></morvane_systems_photobooth>\n";
  const struct {
    const char* name;
    std::string bytes;
  } rows[] = {
      {"cut inside the second key", whole.substr(0, whole.find("<key>", whole.find("<key>") + 1) + 20)},
      {"junk after the document", whole + "<junk/>"},
      {"a NUL byte among the keys", whole.substr(0, whole.find("<key>")) + '\0' + whole.substr(whole.find("<key>"))},
      {"empty", ""},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    const std::string path = (m_dir / "damaged.xml").string();
    std::ofstream(path, std::ios::binary) << row.bytes;
    KeyboardLayout layout;
    const COLORREF background = layout.m_backgroundColor;
    CString error;
    EXPECT_FALSE(ReadKeyboardLayout(path.c_str(), layout, &error));
    EXPECT_EQ(error, "Error reading file");
    EXPECT_EQ(layout.m_keys.GetSize(), 0);
    EXPECT_EQ(layout.m_backgroundColor, background);
  }
}

TEST_F(KeyboardLayoutFileTest, NumbersAreHeldToTheScreen) {
  std::string key = "<key><left>2147483000</left><top>-99999999999</top><width>2000</width><height>80</height>"
                    "<legend>x</legend><shifted_legend>X</shifted_legend><code>x</code><shifted_code>X</shifted_code></key>";
  std::string path = Write("keyboard.xml", "<prompt rows=\"2000000000\" max_chars=\"99999999999\">Type:</prompt>"
                                           "<text_y>2147483600</text_y><text2_x>-2147483648</text2_x>"
                                           "<chkbox1_y>99999</chkbox1_y><text_point_size>0</text_point_size>" + key);
  KeyboardLayout layout;
  CString error;
  ASSERT_TRUE(ReadKeyboardLayout(path.c_str(), layout, &error)) << error.GetString();
  EXPECT_EQ(layout.m_fields[0].m_rows, kKeyboardMaxFieldRows);
  EXPECT_EQ(layout.m_fields[0].m_maxChars, INT_MAX);
  EXPECT_EQ(layout.m_fields[0].m_y, kKeyboardCoordinateLimit);
  EXPECT_EQ(layout.m_fields[1].m_x, -kKeyboardCoordinateLimit);
  EXPECT_EQ(layout.m_checkBoxes[0].m_y, kKeyboardCoordinateLimit);
  EXPECT_EQ(layout.m_textPointSize, 1);
  ASSERT_EQ(layout.m_keys.GetSize(), 1);
  const CKey& read = layout.m_keys[0];
  EXPECT_EQ(read.m_x, kKeyboardCoordinateLimit);
  EXPECT_EQ(read.m_y, -kKeyboardCoordinateLimit);
  EXPECT_EQ(read.m_width, 2000);
  EXPECT_TRUE(read.StrictlyContains(kKeyboardCoordinateLimit + 1000, -kKeyboardCoordinateLimit + 40));
  // Whatever a layout held, a key at the end of the int range contains nothing past it.
  CKey edge("e", "E", "e", "E", 2147483000, 0, 2000, 80);
  EXPECT_TRUE(edge.StrictlyContains(2147483600, 40));
  EXPECT_FALSE(edge.StrictlyContains(-5, 40));
}

TEST_F(KeyboardLayoutFileTest, FieldsFlagsAndColoursAreReadAsWritten) {
  std::string path = Write("keyboard.xml",
                           "<prompt email_address=\"1\" prohibited=\"1\" value=\"pre\" max_chars=\"12\" rows=\"0\">First</prompt>"
                           "<prompt2 email_address=\"1\" prohibited=\"1\" mandatory=\"yes\" rows=\"4\">Second</prompt2>"
                           "<text2_w>900</text2_w><text2_r>800</text2_r><text2_y>300</text2_y><text_y>100</text_y>"
                           "<chkbox3_prompt value=\"1\" mandatory=\"1\">Terms</chkbox3_prompt><chkbox3_y>40</chkbox3_y>"
                           "<transparent_color>0x000000</transparent_color><text_color>0xFF0000</text_color>"
                           "<background_color>zz</background_color><show_cursor>7</show_cursor>"
                           "<text_point_size>360abc</text_point_size><text_font_name>Courier</text_font_name>");
  KeyboardLayout layout;
  CString error;
  ASSERT_TRUE(ReadKeyboardLayout(path.c_str(), layout, &error));
  const KeyboardTextField& first = layout.m_fields[0];
  EXPECT_TRUE(first.m_emailAddress && first.m_prohibited) << "field 1 keeps both flags";
  EXPECT_EQ(first.m_text, "pre");
  EXPECT_EQ(first.m_maxChars, 12);
  EXPECT_EQ(first.m_rows, 1);
  EXPECT_EQ(first.m_y, 100);
  const KeyboardTextField& second = layout.m_fields[1];
  EXPECT_TRUE(second.m_prohibited);
  EXPECT_FALSE(second.m_emailAddress) << "a numbered prompt's prohibited flag clears the e-mail flag";
  EXPECT_FALSE(second.m_mandatory) << "only exactly \"1\" sets a flag";
  EXPECT_EQ(second.m_rows, 4);
  EXPECT_EQ(second.m_right, 800) << "the later of text2_w and text2_r wins";
  EXPECT_TRUE(layout.m_checkBoxes[2].m_value && layout.m_checkBoxes[2].m_mandatory);
  EXPECT_EQ(layout.m_checkBoxes[2].m_y, 40);
  EXPECT_EQ(layout.m_transparentColor, 0L) << "black can be the see-through colour";
  EXPECT_EQ(layout.m_keyTextColor, RGB(255, 0, 0));
  EXPECT_EQ(layout.m_backgroundColor, RGB(0, 0, 128)) << "an unreadable colour keeps the old one";
  EXPECT_TRUE(layout.m_showCursor);
  EXPECT_EQ(layout.m_textPointSize, 360);
  EXPECT_EQ(layout.m_textFontName, "Courier");
  EXPECT_EQ(layout.m_keys.GetSize(), 0);
}

TEST_F(KeyboardLayoutFileTest, WriteThenReadKeepsTheDesignButNotTheTexts) {
  KeyboardLayout layout;
  layout.SetDefaults(KeyboardFacebook, 1280);
  layout.m_fields[0].m_y = 100;
  layout.m_fields[0].m_text = "typed";
  layout.m_fields[0].m_maxChars = 8;
  layout.m_fields[0].m_mandatory = true;
  layout.m_fields[1].m_y = 200;
  layout.m_fields[3].m_y = 300;
  layout.m_fields[3].m_rows = 2;
  layout.m_fields[3].m_prompt = "Caf\xE9 & <more>";
  layout.m_checkBoxes[1].m_y = 50;
  layout.m_checkBoxes[1].m_x = 60;
  layout.m_checkBoxes[1].m_prompt = "I agree";
  layout.m_checkBoxes[1].m_mandatory = true;
  layout.m_backgroundColor = RGB(1, 2, 3);
  layout.m_textPointSize = 300;
  layout.m_showMouseCursor = true;
  layout.m_keys.Add(CKey("a", "A", "a", "A", 5, 6, 7, 8));
  layout.m_keys.Add(CKey("Send", "Send", "OK", "OK", 50, 60, 70, 80));
  std::string path = (m_dir / "keyboard.xml").string();
  ASSERT_TRUE(WriteKeyboardLayoutFile(path.c_str(), layout));

  std::ifstream in(path);
  std::string firstLine;
  std::getline(in, firstLine);
  EXPECT_EQ(firstLine, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>");
  XmlNode* root = XmlDocument::LoadFile(path.c_str());
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(root->FindAttribute("version")->m_value, "2.2");
  EXPECT_EQ(root->FindAttribute("build_date")->m_value, "Dec 21 2016");
  XmlNode* keyboard = root->FindChild("photobooth_settings")->FindChild("keyboard");
  std::vector<std::string> order;
  for (XmlNode* node = keyboard->m_firstChild; node; node = node->m_nextSibling) order.push_back(node->m_name.str());
  std::vector<std::string> expected = {"prompt1", "text1_x", "text1_y", "text1_r", "prompt2", "text2_x", "text2_y", "text2_r",
                                       "prompt4", "text4_x", "text4_y", "text4_r", "chkbox1_prompt", "chkbox1_x", "chkbox1_y",
                                       "chkbox2_prompt", "chkbox2_x", "chkbox2_y", "background_color", "checkbox_tick_color",
                                       "key_text_color", "text_foreground_color", "text_background_color", "text_point_size",
                                       "text_font_name", "show_cursor", "show_mouse_cursor", "key", "key"};
  EXPECT_EQ(order, expected) << "no transparent_color without one";
  EXPECT_EQ(keyboard->FindChild("background_color")->GetText(), "0x010203");
  root->Destroy();
  delete root;

  KeyboardLayout back;
  back.SetDefaults(KeyboardGeneral, 1280);
  CString error;
  ASSERT_TRUE(ReadKeyboardLayout(path.c_str(), back, &error)) << error.str();
  ASSERT_EQ(back.m_keys.GetSize(), 2);
  EXPECT_EQ(back.m_keys[1].m_code, "OK");
  EXPECT_EQ(back.m_keys[0].m_shiftedLegend, "A");
  EXPECT_EQ(back.m_keys[0].m_height, 8);
  EXPECT_EQ(back.m_fields[0].m_prompt, "Please enter your Facebook username:");
  EXPECT_TRUE(back.m_fields[0].m_mandatory);
  EXPECT_TRUE(back.m_fields[1].m_password);
  EXPECT_EQ(back.m_fields[3].m_prompt, "Caf\xE9 & <more>");
  EXPECT_EQ(back.m_fields[3].m_rows, 2);
  EXPECT_EQ(back.m_fields[3].m_right, 1280 - 24);
  EXPECT_EQ(back.m_fields[0].m_text, "") << "initial texts are not written";
  EXPECT_EQ(back.m_fields[0].m_maxChars, -1);
  EXPECT_FALSE(back.m_checkBoxes[0].IsDefined()) << "check box 1 is written with -1 and stays absent";
  EXPECT_TRUE(back.m_checkBoxes[1].m_mandatory);
  EXPECT_EQ(back.m_checkBoxes[1].m_x, 60);
  EXPECT_EQ(back.m_backgroundColor, RGB(1, 2, 3));
  EXPECT_EQ(back.m_textPointSize, 300);
  EXPECT_TRUE(back.m_showMouseCursor);
  EXPECT_EQ(back.m_transparentColor, -1);

  layout.m_transparentColor = 0;
  ASSERT_TRUE(WriteKeyboardLayoutFile(path.c_str(), layout));
  KeyboardLayout keyed;
  ASSERT_TRUE(ReadKeyboardLayout(path.c_str(), keyed, &error));
  EXPECT_EQ(keyed.m_transparentColor, 0L);
}

TEST_F(KeyboardLayoutFileTest, AFailedWriteLeavesTheOldFileWhole) {
  KeyboardLayout layout;
  layout.m_keys.Add(CKey("a", "A", "a", "A", 5, 6, 7, 8));
  std::string path = (m_dir / "keyboard.xml").string();
  ASSERT_TRUE(WriteKeyboardLayoutFile(path.c_str(), layout));
  auto before = std::filesystem::file_size(path);
  std::string throughFile = path + "/keyboard.xml";  // a path through a regular file
  EXPECT_FALSE(WriteKeyboardLayoutFile(throughFile.c_str(), layout));
  EXPECT_EQ(std::filesystem::file_size(path), before);
  std::string tooLong = (m_dir / (std::string(300, 'k') + ".xml")).string();
  EXPECT_FALSE(WriteKeyboardLayoutFile(tooLong.c_str(), layout));
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(m_dir)) files += entry.is_regular_file() ? 1 : 0;
  EXPECT_EQ(files, 1) << "no temporary file is left behind";
}

TEST_F(KeyboardLayoutFileTest, AnImageSetIsUsedOnlyWhenComplete) {
  auto touch = [&](const CString& path) { std::ofstream(path.str()) << "x"; };
  CString folder = m_dir.string().c_str();
  EXPECT_EQ(FindKeyboardImageSet(folder, "keyboard"), nullptr);
  for (int i = 0; i < 3; ++i) touch(KeyboardImagePath(folder, "keyboard", i, ".tif"));
  EXPECT_EQ(FindKeyboardImageSet(folder, "keyboard"), nullptr);
  for (int i = 0; i < 4; ++i) touch(KeyboardImagePath(folder, "keyboard", i, ".jpg"));
  EXPECT_STREQ(FindKeyboardImageSet(folder, "keyboard"), ".jpg");
  touch(KeyboardImagePath(folder, "keyboard", 3, ".tif"));
  EXPECT_STREQ(FindKeyboardImageSet(folder, "keyboard"), ".tif");
  EXPECT_EQ(KeyboardImagePath("/f", "mms_keyboard", 1, ".tif"), "/f/mms_keyboard_uppercase_pressed.tif");
}
