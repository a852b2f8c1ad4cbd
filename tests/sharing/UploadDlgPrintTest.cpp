// The print kind of the sharing screen: one page on the built-in PDF printer, and once on
// the CUPS queue of scripts/start-cups when that scheduler answers.
#include <QDir>
#include <QThread>
#include <cstdio>
#include <cstring>
#include <set>

#include "UploadDlgTestSupport.h"
#include "platform/registry/registry.h"
#include "platform/win32/folders.h"
#include "support/ProgramGlobals.h"
#include "tests/printlayout/PrintLayoutTestSupport.h"
#include "tests/PrintedPdfs.h"
#include "tests/platform/winspool/cups_queue.h"
#include "tests/platform/winspool/pdf_page.h"

namespace fs = std::filesystem;

namespace {

void SetCounter(DWORD counter) {
  HKEY key = nullptr;
  RegCreateKeyExA(HKEY_CURRENT_USER, kProductKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
  RegSetValueExA(key, "PhotoboothPrintCounter", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&counter), sizeof(counter));
  RegCloseKey(key);
}

// The print's clock: each reading moves on by the step.
ULONGLONG g_clock = 0, g_clockStep = 0;
ULONGLONG SteppingClock() {
  ULONGLONG now = g_clock;
  g_clock += g_clockStep;
  return now;
}

class UploadDlgPrintTest : public UploadDlgTestBase {
 protected:
  void SetUp() override {
    UploadDlgTestBase::SetUp();
    SelectTestPrinter(PaperForPixels(600, 100), PaperForPixels(400, 100), 100, 100, 2);
    fs::remove_all(PrintsFolder());
    SetCounter(10);
  }
  void TearDown() override {
    CUploadDlg::s_pfnTickCount = saved_;
    UploadDlgTestBase::TearDown();
  }
  ULONGLONG (*saved_)() = CUploadDlg::s_pfnTickCount;
};

}  // namespace

TEST_F(UploadDlgPrintTest, OnePageAndTheCounterLoweredOnce) {
  CUploadDlg dialog(nullptr, SharePrint);
  Fill(dialog);
  RunScreenToTheEnd();
  EXPECT_EQ(dialog.DoModal(), 1);
  EXPECT_STREQ(dialog.MessageText(), "");
  EXPECT_STREQ(dialog.StatusPath(), (dir_ + "/images/share_printing.jpg").c_str());
  EXPECT_EQ(UpdatePhotoboothPrintCounter(0), 9u);
  std::vector<std::string> pdfs = Pdfs();
  ASSERT_EQ(pdfs.size(), 1u);
  EXPECT_EQ(PdfPages(pdfs[0]), 1);
}

TEST_F(UploadDlgPrintTest, DisplayTimeCountsFromTheStartOfThePrint) {
  struct Row {
    ULONGLONG printMs;
    UINT armed;
  };
  for (const Row& row : {Row{1000, 3000}, Row{6000, 1000}, Row{3500, 1000}}) {
    SCOPED_TRACE(row.printMs);
    g_clock = 50000;
    g_clockStep = row.printMs;
    CUploadDlg::s_pfnTickCount = SteppingClock;
    CUploadDlg dialog(nullptr, SharePrint);
    Fill(dialog);
    RunScreenToTheEnd();
    EXPECT_EQ(dialog.DoModal(), 1);
    EXPECT_EQ(dialog.ArmedCloseMs(), row.armed);
  }
}

TEST_F(UploadDlgPrintTest, FailuresAreReportedAndNotCharged) {
  struct Row {
    const char* name;
    bool missingPhoto;
    bool blockedOutput;
    std::string message;
    DWORD counter;
  };
  const Row rows[] = {
      {"photo missing", true, false, "Error loading image for printing:\n" + dir_ + "/none.jpg", 10},
      // The job cannot be started: nothing reached the printer, so nothing is charged.
      {"job refused", false, true, "Error printing:\n" + photo_, 10},
  };
  const char* oldDocs = std::getenv("XDG_DOCUMENTS_DIR");
  std::string savedDocs = oldDocs ? oldDocs : "";
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    SetCounter(10);
    if (row.blockedOutput) {
      std::ofstream(dir_ + "/blocker") << "x";
      setenv("XDG_DOCUMENTS_DIR", (dir_ + "/blocker").c_str(), 1);
    }
    CUploadDlg dialog(nullptr, SharePrint);
    Fill(dialog);
    if (row.missingPhoto) dialog.m_share.photoPath = (dir_ + "/none.jpg").c_str();
    RunScreenToTheEnd();
    EXPECT_EQ(dialog.DoModal(), 1);
    if (oldDocs) setenv("XDG_DOCUMENTS_DIR", savedDocs.c_str(), 1);
    else unsetenv("XDG_DOCUMENTS_DIR");
    EXPECT_STREQ(dialog.MessageText(), row.message.c_str());
    EXPECT_EQ(dialog.ArmedCloseMs(), 4000u);
    EXPECT_EQ(UpdatePhotoboothPrintCounter(0), row.counter);
  }
}

// cups-pdf names its files after the job's title; the page size (100 x 150 mm, used by no
// other test) tells this job's file from another one printed meanwhile.
TEST_F(UploadDlgPrintTest, OnePageReachesTheCupsQueue) {
  if (!CupsTestQueueListed())
    GTEST_SKIP() << "cupsd is not reachable or has no " << kCupsTestQueue << " queue; run scripts/start-cups as root";
  SelectTestPrinter(1000, 1500, 300, 300, 1, kCupsTestQueue);
  std::set<QString> before;
  for (const QString& name : QDir(kCupsTestOutput).entryList({"*.pdf"}, QDir::Files)) before.insert(name);

  CUploadDlg dialog(nullptr, SharePrint);
  Fill(dialog);
  RunScreenToTheEnd();
  EXPECT_EQ(dialog.DoModal(), 1);
  EXPECT_STREQ(dialog.MessageText(), "");
  EXPECT_EQ(UpdatePhotoboothPrintCounter(0), 9u);

  QString found;
  for (int i = 0; i < 600 && found.isEmpty(); ++i) {
    for (const QString& name : QDir(kCupsTestOutput).entryList({"*Photobooth*.pdf"}, QDir::Files)) {
      if (before.count(name)) continue;
      QString path = QString(kCupsTestOutput) + "/" + name;
      // The file shows up while cups-pdf is still writing it: its page is read when complete.
      std::vector<QSizeF> sizes = PdfPageSizes(path);
      if (sizes.size() == 1 && std::abs(sizes[0].width() - 283.5) < 2 && std::abs(sizes[0].height() - 425.2) < 2)
        found = path;
    }
    if (found.isEmpty()) QThread::msleep(100);
  }
  ASSERT_FALSE(found.isEmpty()) << "no one-page 100 x 150 mm PDF of the print in " << kCupsTestOutput;
  QFile::remove(found);
}
