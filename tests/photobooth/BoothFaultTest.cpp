// A booth session whose shot fails at the camera, in the download or in the save: the session
// ends with a box over the booth and the booth goes back to its start; no page is composed from
// an earlier guest's photos and nothing is printed. The session is started with F4 on the
// booth window over a threaded simulated camera, after a good session of an earlier guest.
#include <filesystem>
#include <fstream>

#include "tests/photobooth/BoothViewFixture.h"

namespace fs = std::filesystem;

namespace {

struct FaultRow {
  const char* name;
  const char* function;  // the SDK call that fails, or NULL: the save fails instead
  DWORD code;
  const char* box;  // what the box over the booth says
};
void PrintTo(const FaultRow& row, std::ostream* out) { *out << row.name; }

class BoothFaultTest : public BoothViewFixture<CFullscreenDlg, ::testing::TestWithParam<FaultRow>> {
 protected:
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(OpenView(1000000));
    FreshPhotosAndPrints("fault-photos", 100);
    ASSERT_NO_FATAL_FAILURE(ConnectCamera());
    OpenTwoShotBooth("fault-booth");
  }
  // F4 on the booth window, as the guest's start key arrives.
  void StartWithF4() {
    Activate(m_booth->m_hWnd);
    PressKey(m_booth->m_hWnd, Qt::Key_F4);
  }
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
