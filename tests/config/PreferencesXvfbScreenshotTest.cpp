// A screenshot of the preferences dialog on a real X display (Xvfb), grabbed from the whole
// screen into test-output/preferences.png. Skipped unless the window layer runs on xcb.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QWidget>
#include <ctime>
#include <filesystem>

#include "ConfigTestSupport.h"
#include "camera/CameraNaming.h"
#include "config/PreferencesDlg.h"
#include "platform/mfc/dialogscript.h"
#include "platform/win32/sync.h"

namespace {

time_t FixedNow() { return 1772719629; }  // a fixed day, so the example name is the same each run

// Lets the X server map and paint the window before the screen is read.
void Settle() {
  ULONGLONG until = GetTickCount64() + 500;
  while (GetTickCount64() < until) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

}  // namespace

TEST(PreferencesXvfbScreenshotTest, PreferencesXvfbScreenshot) {
  if (QGuiApplication::platformName() != "xcb") GTEST_SKIP() << "needs QT_QPA_PLATFORM=xcb (Xvfb)";
  ClearDialogScripts();
  SetCameraClock(FixedNow);
  CPreferencesDlg dialog;
  dialog.m_strDirectory = "/home/ann/Pictures/Tavorin";
  dialog.m_strFilenamePrefix = "IMG_";
  dialog.m_bYear = dialog.m_bMonth = TRUE;
  dialog.m_nMiddleBtnAction = 1;
  dialog.m_nMouseWheelAction = 1;
  dialog.m_bImageSettingsSupported = TRUE;
  QImage shot;
  QRect window;
  std::string example;
  PushDialogScript(DialogScript(IDD_PREFERENCES).Call([&](CDialog* d) {
    Settle();
    window = user_p::WidgetOf(d->m_hWnd)->frameGeometry();
    example = Text(d, IDC_PREF_EXAMPLE);
    shot = QGuiApplication::primaryScreen()->grabWindow(0).toImage();
  }).Press(IDCANCEL));
  dialog.DoModal();
  SetCameraClock(nullptr);
  std::string folder = std::string(TAVORIN_BINARY_DIR) + "/test-output";
  std::filesystem::create_directories(folder);
  ASSERT_FALSE(shot.isNull());
  ASSERT_TRUE(shot.save(QString::fromStdString(folder + "/preferences.png")));
  EXPECT_EQ(example.rfind("/home/ann/Pictures/Tavorin/", 0), 0u);
  EXPECT_GT(window.width(), 200);
  EXPECT_GT(window.height(), 200);
  // The dialog is drawn: its area is not one flat colour.
  QImage area = shot.copy(window.intersected(shot.rect()));
  QRgb first = area.pixel(area.width() / 2, 5);
  bool varied = false;
  for (int y = 0; y < area.height() && !varied; y += 3)
    for (int x = 0; x < area.width() && !varied; x += 3) varied = area.pixel(x, y) != first;
  EXPECT_TRUE(varied);
}
