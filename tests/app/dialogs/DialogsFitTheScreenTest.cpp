// Every dialog of the program, opened as its menu opens it, on the screen the suite runs on
// (1366x768 and 1024x768 offscreen, 1366x768 under Xvfb): its frame lies on the screen's free
// area and its default and cancel buttons can be seen and clicked.
#include <gtest/gtest.h>

#include <QDir>
#include <QGuiApplication>
#include <QPixmap>
#include <QRegularExpression>
#include <QScreen>
#include <QScrollArea>
#include <QWidget>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <string>

#include "app/AboutDlg.h"
#include "app/ImagePreviewDlg.h"
#include "app/ProgressDlg.h"
#include "app/ProgressDlg2.h"
#include "app/RenameImageDlg.h"
#include "app/Resource.h"
#include "camera/CameraSelectionDlg.h"
#include "camera/TimeLapseDlg.h"
#include "camera/ViewfinderDlg.h"
#include "config/AddTouchscreenActionDlg.h"
#include "config/AnimatedGifSettingsDialog.h"
#include "config/AutoBracketDlg.h"
#include "config/ColorMgtDlg.h"
#include "config/CopyJpegOutputSettings.h"
#include "config/EditCaptionDlg.h"
#include "config/EditorSetupDlg.h"
#include "config/EmailSettingsDlg.h"
#include "config/FacebookSettingsDlg.h"
#include "config/GreenscreenSettingsDlg.h"
#include "config/GridDlg.h"
#include "config/HighlightSettings.h"
#include "config/MmsSettingsDialog.h"
#include "config/MotionDlg.h"
#include "config/OutputSettingsDlg.h"
#include "config/PBShortcutBtnSetupDlg.h"
#include "config/PhotoboothProfilesDlg.h"
#include "config/PhotoboothSettingsDlg.h"
#include "config/PostProcessingDlg.h"
#include "config/PreferencesDlg.h"
#include "config/SharingPrinterSettingsDlg.h"
#include "config/SharpeningDlg.h"
#include "config/TemplateBrowserDlg.h"
#include "config/ThumbnailSettingsDlg.h"
#include "config/TouchscreenPreviewDlg.h"
#include "config/TouchscreenSettings.h"
#include "config/TwitterSettingsDlg.h"
#include "keyboard/KeyboardResource.h"
#include "photobooth/ConfirmPrintingDlg.h"
#include "photobooth/FolderPropPage.h"
#include "photobooth/FullscreenDlg.h"
#include "photobooth/TransparentOverlayDlg.h"
#include "photobooth/UiPropPage.h"
#include "platform/mfc/dialogscript.h"
#include "platform/mfc/propertysheet.h"
#include "platform/user/window_p.h"
#include "printlayout/PhotoPositionEditDlg.h"
#include "printlayout/PhotoboothCustomLayoutDlg.h"
#include "printlayout/PhotoboothPrinterSetupDlg.h"
#include "printlayout/PresetPrintLayoutsDlg.h"
#include "printlayout/PrinterPropPage.h"
#include "sharing/EmailServerSettingsDlg.h"
#include "sharing/QRCodeEditDlg.h"
#include "sharing/ResendEmailDlg.h"
#include "sharing/SharingResource.h"
#include "sharing/UploadDlg.h"

namespace fs = std::filesystem;

namespace {

/// How a template is shown. Windows that cover the screen or that their owner places and sizes
/// itself (the booth window, live view, the form inside the main window) are no dialog boxes.
enum class Shown { Dialog, WizardPage, OwnWindow };

struct DialogRow {
  const char* name;  // the template's id as the program spells it
  UINT id;
  Shown shown;
  /// Opens it modally, as its menu does; the pushed script checks it while it is open.
  std::function<void()> open;
};

template <typename Dialog, typename... Args>
std::function<void()> Modal(Args... args) {
  return [=] {
    Dialog dialog(args...);
    dialog.DoModal();
  };
}

template <typename Page>
std::function<void()> InWizard() {
  return [] {
    Page page;
    CPropertySheet sheet("Photobooth Setup Wizard");
    sheet.AddPage(&page);
    sheet.SetWizardMode();
    sheet.DoModal();
  };
}

std::function<void()> LayoutEditor() {
  return [] {
    CPhotoboothCustomLayoutDlg editor(nullptr, 3, 2);
    const std::string images = std::string(std::getenv("TAVORIN_APP_TEST_DIR")) + "/layout-images";
    fs::create_directories(images);
    editor.m_strImageDir = images.c_str();
    editor.DoModal();
  };
}

#define ROW(id, shown, open) {#id, id, Shown::shown, open}

std::vector<DialogRow> Rows() {
  const CArray<CameraChoiceItem> cameras;
  return {
      ROW(IDD_ABOUTBOX, Dialog, Modal<CAboutDlg>()),
      ROW(IDD_RENAME_IMAGE, Dialog, Modal<CRenameImageDlg>(CString("/tmp/IMG_0001.JPG"), nullptr)),
      ROW(IDD_PROGRESS, Dialog, Modal<CProgressDlg>(nullptr)),
      ROW(IDD_PROGRESS2, Dialog, Modal<CProgressDlg2>(nullptr)),
      ROW(IDD_TIME_LAPSE, Dialog, Modal<CTimeLapseDlg>(static_cast<CWnd*>(nullptr), std::function<void()>([] {}))),
      ROW(IDD_CAMERA_SELECTION, Dialog, Modal<CCameraSelectionDlg>(nullptr, cameras, 0)),
      ROW(IDD_POST_PROCESSING, Dialog, Modal<CPostProcessingDlg>(nullptr)),
      ROW(IDD_MOTION, Dialog, Modal<CMotionDlg>(nullptr)),
      ROW(IDD_EDIT_CAPTION, Dialog, Modal<CEditCaptionDlg>(nullptr)),
      ROW(IDD_EMAIL_SETTINGS, Dialog, Modal<CEmailSettingsDlg>(nullptr)),
      ROW(IDD_SHARING_PRINTER_SETTINGS, Dialog, Modal<CSharingPrinterSettingsDlg>(nullptr)),
      ROW(IDD_PREFERENCES, Dialog, Modal<CPreferencesDlg>(nullptr)),
      ROW(IDD_SHARPENING, Dialog, Modal<CSharpeningDlg>(nullptr)),
      ROW(IDD_PHOTOBOOTH_SETTINGS, Dialog, Modal<CPhotoboothSettingsDlg>(nullptr)),
      ROW(IDD_ADD_TOUCHSCREEN_ACTION, Dialog, Modal<CAddTouchscreenActionDlg>(nullptr)),
      ROW(IDD_COPY_JPEG_SETTINGS, Dialog, Modal<CCopyJpegOutputSettings>(nullptr)),
      ROW(IDD_COLOR_MANAGEMENT, Dialog, Modal<CColorMgtDlg>(nullptr)),
      ROW(IDD_TOUCHSCREEN_SETTINGS, Dialog, Modal<CTouchscreenSettings>(nullptr)),
      ROW(IDD_ANIMATED_GIF_SETTINGS, Dialog, Modal<CAnimatedGifSettingsDialog>(nullptr)),
      ROW(IDD_AUTO_BRACKET, Dialog, Modal<CAutoBracketDlg>(nullptr)),
      ROW(IDD_OUTPUT_SETTINGS, Dialog, Modal<COutputSettingsDlg>(nullptr)),
      ROW(IDD_TWITTER_SETTINGS, Dialog, Modal<CTwitterSettingsDlg>(nullptr)),
      ROW(IDD_THUMBNAIL_SETTINGS, Dialog, Modal<CThumbnailSettingsDlg>(nullptr)),
      ROW(IDD_GREENSCREEN_SETTINGS, Dialog, Modal<CGreenscreenSettingsDlg>(nullptr, 0)),
      ROW(IDD_FACEBOOK_SETTINGS, Dialog, Modal<CFacebookSettingsDlg>(nullptr)),
      ROW(IDD_TEMPLATE_BROWSER, Dialog, Modal<CTemplateBrowserDlg>(nullptr)),
      ROW(IDD_EDITOR_SETUP, Dialog, Modal<CEditorSetupDlg>(nullptr)),
      ROW(IDD_PB_SHORTCUT_BUTTONS, Dialog, Modal<CPBShortcutBtnSetupDlg>(nullptr)),
      ROW(IDD_MMS_SETTINGS, Dialog, Modal<CMmsSettingsDialog>(nullptr)),
      ROW(IDD_GRID, Dialog, Modal<CGridDlg>(nullptr)),
      ROW(IDD_PHOTOBOOTH_PROFILES, Dialog, Modal<CPhotoboothProfilesDlg>(nullptr)),
      ROW(IDD_HIGHLIGHT_SETTINGS, Dialog, Modal<CHighlightSettings>(nullptr)),
      ROW(IDD_PHOTO_POSITION, Dialog, Modal<CPhotoPositionEditDlg>(nullptr)),
      ROW(IDD_PHOTOBOOTH_CUSTOM_LAYOUT, Dialog, LayoutEditor()),
      ROW(IDD_PRESET_PRINT_LAYOUTS, Dialog, Modal<CPresetPrintLayoutsDlg>(nullptr, 3, 2)),
      ROW(IDD_PHOTOBOOTH_PRINTER_SETUP, Dialog, Modal<CPhotoboothPrinterSetupDlg>(nullptr)),
      ROW(IDD_UPLOAD, Dialog, Modal<CUploadDlg>(nullptr, 0)),
      ROW(IDD_EMAIL_SERVER_SETTINGS, Dialog, Modal<CEmailServerSettingsDlg>(nullptr)),
      ROW(IDD_QRCODE_TEXT, Dialog, Modal<CQRCodeEditDlg>(nullptr)),
      ROW(IDD_RESEND_EMAIL, Dialog, Modal<CResendEmailDlg>(nullptr)),
      ROW(IDD_RESENDING_EMAILS, Dialog, Modal<CResendingEmailsDlg>(EmailResendJob{}, nullptr)),
      ROW(IDD_UI_PROP_PAGE, WizardPage, InWizard<CUiPropPage>()),
      ROW(IDD_FOLDER_PROP_PAGE, WizardPage, InWizard<CFolderPropPage>()),
      ROW(IDD_PRINTER_PROP_PAGE, WizardPage, InWizard<CPrinterPropPage>()),
      // Screens of the booth and windows their owner places and sizes.
      ROW(IDD_MYQUILLET_FORM, OwnWindow, nullptr),
      ROW(IDD_IMAGE_PREVIEW, OwnWindow, nullptr),
      ROW(IDD_BLANK, OwnWindow, nullptr),
      ROW(IDD_VIEWFINDER, OwnWindow, nullptr),
      ROW(IDD_TOUCHSCREEN_PREVIEW, OwnWindow, nullptr),
      ROW(IDD_KEYBOARD, OwnWindow, nullptr),
      ROW(IDD_MYMESSAGEBOX, OwnWindow, nullptr),
      ROW(IDD_CONFIRM_PRINTING, OwnWindow, nullptr),
      ROW(IDD_FULLSCREEN, OwnWindow, nullptr),
      ROW(IDD_TRANSPARENT_OVERLAY, OwnWindow, nullptr),
  };
}

#undef ROW

QRect FreeArea(QWidget* window) {
  QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
  return screen->availableGeometry();
}

QRect GlobalRect(QWidget* widget) { return QRect(widget->mapToGlobal(QPoint(0, 0)), widget->size()); }

// Inside a scrolled area a control is reached by scrolling; elsewhere it must be in sight.
bool Scrolled(QWidget* widget, QWidget* window) {
  for (QWidget* up = widget->parentWidget(); up && up != window; up = up->parentWidget())
    if (qobject_cast<QScrollArea*>(up)) return true;
  return false;
}

int DefaultButtonOf(const DlgTemplate& dialogTemplate) {
  for (const DlgItem& item : dialogTemplate.items)
    if (item.kind == DlgItemKind::DefButton) return item.id;
  return IDOK;
}

bool HasItem(const DlgTemplate& dialogTemplate, int id) {
  for (const DlgItem& item : dialogTemplate.items)
    if (item.id == id) return true;
  return false;
}

/// Checks the open dialog; `buttons` are the ones that must be in sight.
void ExpectOnScreen(CDialog* dialog, const std::vector<int>& buttons) {
  QWidget* window = user_p::WidgetOf(dialog->m_hWnd);
  ASSERT_NE(window, nullptr);
  ASSERT_TRUE(window->isVisible());
  const QRect area = FreeArea(window);
  const QRect frame = window->frameGeometry();
  EXPECT_TRUE(area.contains(frame)) << "frame " << frame.x() << "," << frame.y() << " " << frame.width() << "x"
                                    << frame.height() << " on " << area.width() << "x" << area.height();
  EXPECT_GE(frame.left(), area.left());
  EXPECT_GE(frame.top(), area.top());
  for (int id : buttons) {
    SCOPED_TRACE(id);
    QWidget* button = user_p::WidgetOf(::GetDlgItem(dialog->m_hWnd, id));
    ASSERT_NE(button, nullptr);
    EXPECT_TRUE(button->isVisible());
    EXPECT_FALSE(Scrolled(button, window)) << "the button row scrolls away";
    // Wholly in sight: nothing of it clipped by its parents, and on the screen.
    EXPECT_EQ(button->visibleRegion().boundingRect(), button->rect());
    EXPECT_TRUE(area.contains(GlobalRect(button)));
  }
  // Every other control shown is in sight too, or inside an area that scrolls to it.
  for (QWidget* control : window->findChildren<QWidget*>()) {
    HWND hWnd = user_p::HwndOf(control);
    if (!hWnd || !control->isVisible() || Scrolled(control, window)) continue;
    EXPECT_TRUE(QRect(QPoint(0, 0), window->size()).contains(QRect(control->mapTo(window, QPoint(0, 0)), control->size())))
        << "control " << ::GetDlgCtrlID(hWnd) << " cut off";
  }
}

class DialogsFitTheScreenTest : public testing::Test {
 protected:
  void SetUp() override { ClearDialogScripts(); }
  void TearDown() override { ClearDialogScripts(); }
};

TEST_F(DialogsFitTheScreenTest, TheScreenIsTheOneAskedFor) {
  const char* asked = std::getenv("TAVORIN_TEST_SCREEN");
  if (!asked) GTEST_SKIP() << "the screen of the display";
  QSize size = QGuiApplication::primaryScreen()->availableGeometry().size();
  EXPECT_EQ(std::to_string(size.width()) + "x" + std::to_string(size.height()), asked);
}

TEST_F(DialogsFitTheScreenTest, EveryDialogOpensWhollyOnTheScreenWithItsButtonsInSight) {
  for (const DialogRow& row : Rows()) {
    if (row.shown == Shown::OwnWindow) continue;
    SCOPED_TRACE(row.name);
    bool checked = false;
    const UINT scriptFor = row.shown == Shown::WizardPage ? AFX_IDD_PROPSHEET : row.id;
    PushDialogScript(DialogScript(scriptFor).Call([&](CDialog* dialog) {
      checked = true;
      const DlgTemplate* dialogTemplate = AfxFindDialogTemplate(scriptFor);
      ASSERT_NE(dialogTemplate, nullptr);
      std::vector<int> buttons;
      if (row.shown == Shown::WizardPage) {
        // Finish takes Next's place on the last page.
        HWND finish = ::GetDlgItem(dialog->m_hWnd, ID_WIZFINISH);
        buttons = {finish && ::IsWindowVisible(finish) ? ID_WIZFINISH : ID_WIZNEXT, IDCANCEL};
      } else {
        buttons.push_back(DefaultButtonOf(*dialogTemplate));
        if (HasItem(*dialogTemplate, IDCANCEL)) buttons.push_back(IDCANCEL);
        if (!HasItem(*dialogTemplate, buttons.front())) buttons.erase(buttons.begin());
      }
      ExpectOnScreen(dialog, buttons);
    }));
    row.open();
    EXPECT_TRUE(checked) << "the dialog did not open";
    EXPECT_NE(AfxFindDialogTemplate(row.id), nullptr) << "the row opened another dialog";
    ClearDialogScripts();
  }
}

// A template added to the program must join the table above.
TEST_F(DialogsFitTheScreenTest, TheTableHoldsEveryTemplateOfTheProgram) {
  std::set<std::string> inTable;
  for (const DialogRow& row : Rows()) inTable.insert(row.name);
  const QRegularExpression define(R"(^\s*#define\s+(IDD_\w+)\s)", QRegularExpression::MultilineOption);
  std::set<std::string> inSource;
  for (const char* folder : {"app", "camera", "config", "keyboard", "photobooth", "printlayout", "sharing"}) {
    for (const auto& entry : fs::recursive_directory_iterator(fs::path(TAVORIN_SOURCE_DIR) / folder)) {
      if (entry.path().extension() != ".h") continue;
      std::ifstream in(entry.path());
      const QString text = QString::fromStdString(std::string(std::istreambuf_iterator<char>(in), {}));
      for (auto match = define.globalMatch(text); match.hasNext();) inSource.insert(match.next().captured(1).toStdString());
    }
  }
  EXPECT_GT(inSource.size(), 40u);
  for (const std::string& name : inSource) EXPECT_TRUE(inTable.count(name)) << name << " is not in the table";
  for (const std::string& name : inTable) EXPECT_TRUE(inSource.count(name)) << name << " is no longer a template";
}

// Pictures of the three largest dialogs on a real display, for a look by hand.
TEST_F(DialogsFitTheScreenTest, XvfbScreenshotsOfTheLargestDialogs) {
  if (QGuiApplication::platformName() != "xcb") GTEST_SKIP() << "needs a real X display";
  const QString folder = QString::fromUtf8(TAVORIN_BINARY_DIR) + "/test-output";
  QDir().mkpath(folder);
  struct Shot {
    UINT id;
    const char* file;
  };
  for (const Shot& shot : {Shot{IDD_PHOTOBOOTH_SETTINGS, "photobooth-settings-1366x768.png"},
                           Shot{IDD_PHOTOBOOTH_CUSTOM_LAYOUT, "layout-editor-1366x768.png"},
                           Shot{IDD_OUTPUT_SETTINGS, "output-settings-1366x768.png"}}) {
    SCOPED_TRACE(shot.file);
    for (const DialogRow& row : Rows()) {
      if (row.id != shot.id) continue;
      bool saved = false;
      PushDialogScript(DialogScript(row.id)
                           .RunUntil([start = GetTickCount64()] { return GetTickCount64() - start > 300; })
                           .Call([&](CDialog* dialog) {
                             QWidget* window = user_p::WidgetOf(dialog->m_hWnd);
                             ASSERT_NE(window, nullptr);
                             ExpectOnScreen(dialog, {IDOK, IDCANCEL});
                             QScreen* screen = window->screen();
                             saved = screen->grabWindow(0).save(folder + "/" + shot.file);
                           }));
      row.open();
      EXPECT_TRUE(saved);
    }
  }
}

}  // namespace
