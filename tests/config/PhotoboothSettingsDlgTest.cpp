#include "config/PhotoboothSettingsDlg.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "config/EditCaptionDlg.h"
#include "config/OutputSettingsDlg.h"
#include "config/PhotoboothSettingsFile.h"
#include "keyboard/KeyboardGlobals.h"
#include "platform/mfc/winapp.h"
#include "printlayout/PhotoboothCustomLayoutDlg.h"
#include "printlayout/PrinterMargins.h"
#include "sharing/SharingResource.h"
#include "support/PasswordScrambler.h"
#include "tests/printlayout/PrintLayoutTestSupport.h"
#include "config/TouchscreenSettings.h"
#include "platform/mfc/commondialog.h"
#include "platform/mfc/dialogscript.h"
#include "platform/user/messagebox.h"
#include "platform/user/window.h"

namespace {

std::string Text(CDialog* dialog, int id) {
  CString text;
  dialog->GetDlgItemText(id, text);
  return text.GetString();
}

bool Enabled(CDialog* dialog, int id) { return dialog->GetDlgItem(id)->IsWindowEnabled() != FALSE; }

class PhotoboothSettingsDlgTest : public testing::Test {
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
  // Load pressed in the dialog, the file at `path` chosen, then Cancel: the boxes it showed.
  static std::vector<ShownMessageBox> LoadThenCancel(CPhotoboothSettingsDlg& dialog, const std::string& path) {
    CommonDialogAnswer load;
    load.paths = {path};
    PushCommonDialogAnswer(load);
    PushDialogScript(DialogScript(IDD_PHOTOBOOTH_SETTINGS).Press(IDC_PBS_LOAD).Press(IDCANCEL));
    dialog.DoModal();
    return GetShownMessageBoxes();
  }
};

TEST_F(PhotoboothSettingsDlgTest, OkTestsRunInOrderAndKeepTheDialogOpen) {
  struct Row {
    const char* name;
    BOOL custom;
    std::vector<std::pair<int, const char*>> edits;
    const char* message;  // NULL: OK passes
    int focus;
  } rows[] = {
      {"copies", FALSE, {{IDC_PBS_COPIES, "0"}}, "Error: number of copies must in the range 1 to 9", IDC_PBS_COPIES},
      {"rows", TRUE, {{IDC_PBS_ROWS, "0"}, {IDC_PBS_COPIES, "10"}}, "Error: number of copies must in the range 1 to 9",
       IDC_PBS_COPIES},
      {"rows alone", FALSE, {{IDC_PBS_ROWS, "21"}}, "Error: number of rows must in the range 1 to 20", IDC_PBS_ROWS},
      {"columns", FALSE, {{IDC_PBS_COLUMNS, "0"}}, "Error: number of columns must in the range 1 to 20",
       IDC_PBS_COLUMNS},
      {"processing", FALSE, {{IDC_PBS_MIN_PROCESSING, "121"}},
       "Error: minimum duration before closing 'processing' screen\nmust be in the range 0 to 120 seconds",
       IDC_PBS_MIN_PROCESSING},
      {"grid too small", FALSE, {{IDC_PBS_ROWS, "1"}, {IDC_PBS_COLUMNS, "1"}},
       "Not enough rows and columns to print all the images", 0},
      {"grid ignored with a custom layout", TRUE, {{IDC_PBS_ROWS, "1"}, {IDC_PBS_COLUMNS, "1"}}, nullptr, 0},
      {"border", FALSE, {{IDC_PBS_BORDER, "15.5"}}, "Border must be in the range 0 to 15mm", 0},
      {"border ignored with a custom layout", TRUE, {{IDC_PBS_BORDER, "-2"}}, nullptr, 0},
      {"interval", FALSE, {{IDC_PBS_INTERVAL, "31"}}, "Delay before each photo must be in the range 0 to 30 secs", 0},
      {"lag range", FALSE, {{IDC_PBS_INTERVAL, "30"}, {IDC_PBS_SHUTTER_LAG, "101"}},
       "Shutter lag must be in the range 0 to 100 tenths of a sec", 0},
      {"lag above interval", FALSE, {{IDC_PBS_INTERVAL, "2"}, {IDC_PBS_SHUTTER_LAG, "21"}},
       "Shutter lag must be less than the delay before each photo", 0},
      {"lag equal to interval", FALSE, {{IDC_PBS_INTERVAL, "2"}, {IDC_PBS_SHUTTER_LAG, "20"}}, nullptr, 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    ClearMessageBoxes();
    CPhotoboothSettingsDlg dialog;
    dialog.m_settings.m_bPhotoboothCustomLayout = row.custom;
    DialogScript script(IDD_PHOTOBOOTH_SETTINGS);
    for (const auto& edit : row.edits) script.SetText(edit.first, edit.second);
    script.Press(IDOK);
    if (row.message) {
      script.Call([&row](CDialog* d) {
        EXPECT_TRUE(d->IsWindowVisible());
        std::vector<ShownMessageBox> shown = GetShownMessageBoxes();
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown[0].text, row.message);
        EXPECT_EQ(shown[0].caption, "Tavorin");
        EXPECT_EQ(shown[0].icon, MB_ICONSTOP);
        if (row.focus) { EXPECT_EQ(::GetFocus(), d->GetDlgItem(row.focus)->m_hWnd); }
      });
      script.Press(IDCANCEL);
    }
    PushDialogScript(script);
    EXPECT_EQ(dialog.DoModal(), row.message ? IDCANCEL : IDOK);
    if (!row.message) { EXPECT_TRUE(GetShownMessageBoxes().empty()); }
  }
}

TEST_F(PhotoboothSettingsDlgTest, NegativePreviewTimeNeverLeavesTheDialog) {
  CPhotoboothSettingsDlg dialog;
  dialog.m_settings.m_nPhotoboothPreviewTime = -3;
  PushDialogScript(DialogScript(IDD_PHOTOBOOTH_SETTINGS)
                       .Call([](CDialog* d) { EXPECT_EQ(Text(d, IDC_PBS_PREVIEW_TIME), "0"); })
                       .SetText(IDC_PBS_PREVIEW_TIME, "-3")
                       .Press(IDOK));
  ASSERT_EQ(dialog.DoModal(), IDOK);
  EXPECT_EQ(dialog.m_settings.m_nPhotoboothPreviewTime, 0);
}

TEST_F(PhotoboothSettingsDlgTest, EnableRulesFollowTheirChecks) {
  CPhotoboothSettingsDlg dialog;
  dialog.m_settings.m_bPhotoboothCustomLayout = FALSE;
  dialog.m_settings.m_bPhotoboothEnableSharpening = TRUE;
  PushDialogScript(DialogScript(IDD_PHOTOBOOTH_SETTINGS)
                       .Call([](CDialog* d) {
                         EXPECT_TRUE(Enabled(d, IDC_PBS_ROWS));
                         EXPECT_FALSE(Enabled(d, IDC_PBS_CUSTOM_LAYOUT_SETTINGS));
                         EXPECT_TRUE(Enabled(d, IDC_PBS_SHARPEN_AMOUNT));
                         EXPECT_FALSE(Enabled(d, IDC_PBS_TOUCHSCREEN)) << "only the touchscreen start has areas";
                         EXPECT_TRUE(Enabled(d, IDC_PBS_OUTPUT_SETTINGS));
                       })
                       .SetCheck(IDC_PBS_CUSTOM_LAYOUT, BST_CHECKED)
                       .SetCheck(IDC_PBS_SHARPEN, BST_UNCHECKED)
                       .Call([](CDialog* d) {
                         for (int id : {IDC_PBS_ROWS, IDC_PBS_COLUMNS, IDC_PBS_BORDER, IDC_PBS_REPEAT, IDC_PBS_ROTATE,
                                        IDC_PBS_CROP})
                           EXPECT_FALSE(Enabled(d, id)) << id;
                         EXPECT_TRUE(Enabled(d, IDC_PBS_CUSTOM_LAYOUT_SETTINGS));
                         EXPECT_FALSE(Enabled(d, IDC_PBS_SHARPEN_AMOUNT));
                       })
                       .Select(IDC_PBS_START_OPTIONS, 5)
                       .Call([](CDialog* d) { EXPECT_TRUE(Enabled(d, IDC_PBS_TOUCHSCREEN)); })
                       .Select(IDC_PBS_START_OPTIONS, 4)
                       .Call([](CDialog* d) { EXPECT_FALSE(Enabled(d, IDC_PBS_TOUCHSCREEN)); })
                       .Select(IDC_PBS_START_OPTIONS, 5)
                       .Press(IDOK));
  ASSERT_EQ(dialog.DoModal(), IDOK);
  EXPECT_TRUE(dialog.m_settings.m_bPhotoboothCustomLayout);
  EXPECT_EQ(dialog.m_settings.m_nPhotoboothUseMouseToTrigger, 5);
}

TEST_F(PhotoboothSettingsDlgTest, SaveAsksAboutThePrinterAndLoadRefreshesTheControls) {
  std::string folder = std::string(std::getenv("TAVORIN_CONFIG_TEST_DIR")) + "/dialog-pair";
  std::filesystem::create_directories(folder);
  CPhotoboothSettingsDlg dialog;
  dialog.m_settings.m_nPhotoboothSharePreviewW = 640;
  dialog.m_settings.m_strPhotoboothCopyJpegPrintDir = "/carried/through";
  PushMessageBoxAnswer(IDNO);
  CommonDialogAnswer save;
  save.paths = {folder + "/without-printer"};
  PushCommonDialogAnswer(save);
  PushMessageBoxAnswer(IDYES);
  CommonDialogAnswer saveUpper;
  saveUpper.paths = {folder + "/with-printer.XML"};
  PushCommonDialogAnswer(saveUpper);
  CommonDialogAnswer load;
  load.paths = {folder + "/without-printer.xml"};
  PushCommonDialogAnswer(load);
  PushDialogScript(DialogScript(IDD_PHOTOBOOTH_SETTINGS)
                       .SetText(IDC_PBS_MESSAGE, "Smile in @secsToNextPhoto@")
                       .Press(IDC_PBS_SAVE)
                       .Press(IDC_PBS_SAVE)
                       .Call([](CDialog* d) {
                         auto* dialog = static_cast<CPhotoboothSettingsDlg*>(d);
                         dialog->m_settings.m_nPhotoboothSharePreviewW = 0;
                         dialog->m_settings.m_strPhotoboothCopyJpegPrintDir.Empty();
                       })
                       .SetText(IDC_PBS_MESSAGE, "changed")
                       .Press(IDC_PBS_LOAD)
                       .Call([](CDialog* d) { EXPECT_EQ(Text(d, IDC_PBS_MESSAGE), "Smile in @secsToNextPhoto@"); })
                       .Press(IDOK));
  ASSERT_EQ(dialog.DoModal(), IDOK);
  EXPECT_EQ(dialog.m_settings.m_nPhotoboothSharePreviewW, 640);
  EXPECT_EQ(dialog.m_settings.m_strPhotoboothCopyJpegPrintDir, "/carried/through");
  std::vector<ShownMessageBox> shown = GetShownMessageBoxes();
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[0].text, "Do you wish to save the current printer settings with the photo booth settings?");
  EXPECT_EQ(shown[0].icon, MB_ICONQUESTION);
  auto read = [](const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
  };
  std::string without = read(folder + "/without-printer.xml"), with = read(folder + "/with-printer.XML");
  EXPECT_NE(without.find("<photoboothSharePreviewW>640<"), std::string::npos);
  EXPECT_EQ(without.find("printerDevMode"), std::string::npos);
  EXPECT_NE(with.find("<printerDevMode>"), std::string::npos) << "\".XML\" gets no second extension";
  EXPECT_FALSE(std::filesystem::exists(folder + "/with-printer.XML.xml"));
  std::vector<ShownCommonDialog> dialogs = GetShownCommonDialogs();
  ASSERT_EQ(dialogs.size(), 3u);
  EXPECT_EQ(dialogs[0].title, "Save Photobooth Settings");
  EXPECT_EQ(dialogs[0].filter, "XML file (*.xml)|*.xml||");
  EXPECT_EQ(dialogs[2].title, "Load Photobooth Settings");
  EXPECT_EQ(dialogs[2].filter, "Photobooth settings (*.xml)|*.xml||");
}

TEST_F(PhotoboothSettingsDlgTest, LoadingAFirstVersionLayoutWarns) {
  std::string path = std::string(std::getenv("TAVORIN_CONFIG_TEST_DIR")) + "/first-version.xml";
  std::ofstream(path, std::ios::binary)
      << "<Tavorin version=\"1.0\"><photobooth_settings><photoboothCustomLayout>1</photoboothCustomLayout>"
         "<photoboothCustomDoubleStrip>1</photoboothCustomDoubleStrip><PhotoboothCustomLayout1><left>5</left>"
         "</PhotoboothCustomLayout1></photobooth_settings></Tavorin>";
  CPhotoboothSettingsDlg dialog;
  std::vector<ShownMessageBox> shown = LoadThenCancel(dialog, path);
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].text,
            "WARNING: The photobooth custom layout has changed in this version.\nPlease check your layout");
  EXPECT_EQ(shown[0].icon, MB_ICONEXCLAMATION);
  EXPECT_EQ(dialog.m_settings.m_layoutBoxes[0].image, 1);
}

TEST_F(PhotoboothSettingsDlgTest, LoadingAFileCutInHalfShowsTheReadErrorAndChangesNothing) {
  ViewSettings saved;
  saved.m_nNumberOfPhotoboothImages = 7;
  saved.m_nPhotoboothNumberOfColumns = 5;
  const std::string whole = BuildPhotoboothSettingsDocument(saved, true, nullptr).GetString();
  std::string path = std::string(std::getenv("TAVORIN_CONFIG_TEST_DIR")) + "/cut-in-half.xml";
  std::ofstream(path, std::ios::binary) << whole.substr(0, whole.size() / 2);
  CPhotoboothSettingsDlg dialog;
  const int images = dialog.m_settings.m_nNumberOfPhotoboothImages;
  const int columns = dialog.m_settings.m_nPhotoboothNumberOfColumns;
  std::vector<ShownMessageBox> shown = LoadThenCancel(dialog, path);
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].text, "Error reading file: " + path);
  EXPECT_EQ(shown[0].caption, "Tavorin");
  EXPECT_EQ(dialog.m_settings.m_nNumberOfPhotoboothImages, images);
  EXPECT_EQ(dialog.m_settings.m_nPhotoboothNumberOfColumns, columns);
}

TEST_F(PhotoboothSettingsDlgTest, CaptionsAndProfilesWorkOnCopies) {
  CPhotoboothSettingsDlg dialog;
  PushDialogScript(DialogScript(IDD_PHOTOBOOTH_SETTINGS)
                       .Press(IDC_PBS_EDIT_CAPTIONS)
                       .Press(IDC_PBS_PROFILES)
                       .Press(IDOK));
  PushDialogScript(DialogScript(IDD_EDIT_CAPTION)
                       .Call([](CDialog* d) { EXPECT_FALSE(d->GetDlgItem(IDC_EC_MOVE_TO_CENTER)->IsWindowVisible()); })
                       .SetText(IDC_EC_TEXT, "Anna & Ben")
                       .Press(IDOK));
  PushDialogScript(DialogScript(214).SetText(1212, "/booth/three.xml").Select(1039, 3).Press(IDOK));
  ASSERT_EQ(dialog.DoModal(), IDOK);
  EXPECT_EQ(dialog.m_settings.m_captions[0].m_strText, "Anna & Ben");
  EXPECT_EQ(dialog.m_settings.m_strPhotoboothProfiles[2], "/booth/three.xml");
  EXPECT_EQ(dialog.m_settings.m_nPhotoboothDefaultProfile, 3);
}


TEST_F(PhotoboothSettingsDlgTest, OutputSettingsComeBackOnlyWithOk) {
  for (bool ok : {true, false}) {
    SCOPED_TRACE(ok ? "OK" : "Cancel");
    CPhotoboothSettingsDlg dialog;
    ViewSettings& s = dialog.m_settings;
    s.m_nPhotoboothSaveJpegCopyOfPrints = 2;
    s.m_bPhotoboothEmail = TRUE;
    s.m_strPhotoboothEmailHost = "old.example.org";
    s.m_strPhotoboothFbAlbum = "Wedding";
    s.m_nMmsMaxWidth = 640;
    std::string albumShown;
    int outputShown = -1;
    PushDialogScript(DialogScript(IDD_PHOTOBOOTH_SETTINGS)
                         .Call([](CDialog* d) { EXPECT_TRUE(Enabled(d, IDC_PBS_OUTPUT_SETTINGS)); })
                         .Press(IDC_PBS_OUTPUT_SETTINGS)
                         .Press(IDOK));
    PushDialogScript(DialogScript(IDD_OUTPUT_SETTINGS)
                         .Call([&](CDialog* d) {
                           auto* hub = static_cast<COutputSettingsDlg*>(d);
                           albumShown = hub->m_strPhotoboothFbAlbum.GetString();
                           outputShown = static_cast<int>(d->SendDlgItemMessage(IDC_OUT_OUTPUT, CB_GETCURSEL));
                           EXPECT_TRUE(Enabled(d, IDC_OUT_EMAIL_SERVER));
                         })
                         .Select(IDC_OUT_OUTPUT, 1)
                         .SetCheck(IDC_OUT_FACEBOOK, BST_CHECKED)
                         .Press(IDC_OUT_EMAIL_SERVER)
                         .Press(ok ? IDOK : IDCANCEL));
    PushDialogScript(DialogScript(IDD_EMAIL_SERVER_SETTINGS)
                         .Call([](CDialog* d) { EXPECT_EQ(Text(d, IDC_ESS_HOST), "old.example.org"); })
                         .SetText(IDC_ESS_HOST, "smtp.example.org")
                         .SetText(IDC_ESS_USERNAME, "booth")
                         .SetText(IDC_ESS_PASSWORD, "secret")
                         .SetText(IDC_ESS_FROM, "booth@example.org")
                         .Press(IDOK));
    ASSERT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(albumShown, "Wedding");
    EXPECT_EQ(outputShown, 2);
    EXPECT_EQ(s.m_nMmsMaxWidth, 640);
    EXPECT_EQ(s.m_nPhotoboothSaveJpegCopyOfPrints, ok ? 1 : 2);
    EXPECT_EQ(s.m_bPhotoboothFbUpload, ok ? TRUE : FALSE);
    EXPECT_EQ(s.m_strPhotoboothEmailHost, ok ? "smtp.example.org" : "old.example.org");
    EXPECT_EQ(s.m_strPhotoboothEmailPassword, ok ? ScramblePassword("secret") : CString());
  }
}

TEST_F(PhotoboothSettingsDlgTest, CustomLayoutOpensTheEditorAndCancelGivesThePrinterBack) {
  SelectTestPrinter(1030, 1550, 300, 300, 1);
  for (bool ok : {true, false}) {
    SCOPED_TRACE(ok ? "OK" : "Cancel");
    CPhotoboothSettingsDlg dialog;
    ViewSettings& s = dialog.m_settings;
    s.m_bPhotoboothCustomLayout = FALSE;
    s.m_nNumberOfPhotoboothImages = 1;
    s.m_strPhotoboothImageDir = "/booth/images";
    for (PhotoboothCustomLayoutBox& box : s.m_layoutBoxes) box = {};
    s.m_layoutBoxes[0] = {1, 100, 100, 400, 300, 0};
    s.m_strQRcode = "https://example.org/";
    int photosShown = 0;
    std::string titleShown;
    bool importOffered = false;
    PushDialogScript(DialogScript(IDD_PHOTOBOOTH_SETTINGS)
                         .SetCheck(IDC_PBS_CUSTOM_LAYOUT, BST_CHECKED)
                         .Press(IDC_PBS_CUSTOM_LAYOUT_SETTINGS)
                         .Press(IDOK));
    PushDialogScript(DialogScript(IDD_PHOTOBOOTH_CUSTOM_LAYOUT)
                         .Call([&](CDialog* d) {
                           auto* editor = static_cast<CPhotoboothCustomLayoutDlg*>(d);
                           photosShown = editor->m_model.photos;
                           CString title;
                           d->GetWindowText(title);
                           titleShown = title.GetString();
                           importOffered = Enabled(d, IDC_LAYOUT_IMPORT);
                           // Another paper inside the editor: only OK may keep it.
                           SelectTestPrinter(1500, 1000, 300, 300, 1);
                         })
                         .SetText(kLayoutRowEdits[0][0], "150")
                         .Press(ok ? IDOK : IDCANCEL));
    ASSERT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(photosShown, 1);
    EXPECT_EQ(titleShown, "Photobooth Custom Layout: /booth/images");
    EXPECT_TRUE(importOffered) << "the editor got the template browser";
    EXPECT_TRUE(s.m_bPhotoboothCustomLayout);
    EXPECT_EQ(s.m_layoutBoxes[0].left, ok ? 150 : 100);
    EXPECT_EQ(s.m_layoutBoxes[0].right, ok ? 450 : 400);
    ApplicationPrinterInfo printer = ReadApplicationPrinter();
    if (ok)
      EXPECT_GT(printer.horzRes, 1700) << "the paper chosen inside the editor stays";
    else
      EXPECT_EQ(printer.horzRes, 1217) << "the paper from before the editor is back";
    SelectTestPrinter(1030, 1550, 300, 300, 1);
  }
}

}  // namespace

TEST_F(PhotoboothSettingsDlgTest, TheTouchscreenButtonEditsTheAreasAndKeyboardValuesOnlyOnOk) {
  for (int button : {IDOK, IDCANCEL}) {
    SCOPED_TRACE(button == IDOK ? "OK" : "Cancel");
    CPhotoboothSettingsDlg dialog;
    dialog.m_settings.m_nPhotoboothUseMouseToTrigger = 5;
    dialog.m_settings.m_touchscreenButtons[0] = {1, 10, 20, 30, 40};
    dialog.m_settings.m_nPhotoboothKeyboard = 1;
    dialog.m_settings.m_strPhotoboothImageDir = "/booth/screens";
    dialog.m_nKeyboardTimeout = 15;
    dialog.m_strExitPassword = "old";
    CString folderSeen;
    PushDialogScript(DialogScript(IDD_PHOTOBOOTH_SETTINGS)
                         .SetText(IDC_PBS_IMAGE_DIR, "/booth/typed")
                         .Press(IDC_PBS_TOUCHSCREEN)
                         .Press(IDOK));
    PushDialogScript(DialogScript(IDD_TOUCHSCREEN_SETTINGS)
                         .Call([&](CDialog* d) {
                           folderSeen = static_cast<CTouchscreenSettings*>(d)->m_strImagesFolder;
                           EXPECT_EQ(Text(d, TouchRowEdit(0, 3)), "40");
                           EXPECT_EQ(Text(d, IDC_TS_KEYBOARD_TIMEOUT), "15");
                         })
                         .SetText(TouchRowEdit(0, 3), "90")
                         .Select(IDC_TS_KEYBOARD, 3)
                         .SetText(IDC_TS_KEYBOARD_TIMEOUT, "25")
                         .SetText(IDC_TS_EXIT_PASSWORD, "new")
                         .Press(button));
    ASSERT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(folderSeen, CString("/booth/typed"));
    const bool taken = button == IDOK;
    EXPECT_EQ(dialog.m_settings.m_touchscreenButtons[0].bottom, taken ? 90 : 40);
    EXPECT_EQ(dialog.m_settings.m_touchscreenButtons[0].right, 30);
    EXPECT_EQ(dialog.m_settings.m_nPhotoboothKeyboard, taken ? 3 : 1);
    EXPECT_EQ(dialog.m_nKeyboardTimeout, taken ? 25 : 15);
    EXPECT_EQ(dialog.m_strExitPassword, CString(taken ? "new" : "old"));
  }
}
