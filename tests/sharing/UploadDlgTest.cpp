#include "sharing/UploadDlg.h"

#include <atomic>
#include <thread>

#include "UploadDlgTestSupport.h"
#include "app/SettingsStore.h"
#include "photobooth/ConfirmPrintingDlg.h"
#include "support/ProgramGlobals.h"
#include "platform/user/message.h"
#include "support/PasswordScrambler.h"
#include "tests/http/LoopbackHttpServer.h"
#include "tests/platform/csmail/SmtpTestServer.h"

namespace {

class UploadDlgTest : public UploadDlgTestBase {
 protected:
  void SetUp() override {
    UploadDlgTestBase::SetUp();
    ClearProxyEnvironment();
  }
  void FillEmail(CUploadDlg& dialog, int port) const {
    Fill(dialog);
    EmailShareSettings& email = dialog.m_share.email;
    email.host = "127.0.0.1";
    email.port = port;
    email.user = "booth";
    email.password = ScramblePassword("pw");
    email.subject = "Your photo";
    email.text = "Hello";
    email.logEnabled = true;
    email.logPath = (dir_ + "/logs/email.csv").c_str();
  }
  std::string Log() const { return ReadWholeFile(dir_ + "/logs/email.csv"); }
};

}  // namespace

TEST_F(UploadDlgTest, EmailTypedOnTheKeyboardIsSentLoggedAndTheCopyDeleted) {
  SmtpTestServerOptions options;
  options.user = "booth";
  options.password = "pw";
  SmtpTestServer server(options);
  ASSERT_TRUE(server.ok());
  CString shownStatus;
  {
    CUploadDlg dialog(nullptr, ShareEmail);
    FillEmail(dialog, server.port());
    AnswerKeyboard("guest@example.com");
    RunScreenToTheEnd();
    EXPECT_EQ(dialog.DoModal(), 1);
    EXPECT_STREQ(dialog.m_share.recipient, "guest@example.com");
    EXPECT_STREQ(dialog.MessageText(), "");
    EXPECT_STREQ(dialog.StatusPath(), (dir_ + "/images/email_success.jpg").c_str());
    EXPECT_EQ(dialog.ArmedCloseMs(), 3000u);
    EXPECT_EQ(TemporaryFiles(), 1) << "the prepared copy lives as long as the screen";
  }
  EXPECT_EQ(TemporaryFiles(), 0);
  EXPECT_EQ(server.count(), 1);
  EXPECT_NE(Log().find("guest@example.com,1," + photo_), std::string::npos) << Log();
}

TEST_F(UploadDlgTest, EmailOutcomesPictureTextAndDisplayTime) {
  struct Row {
    const char* name;
    bool offline;
    bool noUser;
    bool logPath;
    const char* picture;
    const char* message;
    UINT ms;
    const char* logged;
  };
  const Row rows[] = {
      {"offline", true, false, true, "email_offline.jpg", "", 5000, ",0,"},
      {"setting missing", false, true, true, "email_error.jpg", "Error: email host username missing", 10000, ",0,"},
      // Offline with nowhere to keep the e-mail: it must not claim to be saved.
      {"offline without log", true, false, false, "email_error.jpg", "Error writing email log:\n", 10000, nullptr},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    std::filesystem::remove_all(dir_ + "/logs");
    CUploadDlg dialog(nullptr, ShareEmail);
    FillEmail(dialog, 1);
    dialog.m_share.email.offline = row.offline;
    if (row.noUser) dialog.m_share.email.user.Empty();
    if (!row.logPath) dialog.m_share.email.logPath.Empty();
    AnswerKeyboard("guest@example.com");
    RunScreenToTheEnd();
    EXPECT_EQ(dialog.DoModal(), 1);
    EXPECT_STREQ(dialog.StatusPath(), (dir_ + "/images/" + row.picture).c_str());
    EXPECT_STREQ(dialog.MessageText(), row.message);
    EXPECT_EQ(dialog.ArmedCloseMs(), row.ms);
    if (row.logged) {
      EXPECT_NE(Log().find(std::string("guest@example.com") + row.logged + photo_), std::string::npos);
    }
  }
}

TEST_F(UploadDlgTest, PreparationErrorShowsTheKindsErrorPictureAndStillCloses) {
  CUploadDlg dialog(nullptr, ShareEmail);
  Fill(dialog);
  dialog.m_share.photoPath = (dir_ + "/missing.jpg").c_str();
  AnswerKeyboard("guest@example.com");
  RunScreenToTheEnd();
  EXPECT_EQ(dialog.DoModal(), 1);
  EXPECT_STREQ(dialog.MessageText(), ("Error reading image file:\n" + dir_ + "/missing.jpg").c_str());
  EXPECT_STREQ(dialog.StatusPath(), (dir_ + "/images/email_error.jpg").c_str());
  EXPECT_EQ(dialog.ArmedCloseMs(), 5000u);
}

TEST_F(UploadDlgTest, GifIsSentAsItIsAndNothingIsDeleted) {
  std::string gif = dir_ + "/anim.gif";
  // A 1 x 1 GIF.
  const unsigned char bytes[] = {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0x80, 0, 0, 0, 0, 0, 255, 255, 255,
                                 ',', 0, 0, 0, 0, 1, 0, 1, 0, 0, 2, 2, 'D', 1, 0, ';'};
  std::ofstream(gif, std::ios::binary).write(reinterpret_cast<const char*>(bytes), sizeof bytes);
  CUploadDlg dialog(nullptr, ShareEmail);
  FillEmail(dialog, 1);
  dialog.m_share.photoPath = gif.c_str();
  dialog.m_share.email.offline = true;
  AnswerKeyboard("guest@example.com");
  RunScreenToTheEnd();
  EXPECT_EQ(dialog.DoModal(), 1);
  EXPECT_EQ(TemporaryFiles(), 0);
  EXPECT_TRUE(std::filesystem::exists(gif));
  EXPECT_NE(Log().find(",0," + gif), std::string::npos);
}

TEST_F(UploadDlgTest, CancelledKeyboardWaitsForThePreviewThenReturnsTwo) {
  MakePhoto(photo_, 4000, 3000, RGB(10, 200, 10));
  CUploadDlg dialog(nullptr, ShareMms);
  Fill(dialog);
  PushDialogScript(DialogScript(IDD_KEYBOARD).Press(IDCANCEL));
  RunScreenToTheEnd();
  EXPECT_EQ(dialog.DoModal(), 2);
  EXPECT_FALSE(dialog.IsBusy());
  EXPECT_TRUE(dialog.HasPreview()) << "closed before the load thread had finished";
  EXPECT_EQ(TemporaryFiles(), 0);
}

TEST_F(UploadDlgTest, DrawStatusFromAnotherThreadWhilePainting) {
  CUploadDlg dialog(nullptr, ShareEmail);
  Fill(dialog);
  std::atomic<bool> done{false};
  std::thread drawer;
  PushDialogScript(DialogScript(IDD_KEYBOARD)
                       .Call([&](CDialog*) {
                         drawer = std::thread([&] {
                           for (int i = 0; i < 20; ++i) {
                             dialog.SetMessageText(i % 2 ? "one\nline two" : "");
                             dialog.DrawStatus(i % 2 ? (dir_ + "/images/email_photo.jpg").c_str()
                                                     : (dir_ + "/images/unknown.jpg").c_str(),
                                               false);
                           }
                           done = true;
                         });
                       })
                       .RunUntil([&] {
                         dialog.Invalidate(FALSE);
                         dialog.UpdateWindow();
                         return done.load();
                       })
                       .Press(IDCANCEL));
  RunScreenToTheEnd();
  EXPECT_EQ(dialog.DoModal(), 2);
  // The drawer may still wait for this thread to draw.
  while (!done) {
    PumpWaitingMessages();
    Sleep(5);
  }
  drawer.join();
  EXPECT_TRUE(done);
  EXPECT_STREQ(dialog.StatusPath(), (dir_ + "/images/email_photo.jpg").c_str());
}

TEST(UploadDlgCaptionTest, KeysAreExactAndOthersShowThePath) {
  struct Row {
    const char* path;
    const char* caption;
  };
  const Row rows[] = {
      {"/i/fb_login.jpg", "Logging in to Facebook..."},
      {"/i/fb_login_failure.jpg", "Facebook login failure"},
      {"/i/email_offline.jpg", "Your email has been saved and will be sent later"},
      {"/i/mms.jpg", "Sending MMS message..."},
      {"/i/mms_as_sms.jpg", "Sending message as an SMS..."},
      {"/i/twitter_cancel.jpg", "Cancelling, please wait..."},
      {"/i/share_printing.jpg", "Printing..."},
      {"/i/Email_Success.jpg", "/i/Email_Success.jpg"},
      {"/i/other.jpg", "/i/other.jpg"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.path);
    EXPECT_STREQ(CUploadDlg::StatusCaption(row.path), row.caption);
  }
}

TEST_F(UploadDlgTest, MmsKindOutcomes) {
  struct Row {
    const char* name;
    bool offline;
    const char* picture;
    const char* message;
    UINT ms;
  };
  const Row rows[] = {
      {"offline", true, "mms_offline.jpg", "", 3000},
      {"no account", false, "mms_error.jpg", "MMS account settings missing", 5000},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    CUploadDlg dialog(nullptr, ShareMms);
    Fill(dialog);
    dialog.m_share.mms.offline = row.offline;
    dialog.m_share.mms.from = "+15550001";
    dialog.m_share.mms.countryPrefix = "+44";
    dialog.m_share.mms.logEnabled = true;
    dialog.m_share.mms.logPath = (dir_ + "/mms.csv").c_str();
    AnswerKeyboard("07700900123");
    RunScreenToTheEnd();
    EXPECT_EQ(dialog.DoModal(), 1);
    EXPECT_STREQ(dialog.m_share.recipient, "07700900123");
    EXPECT_STREQ(dialog.StatusPath(), (dir_ + "/images/" + row.picture).c_str());
    EXPECT_STREQ(dialog.MessageText(), row.message);
    EXPECT_EQ(dialog.ArmedCloseMs(), row.ms);
    EXPECT_NE(ReadWholeFile(dir_ + "/mms.csv").find(",MMS:07700900123,0," + photo_), std::string::npos);
  }
}

TEST_F(UploadDlgTest, SecondCopyOfTheSamePhotoGetsANumber) {
  std::string temp = dir_ + "/tmp/";
  EXPECT_STREQ(MakeTemporaryCopyPath(photo_.c_str(), -1), (temp + "photo.jpg").c_str());
  std::ofstream(temp + "photo.jpg") << "x";
  EXPECT_STREQ(MakeTemporaryCopyPath(photo_.c_str(), -1), (temp + "photo1.jpg").c_str());
  std::ofstream(temp + "photo1.jpg") << "x";
  EXPECT_STREQ(MakeTemporaryCopyPath(photo_.c_str(), -1), (temp + "photo2.jpg").c_str());
}

TEST_F(UploadDlgTest, TheShareOfTheSettingsRunsTheStatusCommandAndColourManagesItsPrint) {
  const std::string script = dir_ + "/status.sh", heard = dir_ + "/status.txt";
  std::ofstream(script) << "#!/bin/sh\necho \"$1\" >> '" << heard << "'\n";
  std::filesystem::permissions(script, std::filesystem::perms::owner_all);
  const CString savedCommand = g_strPhotoboothStatusCmd, savedCamera = g_strCameraProfile;
  const BOOL savedEnable = g_bPhotoboothStatusCmdEnable;
  g_bPhotoboothStatusCmdEnable = TRUE;
  g_strPhotoboothStatusCmd = script.c_str();
  g_strCameraProfile = "/profiles/camera.icc";

  ViewSettings s;
  s.m_strPhotoboothEmailHost = "127.0.0.1";
  s.m_strPhotoboothEmailUsername = "booth";
  s.m_strPhotoboothEmailPassword = ScramblePassword("pw");
  s.m_bPhotoboothEmailOfflineMode = TRUE;
  s.m_strPrinterProfile = "/profiles/printer.icc";
  for (BOOL managed : {FALSE, TRUE}) {
    s.m_bEnablePrinterColourManagement = managed;
    const ShareSettings print = BuildShareSettings(SharePrint, s, "", photo_.c_str());
    EXPECT_STREQ(print.iccInputProfile, managed ? "/profiles/camera.icc" : "");
    EXPECT_STREQ(print.iccOutputProfile, managed ? "/profiles/printer.icc" : "");
  }

  CUploadDlg dialog(nullptr, ShareEmail);
  dialog.m_share = BuildShareSettings(ShareEmail, s, (dir_ + "/images").c_str(), photo_.c_str());
  dialog.m_timeScale = 0.01;
  AnswerKeyboard("guest@example.com");
  RunScreenToTheEnd();
  EXPECT_EQ(dialog.DoModal(), 1);
  const std::string offline = dir_ + "/images/email_offline.jpg\n";
  std::string lines;
  for (int i = 0; i < 500 && lines.find(offline) == std::string::npos; ++i) {
    usleep(10000);
    lines = ReadWholeFile(heard);
  }
  EXPECT_NE(lines.find(offline), std::string::npos) << lines;

  g_bPhotoboothStatusCmdEnable = savedEnable;
  g_strPhotoboothStatusCmd = savedCommand;
  g_strCameraProfile = savedCamera;
}
