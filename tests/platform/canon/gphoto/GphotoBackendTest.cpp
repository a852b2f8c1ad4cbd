// The libgphoto2 back end of the PRSDK calls against the PTP/IP test camera: the real
// libgphoto2 and its PTP driver on loopback, no stand-in of our own calls.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/canon/gphoto/registry.h"
#include "platform/canon/prsdk.h"
#include "tests/camera/PtpipTestCamera.h"

// libgphoto2 and its drivers keep some allocations for good (driver tables, the PTP driver's
// copies of camera data); their stacks pass through drivers built without frame pointers.
extern "C" const char* __lsan_default_suppressions() { return "leak:libgphoto2.so\nleak:libgphoto2_port.so\n"; }
extern "C" const char* __asan_default_options() { return "fast_unwind_on_malloc=0"; }

namespace {

using namespace std::chrono_literals;

// What the camera's callbacks delivered.
struct Events {
  std::mutex mutex;
  std::condition_variable changed;
  std::vector<prEventRecord> records;
  std::vector<BYTE> download;
  std::vector<prUInt32> blocks;
  std::atomic<int> frames{0};
  std::vector<BYTE> firstFrame;
  prHCamera camera = 0;
  bool stopInsideCallback = false;
  std::atomic<int> stopResult{-1};

  bool WaitFor(WORD code, prEventRecord* found = nullptr, std::chrono::seconds limit = 20s) {
    std::unique_lock<std::mutex> lock(mutex);
    return changed.wait_for(lock, limit, [&] {
      for (const prEventRecord& r : records)
        if (r.Code == code) {
          if (found) *found = r;
          return true;
        }
      return false;
    });
  }
};

prResponse OnEvent(prHCamera, prContext context, prVoid* data) {
  auto* e = reinterpret_cast<Events*>(context);
  std::lock_guard<std::mutex> lock(e->mutex);
  e->records.push_back(*static_cast<prEventRecord*>(data));
  e->changed.notify_all();
  return prOK;
}

prResponse OnData(prHCamera, prContext context, prProgress* progress) {
  auto* e = reinterpret_cast<Events*>(context);
  if (progress->Message == prMSG_DATA) {
    if (progress->Offset != e->download.size()) return 1;
    e->download.insert(e->download.end(), progress->Data, progress->Data + progress->Length);
    e->blocks.push_back(progress->Length);
  }
  return prOK;
}

prResponse OnFrame(prHCamera camera, prContext context, prUInt32 size, prVoid* data) {
  auto* e = reinterpret_cast<Events*>(context);
  if (e->frames.fetch_add(1) == 0) {
    const BYTE* bytes = static_cast<const BYTE*>(data);
    e->firstFrame.assign(bytes, bytes + size);
  }
  if (e->stopInsideCallback && e->frames >= 3 && e->stopResult < 0) e->stopResult = int(PR_RC_TermViewFinder(camera));
  return TRUE;
}

class GphotoBackendTest : public ::testing::Test {
 protected:
  void SetUp() override {
    unsetenv("TAVORIN_CAMERA_SIM");  // the real back end
    ASSERT_TRUE(m_camera.Running());
    setenv("TAVORIN_CAMERA_PORT", m_camera.PortName().c_str(), 1);
    PR_StartSDK();
  }
  void TearDown() override {
    if (m_handle) {
      PR_ClearEventCallBack(m_handle);
      PR_TerminateReleaseControl(m_handle);
      PR_DisconnectCamera(m_handle);
      PR_DestroyCameraObject(m_handle);
    }
  }

  std::vector<BYTE> DeviceList() {
    prUInt32 size = 0;
    EXPECT_EQ(PR_GetDeviceList(&size, nullptr), prINSUFFICIENT_BUFFER);
    std::vector<BYTE> buffer(size);
    EXPECT_EQ(PR_GetDeviceList(&size, reinterpret_cast<prDeviceList*>(buffer.data())), prOK);
    return buffer;
  }

  void Connect() {
    std::vector<BYTE> buffer = DeviceList();
    auto* list = reinterpret_cast<prDeviceList*>(buffer.data());
    ASSERT_EQ(list->NumList, 1u);
    ASSERT_EQ(PR_CreateCameraObject(&list->DeviceInfo[0], &m_handle), prOK);
    m_events.camera = m_handle;
    ASSERT_EQ(PR_SetEventCallBack(m_handle, reinterpret_cast<prContext>(&m_events), OnEvent), prOK);
    ASSERT_EQ(PR_ConnectCamera(m_handle), prOK);
    ASSERT_EQ(PR_InitiateReleaseControl(m_handle), prOK);
  }

  std::vector<BYTE> Desc(WORD code, prResponse expected = prOK) {
    std::vector<BYTE> desc(2000);
    prUInt32 size = static_cast<prUInt32>(desc.size());
    EXPECT_EQ(PR_GetDevicePropDesc(m_handle, code, &size, desc.data()), expected) << std::hex << code;
    desc.resize(expected == prOK ? size : 0);
    return desc;
  }

  DWORD Value(WORD code, prUInt32 width) {
    BYTE value[4] = {};
    prUInt32 size = sizeof value;
    EXPECT_EQ(PR_GetDevicePropValue(m_handle, code, &size, value), prOK);
    EXPECT_EQ(size, width);
    return DWORD(value[0]) | DWORD(value[1]) << 8 | DWORD(value[2]) << 16 | DWORD(value[3]) << 24;
  }

  prResponse Set(WORD code, prUInt32 width, DWORD v) {
    BYTE value[4] = {BYTE(v), BYTE(v >> 8), BYTE(v >> 16), BYTE(v >> 24)};
    return PR_SetDevicePropValue(m_handle, code, width, value);
  }

  PtpipTestCamera m_camera;
  prHCamera m_handle = 0;
  Events m_events;
};

TEST_F(GphotoBackendTest, ListsTheNamedPortUnderTheCamerasModelAndConnects) {
  std::vector<BYTE> buffer = DeviceList();
  auto* list = reinterpret_cast<prDeviceList*>(buffer.data());
  ASSERT_EQ(list->NumList, 1u);
  std::u16string model(list->DeviceInfo[0].ModelName), port(list->DeviceInfo[0].DeviceInternalName);
  EXPECT_EQ(model, u"Canon PowerShot Test Camera");
  std::string expectedPort = m_camera.PortName() + ":" + std::to_string(m_camera.Port());
  EXPECT_EQ(port, std::u16string(expectedPort.begin(), expectedPort.end()));

  ASSERT_NO_FATAL_FAILURE(Connect());
  prUInt32 size = 0;
  ASSERT_EQ(PR_GetDeviceInfo(m_handle, &size, nullptr), prINSUFFICIENT_BUFFER);
  std::vector<BYTE> info(size);
  ASSERT_EQ(PR_GetDeviceInfo(m_handle, &size, info.data()), prOK);
  std::string text(info.begin(), info.end());
  // The model in UCS-2, the viewfinder operations, the ISO property.
  std::string ucs2;
  for (char c : std::string("Canon PowerShot Test Camera")) ucs2 += c, ucs2 += '\0';
  EXPECT_NE(text.find(ucs2), std::string::npos);
  EXPECT_NE(text.find(std::string("\x0B\x90", 2)), std::string::npos);
  EXPECT_NE(text.find(std::string("\x1C\xD0", 2)), std::string::npos);
}

TEST_F(GphotoBackendTest, PropertiesAreTheCamerasOwnBothWays) {
  ASSERT_NO_FATAL_FAILURE(Connect());
  struct Row {
    WORD code;
    WORD type;
    std::vector<DWORD> values;
    DWORD current, set, refused;
  } rows[] = {
      {0xD01C, prDATA_TYPE_UINT16, {0x00, 0x48, 0x50, 0x58, 0x60, 0x68}, 0x48, 0x58, 0x4B},
      {0xD013, prDATA_TYPE_UINT8, {0, 1, 2, 3, 4, 5}, 0, 4, 9},
      {0xD01D, prDATA_TYPE_UINT16, {0x20, 0x25, 0x28, 0x2B, 0x2D, 0x30, 0x35, 0x38, 0x40}, 0x28, 0x35, 0x29},
      {0xD00A, prDATA_TYPE_UINT8, {0, 1, 2}, 1, 2, 7},  // listed in remote mode only
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.code);
    std::vector<BYTE> desc = Desc(row.code);
    DWORD width = row.type == prDATA_TYPE_UINT8 ? 1 : 2;
    ASSERT_GE(desc.size(), 6 + 2 * width + 3);
    EXPECT_EQ(desc[0] | desc[1] << 8, row.code);
    EXPECT_EQ(desc[2] | desc[3] << 8, row.type);
    size_t pos = 5 + 2 * width;
    ASSERT_EQ(desc[pos], prFORM_ENUM);
    size_t count = desc[pos + 1] | desc[pos + 2] << 8;
    ASSERT_EQ(count, row.values.size());
    for (size_t i = 0; i < count; ++i) {
      DWORD v = desc[pos + 3 + i * width] | (width == 2 ? desc[pos + 4 + i * width] << 8 : 0);
      EXPECT_EQ(v, row.values[i]);
    }
    EXPECT_EQ(Value(row.code, width), row.current);
    EXPECT_EQ(Set(row.code, width, row.set), prOK);
    char seen[64];
    std::snprintf(seen, sizeof seen, "set 0x%04x 0x%x", row.code, row.set);
    EXPECT_TRUE(m_camera.Logged(seen));
    EXPECT_EQ(Value(row.code, width), row.set);
    EXPECT_EQ(Set(row.code, width, row.refused), prINVALID_PROPERTY_VALUE);
    EXPECT_EQ(Set(row.code, width + 1, row.set), prINVALID_PARAMETER);
  }
  Desc(0xD0F0, prPROPERTY_NOT_FOUND);
}

TEST_F(GphotoBackendTest, TheReleaseDataKindIsKeptByTheBackEndNotSentToTheCamera) {
  // libgphoto2 chooses the transfer mode of each capture; other makers use the code otherwise.
  ASSERT_NO_FATAL_FAILURE(Connect());
  for (DWORD kind : {3u, 13u, 2u}) {
    EXPECT_EQ(Set(0xD029, 2, kind), prOK);
    EXPECT_EQ(Value(0xD029, 2), kind);
  }
  EXPECT_EQ(Set(0xD029, 1, 2), prINVALID_PARAMETER);
  EXPECT_EQ(m_camera.Log().find("set 0xd029"), std::string::npos) << m_camera.Log();
  // Either kind releases and delivers the camera's photo.
  for (DWORD kind : {2u, 14u}) {
    SCOPED_TRACE(kind);
    ASSERT_EQ(Set(0xD029, 2, kind), prOK);
    ASSERT_EQ(PR_RC_Release(m_handle), prOK);
  }
  EXPECT_TRUE(m_camera.Logged("fetched 0x1002")) << m_camera.Log();
}

TEST_F(GphotoBackendTest, ReleaseStreamsTheCamerasPhotoByteForByte) {
  ASSERT_NO_FATAL_FAILURE(Connect());
  ASSERT_EQ(PR_RC_Release(m_handle), prOK);
  prEventRecord record{};
  ASSERT_TRUE(m_events.WaitFor(prPTP_EVENT_FULL_VIEW_RELEASED, &record));
  ASSERT_EQ(PR_RC_GetReleasedData(m_handle, record.Parameter[0], record.Code, 4096, reinterpret_cast<prContext>(&m_events),
                                  OnData),
            prOK);
  std::string photo = PtpipTestCamera::ReadFile(PtpipTestCamera::DefaultPhotos() + "/IMG_0001.JPG");
  EXPECT_EQ(std::string(m_events.download.begin(), m_events.download.end()), photo);
  EXPECT_EQ(m_events.blocks.front(), 4096u);
  // Fetched once: the item is gone afterwards.
  EXPECT_NE(PR_RC_GetReleasedData(m_handle, record.Parameter[0], record.Code, 4096, reinterpret_cast<prContext>(&m_events),
                                  OnData),
            prOK);
}

TEST_F(GphotoBackendTest, ViewfinderFramesStopFromInsideTheCallback) {
  ASSERT_NO_FATAL_FAILURE(Connect());
  m_events.stopInsideCallback = true;
  ASSERT_EQ(PR_RC_StartViewFinder(m_handle, reinterpret_cast<prContext>(&m_events), OnFrame), prOK);
  auto limit = std::chrono::steady_clock::now() + 20s;
  while (m_events.stopResult < 0 && std::chrono::steady_clock::now() < limit) std::this_thread::sleep_for(10ms);
  EXPECT_EQ(m_events.stopResult, int(prOK));
  int frames = m_events.frames;
  std::this_thread::sleep_for(200ms);
  EXPECT_EQ(m_events.frames, frames);  // no frame after the stop
  std::string first = PtpipTestCamera::ReadFile(PtpipTestCamera::DefaultPhotos() + "/IMG_0001.JPG");
  EXPECT_EQ(std::string(m_events.firstFrame.begin(), m_events.firstFrame.end()), first);
  // It starts again after a stop from inside the callback.
  m_events.stopInsideCallback = false;
  EXPECT_EQ(PR_RC_StartViewFinder(m_handle, reinterpret_cast<prContext>(&m_events), OnFrame), prOK);
  EXPECT_EQ(PR_RC_TermViewFinder(m_handle), prOK);
}

TEST_F(GphotoBackendTest, CameraButtonShotReachesTheShutterPathAndItsRelease) {
  ASSERT_NO_FATAL_FAILURE(Connect());
  EXPECT_EQ(m_camera.Control("press"), "ok");
  ASSERT_TRUE(m_events.WaitFor(prPTP_EVENT_CAMERA_RELEASE_ON));
  ASSERT_EQ(PR_RC_Release(m_handle), prOK);
  prEventRecord record{};
  ASSERT_TRUE(m_events.WaitFor(prPTP_EVENT_FULL_VIEW_RELEASED, &record));
  ASSERT_EQ(PR_RC_GetReleasedData(m_handle, record.Parameter[0], record.Code, prMAX_TRANSFER_SIZE,
                                  reinterpret_cast<prContext>(&m_events), OnData),
            prOK);
  std::string photo = PtpipTestCamera::ReadFile(PtpipTestCamera::DefaultPhotos() + "/IMG_0001.JPG");
  EXPECT_EQ(std::string(m_events.download.begin(), m_events.download.end()), photo);
  // The button's photo was delivered: the camera took one photo, not two.
  EXPECT_FALSE(m_camera.Logged("capture 0x1002 IMG_0002.JPG"));
}

TEST_F(GphotoBackendTest, UnplugIsAShutdownAndThePluggedCameraIsFoundAgain) {
  ASSERT_NO_FATAL_FAILURE(Connect());
  EXPECT_EQ(m_camera.Control("unplug"), "ok");
  ASSERT_TRUE(m_events.WaitFor(prPTP_EVENT_SHUTDOWN));
  EXPECT_NE(PR_RC_Release(m_handle), prOK);
  PR_ClearEventCallBack(m_handle);
  PR_DisconnectCamera(m_handle);
  PR_DestroyCameraObject(m_handle);
  m_handle = 0;
  // Unplugged: nothing answers on the port.
  EXPECT_EQ(reinterpret_cast<prDeviceList*>(DeviceList().data())->NumList, 0u);
  EXPECT_EQ(m_camera.Control("plug"), "ok");
  ASSERT_NO_FATAL_FAILURE(Connect());
  EXPECT_EQ(PR_RC_Release(m_handle), prOK);
}

}  // namespace

namespace {

// A camera that answers garbage, truncated or huge data, nothing at all, or hangs up: the
// calls fail (never crash or hang past libgphoto2's time-outs) and, where the connection is
// lost, the program hears of a shut-down and can reconnect.
struct Fault {
  const char* name;
  const char* control;
  bool release;  // the fault hits a release (else the viewfinder)
  bool lost;     // the connection cannot go on
};

class GphotoFaultTest : public GphotoBackendTest, public ::testing::WithParamInterface<Fault> {};

TEST_P(GphotoFaultTest, BadAnswersFailTheCallAndALostCameraShutsDown) {
  const Fault& fault = GetParam();
  ASSERT_NO_FATAL_FAILURE(Connect());
  ASSERT_EQ(m_camera.Control(fault.control), "ok");
  if (fault.release) {
    EXPECT_NE(PR_RC_Release(m_handle), prOK);
  } else {
    ASSERT_EQ(PR_RC_StartViewFinder(m_handle, reinterpret_cast<prContext>(&m_events), OnFrame), prOK);
  }
  if (fault.lost) {
    EXPECT_TRUE(m_events.WaitFor(prPTP_EVENT_SHUTDOWN, nullptr, 60s));
    EXPECT_NE(PR_RC_Release(m_handle), prOK);
  } else {
    EXPECT_EQ(PR_RC_Release(m_handle), prOK);  // a refusal leaves the camera usable
    EXPECT_FALSE(m_events.WaitFor(prPTP_EVENT_SHUTDOWN, nullptr, 1s));
  }
  if (!fault.release) {
    EXPECT_EQ(PR_RC_TermViewFinder(m_handle), prOK);
  }
}

INSTANTIATE_TEST_SUITE_P(Faults, GphotoFaultTest,
                         ::testing::Values(Fault{"RefusedCapture", "fault refuse 901a 1", true, false},
                                           Fault{"GarbageObject", "fault garbage 1009 1", true, false},
                                           Fault{"TruncatedObject", "fault truncate 1009 1", true, true},
                                           Fault{"HugeObject", "fault huge 1009 1", true, true},
                                           Fault{"StalledObject", "fault stall 1009 1", true, true},
                                           Fault{"DroppedCapture", "fault drop 901a 1", true, true},
                                           Fault{"GarbageFrames", "fault garbage 901d", false, true},
                                           Fault{"TruncatedFrame", "fault truncate 901d 1", false, true}),
                         [](const ::testing::TestParamInfo<Fault>& info) { return std::string(info.param.name); });

}  // namespace

// A camera the desktop holds (libgphoto2 -53) is named with its cause and its remedy, once
// per port while it stays held, so the reconnection's tries do not fill the log.
TEST(GphotoHeldCameraTest, TheHeldByAnotherProcessTextIsShownOncePerPort) {
  ::testing::internal::CaptureStderr();
  tavgp::ReportOpenFailure("usb:001,005", -53, "");
  tavgp::ReportOpenFailure("usb:001,005", -53, "");
  tavgp::ReportOpenFailure("usb:001,006", -53, "");
  std::string text = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(text.find("The camera on usb:001,005 is held by another process"), std::string::npos) << text;
  EXPECT_NE(text.find("Unmount or eject the camera in the file manager"), std::string::npos) << text;
  EXPECT_EQ(text.find("usb:001,005"), text.rfind("usb:001,005")) << text;
  EXPECT_NE(text.find("usb:001,006"), std::string::npos) << text;
}
