// The remote-control channel end to end: the built program on a private desktop with the
// threaded simulated camera, driven by tavorin-test and by a raw client of the shared block.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "ipc/MappedFile.h"
#include "ipc/TavorinIPC.h"
#include "platform/user/message.h"
#include "tests/e2e/E2eProcess.h"

namespace {

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

class RemoteControlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_desktop.AddEnvironment("TAVORIN_CAMERA_SIM_CALL_LOG=" + CallLog());
    ASSERT_TRUE(m_desktop.Start());
    ASSERT_TRUE(m_desktop.WaitUntilAnswering(120)) << ReadWhole(m_desktop.Root() + "/program.log");
    ClientRun connect = m_desktop.Client({"-C", "1"});
    ASSERT_EQ(connect.exitCode, 0) << connect.err;
  }

  std::string Photos() const { return m_desktop.Root() + "/photos"; }
  std::string CallLog() const { return m_desktop.Root() + "/camera-calls.log"; }
  /// The camera's calls of the given functions since the last look, "function value" each.
  std::vector<std::string> CameraCalls(std::initializer_list<std::string> functions) {
    std::vector<std::string> calls;
    std::ifstream in(CallLog());
    std::string function;
    unsigned long id, size, value;
    while (in >> function >> id >> size >> value)
      if (std::find(functions.begin(), functions.end(), function) != functions.end())
        calls.push_back(function + " " + std::to_string(value));
    std::filesystem::remove(CallLog());
    return calls;
  }

  /// A client of the channel in this test's desktop, found idle, with the camera model it reads.
  void OpenRawClient(TavorinIPC& client, char (&model)[768]) {
    setenv("XDG_RUNTIME_DIR", (m_desktop.Root() + "/run").c_str(), 1);
    ASSERT_EQ(client.findServer(5000), kIpcIdle);
    ASSERT_EQ(client.sendCommand(kIpcGetModel, 0, 5000), kIpcDone);
    client.getReplyText(model, sizeof model);
    ASSERT_STRNE(model, "");
  }

  TestDesktop m_desktop;
};

TEST_F(RemoteControlTest, ReleaseSavesThePictureInTheChosenFolder) {
  ClientRun query = m_desktop.Client({"-o", Photos(), "-q", "-n"});
  ASSERT_EQ(query.exitCode, 0) << query.err;
  EXPECT_TRUE(Contains(query.out, "Output directory: " + Photos() + "/")) << query.out;
  EXPECT_TRUE(Contains(query.out, "\nCamera model: ") && !Contains(query.out, "Camera model: \n")) << query.out;

  ClientRun release = m_desktop.Client({});
  ASSERT_EQ(release.exitCode, 0) << release.err;
  const std::string prefix = "Success, image saved as: ";
  ASSERT_EQ(release.out.rfind(prefix, 0), 0u) << release.out << release.err;
  std::string path = release.out.substr(prefix.size());
  path.erase(path.find_last_not_of('\n') + 1);
  EXPECT_EQ(path.rfind(Photos() + "/", 0), 0u) << path;
  EXPECT_GT(std::filesystem::file_size(path), 1000u) << path;
}

TEST_F(RemoteControlTest, OptionsReachTheProgramAndFailuresExitWithOne) {
  const std::string longComment(300, 'c');
  const std::string kUsage = "usage";
  struct Row {
    std::vector<std::string> args;
    int exitCode;
    std::string err;
    std::vector<std::string> cameraCalls = {};  // AF lock and viewfinder calls the row must cause
  };
  const Row rows[] = {
      {{"-c", "Wedding", "-p", "party_", "-n"}, 0, ""},
      {{"-l", "1", "-l", "0", "-r", "-n"}, 0, "", {"PR_RC_FocusLock 0", "PR_RC_FocusUnlock 0"}},
      {{"-v", "1", "-n"}, 0, "", {"PR_RC_StartViewFinder 0"}},
      {{"-v", "0", "-n"}, 0, "", {"PR_RC_TermViewFinder 0"}},
      {{"-c", longComment}, 1, "Error setting comment, error: 5\n"},
      {{"-I", "9999"}, 1, "Error setting ISO, error: 5\n"},
      {{"-s", "9999", "-a", "0"}, 1, "Error setting shutter speed, error: 5\n"},
      {{"-z", "100000"}, 1, "Error zooming lens, error: 5\n"},
      {{"-v", "6"}, 1, "Error selecting live viewfinder, error: 5\n"},
      {{"-S", "1"}, 1, "Error selecting camera, error: 6\n"},
      {{"-I"}, 0, kUsage},
      {{"-s", "x1"}, 0, kUsage},
      {{"-bogus"}, 0, kUsage},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.args.empty() ? "" : row.args[0] + " " + (row.args.size() > 1 ? row.args[1] : ""));
    CameraCalls({});
    ClientRun run = m_desktop.Client(row.args);
    EXPECT_EQ(run.exitCode, row.exitCode) << run.err;
    if (!row.cameraCalls.empty()) {
      EXPECT_EQ(CameraCalls({"CDAFLock", "CDStartViewfinder", "CDTermViewfinder", "PR_RC_FocusLock",
                             "PR_RC_FocusUnlock", "PR_RC_StartViewFinder", "PR_RC_TermViewFinder"}),
                row.cameraCalls);
    }
    if (row.err == kUsage) {
      // The whole usage text: its first and last lines and one line per option in between.
      EXPECT_EQ(run.err.rfind("Usage: TavorinTest <options>\n", 0), 0u) << run.err;
      EXPECT_TRUE(run.err.ends_with("\t-X              exit Tavorin\n")) << run.err;
      EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 25) << run.err;
    } else {
      EXPECT_EQ(run.err, row.err);
    }
    EXPECT_EQ(run.out, "");
  }
}

TEST_F(RemoteControlTest, DisconnectedCameraIsReportedAndReconnects) {
  ClientRun off = m_desktop.Client({"-C", "0"});
  ASSERT_EQ(off.exitCode, 0) << off.err;
  ClientRun release = m_desktop.Client({});
  EXPECT_EQ(release.exitCode, 0);
  EXPECT_EQ(release.err, "Camera is not connected\n");
  ClientRun model = m_desktop.Client({"-q", "-n"});
  EXPECT_TRUE(Contains(model.out, "Camera model: \n")) << model.out;
  ClientRun on = m_desktop.Client({"-C", "1", "-o", Photos()});
  ASSERT_EQ(on.exitCode, 0) << on.err;
  release = m_desktop.Client({});
  EXPECT_TRUE(Contains(release.out, "Success, image saved as: " + Photos())) << release.out << release.err;
}

TEST_F(RemoteControlTest, WebcamLoopReplacesWebcamJpg) {
  ASSERT_EQ(m_desktop.Client({"-o", Photos(), "-n"}).exitCode, 0);
  ClientRun run = m_desktop.Client({"-w", "3", "-i", "1", "-n"});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_TRUE(Contains(run.out, "Starting webcam sequence of 3 shots with 1 secs between shots\n")) << run.out;
  size_t renamed = 0;
  for (size_t at = run.out.find("Image renamed 'webcam.jpg'"); at != std::string::npos;
       at = run.out.find("Image renamed 'webcam.jpg'", at + 1))
    ++renamed;
  EXPECT_EQ(renamed, 3u) << run.out << run.err;
  EXPECT_TRUE(std::filesystem::exists(m_desktop.Root() + "/work/webcam.jpg"));
}

TEST_F(RemoteControlTest, ExitQuitsAndKeepsTheSettings) {
  ASSERT_EQ(m_desktop.Client({"-o", Photos(), "-n"}).exitCode, 0);
  ClientRun exit = m_desktop.Client({"-X"});
  EXPECT_EQ(exit.exitCode, 0) << exit.err;
  EXPECT_EQ(m_desktop.WaitForExit(60), 0);

  ASSERT_TRUE(m_desktop.Start());
  ASSERT_TRUE(m_desktop.WaitUntilAnswering(120));
  ClientRun query = m_desktop.Client({"-q", "-n"});
  EXPECT_TRUE(Contains(query.out, "Output directory: " + Photos() + "/")) << query.out;
}

// A logout, `kill`, Ctrl+C or a closed terminal ends the program as its close box does.
TEST(RemoteControlSignalTest, EndSignalsKeepTheSettings) {
  TestDesktop desktop;
  std::string expected;
  for (int signalNumber : {SIGTERM, SIGINT, SIGHUP, 0}) {
    SCOPED_TRACE(signalNumber);
    ASSERT_TRUE(desktop.Start());
    ASSERT_TRUE(desktop.WaitUntilAnswering(120)) << ReadWhole(desktop.Root() + "/program.log");
    if (!expected.empty()) {
      ClientRun query = desktop.Client({"-q", "-n"});
      EXPECT_TRUE(Contains(query.out, "Output directory: " + expected + "/")) << query.out;
    }
    if (!signalNumber) break;
    expected = desktop.Root() + "/photos/" + std::to_string(signalNumber);
    std::filesystem::create_directories(expected);
    ASSERT_EQ(desktop.Client({"-o", expected, "-n"}).exitCode, 0);
    desktop.Signal(signalNumber);
    EXPECT_EQ(desktop.WaitForExit(60), 0) << ReadWhole(desktop.Root() + "/program.log");
  }
}

// A client of the block itself, as another program would write one.
TEST_F(RemoteControlTest, RawClientGetsAnAnswerToEveryCommand) {
  setenv("XDG_RUNTIME_DIR", (m_desktop.Root() + "/run").c_str(), 1);
  TavorinIPC client;
  ASSERT_EQ(client.findServer(5000), kIpcIdle);
  EXPECT_EQ(client.sendCommand(42, 0, 5000), kIpcRefused);
  EXPECT_EQ(client.sendCommand(0, 0, 5000), kIpcRefused);
  EXPECT_EQ(client.sendCommandString(kIpcComment, std::string(255, 'a').c_str(), 5000), kIpcDone);
  EXPECT_EQ(client.sendCommandString(kIpcComment, std::string(256, 'a').c_str(), 5000), kIpcRefused);

  // A text that fills the whole field with no terminator is refused, not read past.
  MappedFile mapping;
  TavorinIpcBlock* block = mapping.GetMappedView();
  ASSERT_NE(block, nullptr);
  ASSERT_EQ(client.findServer(5000), kIpcIdle);
  block->command = kIpcSetDirectory;
  block->parameter = 0;
  std::memset(block->text, 'x', sizeof block->text);
  block->status = 0;
  HWND server = reinterpret_cast<HWND>(static_cast<UINT_PTR>(block->serverWindow));
  ASSERT_TRUE(PostMessageA(server, TavorinIPC::s_nMessage, 0, 0));
  EXPECT_EQ(client.waitStatusChange(0, 5000), kIpcRefused);

  // Many status commands in a row: none lost; the round trip is reported, not asserted.
  std::vector<double> microseconds;
  microseconds.reserve(10000);
  int lost = 0;
  for (int i = 0; i < 10000; ++i) {
    auto start = std::chrono::steady_clock::now();
    if (client.sendCommand(kIpcStatus, 0, 5000) != kIpcIdle) ++lost;
    microseconds.push_back(std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count());
  }
  EXPECT_EQ(lost, 0);
  std::nth_element(microseconds.begin(), microseconds.begin() + 5000, microseconds.end());
  std::printf("status round trip: median %.0f us over 10000\n", microseconds[5000]);
}

// Status commands back to back, as a polling client sends them: every one is answered with
// the idle status and the camera's model, none lost or mixed up with another reply.
TEST_F(RemoteControlTest, EveryStatusCommandIsAnsweredWithTheModel) {
  TavorinIPC client;
  char model[768];
  ASSERT_NO_FATAL_FAILURE(OpenRawClient(client, model));
  ClientRun query = m_desktop.Client({"-q", "-n"});
  EXPECT_TRUE(Contains(query.out, std::string("\nCamera model: ") + model + "\n")) << query.out;

  int wrongStatus = 0, wrongText = 0, firstWrong = -1;
  std::string firstAnswer;
  for (int i = 0; i < 10000; ++i) {
    int status = client.sendCommand(kIpcStatus, 0, 5000);
    char reply[768];
    client.getReplyText(reply, sizeof reply);
    if (status != kIpcIdle) ++wrongStatus;
    if (std::strcmp(reply, model) != 0) ++wrongText;
    if (firstWrong < 0 && (status != kIpcIdle || std::strcmp(reply, model) != 0)) {
      firstWrong = i;
      firstAnswer = std::to_string(status) + " '" + reply + "'";
    }
  }
  EXPECT_EQ(wrongStatus, 0) << "first wrong answer at command " << firstWrong << ": " << firstAnswer;
  EXPECT_EQ(wrongText, 0) << "first wrong answer at command " << firstWrong << ": " << firstAnswer;
}

// The simulated camera holds a release's pictures back until the test creates the gate file,
// so the shot is under way for as long as the test needs.
class RemoteControlBusyTest : public RemoteControlTest {
 protected:
  void SetUp() override {
    m_gate = m_desktop.Root() + "/release-gate";
    m_desktop.AddEnvironment("TAVORIN_CAMERA_SIM_RELEASE_GATE=" + m_gate);
    RemoteControlTest::SetUp();
  }

  void OpenGate() { std::ofstream(m_gate).put('1'); }

  std::string m_gate;
};

TEST_F(RemoteControlBusyTest, CommandsDuringAShotAnswerBusy) {
  ASSERT_EQ(m_desktop.Client({"-o", Photos(), "-n"}).exitCode, 0);
  TavorinIPC client;
  char model[768];
  ASSERT_NO_FATAL_FAILURE(OpenRawClient(client, model));

  ASSERT_EQ(client.sendCommand(kIpcRelease, 0, 5000), kIpcReleaseStarted);
  // The program queues the release behind its reply, so one status sent at once may come
  // first and still find the camera idle; the next one comes after it.
  int status = kIpcIdle;
  for (int i = 0; i < 3 && status == kIpcIdle; ++i) status = client.sendCommand(kIpcStatus, 0, 5000);
  EXPECT_EQ(status, kIpcBusy);
  char reply[768];
  client.getReplyText(reply, sizeof reply);
  EXPECT_STREQ(reply, model);

  struct Row {
    const char* name;
    int command;
    int parameter;
  };
  const Row rows[] = {
      {"release", kIpcRelease, 0}, {"zoom", kIpcZoom, 0}, {"ISO", kIpcIso, 0},
      {"disconnect", kIpcConnect, 0}, {"status again", kIpcStatus, 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(client.sendCommand(row.command, row.parameter, 5000), kIpcBusy);
  }
  ClientRun second = m_desktop.Client({});
  EXPECT_EQ(second.exitCode, 0);
  EXPECT_EQ(second.out, "");
  EXPECT_EQ(second.err, "Camera is busy\n");

  // Once the pictures come, the shot ends: the photo is saved and the camera is idle again.
  // Status commands go back to back meanwhile: the "saved" reply the program writes for the
  // release lands while one of them waits, and must not be taken for that command's answer.
  OpenGate();
  int savedAnswers = 0;
  for (int i = 0; i < 200000 && status != kIpcIdle; ++i) {
    status = client.sendCommand(kIpcStatus, 0, 5000);
    if (status == kIpcSaved) ++savedAnswers;
  }
  ASSERT_EQ(status, kIpcIdle);
  EXPECT_EQ(savedAnswers, 0);
  ClientRun third = m_desktop.Client({});
  EXPECT_TRUE(Contains(third.out, "Success, image saved as: " + Photos())) << third.out << third.err;
  std::vector<std::string> photos;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(Photos()))
    if (entry.is_regular_file() && entry.path().extension() == ".JPG") photos.push_back(entry.path().string());
  std::string names;
  for (const std::string& name : photos) names += name + "\n";
  EXPECT_EQ(photos.size(), 2u) << names;
}

TEST(RemoteControlNotRunningTest, ClientSaysTavorinIsNotRunning) {
  TestDesktop desktop;
  ClientRun run = desktop.Client({});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.err, "Tavorin is not running\n");
  ClientRun query = desktop.Client({"-q"});
  EXPECT_EQ(query.exitCode, 1);
  EXPECT_EQ(query.err, "Error getting output directory, error: 1\n");
}

}  // namespace
