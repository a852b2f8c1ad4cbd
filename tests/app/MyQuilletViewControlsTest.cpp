// The form's camera controls beyond the combos: AF lock, zoom keys, wheel and slider, beep,
// viewfinder output, live view and the flash boxes, against the simulated camera.
#include <algorithm>

#include "AppTestSupport.h"
#include "app/FullscreenDlg.h"
#include "platform/mfc/dialogscript.h"

namespace {

const DWORD kZoomProperty = 0xD02A;
const DWORD kFlashProperty = 0xD00A;
const DWORD kFlashOutputProperty = 0xD042;
const DWORD kShootingModeProperty = 0xD00C;

class MyQuilletViewControlsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ClearProductKey();
    ClearMessageBoxes();
    CMyQuilletView::s_nConnectSettleMs = 0;
  }
  void TearDown() override {
    if (m_view) m_view->m_pFullscreenDlg = nullptr;
    m_harness.reset();
    CMyQuilletView::s_nConnectSettleMs = 700;
    ClearMessageBoxes();
    ClearProductKey();
  }
  /// A view over a simulated camera of this model, connected unless asked otherwise.
  void Open(const char* model, bool connect = true) { Open(SimModel(model), connect); }
  void Open(const tavsim::SimCameraProfile& profile, bool connect = true) {
    ResetSimulator({profile}, true);
    m_harness = std::make_unique<ViewHarness>();
    ASSERT_NE(nullptr, m_harness->m_view);
    m_view = m_harness->m_view;
    if (!connect) return;
    DWORD start = GetTickCount();
    PushDialogScript(DialogScript(IDD_PROGRESS).RunUntil([start] { return GetTickCount() - start > 60000; }));
    m_view->StartCameraConnection();
    ASSERT_NE(nullptr, m_view->m_pCamera);
  }
  void Command(UINT id, UINT code = 0) { m_view->SendMessage(WM_COMMAND, MAKEWPARAM(id, code), 0); }
  void ClickAfLock(bool tick) {
    m_view->m_chkAfLock.SetCheck(tick ? BST_CHECKED : BST_UNCHECKED);
    m_view->SendMessage(WM_COMMAND, MAKEWPARAM(IDC_AFLOCK, BN_CLICKED),
                        reinterpret_cast<LPARAM>(m_view->m_chkAfLock.m_hWnd));
  }
  bool AfLockTicked() { return m_view->m_chkAfLock.GetCheck() == BST_CHECKED; }
  DWORD CameraValue(DWORD property) {
    DWORD value = 0xDEADBEEF;
    tavsim::SimGetValue(0, tavsim::kSimRoadPr, property, value);
    return value;
  }
  /// The focus calls the camera saw, in order.
  std::vector<std::string> FocusCalls() {
    std::vector<std::string> calls;
    for (const tavsim::SimCall& call : tavsim::SimCallLog())
      if (call.function == "PR_RC_FocusLock" || call.function == "PR_RC_FocusUnlock" ||
          call.function == "PR_RC_DoAeAfAwb")
        calls.push_back(call.function);
    return calls;
  }
  static std::vector<DWORD> ItemData(const CComboBox& combo) {
    std::vector<DWORD> data;
    for (int i = 0; i < combo.GetCount(); ++i) data.push_back(static_cast<DWORD>(combo.GetItemData(i)));
    return data;
  }
  static DWORD SelectedData(const CComboBox& combo) {
    int index = combo.GetCurSel();
    return index < 0 ? 0xFFFFFFFFu : static_cast<DWORD>(combo.GetItemData(index));
  }
  /// The camera's mode, with the exposure-mode box following it as a mode-dial turn would.
  void SetCameraMode(DWORD mode) {
    ASSERT_TRUE(tavsim::SimSetValue(0, tavsim::kSimRoadPr, kShootingModeProperty, mode));
    m_view->FillReleaseSettingCombos();
    ASSERT_EQ(mode, SelectedData(m_view->m_cbExpMode));
  }
  LRESULT Wheel(short delta, UINT keys = 0) {
    return m_view->SendMessage(WM_MOUSEWHEEL, MAKEWPARAM(keys, static_cast<WORD>(delta)), 0);
  }

  std::unique_ptr<ViewHarness> m_harness;
  CMyQuilletView* m_view = nullptr;
};

TEST_F(MyQuilletViewControlsTest, TheAfLockBoxLocksAndUnlocksTheCamera) {
  Open("Canon PowerShot G9");
  tavsim::SimClearCallLog();
  ClickAfLock(true);
  EXPECT_TRUE(AfLockTicked());
  EXPECT_EQ(std::vector<std::string>{"PR_RC_FocusLock"}, FocusCalls());

  tavsim::SimClearCallLog();
  ClickAfLock(false);
  EXPECT_FALSE(AfLockTicked());
  EXPECT_EQ(std::vector<std::string>{"PR_RC_FocusUnlock"}, FocusCalls());
  // The unlocked lens is given the form's AF distance again.
  bool distanceSent = false;
  for (const tavsim::SimCall& call : tavsim::SimCallsOf("PR_SetDevicePropValue")) distanceSent |= call.id == 0xD011;
  EXPECT_TRUE(distanceSent);
}

TEST_F(MyQuilletViewControlsTest, TheAfLockBoxUnticksWhenTheCameraCannotLock) {
  Open("Canon PowerShot G9");
  tavsim::SimAddFault({"PR_RC_FocusLock", 0, 1});
  ClickAfLock(true);
  EXPECT_FALSE(AfLockTicked());
}

TEST_F(MyQuilletViewControlsTest, TheAfLockBoxUnticksWithoutACamera) {
  Open("Canon PowerShot G9", false);
  ClickAfLock(true);
  EXPECT_FALSE(AfLockTicked());
  EXPECT_TRUE(tavsim::SimCallsOf("PR_RC_FocusLock").empty());
}

TEST_F(MyQuilletViewControlsTest, RefocusReLocksAtOnceOnlyOnModelsThatRefocusThemselves) {
  const struct {
    const char* model;
    bool ticked;
    std::vector<std::string> calls;
  } rows[] = {
      {"Canon PowerShot G9", true, {"PR_RC_FocusUnlock", "PR_RC_FocusLock"}},
      {"Canon PowerShot G10", true, {"PR_RC_FocusUnlock", "PR_RC_FocusLock"}},
      {"Canon PowerShot A640", true, {"PR_RC_FocusUnlock", "PR_RC_DoAeAfAwb", "PR_RC_FocusLock"}},
      // A name that starts with the model text is not that model.
      {"G9 PowerShot lookalike", true, {"PR_RC_FocusUnlock", "PR_RC_DoAeAfAwb", "PR_RC_FocusLock"}},
      {"Canon PowerShot G9", false, {"PR_RC_DoAeAfAwb"}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(std::string(row.model) + (row.ticked ? " locked" : " unlocked"));
    Open(row.model);
    if (row.ticked) ClickAfLock(true);
    tavsim::SimClearCallLog();
    m_view->RefocusWithAfLock();
    EXPECT_EQ(row.calls, FocusCalls());
    EXPECT_EQ(row.ticked, AfLockTicked());
    m_harness.reset();
    m_view = nullptr;
  }
}

TEST_F(MyQuilletViewControlsTest, ZoomKeysClampAndUntickTheAfLockWithoutUnlockingTheCamera) {
  Open("Canon PowerShot G9");
  ASSERT_EQ(19, m_view->m_zoomSlider.GetRangeMax());
  const struct {
    int start;
    UINT command;
    int expected;
  } rows[] = {{5, ID_ZOOM_IN, 6}, {5, ID_ZOOM_OUT, 4}, {19, ID_ZOOM_IN, 19}, {0, ID_ZOOM_OUT, 0}};
  for (const auto& row : rows) {
    SCOPED_TRACE(testing::Message() << row.start << " " << row.command);
    m_view->m_zoomSlider.SetPos(row.start);
    ClickAfLock(true);
    tavsim::SimClearCallLog();
    Command(row.command);
    EXPECT_EQ(row.expected, m_view->m_zoomSlider.GetPos());
    EXPECT_EQ(row.expected == row.start, AfLockTicked());
    EXPECT_TRUE(tavsim::SimCallsOf("PR_RC_FocusUnlock").empty());
    // The posted zoom message moves the camera.
    EXPECT_TRUE(PumpUntil([&] { return CameraValue(kZoomProperty) == static_cast<DWORD>(row.expected); }, 5000));
  }
}

TEST_F(MyQuilletViewControlsTest, TheWheelZoomsByWholeNotches) {
  Open("Canon PowerShot G9");
  m_view->m_nMouseWheelAction = 1;
  const struct {
    short delta;
    int start;
    int expected;
  } rows[] = {{360, 5, 8}, {60, 5, 5}, {-240, 5, 3}, {-600, 2, 0}, {600, 17, 19}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.delta);
    m_view->m_zoomSlider.SetPos(row.start);
    EXPECT_EQ(1, Wheel(row.delta));
    EXPECT_EQ(row.expected, m_view->m_zoomSlider.GetPos());
    EXPECT_EQ(static_cast<DWORD>(row.expected), CameraValue(kZoomProperty));
  }
}

TEST_F(MyQuilletViewControlsTest, TheExposureWheelMovesTvOrAvByMode) {
  Open("Canon PowerShot G9");
  m_view->m_nMouseWheelAction = 2;
  enum Box { kNone, kTv, kAv };
  const struct {
    DWORD mode;
    UINT keys;
    Box moved;
  } rows[] = {{2, 0, kTv}, {3, 0, kAv}, {4, 0, kTv}, {4, MK_CONTROL, kAv}, {1, 0, kNone}};
  for (const auto& row : rows) {
    SCOPED_TRACE(testing::Message() << "mode " << row.mode << " keys " << row.keys);
    SetCameraMode(row.mode);
    m_view->m_cbTv.SetCurSel(3);
    m_view->m_cbAv.SetCurSel(3);
    EXPECT_EQ(1, Wheel(240, row.keys));
    EXPECT_EQ(row.moved == kTv ? 5 : 3, m_view->m_cbTv.GetCurSel());
    EXPECT_EQ(row.moved == kAv ? 5 : 3, m_view->m_cbAv.GetCurSel());
    // The change handler sent the new value to the camera.
    if (row.moved == kTv) {
      EXPECT_EQ(SelectedData(m_view->m_cbTv), CameraValue(0xD01E));
    } else if (row.moved == kAv) {
      EXPECT_EQ(SelectedData(m_view->m_cbAv), CameraValue(0xD01D));
    }
  }
  // The selection stops at the first and the last entry.
  tavsim::SimSetEnumeration(0, 0xD01D, {28, 32, 35, 37, 40});
  SetCameraMode(3);
  ASSERT_EQ((std::vector<DWORD>{28, 32, 35, 37, 40}), ItemData(m_view->m_cbAv));
  m_view->m_cbAv.SetCurSel(3);
  Wheel(1200);
  EXPECT_EQ(4, m_view->m_cbAv.GetCurSel());
  EXPECT_EQ(40u, CameraValue(0xD01D));
  Wheel(-12000);
  EXPECT_EQ(0, m_view->m_cbAv.GetCurSel());
  EXPECT_EQ(28u, CameraValue(0xD01D));
}

TEST_F(MyQuilletViewControlsTest, TheBeepTogglesAndKeepsWhatTheCameraReadsBack) {
  Open("Canon PowerShot G9");
  m_view->m_bCameraBeep = false;
  Command(ID_CAMERA_BEEP);
  EXPECT_TRUE(m_view->m_bCameraBeep);
  EXPECT_EQ(1u, CameraValue(0xD00B));
  Command(ID_CAMERA_BEEP);
  EXPECT_FALSE(m_view->m_bCameraBeep);
  EXPECT_EQ(0u, CameraValue(0xD00B));
  // A camera that keeps beeping whatever it is told.
  tavsim::SimReadBackAs(0, tavsim::kSimRoadPr, 0xD00B, 0, 1);
  Command(ID_CAMERA_BEEP);
  Command(ID_CAMERA_BEEP);
  EXPECT_TRUE(m_view->m_bCameraBeep);
}

TEST_F(MyQuilletViewControlsTest, ViewfinderOutputIsStoredOnlyWhenTheCameraTakesIt) {
  Open("Canon PowerShot G9");
  const struct {
    UINT command;
    int output;
    bool running;
  } rows[] = {{160, 1, true}, {162, 3, false}, {161, 2, true}, {162, 3, false}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.command);
    Command(row.command);
    EXPECT_EQ(row.output, m_view->m_nViewfinderOutput);
    EXPECT_EQ(static_cast<DWORD>(row.output), CameraValue(0xD036));
    EXPECT_EQ(row.running, m_view->m_bViewfinderRunning);
  }
  tavsim::SimRefuseValue(0, tavsim::kSimRoadPr, 0xD036, 2);
  Command(161);
  EXPECT_EQ(3, m_view->m_nViewfinderOutput);
  EXPECT_FALSE(m_view->m_bViewfinderRunning);
  // Live view keeps the camera's viewfinder running when its output goes off.
  Command(160);
  Command(ID_LIVE_VIEWFINDER);
  Command(162);
  EXPECT_TRUE(m_view->m_bViewfinderRunning);
}

TEST_F(MyQuilletViewControlsTest, LiveViewStartsAndStopsTheCameraViewfinder) {
  Open("Canon PowerShot G9");
  ASSERT_EQ(3, m_view->m_nViewfinderOutput);
  tavsim::SimClearCallLog();
  Command(ID_LIVE_VIEWFINDER);
  EXPECT_TRUE(m_view->m_bLiveViewfinder);
  EXPECT_TRUE(m_view->m_bViewfinderRunning);
  EXPECT_TRUE(PumpUntil([] { return tavsim::SimViewfinderFrames(0) > 0; }, 10000));
  Command(ID_LIVE_VIEWFINDER);
  EXPECT_FALSE(m_view->m_bLiveViewfinder);
  EXPECT_FALSE(m_view->m_bViewfinderRunning);
  EXPECT_EQ(1u, tavsim::SimCallsOf("PR_RC_TermViewFinder").size());

  // With the output on the camera's screen, the viewfinder outlives live view.
  Command(160);
  Command(ID_LIVE_VIEWFINDER);
  Command(ID_LIVE_VIEWFINDER);
  EXPECT_FALSE(m_view->m_bLiveViewfinder);
  EXPECT_TRUE(m_view->m_bViewfinderRunning);
}

TEST_F(MyQuilletViewControlsTest, AConnectionRestoresTheModelsLiveViewAndViewfinderOutput) {
  const struct {
    DWORD liveView;
    DWORD output;
    bool live;
    bool running;
  } rows[] = {{0, 3, false, false}, {1, 3, true, true}, {0, 1, false, true}, {0, 2, false, true}};
  for (const auto& row : rows) {
    SCOPED_TRACE(std::to_string(row.liveView) + " " + std::to_string(row.output));
    m_harness.reset();
    ClearProductKey();
    HKEY key = nullptr;
    RegCreateKeyExA(HKEY_CURRENT_USER, CString(kProductKey) + "Canon PowerShot G9\\Settings", 0, nullptr, 0,
                    KEY_READ | KEY_WRITE, nullptr, &key, nullptr);
    WriteRegDword(key, "LiveViewfinder", row.liveView);
    WriteRegDword(key, "ViewfinderOutput", row.output);
    RegCloseKey(key);
    Open("Canon PowerShot G9");
    EXPECT_EQ(row.live, m_view->m_bLiveViewfinder);
    EXPECT_EQ(row.running, m_view->m_bViewfinderRunning);
    if (row.output != 3) {
      EXPECT_EQ(row.output, CameraValue(0xD036));
    }
  }
}

TEST_F(MyQuilletViewControlsTest, LiveViewCannotStartWithoutTheCamerasViewfinder) {
  tavsim::SimCameraProfile profile = SimModel("Canon PowerShot G9");
  profile.viewfinder = false;
  Open(profile);
  Command(ID_LIVE_VIEWFINDER);
  EXPECT_FALSE(m_view->m_bLiveViewfinder);
  EXPECT_FALSE(m_view->m_bViewfinderRunning);
}

// A full-screen window that records the live frames it is handed.
class RecordingFullscreenDlg : public CFullscreenDlg {
 public:
  using CFullscreenDlg::CFullscreenDlg;
  void OnLiveViewFrame(const BYTE*, DWORD size, int rotation) override {
    ++m_frames;
    m_lastSize = size;
    m_lastRotation = rotation;
  }
  int m_frames = 0;
  DWORD m_lastSize = 0;
  int m_lastRotation = -1;
};

TEST_F(MyQuilletViewControlsTest, LiveFramesReachTheFullScreenWindowTurnedByTheOrientation) {
  Open("Canon PowerShot G9", false);
  RecordingFullscreenDlg fullscreen(m_view, 1);
  m_view->m_pFullscreenDlg = &fullscreen;
  m_view->m_bFullScreen = true;
  m_view->m_nRotation = 90;
  BYTE frame[16] = {0xFF, 0xD8};
  const struct {
    bool liveView, windowLive;
    int orientation;
    int rotation;  // -1: no frame handed on
  } rows[] = {{true, true, 0, 0},   {true, true, 1, 270}, {true, true, 2, 90}, {true, true, 3, 180},
              {true, true, 4, 90},  {true, false, 0, -1}, {false, true, 0, -1}};
  for (const auto& row : rows) {
    SCOPED_TRACE(testing::Message() << row.liveView << row.windowLive << row.orientation);
    fullscreen.m_frames = 0;
    fullscreen.m_bLiveView = row.windowLive;
    m_view->m_bLiveViewfinder = row.liveView;
    m_view->m_nOrientationSetting = row.orientation;
    EXPECT_EQ(0, m_view->OnViewfinderFrame(frame, sizeof(frame)));
    EXPECT_EQ(row.rotation < 0 ? 0 : 1, fullscreen.m_frames);
    if (row.rotation >= 0) {
      EXPECT_EQ(row.rotation, fullscreen.m_lastRotation);
      EXPECT_EQ(sizeof(frame), fullscreen.m_lastSize);
    }
  }
  m_view->m_bLiveViewfinder = false;
  m_view->m_pFullscreenDlg = nullptr;
  m_view->m_bFullScreen = false;
}

TEST_F(MyQuilletViewControlsTest, SSeriesFlashBoxFollowsShootingAndFlashMode) {
  Open("Canon PowerShot S5 IS");
  const struct {
    DWORD shootingMode;
    DWORD flashMode;
    std::vector<DWORD> entries;
    bool enabled;
  } rows[] = {
      {1, 1, {2, 6, 1, 5}, true},
      {2, 2, {2, 6}, true},
      {1, 0, {0}, false},
      {4, 6, {2, 6}, true},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(testing::Message() << row.shootingMode << "/" << row.flashMode);
    ASSERT_TRUE(tavsim::SimSetValue(0, tavsim::kSimRoadPr, kFlashProperty, row.flashMode));
    SetCameraMode(row.shootingMode);
    EXPECT_EQ(row.entries, ItemData(m_view->m_cbFlash));
    EXPECT_EQ(row.enabled, m_view->m_cbFlash.IsWindowEnabled() != FALSE);
    EXPECT_EQ(row.flashMode, SelectedData(m_view->m_cbFlash));
  }
}

TEST_F(MyQuilletViewControlsTest, FlashBoxFollowsTheCamerasFlashList) {
  Open("Canon PowerShot G9");
  ASSERT_TRUE(tavsim::SimSetValue(0, tavsim::kSimRoadPr, kFlashProperty, 2));
  SetCameraMode(1);
  EXPECT_EQ((std::vector<DWORD>{0, 1, 2, 5, 6}), ItemData(m_view->m_cbFlash));
  EXPECT_EQ(2u, SelectedData(m_view->m_cbFlash));
  EXPECT_TRUE(m_view->m_cbFlash.IsWindowEnabled());
  // A camera that lists no flash modes leaves nothing to choose.
  tavsim::SimSetEnumeration(0, kFlashProperty, {});
  m_view->FillReleaseSettingCombos();
  EXPECT_EQ(0, m_view->m_cbFlash.GetCount());
  EXPECT_FALSE(m_view->m_cbFlash.IsWindowEnabled());
}

TEST_F(MyQuilletViewControlsTest, FlashOutputIsOfferedOnlyInManualWithTheFlashOn) {
  Open("Canon PowerShot G9");
  const struct {
    DWORD shootingMode;
    DWORD flashMode;
    bool enabled;
  } rows[] = {{4, 2, true}, {4, 0, false}, {1, 2, false}, {2, 1, false}};
  for (const auto& row : rows) {
    SCOPED_TRACE(testing::Message() << row.shootingMode << "/" << row.flashMode);
    ASSERT_TRUE(tavsim::SimSetValue(0, tavsim::kSimRoadPr, kFlashProperty, row.flashMode));
    SetCameraMode(row.shootingMode);
    EXPECT_EQ(row.enabled, m_view->m_cbFlashOutput.IsWindowEnabled() != FALSE);
  }
  // A level beyond the box's entries refills it up to that level.
  ASSERT_EQ(3, m_view->m_cbFlashOutput.GetCount());
  tavsim::SimSetEnumeration(0, kFlashOutputProperty, {0, 1, 2, 3, 4, 5, 6, 7});
  ASSERT_TRUE(tavsim::SimSetValue(0, tavsim::kSimRoadPr, kFlashOutputProperty, 5));
  m_view->FillReleaseSettingCombos();
  EXPECT_EQ((std::vector<DWORD>{0, 1, 2, 3, 4, 5}), ItemData(m_view->m_cbFlashOutput));
  EXPECT_EQ(5u, SelectedData(m_view->m_cbFlashOutput));
  CString text;
  m_view->m_cbFlashOutput.GetLBText(5, text);
  EXPECT_EQ(CString("5"), text);
}

TEST_F(MyQuilletViewControlsTest, ReleasingTheSliderMovesTheCameraAndUnticksTheAfLock) {
  Open("Canon PowerShot G9");
  ClickAfLock(true);
  m_view->m_zoomSlider.SetPos(7);
  ASSERT_NE(7u, CameraValue(kZoomProperty));
  NMHDR header{m_view->m_zoomSlider.m_hWnd, IDC_ZOOM, NM_RELEASEDCAPTURE};
  m_view->SendMessage(WM_NOTIFY, IDC_ZOOM, reinterpret_cast<LPARAM>(&header));
  EXPECT_EQ(7u, CameraValue(kZoomProperty));
  EXPECT_FALSE(AfLockTicked());
}

TEST_F(MyQuilletViewControlsTest, DigitalZoomTextShowsFromTheCamerasStartPosition) {
  Open("Canon PowerShot G9");
  HWND text = ::GetDlgItem(m_view->m_hWnd, IDC_DIGITALZOOM);
  ASSERT_NE(nullptr, text);
  ASSERT_TRUE(m_view->IsWindowVisible());
  const struct {
    int position;
    const char* text;  // nullptr: hidden
  } rows[] = {{13, nullptr}, {14, "Digital zoom: 1.2x"}, {19, "Digital zoom: 4.0x"}, {0, nullptr}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.position);
    m_view->m_zoomSlider.SetPos(row.position);
    m_view->UpdateZoom();
    EXPECT_EQ(row.text != nullptr, ::IsWindowVisible(text) != FALSE);
    if (row.text) {
      CString shown;
      m_view->GetDlgItemText(IDC_DIGITALZOOM, shown);
      EXPECT_EQ(CString(row.text), shown);
    }
  }
}

TEST_F(MyQuilletViewControlsTest, TheMinimumZoomSettingComesBeforeTheCameraZooms) {
  Open("Canon PowerShot G9");
  m_view->m_nMinZoomSetting = 5;
  m_view->m_zoomSlider.SetPos(2);
  tavsim::SimClearCallLog();
  m_view->UpdateZoom();
  EXPECT_EQ(5, m_view->m_zoomSlider.GetPos());
  std::vector<DWORD> positions;
  for (const tavsim::SimCall& call : tavsim::SimCallsOf("PR_SetDevicePropValue"))
    if (call.id == kZoomProperty) positions.push_back(call.value);
  EXPECT_EQ(std::vector<DWORD>{5}, positions);
}

TEST_F(MyQuilletViewControlsTest, ZoomingRefillsTheAperturesInAvAndManualOnly) {
  Open("Canon PowerShot G9");
  const struct {
    DWORD mode;
    bool refilled;
  } rows[] = {{1, false}, {2, false}, {3, true}, {4, true}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.mode);
    tavsim::SimSetEnumeration(0, 0xD01D, {28, 32, 35, 37, 40, 43, 0xFFFF});
    SetCameraMode(row.mode);
    std::vector<DWORD> before = ItemData(m_view->m_cbAv);
    // At the long end the lens offers fewer apertures.
    tavsim::SimSetEnumeration(0, 0xD01D, {35, 37, 40, 0xFFFF});
    m_view->m_zoomSlider.SetPos(10);
    m_view->UpdateZoom();
    const std::vector<DWORD> longEnd{35, 37, 40, 0xFFFF};
    EXPECT_EQ(row.refilled ? longEnd : before, ItemData(m_view->m_cbAv));
    if (row.refilled) {
      EXPECT_EQ(40u, SelectedData(m_view->m_cbAv));
    }
  }
}

TEST_F(MyQuilletViewControlsTest, RefreshReadsTheAfDistanceAndTheMode) {
  Open("Canon PowerShot G9");
  ASSERT_TRUE(tavsim::SimSetValue(0, tavsim::kSimRoadPr, 0xD011, 3));
  ASSERT_TRUE(tavsim::SimSetValue(0, tavsim::kSimRoadPr, kShootingModeProperty, 3));
  Command(ID_REFRESH);
  EXPECT_EQ(3u, SelectedData(m_view->m_cbAfDistance));
  EXPECT_EQ(3u, SelectedData(m_view->m_cbExpMode));
}

}  // namespace
