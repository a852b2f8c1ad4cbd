#include "config/PhotoboothProfiles.h"
#include "config/PhotoboothProfilesDlg.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/mfc/commondialog.h"
#include "platform/mfc/dialogscript.h"
#include "platform/win32/folders.h"

namespace {

TEST(PhotoboothProfilesTest, RequestsResolveLikeTheBoothExpects) {
  struct Row {
    const char* name;
    std::vector<int> set;
    int current, requested, expected;
  } rows[] = {
      {"only the current one, next", {5}, 5, kNextProfile, 0},
      {"only the current one, previous", {5}, 5, kPreviousProfile, 0},
      {"previous wraps backwards", {2, 17}, 2, kPreviousProfile, 17},
      {"next wraps forwards", {2, 17}, 17, kNextProfile, 2},
      {"next skips empty slots", {3, 9}, 3, 101, 9},
      {"none set", {}, 4, kNextProfile, 0},
      {"19 is no profile", {1}, 1, 19, 0},
      {"100 is no profile", {1}, 1, 100, 0},
      {"0 is no profile", {1}, 1, 0, 0},
      {"a number is used as it is, set or not", {1}, 1, 12, 12},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    CString paths[kProfileSlots];
    for (int n : row.set) paths[n - 1] = "/booth/profile.xml";
    EXPECT_EQ(ResolveProfileRequest(row.requested, row.current, paths), row.expected);
  }
}

TEST(PhotoboothProfilesTest, PlaceholdersUseSlashSeparatedFolders) {
  struct Row {
    const char* path;
    const char* images;
    std::string expected;
  } rows[] = {
      {"{photoboothSubdir}wedding.xml", "/srv/booth/images/", "/srv/booth/wedding.xml"},
      {"{photoboothSubDir}wedding.xml", "/srv/booth/images  ", "/srv/booth/wedding.xml"},
      {"{photoboothDir}/party.xml", "/srv/booth/images", "/srv/booth/images/party.xml"},
      {"{photoboothSubdir}x.xml", "/images", "/imagesx.xml"},
      {"{documents}/boothB/settings.xml", "/srv", GetDocumentsFolder() + "/boothB/settings.xml"},
      {"", "/srv", ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.path);
    EXPECT_EQ(std::string(ExpandProfilePath(row.path, row.images)), row.expected);
  }
}

class PhotoboothProfilesDlgTest : public testing::Test {
 protected:
  void SetUp() override {
    ClearDialogScripts();
    ClearCommonDialogAnswers();
  }
  void TearDown() override {
    ClearDialogScripts();
    ClearCommonDialogAnswers();
  }
};

TEST_F(PhotoboothProfilesDlgTest, DefaultListOffersNoneAndProfilesOneToEight) {
  struct Row {
    int stored;
    int select;  // -1: leave the list alone
    int expected;
  } rows[] = {{0, 8, 8}, {3, 0, 0}, {12, -1, 12}, {5, -1, 5}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.stored);
    CPhotoboothProfilesDlg dialog;
    dialog.m_nDefaultProfile = row.stored;
    DialogScript script(IDD_PHOTOBOOTH_PROFILES);
    script.Call([row](CDialog* d) {
      EXPECT_EQ(d->SendDlgItemMessage(IDC_PROFILES_DEFAULT, CB_GETCOUNT), 9);
      EXPECT_EQ(d->SendDlgItemMessage(IDC_PROFILES_DEFAULT, CB_GETCURSEL), row.stored <= 8 ? row.stored : -1);
    });
    if (row.select >= 0) script.Select(IDC_PROFILES_DEFAULT, row.select);
    script.Press(IDOK);
    PushDialogScript(script);
    ASSERT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.m_nDefaultProfile, row.expected);
  }
}

TEST_F(PhotoboothProfilesDlgTest, BrowseRowsFillTheirPathAndKeepTypedRows) {
  CPhotoboothProfilesDlg dialog;
  dialog.m_strProfiles[0] = "/old/one.xml";
  CommonDialogAnswer chosen;
  chosen.result = IDOK;
  chosen.paths = {"/srv/booth/eleven.xml"};
  PushCommonDialogAnswer(chosen);
  CommonDialogAnswer cancelled;
  cancelled.result = IDCANCEL;
  PushCommonDialogAnswer(cancelled);
  PushDialogScript(DialogScript(IDD_PHOTOBOOTH_PROFILES)
                       .Call([](CDialog* d) {
                         CString text;
                         d->GetDlgItemText(CPhotoboothProfilesDlg::PathEditId(1), text);
                         EXPECT_EQ(text, "/old/one.xml");
                       })
                       .SetText(CPhotoboothProfilesDlg::PathEditId(2), "/typed/two.xml")
                       .Press(CPhotoboothProfilesDlg::BrowseButtonId(11))
                       .Press(CPhotoboothProfilesDlg::BrowseButtonId(18))
                       .Call([](CDialog* d) {
                         CString text;
                         d->GetDlgItemText(1228, text);
                         EXPECT_EQ(text, "/srv/booth/eleven.xml");
                         d->GetDlgItemText(1210, text);
                         EXPECT_EQ(text, "/typed/two.xml");
                       })
                       .Press(IDOK));
  ASSERT_EQ(dialog.DoModal(), IDOK);
  EXPECT_EQ(dialog.m_strProfiles[10], "/srv/booth/eleven.xml");
  EXPECT_EQ(dialog.m_strProfiles[1], "/typed/two.xml");
  EXPECT_TRUE(dialog.m_strProfiles[17].IsEmpty());
  std::vector<ShownCommonDialog> shown = GetShownCommonDialogs();
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[0].title, "Select Photobooth Profile 11");
  EXPECT_EQ(shown[0].filter, "Photobooth settings (*.xml)|*.xml||");
  EXPECT_EQ(shown[1].title, "Select Photobooth Profile 18");
}

TEST_F(PhotoboothProfilesDlgTest, CancelKeepsTheCopies) {
  CPhotoboothProfilesDlg dialog;
  dialog.m_strProfiles[3] = "/keep.xml";
  PushDialogScript(DialogScript(IDD_PHOTOBOOTH_PROFILES)
                       .SetText(CPhotoboothProfilesDlg::PathEditId(4), "/changed.xml")
                       .Press(IDCANCEL));
  EXPECT_EQ(dialog.DoModal(), IDCANCEL);
  EXPECT_EQ(dialog.m_strProfiles[3], "/keep.xml");
}

}  // namespace
