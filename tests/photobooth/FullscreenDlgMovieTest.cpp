// Screen movies made by ffmpeg in the test; skipped when ffmpeg is missing.
#include <cstdlib>
#include <filesystem>

#include "photobooth/FullscreenDlg.h"
#include "platform/dshow/filtergraph.h"
#include "tests/photobooth/BoothTestSupport.h"

namespace {

namespace fs = std::filesystem;

bool HaveFfmpeg() { return std::system("ffmpeg -version > /dev/null 2>&1") == 0; }

// A test-pattern movie of `seconds` at 10 frames a second.
bool MakeMovie(const fs::path& path, int width, int height, double seconds) {
  std::string codec = path.extension() == ".mov" ? "-c:v mpeg4" : "-c:v libx264 -pix_fmt yuv420p";
  std::string command = "ffmpeg -v error -y -f lavfi -i testsrc=size=" + std::to_string(width) + "x" +
                        std::to_string(height) + ":rate=10 -t " + std::to_string(seconds) + " " + codec + " \"" +
                        path.string() + "\"";
  return std::system(command.c_str()) == 0 && fs::exists(path);
}

class FullscreenDlgMovieTest : public ViewTestBase {
 protected:
  void SetUp() override {
    if (!HaveFfmpeg()) GTEST_SKIP() << "ffmpeg is missing";
    ViewTestBase::SetUp();
    m_folder = FreshBoothFolder("movies");
    m_view->m_strPhotoboothImagesDir = m_folder.string().c_str();
    m_view->m_bPhotoboothActive = true;
    m_booth = std::make_unique<CFullscreenDlg>(m_view, 1);
    m_view->m_pFullscreenDlg = m_booth.get();
    ASSERT_TRUE(m_booth->Create(IDD_FULLSCREEN, m_view));
  }
  void TearDown() override {
    if (m_booth) {
      m_view->m_pFullscreenDlg = nullptr;
      m_booth->DestroyWindow();
      m_booth.reset();
    }
    ViewTestBase::TearDown();
  }
  std::string Screen(const char* name) { return (m_folder / name).string(); }
  void Show(const char* name) { m_booth->ShowScreen(Screen(name).c_str(), 1); }

  fs::path m_folder;
  std::unique_ptr<CFullscreenDlg> m_booth;
};

TEST_F(FullscreenDlgMovieTest, TheRemainingTimeCountsDownToZeroAndTheTakingScreenKeepsTheMovie) {
  ASSERT_TRUE(MakeMovie(m_folder / "1.mp4", 160, 120, 2));
  Show("1.jpg");
  ASSERT_NE(nullptr, m_booth->m_pMovie);
  int left = m_booth->GetMovieTimeRemaining();
  EXPECT_GT(left, 1000);
  EXPECT_LE(left, 2000);
  FilterGraph* movie = m_booth->m_pMovie.get();
  Show("taking.jpg");
  EXPECT_EQ(movie, m_booth->m_pMovie.get());
  ASSERT_TRUE(PumpUntil([&] { return m_booth->GetMovieTimeRemaining() == 0; }, 15000));
  EXPECT_GT(movie->FramesShown(), 0) << "the movie was drawn in the window";
  Show("2.jpg");  // any other screen ends it
  EXPECT_EQ(nullptr, m_booth->m_pMovie);
  EXPECT_EQ(-1, m_booth->GetMovieTimeRemaining());
}

TEST_F(FullscreenDlgMovieTest, ALoopMovieLoopsOnlyWhileNoSessionRuns) {
  ASSERT_TRUE(MakeMovie(m_folder / "ready_loop.mp4", 160, 120, 0.5));
  m_view->m_nShotsLeft = -1;
  m_booth->ShowScreen("", 0);
  Show("ready.jpg");
  ASSERT_NE(nullptr, m_booth->m_pMovie);
  EXPECT_TRUE(m_booth->m_bMovieLoop);
  // Past its end the timer starts it again.
  ASSERT_TRUE(PumpUntil([&] { return m_booth->GetMovieTimeRemaining() == 0; }, 15000));
  m_booth->SendMessage(WM_TIMER, TIMER_FULLSCREEN, 0);
  EXPECT_TRUE(PumpUntil([&] { return m_booth->GetMovieTimeRemaining() > 100; }, 15000));

  m_view->m_nShotsLeft = 2;
  m_booth->ShowScreen("", 0);
  Show("ready.jpg");
  ASSERT_NE(nullptr, m_booth->m_pMovie);
  EXPECT_FALSE(m_booth->m_bMovieLoop);
}

TEST_F(FullscreenDlgMovieTest, APlacedMovieNearTheRightEdgeKeepsItsAspect) {
  // As welcome_1900+0.mov on a 1920-pixel screen: 20 pixels from the right edge.
  CRect client;
  m_booth->GetClientRect(&client);
  int x = client.Width() - 20;
  ASSERT_TRUE(MakeMovie(m_folder / ("welcome_" + std::to_string(x) + "+0.mov"), 320, 240, 0.5));
  Show("welcome.jpg");
  ASSERT_NE(nullptr, m_booth->m_pMovie);
  CRect video(m_booth->m_videoRect);
  EXPECT_EQ(x, video.left);
  EXPECT_EQ(0, video.top);
  EXPECT_LE(video.Width(), 20);
  EXPECT_EQ(video.Width() * 240 / 320, video.Height());
}

TEST_F(FullscreenDlgMovieTest, AFileThatIsNoMovieIsReportedAndTheScreenStays) {
  std::ofstream(m_folder / "ready.mp4") << "not a movie";
  m_booth->ShowScreen("", 0);
  ClearMessageBoxes();
  Show("ready.jpg");
  EXPECT_EQ(nullptr, m_booth->m_pMovie);
  ASSERT_EQ(1u, GetShownMessageBoxes().size());
  EXPECT_EQ("ERROR: exception opening movie file:\n" + Screen("ready.mp4") + "\nERROR rendering file: unsupported format",
            GetShownMessageBoxes()[0].text);
  EXPECT_EQ(Screen("ready.jpg"), std::string(m_booth->m_strCurrentScreen.GetString()));
  EXPECT_NE(nullptr, m_booth->m_pScreenImage);
}

TEST_F(FullscreenDlgMovieTest, AMovieLeavesTheLiveViewBandFree) {
  CRect client;
  m_booth->GetClientRect(&client);
  m_view->m_nPhotoboothEvfMaxHeight = 300;
  m_view->m_nPhotoboothEvfYOffset = 40;
  struct Row {
    const char* name;
    BOOL liveView;
    const char* screen;
    int reserve;
  } rows[] = {
      {"live view on the ready screen", TRUE, "ready.jpg", 340},
      {"live view off", FALSE, "ready.jpg", 0},
      {"no live picture on the welcome screen", TRUE, "welcome.jpg", 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    m_view->m_bPhotoboothEnableLiveView = row.liveView;
    std::string stem = fs::path(row.screen).stem().string();
    fs::remove(m_folder / (stem + ".mp4"));
    ASSERT_TRUE(MakeMovie(m_folder / (stem + ".mp4"), 320, 240, 0.5));
    m_booth->ShowScreen("", 0);
    Show(row.screen);
    ASSERT_NE(nullptr, m_booth->m_pMovie);
    CRect video(m_booth->m_videoRect);
    EXPECT_GE(video.top, row.reserve) << "the movie stays below the band";
    // Centred in what is left below the band, as large as it fits.
    EXPECT_EQ(std::min<int>(client.Height() - row.reserve, 240), video.Height());
    EXPECT_EQ((client.Height() + row.reserve - video.Height()) / 2, video.top);
    fs::remove(m_folder / (stem + ".mp4"));
  }
}

}  // namespace
