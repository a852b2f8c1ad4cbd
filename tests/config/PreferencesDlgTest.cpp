#include "config/PreferencesDlg.h"

#include <gtest/gtest.h>

#include <ctime>

#include "ConfigTestSupport.h"
#include "camera/CameraNaming.h"
#include "platform/mfc/dialogscript.h"

namespace {

time_t FixedNow() {
  std::tm local{};
  local.tm_year = 2026 - 1900;
  local.tm_mon = 2;  // March
  local.tm_mday = 5;
  local.tm_hour = 14;
  local.tm_min = 7;
  local.tm_sec = 9;
  local.tm_isdst = -1;
  return std::mktime(&local);
}

class PreferencesDlgTest : public testing::Test {
 protected:
  void SetUp() override {
    SetCameraClock(FixedNow);
    ClearDialogScripts();
  }
  void TearDown() override {
    SetCameraClock(nullptr);
    ClearDialogScripts();
  }
};

}  // namespace

TEST_F(PreferencesDlgTest, ExampleNameFollowsTheFoldersThePrefixAndTheTokens) {
  CPreferencesDlg dialog;
  dialog.m_strDirectory = "/photos/shoot";
  dialog.m_strFilenamePrefix = "IMG_";
  dialog.m_bYear = TRUE;
  dialog.m_bMonth = TRUE;
  dialog.m_strComment = "party";
  dialog.m_strPhotoboothImagesDir = "/home/ann/Booth Images/ ";
  dialog.m_nNumberOfPhotoboothImages = 4;
  PushDialogScript(DialogScript(IDD_PREFERENCES)
                       .Call([](CDialog* d) { EXPECT_EQ(Text(d, IDC_PREF_EXAMPLE), "/photos/shoot/2026/03/IMG_0123.JPG"); })
                       .SetCheck(IDC_PREF_FLATTEN, BST_CHECKED)
                       .Call([](CDialog* d) { EXPECT_EQ(Text(d, IDC_PREF_EXAMPLE), "/photos/shoot/2026-03/IMG_0123.JPG"); })
                       .SetCheck(IDC_PREF_DAY, BST_CHECKED)
                       .SetText(IDC_PREF_PREFIX, "x")
                       .Call([](CDialog* d) { EXPECT_EQ(Text(d, IDC_PREF_EXAMPLE), "/photos/shoot/2026-03-05/x0123.JPG"); })
                       .SetCheck(IDC_PREF_YEAR, BST_UNCHECKED)
                       .SetCheck(IDC_PREF_MONTH, BST_UNCHECKED)
                       .SetCheck(IDC_PREF_DAY, BST_UNCHECKED)
                       .SetText(IDC_PREF_DIRECTORY,
                                "/pb/{photoboothSubdir}/{photoboothNumImages}_{photoboothImage}/{photoboothDateTime}/"
                                "{photoboothHour}{photoboothMinute}{photoboothSecond}/{comment}@comment@")
                       .Call([](CDialog* d) {
                         EXPECT_EQ(Text(d, IDC_PREF_EXAMPLE), "/pb/Booth Images/4_1/20260305_140709/140709/partyparty/x0123.JPG");
                       })
                       .Press(IDOK));
  ASSERT_EQ(dialog.DoModal(), IDOK);
  EXPECT_EQ(dialog.m_strFilenamePrefix, "x");
  EXPECT_FALSE(dialog.m_bYear);
  EXPECT_TRUE(dialog.m_bFlattenDate);
}

TEST_F(PreferencesDlgTest, ListsShowTheValuesAndTheCameraListsNeedTheCamera) {
  for (BOOL supported : {FALSE, TRUE}) {
    SCOPED_TRACE(supported);
    CPreferencesDlg dialog;
    dialog.m_nMiddleBtnAction = 3;
    dialog.m_nMouseWheelAction = 2;
    dialog.m_nContrast = 2;
    dialog.m_nSaturation = 0;
    dialog.m_nPreviewSize = 1;
    dialog.m_bImageSettingsSupported = supported;
    PushDialogScript(DialogScript(IDD_PREFERENCES)
                         .Call([supported](CDialog* d) {
                           EXPECT_EQ(Selection(d, IDC_PREF_MIDDLE_BUTTON), 3);
                           EXPECT_EQ(Selection(d, IDC_PREF_MOUSE_WHEEL), 2);
                           EXPECT_EQ(Selection(d, IDC_PREF_CONTRAST), 2);
                           EXPECT_EQ(Selection(d, IDC_PREF_SHARPNESS), 1);
                           EXPECT_EQ(Selection(d, IDC_PREF_SATURATION), 0);
                           for (int id : {IDC_PREF_CONTRAST, IDC_PREF_SHARPNESS, IDC_PREF_SATURATION})
                             EXPECT_EQ(Enabled(d, id), supported != FALSE);
                           EXPECT_TRUE(Enabled(d, IDC_PREF_PREVIEW_SIZE));
                         })
                         .Select(IDC_PREF_RIGHT_BUTTON, 1)
                         .Select(IDC_PREF_PREVIEW_SIZE, 2)
                         .Press(IDOK));
    ASSERT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.m_nRightBtnAction, 1);
    EXPECT_EQ(dialog.m_nPreviewSize, 2);
    EXPECT_EQ(dialog.m_nContrast, 2);
  }
}

namespace {

time_t g_now = 0;
time_t MovableNow() { return g_now; }

}  // namespace

TEST_F(PreferencesDlgTest, TheExampleKeepsTheTimeTheDialogOpenedAt) {
  std::tm local{};
  local.tm_year = 2026 - 1900;
  local.tm_mon = 2;
  local.tm_mday = 5;
  local.tm_hour = 23;
  local.tm_min = 59;
  local.tm_sec = 59;
  local.tm_isdst = -1;
  g_now = std::mktime(&local);
  SetCameraClock(MovableNow);
  CPreferencesDlg dialog;
  dialog.m_strDirectory = "/photos";
  dialog.m_strFilenamePrefix = "IMG_";
  dialog.m_bYear = dialog.m_bMonth = TRUE;
  // Midnight passes while the dialog is open: folders and tokens still read the opening time.
  PushDialogScript(DialogScript(IDD_PREFERENCES)
                       .Call([](CDialog*) { g_now += 2; })
                       .SetCheck(IDC_PREF_DAY, BST_CHECKED)
                       .SetText(IDC_PREF_DIRECTORY, "/photos/{photoboothDate}")
                       .Call([](CDialog* d) {
                         EXPECT_EQ(Text(d, IDC_PREF_EXAMPLE), "/photos/20260305/2026/03/05/IMG_0123.JPG");
                       })
                       .Press(IDCANCEL));
  dialog.DoModal();
}
