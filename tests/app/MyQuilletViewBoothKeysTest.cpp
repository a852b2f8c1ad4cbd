// The photobooth's quick commands: colour and copies keys typed into the booth window, F6,
// the shortcut row, profile switching and reprinting.
#include <filesystem>
#include <fstream>
#include <string>

#include "photobooth/BoothCommands.h"
#include "platform/mfc/dialogscript.h"
#include "tests/photobooth/BoothViewFixture.h"

namespace {

namespace fs = std::filesystem;

class MyQuilletViewBoothKeysTest : public BoothViewFixture<> {
 protected:
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(OpenView());
    m_folder = FreshBoothFolder("keys-booth");
    for (const char* name : {"ready.jpg", "welcome.jpg"}) WriteJpeg(m_folder / name, 64, 48, Qt::darkGreen);
    m_view->m_strPhotoboothImageDir = m_folder.string().c_str();
  }
  void Connect() {
    DWORD start = GetTickCount();
    PushDialogScript(DialogScript(IDD_PROGRESS).RunUntil([start] { return GetTickCount() - start > 60000; }));
    m_view->StartCameraConnection();
    ASSERT_NE(nullptr, m_view->m_pCamera);
  }
  // A waiting booth: photobooth mode, no countdown, the window up and active.
  CFullscreenDlg* OpenBooth() {
    m_view->m_bPhotoboothActive = true;
    m_view->m_nShotsLeft = -1;
    CreateBooth();
    Activate(m_booth->m_hWnd);
    return m_booth.get();
  }

  fs::path m_folder;
};

TEST_F(MyQuilletViewBoothKeysTest, ColourAndCopiesKeysActOnlyWhileTheBoothWaits) {
  Connect();
  CFullscreenDlg* booth = OpenBooth();
  struct Row {
    const char* name;
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    int shotsLeft;
    bool active;
    int bwBefore, copiesBefore;
    int bwAfter, copiesAfter;
  } rows[] = {
      {"Ctrl+B black and white", Qt::Key_B, Qt::ControlModifier, -1, true, 0, 1, 1, 1},
      {"Ctrl+C colour", Qt::Key_C, Qt::ControlModifier, -1, true, 1, 1, 0, 1},
      {"Ctrl+K colour", Qt::Key_K, Qt::ControlModifier, -1, true, 1, 1, 0, 1},
      {"Ctrl+1", Qt::Key_1, Qt::ControlModifier, -1, true, 0, 5, 0, 1},
      {"Ctrl+6", Qt::Key_6, Qt::ControlModifier, -1, true, 0, 1, 0, 6},
      {"Ctrl+9", Qt::Key_9, Qt::ControlModifier, -1, true, 0, 1, 0, 9},
      {"minus from 15 is clamped to 9", Qt::Key_Minus, Qt::KeypadModifier, -1, true, 0, 15, 0, 9},
      {"minus stops at 1", Qt::Key_Minus, Qt::KeypadModifier, -1, true, 0, 1, 0, 1},
      {"plus", Qt::Key_Plus, Qt::KeypadModifier, -1, true, 0, 5, 0, 6},
      {"plus stops at 9", Qt::Key_Plus, Qt::KeypadModifier, -1, true, 0, 9, 0, 9},
      {"plus from 20 is clamped to 9", Qt::Key_Plus, Qt::KeypadModifier, -1, true, 0, 20, 0, 9},
      {"nothing during a countdown", Qt::Key_3, Qt::ControlModifier, 2, true, 0, 1, 0, 1},
      {"no colour change during a countdown", Qt::Key_B, Qt::ControlModifier, 0, true, 0, 1, 0, 1},
      {"nothing outside photobooth mode", Qt::Key_Plus, Qt::KeypadModifier, -1, false, 0, 4, 0, 4},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    m_view->m_nShotsLeft = row.shotsLeft;
    m_view->m_bPhotoboothActive = row.active;
    m_view->m_nPhotoboothBW = row.bwBefore;
    m_view->m_nPhotoboothPrintCopies = row.copiesBefore;
    PressKey(booth->m_hWnd, row.key, row.modifiers);
    EXPECT_EQ(row.bwAfter, m_view->m_nPhotoboothBW);
    EXPECT_EQ(row.copiesAfter, m_view->m_nPhotoboothPrintCopies);
  }
  m_view->m_nShotsLeft = -1;
  m_view->m_bPhotoboothActive = true;
  // Off the ready screen only numpad + acts, as its touch action does.
  booth->ShowScreen((m_folder / "welcome.jpg").string().c_str(), 0);
  struct OffReady {
    const char* name;
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    int bwAfter, copiesAfter;
  } offReady[] = {
      {"Ctrl+3 on welcome", Qt::Key_3, Qt::ControlModifier, 0, 4},
      {"Ctrl+9 on welcome", Qt::Key_9, Qt::ControlModifier, 0, 4},
      {"Ctrl+B on welcome", Qt::Key_B, Qt::ControlModifier, 0, 4},
      {"numpad minus on welcome", Qt::Key_Minus, Qt::KeypadModifier, 0, 4},
      {"numpad plus on welcome", Qt::Key_Plus, Qt::KeypadModifier, 0, 5},
  };
  for (const OffReady& row : offReady) {
    SCOPED_TRACE(row.name);
    m_view->m_nPhotoboothBW = 0;
    m_view->m_nPhotoboothPrintCopies = 4;
    PressKey(booth->m_hWnd, row.key, row.modifiers);
    EXPECT_EQ(row.bwAfter, m_view->m_nPhotoboothBW);
    EXPECT_EQ(row.copiesAfter, m_view->m_nPhotoboothPrintCopies);
  }
  m_view->m_nPhotoboothBW = 1;
  PressKey(booth->m_hWnd, Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(1, m_view->m_nPhotoboothBW) << "Ctrl+C on welcome";
  booth->ShowScreen((m_folder / "ready.jpg").string().c_str(), 0);
  m_view->m_nPhotoboothPrintCopies = 1;
  CCamera* camera = m_view->m_pCamera;
  m_view->m_pCamera = nullptr;
  PressKey(booth->m_hWnd, Qt::Key_7, Qt::ControlModifier);
  m_view->m_pCamera = camera;
  EXPECT_EQ(1, m_view->m_nPhotoboothPrintCopies) << "nothing without a camera";
}

TEST_F(MyQuilletViewBoothKeysTest, F6TogglesWelcomeAndReadyExceptDuringACountdown) {
  CFullscreenDlg* booth = OpenBooth();
  booth->ShowScreen((m_folder / "ready.jpg").string().c_str(), 0);
  ASSERT_TRUE(m_view->IsReadyScreen());
  PressKey(booth->m_hWnd, Qt::Key_F6);
  EXPECT_TRUE(booth->IsWelcomeScreen());
  EXPECT_FALSE(m_view->IsReadyScreen());
  m_view->m_nShotsLeft = 1;
  PressKey(booth->m_hWnd, Qt::Key_F6);
  EXPECT_TRUE(booth->IsWelcomeScreen()) << "a countdown keeps its screen";
  m_view->m_nShotsLeft = -1;
  PressKey(booth->m_hWnd, Qt::Key_F6);
  EXPECT_TRUE(m_view->IsReadyScreen());
}

TEST(ShortcutRowLayoutTest, RowsBreakAtTheRightEdgeWithGapsOfAnEighthOfTheHeight) {
  ShortcutRowInput input;
  input.groupLeft = 300;
  input.groupTop = 10;
  input.previewRight = 290;
  input.firstRowTop = 25;
  input.rowHeight = 40;  // gap 5
  input.widths = {60, 60, 60, 60, 60, 60, 60};
  input.shown = {true, false, true, true, true, false, true};
  struct Row {
    const char* name;
    int clientRight;
    std::vector<RECT> buttons;
    RECT group;
  } rows[] = {
      {"wide: one row",
       800,
       {{305, 25, 365, 65}, {0, 0, 0, 0}, {370, 25, 430, 65}, {435, 25, 495, 65}, {500, 25, 560, 65},
        {0, 0, 0, 0}, {565, 25, 625, 65}},
       {295, 10, 795, 70}},
      {"narrow: two to a row",
       440,
       {{305, 25, 365, 65}, {0, 0, 0, 0}, {370, 25, 430, 65}, {305, 70, 365, 110}, {370, 70, 430, 110},
        {0, 0, 0, 0}, {305, 115, 365, 155}},
       {295, 10, 435, 160}},
      {"too narrow for one: each alone in its row",
       330,
       {{305, 25, 365, 65}, {0, 0, 0, 0}, {305, 70, 365, 110}, {305, 115, 365, 155}, {305, 160, 365, 200},
        {0, 0, 0, 0}, {305, 205, 365, 245}},
       {295, 10, 325, 250}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    input.clientRight = row.clientRight;
    ShortcutRowLayout layout = LayOutShortcutRow(input);
    ASSERT_EQ(row.buttons.size(), layout.buttons.size());
    for (size_t i = 0; i < row.buttons.size(); ++i) {
      SCOPED_TRACE(i);
      EXPECT_EQ(row.buttons[i].left, layout.buttons[i].left);
      EXPECT_EQ(row.buttons[i].top, layout.buttons[i].top);
      EXPECT_EQ(row.buttons[i].right, layout.buttons[i].right);
      EXPECT_EQ(row.buttons[i].bottom, layout.buttons[i].bottom);
    }
    EXPECT_EQ(row.group.left, layout.group.left);
    EXPECT_EQ(row.group.top, layout.group.top);
    EXPECT_EQ(row.group.right, layout.group.right);
    EXPECT_EQ(row.group.bottom, layout.group.bottom);
  }
}

bool Shown(CMyQuilletView* view, int id) {
  HWND item = ::GetDlgItem(view->m_hWnd, id);
  return item && ::IsWindowVisible(item);
}

TEST_F(MyQuilletViewBoothKeysTest, TheShortcutsCommandHidesAndShowsTheRow) {
  PhotoboothShortcutButton saved[kPhotoboothShortcutButtonCount];
  std::copy(std::begin(g_photoboothShortcutButtons), std::end(g_photoboothShortcutButtons), saved);
  for (PhotoboothShortcutButton& button : g_photoboothShortcutButtons) button.shown = TRUE;
  m_view->m_bPhotoboothShowDashboard = TRUE;
  m_view->LayoutOptionButtons();
  for (int id : {IDC_PHOTOBOOTH_PRINTER_SETUP, IDC_PHOTOBOOTH_EDIT_QR_CODE, IDC_PHOTOBOOTH_SETUP_WIZARD,
                 IDC_PHOTOBOOTH_CUSTOM_LAYOUT, IDC_PHOTOBOOTH_ADVANCED_SETTINGS, IDC_REPRINT_PHOTOBOOTH_PHOTOS,
                 IDC_START_PHOTOBOOTH}) {
    SCOPED_TRACE(id);
    EXPECT_TRUE(Shown(m_view, id));
  }
  EXPECT_EQ(7u, m_view->m_shortcutRow.buttons.size());
  m_view->SendMessage(WM_COMMAND, ID_PHOTOBOOTH_SHORTCUTS, 0);
  EXPECT_FALSE(m_view->m_bPhotoboothShowDashboard);
  EXPECT_FALSE(Shown(m_view, IDC_PHOTOBOOTH_SHORTCUTS));
  EXPECT_FALSE(Shown(m_view, IDC_START_PHOTOBOOTH));
  m_view->SendMessage(WM_COMMAND, ID_PHOTOBOOTH_SHORTCUTS, 0);
  EXPECT_TRUE(Shown(m_view, IDC_PHOTOBOOTH_SHORTCUTS));
  EXPECT_TRUE(Shown(m_view, IDC_START_PHOTOBOOTH));
  std::copy(std::begin(saved), std::end(saved), g_photoboothShortcutButtons);
}

TEST_F(MyQuilletViewBoothKeysTest, ProfileKeysSearchTheFilledSlotsAndExpandTheirPlaceholders) {
  EXPECT_EQ(18, m_view->m_nPhotoboothCurrentProfile) << "a fresh start is on the last profile";
  fs::path parent = m_folder.parent_path();
  std::ofstream(parent / "one.xml") << "<Tavorin version=\"3.1\"><photobooth_settings><photoboothPrintCopies>2"
                                       "</photoboothPrintCopies></photobooth_settings></Tavorin>";
  std::ofstream(m_folder / "five.xml") << "<Tavorin version=\"3.1\"><photobooth_settings><photoboothPrintCopies>5"
                                          "</photoboothPrintCopies></photobooth_settings></Tavorin>";
  m_view->m_strPhotoboothProfiles[0] = "{photoboothSubdir}one.xml";
  m_view->m_strPhotoboothProfiles[4] = "{photoboothDir}/five.xml";
  Activate(m_harness->m_frame->m_hWnd);
  // Shift+Ctrl+1 picks profile 1 through the main window's keys.
  PressKey(m_view->m_hWnd, Qt::Key_1, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(1, m_view->m_nPhotoboothCurrentProfile);
  EXPECT_EQ(2, m_view->m_nPhotoboothPrintCopies);
  m_view->SelectPhotoboothProfile(-1);
  EXPECT_EQ(5, m_view->m_nPhotoboothCurrentProfile) << "previous from 1 wraps over 18 to 5";
  EXPECT_EQ(5, m_view->m_nPhotoboothPrintCopies);
  m_view->SelectPhotoboothProfile(101);
  EXPECT_EQ(1, m_view->m_nPhotoboothCurrentProfile) << "next from 5 wraps to 1";
  m_view->m_strPhotoboothProfiles[4] = "";
  m_view->SelectPhotoboothProfile(101);
  EXPECT_EQ(1, m_view->m_nPhotoboothCurrentProfile) << "alone, it stays";
  // Shift+Ctrl+F5 is profile 14: an empty slot changes nothing.
  PressKey(m_view->m_hWnd, Qt::Key_F5, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(1, m_view->m_nPhotoboothCurrentProfile);
  m_view->m_strPhotoboothProfiles[13] = "{photoboothSubDir}fourteen.xml";
  PressKey(m_view->m_hWnd, Qt::Key_F5, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(14, m_view->m_nPhotoboothCurrentProfile) << "a missing file still moves the number";
  EXPECT_TRUE(GetShownMessageBoxes().empty());
}

TEST_F(MyQuilletViewBoothKeysTest, ReprintNeedsEnoughPhotosAndPrintsWithAJpegCopyOnly) {
  m_view->m_nNumberOfPhotoboothImages = 2;
  m_view->m_images.emplace_back(CString(WriteTestPhoto("reprint-1.jpg").c_str()));
  Activate(m_harness->m_frame->m_hWnd);
  PressKey(m_view->m_hWnd, Qt::Key_R, Qt::ControlModifier | Qt::ShiftModifier);
  ASSERT_EQ(1u, GetShownMessageBoxes().size());
  EXPECT_EQ("Not enough images to print: 1 loaded, 2 required", GetShownMessageBoxes()[0].text);
  EXPECT_EQ(MB_ICONERROR, GetShownMessageBoxes()[0].icon);

  m_view->m_images.emplace_back(CString(WriteTestPhoto("reprint-2.jpg").c_str()));
  static int s_seen;
  struct Row {
    int setting, during;
  } rows[] = {{2, 1}, {3, 0}, {-1, 0}, {0, 0}, {1, 1}};
  m_view->m_pfnStartProcessing = [](CMyQuilletView* view) {
    s_seen = view->m_nPhotoboothSaveJpegCopyOfPrints;
    return true;
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.setting);
    m_view->m_nPhotoboothSaveJpegCopyOfPrints = row.setting;
    s_seen = 99;
    m_view->SendMessage(WM_COMMAND, ID_REPRINT_PHOTOS, 0);
    EXPECT_EQ(row.during, s_seen);
    EXPECT_EQ(row.setting, m_view->m_nPhotoboothSaveJpegCopyOfPrints);
    EXPECT_STREQ("Finished printing", m_view->m_strStatusText);
  }

  // Outside photobooth mode the processing does not run, and the status says so.
  m_view->m_pfnStartProcessing = nullptr;
  m_view->m_bPhotoboothActive = false;
  m_view->SendMessage(WM_COMMAND, ID_REPRINT_PHOTOS, 0);
  EXPECT_FALSE(m_view->m_bProcessingUnderWay);
  EXPECT_STREQ("Nothing was printed: photos can be reprinted only while the photobooth runs",
               m_view->m_strStatusText);
  m_view->m_bPhotoboothActive = true;
  m_view->m_nShotsLeft = 2;
  m_view->SendMessage(WM_COMMAND, ID_REPRINT_PHOTOS, 0);
  EXPECT_FALSE(m_view->m_bProcessingUnderWay);
  EXPECT_STREQ("Nothing was printed: the photobooth is busy with a session", m_view->m_strStatusText);
  m_view->m_nShotsLeft = -1;
  m_view->SendMessage(WM_COMMAND, ID_REPRINT_PHOTOS, 0);
  EXPECT_STREQ("Finished printing", m_view->m_strStatusText) << "the processing worker ran";
  m_view->m_bProcessingUnderWay = false;
  m_view->m_bPhotoboothActive = false;
}

}  // namespace
