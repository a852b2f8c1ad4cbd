// A picture that could not be saved is reported as a failure to the remote client, never as a
// success: the program and tavorin-test end to end, with writes that fail even for root.
#include <gtest/gtest.h>

#include <sys/resource.h>

#include <filesystem>
#include <functional>
#include <fstream>
#include <string>
#include <vector>

#include "tests/e2e/E2eProcess.h"

namespace {

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

std::vector<std::string> Photos(const std::string& folder) {
  std::vector<std::string> found;
  std::error_code error;
  for (auto it = std::filesystem::recursive_directory_iterator(folder, error);
       it != std::filesystem::recursive_directory_iterator(); it.increment(error)) {
    if (it->is_regular_file()) found.push_back(it->path().filename().string());
  }
  return found;
}

class FailedSaveTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(m_desktop.Start());
    ASSERT_TRUE(m_desktop.WaitUntilAnswering(120)) << ReadWhole(m_desktop.Root() + "/program.log");
    ASSERT_EQ(m_desktop.Client({"-C", "1", "-o", Folder(), "-n"}).exitCode, 0);
  }

  std::string Folder() const { return m_desktop.Root() + "/photos/shots"; }

  TestDesktop m_desktop;
};

TEST_F(FailedSaveTest, AFailedSaveIsReportedAndNeverAsSuccess) {
  struct Row {
    const char* name;
    std::function<void()> setUp;
    std::function<void()> tearDown;
    const char* reason;
  };
  std::string accented;
  for (int i = 0; i < 200; ++i) accented += "\xC3\xA9";  // "é" as the terminal passes it
  const pid_t program = m_desktop.ProgramPid();
  const Row rows[] = {
      {"name longer than the file system allows",
       [&] { ASSERT_EQ(m_desktop.Client({"-p", accented, "-n"}).exitCode, 0); },
       [&] { ASSERT_EQ(m_desktop.Client({"-p", "IMG_", "-n"}).exitCode, 0); }, "file name too long"},
      {"a file where the folder should be",
       [&] {
         std::filesystem::remove_all(Folder());
         std::ofstream(Folder()) << "not a folder";
       },
       [&] {
         std::filesystem::remove(Folder());
         std::filesystem::create_directories(Folder());
       },
       "folder not found"},
      {"disk full (file-size limit)",
       [&] {
         rlimit limit{16 * 1024, RLIM_INFINITY};
         ASSERT_EQ(prlimit(program, RLIMIT_FSIZE, &limit, nullptr), 0);
       },
       [&] {
         rlimit limit{RLIM_INFINITY, RLIM_INFINITY};
         ASSERT_EQ(prlimit(program, RLIMIT_FSIZE, &limit, nullptr), 0);
       },
       "disk full"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    ASSERT_NO_FATAL_FAILURE(row.setUp());
    ClientRun release = m_desktop.Client({});
    row.tearDown();
    EXPECT_EQ(release.exitCode, 0);
    EXPECT_EQ(release.out, "");
    EXPECT_EQ(release.err,
              std::string("ERROR: unexpected return status: 7 (Error saving image: ") + row.reason + ")\n");
    EXPECT_EQ(Photos(Folder()), std::vector<std::string>{});
  }
  // The program is still well and saves again.
  ClientRun release = m_desktop.Client({});
  EXPECT_TRUE(Contains(release.out, "Success, image saved as: " + Folder() + "/")) << release.out << release.err;
  EXPECT_TRUE(release.out.ends_with("/IMG_0001.JPG\n")) << release.out;
}

TEST_F(FailedSaveTest, APrefixThatLeavesTheFolderIsRefused) {
  for (const char* prefix : {"../escaped_", "sub/IMG_", "/tmp/x"}) {
    SCOPED_TRACE(prefix);
    ClientRun set = m_desktop.Client({"-p", prefix, "-n"});
    EXPECT_EQ(set.exitCode, 1);
    EXPECT_EQ(set.err, "Error setting filename prefix, error: 5\n");
  }
  ClientRun release = m_desktop.Client({});
  EXPECT_TRUE(Contains(release.out, "Success, image saved as: " + Folder() + "/")) << release.err;
  EXPECT_EQ(Photos(m_desktop.Root() + "/photos").size(), 1u);
}

}  // namespace
