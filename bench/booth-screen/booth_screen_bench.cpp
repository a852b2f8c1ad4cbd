// Times the booth window's ShowScreen of a new 1920 x 1080 screen picture (decode into the
// client-size surface, paint onto the window) beside libjpeg-turbo decoding the same file into
// RGB, in-process and in the same run, in alternating rounds, as process CPU time. Two copies of the picture
// alternate, so every call shows a new screen.
// Usage: booth-screen_bench [repeats]
#include <stdlib.h>
#include <time.h>
#include <unistd.h>

#include <QApplication>
#include <QImage>
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "bench/common/DecodeBench.h"
#include "photobooth/FullscreenDlg.h"
#include "platform/mfc/windowdc.h"
#include "platform/mfc/winapp.h"
#include "platform/user/window.h"
#include "support/JpegSurface.h"

namespace {

// Process CPU time of one call in milliseconds (all threads, kernel time included), or a huge
// value when it failed. CPU time, not wall time: on a loaded machine a wall clock mostly
// measures the waits for a core, which would bury the difference between the two sides.
double TimeMs(const std::function<bool()>& work) {
  timespec start{}, end{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &start);
  if (!work()) return 1e30;
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &end);
  return (end.tv_sec - start.tv_sec) * 1e3 + (end.tv_nsec - start.tv_nsec) / 1e6;
}

std::vector<BYTE> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<BYTE>(std::istreambuf_iterator<char>(in), {});
}

}  // namespace

int main(int argc, char** argv) {
  namespace fs = std::filesystem;
  int repeats = argc > 1 ? std::max(1, std::atoi(argv[1])) : 30;
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  fs::path work = fs::temp_directory_path() / ("tavorin-booth-bench-" + std::to_string(getpid()));
  fs::create_directories(work);
  setenv("TAVORIN_REGISTRY", (work / "registry.sqlite3").c_str(), 1);
  QApplication qtApp(argc, argv);
  CWinApp app("Tavorin");

  // A screen picture with detail, as a designed booth screen has: a gradient with text.
  QImage picture(1920, 1080, QImage::Format_RGB32);
  for (int y = 0; y < 1080; ++y)
    for (int x = 0; x < 1920; ++x) picture.setPixel(x, y, qRgb(x * 255 / 1920, y * 255 / 1080, (x ^ y) & 0xFF));
  std::string first = (work / "ready.jpg").string(), second = (work / "1.jpg").string();
  picture.save(QString::fromStdString(first), "JPG", 90);
  fs::copy_file(first, second);
  std::vector<BYTE> jpeg = ReadFile(first);

  CFullscreenDlg booth(nullptr, 1);
  if (!booth.Create(IDD_FULLSCREEN, nullptr)) return 1;
  booth.ShowWindow(SW_SHOWNORMAL);
  booth.MoveWindow(0, 0, 1920, 1080);
  CRect client;
  booth.GetClientRect(&client);

  // ShowScreen and the reference take turns, one call each per round, so that a change of
  // the machine's load meets both alike; each side keeps its best round.
  std::vector<BYTE> rgb;
  bool flip = false;
  auto show = [&] {
    flip = !flip;
    booth.ShowScreen((flip ? first : second).c_str(), 0);
    return booth.m_pScreenImage != nullptr;
  };
  auto decode = [&] { return TurboScaledDecode(jpeg, 1, rgb); };
  // The parts of ShowScreen: the decode into the screen's 32-bit surface, and its copy onto
  // the window.
  BITMAP surfaceInfo{};
  if (booth.m_pScreenImage) booth.m_pScreenImage->GetBitmap(&surfaceInfo);
  std::vector<BYTE> surface(size_t(1920) * 4 * 1080);
  auto surfaceDecode = [&] {
    int width = 0, height = 0;
    return DecodeJpegFileToSurface(first.c_str(), surface.data(), size_t(1920) * 4, 1920, 1080, width, height);
  };
  auto blit = [&] {
    CClientDC dc(&booth);
    CDC memory;
    memory.CreateCompatibleDC(nullptr);
    CBitmap* old = memory.SelectObject(booth.m_pScreenImage.get());
    dc.BitBlt(0, 0, client.Width(), client.Height(), &memory, 0, 0, SRCCOPY);
    memory.SelectObject(old);
    return true;
  };
  if (!show() || !decode() || !surfaceDecode() || !blit()) return 1;  // warm-up
  double showBest = 1e30, decodeBest = 1e30, surfaceBest = 1e30, blitBest = 1e30;
  for (int i = 0; i < repeats; ++i) {
    showBest = std::min(showBest, TimeMs(show));
    decodeBest = std::min(decodeBest, TimeMs(decode));
    surfaceBest = std::min(surfaceBest, TimeMs(surfaceDecode));
    blitBest = std::min(blitBest, TimeMs(blit));
  }

  std::printf("booth-screen_bench: 1920x1080 screen JPEG (%zu bytes), window client %dx%d, best CPU time of %d rounds\n",
              jpeg.size(), client.Width(), client.Height(), repeats);
  std::printf("| step | Tavorin (ms) | libjpeg-turbo decode (ms) | ratio |\n|---|---|---|---|\n");
  std::printf("| ShowScreen of a new screen | %.2f | %.2f | %.2fx |\n", showBest, decodeBest,
              decodeBest > 0 ? showBest / decodeBest : 0.0);
  std::printf("| of which: decode into the 32-bit screen surface | %.2f | | |\n", surfaceBest);
  std::printf("| of which: copy of the surface onto the window | %.2f | | |\n", blitBest);
  std::printf("goal: within 1.5x of the decode and under 50 ms: %s\n",
              showBest <= 1.5 * decodeBest && showBest < 50 ? "met" : "NOT met");
  booth.DestroyWindow();
  std::error_code error;
  fs::remove_all(work, error);
  return 0;
}
