#include <gtest/gtest.h>

#include <cstring>

#include "platform/mfc/colordialog.h"
#include "platform/mfc/commondialog.h"
#include "platform/mfc/filedialog.h"
#include "platform/mfc/fontdialog.h"
#include "platform/mfc/shlobj.h"

class CommonDialogTest : public ::testing::Test {
 protected:
  void SetUp() override { ClearCommonDialogAnswers(); }
  void TearDown() override { ClearCommonDialogAnswers(); }
};

TEST_F(CommonDialogTest, FileDialogGivesTheScriptedPathAndRecordsTitleAndFilter) {
  PushCommonDialogAnswer({IDOK, {"/tmp/booth/background.jpg"}});
  CFileDialog dialog(TRUE, nullptr, nullptr, OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST, "JPEG files (*.jpg)|*.jpg||");
  dialog.m_ofn.lpstrTitle = "Select background.jpg image";
  ASSERT_EQ(dialog.DoModal(), IDOK);
  EXPECT_EQ(dialog.GetPathName(), "/tmp/booth/background.jpg");
  EXPECT_EQ(dialog.GetFileName(), "background.jpg");
  EXPECT_EQ(dialog.GetFileExt(), "jpg");
  EXPECT_EQ(dialog.GetFileTitle(), "background");
  EXPECT_EQ(dialog.GetFolderPath(), "/tmp/booth");
  std::vector<ShownCommonDialog> shown = GetShownCommonDialogs();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].kind, "open");
  EXPECT_EQ(shown[0].title, "Select background.jpg image");
  EXPECT_EQ(shown[0].filter, "JPEG files (*.jpg)|*.jpg||");
}

TEST_F(CommonDialogTest, MultiSelectWalksEveryPathAndUnansweredDialogsCancel) {
  PushCommonDialogAnswer({IDOK, {"/a/1.jpg", "/a/2.jpg"}});
  CFileDialog dialog(TRUE, nullptr, nullptr, OFN_ALLOWMULTISELECT);
  ASSERT_EQ(dialog.DoModal(), IDOK);
  std::vector<CString> paths;
  for (POSITION pos = dialog.GetStartPosition(); pos;) paths.push_back(dialog.GetNextPathName(pos));
  ASSERT_EQ(paths.size(), 2u);
  EXPECT_EQ(paths[1], "/a/2.jpg");

  CFileDialog save(FALSE, "png");
  EXPECT_EQ(save.DoModal(), IDCANCEL);  // a test run answers nothing by itself
  EXPECT_EQ(save.GetPathName(), "");
}

TEST_F(CommonDialogTest, ColourFontAndFolderDialogs) {
  CommonDialogAnswer colour;
  colour.color = RGB(10, 20, 30);
  PushCommonDialogAnswer(colour);
  CColorDialog colourDialog(RGB(1, 2, 3));
  ASSERT_EQ(colourDialog.DoModal(), IDOK);
  EXPECT_EQ(colourDialog.GetColor(), RGB(10, 20, 30));
  CColorDialog cancelled(RGB(1, 2, 3));
  EXPECT_EQ(cancelled.DoModal(), IDCANCEL);
  EXPECT_EQ(cancelled.GetColor(), RGB(1, 2, 3));

  CommonDialogAnswer font;
  font.font.lfHeight = -32;  // 24 points at 96 dpi
  font.font.lfWeight = FW_BOLD;
  std::strcpy(font.font.lfFaceName, "Arial");
  PushCommonDialogAnswer(font);
  LOGFONTA initial{};
  CFontDialog fontDialog(&initial);
  ASSERT_EQ(fontDialog.DoModal(), IDOK);
  EXPECT_EQ(fontDialog.GetFaceName(), "Arial");
  EXPECT_EQ(fontDialog.GetSize(), 240);
  EXPECT_TRUE(fontDialog.IsBold());

  PushCommonDialogAnswer({IDOK, {"/tmp/Photos/Booth"}});
  char name[MAX_PATH] = {0};
  BROWSEINFOA info{nullptr, nullptr, name, "Select the photobooth folder", BIF_RETURNONLYFSDIRS, nullptr, 0, 0};
  LPITEMIDLIST item = SHBrowseForFolderA(&info);
  ASSERT_NE(item, nullptr);
  char path[MAX_PATH];
  EXPECT_TRUE(SHGetPathFromIDListA(item, path));
  EXPECT_STREQ(path, "/tmp/Photos/Booth");
  EXPECT_STREQ(name, "Booth");
  ILFree(item);
  EXPECT_EQ(SHBrowseForFolderA(&info), nullptr);  // unanswered: cancelled
  EXPECT_FALSE(SHGetPathFromIDListA(nullptr, path));
}

namespace {

int CALLBACK SelectStart(HWND hWnd, UINT message, LPARAM, LPARAM data) {
  if (message == BFFM_INITIALIZED) ::SendMessageA(hWnd, BFFM_SETSELECTION, TRUE, data);
  return 0;
}

}  // namespace

TEST_F(CommonDialogTest, FolderBrowserCallbackChoosesTheStartFolder) {
  PushCommonDialogAnswer({IDOK, {"/tmp/chosen"}});
  const char* start = "/tmp/booth/images";
  BROWSEINFOA info{};
  info.lpszTitle = "Select folder to save keyboard settings";
  info.ulFlags = BIF_RETURNONLYFSDIRS;
  info.lpfn = SelectStart;
  info.lParam = reinterpret_cast<LPARAM>(start);
  LPITEMIDLIST item = SHBrowseForFolderA(&info);
  ASSERT_NE(item, nullptr);
  char path[MAX_PATH] = {0};
  EXPECT_TRUE(SHGetPathFromIDListA(item, path));
  EXPECT_STREQ(path, "/tmp/chosen");
  ILFree(item);
  std::vector<ShownCommonDialog> shown = GetShownCommonDialogs();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].initialFolder, start);

  info.lpfn = nullptr;
  EXPECT_EQ(SHBrowseForFolderA(&info), nullptr) << "unanswered: cancelled";
  EXPECT_EQ(GetShownCommonDialogs().back().initialFolder, "");
}
