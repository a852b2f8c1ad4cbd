#include "printlayout/PrintLayoutFile.h"

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <fstream>
#include <string>

#include "PrintLayoutTestSupport.h"
#include "platform/polyimage/polyimage.h"
#include "platform/registry/registry.h"
#include "platform/user/messagebox.h"
#include "platform/win32/files.h"
#include "printlayout/PrinterMargins.h"
#include "support/PipSession.h"
#include "support/ProgramGlobals.h"

namespace fs = std::filesystem;

namespace {

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteText(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
}

uint32_t LengthAt(const std::string& bytes, size_t offset) {
  uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = value << 8 | static_cast<unsigned char>(bytes[offset + i]);
  return value;
}

class PrintLayoutFileTest : public testing::Test {
 protected:
  void SetUp() override {
    RegDeleteTreeA(HKEY_CURRENT_USER, kPrinterMarginsKey);
    SelectTestPrinter(1524, 1016, 300, 300, 1);  // 1800 x 1200, no default margins
    g_strProgramVersion = "2.7";
    m_dir = PrintLayoutTestDir() + "/pblt-" + testing::UnitTest::GetInstance()->current_test_info()->name();
    fs::remove_all(m_dir);
    fs::create_directories(m_dir + "/images");
    m_images = m_dir + "/images";
    m_hooks.messageBox = [this](const char* text, UINT type) {
      m_messages.push_back(text);
      m_types.push_back(type);
      if (m_answers.empty()) return (type & MB_TYPEMASK) == MB_YESNO ? IDYES : IDOK;
      int answer = m_answers.front();
      m_answers.pop_front();
      return answer;
    };
    m_hooks.layoutReplaced = [this] { ++m_replaced; };
    m_hooks.invalidate = [this] { ++m_invalidated; };
  }

  // The editor's model on the current printer.
  PrintLayoutModel EditorModel() {
    PrintLayoutModel model;
    int dpiX, dpiY;
    GetPrinterPageInfo(dpiX, dpiY, model.pageWidth, model.pageHeight);
    GetPrinterMargins(model.leftMargin, model.topMargin, model.rightMargin, model.bottomMargin);
    return model;
  }

  PrintLayoutModel SampleModel() {
    PrintLayoutModel model = EditorModel();
    model.photos = 4;
    model.background = RGB(10, 20, 30);
    model.boxes[0] = LayoutEditBox{1, 0.0, 100, 120, 600, 400};
    model.boxes[6] = LayoutEditBox{5, 90.0, 900, 100, 300, 300};  // the QR code
    model.captions[2] = PhotoboothCaption::MakeNew(3, 50, 60);
    model.captions[2].m_strText = "Line one\r\nL\xE9ne & <two>";
    model.captions[2].m_dAngle = -4.56;
    model.captions[2].m_nAlignment = 2;
    return model;
  }

  std::vector<BYTE> Thumbnail() {
    PipSession session;
    cNewImage(session.m_hSession, 200, 133, RGB(200, 30, 30));
    PolyArray jpeg;
    cSaveToMemory(session.m_hSession, PIP_FORMAT_JPEG, &jpeg, 0, 0);
    return jpeg.Bytes();
  }

  std::string m_dir, m_images;
  PrintLayoutFileHooks m_hooks;
  std::vector<std::string> m_messages;
  std::vector<UINT> m_types;
  std::deque<int> m_answers;
  int m_replaced = 0, m_invalidated = 0;
};

TEST_F(PrintLayoutFileTest, HeadIsTheGoldenXml) {
  std::vector<BYTE> bytes;
  ASSERT_TRUE(BuildPrintLayoutFile(SampleModel(), m_images.c_str(), {}, bytes));
  std::string file(bytes.begin(), bytes.end());
  const size_t marker = file.find('\xE5');
  ASSERT_NE(marker, std::string::npos);
  EXPECT_EQ(file.substr(0, marker), ReadText(TAVORIN_FIXTURES_DIR "/pblt-golden-head.xml"));
  EXPECT_EQ(file.substr(marker, 2), std::string("\xE5\x5E"));
  EXPECT_EQ(file.size(), marker + 2 + 20);  // five zero lengths, no blobs
}

TEST_F(PrintLayoutFileTest, TailCarriesTheThumbnailFirstThenTheLayers) {
  WriteText(m_images + "/header.jpg", std::string(1000, 'h'));
  WriteText(m_images + "/overlay.png", "overlay");
  const std::vector<BYTE> thumbnail = Thumbnail();
  const std::string path = m_dir + "/layout.pblt";
  ASSERT_TRUE(ExportPrintLayout(path.c_str(), SampleModel(), m_images.c_str(), thumbnail, m_hooks));
  const std::string file = ReadText(path);
  const size_t marker = file.find("\xE5\x5E");
  ASSERT_NE(marker, std::string::npos);
  EXPECT_EQ(LengthAt(file, marker + 2), thumbnail.size());
  EXPECT_EQ(LengthAt(file, marker + 6), 1000u);
  EXPECT_EQ(LengthAt(file, marker + 10), 0u);
  EXPECT_EQ(LengthAt(file, marker + 14), 0u);
  EXPECT_EQ(LengthAt(file, marker + 18), 7u);
  const size_t blobs = marker + 22;
  EXPECT_EQ(file.substr(blobs, thumbnail.size()), std::string(thumbnail.begin(), thumbnail.end()));
  EXPECT_EQ(file.substr(blobs + thumbnail.size()), std::string(1000, 'h') + "overlay");

  // The template browser finds the preview in the whole file.
  PipSession preview;
  ASSERT_NE(cLoadThumbnail(preview.m_hSession, path.c_str(), 200, 200), 0);
  EXPECT_EQ(preview.GetWidth(), 200u);
  EXPECT_EQ(preview.GetHeight(), 133u);
}

TEST_F(PrintLayoutFileTest, RoundTripKeepsSlotsQrAndLineBreaks) {
  PrintLayoutModel saved = SampleModel();
  saved.boxes[9] = LayoutEditBox{4, 359.9, 10, 20, 30, 40};
  const std::string path = m_dir + "/layout.pblt";
  ASSERT_TRUE(ExportPrintLayout(path.c_str(), saved, m_images.c_str(), Thumbnail(), m_hooks));
  const std::string text = ReadText(path);
  EXPECT_NE(text.find("<PhotoboothCustomLayout7 left=\"900\" top=\"100\" width=\"300\" height=\"300\" image=\"-1\" "
                      "rotation=\"900\"></PhotoboothCustomLayout7>"),
            std::string::npos);
  EXPECT_EQ(text.find("PhotoboothCustomLayout2 "), std::string::npos);

  PrintLayoutModel loaded = EditorModel();
  loaded.photos = 2;
  ASSERT_TRUE(ImportPrintLayout(path.c_str(), loaded, m_images.c_str(), m_hooks));
  EXPECT_TRUE(m_messages.empty()) << m_messages.front();
  EXPECT_EQ(m_replaced, 1);
  EXPECT_EQ(loaded.photos, 4);
  EXPECT_EQ(loaded.background, RGB(10, 20, 30));
  EXPECT_EQ(loaded.boxes[6].image, 5);
  EXPECT_EQ(loaded.boxes[6].left, 900);
  EXPECT_DOUBLE_EQ(loaded.boxes[6].rotation, 90.0);
  EXPECT_EQ(loaded.boxes[9].image, 4);
  EXPECT_DOUBLE_EQ(loaded.boxes[9].rotation, 359.9);
  EXPECT_EQ(loaded.boxes[1].image, 0);
  EXPECT_EQ(loaded.captions[2].m_strText, saved.captions[2].m_strText);
  EXPECT_DOUBLE_EQ(loaded.captions[2].m_dAngle, -4.5);
  EXPECT_EQ(loaded.captions[2].m_nAlignment, 2);
  EXPECT_EQ(std::memcmp(&loaded.captions[2].m_font, &saved.captions[2].m_font, sizeof(LOGFONTA)), 0);
  EXPECT_FALSE(loaded.captions[0].m_nEnable);
}

TEST_F(PrintLayoutFileTest, PhotosElevenAndUpTravelToo) {
  PrintLayoutModel saved = EditorModel();
  saved.photos = 12;
  saved.boxes[11] = LayoutEditBox{12, 0.0, 1, 2, 3, 4};
  saved.boxes[10] = LayoutEditBox{13, 0.0, 5, 6, 7, 8};
  const std::string path = m_dir + "/twelve.pblt";
  ASSERT_TRUE(ExportPrintLayout(path.c_str(), saved, m_images.c_str(), {}, m_hooks));
  PrintLayoutModel loaded = EditorModel();
  ASSERT_TRUE(ImportPrintLayout(path.c_str(), loaded, m_images.c_str(), m_hooks));
  EXPECT_EQ(loaded.photos, 12);
  EXPECT_EQ(loaded.boxes[11].image, 12);
  EXPECT_EQ(loaded.boxes[10].image, 13);  // the QR code
}

TEST_F(PrintLayoutFileTest, LegacyFiles) {
  WriteText(m_images + "/footer.jpg", "old footer");
  PrintLayoutModel model = EditorModel();
  ASSERT_TRUE(ImportPrintLayout(TAVORIN_FIXTURES_DIR "/pblt-legacy-e5e5-four-lengths.pblt", model, m_images.c_str(),
                                m_hooks));
  EXPECT_EQ(ReadText(m_images + "/header.jpg"), "HEADER-BYTES");
  EXPECT_EQ(ReadText(m_images + "/background.jpg"), "BACKGROUND");
  EXPECT_EQ(ReadText(m_images + "/overlay.png"), "OV");
  EXPECT_FALSE(fs::exists(m_images + "/footer.jpg"));  // the file carries none: the old one goes
  EXPECT_EQ(model.boxes[1].image, 2);
  EXPECT_EQ(model.photos, 2);

  model = EditorModel();
  m_messages.clear();
  ASSERT_TRUE(ImportPrintLayout(TAVORIN_FIXTURES_DIR "/pblt-no-binary-tail.pblt", model, m_images.c_str(), m_hooks));
  EXPECT_FALSE(fs::exists(m_images + "/header.jpg"));
  EXPECT_EQ(model.boxes[1].left, 100);

  model = EditorModel();
  ASSERT_TRUE(
      ImportPrintLayout(TAVORIN_FIXTURES_DIR "/pblt-legacy-center-caption.pblt", model, m_images.c_str(), m_hooks));
  EXPECT_TRUE(model.captions[3].m_nEnable);
  EXPECT_EQ(model.captions[3].m_nAlignment, 1);
  EXPECT_EQ(model.captions[3].m_colour, 255u);
  EXPECT_DOUBLE_EQ(model.captions[3].m_dAngle, -4.5);
  EXPECT_EQ(model.captions[3].m_strText, "Legacy");

  // Without right and bottom margins they equal left and top: the file's area is centred at 900.
  SavePrinterMargins(0, 0, 80, 0);
  model = EditorModel();
  ASSERT_TRUE(ImportPrintLayout(TAVORIN_FIXTURES_DIR "/pblt-without-right-bottom-margins.pblt", model,
                                m_images.c_str(), m_hooks));
  EXPECT_EQ(model.boxes[1].left, 60);
  EXPECT_EQ(model.boxes[1].top, 200);
}

TEST_F(PrintLayoutFileTest, EveryRefusalHasItsMessageAndChangesNothing) {
  const std::string head = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  const std::string full =
      "width=\"1800\" height=\"1200\" x_dpi=\"300\" y_dpi=\"300\" left_margin=\"0\" top_margin=\"0\" "
      "background_color=\"0\"";
  auto layout = [&](const std::string& printer, const std::string& body = "") {
    return head + "<morvane_systems_photobooth><photobooth_print_layout><printer_settings " + printer + "/>" + body +
           "</photobooth_print_layout></morvane_systems_photobooth>";
  };
  struct Row {
    std::string name;
    std::string contents;
    std::string message;
  };
  const Row rows[] = {
      {"not xml", "this is not < xml", "Error reading file: "},
      {"cut after its printer", layout(full, "<PhotoboothCustomLayout1 image=\"1\" left=\"5\"/>").substr(0, 260),
       "Error reading file: "},
      {"no root", head + "<other/>", "Can't find <morvane_systems_photobooth> tag, file may not be photobooth print layout file"},
      {"no layout", head + "<morvane_systems_photobooth/>",
       "Can't find <photobooth_print_layout> tag, file may not be photobooth print layout file"},
      {"no printer", head + "<morvane_systems_photobooth><photobooth_print_layout/></morvane_systems_photobooth>",
       "Can't find <printer_settings> tag, file may not be photobooth print layout file"},
      {"no x_dpi", layout("width=\"1\""), "Can't find x_dpi attribute"},
      {"no y_dpi", layout("x_dpi=\"300\""), "Can't find y_dpi attribute"},
      {"no width", layout("x_dpi=\"300\" y_dpi=\"300\""), "Can't find width attribute"},
      {"no height", layout("x_dpi=\"300\" y_dpi=\"300\" width=\"1\""), "Can't find height attribute"},
      {"no top", layout("x_dpi=\"300\" y_dpi=\"300\" width=\"1\" height=\"1\""), "Can't find top_margin attribute"},
      {"no left", layout("x_dpi=\"300\" y_dpi=\"300\" width=\"1\" height=\"1\" top_margin=\"0\""),
       "Can't find left_margin attribute"},
      {"no colour", layout("x_dpi=\"300\" y_dpi=\"300\" width=\"1\" height=\"1\" top_margin=\"0\" left_margin=\"0\""),
       "Can't find background_color attribute"},
      {"image 21", layout(full, "<PhotoboothCustomLayout1 image=\"21\"/>"), "ERROR image index out of range"},
      {"image -2", layout(full, "<PhotoboothCustomLayout1 image=\"-2\"/>"), "ERROR image index out of range"},
      {"unequal dpi", layout("width=\"1800\" height=\"1200\" x_dpi=\"300\" y_dpi=\"600\" left_margin=\"0\" "
                             "top_margin=\"0\" background_color=\"0\""),
       "ERROR: Horizontal and vertical resolutions are not the same"},
      {"600 dpi", layout("width=\"1800\" height=\"1200\" x_dpi=\"600\" y_dpi=\"600\" left_margin=\"0\" "
                         "top_margin=\"0\" background_color=\"0\""),
       "ERROR: layout resolution (600 DPI) does not match printer resolution (300 DPI)"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const std::string path = m_dir + "/bad.pblt";
    WriteText(path, row.contents);
    m_messages.clear();
    m_types.clear();
    PrintLayoutModel model = SampleModel();
    EXPECT_FALSE(ImportPrintLayout(path.c_str(), model, m_images.c_str(), m_hooks));
    ASSERT_EQ(m_messages.size(), 1u);
    EXPECT_EQ(m_messages[0].substr(0, row.message.size()), row.message);
    EXPECT_EQ(m_types[0], MB_OK | MB_ICONERROR);
    EXPECT_EQ(model.boxes[0].left, 100);
    EXPECT_EQ(model.photos, 4);
  }
  m_messages.clear();
  PrintLayoutModel model;
  EXPECT_FALSE(ImportPrintLayout((m_dir + "/missing.pblt").c_str(), model, m_images.c_str(), m_hooks));
  ASSERT_EQ(m_messages.size(), 1u);
  EXPECT_EQ(m_messages[0], "ERROR reading file");
}

TEST_F(PrintLayoutFileTest, QuestionsAnsweredNoChangeNothing) {
  const std::string path = m_dir + "/layout.pblt";
  PrintLayoutModel saved = SampleModel();
  saved.aspectWidth = 4;
  saved.aspectHeight = 3;
  ASSERT_TRUE(ExportPrintLayout(path.c_str(), saved, m_images.c_str(), {}, m_hooks));
  WriteText(m_images + "/background.jpg", "background");

  PrintLayoutModel model = EditorModel();
  m_answers = {IDNO};
  EXPECT_FALSE(ImportPrintLayout(path.c_str(), model, m_images.c_str(), m_hooks));
  ASSERT_EQ(m_messages.size(), 1u);
  EXPECT_EQ(m_types[0], MB_YESNO | MB_ICONQUESTION);
  EXPECT_EQ(m_invalidated, 0);

  m_messages.clear();
  m_answers = {IDYES, IDNO};
  EXPECT_FALSE(ImportPrintLayout(path.c_str(), model, m_images.c_str(), m_hooks));
  ASSERT_EQ(m_messages.size(), 2u);
  EXPECT_EQ(m_messages[1],
            "The following files in the photobooth images folder will be overwritten:\nbackground.jpg\n\nDo you wish "
            "to continue?");
  EXPECT_EQ(m_invalidated, 1);  // redrawn all the same
  EXPECT_EQ(model.boxes[0].image, 0);
  EXPECT_TRUE(fs::exists(m_images + "/background.jpg"));

  // Yes to both: the file carries no background, so the old one is deleted.
  m_answers = {IDYES, IDYES};
  EXPECT_TRUE(ImportPrintLayout(path.c_str(), model, m_images.c_str(), m_hooks));
  EXPECT_FALSE(fs::exists(m_images + "/background.jpg"));
  EXPECT_EQ(model.boxes[0].image, 1);
}

TEST_F(PrintLayoutFileTest, ResolutionWithinOneDpi) {
  PrintLayoutModel saved = SampleModel();
  const std::string path = m_dir + "/layout.pblt";
  ASSERT_TRUE(ExportPrintLayout(path.c_str(), saved, m_images.c_str(), {}, m_hooks));
  SelectTestPrinter(1524, 1016, 301, 301, 1);
  PrintLayoutModel model = EditorModel();
  EXPECT_TRUE(ImportPrintLayout(path.c_str(), model, m_images.c_str(), m_hooks));
  SelectTestPrinter(1524, 1016, 302, 302, 1);
  model = EditorModel();
  EXPECT_FALSE(ImportPrintLayout(path.c_str(), model, m_images.c_str(), m_hooks));
  EXPECT_EQ(m_messages.back(), "ERROR: layout resolution (300 DPI) does not match printer resolution (302 DPI)");
}

TEST_F(PrintLayoutFileTest, TurnedPageTurnsThePrinter) {
  const std::string path = m_dir + "/portrait.pblt";
  SelectTestPrinter(1016, 1524, 300, 300, 1);  // 1200 x 1800
  ASSERT_TRUE(ExportPrintLayout(path.c_str(), EditorModel(), m_images.c_str(), {}, m_hooks));
  SelectTestPrinter(1524, 1016, 300, 300, 1);  // 1800 x 1200
  PrintLayoutModel model = EditorModel();
  int changed = 0;
  m_hooks.pageChanged = [&] { ++changed; };
  EXPECT_TRUE(ImportPrintLayout(path.c_str(), model, m_images.c_str(), m_hooks));
  EXPECT_EQ(changed, 1);
  EXPECT_EQ(GetPrinterOrientation(), 2);
  EXPECT_EQ(model.pageWidth, 1200);
  EXPECT_EQ(model.pageHeight, 1800);
}

TEST_F(PrintLayoutFileTest, BrokenTailsAndNumbersAreHarmless) {
  std::vector<BYTE> bytes;
  ASSERT_TRUE(BuildPrintLayoutFile(SampleModel(), m_images.c_str(), {}, bytes));
  std::string file(bytes.begin(), bytes.end());
  const size_t marker = file.find('\xE5');
  // A background length far past the end: nothing is allocated for it and the damaged file is
  // refused whole, leaving the old background in place.
  file[marker + 14] = '\xFF';
  file[marker + 15] = '\xFF';
  file[marker + 16] = '\xFF';
  file[marker + 17] = '\x7F';
  file += "short";
  const std::string path = m_dir + "/past-end.pblt";
  WriteText(path, file);
  WriteText(m_images + "/background.jpg", "old background");
  PrintLayoutModel model = EditorModel();
  EXPECT_FALSE(ImportPrintLayout(path.c_str(), model, m_images.c_str(), m_hooks));
  ASSERT_EQ(m_messages.size(), 1u);
  EXPECT_EQ(m_messages[0], "Error reading file: " + path);
  EXPECT_EQ(ReadText(m_images + "/background.jpg"), "old background");
  EXPECT_EQ(model.boxes[0].width, 0);

  EXPECT_EQ(ParseLayoutInt("  -12x"), -12);
  EXPECT_EQ(ParseLayoutInt("99999999999999999999"), INT_MAX);
  EXPECT_EQ(ParseLayoutInt("-99999999999"), INT_MIN);
  EXPECT_EQ(ParseLayoutInt("abc"), 0);
}

TEST_F(PrintLayoutFileTest, DamagedFileIsRefusedBeforeAnyLayerIsTouched) {
  const std::string layers[4] = {"header.jpg", "footer.jpg", "background.jpg", "overlay.png"};
  WriteText(m_images + "/header.jpg", "NEW HEADER");
  WriteText(m_images + "/background.jpg", "NEW BACKGROUND BYTES");
  WriteText(m_images + "/overlay.png", "NEW OVERLAY");
  PrintLayoutModel saved = SampleModel();
  saved.boxes[1] = LayoutEditBox{2, 0.0, 700, 120, 600, 400};
  std::vector<BYTE> bytes;
  ASSERT_TRUE(BuildPrintLayoutFile(saved, m_images.c_str(), Thumbnail(), bytes));
  const std::string whole(bytes.begin(), bytes.end());
  const size_t secondBox = whole.find("<PhotoboothCustomLayout2");
  const size_t marker = whole.find('\xE5');
  ASSERT_NE(secondBox, std::string::npos);
  ASSERT_NE(marker, std::string::npos);
  const struct {
    const char* name;
    std::string bytes;
  } rows[] = {
      {"empty", ""},
      {"cut inside the second box", whole.substr(0, secondBox + 30)},
      {"cut inside the lengths", whole.substr(0, marker + 9)},
      {"cut inside the thumbnail", whole.substr(0, marker + 2 + 20 + 10)},
      {"cut inside the overlay", whole.substr(0, whole.size() - 3)},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    for (const std::string& layer : layers) WriteText(m_images + "/" + layer, "OLD " + layer);
    const std::string path = m_dir + "/damaged.pblt";
    WriteText(path, row.bytes);
    m_messages.clear();
    PrintLayoutModel model = EditorModel();
    EXPECT_FALSE(ImportPrintLayout(path.c_str(), model, m_images.c_str(), m_hooks));
    ASSERT_EQ(m_messages.size(), 1u) << "refused before the overwrite question";
    EXPECT_EQ(m_messages[0], "Error reading file: " + path);
    for (const std::string& layer : layers) EXPECT_EQ(ReadText(m_images + "/" + layer), "OLD " + layer);
    EXPECT_EQ(model.boxes[0].image, 0);
    EXPECT_EQ(m_replaced, 0);
  }
  PrintLayoutFileContents contents;
  CString error;
  EXPECT_FALSE(ParsePrintLayoutFile(nullptr, 0, contents, error, "none.pblt"));
  EXPECT_EQ(std::string(error), "Error reading file: none.pblt");

  // The whole file replaces every layer with its own bytes.
  const std::string path = m_dir + "/whole.pblt";
  WriteText(path, whole);
  PrintLayoutModel model = EditorModel();
  ASSERT_TRUE(ImportPrintLayout(path.c_str(), model, m_images.c_str(), m_hooks));
  EXPECT_EQ(ReadText(m_images + "/header.jpg"), "NEW HEADER");
  EXPECT_EQ(ReadText(m_images + "/background.jpg"), "NEW BACKGROUND BYTES");
  EXPECT_EQ(ReadText(m_images + "/overlay.png"), "NEW OVERLAY");
  EXPECT_FALSE(fs::exists(m_images + "/footer.jpg"));
  EXPECT_EQ(model.boxes[1].image, 2);
}

TEST_F(PrintLayoutFileTest, CaptionLinesAreHeldToWhatAPageHolds) {
  PrintLayoutModel saved = SampleModel();
  saved.captions[2].m_nMaxNumberOfLines = 2147483647;
  const std::string path = m_dir + "/lines.pblt";
  ASSERT_TRUE(ExportPrintLayout(path.c_str(), saved, m_images.c_str(), {}, m_hooks));
  PrintLayoutModel model = EditorModel();
  ASSERT_TRUE(ImportPrintLayout(path.c_str(), model, m_images.c_str(), m_hooks));
  EXPECT_EQ(model.captions[2].m_nMaxNumberOfLines, kMaxCaptionLines);
}

TEST_F(PrintLayoutFileTest, WriteFailuresAreReportedAndLoseNothing) {
  // A folder where the file should go: the export cannot replace it.
  const std::string blocked = m_dir + "/blocked.pblt";
  fs::create_directories(blocked + "/inside");
  EXPECT_FALSE(ExportPrintLayout(blocked.c_str(), SampleModel(), m_images.c_str(), {}, m_hooks));
  ASSERT_EQ(m_messages.size(), 1u);
  EXPECT_EQ(m_messages[0], "Error writing file: " + blocked);
  EXPECT_TRUE(fs::is_directory(blocked + "/inside"));

  // An import whose header cannot be written keeps the old one and says so.
  const std::string path = m_dir + "/layout.pblt";
  WriteText(m_images + "/header.jpg", "new header");
  ASSERT_TRUE(ExportPrintLayout(path.c_str(), SampleModel(), m_images.c_str(), {}, m_hooks));
  fs::remove(m_images + "/header.jpg");
  fs::create_directories(m_images + "/header.jpg/old");
  m_messages.clear();
  PrintLayoutModel model = EditorModel();
  EXPECT_TRUE(ImportPrintLayout(path.c_str(), model, m_images.c_str(), m_hooks));
  ASSERT_EQ(m_messages.size(), 2u);  // the overwrite question, then the failure
  EXPECT_EQ(m_messages[1], "Error writing file: " + m_images + "/header.jpg");
  EXPECT_TRUE(fs::is_directory(m_images + "/header.jpg/old"));
}

TEST(PrintLayoutFileNameTest, ExtensionIsAppendedOnce) {
  EXPECT_STREQ(WithPrintLayoutExtension("/a/b"), "/a/b.pblt");
  EXPECT_STREQ(WithPrintLayoutExtension("/a/b.PBLT"), "/a/b.PBLT");
  EXPECT_STREQ(WithPrintLayoutExtension("x"), "x.pblt");
}

}  // namespace
