// Simulated-camera frames at 30 fps through the live view window's ViewfinderCB, shown at 2x
// with crop, onion skin, grid and green keying against a background picture, beside
// libjpeg-turbo's plain decode of the same frames at the same pace, in the same run. Reports
// the CPU the whole process spends (the frame thread and the window's repaints) as a share of
// one core (the frame thread, and the window thread beyond its idle polling).
// Usage: liveview_bench [seconds per run]
#include <time.h>

#include <cstddef>
#include <cstdio>

#include <jpeglib.h>

#include <QApplication>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "camera/ViewfinderDlg.h"
#include "platform/canon/simulator.h"
#include "platform/registry/registry.h"
#include "platform/user/message.h"
#include "support/ProgramGlobals.h"

namespace {

using Clock = std::chrono::steady_clock;

double ThreadCpuSeconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + now.tv_nsec / 1e9;
}

class BenchOwner : public ViewfinderOwner {
 public:
  void OnViewfinderCommand(UINT) override {}
  void OnViewfinderCommentKey(UINT) override {}
  ViewfinderOverlay GetViewfinderOverlay() override {
    ViewfinderOverlay overlay;
    overlay.grid = true;
    overlay.gridColumns = 3;
    overlay.gridRows = 3;
    overlay.gridColour = RGB(255, 255, 255);
    return overlay;
  }
};

// libjpeg-turbo alone: the frame decoded at full size into one RGB buffer.
void TurboDecode(const std::vector<BYTE>& jpeg, std::vector<BYTE>& rgb) {
  jpeg_decompress_struct cinfo;
  jpeg_error_mgr err;
  cinfo.err = jpeg_std_error(&err);
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, jpeg.data(), static_cast<unsigned long>(jpeg.size()));
  jpeg_read_header(&cinfo, TRUE);
  cinfo.out_color_space = JCS_RGB;
  jpeg_start_decompress(&cinfo);
  size_t stride = static_cast<size_t>(cinfo.output_width) * 3;
  rgb.resize(stride * cinfo.output_height);
  while (cinfo.output_scanline < cinfo.output_height) {
    JSAMPROW row = &rgb[cinfo.output_scanline * stride];
    jpeg_read_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
}

struct Result {
  double cpuPercent = 0;  // of one core: the frame thread plus the window thread's share
  double msPerFrame = 0;  // CPU per frame on the frame thread
  double uiSeconds = 0;   // CPU of the window thread (repaints and message polling)
  double wallSeconds = 0;
  int frames = 0;
};

// Feeds the frames at 30 fps from a thread of their own while this (UI) thread runs the
// window. The frame path's cost is the frame thread's CPU plus what the window thread spent
// beyond its idle polling (`idleUiPerSecond`).
Result Run(const std::vector<std::vector<BYTE>>& frames, double seconds, double idleUiPerSecond,
           const std::function<void(const std::vector<BYTE>&)>& handle) {
  std::atomic<bool> done{false};
  std::atomic<int> count{0};
  double feederCpu = 0;
  double uiStart = ThreadCpuSeconds();
  auto wallStart = Clock::now();
  std::thread feeder([&] {
    double start = ThreadCpuSeconds();
    auto next = Clock::now();
    for (size_t i = 0; Clock::now() - wallStart < std::chrono::duration<double>(seconds); ++i) {
      handle(frames[i % frames.size()]);
      ++count;
      next += std::chrono::microseconds(33333);
      std::this_thread::sleep_until(next);
    }
    feederCpu = ThreadCpuSeconds() - start;
    done = true;
  });
  while (!done) {
    PumpWaitingMessages();
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  feeder.join();
  PumpWaitingMessages();
  Result result;
  result.wallSeconds = std::chrono::duration<double>(Clock::now() - wallStart).count();
  result.uiSeconds = ThreadCpuSeconds() - uiStart;
  result.frames = count;
  double uiAboveIdle = std::max(0.0, result.uiSeconds - idleUiPerSecond * result.wallSeconds);
  result.cpuPercent = 100.0 * (feederCpu + uiAboveIdle) / result.wallSeconds;
  result.msPerFrame = count ? 1000.0 * feederCpu / count : 0;
  return result;
}

void WriteBackground(const std::string& path) {
  std::vector<BYTE> photo = tavsim::SimMakePhoto(1024, 768, 99, "Canon PowerShot G9");
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return;
  std::fwrite(photo.data(), 1, photo.size(), file);
  std::fclose(file);
}

}  // namespace

int main(int argc, char** argv) {
  double seconds = argc > 1 ? std::atof(argv[1]) : 4.0;
  if (seconds <= 0) seconds = 4.0;
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  std::string folder = std::filesystem::temp_directory_path().string() + "/tavorin-liveview-bench-XXXXXX";
  if (!mkdtemp(folder.data())) return 2;
  setenv("TAVORIN_REGISTRY", (folder + "/registry.sqlite3").c_str(), 1);
  std::string background = folder + "/background.jpg";
  WriteBackground(background);
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, kProductKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) ==
      ERROR_SUCCESS) {
    DWORD green = 1;
    RegSetValueExA(key, "ChromakeyMode", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&green), sizeof green);
    RegSetValueExA(key, "ChromakeyBackground", 0, REG_SZ, reinterpret_cast<const BYTE*>(background.c_str()),
                   static_cast<DWORD>(background.size() + 1));
    RegCloseKey(key);
  }

  QApplication app(argc, argv);
  BenchOwner owner;
  CViewfinderDlg dialog(nullptr, &owner);
  dialog.m_bCrop = TRUE;
  dialog.m_bOnionSkin = TRUE;
  dialog.SetCropRect({60, 40, 260, 200});
  dialog.SetScale(2);
  dialog.ShowViewfinder(true);

  // The window thread's polling with no frames, taken off its share below.
  std::vector<std::vector<BYTE>> none(1);
  Result idle = Run(none, 1.0, 0, [](const std::vector<BYTE>&) {});
  double idleUiPerSecond = idle.uiSeconds / idle.wallSeconds;
  std::printf("Live view frame path at 30 fps, %.0f s a run; the idle window thread polls at %.1f%% of one core\n\n",
              seconds, 100 * idleUiPerSecond);
  std::printf("| frames | path | frames run | CPU, %% of one core | frame-thread CPU ms per frame |\n");
  std::printf("|---|---|---:|---:|---:|\n");
  for (auto [width, height] : {std::pair{320, 240}, std::pair{640, 480}}) {
    std::vector<std::vector<BYTE>> frames;
    for (int i = 0; i < 30; ++i) frames.push_back(tavsim::SimMakePhoto(width, height, i + 1, "Canon PowerShot G9"));
    // The first frame of a size loads the background for it; keep that out of the timing.
    dialog.ViewfinderCB(frames[0].data(), static_cast<DWORD>(frames[0].size()), 0);
    PumpWaitingMessages();
    Result path = Run(frames, seconds, idleUiPerSecond, [&](const std::vector<BYTE>& jpeg) {
      dialog.ViewfinderCB(jpeg.data(), static_cast<DWORD>(jpeg.size()), 0);
    });
    std::vector<BYTE> rgb;
    Result reference = Run(frames, seconds, idleUiPerSecond, [&](const std::vector<BYTE>& jpeg) { TurboDecode(jpeg, rgb); });
    std::printf("| %dx%d | ViewfinderCB (2x, crop, onion, grid, green key) | %d | %.1f | %.2f |\n", width, height,
                path.frames, path.cpuPercent, path.msPerFrame);
    std::printf("| %dx%d | libjpeg-turbo plain decode | %d | %.1f | %.2f |\n", width, height, reference.frames,
                reference.cpuPercent, reference.msPerFrame);
  }
  std::printf("\nGoal: the frame path under 15%% of one core.\n");
  dialog.DestroyWindow();
  std::error_code error;
  std::filesystem::remove_all(folder, error);
  return 0;
}
