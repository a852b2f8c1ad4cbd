// A screenshot of the touchscreen preview over a ready screen on a real X display (Xvfb),
// grabbed from the whole screen into test-output/touchscreen-preview.png. Skipped unless the
// window layer runs on xcb.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <filesystem>

#include "config/TouchscreenPreviewDlg.h"
#include "platform/mfc/dialogscript.h"
#include "platform/win32/sync.h"

namespace {

// Lets the X server map and paint the window before the screen is read.
void Settle() {
  ULONGLONG until = GetTickCount64() + 500;
  while (GetTickCount64() < until) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

// A ready screen as a booth designer might draw one: a start button and two copy buttons.
void WriteReadyScreen(const QString& path, QSize size) {
  QImage screen(size, QImage::Format_RGB32);
  screen.fill(QColor(20, 60, 120));
  QPainter painter(&screen);
  painter.setBrush(QColor(230, 120, 30));
  painter.setPen(Qt::NoPen);
  painter.drawRoundedRect(QRect(250, 180, 300, 160), 30, 30);
  painter.setBrush(QColor(60, 160, 80));
  painter.drawEllipse(QRect(80, 420, 120, 120));
  painter.drawEllipse(QRect(600, 420, 120, 120));
  painter.setPen(Qt::white);
  painter.setFont(QFont("Arial", 28, QFont::Bold));
  painter.drawText(QRect(250, 180, 300, 160), Qt::AlignCenter, "TOUCH TO START");
  painter.drawText(QRect(80, 420, 120, 120), Qt::AlignCenter, "+");
  painter.drawText(QRect(600, 420, 120, 120), Qt::AlignCenter, "1");
  painter.end();
  ASSERT_TRUE(screen.save(path, "JPG", 90));
}

}  // namespace

TEST(TouchscreenPreviewXvfbScreenshotTest, TouchscreenPreviewXvfbScreenshot) {
  if (QGuiApplication::platformName() != "xcb") GTEST_SKIP() << "needs QT_QPA_PLATFORM=xcb (Xvfb)";
  ClearDialogScripts();
  const std::string folder = std::string(TAVORIN_BINARY_DIR) + "/test-output";
  const std::string images = folder + "/touchscreen-preview-images";
  std::filesystem::create_directories(images);
  WriteReadyScreen(QString::fromStdString(images + "/ready.jpg"), QGuiApplication::primaryScreen()->size());
  CTouchscreenPreviewDlg preview(nullptr, nullptr, images.c_str());
  preview.m_editor.m_original[0] = {1, 250, 180, 550, 340};   // Start, on the button
  preview.m_editor.m_original[1] = {11, 80, 420, 200, 540};   // Increase num prints
  preview.m_editor.m_original[2] = {6, 600, 420, 720, 540};   // 1 copy of prints
  preview.m_editor.m_original[3] = {37, 10, 10, 110, 80};     // a share-screen area: not shown here
  QImage shot;
  PushDialogScript(DialogScript(IDD_TOUCHSCREEN_PREVIEW).Call([&](CDialog* d) {
    auto* p = static_cast<CTouchscreenPreviewDlg*>(d);
    Settle();
    p->m_editor.m_nSelected = 1;  // the selected area shows its dashed frame and handles
    p->Redraw();
    Settle();
    shot = QGuiApplication::primaryScreen()->grabWindow(0).toImage();
    ::EndDialog(d->m_hWnd, IDCANCEL);
  }));
  preview.DoModal();
  ASSERT_FALSE(shot.isNull());
  ASSERT_TRUE(shot.save(QString::fromStdString(folder + "/touchscreen-preview.png")));
  // The ready screen is under the areas: its orange button shows beside the Start area's lines.
  const QColor button = shot.pixelColor(520, 215);
  EXPECT_GT(button.red(), 180);
  EXPECT_LT(button.blue(), 100);
}
