#include <filesystem>
#include <fstream>

#include "AppTestSupport.h"

namespace {

class MyQuilletViewCameraTest : public ViewTestBase {};

// The camera shuts down while a release is still inside the SDK, its pictures held back: the
// view forgets the camera at once, and the release, when the SDK lets it go, touches nothing of
// the camera that is gone and marks no shot of the view pending.
TEST_F(MyQuilletViewCameraTest, AReleaseUnderWayWhenTheCameraShutsDownLeavesTheGoneCameraAlone) {
  std::string gate = TestFolder() + "/release_gate";
  std::filesystem::remove(gate);
  tavsim::SimScenario scenario;
  scenario.cameras = {SimModel("Canon PowerShot G9")};
  scenario.threaded = false;  // the release's pictures are announced inside the release call
  scenario.releaseGate = gate;
  tavsim::SimReset(scenario);
  PR_StartSDK();
  m_view->StartCameraConnection();
  ASSERT_NE(nullptr, m_view->m_pCamera);
  m_view->m_bAutoReconnect = TRUE;  // no message box

  m_view->OnTakePicture();
  ASSERT_TRUE(m_view->m_bBusy);
  ASSERT_TRUE(PumpUntil([] { return !tavsim::SimCallsOf("PR_RC_Release").empty(); }));
  m_view->SendMessage(WM_CAMERA_EVENT, 0, 0);
  EXPECT_EQ(nullptr, m_view->m_pCamera);
  EXPECT_FALSE(m_view->m_bBusy);

  std::ofstream(gate).put('\n');
  CCamera::WaitForReleaseThreads();
  PumpWaitingMessages();
  EXPECT_FALSE(m_view->m_bReleasePending);
  EXPECT_TRUE(GetShownMessageBoxes().empty());
}

}  // namespace
