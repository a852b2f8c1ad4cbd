#include <QApplication>
#include <QMouseEvent>
#include <QWidget>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "AppTestSupport.h"
#include "config/AutoBracketDlg.h"
#include "config/ColorMgtDlg.h"
#include "config/EditorSetupDlg.h"
#include "config/GridDlg.h"
#include "config/HighlightSettings.h"
#include "config/PBShortcutBtnSetupDlg.h"
#include "config/PhotoboothSettingsDlg.h"
#include "config/PostProcessingDlg.h"
#include "config/PreferencesDlg.h"
#include "config/SharpeningDlg.h"
#include "platform/registry/registry.h"
#include "platform/gdi/wingdi.h"
#include "platform/mfc/dialogscript.h"
#include "platform/user/menu.h"
#include "platform/user/window_p.h"

namespace {

class MyQuilletViewSettingsDialogsTest : public ViewTestBase {
 protected:
  void SetUp() override {
    ViewTestBase::SetUp();
    ClearDialogScripts();
    m_colour = {g_bEnableColourManagement, g_strMonitorProfile, g_strCameraProfile};
  }
  void TearDown() override {
    ClearDialogScripts();
    g_bEnableColourManagement = m_colour.enable;
    g_strMonitorProfile = m_colour.monitor;
    g_strCameraProfile = m_colour.camera;
    ViewTestBase::TearDown();
  }
  /// A menu command as the menu bar sends it: to the frame, which passes it to the view.
  void Command(UINT id) { m_harness->m_frame->SendMessage(WM_COMMAND, MAKEWPARAM(id, 0), 0); }

  /// Every value a settings dialog edits, as one text.
  std::string Settings() {
    CMyQuilletView& v = *m_view;
    CString text;
    text.Format("%s|%s|%d%d%d%d%d%d|%d%d%d%d|%d%d%d|grid %d %d %d %d|hl %d %d|sh %d %d|ed %s %d %d|"
                "pp %d %d %d %d %d %g %g %d %d %d|cm %d %s %s %s %d|ab %d %d %d %d %s",
                v.m_strFilenamePrefix.GetString(), v.m_strDirectory.GetString(), v.m_bPrefixWithComment,
                v.m_bAppendLetterDuringAEB, v.m_bYear, v.m_bMonth, v.m_bDay, v.m_bFlattenDate, v.m_nMiddleBtnAction,
                v.m_nRightBtnAction, v.m_nMouseWheelAction, v.m_nPreviewSize, v.m_nContrast, v.m_nSaturation,
                v.m_nSharpness, v.m_bDisplayGrid, v.m_nGridColour, v.m_nHorizontalGridDivisions,
                v.m_nVerticalGridDivisions, v.m_nHighlightBlinkMethod, v.m_nHighlightBlinkThreshold, v.m_bSharpen,
                v.m_nSharpenAmount, v.m_strLaunchEditorCmd.GetString(), v.m_nAutoEdit, v.m_nShellExecute,
                v.m_nPostProcessingEnable, v.m_nPostProcessingResize, v.m_nPostProcessingResizeWidth,
                v.m_nPostProcessingResizeHeight, v.m_nPostProcessingLevel, v.m_dPostProcessingLevelBlack,
                v.m_dPostProcessingLevelWhite, v.m_nPostProcessingSharpen, v.m_nPostProcessingSharpenAmount,
                v.m_nPostProcessingJpegQuality, g_bEnableColourManagement, g_strMonitorProfile.GetString(),
                g_strCameraProfile.GetString(), v.m_strPrinterProfile.GetString(), v.m_bEnablePrinterColourManagement,
                v.m_nAutoBracketNumShots, v.m_nAutoBracketInterval, v.m_bAutoBracketUsingTv, v.m_nAutoBracketCmdEnable,
                v.m_strAutoBracketCmd.GetString());
    return text.GetString();
  }
  static std::string ScreenProfile() {
    char path[MAX_PATH] = {};
    DWORD size = sizeof(path);
    EXPECT_TRUE(GetICMProfileA(nullptr, &size, path));
    return path;
  }
  void ClickFormButton(int id) {
    QWidget* button = user_p::WidgetOf(::GetDlgItem(m_view->m_hWnd, id));
    ASSERT_NE(nullptr, button);
    QPointF centre(button->width() / 2.0, button->height() / 2.0);
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
      QMouseEvent click(type, centre, button->mapToGlobal(centre), Qt::LeftButton,
                        type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
      QApplication::sendEvent(button, &click);
    }
  }

  struct {
    BOOL enable;
    CString monitor, camera;
  } m_colour;
};

}  // namespace

TEST_F(MyQuilletViewSettingsDialogsTest, EachCommandOpensItsDialogWithTheSettingsAndCancelChangesNothing) {
  std::string profile = ScreenProfile();
  m_view->m_nAutoBracket = 1;
  m_view->UpdateControls();
  struct Row {
    UINT command;  // 0: the form's auto-bracket button
    DialogScript edits;
  } rows[] = {
      {ID_PREFERENCES, DialogScript(IDD_PREFERENCES)
                           .SetText(IDC_PREF_PREFIX, "changed")
                           .SetText(IDC_PREF_DIRECTORY, "/elsewhere")
                           .SetCheck(IDC_PREF_DAY, BST_UNCHECKED)
                           .Select(IDC_PREF_MOUSE_WHEEL, 2)},
      {ID_GRID_SETTINGS, DialogScript(IDD_GRID).SetText(IDC_GRID_HORIZONTAL, "20").SetCheck(IDC_GRID_ENABLE, BST_CHECKED)},
      {ID_HIGHLIGHT_SETTINGS, DialogScript(IDD_HIGHLIGHT_SETTINGS).SetText(IDC_HIGHLIGHT_THRESHOLD, "60")},
      {ID_SHARPENING_SETTINGS, DialogScript(IDD_SHARPENING).SetText(IDC_SHARPEN_AMOUNT, "5")},
      {ID_SETUP_EDITOR, DialogScript(IDD_EDITOR_SETUP)
                            .SetCheck(IDC_EDITOR_COMMAND_LINE, BST_CHECKED)
                            .SetText(IDC_EDITOR_COMMAND, "editor")},
      {ID_POST_PROCESSING, DialogScript(IDD_POST_PROCESSING).Press(IDC_POST_DEFAULTS)},
      {ID_COLOUR_MANAGEMENT, DialogScript(IDD_COLOR_MANAGEMENT).SetCheck(IDC_CMS_DISPLAY_ENABLE, BST_CHECKED)},
      {0, DialogScript(IDD_AUTO_BRACKET).Select(IDC_BRACKET_SHOTS, 4).SetCheck(IDC_BRACKET_CMD_ENABLE, BST_CHECKED)},
  };
  for (Row& row : rows) {
    SCOPED_TRACE(row.command);
    ClearDialogScripts();
    std::string before = Settings();
    PushDialogScript(row.edits.Press(IDCANCEL));
    if (row.command) Command(row.command);
    else ClickFormButton(IDC_AUTOBRACKET_SETTINGS);
    std::vector<ShownDialog> shown = GetShownDialogs();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].templateId, row.edits.m_templateId);
    EXPECT_EQ(shown[0].result, IDCANCEL);
    EXPECT_EQ(Settings(), before);
  }
}

TEST_F(MyQuilletViewSettingsDialogsTest, PreferencesShowImageSettingsPlusOneAndSendThemBackMinusOne) {
  m_harness.reset();
  ResetSimulator({SimModel("Canon PowerShot G9", tavsim::kSimCd)}, false);
  m_harness = std::make_unique<ViewHarness>();
  m_view = m_harness->m_view;
  ASSERT_NE(nullptr, m_view);
  m_view->m_pCamera = new CCamera(m_view);
  m_view->m_pCamera->Connect("");
  ASSERT_TRUE(m_view->m_pCamera->IsConnected());
  ASSERT_FALSE(m_view->m_pCamera->IsPrsdk());
  m_view->m_bImageSettingsSupported = true;
  m_view->m_nContrast = 0;
  m_view->m_nSaturation = 0;
  m_view->m_nSharpness = 1;
  tavsim::SimClearCallLog();
  PushDialogScript(DialogScript(IDD_PREFERENCES)
                       .Call([](CDialog* d) {
                         EXPECT_EQ(d->SendDlgItemMessage(IDC_PREF_CONTRAST, CB_GETCURSEL), 1);
                         EXPECT_EQ(d->SendDlgItemMessage(IDC_PREF_SATURATION, CB_GETCURSEL), 1);
                         EXPECT_EQ(d->SendDlgItemMessage(IDC_PREF_SHARPNESS, CB_GETCURSEL), 2);
                         EXPECT_TRUE(d->GetDlgItem(IDC_PREF_CONTRAST)->IsWindowEnabled());
                       })
                       .Select(IDC_PREF_CONTRAST, 2)
                       .Select(IDC_PREF_SATURATION, 0)
                       .Press(IDOK));
  Command(ID_PREFERENCES);
  std::vector<tavsim::SimCall> sets = tavsim::SimCallsOf("CDSetRelCamSettingData");
  ASSERT_EQ(sets.size(), 3u);
  const DWORD ids[] = {0x08000008, 0x0800000A, 0x08000009};
  const DWORD values[] = {1, 255, 1};
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(sets[i].id, ids[i]);
    EXPECT_EQ(sets[i].size, 1u);
    EXPECT_EQ(sets[i].value, values[i]);
  }
  EXPECT_EQ(tavsim::SimCallsOf("CDGetRelCamSettingData").size(), 3u);
  EXPECT_EQ(m_view->m_nContrast, 1);
  EXPECT_EQ(m_view->m_nSaturation, -1);  // read back as 255
  EXPECT_EQ(m_view->m_nSharpness, 1);
}

TEST_F(MyQuilletViewSettingsDialogsTest, TheBracketButtonOpensTheSeriesSettingsOnTheirListEntries) {
  m_view->m_nAutoBracket = 1;
  m_view->m_nAutoBracketNumShots = 4;
  m_view->m_nAutoBracketInterval = 6;
  m_view->UpdateControls();
  PushDialogScript(DialogScript(IDD_AUTO_BRACKET)
                       .Call([](CDialog* d) {
                         EXPECT_EQ(d->SendDlgItemMessage(IDC_BRACKET_SHOTS, CB_GETCURSEL), 0);
                         EXPECT_EQ(d->SendDlgItemMessage(IDC_BRACKET_INTERVAL, CB_GETCURSEL), 5);
                       })
                       .SetCheck(IDC_BRACKET_CMD_ENABLE, BST_CHECKED)
                       .SetText(IDC_BRACKET_CMD, "merge")
                       .Press(IDOK));
  ClickFormButton(IDC_AUTOBRACKET_SETTINGS);
  EXPECT_EQ(m_view->m_nAutoBracketNumShots, 3);
  EXPECT_EQ(m_view->m_nAutoBracketInterval, 6);
  EXPECT_EQ(m_view->m_nAutoBracketCmdEnable, 1);
  EXPECT_EQ(m_view->m_strAutoBracketCmd, "merge");
}

TEST_F(MyQuilletViewSettingsDialogsTest, OkTakesTheValuesBackAndTicksPostProcessing) {
  std::string profile = ScreenProfile();
  g_bEnableColourManagement = FALSE;
  g_strMonitorProfile = "";
  g_strCameraProfile = profile.c_str();
  PushDialogScript(DialogScript(IDD_COLOR_MANAGEMENT).SetCheck(IDC_CMS_DISPLAY_ENABLE, BST_CHECKED).Press(IDOK));
  Command(ID_COLOUR_MANAGEMENT);
  EXPECT_TRUE(g_bEnableColourManagement);
  EXPECT_EQ(g_strMonitorProfile, profile.c_str());

  m_view->m_nPostProcessingEnable = 0;
  m_view->UpdateControls();
  HMENU menu = m_harness->m_frame->GetMenu();
  EXPECT_FALSE(GetMenuState(menu, ID_POST_PROCESSING, MF_BYCOMMAND) & MF_CHECKED);
  PushDialogScript(DialogScript(IDD_POST_PROCESSING).Press(IDC_POST_DEFAULTS).SetText(IDC_POST_QUALITY, "70").Press(IDOK));
  Command(ID_POST_PROCESSING);
  EXPECT_EQ(m_view->m_nPostProcessingEnable, 1);
  EXPECT_EQ(m_view->m_nPostProcessingJpegQuality, 70);
  EXPECT_TRUE(GetMenuState(menu, ID_POST_PROCESSING, MF_BYCOMMAND) & MF_CHECKED);

  PushDialogScript(DialogScript(IDD_GRID).SetText(IDC_GRID_VERTICAL, "31").Press(IDOK));
  Command(ID_GRID_SETTINGS);
  EXPECT_EQ(m_view->m_nVerticalGridDivisions, 31);
  PushDialogScript(DialogScript(IDD_SHARPENING).SetCheck(IDC_SHARPEN_ENABLE, BST_CHECKED).Press(IDOK));
  Command(ID_SHARPENING_SETTINGS);
  EXPECT_TRUE(m_view->m_bSharpen);
  EXPECT_TRUE(GetMenuState(menu, ID_HQ_SHARPENING, MF_BYCOMMAND) & MF_CHECKED);
}

namespace {

// A value as the registry holds it now (read afresh), as text; "" when absent.
std::string StoredValue(const char* name) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kProductKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return "";
  BYTE data[1024] = {};
  DWORD type = 0, size = sizeof data - 1;
  std::string value;
  if (RegQueryValueExA(key, name, nullptr, &type, data, &size) == ERROR_SUCCESS) {
    if (type == REG_DWORD && size == 4) {
      DWORD number = 0;
      std::memcpy(&number, data, 4);
      value = std::to_string(number);
    } else {
      value = reinterpret_cast<const char*>(data);
    }
  }
  RegCloseKey(key);
  return value;
}

}  // namespace

TEST_F(MyQuilletViewSettingsDialogsTest, EveryOkIsInTheRegistryAtOnce) {
  g_bEnableColourManagement = FALSE;
  g_strCameraProfile = ScreenProfile().c_str();  // colour management needs its profiles
  m_view->m_nAutoBracket = 1;
  m_view->UpdateControls();
  g_photoboothShortcutButtons[0].shown = true;
  struct Row {
    UINT command;  // 0: the form's auto-bracket button
    DialogScript edits;
    const char* value;
    std::function<std::string()> expected;
  } rows[] = {
      {ID_PREFERENCES, DialogScript(IDD_PREFERENCES).SetText(IDC_PREF_PREFIX, "Party"), "FilenamePrefix",
       [] { return std::string("Party"); }},
      {ID_GRID_SETTINGS, DialogScript(IDD_GRID).SetText(IDC_GRID_HORIZONTAL, "20"), "NumberOfHorizontalGridDivisions",
       [] { return std::string("20"); }},
      {ID_HIGHLIGHT_SETTINGS, DialogScript(IDD_HIGHLIGHT_SETTINGS).SetText(IDC_HIGHLIGHT_THRESHOLD, "60"),
       "HighlightBlinkThreshold", [] { return std::string("60"); }},
      {ID_SHARPENING_SETTINGS, DialogScript(IDD_SHARPENING).SetText(IDC_SHARPEN_AMOUNT, "5"), "SharpenAmount",
       [] { return std::string("5"); }},
      {ID_SETUP_EDITOR,
       DialogScript(IDD_EDITOR_SETUP).SetCheck(IDC_EDITOR_COMMAND_LINE, BST_CHECKED).SetText(IDC_EDITOR_COMMAND, "editor"),
       "LaunchEditorCmd", [] { return std::string("editor"); }},
      {ID_POST_PROCESSING, DialogScript(IDD_POST_PROCESSING).Press(IDC_POST_DEFAULTS).SetText(IDC_POST_QUALITY, "70"),
       "PostProcessingJpegQuality", [] { return std::string("70"); }},
      {ID_COLOUR_MANAGEMENT, DialogScript(IDD_COLOR_MANAGEMENT).SetCheck(IDC_CMS_DISPLAY_ENABLE, BST_CHECKED),
       "EnableColourManagement", [] { return std::string("1"); }},
      {0, DialogScript(IDD_AUTO_BRACKET).Select(IDC_BRACKET_SHOTS, 4), "AutoBracketNumShots",
       [this] { return std::to_string(m_view->m_nAutoBracketNumShots); }},
      {ID_PHOTOBOOTH_SETTINGS, DialogScript(IDD_PHOTOBOOTH_SETTINGS).SetText(IDC_PBS_COPIES, "2"),
       "PhotoboothPrintCopies", [] { return std::string("2"); }},
      {ID_PHOTOBOOTH_SHORTCUTS_SETTINGS, DialogScript(IDD_PB_SHORTCUT_BUTTONS).SetCheck(IDC_PBSB_FIRST, BST_UNCHECKED),
       "PhotoboothShortcutButton1", [] { return std::string("0"); }},
  };
  for (Row& row : rows) {
    SCOPED_TRACE(row.value);
    ClearDialogScripts();
    ClearProductKey();
    ASSERT_EQ("", StoredValue(row.value));
    PushDialogScript(row.edits.Press(IDOK));
    if (row.command) Command(row.command);
    else ClickFormButton(IDC_AUTOBRACKET_SETTINGS);
    ASSERT_EQ(1u, GetShownDialogs().size());
    EXPECT_EQ(IDOK, GetShownDialogs()[0].result);
    EXPECT_EQ(row.expected(), StoredValue(row.value)) << "saved on OK, before any exit";
  }
  g_photoboothShortcutButtons[0].shown = true;
}
