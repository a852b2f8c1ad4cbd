// When other programs cannot reach the remote-control channel, the user is told so at start
// instead of the channel staying silently off.
#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "tests/e2e/E2eProcess.h"

namespace {

// Waits (bounded) for the program's log to hold the text.
bool LogShows(const TestDesktop& desktop, const std::string& text) {
  auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(90);
  while (std::chrono::steady_clock::now() < limit) {
    if (ReadWhole(desktop.Root() + "/program.log").find(text) != std::string::npos) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  return false;
}

const char kNotice[] = "MessageBox: Tavorin: Other programs cannot remote-control Tavorin in this session:\n";

TEST(ChannelNoticeTest, AStationFolderTakenByAnotherUserIsToldToTheUser) {
  TestDesktop desktop;
  // Another user made the folder first.
  std::string station = desktop.Root() + "/run/tavorin-station";
  ASSERT_EQ(mkdir(station.c_str(), 0777), 0);
  ASSERT_EQ(chown(station.c_str(), 65534, 65534), 0);
  desktop.AddEnvironment("TAVORIN_TRACE=1");
  desktop.AddEnvironment("TAVORIN_TEST=1");  // the box takes its default button
  ASSERT_TRUE(desktop.Start());
  EXPECT_TRUE(LogShows(desktop, std::string(kNotice) + station + " belongs to another user"))
      << ReadWhole(desktop.Root() + "/program.log");
}

TEST(ChannelNoticeTest, ASocketPathPastTheSystemLimitIsToldToTheUser) {
  TestDesktop desktop;
  std::string runtime = desktop.Root() + "/run/" + std::string(100, 'r');
  ASSERT_TRUE(std::filesystem::create_directories(runtime));
  chmod(runtime.c_str(), 0700);
  desktop.AddEnvironment("XDG_RUNTIME_DIR=" + runtime);
  desktop.AddEnvironment("TAVORIN_TRACE=1");
  desktop.AddEnvironment("TAVORIN_TEST=1");
  ASSERT_TRUE(desktop.Start());
  EXPECT_TRUE(LogShows(desktop, std::string(kNotice) + "the socket path " + runtime))
      << ReadWhole(desktop.Root() + "/program.log");
  EXPECT_TRUE(LogShows(desktop, "is longer than the system allows (107 bytes)"));
}

}  // namespace
