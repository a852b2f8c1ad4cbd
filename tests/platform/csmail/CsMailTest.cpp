#include "platform/csmail/csmail.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <string>

#include "tests/http/LoopbackHttpServer.h"
#include "tests/platform/csmail/SmtpTestServer.h"

using namespace CSMail;

namespace {

class TempJpeg {
 public:
  TempJpeg() {
    char pattern[] = "/tmp/tavorin-mail-XXXXXX.jpg";
    int fd = mkstemps(pattern, 4);
    path_ = pattern;
    std::string data = "\xff\xd8\xff\xe0";
    data += std::string(3000, 'x');
    data += "\xff\xd9";
    (void)!write(fd, data.data(), data.size());
    close(fd);
  }
  ~TempJpeg() { std::remove(path_.c_str()); }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

void FillHtml(Message& message, const std::string& photo) {
  BodyPart& alternative = message.Body().AddChild();
  alternative.SetHeader("Content-Type", "multipart/alternative");
  alternative.AddChild().SetText("Plain words");
  BodyPart& related = alternative.AddChild();
  related.SetHeader("Content-Type", "multipart/related");
  BodyPart& html = related.AddChild();
  html.SetText("<html><body><img src=\"cid:17.4@tavorin.image\"></body></html>");
  html.SetHeader("Content-Type", "text/html");
  BodyPart& image = related.AddChild();
  image.AttachFile(photo);
  image.SetHeader("Content-ID", "<17.4@tavorin.image>");
}

// A one-line message from the booth, ready to send.
void FillShort(Message& message, const std::string& recipient = "guest@example.com") {
  message.SetFrom("booth@example.com");
  message.AddRecipient(recipient);
  message.Body().SetText("x");
}

struct Outcome {
  HRESULT code = S_OK;
  std::string description;
};

Outcome SendTo(SmtpConnection& smtp, const Message& message) {
  try {
    smtp.Send(message);
  } catch (const CSMailError& error) {
    return {error.code, error.description};
  }
  return {};
}

}  // namespace

TEST(CsMailMessageTest, AddressesThatCouldAddRecipientsOrHeadersAreRefused) {
  for (const char* address : {"a@b.com\r\nBcc: x@y.z", "a@b.com\nX: 1", "a@b.com,c@d.com", "", "a@b.com>"}) {
    SCOPED_TRACE(address);
    Message message;
    EXPECT_THROW(message.AddRecipient(address), CSMailError);
    EXPECT_THROW(message.SetFrom(address), CSMailError);
    EXPECT_TRUE(message.Recipients().empty());
  }
  Message message;
  EXPECT_NO_THROW(message.AddRecipient("guest.name+booth@example.com"));
}

TEST(CsMailMessageTest, SubjectStaysOneEncodedHeaderLine) {
  Message message;
  message.SetFrom("a@b.com");
  message.AddRecipient("c@d.com");
  message.SetSubject("Hello\r\nBcc: victim@example.com\nX-Evil: 1");
  message.Body().SetText("x");
  std::string raw = message.Build();
  EXPECT_EQ(raw.find("\r\nBcc:"), std::string::npos);
  EXPECT_EQ(raw.find("\nX-Evil"), std::string::npos);
  EXPECT_NE(raw.find("Subject: Hello  Bcc: victim@example.com X-Evil: 1\r\n"), std::string::npos);

  message.SetSubject("Caf\xe9 \xe0 la plage");  // the system code page
  raw = message.Build();
  EXPECT_NE(raw.find("Subject: =?UTF-8?B?"), std::string::npos);
}

TEST(CsMailMessageTest, MissingAttachmentFailsInsteadOfSendingAnEmptyPicture) {
  Message message;
  message.SetFrom("a@b.com");
  message.AddRecipient("c@d.com");
  message.Body().AddChild().SetText("x");
  message.Body().AddChild().AttachFile("/nonexistent/photo.jpg");
  EXPECT_THROW(message.Build(), CSMailError);
}

TEST(CsMailSmtpTest, HtmlTreeArrivesWithInlinePhotoAndUtf8Text) {
  ClearProxyEnvironment();
  SmtpTestServerOptions options;
  options.user = "booth";
  options.password = "s3cret";
  SmtpTestServer server(options);
  ASSERT_TRUE(server.ok());
  TempJpeg photo;
  Message message;
  message.SetFrom("booth@example.com");
  message.AddRecipient("guest@example.com");
  message.SetSubject("Your photo \xe9t\xe9");
  FillHtml(message, photo.path());
  SmtpConnection smtp;
  ASSERT_EQ(smtp.ConnectAuth("127.0.0.1", "booth", "s3cret", "LOGIN", server.port()), S_OK);
  Outcome outcome = SendTo(smtp, message);
  ASSERT_EQ(outcome.code, S_OK) << outcome.description << " / " << smtp.ErrorDetail();
  smtp.Close();
  ASSERT_EQ(server.count(), 1);
  std::string summary = server.summary(1);
  EXPECT_NE(summary.find("auth: booth\n"), std::string::npos) << summary;
  EXPECT_NE(summary.find("envelope-to: guest@example.com\n"), std::string::npos) << summary;
  EXPECT_NE(summary.find("subject: Your photo \xc3\xa9t\xc3\xa9\n"), std::string::npos) << summary;
  EXPECT_NE(summary.find("part: multipart/mixed\n"
                         "  part: multipart/alternative\n"
                         "    part: text/plain\n"
                         "    text: Plain words\n"
                         "    part: multipart/related\n"
                         "      part: text/html\n"),
            std::string::npos)
      << summary;
  EXPECT_NE(summary.find("part: image/jpeg cid=<17.4@tavorin.image> disposition=inline filename="), std::string::npos)
      << summary;
  EXPECT_NE(summary.find("bytes=3006 jpeg"), std::string::npos) << summary;
}

TEST(CsMailSmtpTest, RefusalsCarryTheServerReply) {
  ClearProxyEnvironment();
  SmtpTestServerOptions options;
  options.user = "booth";
  options.password = "right";
  options.rejectRecipient = "gone@example.com";
  SmtpTestServer server(options);
  ASSERT_TRUE(server.ok());
  struct Row {
    const char* password;
    const char* recipient;
    const char* reply;
  } rows[] = {{"wrong", "guest@example.com", "535 5.7.8 Authentication credentials invalid"},
              {"right", "gone@example.com", "550 5.1.1 Mailbox unavailable"}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.reply);
    Message message;
    FillShort(message, row.recipient);
    SmtpConnection smtp;
    // A refused login is refused by the connect itself, as a server refusal.
    Outcome outcome;
    try {
      if (smtp.ConnectAuth("127.0.0.1", "booth", row.password, "LOGIN", server.port()) == S_OK)
        outcome = SendTo(smtp, message);
    } catch (const CSMailError& error) {
      outcome = {error.code, error.description};
    }
    EXPECT_EQ(static_cast<unsigned>(outcome.code), 0x80040206u);
    EXPECT_EQ(smtp.LastResponse(), row.reply);
    EXPECT_EQ(smtp.ErrorDetail(), "");
  }
  EXPECT_EQ(server.count(), 0);
}

TEST(CsMailSmtpTest, SslIsStartTlsOrImplicitAndChecksTheCertificate) {
  ClearProxyEnvironment();
  TestCertificates certificates;
  ASSERT_TRUE(certificates.ok());
  for (bool implicit : {false, true}) {
    SCOPED_TRACE(implicit ? "implicit TLS" : "STARTTLS");
    SmtpTestServerOptions options;
    options.cert = certificates.certFile();
    options.key = certificates.keyFile();
    options.implicitTls = implicit;
    options.user = "booth";
    options.password = "pw";
    SmtpTestServer server(options);
    ASSERT_TRUE(server.ok());
    SetSmtpImplicitTlsPortForTesting(implicit ? server.port() : 0);
    Message message;
    message.SetFrom("booth@example.com");
    message.AddRecipient("guest@example.com");
    message.Body().SetText("secure");
    Ssl ssl;
    ssl.SetEnabled(true);
    SmtpConnection smtp;
    smtp.UseSsl(ssl);

    // The connect speaks TLS, so an unknown certificate fails it.
    ::unsetenv("TAVORIN_HTTP_EXTRA_CA");
    EXPECT_EQ(static_cast<unsigned>(smtp.ConnectAuth("localhost", "booth", "pw", "LOGIN", server.port())), 0x80004005u);
    EXPECT_FALSE(smtp.ErrorDetail().empty());
    EXPECT_NE(SendTo(smtp, message).code, S_OK);
    EXPECT_EQ(server.count(), 0);

    ::setenv("TAVORIN_HTTP_EXTRA_CA", certificates.caFile().c_str(), 1);
    ASSERT_EQ(smtp.ConnectAuth("localhost", "booth", "pw", "LOGIN", server.port()), S_OK);
    Outcome trusted = SendTo(smtp, message);
    ::unsetenv("TAVORIN_HTTP_EXTRA_CA");
    EXPECT_EQ(trusted.code, S_OK) << trusted.description;
    EXPECT_EQ(server.count(), 1);
  }
  SetSmtpImplicitTlsPortForTesting(0);
}

TEST(CsMailSmtpTest, SslWithoutStartTlsOnTheServerIsNotSentInClear) {
  ClearProxyEnvironment();
  TestCertificates certificates;
  ASSERT_TRUE(certificates.ok());
  SmtpTestServerOptions options;
  options.cert = certificates.certFile();
  options.key = certificates.keyFile();
  options.noStartTls = true;
  SmtpTestServer server(options);
  ASSERT_TRUE(server.ok());
  Message message;
  FillShort(message);
  Ssl ssl;
  ssl.SetEnabled(true);
  SmtpConnection smtp;
  smtp.UseSsl(ssl);
  EXPECT_NE(smtp.Connect("localhost", server.port()), S_OK);
  EXPECT_NE(SendTo(smtp, message).code, S_OK);
  EXPECT_EQ(server.count(), 0);
}

TEST(CsMailSmtpTest, NoServerIsATransportErrorWithDetail) {
  ClearProxyEnvironment();
  int port;
  {
    SmtpTestServer gone;
    port = gone.port();
  }
  Message message;
  FillShort(message);
  SmtpConnection smtp;
  // The connect itself reaches for the server, so it is the call that fails.
  EXPECT_EQ(static_cast<unsigned>(smtp.Connect("127.0.0.1", port)), 0x80004005u);
  EXPECT_FALSE(smtp.ErrorDetail().empty());
  EXPECT_EQ(static_cast<unsigned>(SendTo(smtp, message).code), 0x80004005u);
  EXPECT_EQ(smtp.Connect("", 25), static_cast<HRESULT>(0x80070057));
}

TEST(CsMailSmtpTest, AServerThatStallsAfterTheDataCannotHoldTheSendPastItsDeadline) {
  ClearProxyEnvironment();
  SetSmtpTimeoutForTesting(2);
  SetSmtpDeadlineForTesting(3);
  for (bool trickle : {false, true}) {
    SCOPED_TRACE(trickle ? "a byte a second" : "silent");
    SmtpTestServerOptions options;
    options.stallAfterDataSeconds = 30;
    options.trickle = trickle;
    SmtpTestServer server(options);
    ASSERT_TRUE(server.ok());
    Message message;
    FillShort(message);
    SmtpConnection smtp;
    ASSERT_EQ(smtp.Connect("127.0.0.1", server.port()), S_OK);
    EXPECT_EQ(static_cast<unsigned>(SendTo(smtp, message).code), 0x80004005u);
    EXPECT_FALSE(smtp.ErrorDetail().empty());
    smtp.Close();
    for (int i = 0; i < 300 && !server.clientLeftDuringStall(); ++i) usleep(10000);
    EXPECT_TRUE(server.clientLeftDuringStall());
    EXPECT_FALSE(server.stallRanOut());
  }
  SetSmtpTimeoutForTesting(0);
  SetSmtpDeadlineForTesting(0);
}
