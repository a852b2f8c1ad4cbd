#include "photobooth/PhotoboothSetupWizard.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QWidget>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <string>

#include "BoothTestSupport.h"
#include "app/Resource.h"
#include "config/PhotoboothSettingsFile.h"
#include "photobooth/FolderPropPage.h"
#include "photobooth/UiPropPage.h"
#include "platform/mfc/dialogscript.h"
#include "platform/user/window_p.h"
#include "platform/win32/folders.h"
#include "printlayout/PresetPrintLayoutsDlg.h"
#include "support/ProgramGlobals.h"

namespace fs = std::filesystem;

namespace {

void Settle() {
  for (int i = 0; i < 5; ++i) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

std::string ImagesParent() { return GetDocumentsFolder() + "/PhotoboothImages"; }

void ClickWidget(QWidget* widget) {
  QPointF centre(widget->width() / 2.0, widget->height() / 2.0);
  QMouseEvent press(QEvent::MouseButtonPress, centre, widget->mapToGlobal(centre), Qt::LeftButton, Qt::LeftButton,
                    Qt::NoModifier);
  QMouseEvent release(QEvent::MouseButtonRelease, centre, widget->mapToGlobal(centre), Qt::LeftButton, Qt::NoButton,
                      Qt::NoModifier);
  QApplication::sendEvent(widget, &press);
  QApplication::sendEvent(widget, &release);
}

class PhotoboothSetupWizardTest : public ViewTestBase {
 protected:
  void SetUp() override {
    ViewTestBase::SetUp();
    ClearDialogScripts();
    std::error_code ignored;
    fs::remove_all(ImagesParent(), ignored);
  }
  void TearDown() override {
    ClearDialogScripts();
    ViewTestBase::TearDown();
  }
  // The check state of a control of the sheet's current page.
  static int CheckOf(CDialog* sheet, int id) {
    auto* wizard = static_cast<CPropertySheet*>(sheet);
    return wizard->GetActivePage()->IsDlgButtonChecked(id);
  }
};

TEST_F(PhotoboothSetupWizardTest, ScriptedThroughItsPagesTheWizardLeavesAWorkingBoothFolder) {
  SelectPdfPrinter(300);
  PushMessageBoxAnswer(IDOK);  // "All done..."
  PushMessageBoxAnswer(IDNO);  // e-mail server settings later
  PushDialogScript(DialogScript(AFX_IDD_PROPSHEET)
                       .Call([](CDialog*) { Settle(); })
                       .SetCheck(IDC_PRESET_SINGLE_STRIP3, 1)
                       .Press(ID_WIZNEXT)
                       .Call([](CDialog*) { Settle(); })
                       .SetText(IDC_FOLDER_PAGE_NAME, "  Booth ")
                       .Press(ID_WIZNEXT)
                       .Call([](CDialog*) { Settle(); })
                       .SetCheck(IDC_UI_TOUCHSCREEN, 0)
                       .SetCheck(IDC_UI_EMAIL, 1)  // ticks the touchscreen again
                       .SetCheck(IDC_UI_BACKGROUND, 1)
                       .SetText(IDC_UI_INACTIVITY, "45")
                       .Call([](CDialog* sheet) { EXPECT_EQ(BST_CHECKED, CheckOf(sheet, IDC_UI_TOUCHSCREEN)); })
                       .Press(ID_WIZFINISH));
  // Through the File menu, as the user picks it.
  QWidget* frame = user_p::WidgetOf(m_harness->m_frame->m_hWnd);
  QMenuBar* bar = frame->findChild<QMenuBar*>();
  ASSERT_NE(nullptr, bar);
  QAction* item = nullptr;
  for (QAction* top : bar->actions()) {
    if (!top->menu() || top->text() != "&File") continue;
    emit top->menu()->aboutToShow();  // the bar fills a pop-up as it opens
    for (QAction* action : top->menu()->actions())
      if (action->text() == "Photobooth Setup Wizard...") item = action;
  }
  ASSERT_NE(nullptr, item);
  ASSERT_TRUE(item->isEnabled());
  SHDeleteKeyA(HKEY_CURRENT_USER, kProductKey);
  item->trigger();
  Settle();
  {
    // In the registry at once, before any exit.
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, kProductKey, 0, KEY_READ, &key));
    DWORD images = 0;
    EXPECT_TRUE(ReadRegDword(key, "NumberOfPhotoboothImages", images));
    EXPECT_EQ(3u, images);
    RegCloseKey(key);
  }

  const std::string folder = ImagesParent() + "/Booth";
  std::set<std::string> files;
  for (const auto& entry : fs::directory_iterator(folder)) files.insert(entry.path().filename().string());
  for (const char* name : {"ready.jpg", "1.jpg", "2.jpg", "3.jpg", "taking.jpg", "release.jpg", "processing.jpg",
                           "printing_confirmed.jpg", "welcome.jpg", "camera_not_connected.jpg", "confirm_printing.jpg",
                           "share.jpg", "email_photo.jpg", "background.jpg", "settings.xml"}) {
    EXPECT_TRUE(files.count(name)) << name;
  }
  EXPECT_FALSE(files.count("4.jpg"));
  EXPECT_EQ(folder, std::string(m_view->m_strPhotoboothImageDir.str()));
  EXPECT_EQ(3, m_view->m_nNumberOfPhotoboothImages);
  EXPECT_EQ(45, m_view->m_nPhotoboothInactivityTimeout);
  EXPECT_EQ(5, g_nPresetLayout);

  ViewSettings loaded;
  PhotoboothFileReadResult result;
  CString error;
  ASSERT_TRUE(ReadPhotoboothSettingsFile((folder + "/settings.xml").c_str(), loaded, false, result, error));
  EXPECT_TRUE(result.hasPrinter);
  EXPECT_EQ(3, loaded.m_nNumberOfPhotoboothImages);
  EXPECT_TRUE(loaded.m_bPhotoboothEmail);

  // The booth on the new folder opens on its ready screen, the start button in its corner.
  m_view->m_bPhotoboothActive = true;
  auto booth = std::make_unique<CFullscreenDlg>(m_view, 1);
  m_view->m_pFullscreenDlg = booth.get();
  ASSERT_TRUE(booth->Create(IDD_FULLSCREEN, m_view));
  Settle();
  EXPECT_EQ(folder + "/ready.jpg", std::string(booth->m_strCurrentScreen.GetString()));
  ASSERT_NE(nullptr, booth->m_pScreenImage);
  {
    CDC dc;
    dc.CreateCompatibleDC(nullptr);
    CBitmap* old = dc.SelectObject(booth->m_pScreenImage.get());
    COLORREF start = dc.GetPixel(30, 100);  // inside the green start button
    dc.SelectObject(old);
    EXPECT_GT(GetGValue(start), 120);
    EXPECT_LT(GetRValue(start), 80);
  }
  m_view->m_pFullscreenDlg = nullptr;
  booth->DestroyWindow();
  booth.reset();
  m_view->m_bPhotoboothActive = false;

  auto boxes = GetShownMessageBoxes();
  ASSERT_EQ(2u, boxes.size());
  EXPECT_EQ(0u, boxes[0].text.find("All done. The photo booth images folder where screen and layout images are "
                                   "stored is:\n" + folder + "\n\nPhotos taken today will be saved in:\n"));
  EXPECT_EQ('/', boxes[0].text[boxes[0].text.find("saved in:\n") + 10]);
  EXPECT_EQ(std::string::npos, boxes[0].text.find("/\n\nPlease select"));
  EXPECT_EQ(0u, boxes[1].text.find("The email server settings have not been setup."));
  EXPECT_EQ("Tavorin", boxes[1].caption);
}

TEST_F(PhotoboothSetupWizardTest, ASettingsFileThatCannotBeWrittenIsReportedOnce) {
  SelectPdfPrinter(300);
  PushMessageBoxAnswer(IDOK);
  const std::string folder = ImagesParent() + "/Booth";
  PushDialogScript(DialogScript(AFX_IDD_PROPSHEET)
                       .Call([](CDialog*) { Settle(); })
                       .Press(ID_WIZNEXT)
                       .Call([](CDialog*) { Settle(); })
                       .SetText(IDC_FOLDER_PAGE_NAME, "Booth")
                       .Press(ID_WIZNEXT)
                       .Call([&](CDialog*) {
                         Settle();
                         // A folder where the settings file should go: the screens are
                         // written, the settings file is not.
                         fs::create_directories(folder + "/settings.xml");
                       })
                       .Press(ID_WIZFINISH));
  m_view->SendMessage(WM_COMMAND, MAKEWPARAM(ID_PHOTOBOOTH_SETUP_WIZARD, 0), 0);
  Settle();
  EXPECT_TRUE(fs::exists(folder + "/ready.jpg"));
  auto boxes = GetShownMessageBoxes();
  ASSERT_EQ(1u, boxes.size());
  EXPECT_EQ(static_cast<UINT>(MB_ICONERROR), boxes[0].icon);
  EXPECT_NE(std::string::npos, boxes[0].text.find("settings.xml")) << boxes[0].text;
  EXPECT_EQ("Tavorin", boxes[0].caption);
}

TEST_F(PhotoboothSetupWizardTest, FolderPageRefusesBadNamesAndOffersTheFirstFreeNumber) {
  fs::create_directories(ImagesParent() + "/Booth");
  fs::create_directories(ImagesParent() + "/Booth1");
  CFolderPropPage folderPage;
  CUiPropPage uiPage;
  CPropertySheet sheet("Photobooth Setup Wizard");
  sheet.AddPage(&folderPage);
  sheet.AddPage(&uiPage);
  sheet.SetWizardMode();
  std::vector<int> pages;
  auto where = [&](CDialog*) {
    Settle();
    pages.push_back(sheet.GetActiveIndex());
  };
  PushMessageBoxAnswer(IDOK);
  PushMessageBoxAnswer(IDOK);
  PushMessageBoxAnswer(IDNO);   // not the free name: stay
  PushMessageBoxAnswer(IDYES);  // then take it
  PushDialogScript(DialogScript(AFX_IDD_PROPSHEET)
                       .Call([&](CDialog*) {
                         Settle();
                         CString parent;
                         folderPage.GetDlgItemText(IDC_FOLDER_PAGE_PARENT, parent);
                         EXPECT_EQ(ImagesParent(), std::string(parent.str()));
                       })
                       .SetText(IDC_FOLDER_PAGE_NAME, "   ")
                       .Press(ID_WIZNEXT)
                       .SetText(IDC_FOLDER_PAGE_NAME, "a:b")
                       .Press(ID_WIZNEXT)
                       .SetText(IDC_FOLDER_PAGE_NAME, "Booth")
                       .Press(ID_WIZNEXT)
                       .Call(where)
                       .Press(ID_WIZNEXT)
                       .Call(where)
                       .Press(IDCANCEL));
  EXPECT_EQ(IDCANCEL, sheet.DoModal());
  EXPECT_EQ((std::vector<int>{0, 1}), pages);
  auto boxes = GetShownMessageBoxes();
  ASSERT_EQ(4u, boxes.size());
  EXPECT_EQ("Please enter the folder name", boxes[0].text);
  EXPECT_EQ("The folder name can't contain any of the following characters:\n/\\:*?\"<>|", boxes[1].text);
  EXPECT_EQ(static_cast<UINT>(MB_ICONWARNING), boxes[1].icon);
  const std::string question = "Folder: " + ImagesParent() + "/Booth\nalready exists.\n\nDo you want to use this folder "
                               "instead?\n" + ImagesParent() + "/Booth2";
  EXPECT_EQ(question, boxes[2].text);
  EXPECT_EQ(question, boxes[3].text);
  EXPECT_EQ(static_cast<UINT>(MB_YESNO), boxes[3].buttons);
  EXPECT_EQ(ImagesParent() + "/Booth2", std::string(folderPage.m_strFolder.str()));
  // Cancel made nothing.
  EXPECT_FALSE(fs::exists(ImagesParent() + "/Booth2"));
}

TEST_F(PhotoboothSetupWizardTest, TouchscreenCouplesFacebookAndEmailButNotTwitterOrMms) {
  CUiPropPage uiPage;
  CPropertySheet sheet("Photobooth Setup Wizard");
  sheet.AddPage(&uiPage);
  sheet.SetWizardMode();
  uiPage.m_b3to2 = TRUE;
  struct Row {
    std::vector<std::pair<int, int>> clicks;  // control, state wanted
    int touch, facebook, email, twitter, mms;
  } rows[] = {
      {{{IDC_UI_FACEBOOK, 1}, {IDC_UI_EMAIL, 1}, {IDC_UI_TOUCHSCREEN, 0}}, 0, 0, 0, 0, 0},
      {{{IDC_UI_TOUCHSCREEN, 0}, {IDC_UI_FACEBOOK, 1}}, 1, 1, 0, 0, 0},
      {{{IDC_UI_TOUCHSCREEN, 0}, {IDC_UI_EMAIL, 1}}, 1, 0, 1, 0, 0},
      {{{IDC_UI_TOUCHSCREEN, 0}, {IDC_UI_TWITTER, 1}, {IDC_UI_MMS, 1}}, 0, 0, 0, 1, 1},
      {{{IDC_UI_TWITTER, 1}, {IDC_UI_MMS, 1}, {IDC_UI_TOUCHSCREEN, 0}}, 0, 0, 0, 1, 1},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.clicks.size());
    DialogScript script(AFX_IDD_PROPSHEET);
    script.Call([](CDialog* s) {
      Settle();
      // A fresh page shows the starting values.
      CPropertyPage* page = static_cast<CPropertySheet*>(s)->GetActivePage();
      page->CheckDlgButton(IDC_UI_TOUCHSCREEN, BST_CHECKED);
      for (int id : {IDC_UI_FACEBOOK, IDC_UI_EMAIL, IDC_UI_TWITTER, IDC_UI_MMS}) page->CheckDlgButton(id, BST_UNCHECKED);
    });
    for (auto [id, state] : row.clicks) script.SetCheck(id, state);
    script.Press(ID_WIZFINISH);
    PushDialogScript(script);
    EXPECT_EQ(ID_WIZFINISH, sheet.DoModal());
    EXPECT_EQ(row.touch, uiPage.m_bTouchscreen);
    EXPECT_EQ(row.facebook, uiPage.m_bFacebook);
    EXPECT_EQ(row.email, uiPage.m_bEmail);
    EXPECT_EQ(row.twitter, uiPage.m_bTwitter);
    EXPECT_EQ(row.mms, uiPage.m_bMms);
    EXPECT_TRUE(uiPage.m_b3to2);
  }
  // The time-out stays within 0..999.
  ClearMessageBoxes();
  PushDialogScript(DialogScript(AFX_IDD_PROPSHEET)
                       .SetText(IDC_UI_INACTIVITY, "1000")
                       .Press(ID_WIZFINISH)
                       .Call([&](CDialog*) { EXPECT_EQ(0, sheet.GetActiveIndex()); })
                       .Press(IDCANCEL));
  EXPECT_EQ(IDCANCEL, sheet.DoModal());
  ASSERT_EQ(1u, GetShownMessageBoxes().size());
  EXPECT_EQ("Please enter an integer between 0 and 999.", GetShownMessageBoxes()[0].text);
}

TEST_F(PhotoboothSetupWizardTest, FormButtonShowsByItsFlagAndOpensTheWizard) {
  HWND button = ::GetDlgItem(m_view->m_hWnd, IDC_PHOTOBOOTH_SETUP_WIZARD);
  ASSERT_NE(nullptr, button);
  PhotoboothShortcutButton* entry = nullptr;
  for (PhotoboothShortcutButton& each : g_photoboothShortcutButtons)
    if (each.id == IDC_PHOTOBOOTH_SETUP_WIZARD) entry = &each;
  ASSERT_NE(nullptr, entry);
  const BOOL kept = entry->shown;
  entry->shown = FALSE;
  m_view->LayoutOptionButtons();
  EXPECT_FALSE(::IsWindowVisible(button));
  entry->shown = TRUE;
  m_view->LayoutOptionButtons();
  m_harness->m_frame->ShowWindow(SW_SHOW);
  Settle();
  EXPECT_TRUE(::IsWindowVisible(button));

  PushDialogScript(DialogScript(AFX_IDD_PROPSHEET).Press(IDCANCEL));
  ClickWidget(user_p::WidgetOf(button));
  Settle();
  entry->shown = kept;
  auto shown = GetShownDialogs();
  ASSERT_EQ(1u, shown.size());
  EXPECT_EQ(static_cast<UINT>(AFX_IDD_PROPSHEET), shown[0].templateId);
  EXPECT_EQ("Photobooth Setup Wizard", shown[0].caption);
  EXPECT_EQ(IDCANCEL, shown[0].result);
  EXPECT_FALSE(fs::exists(ImagesParent() + "/PhotoBooth"));
}

}  // namespace
