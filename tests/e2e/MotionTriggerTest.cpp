// The motion trigger end to end: the view in this process, the stand-in motion program as a
// real process speaking the protocol over the window station.
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "AppTestSupport.h"
#include "camera/MotionFrame.h"
#include "config/MotionDlg.h"
#include "platform/mfc/dialogscript.h"
#include "platform/user/htmlhelp.h"

extern char** environ;

namespace {

const char kMotionProgramKey[] = "SOFTWARE\\Vevir Edidad\\Rizoru Vori Rivarad";

struct PeerRun {
  int exitCode = -1;
  std::string out, err;
};

std::vector<std::string> g_opened;
void RecordOpened(const char* path) { g_opened.push_back(path); }

// An RGB picture read from the peer's binary PPM.
struct Picture {
  int width = 0, height = 0;
  std::vector<unsigned char> rgb;
  const unsigned char* At(int x, int y) const { return &rgb[(static_cast<size_t>(y) * width + x) * 3]; }
};

Picture ReadPpm(const std::string& path) {
  Picture picture;
  std::ifstream in(path, std::ios::binary);
  std::string magic;
  int maximum = 0;
  in >> magic >> picture.width >> picture.height >> maximum;
  in.get();
  if (magic != "P6" || picture.width <= 0 || picture.height <= 0) return Picture{};
  picture.rgb.resize(static_cast<size_t>(picture.width) * picture.height * 3);
  in.read(reinterpret_cast<char*>(picture.rgb.data()), static_cast<std::streamsize>(picture.rgb.size()));
  return picture;
}

// Bands of rows holding the placeholder's olive text (red and green well above blue).
int TextLines(const Picture& picture) {
  int lines = 0;
  bool inLine = false;
  for (int y = 1; y < picture.height - 1; ++y) {
    bool text = false;
    for (int x = 1; x < picture.width - 1 && !text; ++x) {
      const unsigned char* p = picture.At(x, y);
      text = p[0] > p[2] + 60 && p[1] > p[2] + 60;
    }
    if (text && !inLine) ++lines;
    inLine = text;
  }
  return lines;
}

class MotionTriggerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ClearProductKey();
    SHDeleteKeyA(HKEY_CURRENT_USER, kMotionProgramKey);
    ClearMessageBoxes();
    ClearDialogScripts();
    g_opened.clear();
    SetHtmlHelpOpener(RecordOpened);
    ResetSimulator({SimModel("Canon PowerShot G9")}, true);
    CMyQuilletView::s_nConnectSettleMs = 0;
    m_harness = std::make_unique<ViewHarness>();
    ASSERT_NE(nullptr, m_harness->m_view);
    m_view = m_harness->m_view;
    m_view->m_strDirectory = CString(TestFolder() + "/motion-photos");
    // What the frame says once a first connection failed; the peer looks for it.
    m_harness->m_frame->SetWindowText("Tavorin - Not connected");
  }
  void TearDown() override {
    m_harness.reset();
    CMyQuilletView::s_nConnectSettleMs = 700;
    SetHtmlHelpOpener(nullptr);
    ClearDialogScripts();
    ClearMessageBoxes();
    SHDeleteKeyA(HKEY_CURRENT_USER, kMotionProgramKey);
    ClearProductKey();
  }

  void Connect() {
    PushDialogScript(DialogScript(IDD_PROGRESS).RunUntil([] { return false; }));
    m_view->StartCameraConnection();
    ASSERT_NE(nullptr, m_view->m_pCamera);
    ASSERT_TRUE(PumpUntil([&] { return !m_view->m_bConnecting; }));
  }

  // Runs the peer while this thread keeps answering its messages.
  PeerRun Peer(std::vector<std::string> args) {
    args.insert(args.begin(), TAVORIN_MOTION_PEER_PATH);
    std::string out = TestFolder() + "/peer.out", err = TestFolder() + "/peer.err";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    PeerRun run;
    int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) return run;
    int status = 0;
    bool ended = PumpUntil([&] { return waitpid(pid, &status, WNOHANG) == pid; }, 30000);
    if (!ended) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
    }
    run.exitCode = ended && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::ifstream outFile(out), errFile(err);
    run.out.assign(std::istreambuf_iterator<char>(outFile), {});
    run.err.assign(std::istreambuf_iterator<char>(errFile), {});
    return run;
  }

  Picture PeerFrame() {
    std::string path = TestFolder() + "/frame.ppm";
    std::filesystem::remove(path);
    PeerRun run = Peer({"--frames", "2", "--out", path});
    EXPECT_EQ(0, run.exitCode) << run.err;
    return ReadPpm(path);
  }

  void Command(UINT id) { m_view->SendMessage(WM_COMMAND, MAKEWPARAM(id, 0), 0); }

  std::unique_ptr<ViewHarness> m_harness;
  CMyQuilletView* m_view = nullptr;
};

TEST_F(MotionTriggerTest, AFrameRequestBeforeHelloGoesNowhere) {
  EXPECT_EQ(0, m_view->SendMessage(g_nHotSpotMessage, 10, 0));
  EXPECT_EQ(nullptr, m_view->m_hMotionPeer);
  std::lock_guard<std::mutex> lock(ViewfinderLock());
  const BYTE* frame = MotionFrameBuffer();
  EXPECT_EQ(0, frame[0]) << "the placeholder's black border";
  EXPECT_EQ(255, frame[(120 * 320 + 300) * 3]) << "on white";
}

TEST_F(MotionTriggerTest, ThePlaceholderTellsWhyNoCameraFramesCome) {
  Picture unconnected = PeerFrame();
  ASSERT_EQ(320, unconnected.width);
  ASSERT_EQ(240, unconnected.height);
  EXPECT_EQ(2, TextLines(unconnected)) << "not connected, and the time";
  EXPECT_NE(nullptr, m_view->m_hMotionPeer);

  Connect();
  Picture connected = PeerFrame();
  EXPECT_EQ(3, TextLines(connected)) << "not enabled, the camera and the time";
}

TEST_F(MotionTriggerTest, WithTheProgramInstalledTheCommandSendsCameraFrames) {
  Connect();
  ASSERT_EQ(0, Peer({"--register"}).exitCode);
  PushMessageBoxAnswer(IDOK);
  Command(ID_MOTION_DETECTION);
  ASSERT_EQ(1u, GetShownMessageBoxes().size());
  ShownMessageBox box = GetShownMessageBoxes()[0];
  EXPECT_EQ("Please run Rizoru Vori Rivarad and select\n\"Connect to Morvane Systems Tavorin software\"\nto enable "
            "motion detection.",
            box.text);
  EXPECT_EQ("Tavorin", box.caption);
  EXPECT_EQ(0u, box.icon);
  ASSERT_TRUE(m_view->m_bMotionDetection);
  ASSERT_TRUE(m_view->m_bViewfinderRunning);

  int before = tavsim::SimViewfinderFrames(0);
  ASSERT_TRUE(PumpUntil([&] { return tavsim::SimViewfinderFrames(0) > before + 1; }));
  Picture frame = PeerFrame();
  ASSERT_EQ(320, frame.width);
  // The test card's yellow bar, sent blue-green-red and written back as red-green-blue.
  const unsigned char* yellow = frame.At(60, 20);
  EXPECT_NEAR(235, yellow[0], 30);
  EXPECT_NEAR(235, yellow[1], 30);
  EXPECT_NEAR(16, yellow[2], 30);

  // A second hello finds the peer known: no message box.
  Command(ID_MOTION_DETECTION);
  EXPECT_FALSE(m_view->m_bMotionDetection);
  EXPECT_FALSE(m_view->m_bViewfinderRunning) << "output off and live view off: the viewfinder stops";
  ClearMessageBoxes();
  Command(ID_MOTION_DETECTION);
  EXPECT_TRUE(GetShownMessageBoxes().empty());
  EXPECT_TRUE(m_view->m_bMotionDetection);

  // Connecting again ends motion detection.
  m_view->OnConnectCamera();
  EXPECT_FALSE(m_view->m_bMotionDetection);
}

TEST_F(MotionTriggerTest, TwoPictureRequestsInARowTakeOnePicture) {
  Connect();
  m_view->SendMessage(g_nHotSpotMessage, 11, 0);
  EXPECT_TRUE(m_view->m_bBusy);
  m_view->SendMessage(g_nHotSpotMessage, 11, 0);
  ASSERT_TRUE(PumpUntil([&] { return !m_view->m_bBusy && m_view->m_images.size() == 1; }));
  PumpUntil([] { return false; }, 500);
  EXPECT_EQ(1u, m_view->m_images.size());

  PeerRun shoot = Peer({"--shoot"});
  EXPECT_EQ(0, shoot.exitCode) << shoot.err;
  EXPECT_TRUE(PumpUntil([&] { return !m_view->m_bBusy && m_view->m_images.size() == 2; }));
}

TEST_F(MotionTriggerTest, WithoutTheProgramTheNoticeLeadsToTheHelpPage) {
  Connect();
  PushDialogScript(DialogScript(IDD_MOTION).Press(IDOK));
  Command(ID_MOTION_DETECTION);
  std::vector<ShownDialog> shown = GetShownDialogs();
  ASSERT_FALSE(shown.empty());
  EXPECT_EQ(static_cast<UINT>(IDD_MOTION), shown.back().templateId);
  EXPECT_EQ("Tavorin Motion Detection Requirements", shown.back().caption);
  ASSERT_EQ(1u, g_opened.size());
  EXPECT_TRUE(g_opened[0].ends_with("/help/MotionDetection.htm")) << g_opened[0];
  EXPECT_TRUE(std::filesystem::exists(g_opened[0]));
  EXPECT_FALSE(m_view->m_bMotionDetection);

  // A registered program that is not there counts as missing; Cancel opens nothing.
  HKEY key = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, kMotionProgramKey, 0, nullptr, 0, KEY_WRITE, nullptr,
                                           &key, nullptr));
  const char missing[] = "\" /nowhere/rizoru \"";
  RegSetValueExA(key, "Executable", 0, REG_SZ, reinterpret_cast<const BYTE*>(missing), sizeof missing);
  RegCloseKey(key);
  PushDialogScript(DialogScript(IDD_MOTION).Press(IDCANCEL));
  Command(ID_MOTION_DETECTION);
  EXPECT_EQ(1u, g_opened.size());
  EXPECT_EQ(static_cast<UINT>(IDD_MOTION), GetShownDialogs().back().templateId);
}

}  // namespace
