#include "config/PostProcessingDlg.h"

#include <gtest/gtest.h>

#include "ConfigTestSupport.h"
#include "platform/mfc/dialogscript.h"
#include "platform/user/messagebox.h"

namespace {

void Customise(CPostProcessingDlg& dialog) {
  dialog.m_nEnable = 1;
  dialog.m_nResize = 0;
  dialog.m_nResizeWidth = 800;
  dialog.m_nResizeHeight = 600;
  dialog.m_nLevel = 0;
  dialog.m_dLevelBlack = 1.5;
  dialog.m_dLevelWhite = 2.5;
  dialog.m_nSharpen = 0;
  dialog.m_nSharpenAmount = 20;
  dialog.m_nJpegQuality = 60;
}

class PostProcessingDlgTest : public testing::Test {
 protected:
  void SetUp() override {
    ClearDialogScripts();
    ClearMessageBoxes();
  }
  void TearDown() override {
    ClearDialogScripts();
    ClearMessageBoxes();
  }
};

}  // namespace

TEST_F(PostProcessingDlgTest, DefaultsShowTheDefaultValuesAndCancelKeepsTheOldOnes) {
  CPostProcessingDlg dialog;
  Customise(dialog);
  PushDialogScript(DialogScript(IDD_POST_PROCESSING)
                       .Call([](CDialog* d) {
                         EXPECT_TRUE(Enabled(d, IDC_POST_RESIZE));
                         EXPECT_FALSE(Enabled(d, IDC_POST_WIDTH));
                         EXPECT_FALSE(Enabled(d, IDC_POST_BLACK));
                         EXPECT_FALSE(Enabled(d, IDC_POST_SHARPEN_AMOUNT));
                       })
                       .Press(IDC_POST_DEFAULTS)
                       .Call([](CDialog* d) {
                         EXPECT_EQ(Text(d, IDC_POST_WIDTH), "450");
                         EXPECT_EQ(Text(d, IDC_POST_HEIGHT), "450");
                         EXPECT_EQ(Text(d, IDC_POST_BLACK), "0.05");
                         EXPECT_EQ(Text(d, IDC_POST_WHITE), "0.05");
                         EXPECT_EQ(Text(d, IDC_POST_SHARPEN_AMOUNT), "75");
                         EXPECT_EQ(Text(d, IDC_POST_QUALITY), "85");
                         for (int id : {IDC_POST_ENABLE, IDC_POST_RESIZE, IDC_POST_LEVEL, IDC_POST_SHARPEN})
                           EXPECT_EQ(d->IsDlgButtonChecked(id), static_cast<UINT>(BST_CHECKED));
                         EXPECT_TRUE(Enabled(d, IDC_POST_WIDTH));
                         EXPECT_TRUE(Enabled(d, IDC_POST_BLACK));
                         EXPECT_TRUE(Enabled(d, IDC_POST_SHARPEN_AMOUNT));
                       })
                       .Press(IDCANCEL));
  ASSERT_EQ(dialog.DoModal(), IDCANCEL);
  EXPECT_EQ(dialog.m_nResize, 0);
  EXPECT_EQ(dialog.m_nResizeWidth, 800);
  EXPECT_EQ(dialog.m_dLevelBlack, 1.5);
  EXPECT_EQ(dialog.m_nSharpenAmount, 20);
  EXPECT_EQ(dialog.m_nJpegQuality, 60);
}

TEST_F(PostProcessingDlgTest, SwitchingOffDisablesEverythingAndRangesAreChecked) {
  CPostProcessingDlg dialog;
  Customise(dialog);
  PushDialogScript(DialogScript(IDD_POST_PROCESSING)
                       .SetCheck(IDC_POST_LEVEL, BST_CHECKED)
                       .Call([](CDialog* d) { EXPECT_TRUE(Enabled(d, IDC_POST_WHITE)); })
                       .SetCheck(IDC_POST_ENABLE, BST_UNCHECKED)
                       .Call([](CDialog* d) {
                         for (int id : {IDC_POST_RESIZE, IDC_POST_LEVEL, IDC_POST_SHARPEN, IDC_POST_QUALITY, IDC_POST_WHITE})
                           EXPECT_FALSE(Enabled(d, id)) << id;
                       })
                       .SetText(IDC_POST_BLACK, "5.5")
                       .Press(IDOK)
                       .SetText(IDC_POST_BLACK, "4.5")
                       .SetText(IDC_POST_QUALITY, "9")
                       .Press(IDOK)
                       .SetText(IDC_POST_QUALITY, "100")
                       .Press(IDOK));
  ASSERT_EQ(dialog.DoModal(), IDOK);
  std::vector<ShownMessageBox> shown = GetShownMessageBoxes();
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[0].text, "Please enter a number between 0 and 5.");
  EXPECT_EQ(shown[1].text, "Please enter an integer between 10 and 100.");
  EXPECT_EQ(dialog.m_nEnable, 0);
  EXPECT_EQ(dialog.m_nLevel, 1);
  EXPECT_EQ(dialog.m_dLevelBlack, 4.5);
  EXPECT_EQ(dialog.m_nJpegQuality, 100);
}
