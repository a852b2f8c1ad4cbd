// Screenshots of the booth window on a real X display (Xvfb), grabbed from the whole screen.
// Skipped unless the window layer runs on xcb.
#include <QBuffer>
#include <QGuiApplication>
#include <QPainter>
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

TEST_F(BoothXvfbScreenshotTest, BoothXvfbScreenshotOfAKeyedLivePicture) {
  QSize screen = QGuiApplication::primaryScreen()->size();
  std::filesystem::path folder = FreshBoothFolder("xvfb-liveview");
  // A designed ready screen: dark blue with a lighter band at the bottom.
  QImage ready(screen, QImage::Format_RGB32);
  ready.fill(QColor(20, 30, 90));
  QPainter(&ready).fillRect(0, screen.height() * 3 / 4, screen.width(), screen.height() / 4, QColor(60, 80, 160));
  ASSERT_TRUE(ready.save(QString::fromStdString((folder / "ready.jpg").string()), "JPG", 92));
  // The background replacing the green: a sunset, orange at the top to purple at the bottom.
  QImage background(1280, 720, QImage::Format_RGB32);
  for (int y = 0; y < 720; ++y)
    for (int x = 0; x < 1280; ++x) background.setPixel(x, y, qRgb(250 - y / 6, 140 - y / 8, 40 + y / 5));
  ASSERT_TRUE(background.save(QString::fromStdString((folder / "greenscreen_background.jpg").string()), "JPG", 92));
  // The overlay: a white frame 12 pixels wide, clear inside.
  QImage overlay(640, 480, QImage::Format_ARGB32);
  overlay.fill(Qt::transparent);
  {
    QPainter painter(&overlay);
    painter.setPen(QPen(QColor(255, 255, 255, 230), 24));
    painter.drawRect(0, 0, 640, 480);
  }
  ASSERT_TRUE(overlay.save(QString::fromStdString((folder / "greenscreen_overlay.png").string()), "PNG"));
  // The camera's frame: a person-like shape in front of a green screen.
  QImage frame(640, 480, QImage::Format_RGB32);
  frame.fill(QColor(30, 200, 40));
  {
    QPainter painter(&frame);
    painter.setBrush(QColor(170, 120, 90));
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(QPoint(320, 170), 70, 85);
    painter.setBrush(QColor(40, 60, 130));
    painter.drawRoundedRect(200, 270, 240, 230, 60, 60);
  }
  QByteArray jpeg;
  QBuffer buffer(&jpeg);
  buffer.open(QIODevice::WriteOnly);
  frame.save(&buffer, "JPG", 80);
  ASSERT_LE(jpeg.size(), LIVEVIEW_FRAME_MAX);

  // A connected camera: the screen's repaints draw the last live picture again.
  CMyQuilletView::s_nConnectSettleMs = 0;
  PushDialogScript(DialogScript().RunUntil([] { return false; }));
  m_view->StartCameraConnection();
  ClearDialogScripts();
  ASSERT_NE(nullptr, m_view->m_pCamera);
  m_view->m_strPhotoboothImagesDir = folder.string().c_str();
  m_view->m_bPhotoboothActive = true;
  m_view->m_bGreenScreenEnable = TRUE;
  CFullscreenDlg booth(m_view, 1);
  m_view->m_pFullscreenDlg = &booth;
  ASSERT_TRUE(booth.Create(IDD_FULLSCREEN, m_view));
  ASSERT_FALSE(booth.m_strGreenScreenBackground.IsEmpty());
  m_view->m_nGreenScreenGreenThreshold = 100;
  m_view->m_nGreenScreenRedPercentage = 180;
  m_view->m_nGreenScreenBluePercentage = 180;
  m_view->m_bPhotoboothMirrorLiveView = TRUE;
  m_view->m_nPhotoboothEvfMaxHeight = screen.height() / 2;
  m_view->m_nPhotoboothEvfYOffset = screen.height() / 8;
  struct {
    int maxHeight, yOffset;
  } settings{m_view->m_nPhotoboothEvfMaxHeight, m_view->m_nPhotoboothEvfYOffset};
  QImage shot;
  ULONGLONG until = GetTickCount64() + 15000;
  int centreX = screen.width() / 2, bandY = settings.yOffset + settings.maxHeight / 2;
  do {
    booth.OnLiveViewFrame(reinterpret_cast<const BYTE*>(jpeg.constData()), DWORD(jpeg.size()), 0);
    booth.DrawLiveViewFrame();
    Settle();
    shot = GrabScreen();
  } while (GetTickCount64() < until && shot.pixelColor(10, 10).blue() < 60);
  m_view->m_pFullscreenDlg = nullptr;
  booth.DestroyWindow();
  ASSERT_TRUE(shot.save(OutputPath("booth-liveview.png")));
  QImage band = shot.copy(booth.m_liveRect.x, booth.m_liveRect.y, booth.m_liveRect.width, booth.m_liveRect.height);
  int green = 0;
  for (int y = 0; y < band.height(); ++y)
    for (int x = 0; x < band.width(); ++x) {
      QColor c = band.pixelColor(x, y);
      green += c.green() > 150 && c.red() < 80 && c.blue() < 80;
    }
  EXPECT_LT(green, band.width() * band.height() / 100) << "no green screen left in the live picture";
  EXPECT_GT(shot.pixelColor(centreX - settings.maxHeight / 2, bandY).red(), 150) << "the sunset beside the subject";
  EXPECT_NEAR(90, shot.pixelColor(10, 10).blue(), 10) << "the ready screen around the band";
}

}  // namespace
