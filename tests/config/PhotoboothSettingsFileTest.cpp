#include "config/PhotoboothSettingsFile.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <climits>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/win32/folders.h"
#include "platform/winspool/devmode.h"
#include "support/HexBytes.h"
#include "support/LogFontHex.h"

namespace fs = std::filesystem;

namespace {

std::string TestDir() {
  static int counter = 0;
  fs::path dir = fs::path(std::getenv("TAVORIN_CONFIG_TEST_DIR")) / ("file" + std::to_string(++counter));
  fs::create_directories(dir);
  return dir.string();
}

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

void WriteAll(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

void ResetProgramWideValues() {
  g_nPhotoboothConfirmPrintingTimeout = 300;
  g_bPhotoboothConfirmPrintingTimeoutAction = FALSE;
  g_nPhotoboothPrintPreviewX = g_nPhotoboothPrintPreviewY = g_nPhotoboothPrintPreviewW = 0;
  g_nPhotoboothPrintPreviewH = g_nPhotoboothPrintPreviewRotate = 0;
  g_nPhotoboothPhotoPreviewX = g_nPhotoboothPhotoPreviewY = g_nPhotoboothPhotoPreviewW = g_nPhotoboothPhotoPreviewH = 0;
}

bool WrittenOnly(BoothKeyKind kind) { return kind == BoothKeyKind::WrittenFlag || kind == BoothKeyKind::WrittenInt; }

std::string Render(const BoothFileKey& key) {
  using K = BoothKeyKind;
  switch (key.kind) {
    case K::Text:
    case K::LongText:
    case K::ImageDir:
      return static_cast<const CString*>(key.member)->GetString();
    case K::Border:
      return std::to_string(*static_cast<const double*>(key.member));
    case K::Font:
      return LogFontToHex(*static_cast<const LOGFONTA*>(key.member)).GetString();
    case K::Low32:
      return std::to_string(*static_cast<const LONGLONG*>(key.member));
    default:
      return std::to_string(*static_cast<const int*>(key.member));
  }
}

// A value unlike the default for every key, distinct per row.
void SetNonDefault(const BoothFileKey& key, int row) {
  using K = BoothKeyKind;
  int& number = *static_cast<int*>(key.member);
  switch (key.kind) {
    case K::Int: number = 1000 + row; break;
    case K::Flag:
    case K::WrittenFlag: number = number ? FALSE : TRUE; break;
    case K::WrittenInt: number = 7000 + row; break;
    case K::Images: number = 7; break;
    case K::AtLeastOne: number = 3 + row % 4; break;
    case K::EvfMaxHeight: number = 640; break;
    case K::EvfXOffset: number = 150; break;
    case K::Interval: number = 9; break;
    case K::Count: number = 3; break;
    case K::Ranged: number = key.high; break;
    case K::Low32: *static_cast<LONGLONG*>(key.member) = 12345; break;
    case K::Border: *static_cast<double*>(key.member) = 2.5; break;
    case K::Text: static_cast<CString*>(key.member)->Format("value %d & <b>\xE9", row); break;
    case K::LongText: static_cast<CString*>(key.member)->Format("line one\r\nline two %d", row); break;
    case K::ImageDir: *static_cast<CString*>(key.member) = "/srv/booth/images"; break;
    case K::Font: {
      LOGFONTA& font = *static_cast<LOGFONTA*>(key.member);
      font.lfHeight = -50;
      font.lfWeight = 700;
      font.lfItalic = 1;
      std::strcpy(font.lfFaceName, "Courier New");
      break;
    }
  }
}

void SetRecords(ViewSettings& s) {
  for (int i = 0; i < kLayoutCaptionCount; ++i) {
    PhotoboothCaption& c = s.m_captions[i];
    c.m_nEnable = 1;
    c.m_nLeft = 100 + i;
    c.m_nTop = 200 + i;
    c.m_nMaxNumberOfLines = 2 + i;
    c.m_nMaxLineWidth = 900 + i;
    c.m_nAlignment = i % 3;
    c.m_dAngle = i * 1.5;
    c.m_colour = RGB(i, 2, 3);
    c.m_font.lfHeight = -20 - i;
    std::strcpy(c.m_font.lfFaceName, "Liberation Serif");
    c.m_strText.Format("Caption %d\r\nsecond line", i + 1);
  }
  for (int i = 0; i < kLayoutBoxCount; ++i) s.m_layoutBoxes[i] = {i % 4 + 1, 10 * i, 20 * i, 10 * i + 300, 20 * i + 200, 100 * i};
  for (int i = 0; i < kPhotoboothTouchscreenButtonCount; ++i)
    s.m_touchscreenButtons[i] = {i + 1, 10 * i, 20 * i, 10 * i + 5, 20 * i + 5};
}

// A DEVMODE and DEVNAMES pair as the printer layer makes them.
PhotoboothPrinterRecords ValidPrinter() {
  PhotoboothPrinterRecords printer;
  DEVMODEA devMode{};
  std::strcpy(reinterpret_cast<char*>(devMode.dmDeviceName), "Tavorin PDF printer");
  devMode.dmSize = sizeof(DEVMODEA);
  devMode.dmDriverExtra = 4;
  devMode.dmOrientation = DMORIENT_LANDSCAPE;
  printer.devMode.resize(sizeof(DEVMODEA) + 4, 0xAB);
  std::memcpy(printer.devMode.data(), &devMode, sizeof devMode);
  const char names[] = "drv\0Tavorin PDF printer\0out";
  DEVNAMES header{8, 12, 32, 0};
  printer.devNames.resize(8 + sizeof names);
  std::memcpy(printer.devNames.data(), &header, 8);
  std::memcpy(printer.devNames.data() + 8, names, sizeof names);
  return printer;
}

std::string Document(const std::string& body, const char* version = "3.1") {
  std::string root = version ? std::string("<Tavorin version=\"") + version + "\">" : "<Tavorin>";
  return "<?xml version=\"1.0\" ?>\n" + root + "<photobooth_settings>" + body + "</photobooth_settings></Tavorin>";
}

BOOL Read(const std::string& text, ViewSettings& s, PhotoboothFileReadResult& result, CString& error,
          bool sharePreview = false) {
  return ReadPhotoboothSettingsBuffer(text.data(), text.size(), "memory.xml", s, sharePreview, result, error);
}

BOOL Read(const std::string& text, ViewSettings& s) {
  PhotoboothFileReadResult result;
  CString error;
  return Read(text, s, result, error);
}

class PhotoboothSettingsFileTest : public testing::Test {
 protected:
  void SetUp() override { ResetProgramWideValues(); }
  void TearDown() override { ResetProgramWideValues(); }
};

TEST_F(PhotoboothSettingsFileTest, EveryKeySurvivesTheRoundTripFieldByField) {
  for (bool sharePreview : {false, true}) {
    SCOPED_TRACE(sharePreview ? "dialog pair" : "view pair");
    ResetProgramWideValues();
    ViewSettings written;
    std::vector<BoothFileKey> writtenTable = BuildPhotoboothFileTable(written, sharePreview);
    for (size_t i = 0; i < writtenTable.size(); ++i) SetNonDefault(writtenTable[i], static_cast<int>(i));
    SetRecords(written);
    written.m_nPhotoboothPreviewTime = 4;
    written.m_nPhotoboothMinProcessingDuration = 12;
    written.m_bPhotoboothShowProgress = TRUE;
    written.m_nPhotoboothUseMouseToTrigger = 5;
    written.m_nPhotoboothPrintCopies = 3;
    written.m_bPhotoboothCustomLayout = FALSE;
    written.m_nPhotoboothKeyboard = 4;
    std::vector<std::string> expected;
    for (const BoothFileKey& key : writtenTable) expected.push_back(Render(key));

    std::string path = TestDir() + "/every key.xml";
    CString error;
    ASSERT_TRUE(WritePhotoboothSettingsFile(path.c_str(), written, sharePreview, nullptr, error));
    ResetProgramWideValues();

    ViewSettings read;
    PhotoboothFileReadResult result;
    ASSERT_TRUE(ReadPhotoboothSettingsFile(path.c_str(), read, sharePreview, result, error)) << error.GetString();
    EXPECT_EQ(result.version, "3.1");
    EXPECT_FALSE(result.hasPrinter);
    ViewSettings defaults;
    std::vector<BoothFileKey> readTable = BuildPhotoboothFileTable(read, sharePreview);
    std::vector<BoothFileKey> defaultTable = BuildPhotoboothFileTable(defaults, sharePreview);
    ASSERT_EQ(readTable.size(), writtenTable.size());
    for (size_t i = 0; i < readTable.size(); ++i) {
      SCOPED_TRACE(readTable[i].element);
      if (WrittenOnly(readTable[i].kind))
        EXPECT_EQ(Render(readTable[i]), Render(defaultTable[i])) << "read although written only";
      else
        EXPECT_EQ(Render(readTable[i]), expected[i]);
    }
    for (int i = 0; i < kLayoutCaptionCount; ++i) {
      SCOPED_TRACE("caption " + std::to_string(i + 1));
      EXPECT_TRUE(read.m_captions[i] == written.m_captions[i]);
      EXPECT_EQ(read.m_captions[i].m_strText, written.m_captions[i].m_strText);
    }
    for (int i = 0; i < kLayoutBoxCount; ++i) {
      SCOPED_TRACE("box " + std::to_string(i + 1));
      const PhotoboothCustomLayoutBox &a = read.m_layoutBoxes[i], &b = written.m_layoutBoxes[i];
      EXPECT_EQ(std::vector<int>({a.image, a.left, a.top, a.right, a.bottom, a.rotation}),
                std::vector<int>({b.image, b.left, b.top, b.right, b.bottom, b.rotation}));
    }
    for (int i = 0; i < kPhotoboothTouchscreenButtonCount; ++i) {
      SCOPED_TRACE("touch area " + std::to_string(i + 1));
      const PhotoboothTouchscreenButton &a = read.m_touchscreenButtons[i], &b = written.m_touchscreenButtons[i];
      EXPECT_EQ(std::vector<int>({a.action, a.left, a.top, a.right, a.bottom}),
                std::vector<int>({b.action, b.left, b.top, b.right, b.bottom}));
    }
    EXPECT_EQ(read.m_nPhotoboothPreviewTime, 4);
    EXPECT_EQ(read.m_nPhotoboothMinProcessingDuration, 12);
    EXPECT_TRUE(read.m_bPhotoboothShowProgress);
    EXPECT_EQ(read.m_nPhotoboothUseMouseToTrigger, 5);
    EXPECT_EQ(read.m_nPhotoboothPrintCopies, 3);
    EXPECT_FALSE(read.m_bPhotoboothCustomLayout);
    EXPECT_EQ(read.m_nPhotoboothKeyboard, 4);
    // Only the dialog pair carries the sharing preview box.
    EXPECT_EQ(read.m_nPhotoboothSharePreviewX, sharePreview ? written.m_nPhotoboothSharePreviewX : 0);
  }
}

TEST_F(PhotoboothSettingsFileTest, OpeningBytesAndLineBreaksAreTheFixedForm) {
  ViewSettings settings;
  CString document = BuildPhotoboothSettingsDocument(settings, false, nullptr);
  std::string text = document.GetString();
  const std::string opening =
      "<?xml version=\"1.0\" ?>\r\n<Tavorin version=\"3.1\" build_date=\"Dec 21 2016\">\r\n"
      "<photobooth_settings>\r\n  <numberOfPhotoboothImages>4</numberOfPhotoboothImages>\r\n";
  EXPECT_EQ(text.substr(0, opening.size()), opening);
  for (size_t i = 0; i < text.size(); ++i)
    if (text[i] == '\n') { ASSERT_TRUE(i > 0 && text[i - 1] == '\r') << "bare LF at byte " << i; }
  // Captions follow the flat keys; boxes and touch areas close the document, in this order.
  size_t caption = text.find("<photoboothCaption1Colour>"), preview = text.find("<photoboothPreviewTime>"),
         box = text.find("<PhotoboothCustomLayout1>"), touch = text.find("<PhotoboothTouchscreenButton18>");
  EXPECT_LT(text.find("<photoboothGifMP4Subfolder>"), caption);
  EXPECT_LT(caption, preview);
  EXPECT_LT(preview, box);
  EXPECT_LT(box, touch);
  EXPECT_NE(text.find("  <PhotoboothCustomLayout1>\r\n    <left>0</left>\r\n    <top>0</top>"), std::string::npos);
  EXPECT_EQ(text.find("printerDevMode"), std::string::npos);
  EXPECT_EQ(text.find("photoboothSharePreviewX"), std::string::npos);
}

TEST_F(PhotoboothSettingsFileTest, BorderIsARationalBothWays) {
  struct Row {
    double value;
    const char* written;
  } rows[] = {{2.5, "25/10"}, {-1.25, "-125/100"}, {0, "0/1"}, {3, "3/1"}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.written);
    ViewSettings settings;
    settings.m_dPhotoboothBorderInMM = row.value;
    std::string text = BuildPhotoboothSettingsDocument(settings, false, nullptr).GetString();
    EXPECT_NE(text.find(std::string("<photoboothBorderInMM>") + row.written + "<"), std::string::npos);
  }
  struct ReadRow {
    const char* text;
    double expected;
  } reads[] = {{"25/10", 2.5}, {"-125/100", 0}, {"3", 3}, {" 3", 3}, {"0", 0}, {"2.75", 2.75},
               {"5/0", 1.0}, {"abc", 0}, {"1e999", 1.0}, {"99999999999/1", 15.0}};  // held to 0..15 mm
  for (const ReadRow& row : reads) {
    SCOPED_TRACE(row.text);
    ViewSettings settings;
    ASSERT_TRUE(Read(Document(std::string("<photoboothBorderInMM>") + row.text + "</photoboothBorderInMM>"), settings));
    EXPECT_DOUBLE_EQ(settings.m_dPhotoboothBorderInMM, row.expected);
  }
}

TEST_F(PhotoboothSettingsFileTest, FontsOfOnlyTwoLengthsAreTaken) {
  LOGFONTA font{};
  font.lfHeight = -33;
  font.lfWeight = 700;
  std::strcpy(font.lfFaceName, "DejaVu Sans");
  std::string narrow = LogFontToHex(font).GetString();
  LOGFONTW wide{};
  wide.lfHeight = -41;
  wide.lfItalic = 1;
  const char face[] = "Liberation Mono";
  for (size_t i = 0; i < sizeof face - 1; ++i) wide.lfFaceName[i] = static_cast<WCHAR>(face[i]);
  std::string wideHex = BytesToHex(reinterpret_cast<const BYTE*>(&wide), sizeof wide).GetString();
  // A stored font whose face name fills every byte.
  LOGFONTA full = font;
  std::memset(full.lfFaceName, 'A', sizeof full.lfFaceName);
  std::string fullHex = LogFontToHex(full).GetString();
  ASSERT_EQ(narrow.size(), 120u);
  ASSERT_EQ(wideHex.size(), 184u);

  ViewSettings untouched;
  std::string before = LogFontToHex(untouched.m_photoboothMsgFont).GetString();
  struct Row {
    std::string hex;
    int height;
    std::string faceName;
  } rows[] = {{narrow, -33, "DejaVu Sans"},
              {wideHex, -41, "Liberation Mono"},
              {narrow + "0", untouched.m_photoboothMsgFont.lfHeight, untouched.m_photoboothMsgFont.lfFaceName},
              {"G" + narrow.substr(1), untouched.m_photoboothMsgFont.lfHeight, untouched.m_photoboothMsgFont.lfFaceName},
              {fullHex, -33, std::string(31, 'A')}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.hex.size());
    ViewSettings settings;
    ASSERT_TRUE(Read(Document("<photoboothMsgFont>" + row.hex + "</photoboothMsgFont><photoboothCaption2Font>" +
                              row.hex + "</photoboothCaption2Font>"),
                     settings));
    EXPECT_EQ(settings.m_photoboothMsgFont.lfHeight, row.height);
    EXPECT_EQ(std::string(settings.m_photoboothMsgFont.lfFaceName), row.faceName);
    if (row.hex.size() == 120 && row.faceName == "DejaVu Sans") {
      EXPECT_EQ(LogFontToHex(settings.m_photoboothMsgFont).GetString(), narrow) << "restored exactly";
    }
    if (row.height == -41) { EXPECT_EQ(settings.m_captions[1].m_font.lfHeight, -41); }
  }
}

TEST_F(PhotoboothSettingsFileTest, CaptionsReadPixelsMillimetresAnglesAndLegacyKeys) {
  ViewSettings settings;
  ASSERT_TRUE(Read(Document("<photoboothCaption1LeftOffset>10</photoboothCaption1LeftOffset>"
                            "<photoboothCaption1TopOffset>20</photoboothCaption1TopOffset>"
                            "<photoboothCaption1Angle>155</photoboothCaption1Angle>"
                            "<photoboothCaption1Center>1</photoboothCaption1Center>"
                            "<photoboothCaption2LeftOffset>10</photoboothCaption2LeftOffset>"
                            "<photoboothCaption2LeftOffsetInPixels>77</photoboothCaption2LeftOffsetInPixels>"
                            "<photoboothCaption2Center>1</photoboothCaption2Center>"
                            "<photoboothCaption2Alignment>2</photoboothCaption2Alignment>"
                            "<photoboothCaption3LeftOffset>999999999</photoboothCaption3LeftOffset>"
                            "<photoboothCaption3Text>one&#xA;two</photoboothCaption3Text>"
                            "<photoboothMsg>one&#xA;two</photoboothMsg>"),
                   settings));
  EXPECT_EQ(settings.m_captions[0].m_nLeft, 118);  // 10 mm at the PDF printer's 300 dpi
  EXPECT_EQ(settings.m_captions[0].m_nTop, 236);
  EXPECT_DOUBLE_EQ(settings.m_captions[0].m_dAngle, 15.5);
  EXPECT_EQ(settings.m_captions[0].m_nAlignment, 1);
  EXPECT_EQ(settings.m_captions[1].m_nLeft, 77);
  EXPECT_EQ(settings.m_captions[1].m_nAlignment, 2);
  EXPECT_EQ(settings.m_captions[2].m_nLeft, INT_MAX) << "the conversion saturates";
  EXPECT_EQ(settings.m_captions[2].m_strText, "one\r\ntwo");
  EXPECT_EQ(settings.m_strPhotoboothMsg, "one\rtwo");

  ViewSettings angled;
  angled.m_captions[0].m_dAngle = -7.25;
  std::string text = BuildPhotoboothSettingsDocument(angled, false, nullptr).GetString();
  EXPECT_NE(text.find("<photoboothCaption1Angle>-72<"), std::string::npos);

  ViewSettings off;
  std::string enables;
  for (int i = 1; i <= 12; ++i)
    enables += "<photoboothCaption" + std::to_string(i) + "Enable>1</photoboothCaption" + std::to_string(i) + "Enable>";
  ASSERT_TRUE(Read(Document("<photoboothAddCaptions>0</photoboothAddCaptions>" + enables), off));
  for (int i = 0; i < kLayoutCaptionCount; ++i) EXPECT_EQ(off.m_captions[i].m_nEnable, 0) << i + 1;
  ViewSettings on;
  ASSERT_TRUE(Read(Document(enables), on));
  for (int i = 0; i < kLayoutCaptionCount; ++i) EXPECT_EQ(on.m_captions[i].m_nEnable, 1) << i + 1;
}

TEST_F(PhotoboothSettingsFileTest, VersionResetsRunBeforeTheFileKeys) {
  auto changed = [] {
    ViewSettings s;
    s.m_bGreenScreenEnable = s.m_bPhotoboothSaveGreenscreenedImage = TRUE;
    s.m_bPhotoboothCopyJpegPrint = s.m_bPhotoboothCopyJpegPrintCrop = TRUE;
    s.m_nPhotoboothCopyJpegPrintRotate = 90;
    s.m_nPhotoboothEvfXOffset = 40;
    s.m_bPhotoboothThumnailEnable = TRUE;
    s.m_nPhotoboothBackgroundColor = 0x123456;
    s.m_bPhotoboothFbCrop = s.m_bPhotoboothEmailCrop = TRUE;
    s.m_nPhotoboothInactivityTimeout = 60;
    s.m_bPhotoboothEmailOfflineMode = s.m_bPhotoboothAutoStandby = s.m_bPhotoboothClickerMode = TRUE;
    s.m_nPhotoboothInterval = 3;
    s.m_nPhotoboothFirstInterval = 8;
    for (PhotoboothCaption& caption : s.m_captions) caption.m_nEnable = 1;
    for (int i = 0; i < kLayoutBoxCount; ++i) s.m_layoutBoxes[i] = {5, 1, 2, 3, 4, 900};
    return s;
  };
  {
    SCOPED_TRACE("no version and no keys");
    ViewSettings s = changed();
    PhotoboothFileReadResult result;
    CString error;
    ASSERT_TRUE(Read(Document("", nullptr), s, result, error));
    EXPECT_EQ(result.version, "");
    EXPECT_FALSE(s.m_bGreenScreenEnable || s.m_bPhotoboothSaveGreenscreenedImage || s.m_bPhotoboothCopyJpegPrint ||
                 s.m_bPhotoboothCopyJpegPrintCrop || s.m_bPhotoboothThumnailEnable || s.m_bPhotoboothFbCrop ||
                 s.m_bPhotoboothEmailCrop || s.m_bPhotoboothEmailOfflineMode || s.m_bPhotoboothAutoStandby ||
                 s.m_bPhotoboothClickerMode);
    EXPECT_EQ(s.m_nPhotoboothCopyJpegPrintRotate, 0);
    EXPECT_EQ(s.m_nPhotoboothEvfXOffset, -1);
    EXPECT_EQ(s.m_nPhotoboothBackgroundColor, 0xFFFFFF);
    EXPECT_EQ(s.m_nPhotoboothInactivityTimeout, 0);
    EXPECT_TRUE(s.m_strPhotoboothEmailMsgHTML.IsEmpty());
    EXPECT_EQ(s.m_nPhotoboothFirstInterval, 3) << "the first interval follows the interval";
    EXPECT_EQ(s.m_captions[0].m_nEnable, 1);
    EXPECT_EQ(s.m_captions[1].m_nEnable, 1);
    for (int i = 2; i < kLayoutCaptionCount; ++i) EXPECT_EQ(s.m_captions[i].m_nEnable, 0) << i + 1;
    for (int i = 0; i < kLayoutBoxCount; ++i) EXPECT_EQ(s.m_layoutBoxes[i].image, 0) << i + 1;
    EXPECT_TRUE(error.IsEmpty());
  }
  {
    SCOPED_TRACE("3.1 with and without clicker mode");
    ViewSettings without = changed(), with = changed();
    ASSERT_TRUE(Read(Document("<photoboothInterval>6</photoboothInterval>"), without));
    EXPECT_FALSE(without.m_bPhotoboothClickerMode);
    EXPECT_TRUE(without.m_bPhotoboothFbCrop) << "not older than 3.1";
    EXPECT_EQ(without.m_nPhotoboothFirstInterval, 8);
    EXPECT_EQ(without.m_layoutBoxes[0].image, 5);
    ASSERT_TRUE(Read(Document("<photoboothClickerMode>1</photoboothClickerMode>"), with));
    EXPECT_TRUE(with.m_bPhotoboothClickerMode);
  }
  {
    SCOPED_TRACE("1.0 boxes show their own photo");
    ViewSettings s = changed();
    s.m_bPhotoboothCustomLayout = TRUE;
    PhotoboothFileReadResult result;
    CString error;
    ASSERT_TRUE(Read(Document("<photoboothCustomDoubleStrip>1</photoboothCustomDoubleStrip>"
                              "<PhotoboothCustomLayout3><left>11</left><right>22</right></PhotoboothCustomLayout3>"
                              "<PhotoboothCustomLayout4><image>2</image><rotation>450</rotation></PhotoboothCustomLayout4>",
                              "1.0"),
                     s, result, error));
    EXPECT_EQ(s.m_layoutBoxes[2].image, 3);
    EXPECT_EQ(s.m_layoutBoxes[2].rotation, 0);
    EXPECT_EQ(s.m_layoutBoxes[2].left, 11);
    EXPECT_EQ(s.m_layoutBoxes[3].image, 2) << "the box's own keys win";
    EXPECT_EQ(s.m_layoutBoxes[3].rotation, 450);
    EXPECT_EQ(s.m_layoutBoxes[0].image, 0) << "absent boxes of an old file are cleared";
    EXPECT_TRUE(result.layoutChangedWarning);
  }
}

TEST_F(PhotoboothSettingsFileTest, NumbersAreCheckedBeforeUse) {
  struct Row {
    const char* element;
    const char* text;
    int ViewSettings::*member;
    int expected;
  } rows[] = {
      {"photoboothNumberOfColumns", "0", &ViewSettings::m_nPhotoboothNumberOfColumns, 1},
      {"photoboothNumberOfRows", "-3", &ViewSettings::m_nPhotoboothNumberOfRows, 1},
      {"numberOfPhotoboothImages", "0", &ViewSettings::m_nNumberOfPhotoboothImages, 1},
      {"numberOfPhotoboothImages", "99", &ViewSettings::m_nNumberOfPhotoboothImages, 20},
      {"photoboothPrintCopies", "0", &ViewSettings::m_nPhotoboothPrintCopies, 1},
      {"photoboothPrintCopies", "2147483647", &ViewSettings::m_nPhotoboothPrintCopies, 9},
      {"photoboothPrintCopies", "9", &ViewSettings::m_nPhotoboothPrintCopies, 9},
      {"photoboothPrintCopies", "10", &ViewSettings::m_nPhotoboothPrintCopies, 9},
      {"photoboothEvfMaxHeight", "100", &ViewSettings::m_nPhotoboothEvfMaxHeight, 100},
      {"photoboothEvfMaxHeight", "42", &ViewSettings::m_nPhotoboothEvfMaxHeight, 100},
      {"photoboothEvfMaxHeight", "720", &ViewSettings::m_nPhotoboothEvfMaxHeight, 720},
      {"photoboothEvfXOffset", "2001", &ViewSettings::m_nPhotoboothEvfXOffset, -1},
      {"photoboothEvfXOffset", "2000", &ViewSettings::m_nPhotoboothEvfXOffset, 2000},
      {"photoboothEvfXOffset", "-7", &ViewSettings::m_nPhotoboothEvfXOffset, -1},
      {"printOptionInSharingScreenLimit", "3", &ViewSettings::m_nPrintOptionInSharingScreenLimit, 3},
      {"printOptionInSharingScreenLimit", "5000", &ViewSettings::m_nPrintOptionInSharingScreenLimit, 1000},
      {"photoboothGifWidth", "99999999999", &ViewSettings::m_nPhotoboothGifWidth, INT_MAX},
      {"photoboothGifWidth", "-99999999999", &ViewSettings::m_nPhotoboothGifWidth, INT_MIN},
      {"photoboothGifWidth", "  +42px", &ViewSettings::m_nPhotoboothGifWidth, 42},
      {"photoboothGifWidth", "wide", &ViewSettings::m_nPhotoboothGifWidth, 0},
      {"photoboothFbUpload", "7", &ViewSettings::m_bPhotoboothFbUpload, 1},
      // Every key with a range is held to it, as the worker and the screens rely on.
      {"photoboothPrintCopies", "12", &ViewSettings::m_nPhotoboothPrintCopies, 9},
      {"photoboothPrintCopies", "4", &ViewSettings::m_nPhotoboothPrintCopies, 4},
      {"photoboothEvfMaxHeight", "5000", &ViewSettings::m_nPhotoboothEvfMaxHeight, 1000},
      {"photoboothInterval", "2000000000", &ViewSettings::m_nPhotoboothInterval, 30},
      {"photoboothInterval", "-1", &ViewSettings::m_nPhotoboothInterval, 0},
      {"photoboothOutput", "-4", &ViewSettings::m_nPhotoboothSaveJpegCopyOfPrints, 0},
      {"photoboothOutput", "7", &ViewSettings::m_nPhotoboothSaveJpegCopyOfPrints, 3},
      {"photoboothOutput", "2", &ViewSettings::m_nPhotoboothSaveJpegCopyOfPrints, 2},
      {"photoboothSharpeningAmount", "101", &ViewSettings::m_nPhotoboothSharpeningAmount, 100},
      {"photoboothBW", "9", &ViewSettings::m_nPhotoboothBW, 2},
      {"photoboothBW", "-1", &ViewSettings::m_nPhotoboothBW, 0},
      {"photoboothToningHue", "361", &ViewSettings::m_nPhotoboothToningHue, 360},
      {"photoboothToningSaturation", "-5", &ViewSettings::m_nPhotoboothToningSaturation, 0},
      {"photoboothMinProcessingDuration", "9999", &ViewSettings::m_nPhotoboothMinProcessingDuration, 120},
      {"photoboothUseMouseToTrigger", "42", &ViewSettings::m_nPhotoboothUseMouseToTrigger, 5},
      {"photoboothUseMouseToTrigger", "3", &ViewSettings::m_nPhotoboothUseMouseToTrigger, 3},
      {"photoboothKeyboard", "99", &ViewSettings::m_nPhotoboothKeyboard, 4},
      {"photoboothKeyboard", "-2", &ViewSettings::m_nPhotoboothKeyboard, 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.element) + " = " + row.text);
    ViewSettings settings;
    ASSERT_TRUE(Read(Document(std::string("<") + row.element + ">" + row.text + "</" + row.element + ">"), settings));
    EXPECT_EQ(settings.*row.member, row.expected);
  }
}

TEST_F(PhotoboothSettingsFileTest, BorderIsHeldToItsRange) {
  const struct {
    const char* text;
    double expected;
  } borders[] = {{"1e308", 15.0}, {"100/1", 15.0}, {"-3/1", 0.0}, {"25/10", 2.5}};
  for (const auto& row : borders) {
    SCOPED_TRACE(row.text);
    ViewSettings settings;
    ASSERT_TRUE(Read(Document(std::string("<photoboothBorderInMM>") + row.text + "</photoboothBorderInMM>"), settings));
    EXPECT_DOUBLE_EQ(settings.m_dPhotoboothBorderInMM, row.expected);
  }
}

TEST_F(PhotoboothSettingsFileTest, CaptionLinesAreHeldToWhatAPageHolds) {
  const struct {
    const char* text;
    int expected;
  } lines[] = {{"2147483647", kMaxCaptionLines}, {"-5", 0}, {"3", 3}};
  for (const auto& row : lines) {
    SCOPED_TRACE(row.text);
    ViewSettings settings;
    ASSERT_TRUE(Read(Document(std::string("<photoboothCaption1MaxNumberOfLines>") + row.text +
                              "</photoboothCaption1MaxNumberOfLines>"),
                     settings));
    EXPECT_EQ(settings.m_captions[0].m_nMaxNumberOfLines, row.expected);
  }
}

TEST_F(PhotoboothSettingsFileTest, DamagedFileIsRefusedWholeAndChangesNothing) {
  std::string dir = TestDir();
  ViewSettings saved;
  saved.m_nNumberOfPhotoboothImages = 7;
  saved.m_nPhotoboothNumberOfColumns = 5;
  const std::string whole = BuildPhotoboothSettingsDocument(saved, false, nullptr).GetString();
  std::string withNul = whole;
  withNul[whole.size() / 2] = '\0';
  const std::string bomb =
      "<?xml version=\"1.0\"?>\n<!DOCTYPE b [<!ENTITY a \"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa\">"
      "<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">"
      "<!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\">"
      "<!ENTITY d \"&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;\">"
      "<!ENTITY e \"&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;\">"
      "<!ENTITY f \"&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;\">]>\n"
      "<Tavorin version=\"3.1\"><photobooth_settings><numberOfPhotoboothImages>7</numberOfPhotoboothImages>"
      "<photoboothMsg>&f;</photoboothMsg></photobooth_settings></Tavorin>\n";
  const struct {
    const char* name;
    std::string bytes;
  } rows[] = {
      {"cut to a third", whole.substr(0, whole.size() / 3)},
      {"junk after the document", whole + "<junk>"},
      {"a NUL byte in the middle", withNul},
      {"an entity bomb", bomb},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    const std::string path = dir + "/damaged.xml";
    WriteAll(path, row.bytes);
    for (bool fromFile : {true, false}) {
      ViewSettings s;
      const ViewSettings before = s;
      PhotoboothFileReadResult result;
      CString error;
      BOOL read = fromFile ? ReadPhotoboothSettingsFile(path.c_str(), s, false, result, error)
                           : ReadPhotoboothSettingsBuffer(row.bytes.data(), row.bytes.size(), path.c_str(), s, false,
                                                          result, error);
      EXPECT_FALSE(read);
      EXPECT_EQ(std::string(error), "Error reading file: " + path);
      EXPECT_EQ(s.m_nNumberOfPhotoboothImages, before.m_nNumberOfPhotoboothImages);
      EXPECT_EQ(s.m_nPhotoboothNumberOfColumns, before.m_nPhotoboothNumberOfColumns);
      ViewSettings copy = before;
      EXPECT_EQ(std::string(BuildPhotoboothSettingsDocument(s, false, nullptr).GetString()),
                std::string(BuildPhotoboothSettingsDocument(copy, false, nullptr).GetString()));
    }
  }
  // The whole file still reads.
  WriteAll(dir + "/whole.xml", whole);
  ViewSettings s;
  PhotoboothFileReadResult result;
  CString error;
  ASSERT_TRUE(ReadPhotoboothSettingsFile((dir + "/whole.xml").c_str(), s, false, result, error)) << error.GetString();
  EXPECT_EQ(s.m_nNumberOfPhotoboothImages, 7);
  EXPECT_EQ(s.m_nPhotoboothNumberOfColumns, 5);
}

TEST_F(PhotoboothSettingsFileTest, ImagesFolderPlaceholderAndTextBreaks) {
  ViewSettings settings;
  ASSERT_TRUE(Read(Document("<photoboothImageDir>{documents}/boothB</photoboothImageDir>"
                            "<photoboothEmailMsgHTML>a&#xA;b</photoboothEmailMsgHTML>"
                            "<photoboothEmailMsgText>c&#xA;d</photoboothEmailMsgText>"),
                   settings));
  EXPECT_EQ(settings.m_strPhotoboothImageDir, CString(GetDocumentsFolder() + "/boothB"));
  EXPECT_EQ(settings.m_strPhotoboothEmailMsgHTML, "a\r\nb");
  EXPECT_EQ(settings.m_strPhotoboothEmailMsgText, "c\r\nd");
  // Writers keep the placeholder as the user typed it.
  ViewSettings typed;
  typed.m_strPhotoboothImageDir = "{documents}/boothB";
  EXPECT_NE(std::string(BuildPhotoboothSettingsDocument(typed, false, nullptr)).find(">{documents}/boothB<"),
            std::string::npos);
}

TEST_F(PhotoboothSettingsFileTest, PrinterIsTakenOnlyAsAWholeSoundPair) {
  PhotoboothPrinterRecords valid = ValidPrinter();
  ViewSettings source;
  std::string full = BuildPhotoboothSettingsDocument(source, false, &valid).GetString();
  {
    ViewSettings s;
    PhotoboothFileReadResult result;
    CString error;
    ASSERT_TRUE(Read(full, s, result, error));
    ASSERT_TRUE(result.hasPrinter);
    EXPECT_EQ(result.printer.devMode, valid.devMode);
    EXPECT_EQ(result.printer.devNames, valid.devNames);
  }
  std::string modeHex = BytesToHex(valid.devMode.data(), valid.devMode.size()).GetString();
  std::string namesHex = BytesToHex(valid.devNames.data(), valid.devNames.size()).GetString();
  PhotoboothPrinterRecords extra = valid, shortMode = valid, badName = valid, noDevice = valid;
  extra.devMode[offsetof(DEVMODEA, dmDriverExtra) + 1] = 0xFF;  // driver data far past the block
  shortMode.devMode.resize(100);
  badName.devNames[2] = 0xF0;  // device offset past the end
  noDevice.devNames[12] = 0;   // empty device name
  auto hex = [](const std::vector<BYTE>& bytes) { return std::string(BytesToHex(bytes.data(), bytes.size())); };
  struct Row {
    const char* name;
    std::string body;
  } rows[] = {
      {"mode alone", "<printerDevMode>" + modeHex + "</printerDevMode>"},
      {"names alone", "<printerDevNames>" + namesHex + "</printerDevNames>"},
      {"bad pair", "<printerDevMode>" + modeHex.substr(0, 10) + " f" + modeHex.substr(12) +
                       "</printerDevMode><printerDevNames>" + namesHex + "</printerDevNames>"},
      {"driver extra", "<printerDevMode>" + hex(extra.devMode) + "</printerDevMode><printerDevNames>" + namesHex +
                           "</printerDevNames>"},
      {"short mode", "<printerDevMode>" + hex(shortMode.devMode) + "</printerDevMode><printerDevNames>" + namesHex +
                         "</printerDevNames>"},
      {"offset", "<printerDevMode>" + modeHex + "</printerDevMode><printerDevNames>" + hex(badName.devNames) +
                     "</printerDevNames>"},
      {"no device", "<printerDevMode>" + modeHex + "</printerDevMode><printerDevNames>" + hex(noDevice.devNames) +
                        "</printerDevNames>"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    ViewSettings s;
    PhotoboothFileReadResult result;
    CString error;
    ASSERT_TRUE(Read(Document(row.body), s, result, error));
    EXPECT_FALSE(result.hasPrinter);
  }
}

TEST_F(PhotoboothSettingsFileTest, TheFourMessages) {
  std::string dir = TestDir();
  ViewSettings s;
  PhotoboothFileReadResult result;
  CString error;
  struct Row {
    std::string bytes;
    std::string message;
  } rows[] = {
      {"not xml at all", "Error reading file: " + dir + "/case.xml"},
      {"<?xml version=\"1.0\" ?><Other><photobooth_settings/></Other>",
       "Can't find <Tavorin> tag, file may not be a Tavorin photobooth settings file"},
      {"<Tavorin version=\"3.1\"><other/></Tavorin>",
       "Can't find <photobooth_settings> tag, file may not be a Tavorin photobooth settings file"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.message);
    WriteAll(dir + "/case.xml", row.bytes);
    error.Empty();
    EXPECT_FALSE(ReadPhotoboothSettingsFile((dir + "/case.xml").c_str(), s, false, result, error));
    EXPECT_EQ(std::string(error), row.message);
  }
  EXPECT_FALSE(ReadPhotoboothSettingsFile((dir + "/missing.xml").c_str(), s, false, result, error));
  EXPECT_EQ(std::string(error), "Error reading file: " + dir + "/missing.xml");
  // A path through a regular file cannot be written.
  std::string blocked = dir + "/case.xml/settings.xml";
  EXPECT_FALSE(WritePhotoboothSettingsFile(blocked.c_str(), s, false, nullptr, error));
  EXPECT_EQ(std::string(error), "Error writing file: " + blocked);
}

TEST_F(PhotoboothSettingsFileTest, FailedWriteLeavesThePreviousFileWhole) {
  std::string path = TestDir() + "/settings.xml";
  ViewSettings s;
  CString error;
  ASSERT_TRUE(WritePhotoboothSettingsFile(path.c_str(), s, false, nullptr, error));
  std::string before = ReadAll(path);
  // A file-size limit makes the write fail part-way, as a full disk would (root ignores permissions).
  struct rlimit old;
  getrlimit(RLIMIT_FSIZE, &old);
  struct rlimit small = old;
  small.rlim_cur = 4096;
  auto previous = signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  s.m_strPhotoboothMsg = CString('x', 20000);
  BOOL written = WritePhotoboothSettingsFile(path.c_str(), s, false, nullptr, error);
  setrlimit(RLIMIT_FSIZE, &old);
  signal(SIGXFSZ, previous);
  EXPECT_FALSE(written);
  EXPECT_EQ(std::string(error), "Error writing file: " + path);
  EXPECT_EQ(ReadAll(path), before);
}

TEST_F(PhotoboothSettingsFileTest, OlderFileFixtureLoads) {
  ViewSettings s;
  s.m_bPhotoboothEmailCrop = TRUE;
  s.m_captions[2].m_nEnable = 1;
  s.m_layoutBoxes[1].image = 5;
  PhotoboothFileReadResult result;
  CString error;
  ASSERT_TRUE(ReadPhotoboothSettingsFile(TAVORIN_FIXTURES_DIR "/photobooth-settings-2.1.xml", s, false, result, error))
      << error.GetString();
  EXPECT_EQ(result.version, "2.1");
  EXPECT_EQ(s.m_nNumberOfPhotoboothImages, 3);
  EXPECT_EQ(s.m_nPhotoboothInterval, 4);
  EXPECT_EQ(s.m_nPhotoboothFirstInterval, 4);
  EXPECT_EQ(s.m_nPhotoboothEvfXOffset, -1);
  EXPECT_TRUE(s.m_bGreenScreenEnable) << "a key in the file wins over its reset";
  EXPECT_FALSE(s.m_bPhotoboothEmailCrop);
  EXPECT_DOUBLE_EQ(s.m_dPhotoboothBorderInMM, 1.5);
  EXPECT_EQ(s.m_captions[0].m_strText, "Anna & Ben\r\n12.6.2010");
  EXPECT_EQ(s.m_captions[0].m_nLeft, 236);
  EXPECT_EQ(s.m_captions[0].m_nAlignment, 1);
  EXPECT_EQ(s.m_captions[0].m_nEnable, 1);
  EXPECT_EQ(s.m_captions[2].m_nEnable, 0);
  EXPECT_EQ(s.m_layoutBoxes[0].image, 1);
  EXPECT_EQ(s.m_layoutBoxes[0].right, 600);
  EXPECT_EQ(s.m_layoutBoxes[1].image, 0);
  EXPECT_EQ(s.m_strPhotoboothEmailSubject, "Your photos");
}

}  // namespace
