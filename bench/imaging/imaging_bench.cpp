// Times the imaging work the photo road and the photobooth wait on, each beside a reference
// tool run on the same data in the same run. Usage: imaging_bench [work folder] [repeats]
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "platform/polyimage/polyimage.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

int g_repeats = 5;

/// Best wall time in milliseconds over the repeats; `prepare` runs untimed before each.
double Best(const std::function<void()>& prepare, const std::function<bool()>& work) {
  double best = 1e30;
  for (int i = 0; i < g_repeats; ++i) {
    prepare();
    auto start = Clock::now();
    if (!work()) return -1;
    best = std::min(best, std::chrono::duration<double, std::milli>(Clock::now() - start).count());
  }
  return best;
}

bool Run(const std::vector<std::string>& command) {
  std::vector<char*> argv;
  for (const std::string& a : command) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  pid_t pid;
  int rc = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) return false;
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// Runs vips with --vips-progress and returns the time it reports for the operation itself
// ("done in 0.132s"), which leaves out its start-up; -1 on failure.
double VipsReported(std::vector<std::string> command) {
  std::string line = "vips";
  for (const std::string& a : command) line += " '" + a + "'";
  line += " --vips-progress 2>/dev/null";
  FILE* pipe = ::popen(line.c_str(), "r");
  if (!pipe) return -1;
  std::string output;
  char buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, n);
  if (::pclose(pipe) != 0) return -1;
  size_t at = output.rfind("done in ");
  return at == std::string::npos ? -1 : std::atof(output.c_str() + at + 8) * 1000.0;
}

// Runs tjbench (libjpeg-turbo timing its own API in-process, output buffers allocated once)
// and returns milliseconds per frame for the line starting with `label`; -1 on failure.
double Tjbench(const std::string& arguments, const char* label) {
  FILE* pipe = ::popen(("tjbench " + arguments + " 2>/dev/null").c_str(), "r");
  if (!pipe) return -1;
  std::string output;
  char buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, n);
  ::pclose(pipe);
  size_t at = output.find(label);
  if (at == std::string::npos || (at = output.find("Frame rate:", at)) == std::string::npos) return -1;
  double fps = std::atof(output.c_str() + at + 11);
  return fps > 0 ? 1000.0 / fps : -1;
}

double BestRun(const std::vector<std::string>& command) {
  return Best([] {}, [&] { return Run(command); });
}

bool Have(const char* tool) { return Run({"sh", "-c", std::string("command -v ") + tool}); }

struct Row {
  std::string what, reference;
  double ours, theirs;
};

void Print(const std::vector<Row>& rows) {
  std::printf("\n| operation (4000x3000) | ours ms | reference | ref ms | ours/ref |\n");
  std::printf("|---|---:|---|---:|---:|\n");
  for (const Row& r : rows) {
    if (r.theirs > 0)
      std::printf("| %s | %.1f | %s | %.1f | %.2f |\n", r.what.c_str(), r.ours, r.reference.c_str(), r.theirs,
                  r.ours / r.theirs);
    else
      std::printf("| %s | %.1f | %s | n/a | |\n", r.what.c_str(), r.ours, r.reference.c_str());
  }
}

}  // namespace

int main(int argc, char** argv) {
  namespace fs = std::filesystem;
  fs::path work = argc > 1 ? fs::path(argv[1]) : fs::temp_directory_path() / "tavorin-imaging-bench";
  if (argc > 2) g_repeats = std::max(1, std::atoi(argv[2]));
  fs::create_directories(work);
  auto file = [&](const char* name) { return (work / name).string(); };

  // A photo-like picture: smooth gradients with fine texture, so the codecs have real work.
  const int W = 4000, H = 3000;
  std::vector<BYTE> bgr(size_t(W) * H * 3);
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x) {
      BYTE* p = &bgr[(size_t(y) * W + x) * 3];
      int noise = int(((uint32_t(x) * 73856093u) ^ (uint32_t(y) * 19349663u)) % 23u);
      p[0] = BYTE((x / 16 + noise) & 255);
      p[1] = BYTE((y / 12 + noise * 2) & 255);
      p[2] = BYTE(((x + y) / 28 + noise) & 255);
    }
  int photo = cNewSession();
  cSetJPEGParams(photo, 90, 1.0, 1, 0);
  if (!cLoadImage8(photo, bgr.data(), DWORD(bgr.size()), W, H, 0, 0, 0) ||
      !cSave(photo, file("photo.jpg").c_str(), PIP_FORMAT_JPEG, 0, 0, 0)) {
    std::fprintf(stderr, "imaging_bench: cannot make the test photo in %s\n", work.c_str());
    return 1;
  }
  std::vector<std::string> notes;
  bool djpeg = Have("djpeg") && Have("cjpeg"), vips = Have("vips"), tjbench = Have("tjbench");
  if (!djpeg) notes.push_back("djpeg/cjpeg missing: install libjpeg-turbo-progs");
  if (!vips) notes.push_back("vips missing: install libvips-tools");
  if (djpeg) Run({"djpeg", "-outfile", file("photo.ppm"), file("photo.jpg")});
  if (vips) {
    Run({"vips", "copy", file("photo.jpg"), file("photo.v")});
    Run({"vips", "bandjoin_const", file("photo.v"), file("overlay.v"), "128"});
    FILE* mask = std::fopen(file("sharpen.mat").c_str(), "w");
    std::fprintf(mask, "3 3 1 0\n-1 -1 -1\n-1 17 -1\n-1 -1 -1\n");
    std::fclose(mask);
  }
  auto vipsRun = [&](const std::vector<std::string>& command) {
    double best = -1;
    for (int i = 0; vips && i < g_repeats; ++i) {
      double ms = VipsReported(command);
      if (ms >= 0 && (best < 0 || ms < best)) best = ms;
    }
    return best;
  };

  std::vector<BYTE> jpeg;
  {
    FILE* f = std::fopen(file("photo.jpg").c_str(), "rb");
    std::fseek(f, 0, SEEK_END);
    jpeg.resize(size_t(std::ftell(f)));
    std::fseek(f, 0, SEEK_SET);
    if (std::fread(jpeg.data(), 1, jpeg.size(), f) != jpeg.size()) return 1;
    std::fclose(f);
  }
  int s = cNewSession(), overlay = cNewSession();
  auto reload = [&] { cLoadImage8(s, bgr.data(), DWORD(bgr.size()), W, H, 0, 0, 0); };
  std::vector<Row> rows;

  rows.push_back({"decode JPEG", "djpeg", Best([] {}, [&] { return cLoadImage(s, file("photo.jpg").c_str(), 0, 0, 0) != 0; }),
                  djpeg ? BestRun({"djpeg", "-outfile", "/dev/null", file("photo.jpg")}) : -1});
  rows.push_back({"decode JPEG", "tjbench decompress (in-process)", rows.back().ours,
                  tjbench ? Tjbench("'" + file("photo.jpg") + "' -benchtime 1 -warmup 0", "Decompress") : -1});
  rows.push_back({"decode to fit 1600x1200", "djpeg -scale 1/2",
                  Best([] {}, [&] { return cLoadThumbnail(s, file("photo.jpg").c_str(), 1600, 1200) != 0; }),
                  djpeg ? BestRun({"djpeg", "-scale", "1/2", "-outfile", "/dev/null", file("photo.jpg")}) : -1});
  rows.push_back({"resize to 1800x1200, quality 7", "vips resize lanczos3",
                  Best(reload, [&] { return cOpResize(s, 1800, 1200, 7, 0, 0) != 0; }),
                  vipsRun({"resize", file("photo.v"), file("resized.v"), "0.45", "--vscale", "0.4", "--kernel", "lanczos3"})});
  rows.push_back({"rotate 3.5 degrees", "vips rotate", Best(reload, [&] { return cOpRotateFine(s, 3.5) != 0; }),
                  vipsRun({"rotate", file("photo.v"), file("rotated.v"), "3.5"})});
  std::vector<BYTE> mask(size_t(W) * H, 128);
  cLoadImage8(overlay, bgr.data(), DWORD(bgr.size()), W, H, 0, 0, 0);
  cLoadAlphaMask(overlay, mask.data());
  rows.push_back({"merge with alpha", "vips composite2 over",
                  Best(reload, [&] { return cMergeImage(s, overlay, 0, 0, 255, 0) != 0; }),
                  vipsRun({"composite2", file("photo.v"), file("overlay.v"), file("merged.v"), "over"})});
  rows.push_back({"sharpen (3x3)", "vips conv 3x3 integer", Best(reload, [&] { return cOpSharpen(s, 50) != 0; }),
                  vipsRun({"conv", file("photo.v"), file("sharp.v"), file("sharpen.mat"), "--precision", "integer"})});
  reload();
  cSetJPEGParams(s, 90, 1.0, 1, 0);
  rows.push_back({"encode JPEG quality 90", "cjpeg -quality 90",
                  Best([] {}, [&] { return cSave(s, file("out.jpg").c_str(), PIP_FORMAT_JPEG, 0, 0, 0) != 0; }),
                  djpeg ? BestRun({"cjpeg", "-quality", "90", "-outfile", "/dev/null", file("photo.ppm")}) : -1});
  rows.push_back({"encode JPEG quality 90", "tjbench compress 4:2:0 (in-process)", rows.back().ours,
                  tjbench && djpeg ? Tjbench("'" + file("photo.ppm") + "' 90 -subsamp 420 -benchtime 1 -warmup 0 -componly",
                                             "Compress")
                                   : -1});

  std::printf("imaging_bench: ours best of %d runs on %u cores, beside\n"
              "  djpeg/cjpeg: whole tool runs (start-up and file I/O included), best of %d;\n"
              "  tjbench: libjpeg-turbo alone, in-process, mean per frame;\n"
              "  vips: the time it reports for the operation (start-up left out; .v files in and out), best of %d\n",
              g_repeats, std::thread::hardware_concurrency(), g_repeats, g_repeats);
  Print(rows);
  for (const std::string& note : notes) std::printf("note: %s\n", note.c_str());
  cDestroySession(s);
  cDestroySession(overlay);
  cDestroySession(photo);
  fs::remove_all(work);
  return 0;
}
