// Sharing > "Send emails...": a chosen e-mail log's unsent e-mails sent again from the list.
#include <QApplication>
#include <QKeyEvent>
#include <QWidget>
#include <QWindow>
#include <fstream>

#include "AppTestSupport.h"
#include "platform/mfc/commondialog.h"
#include "platform/mfc/dialogscript.h"
#include "platform/polyimage/polyimage.h"
#include "platform/user/window_p.h"
#include "sharing/ResendEmailDlg.h"
#include "sharing/SharingResource.h"
#include "support/PasswordScrambler.h"
#include "support/PipSession.h"
#include "tests/http/LoopbackHttpServer.h"
#include "tests/platform/csmail/SmtpTestServer.h"

namespace {

// A key as the window system delivers it: to the active window, which hands it to its focus.
void PressKey(HWND window, Qt::Key key) {
  QWidget* widget = user_p::WidgetOf(window);
  ASSERT_NE(widget, nullptr);
  QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
  QCoreApplication::sendEvent(widget->windowHandle(), &press);
  QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
  QCoreApplication::sendEvent(widget->windowHandle(), &release);
}

void Activate(CDialog* dialog, int focusId) {
  QWidget* window = user_p::WidgetOf(dialog->m_hWnd);
  window->activateWindow();
  for (int spin = 0; spin < 500 && !window->isActiveWindow(); ++spin)
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  dialog->GotoDlgCtrl(dialog->GetDlgItem(focusId));
}

class MyQuilletViewSharingTest : public ViewTestBase {
 protected:
  void SetUp() override {
    ViewTestBase::SetUp();
    ClearProxyEnvironment();
    ClearDialogScripts();
    ClearCommonDialogAnswers();
  }
  void TearDown() override {
    ClearDialogScripts();
    ClearCommonDialogAnswers();
    ViewTestBase::TearDown();
  }
  void Command(UINT id) { m_harness->m_frame->SendMessage(WM_COMMAND, MAKEWPARAM(id, 0), 0); }
};

}  // namespace

TEST_F(MyQuilletViewSharingTest, SendEmailsResendsTheChosenLogsLineAndMarksItSent) {
  SmtpTestServerOptions options;
  options.user = "booth";
  options.password = "pw";
  SmtpTestServer server(options);
  ASSERT_TRUE(server.ok());
  std::string photo = TestFolder() + "/wide.jpg";
  {
    PipSession image;
    cNewImage(image.m_hSession, 1200, 800, RGB(255, 128, 0));
    cSave(image.m_hSession, photo.c_str(), PIP_FORMAT_JPEG, 0, 0, 0);
  }
  std::string log = TestFolder() + "/unsent.csv";
  std::ofstream(log) << "20261210,101010,first@example.com,0," << photo << "\n"
                     << "20261210,101011,guest@example.com,0," << photo << "\n";
  m_view->m_strPhotoboothEmailHost = "127.0.0.1";
  m_view->m_nPhotoboothEmailPort = server.port();
  m_view->m_bPhotoboothEmailSSL = FALSE;
  m_view->m_strPhotoboothEmailUsername = "booth";
  m_view->m_strPhotoboothEmailPassword = ScramblePassword("pw");

  CommonDialogAnswer answer;
  answer.paths = {log};
  PushCommonDialogAnswer(answer);
  CResendingEmailsDlg* progress = nullptr;
  PushDialogScript(DialogScript(IDD_RESEND_EMAIL).Call([](CDialog* dialog) {
    Activate(dialog, IDC_RE_LIST);
    // The list starts with no current row: Down picks the first, Down again the second.
    PressKey(dialog->m_hWnd, Qt::Key_Down);
    PressKey(dialog->m_hWnd, Qt::Key_Down);
    PressKey(dialog->m_hWnd, Qt::Key_Return);
  }).Press(IDCANCEL));
  PushDialogScript(DialogScript(IDD_RESENDING_EMAILS)
                       .Call([&](CDialog* d) { progress = static_cast<CResendingEmailsDlg*>(d); })
                       .RunUntil([&] { return progress->IsFinished(); })
                       .Press(IDCANCEL)
                       .Press(IDCANCEL));
  Command(32957);

  std::vector<ShownCommonDialog> shown = GetShownCommonDialogs();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].title, "Load Email Log File");
  EXPECT_EQ(shown[0].filter, "Email log file (*.csv)|*.csv||");
  ASSERT_EQ(server.count(), 1);
  std::string summary = server.summary(1);
  EXPECT_NE(summary.find("part: text/html"), std::string::npos) << summary;
  EXPECT_NE(summary.find("jpeg"), std::string::npos) << summary;
  EXPECT_NE(summary.find("envelope-to: guest@example.com"), std::string::npos) << summary;
  EXPECT_NE(ReadWholeFile(log).find(",guest@example.com,1," + photo), std::string::npos) << ReadWholeFile(log);
  EXPECT_EQ(ReadWholeFile(log).find(",first@example.com,1,"), std::string::npos);
}
