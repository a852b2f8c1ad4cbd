// The real camera road on the PTP/IP test camera, beside libgphoto2's own loops on a second,
// identical test camera, same run:
//  - release to saved file through the program (a remote-control release on a private desktop,
//    the program driving its camera through libgphoto2, until the photo's file is in place),
//    beside gp_camera_capture + gp_camera_file_get in this process, and beside what writing
//    that photo to a new file costs this process on the same disk (the part of the program's
//    time that saving a photo takes on this machine, which the in-memory loop does not pay);
//  - live view frames a second through the program, and the CPU the program spends on them,
//    beside gp_camera_capture_preview in a loop. The cameras give 640 x 480 frames at 15 a
//    second, as the compacts of this kind do.
// Usage: camera_bench [releases per run] [seconds of live view] [photo folder]
// Without a folder it makes three 12-megapixel photos with ImageMagick.
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "bench/common/BenchDesktop.h"
#include "ipc/TavorinIPC.h"
#include "platform/tavorinlib/TavorinLib.h"
#include "platform/win32/windef.h"

#include <gphoto2/gphoto2.h>

#include "tests/camera/PtpipTestCamera.h"

namespace {

using Clock = std::chrono::steady_clock;

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[v.size() / 2];
}

double Seconds(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

// CPU seconds a process has used (user + system).
double CpuSeconds(pid_t pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  size_t close = text.rfind(')');
  if (close == std::string::npos) return 0;
  std::istringstream fields(text.substr(close + 2));
  std::string field;
  double utime = 0, stime = 0;
  for (int i = 3; fields >> field; ++i) {
    if (i == 14) utime = std::atof(field.c_str());
    if (i == 15) {
      stime = std::atof(field.c_str());
      break;
    }
  }
  return (utime + stime) / double(sysconf(_SC_CLK_TCK));
}

// Saved photos under a folder.
size_t Saved(const std::string& folder) {
  size_t count = 0;
  std::error_code error;
  for (auto& entry : std::filesystem::recursive_directory_iterator(folder, error))
    if (entry.path().extension() == ".JPG") ++count;
  return count;
}

int Frames(const PtpipTestCamera& camera) {
  std::string answer = camera.Control("frames");
  return answer.rfind("frames ", 0) == 0 ? std::atoi(answer.c_str() + 7) : -1;
}

/// libgphoto2's own loops on a camera, in this process.
class Reference {
 public:
  bool Open(const std::string& port) {
    m_context = gp_context_new();
    CameraAbilitiesList* abilities = nullptr;
    GPPortInfoList* ports = nullptr;
    CameraAbilities a;
    GPPortInfo info;
    std::string full = port + ":" + port.substr(port.rfind(':') + 1);  // the event line on the same port
    bool ok = gp_camera_new(&m_camera) >= GP_OK && gp_abilities_list_new(&abilities) >= GP_OK &&
              gp_abilities_list_load(abilities, m_context) >= GP_OK &&
              gp_abilities_list_get_abilities(abilities, gp_abilities_list_lookup_model(abilities, "PTP/IP Camera"), &a) >=
                  GP_OK &&
              gp_camera_set_abilities(m_camera, a) >= GP_OK && gp_port_info_list_new(&ports) >= GP_OK &&
              gp_port_info_list_load(ports) >= GP_OK &&
              gp_port_info_list_get_info(ports, gp_port_info_list_lookup_path(ports, full.c_str()), &info) >= GP_OK &&
              gp_camera_set_port_info(m_camera, info) >= GP_OK && gp_camera_init(m_camera, m_context) >= GP_OK;
    if (abilities) gp_abilities_list_free(abilities);
    if (ports) gp_port_info_list_free(ports);
    return ok;
  }
  ~Reference() {
    if (m_camera) {
      gp_camera_exit(m_camera, m_context);
      gp_camera_unref(m_camera);
    }
    if (m_context) gp_context_unref(m_context);
  }
  /// One capture and download; its bytes, 0 on a failure. The photo is kept for Save.
  size_t Capture() {
    CameraFilePath path{};
    CameraFile* file = nullptr;
    size_t bytes = 0;
    if (gp_camera_capture(m_camera, GP_CAPTURE_IMAGE, &path, m_context) >= GP_OK && gp_file_new(&file) >= GP_OK &&
        gp_camera_file_get(m_camera, path.folder, path.name, GP_FILE_TYPE_NORMAL, file, m_context) >= GP_OK) {
      const char* data = nullptr;
      unsigned long size = 0;
      gp_file_get_data_and_size(file, &data, &size);
      bytes = size;
      m_last.assign(data, data + size);
    }
    if (file) gp_file_unref(file);
    gp_camera_file_delete(m_camera, path.folder, path.name, m_context);
    return bytes;
  }
  /// Writes the last photo to a new file in the folder as a program saves it: a temporary name,
  /// then renamed into place, not flushed.
  bool Save(const std::string& folder) {
    std::string name = folder + "/IMG_" + std::to_string(++m_saved) + ".JPG";
    std::string temp = folder + "/.IMG_" + std::to_string(m_saved) + ".tmp";
    int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    bool ok = write(fd, m_last.data(), m_last.size()) == ssize_t(m_last.size());
    ok = close(fd) == 0 && ok;
    return ok && rename(temp.c_str(), name.c_str()) == 0;
  }
  bool Preview() {
    CameraFile* file = nullptr;
    bool ok = gp_file_new(&file) >= GP_OK && gp_camera_capture_preview(m_camera, file, m_context) >= GP_OK;
    if (file) gp_file_unref(file);
    return ok;
  }

 private:
  Camera* m_camera = nullptr;
  GPContext* m_context = nullptr;
  std::string m_last;
  int m_saved = 0;
};

/// The program on a private desktop with its real camera back end on the given port.
class Desktop : public BenchDesktop {
 public:
  bool WaitUntilConnected(int seconds) {
    auto limit = Clock::now() + std::chrono::seconds(seconds);
    TavorinIPC client;
    int inARow = 0;
    while (Clock::now() < limit && inARow < 20) {
      char model[256] = {};
      if (client.findServer(2000) == kIpcIdle && TavorinLibGetCameraModel(model, sizeof model) == 0 && model[0]) {
        ++inARow;
      } else {
        inARow = 0;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
      }
    }
    return inARow >= 20;
  }
};

std::string MakePhotos() {
  char pattern[] = "/tmp/tavorin-bench-photos-XXXXXX";
  if (!mkdtemp(pattern)) return "";
  std::string folder = pattern;
  for (int i = 1; i <= 3; ++i) {
    std::string command = "convert -size 4000x3000 plasma:fractal -seed " + std::to_string(i) + " -quality 92 " + folder +
                          "/IMG_000" + std::to_string(i) + ".JPG";
    if (std::system(command.c_str()) != 0) return "";
  }
  return folder;
}

}  // namespace

int main(int argc, char** argv) {
  int releases = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
  double liveSeconds = argc > 2 ? std::max(1.0, std::atof(argv[2])) : 10;
  std::string photos = argc > 3 ? argv[3] : MakePhotos();
  if (photos.empty()) {
    std::fprintf(stderr, "camera_bench: cannot make the photos (ImageMagick's convert)\n");
    return 1;
  }
  std::vector<std::string> options = {"--frame-rate", "15", "--frames", PtpipTestCamera::DefaultPhotos()};
  PtpipTestCamera ours(options, photos), theirs(options, photos);
  if (!ours.Running() || !theirs.Running()) {
    std::fprintf(stderr, "camera_bench: the test cameras did not start\n");
    return 1;
  }
  Desktop desktop;
  Reference reference;
  if (!desktop.Start("TAVORIN_CAMERA_PORT=" + ours.PortName()) || !desktop.WaitUntilConnected(120)) {
    std::fprintf(stderr, "camera_bench: the program did not connect to the test camera\n");
    return 1;
  }
  if (!reference.Open(theirs.PortName())) {
    std::fprintf(stderr, "camera_bench: libgphoto2 did not open the second test camera\n");
    return 1;
  }
  TavorinLibSetOutputDirectory(desktop.Photos().c_str());

  // Releases, alternating the two roads so that both see the same machine load.
  std::vector<double> program, library, saving;
  // The reference's photos go beside the program's, on the same file system.
  const std::string referencePhotos = desktop.Photos() + "-reference";
  std::filesystem::create_directories(referencePhotos);
  size_t bytes = 0;
  for (int i = 0; i < releases + 1; ++i) {
    char path[512] = {};
    size_t before = Saved(desktop.Photos());
    int status = -1;
    auto start = Clock::now();
    // The photo's file is written to a temporary name and renamed into place: its name shows
    // when it is saved, before the view goes on to show it.
    std::thread release([&] { status = TavorinLibReleaseShutter(60, path, sizeof path); });
    while (Saved(desktop.Photos()) == before && Seconds(start) < 60) std::this_thread::sleep_for(std::chrono::microseconds(500));
    double programSeconds = Seconds(start);
    release.join();
    if (status != 0 || !path[0]) {
      std::fprintf(stderr, "camera_bench: release %d failed with %d\n", i, status);
      return 1;
    }
    start = Clock::now();
    bytes = reference.Capture();
    double librarySeconds = Seconds(start);
    if (bytes == 0) {
      std::fprintf(stderr, "camera_bench: libgphoto2's capture failed\n");
      return 1;
    }
    start = Clock::now();
    if (!reference.Save(referencePhotos)) {
      std::fprintf(stderr, "camera_bench: cannot write %s\n", referencePhotos.c_str());
      return 1;
    }
    double savingSeconds = Seconds(start);
    if (i == 0) continue;  // warm-up
    program.push_back(programSeconds * 1000);
    library.push_back(librarySeconds * 1000);
    saving.push_back(savingSeconds * 1000);
  }

  // Live view: the program's frames (counted by its camera) and its CPU, then libgphoto2's loop.
  TavorinLibSetViewfinder(1);
  std::this_thread::sleep_for(std::chrono::seconds(1));
  int frames0 = Frames(ours);
  double cpu0 = CpuSeconds(desktop.Pid());
  auto start = Clock::now();
  std::this_thread::sleep_for(std::chrono::duration<double>(liveSeconds));
  double programFps = (Frames(ours) - frames0) / Seconds(start);
  double programCpu = (CpuSeconds(desktop.Pid()) - cpu0) / Seconds(start) * 100;
  TavorinLibSetViewfinder(0);
  int previews = 0;
  start = Clock::now();
  while (Seconds(start) < liveSeconds)
    if (reference.Preview()) ++previews;
  double libraryFps = previews / Seconds(start);

  double releaseRatio = Median(program) / Median(library);
  double fpsRatio = libraryFps > 0 ? programFps / libraryFps : 0;
  std::printf("camera_bench: %d releases of %.1f MB photos, %.0f s of live view at the camera's 15 fps, on %u cores\n\n",
              releases, bytes / 1e6, liveSeconds, std::thread::hardware_concurrency());
  std::printf("| road | program | libgphoto2 alone | ratio | goal |\n|---|---|---|---|---|\n");
  std::printf("| release to saved file, median ms | %.1f | %.1f (capture + file_get) | %.2fx | within 1.2x |\n",
              Median(program), Median(library), releaseRatio);
  std::printf("| writing that photo to a new file, median ms | | %.1f (this process, same disk) | | |\n",
              Median(saving));
  std::printf("| live view frames a second | %.1f | %.1f (capture_preview loop) | %.2fx | at least 0.9x |\n", programFps,
              libraryFps, fpsRatio);
  std::printf("| live view CPU, %% of a core | %.1f | | | under 15%% |\n", programCpu);
  if (argc <= 3) std::filesystem::remove_all(photos);
  return 0;
}
