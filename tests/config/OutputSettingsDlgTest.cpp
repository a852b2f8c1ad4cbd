#include "config/OutputSettingsDlg.h"

#include <gtest/gtest.h>

#include "ConfigTestSupport.h"
#include "app/SettingsStore.h"
#include "config/AnimatedGifSettingsDialog.h"
#include "config/CopyJpegOutputSettings.h"
#include "config/EmailSettingsDlg.h"
#include "config/FacebookSettingsDlg.h"
#include "config/MmsSettingsDialog.h"
#include "config/SharingPrinterSettingsDlg.h"
#include "config/ThumbnailSettingsDlg.h"
#include "config/TwitterSettingsDlg.h"
#include "platform/mfc/commondialog.h"
#include "platform/mfc/dialogscript.h"
#include "platform/user/messagebox.h"
#include "support/PasswordScrambler.h"

namespace {

const char kRangeMessage[] = "Please enter an integer between %d and %d.";
const char kEmailLogging[] =
    "Email address logging needs to be enabled in \"Email Server Settings\" when email offline mode is selected.";
const char kMmsLogging[] = "MMS logging needs to be enabled in \"SMS/MMS Settings\" when offline mode is selected.";

std::string RangeMessage(int low, int high) {
  CString text;
  text.Format(kRangeMessage, low, high);
  return text.GetString();
}

std::vector<std::string> ShownTexts() {
  std::vector<std::string> texts;
  for (const ShownMessageBox& box : GetShownMessageBoxes()) texts.push_back(box.text);
  return texts;
}

}  // namespace

class OutputSettingsDlgTest : public testing::Test {
 protected:
  void SetUp() override {
    Clear();
    m_saved = {g_nPhotoboothPrintPreviewX, g_nPhotoboothPrintPreviewY,    g_nPhotoboothPrintPreviewW,
               g_nPhotoboothPrintPreviewH, g_nPhotoboothPrintPreviewRotate, g_nPhotoboothConfirmPrintingTimeout,
               g_bPhotoboothConfirmPrintingTimeoutAction};
  }
  void TearDown() override {
    Clear();
    g_nPhotoboothPrintPreviewX = m_saved[0];
    g_nPhotoboothPrintPreviewY = m_saved[1];
    g_nPhotoboothPrintPreviewW = m_saved[2];
    g_nPhotoboothPrintPreviewH = m_saved[3];
    g_nPhotoboothPrintPreviewRotate = m_saved[4];
    g_nPhotoboothConfirmPrintingTimeout = m_saved[5];
    g_bPhotoboothConfirmPrintingTimeoutAction = m_saved[6];
  }
  static void Clear() {
    ClearDialogScripts();
    ClearMessageBoxes();
    ClearCommonDialogAnswers();
  }
  std::vector<int> m_saved;
};

TEST_F(OutputSettingsDlgTest, EnablingFollowsTheOutputAndTheChecks) {
  const int preview[] = {IDC_OUT_ROTATION, IDC_OUT_PREVIEW_X, IDC_OUT_PREVIEW_Y, IDC_OUT_PREVIEW_W,
                         IDC_OUT_PREVIEW_H, IDC_OUT_TIMEOUT,   IDC_OUT_TIMEOUT_ACTION};
  const int sharing[] = {IDC_OUT_COPY_JPEG, IDC_OUT_SHARE_PRINT, IDC_OUT_FACEBOOK, IDC_OUT_EMAIL, IDC_OUT_MMS,
                         IDC_OUT_TWITTER};
  for (int output = 0; output < 4; ++output) {
    SCOPED_TRACE(output);
    COutputSettingsDlg dialog;
    dialog.m_nPhotoboothOutput = output;
    dialog.m_bPhotoboothConfirmPrinting = TRUE;
    dialog.m_bPhotoboothGifCreate = TRUE;
    dialog.m_bPhotoboothEmail = TRUE;
    dialog.m_bEnableMMS = TRUE;
    bool jpeg = output == 1 || output == 2;
    PushDialogScript(DialogScript(IDD_OUTPUT_SETTINGS)
                         .Call([&](CDialog* d) {
                           EXPECT_EQ(Enabled(d, IDC_OUT_CONFIRM_PRINTING), output != 3);
                           for (int id : preview) EXPECT_EQ(Enabled(d, id), output != 3) << id;
                           for (int id : sharing) EXPECT_EQ(Enabled(d, id), jpeg) << id;
                           EXPECT_EQ(Enabled(d, IDC_OUT_FILENAME), jpeg);
                           EXPECT_EQ(Enabled(d, IDC_OUT_EMAIL_OFFLINE), jpeg);
                           EXPECT_EQ(Enabled(d, IDC_OUT_MMS_OFFLINE), jpeg);
                           EXPECT_EQ(Enabled(d, IDC_OUT_EMAIL_SETTINGS), jpeg);
                           EXPECT_EQ(Enabled(d, IDC_OUT_EMAIL_SERVER), jpeg);
                           EXPECT_EQ(Enabled(d, IDC_OUT_FACEBOOK_SETTINGS), false);
                           EXPECT_EQ(Enabled(d, IDC_OUT_GIF_CREATE), output != 3);
                           EXPECT_EQ(Enabled(d, IDC_OUT_GIF_SETTINGS), output != 3);
                         })
                         .SetCheck(IDC_OUT_CONFIRM_PRINTING, BST_UNCHECKED)
                         .SetCheck(IDC_OUT_GIF_CREATE, BST_UNCHECKED)
                         .SetCheck(IDC_OUT_FACEBOOK, BST_CHECKED)
                         .SetCheck(IDC_OUT_EMAIL, BST_UNCHECKED)
                         .Call([&](CDialog* d) {
                           for (int id : preview) EXPECT_FALSE(Enabled(d, id)) << id;
                           EXPECT_FALSE(Enabled(d, IDC_OUT_GIF_SETTINGS));
                           EXPECT_EQ(Enabled(d, IDC_OUT_FACEBOOK_SETTINGS), jpeg);
                           EXPECT_FALSE(Enabled(d, IDC_OUT_EMAIL_SETTINGS));
                           EXPECT_FALSE(Enabled(d, IDC_OUT_EMAIL_OFFLINE));
                           EXPECT_FALSE(Enabled(d, IDC_OUT_EMAIL_SERVER));
                         })
                         .Press(IDCANCEL));
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
  }
  // Changing the output list re-applies the rules at once.
  COutputSettingsDlg dialog;
  dialog.m_nPhotoboothOutput = 0;
  PushDialogScript(DialogScript(IDD_OUTPUT_SETTINGS)
                       .Select(IDC_OUT_OUTPUT, 2)
                       .Call([](CDialog* d) { EXPECT_TRUE(Enabled(d, IDC_OUT_TWITTER)); })
                       .Select(IDC_OUT_OUTPUT, 3)
                       .Call([](CDialog* d) { EXPECT_FALSE(Enabled(d, IDC_OUT_CONFIRM_PRINTING)); })
                       .Press(IDOK));
  ASSERT_EQ(dialog.DoModal(), IDOK);
  EXPECT_EQ(dialog.m_nPhotoboothOutput, 3);
}

TEST_F(OutputSettingsDlgTest, OfflineModesNeedTheirLogging) {
  struct Row {
    const char* name;
    bool email, logEmail, mms, logMms;
    std::vector<std::string> shown;
  } rows[] = {
      {"e-mail logging off", true, false, false, false, {kEmailLogging}},
      {"e-mail logged", true, true, false, false, {}},
      {"MMS logging off", false, false, true, false, {kMmsLogging, kMmsLogging}},
      {"MMS logged", false, false, true, true, {}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    ClearMessageBoxes();
    COutputSettingsDlg dialog;
    dialog.m_nPhotoboothOutput = 2;
    dialog.m_bPhotoboothEmail = row.email;
    dialog.m_bPhotoboothEmailOfflineMode = row.email;
    dialog.m_bPhotoboothLogEmailAddresses = row.logEmail;
    dialog.m_strPhotoboothLogEmailPathname = row.logEmail ? "/tmp/emails.csv" : "";
    dialog.m_bEnableMMS = row.mms;
    dialog.m_bLogMmsAddresses = TRUE;
    dialog.m_strLogMmsPathname = row.logMms ? "/tmp/mms.csv" : "";
    DialogScript script(IDD_OUTPUT_SETTINGS);
    if (row.mms) script.SetCheck(IDC_OUT_MMS_OFFLINE, BST_CHECKED);  // ticking it checks at once
    script.Press(IDOK).Press(IDCANCEL);
    PushDialogScript(script);
    EXPECT_EQ(dialog.DoModal(), row.shown.empty() ? IDOK : IDCANCEL);
    EXPECT_EQ(ShownTexts(), row.shown);
    for (const ShownMessageBox& box : GetShownMessageBoxes()) {
      EXPECT_EQ(box.caption, "Tavorin");
      EXPECT_EQ(box.icon, static_cast<UINT>(MB_ICONERROR));
    }
  }
}

TEST_F(OutputSettingsDlgTest, OutOfRangeValuesKeepEachDialogOpen) {
  struct Row {
    int dialogId, buttonId, editId;
    const char* bad;
    int low, high;
  } rows[] = {
      {IDD_OUTPUT_SETTINGS, 0, IDC_OUT_GIF_UPSCALING, "24", 25, 500},
      {IDD_OUTPUT_SETTINGS, 0, IDC_OUT_GIF_UPSCALING, "501", 25, 500},
      {IDD_SHARING_PRINTER_SETTINGS, IDC_OUT_PRINT_SETTINGS, IDC_SHARE_PRINT_LIMIT, "1001", 0, 1000},
      {IDD_ANIMATED_GIF_SETTINGS, IDC_OUT_GIF_SETTINGS, IDC_GIF_PHOTO_WIDTH, "9", 10, 10000},
      {IDD_FACEBOOK_SETTINGS, IDC_OUT_FACEBOOK_SETTINGS, IDC_FB_MAX_WIDTH, "99", 100, 5000},
      {IDD_TWITTER_SETTINGS, IDC_OUT_TWITTER_SETTINGS, IDC_TWITTER_MAX_HEIGHT, "99", 100, 5000},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.editId);
    ClearMessageBoxes();
    COutputSettingsDlg dialog;
    dialog.m_nPhotoboothOutput = 1;
    dialog.m_bPhotoboothGifCreate = dialog.m_bPrintOptionInSharingScreen = dialog.m_bPhotoboothFbUpload = TRUE;
    dialog.m_bEnableTwitter = TRUE;
    if (row.buttonId) {
      PushDialogScript(DialogScript(IDD_OUTPUT_SETTINGS).Press(row.buttonId).Press(IDOK));
      PushDialogScript(DialogScript(row.dialogId)
                           .SetText(row.editId, row.bad)
                           .Press(IDOK)
                           .Call([](CDialog* d) { EXPECT_TRUE(d->IsWindowVisible()); })
                           .Press(IDCANCEL));
    } else {
      PushDialogScript(DialogScript(IDD_OUTPUT_SETTINGS).SetText(row.editId, row.bad).Press(IDOK).Press(IDCANCEL));
    }
    EXPECT_EQ(dialog.DoModal(), row.buttonId ? IDOK : IDCANCEL);
    EXPECT_EQ(ShownTexts(), std::vector<std::string>{RangeMessage(row.low, row.high)});
  }
}

TEST_F(OutputSettingsDlgTest, LiveValuesAreWrittenOnOkOnlyAndSurviveTheHubsCopy) {
  g_nPhotoboothPrintPreviewX = 10;
  g_nPhotoboothPrintPreviewRotate = 270;
  g_nPhotoboothConfirmPrintingTimeout = 20;
  g_bPhotoboothConfirmPrintingTimeoutAction = FALSE;
  {
    COutputSettingsDlg dialog;
    dialog.m_bPhotoboothConfirmPrinting = TRUE;
    PushDialogScript(DialogScript(IDD_OUTPUT_SETTINGS)
                         .Call([](CDialog* d) {
                           EXPECT_EQ(Text(d, IDC_OUT_PREVIEW_X), "10");
                           EXPECT_EQ(Selection(d, IDC_OUT_ROTATION), 2);
                           EXPECT_EQ(Selection(d, IDC_OUT_TIMEOUT_ACTION), 1) << "stored 0 is \"Cancel\"";
                         })
                         .SetText(IDC_OUT_PREVIEW_X, "99")
                         .Press(IDCANCEL));
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_EQ(g_nPhotoboothPrintPreviewX, 10) << "Cancel writes nothing";
  }
  COutputSettingsDlg dialog;
  dialog.m_bPhotoboothConfirmPrinting = TRUE;
  PushDialogScript(DialogScript(IDD_OUTPUT_SETTINGS)
                       .SetText(IDC_OUT_PREVIEW_X, "99")
                       .SetText(IDC_OUT_PREVIEW_H, "480")
                       .Select(IDC_OUT_ROTATION, 3)
                       .SetText(IDC_OUT_TIMEOUT, "45")
                       .Select(IDC_OUT_TIMEOUT_ACTION, 0)
                       .Press(IDOK));
  ASSERT_EQ(dialog.DoModal(), IDOK);
  EXPECT_EQ(g_nPhotoboothPrintPreviewX, 99);
  EXPECT_EQ(g_nPhotoboothPrintPreviewH, 480);
  EXPECT_EQ(g_nPhotoboothPrintPreviewRotate, 180);
  EXPECT_EQ(g_nPhotoboothConfirmPrintingTimeout, 45);
  EXPECT_EQ(g_bPhotoboothConfirmPrintingTimeoutAction, 1);
}

TEST_F(OutputSettingsDlgTest, RotationsMapBetweenListsAndDegrees) {
  COutputSettingsDlg dialog;
  dialog.m_nPhotoboothOutput = 2;
  dialog.m_bPhotoboothFbUpload = dialog.m_bPhotoboothEmail = dialog.m_bEnableTwitter = TRUE;
  dialog.m_nPhotoboothFbRotate = 90;
  dialog.m_nPhotoboothEmailRotate = 0;
  dialog.m_nPhotoboothTwitterRotate = -1;
  PushDialogScript(DialogScript(IDD_OUTPUT_SETTINGS)
                       .Press(IDC_OUT_FACEBOOK_SETTINGS)
                       .Press(IDC_OUT_EMAIL_SETTINGS)
                       .Press(IDC_OUT_TWITTER_SETTINGS)
                       .Press(IDOK));
  PushDialogScript(DialogScript(IDD_FACEBOOK_SETTINGS)
                       .Call([](CDialog* d) { EXPECT_EQ(Selection(d, IDC_FB_ROTATION), 1); })
                       .Select(IDC_FB_ROTATION, 4)
                       .Press(IDOK));
  PushDialogScript(DialogScript(IDD_EMAIL_SETTINGS).Select(IDC_EMAIL_ROTATION, 2).Press(IDOK));
  PushDialogScript(DialogScript(IDD_TWITTER_SETTINGS)
                       .Call([](CDialog* d) {
                         EXPECT_EQ(Selection(d, IDC_TWITTER_ROTATION), -1) << "no \"same as preview\" entry here";
                         EXPECT_EQ(d->SendDlgItemMessage(IDC_TWITTER_ROTATION, CB_GETCOUNT), 4);
                       })
                       .Press(IDOK));
  ASSERT_EQ(dialog.DoModal(), IDOK);
  EXPECT_EQ(dialog.m_nPhotoboothFbRotate, -1);
  EXPECT_EQ(dialog.m_nPhotoboothEmailRotate, 270);
  EXPECT_EQ(dialog.m_nPhotoboothTwitterRotate, 0);
}

TEST_F(OutputSettingsDlgTest, CancelOnAPageLeavesTheHubsValues) {
  COutputSettingsDlg dialog;
  dialog.m_nPhotoboothOutput = 2;
  dialog.m_bPhotoboothEmail = TRUE;
  dialog.m_strPhotoboothEmailSubject = "Before";
  PushDialogScript(DialogScript(IDD_OUTPUT_SETTINGS).Press(IDC_OUT_EMAIL_SETTINGS).Press(IDOK));
  PushDialogScript(DialogScript(IDD_EMAIL_SETTINGS).SetText(IDC_EMAIL_SUBJECT, "After").Press(IDCANCEL));
  ASSERT_EQ(dialog.DoModal(), IDOK);
  EXPECT_EQ(dialog.m_strPhotoboothEmailSubject, "Before");
}

TEST_F(OutputSettingsDlgTest, ThumbnailAndCopyPagesShareTheirCheckWithTheHub) {
  COutputSettingsDlg dialog;
  dialog.m_nPhotoboothOutput = 1;
  dialog.m_bPhotoboothThumnailEnable = TRUE;
  PushDialogScript(DialogScript(IDD_OUTPUT_SETTINGS)
                       .SetCheck(IDC_OUT_COPY_JPEG, BST_CHECKED)
                       .Press(IDC_OUT_COPY_SETTINGS)
                       .Call([](CDialog* d) {
                         EXPECT_EQ(d->IsDlgButtonChecked(IDC_OUT_COPY_JPEG), static_cast<UINT>(BST_UNCHECKED));
                         EXPECT_FALSE(Enabled(d, IDC_OUT_COPY_SETTINGS));
                       })
                       .Press(IDC_OUT_THUMBNAIL_SETTINGS)
                       .Call([](CDialog* d) { EXPECT_FALSE(Enabled(d, IDC_OUT_THUMBNAIL_SETTINGS)); })
                       .Press(IDOK));
  PushDialogScript(DialogScript(IDD_COPY_JPEG_SETTINGS)
                       .Call([](CDialog* d) {
                         EXPECT_EQ(d->IsDlgButtonChecked(IDC_COPY_ENABLE), static_cast<UINT>(BST_CHECKED));
                         EXPECT_TRUE(Enabled(d, IDC_COPY_FOLDER));
                         EXPECT_FALSE(Enabled(d, IDC_OUTPUT_CROP_LEFT));
                       })
                       .SetCheck(IDC_OUTPUT_CROP, BST_CHECKED)
                       .Call([](CDialog* d) { EXPECT_TRUE(Enabled(d, IDC_OUTPUT_CROP_LEFT)); })
                       .SetText(IDC_OUTPUT_CROP_LEFT, "10001")
                       .Press(IDOK)
                       .SetText(IDC_OUTPUT_CROP_LEFT, "12")
                       .Press(IDC_COPY_BROWSE)
                       .SetCheck(IDC_COPY_ENABLE, BST_UNCHECKED)
                       .Call([](CDialog* d) {
                         EXPECT_FALSE(Enabled(d, IDC_COPY_FOLDER));
                         EXPECT_FALSE(Enabled(d, IDC_OUTPUT_CROP_LEFT));
                       })
                       .Press(IDOK));
  PushDialogScript(DialogScript(IDD_THUMBNAIL_SETTINGS)
                       .Call([](CDialog* d) { EXPECT_TRUE(Enabled(d, IDC_THUMB_X)); })
                       .SetCheck(IDC_THUMB_ENABLE, BST_UNCHECKED)
                       .Call([](CDialog* d) { EXPECT_FALSE(Enabled(d, IDC_THUMB_SHOW_AT_END)); })
                       .Press(IDOK));
  CommonDialogAnswer folder;
  folder.paths = {"/tmp/copies"};
  PushCommonDialogAnswer(folder);
  ASSERT_EQ(dialog.DoModal(), IDOK);
  EXPECT_FALSE(dialog.m_bPhotoboothCopyJpegPrint);
  EXPECT_FALSE(dialog.m_bPhotoboothThumnailEnable);
  EXPECT_TRUE(dialog.m_bPhotoboothCopyJpegPrintCrop);
  EXPECT_EQ(dialog.m_nPhotoboothCopyJpegPrintCropX, 12);
  EXPECT_EQ(dialog.m_strPhotoboothCopyJpegPrintDir, "/tmp/copies");
  EXPECT_EQ(ShownTexts(), std::vector<std::string>{RangeMessage(0, 10000)});
  std::vector<ShownCommonDialog> shown = GetShownCommonDialogs();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].kind, "folder");
  EXPECT_EQ(shown[0].title, "Select folder");
}

TEST_F(OutputSettingsDlgTest, MmsPageTrimsChecksAndScramblesItsAccount) {
  struct Row {
    const char* from;
    const char* prefix;
    const char* refusal;  // null: accepted
    int focus;
  } rows[] = {
      {"  +1 555 0100  ", " +44 ", nullptr, 0},
      {"15550100", "+1", "The Twilio messaging phone number must be in the form +12345678", IDC_MMS_FROM},
      {"   ", "+1", "Please enter the Twilio messaging phone number", IDC_MMS_FROM},
      {"+15550100", "44", "The country must be in the form +1 or +12", IDC_MMS_COUNTRY_PREFIX},
      {"+15550100", "", "Please enter the country prefix", IDC_MMS_COUNTRY_PREFIX},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.from);
    ClearMessageBoxes();
    CMmsSettingsDialog page;
    page.m_strMmsTwilioAuthToken = ScramblePassword("secret-token");
    page.m_strMmsTwilioAccountSID = "AC123";
    int focused = 0;
    PushDialogScript(DialogScript(IDD_MMS_SETTINGS)
                         .Call([](CDialog* d) { EXPECT_EQ(Text(d, IDC_MMS_AUTH_TOKEN), "secret-token"); })
                         .SetText(IDC_MMS_FROM, row.from)
                         .SetText(IDC_MMS_COUNTRY_PREFIX, row.prefix)
                         .Press(IDOK)
                         .Call([&focused](CDialog*) {
                           CWnd* focus = CWnd::GetFocus();
                           focused = focus ? focus->GetDlgCtrlID() : 0;
                         })
                         .Press(IDCANCEL));
    if (!row.refusal) {
      ASSERT_EQ(page.DoModal(), IDOK);
      EXPECT_EQ(page.m_strMmsTwilioFrom, "+1 555 0100");
      EXPECT_EQ(page.m_strMmsCountryPrefix, "+44");
      EXPECT_EQ(page.m_strMmsTwilioAuthToken, ScramblePassword("secret-token"));
      EXPECT_TRUE(GetShownMessageBoxes().empty());
      continue;
    }
    EXPECT_EQ(page.DoModal(), IDCANCEL);
    EXPECT_EQ(ShownTexts(), std::vector<std::string>{row.refusal});
    EXPECT_EQ(focused, row.focus);
  }
}

TEST_F(OutputSettingsDlgTest, LogChooserOffersCsvFilesAndFillsThePath) {
  CTwitterSettingsDlg page;
  page.m_bLogTwitterUploads = FALSE;
  CommonDialogAnswer chosen;
  chosen.paths = {"/tmp/logs/twitter.csv"};
  PushCommonDialogAnswer(chosen);
  PushDialogScript(DialogScript(IDD_TWITTER_SETTINGS)
                       .Call([](CDialog* d) { EXPECT_FALSE(Enabled(d, IDC_OUTPUT_LOG_BROWSE)); })
                       .SetCheck(IDC_OUTPUT_LOG_ENABLE, BST_CHECKED)
                       .Press(IDC_OUTPUT_LOG_BROWSE)
                       .Press(IDOK));
  ASSERT_EQ(page.DoModal(), IDOK);
  EXPECT_TRUE(page.m_bLogTwitterUploads);
  EXPECT_EQ(page.m_strLogTwitterPathname, "/tmp/logs/twitter.csv");
  std::vector<ShownCommonDialog> shown = GetShownCommonDialogs();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].kind, "save");
  EXPECT_EQ(shown[0].title, "Twitter log file");
  EXPECT_EQ(shown[0].filter, "CSV files (*.csv)|*.csv||");
}
