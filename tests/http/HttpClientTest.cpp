#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "platform/win32/guid.h"
#include "tests/http/HttpClientTestFixture.h"

using namespace Vonar;

namespace {

std::string BoundaryOf(const std::string& head) {
  std::smatch match;
  std::regex_search(head, match, std::regex("Content-Type: multipart/form-data; boundary=(\\S+)\r\n"));
  return match.size() > 1 ? match[1].str() : std::string();
}

}  // namespace

using HttpClientTest = HttpLoopbackTest;

TEST_F(HttpClientTest, UrlEncodedPostSendsExactlyTheListedHeadersAndEncodedPairs) {
  CHttpClientA client;
  client.AddHeader("X-Custom", "1");
  client.AddParam("b", "&");
  client.AddParam("a", "x y");
  std::unique_ptr<CHttpClientA::CHttpResponse> response(client.RequestPost(server_.url("/form").c_str()));
  EXPECT_EQ(response->GetStatus(), 200u);
  ASSERT_EQ(server_.Requests().size(), 1u);
  EXPECT_EQ(server_.Requests()[0], "POST /form HTTP/1.1\r\n" + HostLine() +
                                       "User-Agent: Vonar HTTP Client Class\r\nAccept: */*\r\n"
                                       "Cache-Control: no-cache\r\nX-Custom: 1\r\n"
                                       "Content-Type: application/x-www-form-urlencoded\r\n"
                                       "Content-Length: 11\r\n\r\na=x+y&b=%26");
}

TEST_F(HttpClientTest, GetUrlsAppendParametersBeforeTheFragment) {
  CHttpClientA client;
  client.AddParam("k", "v w");
  client.AddParam("raw", "%41", CHttpClientA::ParamEncodedValue);
  struct Row {
    std::string url, expected;
  } rows[] = {
      {"http://h/p?q=1", "http://h/p?q=1&k=v+w&raw=%41"},
      {"http://h", "http://h/?k=v+w&raw=%41"},
      {"http://h?q", "http://h/?q&k=v+w&raw=%41"},
      {"http://h/p#frag", "http://h/p?k=v+w&raw=%41#frag"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.url);
    DWORD length = client.MakeGetUrlLen(row.url.c_str());
    std::string buffer(length + 1, '#');
    client.MakeGetUrl(buffer.data(), row.url.c_str());
    EXPECT_EQ(std::string(buffer.c_str()), row.expected);
    EXPECT_EQ(length, row.expected.size());
  }
  EXPECT_EQ(CatchHttpError([&] { client.MakeGetUrl(nullptr, "http://h"); }).message,
            "CHttpClientT::MakeGetUrl: szBuff can not be NULL.");

  // On the wire the fragment stays behind.
  std::unique_ptr<CHttpClientA::CHttpResponse> response(client.RequestGet(server_.url("/p?q=1#frag").c_str()));
  EXPECT_EQ(ReadBody(*response), "OK");
  EXPECT_EQ(server_.Requests()[0].substr(0, server_.Requests()[0].find("\r\n")), "GET /p?q=1&k=v+w&raw=%41 HTTP/1.1");
}

TEST_F(HttpClientTest, UploadWithoutParametersSendsOnlyTheClosingBoundary) {
  CHttpClientA client;
  client.BeginUpload(server_.url("/up").c_str());
  auto response = Finish(client, 1024);
  ASSERT_TRUE(response);
  std::string boundary = BoundaryOf(HeadOf(0));
  EXPECT_TRUE(std::regex_match(boundary, std::regex("----KELDO-[0-9a-f]{32}-"))) << boundary;
  EXPECT_EQ(BodyOf(0), "\r\n--" + boundary + "--\r\n");
  EXPECT_EQ(BodyOf(0).size(), 51u);
  EXPECT_NE(HeadOf(0).find("Content-Length: 51\r\n"), std::string::npos);
}

TEST_F(HttpClientTest, UploadOfOneTextParameterIsExactAndAnnouncedRight) {
  CHttpClientA client;
  client.AddParam("a", "b");
  auto response = std::unique_ptr<CHttpClientA::CHttpResponse>(client.RequestUpload(server_.url("/up").c_str()));
  std::string boundary = BoundaryOf(HeadOf(0));
  std::string expected = "--" + boundary + "\r\nContent-Disposition: form-data; name=\"a\"\r\n\r\nb\r\n--" + boundary +
                         "--\r\n";
  EXPECT_EQ(BodyOf(0), expected);
  EXPECT_EQ(expected.size(), 143u);
  EXPECT_NE(HeadOf(0).find("Content-Length: 143\r\n"), std::string::npos);
  EXPECT_EQ(HeadOf(0), "POST /up HTTP/1.1\r\n" + HostLine() +
                           "User-Agent: Vonar HTTP Client Class\r\nAccept: */*\r\nCache-Control: no-cache\r\n"
                           "Content-Type: multipart/form-data; boundary=" + boundary +
                           "\r\nContent-Length: 143\r\n\r\n");
}

TEST_F(HttpClientTest, ClientMadeWithoutAGuidUsesTheFixedBoundary) {
  SetCoCreateGuidFailsForTesting(true);
  CHttpClientA client;
  SetCoCreateGuidFailsForTesting(false);
  client.AddParam("a", "b");
  std::unique_ptr<CHttpClientA::CHttpResponse>(client.RequestUpload(server_.url("/up").c_str()));
  const std::string fixed = "----VONAR-FB3B405B7EAE495aB0C0295C54D4E096-";
  EXPECT_EQ(BoundaryOf(HeadOf(0)), fixed);
  EXPECT_EQ(BodyOf(0).rfind("--" + fixed + "\r\n", 0), 0u);
  EXPECT_NE(BodyOf(0).find("--" + fixed + "--\r\n"), std::string::npos);
}

TEST_F(HttpClientTest, MissingFileIsAnEmptyOctetStreamPartOr603WhenRequired) {
  HttpTempDir dir;
  std::string missing = dir / "gone.jpg";
  CHttpClientA client;
  client.AddParam("fileToUpload", missing.c_str(), CHttpClientA::ParamFile);
  std::unique_ptr<CHttpClientA::CHttpResponse>(client.RequestUpload(server_.url("/up").c_str()));
  std::string boundary = BoundaryOf(HeadOf(0));
  EXPECT_EQ(BodyOf(0), "--" + boundary + "\r\nContent-Disposition: form-data; name=\"fileToUpload\"; filename=\"" +
                           missing + "\"\r\nContent-Type: application/octet-stream\r\n\r\n\r\n--" + boundary +
                           "--\r\n");

  EXPECT_FALSE(client.SetFailOnUnreadableFile(TRUE));
  CaughtHttpError caught = CatchHttpError([&] { client.BeginUpload(server_.url("/up").c_str()); });
  EXPECT_EQ(caught.code, 603u);
  EXPECT_EQ(caught.message, "OpenFile (::CreateFile) failed (\"" + missing + "\").");
  EXPECT_EQ(caught.lastError, 2u);  // ERROR_FILE_NOT_FOUND
  CHttpClientA::CHttpPostStat stat;
  EXPECT_FALSE(client.QueryPostStat(stat).IsActive());
  EXPECT_EQ(server_.Requests().size(), 1u);
}

TEST_F(HttpClientTest, FilesAreSentWithTheirSniffedTypeAndProgressIsCounted) {
  HttpTempDir dir;
  std::string path = dir / "p.jpg";
  std::string jpeg = "\xFF\xD8\xFF\xE0" + std::string(70000, 'j');
  HttpTempDir::Write(path, jpeg);
  CHttpClientA client;
  client.AddParam("auth", "xyz");
  client.AddParam("fileToUpload", path.c_str(), CHttpClientA::ParamFile);
  client.BeginUpload(server_.url("/up").c_str());
  CHttpClientA::CHttpPostStat stat;
  client.QueryPostStat(stat);  // nothing started: the first parameter is shown as current
  EXPECT_STREQ(stat.CurrParam(), "auth");
  EXPECT_EQ(stat.PostedCount(), 1u);
  EXPECT_EQ(stat.TotalByte(), 3u + jpeg.size());
  EXPECT_EQ(stat.FileCount(), 1u);

  int steps = 0;
  CHttpClientA::CHttpResponse* response = nullptr;
  while (!(response = client.Proceed(1024)) && steps < 1000) {
    ++steps;
    client.QueryPostStat(stat);
    EXPECT_LE(stat.CurrParamPostedByte(), stat.CurrParamTotalByte());
  }
  std::unique_ptr<CHttpClientA::CHttpResponse> owned(response);
  ASSERT_TRUE(owned);
  EXPECT_GT(steps, 70);  // 1024 bytes a step
  std::string boundary = BoundaryOf(HeadOf(0));
  std::string expected = "--" + boundary + "\r\nContent-Disposition: form-data; name=\"auth\"\r\n\r\nxyz\r\n--" +
                         boundary + "\r\nContent-Disposition: form-data; name=\"fileToUpload\"; filename=\"" + path +
                         "\"\r\nContent-Type: image/jpeg\r\n\r\n" + jpeg + "\r\n--" + boundary + "--\r\n";
  EXPECT_EQ(BodyOf(0), expected);
  EXPECT_NE(HeadOf(0).find("Content-Length: " + std::to_string(expected.size()) + "\r\n"), std::string::npos);
}

TEST_F(HttpClientTest, StepwisePostCountsEveryByte) {
  CHttpClientA client;
  client.AddParam("a", "xyz");
  client.AddParam("b", "");
  client.BeginPost(server_.url("/f").c_str());
  CHttpClientA::CHttpPostStat stat;
  client.QueryPostStat(stat);
  EXPECT_EQ(stat.ActualTotalByte(), 8u);  // a=xyz&b=
  EXPECT_EQ(stat.TotalByte(), 3u);
  EXPECT_STREQ(stat.CurrParam(), "a");
  EXPECT_EQ(stat.CurrParamTotalByte(), 3u);

  EXPECT_EQ(client.Proceed(1), nullptr);  // "a="
  client.QueryPostStat(stat);
  EXPECT_EQ(stat.ActualPostedByte(), 2u);
  EXPECT_EQ(stat.PostedByte(), 0u);
  EXPECT_EQ(stat.PostedCount(), 1u);
  EXPECT_EQ(client.Proceed(1), nullptr);  // "x"
  client.QueryPostStat(stat);
  EXPECT_EQ(stat.ActualPostedByte(), 3u);
  EXPECT_EQ(stat.PostedByte(), 1u);
  EXPECT_EQ(stat.CurrParamRemainByte(), 2u);
  auto response = Finish(client, 1);
  ASSERT_TRUE(response);
  EXPECT_FALSE(client.QueryPostStat(stat).IsActive());
  EXPECT_EQ(BodyOf(0), "a=xyz&b=");
}

TEST_F(HttpClientTest, ContextRulesAddParamCancelAndProceed) {
  CHttpClientA client;
  EXPECT_EQ(CatchHttpError([&] { client.Proceed(10); }).code, 104u);
  client.AddParam("a", "1");
  client.BeginPost(server_.url("/f").c_str());
  CaughtHttpError caught = CatchHttpError([&] { client.AddParam("late", "x"); });
  EXPECT_EQ(caught.message, "CHttpClientT::AddParam: It is not allowed to call this method if the POST context is active.");
  EXPECT_EQ(CatchHttpError([&] { client.SetUseUtf8(TRUE); }).message,
            "CHttpClientT::SetUseUtf8: It is not allowed to call this method if the POST context is active.");
  EXPECT_EQ(CatchHttpError([&] { client.Proceed(0); }).message,
            "CHttpClientT::_ProceedPostContext: nDesired can not be zero.");
  client.AddHeader("X-Later", "allowed");  // headers may change during a context
  auto response = Finish(client);  // the context kept running
  ASSERT_TRUE(response);
  EXPECT_EQ(BodyOf(0), "a=1");

  EXPECT_FALSE(client.CancelPostContext());
  client.BeginUpload(server_.url("/up").c_str());
  EXPECT_TRUE(client.CancelPostContext());
  EXPECT_FALSE(client.CancelPostContext());
  caught = CatchHttpError([&] { client.Proceed(10); });
  EXPECT_EQ(caught.code, 104u);
  EXPECT_EQ(caught.message, "The post context is not started yet.");
}

TEST_F(HttpClientTest, PortsAndSchemesChooseTheConnection) {
  struct Row {
    std::string url;
    DWORD code;  // 0: the request reached the stand-in
    WORD port;
    bool secure;
  } rows[] = {
      {"https://127.0.0.1/x", 406, 443, true},
      {"https://127.0.0.1:8443/x", 406, 8443, true},
      {"HTTP://127.0.0.1:" + std::to_string(server_.port()) + "/x", 0, static_cast<WORD>(server_.port()), false},
      {"http://127.0.0.1:123456/x", 107, 0, false},
      {"http://127.0.0.1:80a/x", 107, 0, false},
      {"http://127.0.0.1:70000/x", 107, 0, false},
      {"http:///x", 103, 0, false},
  };
  WinInetSetTimeoutsForTesting(2000, 2000);
  for (const Row& row : rows) {
    SCOPED_TRACE(row.url);
    WinInetResetLogForTesting();
    CHttpClientA client;
    CaughtHttpError caught = CatchHttpError([&] { delete client.RequestGet(row.url.c_str()); });
    EXPECT_EQ(caught.code, row.code);
    auto log = WinInetRequestLogForTesting();
    if (row.code == 107 || row.code == 103) {
      EXPECT_TRUE(log.empty());
      continue;
    }
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].port, row.port);
    EXPECT_EQ((log[0].flags & INTERNET_FLAG_SECURE) != 0, row.secure);
    EXPECT_EQ(log[0].flags & ~INTERNET_FLAG_SECURE, CHttpClientA::kFlagsNoCache);
    EXPECT_EQ(log[0].objectName, "/x");
  }
  WinInetSetTimeoutsForTesting(0, 0);
}

TEST_F(HttpClientTest, FailedRequestsKeepTheSettingsAndReportTheLastError) {
  WinInetSetTimeoutsForTesting(2000, 300);
  server_.Script({"", 0, true});  // silent
  CHttpClientA client;
  client.SetSessionOptions("Agent/2", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
  client.AddHeader("X-Keep", "1");
  client.AddParam("p", "1");
  CaughtHttpError caught = CatchHttpError([&] { delete client.RequestGet(server_.url("/slow").c_str()); });
  EXPECT_EQ(caught.code, 406u);
  EXPECT_EQ(caught.lastError, 12002u);
  WinInetSetTimeoutsForTesting(0, 0);
  std::unique_ptr<CHttpClientA::CHttpResponse> response(client.RequestGet(server_.url("/again").c_str()));
  EXPECT_EQ(response->GetStatus(), 200u);
  ASSERT_TRUE(server_.WaitForRequests(2));
  EXPECT_EQ(server_.Requests()[1], "GET /again?p=1 HTTP/1.1\r\n" + HostLine() +
                                       "User-Agent: Agent/2\r\nAccept: */*\r\nCache-Control: no-cache\r\nX-Keep: 1\r\n\r\n");
}

TEST_F(HttpClientTest, ResponseOutlivesItsClient) {
  server_.Script({LoopbackHttpServer::Ok("late read"), 0, false});
  CHttpClientA::CHttpResponse* response;
  {
    CHttpClientA client;
    client.BeginPost(server_.url("/f").c_str());
    response = Finish(client).release();
  }
  std::unique_ptr<CHttpClientA::CHttpResponse> owned(response);
  EXPECT_EQ(ReadBody(*owned), "late read");
}

class HttpClientTlsTest : public HttpLoopbackTest {};

TEST_F(HttpClientTlsTest, HttpsIsVerifiedWithTheTestCaOnly) {
  TestCertificates certificates;
  ASSERT_TRUE(certificates.ok());
  LoopbackHttpServer tls(certificates.certFile(), certificates.keyFile());
  ASSERT_TRUE(tls.ok());
  CHttpClientA client;
  ::unsetenv("TAVORIN_HTTP_EXTRA_CA");
  CaughtHttpError caught = CatchHttpError([&] { delete client.RequestGet(tls.url("/", "localhost").c_str()); });
  EXPECT_EQ(caught.code, 406u);
  EXPECT_EQ(caught.lastError, 12045u);

  ::setenv("TAVORIN_HTTP_EXTRA_CA", certificates.caFile().c_str(), 1);
  client.AddParam("q", "1");
  std::unique_ptr<CHttpClientA::CHttpResponse> response(client.RequestGet(tls.url("/s", "localhost").c_str()));
  EXPECT_EQ(ReadBody(*response), "OK");
  client.BeginUpload(tls.url("/up", "localhost").c_str());
  EXPECT_EQ(Finish(client)->GetStatus(), 200u);

  caught = CatchHttpError([&] { delete client.RequestGet(tls.url("/", "127.0.0.1").c_str()); });
  EXPECT_EQ(caught.code, 406u);
  EXPECT_EQ(caught.lastError, 12038u);
  caught = CatchHttpError([&] { client.BeginPost(tls.url("/", "127.0.0.1").c_str()); });
  EXPECT_EQ(caught.code, 407u);
  EXPECT_EQ(caught.lastError, 12038u);
}
