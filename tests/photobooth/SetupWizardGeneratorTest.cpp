#include "photobooth/SetupWizardGenerator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include "PhotoboothTestFiles.h"
#include "tests/app/AppTestSupport.h"
#include "config/PhotoboothSettingsFile.h"
#include "platform/polyimage/polyimage.h"
#include "printlayout/PresetPrintLayoutsDlg.h"

namespace fs = std::filesystem;

namespace {

const std::string kButtons = std::string(TAVORIN_SOURCE_DIR) + "/data/PhotoboothImages/buttons/";

LOGFONTA Arial(int height) {
  LOGFONTA font{};
  font.lfHeight = height;
  font.lfWeight = 400;
  std::strcpy(font.lfFaceName, "Arial");
  return font;
}

struct Pixels {
  explicit Pixels(const std::string& path) : session(cNewSession()) {
    loaded = cLoadImage(session, path.c_str(), 0, 0, 0) != 0;
    if (loaded) cGetImageInfo(session, &width, &height, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
  }
  ~Pixels() { cDestroySession(session); }
  COLORREF At(int x, int y) const {
    COLORREF colour = 0;
    cGetPixelColor(session, x, y, &colour);
    return colour;
  }
  // Any pixel brighter than mid grey in the rectangle (text is white on black).
  bool AnyBright(int left, int top, int right, int bottom) const {
    for (int y = std::max(top, 0); y < std::min(bottom, static_cast<int>(height)); ++y)
      for (int x = std::max(left, 0); x < std::min(right, static_cast<int>(width)); ++x)
        if (GetGValue(At(x, y)) > 128) return true;
    return false;
  }
  int session;
  bool loaded = false;
  DWORD width = 0, height = 0;
};

struct Button {
  int action, left, top, right, bottom;
  bool operator==(const Button& o) const {
    return action == o.action && left == o.left && top == o.top && right == o.right && bottom == o.bottom;
  }
};
std::ostream& operator<<(std::ostream& out, const Button& b) {
  return out << "{" << b.action << ", " << b.left << ", " << b.top << ", " << b.right << ", " << b.bottom << "}";
}

std::vector<Button> Buttons(const ViewSettings& s) {
  std::vector<Button> buttons;
  for (const PhotoboothTouchscreenButton& b : s.m_touchscreenButtons)
    if (b.action > 0) buttons.push_back({b.action, b.left, b.top, b.right, b.bottom});
  return buttons;
}

std::set<std::string> Names(const std::vector<CString>& written) {
  std::set<std::string> names;
  for (const CString& name : written) names.insert(name.str());
  return names;
}

class SetupWizardGeneratorTest : public ::testing::Test {
 protected:
  // The preset boxes follow the printer's page: the same page in every run.
  void SetUp() override { SelectPdfPrinter(300); }
  CSetupWizardGenerator Make(int width, int height) {
    CSetupWizardGenerator generator(width, height, Arial(-37), Arial(-21));
    generator.m_strButtonDir = kButtons.c_str();
    return generator;
  }
  std::string Folder(const char* name) { return temp.File(name); }
  TempFolder temp;
};

TEST_F(SetupWizardGeneratorTest, FilesFollowTheOptionsAtBothDisplaySizes) {
  const std::set<std::string> base = {"taking.jpg", "release.jpg", "ready.jpg", "processing.jpg",
                                      "printing_confirmed.jpg", "welcome.jpg", "camera_not_connected.jpg",
                                      "settings.xml"};
  auto with = [&](std::initializer_list<const char*> more) {
    std::set<std::string> names = base;
    names.insert(more.begin(), more.end());
    return names;
  };
  struct Row {
    const char* what;
    SetupWizardOptions options;
    std::set<std::string> files;
  };
  SetupWizardOptions defaults;
  SetupWizardOptions single = defaults;
  single.layout = 6;
  SetupWizardOptions noTouch = defaults;
  noTouch.touchscreen = false;
  noTouch.layout = 4;
  SetupWizardOptions strip2 = defaults;
  strip2.layout = 7;
  SetupWizardOptions everything = defaults;
  everything.email = everything.facebook = everything.printInSharing = everything.twitter = everything.mms = true;
  everything.background = everything.thumbnails = true;
  SetupWizardOptions twitterOnly = defaults;
  twitterOnly.twitter = true;
  const Row rows[] = {
      {"defaults", defaults, with({"1.jpg", "2.jpg", "3.jpg", "4.jpg", "confirm_printing.jpg"})},
      {"single photo", single, with({"1.jpg", "confirm_printing.jpg"})},
      {"no touch, 3 photos", noTouch, with({"1.jpg", "2.jpg", "3.jpg"})},
      {"strip of 2", strip2, with({"1.jpg", "2.jpg", "confirm_printing.jpg"})},
      {"everything", everything,
       with({"1.jpg", "2.jpg", "3.jpg", "4.jpg", "confirm_printing.jpg", "share.jpg", "share_printing.jpg",
             "fb_login_failure.jpg", "fb_login.jpg", "fb_timeout.jpg", "fb_upload.jpg", "fb_success.jpg", "fb_error.jpg",
             "email_photo.jpg", "email_success.jpg", "email_error.jpg", "background.jpg"})},
      {"twitter only", twitterOnly, with({"1.jpg", "2.jpg", "3.jpg", "4.jpg", "confirm_printing.jpg", "share.jpg"})},
  };
  int index = 0;
  for (auto [width, height] : {std::pair{1920, 1080}, std::pair{1024, 768}}) {
    for (const Row& row : rows) {
      // The wide screen repeats only the two ends of the table, to keep the run short.
      if (width == 1920 && &row != &rows[0] && &row != &rows[4]) continue;
      SCOPED_TRACE(std::string(row.what) + " at " + std::to_string(width));
      std::string folder = Folder(("booth" + std::to_string(index++)).c_str());
      CSetupWizardGenerator generator = Make(width, height);
      ViewSettings settings;
      ASSERT_TRUE(generator.Generate(row.options, folder.c_str(), settings)) << generator.m_strError.str();
      EXPECT_EQ(row.files, Names(generator.m_written));
      std::set<std::string> onDisk;
      for (const auto& entry : fs::directory_iterator(folder)) onDisk.insert(entry.path().filename().string());
      EXPECT_EQ(row.files, onDisk);
      Pixels ready(folder + "/ready.jpg");
      EXPECT_EQ(static_cast<DWORD>(width), ready.width);
      EXPECT_EQ(static_cast<DWORD>(height), ready.height);
      EXPECT_EQ(CSetupWizardGenerator::PhotosOfLayout(row.options.layout), settings.m_nNumberOfPhotoboothImages);
      if (!row.options.touchscreen) {
        EXPECT_TRUE(Buttons(settings).empty());
        EXPECT_EQ(0, settings.m_nPhotoboothUseMouseToTrigger);
        EXPECT_EQ(5, settings.m_nPhotoboothFirstInterval);
      }
    }
  }
}

TEST_F(SetupWizardGeneratorTest, LiveViewHeightAndTextOffsetFollowTheTextAndTheStartButton) {
  SetupWizardOptions options;
  options.inactivityTimeout = 0;
  {
    // Wide screen: E is capped at 704 and the start button leaves room for it.
    CSetupWizardGenerator generator = Make(1920, 1080);
    ViewSettings settings;
    ASSERT_TRUE(generator.Generate(options, Folder("wide").c_str(), settings));
    const int T = generator.m_nTextHeight;
    EXPECT_GT(T, 30);
    EXPECT_LT(T, 60);
    EXPECT_EQ(704, settings.m_nPhotoboothEvfMaxHeight);
    EXPECT_EQ(2 * T + 704, settings.m_nPhotoboothTextYOffset);
    // The ready text sits centred between E and the bottom.
    Pixels ready(Folder("wide") + "/ready.jpg");
    const int top = 704 + (1080 - 704 - T) / 2;
    EXPECT_TRUE(ready.AnyBright(700, top, 1220, top + T));
    EXPECT_FALSE(ready.AnyBright(400, 500, 1920, top - 4));
    // The countdown text at E + T / 2.
    Pixels first(Folder("wide") + "/1.jpg");
    EXPECT_TRUE(first.AnyBright(800, 704 + T / 2, 1120, 704 + T / 2 + T));
    EXPECT_FALSE(first.AnyBright(0, 0, 1920, 704 + T / 2 - 4));
  }
  {
    // 4:3 screen: E from the 384-pixel side margin, then from the start button's width.
    CSetupWizardGenerator generator = Make(1024, 768);
    ViewSettings settings;
    ASSERT_TRUE(generator.Generate(options, Folder("square").c_str(), settings));
    const int T = generator.m_nTextHeight;
    ASSERT_LT(1024 - (768 - 3 * T) * 4 / 3, 384);
    const int fromText = 3 * (1024 - 384) / 4;  // 480
    EXPECT_EQ(fromText, generator.m_nTextE);
    EXPECT_EQ(2 * T + fromText, settings.m_nPhotoboothTextYOffset);
    EXPECT_EQ((2 * 1024 - 4 * 320) / 3, settings.m_nPhotoboothEvfMaxHeight);  // start.bmp is 320 wide
  }
  {
    // Without touchscreen and thumbnails the text alone decides.
    SetupWizardOptions plain = options;
    plain.touchscreen = false;
    CSetupWizardGenerator generator = Make(1024, 768);
    ViewSettings settings;
    ASSERT_TRUE(generator.Generate(plain, Folder("plain").c_str(), settings));
    EXPECT_EQ(std::min(768 - 3 * generator.m_nTextHeight, 704), settings.m_nPhotoboothEvfMaxHeight);
  }
}

TEST_F(SetupWizardGeneratorTest, TouchAreasTakeTheBitmapSizesAndTheShareColumnWrapsByWidth) {
  SetupWizardOptions options;
  options.inactivityTimeout = 30;
  options.email = options.facebook = options.printInSharing = options.twitter = options.mms = true;
  CSetupWizardGenerator generator = Make(1024, 768);
  ViewSettings settings;
  ASSERT_TRUE(generator.Generate(options, Folder("touch").c_str(), settings));
  const std::vector<Button> expected = {
      {35, 0, 0, 1024, 768},   // standby: the whole screen
      {1, 0, 0, 319, 199},     // start.bmp 320 x 200
      {5, 0, 200, 319, 319},   // color.bmp 320 x 120
      {4, 0, 320, 319, 439},   // bw.bmp
      {22, 0, 0, 319, 149},    // confirm_printing: print.bmp 320 x 150
      {23, 0, 150, 319, 299},  // cancel.bmp
      {63, 0, 0, 319, 149},    // share: print, facebook, twitter, mms, email ...
      {36, 0, 150, 319, 299},
      {65, 0, 300, 319, 449},
      {66, 0, 450, 319, 599},
      {37, 0, 600, 319, 749},
      {38, 704, 0, 1023, 149},  // ... cancel would pass the bottom: a column at the right edge
  };
  EXPECT_EQ(expected, Buttons(settings));
  Pixels share(Folder("touch") + "/share.jpg");
  COLORREF cancel = share.At(704 + 40, 75);  // inside the red button, clear of its label
  EXPECT_GT(GetRValue(cancel), 150);
  EXPECT_LT(GetGValue(cancel), 100);
  // Nothing of the button is cut off by the right edge: its white rim shows at x = W - 4.
  EXPECT_GT(GetGValue(share.At(1023 - 8, 75)), 150);

  // At 1920 x 1080 the column fits and no button wraps; without a time-out no standby area.
  options.inactivityTimeout = 0;
  CSetupWizardGenerator wide = Make(1920, 1080);
  ViewSettings wideSettings;
  ASSERT_TRUE(wide.Generate(options, Folder("touch-wide").c_str(), wideSettings));
  std::vector<Button> buttons = Buttons(wideSettings);
  ASSERT_EQ(11u, buttons.size());
  EXPECT_EQ((Button{1, 0, 0, 319, 199}), buttons[0]);
  EXPECT_EQ((Button{38, 0, 750, 319, 899}), buttons.back());
}

TEST_F(SetupWizardGeneratorTest, MissingBitmapsLeaveOutTheirButtonsOnly) {
  fs::create_directories(Folder("few"));
  fs::copy_file(kButtons + "start.bmp", Folder("few") + "/start.bmp");
  CSetupWizardGenerator generator = Make(1024, 768);
  generator.m_strButtonDir = (Folder("few") + "/").c_str();
  ViewSettings settings;
  SetupWizardOptions options;
  ASSERT_TRUE(generator.Generate(options, Folder("booth").c_str(), settings)) << generator.m_strError.str();
  EXPECT_EQ((std::vector<Button>{{1, 0, 0, 319, 199}}), Buttons(settings));
  EXPECT_TRUE(fs::exists(Folder("booth") + "/confirm_printing.jpg"));
}

TEST_F(SetupWizardGeneratorTest, ThumbnailSizesAndPlaceholders) {
  struct Row {
    int width, height, layout;
    bool threeToTwo;
    int w, y, ySpacing;
  } rows[] = {
      // n 4, 4:3: (4 x 1080 - 10) / 12 = 359 -> 192; h 144; gap (1080 - 576) / 5 = 100 -> 48.
      {1920, 1080, 0, false, 192, 48, 192},
      // n 3, 3:2: (3 x 768 - 8) / 6 = 382 -> 192; h 128; gap (768 - 384) / 4 = 96 -> 42.
      {1024, 768, 4, true, 192, 42, 170},
      // n 4, 4:3 on a low screen: (4 x 480 - 10) / 12 = 159; h 119; gap (480 - 476) / 5 = 0.
      {800, 480, 1, false, 159, 0, 119},
  };
  int index = 0;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.height);
    SetupWizardOptions options;
    options.thumbnails = true;
    options.layout = row.layout;
    options.threeToTwo = row.threeToTwo;
    CSetupWizardGenerator generator = Make(row.width, row.height);
    ViewSettings settings;
    std::string folder = Folder(("thumbs" + std::to_string(index++)).c_str());
    ASSERT_TRUE(generator.Generate(options, folder.c_str(), settings));
    EXPECT_TRUE(settings.m_bPhotoboothThumnailEnable);
    EXPECT_EQ(row.w, settings.m_nPhotoboothThumnailW);
    EXPECT_EQ(-1, settings.m_nPhotoboothThumnailX);
    EXPECT_EQ(row.y, settings.m_nPhotoboothThumnailY);
    EXPECT_EQ(0, settings.m_nPhotoboothThumnailXSpacing);
    EXPECT_EQ(row.ySpacing, settings.m_nPhotoboothThumnailYSpacing);
    EXPECT_TRUE(settings.m_bPhotobooth3to2Crop == (row.threeToTwo ? TRUE : FALSE));
    // The booth's own placeholder (RGB 65,65,65) at the right edge of the taking screen, its
    // corner just inside.
    Pixels taking(folder + "/taking.jpg");
    COLORREF corner = taking.At(row.width - row.w - 1 + 3, row.y + 3);
    EXPECT_NEAR(65, GetRValue(corner), 8);
    EXPECT_NEAR(65, GetGValue(corner), 8);
    EXPECT_NEAR(65, GetBValue(corner), 8);
    // Its number "1" in Arial of half the box's width: dark rows of the glyph, about a third
    // of the width high.
    const int left = row.width - row.w - 1, h = row.w * (row.threeToTwo ? 2 : 3) / (row.threeToTwo ? 3 : 4);
    int first = -1, last = -1;
    for (int y = row.y; y < row.y + h; ++y)
      for (int x = left; x < left + row.w; ++x)
        if (GetGValue(taking.At(x, y)) < 25) {
          if (first < 0) first = y;
          last = y;
          break;
        }
    ASSERT_GE(first, 0) << "no number drawn";
    EXPECT_GT(last - first, row.w / 5);
    EXPECT_LT(last - first, row.w / 2);
    EXPECT_LT(GetGValue(taking.At(row.width - row.w - 1 - 6, row.y + 3)), 40);
  }
}

TEST_F(SetupWizardGeneratorTest, BoxesAreThePresetGeneratorsAndTheSettingsAreCoherent) {
  for (int layout : {0, 3, 6, 7}) {
    SCOPED_TRACE(layout);
    SetupWizardOptions options;
    options.layout = layout;
    CSetupWizardGenerator generator = Make(1024, 768);
    ViewSettings settings;
    settings.m_captions[3].m_nEnable = 1;
    settings.m_layoutBoxes[10].image = 2;
    settings.m_touchscreenButtons[17].action = 9;
    g_nPresetLayoutSpacing = 80;
    ASSERT_TRUE(generator.Generate(options, Folder(("boxes" + std::to_string(layout)).c_str()).c_str(), settings));
    EXPECT_EQ(50, g_nPresetLayoutSpacing);
    CPresetPrintLayoutsDlg reference(nullptr, 4, 3);
    reference.InitPageMetrics();
    reference.GeneratePreset(layout);
    for (int i = 0; i < kLayoutBoxCount; ++i) {
      SCOPED_TRACE(i);
      PhotoboothCustomLayoutBox want = i < 8 ? reference.m_boxes[i] : PhotoboothCustomLayoutBox{};
      const PhotoboothCustomLayoutBox& got = settings.m_layoutBoxes[i];
      EXPECT_EQ(want.image, got.image);
      EXPECT_EQ(want.left, got.left);
      EXPECT_EQ(want.top, got.top);
      EXPECT_EQ(want.right, got.right);
      EXPECT_EQ(want.bottom, got.bottom);
      EXPECT_EQ(want.rotation, got.rotation);
    }
    EXPECT_EQ(0, settings.m_captions[3].m_nEnable);
    EXPECT_EQ(0, settings.m_touchscreenButtons[17].action);
    EXPECT_EQ(reference.m_nPageWidth, generator.m_nPageWidth);
  }
}

TEST_F(SetupWizardGeneratorTest, StripOfTwoAsksForTwoPhotos) {
  EXPECT_STREQ("Press the Start button to take 2 photos...", CSetupWizardGenerator::ReadyText(7));
  EXPECT_STREQ("Press the Start button to take 4 photos...", CSetupWizardGenerator::ReadyText(3));
  EXPECT_STREQ("Press the Start button to take 3 photos...", CSetupWizardGenerator::ReadyText(5));
  EXPECT_STREQ("Press the Start button to take a photo...", CSetupWizardGenerator::ReadyText(6));
  // The drawn screens differ in that text only.
  auto ready = [&](int layout, const char* name) {
    SetupWizardOptions options;
    options.layout = layout;
    options.touchscreen = false;
    CSetupWizardGenerator generator = Make(1024, 768);
    ViewSettings settings;
    EXPECT_TRUE(generator.Generate(options, Folder(name).c_str(), settings));
    std::ifstream in(Folder(name) + "/ready.jpg", std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  };
  EXPECT_NE(ready(7, "two"), ready(0, "four"));
  EXPECT_EQ(ready(0, "four-again"), ready(1, "four-single"));
}

TEST_F(SetupWizardGeneratorTest, FolderThatCannotBeMadeStopsBeforeAnything) {
  std::ofstream(Folder("plain-file")) << "x";
  std::string folder = Folder("plain-file") + "/Booth";
  CSetupWizardGenerator generator = Make(1024, 768);
  ViewSettings settings;
  settings.m_nNumberOfPhotoboothImages = 9;
  EXPECT_FALSE(generator.Generate(SetupWizardOptions{}, folder.c_str(), settings));
  EXPECT_EQ("Error creating photo booth images folder:\n" + folder, std::string(generator.m_strError.str()));
  EXPECT_TRUE(generator.m_written.empty());
  EXPECT_EQ(9, settings.m_nNumberOfPhotoboothImages);
}

TEST_F(SetupWizardGeneratorTest, AFailedJpegSaveStopsWithItsPathAndKeepsWhatWasWritten) {
  std::string folder = Folder("stops");
  fs::create_directories(folder + "/ready.jpg");  // a folder in the way of the file
  CSetupWizardGenerator generator = Make(1024, 768);
  ViewSettings settings;
  EXPECT_FALSE(generator.Generate(SetupWizardOptions{}, folder.c_str(), settings));
  EXPECT_EQ("Error creating photo booth settings\n" + folder + "/ready.jpg", std::string(generator.m_strError.str()));
  EXPECT_EQ((std::set<std::string>{"taking.jpg", "release.jpg"}), Names(generator.m_written));
  EXPECT_TRUE(fs::exists(folder + "/taking.jpg"));
  EXPECT_FALSE(fs::exists(folder + "/1.jpg"));
  EXPECT_FALSE(fs::exists(folder + "/settings.xml"));
}

TEST_F(SetupWizardGeneratorTest, SettingsFileMatchesTheGoldenOneAndLoadsBack) {
  SetupWizardOptions options;
  options.layout = 2;
  options.inactivityTimeout = 60;
  options.email = options.twitter = true;
  options.thumbnails = true;
  std::string folder = Folder("golden");
  CSetupWizardGenerator generator = Make(1024, 768);
  generator.m_saveSettings = [](const CString& path, ViewSettings& s) {
    CString error;
    return WritePhotoboothSettingsFile(path, s, false, nullptr, error) != FALSE;
  };
  ViewSettings settings;
  ASSERT_TRUE(generator.Generate(options, folder.c_str(), settings));
  std::ifstream in(folder + "/settings.xml", std::ios::binary);
  std::string written((std::istreambuf_iterator<char>(in)), {});
  std::string masked = std::regex_replace(written, std::regex("build_date=\"[^\"]*\""), "build_date=\"@\"");
  size_t at;
  while ((at = masked.find(folder)) != std::string::npos) masked.replace(at, folder.size(), "@FOLDER@");
  const std::string goldenPath = std::string(TAVORIN_FIXTURES_DIR) + "/wizard-settings-golden.xml";
  if (std::getenv("TAVORIN_WRITE_GOLDEN")) std::ofstream(goldenPath, std::ios::binary) << masked;
  std::ifstream goldenIn(goldenPath, std::ios::binary);
  std::string golden((std::istreambuf_iterator<char>(goldenIn)), {});
  EXPECT_EQ(golden, masked);

  ViewSettings loaded;
  PhotoboothFileReadResult result;
  CString error;
  ASSERT_TRUE(ReadPhotoboothSettingsFile((folder + "/settings.xml").c_str(), loaded, false, result, error)) << error.str();
  EXPECT_EQ(folder, std::string(loaded.m_strPhotoboothImageDir.str()));
  EXPECT_EQ(4, loaded.m_nNumberOfPhotoboothImages);
  EXPECT_EQ(settings.m_nPhotoboothEvfMaxHeight, loaded.m_nPhotoboothEvfMaxHeight);
  EXPECT_EQ(settings.m_nPhotoboothTextYOffset, loaded.m_nPhotoboothTextYOffset);
  EXPECT_EQ(60, loaded.m_nPhotoboothInactivityTimeout);
  EXPECT_EQ(Buttons(settings), Buttons(loaded));
  EXPECT_EQ(settings.m_layoutBoxes[3].right, loaded.m_layoutBoxes[3].right);
  EXPECT_TRUE(loaded.m_bPhotoboothEmail && loaded.m_bEnableTwitter && !loaded.m_bPhotoboothFbUpload);
  EXPECT_EQ("@secsToNextPhoto@", std::string(loaded.m_strPhotoboothMsg.str()));
  EXPECT_EQ(0, std::memcmp(&settings.m_photoboothMsgFont, &loaded.m_photoboothMsgFont, sizeof(LOGFONTA)));
}

}  // namespace
