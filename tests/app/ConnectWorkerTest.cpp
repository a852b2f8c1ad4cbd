#include <cstring>
#include <filesystem>
#include <iterator>

#include "AppTestSupport.h"
#include "app/ConnectWorker.h"
#include "platform/mfc/dialogscript.h"

namespace {

const char kModel[] = "Canon PowerShot G9";

class ConnectWorkerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ClearProductKey();
    ClearMessageBoxes();
    ResetSimulator({SimModel(kModel)}, true);
    CMyQuilletView::s_nConnectSettleMs = 0;
    m_harness = std::make_unique<ViewHarness>();
    ASSERT_NE(nullptr, m_harness->m_view);
    m_view = m_harness->m_view;
    m_view->m_strDirectory = CString(TestFolder() + "/road-photos");
  }
  void TearDown() override {
    m_harness.reset();
    CMyQuilletView::s_nConnectSettleMs = 700;
    ClearMessageBoxes();
    ClearProductKey();
  }
  CString Title() {
    CString title;
    m_harness->m_frame->GetWindowText(title);
    return title;
  }
  CString Status() { return m_harness->m_frame->GetStatusText(0); }
  std::string ModelKey() { return std::string(kProductKey) + kModel; }
  static std::vector<DWORD> ItemsOf(const CComboBox& combo) {
    std::vector<DWORD> items;
    for (int i = 0; i < combo.GetCount(); ++i) items.push_back(static_cast<DWORD>(combo.GetItemData(i)));
    return items;
  }
  static size_t SetsOf(DWORD property) {
    size_t count = 0;
    for (const tavsim::SimCall& call : tavsim::SimCallsOf("PR_SetDevicePropValue"))
      if (call.id == property) ++count;
    return count;
  }
  void Connect() {
    // The connection window stays until the worker closes it (a minute at most).
    DWORD start = GetTickCount();
    PushDialogScript(DialogScript(IDD_PROGRESS).RunUntil([start] { return GetTickCount() - start > 60000; }));
    m_view->StartCameraConnection();
    ASSERT_NE(nullptr, m_view->m_pCamera);
  }
  void Disconnect() {
    m_view->OnConnectCamera();
    ASSERT_EQ(nullptr, m_view->m_pCamera);
  }

  std::unique_ptr<ViewHarness> m_harness;
  CMyQuilletView* m_view = nullptr;
};

TEST_F(ConnectWorkerTest, ConnectingLearnsTheCameraAndAnnouncesIt) {
  Connect();
  EXPECT_EQ(CString("Tavorin - Connected to Canon PowerShot G9"), Title());
  EXPECT_EQ(CString("Tavorin - Connected to Canon PowerShot G9"), Status());
  EXPECT_GT(m_view->m_cbExpMode.GetCount(), 1);
  EXPECT_GT(m_view->m_cbTv.GetCount(), 1);
  EXPECT_GT(m_view->m_cbExpComp.GetCount(), 1);

  // Every learned exposure compensation is in the model's cache, in combo order.
  HKEY key = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, ModelKey().c_str(), 0, KEY_READ, &key));
  char buffer[2048];
  ASSERT_TRUE(ReadLearnedValues(key, "ExpComp", buffer, sizeof(buffer)));
  RegCloseKey(key);
  std::vector<DWORD> cached;
  for (const char* entry = buffer; *entry; entry += std::strlen(entry) + 1) cached.push_back(std::atoi(entry));
  EXPECT_EQ(ItemsOf(m_view->m_cbExpComp), cached);
}

TEST_F(ConnectWorkerTest, ASecondConnectionOfTheModelProbesNothing) {
  Connect();
  std::vector<DWORD> expComp = ItemsOf(m_view->m_cbExpComp);
  std::vector<DWORD> iso = ItemsOf(m_view->m_cbIso);
  EXPECT_GT(SetsOf(0xD01F), 2u);  // learning tried the compensation values
  Disconnect();
  tavsim::SimClearCallLog();
  Connect();
  // Only the stored or default selection is sent, once.
  EXPECT_EQ(1u, SetsOf(0xD01F));
  EXPECT_EQ(1u, SetsOf(0xD010));  // metering
  EXPECT_EQ(expComp, ItemsOf(m_view->m_cbExpComp));
  EXPECT_EQ(iso, ItemsOf(m_view->m_cbIso));
}

TEST_F(ConnectWorkerTest, AShortCompensationListIsLearnedAgainAndTheSavedSettingsStay) {
  HKEY key = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, (ModelKey() + "\\Settings").c_str(), 0, nullptr, 0,
                                           KEY_READ | KEY_WRITE, nullptr, &key, nullptr));
  DWORD orientation = 3;
  RegSetValueExA(key, "OrientationSetting", 0, REG_DWORD, reinterpret_cast<BYTE*>(&orientation), 4);
  RegCloseKey(key);
  ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, ModelKey().c_str(), 0, KEY_WRITE, &key));
  RegSetValueExA(key, "ExpComp", 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>("24\0\0"), 4);
  RegCloseKey(key);

  Connect();
  EXPECT_GT(m_view->m_cbExpComp.GetCount(), 1);
  EXPECT_EQ(3, m_view->m_nOrientationSetting);
  ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, ModelKey().c_str(), 0, KEY_READ, &key));
  DWORD type = 0, size = 0;
  EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExA(key, "ExpComp", nullptr, &type, nullptr, &size));
  EXPECT_GE(size, 10u) << "the list is learned again";
  RegCloseKey(key);
  ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, (ModelKey() + "\\Settings").c_str(), 0, KEY_READ, &key));
  EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExA(key, "OrientationSetting", nullptr, &type, nullptr, &size));
  RegCloseKey(key);
}

int g_probeCalls = 0;
bool RefuseAll(CCamera*, DWORD) {
  ++g_probeCalls;
  return false;
}

TEST_F(ConnectWorkerTest, AnEmptyLearnedListIsReadBackAsAList) {
  HKEY key = OpenProductKey();
  ASSERT_NE(nullptr, key);
  const ComboTableRow rows[] = {{1, "One"}, {2, "Two"}};
  g_probeCalls = 0;
  m_view->LearnSettingValues(key, "Nothing", m_view->m_cbIso, rows, 2, RefuseAll);
  EXPECT_EQ(2, g_probeCalls);
  char buffer[2048];
  EXPECT_TRUE(ReadLearnedValues(key, "Nothing", buffer, sizeof(buffer)));
  m_view->LearnSettingValues(key, "Nothing", m_view->m_cbIso, rows, 2, RefuseAll);
  EXPECT_EQ(2, g_probeCalls);  // the cache answered
  EXPECT_EQ(0, m_view->m_cbIso.GetCount());
  // A list without its closing NUL is not a list.
  RegSetValueExA(key, "Broken", 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>("1"), 1);
  EXPECT_FALSE(ReadLearnedValues(key, "Broken", buffer, sizeof(buffer)));
  RegCloseKey(key);
}

TEST_F(ConnectWorkerTest, FillSupportedValuesKeepsAComboThatAlreadyMatches) {
  const ComboTableRow rows[] = {{10, "ten"}, {20, "twenty"}, {30, "thirty"}};
  CComboBox& combo = m_view->m_cbIso;
  const WORD first[] = {30, 10, 99};
  CMyQuilletView::FillSupportedValues(combo, rows, 3, first, 3);
  EXPECT_EQ((std::vector<DWORD>{30, 10}), ItemsOf(combo));
  combo.SetCurSel(1);
  const WORD same[] = {30, 10};
  CMyQuilletView::FillSupportedValues(combo, rows, 3, same, 2);
  EXPECT_EQ(1, combo.GetCurSel());
  const WORD other[] = {20};
  CMyQuilletView::FillSupportedValues(combo, rows, 3, other, 1);
  EXPECT_EQ((std::vector<DWORD>{20}), ItemsOf(combo));
  CMyQuilletView::FillSupportedValues(combo, rows, 3, nullptr, 0);
  EXPECT_EQ(0, combo.GetCount());
}

}  // namespace

namespace {

TEST_F(ConnectWorkerTest, ALongZoomRangeGetsElevenTicksAndAShortOneNone) {
  const struct {
    DWORD maximum;
    UINT ticks;
  } rows[] = {{19, 0}, {25, 0}, {26, 11}, {120, 11}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.maximum);
    tavsim::SimSetRange(0, 0xD02A, 0, row.maximum);
    Connect();
    EXPECT_EQ(static_cast<int>(row.maximum), m_view->m_zoomSlider.GetRangeMax());
    EXPECT_EQ(row.ticks, m_view->m_zoomSlider.GetNumTics());
    Disconnect();
  }
}

}  // namespace

TEST_F(ConnectWorkerTest, LearningShowsARepeatedLabelOnceWithItsFirstAcceptedCode) {
  // Two codes for one f-number: the combo and the cache keep only the first one the camera takes.
  static const ComboTableRow rows[] = {{10, "F2.8"}, {11, "F2.8"}, {12, "F4.0"}, {13, "F4.0"}, {14, "F5.6"}};
  HKEY key = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, ModelKey().c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                           nullptr, &key, nullptr));
  RegDeleteValueA(key, "RepeatedLabels");
  m_view->LearnSettingValues(key, "RepeatedLabels", m_view->m_cbAv, rows, static_cast<int>(std::size(rows)),
                             [](CCamera*, DWORD value) { return value != 12; });
  EXPECT_EQ((std::vector<DWORD>{10, 13, 14}), ItemsOf(m_view->m_cbAv));
  char buffer[256];
  ASSERT_TRUE(ReadLearnedValues(key, "RepeatedLabels", buffer, sizeof(buffer)));
  RegCloseKey(key);
  std::vector<DWORD> cached;
  for (const char* entry = buffer; *entry; entry += std::strlen(entry) + 1) cached.push_back(std::atoi(entry));
  EXPECT_EQ((std::vector<DWORD>{10, 13, 14}), cached);
}
