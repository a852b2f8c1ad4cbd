#include "sharing/MmsTransport.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "support/PasswordScrambler.h"
#include "support/TextUtilities.h"
#include "tests/http/LoopbackHttpServer.h"
#include "tests/platform/csmail/SmtpTestServer.h"

namespace {

std::string HeadOf(const std::string& request) { return request.substr(0, request.find("\r\n\r\n")); }
std::string BodyOf(const std::string& request) {
  size_t end = request.find("\r\n\r\n");
  return end == std::string::npos ? std::string() : request.substr(end + 4);
}
std::string BaseOf(const LoopbackHttpServer& server) {
  std::string base = server.url("");
  if (!base.empty() && base.back() == '/') base.pop_back();
  return base;
}
std::string FirstLine(const std::string& request) { return request.substr(0, request.find("\r\n")); }

LoopbackHttpServer::Reply Answer(const std::string& status, const std::string& body) {
  return {"HTTP/1.1 " + status + "\r\nContent-Length: " + std::to_string(body.size()) +
          "\r\nConnection: close\r\n\r\n" + body};
}

class MmsTransportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ClearProxyEnvironment();
    ASSERT_TRUE(server_.ok());
    char pattern[] = "/tmp/tavorin-mms-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
    photo_ = dir_ + "/photo.jpg";
    std::ofstream(photo_, std::ios::binary) << "\xff\xd8\xff\xe0" << std::string(3000, 'p') << "\xff\xd9";
    base_ = BaseOf(server_);
    settings_.accountSid = "ACsid";
    settings_.authToken = ScramblePassword("secret");
    settings_.from = "+15550001";
    settings_.countryPrefix = "+44";
    settings_.message = "Hi {url}";
    settings_.uploadBaseUrl = (base_ + "/Twilio").c_str();
    settings_.twilioBaseUrl = (base_ + "/2010-04-01/Accounts").c_str();
    settings_.shortenerBaseUrl = (base_ + "/s").c_str();
    settings_.logEnabled = true;
    settings_.logPath = (dir_ + "/mms.csv").c_str();
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  MmsTransport Transport() {
    MmsTransport transport(settings_, photo_.c_str(), image_);
    transport.onStatus = [this](const char* picture) { statuses_.push_back(picture); };
    transport.sleep = [](DWORD) {};
    return transport;
  }
  std::string Log() const { return ReadWholeFile(dir_ + "/mms.csv"); }
  // The upload page's name of the photo, worked out as that page does.
  std::string ExpectedName() const {
    struct statx info {};
    statx(AT_FDCWD, photo_.c_str(), 0, STATX_BTIME | STATX_MTIME, &info);
    std::time_t created = (info.stx_mask & STATX_BTIME) ? info.stx_btime.tv_sec : info.stx_mtime.tv_sec;
    char stamp[32];
    std::tm utc{};
    gmtime_r(&created, &utc);
    std::strftime(stamp, sizeof stamp, "%y%m%d%H%M%S", &utc);
    std::string digest = std::string(stamp) + " w=0, h=0, angle=90, m_cropX=1, m_cropY=2, m_cropW=3, m_cropX=4, " + photo_;
    return std::string(stamp) + "_TVN" + MD5HexString(digest.c_str()).GetString() + "_photo.jpg";
  }
  static std::string Encoded(const std::string& text) {
    std::string out;
    for (unsigned char c : text) {
      if (std::isalnum(c)) {
        out += static_cast<char>(c);
      } else if (c == ' ') {
        out += '+';
      } else {
        char hex[4];
        std::snprintf(hex, sizeof hex, "%%%02X", c);
        out += hex;
      }
    }
    return out;
  }

  LoopbackHttpServer server_;
  std::string dir_, photo_, base_;
  MmsShareSettings settings_;
  SharedPhotoSettings image_;
  std::vector<std::string> statuses_;
};

}  // namespace

TEST_F(MmsTransportTest, MmsUploadsWithAuthThenSendsExactMessage) {
  image_.rotation = 90;
  image_.cropEnable = true;
  image_.cropX = 1, image_.cropY = 2, image_.cropWidth = 3, image_.cropHeight = 4;
  server_.Script(Answer("200 OK", "AUTH: tok123 \r\n"));
  server_.Script(Answer("200 OK", "FILE: ./p/1.jpg\n"));
  server_.Script(Answer("201 Created", "<TwilioResponse><Message/></TwilioResponse>"));
  MmsTransport transport = Transport();
  MmsResult result = transport.Send(" 07700 900123", photo_.c_str());
  EXPECT_STREQ(result.message, "");
  EXPECT_STREQ(result.picture, "mms_success.jpg");
  EXPECT_EQ(result.displayMs, 3000);
  std::vector<std::string> requests = server_.Requests();
  ASSERT_EQ(requests.size(), 3u);

  EXPECT_EQ(FirstLine(requests[0]), "POST /Twilio/image_upload.php HTTP/1.1");
  EXPECT_NE(HeadOf(requests[0]).find("User-Agent: Morvane Systems User Agent v1.0"), std::string::npos);
  EXPECT_EQ(BodyOf(requests[0]), "name=" + Encoded(ExpectedName()) + "&size=3006");

  std::string head = HeadOf(requests[1]);
  size_t at = head.find("boundary=");
  ASSERT_NE(at, std::string::npos);
  std::string boundary = head.substr(at + 9, head.find("\r\n", at) - at - 9);
  std::string file = ReadWholeFile(photo_);
  EXPECT_EQ(BodyOf(requests[1]),
            "--" + boundary + "\r\nContent-Disposition: form-data; name=\"auth\"\r\n\r\n" +
                MD5HexString("tok1233006").GetString() + "\r\n--" + boundary +
                "\r\nContent-Disposition: form-data; name=\"fileToUpload\"; filename=\"" + photo_ +
                "\"\r\nContent-Type: image/jpeg\r\n\r\n" + file + "\r\n--" + boundary +
                "\r\nContent-Disposition: form-data; name=\"submit\"\r\n\r\nsubmit\r\n--" + boundary + "--\r\n");

  EXPECT_EQ(FirstLine(requests[2]), "POST /2010-04-01/Accounts/ACsid/Messages HTTP/1.1");
  EXPECT_NE(HeadOf(requests[2]).find("Authorization: Basic " + std::string(Base64Encode("ACsid:secret").GetString())),
            std::string::npos);
  // The client sends its parameters sorted by name.
  EXPECT_EQ(BodyOf(requests[2]), "Body=Hi&From=%2B15550001&MediaUrl=" + Encoded(base_ + "/Twilio/p/1.jpg") +
                                     "&To=%2B447700900123");
  EXPECT_NE(Log().find(",MMS: 07700 900123,1," + photo_ + "\n"), std::string::npos) << Log();
  EXPECT_TRUE(statuses_.empty());
}

TEST_F(MmsTransportTest, RefusedMmsFallsBackOnceToAnSmsWithTheShortLink) {
  server_.Script(Answer("200 OK", "FILE:p/2.jpg"));
  server_.Script(Answer("400 Bad Request",
                        "<TwilioResponse><RestException><Code>21621</Code><Message>no</Message></RestException>"
                        "</TwilioResponse>"));
  server_.Script(Answer("200 OK", base_ + "/s/abc\n"));
  server_.Script(Answer("400 Bad Request",
                        "<TwilioResponse><RestException><Code>21621</Code></RestException></TwilioResponse>"));
  settings_.message = "Your photo";
  MmsTransport transport = Transport();
  MmsResult result = transport.Send("+4477", photo_.c_str());
  std::vector<std::string> requests = server_.Requests();
  ASSERT_EQ(requests.size(), 4u);
  EXPECT_EQ(FirstLine(requests[2]), "GET /s/api-create.php?url=" + Encoded(base_ + "/Twilio/p/2.jpg") + " HTTP/1.1");
  EXPECT_EQ(BodyOf(requests[3]), "Body=" + Encoded(base_ + "/s/abc Your photo") + "&From=%2B15550001&To=%2B4477");
  EXPECT_EQ(statuses_, std::vector<std::string>{"mms_as_sms.jpg"});
  EXPECT_STREQ(result.message, "Error, server returned 400 Bad Request") << "the SMS refused too: no third try";
  EXPECT_STREQ(result.picture, "mms_error.jpg");
  EXPECT_EQ(result.displayMs, 5000);
  EXPECT_NE(Log().find(",MMS:+4477,0,"), std::string::npos);
}

TEST_F(MmsTransportTest, SmsBodyFromTheTemplate) {
  struct Row {
    const char* name;
    int type;
    const char* message;
    int maxLength;
    std::string body;
  };
  const Row rows[] = {
      {"text only", 1, "Thanks  {url}  for   coming ", 0, "Thanks for coming"},
      {"link at the end", 2, "See {url}", 0, "See @/s/x"},
      {"no place for the link", 7, "See you", 0, "@/s/x See you"},
      {"cut after collapsing", 1, "Hello   there  world", 10, "Hello ther"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    LoopbackHttpServer server;
    base_ = BaseOf(server);
    settings_.uploadBaseUrl = (base_ + "/Twilio").c_str();
    settings_.twilioBaseUrl = (base_ + "/2010-04-01/Accounts").c_str();
    settings_.shortenerBaseUrl = (base_ + "/s").c_str();
    settings_.messageType = row.type;
    settings_.message = row.message;
    settings_.maxLength = row.maxLength;
    if (row.type != 1) {
      server.Script(Answer("200 OK", "FILE: q.jpg"));
      server.Script(Answer("200 OK", base_ + "/s/x"));
    }
    server.Script(Answer("201 Created", ""));
    MmsTransport transport = Transport();
    ULONGLONG clock = 0;
    transport.tickCount = [&clock] { return clock; };
    std::vector<DWORD> waits;
    transport.sleep = [&](DWORD ms) {
      waits.push_back(ms);
      clock += ms;
    };
    MmsResult result = transport.Send("+4411", photo_.c_str());
    EXPECT_STREQ(result.message, "");
    std::vector<std::string> requests = server.Requests();
    ASSERT_FALSE(requests.empty());
    std::string body = row.body;
    if (body.find('@') != std::string::npos) body.replace(body.find('@'), 1, base_);
    EXPECT_EQ(BodyOf(requests.back()), "Body=" + Encoded(body) + "&From=%2B15550001&To=%2B4411");
    if (row.type == 1) {
      EXPECT_EQ(waits, std::vector<DWORD>{1500}) << "a text-only SMS shows for 1.5 s at least";
    }
  }
}

TEST_F(MmsTransportTest, FailuresEndInTheErrorText) {
  struct Row {
    const char* name;
    std::vector<LoopbackHttpServer::Reply> replies;
    std::string message;
  };
  const Row rows[] = {
      {"query refused", {Answer("500 Internal Server Error", "FILE: no.jpg")}, "Error, server returned 500"},
      {"query answered otherwise", {Answer("200 OK", "quota exceeded")}, "quota exceeded"},
      {"upload refused", {Answer("200 OK", "AUTH:t"), Answer("403 Forbidden", "")}, "Error, server returned 403"},
      {"upload answered otherwise", {Answer("200 OK", "AUTH:t"), Answer("200 OK", "bad auth")}, "bad auth"},
      {"messaging refused",
       {Answer("200 OK", "FILE:a.jpg"), Answer("401 Unauthorized", "<TwilioResponse><RestException><Code>20003</Code>"
                                                                  "</RestException></TwilioResponse>")},
       "Error, server returned 401 Unauthorized"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    LoopbackHttpServer server;
    base_ = BaseOf(server);
    settings_.uploadBaseUrl = (base_ + "/Twilio").c_str();
    settings_.twilioBaseUrl = (base_ + "/2010-04-01/Accounts").c_str();
    for (const auto& reply : row.replies) server.Script(reply);
    server.SetDefaultReply(Answer("500 Internal Server Error", "unexpected"));
    MmsTransport transport = Transport();
    MmsResult result = transport.Send("+4411", photo_.c_str());
    EXPECT_STREQ(result.message, row.message.c_str());
    EXPECT_STREQ(result.picture, "mms_error.jpg");
    EXPECT_EQ(server.Requests().size(), row.replies.size()) << "nothing is sent after a failure";
  }
}

TEST_F(MmsTransportTest, UploadStopsAtItsTimeOut) {
  std::ofstream(photo_, std::ios::binary) << std::string(200000, 'x');
  server_.Script(Answer("200 OK", "AUTH:t"));
  settings_.uploadTimeoutSeconds = 5;
  MmsTransport transport = Transport();
  ULONGLONG clock = 0;
  transport.tickCount = [&clock] { return clock += 1000; };
  MmsResult result = transport.Send("+4411", photo_.c_str());
  EXPECT_STREQ(result.message, "Upload timeout");
  EXPECT_EQ(server_.Requests().size(), 1u) << "the cancelled upload never completes";
}

TEST_F(MmsTransportTest, ChecksBeforeAnyRequestAndOffline) {
  struct Row {
    const char* name;
    const char* number;
    bool offline;
    const char* from;
    const char* sid;
    bool log;
    const char* message;
    const char* picture;
    const char* logged;
  };
  const Row rows[] = {
      {"invalid number", "12a", false, "+1555", "AC", true, "Invalid phone number: 12a", "mms_error.jpg", ",MMS:12a,0,"},
      {"empty number", "", false, "+1555", "AC", true, "Invalid phone number: ", "mms_error.jpg", ",MMS:,0,"},
      {"bad from", "+441", false, "555", "AC", true, "MMS settings error: 'from' number missing or invalid",
       "mms_error.jpg", ",MMS:+441,0,"},
      {"no account", "+441", false, "+1555", "", true, "MMS account settings missing", "mms_error.jpg", ",MMS:+441,0,"},
      {"offline", "0441", true, "", "", true, "", "mms_offline.jpg", ",MMS:0441,0,"},
      {"offline without a log", "0441", true, "", "", false, "Error writing MMS log:\n", "mms_error.jpg", nullptr},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    std::filesystem::remove(dir_ + "/mms.csv");
    settings_.offline = row.offline;
    settings_.from = row.from;
    settings_.accountSid = row.sid;
    settings_.logPath = row.log ? (dir_ + "/mms.csv").c_str() : "";
    MmsTransport transport = Transport();
    MmsResult result = transport.Send(row.number, photo_.c_str());
    EXPECT_STREQ(result.message, row.message);
    EXPECT_STREQ(result.picture, row.picture);
    if (row.logged) {
      EXPECT_NE(Log().find(std::string(row.logged) + photo_ + "\n"), std::string::npos) << Log();
    }
  }
  EXPECT_TRUE(server_.Requests().empty());
}

TEST(MmsNumberTest, BlanksGoBeforeTheZeroAndThePrefix) {
  struct Row {
    const char* typed;
    const char* prefix;
    const char* number;
  };
  const Row rows[] = {
      {"07700 900 123", "+44", "+447700900123"},
      {" 0 7700", "+44", "+447700"},
      {" +1 555 0100", "+44", "+15550100"},
      {"7700", "+ 44", "+447700"},
      {"0", "+44", "+44"},
      {"", "+44", ""},
      {"12-34", "+44", ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.typed);
    EXPECT_STREQ(NormalisePhoneNumber(row.typed, row.prefix), row.number);
  }
}

TEST(MmsBase64Test, StandardAlphabetWithPadding) {
  const std::pair<std::string, std::string> rows[] = {
      {"", ""}, {"f", "Zg=="}, {"fo", "Zm8="}, {"foo", "Zm9v"}, {"foob", "Zm9vYg=="}, {"\xff\xfe?", "//4/"}};
  for (const auto& [text, encoded] : rows) {
    SCOPED_TRACE(text);
    EXPECT_STREQ(Base64Encode(text), encoded.c_str());
  }
}

TEST(MmsShortenerTest, OnlyTheServicesOwnAddressReplacesTheLongOne) {
  ClearProxyEnvironment();
  LoopbackHttpServer server;
  std::string base = server.url("/s");
  server.Script(Answer("200 OK", "https://elsewhere/x"));
  server.Script(Answer("500 Internal Server Error", base + "/y"));
  server.Script(Answer("200 OK", base + "/z"));
  EXPECT_STREQ(ShortenUrl(base.c_str(), "http://long/1"), "http://long/1");
  EXPECT_STREQ(ShortenUrl(base.c_str(), "http://long/1"), "http://long/1");
  EXPECT_STREQ(ShortenUrl(base.c_str(), "http://long/1"), (base + "/z").c_str());
  EXPECT_STREQ(ShortenUrl("", "http://long/2"), "http://long/2");
}
