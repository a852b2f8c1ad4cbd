// The view's own pair of the photobooth settings file: its settings, the application's printer,
// the refusal during a sequence and the messages it shows.
#include <filesystem>
#include <fstream>

#include "AppTestSupport.h"
#include "app/MyQuilletApp.h"
#include "platform/winspool/globalmem.h"

namespace {

class MyQuilletViewPhotoboothFileTest : public ViewTestBase {};

TEST_F(MyQuilletViewPhotoboothFileTest, SavedSettingsAndPrinterComeBack) {
  std::string path = TestFolder() + "/view-pair.xml";
  m_view->m_nPhotoboothNumberOfColumns = 3;
  m_view->m_dPhotoboothBorderInMM = 2.5;
  m_view->m_nPrintOptionInSharingScreenLimit = 3;
  ASSERT_TRUE(m_view->SavePhotoboothSettings(path.c_str(), true));
  std::ifstream in(path, std::ios::binary);
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_NE(text.find("<printerDevMode>"), std::string::npos) << "the application's printer goes with it";
  EXPECT_NE(text.find("<photoboothBorderInMM>25/10<"), std::string::npos);

  m_view->m_nPhotoboothNumberOfColumns = 1;
  m_view->m_dPhotoboothBorderInMM = 1;
  m_view->m_nPrintOptionInSharingScreenLimit = 0;
  ASSERT_TRUE(m_view->LoadPhotoboothSettings(path.c_str()));
  EXPECT_EQ(m_view->m_nPhotoboothNumberOfColumns, 3);
  EXPECT_DOUBLE_EQ(m_view->m_dPhotoboothBorderInMM, 2.5);
  EXPECT_EQ(m_view->m_nPrintOptionInSharingScreenLimit, 3);
  EXPECT_TRUE(GetShownMessageBoxes().empty());
}

TEST_F(MyQuilletViewPhotoboothFileTest, NothingLoadsDuringASequenceAndErrorsAreShown) {
  std::string path = TestFolder() + "/sequence.xml";
  std::ofstream(path, std::ios::binary)
      << "<Tavorin version=\"3.1\"><photobooth_settings><photoboothNumberOfColumns>4</photoboothNumberOfColumns>"
         "</photobooth_settings></Tavorin>";
  m_view->m_nShotsLeft = 2;
  EXPECT_FALSE(m_view->LoadPhotoboothSettings(path.c_str()));
  EXPECT_EQ(m_view->m_nPhotoboothNumberOfColumns, 2);
  m_view->m_nShotsLeft = -1;
  m_view->m_bBusy = true;
  EXPECT_FALSE(m_view->LoadPhotoboothSettings(path.c_str()));
  m_view->m_bBusy = false;
  EXPECT_TRUE(GetShownMessageBoxes().empty()) << "a refusal is silent";
  EXPECT_TRUE(m_view->LoadPhotoboothSettings(path.c_str()));
  EXPECT_EQ(m_view->m_nPhotoboothNumberOfColumns, 4);

  std::string missing = TestFolder() + "/missing.xml";
  EXPECT_FALSE(m_view->LoadPhotoboothSettings(missing.c_str()));
  std::string blocked = path + "/settings.xml";
  EXPECT_FALSE(m_view->SavePhotoboothSettings(blocked.c_str(), false));
  std::vector<ShownMessageBox> shown = GetShownMessageBoxes();
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[0].text, "Error reading file: " + missing);
  EXPECT_EQ(shown[0].caption, "Tavorin");
  EXPECT_EQ(shown[0].icon, MB_ICONSTOP);
  EXPECT_EQ(shown[1].text, "Error writing file: " + blocked);
}

TEST_F(MyQuilletViewPhotoboothFileTest, ProfileSwitchMovesTheNumberAndLoadsAnExistingFile) {
  std::string folder = TestFolder() + "/booth";
  std::filesystem::create_directories(folder + "/images");
  std::ofstream(folder + "/party.xml", std::ios::binary)
      << "<Tavorin version=\"3.1\"><photobooth_settings><photoboothPrintCopies>3</photoboothPrintCopies>"
         "</photobooth_settings></Tavorin>";
  m_view->m_strPhotoboothImageDir = (folder + "/images/").c_str();
  m_view->m_strPhotoboothProfiles[1] = "{photoboothSubdir}party.xml";
  m_view->m_strPhotoboothProfiles[16] = "{photoboothSubdir}missing.xml";
  m_view->m_nPhotoboothCurrentProfile = 2;

  m_view->SelectPhotoboothProfile(-1000);
  EXPECT_EQ(m_view->m_nPhotoboothCurrentProfile, 17) << "a missing file still moves the number";
  EXPECT_EQ(m_view->m_nPhotoboothPrintCopies, 1);
  m_view->SelectPhotoboothProfile(1000);
  EXPECT_EQ(m_view->m_nPhotoboothCurrentProfile, 2);
  EXPECT_EQ(m_view->m_nPhotoboothPrintCopies, 3);
  m_view->SelectPhotoboothProfile(19);
  m_view->SelectPhotoboothProfile(0);
  EXPECT_EQ(m_view->m_nPhotoboothCurrentProfile, 2);
  m_view->SelectPhotoboothProfile(5);
  EXPECT_EQ(m_view->m_nPhotoboothCurrentProfile, 2) << "an empty path changes nothing";
  EXPECT_TRUE(GetShownMessageBoxes().empty());
}

}  // namespace

namespace {

TEST_F(MyQuilletViewPhotoboothFileTest, TheBoothsImagesFolderIsTheStoredSetting) {
  // From the registry at start.
  m_harness.reset();
  const std::string stored = TestFolder() + "/stored-images";
  HKEY key = OpenProductKey();
  RegSetValueExA(key, "PhotoboothImageDir", 0, REG_SZ, reinterpret_cast<const BYTE*>(stored.c_str()),
                 static_cast<DWORD>(stored.size() + 1));
  RegCloseKey(key);
  m_harness = std::make_unique<ViewHarness>();
  ASSERT_NE(nullptr, m_harness->m_view);
  m_view = m_harness->m_view;
  EXPECT_EQ(stored, std::string(m_view->m_strPhotoboothImagesDir.GetString()));

  // From a settings file: the booth's screens come from the loaded folder.
  const std::string loaded = TestFolder() + "/loaded-images";
  const std::string path = TestFolder() + "/images-folder.xml";
  std::ofstream(path, std::ios::binary) << "<Tavorin version=\"3.1\"><photobooth_settings><photoboothImageDir>" << loaded
                                        << "</photoboothImageDir></photobooth_settings></Tavorin>";
  ASSERT_TRUE(m_view->LoadPhotoboothSettings(path.c_str()));
  EXPECT_EQ(loaded, std::string(m_view->m_strPhotoboothImageDir.GetString()));
  EXPECT_EQ(loaded, std::string(m_view->m_strPhotoboothImagesDir.GetString()));
  // And the booth's name for it writes the stored setting.
  m_view->m_strPhotoboothImagesDir = stored.c_str();
  EXPECT_EQ(stored, std::string(m_view->m_strPhotoboothImageDir.GetString()));
}

}  // namespace
