// The Facebook and Twitter kinds on the sharing screen, with a stand-in uploader run as a real
// process on the window station.
#include <sys/stat.h>

#include "UploadDlgTestSupport.h"
#include "platform/win32/handle.h"
#include "platform/win32/process.h"
#include "sharing/Uploader.h"
#include "tests/platform/csmail/SmtpTestServer.h"

namespace {

class UploadDlgUploaderTest : public UploadDlgTestBase {
 protected:
  void SetUp() override {
    UploadDlgTestBase::SetUp();
    std::filesystem::create_directories(dir_ + "/bin");
    for (const char* name : {"Albapost", "Ciripost"})
      std::filesystem::create_symlink(UPLOADER_STUB_PATH, dir_ + "/bin/" + name);
    record_ = dir_ + "/record.txt";
    setenv("UPLOADER_STUB_RECORD", record_.c_str(), 1);
    setenv("UPLOADER_STUB_STEP_MS", "150", 1);
  }
  void TearDown() override {
    unsetenv("UPLOADER_STUB_RECORD");
    unsetenv("UPLOADER_STUB_TITLES");
    unsetenv("UPLOADER_STUB_STEP_MS");
    CUploadDlg::s_pfnNowSeconds = savedClock_;
    UploadDlgTestBase::TearDown();
  }
  void FillUploader(CUploadDlg& dialog) const {
    Fill(dialog);
    dialog.m_strProgramFolder = (dir_ + "/bin").c_str();
    dialog.m_share.facebook.logEnabled = dialog.m_share.twitter.logEnabled = true;
    dialog.m_share.facebook.logPath = dialog.m_share.twitter.logPath = (dir_ + "/share.csv").c_str();
    dialog.m_share.facebook.text = "Booth";
  }
  /// The keyboard answered with the user name, Tab, the password and Return.
  static void AnswerLogin(const std::string& user, const std::string& password) {
    PushDialogScript(DialogScript(IDD_KEYBOARD).Call([user, password](CDialog* dialog) {
      auto* keyboard = static_cast<CKeyboardDialog*>(dialog);
      keyboard->Field(0).m_text.Empty();
      keyboard->m_editor.m_cursorPosition = 0;
      TypeOnKeyboard(dialog, user);
      PressQtKey(dialog, Qt::Key_Tab, "\t");
      TypeOnKeyboard(dialog, password);
      PressQtKey(dialog, Qt::Key_Return, "\r");
    }));
  }
  /// Lines of the record once it holds `line` (bounded wait).
  std::string WaitForRecord(const std::string& line) const {
    for (int i = 0; i < 500; ++i) {
      std::string text = ReadWholeFile(record_);
      if (text.find(line + "\n") != std::string::npos) return text;
      usleep(10000);
    }
    return ReadWholeFile(record_);
  }

  std::string record_;
  LONGLONG (*savedClock_)() = CUploadDlg::s_pfnNowSeconds;
};

LONGLONG g_seconds = 0;
LONGLONG ManualClock() { return g_seconds; }

}  // namespace

TEST_F(UploadDlgUploaderTest, TwitterProgressToSuccessClosesTheUploaderAndLogs) {
  setenv("UPLOADER_STUB_TITLES",
         "Morvane Systems Twitter Uploader (logging in)|Morvane Systems Twitter Uploader (logging in)|"
         "Morvane Systems Twitter Uploader (upload media)|Morvane Systems Twitter Uploader (upload media)|"
         "Morvane Systems Twitter Uploader (Upload OK)",
         1);
  CUploadDlg dialog(nullptr, ShareTwitter);
  FillUploader(dialog);
  dialog.m_share.twitter.text = "Hi \"all\"";
  AnswerLogin("ann@x.org", "pw");
  RunScreenToTheEnd();
  EXPECT_EQ(dialog.DoModal(), 1);
  EXPECT_STREQ(dialog.StatusPath(), (dir_ + "/images/twitter_success.jpg").c_str());
  std::string record = WaitForRecord("close");
  EXPECT_NE(record.find("arg -uann@x.org\narg -ppw\narg -f"), std::string::npos) << record;
  EXPECT_NE(record.find("arg -cHi \"all\"\narg -x"), std::string::npos) << record;
  EXPECT_NE(record.find("topmost\n"), std::string::npos) << "logging in brings the uploader to the top";
  EXPECT_NE(record.find("close\n"), std::string::npos);
  EXPECT_NE(ReadWholeFile(dir_ + "/share.csv").find(",TWITTER_USERNAME:ann_x.org,1," + photo_), std::string::npos);
}

TEST_F(UploadDlgUploaderTest, FacebookErrorInTheTitleIsShown) {
  setenv("UPLOADER_STUB_TITLES", "Morvane Systems Facebook Uploader (error: album refused) x", 1);
  CUploadDlg dialog(nullptr, ShareFacebook);
  FillUploader(dialog);
  dialog.m_share.userName = "old";
  AnswerLogin("bob", "pw");
  RunScreenToTheEnd();
  EXPECT_EQ(dialog.DoModal(), 1);
  EXPECT_STREQ(dialog.MessageText(), "error: album refused");
  EXPECT_STREQ(dialog.StatusPath(), (dir_ + "/images/fb_error.jpg").c_str());
  EXPECT_STREQ(dialog.m_share.userName, "bob") << "handed back to the opener";
  std::string record = WaitForRecord("close");
  EXPECT_NE(record.find("arg -aBooth\n"), std::string::npos) << record;
  EXPECT_NE(ReadWholeFile(dir_ + "/share.csv").find(",FACEBOOK_USERNAME:bob,0,"), std::string::npos);
}

TEST_F(UploadDlgUploaderTest, SameTitleLongerThanTheTimeOutEndsTheWatch) {
  setenv("UPLOADER_STUB_TITLES", "Morvane Systems Facebook Uploader (upload photo) 10%", 1);
  g_seconds = 1000;
  CUploadDlg::s_pfnNowSeconds = ManualClock;
  CUploadDlg dialog(nullptr, ShareFacebook);
  FillUploader(dialog);
  dialog.m_share.facebook.timeoutSeconds = 30;
  AnswerLogin("bob", "pw");
  PushDialogScript(DialogScript(IDD_UPLOAD)
                       .RunUntil([&] { return dialog.StatusPath().Find("fb_upload") >= 0; })
                       .Call([](CDialog*) { g_seconds += 31; })
                       .RunUntil([] { return false; }));
  EXPECT_EQ(dialog.DoModal(), 1);
  EXPECT_STREQ(dialog.StatusPath(), (dir_ + "/images/fb_timeout.jpg").c_str());
  EXPECT_NE(WaitForRecord("close").find("close\n"), std::string::npos);
}

TEST_F(UploadDlgUploaderTest, MissingUploaderShowsTheCommandForFiveSeconds) {
  std::filesystem::remove(dir_ + "/bin/Ciripost");
  CUploadDlg dialog(nullptr, ShareTwitter);
  FillUploader(dialog);
  AnswerLogin("ann", "secret");
  RunScreenToTheEnd();
  EXPECT_EQ(dialog.DoModal(), 1);
  EXPECT_EQ(dialog.ArmedCloseMs(), 5000u);
  EXPECT_STREQ(dialog.StatusPath(), (dir_ + "/images/twitter_error.jpg").c_str());
  CString message = dialog.MessageText();
  EXPECT_EQ(message.Find("Error trying to run command:\nENOENT: File or path not found\ncmd: " + CString(dir_.c_str()) +
                         "/bin/Ciripost\n"),
            0)
      << message.GetString();
  EXPECT_GE(message.Find("arg 2: -p<password>\n"), 0);
  EXPECT_LT(message.Find("secret"), 0);
}

namespace {
LONGLONG g_tick = 0;
// Every reading is a second later: the watch times out after a bounded number of ticks.
LONGLONG TickingClock() { return ++g_tick; }
}  // namespace

TEST_F(UploadDlgUploaderTest, AnotherUploadersWindowIsNotThisSharesProgress) {
  // A leftover uploader from an earlier share still shows its success.
  const std::string leftoverRecord = dir_ + "/leftover.txt";
  setenv("UPLOADER_STUB_RECORD", leftoverRecord.c_str(), 1);
  setenv("UPLOADER_STUB_TITLES", "Morvane Systems Twitter Uploader (Upload OK)", 1);
  HANDLE leftover = StartProcess({UPLOADER_STUB_PATH});
  ASSERT_NE(leftover, nullptr);
  const DWORD leftoverPid = GetProcessId(leftover);
  HWND leftoverWindow = nullptr;
  CString title;
  for (int i = 0; i < 1000 && !(leftoverWindow && title.Find("(Upload OK)") > 0); ++i) {
    usleep(10000);
    leftoverWindow = FindWindowByTitle(kTwitterUploaderPrefix, leftoverPid, &title);
  }
  ASSERT_NE(leftoverWindow, nullptr);
  ASSERT_GT(title.Find("(Upload OK)"), 0);

  // This share's uploader shows no window at all.
  setenv("UPLOADER_STUB_RECORD", record_.c_str(), 1);
  unsetenv("UPLOADER_STUB_TITLES");
  g_tick = 0;
  CUploadDlg::s_pfnNowSeconds = TickingClock;
  CUploadDlg dialog(nullptr, ShareTwitter);
  FillUploader(dialog);
  dialog.m_share.twitter.timeoutSeconds = 5;
  AnswerLogin("ann", "pw");
  RunScreenToTheEnd();
  EXPECT_EQ(dialog.DoModal(), 1);
  EXPECT_STREQ(dialog.StatusPath(), (dir_ + "/images/twitter_timeout.jpg").c_str());
  const std::string log = ReadWholeFile(dir_ + "/share.csv");
  EXPECT_NE(log.find(",TWITTER_USERNAME:ann,0,"), std::string::npos) << log;
  EXPECT_EQ(ReadWholeFile(leftoverRecord).find("close"), std::string::npos) << "the leftover is not ours to close";

  ::PostMessageA(leftoverWindow, WM_CLOSE, 0, 0);
  EXPECT_EQ(WaitForSingleObject(leftover, 10000), WAIT_OBJECT_0);
  CloseHandle(leftover);
}
