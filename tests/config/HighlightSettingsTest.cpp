#include "config/HighlightSettings.h"

#include <gtest/gtest.h>

#include "ConfigTestSupport.h"
#include "platform/mfc/dialogscript.h"
#include "platform/user/messagebox.h"

TEST(HighlightSettingsTest, MethodAndThresholdWithinFiftyTo255) {
  ClearDialogScripts();
  ClearMessageBoxes();
  CHighlightSettings dialog;
  dialog.m_nMethod = 1;
  dialog.m_nThreshold = 250;
  PushDialogScript(DialogScript(IDD_HIGHLIGHT_SETTINGS)
                       .Call([](CDialog* d) {
                         EXPECT_EQ(Selection(d, IDC_HIGHLIGHT_METHOD), 1);
                         EXPECT_EQ(Text(d, IDC_HIGHLIGHT_THRESHOLD), "250");
                       })
                       .SetText(IDC_HIGHLIGHT_THRESHOLD, "49")
                       .Press(IDOK)
                       .SetText(IDC_HIGHLIGHT_THRESHOLD, "50")
                       .Select(IDC_HIGHLIGHT_METHOD, 0)
                       .Press(IDOK));
  ASSERT_EQ(dialog.DoModal(), IDOK);
  std::vector<ShownMessageBox> shown = GetShownMessageBoxes();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].text, "Please enter an integer between 50 and 255.");
  EXPECT_EQ(dialog.m_nMethod, 0);
  EXPECT_EQ(dialog.m_nThreshold, 50);
  ClearMessageBoxes();
}
