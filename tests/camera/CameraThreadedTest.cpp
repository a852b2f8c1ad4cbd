// The camera with the threaded simulator: callbacks on simulator threads, as with a real SDK.
#include <gtest/gtest.h>

#include <dirent.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "camera/Camera.h"
#include "tests/camera/SimTestSupport.h"

using namespace tavsim;

namespace {

int ProcessThreads() {
  int n = 0;
  if (DIR* dir = opendir("/proc/self/task")) {
    while (dirent* e = readdir(dir))
      if (e->d_name[0] != '.') ++n;
    closedir(dir);
  }
  return n;
}

// Threads end a moment after they report done; wait (bounded) for the count to settle.
int ThreadsSettledAt(int expected) {
  int n = ProcessThreads();
  for (int i = 0; i < 2000 && n != expected; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
    n = ProcessThreads();
  }
  return n;
}

void StartDefault() {
  SimReset(SimDefaultScenario());
  PR_StartSDK();
  cdVersionInfo version{};
  version.Size = sizeof version;
  version.MajorVersion = 5;
  CDStartSDK(&version, 0);
}

struct FrameSink {
  std::atomic<int> frames{0};
  std::atomic<int> afterStop{0};
  std::atomic<bool> stopped{false};
  std::atomic<int> stopResult{-1};
  CCamera* camera = nullptr;
  int stopAt = 0;  // stop from inside the callback at this frame
};

BOOL CountFrame(BYTE* buffer, DWORD size, void* context) {
  auto* sink = static_cast<FrameSink*>(context);
  EXPECT_GT(size, 2u);
  EXPECT_EQ(0xFF, buffer[0]);
  EXPECT_EQ(0xD8, buffer[1]);
  if (sink->stopped) ++sink->afterStop;
  int n = ++sink->frames;
  if (n == sink->stopAt) {
    sink->stopResult = sink->camera->StopViewfinder() ? 1 : 0;
    sink->stopped = true;
  }
  return TRUE;
}

void WaitForFrames(FrameSink& sink, int frames) {
  // Bounded: at about 20 frames a second this takes a fraction of the limit.
  for (int i = 0; i < 10000 && sink.frames < frames; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  ASSERT_GE(sink.frames.load(), frames);
}

}  // namespace

TEST(CameraThreadedTest, ConnectDisconnectCyclesLeaveNoThreads) {
  StartDefault();
  int baseline = ThreadsSettledAt(ProcessThreads());
  for (int cycle = 0; cycle < 3; ++cycle) {
    SCOPED_TRACE(cycle);
    auto* camera = new CCamera(nullptr);
    camera->Connect("");
    EXPECT_TRUE(camera->IsPrsdk());
    EXPECT_GT(ProcessThreads(), baseline) << "the download thread and the SDK's event thread run";
    SimRaisePrEvent(0, prPTP_EVENT_CAMERA_RELEASE_ON);  // an event on the SDK thread meanwhile
    delete camera;
    EXPECT_EQ(0, SimOpenHandleCount());
    EXPECT_EQ(0, SimThreadCount());
    EXPECT_EQ(baseline, ThreadsSettledAt(baseline));
  }
}

TEST(CameraThreadedTest, ViewfinderStartsAndStopsWhileFramesFlow) {
  StartDefault();
  CCamera camera(nullptr);
  camera.Connect("");
  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round);
    FrameSink sink;
    ASSERT_TRUE(camera.StartViewfinder(CountFrame, &sink));
    EXPECT_FALSE(camera.StartViewfinder(CountFrame, &sink)) << "already running";
    WaitForFrames(sink, 3);
    ASSERT_TRUE(camera.StopViewfinder());
    int frames = sink.frames;
    EXPECT_EQ(1, SimThreadCount()) << "only the event thread is left; no frame can follow";
    EXPECT_EQ(frames, sink.frames.load());
  }
  EXPECT_FALSE(camera.StopViewfinder()) << "not running";
}

TEST(CameraThreadedTest, StoppingTheViewfinderInsideAFrameDoesNotDeadlock) {
  StartDefault();
  CCamera camera(nullptr);
  camera.Connect("");
  FrameSink sink;
  sink.camera = &camera;
  sink.stopAt = 2;
  ASSERT_TRUE(camera.StartViewfinder(CountFrame, &sink));
  WaitForFrames(sink, 2);
  for (int i = 0; i < 10000 && !sink.stopped; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  ASSERT_TRUE(sink.stopped);
  EXPECT_EQ(1, sink.stopResult.load());
  EXPECT_EQ(1, SimThreadCount()) << "the frame thread has ended";
  EXPECT_EQ(0, sink.afterStop.load());
  EXPECT_EQ(2, sink.frames.load());
}

TEST(CameraThreadedTest, DefaultCameraReadsAndSetsEverySetting) {
  StartDefault();
  CCamera camera(nullptr);
  camera.Connect("");
  ASSERT_TRUE(camera.IsConnected());
  EXPECT_EQ(CString("Canon PowerShot G9"), camera.GetModelName());

  struct Row {
    const char* name;
    bool (CCamera::*set)(DWORD);
    bool (CCamera::*get)(DWORD&);
    DWORD value;
  } rows[] = {
      {"ShootingMode", &CCamera::SetShootingMode, &CCamera::GetShootingMode, 4},
      {"Tv", &CCamera::SetTv, &CCamera::GetTv, 120},
      {"Av", &CCamera::SetAv, &CCamera::GetAv, 56},
      {"ExposureComp", &CCamera::SetExposureComp, &CCamera::GetExposureComp, 21},
      {"Iso", &CCamera::SetIso, &CCamera::GetIso, 80},
      {"WhiteBalance", &CCamera::SetWhiteBalance, &CCamera::GetWhiteBalance, 1},
      {"AFDistance", &CCamera::SetAFDistance, &CCamera::GetAFDistance, 3},
      {"MeteringMode", &CCamera::SetMeteringMode, &CCamera::GetMeteringMode, 0},
      {"PhotoEffect", &CCamera::SetPhotoEffect, &CCamera::GetPhotoEffect, 5},
      {"FlashComp", &CCamera::SetFlashComp, &CCamera::GetFlashComp, 29},
      {"FlashMode", &CCamera::SetFlashMode, &CCamera::GetFlashMode, 6},
      {"FlashOutput", &CCamera::SetFlashOutput, &CCamera::GetFlashOutput, 1},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    DWORD before = 0xDEAD, after = 0xDEAD;
    ASSERT_TRUE((camera.*row.get)(before));
    ASSERT_TRUE((camera.*row.set)(row.value));
    ASSERT_TRUE((camera.*row.get)(after));
    EXPECT_EQ(row.value, after);
  }
  EXPECT_TRUE(camera.IsShootingModeSupported(4));
  EXPECT_TRUE(camera.SetFocusPoint(0x3003));
  EXPECT_TRUE(camera.SetFlash(2, 24));
  bool beep = true;
  ASSERT_TRUE(camera.GetBeep(beep));
  ASSERT_TRUE(camera.SetBeep(false));
  ASSERT_TRUE(camera.GetBeep(beep));
  EXPECT_FALSE(beep);
  DWORD size = 0, quality = 0, count = 0, max = 0, optical = 0, position = 0;
  ASSERT_TRUE(camera.SetImageFormat(1, 3));
  ASSERT_TRUE(camera.GetImageFormat(size, quality));
  EXPECT_EQ(1u, size);
  EXPECT_EQ(3u, quality);
  EXPECT_TRUE(camera.GetFlashOutputLevelCount(count));
  ASSERT_TRUE(camera.GetMaxZoom(max, optical));
  EXPECT_TRUE(camera.SetZoom(max));
  EXPECT_TRUE(camera.GetPrDigitalZoom(position));
  EXPECT_TRUE(camera.ViewfinderToLcd());
  EXPECT_TRUE(camera.ViewfinderToVideoOut());
  EXPECT_TRUE(camera.ViewfinderOff());
  EXPECT_TRUE(camera.DoAeAfAwb());
  EXPECT_TRUE(camera.DoAf());
  EXPECT_TRUE(camera.LockFocus(true));
  EXPECT_TRUE(camera.LockFocus(false));
  EXPECT_EQ(1, camera.GetBatteryLevel());
  SimRotate(0, 270);
  EXPECT_EQ(270, camera.GetRotationAngle());
  EXPECT_TRUE(camera.SetSaveOptions(4, 1));
  EXPECT_EQ(3, camera.GetReleaseDataKind());
  EXPECT_TRUE(camera.LockUI());
  camera.UnlockUI();
  WORD values[64];
  int n = 64;
  EXPECT_TRUE(camera.GetPropertyValues(0xD01E, values, n));
  EXPECT_EQ(51, n);
}
