// The main view's photobooth configuration openers: the shortcut buttons' dialog and the
// photobooth settings dialog, reached through the menu, Ctrl+S and the form's button.
#include <string>

#include "AppTestSupport.h"
#include "config/PBShortcutBtnSetupDlg.h"
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
                         EXPECT_EQ(Text(d, IDC_PBSB_FIRST + 1), "Unknown") << "no such button on the form yet";
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
