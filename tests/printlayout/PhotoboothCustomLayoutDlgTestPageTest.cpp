#include <gtest/gtest.h>


#include <chrono>
#include <cstdlib>
#include <thread>
#include <filesystem>
#include <set>

#include "PrintLayoutTestSupport.h"
#include "platform/mfc/commondialog.h"
#include "platform/mfc/dialogscript.h"
#include "platform/polyimage/polyimage.h"
#include "platform/user/hwndwidget_p.h"
#include "platform/user/input.h"
#include "platform/user/messagebox.h"
#include "printlayout/PhotoboothCustomLayoutDlg.h"
#include "support/PipSession.h"

namespace fs = std::filesystem;

namespace {

COLORREF Pixel(PipSession& image, int x, int y) {
  COLORREF colour = 0x123456;
  cGetPixelColor(image.m_hSession, x, y, &colour);
  return colour;
}

bool Near(COLORREF actual, COLORREF expected, int tolerance = 16) {
  return std::abs(int(GetRValue(actual)) - int(GetRValue(expected))) <= tolerance &&
         std::abs(int(GetGValue(actual)) - int(GetGValue(expected))) <= tolerance &&
         std::abs(int(GetBValue(actual)) - int(GetBValue(expected))) <= tolerance;
}

std::set<std::string> Pdfs() {
  std::set<std::string> found;
  const std::string folder = std::string(std::getenv("XDG_DOCUMENTS_DIR")) + "/Tavorin Prints";
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(folder, error))
    if (entry.path().extension() == ".pdf") found.insert(entry.path().string());
  return found;
}

const COLORREF kPaper = RGB(250, 250, 200);

class TestPageTest : public testing::Test {
 protected:
  void SetUp() override {
    SelectTestPrinter(1030, 1550, 300, 300, 1);  // 1217 x 1831
    user_p::SetKeyDown(VK_SHIFT, false);
    ClearMessageBoxes();
    ClearDialogScripts();
    ClearCommonDialogAnswers();
    m_images = PrintLayoutTestDir() + "/testpage-" + testing::UnitTest::GetInstance()->current_test_info()->name();
    fs::remove_all(m_images);
    fs::create_directories(m_images);
    m_editor.m_strImageDir = m_images.c_str();
    PrintLayoutModel& m = m_editor.m_model;
    m.photos = 3;
    m.background = kPaper;
    m.dpiX = m.dpiY = 300;
    m.leftMargin = 20, m.topMargin = 10, m.rightMargin = 40, m.bottomMargin = 30;
    m.boxes[0] = LayoutEditBox{1, 0.0, 100, 200, 120, 80};
    m.boxes[1] = LayoutEditBox{2, 0.0, -30, -20, 100, 60};
    m.boxes[2] = LayoutEditBox{3, 0.0, 400, 250, 0, 60};
  }
  void TearDown() override {
    user_p::SetKeyDown(VK_SHIFT, false);
    ClearMessageBoxes();
    ClearDialogScripts();
    ClearCommonDialogAnswers();
  }
  void Save(const char* name, int width, int height, COLORREF colour) {
    PipSession image;
    ASSERT_NE(cNewImage(image.m_hSession, width, height, colour), 0);
    ASSERT_NE(cSave(image.m_hSession, (m_images + "/" + name).c_str(), PIP_FORMAT_JPEG, 0, 0, 0), 0);
  }
  INT_PTR Run(std::function<void(CPhotoboothCustomLayoutDlg&)> body) {
    PushDialogScript(DialogScript(IDD_PHOTOBOOTH_CUSTOM_LAYOUT)
                         .Call([&](CDialog* dialog) { body(*static_cast<CPhotoboothCustomLayoutDlg*>(dialog)); })
                         .Press(IDCANCEL));
    return m_editor.DoModal();
  }

  std::string m_images;
  CPhotoboothCustomLayoutDlg m_editor{nullptr, 3, 2};
};

TEST_F(TestPageTest, PlaceholdersBackgroundAndCropping) {
  Save("background.jpg", 200, 100, RGB(0, 0, 255));
  PipSession page;
  ASSERT_TRUE(m_editor.ComposeTestPage(page, 600, 400));
  struct Row {
    const char* what;
    int x, y;
    COLORREF colour;
  };
  // The background sits between the margins: x = 20 + (600 - 60 - 200) / 2, y = 10 + (400 - 40 - 100) / 2.
  const Row rows[] = {{"background", 195, 145, RGB(0, 0, 255)},
                      {"paper left of the background", 185, 145, kPaper},
                      {"photo 1", 104, 204, RGB(0x96, 0xFF, 0x96)},
                      {"photo 1's right side", 219, 215, RGB(0, 0, 0)},
                      {"photo 1's bottom side", 110, 279, RGB(0, 0, 0)},
                      {"photo 1's left side", 100, 215, RGB(0, 0, 0)},
                      {"photo 1's top side", 110, 200, RGB(0, 0, 0)},
                      {"photo 1 ends", 221, 260, kPaper},
                      {"photo 2 cut by the page", 3, 3, RGB(0x96, 0x96, 0xFF)},
                      {"photo 2's right side", 69, 5, RGB(0, 0, 0)},
                      {"photo 3 sized from the aspect", 485, 255, RGB(0xFF, 0xFF, 0x96)},
                      {"photo 3's right side at 90", 489, 255, RGB(0, 0, 0)},
                      {"right of photo 3", 492, 255, kPaper}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    EXPECT_TRUE(Near(Pixel(page, row.x, row.y), row.colour)) << std::hex << Pixel(page, row.x, row.y);
  }
  // The number is drawn in black around the box's centre.
  bool dark = false;
  for (int y = 225; y <= 255; ++y)
    for (int x = 145; x <= 175; ++x) dark = dark || GetRValue(Pixel(page, x, y)) < 60;
  EXPECT_TRUE(dark);
}

TEST_F(TestPageTest, PrintsAPdfAndShiftSavesAnImage) {
  const auto before = Pdfs();
  m_editor.m_nNumberOfPhotos = 1;
  m_editor.m_layoutBoxes[0] = {1, 300, 600, 900, 1000, 0};
  Run([&](CPhotoboothCustomLayoutDlg& e) {
    const size_t dialogs = GetShownCommonDialogs().size();
    ASSERT_EQ(GetKeyState(VK_SHIFT) & 0x8000, 0) << "Shift is up";
    e.SendMessage(WM_COMMAND, IDC_LAYOUT_TEST_PAGE, 0);
    EXPECT_TRUE(GetShownMessageBoxes().empty());
    EXPECT_EQ(GetShownCommonDialogs().size(), dialogs) << "printed, not saved";

    // With Shift: the PNG filter gives PNG whatever the name, ".png" gives PNG, else JPEG.
    user_p::SetKeyDown(VK_SHIFT, true);
    struct Row {
      std::string name;
      DWORD filter;
      std::string saved;
      int format;
    };
    const std::string base = m_images + "/page";
    const Row rows[] = {{base + "1", 2, base + "1.png", PIP_FORMAT_PNG},
                        {base + "2.PNG", 1, base + "2.PNG", PIP_FORMAT_PNG},
                        {base + "3", 1, base + "3.jpg", PIP_FORMAT_JPEG}};
    for (const Row& row : rows) {
      SCOPED_TRACE(row.name);
      CommonDialogAnswer answer;
      answer.paths = {row.name};
      answer.filterIndex = row.filter;
      PushCommonDialogAnswer(answer);
      e.SendMessage(WM_COMMAND, IDC_LAYOUT_TEST_PAGE, 0);
      DWORD format = 0, width = 0;
      ASSERT_NE(cGetImageFileInfo(row.saved.c_str(), 0, &width, nullptr, nullptr, &format), 0);
      EXPECT_EQ(static_cast<int>(format), row.format);
      EXPECT_EQ(width, 1217u);
    }
    EXPECT_EQ(GetShownCommonDialogs().back().title, "Save print layout as an image");
    // A name the file system refuses is reported.
    CommonDialogAnswer bad;
    bad.paths = {m_images + "/missing-folder/page.jpg"};
    PushCommonDialogAnswer(bad);
    e.SendMessage(WM_COMMAND, IDC_LAYOUT_TEST_PAGE, 0);
    ASSERT_EQ(GetShownMessageBoxes().size(), 1u);
    EXPECT_EQ(GetShownMessageBoxes()[0].text, "Error writing file: " + m_images + "/missing-folder/page.jpg");
    user_p::SetKeyDown(VK_SHIFT, false);
  });
  // The job is delivered in the background: wait for its file.
  std::string pdf;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (pdf.empty() && std::chrono::steady_clock::now() < deadline) {
    for (const std::string& path : Pdfs())
      if (!before.count(path)) pdf = path;
    if (pdf.empty()) std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  ASSERT_FALSE(pdf.empty()) << "a new PDF in the prints folder";
  const std::string png = m_images + "/raster";
  ASSERT_EQ(std::system(("pdftoppm -r 30 -png -singlefile '" + pdf + "' '" + png + "'").c_str()), 0);
  PipSession page;
  ASSERT_NE(cLoadImage(page.m_hSession, (png + ".png").c_str(), 0, 0, 0), 0);
  // At a tenth of the resolution, photo 1 spans (30, 60) to (90, 100).
  EXPECT_TRUE(Near(Pixel(page, 40, 65), RGB(0x96, 0xFF, 0x96), 30)) << std::hex << Pixel(page, 40, 65);
  EXPECT_TRUE(Near(Pixel(page, 100, 110), RGB(255, 255, 255), 30)) << "white paper by default";
}

TEST_F(TestPageTest, AnUnknownPrinterCannotPrint) {
  Run([&](CPhotoboothCustomLayoutDlg& e) {
    SelectTestPrinter(1030, 1550, 300, 300, 1, "No Such Printer");
    e.SendMessage(WM_COMMAND, IDC_LAYOUT_TEST_PAGE, 0);
    const auto boxes = GetShownMessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Unable to connect to printer to print images");
    EXPECT_EQ(boxes[0].icon, static_cast<UINT>(MB_ICONERROR));
  });
}

}  // namespace
