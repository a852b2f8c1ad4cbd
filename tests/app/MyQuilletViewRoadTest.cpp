#include <filesystem>

#include "AppTestSupport.h"
#include "platform/mfc/dialogscript.h"

namespace {

LONGLONG g_now = 1000;
LONGLONG TestClock() { return g_now; }

class MyQuilletViewRoadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ClearProductKey();
    ClearMessageBoxes();
    ResetSimulator({SimModel("Canon PowerShot G9")}, true);
    CMyQuilletView::s_nConnectSettleMs = 0;
    m_pfnSystemClock = CMyQuilletView::s_pfnClock;
    CMyQuilletView::s_pfnClock = TestClock;
    g_now = 1000;
    m_harness = std::make_unique<ViewHarness>();
    ASSERT_NE(nullptr, m_harness->m_view);
    m_view = m_harness->m_view;
    m_view->m_strDirectory = CString(TestFolder() + "/road-release");
  }
  void TearDown() override {
    m_harness.reset();
    CMyQuilletView::s_nConnectSettleMs = 700;
    CMyQuilletView::s_pfnClock = m_pfnSystemClock;
    ClearMessageBoxes();
    ClearProductKey();
  }
  CString Status() { return m_harness->m_frame->GetStatusText(0); }
  CString Title() {
    CString title;
    m_harness->m_frame->GetWindowText(title);
    return title;
  }
  CString ItemText(int id) {
    CString text;
    m_view->GetDlgItemText(id, text);
    return text;
  }
  void ScriptConnectionWindow() {
    DWORD start = GetTickCount();
    PushDialogScript(DialogScript(IDD_PROGRESS).RunUntil([start] { return GetTickCount() - start > 60000; }));
  }
  void Connect() {
    ScriptConnectionWindow();
    m_view->StartCameraConnection();
    ASSERT_NE(nullptr, m_view->m_pCamera);
  }
  void Select(int id, int index) {
    CComboBox* combo = ComboOf(id);
    combo->SetCurSel(index);
    m_view->SendMessage(WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo->m_hWnd));
  }
  CComboBox* ComboOf(int id) {
    switch (id) {
      case IDC_EXPMODE: return &m_view->m_cbExpMode;
      case IDC_TV: return &m_view->m_cbTv;
      case IDC_AV: return &m_view->m_cbAv;
      case IDC_ISO: return &m_view->m_cbIso;
      case IDC_EXPCOMP: return &m_view->m_cbExpComp;
      case IDC_METERING: return &m_view->m_cbMetering;
      default: return nullptr;
    }
  }
  /// Runs a timer tick of the main timer.
  void Tick(int times = 1) {
    for (int i = 0; i < times; ++i) m_view->SendMessage(WM_TIMER, 2, 0);
  }

  std::unique_ptr<ViewHarness> m_harness;
  CMyQuilletView* m_view = nullptr;
  LONGLONG (*m_pfnSystemClock)() = nullptr;
};

TEST_F(MyQuilletViewRoadTest, EachComboSetsTheCameraAndARefusedValueShowsTheCameras) {
  Connect();
  // Manual mode offers both shutter speed and aperture.
  int manual = -1;
  for (int i = 0; i < m_view->m_cbExpMode.GetCount(); ++i)
    if (m_view->m_cbExpMode.GetItemData(i) == 4) manual = i;
  ASSERT_GE(manual, 0);
  Select(IDC_EXPMODE, manual);
  DWORD mode = 0;
  ASSERT_TRUE(tavsim::SimGetValue(0, tavsim::kSimRoadPr, 0xD00C, mode));
  EXPECT_EQ(4u, mode);

  const struct {
    int id;
    DWORD property;
  } rows[] = {{IDC_TV, 0xD01E}, {IDC_AV, 0xD01D}, {IDC_ISO, 0xD01C}, {IDC_EXPCOMP, 0xD01F}, {IDC_METERING, 0xD010}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.id);
    CComboBox* combo = ComboOf(row.id);
    DWORD before = 0;
    ASSERT_TRUE(tavsim::SimGetValue(0, tavsim::kSimRoadPr, row.property, before));
    std::vector<int> others;
    for (int i = 0; i < combo->GetCount(); ++i) {
      DWORD data = static_cast<DWORD>(combo->GetItemData(i));
      if (data != before && data != 0xFFFF) others.push_back(i);
    }
    ASSERT_GE(others.size(), 2u);
    DWORD wanted = static_cast<DWORD>(combo->GetItemData(others[0]));
    Select(row.id, others[0]);
    DWORD now = 0;
    ASSERT_TRUE(tavsim::SimGetValue(0, tavsim::kSimRoadPr, row.property, now));
    EXPECT_EQ(wanted, now);
    EXPECT_EQ(wanted, combo->GetItemData(combo->GetCurSel()));

    DWORD refused = static_cast<DWORD>(combo->GetItemData(others[1]));
    tavsim::SimRefuseValue(0, tavsim::kSimRoadPr, row.property, refused);
    Select(row.id, others[1]);
    EXPECT_EQ(wanted, combo->GetItemData(combo->GetCurSel()));
  }
}

TEST_F(MyQuilletViewRoadTest, ACombosChangeWithoutACameraDoesNothing) {
  m_view->m_cbIso.AddString("100");
  m_view->m_cbIso.AddString("200");
  Select(IDC_ISO, 1);
  EXPECT_EQ(1, m_view->m_cbIso.GetCurSel());
  EXPECT_TRUE(tavsim::SimCallsOf("PR_SetDevicePropValue").empty());
}

TEST_F(MyQuilletViewRoadTest, TheBatteryTextIsRefreshedEveryMinute) {
  Connect();
  m_view->m_nNextBatteryUpdate = g_now;
  m_view->SetDlgItemText(IDC_BATTERY, "Battery:");
  Tick(15);
  EXPECT_EQ(CString("Battery: Normal"), ItemText(IDC_BATTERY));
  m_view->SetDlgItemText(IDC_BATTERY, "old");
  g_now += 59;
  Tick(15);
  EXPECT_EQ(CString("old"), ItemText(IDC_BATTERY));
  g_now += 1;
  Tick(15);
  EXPECT_EQ(CString("Battery: Normal"), ItemText(IDC_BATTERY));
}

TEST_F(MyQuilletViewRoadTest, AShutDownWithoutAutoReconnectTellsTheUser) {
  Connect();
  m_view->m_bAutoReconnect = FALSE;
  m_view->SendMessage(WM_CAMERA_EVENT, 3, 0);
  EXPECT_EQ(nullptr, m_view->m_pCamera);
  EXPECT_EQ(CString("Tavorin - Not connected"), Title());
  ASSERT_EQ(1u, GetShownMessageBoxes().size());
  EXPECT_EQ("Camera shutdown: Memory card door opened", GetShownMessageBoxes()[0].text);
  g_now += 100;
  Tick();
  EXPECT_EQ(nullptr, m_view->m_pCamera);
}

TEST_F(MyQuilletViewRoadTest, AutoReconnectTriesAtLeastSixSecondsApart) {
  m_view->m_bAutoReconnect = TRUE;
  ResetSimulator({}, true);  // nothing attached: every attempt fails
  g_now = 5000;
  Tick();
  EXPECT_EQ(CString("Auto reconnect failed"), Status());
  size_t attempts = tavsim::SimCallsOf("PR_GetDeviceList").size();
  ASSERT_GT(attempts, 0u);
  for (int second = 1; second <= 5; ++second) {
    g_now = 5000 + second;
    Tick(10);
    CString expected;
    expected.Format("Camera not connected, auto-reconnect in %d sec", 6 - second);
    EXPECT_EQ(expected, Status());
  }
  EXPECT_EQ(attempts, tavsim::SimCallsOf("PR_GetDeviceList").size());

  // The camera is back: the next attempt finds it.
  ResetSimulator({SimModel("Canon PowerShot G9")}, true);
  PR_StartSDK();
  g_now = 5006;
  ScriptConnectionWindow();
  Tick();
  ASSERT_NE(nullptr, m_view->m_pCamera);
  EXPECT_EQ(CString("Tavorin - Connected to Canon PowerShot G9"), Title());
  EXPECT_TRUE(GetShownMessageBoxes().empty());
}

TEST_F(MyQuilletViewRoadTest, ReleaseFromTheButtonSavesShowsAndDrawsTheHistogram) {
  Connect();
  m_view->m_nStoreImage = 1;
  m_view->SendMessage(WM_COMMAND, MAKEWPARAM(IDC_RELEASE, BN_CLICKED), 0);
  ASSERT_TRUE(PumpUntil([&] { return Status().Find("Saved: ") == 0 && m_view->m_pCurrentJpeg; }));
  ASSERT_EQ(1u, m_view->m_images.size());
  EXPECT_TRUE(std::filesystem::exists(m_view->m_images[0].GetFileName().GetString()));
  EXPECT_EQ(0, Status().Find(CString("Saved: ") + m_view->m_images[0].GetFileName()));
  // The histogram is drawn once the photo is decoded, off the UI thread.
  ASSERT_TRUE(PumpUntil([&] { return m_view->m_pHistogramBitmap != nullptr; }, 10000));
  BITMAP info{};
  m_view->m_pHistogramBitmap->GetBitmap(&info);
  EXPECT_EQ(102, info.bmHeight);
}

}  // namespace

namespace {

class HistogramDisplayTest : public MyQuilletViewRoadTest {
 protected:
  /// Draws and returns the colour of every pixel of one column.
  std::vector<COLORREF> DrawAndReadColumn(int column) {
    m_view->DrawHistogram();
    std::vector<COLORREF> pixels;
    if (!m_view->m_pHistogramBitmap) return pixels;
    CDC dc;
    dc.CreateCompatibleDC(nullptr);
    CBitmap* old = dc.SelectObject(m_view->m_pHistogramBitmap.get());
    BITMAP info{};
    m_view->m_pHistogramBitmap->GetBitmap(&info);
    for (int y = 0; y < info.bmHeight; ++y) pixels.push_back(dc.GetPixel(column < 0 ? info.bmWidth + column : column, y));
    dc.SelectObject(old);
    return pixels;
  }
  int Width() {
    BITMAP info{};
    m_view->m_pHistogramBitmap->GetBitmap(&info);
    return info.bmWidth;
  }
};

TEST_F(HistogramDisplayTest, EmptyCountsDrawOnlyBackgroundBorderAndGrid) {
  m_view->m_histogram.Reset();
  std::vector<COLORREF> column = DrawAndReadColumn(7);
  ASSERT_EQ(102u, column.size());
  EXPECT_EQ(RGB(0, 0, 0), column[0]);
  EXPECT_EQ(RGB(0, 160, 185), column[50]);
  std::vector<COLORREF> grid = DrawAndReadColumn(Width() / 5);
  EXPECT_EQ(RGB(0, 120, 150), grid[50]);
  // The bitmap fills its picture control, whose width the form's layout decides.
  CRect picture;
  m_view->GetDlgItem(IDC_HISTOGRAM)->GetClientRect(&picture);
  EXPECT_GE(Width(), static_cast<int>(picture.Width()));
}

TEST_F(HistogramDisplayTest, CurvesFollowTheirFlags) {
  const struct {
    BOOL red, intensity;
    bool expectRed, expectGrey;
  } rows[] = {{FALSE, FALSE, false, false}, {TRUE, FALSE, true, false}, {FALSE, TRUE, false, true}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.red * 2 + row.intensity);
    m_view->m_histogram.Reset();
    for (int i = 0; i < 400; ++i) m_view->m_histogram.AddPixel(255, 0, 0);
    for (int i = 0; i < 400; ++i) m_view->m_histogram.AddPixel(128, 128, 128);
    m_view->m_bRed = row.red;
    m_view->m_bGreen = m_view->m_bBlue = FALSE;
    m_view->m_bIntensity = row.intensity;
    bool red = false, grey = false;
    for (int x = 1; x < 255; ++x) {
      for (COLORREF pixel : DrawAndReadColumn(x)) {
        red = red || pixel == RGB(255, 0, 0);
        grey = grey || pixel == RGB(90, 90, 90);
      }
      if (red && grey) break;
    }
    EXPECT_EQ(row.expectRed, red);
    EXPECT_EQ(row.expectGrey, grey);
  }
}

TEST_F(HistogramDisplayTest, CurvesShareOneScaleAndIntensityHasItsOwn) {
  // Red peaks at 100 at level 64, green at 50 at level 192: green must reach half red's height.
  CHistogram& histogram = m_view->m_histogram;
  histogram.Reset();
  histogram.m_normalised = 1;
  histogram.m_red[64] = 100;
  histogram.m_green[192] = 50;
  histogram.m_intensity[128] = 20;
  histogram.m_maxRed = 100;
  histogram.m_maxGreen = 50;
  histogram.m_maxIntensity = 40;
  m_view->m_bRed = m_view->m_bGreen = m_view->m_bIntensity = TRUE;
  m_view->m_bBlue = FALSE;
  m_view->DrawHistogram();
  const int w = Width();
  auto x = [w](int level) { return level * (w - 3) / 255 + 1; };
  std::vector<COLORREF> red = DrawAndReadColumn(x(64));
  ASSERT_EQ(102u, red.size());
  EXPECT_EQ(RGB(255, 0, 0), red[1]);  // 102 - 100 * 100 / 100 - 1
  EXPECT_NE(RGB(255, 0, 0), red[0]);
  std::vector<COLORREF> green = DrawAndReadColumn(x(192));
  EXPECT_EQ(RGB(20, 255, 20), green[51]);  // 102 - 50 * 100 / 100 - 1
  for (int y = 1; y < 50; ++y) EXPECT_NE(RGB(20, 255, 20), green[y]) << y;
  std::vector<COLORREF> grey = DrawAndReadColumn(x(128));
  EXPECT_EQ(RGB(90, 90, 90), grey[51]);  // 20 of 40
  EXPECT_EQ(RGB(90, 90, 90), grey[100]);
  EXPECT_NE(RGB(90, 90, 90), grey[50]);
}

TEST_F(HistogramDisplayTest, TheHighlightBitmapBlinksEveryFifteenTicks) {
  CBitmap* photo = new CBitmap;
  CBitmap* marked = new CBitmap;
  CClientDC viewDc(m_view);
  photo->CreateCompatibleBitmap(&viewDc, 4, 4);
  marked->CreateCompatibleBitmap(&viewDc, 4, 4);
  delete m_view->m_pDisplayBitmap;
  delete m_view->m_pHighlightBitmap;
  m_view->m_pDisplayBitmap = photo;
  m_view->m_pHighlightBitmap = marked;
  m_view->m_nTickCount = 0;
  Tick(14);
  EXPECT_EQ(photo, m_view->m_pDisplayBitmap);
  Tick();
  EXPECT_EQ(marked, m_view->m_pDisplayBitmap);
  Tick(15);
  EXPECT_EQ(photo, m_view->m_pDisplayBitmap);
}

}  // namespace

namespace {

TEST_F(MyQuilletViewRoadTest, ZoomKeepsItsLimitsAndNamesTheFocalLength) {
  Connect();
  m_view->m_nMinZoomSetting = 5;
  m_view->m_zoomSlider.SetPos(2);
  m_view->UpdateZoom();
  EXPECT_EQ(5, m_view->m_zoomSlider.GetPos());
  const struct {
    int position;
    const char* text;
  } rows[] = {{0, "Lens: 7.4-44.4 @ 7.4mm"}, {12, "Lens: 7.4-44.4 @ 36.8mm"}, {20, "Lens: 7.4-44.4 @ 44.4mm"}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.position);
    m_view->GetFocalLengthText(row.position);
    EXPECT_EQ(CString(row.text), ItemText(IDC_LENS));
  }
}

}  // namespace

namespace {

TEST_F(MyQuilletViewRoadTest, StartingTheRoadConnectsOnceTheWindowRuns) {
  ScriptConnectionWindow();
  m_view->StartMainRoad();
  EXPECT_EQ(CString("Tavorin - Connecting to camera..."), Title());
  EXPECT_EQ(2u, m_view->m_nTimerId);
  ASSERT_TRUE(PumpUntil([&] { return m_view->m_pCamera != nullptr; }));
  EXPECT_EQ(CString("Tavorin - Connected to Canon PowerShot G9"), Title());
}

TEST_F(MyQuilletViewRoadTest, ACameraSideModeChangeReachesTheForm) {
  Connect();
  ASSERT_TRUE(tavsim::SimSetValue(0, tavsim::kSimRoadPr, 0xD00C, 3));
  ASSERT_TRUE(::PostMessageA(m_view->m_hWnd, WM_CAMERA_SETTINGS_CHANGED, 0, 0));
  ASSERT_TRUE(PumpUntil([&] {
    int index = m_view->m_cbExpMode.GetCurSel();
    return index >= 0 && m_view->m_cbExpMode.GetItemData(index) == 3;
  }, 5000));
  EXPECT_TRUE(m_view->m_cbAv.IsWindowEnabled());
  EXPECT_FALSE(m_view->m_cbTv.IsWindowEnabled());
}

}  // namespace
