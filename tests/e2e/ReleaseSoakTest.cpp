// Many remote releases in a row with faults injected into the camera's downloads and into the
// saves: every reported success has its whole file, every failure is reported, nothing else is
// left in the folder. TAVORIN_SOAK_RELEASES sets the number of releases (20 by default); from
// 500 on the program's memory growth between release 50 and 500 is measured as well.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/e2e/E2eProcess.h"

namespace {

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

bool IsWholeJpeg(const std::string& path) {
  std::string data = ReadWhole(path);
  return data.size() > 4 && static_cast<unsigned char>(data[0]) == 0xFF && static_cast<unsigned char>(data[1]) == 0xD8 &&
         static_cast<unsigned char>(data[data.size() - 2]) == 0xFF &&
         static_cast<unsigned char>(data[data.size() - 1]) == 0xD9;
}

long RssKb(pid_t pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
  return 0;
}

// Which releases fail, and how: a fixed pseudo-random pattern, the same in every run.
enum class Fault { kNone, kDownload, kName };
Fault FaultOf(int release) {
  unsigned hash = static_cast<unsigned>(release) * 2654435761u;
  hash ^= hash >> 13;
  if (hash % 11 == 3) return Fault::kDownload;
  if (hash % 13 == 5) return Fault::kName;
  return Fault::kNone;
}

TEST(ReleaseSoakTest, EverySuccessHasItsFileAndEveryFailureIsReported) {
  const char* count = std::getenv("TAVORIN_SOAK_RELEASES");
  const int releases = count && std::atoi(count) > 0 ? std::atoi(count) : 20;
  TestDesktop desktop;
  // One picture download per release in the computer-only mode: download n is release n.
  std::string scenario = desktop.Root() + "/soak.scenario";
  {
    std::ofstream out(scenario);
    out << "camera pr Canon PowerShot G9\n";
    for (int i = 1; i <= releases; ++i)
      if (FaultOf(i) == Fault::kDownload) out << "fault PR_RC_GetReleasedData " << i << " 0x2019\n";
  }
  desktop.AddEnvironment("TAVORIN_CAMERA_SIM=" + scenario);
  ASSERT_TRUE(desktop.Start());
  ASSERT_TRUE(desktop.WaitUntilAnswering(120)) << ReadWhole(desktop.Root() + "/program.log");
  const std::string folder = desktop.Root() + "/photos";
  ASSERT_EQ(desktop.Client({"-C", "1", "-o", folder, "-p", "IMG_", "-n"}).exitCode, 0);
  std::string tooLong;
  for (int i = 0; i < 200; ++i) tooLong += "\xC3\xA9";

  int saved = 0, failedReported = 0, lost = 0, other = 0;
  long rss50 = 0, rss500 = 0;
  std::vector<std::string> savedPaths;
  for (int i = 1; i <= releases; ++i) {
    SCOPED_TRACE(i);
    Fault fault = FaultOf(i);
    std::vector<std::string> args;
    if (fault == Fault::kName) args = {"-p", tooLong};
    ClientRun run = desktop.Client(args);
    if (fault == Fault::kName) {
      ASSERT_EQ(desktop.Client({"-p", "IMG_", "-n"}).exitCode, 0);
    }
    const std::string success = "Success, image saved as: ";
    if (run.out.rfind(success, 0) == 0) {
      std::string path = run.out.substr(success.size());
      path.erase(path.find_last_not_of('\n') + 1);
      if (IsWholeJpeg(path)) {
        ++saved;
        savedPaths.push_back(path);
      } else {
        ++lost;
        ADD_FAILURE() << "reported saved but not whole: " << path;
      }
      EXPECT_EQ(fault, Fault::kNone) << run.out;
    } else if (Contains(run.err, "ERROR: unexpected return status: 7 (Error saving image")) {
      ++failedReported;
      EXPECT_NE(fault, Fault::kNone) << run.err;
    } else {
      ++other;
      ADD_FAILURE() << "neither saved nor a reported failure: " << run.out << run.err;
    }
    if (i == 50) rss50 = RssKb(desktop.ProgramPid());
    if (i == std::min(500, releases) && releases >= 200) rss500 = RssKb(desktop.ProgramPid());
  }
  // Nothing but the reported photos in the folder: no temporary files, no unreported photo.
  size_t files = 0;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder))
    if (entry.is_regular_file()) ++files;
  EXPECT_EQ(files, savedPaths.size());
  std::printf("soak: asked %d, saved %d, failed and reported %d, other %d, lost %d, files %zu\n", releases, saved,
              failedReported, other, lost, files);
  if (rss500) {
    std::printf("soak: RSS at release 50 %ld kB, at release %d %ld kB, growth %ld kB\n", rss50,
                std::min(500, releases), rss500, rss500 - rss50);
    EXPECT_LT(rss500 - rss50, 2048);
  }
  // And the program still quits cleanly when asked.
  EXPECT_EQ(desktop.Client({"-X"}).exitCode, 0);
  EXPECT_EQ(desktop.WaitForExit(60), 0);
  EXPECT_EQ(lost, 0);
  EXPECT_EQ(other, 0);
  EXPECT_GT(failedReported, 0);
  EXPECT_EQ(saved + failedReported, releases);
}

}  // namespace
