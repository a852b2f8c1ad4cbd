#include <gtest/gtest.h>

#include <vector>

#include "camera/Camera.h"
#include "tests/camera/SimTestSupport.h"

using namespace tavsim;

namespace {

// Records what the choice offered and answers with a scripted pick (or a cancel).
struct ChooserScript {
  static inline int calls = 0;
  static inline std::vector<CameraChoiceItem> offered;
  static inline int preselected = -1;
  static inline int pick = -1;  // -1 cancels; -2 keeps the preselection
  static bool Choose(CMyQuilletView*, const CArray<CameraChoiceItem>& items, int& selection) {
    ++calls;
    offered.assign(items.begin(), items.end());
    preselected = selection;
    if (pick == -1) return false;
    if (pick >= 0) selection = pick;
    return true;
  }
  static void Reset(int answer) {
    calls = 0;
    offered.clear();
    preselected = -1;
    pick = answer;
    CCamera::SetCameraChooser(Choose);
  }
};

class CameraConnectTest : public ::testing::Test {
 protected:
  void SetUp() override { ChooserScript::Reset(-2); }
  void TearDown() override { CCamera::SetCameraChooser(nullptr); }
};

bool ConnectThrowsOne(CCamera& camera, const char* preferred = "") {
  try {
    camera.Connect(preferred);
  } catch (int code) {
    return code == 1;
  }
  return false;
}

}  // namespace

TEST_F(CameraConnectTest, OneCdsdkCameraOpensWithoutChoice) {
  StartSimulator({SimSpec("Canon PowerShot A640 #1", kSimCd)});
  CCamera camera(nullptr);
  camera.Connect("");
  EXPECT_EQ(0, ChooserScript::calls);
  EXPECT_TRUE(camera.IsConnected());
  EXPECT_FALSE(camera.IsPrsdk());
  EXPECT_EQ(CString("Canon PowerShot A640 #1"), camera.GetModelName()) << "device property 2 wins";
  EXPECT_TRUE(camera.IsRawCapable()) << "a CDSDK camera always is";
  EXPECT_TRUE(camera.HasViewfinder());
  EXPECT_TRUE(camera.HasFocusCapability());
  EXPECT_FALSE(camera.CanStopViewfinderBeforeRelease());
  auto kinds = SimCallsOf("CDSelectReleaseDataKind");
  ASSERT_EQ(1u, kinds.size());
  EXPECT_EQ(3u, kinds[0].value);
  EXPECT_TRUE(Called("CDUnlockUI"));
}

TEST_F(CameraConnectTest, PrsdkModelNameLosesItsDeviceNumber) {
  StartSimulator({SimSpec("Canon PowerShot G9 #2", kSimPr)});
  CCamera camera(nullptr);
  camera.Connect("");
  EXPECT_TRUE(camera.IsPrsdk());
  EXPECT_EQ(CString("Canon PowerShot G9"), camera.GetModelName());
  EXPECT_TRUE(camera.HasViewfinder());
  EXPECT_TRUE(camera.HasFocusCapability());
  EXPECT_TRUE(camera.IsRawCapable());
  EXPECT_EQ(3, camera.GetReleaseDataKind()) << "defined for PRSDK too";
}

TEST_F(CameraConnectTest, CapabilitiesFollowTheDeviceInformation) {
  SimCameraProfile plain = SimSpec("Canon PowerShot SX110 IS", kSimPr);
  plain.rawCapable = plain.viewfinder = plain.focusLock = false;
  StartSimulator({plain});
  CCamera camera(nullptr);
  camera.Connect("");
  EXPECT_FALSE(camera.IsRawCapable());
  EXPECT_FALSE(camera.HasViewfinder());
  EXPECT_FALSE(camera.HasFocusCapability());
  DWORD size = 0, quality = 0;
  EXPECT_FALSE(camera.SetImageFormat(0, 4)) << "raw refused";
  EXPECT_TRUE(camera.GetImageFormat(size, quality));
  EXPECT_EQ(5u, quality);
}

TEST_F(CameraConnectTest, CdsdkCapabilityBits) {
  SimCameraProfile profile = SimSpec("Canon PowerShot A640", kSimCd);
  profile.stopViewfinderBeforeRelease = true;
  profile.focusLock = false;
  StartSimulator({profile});
  CCamera camera(nullptr);
  camera.Connect("");
  EXPECT_TRUE(camera.CanStopViewfinderBeforeRelease());
  EXPECT_FALSE(camera.HasFocusCapability());
  EXPECT_TRUE(camera.HasViewfinder());
}

TEST_F(CameraConnectTest, CameraSeenByBothSdksCountsOnceAndPrsdkWins) {
  StartSimulator({SimSpec("Canon PowerShot A640", kSimBoth)});
  CCamera camera(nullptr);
  camera.Connect("");
  EXPECT_EQ(0, ChooserScript::calls);
  EXPECT_TRUE(camera.IsPrsdk());
}

TEST_F(CameraConnectTest, NamesThatDoNotCountAsCameras) {
  struct Row {
    const char* model;
    int sdks;
  } rows[] = {{"PowerShot G9", kSimPr},  // "powershot" must follow something
              {"Canon Camera", kSimCd},
              {"Canon EOS 40D", kSimCd},
              {"Canon EOS PowerShot", kSimPr}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.model);
    StartSimulator({SimSpec(row.model, row.sdks)});
    CCamera camera(nullptr);
    if (row.sdks == kSimPr && std::string(row.model).find("EOS") != std::string::npos) {
      camera.Connect("");  // PRSDK keeps any name with "powershot" after its start
      EXPECT_TRUE(camera.IsConnected());
      continue;
    }
    EXPECT_TRUE(ConnectThrowsOne(camera));
    EXPECT_FALSE(camera.IsConnected());
  }
}

TEST_F(CameraConnectTest, NoCameraThrows) {
  StartSimulator({});
  CCamera camera(nullptr);
  EXPECT_TRUE(ConnectThrowsOne(camera));
  EXPECT_EQ(0, SimOpenHandleCount());
}

TEST_F(CameraConnectTest, TwoCamerasOfferTheChoiceCdsdkFirst) {
  SimCameraProfile cd = SimSpec("Canon PowerShot A640", kSimCd);
  cd.internalName = "usb-a640";
  SimCameraProfile pr = SimSpec("Canon PowerShot G9 #1", kSimPr);
  pr.internalName = "usb-g9";
  StartSimulator({cd, pr});
  {
    CCamera camera(nullptr);
    camera.Connect("USB-G9");
    ASSERT_EQ(1, ChooserScript::calls);
    ASSERT_EQ(2u, ChooserScript::offered.size());
    EXPECT_EQ(CString("canon powershot a640"), ChooserScript::offered[0].text);
    EXPECT_EQ(DWORD_PTR(CAMERA_CHOICE_CDSDK), ChooserScript::offered[0].data);
    EXPECT_EQ(CString("canon powershot g9"), ChooserScript::offered[1].text);
    EXPECT_EQ(DWORD_PTR(0), ChooserScript::offered[1].data) << "its index in the PRSDK list";
    EXPECT_EQ(1, ChooserScript::preselected) << "the preferred device, compared without case";
    EXPECT_TRUE(camera.IsPrsdk());
  }
  ChooserScript::Reset(0);
  CCamera camera(nullptr);
  camera.Connect("nothing-matches");
  EXPECT_EQ(0, ChooserScript::preselected);
  EXPECT_TRUE(camera.IsConnected());
  EXPECT_FALSE(camera.IsPrsdk());
}

TEST_F(CameraConnectTest, OnlyTheFirstTenCdsdkSourcesCount) {
  std::vector<SimCameraProfile> cameras;
  for (int i = 0; i < 11; ++i) cameras.push_back(SimSpec(("Canon PowerShot A" + std::to_string(600 + i)).c_str(), kSimCd));
  StartSimulator(cameras);
  ChooserScript::Reset(9);
  CCamera camera(nullptr);
  camera.Connect("");
  ASSERT_EQ(10u, ChooserScript::offered.size());
  EXPECT_EQ(CString("canon powershot a609"), ChooserScript::offered[9].text);
  EXPECT_EQ(CString("Canon PowerShot A609"), camera.GetModelName());
}

TEST_F(CameraConnectTest, CancellingTheChoiceThrowsWithNothingOpen) {
  StartSimulator({SimSpec("Canon PowerShot A640", kSimCd), SimSpec("Canon PowerShot G9", kSimPr)});
  ChooserScript::Reset(-1);
  int threads = SimThreadCount();
  {
    CCamera camera(nullptr);
    EXPECT_TRUE(ConnectThrowsOne(camera));
    EXPECT_FALSE(camera.IsConnected());
  }
  EXPECT_EQ(0, SimOpenHandleCount());
  EXPECT_EQ(threads, SimThreadCount());
  EXPECT_FALSE(Called("CDOpenSource"));
  EXPECT_FALSE(Called("PR_CreateCameraObject"));
}

TEST_F(CameraConnectTest, FailedCdsdkEnumerationStillFindsPrsdkCameras) {
  StartSimulator({SimSpec("Canon PowerShot G9", kSimPr)});
  SimAddFault({"CDEnumDeviceReset", 0, 0x21});
  CCamera camera(nullptr);
  camera.Connect("");
  EXPECT_TRUE(camera.IsPrsdk());
}

TEST_F(CameraConnectTest, EachFailingStepIsUndone) {
  struct Row {
    const char* fault;
    int sdks;
    std::vector<const char*> undo;     // calls that must follow the failure
    std::vector<const char*> notUndo;  // calls that must not
  } rows[] = {
      {"PR_CreateCameraObject", kSimPr, {}, {"PR_DestroyCameraObject"}},
      {"PR_SetEventCallBack", kSimPr, {"PR_DestroyCameraObject"}, {"PR_ConnectCamera"}},
      {"PR_ConnectCamera", kSimPr, {"PR_DestroyCameraObject"}, {"PR_DisconnectCamera"}},
      {"PR_InitiateReleaseControl", kSimPr, {"PR_DisconnectCamera", "PR_DestroyCameraObject"}, {"PR_GetDeviceInfo"}},
      {"CDOpenSource", kSimCd, {}, {"CDCloseSource"}},
      {"CDRegisterEventCallbackFunction", kSimCd, {"CDCloseSource"}, {"CDEnterReleaseControl"}},
      {"CDEnterReleaseControl", kSimCd, {"CDCloseSource"}, {"CDExitReleaseControl"}},
      {"CDSelectReleaseDataKind", kSimCd, {"CDExitReleaseControl", "CDCloseSource"}, {"CDGetDevicePropertyData"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.fault);
    StartSimulator({SimSpec(row.sdks == kSimPr ? "Canon PowerShot G9" : "Canon PowerShot A640", row.sdks)});
    SimAddFault({row.fault, 1, 0x99});
    {
      CCamera camera(nullptr);
      EXPECT_TRUE(ConnectThrowsOne(camera));
      EXPECT_FALSE(camera.IsConnected());
      EXPECT_EQ(0, SimOpenHandleCount());
      for (const char* call : row.undo) EXPECT_TRUE(Called(call)) << call;
      for (const char* call : row.notUndo) EXPECT_FALSE(Called(call)) << call;
      SimClearCallLog();
    }
    EXPECT_TRUE(SimCallLog().empty()) << "the destructor has nothing left to close";
  }
}

TEST_F(CameraConnectTest, FailedReadsDuringConnectionLeaveDefaults) {
  StartSimulator({SimSpec("Canon PowerShot G9", kSimPr)});
  SimAddFault({"PR_GetDeviceInfo", 2, 0x99});
  CCamera camera(nullptr);
  camera.Connect("");
  EXPECT_TRUE(camera.IsConnected());
  EXPECT_FALSE(camera.HasViewfinder());
  EXPECT_FALSE(camera.HasFocusCapability());

  StartSimulator({SimSpec("Canon PowerShot A640", kSimCd)});
  SimAddFault({"CDGetDevicePropertyData", 0, 0x99});
  CCamera cd(nullptr);
  cd.Connect("");
  EXPECT_EQ(CString("Canon PowerShot A640"), cd.GetModelName()) << "the source name stays";
  EXPECT_FALSE(cd.HasViewfinder());
}

TEST_F(CameraConnectTest, DestructorClosesInOrder) {
  StartSimulator({SimSpec("Canon PowerShot G9", kSimPr)});
  {
    CCamera camera(nullptr);
    camera.Connect("");
    SimClearCallLog();
  }
  std::vector<std::string> calls;
  for (const SimCall& c : SimCallLog()) calls.push_back(c.function);
  EXPECT_EQ((std::vector<std::string>{"PR_ClearEventCallBack", "PR_TerminateReleaseControl", "PR_DisconnectCamera",
                                      "PR_DestroyCameraObject"}),
            calls);
  EXPECT_EQ(0, SimOpenHandleCount());

  StartSimulator({SimSpec("Canon PowerShot A640", kSimCd)});
  {
    CCamera camera(nullptr);
    camera.Connect("");
    SimClearCallLog();
  }
  calls.clear();
  for (const SimCall& c : SimCallLog()) calls.push_back(c.function);
  EXPECT_EQ((std::vector<std::string>{"CDExitReleaseControl", "CDCloseSource"}), calls);
}

TEST(CameraEventsTest, ReleaseCompleteAddsItsCountOrOne) {
  CCamera camera(nullptr);  // no download thread counts down here
  struct Row {
    DWORD count;
    LONG total;
  } rows[] = {{2, 2}, {0, 2}, {100, 102}, {250, 103}, {101, 104}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.count);
    camera.ReleaseEventNotification(cdRELEASE_EVENT_RELEASE_COMPLETE, &row.count, 4);
    EXPECT_EQ(row.total, camera.GetPendingReleases());
  }
  camera.ReleaseEventNotification(cdRELEASE_EVENT_RELEASE_COMPLETE, nullptr, 0);
  EXPECT_EQ(104, camera.GetPendingReleases()) << "without data nothing is counted";
}

TEST(CameraEventsTest, PrsdkReleasedEventsCountAndCdsdkWarningsAnswer) {
  CCamera camera(nullptr);
  prEventRecord event{16, 4, prPTP_EVENT_THUMBNAIL_RELEASED, 7, {0x101, 0, 0}};
  camera.NewEventNotification(&event);
  event.Code = prPTP_EVENT_FULL_VIEW_RELEASED;
  camera.NewEventNotification(&event);
  event.Code = prPTP_EVENT_CAMERA_RELEASE_ON;
  camera.NewEventNotification(&event);
  EXPECT_EQ(2, camera.GetPendingReleases());
  EXPECT_EQ(140u, camera.EventNotification(0x20005, nullptr, 0));
  EXPECT_EQ(0u, camera.EventNotification(0x08020005, nullptr, 0));
  EXPECT_EQ(0u, camera.EventNotification(0x20004, nullptr, 0));
}

TEST_F(CameraConnectTest, ACameraDestroyedRightAfterConnectingStopsItsDownloadThread) {
  // The download thread may be anywhere in its first steps when the camera goes away; whatever
  // the timing, the destructor's stop signal must reach it (a lost one hung here for ever).
  StartSimulator({SimSpec("Canon PowerShot A640", kSimCd)});
  for (int round = 0; round < 3000; ++round) {
    CCamera camera(nullptr);
    camera.Connect("");
  }
}
