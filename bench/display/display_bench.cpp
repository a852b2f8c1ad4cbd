// Times the main view's display renderer on a 12 MP camera photo beside libjpeg-turbo's own
// scaled decode of the same bytes, in-process, in the same run. Usage: display_bench [repeats]
#include <stdlib.h>
#include <unistd.h>

#include <cstddef>
#include <cstdio>

#include <jpeglib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "bench/common/DecodeBench.h"
#include "platform/canon/simulator.h"
#include "support/JpegDisplay.h"
#include "support/Toning.h"

namespace {

using Clock = std::chrono::steady_clock;

int g_repeats = 7;

double Best(const std::function<bool()>& work) { return BestOf(g_repeats, work); }

}  // namespace

int main(int argc, char** argv) {
  namespace fs = std::filesystem;
  if (argc > 1) g_repeats = std::max(1, std::atoi(argv[1]));
  // Colour management settings are read from the registry: keep it in a folder of our own.
  fs::path work = fs::temp_directory_path() / ("tavorin-display-bench-" + std::to_string(getpid()));
  fs::create_directories(work);
  setenv("TAVORIN_REGISTRY", (work / "registry.sqlite3").c_str(), 1);

  const int W = 4000, H = 3000, boxW = 1024, boxH = 768;
  std::vector<BYTE> jpeg = tavsim::SimMakePhoto(W, H, 1, "Canon PowerShot G9");
  if (jpeg.empty()) {
    std::fprintf(stderr, "display_bench: cannot make the camera photo\n");
    return 1;
  }
  BuildToningTable(0.1, 0.4);
  std::vector<BYTE> rgb;

  struct Row {
    const char* what;
    int angle, sharpening, grey;
  };
  const Row rows[] = {
      {"colour, histogram", 0, 0, 0},
      {"colour, histogram, turned 90", 90, 0, 0},
      {"toned, sharpened 50, histogram", 0, 50, 2},
  };
  std::printf("display_bench: %dx%d camera JPEG (%zu bytes) to a %dx%d box; best of %d runs on %u cores\n"
              "reference: libjpeg-turbo's decode at the same DCT scale to RGB, in-process, same bytes\n",
              W, H, jpeg.size(), boxW, boxH, g_repeats, std::thread::hardware_concurrency());
  std::printf("\n| RenderJpegForDisplay | ours ms | libjpeg-turbo scaled decode | ref ms | ours/ref |\n"
              "|---|---:|---|---:|---:|\n");
  for (const Row& row : rows) {
    // A turned picture fits the turned box, which may allow a smaller DCT scale.
    bool turned = row.angle == 90 || row.angle == 270;
    const int divisor = ChooseDctDivisor(W, H, turned ? boxH : boxW, turned ? boxW : boxH);
    double reference = Best([&] { return TurboScaledDecode(jpeg, divisor, rgb); });
    CHistogram histogram;
    double ours = Best([&] {
      std::unique_ptr<CBitmap> bitmap(RenderJpegForDisplay(jpeg.data(), DWORD(jpeg.size()), &histogram, row.angle, boxW,
                                                           boxH, row.sharpening, row.grey, FALSE, -1, -1, -1, -1));
      return bitmap != nullptr;
    });
    std::printf("| %s | %.1f | 1/%d | %.1f | %.2f |\n", row.what, ours, divisor, reference,
                ours > 0 ? ours / reference : 0.0);
  }
  std::error_code ignored;
  fs::remove_all(work, ignored);
  return 0;
}
