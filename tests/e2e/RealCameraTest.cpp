// The built program with its real camera back end: libgphoto2 drives the PTP/IP test camera
// on loopback, named by TAVORIN_CAMERA_PORT, and tavorin-test drives the program.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "platform/registry/registry.h"
#include "platform/registry/registry_testing.h"
#include "tests/camera/PtpipTestCamera.h"
#include "tests/e2e/E2eProcess.h"

namespace {

using namespace std::chrono_literals;

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// A JPEG without its leading marker segments (APP0 to APP15, comments): its image data.
std::string ImageData(const std::string& jpeg) {
  size_t pos = 2;
  while (pos + 4 <= jpeg.size() && static_cast<unsigned char>(jpeg[pos]) == 0xFF) {
    unsigned char marker = static_cast<unsigned char>(jpeg[pos + 1]);
    if (!((marker >= 0xE0 && marker <= 0xEF) || marker == 0xFE)) break;
    pos += 2 + (static_cast<unsigned char>(jpeg[pos + 2]) << 8 | static_cast<unsigned char>(jpeg[pos + 3]));
  }
  return pos < jpeg.size() ? jpeg.substr(pos) : std::string();
}

std::vector<std::string> Jpegs(const std::string& folder) {
  std::vector<std::string> found;
  std::error_code error;
  for (auto& entry : std::filesystem::recursive_directory_iterator(folder, error))
    if (entry.path().extension() == ".JPG") found.push_back(entry.path().string());
  return found;
}

class RealCameraTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(m_camera.Running());
    Prepare();
    m_desktop.AddEnvironment("TAVORIN_CAMERA_SIM=");  // the real back end
    m_desktop.AddEnvironment("TAVORIN_CAMERA_PORT=" + m_camera.PortName());
    ASSERT_TRUE(m_desktop.Start());
    ASSERT_TRUE(m_desktop.WaitUntilAnswering(120)) << ReadWhole(m_desktop.Root() + "/program.log");
    ClientRun connect = m_desktop.Client({"-C", "1", "-o", Photos(), "-q", "-n"});
    ASSERT_EQ(connect.exitCode, 0) << connect.out << connect.err;
    ASSERT_TRUE(Contains(connect.out, "Camera model: Canon PowerShot Test Camera")) << connect.out;
  }

  /// Runs before the program starts.
  virtual void Prepare() {}

  std::string Photos() const { return m_desktop.Root() + "/photos"; }
  static std::string Fixture(const char* name) {
    return PtpipTestCamera::ReadFile(PtpipTestCamera::DefaultPhotos() + "/" + name);
  }

  /// What the camera logged after `mark` (a length of its log read earlier).
  std::string LoggedSince(size_t mark) const { return m_camera.Log().substr(std::min(mark, m_camera.Log().size())); }

  bool WaitUntil(const std::function<bool()>& done, std::chrono::seconds limit = 60s) {
    auto end = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < end) {
      if (done()) return true;
      std::this_thread::sleep_for(100ms);
    }
    return false;
  }

  PtpipTestCamera m_camera;
  TestDesktop m_desktop;
};

TEST_F(RealCameraTest, SettingsFromTheClientReachTheCamera) {
  struct Row {
    std::vector<std::string> args;
    std::string seen;
  } rows[] = {
      // The lists are the camera's own: index 3 of its ISO list (Auto, 100, 200, 400, ...) is
      // ISO 400, index 1 of its white balances daylight, index 4 of its shutter speeds 1".
      {{"-I", "3", "-n"}, "set 0xd01c 0x58"},
      {{"-W", "1", "-n"}, "set 0xd013 0x1\n"},
      {{"-e", "2", "-s", "4", "-n"}, "set 0xd01e 0x38"},
      {{"-e", "3", "-a", "2", "-n"}, "set 0xd01d 0x"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.args[0]);
    size_t mark = m_camera.Log().size();
    ClientRun run = m_desktop.Client(row.args);
    EXPECT_EQ(run.exitCode, 0) << run.out << run.err;
    EXPECT_TRUE(WaitUntil([&] { return Contains(LoggedSince(mark), row.seen); }, 20s)) << LoggedSince(mark);
  }
}

TEST_F(RealCameraTest, ReleaseSavesTheCamerasOwnImageData) {
  ClientRun release = m_desktop.Client({});
  ASSERT_EQ(release.exitCode, 0) << release.out << release.err;
  const std::string prefix = "Success, image saved as: ";
  size_t at = release.out.find(prefix);
  ASSERT_NE(at, std::string::npos) << release.out;
  std::string path = release.out.substr(at + prefix.size());
  path = path.substr(0, path.find('\n'));
  std::string saved = PtpipTestCamera::ReadFile(path);
  ASSERT_FALSE(saved.empty()) << path;
  EXPECT_TRUE(m_camera.Logged("capture 0x1001 IMG_0001.JPG"));
  // Byte for byte outside the Exif block the program writes its comment into.
  EXPECT_EQ(ImageData(saved), ImageData(Fixture("IMG_0001.JPG")));
}

TEST_F(RealCameraTest, TheCamerasOwnButtonSavesAPhoto) {
  EXPECT_EQ(m_camera.Control("press"), "ok");
  ASSERT_TRUE(WaitUntil([&] { return Jpegs(Photos()).size() == 1; })) << m_camera.Log();
  std::string saved = PtpipTestCamera::ReadFile(Jpegs(Photos()).front());
  EXPECT_EQ(ImageData(saved), ImageData(Fixture("IMG_0001.JPG")));
}

// With the automatic reconnection on, as a booth runs.
class RealCameraReconnectTest : public RealCameraTest {
 protected:
  void Prepare() override {
    std::string previous = std::getenv("TAVORIN_REGISTRY") ? std::getenv("TAVORIN_REGISTRY") : "";
    setenv("TAVORIN_REGISTRY", (m_desktop.Root() + "/config/registry.sqlite3").c_str(), 1);
    RegistryReopenForTest();
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "SOFTWARE\\MorvaneSystems\\Tavorin\\102\\", 0, nullptr, 0,
                              KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    DWORD on = 1;
    RegSetValueExA(key, "AutoReconnect", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&on), sizeof on);
    RegCloseKey(key);
    setenv("TAVORIN_REGISTRY", previous.c_str(), 1);
    RegistryReopenForTest();  // the program opens the file itself
  }
};

TEST_F(RealCameraReconnectTest, AnUnpluggedCameraIsReconnectedWhenItIsBack) {
  EXPECT_EQ(m_camera.Control("unplug"), "ok");
  // The view drops the camera and looks for it again: no model while it is away.
  ASSERT_TRUE(WaitUntil([&] {
    ClientRun query = m_desktop.Client({"-q", "-n"}, 30);
    return query.exitCode == 0 && Contains(query.out, "Camera model: \n");
  }));
  EXPECT_EQ(m_camera.Control("plug"), "ok");
  ASSERT_TRUE(WaitUntil([&] {
    ClientRun query = m_desktop.Client({"-q", "-n"}, 30);
    return query.exitCode == 0 && Contains(query.out, "Camera model: Canon PowerShot Test Camera");
  }, 120s));
  // The reconnected camera shoots once the connection has settled.
  ClientRun release;
  EXPECT_TRUE(WaitUntil([&] {
    release = m_desktop.Client({});
    return Contains(release.out, "Success, image saved as: ");
  })) << release.out << release.err;
}

}  // namespace

namespace {

// The real back end with no camera attached: the program waits for one, as it does for a
// camera that does not answer, and finds it once it is there.
TEST(RealCameraAbsentTest, WithoutACameraTheProgramWaitsForOne) {
  PtpipTestCamera camera;
  ASSERT_TRUE(camera.Running());
  ASSERT_EQ(camera.Control("unplug"), "ok");
  TestDesktop desktop;
  desktop.AddEnvironment("TAVORIN_CAMERA_SIM=");
  desktop.AddEnvironment("TAVORIN_CAMERA_PORT=" + camera.PortName());
  ASSERT_TRUE(desktop.Start());
  ASSERT_TRUE(desktop.WaitUntilAnswering(120)) << ReadWhole(desktop.Root() + "/program.log");
  ClientRun query = desktop.Client({"-q", "-n"});
  EXPECT_EQ(query.exitCode, 0) << query.err;
  EXPECT_TRUE(Contains(query.out, "Camera model: \n")) << query.out;
  ASSERT_EQ(camera.Control("plug"), "ok");
  ClientRun connect = desktop.Client({"-C", "1", "-q", "-n"});
  EXPECT_EQ(connect.exitCode, 0) << connect.err;
  EXPECT_TRUE(Contains(connect.out, "Camera model: Canon PowerShot Test Camera")) << connect.out;
}

}  // namespace
