#include "config/EditorSetupDlg.h"

#include <gtest/gtest.h>

#include "ConfigTestSupport.h"
#include "platform/mfc/commondialog.h"
#include "platform/mfc/dialogscript.h"

TEST(EditorSetupDlgTest, RadioChoosesTheOpenerAndTheChosenProgramKeepsItsBlanksTogether) {
  ClearDialogScripts();
  ClearCommonDialogAnswers();
  CEditorSetupDlg dialog;
  dialog.m_nShellExecute = 1;
  dialog.m_strCommand = "gimp";
  CommonDialogAnswer program;
  program.paths = {"/opt/My Editor/edit"};
  PushCommonDialogAnswer(program);
  PushDialogScript(DialogScript(IDD_EDITOR_SETUP)
                       .Call([](CDialog* d) {
                         EXPECT_TRUE(d->IsDlgButtonChecked(IDC_EDITOR_SHELL));
                         EXPECT_FALSE(Enabled(d, IDC_EDITOR_COMMAND));
                       })
                       .SetCheck(IDC_EDITOR_COMMAND_LINE, BST_CHECKED)
                       .Call([](CDialog* d) { EXPECT_TRUE(Enabled(d, IDC_EDITOR_COMMAND)); })
                       .Press(IDC_EDITOR_BROWSE)
                       .SetCheck(IDC_EDITOR_AUTO_EDIT, BST_CHECKED)
                       .Press(IDOK));
  ASSERT_EQ(dialog.DoModal(), IDOK);
  EXPECT_EQ(dialog.m_nShellExecute, 0);
  EXPECT_EQ(dialog.m_nAutoEdit, 1);
  EXPECT_EQ(dialog.m_strCommand, "\"/opt/My Editor/edit\"");
  std::vector<ShownCommonDialog> choosers = GetShownCommonDialogs();
  ASSERT_EQ(choosers.size(), 1u);
  EXPECT_EQ(choosers[0].kind, "open");
  EXPECT_EQ(choosers[0].filter, "Executables (*.exe)|*.exe|All Files (*.*)|*.*||");
  ClearDialogScripts();
  ClearCommonDialogAnswers();
}
