// The main view's photobooth configuration openers: the shortcut buttons' dialog and the
// photobooth settings dialog, reached through the menu, Ctrl+S and the form's button.
#include <string>

#include "AppTestSupport.h"
#include "config/AnimatedGifSettingsDialog.h"
#include "config/OutputSettingsDlg.h"
#include "config/PBShortcutBtnSetupDlg.h"
#include "config/TwitterSettingsDlg.h"
#include "photobooth/ConfirmPrintingDlg.h"
#include "sharing/ShareSettings.h"
#include "config/PhotoboothSettingsDlg.h"
#include "platform/user/controls.h"
#include "platform/user/message.h"
#include "platform/user/hwndwidget_p.h"
#include "platform/user/window_p.h"
#include "platform/mfc/dialogscript.h"
#include "platform/user/input.h"
#include "platform/user/menu.h"

namespace {

class MyQuilletViewPhotoboothDialogsTest : public ViewTestBase {
 protected:
  void SetUp() override {
    ViewTestBase::SetUp();
    ClearDialogScripts();
    std::copy(std::begin(g_photoboothShortcutButtons), std::end(g_photoboothShortcutButtons), m_saved);
  }
  void TearDown() override {
    std::copy(std::begin(m_saved), std::end(m_saved), g_photoboothShortcutButtons);
    ClearDialogScripts();
    ViewTestBase::TearDown();
  }
  void Command(UINT id) { m_harness->m_frame->SendMessage(WM_COMMAND, MAKEWPARAM(id, 0), 0); }
  bool Visible(int id) {
    HWND control = ::GetDlgItem(m_view->m_hWnd, id);
    return control && ::IsWindowVisible(control);
  }

  PhotoboothShortcutButton m_saved[kPhotoboothShortcutButtonCount];
};

std::string Text(CDialog* dialog, int id) {
  CString text;
  dialog->GetDlgItemText(id, text);
  return text.GetString();
}

TEST_F(MyQuilletViewPhotoboothDialogsTest, ShortcutChoiceShowsExactlyTheTickedButtons) {
  ASSERT_TRUE(Visible(IDC_PHOTOBOOTH_ADVANCED_SETTINGS));
  PushDialogScript(DialogScript(IDD_PB_SHORTCUT_BUTTONS)
                       .Call([](CDialog* d) {
                         EXPECT_EQ(Text(d, IDC_PBSB_FIRST), "Printer Setup");
                         EXPECT_EQ(Text(d, IDC_PBSB_FIRST + 4), "Advanced Settings");
                         EXPECT_EQ(Text(d, IDC_PBSB_FIRST + 1), "Edit QR Code");
                         EXPECT_EQ(d->IsDlgButtonChecked(IDC_PBSB_FIRST), BST_CHECKED);
                         EXPECT_EQ(d->IsDlgButtonChecked(IDC_PBSB_FIRST + 1), BST_UNCHECKED);
                         EXPECT_EQ(d->IsDlgButtonChecked(IDC_PBSB_FIRST + 5), BST_UNCHECKED);
                       })
                       .SetCheck(IDC_PBSB_FIRST + 4, BST_UNCHECKED)
                       .SetCheck(IDC_PBSB_FIRST + 1, BST_CHECKED)
                       .Press(IDOK));
  Command(ID_PHOTOBOOTH_SHORTCUTS_SETTINGS);
  EXPECT_FALSE(g_photoboothShortcutButtons[4].shown);
  EXPECT_TRUE(g_photoboothShortcutButtons[1].shown);
  EXPECT_FALSE(Visible(IDC_PHOTOBOOTH_ADVANCED_SETTINGS));
  EXPECT_TRUE(Visible(IDC_PHOTOBOOTH_PRINTER_SETUP));

  PushDialogScript(DialogScript(IDD_PB_SHORTCUT_BUTTONS).SetCheck(IDC_PBSB_FIRST, BST_UNCHECKED).Press(IDCANCEL));
  Command(ID_PHOTOBOOTH_SHORTCUTS_SETTINGS);
  EXPECT_TRUE(g_photoboothShortcutButtons[0].shown) << "Cancel changes nothing";
  EXPECT_TRUE(Visible(IDC_PHOTOBOOTH_PRINTER_SETUP));
}

TEST_F(MyQuilletViewPhotoboothDialogsTest, CtrlSOpensTheSettingsWithLagInTenthsAndAutoReconnectOff) {
  m_view->m_nPhotoboothCameraReleaseLag = 1250;
  m_view->m_bAutoReconnect = TRUE;
  m_view->m_nPhotoboothInterval = 5;
  bool reconnectDuring = true;
  PushDialogScript(DialogScript(IDD_PHOTOBOOTH_SETTINGS)
                       .Call([&](CDialog* d) {
                         EXPECT_EQ(Text(d, IDC_PBS_SHUTTER_LAG), "12");
                         reconnectDuring = m_view->m_bAutoReconnect != FALSE;
                       })
                       .SetText(IDC_PBS_COPIES, "4")
                       .Press(IDOK));
  user_p::SetKeyDown(VK_CONTROL, true);
  MSG key{m_view->m_hWnd, WM_KEYDOWN, 'S', 1, 0, {0, 0}};
  FilterAndDispatch(&key);
  user_p::SetKeyDown(VK_CONTROL, false);
  ASSERT_EQ(GetShownDialogs().size(), 1u);
  EXPECT_FALSE(reconnectDuring);
  EXPECT_TRUE(m_view->m_bAutoReconnect) << "restored after the dialog";
  EXPECT_EQ(m_view->m_nPhotoboothCameraReleaseLag, 1200);
  EXPECT_EQ(m_view->m_nPhotoboothPrintCopies, 4);
}

TEST_F(MyQuilletViewPhotoboothDialogsTest, AdvancedSettingsButtonAndMenuOpenTheDialogAndCancelKeepsTheView) {
  m_view->m_nPhotoboothPrintCopies = 2;
  PushDialogScript(DialogScript(IDD_PHOTOBOOTH_SETTINGS).SetText(IDC_PBS_COPIES, "7").Press(IDCANCEL));
  ::SendMessageA(::GetDlgItem(m_view->m_hWnd, IDC_PHOTOBOOTH_ADVANCED_SETTINGS), BM_CLICK, 0, 0);
  ASSERT_EQ(GetShownDialogs().size(), 1u);
  EXPECT_EQ(m_view->m_nPhotoboothPrintCopies, 2);
  HMENU menu = GetMenu(m_harness->m_frame->m_hWnd);
  EXPECT_NE(GetMenuState(menu, ID_PHOTOBOOTH_SETTINGS, MF_BYCOMMAND), static_cast<UINT>(-1));
  EXPECT_NE(GetMenuState(menu, ID_PHOTOBOOTH_SHORTCUTS_SETTINGS, MF_BYCOMMAND), static_cast<UINT>(-1));
  PushDialogScript(DialogScript(IDD_PHOTOBOOTH_SETTINGS).Press(IDCANCEL));
  Command(ID_PHOTOBOOTH_SETTINGS);
  EXPECT_EQ(GetShownDialogs().size(), 2u);
}

TEST_F(MyQuilletViewPhotoboothDialogsTest, OkTakesBackTheGifSwitchesAndTwitterTimeoutButNotTheViewsOwnValues) {
  m_view->m_bEnableTwitter = TRUE;
  m_view->m_bPhotoboothGifCreate = TRUE;
  m_view->m_nPhotoboothSaveJpegCopyOfPrints = 1;  // an output with sharing
  m_view->m_strDirectory = "/photos/before";
  m_view->m_strFilenamePrefix = "before";
  const int twitterTimeout = g_nTwitterUploadTimeout;
  PushDialogScript(DialogScript(IDD_PHOTOBOOTH_SETTINGS)
                       .Call([this](CDialog*) {
                         // What the remote control's set-folder command does while the dialog is open.
                         m_view->m_strDirectory = "/photos/meanwhile";
                         m_view->m_strFilenamePrefix = "meanwhile";
                       })
                       .SetText(IDC_PBS_COPIES, "3")
                       .Press(IDC_PBS_OUTPUT_SETTINGS)
                       .Press(IDOK));
  PushDialogScript(
      DialogScript(IDD_OUTPUT_SETTINGS).Press(IDC_OUT_GIF_SETTINGS).Press(IDC_OUT_TWITTER_SETTINGS).Press(IDOK));
  PushDialogScript(DialogScript(IDD_ANIMATED_GIF_SETTINGS)
                       .SetCheck(IDC_GIF_FRAME_COPIES, BST_CHECKED)
                       .SetCheck(IDC_GIF_IN_PRINTS, BST_CHECKED)
                       .Press(IDOK));
  PushDialogScript(DialogScript(IDD_TWITTER_SETTINGS).SetText(IDC_TWITTER_TIMEOUT, "45").Press(IDOK));
  Command(ID_PHOTOBOOTH_SETTINGS);
  EXPECT_EQ(m_view->m_nPhotoboothPrintCopies, 3);
  EXPECT_TRUE(m_view->m_bGifFrameCopies);
  EXPECT_TRUE(m_view->m_bGifInPrints);
  EXPECT_EQ(g_nTwitterUploadTimeout, 45);
  EXPECT_EQ(m_view->m_strDirectory, CString("/photos/meanwhile")) << "not a photobooth setting";
  EXPECT_EQ(m_view->m_strFilenamePrefix, CString("meanwhile"));
  EXPECT_EQ(BuildShareSettings(ShareTwitter, *m_view, "", "").twitter.timeoutSeconds, 45);

  // Opened again, the pages show what was chosen.
  int framesShown = -1, printsShown = -1;
  std::string timeoutShown;
  PushDialogScript(DialogScript(IDD_PHOTOBOOTH_SETTINGS).Press(IDC_PBS_OUTPUT_SETTINGS).Press(IDCANCEL));
  PushDialogScript(
      DialogScript(IDD_OUTPUT_SETTINGS).Press(IDC_OUT_GIF_SETTINGS).Press(IDC_OUT_TWITTER_SETTINGS).Press(IDCANCEL));
  PushDialogScript(DialogScript(IDD_ANIMATED_GIF_SETTINGS)
                       .Call([&](CDialog* d) {
                         framesShown = static_cast<int>(d->IsDlgButtonChecked(IDC_GIF_FRAME_COPIES));
                         printsShown = static_cast<int>(d->IsDlgButtonChecked(IDC_GIF_IN_PRINTS));
                       })
                       .Press(IDCANCEL));
  PushDialogScript(DialogScript(IDD_TWITTER_SETTINGS)
                       .Call([&](CDialog* d) { timeoutShown = Text(d, IDC_TWITTER_TIMEOUT); })
                       .Press(IDCANCEL));
  Command(ID_PHOTOBOOTH_SETTINGS);
  EXPECT_EQ(framesShown, BST_CHECKED);
  EXPECT_EQ(printsShown, BST_CHECKED);
  EXPECT_EQ(timeoutShown, "45");
  g_nTwitterUploadTimeout = twitterTimeout;
}

TEST(PBShortcutBtnSetupDlgTest, CaptionsBecomeOneLine) {
  struct Row {
    const char* text;
    const char* expected;
  } rows[] = {{"Photobooth\nSetup\nWizard", "Photobooth Setup Wizard"},
              {"Print\r\nLayout", "Print Layout"},
              {" Start \n\nPhotobooth ", "Start Photobooth"},
              {"Reprint Photobooth Photos", "Reprint Photobooth Photos"}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.expected);
    EXPECT_EQ(std::string(CPBShortcutBtnSetupDlg::CleanCaption(row.text)), row.expected);
  }
}

}  // namespace
