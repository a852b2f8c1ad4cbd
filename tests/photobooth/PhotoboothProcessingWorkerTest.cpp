// The processing worker and its starters, run for real: a session of camera-made photos in the
// view, the worker on its own thread under the progress window, the page printed on the
// built-in PDF printer, the confirm screen scripted through its seam.
#include "photobooth/PhotoboothProcessingWorker.h"

#include <signal.h>
#include <sys/resource.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <thread>

#include "app/MyQuilletView.h"
#include "app/ProgressDlg2.h"
#include "app/Resource.h"
#include "app/ViewMessages.h"
#include "photobooth/ConfirmPrintingDlg.h"
#include "platform/mfc/dialogscript.h"
#include "platform/mfc/winapp.h"
#include "platform/registry/registry.h"
#include "platform/win32/folders.h"
#include "platform/winspool/printdc.h"
#include "support/ProgramGlobals.h"
#include "tests/photobooth/BoothTestSupport.h"
#include "tests/PrintedPdfs.h"
#include "tests/platform/winspool/cups_queue.h"

namespace fs = std::filesystem;

namespace {

std::string ReadFile(const std::string& path) {
  std::ifstream in(path);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::vector<std::string> Jpegs(const std::string& folder) {
  std::vector<std::string> out;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(folder, error))
    if (entry.path().extension() == ".jpg") out.push_back(entry.path().filename().string());
  std::sort(out.begin(), out.end());
  return out;
}

LONGLONG g_clock = 0;
int g_sleeps = 0;
LONGLONG FakeNow() { return g_clock; }
void FakeSleep(DWORD milliseconds) {
  ++g_sleeps;
  g_clock += milliseconds >= 500 ? 1 : 0;
}

std::atomic<int> g_pagesStarted{0};
int g_failPagesFrom = 0;  // StartPage fails from this page on (1-based); 0 never
int FailingStartPage(HDC dc) {
  int page = ++g_pagesStarted;
  if (g_failPagesFrom > 0 && page >= g_failPagesFrom) return SP_ERROR;
  return StartPage(dc);
}

// A booth window that writes down the screens it is asked for.
class CScreenRecordingBooth : public CFullscreenDlg {
 public:
  using CFullscreenDlg::CFullscreenDlg;
  void ShowScreen(const char* path, int flag) override {
    m_screens.push_back(fs::path(path ? path : "").filename().string());
    CFullscreenDlg::ShowScreen(path, flag);
  }
  std::vector<std::string> m_screens;
};

class PhotoboothProcessingWorkerTest : public ViewTestBase {
 protected:
  void SetUp() override {
    ViewTestBase::SetUp();
    SelectPdfPrinter(100);
    fs::remove_all(PrintsFolder());
    m_shots = TestFolder() + "/worker-shots";
    fs::remove_all(m_shots);
    fs::create_directories(m_shots);
    m_images = TestFolder() + "/worker-booth";
    fs::remove_all(m_images);
    fs::create_directories(m_images);
    m_view->m_strDirectory = m_shots.c_str();
    m_view->m_bYear = m_view->m_bMonth = m_view->m_bDay = FALSE;
    m_view->m_strPhotoboothImageDir = m_images.c_str();
    m_view->m_strPhotoboothImagesDir = m_images.c_str();
    m_view->m_bPhotoboothActive = true;
    m_view->m_nNumberOfPhotoboothImages = 2;
    m_view->m_bPhotoboothCustomLayout = FALSE;
    m_view->m_nPhotoboothNumberOfRows = 2;
    m_view->m_nPhotoboothNumberOfColumns = 1;
    m_view->m_strPhotoboothOutputFilename = "";
    m_view->m_nPhotoboothPrintCopies = 1;
    m_view->m_nPhotoboothSaveJpegCopyOfPrints = 1;
    for (int i = 0; i < 2; ++i) AddPhoto("IMG_000" + std::to_string(i + 1) + ".JPG");
    HKEY key = OpenProductKey();
    DWORD counter = 100;
    RegSetValueExA(key, "PhotoboothPrintCounter", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&counter),
                   sizeof(counter));
    RegCloseKey(key);
    m_confirmCalls = 0;
    g_pagesStarted = 0;
    g_failPagesFrom = 0;
    PhotoboothProcessingWorker::s_pfnStartPage = FailingStartPage;
  }
  void TearDown() override {
    PhotoboothProcessingWorker::s_confirmScreen = PhotoboothProcessingWorker::RunConfirmPrintingScreen;
    PhotoboothProcessingWorker::s_sharingScreen = PhotoboothProcessingWorker::RunSharingScreen;
    ClearDialogScripts();
    PhotoboothProcessingWorker::s_pfnStartPage = StartPage;
    PhotoboothProcessingWorker::s_pfnNow = [] { return static_cast<LONGLONG>(time(nullptr)); };
    PhotoboothProcessingWorker::s_pfnSleep = [](DWORD ms) { Sleep(ms); };
    fs::remove_all(PrintsFolder());
    ViewTestBase::TearDown();
  }
  void AddPhoto(const std::string& name) {
    std::string path = WriteTestPhoto("worker-shots/" + name);
    m_view->m_images.emplace_back(CString(path.c_str()));
  }
  /// A confirm screen that answers `result` with `copies`.
  void Confirm(int result, int copies = -1) {
    m_view->m_bPhotoboothConfirmPrinting = TRUE;
    PhotoboothProcessingWorker::s_confirmScreen = [this, result, copies](ConfirmPrintingRequest& request) {
      ++m_confirmCalls;
      m_confirmBackground = request.background.GetString();
      if (copies > 0) request.copies = copies;
      return result;
    };
  }
  std::string RecordText() { return ReadFile(m_shots + "/IMG_0001.xml"); }
  std::string Prints() { return m_shots + "/prints"; }

  std::string m_shots, m_images;
  std::atomic<int> m_confirmCalls{0};
  std::string m_confirmBackground;
};

}  // namespace

TEST_F(PhotoboothProcessingWorkerTest, OutputModesDecideWhatIsSavedAndPrinted) {
  struct Row {
    int output;
    bool pdf;
    bool page;
    bool outputElement;
  } rows[] = {{0, true, false, false}, {1, true, true, true}, {2, false, true, true}, {3, false, false, false}};
  for (const Row& row : rows) {
    SCOPED_TRACE("output " + std::to_string(row.output));
    fs::remove_all(PrintsFolder());
    fs::remove_all(Prints());
    fs::remove(m_shots + "/IMG_0001.xml");
    m_view->m_nPhotoboothSaveJpegCopyOfPrints = row.output;
    m_view->m_nPhotoboothPrintCopies = 2;
    ASSERT_TRUE(m_view->StartPhotoboothProcessingIfReady(false));
    EXPECT_FALSE(m_view->m_bProcessingUnderWay);
    EXPECT_EQ(row.pdf ? 1u : 0u, Pdfs().size());
    if (row.pdf && !Pdfs().empty()) { EXPECT_EQ(2, PdfPages(Pdfs()[0])); }
    EXPECT_EQ(row.page ? 1u : 0u, Jpegs(Prints()).size());
    std::string record = RecordText();
    EXPECT_NE(std::string::npos, record.find("<prints>2</prints>")) << record;
    EXPECT_EQ(row.outputElement, record.find("<output>prints") != std::string::npos) << record;
    if (row.page) { EXPECT_EQ(m_view->m_strLastPrintPath, CString((Prints() + "/" + Jpegs(Prints())[0]).c_str())); }
  }
  EXPECT_TRUE(GetShownMessageBoxes().empty());
}

TEST_F(PhotoboothProcessingWorkerTest, ConfirmAnswersTable) {
  struct Row {
    const char* name;
    int result;
    BOOL saveRejected;
    bool pdf, page, copy;
    const char* prints;
  } rows[] = {
      {"print", 1, FALSE, true, true, true, "<prints>1</prints>"},
      {"print without the copy JPEG", 40, FALSE, true, true, false, "<prints>1</prints>"},
      {"cancel saves nothing", 2, FALSE, false, false, false, "<prints>0</prints>"},
      {"cancel with save-rejected keeps the page", 2, TRUE, false, true, true, "<prints>0</prints>"},
  };
  CFullscreenDlg booth(m_view, 1);
  ASSERT_TRUE(booth.Create(IDD_FULLSCREEN, m_view));
  m_view->m_pFullscreenDlg = &booth;
  m_view->m_bPhotoboothCopyJpegPrint = TRUE;
  m_view->m_strPhotoboothCopyJpegPrintDir = "";
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    fs::remove_all(PrintsFolder());
    fs::remove_all(Prints());
    fs::remove_all(m_shots + "/copy");
    m_view->m_bPhotoboothSaveLayoutEvenIfRejected = row.saveRejected;
    Confirm(row.result);
    ASSERT_TRUE(m_view->StartPhotoboothProcessingIfReady(false));
    EXPECT_EQ(1, m_confirmCalls.exchange(0));
    EXPECT_EQ(m_images + "/confirm_printing.jpg", m_confirmBackground);
    EXPECT_EQ(row.pdf ? 1u : 0u, Pdfs().size());
    EXPECT_EQ(row.page ? 1u : 0u, Jpegs(Prints()).size());
    EXPECT_EQ(row.copy ? 1u : 0u, Jpegs(m_shots + "/copy").size());
    EXPECT_NE(std::string::npos, RecordText().find(row.prints)) << RecordText();
  }
  m_view->m_pFullscreenDlg = nullptr;
  booth.DestroyWindow();
}

TEST_F(PhotoboothProcessingWorkerTest, CopiesChosenOnTheConfirmScreenPrintInOneJobAndStay) {
  CFullscreenDlg booth(m_view, 1);
  ASSERT_TRUE(booth.Create(IDD_FULLSCREEN, m_view));
  m_view->m_pFullscreenDlg = &booth;
  Confirm(IDOK, 3);
  ASSERT_TRUE(m_view->StartPhotoboothProcessingIfReady(false));
  m_view->m_pFullscreenDlg = nullptr;
  booth.DestroyWindow();
  EXPECT_EQ(3, m_view->m_nPhotoboothPrintCopies);
  ASSERT_EQ(1u, Pdfs().size());
  EXPECT_EQ(3, PdfPages(Pdfs()[0]));
  EXPECT_EQ(97u, UpdatePhotoboothPrintCounter(0));
}

TEST_F(PhotoboothProcessingWorkerTest, AFailedStartPageEndsTheCopiesAndChargesOnlyPagesPrinted) {
  m_view->m_nPhotoboothPrintCopies = 3;
  g_failPagesFrom = 2;
  ASSERT_TRUE(m_view->StartPhotoboothProcessingIfReady(false));
  EXPECT_EQ(2, g_pagesStarted.load());
  ASSERT_EQ(1u, Pdfs().size());
  EXPECT_EQ(1, PdfPages(Pdfs()[0]));
  EXPECT_EQ(99u, UpdatePhotoboothPrintCounter(0));
}

TEST_F(PhotoboothProcessingWorkerTest, NoPrinterIsReportedAndNothingIsSaved) {
  AfxGetApp()->SelectPrinter(AfxMakeDevNames("winspool", "No Such Printer", "", 0), nullptr, TRUE);
  ASSERT_TRUE(m_view->StartPhotoboothProcessingIfReady(false));
  ASSERT_EQ(1u, GetShownMessageBoxes().size());
  EXPECT_EQ("Error preparing images for printing:\nUnable to connect to printer to print images",
            GetShownMessageBoxes()[0].text);
  EXPECT_EQ(UINT(MB_ICONERROR), GetShownMessageBoxes()[0].icon);
  EXPECT_TRUE(Jpegs(Prints()).empty());
}

TEST_F(PhotoboothProcessingWorkerTest, ExistingPagesGetNumberedNames) {
  m_view->m_nPhotoboothSaveJpegCopyOfPrints = 2;
  ASSERT_TRUE(m_view->StartPhotoboothProcessingIfReady(false));
  ASSERT_TRUE(m_view->StartPhotoboothProcessingIfReady(false));
  ASSERT_TRUE(m_view->StartPhotoboothProcessingIfReady(false));
  std::vector<std::string> names = Jpegs(Prints());
  ASSERT_EQ(3u, names.size());
  std::string base = names[0].substr(0, names[0].size() - 4);
  EXPECT_EQ(15u, base.size()) << base;  // yyyymmdd_hhmmss
  EXPECT_EQ(base + "_1.jpg", names[1]);
  EXPECT_EQ(base + "_2.jpg", names[2]);
}

TEST_F(PhotoboothProcessingWorkerTest, MinimumDurationKeepsTheRunOnTheClock) {
  m_view->m_nPhotoboothSaveJpegCopyOfPrints = 3;
  m_view->m_nPhotoboothMinProcessingDuration = 10;
  g_clock = 1000000;
  g_sleeps = 0;
  PhotoboothProcessingWorker::s_pfnNow = FakeNow;
  PhotoboothProcessingWorker::s_pfnSleep = FakeSleep;
  ASSERT_TRUE(m_view->StartPhotoboothProcessingIfReady(false));
  EXPECT_EQ(1000010, g_clock);
  EXPECT_GE(g_sleeps, 10);
}

TEST_F(PhotoboothProcessingWorkerTest, StartIsRefusedWhileNotReady) {
  struct Row {
    const char* name;
    std::function<void(CMyQuilletView*)> setup;
  } rows[] = {
      {"busy camera", [](CMyQuilletView* v) { v->m_bBusy = true; }},
      {"photobooth mode off", [](CMyQuilletView* v) { v->m_bPhotoboothActive = false; }},
      {"a sequence counts", [](CMyQuilletView* v) { v->m_nShotsLeft = 0; }},
      {"too few photos", [](CMyQuilletView* v) { v->m_nNumberOfPhotoboothImages = 3; }},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    m_view->m_bBusy = false;
    m_view->m_bPhotoboothActive = true;
    m_view->m_nShotsLeft = -1;
    m_view->m_nNumberOfPhotoboothImages = 2;
    row.setup(m_view);
    EXPECT_FALSE(m_view->StartPhotoboothProcessingIfReady(false));
    EXPECT_FALSE(m_view->m_bReprint);
  }
  m_view->m_bBusy = false;
  m_view->m_nShotsLeft = -1;
  m_view->m_nNumberOfPhotoboothImages = 2;
  EXPECT_FALSE(fs::exists(Prints()));
}

TEST_F(PhotoboothProcessingWorkerTest, ReprintTable) {
  CScreenRecordingBooth booth(m_view, 1);
  ASSERT_TRUE(booth.Create(IDD_FULLSCREEN, m_view));
  m_view->m_pFullscreenDlg = &booth;
  WriteJpeg(m_images + "/reprinting.jpg", 64, 48, QColor(10, 10, 10));
  m_view->m_nPhotoboothSaveJpegCopyOfPrints = 1;
  ASSERT_TRUE(m_view->StartPhotoboothProcessingIfReady(false));
  ASSERT_FALSE(m_view->m_strLastPrintPath.IsEmpty());
  ASSERT_TRUE(booth.IsReadyScreen());
  Confirm(2);  // the confirm screen must never come with a reprint
  struct Row {
    const char* name;
    int output;
    bool deleteLast;
    size_t pdfs;
    bool newPage;  // the session was processed again
    bool reprintingScreen;
  } rows[] = {
      {"print and save: the saved page again", 1, false, 1, false, true},
      {"saved page gone: processed again", 1, true, 1, true, true},
      {"print only: processed again", 0, false, 1, false, true},
      {"JPEG only: nothing", 2, false, 0, false, false},
      {"none: nothing", 3, false, 0, false, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    fs::remove_all(PrintsFolder());
    m_view->m_nPhotoboothSaveJpegCopyOfPrints = row.output;
    m_view->m_nPhotoboothPrintCopies = 2;
    if (row.deleteLast) fs::remove(m_view->m_strLastPrintPath.GetString());
    size_t pagesBefore = Jpegs(Prints()).size();
    booth.m_screens.clear();
    m_view->StartReprint();
    EXPECT_FALSE(m_view->m_bProcessingUnderWay);
    EXPECT_FALSE(m_view->m_bReprint);
    EXPECT_EQ(row.pdfs, Pdfs().size());
    if (!Pdfs().empty()) { EXPECT_EQ(2, PdfPages(Pdfs()[0])); }
    EXPECT_EQ(0, m_confirmCalls.load());
    EXPECT_EQ(row.newPage ? pagesBefore + 1 : pagesBefore, Jpegs(Prints()).size());
    bool reprinting = std::find(booth.m_screens.begin(), booth.m_screens.end(), "reprinting.jpg") != booth.m_screens.end();
    EXPECT_EQ(row.reprintingScreen, reprinting);
  }
  m_view->m_pFullscreenDlg = nullptr;
  booth.DestroyWindow();
  EXPECT_TRUE(GetShownMessageBoxes().empty());
}

TEST_F(PhotoboothProcessingWorkerTest, TheFastReprintTurnsThePageToThePaper) {
  // A landscape page file reprinted on portrait paper lands turned: the PDF page stays portrait
  // and the picture fills it.
  m_view->m_nPhotoboothSaveJpegCopyOfPrints = 1;
  std::string wide = m_shots + "/wide.jpg";
  WriteJpeg(wide, 600, 300, QColor(200, 0, 0));
  m_view->m_strLastPrintPath = wide.c_str();
  m_view->StartReprint();
  ASSERT_EQ(1u, Pdfs().size());
  EXPECT_EQ(1, PdfPages(Pdfs()[0]));
  std::string png = m_shots + "/reprint-page";
  ASSERT_EQ(0, std::system(("pdftoppm -r 20 -png -singlefile '" + Pdfs()[0] + "' '" + png + "'").c_str()));
  QImage page(QString::fromStdString(png + ".png"));
  ASSERT_FALSE(page.isNull());
  EXPECT_LT(page.width(), page.height());
  QColor middle = page.pixelColor(page.width() / 2, page.height() / 2);
  QColor nearTop = page.pixelColor(page.width() / 2, page.height() / 10);
  EXPECT_GT(middle.red(), 150);
  EXPECT_GT(nearTop.red(), 150);  // unturned, the wide picture would leave the top of the page blank
  EXPECT_LT(nearTop.green(), 80);
}

TEST_F(PhotoboothProcessingWorkerTest, TheFastReprintHoldsTheProcessingFlag) {
  m_view->m_nPhotoboothSaveJpegCopyOfPrints = 1;
  ASSERT_TRUE(m_view->StartPhotoboothProcessingIfReady(false));
  static std::atomic<int> s_flagDuringPrint{-1};
  static CMyQuilletView* s_view = nullptr;
  s_view = m_view;
  s_flagDuringPrint = -1;
  PhotoboothProcessingWorker::s_pfnStartPage = [](HDC dc) {
    s_flagDuringPrint = s_view->m_bProcessingUnderWay ? 1 : 0;
    return StartPage(dc);
  };
  m_view->StartReprint();
  EXPECT_EQ(1, s_flagDuringPrint.load());
  EXPECT_FALSE(m_view->m_bProcessingUnderWay);
}

TEST_F(PhotoboothProcessingWorkerTest, TheConfirmScreenAnswersByKey) {
  CFullscreenDlg booth(m_view, 1);
  ASSERT_TRUE(booth.Create(IDD_FULLSCREEN, m_view));
  m_view->m_pFullscreenDlg = &booth;
  m_view->m_bPhotoboothConfirmPrinting = TRUE;
  m_view->m_bPhotoboothCopyJpegPrint = TRUE;
  m_view->m_strPhotoboothCopyJpegPrintDir = "";
  WriteJpeg(m_images + "/confirm_printing.jpg", 320, 240, QColor(30, 30, 30));
  struct Row {
    const char* name;
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    int pages;  // 0: nothing printed
    bool page, copy;
  } rows[] = {
      {"A confirms", Qt::Key_A, Qt::NoModifier, 1, true, true},
      {"X cancels", Qt::Key_X, Qt::NoModifier, 0, false, false},
      {"P confirms without the copy JPEG", Qt::Key_P, Qt::NoModifier, 1, true, false},
      {"Ctrl+3 confirms three copies", Qt::Key_3, Qt::ControlModifier, 3, true, true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    fs::remove_all(PrintsFolder());
    fs::remove_all(Prints());
    fs::remove_all(m_shots + "/copy");
    m_view->m_nPhotoboothPrintCopies = 1;
    bool shown = false;
    PushDialogScript(DialogScript(IDD_CONFIRM_PRINTING).Call([&](CDialog* dialog) {
      shown = static_cast<CConfirmPrintingDlg*>(dialog)->m_image.GetWidth() > 0;
      Activate(dialog->m_hWnd);
      PressKey(dialog->m_hWnd, row.key, row.modifiers);
    }));
    ASSERT_TRUE(m_view->StartPhotoboothProcessingIfReady(false));
    EXPECT_TRUE(shown);  // the composed page was on the screen
    EXPECT_EQ(row.pages ? 1u : 0u, Pdfs().size());
    if (row.pages && !Pdfs().empty()) { EXPECT_EQ(row.pages, PdfPages(Pdfs()[0])); }
    EXPECT_EQ(row.page ? 1u : 0u, Jpegs(Prints()).size());
    EXPECT_EQ(row.copy ? 1u : 0u, Jpegs(m_shots + "/copy").size());
  }
  m_view->m_pFullscreenDlg = nullptr;
  booth.DestroyWindow();
}

TEST_F(PhotoboothProcessingWorkerTest, PrintOnlySharesATemporaryPageAndRemovesIt) {
  CFullscreenDlg booth(m_view, 1);
  ASSERT_TRUE(booth.Create(IDD_FULLSCREEN, m_view));
  m_view->m_pFullscreenDlg = &booth;
  m_view->m_nPhotoboothSaveJpegCopyOfPrints = 0;
  m_view->m_bPrintOptionInSharingScreen = TRUE;
  std::string shared, background;
  bool existed = false;
  PushDialogScript(DialogScript(IDD_CONFIRM_PRINTING).Call([&](CDialog* dialog) {
    auto* screen = static_cast<CConfirmPrintingDlg*>(dialog);
    shared = screen->m_strImagePath.GetString();
    background = screen->m_strBackgroundPath.GetString();
    existed = fs::exists(shared) && screen->m_image.GetWidth() > 0;
    Activate(dialog->m_hWnd);
    PressKey(dialog->m_hWnd, Qt::Key_X);  // close the sharing screen
  }));
  ASSERT_TRUE(m_view->StartPhotoboothProcessingIfReady(false));
  m_view->m_pFullscreenDlg = nullptr;
  booth.DestroyWindow();
  EXPECT_EQ(m_images + "/share.jpg", background);
  EXPECT_TRUE(existed) << shared;
  EXPECT_FALSE(fs::exists(shared));           // gone once the screen closed
  EXPECT_TRUE(Jpegs(Prints()).empty());       // "Print Only" keeps no page
  EXPECT_EQ(1u, Pdfs().size());               // and prints it after the sharing screen
}

TEST_F(PhotoboothProcessingWorkerTest, ASessionPrintsItsCopiesAsOneJobOnACupsQueue) {
  if (!CupsTestQueueListed())
    GTEST_SKIP() << "cupsd is not reachable or has no " << kCupsTestQueue << " queue; run scripts/start-cups as root";
  DEVMODEA mode{};
  std::strcpy(reinterpret_cast<char*>(mode.dmDeviceName), kCupsTestQueue);
  mode.dmSpecVersion = DM_SPECVERSION;
  mode.dmSize = sizeof(DEVMODEA);
  mode.dmFields = DM_ORIENTATION | DM_PAPERWIDTH | DM_PAPERLENGTH | DM_PRINTQUALITY | DM_YRESOLUTION | DM_COPIES;
  mode.dmOrientation = DMORIENT_PORTRAIT;
  mode.dmPaperSize = DMPAPER_USER;
  mode.dmPaperWidth = 1030;
  mode.dmPaperLength = 1550;
  mode.dmPrintQuality = mode.dmYResolution = 100;
  mode.dmCopies = 1;
  HGLOBAL devMode = GlobalAlloc(GHND, sizeof(mode));
  std::memcpy(GlobalLock(devMode), &mode, sizeof(mode));
  GlobalUnlock(devMode);
  AfxGetApp()->SelectPrinter(AfxMakeDevNames("winspool", kCupsTestQueue, "", 0), devMode, TRUE);
  std::set<std::string> before;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(kCupsTestOutput, error)) before.insert(entry.path().string());

  m_view->m_nPhotoboothSaveJpegCopyOfPrints = 0;
  m_view->m_nPhotoboothPrintCopies = 2;
  ASSERT_TRUE(m_view->StartPhotoboothProcessingIfReady(false));
  EXPECT_TRUE(GetShownMessageBoxes().empty());
  EXPECT_TRUE(Pdfs().empty()) << "nothing on the built-in printer";
  EXPECT_EQ(98u, UpdatePhotoboothPrintCounter(0));

  // cups-pdf names the file after the job's title and writes it once the job has passed its
  // filters. Other runs may print on the same queue: the job of both copies is one new file
  // of the title with two pages (two jobs would leave two one-page files).
  std::string twoPages;
  for (int i = 0; i < 900 && twoPages.empty(); ++i) {
    for (const auto& entry : fs::directory_iterator(kCupsTestOutput, error)) {
      std::string path = entry.path().string();
      if (entry.path().extension() == ".pdf" && !before.count(path) &&
          path.find("Photobooth_Edition") != std::string::npos && PdfPages(path) == 2)
        twoPages = path;
    }
    if (twoPages.empty()) std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  ASSERT_FALSE(twoPages.empty()) << "no two-page PDF of the job in " << kCupsTestOutput;
  fs::remove(twoPages);
}

namespace {

// A progress window that writes down where it stands whenever the worker sends a text.
class CPlacedProgressDlg : public CProgressDlg2 {
 public:
  using CProgressDlg2::CProgressDlg2;
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == WM_PROGRESS_TEXT) {
      CRect window;
      GetWindowRect(&window);
      m_tops.push_back(window.top);
    }
    return CProgressDlg2::WindowProc(message, wParam, lParam);
  }
  std::vector<int> m_tops;
};

}  // namespace

TEST_F(PhotoboothProcessingWorkerTest, TheProgressWindowStandsAtItsStoredVerticalPosition) {
  int opened = -1;
  for (int position : {-1, 150}) {
    SCOPED_TRACE(position);
    CPlacedProgressDlg progress(m_view);
    progress.m_strTitle = "Tavorin";
    progress.m_nVerticalPos = position;
    CProgressDlg2* own = m_view->m_pProgressDlg2;
    m_view->m_pProgressDlg2 = &progress;
    m_view->m_bProcessingProgressEnded = false;
    auto worker = std::make_unique<PhotoboothProcessingWorker>(*m_view, false);
    std::atomic<bool> done{false};
    std::thread thread([&] {
      worker->Run();
      done = true;
    });
    PushDialogScript(DialogScript(IDD_PROGRESS2).RunUntil([&] { return done.load(); }));
    progress.DoModal();
    m_view->m_bProcessingProgressEnded = true;
    EXPECT_TRUE(PumpUntil([&] { return done.load(); }));  // the worker may still ask the view
    thread.join();
    worker.reset();
    m_view->m_pProgressDlg2 = own;
    ASSERT_GE(progress.m_tops.size(), 2u);  // "Preparing images for printing", then the steps
    if (position < 0) {
      opened = progress.m_tops.front();  // where the window opens by itself
      EXPECT_NE(150, opened);
    }
    for (int top : progress.m_tops) EXPECT_EQ(position < 0 ? opened : position, top);
  }
}

TEST_F(PhotoboothProcessingWorkerTest, OverTheBoothTheProgressWindowStandsInTheLowerArea) {
  CScreenRecordingBooth booth(m_view, 1);
  ASSERT_TRUE(booth.Create(IDD_FULLSCREEN, m_view));
  booth.SetWindowPos(nullptr, 0, 0, 1366, 768, SWP_NOZORDER);
  m_view->m_pFullscreenDlg = &booth;
  m_view->m_bPhotoboothConfirmPrinting = FALSE;
  CPlacedProgressDlg progress(m_view);
  CProgressDlg2* own = m_view->m_pProgressDlg2;
  m_view->m_pProgressDlg2 = &progress;
  PushDialogScript(DialogScript(IDD_PROGRESS2).RunUntil([] { return false; }));  // until the worker closes it
  ASSERT_TRUE(m_view->StartPhotoboothProcessingIfReady(false));
  m_view->m_pProgressDlg2 = own;
  m_view->m_pFullscreenDlg = nullptr;
  CRect client;
  booth.GetClientRect(&client);
  CPoint origin(0, 0);
  booth.ClientToScreen(&origin);
  booth.DestroyWindow();
  ASSERT_GT(client.Height(), 0);
  ASSERT_GE(progress.m_tops.size(), 2u);  // "Preparing images for printing", then the steps
  // Below the screen's message line, which reaches down to three fifths of the booth window.
  for (int top : progress.m_tops) {
    EXPECT_GT(top, origin.y + client.Height() * 3 / 5);
    EXPECT_LT(top, origin.y + client.Height());
  }
}

TEST_F(PhotoboothProcessingWorkerTest, TheGifIsCutToWhatTheBoothsLiveViewShowed) {
  CScreenRecordingBooth booth(m_view, 1);
  ASSERT_TRUE(booth.Create(IDD_FULLSCREEN, m_view));
  booth.m_nLiveViewWidth = 320;
  booth.m_nLiveViewHeight = 240;
  m_view->m_pFullscreenDlg = &booth;
  m_view->m_bPhotoboothConfirmPrinting = FALSE;
  m_view->m_bPhotoboothEnableLiveView = TRUE;
  m_view->m_nPhotoboothEvfCrop = 40;
  m_view->m_bPhotoboothGifCreate = TRUE;
  m_view->m_nPhotoboothGifWidth = 100;
  ASSERT_TRUE(m_view->StartPhotoboothProcessingIfReady(false));
  m_view->m_pFullscreenDlg = nullptr;
  booth.DestroyWindow();
  // 320 x 240 photos less 40 of 320 at each side: a square, 100 wide.
  std::vector<std::string> gifs;
  for (const auto& entry : fs::directory_iterator(m_shots + "/GIF")) gifs.push_back(entry.path().string());
  ASSERT_EQ(gifs.size(), 1u);
  const std::string gif = ReadFile(gifs[0]);
  ASSERT_GE(gif.size(), 10u);
  const int width = BYTE(gif[6]) | BYTE(gif[7]) << 8, height = BYTE(gif[8]) | BYTE(gif[9]) << 8;
  EXPECT_EQ(100, width);
  EXPECT_EQ(100, height);
}

TEST_F(PhotoboothProcessingWorkerTest, WithoutACameraThePageGoesUnderTodaysDatedFolder) {
  ASSERT_EQ(m_view->m_pCamera, nullptr);
  m_view->m_bYear = m_view->m_bMonth = m_view->m_bDay = TRUE;
  m_view->m_bFlattenDate = FALSE;
  ASSERT_TRUE(m_view->StartPhotoboothProcessingIfReady(false));
  const time_t now = time(nullptr);
  struct tm today {};
  localtime_r(&now, &today);
  char dated[32];
  std::snprintf(dated, sizeof dated, "/%04d/%02d/%02d", today.tm_year + 1900, today.tm_mon + 1, today.tm_mday);
  EXPECT_EQ(1u, Jpegs(m_shots + dated + "/prints").size());
  EXPECT_TRUE(Jpegs(Prints()).empty());
  EXPECT_EQ(m_view->m_strLastPrintPath.Find((m_shots + dated + "/prints/").c_str()), 0);
}

TEST_F(PhotoboothProcessingWorkerTest, SharingTextsSpeakOfThePage) {
  CScreenRecordingBooth booth(m_view, 1);
  ASSERT_TRUE(booth.Create(IDD_FULLSCREEN, m_view));
  m_view->m_pFullscreenDlg = &booth;
  m_view->m_bPhotoboothConfirmPrinting = FALSE;
  m_view->m_bPrintOptionInSharingScreen = TRUE;
  std::string original, page;
  PhotoboothProcessingWorker::s_sharingScreen = [&](SharingRequest& request) {
    CString value;
    request.tokens.Lookup("%o", value);
    original = value.GetString();
    page = request.pagePath.GetString();
    return true;  // printed from the sharing screen
  };
  ASSERT_TRUE(m_view->StartPhotoboothProcessingIfReady(false));
  m_view->m_pFullscreenDlg = nullptr;
  booth.DestroyWindow();
  ASSERT_FALSE(page.empty());
  EXPECT_EQ(fs::path(page).stem().string(), original);
  EXPECT_NE("IMG_0001", original);
}

// A page that could not be saved or printed: the operator is told why, the counter is charged
// for no page, and the session record written before says in the end what really happened.
TEST_F(PhotoboothProcessingWorkerTest, AFailedSaveOrPrintIsReportedUnchargedAndRecordedAsItWas) {
  struct Row {
    const char* name;
    int output;
    bool fullDisk;     // the built-in PDF printer's file hits a file-size limit
    bool blockPrints;  // a file where the prints folder goes
    const char* reason;
  } rows[] = {
      {"PDF printer on a full disk", 0, true, false, "The printer did not accept the job"},
      {"prints folder not writable", 1, false, true, "Unable to save "},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    ClearMessageBoxes();
    fs::remove_all(PrintsFolder());
    fs::remove_all(Prints());
    fs::remove(m_shots + "/IMG_0001.xml");
    if (row.blockPrints) std::ofstream(Prints()) << "a file";
    m_view->m_nPhotoboothSaveJpegCopyOfPrints = row.output;
    m_view->m_nPhotoboothPrintCopies = 2;
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    if (row.fullDisk) {
      signal(SIGXFSZ, SIG_IGN);
      rlimit limited{6000, old.rlim_max};
      ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
    }
    const bool started = m_view->StartPhotoboothProcessingIfReady(false);
    setrlimit(RLIMIT_FSIZE, &old);
    fs::remove(Prints());
    ASSERT_TRUE(started);
    auto boxes = GetShownMessageBoxes();
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ(0u, boxes[0].text.rfind(std::string("Error preparing images for printing:\n") + row.reason, 0))
        << boxes[0].text;
    EXPECT_EQ(UINT(MB_ICONERROR), boxes[0].icon);
    EXPECT_TRUE(Pdfs().empty());
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(PrintsFolder(), error))
      ADD_FAILURE() << "left behind: " << entry.path();
    EXPECT_EQ(100u, UpdatePhotoboothPrintCounter(0));
    std::string record = RecordText();
    EXPECT_NE(std::string::npos, record.find("<prints>0</prints>")) << record;
    EXPECT_EQ(std::string::npos, record.find("<output>")) << record;
  }
}

// A logout (SIGTERM) during printing: the copies stop at once so the close can finish, and no
// page is charged for the job that was dropped.
TEST_F(PhotoboothProcessingWorkerTest, ASignalStopsThePrintOfTheCopies) {
  AfxCloseMainWindowOnSignals();
  HDC printer = CreateApplicationPrinterDC();
  ASSERT_NE(nullptr, printer);
  PipSession page;
  ASSERT_TRUE(cNewImage(page.m_hSession, 200, 300, RGB(200, 30, 30)));
  ASSERT_TRUE(PhotoboothProcessingWorker::StartPrintJob(printer));
  raise(SIGTERM);  // the handler only notes it and asks the main window to close
  const int printed = PhotoboothProcessingWorker::PrintCopies(printer, page.m_hSession, 200, 300, 9);
  DeleteDC(printer);
  EXPECT_EQ(0, printed);
  EXPECT_EQ(0, g_pagesStarted.load());
  EXPECT_TRUE(Pdfs().empty());
  EXPECT_EQ(100u, UpdatePhotoboothPrintCounter(0));
}
