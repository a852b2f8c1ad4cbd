// Times the photo road from the camera's last downloaded byte (the final download progress
// message) to WM_DISPLAY_JPEG handled as the view handles it (the photo decoded for the view's
// display box, rendered, its histogram counted), beside libjpeg-turbo doing the codec work such
// a road cannot avoid on the same bytes: a scaled decode for the display box and a 160x120
// thumbnail encode, in-process, in the same run, at 3, 12 and 24 MP.
// Usage: photoroad_bench [repeats]
#include <stdio.h>
#include <stdlib.h>
// After stdio.h: the header uses FILE and size_t without including them.
#include <jpeglib.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <csetjmp>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "camera/Camera.h"
#include "platform/canon/simulator.h"
#include "support/Exif.h"
#include "support/Histogram.h"
#include "support/JpegDisplay.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

int g_repeats = 7;
// The main view's picture box, where WM_DISPLAY_JPEG shows the photo.
const int kBoxWidth = 320, kBoxHeight = 240;

/// Best of the repeats in milliseconds, after one untimed warm-up; `run` returns one run's
/// time in milliseconds, or a negative value on failure.
double Best(const std::function<double()>& run) {
  if (run() < 0) return -1;
  double best = 1e30;
  for (int i = 0; i < g_repeats; ++i) {
    double ms = run();
    if (ms < 0) return -1;
    best = std::min(best, ms);
  }
  return best;
}

double Milliseconds(Clock::time_point from, Clock::time_point to) {
  return std::chrono::duration<double, std::milli>(to - from).count();
}

// Stands in for the view's window and its thread: keeps what the camera posts, in order, and
// handles WM_DISPLAY_JPEG on a thread of its own as the view's UI thread does (the saved
// file's rotation, the display decode and render into the picture box, the histogram), while
// the download thread goes on.
class ViewSink : public CameraMessageSink {
 public:
  ViewSink() : m_thread([this] { Run(); }) {}
  ~ViewSink() override {
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      m_stop = true;
    }
    m_changed.notify_all();
    m_thread.join();
    Reset();
  }

  BOOL Post(UINT message, WPARAM wParam, LPARAM lParam) override {
    std::lock_guard<std::mutex> lock(m_mutex);
    switch (message) {
      case WM_DOWNLOAD_PROGRESS:
        if (wParam >= 100) m_lastByte = Clock::now();
        break;
      case WM_EXIF:
        m_exifs.push_back(reinterpret_cast<Exif*>(lParam));
        break;
      case WM_SAVED_FILE:
        m_texts.push_back(reinterpret_cast<CString*>(lParam));
        break;
      case WM_DISPLAY_JPEG:
        m_buffers.push_back(reinterpret_cast<BYTE*>(lParam));
        m_sizes.push_back(static_cast<DWORD>(wParam));
        m_pending = true;
        m_changed.notify_all();
        break;
      default:
        break;
    }
    return TRUE;
  }
  BOOL IsAlive() override { return TRUE; }

  /// Milliseconds from the last downloaded byte to WM_DISPLAY_JPEG handled; -1 on failure.
  double WaitShown() {
    std::unique_lock<std::mutex> lock(m_mutex);
    if (!m_changed.wait_for(lock, std::chrono::seconds(30), [&] { return m_handled; })) return -1;
    if (!m_shown || m_lastByte == Clock::time_point{}) return -1;
    return Milliseconds(m_lastByte, m_shownAt);
  }

  void Reset() {
    std::lock_guard<std::mutex> lock(m_mutex);
    for (Exif* exif : m_exifs) delete exif;
    for (CString* text : m_texts) delete text;
    for (BYTE* buffer : m_buffers) delete[] buffer;
    m_exifs.clear(), m_texts.clear(), m_buffers.clear(), m_sizes.clear();
    m_lastByte = m_shownAt = Clock::time_point{};
    m_pending = m_handled = m_shown = false;
  }

 private:
  void Run() {
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
      m_changed.wait(lock, [&] { return m_stop || m_pending; });
      if (m_stop) return;
      m_pending = false;
      const BYTE* jpeg = m_buffers.back();
      DWORD size = m_sizes.back();
      CString saved = m_texts.empty() ? CString() : *m_texts.back();
      lock.unlock();
      bool shown = false;
      if (!saved.IsEmpty() && saved.Find("Error") < 0) {
        int angle = Exif(saved).GetRotation();
        CHistogram histogram;
        std::unique_ptr<CBitmap> bitmap(RenderJpegForDisplay(jpeg, size, &histogram, angle, kBoxWidth, kBoxHeight, 0,
                                                             0, FALSE, -1, -1, -1, -1));
        shown = bitmap != nullptr;
      }
      Clock::time_point now = Clock::now();
      lock.lock();
      m_shownAt = now;
      m_shown = shown;
      m_handled = true;
      m_changed.notify_all();
    }
  }

  std::mutex m_mutex;
  std::condition_variable m_changed;
  std::vector<Exif*> m_exifs;
  std::vector<CString*> m_texts;
  std::vector<BYTE*> m_buffers;
  std::vector<DWORD> m_sizes;
  Clock::time_point m_lastByte, m_shownAt;
  bool m_pending = false, m_handled = false, m_shown = false, m_stop = false;
  std::thread m_thread;
};

void EmptyFolder(const fs::path& folder) {
  std::error_code ignored;
  for (const auto& entry : fs::directory_iterator(folder, ignored)) fs::remove_all(entry.path(), ignored);
}

// Delivers the photo through the PRSDK download callback block by block and lets the
// download thread's work run; the view sink shows it meanwhile.
double FeedProcessAndShow(CCamera& camera, ViewSink& sink, const std::vector<BYTE>& jpeg, const fs::path& photos) {
  EmptyFolder(photos);
  sink.Reset();
  const prUInt32 total = static_cast<prUInt32>(jpeg.size());
  prProgress progress{};
  progress.Message = prMSG_DATA_HEADER;
  progress.Length = total;
  if (camera.OnPrDownloadProgress(&progress)) return -1;
  for (prUInt32 offset = 0; offset < total;) {
    prUInt32 n = std::min<prUInt32>(prMAX_TRANSFER_SIZE, total - offset);
    progress = prProgress{};
    progress.Message = prMSG_DATA;
    progress.Offset = offset;
    progress.Length = n;
    progress.Data = const_cast<BYTE*>(jpeg.data()) + offset;
    offset += n;
    progress.PercentComplete = static_cast<prUInt32>(uint64_t(offset) * 100 / total);
    if (camera.OnPrDownloadProgress(&progress)) return -1;
  }
  camera.ProcessDownloadedItem(cdDATA_TYPE_PICTURE, cdFORMAT_JPEG);
  return sink.WaitShown();
}

struct JpegError {
  jpeg_error_mgr manager;
  std::jmp_buf jump;
};

void OnJpegError(j_common_ptr info) { std::longjmp(reinterpret_cast<JpegError*>(info->err)->jump, 1); }

// libjpeg-turbo alone: the photo decoded at the DCT scale for the display box, then a
// 160x120 thumbnail of it encoded.
bool TurboScaledDecodeAndThumbnail(const std::vector<BYTE>& jpeg, int divisor, std::vector<BYTE>& rgb,
                                   std::vector<BYTE>& thumb) {
  jpeg_decompress_struct in;
  JpegError error;
  in.err = jpeg_std_error(&error.manager);
  error.manager.error_exit = OnJpegError;
  if (setjmp(error.jump)) {
    jpeg_destroy_decompress(&in);
    return false;
  }
  jpeg_create_decompress(&in);
  jpeg_mem_src(&in, jpeg.data(), static_cast<unsigned long>(jpeg.size()));
  jpeg_read_header(&in, TRUE);
  in.scale_num = 1;
  in.scale_denom = unsigned(divisor);
  in.out_color_space = JCS_RGB;
  jpeg_start_decompress(&in);
  const int width = static_cast<int>(in.output_width), height = static_cast<int>(in.output_height);
  const size_t stride = size_t(width) * 3;
  rgb.resize(stride * height);
  while (in.output_scanline < in.output_height) {
    JSAMPROW row = &rgb[in.output_scanline * stride];
    jpeg_read_scanlines(&in, &row, 1);
  }
  jpeg_finish_decompress(&in);
  jpeg_destroy_decompress(&in);

  const int tw = 160, th = 120;
  std::vector<BYTE> small(size_t(tw) * th * 3);
  for (int y = 0; y < th; ++y)
    for (int x = 0; x < tw; ++x) {
      const BYTE* p = &rgb[size_t(y * height / th) * stride + size_t(x * width / tw) * 3];
      std::copy(p, p + 3, &small[(size_t(y) * tw + x) * 3]);
    }
  jpeg_compress_struct out;
  JpegError outError;
  out.err = jpeg_std_error(&outError.manager);
  outError.manager.error_exit = OnJpegError;
  unsigned char* encoded = nullptr;
  unsigned long encodedSize = 0;
  if (setjmp(outError.jump)) {
    jpeg_destroy_compress(&out);
    free(encoded);
    return false;
  }
  jpeg_create_compress(&out);
  jpeg_mem_dest(&out, &encoded, &encodedSize);
  out.image_width = tw;
  out.image_height = th;
  out.input_components = 3;
  out.in_color_space = JCS_RGB;
  jpeg_set_defaults(&out);
  jpeg_set_quality(&out, 90, TRUE);
  jpeg_start_compress(&out, TRUE);
  while (out.next_scanline < out.image_height) {
    JSAMPROW row = &small[size_t(out.next_scanline) * tw * 3];
    jpeg_write_scanlines(&out, &row, 1);
  }
  jpeg_finish_compress(&out);
  jpeg_destroy_compress(&out);
  thumb.assign(encoded, encoded + encodedSize);
  free(encoded);
  return !thumb.empty();
}

double Reference(const std::vector<BYTE>& jpeg, int width, int height) {
  std::vector<BYTE> rgb, thumb;
  const int divisor = ChooseDctDivisor(width, height, kBoxWidth, kBoxHeight);
  return Best([&] {
    auto start = Clock::now();
    return TurboScaledDecodeAndThumbnail(jpeg, divisor, rgb, thumb) ? Milliseconds(start, Clock::now()) : -1.0;
  });
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1) g_repeats = std::max(1, std::atoi(argv[1]));
  // Settings the imaging code reads come from the registry: keep it in a folder of our own.
  fs::path work = fs::temp_directory_path() / ("tavorin-photoroad-bench-" + std::to_string(getpid()));
  fs::path photos = work / "photos";
  fs::create_directories(photos);
  setenv("TAVORIN_REGISTRY", (work / "registry.sqlite3").c_str(), 1);

  tavsim::SimReset(tavsim::SimDefaultScenario());
  PR_StartSDK();
  cdVersionInfo version{};
  version.Size = sizeof version;
  version.MajorVersion = 5;
  CDStartSDK(&version, 0);

  CameraViewSettings settings;
  settings.directory = photos.c_str();
  settings.comment = "photo road bench";  // written into the file, as the view's comment box asks

  std::printf("photoroad_bench: best of %d runs on %u cores; photos saved to %s\n"
              "ours: final WM_DOWNLOAD_PROGRESS to WM_DISPLAY_JPEG handled: the download thread's work (Exif,\n"
              "  naming, saving, comment and orientation written) and, on a view thread, the display of the\n"
              "  photo in its %dx%d picture box with the histogram (the disk flush of the saved file runs\n"
              "  on the download thread meanwhile)\n"
              "reference: libjpeg-turbo in-process on the same bytes: scaled decode for the %dx%d box to RGB\n"
              "  + 160x120 q90 thumbnail encode\n",
              g_repeats, std::thread::hardware_concurrency(), photos.c_str(), kBoxWidth, kBoxHeight, kBoxWidth,
              kBoxHeight);
  std::printf("\n| photo | bytes | ours ms | libjpeg-turbo ms | ours/ref | goal |\n|---|---:|---:|---:|---:|---|\n");

  const struct {
    const char* name;
    int width, height;
  } sizes[] = {{"3 MP 2048x1536", 2048, 1536}, {"12 MP 4000x3000", 4000, 3000}, {"24 MP 6000x4000", 6000, 4000}};
  int status = 0;
  ViewSink sink;
  CCamera camera(nullptr);
  camera.SetMessageSink(&sink);
  camera.SetViewSettings(settings);
  for (const auto& size : sizes) {
    std::vector<BYTE> photo = tavsim::SimMakePhoto(size.width, size.height, 1, "Canon PowerShot G9");
    if (photo.empty()) {
      std::fprintf(stderr, "photoroad_bench: cannot make the %s photo\n", size.name);
      return 1;
    }
    double reference = Reference(photo, size.width, size.height);
    double ours = Best([&] { return FeedProcessAndShow(camera, sink, photo, photos); });
    double ratio = ours > 0 && reference > 0 ? ours / reference : 0.0;
    std::printf("| %s | %zu | %.1f | %.1f | %.2f | %s |\n", size.name, photo.size(), ours, reference, ratio,
                ratio > 0 && ratio <= 1.5 ? "met (<= 1.5)" : "MISSED (> 1.5)");
    std::fflush(stdout);
    if (ours < 0 || reference < 0) status = 1;
  }
  camera.SetMessageSink(nullptr);
  sink.Reset();

  std::error_code ignored;
  fs::remove_all(work, ignored);
  return status;
}
