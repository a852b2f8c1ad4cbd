#include "config/SharpeningDlg.h"

#include <gtest/gtest.h>

#include "ConfigTestSupport.h"
#include "platform/mfc/dialogscript.h"
#include "platform/user/messagebox.h"

TEST(SharpeningDlgTest, AmountWithinZeroToNinetyFive) {
  ClearDialogScripts();
  ClearMessageBoxes();
  CSharpeningDlg dialog;
  dialog.m_nAmount = 75;
  PushDialogScript(DialogScript(IDD_SHARPENING)
                       .SetText(IDC_SHARPEN_AMOUNT, "96")
                       .Press(IDOK)
                       .SetText(IDC_SHARPEN_AMOUNT, "0")
                       .SetCheck(IDC_SHARPEN_ENABLE, BST_CHECKED)
                       .Press(IDOK));
  ASSERT_EQ(dialog.DoModal(), IDOK);
  std::vector<ShownMessageBox> shown = GetShownMessageBoxes();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].text, "Please enter an integer between 0 and 95.");
  EXPECT_EQ(dialog.m_nAmount, 0);
  EXPECT_TRUE(dialog.m_bSharpen);
  ClearMessageBoxes();
}
