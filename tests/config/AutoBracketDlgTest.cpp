#include "config/AutoBracketDlg.h"

#include <gtest/gtest.h>

#include "ConfigTestSupport.h"
#include "platform/mfc/dialogscript.h"

TEST(AutoBracketDlgTest, StoredValuesOffTheListsOpenOnThreeShotsAndTwoStops) {
  struct Row {
    int shots, interval;
    int shotsIndex, intervalIndex;
    int storedShots, storedInterval;
  } rows[] = {
      {4, 6, 0, 5, 3, 6},    // not on the lists
      {7, 2, 2, 1, 7, 2},
      {15, 5, 6, 4, 15, 5},
      {1, 0, 0, 5, 3, 6},
      {49, -3, 0, 5, 3, 6},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.shots);
    ClearDialogScripts();
    CAutoBracketDlg dialog;
    dialog.m_nNumShots = row.shots;
    dialog.m_nInterval = row.interval;
    PushDialogScript(DialogScript(IDD_AUTO_BRACKET)
                         .Call([&row](CDialog* d) {
                           EXPECT_EQ(Selection(d, IDC_BRACKET_SHOTS), row.shotsIndex);
                           EXPECT_EQ(Selection(d, IDC_BRACKET_INTERVAL), row.intervalIndex);
                         })
                         .Press(IDOK));
    ASSERT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.m_nNumShots, row.storedShots);
    EXPECT_EQ(dialog.m_nInterval, row.storedInterval);
  }
  ClearDialogScripts();
}

TEST(AutoBracketDlgTest, ChoicesAreStoredAndTheCommandNeedsItsTick) {
  ClearDialogScripts();
  CAutoBracketDlg dialog;
  dialog.m_bUsingTv = TRUE;
  dialog.m_strCmd = "merge --hdr";
  PushDialogScript(DialogScript(IDD_AUTO_BRACKET)
                       .Call([](CDialog* d) {
                         char text[32] = {};
                         d->SendDlgItemMessage(IDC_BRACKET_INTERVAL, CB_GETLBTEXT, 5, reinterpret_cast<LPARAM>(text));
                         EXPECT_STREQ(text, "2 stops");
                         EXPECT_TRUE(d->IsDlgButtonChecked(IDC_BRACKET_USE_TV));
                         EXPECT_FALSE(Enabled(d, IDC_BRACKET_CMD));
                         EXPECT_EQ(Text(d, IDC_BRACKET_CMD), "merge --hdr");
                       })
                       .SetCheck(IDC_BRACKET_CMD_ENABLE, BST_CHECKED)
                       .Call([](CDialog* d) { EXPECT_TRUE(Enabled(d, IDC_BRACKET_CMD)); })
                       .SetCheck(IDC_BRACKET_USE_AV, BST_CHECKED)
                       .Select(IDC_BRACKET_SHOTS, 3)
                       .Select(IDC_BRACKET_INTERVAL, 0)
                       .Press(IDOK));
  ASSERT_EQ(dialog.DoModal(), IDOK);
  EXPECT_EQ(dialog.m_nNumShots, 9);
  EXPECT_EQ(dialog.m_nInterval, 1);
  EXPECT_FALSE(dialog.m_bUsingTv);
  EXPECT_EQ(dialog.m_nCmdEnable, 1);
  EXPECT_EQ(dialog.m_strCmd, "merge --hdr");
  ClearDialogScripts();
}
