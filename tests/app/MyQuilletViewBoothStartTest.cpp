// The photobooth start command: its refusals and warnings in order, then the booth window run
// modally (closed by a script) and the way back; and the start after a connection.
#include <QApplication>
#include <QMouseEvent>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "photobooth/BoothCommands.h"
#include "platform/mfc/dialogscript.h"
#include "tests/photobooth/BoothTestSupport.h"

namespace {

/// Sets (or with NULL removes) a string value of the program's registry key.
void SetProductText(const char* name, const char* value) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kProductKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  if (value)
    RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value), static_cast<DWORD>(strlen(value) + 1));
  else
    RegDeleteValueA(key, name);
  RegCloseKey(key);
}

namespace fs = std::filesystem;

int BoothRuns() {
  int runs = 0;
  for (const ShownDialog& shown : GetShownDialogs()) runs += shown.templateId == IDD_FULLSCREEN;
  return runs;
}

class MyQuilletViewBoothStartTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ClearProductKey();
    ClearMessageBoxes();
    ClearDialogScripts();
    ResetSimulator({SimModel("Canon PowerShot G9")}, true);
    CMyQuilletView::s_nConnectSettleMs = 0;
    m_folder = FreshBoothFolder("start-booth");
    for (const char* name : {"ready.jpg", "taking.jpg", "processing.jpg", "1.jpg", "2.jpg", "3.jpg", "4.jpg"})
      WriteJpeg(m_folder / name, 64, 48, Qt::darkBlue);
  }
  void TearDown() override {
    m_harness.reset();
    CMyQuilletView::s_nConnectSettleMs = 700;
    ClearDialogScripts();
    ClearMessageBoxes();
    ClearProductKey();
  }
  void OpenView(bool startOnConnect = false) {
    if (startOnConnect) {
      HKEY key = OpenProductKey();
      DWORD on = 1;
      RegSetValueExA(key, "StartPhotoboothOnConnect", 0, REG_DWORD, reinterpret_cast<BYTE*>(&on), sizeof on);
      std::string folder = m_folder.string();
      RegSetValueExA(key, "PhotoboothImageDir", 0, REG_SZ, reinterpret_cast<const BYTE*>(folder.c_str()),
                     static_cast<DWORD>(folder.size() + 1));
      RegCloseKey(key);
    }
    m_harness = std::make_unique<ViewHarness>();
    ASSERT_NE(nullptr, m_harness->m_view);
    m_view = m_harness->m_view;
    m_view->m_strDirectory = CString(TestFolder() + "/start-photos");
    m_view->m_strPhotoboothImageDir = m_folder.string().c_str();
    m_view->m_nNumberOfPhotoboothImages = 4;
  }
  void Connect() {
    DWORD start = GetTickCount();
    PushDialogScript(DialogScript(IDD_PROGRESS).RunUntil([start] { return GetTickCount() - start > 60000; }));
    m_view->StartCameraConnection();
    ASSERT_NE(nullptr, m_view->m_pCamera);
  }
  // The command as the menu sends it.
  void Start() { m_view->SendMessage(WM_COMMAND, ID_START_PHOTOBOOTH, 0); }
  // A booth window that the script closes at once, as F11 would.
  static void CloseBoothByScript() { PushDialogScript(DialogScript(IDD_FULLSCREEN).Press(ID_FULL_SCREEN)); }

  std::unique_ptr<ViewHarness> m_harness;
  CMyQuilletView* m_view = nullptr;
  fs::path m_folder;
};

TEST_F(MyQuilletViewBoothStartTest, EachRefusalAndWarningComesInOrderAndNoEndsTheCommand) {
  OpenView();
  Connect();
  const std::string folder = m_folder.string() + "/";
  struct Row {
    const char* name;
    std::function<void(CMyQuilletView*)> setUp;
    std::string text;
    const char* caption;
    UINT icon;
    UINT buttons;
  };
  CCamera* camera = m_view->m_pCamera;
  const int jpegQuality = m_view->m_cbSizeQuality.GetCurSel();
  const Row rows[] = {
      {"no camera", [](CMyQuilletView* v) { v->m_pCamera = nullptr; },
       "Please connect to the camera before\nselecting photobooth shooting", "Tavrin", MB_ICONEXCLAMATION, MB_OK},
      {"auto-bracketing", [](CMyQuilletView* v) { v->m_nAutoBracket = 1; },
       "Auto-bracketing is not supported for photobooth shooting.", "Tavrin", MB_ICONEXCLAMATION, MB_OK},
      {"camera only", [](CMyQuilletView* v) { v->m_nStoreImage = 2; },
       "The 'Save to Camera only' option cannot be used for photobooth shooting.\nPlease select a different option "
       "from the Camera menu.",
       "Tavrin", MB_ICONEXCLAMATION, MB_OK},
      {"raw", [](CMyQuilletView* v) { v->m_cbSizeQuality.SetCurSel(v->m_cbSizeQuality.AddString("Large RAW")); },
       "Shooting in raw mode is not supported for photobooth shooting.\nPlease select a JPEG image size/quality.",
       "Tavorin", MB_ICONEXCLAMATION, MB_OK},
      {"folder missing", [this](CMyQuilletView* v) { v->m_strPhotoboothImageDir = (m_folder / "gone").string().c_str(); },
       "ERROR: Photobooth images directory not found:\n" + (m_folder / "gone").string() + "/", "Tavorin", MB_ICONERROR,
       MB_OK},
      {"fourth countdown image missing", [this](CMyQuilletView*) { fs::remove(m_folder / "4.jpg"); },
       "WARNING: The following screen images are missing from the photobooth\nimages folder (" + folder +
           "):\n4.jpg - displayed during countdown before taking photo 4\n\nDo you wish to continue anyway?",
       "Tavorin", MB_ICONEXCLAMATION, MB_YESNO},
      {"a misnamed file does not hide a missing ready screen",
       [this](CMyQuilletView*) {
         fs::remove(m_folder / "ready.jpg");
         std::ofstream(m_folder / "frame.png.png") << "x";
       },
       "WARNING: The following screen images are missing from the photobooth\nimages folder (" + folder +
           "):\nready.jpg - displayed when the photobooth is ready\n\nDo you wish to continue anyway?",
       "Tavorin", MB_ICONEXCLAMATION, MB_YESNO},
      {"misnamed files", [this](CMyQuilletView*) { std::ofstream(m_folder / "frame.png.png") << "x"; },
       "WARNING: The following images are incorrectly named and may cause problems:\nframe.png.png\n\nDo you wish to "
       "continue anyway?",
       "Tavorin", MB_ICONEXCLAMATION, MB_YESNO},
      {"colour profiles",
       [this](CMyQuilletView* v) {
         v->m_bEnablePrinterColourManagement = TRUE;
         g_strCameraProfile = "";
         v->m_strPrinterProfile = (m_folder / "printer.icc").string().c_str();
       },
       "WARNING: Printer color management is disabled because:\nCamera color profile isn't defined\nPrinter color "
       "profile not found:\n" +
           (m_folder / "printer.icc").string() +
           "\n\nPlease change the settings in File->Color Management Settings... to use color management when "
           "printing\n\nDo you wish to continue anyway?",
       "Tavorin", MB_ICONEXCLAMATION, MB_YESNO},
      {"both colour profiles undefined",
       [](CMyQuilletView* v) {
         v->m_bEnablePrinterColourManagement = TRUE;
         g_strCameraProfile = "";
         v->m_strPrinterProfile = "";
       },
       "WARNING: Printer color management is disabled because:\nCamera color profile isn't defined\nPrinter color "
       "profile isn't defined\n\n\nPlease change the settings in File->Color Management Settings... to use color "
       "management when printing\n\nDo you wish to continue anyway?",
       "Tavorin", MB_ICONEXCLAMATION, MB_YESNO},
      {"e-mail without a server, asked on a start by hand",
       [](CMyQuilletView* v) {
         v->m_bPhotoboothEmail = TRUE;
         v->m_strPhotoboothEmailHost = "";
         v->m_strPhotoboothEmailUsername = "booth";
         v->m_strPhotoboothEmailPassword = "secret";
         v->m_strPhotoboothEmailFrom = "booth@example.com";
         v->m_nPhotoboothSaveJpegCopyOfPrints = 1;
       },
       "WARNING: email host is not defined\n\nEmailing of photos will be disabled. Select \"Email Server "
       "Settings...\" from the File menu to enter the email server settings\n\nDo you wish to continue anyway?",
       "Tavorin", MB_ICONEXCLAMATION, MB_YESNO},
      {"MMS on a new installation",
       [](CMyQuilletView* v) {
         v->m_bEnableMMS = TRUE;
         v->m_nMmsMsgType = 0;
         v->m_nPhotoboothSaveJpegCopyOfPrints = 1;
       },
       "WARNING: the MMS image upload address is not defined (registry value \"MmsUploadBaseUrl\")\nWARNING: the "
       "link shortener address is not defined (registry value \"MmsShortenerBaseUrl\"), so text messages carry "
       "the full link\n\nSending photos by MMS or SMS will fail until the image upload address is set (see \"MMS "
       "and SMS sharing\" in the README)\n\nDo you wish to continue anyway?",
       "Tavorin", MB_ICONEXCLAMATION, MB_YESNO},
      {"SMS with a link and only the upload address",
       [](CMyQuilletView* v) {
         v->m_bEnableMMS = TRUE;
         v->m_nMmsMsgType = 2;
         v->m_nPhotoboothSaveJpegCopyOfPrints = 1;
         SetProductText("MmsUploadBaseUrl", "https://photos.example.org/Twilio");
       },
       "WARNING: the link shortener address is not defined (registry value \"MmsShortenerBaseUrl\"), so text "
       "messages carry the full link\n\nDo you wish to continue anyway?",
       "Tavorin", MB_ICONEXCLAMATION, MB_YESNO},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    // A fresh start for each row: everything ready, then this row's one problem.
    for (const char* name : {"ready.jpg", "4.jpg"}) WriteJpeg(m_folder / name, 64, 48, Qt::darkBlue);
    fs::remove(m_folder / "frame.png.png");
    m_view->m_pCamera = camera;
    m_view->m_nAutoBracket = 0;
    m_view->m_nStoreImage = 1;
    m_view->m_cbSizeQuality.SetCurSel(jpegQuality);
    m_view->m_strPhotoboothImageDir = m_folder.string().c_str();
    m_view->m_bEnablePrinterColourManagement = FALSE;
    m_view->m_bPhotoboothEmail = FALSE;
    m_view->m_bEnableMMS = FALSE;
    SetProductText("MmsUploadBaseUrl", nullptr);
    row.setUp(m_view);
    ClearMessageBoxes();
    ClearDialogScripts();
    PushMessageBoxAnswer(IDNO);
    Start();
    m_view->m_pCamera = camera;
    std::vector<ShownMessageBox> shown = GetShownMessageBoxes();
    ASSERT_EQ(1u, shown.size());
    EXPECT_EQ(row.text, shown[0].text);
    EXPECT_EQ(row.caption, shown[0].caption);
    EXPECT_EQ(row.icon, shown[0].icon);
    EXPECT_EQ(row.buttons, shown[0].buttons);
    EXPECT_EQ(0, BoothRuns());
    EXPECT_FALSE(m_view->m_bPhotoboothActive);
  }
  // With the booth window already there, the command does nothing at all.
  ClearMessageBoxes();
  CFullscreenDlg other(m_view, 1);
  m_view->m_pFullscreenDlg = &other;
  Start();
  m_view->m_pFullscreenDlg = nullptr;
  EXPECT_TRUE(GetShownMessageBoxes().empty());
  EXPECT_EQ(0, BoothRuns());
}

TEST_F(MyQuilletViewBoothStartTest, CtrlF4RunsTheBoothInPhotoboothModeAndLeavingItEndsTheSession) {
  OpenView();
  Connect();
  WriteJpeg(m_folder / "live_view_overlay.png", 8, 8, Qt::red);
  fs::path profile = m_folder / "party.xml";
  std::ofstream(profile) << "<Tavorin version=\"3.1\"><photobooth_settings><photoboothPrintCopies>3"
                            "</photoboothPrintCopies></photobooth_settings></Tavorin>";
  m_view->m_strPhotoboothProfiles[2] = "{photoboothDir}/party.xml";
  m_view->m_nPhotoboothCurrentProfile = 3;
  m_view->m_bPhotoboothEnableLiveView = TRUE;
  bool checked = false;
  PushDialogScript(DialogScript(IDD_FULLSCREEN)
                       .Call([&](CDialog* dialog) {
                         auto* booth = dynamic_cast<CFullscreenDlg*>(dialog);
                         ASSERT_NE(nullptr, booth);
                         EXPECT_EQ(booth, m_view->m_pFullscreenDlg);
                         EXPECT_EQ(1, booth->m_nMode);
                         EXPECT_TRUE(booth->m_bPhotoboothMode);
                         EXPECT_EQ(m_folder.string() + "/ready.jpg", std::string(booth->m_strReadyScreen));
                         EXPECT_TRUE(booth->m_bLiveView);
                         EXPECT_TRUE(m_view->m_bViewfinderRunning);
                         EXPECT_TRUE(m_view->m_bPhotoboothActive);
                         EXPECT_TRUE(m_view->m_bLiveViewOverlay);
                         EXPECT_EQ(m_folder.string() + "/live_view_overlay.png",
                                   std::string(m_view->m_strLiveViewOverlay));
                         EXPECT_EQ(3, m_view->m_nPhotoboothPrintCopies) << "the profile was loaded again";
                         m_view->m_nShotsLeft = 2;  // the operator leaves in the middle of a sequence
                         checked = true;
                       })
                       .Press(ID_FULL_SCREEN));
  Activate(m_harness->m_frame->m_hWnd);
  PressKey(m_view->m_hWnd, Qt::Key_F4, Qt::ControlModifier);
  EXPECT_TRUE(checked);
  EXPECT_EQ(1, BoothRuns());
  EXPECT_TRUE(GetShownMessageBoxes().empty());
  EXPECT_EQ(nullptr, m_view->m_pFullscreenDlg);
  EXPECT_FALSE(m_view->m_bFullScreen);
  EXPECT_FALSE(m_view->m_bPhotoboothActive);
  EXPECT_FALSE(m_view->m_bViewfinderRunning);
  EXPECT_EQ(-1, m_view->m_nShotsLeft);
  EXPECT_STREQ("Photobooth shooting sequence aborted", m_view->m_strStatusText);
}

TEST_F(MyQuilletViewBoothStartTest, TheStartButtonClickedRunsTheBooth) {
  OpenView();
  Connect();
  m_view->m_strStatusText = "";
  CloseBoothByScript();
  QWidget* button = user_p::WidgetOf(m_view->GetDlgItem(IDC_START_PHOTOBOOTH)->m_hWnd);
  ASSERT_NE(nullptr, button);
  ASSERT_TRUE(button->isVisible());
  QPoint centre = button->rect().center();
  QMouseEvent press(QEvent::MouseButtonPress, centre, button->mapToGlobal(centre), Qt::LeftButton, Qt::LeftButton,
                    Qt::NoModifier);
  QApplication::sendEvent(button, &press);
  QMouseEvent release(QEvent::MouseButtonRelease, centre, button->mapToGlobal(centre), Qt::LeftButton, Qt::NoButton,
                      Qt::NoModifier);
  QApplication::sendEvent(button, &release);
  EXPECT_TRUE(PumpUntil([] { return BoothRuns() == 1; }, 10000));
  EXPECT_NE(std::string("Photobooth shooting sequence aborted"), std::string(m_view->m_strStatusText))
      << "no sequence was under way";
}

TEST_F(MyQuilletViewBoothStartTest, StartOnConnectRunsTheBoothOnceWithSharingNotesInTheStatusBar) {
  OpenView(true);
  ASSERT_TRUE(m_view->m_bStartPhotoboothOnConnect);
  m_view->m_bPhotoboothEmail = TRUE;
  m_view->m_strPhotoboothEmailHost = "";
  m_view->m_strPhotoboothEmailUsername = "booth";
  m_view->m_strPhotoboothEmailPassword = "secret";
  m_view->m_strPhotoboothEmailFrom = "booth@example.com";
  m_view->m_nPhotoboothSaveJpegCopyOfPrints = 1;
  CString statusInBooth;
  PushDialogScript(DialogScript(IDD_FULLSCREEN)
                       .Call([&](CDialog*) { statusInBooth = m_view->m_strStatusText; })
                       .Press(ID_FULL_SCREEN));
  Connect();
  ASSERT_TRUE(PumpUntil([] { return BoothRuns() == 1; }, 30000));
  for (int i = 0; i < 20; ++i) PumpWaitingMessages();
  EXPECT_EQ(1, BoothRuns());
  EXPECT_TRUE(GetShownMessageBoxes().empty()) << "nobody may be there to answer";
  EXPECT_EQ(0, statusInBooth.Find("WARNING: email host is not defined"));
}

TEST_F(MyQuilletViewBoothStartTest, StartOnConnectWithoutTheImagesFolderShowsNoBooth) {
  OpenView(true);
  m_view->m_strPhotoboothImageDir = (m_folder / "gone").string().c_str();
  PushMessageBoxAnswer(IDOK);
  Connect();
  ASSERT_TRUE(PumpUntil([] { return !GetShownMessageBoxes().empty(); }, 30000));
  EXPECT_EQ(0u, GetShownMessageBoxes()[0].text.find("ERROR: Photobooth images directory not found:"));
  EXPECT_EQ(0, BoothRuns());
}

}  // namespace
