// Screenshots of the booth window on a real X display (Xvfb), grabbed from the whole screen.
// Skipped unless the window layer runs on xcb.
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <filesystem>

#include "photobooth/FullscreenDlg.h"
#include "platform/mfc/dialogscript.h"
#include "tests/photobooth/BoothTestSupport.h"

namespace {

QString OutputPath(const char* name) {
  QString folder = QString::fromUtf8(TAVORIN_BINARY_DIR) + "/test-output";
  std::filesystem::create_directories(folder.toStdString());
  return folder + "/" + name;
}

// Lets the X server map and paint the windows before the screen is read.
void Settle() {
  ULONGLONG until = GetTickCount64() + 700;
  while (GetTickCount64() < until) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

QImage GrabScreen() { return QGuiApplication::primaryScreen()->grabWindow(0).toImage(); }

int CountPixels(const QImage& image, QRgb colour) {
  int count = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) count += (image.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF);
  return count;
}

class BoothXvfbScreenshotTest : public ViewTestBase {
 protected:
  void SetUp() override {
    if (QGuiApplication::platformName() != "xcb") GTEST_SKIP() << "needs QT_QPA_PLATFORM=xcb (Xvfb)";
    ViewTestBase::SetUp();
  }
};

TEST_F(BoothXvfbScreenshotTest, BoothXvfbScreenshotOfTheCountdownOverTheReadyScreen) {
  QSize screen = QGuiApplication::primaryScreen()->size();
  std::filesystem::path folder = FreshBoothFolder("xvfb-booth");
  WriteJpeg(folder / "ready.jpg", screen.width(), screen.height(), QColor(128, 128, 128));
  m_view->m_strPhotoboothImagesDir = folder.string().c_str();
  m_view->m_bPhotoboothActive = true;
  CFullscreenDlg booth(m_view, 1);
  m_view->m_pFullscreenDlg = &booth;
  ASSERT_TRUE(booth.Create(IDD_FULLSCREEN, m_view));
  booth.SetCountdownText("Taking photo 1 of 4 in 3 secs");  // makes the overlay
  booth.SetCountdownText("Taking photo 1 of 4 in 3 secs");  // draws
  // A loaded X server maps and paints late: wait for the screen picture and the text.
  QImage shot;
  ULONGLONG until = GetTickCount64() + 15000;
  do {
    Settle();
    shot = GrabScreen();
  } while (GetTickCount64() < until &&
           (shot.pixelColor(10, 10).red() < 100 || CountPixels(shot, qRgb(255, 255, 255)) < 200));
  m_view->m_pFullscreenDlg = nullptr;
  booth.DestroyWindow();
  ASSERT_TRUE(shot.save(OutputPath("booth-countdown.png")));
  EXPECT_EQ(screen, shot.size());
  EXPECT_EQ(0, CountPixels(shot, qRgb(1, 2, 3))) << "the key colour is see-through";
  QColor corner = shot.pixelColor(10, 10);
  EXPECT_NEAR(128, corner.red(), 6) << "the grey ready screen shows around the text";
  int text = CountPixels(shot, qRgb(255, 255, 255));
  EXPECT_GT(text, 200) << "the white countdown text";
}

TEST_F(BoothXvfbScreenshotTest, BoothXvfbScreenshotOfThePlainViewer) {
  std::string photo = WriteTestPhoto("xvfb-viewer.jpg");
  m_view->m_images.emplace_back(CString(photo.c_str()));
  ASSERT_TRUE(m_view->ShowImage(0));
  QImage shot;
  PushDialogScript(DialogScript(IDD_FULLSCREEN).Call([&](CDialog* dialog) {
    auto* viewer = static_cast<CFullscreenDlg*>(dialog);
    PumpUntil([&] { return viewer->m_pPreviewBitmap != nullptr; }, 10000);
    Settle();
    shot = GrabScreen();
    viewer->EndDialog(2);
  }));
  m_view->OnFullScreen();
  ASSERT_TRUE(shot.save(OutputPath("booth-viewer.png")));
  QSize screen = QGuiApplication::primaryScreen()->size();
  EXPECT_EQ(QColor(0, 0, 0), shot.pixelColor(5, 5)) << "black around the photo";
  QImage middle = shot.copy(screen.width() / 2 - 50, screen.height() / 2 - 50, 100, 100);
  EXPECT_LT(CountPixels(middle, qRgb(0, 0, 0)), 5000) << "the photo in the middle";
}

}  // namespace
