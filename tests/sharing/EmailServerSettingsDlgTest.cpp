#include "sharing/EmailServerSettingsDlg.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>
#include <QWindow>
#include <gtest/gtest.h>
#include <unistd.h>

#include "platform/mfc/dialogscript.h"
#include "platform/user/messagebox.h"
#include "platform/user/window_p.h"
#include "sharing/SharingResource.h"
#include "support/PasswordScrambler.h"
#include "tests/http/LoopbackHttpServer.h"
#include "tests/platform/csmail/SmtpTestServer.h"

namespace {

class EmailServerSettingsDlgTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ClearProxyEnvironment();
    ClearDialogScripts();
    ClearMessageBoxes();
  }
  static void Fill(CEmailServerSettingsDlg& dialog, int port) {
    dialog.m_host = "127.0.0.1";
    dialog.m_port = port;
    dialog.m_ssl = FALSE;
    dialog.m_user = "booth";
    dialog.m_password = ScramblePassword("pw");
    dialog.m_from = "booth@example.com";
  }
  static std::vector<CString> ListLines(CDialog* dialog) {
    std::vector<CString> lines;
    int count = static_cast<int>(dialog->SendDlgItemMessage(IDC_ESS_TEST_LOG, LB_GETCOUNT));
    for (int i = 0; i < count; ++i) {
      int length = static_cast<int>(dialog->SendDlgItemMessage(IDC_ESS_TEST_LOG, LB_GETTEXTLEN, i));
      CString text;
      dialog->SendDlgItemMessage(IDC_ESS_TEST_LOG, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text.GetBuffer(length)));
      text.ReleaseBuffer();
      lines.push_back(text);
    }
    return lines;
  }
  static int FocusId(HWND dialog) {
    QWidget* focus = QApplication::focusWidget();
    for (int id : {IDC_ESS_HOST, IDC_ESS_USERNAME, IDC_ESS_PASSWORD, IDC_ESS_FROM, IDC_ESS_TEST_ADDRESS})
      if (focus && focus == user_p::WidgetOf(::GetDlgItem(dialog, id))) return id;
    return 0;
  }
};

}  // namespace

TEST_F(EmailServerSettingsDlgTest, NewConfigurationDefaultsToPort587WithSsl) {
  CEmailServerSettingsDlg dialog;
  EXPECT_EQ(dialog.m_port, 587);
  EXPECT_TRUE(dialog.m_ssl);
  EXPECT_TRUE(dialog.m_hidePassword);
}

TEST_F(EmailServerSettingsDlgTest, EachCheckKeepsTheDialogOpenWithFocusOnItsField) {
  struct Row {
    const char* host;
    const char* user;
    const char* password;
    const char* from;
    const char* text;
    int focus;
  } rows[] = {
      {"", "u", "p", "a@b.com", "Please enter the name of your email host (e.g. smtp.example.com)", IDC_ESS_HOST},
      {"h", "", "p", "a@b.com", "Please enter the username", IDC_ESS_USERNAME},
      {"h", "u", "", "a@b.com", "Please enter the password", IDC_ESS_PASSWORD},
      {"h", "u", "p", "", "Please enter the email address", IDC_ESS_FROM},
      {"h", "u", "p", "a@bcom", "Please enter a valid email address", IDC_ESS_FROM},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text);
    ClearMessageBoxes();
    int focus = -1;
    PushDialogScript(DialogScript(IDD_EMAIL_SERVER_SETTINGS)
                         .Call([](CDialog* dialog) {
                           // Focus lives in the active window, as on a desktop.
                           QWidget* window = user_p::WidgetOf(dialog->m_hWnd);
                           window->activateWindow();
                           for (int spin = 0; spin < 500 && !window->isActiveWindow(); ++spin)
                             QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
                         })
                         .SetText(IDC_ESS_HOST, row.host)
                         .SetText(IDC_ESS_USERNAME, row.user)
                         .SetText(IDC_ESS_PASSWORD, row.password)
                         .SetText(IDC_ESS_FROM, row.from)
                         .Press(IDOK)
                         .Call([&](CDialog* dialog) { focus = FocusId(dialog->m_hWnd); })
                         .Press(IDCANCEL));
    CEmailServerSettingsDlg dialog;
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    auto boxes = GetShownMessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, row.text);
    EXPECT_EQ(boxes[0].caption, "Tavorin");
    EXPECT_EQ(boxes[0].icon, static_cast<UINT>(MB_ICONERROR));
    EXPECT_EQ(focus, row.focus);
  }
}

TEST_F(EmailServerSettingsDlgTest, OkReturnsThePasswordScrambled) {
  PushDialogScript(DialogScript(IDD_EMAIL_SERVER_SETTINGS).SetText(IDC_ESS_PASSWORD, "new secret").Press(IDOK));
  CEmailServerSettingsDlg dialog;
  Fill(dialog, 25);
  ASSERT_EQ(dialog.DoModal(), IDOK);
  EXPECT_STREQ(dialog.m_password, ScramblePassword("new secret"));
}

TEST_F(EmailServerSettingsDlgTest, TestMailRunsOnAThreadWithTheButtonDisabled) {
  SmtpTestServerOptions options;
  options.user = "booth";
  options.password = "pw";
  SmtpTestServer server(options);
  ASSERT_TRUE(server.ok());
  std::string image = std::string(TAVORIN_SOURCE_DIR) + "/data/email_test.jpg";
  for (bool withImage : {true, false}) {
    SCOPED_TRACE(withImage);
    CEmailServerSettingsDlg* shown = nullptr;
    bool disabledWhileRunning = false;
    std::vector<CString> lines;
    PushDialogScript(DialogScript(IDD_EMAIL_SERVER_SETTINGS)
                         .SetText(IDC_ESS_TEST_ADDRESS, "guest@example.com")
                         .Call([&](CDialog* dialog) { shown = static_cast<CEmailServerSettingsDlg*>(dialog); })
                         .Press(IDC_ESS_SEND_TEST)
                         .Call([&](CDialog* dialog) {
                           disabledWhileRunning = !::IsWindowEnabled(::GetDlgItem(dialog->m_hWnd, IDC_ESS_SEND_TEST));
                         })
                         .RunUntil([&] { return !shown->IsTestRunning(); })
                         .RunUntil([&] {
                           lines = ListLines(shown);
                           return !lines.empty() && (lines.back() == CString("Message sent") ||
                                                     std::string(lines.back()).find("rror") != std::string::npos);
                         })
                         // The last lines and the end of the test may come in two posted messages.
                         .RunUntil([&] { return ::IsWindowEnabled(::GetDlgItem(shown->m_hWnd, IDC_ESS_SEND_TEST)); })
                         .Call([&](CDialog* dialog) {
                           EXPECT_TRUE(::IsWindowEnabled(::GetDlgItem(dialog->m_hWnd, IDC_ESS_SEND_TEST)));
                         })
                         .Press(IDCANCEL));
    CEmailServerSettingsDlg dialog;
    Fill(dialog, server.port());
    dialog.m_testImagePath = withImage ? image.c_str() : "/nonexistent/email_test.jpg";
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_TRUE(disabledWhileRunning);
    ASSERT_FALSE(lines.empty());
    EXPECT_STREQ(lines[0], "Sending test email to: guest@example.com");
    EXPECT_STREQ(lines.back(), "Message sent");
    bool warned = false;
    for (const CString& line : lines)
      warned |= line == CString("email_test.jpg image not found, sending test email without an image attachment...");
    EXPECT_EQ(warned, !withImage);
  }
  ASSERT_EQ(server.count(), 2);
  EXPECT_NE(server.summary(1).find("subject: Photo booth test message\n"), std::string::npos);
  EXPECT_NE(server.summary(1).find("image/jpeg"), std::string::npos) << server.summary(1);
  EXPECT_EQ(server.summary(2).find("image/jpeg"), std::string::npos) << server.summary(2);
  EXPECT_NE(server.summary(2).find("text: A test message from photo booth software"), std::string::npos);
}

TEST_F(EmailServerSettingsDlgTest, ClosingMidTestWaitsForTheThread) {
  SmtpTestServerOptions options;
  options.user = "booth";
  options.password = "wrong";
  SmtpTestServer server(options);
  ASSERT_TRUE(server.ok());
  PushDialogScript(DialogScript(IDD_EMAIL_SERVER_SETTINGS)
                       .SetText(IDC_ESS_TEST_ADDRESS, "guest@example.com")
                       .Press(IDC_ESS_SEND_TEST)
                       .Press(IDC_ESS_SEND_TEST)  // refused while running: one thread only
                       .Press(IDCANCEL));
  {
    CEmailServerSettingsDlg dialog;
    Fill(dialog, server.port());
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_FALSE(dialog.IsTestRunning());
  }
  EXPECT_EQ(server.count(), 0);
}

TEST_F(EmailServerSettingsDlgTest, ReturnAndEscapeEndTheDialog) {
  struct Row {
    Qt::Key key;
    INT_PTR result;
  } rows[] = {{Qt::Key_Return, IDOK}, {Qt::Key_Escape, IDCANCEL}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.key);
    bool typed = false;
    PushDialogScript(DialogScript(IDD_EMAIL_SERVER_SETTINGS).Call([&](CDialog* dialog) {
      QWidget* window = user_p::WidgetOf(dialog->m_hWnd);
      window->activateWindow();
      for (int spin = 0; spin < 500 && !window->isActiveWindow(); ++spin)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
      dialog->GotoDlgCtrl(dialog->GetDlgItem(IDC_ESS_HOST));
      if (QApplication::focusWidget() != user_p::WidgetOf(::GetDlgItem(dialog->m_hWnd, IDC_ESS_HOST))) return;
      typed = true;
      QKeyEvent press(QEvent::KeyPress, row.key, Qt::NoModifier);
      QApplication::sendEvent(window->windowHandle(), &press);
    }));
    CEmailServerSettingsDlg dialog;
    Fill(dialog, 25);
    EXPECT_EQ(dialog.DoModal(), row.result);
    EXPECT_TRUE(typed);
  }
}

TEST_F(EmailServerSettingsDlgTest, AServerThatCannotBeReachedIsAConnectError) {
  int port;
  {
    SmtpTestServer gone;
    port = gone.port();
  }
  CEmailServerSettingsDlg* shown = nullptr;
  std::vector<CString> lines;
  PushDialogScript(DialogScript(IDD_EMAIL_SERVER_SETTINGS)
                       .SetText(IDC_ESS_TEST_ADDRESS, "guest@example.com")
                       .Call([&](CDialog* dialog) { shown = static_cast<CEmailServerSettingsDlg*>(dialog); })
                       .Press(IDC_ESS_SEND_TEST)
                       .RunUntil([&] { return !shown->IsTestRunning(); })
                       .RunUntil([&] {
                         lines = ListLines(shown);
                         return !lines.empty() && std::string(lines.back()).find("rror") != std::string::npos;
                       })
                       .Press(IDCANCEL));
  CEmailServerSettingsDlg dialog;
  Fill(dialog, port);
  EXPECT_EQ(dialog.DoModal(), IDCANCEL);
  const std::vector<CString> expected = {
      "Sending test email to: guest@example.com",
      "email_test.jpg image not found, sending test email without an image attachment...",
      "Connecting to email server...", "Error connecting to email server"};
  EXPECT_EQ(lines, expected);
}

TEST_F(EmailServerSettingsDlgTest, CancelEndsATestThatWaitsForASilentServer) {
  SmtpTestServerOptions options;
  options.user = "booth";
  options.password = "pw";
  options.stallAfterDataSeconds = 20;
  SmtpTestServer server(options);
  ASSERT_TRUE(server.ok());
  PushDialogScript(DialogScript(IDD_EMAIL_SERVER_SETTINGS)
                       .SetText(IDC_ESS_TEST_ADDRESS, "guest@example.com")
                       .Press(IDC_ESS_SEND_TEST)
                       .RunUntil([&] { return server.stallBegan(); })
                       .Press(IDCANCEL));
  {
    CEmailServerSettingsDlg dialog;
    Fill(dialog, server.port());
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_FALSE(dialog.IsTestRunning());
    EXPECT_FALSE(server.stallRanOut()) << "the dialog waited for the server";
  }
  for (int i = 0; i < 300 && !server.clientLeftDuringStall(); ++i) usleep(10000);
  EXPECT_TRUE(server.clientLeftDuringStall());
  EXPECT_EQ(server.count(), 0);
}
