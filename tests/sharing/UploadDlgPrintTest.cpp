// The print kind of the sharing screen: one page on the built-in PDF printer.
#include <cstdio>
#include <cstring>

#include "UploadDlgTestSupport.h"
#include "platform/registry/registry.h"
#include "platform/win32/folders.h"
#include "support/ProgramGlobals.h"
#include "tests/printlayout/PrintLayoutTestSupport.h"
#include "tests/PrintedPdfs.h"

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
