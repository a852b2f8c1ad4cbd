#include "config/GridDlg.h"

#include <gtest/gtest.h>

#include "ConfigTestSupport.h"
#include "platform/mfc/commondialog.h"
#include "platform/mfc/dialogscript.h"
#include "platform/user/messagebox.h"

class GridDlgTest : public testing::Test {
 protected:
  void SetUp() override {
    ClearDialogScripts();
    ClearMessageBoxes();
    ClearCommonDialogAnswers();
  }
  void TearDown() override {
    ClearDialogScripts();
    ClearMessageBoxes();
    ClearCommonDialogAnswers();
  }
};

TEST_F(GridDlgTest, SpinArrowsStepByOneWithinTwoToFifty) {
  struct Row {
    int start;
    bool up;
    const char* shown;
  } rows[] = {{30, true, "31"}, {50, false, "49"}, {2, false, "2"}, {50, true, "50"}, {1, true, "2"}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.start);
    CGridDlg dialog;
    dialog.m_nHorizontalDivisions = row.start;
    dialog.m_nVerticalDivisions = 7;
    PushDialogScript(DialogScript(IDD_GRID)
                         .Call([&row](CDialog* d) {
                           ClickSpin(d, IDC_GRID_HORIZONTAL_SPIN, row.up);
                           EXPECT_EQ(Text(d, IDC_GRID_HORIZONTAL), row.shown);
                           ClickSpin(d, IDC_GRID_VERTICAL_SPIN, true);
                           EXPECT_EQ(Text(d, IDC_GRID_VERTICAL), "8");
                         })
                         .Press(IDCANCEL));
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_EQ(dialog.m_nHorizontalDivisions, row.start);
  }
}

TEST_F(GridDlgTest, TypedDivisionsOutOfRangeAreRefusedAndTheColourIsChosen) {
  CGridDlg dialog;
  dialog.m_nColour = RGB(1, 2, 3);
  CommonDialogAnswer colour;
  colour.color = RGB(200, 10, 20);
  PushCommonDialogAnswer(colour);
  PushDialogScript(DialogScript(IDD_GRID)
                       .Call([](CDialog* d) {
                         EXPECT_EQ(Text(d, IDC_GRID_HORIZONTAL), "2");
                         EXPECT_EQ(Text(d, IDC_GRID_VERTICAL), "2");
                         EXPECT_EQ(d->IsDlgButtonChecked(IDC_GRID_ENABLE), 0u);
                       })
                       .SetText(IDC_GRID_VERTICAL, "51")
                       .Press(IDOK)
                       .SetText(IDC_GRID_VERTICAL, "12")
                       .SetCheck(IDC_GRID_ENABLE, BST_CHECKED)
                       .Press(IDC_GRID_COLOUR)
                       .Press(IDOK));
  ASSERT_EQ(dialog.DoModal(), IDOK);
  std::vector<ShownMessageBox> shown = GetShownMessageBoxes();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].text, "Please enter an integer between 2 and 50.");
  EXPECT_EQ(dialog.m_nVerticalDivisions, 12);
  EXPECT_TRUE(dialog.m_bDisplayGrid);
  EXPECT_EQ(dialog.m_nColour, RGB(200, 10, 20));
  std::vector<ShownCommonDialog> choosers = GetShownCommonDialogs();
  ASSERT_EQ(choosers.size(), 1u);
  EXPECT_EQ(choosers[0].kind, "color");
}
