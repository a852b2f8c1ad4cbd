#include <QAction>
#include <QApplication>
#include <QMouseEvent>
#include <QMenu>
#include <QMenuBar>
#include <QWidget>
#include <algorithm>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "AppTestSupport.h"
#include "app/AboutDlg.h"
#include "platform/mfc/commondialog.h"
#include "platform/mfc/dialogscript.h"
#include "sharing/ResendEmailDlg.h"
#include "sharing/SharingResource.h"
#include "platform/user/hwndwidget_p.h"
#include "platform/user/input.h"
#include "platform/user/menu.h"
#include "platform/user/window_p.h"
#include "platform/win32/files.h"

namespace {

std::vector<std::string> g_opened;
void RecordOpen(const char* target) { g_opened.emplace_back(target); }

/// One item as the menu bar shows it.
struct ShownItem {
  std::string text;
  bool enabled;
  bool checked;
};

void CollectShown(QMenu* menu, std::vector<ShownItem>& items) {
  emit menu->aboutToShow();  // the bar fills a pop-up as it opens
  for (QAction* action : menu->actions()) {
    if (action->isSeparator()) continue;
    if (action->menu()) {
      CollectShown(action->menu(), items);
      continue;
    }
    items.push_back({action->text().toStdString(), action->isEnabled(), action->isChecked()});
  }
}

class MyQuilletViewCommandsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ClearProductKey();
    ClearMessageBoxes();
    ResetSimulator({SimModel("Canon PowerShot G9")}, false);
    g_opened.clear();
    m_pfnShellOpen = CMyQuilletView::s_pfnShellOpen;
    CMyQuilletView::s_pfnShellOpen = RecordOpen;
    m_harness = std::make_unique<ViewHarness>();
    ASSERT_NE(nullptr, m_harness->m_view);
    m_view = m_harness->m_view;
  }
  void TearDown() override {
    m_harness.reset();
    CMyQuilletView::s_pfnShellOpen = m_pfnShellOpen;
    ClearMessageBoxes();
    ClearProductKey();
  }
  HMENU Menu() { return m_harness->m_frame->GetMenu(); }
  UINT State(UINT id) { return GetMenuState(Menu(), id, MF_BYCOMMAND); }
  bool Checked(UINT id) { return (State(id) & MF_CHECKED) != 0; }
  /// A menu command as the menu bar sends it: to the frame, which passes it to the view.
  void Command(UINT id) { m_harness->m_frame->SendMessage(WM_COMMAND, MAKEWPARAM(id, 0), 0); }
  std::vector<ShownItem> Shown() {
    std::vector<ShownItem> items;
    QWidget* frame = user_p::WidgetOf(m_harness->m_frame->m_hWnd);
    QMenuBar* bar = frame ? frame->findChild<QMenuBar*>() : nullptr;
    if (!bar) return items;
    for (QAction* action : bar->actions()) {
      if (action->menu()) CollectShown(action->menu(), items);
    }
    return items;
  }
  const ShownItem* FindShown(const std::vector<ShownItem>& items, const std::string& text) {
    for (const ShownItem& item : items) {
      if (item.text == text) return &item;
    }
    return nullptr;
  }
  /// A fresh main window with a connected camera of these capabilities.
  void Connect(bool viewfinder = true, bool focusLock = true) {
    m_harness.reset();
    tavsim::SimCameraProfile profile = SimModel("Canon PowerShot G9");
    profile.viewfinder = viewfinder;
    profile.focusLock = focusLock;
    ResetSimulator({profile}, false);
    m_harness = std::make_unique<ViewHarness>();
    ASSERT_NE(nullptr, m_harness->m_view);
    m_view = m_harness->m_view;
    m_view->m_pCamera = new CCamera(m_view);
    m_view->m_pCamera->Connect("");
    ASSERT_TRUE(m_view->m_pCamera->IsConnected());
    m_view->UpdateControls();
  }
  bool ItemEnabled(int id) { return ::IsWindowEnabled(::GetDlgItem(m_view->m_hWnd, id)) != FALSE; }

  std::unique_ptr<ViewHarness> m_harness;
  CMyQuilletView* m_view = nullptr;
  void (*m_pfnShellOpen)(const char*) = nullptr;
};

TEST_F(MyQuilletViewCommandsTest, TheMainMenuShowsItsCommandsWithTheirKeys) {
  ASSERT_NE(nullptr, Menu());
  EXPECT_NE(nullptr, FindShown(Shown(), "Connect to camera"));
  m_view->UpdateControls();
  struct Row {
    UINT id;
    const char* text;
  } rows[] = {
      {197, "Rename Image...\tCtrl+R"},
      {157, "&Delete Image\tDel"},
      {139, "&Preferences..."},
      {153, "Setup Image &Editor..."},
      {201, "Post Processing..."},
      {32882, "Color Management Settings..."},
      {57606, "Printer Setup..."},
      {32817, "&Full Screen Photobooth mode...\tCtrl+F4"},
      {32904, "Reprint Photos\tCtrl+Shift+R"},
      {32906, "Print Selected Photobooth Photos..."},
      {32813, "Photobooth &Settings...\tCtrl+S"},
      {32898, "Photobooth Setup Wizard..."},
      {57665, "E&xit"},
      {174, "Connect to Camera"},
      {189, "Re-learn Camera Settings"},
      {32810, "Auto Reconnect"},
      {145, "&Refresh\tF5"},
      {149, "Save to &PC only"},
      {150, "&Save to Camera && PC"},
      {151, "Save to &Camera only"},
      {160, "Viewfinder to LCD"},
      {161, "Viewfinder to Video Out"},
      {162, "Viewfinder Off"},
      {167, "Camera Beep"},
      {192, "Motion Detection..."},
      {156, "&Time Lapse..."},
      {143, "&Register for camera events"},
      {144, "&Unregister for camera events"},
      {159, "Live Viewfinder\tCtrl+L"},
      {204, "1x (320x240 pixels)"},
      {205, "2x (640x480 pixels)"},
      {206, "3x (960x720 pixels)"},
      {207, "4x (1280x960 pixels)"},
      {32809, "Fill Screen"},
      {133, "&Full Screen\tF11"},
      {32814, "Photobooth Shot\tF4"},
      {131, "Display &Grid\tCtrl+G"},
      {142, "Grid &Settings..."},
      {179, "F&lashing Highlights\tCtrl+H"},
      {180, "&Highlight Settings..."},
      {195, "HQ Sharpening\tCtrl+Q"},
      {194, "Sharpening Settings..."},
      {146, "&Blank screen when taking photo"},
      {32932, "Photobooth Shortcuts"},
      {32943, "Photobooth Shortcuts Settings..."},
      {168, "Landscape"},
      {169, "Portrait (90CCW)"},
      {170, "Portrait (90CW)"},
      {171, "Inverted"},
      {172, "Use Orientation Sensor"},
      {32812, "Auto-rotate"},
      {1081, "&Next Image\tCtrl+N"},
      {1080, "&Previous Image\tCtrl+P"},
      {154, "&Edit Image\tCtrl+E"},
      {32913, "Email Server Settings..."},
      {32957, "Send emails..."},
      {32920, "Edit QR code..."},
      {178, "&Contents..."},
      {186, "Check for &updates online"},
      {185, "&Visit Website"},
      {57664, "&About Tavorin..."},
  };
  std::vector<ShownItem> shown = Shown();
  EXPECT_EQ(std::size(rows), shown.size());
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text);
    EXPECT_NE(static_cast<UINT>(-1), State(row.id));
    EXPECT_NE(nullptr, FindShown(shown, row.text));
  }
}

TEST_F(MyQuilletViewCommandsTest, QrCodeTextIsCopiedBackOnlyOnOk) {
  m_view->m_strQRcode = "https://example.com/";
  m_view->m_nQRcodeQuality = 1;
  PushDialogScript(DialogScript(243).SetText(2431, "typed").Select(2433, 2).Press(IDCANCEL));
  Command(32920);
  EXPECT_STREQ(m_view->m_strQRcode, "https://example.com/");
  EXPECT_EQ(m_view->m_nQRcodeQuality, 1);
  PushDialogScript(DialogScript(243).SetText(2431, "typed").Select(2433, 2).Press(IDOK));
  Command(32920);
  EXPECT_STREQ(m_view->m_strQRcode, "typed");
  EXPECT_EQ(m_view->m_nQRcodeQuality, 2);
}

TEST_F(MyQuilletViewCommandsTest, SendEmailsOffersTheChosenLogWithTheServerSettings) {
  std::string log = TestFolder() + "/sent-log.csv";
  std::ofstream(log) << "";
  m_view->m_strPhotoboothEmailHost = "smtp.example.com";
  m_view->m_nPhotoboothEmailPort = 465;
  m_view->m_strPhotoboothLogEmailPathname = log.c_str();
  CommonDialogAnswer answer;
  answer.paths = {log};
  PushCommonDialogAnswer(answer);
  std::string host, logPath;
  int port = 0;
  PushDialogScript(DialogScript(IDD_RESEND_EMAIL)
                       .Call([&](CDialog* dialog) {
                         auto* resend = dynamic_cast<CResendEmailDlg*>(dialog);
                         ASSERT_NE(nullptr, resend);
                         host = resend->m_settings.server.host.GetString();
                         port = resend->m_settings.server.port;
                         logPath = resend->m_settings.server.logPath.GetString();
                       })
                       .Press(IDCANCEL));
  Command(32957);
  std::vector<ShownCommonDialog> shown = GetShownCommonDialogs();
  ASSERT_EQ(1u, shown.size());
  EXPECT_EQ("Load Email Log File", shown[0].title);
  EXPECT_EQ("Email log file (*.csv)|*.csv||", shown[0].filter);
  EXPECT_EQ("smtp.example.com", host);
  EXPECT_EQ(465, port);
  EXPECT_EQ(log, logPath);
  ClearCommonDialogAnswers();
  Command(32957);  // cancelled: no list
  std::vector<ShownDialog> dialogs = GetShownDialogs();
  EXPECT_EQ(1, static_cast<int>(std::count_if(dialogs.begin(), dialogs.end(),
                                              [](const ShownDialog& d) { return d.templateId == IDD_RESEND_EMAIL; })));
}

TEST_F(MyQuilletViewCommandsTest, EmailServerSettingsAreCopiedBackScrambledOnOk) {
  m_view->m_strPhotoboothEmailHost = "smtp.example.com";
  m_view->m_strPhotoboothEmailUsername = "booth";
  m_view->m_strPhotoboothEmailPassword = "";
  m_view->m_strPhotoboothEmailFrom = "booth@example.com";
  PushDialogScript(DialogScript(236).SetText(2364, "secret").SetText(2362, "465").Press(IDOK));
  Command(32913);
  EXPECT_EQ(m_view->m_nPhotoboothEmailPort, 465);
  EXPECT_FALSE(m_view->m_strPhotoboothEmailPassword.IsEmpty());
  EXPECT_STRNE(m_view->m_strPhotoboothEmailPassword, "secret");
}

TEST_F(MyQuilletViewCommandsTest, EachToggleFlipsItsSettingAndItsTick) {
  struct Row {
    UINT id;
    std::function<bool()> setting;
  } rows[] = {
      {146, [this] { return m_view->m_bBlankScreenWhenTakingPhoto != FALSE; }},
      {32810, [this] { return m_view->m_bAutoReconnect != FALSE; }},
      {131, [this] { return m_view->m_bDisplayGrid != FALSE; }},
      {179, [this] { return m_view->m_bHighlightBlink != FALSE; }},
      {195, [this] { return m_view->m_bSharpen != FALSE; }},
      {32812, [this] { return m_view->m_bLosslessAutoRotate != FALSE; }},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.id);
    bool before = row.setting();
    EXPECT_EQ(before, Checked(row.id));
    Command(row.id);
    EXPECT_EQ(!before, row.setting());
    EXPECT_EQ(!before, Checked(row.id));
    Command(row.id);
    EXPECT_EQ(before, row.setting());
    EXPECT_EQ(before, Checked(row.id));
  }
  Command(131);
  std::vector<ShownItem> shown = Shown();
  const ShownItem* grid = FindShown(shown, "Display &Grid\tCtrl+G");
  ASSERT_NE(nullptr, grid);
  EXPECT_TRUE(grid->checked);
}

TEST_F(MyQuilletViewCommandsTest, ChoiceItemsTickExactlyTheChosenOne) {
  struct Group {
    std::vector<UINT> ids;
    std::vector<int> values;
    std::function<int()> setting;
  } groups[] = {
      {{168, 169, 170, 171, 172}, {0, 1, 2, 3, 4}, [this] { return m_view->m_nOrientationSetting; }},
      {{204, 205, 206, 207, 32809}, {1, 2, 3, 4, 5}, [this] { return m_view->m_nViewfinderScale; }},
      {{149, 151, 150}, {1, 2, 3}, [this] { return m_view->m_nStoreImage; }},
  };
  for (const Group& group : groups) {
    for (size_t chosen = group.ids.size(); chosen-- > 0;) {
      SCOPED_TRACE(group.ids[chosen]);
      Command(group.ids[chosen]);
      EXPECT_EQ(group.values[chosen], group.setting());
      for (size_t i = 0; i < group.ids.size(); ++i) EXPECT_EQ(i == chosen, Checked(group.ids[i]));
    }
  }
}

TEST_F(MyQuilletViewCommandsTest, SaveModeReachesAConnectedCamera) {
  Command(151);  // without a camera the mode is only kept
  EXPECT_EQ(2, m_view->m_nStoreImage);
  Connect();
  struct Row {
    UINT id;
    int mode;
    DWORD releaseKind;
  } rows[] = {{150, 3, 14}, {151, 2, 13}, {149, 1, 2}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.id);
    tavsim::SimClearCallLog();
    Command(row.id);
    EXPECT_EQ(row.mode, m_view->m_nStoreImage);
    EXPECT_TRUE(Checked(row.id));
    std::vector<tavsim::SimCall> sets = tavsim::SimCallsOf("PR_SetDevicePropValue");
    ASSERT_EQ(1u, sets.size());
    EXPECT_EQ(0xD029u, sets[0].id);
    EXPECT_EQ(row.releaseKind, sets[0].value);
  }
}

TEST_F(MyQuilletViewCommandsTest, UpdateControlsFollowsTheCamera) {
  m_view->UpdateControls();
  const UINT cameraItems[] = {189, 167, 160, 161, 162, 149, 150, 151};
  const int cameraControls[] = {IDC_AFLOCK, IDC_ZOOM,  IDC_AFDISTANCE, IDC_EXPMODE,  IDC_TV,      IDC_AV,
                                IDC_EXPCOMP, IDC_FLASHCOMP, IDC_SIZEQUALITY, IDC_METERING, IDC_WHITEBALANCE,
                                IDC_ISO,     IDC_FLASH, IDC_PHOTOEFFECT, IDC_FOCUSPOINTS, IDC_FLASHOUTPUT};
  for (UINT id : cameraItems) EXPECT_TRUE(State(id) & MF_GRAYED) << id;
  EXPECT_TRUE(State(159) & (MF_GRAYED | MF_DISABLED));
  for (int id : cameraControls) EXPECT_FALSE(ItemEnabled(id)) << id;
  EXPECT_NE(nullptr, FindShown(Shown(), "Connect to Camera"));

  struct Row {
    bool viewfinder;
    bool focusLock;
  } rows[] = {{true, true}, {false, false}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.viewfinder);
    Connect(row.viewfinder, row.focusLock);
    for (UINT id : cameraItems) EXPECT_FALSE(State(id) & (MF_GRAYED | MF_DISABLED)) << id;
    // Without the capability live view is refused, though not greyed.
    EXPECT_EQ(row.viewfinder ? 0u : static_cast<UINT>(MF_DISABLED), State(159) & (MF_GRAYED | MF_DISABLED));
    for (int id : {IDC_SIZEQUALITY, IDC_EXPMODE, IDC_ZOOM}) EXPECT_TRUE(ItemEnabled(id)) << id;
    EXPECT_EQ(row.focusLock, ItemEnabled(IDC_AFLOCK));
    std::vector<ShownItem> shown = Shown();
    EXPECT_EQ(nullptr, FindShown(shown, "Connect to Camera"));
    const ShownItem* disconnect = FindShown(shown, "Disconnect from Camera");
    ASSERT_NE(nullptr, disconnect);
    EXPECT_TRUE(disconnect->enabled);
  }
  m_view->DeleteCamera();
  m_view->UpdateControls();
  EXPECT_NE(nullptr, FindShown(Shown(), "Connect to Camera"));
  EXPECT_TRUE(State(189) & MF_GRAYED);
}

TEST_F(MyQuilletViewCommandsTest, AutoBracketSettingsNeedAutoBracket) {
  for (int on : {1, 0}) {
    m_view->m_nAutoBracket = on;
    m_view->UpdateControls();
    EXPECT_EQ(on != 0, ItemEnabled(IDC_AUTOBRACKET_SETTINGS));
  }
}

TEST_F(MyQuilletViewCommandsTest, TheAutoBracketBoxFollowsAndSetsTheSetting) {
  m_view->m_nAutoBracket = 1;
  m_view->UpdateControls();
  EXPECT_EQ(static_cast<UINT>(BST_CHECKED), m_view->IsDlgButtonChecked(IDC_AUTOBRACKET));
  QWidget* box = user_p::WidgetOf(::GetDlgItem(m_view->m_hWnd, IDC_AUTOBRACKET));
  ASSERT_NE(nullptr, box);
  for (int expected : {0, 1}) {
    SCOPED_TRACE(expected);
    QPointF centre(box->width() / 2.0, box->height() / 2.0);
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
      QMouseEvent click(type, centre, box->mapToGlobal(centre), Qt::LeftButton,
                        type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
      QApplication::sendEvent(box, &click);
    }
    EXPECT_EQ(expected, m_view->m_nAutoBracket);
    EXPECT_EQ(expected != 0, ItemEnabled(IDC_AUTOBRACKET_SETTINGS));
  }
}

TEST_F(MyQuilletViewCommandsTest, BrowsingNeedsAnotherPhotoToGoTo) {
  std::string first = WriteTestPhoto("IMG_0001.JPG");
  std::string second = WriteTestPhoto("IMG_0002.JPG");
  struct Row {
    int images;
    int current;
    bool enabled;
  } rows[] = {{0, -1, false}, {1, -1, true}, {1, 0, false}, {2, 1, true}, {2, -1, true}};
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << row.images << " images, current " << row.current);
    m_view->m_images.clear();
    if (row.images > 0) m_view->m_images.emplace_back(CString(first.c_str()));
    if (row.images > 1) m_view->m_images.emplace_back(CString(second.c_str()));
    m_view->m_nCurrentImage = row.current;
    m_view->UpdateControls();
    EXPECT_EQ(row.enabled, ItemEnabled(IDC_PREV_IMAGE));
    EXPECT_EQ(row.enabled, ItemEnabled(IDC_NEXT_IMAGE));
    // The menu follows; delete and rename need a current photo.
    EXPECT_EQ(row.enabled, !(State(1080) & MF_GRAYED));
    EXPECT_EQ(row.enabled, !(State(1081) & MF_GRAYED));
    EXPECT_EQ(row.current >= 0, !(State(157) & MF_GRAYED));
    EXPECT_EQ(row.current >= 0, !(State(197) & MF_GRAYED));
  }
  EXPECT_TRUE(State(156) & MF_GRAYED);  // no time lapse without a camera
}

TEST_F(MyQuilletViewCommandsTest, ControlKeysReachTheViewThroughTheFrame) {
  struct Row {
    WPARAM key;
    std::function<bool()> setting;
  } rows[] = {
      {'G', [this] { return m_view->m_bDisplayGrid != FALSE; }},
      {'H', [this] { return m_view->m_bHighlightBlink != FALSE; }},
      {'Q', [this] { return m_view->m_bSharpen != FALSE; }},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(static_cast<char>(row.key));
    bool before = row.setting();
    MSG plain{m_view->m_hWnd, WM_KEYDOWN, row.key, 1, 0, {0, 0}};
    FilterAndDispatch(&plain);
    EXPECT_EQ(before, row.setting()) << "the letter alone is no command";
    user_p::SetKeyDown(VK_CONTROL, true);
    MSG withControl{m_view->m_hWnd, WM_KEYDOWN, row.key, 1, 0, {0, 0}};
    FilterAndDispatch(&withControl);
    user_p::SetKeyDown(VK_CONTROL, false);
    EXPECT_EQ(!before, row.setting());
    EXPECT_EQ(!before, Checked(row.key == 'G' ? 131 : row.key == 'H' ? 179 : 195));
  }
}

TEST_F(MyQuilletViewCommandsTest, StillImageRegistrationReportsTheMissingService) {
  for (UINT id : {143u, 144u}) {
    SCOPED_TRACE(id);
    ClearMessageBoxes();
    Command(id);
    std::vector<ShownMessageBox> boxes = GetShownMessageBoxes();
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ("Error accessing the Still Camera Interface", boxes[0].text);
    EXPECT_EQ("Tavorin", boxes[0].caption);
    EXPECT_EQ(MB_ICONERROR, boxes[0].icon);
  }
}

TEST_F(MyQuilletViewCommandsTest, HelpUpdatesAndWebSiteOpenTheirPages) {
  Command(178);
  Command(186);
  Command(185);
  ASSERT_EQ(3u, g_opened.size());
  EXPECT_TRUE(PathFileExistsA(g_opened[0].c_str())) << g_opened[0];
  EXPECT_EQ("Tavorin.htm", g_opened[0].substr(g_opened[0].rfind('/') + 1));
  EXPECT_EQ(std::string(kMakerWebSite) + "upgrade?id=x&build=Dec212016&product=tavorin", g_opened[1]);
  EXPECT_EQ(std::string(kMakerWebSite), g_opened[2]);
}

TEST_F(MyQuilletViewCommandsTest, AboutShowsTheAboutBox) {
  ClearDialogScripts();
  Command(57664);
  std::vector<ShownDialog> dialogs = GetShownDialogs();
  ASSERT_EQ(1u, dialogs.size());
  EXPECT_EQ(static_cast<UINT>(IDD_ABOUTBOX), dialogs[0].templateId);
  ClearDialogScripts();
}

TEST_F(MyQuilletViewCommandsTest, ExitClosesTheMainWindow) {
  HWND frame = m_harness->m_frame->m_hWnd;
  Command(57665);
  ASSERT_TRUE(PumpUntil([frame] { return !::IsWindow(frame); }, 10000));
  m_harness->m_frame = nullptr;  // the frame deleted itself with its window
  m_harness->m_view = nullptr;
  EXPECT_EQ(nullptr, AfxGetMainWnd());
}

}  // namespace
