#include <atomic>
#include <cstring>
#include <functional>
#include <thread>
#include <filesystem>

#include "AppTestSupport.h"
#include "app/FullscreenDlg.h"
#include "app/AboutDlg.h"
#include "camera/TimeLapseDlg.h"
#include "ipc/TavorinIPC.h"
#include "platform/mfc/dialogscript.h"

namespace {

class MyQuilletViewHubTest : public ViewTestBase {
 protected:
  void SetUp() override {
    ViewTestBase::SetUp();
    if (m_view) m_view->m_strDirectory = CString(TestFolder() + "/photos");
  }
  CString Status() { return m_harness->m_frame->GetStatusText(0); }
  CString Title() {
    CString title;
    m_harness->m_frame->GetWindowText(title);
    return title;
  }
  /// Posts as the download thread does and lets the UI thread handle it.
  void PostAndPump(UINT message, WPARAM wParam, LPARAM lParam) {
    ASSERT_TRUE(::PostMessageA(m_view->m_hWnd, message, wParam, lParam));
    PumpWaitingMessages();
  }
  /// The three messages of one downloaded photo, in their order.
  void DeliverPhoto(const std::string& path) {
    std::vector<BYTE> bytes = tavsim::SimMakePhoto(320, 240, 1, "Canon PowerShot G9");
    PostAndPump(WM_EXIF, 0, reinterpret_cast<LPARAM>(new Exif(path.c_str())));
    PostAndPump(WM_SAVED_FILE, 0, reinterpret_cast<LPARAM>(new CString(path.c_str())));
    BYTE* buffer = new BYTE[bytes.size()];
    std::memcpy(buffer, bytes.data(), bytes.size());
    PostAndPump(WM_DISPLAY_JPEG, bytes.size(), reinterpret_cast<LPARAM>(buffer));
  }
  void Connect() {
    PR_StartSDK();
    m_view->StartCameraConnection();
    ASSERT_NE(nullptr, m_view->m_pCamera);
  }

};

TEST_F(MyQuilletViewHubTest, ADownloadedPhotoIsListedShownAndReported) {
  std::string path = WriteTestPhoto("IMG_0001.JPG");
  DeliverPhoto(path);
  ASSERT_EQ(1u, m_view->m_images.size());
  EXPECT_EQ(CString(path.c_str()), m_view->m_images[0].GetFileName());
  EXPECT_EQ(0, m_view->m_nCurrentImage);
  EXPECT_NE(nullptr, m_view->m_pCurrentExif);
  // The photo is decoded off the UI thread and shown when that is done.
  ASSERT_TRUE(PumpUntil([&] { return m_view->m_pDisplayBitmap != nullptr; }, 10000));
  BITMAP info{};
  m_view->m_pDisplayBitmap->GetBitmap(&info);
  EXPECT_GT(info.bmWidth, 0);
  EXPECT_GT(m_view->m_histogram.m_pixelCount, 0);
  EXPECT_EQ(0, Status().Find((CString("Saved: ") + path.c_str() + " (").GetString())) << Status().GetString();
  EXPECT_FALSE(m_view->m_bReleasePending);
  EXPECT_TRUE(GetShownMessageBoxes().empty());
}

TEST_F(MyQuilletViewHubTest, AReleaseMarksItselfPendingUntilItsPhotoIsShown) {
  Connect();
  m_view->m_pCamera->Release(false);  // through the sink the view installed
  EXPECT_TRUE(m_view->m_bReleasePending);
  ASSERT_TRUE(PumpUntil([&] { return m_view->m_pCurrentJpeg != nullptr; }));
  EXPECT_FALSE(m_view->m_bReleasePending);
}

TEST_F(MyQuilletViewHubTest, SavingTheSameFileTwiceKeepsOneEntryAtTheEnd) {
  std::string first = WriteTestPhoto("IMG_0001.JPG");
  std::string second = WriteTestPhoto("IMG_0002.JPG");
  DeliverPhoto(first);
  DeliverPhoto(second);
  std::string sameInOtherCase = TestFolder() + "/img_0001.jpg";
  std::filesystem::rename(first, sameInOtherCase);
  DeliverPhoto(sameInOtherCase);
  ASSERT_EQ(2u, m_view->m_images.size());
  EXPECT_EQ(CString(second.c_str()), m_view->m_images[0].GetFileName());
  EXPECT_EQ(CString(sameInOtherCase.c_str()), m_view->m_images[1].GetFileName());
  EXPECT_EQ(1, m_view->m_nCurrentImage);
}

TEST_F(MyQuilletViewHubTest, AStatusTextInsteadOfAFileIsShownAsItIs) {
  m_view->m_bBusy = true;
  PostAndPump(WM_SAVED_FILE, 0, reinterpret_cast<LPARAM>(new CString(STATUS_IMAGE_SAVED_TO_CARD)));
  EXPECT_EQ(CString(STATUS_IMAGE_SAVED_TO_CARD), Status());
  EXPECT_TRUE(m_view->m_images.empty());
  EXPECT_FALSE(m_view->m_bBusy);  // the shot tail ran
  m_view->m_bBusy = true;
  PostAndPump(WM_SAVED_FILE, 0, 0);
  EXPECT_FALSE(m_view->m_bBusy);
  EXPECT_EQ(-1, m_view->m_nCurrentImage);
}

TEST_F(MyQuilletViewHubTest, DownloadProgressMovesTheBarWithinItsRange) {
  struct Row {
    WPARAM percent;
    bool barShown;
    int position;
    const char* status;
  } rows[] = {
      {50, true, 50, "Downloading image..."},
      {150, true, 50, "Downloading image..."},  // out of range: position and text stay
      {100, true, 100, "Downloading image..."},  // 100 sets the bar but writes no text
      {0, false, 0, "Downloading image..."},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.percent);
    PostAndPump(WM_DOWNLOAD_PROGRESS, row.percent, 1);
    EXPECT_EQ(row.barShown, m_view->m_downloadProgress.IsWindowVisible() != FALSE);
    EXPECT_EQ(row.position, m_view->m_downloadProgress.GetPos());
    EXPECT_EQ(CString(row.status), Status());
  }
  m_view->m_nAutoBracket = 1;
  m_view->m_nBracketStep = 2;
  PostAndPump(WM_DOWNLOAD_PROGRESS, 30, 1);
  EXPECT_EQ(CString("Auto-bracket shot 2: Downloading image..."), Status());
}

TEST_F(MyQuilletViewHubTest, ReleaseErrorsAreExplainedAndEndTheShot) {
  struct Row {
    DWORD code;
    const char* text;
  } rows[] = {
      {1, "Unable to release shutter.\nThis may be because the AF was unable to lock"},
      {0x10087, "ERROR: no memory card in camera\nPlease select 'Save to PC only' or\ncheck there is a memory card in "
                "the camera"},
      {0x2019, "ERROR: Memory card full or not present"},
      {42, "Error taking photo.\nError code=0x002A"},
      {0x2002, "Error taking photo.\nError code=0x2002"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.code);
    ClearMessageBoxes();
    m_view->m_bBusy = true;
    m_view->m_nShotsLeft = 3;
    m_view->m_nBracketStep = 2;
    PostAndPump(WM_RELEASE_ERROR, row.code, 0);
    std::vector<ShownMessageBox> boxes = GetShownMessageBoxes();
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ(row.text, boxes[0].text);
    EXPECT_EQ("Tavorin", boxes[0].caption);
    EXPECT_EQ(MB_ICONERROR, boxes[0].icon);
    EXPECT_FALSE(m_view->m_bBusy);
    EXPECT_EQ(-1, m_view->m_nShotsLeft);
    EXPECT_EQ(-1, m_view->m_nBracketStep);
  }
}

TEST_F(MyQuilletViewHubTest, AReleaseErrorDuringTimeLapseShowsNoBox) {
  CWnd timeLapse;
  ASSERT_TRUE(timeLapse.CreateEx(0, nullptr, "time-lapse", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr));
  m_view->m_pTimeLapseWindow = &timeLapse;
  m_view->m_bBusy = true;
  PostAndPump(WM_RELEASE_ERROR, 42, 0);
  m_view->m_pTimeLapseWindow = nullptr;
  EXPECT_TRUE(GetShownMessageBoxes().empty());
  EXPECT_FALSE(m_view->m_bBusy);
}

TEST_F(MyQuilletViewHubTest, AReleaseRefusedBeforeTheCameraEndsTheTimeLapseShot) {
  struct Row {
    const char* name;
    std::function<void()> refuse;
    std::function<void()> restore;
  } rows[] = {
      {"connect worker busy", [&] { Connect(); m_view->m_bConnecting = true; },
       [&] { m_view->m_bConnecting = false; }},
      {"bulb", [&] {
         Connect();
         m_view->m_cbTv.ResetContent();
         m_view->m_cbTv.SetItemData(m_view->m_cbTv.AddString("Bulb"), 4);
         m_view->m_cbTv.SetCurSel(0);
       }, [&] { m_view->m_cbTv.ResetContent(); }},
      {"no camera", [&] { ResetSimulator({}, false); m_view->DeleteCamera(); PushMessageBoxAnswer(IDNO); }, [] {}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    ClearMessageBoxes();
    row.refuse();
    // The sequence as it stands after asking for its shot.
    CTimeLapseDlg timeLapse(m_view, [] {});
    ASSERT_TRUE(timeLapse.Create(IDD_TIME_LAPSE, m_view));
    timeLapse.m_bShotInProgress = true;
    m_view->m_pTimeLapseWindow = &timeLapse;
    m_view->OnTakePicture();
    PumpWaitingMessages();
    EXPECT_FALSE(timeLapse.m_bShotInProgress) << "the sequence no longer waits for a photo";
    EXPECT_FALSE(m_view->m_bBusy);
    m_view->m_pTimeLapseWindow = nullptr;
    timeLapse.DestroyWindow();
    row.restore();
  }
}

TEST_F(MyQuilletViewHubTest, ACameraEventForgetsTheCamera) {
  struct Row {
    int reason;
    BOOL autoReconnect;
    const char* message;
  } rows[] = {
      {3, FALSE, "Camera shutdown: Memory card door opened"},
      {1, FALSE, "Camera shutdown: battery low"},
      {77, FALSE, "Camera shutdown: connection lost"},
      {5, TRUE, "Camera shutdown: connection timeout"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.reason);
    ClearMessageBoxes();
    Connect();
    m_view->m_bAutoReconnect = row.autoReconnect;
    m_view->m_nShotsLeft = 2;
    m_view->m_bBusy = true;
    PostAndPump(WM_CAMERA_EVENT, row.reason, 0);
    EXPECT_EQ(nullptr, m_view->m_pCamera);
    EXPECT_EQ(CString("Tavorin - Not connected"), Title());
    EXPECT_EQ(CString(row.message), Status());
    EXPECT_EQ(-1, m_view->m_nShotsLeft);
    EXPECT_FALSE(m_view->m_bBusy);
    std::vector<ShownMessageBox> boxes = GetShownMessageBoxes();
    if (row.autoReconnect) {
      EXPECT_TRUE(boxes.empty());
    } else {
      ASSERT_EQ(1u, boxes.size());
      EXPECT_EQ(row.message, boxes[0].text);
    }
  }
}

TEST_F(MyQuilletViewHubTest, ACameraShutdownEndsTheOpenDialogWithTwo) {
  Connect();
  m_view->m_bAutoReconnect = TRUE;
  bool stillConnected = false;
  PushDialogScript(DialogScript(IDD_ABOUTBOX).Call([&](CDialog*) {
    stillConnected = m_view->m_pCamera != nullptr;
    m_view->SendMessage(WM_CAMERA_EVENT, 1, 0);
  }).Press(IDOK));  // too late: the dialog has ended
  CAboutDlg registers;  // its template
  CDialog dialog(IDD_ABOUTBOX, m_view);
  EXPECT_EQ(2, dialog.DoModal());
  EXPECT_TRUE(stillConnected);
  EXPECT_EQ(nullptr, m_view->m_pCamera);
  EXPECT_EQ(CString("Camera shutdown: battery low"), Status());
}

// A remote release the view refuses is answered at once, not after the client's time-out.
TEST_F(MyQuilletViewHubTest, ARemoteReleaseInBulbIsRefused) {
  Connect();
  m_view->m_bAutoReconnect = TRUE;
  m_view->m_cbTv.SetItemData(m_view->m_cbTv.AddString("BULB"), 4);  // the camera's bulb entry
  m_view->m_cbTv.SetCurSel(m_view->m_cbTv.GetCount() - 1);
  std::atomic<int> found{-1}, answer{-1};
  std::atomic<bool> done{false};
  std::thread client([&] {
    TavorinIPC ipc;
    found = ipc.findServer(10000);
    if (found == kIpcIdle) answer = ipc.sendCommand(kIpcRelease, 0, 10000);
    done = true;
  });
  PushMessageBoxAnswer(IDOK);
  ASSERT_TRUE(PumpUntil([&] { return done.load(); }, 30000));
  client.join();
  EXPECT_EQ(kIpcIdle, found.load());
  EXPECT_EQ(kIpcRefused, answer.load());
  EXPECT_FALSE(m_view->m_bBusy);
}

// The last entry and the zoom's top position are taken; one past them is refused.
TEST_F(MyQuilletViewHubTest, RemoteIndexesAreCheckedAtTheirEdges) {
  Connect();
  int isoCount = m_view->m_cbIso.GetCount();
  int zoomMax = m_view->m_zoomSlider.GetRangeMax();
  ASSERT_GT(isoCount, 1);
  ASSERT_GT(zoomMax, 0);
  struct Row {
    int command, parameter, answer;
  } rows[] = {{kIpcIso, isoCount - 1, kIpcDone}, {kIpcIso, isoCount, kIpcRefused}, {kIpcIso, -1, kIpcRefused},
              {kIpcZoom, zoomMax, kIpcDone},     {kIpcZoom, zoomMax + 1, kIpcRefused}};
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << row.command << " " << row.parameter);
    std::atomic<int> answer{-1};
    std::atomic<bool> done{false};
    std::thread client([&] {
      TavorinIPC ipc;
      if (ipc.findServer(10000) == kIpcIdle) answer = ipc.sendCommand(row.command, row.parameter, 10000);
      done = true;
    });
    ASSERT_TRUE(PumpUntil([&] { return done.load(); }, 30000));
    client.join();
    EXPECT_EQ(row.answer, answer.load());
    PumpUntil([&] { return false; }, 50);  // let the chosen value reach the camera
  }
  EXPECT_EQ(isoCount - 1, m_view->m_cbIso.GetCurSel());
  EXPECT_EQ(zoomMax, m_view->m_zoomSlider.GetPos());
}

TEST_F(MyQuilletViewHubTest, RotationAndInitialConnectMessages) {
  PostAndPump(WM_CAMERA_ROTATION, 270, 0);
  EXPECT_EQ(270, m_view->m_nRotation);
  PR_StartSDK();
  PostAndPump(WM_INITIAL_CONNECT, 0, 0);
  EXPECT_TRUE(m_view->m_bInitialConnectDone);
  EXPECT_NE(nullptr, m_view->m_pCamera);
}

TEST_F(MyQuilletViewHubTest, TheShotTailRunsTheModelWorkArounds) {
  struct Row {
    const char* model;
    DWORD afDistance;
    bool afLockChecked;
    const char* expectedCall;  // nullptr: none of the three
  } rows[] = {
      {"Canon PowerShot G9", 1, false, "PR_RC_FocusUnlock"},
      {"Canon PowerShot G9", 1, true, nullptr},
      {"Canon PowerShot SX110 IS", 3, false, "PR_RC_DoAeAfAwb"},
      {"Canon PowerShot SX100 IS", 1, false, nullptr},
      {"Canon PowerShot A640", 3, false, nullptr},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.model);
    m_view->DeleteCamera();
    ResetSimulator({SimModel(row.model)}, false);
    Connect();
    m_view->m_cbAfDistance.ResetContent();
    m_view->m_cbAfDistance.SetItemData(m_view->m_cbAfDistance.AddString("AF"), row.afDistance);
    m_view->m_cbAfDistance.SetCurSel(0);
    m_view->m_chkAfLock.SetCheck(row.afLockChecked ? BST_CHECKED : BST_UNCHECKED);
    m_view->m_bBusy = true;
    tavsim::SimClearCallLog();
    m_view->OnShotFinished();
    EXPECT_FALSE(m_view->m_bBusy);
    bool afDistanceSet = false;
    for (const tavsim::SimCall& call : tavsim::SimCallsOf("PR_SetDevicePropValue"))
      if (call.id == 0xD011) afDistanceSet = true;
    bool g9 = std::strstr(row.model, "G9") && !row.afLockChecked;
    bool sx = std::strstr(row.model, "SX1");
    EXPECT_EQ(g9 || sx, afDistanceSet);
    for (const char* call : {"PR_RC_FocusUnlock", "PR_RC_DoAeAfAwb"})
      EXPECT_EQ(row.expectedCall && std::strcmp(call, row.expectedCall) == 0, !tavsim::SimCallsOf(call).empty())
          << call;
  }
}

TEST_F(MyQuilletViewHubTest, TakingAPictureWithoutACameraOffersToReconnect) {
  ResetSimulator({}, false);
  PushMessageBoxAnswer(IDYES);
  m_view->OnTakePicture();
  std::vector<ShownMessageBox> boxes = GetShownMessageBoxes();
  ASSERT_EQ(2u, boxes.size());
  EXPECT_EQ("Camera is not connected.\nDo you wish to reconnect?", boxes[0].text);
  EXPECT_EQ(static_cast<UINT>(MB_YESNO), boxes[0].buttons);
  EXPECT_EQ("Unable to connect to camera", boxes[1].text);
  EXPECT_FALSE(m_view->m_bBusy);
}

TEST_F(MyQuilletViewHubTest, BulbModeRefusesTheSoftwareRelease) {
  Connect();
  m_view->m_cbTv.ResetContent();
  m_view->m_cbTv.SetItemData(m_view->m_cbTv.AddString("Bulb"), 4);
  m_view->m_cbTv.SetCurSel(0);
  m_view->OnTakePicture();
  std::vector<ShownMessageBox> boxes = GetShownMessageBoxes();
  ASSERT_EQ(1u, boxes.size());
  EXPECT_EQ("Bulb mode is only available when using the camera's shutter release", boxes[0].text);
  EXPECT_FALSE(m_view->m_bBusy);
}

// The whole road on the threaded simulated camera: release, download thread, the three messages.
TEST_F(MyQuilletViewHubTest, APictureTakenOnTheThreadedCameraArrivesThroughTheHub) {
  ResetSimulator({SimModel("Canon PowerShot G9")}, true);
  Connect();
  m_view->OnTakePicture();
  EXPECT_TRUE(m_view->m_bBusy);
  ASSERT_TRUE(PumpUntil([&] { return !m_view->m_images.empty() && m_view->m_pDisplayBitmap; }));
  ASSERT_TRUE(PumpUntil([&] { return !m_view->m_bBusy; }));
  CString path = m_view->m_images.back().GetFileName();
  EXPECT_EQ(0, path.Find(m_view->m_strDirectory.GetString())) << path.GetString();
  EXPECT_EQ(0, Status().Find("Saved: ")) << Status().GetString();
  EXPECT_NE(nullptr, m_view->m_pCurrentJpeg);
  EXPECT_TRUE(GetShownMessageBoxes().empty());
  m_view->DeleteCamera();
}

TEST_F(MyQuilletViewHubTest, TheFrameAnswersTheIpcMessageBeforeTheViewHandlesIt) {
  UINT ipc = RegisterWindowMessageA("WM_MORVANESYS_TAVORIN_IPC");
  ASSERT_NE(0u, ipc);
  EXPECT_EQ(1, ::SendMessageA(m_harness->m_frame->m_hWnd, ipc, 0, 0));
  EXPECT_EQ(1, ::SendMessageA(m_view->m_hWnd, ipc, 0, 0));
}

}  // namespace

namespace {

TEST_F(MyQuilletViewHubTest, TheBoothWindowGetsTheSequenceAsAGrid) {
  AfxRegisterDialogTemplate({9901, "booth", {}});
  CFullscreenDlg booth(m_view, 0);
  ASSERT_TRUE(booth.Create(9901, m_view));
  booth.ShowWindow(SW_SHOW);
  DeliverPhoto(WriteTestPhoto("IMG_0001.JPG"));
  DeliverPhoto(WriteTestPhoto("IMG_0002.JPG"));
  m_view->m_pFullscreenDlg = &booth;
  m_view->m_bPhotoboothShowGrid = TRUE;
  m_view->m_nNumberOfPhotoboothImages = 2;

  CBitmap* grid = m_view->BuildDisplayBitmap(&booth, 400, 200, nullptr, nullptr, 0);
  ASSERT_NE(nullptr, grid);
  BITMAP info{};
  grid->GetBitmap(&info);
  EXPECT_EQ(400, info.bmWidth);
  EXPECT_EQ(200, info.bmHeight);
  CDC dc;
  dc.CreateCompatibleDC(nullptr);
  CBitmap* old = dc.SelectObject(grid);
  int lit[2] = {0, 0};
  for (int x = 0; x < 400; ++x)
    if (dc.GetPixel(x, 100) != RGB(0, 0, 0)) ++lit[x / 200];
  EXPECT_EQ(RGB(0, 0, 0), dc.GetPixel(100, 2));  // the 4:3 photo leaves bands in its square cell
  dc.SelectObject(old);
  delete grid;
  EXPECT_GT(lit[0], 150);
  EXPECT_GT(lit[1], 150);

  // While a sequence runs, or for another window, the photo itself is shown.
  m_view->m_nShotsLeft = 1;
  CBitmap* single = m_view->BuildDisplayBitmap(&booth, 400, 200, nullptr, nullptr, 0);
  ASSERT_NE(nullptr, single);
  single->GetBitmap(&info);
  EXPECT_LT(info.bmWidth, 400);  // fitted to the box at the photo's own aspect
  delete single;
  m_view->m_pFullscreenDlg = nullptr;
  booth.DestroyWindow();
}

}  // namespace

// The leak checker of the test build fails this test when queued photo data is dropped.
TEST_F(MyQuilletViewHubTest, PhotoDataStillQueuedWhenTheViewClosesIsFreed) {
  std::string path = WriteTestPhoto("queued.jpg");
  ASSERT_TRUE(::PostMessageA(m_view->m_hWnd, WM_EXIF, 0, reinterpret_cast<LPARAM>(new Exif(path.c_str()))));
  ASSERT_TRUE(::PostMessageA(m_view->m_hWnd, WM_SAVED_FILE, 0, reinterpret_cast<LPARAM>(new CString(path.c_str()))));
  ASSERT_TRUE(::PostMessageA(m_view->m_hWnd, WM_DISPLAY_JPEG, 4, reinterpret_cast<LPARAM>(new BYTE[4]{1, 2, 3, 4})));
  m_harness->Close();
  MSG msg;
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, WM_DOWNLOAD_PROGRESS, WM_UPDATE_ZOOM, PM_NOREMOVE));
}
