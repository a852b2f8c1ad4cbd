// Taps through a real X server (xdotool on Xvfb): Start on the booth's ready screen arms a
// session, Confirm on the confirm screen ends it with 1; the confirm screen is saved as a
// screenshot. Skipped unless the window layer runs on xcb.
#include <QGuiApplication>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <cstdlib>
#include <filesystem>

#include "camera/Camera.h"
#include "photobooth/ConfirmPrintingDlg.h"
#include "photobooth/FullscreenDlg.h"
#include "photobooth/TouchActionTable.h"
#include "platform/mfc/dialogscript.h"
#include "tests/photobooth/BoothTestSupport.h"

namespace {

QString OutputPath(const char* name) {
  QString folder = QString::fromUtf8(TAVORIN_BINARY_DIR) + "/test-output";
  std::filesystem::create_directories(folder.toStdString());
  return folder + "/" + name;
}

void Settle(int ms = 700) {
  ULONGLONG until = GetTickCount64() + ms;
  while (GetTickCount64() < until) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

/// A screen picture with labelled buttons where the touch areas lie.
void WriteScreen(const std::filesystem::path& path, QSize size, const char* title,
                 std::vector<std::pair<QRect, QString>> buttons) {
  QImage image(size, QImage::Format_RGB32);
  image.fill(QColor(20, 30, 70));
  QPainter painter(&image);
  QFont font("Arial");
  font.setPixelSize(40);
  painter.setFont(font);
  painter.setPen(Qt::white);
  painter.drawText(QRect(0, 20, size.width(), 80), Qt::AlignCenter, title);
  for (const auto& [rect, label] : buttons) {
    painter.fillRect(rect, label == "Cancel" ? QColor(170, 40, 40) : QColor(40, 150, 60));
    painter.drawText(rect, Qt::AlignCenter, label);
  }
  painter.end();
  ASSERT_TRUE(image.save(QString::fromStdString(path.string()), "JPG", 92));
}

/// A click of the X server's pointer at a client point of the window.
void XClick(HWND window, QPoint at) {
  QPoint global = user_p::WidgetOf(window)->mapToGlobal(at);
  std::string command = "xdotool mousemove --sync " + std::to_string(global.x()) + " " + std::to_string(global.y()) +
                        " click 1";
  ASSERT_EQ(0, std::system(command.c_str()));
}

class ConfirmPrintingXvfbTest : public ViewTestBase {
 protected:
  void SetUp() override {
    if (QGuiApplication::platformName() != "xcb") GTEST_SKIP() << "needs QT_QPA_PLATFORM=xcb (Xvfb)";
    if (std::system("command -v xdotool >/dev/null") != 0) GTEST_SKIP() << "needs xdotool";
    ViewTestBase::SetUp();
  }
};

TEST_F(ConfirmPrintingXvfbTest, XvfbTapsOnStartAndConfirmAndAScreenshotOfTheConfirmScreen) {
  QSize screen = QGuiApplication::primaryScreen()->size();
  std::filesystem::path folder = FreshBoothFolder("xvfb-confirm");
  QRect start(screen.width() / 2 - 200, screen.height() / 2 - 80, 400, 160);
  QRect confirm(screen.width() - 460, screen.height() - 180, 360, 120);
  QRect cancel(100, screen.height() - 180, 360, 120);
  WriteScreen(folder / "ready.jpg", screen, "Touch Start", {{start, "Start"}});
  WriteScreen(folder / "confirm_printing.jpg", screen, "Print this page?", {{confirm, "Confirm"}, {cancel, "Cancel"}});
  // The composed page: two photos side by side on white.
  QImage pageImage(1200, 800, QImage::Format_RGB32);
  pageImage.fill(Qt::white);
  QPainter(&pageImage).fillRect(QRect(40, 40, 540, 720), QColor(200, 120, 40));
  QPainter(&pageImage).fillRect(QRect(620, 40, 540, 720), QColor(60, 120, 200));
  ASSERT_TRUE(pageImage.save(QString::fromStdString((folder / "page.jpg").string()), "JPG", 92));

  m_view->m_strPhotoboothImagesDir = folder.string().c_str();
  m_view->m_pCamera = new CCamera(m_view);
  m_view->m_nPhotoboothUseMouseToTrigger = 5;
  m_view->m_nNumberOfPhotoboothImages = 2;
  for (PhotoboothTouchscreenButton& area : m_view->m_touchscreenButtons) area = {};
  m_view->m_touchscreenButtons[0] = {kTouchStart, start.left(), start.top(), start.right(), start.bottom()};
  m_view->m_touchscreenButtons[1] = {kTouchConfirmPrinting, confirm.left(), confirm.top(), confirm.right(),
                                     confirm.bottom()};
  m_view->m_touchscreenButtons[2] = {kTouchCancelPrinting, cancel.left(), cancel.top(), cancel.right(),
                                     cancel.bottom()};
  m_view->m_bPhotoboothActive = true;
  CFullscreenDlg booth(m_view, 1);
  m_view->m_pFullscreenDlg = &booth;
  ASSERT_TRUE(booth.Create(IDD_FULLSCREEN, m_view));
  Settle();
  XClick(booth.m_hWnd, start.center());
  EXPECT_TRUE(PumpUntil([&] { return m_view->m_nShotsLeft == 2; }, 10000)) << "Start armed a session";
  m_view->m_nShotsLeft = -1;

  PipSession page;
  ASSERT_NE(0, cLoadImage(page.m_hSession, (folder / "page.jpg").string().c_str(), 0, 0, 0));
  int copies = 1;
  CConfirmPrintingDlg dialog(&booth, &copies, page, m_view->m_touchscreenButtons);
  dialog.m_strBackgroundPath = (folder / "confirm_printing.jpg").string().c_str();
  dialog.m_nPreviewW = screen.width() / 2;
  dialog.m_nPreviewH = screen.height() / 2;
  QImage shot;
  CString title;
  PushDialogScript(DialogScript(IDD_CONFIRM_PRINTING)
                       .Call([&](CDialog* d) {
                         d->GetWindowText(title);
                         ULONGLONG until = GetTickCount64() + 15000;
                         do {
                           Settle();
                           shot = QGuiApplication::primaryScreen()->grabWindow(0).toImage();
                         } while (GetTickCount64() < until && shot.pixelColor(screen.width() / 2 - 100,
                                                                              screen.height() / 2).red() < 150);
                         XClick(d->m_hWnd, confirm.center());
                       })
                       .RunUntil([] { return false; }));
  INT_PTR result = dialog.DoModal();
  m_view->m_pFullscreenDlg = nullptr;
  booth.DestroyWindow();
  ASSERT_TRUE(shot.save(OutputPath("confirm-screen.png")));
  EXPECT_EQ(IDOK, result) << "the tap on Confirm";
  EXPECT_EQ(1, copies);
  EXPECT_TRUE(std::string(title.GetString()).ends_with("confirm_printing.jpg"));
  EXPECT_GT(shot.pixelColor(screen.width() / 2 - 100, screen.height() / 2).red(), 150) << "the page's left photo";
  EXPECT_GT(shot.pixelColor(confirm.center().x(), confirm.top() + 5).green(), 100) << "the Confirm button";
}

}  // namespace
