#include "sharing/ResendEmailDlg.h"

#include <QSize>
#include <QWidget>
#include <gtest/gtest.h>
#include <unistd.h>

#include <ctime>
#include <filesystem>
#include <fstream>

#include "platform/mfc/dialogscript.h"
#include "platform/polyimage/polyimage.h"
#include "platform/user/messagebox.h"
#include "platform/user/window_p.h"
#include "sharing/SharingResource.h"
#include "support/PasswordScrambler.h"
#include "support/PipSession.h"
#include "tests/http/LoopbackHttpServer.h"
#include "tests/platform/csmail/SmtpTestServer.h"

namespace {

class ResendEmailDlgTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ClearProxyEnvironment();
    ClearDialogScripts();
    ClearMessageBoxes();
    char pattern[] = "/tmp/tavorin-resenddlg-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
    log_ = dir_ + "/email.csv";
    char today[16];
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    std::strftime(today, sizeof today, "%Y%m%d", &local);
    photo_ = dir_ + "/p.jpg";
    PipSession image;
    cNewImage(image.m_hSession, 300, 200, RGB(255, 128, 0));
    cSave(image.m_hSession, photo_.c_str(), PIP_FORMAT_JPEG, 0, 0, 0);
    std::ofstream(log_) << "20200101,100000,old@example.com,0," << photo_ << "\n"
                        << today << ",110000,new@example.com,0," << photo_ << "\n";
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  static std::vector<int> Selected(CDialog* dialog) {
    std::vector<int> rows;
    HWND list = ::GetDlgItem(dialog->m_hWnd, IDC_RE_LIST);
    int count = static_cast<int>(::SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i)
      if (::SendMessageA(list, LVM_GETITEMSTATE, i, LVIS_SELECTED) & LVIS_SELECTED) rows.push_back(i);
    return rows;
  }

  std::string dir_, log_, photo_;
};

}  // namespace

TEST_F(ResendEmailDlgTest, SelectionButtonsAndSendWithNothingSelected) {
  std::vector<int> all, none, today;
  PushDialogScript(DialogScript(IDD_RESEND_EMAIL)
                       .Press(IDC_RE_SELECT_ALL)
                       .Call([&](CDialog* d) { all = Selected(d); })
                       .Press(IDC_RE_SELECT_NONE)
                       .Call([&](CDialog* d) { none = Selected(d); })
                       .Press(IDOK)
                       .Press(IDC_RE_SELECT_TODAY)
                       .Call([&](CDialog* d) { today = Selected(d); })
                       .Press(IDCANCEL));
  CResendEmailDlg dialog;
  dialog.m_settings.server.logPath = log_.c_str();
  EXPECT_EQ(dialog.DoModal(), IDCANCEL);
  EXPECT_EQ(all, (std::vector<int>{0, 1}));
  EXPECT_TRUE(none.empty());
  EXPECT_EQ(today, (std::vector<int>{1}));
  auto boxes = GetShownMessageBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "Please select the emails to send");
  EXPECT_EQ(boxes[0].icon, static_cast<UINT>(MB_ICONEXCLAMATION));
  ASSERT_EQ(dialog.Rows().size(), 2u);
  EXPECT_STREQ(dialog.Rows()[0].address, "old@example.com");
}

TEST_F(ResendEmailDlgTest, SendingTodaysReloadsTheListWithoutIt) {
  SmtpTestServerOptions options;
  options.user = "booth";
  options.password = "pw";
  SmtpTestServer server(options);
  ASSERT_TRUE(server.ok());
  CResendingEmailsDlg* progress = nullptr;
  std::vector<CString> lines;
  CString buttonText;
  PushDialogScript(DialogScript(IDD_RESEND_EMAIL).Press(IDC_RE_SELECT_TODAY).Press(IDOK).Press(IDCANCEL));
  PushDialogScript(DialogScript(IDD_RESENDING_EMAILS)
                       .Call([&](CDialog* d) { progress = static_cast<CResendingEmailsDlg*>(d); })
                       .RunUntil([&] {
                         CString text;
                         progress->GetDlgItemText(IDCANCEL, text);
                         return text == CString("Close");
                       })
                       .Call([&](CDialog* d) {
                         lines = progress->Lines();
                         d->GetDlgItemText(IDCANCEL, buttonText);
                       })
                       .Press(IDCANCEL));
  CResendEmailDlg dialog;
  dialog.m_settings.server.logPath = log_.c_str();
  dialog.m_settings.server.host = "127.0.0.1";
  dialog.m_settings.server.port = server.port();
  dialog.m_settings.server.user = "booth";
  dialog.m_settings.server.password = ScramblePassword("pw");
  dialog.m_settings.server.text = "Your photo";
  EXPECT_EQ(dialog.DoModal(), IDCANCEL);
  EXPECT_EQ(buttonText, CString("Close"));
  ASSERT_FALSE(lines.empty());
  EXPECT_STREQ(lines.back(), "***** SUCCESS: All 1 emails sent *****");
  EXPECT_EQ(server.count(), 1);
  ASSERT_EQ(dialog.Rows().size(), 1u);
  EXPECT_STREQ(dialog.Rows()[0].address, "old@example.com");
}

TEST_F(ResendEmailDlgTest, ProgressStopsAtAMissingSetting) {
  std::vector<CString> lines;
  PushDialogScript(DialogScript(IDD_RESENDING_EMAILS)
                       .Call([&](CDialog* d) { lines = static_cast<CResendingEmailsDlg*>(d)->Lines(); })
                       .Press(IDCANCEL));
  EmailResendJob job;
  job.server.user = "booth";
  job.server.password = ScramblePassword("pw");
  job.addresses = {"a@b.com"};
  job.photos = {photo_.c_str()};
  CResendingEmailsDlg progress(job);
  EXPECT_EQ(progress.DoModal(), IDCANCEL);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_STREQ(lines[0], "Error: email host name missing");
}

TEST_F(ResendEmailDlgTest, TheListFollowsTheWindowDownToItsSmallestSize) {
  CResendEmailDlg dialog;
  dialog.m_settings.server.logPath = log_.c_str();
  auto placeOf = [](CDialog* d, int id) {
    CRect rect;
    d->GetDlgItem(id)->GetWindowRect(&rect);
    d->ScreenToClient(&rect);
    return rect;
  };
  PushDialogScript(DialogScript(IDD_RESEND_EMAIL)
                       .Call([&](CDialog* d) {
                         QWidget* window = user_p::WidgetOf(d->m_hWnd);
                         ASSERT_NE(window, nullptr);
                         for (QSize size : {QSize(900, 600), QSize(200, 150)}) {
                           SCOPED_TRACE(size.width());
                           window->resize(size);
                           CRect client;
                           d->GetClientRect(&client);
                           EXPECT_GE(client.Width(), 480);
                           EXPECT_GE(client.Height(), 320);
                           if (size.width() > 480) {
                             EXPECT_GE(client.Width(), 900 - 20);
                           }
                           const CRect list = placeOf(d, IDC_RE_LIST), send = placeOf(d, IDOK),
                                       cancel = placeOf(d, IDCANCEL), all = placeOf(d, IDC_RE_SELECT_ALL),
                                       today = placeOf(d, IDC_RE_SELECT_TODAY);
                           EXPECT_EQ(list.left, 7);
                           EXPECT_EQ(list.right, client.right - 7) << "the list follows the width";
                           EXPECT_LT(list.bottom, send.top) << "the buttons stand below the list";
                           EXPECT_EQ(cancel.right, client.right - 7);
                           EXPECT_EQ(cancel.bottom, client.bottom - 7);
                           EXPECT_EQ(send.right, cancel.left - 7);
                           EXPECT_EQ(all.left, 7);
                           EXPECT_EQ(all.top, send.top);
                           EXPECT_LT(today.right, send.left) << "no button covers another";
                         }
                       })
                       .Press(IDCANCEL));
  EXPECT_EQ(dialog.DoModal(), IDCANCEL);
}
