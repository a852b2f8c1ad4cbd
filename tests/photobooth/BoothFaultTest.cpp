// A booth session whose shot fails at the camera, in the download or in the save: the session
// ends with a box over the booth and the booth goes back to its start; no page is composed from
// an earlier guest's photos and nothing is printed. The session is started with F4 on the
// booth window over a threaded simulated camera, after a good session of an earlier guest.
#include <filesystem>
#include <fstream>

#include "photobooth/FullscreenDlg.h"
#include "platform/mfc/dialogscript.h"
#include "tests/PrintedPdfs.h"
#include "tests/photobooth/BoothTestSupport.h"

namespace fs = std::filesystem;

namespace {

ULONGLONG g_ticks = 0;
ULONGLONG TestTicks() { return g_ticks; }

struct FaultRow {
  const char* name;
  const char* function;  // the SDK call that fails, or NULL: the save fails instead
  DWORD code;
  const char* box;  // what the box over the booth says
};
void PrintTo(const FaultRow& row, std::ostream* out) { *out << row.name; }

class BoothFaultTest : public ::testing::TestWithParam<FaultRow> {
 protected:
  void SetUp() override {
    ClearProductKey();
    ClearMessageBoxes();
    ResetSimulator({SimModel("Canon PowerShot G9")}, true);
    CMyQuilletView::s_nConnectSettleMs = 0;
    CMyQuilletView::s_pfnTicks = TestTicks;
    g_ticks = 1000000;
    m_harness = std::make_unique<ViewHarness>();
    ASSERT_NE(nullptr, m_harness->m_view);
    m_view = m_harness->m_view;
    SelectPdfPrinter(100);
    fs::remove_all(PrintsFolder());
    m_photos = TestFolder() + "/fault-photos";
    fs::remove_all(m_photos);
    m_view->m_strDirectory = m_photos.c_str();
    m_view->m_bYear = m_view->m_bMonth = m_view->m_bDay = FALSE;
    PushDialogScript(DialogScript(IDD_PROGRESS).RunUntil([] { return false; }));
    m_view->StartCameraConnection();
    ClearDialogScripts();
    ASSERT_NE(nullptr, m_view->m_pCamera);

    fs::path images = FreshBoothFolder("fault-booth");
    for (const char* screen : {"ready.jpg", "1.jpg", "2.jpg", "taking.jpg", "processing.jpg"})
      WriteJpeg(images / screen, 160, 120, QColor(40, 40, 90));
    m_view->m_strPhotoboothImageDir = images.string().c_str();
    m_view->m_nNumberOfPhotoboothImages = 2;
    m_view->m_nPhotoboothInterval = 1;
    m_view->m_nPhotoboothPreviewTime = 0;
    m_view->m_nPhotoboothSaveJpegCopyOfPrints = 1;
    m_view->m_nPhotoboothPrintCopies = 1;
    m_view->m_bPhotoboothGifCreate = FALSE;
    m_view->m_bPhotoboothConfirmPrinting = FALSE;
    m_view->m_bPhotoboothActive = true;
    m_booth = std::make_unique<CFullscreenDlg>(m_view, 1);
    m_view->m_pFullscreenDlg = m_booth.get();
    m_view->m_bFullScreen = true;
    ASSERT_TRUE(m_booth->Create(IDD_FULLSCREEN, m_view));
  }
  void TearDown() override {
    if (m_booth) {
      m_view->m_pFullscreenDlg = nullptr;
      m_booth->DestroyWindow();
      m_booth.reset();
    }
    m_harness.reset();
    CMyQuilletView::s_pfnTicks = [] { return GetTickCount64(); };
    CMyQuilletView::s_nConnectSettleMs = 700;
    ClearDialogScripts();
    ClearMessageBoxes();
    ClearProductKey();
  }
  void Tick() {
    g_ticks += 50;
    m_view->SendMessage(WM_TIMER, 2, 0);
  }
  // F4 on the booth window, as the guest's start key arrives.
  void StartWithF4() {
    Activate(m_booth->m_hWnd);
    PressKey(m_booth->m_hWnd, Qt::Key_F4);
  }

  std::unique_ptr<ViewHarness> m_harness;
  CMyQuilletView* m_view = nullptr;
  std::unique_ptr<CFullscreenDlg> m_booth;
  std::string m_photos;
};

TEST_P(BoothFaultTest, TheSessionEndsWithABoxAndNoEarlierGuestIsPrinted) {
  const FaultRow& row = GetParam();
  // An earlier guest: two photos, one page, one print.
  StartWithF4();
  ASSERT_EQ(2, m_view->m_nShotsLeft);
  ASSERT_TRUE(PumpUntil(
      [&] {
        Tick();
        return m_view->m_nShotsLeft == -1 && !m_view->m_bProcessingUnderWay && !m_view->m_strLastPrintPath.IsEmpty();
      },
      120000));
  ASSERT_EQ(1u, Pdfs().size());
  ASSERT_TRUE(GetShownMessageBoxes().empty()) << GetShownMessageBoxes()[0].text;
  const size_t photosBefore = m_view->m_images.size();
  const CString earlierPage = m_view->m_strLastPrintPath;

  if (row.function) {
    tavsim::SimAddFault({row.function, 0, row.code});
  } else {
    // The photos folder behind a file: no save can succeed.
    std::ofstream(m_photos + "/blocked") << "a file";
    m_view->m_strDirectory = CString((m_photos + "/blocked/photos").c_str());
  }
  StartWithF4();
  ASSERT_EQ(2, m_view->m_nShotsLeft);
  const bool ended = PumpUntil(
      [&] {
        Tick();
        return m_view->m_nShotsLeft == -1 && !GetShownMessageBoxes().empty();
      },
      20000);
  ASSERT_TRUE(ended) << "the booth froze with " << m_view->m_nShotsLeft << " shots left";
  // Whatever the camera still delivers for the lost shot arrives and changes nothing.
  for (int i = 0; i < 100; ++i) {
    Tick();
    PumpWaitingMessages();
    Sleep(5);
  }
  auto boxes = GetShownMessageBoxes();
  ASSERT_EQ(1u, boxes.size());
  EXPECT_EQ(0, boxes[0].text.rfind(row.box, 0)) << boxes[0].text;
  EXPECT_EQ("Tavorin", boxes[0].caption);
  EXPECT_EQ(MB_ICONERROR, boxes[0].icon);
  EXPECT_TRUE(std::string(m_booth->m_strCurrentScreen.GetString()).ends_with("/ready.jpg"))
      << m_booth->m_strCurrentScreen.GetString();
  EXPECT_EQ(photosBefore, m_view->m_images.size());
  EXPECT_EQ(1u, Pdfs().size());
  EXPECT_EQ(earlierPage, m_view->m_strLastPrintPath);
  // Nor does a print command afterwards make a page of the earlier guest's photos.
  EXPECT_FALSE(m_view->StartPhotoboothProcessingIfReady(false));
  EXPECT_EQ(1u, Pdfs().size());
}

INSTANTIATE_TEST_SUITE_P(
    Faults, BoothFaultTest,
    ::testing::Values(FaultRow{"ReleaseRefused", "PR_RC_Release", 0x2002, "Error taking photo.\nError code=0x2002"},
                      FaultRow{"DownloadFails", "PR_RC_GetReleasedData", 0x2019, "Error saving image"},
                      FaultRow{"SaveFails", nullptr, 0, "Error saving image: folder not found"}),
    [](const ::testing::TestParamInfo<FaultRow>& info) { return std::string(info.param.name); });

}  // namespace
