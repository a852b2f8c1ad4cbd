// Times the booth window's ShowScreen of a new 1920 x 1080 screen picture (decode, surface of
// the client size, paint) beside libjpeg-turbo decoding the same file into RGB, in-process and
// in the same run. Two copies of the picture alternate, so every call shows a new screen.
// Usage: booth-screen_bench [repeats]
#include <stdlib.h>
#include <unistd.h>

#include <QApplication>
#include <QImage>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "bench/common/DecodeBench.h"
#include "photobooth/FullscreenDlg.h"
#include "platform/gdiplus/gdiplus.h"
#include "platform/mfc/winapp.h"
#include "platform/user/window.h"

namespace {

std::vector<BYTE> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<BYTE>(std::istreambuf_iterator<char>(in), {});
}

}  // namespace

int main(int argc, char** argv) {
  namespace fs = std::filesystem;
  int repeats = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
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

  bool flip = false;
  double show = BestOf(repeats, [&] {
    flip = !flip;
    booth.ShowScreen((flip ? first : second).c_str(), 0);
    return booth.m_pScreenImage != nullptr;
  });
  std::vector<BYTE> rgb;
  double decode = BestOf(repeats, [&] { return TurboScaledDecode(jpeg, 1, rgb); });
  // The parts: the picture decoded by the imaging layer, and drawn onto a client-size surface.
  std::u16string wide(first.begin(), first.end());
  double layerDecode = BestOf(repeats, [&] {
    Gdiplus::Image image(reinterpret_cast<const WCHAR*>(wide.c_str()));
    return image.GetWidth() == 1920;
  });
  Gdiplus::Image decoded(reinterpret_cast<const WCHAR*>(wide.c_str()));
  double draw = BestOf(repeats, [&] {
    CDC dc;
    dc.CreateCompatibleDC(nullptr);
    CBitmap surface;
    surface.CreateCompatibleBitmap(&dc, 1920, 1080);
    CBitmap* old = dc.SelectObject(&surface);
    Gdiplus::Graphics graphics(dc.m_hDC);
    graphics.DrawImage(&decoded, 0, 0);
    dc.SelectObject(old);
    return true;
  });

  std::printf("booth-screen_bench: 1920x1080 screen JPEG (%zu bytes), window client %dx%d, best of %d runs\n",
              jpeg.size(), client.Width(), client.Height(), repeats);
  std::printf("| step | Tavorin (ms) | libjpeg-turbo decode (ms) | ratio |\n|---|---|---|---|\n");
  std::printf("| ShowScreen of a new screen | %.2f | %.2f | %.2fx |\n", show, decode, decode > 0 ? show / decode : 0.0);
  std::printf("| of which: decode by the imaging layer | %.2f | | |\n", layerDecode);
  std::printf("| of which: draw onto a 1920x1080 surface | %.2f | | |\n", draw);
  std::printf("goal: within 1.5x of the decode and under 50 ms: %s\n",
              show >= 0 && show <= 1.5 * decode && show < 50 ? "met" : "NOT met");
  booth.DestroyWindow();
  std::error_code error;
  fs::remove_all(work, error);
  return 0;
}
