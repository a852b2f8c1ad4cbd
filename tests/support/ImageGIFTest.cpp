#include "support/ImageGIF.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <chrono>
#include <filesystem>
#include <memory>
#include <thread>

#include "platform/user/paint.h"
#include "platform/user/winuser.h"
#include "tests/support/GifTestFiles.h"

namespace {

class GifFolder {
 public:
  GifFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "imagegif-test-XXXXXX").string();
    path_ = mkdtemp(pattern.data()) ? pattern : std::string();
  }
  ~GifFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  std::string File(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

HWND ShownWindow() {
  static bool registered = false;
  if (!registered) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.lpszClassName = "ImageGIFTestWindow";
    RegisterClassA(&wc);
    registered = true;
  }
  HWND hwnd = CreateWindowExA(0, "ImageGIFTestWindow", "gif", WS_OVERLAPPEDWINDOW, 0, 0, 200, 150, nullptr, nullptr,
                              nullptr, nullptr);
  ShowWindow(hwnd, SW_SHOW);
  return hwnd;
}

// Keeps the UI thread's events flowing until the condition holds or the time is up.
template <typename Condition>
bool WaitFor(Condition condition, int milliseconds) {
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
  while (!condition()) {
    if (std::chrono::steady_clock::now() > end) return false;
    QCoreApplication::processEvents();
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return true;
}

COLORREF WindowPixel(HWND hwnd, int x, int y) {
  HDC dc = GetDC(hwnd);
  COLORREF colour = dc ? GetPixel(dc, x, y) : CLR_INVALID;
  ReleaseDC(hwnd, dc);
  return colour;
}

}  // namespace

TEST(ImageGIFTest, ReadsFramesAndDelaysAndDeclinesASingleFrame) {
  GifFolder folder;
  ASSERT_TRUE(WriteSolidGif(folder.File("one.gif"), {0xffff0000u}, {}));
  ImageGIF one(folder.File("one.gif").c_str());
  EXPECT_EQ(one.GetWidth(), 40u);
  EXPECT_FALSE(one.InitAnimation());
  EXPECT_FALSE(one.InitAnimation());
  one.Play();
  EXPECT_FALSE(one.IsPlaying());

  ASSERT_TRUE(WriteSolidGif(folder.File("three.gif"), {0xffff0000u, 0xff00ff00u, 0xff0000ffu}, {7, 0, 250}));
  ImageGIF three(folder.File("three.gif").c_str());
  EXPECT_TRUE(three.InitAnimation());
  EXPECT_EQ(three.GetFrameCount(), 3u);
  EXPECT_EQ(three.GetFrameDelay(0), 7u);
  EXPECT_EQ(three.GetFrameDelay(1), 0u);
  EXPECT_EQ(three.GetFrameDelay(2), 250u);
  EXPECT_EQ(three.GetFrameDelay(3), 0u);

  ImageGIF missing(folder.File("missing.gif").c_str());
  EXPECT_FALSE(missing.InitAnimation());
  EXPECT_EQ(missing.GetWidth(), 0u);
}

TEST(ImageGIFTest, PlaysIntoTheWindowRectangleWithZeroDelaysAsOneMillisecond) {
  GifFolder folder;
  // Delay 0 on every frame: a player taking it as 0 (or a default) would not reach the count.
  ASSERT_TRUE(WriteSolidGif(folder.File("fast.gif"), {0xffff0000u, 0xff0000ffu}, {0, 0}));
  HWND hwnd = ShownWindow();
  {
    ImageGIF gif(folder.File("fast.gif").c_str());
    ASSERT_TRUE(gif.InitAnimation());
    gif.m_hWnd = hwnd;
    RECT rect{10, 20, 90, 80};
    gif.SetDrawRect(rect);
    gif.Play();
    EXPECT_TRUE(gif.IsPlaying());
    RECT other{0, 0, 5, 5};
    gif.SetDrawRect(other);  // ignored while playing
    EXPECT_EQ(gif.GetDrawRect().right, 90);
    EXPECT_TRUE(WaitFor([&] { return gif.GetFramesShown() >= 40; }, 3000)) << gif.GetFramesShown();
    bool sawRed = false, sawBlue = false;
    WaitFor([&] {
      COLORREF c = WindowPixel(hwnd, 50, 50);
      sawRed |= c == RGB(255, 0, 0);
      sawBlue |= c == RGB(0, 0, 255);
      return sawRed && sawBlue;
    }, 3000);
    EXPECT_TRUE(sawRed && sawBlue);
    EXPECT_NE(WindowPixel(hwnd, 5, 5), RGB(255, 0, 0));  // outside the rectangle
    EXPECT_NE(WindowPixel(hwnd, 5, 5), RGB(0, 0, 255));
  }
  DestroyWindow(hwnd);
}

TEST(ImageGIFTest, DestroyingWhilePlayingStopsAndJoinsThePlayer) {
  GifFolder folder;
  ASSERT_TRUE(WriteSolidGif(folder.File("slow.gif"), {0xffff0000u, 0xff00ff00u, 0xff0000ffu}, {500, 500}));
  HWND hwnd = ShownWindow();
  auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < 100; ++i) {
    auto gif = std::make_unique<ImageGIF>(folder.File("slow.gif").c_str());
    ASSERT_TRUE(gif->InitAnimation());
    gif->m_hWnd = hwnd;
    gif->Play();
    if (i % 2) std::this_thread::sleep_for(std::chrono::microseconds(200));
    gif.reset();  // mid-frame or mid-wait: nothing may touch the freed object
  }
  // The 5-second frame waits were cut short, not sat out.
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(60));
  DestroyWindow(hwnd);
}
