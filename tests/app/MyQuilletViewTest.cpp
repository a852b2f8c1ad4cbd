#include "AppTestSupport.h"
#include "app/MyQuilletApp.h"
#include "support/TextUtilities.h"

namespace {

class MyQuilletViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ClearProductKey();
    ResetSimulator({SimModel("Canon PowerShot G9")}, false);
  }
  void TearDown() override { ClearProductKey(); }
};

DWORD ReadValue(const CString& keyName, const char* name, DWORD fallback = 0xDEADBEEF) {
  HKEY key = nullptr;
  DWORD value = fallback;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, keyName, 0, KEY_READ, &key) == ERROR_SUCCESS) {
    ReadRegDword(key, name, value);
    RegCloseKey(key);
  }
  return value;
}

TEST_F(MyQuilletViewTest, FirstStartCreatesTheKeyAndKeepsDefaults) {
  ViewHarness harness;
  ASSERT_NE(nullptr, harness.m_view);
  CMyQuilletView* view = harness.m_view;
  HKEY key = nullptr;
  EXPECT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, kProductKey, 0, KEY_READ, &key));
  RegCloseKey(key);
  EXPECT_EQ(nullptr, view->m_pCamera);
  EXPECT_EQ(-1, view->m_nShotsLeft);
  EXPECT_EQ(-1, view->m_nCurrentImage);
  EXPECT_EQ(3, view->m_nViewfinderOutput);
  EXPECT_EQ(1, view->m_nViewfinderStayOnTop);
  EXPECT_EQ(100, view->m_nCropX1);
  EXPECT_EQ(200, view->m_nCropY2);
  EXPECT_EQ(8, view->m_strUniqueId.GetLength());
  EXPECT_EQ(RegisterWindowMessageA("WM_MORVANESYS_TAVORIN_IPC"), view->m_nIPCMessage);
  EXPECT_EQ(RegisterWindowMessageA("WM_USER_HOTSPOTMESSAGE"), g_nHotSpotMessage);
  EXPECT_EQ(view, GetMyQuilletApp()->m_pView);
  EXPECT_EQ(view, GetMainView());
  EXPECT_NE(nullptr, view->m_pProgressDlg2);
  EXPECT_EQ(CString("2.7"), g_strProgramVersion);
  EXPECT_TRUE(g_cDecimalSeparator == '.' || g_cDecimalSeparator == ',');
  // The frame's plain style keeps the document's name out of the title.
  CString title;
  harness.m_frame->GetWindowText(title);
  EXPECT_EQ(CString("Tavorin"), title);
}

TEST_F(MyQuilletViewTest, StoredSettingsAreLoadedByTheConstructor) {
  HKEY key = OpenProductKey();
  WriteRegDword(key, "ViewfinderScale", 9);
  WriteRegText(key, "Directory", "/data/shots");
  WriteRegDword(key, "PhotoboothCustomDoubleStrip", 1);
  RegCloseKey(key);
  ViewHarness harness;
  ASSERT_NE(nullptr, harness.m_view);
  EXPECT_EQ(5, harness.m_view->m_nViewfinderScale);
  EXPECT_EQ(CString("/data/shots"), harness.m_view->m_strDirectory);
  // The old layout switch is read once and then gone.
  EXPECT_EQ(0xDEADBEEFu, ReadValue(kProductKey, "PhotoboothCustomDoubleStrip"));
}

TEST_F(MyQuilletViewTest, ClosingTheViewSavesItsSettings) {
  {
    ViewHarness harness;
    ASSERT_NE(nullptr, harness.m_view);
    harness.m_view->m_nSharpenAmount = 42;
    harness.m_view->m_dPostProcessingLevelBlack = 0.0029;
  }
  EXPECT_EQ(42u, ReadValue(kProductKey, "SharpenAmount"));
  EXPECT_EQ(29u, ReadValue(kProductKey, "PostProcessingLevelBlack"));
  ViewHarness again;
  ASSERT_NE(nullptr, again.m_view);
  EXPECT_DOUBLE_EQ(0.0029, again.m_view->m_dPostProcessingLevelBlack);
}

TEST_F(MyQuilletViewTest, CdsdkIsStartedWithTheFirstVersionItAccepts) {
  struct Row {
    std::vector<int> accepted;
    std::vector<DWORD> attempts;
    int started;
  } rows[] = {
      {{5, 6, 7, 8, 9, 10}, {5}, 5},
      {{7, 8}, {5, 5, 6, 7}, 7},
      {{10}, {5, 5, 6, 7, 8, 9, 10}, 10},
      {{}, {5, 5, 6, 7, 8, 9, 10}, 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.started);
    tavsim::SimScenario scenario;
    scenario.cameras = {SimModel("Canon PowerShot G9")};
    scenario.threaded = false;
    scenario.cdVersions = row.accepted;
    tavsim::SimReset(scenario);
    tavsim::SimClearCallLog();
    EXPECT_EQ(row.started, StartCdsdkVersions());
    std::vector<DWORD> attempts;
    for (const tavsim::SimCall& call : tavsim::SimCallsOf("CDStartSDK")) attempts.push_back(call.value);
    EXPECT_EQ(row.attempts, attempts);
    CDFinishSDK();
  }
}

TEST_F(MyQuilletViewTest, BothSdksStartWithTheViewAndTheCdsdkFinishesWithIt) {
  tavsim::SimClearCallLog();
  {
    ViewHarness harness;
    ASSERT_NE(nullptr, harness.m_view);
    EXPECT_EQ(1u, tavsim::SimCallsOf("PR_StartSDK").size());
    EXPECT_EQ(1u, tavsim::SimCallsOf("CDStartSDK").size());
    EXPECT_TRUE(tavsim::SimCallsOf("CDFinishSDK").empty());
  }
  EXPECT_EQ(1u, tavsim::SimCallsOf("CDFinishSDK").size());
  EXPECT_TRUE(tavsim::SimCallsOf("PR_FinishSDK").empty());
}

TEST(FormatProgramVersionTest, DropsZeroTailParts) {
  struct Row {
    int parts[4];
    const char* text;
  } rows[] = {{{3, 3, 0, 0}, "3.3"}, {{3, 3, 1, 0}, "3.3.1"}, {{3, 3, 0, 2}, "3.3.0.2"}, {{2, 7, 0, 0}, "2.7"}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text);
    EXPECT_EQ(CString(row.text), FormatProgramVersion(row.parts[0], row.parts[1], row.parts[2], row.parts[3]));
  }
}

TEST_F(MyQuilletViewTest, CameraSettingsArePerModelAndNeedACamera) {
  ViewHarness harness;
  CMyQuilletView* view = harness.m_view;
  ASSERT_NE(nullptr, view);
  CString g9Key = CString(kProductKey) + "Canon PowerShot G9\\Settings";

  view->SaveCameraSettings();  // no camera: nothing written
  HKEY key = nullptr;
  EXPECT_NE(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, g9Key, 0, KEY_READ, &key));

  PR_StartSDK();
  view->StartCameraConnection();
  ASSERT_NE(nullptr, view->m_pCamera);
  ASSERT_EQ(CString("Canon PowerShot G9"), view->m_pCamera->GetModelName());
  view->m_cbTv.ResetContent();
  view->m_cbTv.SetItemData(view->m_cbTv.AddString("1/60"), 0x48);
  view->m_cbTv.SetCurSel(0);
  view->m_cbAv.ResetContent();  // no selection
  view->m_nContrast = 2;
  view->m_bLosslessAutoRotate = TRUE;
  view->SaveCameraSettings();
  EXPECT_EQ(0x48u, ReadValue(g9Key, "Tv"));
  EXPECT_EQ(0xFFFFFFFFu, ReadValue(g9Key, "Av"));
  EXPECT_EQ(2u, ReadValue(g9Key, "Contrast"));
  EXPECT_EQ(1u, ReadValue(g9Key, "LosslessAutoRotate"));
  EXPECT_EQ(3u, ReadValue(g9Key, "ViewfinderOutput"));
  EXPECT_EQ(0u, ReadValue(g9Key, "LiveViewfinder"));

  // Disconnecting keeps the model's state; re-learning forgets the whole model key.
  view->m_nContrast = 1;
  view->OnConnectCamera();
  EXPECT_EQ(nullptr, view->m_pCamera);
  EXPECT_EQ(1u, ReadValue(g9Key, "Contrast"));
  view->m_nContrast = 0;
  view->OnConnectCamera();
  ASSERT_NE(nullptr, view->m_pCamera);
  view->OnRelearnCameraSettings();
  EXPECT_EQ(0xDEADBEEFu, ReadValue(g9Key, "Contrast"));
  EXPECT_NE(nullptr, view->m_pCamera);  // reconnected
}

}  // namespace
