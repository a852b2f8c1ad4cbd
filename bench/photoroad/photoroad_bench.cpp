// Times the photo road from the camera's last downloaded byte (the final download progress
// message) to WM_DISPLAY_JPEG posted, beside libjpeg-turbo doing the codec work a road cannot
// avoid on the same bytes (one full decode and a 160x120 thumbnail encode), in the same run.
// Usage: photoroad_bench [repeats]
#include <fcntl.h>
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
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "camera/Camera.h"
#include "platform/canon/simulator.h"
#include "support/Exif.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

int g_repeats = 7;

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

// Stands in for the view's window: stamps the final progress message and WM_DISPLAY_JPEG, and
// frees what was posted only after the run, as the view does later on its own thread.
class TimingSink : public CameraMessageSink {
 public:
  ~TimingSink() override { Reset(); }

  BOOL Post(UINT message, WPARAM wParam, LPARAM lParam) override {
    Clock::time_point now = Clock::now();
    std::lock_guard<std::mutex> lock(m_mutex);
    switch (message) {
      case WM_DOWNLOAD_PROGRESS:
        if (wParam >= 100) m_lastByte = now;
        break;
      case WM_EXIF:
        m_exifs.push_back(reinterpret_cast<Exif*>(lParam));
        break;
      case WM_SAVED_FILE:
        m_texts.push_back(reinterpret_cast<CString*>(lParam));
        break;
      case WM_DISPLAY_JPEG:
        m_buffers.push_back(reinterpret_cast<BYTE*>(lParam));
        // Only the picture's display ends the run; a thumbnail comes without WM_SAVED_FILE.
        if (m_texts.empty()) break;
        m_displayed = now;
        m_done = true;
        m_changed.notify_all();
        break;
      case WM_RELEASE_ERROR:
        m_failed = true;
        m_done = true;
        m_changed.notify_all();
        break;
      default:
        break;
    }
    return TRUE;
  }
  BOOL IsAlive() override { return TRUE; }

  /// Milliseconds from the final progress message to WM_DISPLAY_JPEG; -1 when the photo was
  /// not saved or nothing came within the limit.
  double Wait() {
    std::unique_lock<std::mutex> lock(m_mutex);
    if (!m_changed.wait_for(lock, std::chrono::seconds(30), [&] { return m_done; })) return -1;
    if (m_failed || m_texts.empty() || m_texts.back()->Find("Error") >= 0) return -1;
    if (m_lastByte == Clock::time_point{}) return -1;
    return Milliseconds(m_lastByte, m_displayed);
  }

  void Reset() {
    std::lock_guard<std::mutex> lock(m_mutex);
    for (Exif* exif : m_exifs) delete exif;
    for (CString* text : m_texts) delete text;
    for (BYTE* buffer : m_buffers) delete[] buffer;
    m_exifs.clear(), m_texts.clear(), m_buffers.clear();
    m_lastByte = m_displayed = Clock::time_point{};
    m_done = m_failed = false;
  }

 private:
  std::mutex m_mutex;
  std::condition_variable m_changed;
  std::vector<Exif*> m_exifs;
  std::vector<CString*> m_texts;
  std::vector<BYTE*> m_buffers;
  Clock::time_point m_lastByte, m_displayed;
  bool m_done = false, m_failed = false;
};

void EmptyFolder(const fs::path& folder) {
  std::error_code ignored;
  for (const auto& entry : fs::directory_iterator(folder, ignored)) fs::remove_all(entry.path(), ignored);
}

// The simulated camera makes at most 3 MP: deliver a larger photo through the download
// callback block by block as PRSDK does, then do what the download thread does next.
double FeedAndProcess(CCamera& camera, TimingSink& sink, const std::vector<BYTE>& jpeg, const fs::path& photos) {
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
  return sink.Wait();
}

// One release on the threaded simulator, download thread and all.
double ReleaseAndWait(CCamera& camera, TimingSink& sink, const fs::path& photos) {
  EmptyFolder(photos);
  sink.Reset();
  camera.Release(false);
  return sink.Wait();
}

struct JpegError {
  jpeg_error_mgr manager;
  std::jmp_buf jump;
};

void OnJpegError(j_common_ptr info) { std::longjmp(reinterpret_cast<JpegError*>(info->err)->jump, 1); }

// libjpeg-turbo alone: one full-size decode to RGB, then a 160x120 thumbnail of it encoded.
bool TurboDecodeAndThumbnail(const std::vector<BYTE>& jpeg, std::vector<BYTE>& rgb, std::vector<BYTE>& thumb) {
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

// Saving the photo once, durably: written to a temporary name, flushed, renamed into place.
bool DurableWrite(const std::vector<BYTE>& bytes, const fs::path& path) {
  fs::path temporary = path.string() + ".tmp";
  int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (fd < 0) return false;
  bool ok = ::write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size()) && ::fsync(fd) == 0;
  ::close(fd);
  return ok && std::rename(temporary.c_str(), path.c_str()) == 0;
}

struct ReferenceTimes {
  double codec = -1;  // decode + thumbnail encode
  double saved = -1;  // the same plus one durable write of the file
};

ReferenceTimes Reference(const std::vector<BYTE>& jpeg, const fs::path& folder) {
  std::vector<BYTE> rgb, thumb;
  ReferenceTimes times;
  times.codec = Best([&] {
    auto start = Clock::now();
    return TurboDecodeAndThumbnail(jpeg, rgb, thumb) ? Milliseconds(start, Clock::now()) : -1.0;
  });
  times.saved = Best([&] {
    EmptyFolder(folder);
    auto start = Clock::now();
    bool ok = TurboDecodeAndThumbnail(jpeg, rgb, thumb) && DurableWrite(jpeg, folder / "reference.jpg");
    return ok ? Milliseconds(start, Clock::now()) : -1.0;
  });
  return times;
}

double Ratio(double ours, double reference) { return ours > 0 && reference > 0 ? ours / reference : 0.0; }

void PrintRow(const char* what, const char* photo, size_t bytes, double ours, const ReferenceTimes& reference) {
  std::printf("| %s | %s | %zu | %.1f | %.1f | %.2f | %.1f | %.2f |\n", what, photo, bytes, ours, reference.codec,
              Ratio(ours, reference.codec), reference.saved, Ratio(ours, reference.saved));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1) g_repeats = std::max(1, std::atoi(argv[1]));
  // Settings the imaging code reads come from the registry: keep it in a folder of our own.
  fs::path work = fs::temp_directory_path() / ("tavorin-photoroad-bench-" + std::to_string(getpid()));
  fs::path photos = work / "photos";
  fs::create_directories(photos);
  setenv("TAVORIN_REGISTRY", (work / "registry.sqlite3").c_str(), 1);

  const std::string model = "Canon PowerShot G9";
  std::vector<BYTE> big = tavsim::SimMakePhoto(4000, 3000, 1, model);
  if (big.empty()) {
    std::fprintf(stderr, "photoroad_bench: cannot make the 12 MP photo\n");
    return 1;
  }

  tavsim::SimReset(tavsim::SimDefaultScenario());  // threaded PRSDK camera
  PR_StartSDK();
  cdVersionInfo version{};
  version.Size = sizeof version;
  version.MajorVersion = 5;
  CDStartSDK(&version, 0);

  CameraViewSettings settings;
  settings.directory = photos.c_str();
  settings.comment = "photo road bench";

  std::printf("photoroad_bench: best of %d runs on %u cores; photos saved to %s\n"
              "ours: final WM_DOWNLOAD_PROGRESS to WM_DISPLAY_JPEG posted (download thread work, file saved)\n"
              "reference: libjpeg-turbo in-process on the same bytes: one full decode to RGB + 160x120 q90 encode;\n"
              "ref+save adds one write of the photo to a temporary name, fsync and rename, as saving needs\n",
              g_repeats, std::thread::hardware_concurrency(), photos.c_str());
  std::printf("\n| road | photo | bytes | ours ms | libjpeg-turbo ms | ours/ref | ref+save ms | ours/ref+save |\n"
              "|---|---|---:|---:|---:|---:|---:|---:|\n");

  int status = 0;
  {
    TimingSink sink;
    CCamera camera(nullptr);
    camera.SetMessageSink(&sink);
    camera.SetViewSettings(settings);
    ReferenceTimes reference = Reference(big, photos);
    double ours = Best([&] { return FeedAndProcess(camera, sink, big, photos); });
    PrintRow("12 MP fed block by block, comment + orientation", "4000x3000", big.size(), ours, reference);
    if (ours < 0) status = 1;

    CameraViewSettings turned = settings;
    turned.orientationSetting = 2;  // 90
    turned.losslessAutoRotate = TRUE;
    camera.SetViewSettings(turned);
    ours = Best([&] { return FeedAndProcess(camera, sink, big, photos); });
    PrintRow("same, turned 90 losslessly (not in reference)", "4000x3000", big.size(), ours, reference);
    if (ours < 0) status = 1;
    camera.SetMessageSink(nullptr);
  }

  {
    TimingSink sink;
    CCamera camera(nullptr);
    camera.SetMessageSink(&sink);
    camera.SetViewSettings(settings);
    try {
      camera.Connect("");
    } catch (int) {
      std::fprintf(stderr, "photoroad_bench: cannot connect the simulated camera\n");
      return 1;
    }
    DWORD size = 0, quality = 0;
    camera.GetImageFormat(size, quality);
    bool largest = camera.SetImageFormat(0, quality);  // 2048x1536, the simulator's largest
    camera.SetSaveMode(1);  // to the computer only: the picture, no thumbnail
    camera.SelectReleaseDataKind(camera.GetReleaseDataKind());
    double ours = Best([&] { return ReleaseAndWait(camera, sink, photos); });
    // The bytes the camera delivered stay in the download stream: the reference decodes those.
    MyCanonMemStream& stream = camera.GetDownloadStream();
    std::vector<BYTE> delivered(stream.GetData(), stream.GetData() + stream.GetSize());
    ReferenceTimes reference = delivered.empty() ? ReferenceTimes{} : Reference(delivered, photos);
    PrintRow(largest ? "3 MP end to end, threaded simulator" : "end to end, threaded simulator (size refused)",
             largest ? "2048x1536" : "?", delivered.size(), ours, reference);
    if (ours < 0) status = 1;
    camera.SetMessageSink(nullptr);
  }

  std::error_code ignored;
  fs::remove_all(work, ignored);
  return status;
}
