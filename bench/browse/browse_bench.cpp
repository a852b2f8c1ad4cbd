// Times the photo browser on 12 MP camera photos: the next-image step (read the file, its
// Exif, the display bitmap and histogram for a 1024 x 768 box) beside libjpeg-turbo's scaled
// decode of the same file, and F7's full-size preview bitmap beside libjpeg-turbo's full decode
// of the same bytes. In-process, same run. Usage: browse_bench [repeats]
#include <stdlib.h>
#include <unistd.h>

#include <cstddef>
#include <cstdio>
#include <ctime>

#include <jpeglib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/ImagePreviewDlg.h"
#include "bench/common/DecodeBench.h"
#include "platform/canon/simulator.h"
#include "support/Exif.h"
#include "support/JpegDisplay.h"

namespace {

using Clock = std::chrono::steady_clock;

int g_repeats = 7;

double Best(const std::function<bool()>& work) { return BestOf(g_repeats, work); }

// The best thread CPU time of the runs in ms: on a shared, loaded machine the wall clock also
// counts the time other programs held the core.
double BestCpu(const std::function<bool()>& work) {
  double best = -1;
  for (int i = 0; i < g_repeats; ++i) {
    timespec start{}, end{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &start);
    if (!work()) return -1;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &end);
    double ms = (end.tv_sec - start.tv_sec) * 1e3 + (end.tv_nsec - start.tv_nsec) / 1e6;
    if (best < 0 || ms < best) best = ms;
  }
  return best;
}

std::vector<BYTE> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<BYTE>(std::istreambuf_iterator<char>(in), {});
}

}  // namespace

int main(int argc, char** argv) {
  namespace fs = std::filesystem;
  if (argc > 1) g_repeats = std::max(1, std::atoi(argv[1]));
  fs::path work = fs::temp_directory_path() / ("tavorin-browse-bench-" + std::to_string(getpid()));
  fs::create_directories(work);
  setenv("TAVORIN_REGISTRY", (work / "registry.sqlite3").c_str(), 1);

  const int W = 4000, H = 3000, boxW = 1024, boxH = 768;
  std::vector<BYTE> photo = tavsim::SimMakePhoto(W, H, 1, "Canon PowerShot G9");
  std::string path = (work / "IMG_0001.JPG").string();
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(photo.data()), photo.size());
  const int divisor = ChooseDctDivisor(W, H, boxW, boxH);
  std::vector<BYTE> rgb;

  std::printf("browse_bench: %dx%d camera JPEG (%zu bytes) in a file; best of %d runs on %u cores\n"
              "references: libjpeg-turbo reading the same file and decoding it at the display's DCT scale, and\n"
              "decoding the same bytes at full size, in-process\n",
              W, H, photo.size(), g_repeats, std::thread::hardware_concurrency());
  std::printf("\n| step | ours ms | reference | ref ms | ours/ref |\n|---|---:|---|---:|---:|\n");

  // Next image: what CMyQuilletView::ShowImage does for a photo of the list.
  double nextRef = Best([&] {
    std::vector<BYTE> bytes = ReadFile(path);
    return TurboScaledDecode(bytes, divisor, rgb);
  });
  Exif listed{CString(path.c_str())};
  double next = Best([&] {
    DWORD size = 0;
    std::unique_ptr<BYTE[]> jpeg(listed.ReadJpegBytes(size));
    if (!jpeg) return false;
    Exif current{CString(path.c_str())};
    CHistogram histogram;
    std::unique_ptr<CBitmap> bitmap(RenderJpegForDisplay(jpeg.get(), size, &histogram, 0, boxW, boxH, 0, 0, FALSE, -1,
                                                         -1, -1, -1));
    return bitmap != nullptr;
  });
  std::printf("| next image (read, Exif, %dx%d bitmap, histogram) | %.1f | file read + decode at 1/%d | %.1f | %.2f |\n",
              boxW, boxH, next, divisor, nextRef, next > 0 ? next / nextRef : 0.0);

  // F7: the full-size bitmap of the preview window.
  for (int rotation : {0, 90}) {
    // A fresh picture each time, as the preview makes one for each photo.
    double fullRef = Best([&] {
      std::vector<BYTE> fresh;
      return TurboScaledDecode(photo, 1, fresh);
    });
    double preview = Best([&] {
      int width = 0, height = 0;
      std::unique_ptr<CBitmap> bitmap(
          CImagePreviewDlg::MakeBitmap(photo.data(), DWORD(photo.size()), rotation, width, height));
      return bitmap != nullptr;
    });
    std::printf("| F7 preview bitmap, turned %d | %.1f | full decode | %.1f | %.2f |\n", rotation, preview, fullRef,
                preview > 0 ? preview / fullRef : 0.0);
  }
  std::printf("\nThe same F7 steps in thread CPU time (steady on a loaded machine):\n\n"
              "| step | ours CPU ms | reference | ref CPU ms | ours/ref |\n|---|---:|---|---:|---:|\n");
  for (int rotation : {0, 90}) {
    double fullRef = BestCpu([&] {
      std::vector<BYTE> fresh;
      return TurboScaledDecode(photo, 1, fresh);
    });
    double preview = BestCpu([&] {
      int width = 0, height = 0;
      std::unique_ptr<CBitmap> bitmap(
          CImagePreviewDlg::MakeBitmap(photo.data(), DWORD(photo.size()), rotation, width, height));
      return bitmap != nullptr;
    });
    std::printf("| F7 preview bitmap, turned %d | %.1f | full decode | %.1f | %.2f |\n", rotation, preview, fullRef,
                preview > 0 && fullRef > 0 ? preview / fullRef : 0.0);
  }
  std::error_code ignored;
  fs::remove_all(work, ignored);
  return 0;
}
