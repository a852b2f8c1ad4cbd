// What the camera's own events tell the view, on both roads (synchronous simulator).
#include <gtest/gtest.h>

#include <functional>
#include <thread>

#include "camera/Camera.h"
#include "tests/camera/RecordingSink.h"
#include "tests/camera/SimTestSupport.h"

using namespace tavsim;

namespace {

struct Expected {
  UINT message;  // 0: nothing posted
  WPARAM wParam;
};

std::vector<Message> PostedBy(RecordingSink& sink, const std::function<void()>& raise) {
  size_t before = sink.Messages().size();
  raise();
  std::vector<Message> all = sink.Messages();
  return std::vector<Message>(all.begin() + before, all.end());
}

void Check(const std::vector<Message>& posted, const Expected& expected) {
  if (!expected.message) {
    EXPECT_TRUE(posted.empty());
    return;
  }
  ASSERT_EQ(1u, posted.size());
  EXPECT_EQ(expected.message, posted[0].message);
  EXPECT_EQ(expected.wParam, posted[0].wParam);
  EXPECT_EQ(0, posted[0].lParam);
}

}  // namespace

TEST(CameraEventsTest, PrsdkEventsReachTheView) {
  struct Row {
    WORD code;
    DWORD parameter;
    Expected expected;
  } rows[] = {
      {prPTP_EVENT_CAMERA_RELEASE_ON, 0, {WM_CAMERA_SHUTTER_PRESSED, 0}},
      {prPTP_EVENT_ROTATION_ANGLE_CHANGED, 1, {WM_CAMERA_ROTATION, 90}},
      {prPTP_EVENT_ROTATION_ANGLE_CHANGED, 3, {WM_CAMERA_ROTATION, 270}},
      {prPTP_EVENT_ROTATION_ANGLE_CHANGED, 2, {WM_CAMERA_ROTATION, 0}},
      {prPTP_EVENT_SHUTDOWN_CF_GATE_OPENED, 0, {WM_CAMERA_EVENT, 3}},
      {prPTP_EVENT_SHUTDOWN, 0, {WM_CAMERA_EVENT, 0}},
      {prPTP_EVENT_DEVICE_PROP_CHANGED, 0, {WM_CAMERA_SETTINGS_CHANGED, 0}},
      {prPTP_EVENT_CHANGED_BY_CAM_UI, 0, {WM_CAMERA_SETTINGS_CHANGED, 0}},
  };
  StartSimulator({SimSpec("Canon PowerShot G9", kSimPr)});
  RecordingSink sink;
  CCamera camera(nullptr);
  camera.SetMessageSink(&sink);
  camera.Connect("");
  for (const Row& row : rows) {
    SCOPED_TRACE(row.code);
    SCOPED_TRACE(row.parameter);
    Check(PostedBy(sink, [&] { SimRaisePrEvent(0, row.code, row.parameter); }), row.expected);
  }
  // Without the view's window only the shut-down still goes out.
  sink.m_alive = false;
  Check(PostedBy(sink, [] { SimRaisePrEvent(0, prPTP_EVENT_CAMERA_RELEASE_ON); }), {0, 0});
  Check(PostedBy(sink, [] { SimRaisePrEvent(0, prPTP_EVENT_SHUTDOWN); }), {WM_CAMERA_EVENT, 0});
}

TEST(CameraEventsTest, CdsdkEventsReachTheView) {
  StartSimulator({SimSpec("Canon PowerShot S5 IS", kSimCd)});
  RecordingSink sink;
  CCamera camera(nullptr);
  camera.SetMessageSink(&sink);
  camera.Connect("");
  ASSERT_FALSE(camera.IsPrsdk());
  DWORD error = 0x55;
  struct Row {
    const char* name;
    std::function<void()> raise;
    Expected expected;
  } rows[] = {
      {"shut-down class", [] { SimRaiseCdEvent(0, cdEVENT_CLASS_SHUTDOWN | 7); }, {WM_CAMERA_EVENT, 7}},
      {"unknown command", [] { SimRaiseCdEvent(0, cdEVENT_UNKNOWN_COMMAND_BIT | cdEVENT_CLASS_SHUTDOWN | 7); }, {0, 0}},
      {"hardware error reset",
       [&] { SimRaiseCdReleaseEvent(0, cdRELEASE_EVENT_RESET_HW_ERROR, &error); },
       {WM_RELEASE_ERROR, 0x55}},
      {"hardware error without data", [] { SimRaiseCdReleaseEvent(0, cdRELEASE_EVENT_RESET_HW_ERROR); }, {0, 0}},
      {"changed by the camera", [] { SimRaiseCdReleaseEvent(0, cdRELEASE_EVENT_CHANGED_BY_UI); },
       {WM_CAMERA_SETTINGS_CHANGED, 0}},
      {"release start", [] { SimRaiseCdReleaseEvent(0, cdRELEASE_EVENT_RELEASE_START); }, {0, 0}},
      {"shutter button", [] { SimRaiseCdReleaseEvent(0, cdRELEASE_EVENT_CAM_RELEASE_ON); },
       {WM_CAMERA_SHUTTER_PRESSED, 0}},
      {"turned", [] { SimRotate(0, 270); }, {WM_CAMERA_ROTATION, 270}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    Check(PostedBy(sink, row.raise), row.expected);
  }
}

TEST(CameraEventsTest, NoSinkPostsNothingAndLeaksNothing) {
  StartSimulator({SimSpec("Canon PowerShot G9", kSimPr)});
  CCamera camera(nullptr);
  camera.Connect("");
  SimRaisePrEvent(0, prPTP_EVENT_SHUTDOWN);
  camera.Release(false);  // its items are downloaded and dropped; ASan sees every buffer freed
  for (int i = 0; i < 2000 && (camera.GetPendingReleases() > 0 || !SimCallsOf("PR_RC_GetReleasedData").size()); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  EXPECT_EQ(0, camera.GetPendingReleases());
}
