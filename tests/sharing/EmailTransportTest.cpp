#include "sharing/EmailTransport.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>

#include "sharing/MailSender.h"
#include "support/PasswordScrambler.h"
#include "tests/http/LoopbackHttpServer.h"
#include "tests/platform/csmail/SmtpTestServer.h"

namespace {

class EmailTransportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ClearProxyEnvironment();
    char pattern[] = "/tmp/tavorin-share-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
    photo_ = dir_ + "/photo.jpg";
    std::string data = "\xff\xd8\xff\xe0" + std::string(500, 'p') + "\xff\xd9";
    FILE* f = std::fopen(photo_.c_str(), "wb");
    std::fwrite(data.data(), 1, data.size(), f);
    std::fclose(f);
    settings_.user = "booth";
    settings_.password = ScramblePassword("pw");
    settings_.host = "127.0.0.1";
    settings_.subject = "Photo for {user1_data}";
    settings_.text = "Hello {sharingMessage}";
    settings_.html = "<p>{sharingMessage}</p><img src=\"{image}\">";
    settings_.logEnabled = true;
    settings_.logPath = (dir_ + "/logs/email.csv").c_str();
    input_.recipient = "guest@example.com";
    input_.userData[0] = "guest@example.com";
    input_.sharingMessage = "Nice day";
    input_.photoPath = photo_.c_str();
    input_.preparedFile = photo_.c_str();
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::string Log() const { return ReadWholeFile(settings_.logPath.str()); }

  std::string dir_, photo_;
  EmailShareSettings settings_;
  EmailShareInput input_;
};

}  // namespace

TEST_F(EmailTransportTest, LogLineKeepsUserTextAsTypedAndSkipsBlankFields) {
  input_.userData[1] = "  message  ";
  input_.userData[3] = "   ";
  input_.userData[4] = "Ann %d %s";
  input_.checkBoxes = {1, 0};
  std::tm when{};
  when.tm_year = 126;
  when.tm_mon = 11;
  when.tm_mday = 10;
  when.tm_hour = 9;
  when.tm_min = 5;
  when.tm_sec = 7;
  when.tm_isdst = -1;
  CString line = ShareLogLine(std::mktime(&when), input_, false);
  EXPECT_STREQ(line, ("20261210,090507,guest@example.com,0," + photo_ +
                      ",user2_data=message,user5_data=Ann %d %s,chkbox1=1,chkbox2=0\n")
                         .c_str());
}

TEST_F(EmailTransportTest, TemplatesExpandOnceAndImageOnlyInHtml) {
  input_.sharingMessage = "{user1_data} {image}";
  EXPECT_STREQ(ExpandEmailTemplate("[{sharingMessage}] {image} {user1_data} {user11_data}", input_, "1.2@x", false),
               "[{user1_data} {image}] {image} guest@example.com {user11_data}");
  EXPECT_STREQ(ExpandEmailTemplate("<img src=\"{image}\">", input_, "1.2@x", true), "<img src=\"cid:1.2@x\">");
}

TEST(MailErrorTextTest, DetailThenDescriptionThenCode) {
  struct Row {
    long code;
    const char* description;
    const char* detail;
    const char* expected;
  } rows[] = {
      {0x80004005L, "d", "Failed to connect; refused ", "Failed to connect\nrefused\n"},
      {0x80004005L, "d", ";leading", ";leading\n"},
      {static_cast<long>(0x80040206), "Refused", "", "Refused\nSMTP server response: 550 no"},
      {0x80004005L, "", "", "Error\nErrorMessage: Unspecified error"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.expected);
    EXPECT_STREQ(DescribeMailError(row.code, row.description, row.detail, "550 no"), row.expected);
  }
}

TEST_F(EmailTransportTest, OfflineOnlyLogsAndSaysSoOnlyWhenTheLineWasKept) {
  settings_.offline = true;
  settings_.host = "unused.invalid";
  EmailShareResult result = SendEmail(settings_, input_);
  EXPECT_EQ(result.picture, CString("email_offline.jpg"));
  EXPECT_EQ(result.displayMs, 5000);
  EXPECT_FALSE(result.sent);
  EXPECT_NE(Log().find(",guest@example.com,0," + photo_ + "\n"), std::string::npos) << Log();

  struct Row {
    bool enabled;
    std::string path;
  } rows[] = {{false, dir_ + "/off.csv"}, {true, ""}, {true, photo_ + "/under-a-file.csv"}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.path);
    settings_.logEnabled = row.enabled;
    settings_.logPath = row.path.c_str();
    result = SendEmail(settings_, input_);
    EXPECT_EQ(result.picture, CString("email_error.jpg"));
    EXPECT_STREQ(result.message, ("Error writing email log:\n" + row.path).c_str());
  }
}

TEST_F(EmailTransportTest, SettingErrorsComeFirstInOrder) {
  struct Row {
    const char* user;
    const char* password;
    const char* host;
    const char* recipient;
    const char* expected;
  } rows[] = {{"", "", "", "", "Error: email host username missing"},
              {"u", "", "", "", "Error: email host password missing"},
              {"u", "p", "", "", "Error: email host name missing"},
              {"u", "p", "h", "", "Error: email address missing"}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.expected);
    settings_.user = row.user;
    settings_.password = ScramblePassword(row.password);
    settings_.host = row.host;
    input_.recipient = row.recipient;
    EmailShareResult result = SendEmail(settings_, input_);
    EXPECT_STREQ(result.message, row.expected);
    EXPECT_EQ(result.picture, CString("email_error.jpg"));
  }
  EXPECT_NE(Log().find(",0,"), std::string::npos);
}

TEST_F(EmailTransportTest, SendsHtmlWithInlinePhotoOrPlainAndLogsSent) {
  SmtpTestServerOptions options;
  options.user = "booth";
  options.password = "pw";
  SmtpTestServer server(options);
  ASSERT_TRUE(server.ok());
  settings_.port = server.port();

  EmailShareResult result = SendEmail(settings_, input_);
  EXPECT_STREQ(result.message, "");
  EXPECT_EQ(result.picture, CString("email_success.jpg"));
  ASSERT_EQ(server.count(), 1);
  std::string summary = server.summary(1);
  // No sender setting: the guest is sender and recipient.
  EXPECT_NE(summary.find("envelope-from: guest@example.com\n"), std::string::npos) << summary;
  EXPECT_NE(summary.find("subject: Photo for guest@example.com\n"), std::string::npos) << summary;
  EXPECT_NE(summary.find("    text: Hello Nice day\n"), std::string::npos) << summary;
  size_t cidAt = summary.find("cid=<");
  ASSERT_NE(cidAt, std::string::npos) << summary;
  std::string cid = summary.substr(cidAt + 5, summary.find('>', cidAt) - cidAt - 5);
  EXPECT_NE(cid.find("@tavorin.image"), std::string::npos);
  EXPECT_NE(summary.find("<img src=\"cid:" + cid + "\">"), std::string::npos) << summary;
  EXPECT_NE(Log().find(",guest@example.com,1," + photo_ + "\n"), std::string::npos) << Log();

  settings_.html = "   ";
  settings_.from = "booth@example.com";
  result = SendEmail(settings_, input_);
  EXPECT_STREQ(result.message, "");
  ASSERT_EQ(server.count(), 2);
  summary = server.summary(2);
  EXPECT_NE(summary.find("envelope-from: booth@example.com\n"), std::string::npos) << summary;
  EXPECT_NE(summary.find("part: multipart/mixed\n  part: text/plain\n  text: Hello Nice day\n  part: image/jpeg"),
            std::string::npos)
      << summary;
}

TEST_F(EmailTransportTest, GuestLineBreakInSubjectAddsNoHeader) {
  SmtpTestServerOptions options;
  options.user = "booth";
  options.password = "pw";
  SmtpTestServer server(options);
  ASSERT_TRUE(server.ok());
  settings_.port = server.port();
  settings_.subject = "Hi {sharingMessage}";
  input_.sharingMessage = "there\r\nBcc: someone@example.com";
  EXPECT_STREQ(SendEmail(settings_, input_).message, "");
  ASSERT_EQ(server.count(), 1);
  std::string summary = server.summary(1);
  EXPECT_NE(summary.find("envelope-to: guest@example.com\n"), std::string::npos) << summary;
  EXPECT_EQ(summary.find("Bcc,"), std::string::npos) << summary;
  EXPECT_NE(summary.find("subject: Hi there  Bcc: someone@example.com\n"), std::string::npos) << summary;

  input_.recipient = "guest@example.com,other@example.com";
  EmailShareResult result = SendEmail(settings_, input_);
  EXPECT_NE(std::string(result.message).find("Invalid email address"), std::string::npos) << result.message;
  EXPECT_EQ(server.count(), 1);
}

TEST_F(EmailTransportTest, RefusedLoginShowsTheServerReplyAndLogsUnsent) {
  SmtpTestServerOptions options;
  options.user = "booth";
  options.password = "other";
  SmtpTestServer server(options);
  ASSERT_TRUE(server.ok());
  settings_.port = server.port();
  EmailShareResult result = SendEmail(settings_, input_);
  EXPECT_STREQ(result.message,
               "The email server refused the message\nSMTP server response: 535 5.7.8 Authentication credentials invalid");
  EXPECT_EQ(result.picture, CString("email_error.jpg"));
  EXPECT_EQ(result.displayMs, 10000);
  EXPECT_NE(Log().find(",0,"), std::string::npos);
}

// The log holds guests' addresses: made private whatever the umask, and a link another user
// planted where it goes is not written through.
TEST_F(EmailTransportTest, TheLogIsMadePrivateAndALinkInItsPlaceIsNotFollowed) {
  settings_.offline = true;
  mode_t old = umask(022);
  SendEmail(settings_, input_);
  umask(old);
  struct stat info {};
  ASSERT_EQ(stat(settings_.logPath, &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);

  std::string planted = dir_ + "/planted.csv";
  std::filesystem::remove(settings_.logPath.GetString());
  std::FILE* f = std::fopen(planted.c_str(), "w");
  std::fclose(f);
  ASSERT_EQ(symlink(planted.c_str(), settings_.logPath), 0);
  EmailShareResult result = SendEmail(settings_, input_);
  EXPECT_EQ(result.picture, CString("email_error.jpg"));
  EXPECT_EQ(std::filesystem::file_size(planted), 0u);
}

TEST_F(EmailTransportTest, AServerThatCannotBeReachedIsAConnectError) {
  {
    SmtpTestServer gone;
    settings_.port = gone.port();
  }
  EmailShareResult result = SendEmail(settings_, input_);
  EXPECT_STREQ(result.message, "Error connecting to email server");
  EXPECT_EQ(result.picture, CString("email_error.jpg"));
  EXPECT_NE(Log().find(",0,"), std::string::npos);
}
