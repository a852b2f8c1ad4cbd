// Screenshots of the sharing screen on a real X display (Xvfb), grabbed from the whole screen,
// with no status pictures in the images folder (so the captions are drawn). Skipped unless the
// window layer runs on xcb.
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>

#include "UploadDlgTestSupport.h"
#include "support/PasswordScrambler.h"
#include "tests/http/LoopbackHttpServer.h"
#include "tests/platform/csmail/SmtpTestServer.h"

namespace {

QString OutputPath(const char* name) {
  QString folder = QString::fromUtf8(TAVORIN_BINARY_DIR) + "/test-output";
  std::filesystem::create_directories(folder.toStdString());
  return folder + "/" + name;
}

void Settle() {
  ULONGLONG until = GetTickCount64() + 500;
  while (GetTickCount64() < until) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

bool Near(QColor a, QColor b, int tolerance) {
  return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance &&
         std::abs(a.blue() - b.blue()) <= tolerance;
}

int CountPixels(const QImage& image, QRect area, QColor colour, int tolerance) {
  int count = 0;
  for (int y = area.top(); y <= area.bottom(); ++y)
    for (int x = area.left(); x <= area.right(); ++x) count += Near(image.pixelColor(x, y), colour, tolerance);
  return count;
}

class UploadDlgXvfbScreenshotTest : public UploadDlgTestBase {
 protected:
  void SetUp() override {
    if (QGuiApplication::platformName() != "xcb") GTEST_SKIP() << "needs QT_QPA_PLATFORM=xcb (Xvfb)";
    UploadDlgTestBase::SetUp();
    ClearProxyEnvironment();
  }
  /// The screen grabbed once the status picture is `key`.
  QImage GrabWhenShown(CUploadDlg& dialog, const char* key) {
    QImage shot;
    PushDialogScript(DialogScript(IDD_UPLOAD)
                         .RunUntil([&] { return dialog.StatusPath().Find(key) >= 0; })
                         .Call([&](CDialog*) {
                           Settle();
                           shot = QGuiApplication::primaryScreen()->grabWindow(0).toImage();
                         })
                         .RunUntil([] { return false; }));
    dialog.DoModal();
    return shot;
  }
};

}  // namespace

TEST_F(UploadDlgXvfbScreenshotTest, EmailSuccessXvfbScreenshotShowsCaptionAndCentredPreview) {
  SmtpTestServer server;
  ASSERT_TRUE(server.ok());
  CUploadDlg dialog(nullptr, ShareEmail);
  Fill(dialog);
  dialog.m_timeScale = 1;
  EmailShareSettings& email = dialog.m_share.email;
  email.host = "127.0.0.1";
  email.port = server.port();
  email.user = "booth";
  email.password = ScramblePassword("pw");
  email.text = "Hello";
  AnswerKeyboard("guest@example.com");
  QImage shot = GrabWhenShown(dialog, "email_success");
  ASSERT_FALSE(shot.isNull());
  ASSERT_TRUE(shot.save(OutputPath("sharing-email-success.png")));
  QSize screen = shot.size();
  EXPECT_EQ(screen, QSize(1280, 800));
  // The 1200 x 800 photo fits half the screen's height: 600 x 400, centred.
  QPoint centre(screen.width() / 2, screen.height() / 2);
  EXPECT_TRUE(Near(shot.pixelColor(centre), QColor(255, 128, 0), 12)) << shot.pixelColor(centre).name().toStdString();
  EXPECT_TRUE(Near(shot.pixelColor(centre.x() - 290, centre.y() - 190), QColor(255, 128, 0), 12));
  EXPECT_TRUE(Near(shot.pixelColor(centre.x() - 320, centre.y()), QColor(0, 0, 0), 12)) << "black beside the preview";
  EXPECT_GT(CountPixels(shot, QRect(300, 0, 680, 150), QColor(255, 255, 255), 40), 200) << "the white caption on top";
}

TEST_F(UploadDlgXvfbScreenshotTest, MmsErrorXvfbScreenshotShowsCaptionAndGreyTextBottomRight) {
  CUploadDlg dialog(nullptr, ShareMms);
  Fill(dialog);
  dialog.m_timeScale = 1;
  dialog.m_share.mms.from = "+15550001";
  dialog.m_share.mms.countryPrefix = "+44";
  AnswerKeyboard("07700900123");
  QImage shot = GrabWhenShown(dialog, "mms_error");
  ASSERT_FALSE(shot.isNull());
  ASSERT_TRUE(shot.save(OutputPath("sharing-mms-error.png")));
  EXPECT_EQ(shot.size(), QSize(1280, 800));
  EXPECT_STREQ(dialog.MessageText(), "MMS account settings missing");
  EXPECT_GT(CountPixels(shot, QRect(880, 740, 400, 60), QColor(80, 80, 80), 10), 50) << "grey text at the bottom right";
  EXPECT_EQ(CountPixels(shot, QRect(0, 740, 400, 60), QColor(80, 80, 80), 10), 0) << "and nothing at the left";
  EXPECT_GT(CountPixels(shot, QRect(300, 0, 680, 150), QColor(255, 255, 255), 40), 200) << "the white caption on top";
}
