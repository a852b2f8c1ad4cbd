// Screenshots of the keyboard and the message box on a real X display (Xvfb), grabbed from
// the whole screen. Skipped unless the window layer runs on xcb.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QWidget>
#include <QDir>
#include <chrono>
#include <cstdio>

#include "KeyboardDialogTestSupport.h"
#include "keyboard/KeyboardResource.h"
#include "keyboard/MyMessageBox.h"
#include "platform/mfc/dialogscript.h"

namespace {

QString OutputPath(const char* name) {
  QString folder = QString::fromUtf8(TAVORIN_BINARY_DIR) + "/test-output";
  std::filesystem::create_directories(folder.toStdString());
  return folder + "/" + name;
}

// Lets the X server map and paint the windows before the screen is read.
void Settle() {
  ULONGLONG until = GetTickCount64() + 500;
  while (GetTickCount64() < until) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

QImage GrabScreen() { return QGuiApplication::primaryScreen()->grabWindow(0).toImage(); }

class XvfbScreenshotTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (QGuiApplication::platformName() != "xcb") GTEST_SKIP() << "needs QT_QPA_PLATFORM=xcb (Xvfb)";
    ClearDialogScripts();
  }
};

}  // namespace

TEST_F(XvfbScreenshotTest, KeyboardXvfbScreenshotOfEachKind) {
  for (int type : {KeyboardGeneral, KeyboardMessage, KeyboardMms}) {
    SCOPED_TRACE(type);
    CKeyboardDialog keyboard(nullptr, TRUE, type);
    keyboard.m_layoutFolder = QDir::tempPath().toStdString().c_str();
    if (type == KeyboardMessage) keyboard.Field(0).m_text = "Happy birthday,\nAnna!";
    QImage shot;
    QRect window;
    auto start = std::chrono::steady_clock::now();
    PushDialogScript(DialogScript(IDD_KEYBOARD).Call([&](CDialog* dialog) {
      auto* kb = static_cast<CKeyboardDialog*>(dialog);
      // Opened: composed, drawn and shown (the script runs once the window is up).
      auto opened = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
      std::printf("keyboard type %d at %dx%d opened in %lld ms\n", type, WidgetOfDialog(kb)->width(),
                  WidgetOfDialog(kb)->height(), static_cast<long long>(opened.count()));
      Settle();
      window = WidgetOfDialog(kb)->geometry();
      shot = GrabScreen();
    }));
    keyboard.DoModal();
    QString name = QString("keyboard-type%1.png").arg(type);
    ASSERT_TRUE(shot.save(OutputPath(name.toUtf8().constData())));
    QSize screen = QGuiApplication::primaryScreen()->size();
    EXPECT_EQ(shot.size(), screen);
    EXPECT_EQ(window, QRect(QPoint(0, 0), screen)) << "the keyboard covers the screen without a window manager";
    EXPECT_EQ(shot.pixelColor(2, 2), QColor(0, 0, 128)) << "navy background";
  }
}

TEST_F(XvfbScreenshotTest, MessageBoxXvfbScreenshotOverAFullScreenPicture) {
  // The booth screen below: a full-screen picture in its own window.
  QWidget picture;
  picture.setWindowFlags(Qt::FramelessWindowHint);
  QSize screen = QGuiApplication::primaryScreen()->size();
  QImage gradient(screen, QImage::Format_RGB32);
  {
    QPainter painter(&gradient);
    QLinearGradient fill(0, 0, screen.width(), screen.height());
    fill.setColorAt(0, QColor(200, 40, 40));
    fill.setColorAt(1, QColor(40, 40, 200));
    painter.fillRect(gradient.rect(), fill);
  }
  QPalette palette;
  palette.setBrush(QPalette::Window, QBrush(gradient));
  picture.setPalette(palette);
  picture.setAutoFillBackground(true);
  picture.setGeometry(QRect(QPoint(0, 0), screen));
  picture.show();
  Settle();

  CMyMessageBox box(nullptr, "Sorry, this word is prohibited\\nPlease enter a different word", 0, TRUE);
  QImage shot;
  PushDialogScript(DialogScript(IDD_MYMESSAGEBOX).Call([&](CDialog*) {
    Settle();
    shot = GrabScreen();
  }));
  box.DoModal();
  ASSERT_TRUE(shot.save(OutputPath("messagebox.png")));
  QColor corner = shot.pixelColor(5, 5);
  EXPECT_GT(corner.red(), 150) << "the picture shows around the panel";
  EXPECT_EQ(shot.pixelColor(screen.width() / 2, screen.height() / 2 - 5).lightness() > 200 ||
                shot.pixelColor(screen.width() / 2 - 100, screen.height() / 2).lightness() > 200,
            true)
      << "a white panel in the middle";
}
