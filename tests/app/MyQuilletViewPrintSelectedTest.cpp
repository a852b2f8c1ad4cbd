// File > "Print Selected Photobooth Photos..." (32906): the chosen JPEGs printed one page each
// in one job on the built-in PDF printer, the print counter lowered per page printed.
#include <signal.h>
#include <sys/resource.h>

#include <cstdio>
#include <cstring>
#include <filesystem>

#include "AppTestSupport.h"
#include "app/MyQuilletApp.h"
#include "app/Resource.h"
#include "platform/mfc/commondialog.h"
#include "platform/mfc/printdialog.h"
#include "platform/winspool/globalmem.h"
#include "platform/win32/folders.h"
#include "support/ProgramGlobals.h"
#include "tests/PrintedPdfs.h"

namespace fs = std::filesystem;

namespace {

class MyQuilletViewPrintSelectedTest : public ViewTestBase {
 protected:
  void SetUp() override {
    ViewTestBase::SetUp();
    SelectPdfPrinter(100);
    ClearCommonDialogAnswers();
    fs::remove_all(PrintsFolder());
    fs::create_directories(TestFolder() + "/shots/prints");
    m_view->m_strDirectory = (TestFolder() + "/shots").c_str();
    HKEY key = nullptr;
    RegCreateKeyExA(HKEY_CURRENT_USER, kProductKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    DWORD counter = 100;
    RegSetValueExA(key, "PhotoboothPrintCounter", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&counter),
                   sizeof(counter));
    RegCloseKey(key);
  }
  void TearDown() override {
    ClearCommonDialogAnswers();
    std::error_code error;
    fs::remove(PrintsFolder(), error);  // a blocking file left by a test
    fs::remove_all(PrintsFolder(), error);
    ViewTestBase::TearDown();
  }
  void Choose(const std::vector<std::string>& paths) {
    CommonDialogAnswer answer;
    answer.result = IDOK;
    answer.paths = paths;
    PushCommonDialogAnswer(answer);
    PushMessageBoxAnswer(IDOK);
    m_harness->m_frame->SendMessage(WM_COMMAND, MAKEWPARAM(ID_PRINT_SELECTED_PHOTOS, 0), 0);
  }
  std::vector<std::string> Texts() {
    std::vector<std::string> out;
    for (const ShownMessageBox& box : GetShownMessageBoxes()) out.push_back(box.text);
    return out;
  }
};

}  // namespace

TEST_F(MyQuilletViewPrintSelectedTest, ThreeJpegsAreThreePagesOfOneJobAndThreeOffTheCounter) {
  std::vector<std::string> photos = {WriteTestPhoto("shots/prints/a.jpg"), WriteTestPhoto("shots/prints/b.jpg"),
                                     WriteTestPhoto("shots/prints/c.jpg")};
  Choose(photos);
  auto shown = GetShownCommonDialogs();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].kind, "open");
  EXPECT_EQ(shown[0].title, "Select one or more JPEGs for printing");
  EXPECT_EQ(shown[0].filter, "JPEG images (*.jpg)|*.jpg||");
  EXPECT_EQ(Texts(), std::vector<std::string>{"Photos sent to printer"});
  EXPECT_EQ(UpdatePhotoboothPrintCounter(0), 97u);
  auto pdfs = Pdfs();
  ASSERT_EQ(pdfs.size(), 1u);
  EXPECT_EQ(PdfPages(pdfs[0]), 3);
}

TEST_F(MyQuilletViewPrintSelectedTest, UnloadableFilesAreReportedAndSkipped) {
  std::string broken = TestFolder() + "/shots/broken.jpg";
  std::ofstream(broken) << "not a jpeg";
  Choose({broken, WriteTestPhoto("shots/d.jpg")});
  EXPECT_EQ(Texts(), (std::vector<std::string>{"Error loading JPEG: " + broken, "Photos sent to printer"}));
  EXPECT_EQ(UpdatePhotoboothPrintCounter(0), 99u);
  auto pdfs = Pdfs();
  ASSERT_EQ(pdfs.size(), 1u);
  EXPECT_EQ(PdfPages(pdfs[0]), 1);
}

TEST_F(MyQuilletViewPrintSelectedTest, NothingLoadedIsNotReportedAsSent) {
  std::string broken = TestFolder() + "/shots/broken.jpg";
  std::ofstream(broken) << "not a jpeg";
  Choose({broken});
  ASSERT_EQ(GetShownMessageBoxes().size(), 2u);
  EXPECT_EQ(GetShownMessageBoxes()[1].text, "None of the chosen JPEGs could be loaded: nothing was printed");
  EXPECT_EQ(GetShownMessageBoxes()[1].icon, UINT(MB_ICONERROR));
  EXPECT_EQ(UpdatePhotoboothPrintCounter(0), 100u);
  EXPECT_TRUE(Pdfs().empty());
}

TEST_F(MyQuilletViewPrintSelectedTest, AJobThatCannotStartSaysSoAndChargesNothing) {
  fs::create_directories(GetDocumentsFolder());
  std::ofstream(PrintsFolder()) << "a file where the prints folder belongs";
  Choose({WriteTestPhoto("shots/e.jpg")});
  ASSERT_EQ(GetShownMessageBoxes().size(), 1u);
  EXPECT_EQ(GetShownMessageBoxes()[0].text, "Error preparing images for printing:\nCan't initialize printer");
  EXPECT_EQ(GetShownMessageBoxes()[0].caption, "Tavorin");
  EXPECT_EQ(GetShownMessageBoxes()[0].icon, UINT(MB_ICONERROR));
  EXPECT_EQ(UpdatePhotoboothPrintCounter(0), 100u);
}

TEST_F(MyQuilletViewPrintSelectedTest, CancelPrintsNothing) {
  m_harness->m_frame->SendMessage(WM_COMMAND, MAKEWPARAM(ID_PRINT_SELECTED_PHOTOS, 0), 0);  // no answer: cancelled
  EXPECT_EQ(GetShownCommonDialogs().size(), 1u);
  EXPECT_TRUE(GetShownMessageBoxes().empty());
  EXPECT_TRUE(Pdfs().empty());
}

TEST_F(MyQuilletViewPrintSelectedTest, TheDialogOpensWhereThePagesAre) {
  // The pages are saved under the image folder: today's dated folder when dated folders are on.
  m_view->m_bYear = m_view->m_bMonth = m_view->m_bDay = TRUE;
  m_view->m_bFlattenDate = FALSE;
  const time_t now = time(nullptr);
  struct tm today {};
  localtime_r(&now, &today);
  char dated[32];
  std::snprintf(dated, sizeof dated, "/%04d/%02d/%02d", today.tm_year + 1900, today.tm_mon + 1, today.tm_mday);
  const std::string images = TestFolder() + "/shots" + dated;
  struct Row {
    bool prints;
    std::string folder;
  } rows[] = {{false, images}, {true, images + "/prints"}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.folder);
    fs::remove_all(TestFolder() + "/shots/" + std::to_string(today.tm_year + 1900));
    fs::create_directories(row.prints ? images + "/prints" : images);
    ClearCommonDialogAnswers();
    m_harness->m_frame->SendMessage(WM_COMMAND, MAKEWPARAM(ID_PRINT_SELECTED_PHOTOS, 0), 0);  // cancelled
    auto shown = GetShownCommonDialogs();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].initialFolder, row.folder);
  }
}

// The PDF printer's disk fills while the job is written: the job did not print, so the operator
// hears why instead of "Photos sent to printer", and the counter is not charged.
TEST_F(MyQuilletViewPrintSelectedTest, AJobThePrinterDidNotTakeIsNotReportedAsSent) {
  std::vector<std::string> photos = {WriteTestPhoto("shots/prints/a.jpg"), WriteTestPhoto("shots/prints/b.jpg")};
  rlimit old{};
  getrlimit(RLIMIT_FSIZE, &old);
  signal(SIGXFSZ, SIG_IGN);
  rlimit limited{2048, old.rlim_max};
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
  Choose(photos);
  setrlimit(RLIMIT_FSIZE, &old);
  EXPECT_EQ(Texts(),
            std::vector<std::string>{"Error preparing images for printing:\nThe printer did not accept the job"});
  EXPECT_EQ(UpdatePhotoboothPrintCounter(0), 100u);
  EXPECT_TRUE(Pdfs().empty());
}
