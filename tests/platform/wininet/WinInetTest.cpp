#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "platform/win32/error.h"
#include "platform/wininet/urlmon.h"
#include "platform/wininet/wininet.h"
#include "platform/wininet/wininet_testing.h"
#include "tests/http/LoopbackHttpServer.h"

namespace {

class WinInetTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ClearProxyEnvironment();
    ASSERT_TRUE(server_.ok());
    internet_ = InternetOpenA("Tester/1.0", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    ASSERT_NE(internet_, nullptr);
  }
  void TearDown() override {
    if (request_) InternetCloseHandle(request_);
    if (connection_) InternetCloseHandle(connection_);
    InternetCloseHandle(internet_);
  }

  HINTERNET Open(const char* verb, const char* object, DWORD flags = 0, const char* host = "127.0.0.1",
                 int port = -1) {
    connection_ = InternetConnectA(internet_, host, static_cast<INTERNET_PORT>(port < 0 ? server_.port() : port),
                                   nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0);
    EXPECT_NE(connection_, nullptr);
    LPCSTR accept[] = {"*/*", nullptr};
    request_ = HttpOpenRequestA(connection_, verb, object, "HTTP/1.1", nullptr, accept, flags, 0);
    EXPECT_NE(request_, nullptr);
    return request_;
  }

  std::string ReadAll(HINTERNET request, DWORD piece = 4096) {
    std::string body(piece, '\0'), all;
    for (int guard = 0; guard < 1000000; ++guard) {
      DWORD read = 0;
      EXPECT_TRUE(InternetReadFile(request, body.data(), piece, &read)) << GetLastError();
      if (read == 0) break;
      all.append(body.data(), read);
    }
    return all;
  }

  static std::string QueryText(HINTERNET request, DWORD level, const char* name = nullptr, DWORD* index = nullptr) {
    char buffer[256] = {};
    if (name) std::snprintf(buffer, sizeof buffer, "%s", name);
    DWORD length = sizeof buffer;
    if (!HttpQueryInfoA(request, level, buffer, &length, index)) return "<" + std::to_string(GetLastError()) + ">";
    return std::string(buffer, length);
  }

  LoopbackHttpServer server_;
  HINTERNET internet_ = nullptr;
  HINTERNET connection_ = nullptr;
  HINTERNET request_ = nullptr;
};

TEST_F(WinInetTest, GetSendsExactlyTheListedHeadersAndDropsTheFragment) {
  server_.Script({LoopbackHttpServer::Ok("hello"), 0, false});
  HINTERNET request = Open("GET", "/a/b?x=1&y=%26#frag");
  const char extra[] = "X-One: 1\r\n";
  ASSERT_TRUE(HttpAddRequestHeadersA(request, extra, sizeof extra - 1, HTTP_ADDREQ_FLAG_ADD));
  ASSERT_TRUE(HttpAddRequestHeadersA(request, "Cache-Control: no-cache\r\n", (DWORD)-1, HTTP_ADDREQ_FLAG_ADD));
  ASSERT_TRUE(HttpSendRequestA(request, nullptr, 0, nullptr, 0)) << GetLastError();
  EXPECT_EQ(ReadAll(request), "hello");
  ASSERT_TRUE(server_.WaitForRequests(1));
  std::string host = "127.0.0.1:" + std::to_string(server_.port());
  EXPECT_EQ(server_.Requests()[0], "GET /a/b?x=1&y=%26 HTTP/1.1\r\nHost: " + host +
                                       "\r\nUser-Agent: Tester/1.0\r\nAccept: */*\r\nX-One: 1\r\n"
                                       "Cache-Control: no-cache\r\n\r\n");
}

TEST_F(WinInetTest, PushedBodyGoesOutWithItsLengthAndNothingElse) {
  HINTERNET request = Open("POST", "/upload");
  ASSERT_TRUE(HttpAddRequestHeadersA(request, "Content-Type: text/plain\r\n", (DWORD)-1, HTTP_ADDREQ_FLAG_ADD));
  INTERNET_BUFFERSA buffers{};
  buffers.dwStructSize = sizeof buffers;
  std::string body(300000, 'x');
  for (size_t i = 0; i < body.size(); ++i) body[i] = LoopbackHttpServer::PatternByte(i);
  buffers.dwBufferTotal = static_cast<DWORD>(body.size());
  ASSERT_TRUE(HttpSendRequestExA(request, &buffers, nullptr, 0, 0)) << GetLastError();
  for (size_t at = 0; at < body.size(); at += 7000) {
    DWORD written = 0;
    DWORD n = static_cast<DWORD>(std::min<size_t>(7000, body.size() - at));
    ASSERT_TRUE(InternetWriteFile(request, body.data() + at, n, &written)) << GetLastError();
    EXPECT_EQ(written, n);
  }
  ASSERT_TRUE(HttpEndRequestA(request, nullptr, 0, 0)) << GetLastError();
  EXPECT_EQ(QueryText(request, HTTP_QUERY_STATUS_CODE), "200");
  ASSERT_TRUE(server_.WaitForRequests(1));
  std::string host = "127.0.0.1:" + std::to_string(server_.port());
  EXPECT_EQ(server_.Requests()[0], "POST /upload HTTP/1.1\r\nHost: " + host +
                                       "\r\nUser-Agent: Tester/1.0\r\nAccept: */*\r\nContent-Type: text/plain\r\n"
                                       "Content-Length: 300000\r\n\r\n" + body);
}

TEST_F(WinInetTest, WritingPastTheTotalOrEndingShortFailsAndDropsTheConnection) {
  for (bool past : {true, false}) {
    SCOPED_TRACE(past ? "past the total" : "ended short");
    HINTERNET request = Open("POST", "/upload");
    INTERNET_BUFFERSA buffers{};
    buffers.dwStructSize = sizeof buffers;
    buffers.dwBufferTotal = 10;
    ASSERT_TRUE(HttpSendRequestExA(request, &buffers, nullptr, 0, 0)) << GetLastError();
    DWORD written = 0;
    ASSERT_TRUE(InternetWriteFile(request, "12345678", 8, &written));
    if (past) {
      EXPECT_FALSE(InternetWriteFile(request, "abc", 3, &written));
    } else {
      EXPECT_FALSE(HttpEndRequestA(request, nullptr, 0, 0));
    }
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INTERNET_INCORRECT_HANDLE_STATE));
    EXPECT_FALSE(HttpEndRequestA(request, nullptr, 0, 0));
    InternetCloseHandle(request_);
    InternetCloseHandle(connection_);
    request_ = connection_ = nullptr;
  }
  EXPECT_EQ(server_.Requests().size(), 0u);  // no request was ever complete
}

TEST_F(WinInetTest, RepliesAreReadAsTheServerMeantThem) {
  struct Row {
    const char* name;
    std::string reply;
    std::string body;
    std::string contentLength;  // "<12150>" when there is none
  } rows[] = {
      {"fixed length", LoopbackHttpServer::Ok("abcdef"), "abcdef", "6"},
      {"chunked", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n3\r\nabc\r\n4;x=y\r\ndefg\r\n0\r\n\r\n",
       "abcdefg", "<12150>"},
      {"until close", "HTTP/1.1 200 OK\r\nConnection: close\r\n\r\nto the end", "to the end", "<12150>"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    server_.Script({row.reply, 0, false});
    HINTERNET request = Open("GET", "/");
    ASSERT_TRUE(HttpSendRequestA(request, nullptr, 0, nullptr, 0)) << GetLastError();
    EXPECT_EQ(QueryText(request, HTTP_QUERY_CONTENT_LENGTH), row.contentLength);
    EXPECT_EQ(ReadAll(request, 2), row.body);
    DWORD read = 1;
    char byte;
    EXPECT_TRUE(InternetReadFile(request, &byte, 1, &read));
    EXPECT_EQ(read, 0u);
    InternetCloseHandle(request_);
    InternetCloseHandle(connection_);
    request_ = connection_ = nullptr;
  }
}

TEST_F(WinInetTest, QueryInfoGivesStatusRepeatedHeadersNumbersAndBufferSizes) {
  server_.Script({"HTTP/1.1 201 Created Here\r\nX-Twice: first\r\nx-twice: second\r\nContent-Length: 0\r\n\r\n", 0,
                  false});
  HINTERNET request = Open("GET", "/");
  ASSERT_TRUE(HttpSendRequestA(request, nullptr, 0, nullptr, 0));
  DWORD status = 0, length = sizeof status;
  ASSERT_TRUE(HttpQueryInfoA(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &length, nullptr));
  EXPECT_EQ(status, 201u);
  EXPECT_EQ(QueryText(request, HTTP_QUERY_STATUS_TEXT), "Created Here");
  DWORD index = 0;
  EXPECT_EQ(QueryText(request, HTTP_QUERY_CUSTOM, "X-TWICE", &index), "first");
  EXPECT_EQ(index, 1u);
  EXPECT_EQ(QueryText(request, HTTP_QUERY_CUSTOM, "X-TWICE", &index), "second");
  EXPECT_EQ(QueryText(request, HTTP_QUERY_CUSTOM, "X-TWICE", &index), "<12150>");
  EXPECT_EQ(index, 2u);

  index = 0;
  char header[8] = "X-Twice";
  length = 3;  // too short for "first" and its zero
  EXPECT_FALSE(HttpQueryInfoA(request, HTTP_QUERY_CUSTOM, header, &length, &index));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(length, 6u);
  EXPECT_EQ(index, 0u);
}

TEST_F(WinInetTest, GetFollowsRedirectsButPostDoesNot) {
  std::string redirect = "HTTP/1.1 302 Found\r\nLocation: /there\r\nContent-Length: 3\r\n\r\nold";
  server_.Script({redirect, 0, false});
  server_.Script({LoopbackHttpServer::Ok("arrived"), 0, false});
  HINTERNET request = Open("GET", "/here");
  ASSERT_TRUE(HttpSendRequestA(request, nullptr, 0, nullptr, 0));
  EXPECT_EQ(QueryText(request, HTTP_QUERY_STATUS_CODE), "200");
  EXPECT_EQ(ReadAll(request), "arrived");
  ASSERT_EQ(server_.Requests().size(), 2u);
  EXPECT_EQ(server_.Requests()[1].rfind("GET /there HTTP/1.1\r\n", 0), 0u);
  InternetCloseHandle(request_);
  InternetCloseHandle(connection_);

  server_.Script({redirect, 0, false});
  request = Open("POST", "/here");
  INTERNET_BUFFERSA buffers{};
  buffers.dwStructSize = sizeof buffers;
  buffers.dwBufferTotal = 2;
  ASSERT_TRUE(HttpSendRequestExA(request, &buffers, nullptr, 0, 0));
  DWORD written;
  ASSERT_TRUE(InternetWriteFile(request, "ab", 2, &written));
  ASSERT_TRUE(HttpEndRequestA(request, nullptr, 0, 0));
  EXPECT_EQ(QueryText(request, HTTP_QUERY_STATUS_CODE), "302");
  EXPECT_EQ(ReadAll(request), "old");
  EXPECT_EQ(server_.Requests().size(), 3u);
}

TEST_F(WinInetTest, APeerThatTricklesCannotHoldARequestPastItsDeadline) {
  const std::string head = "HTTP/1.1 200 OK\r\nContent-Length: 40\r\n\r\n";
  const std::string text = head + std::string(40, 'b');
  WinInetSetTimeoutsForTesting(2000, 2000);
  WinInetSetDeadlineForTesting(1000);
  for (bool inBody : {false, true}) {
    SCOPED_TRACE(inBody ? "body" : "headers");
    LoopbackHttpServer::Reply reply{text, 0, false};
    reply.trickleMs = 100;  // each byte well inside the idle limit
    reply.trickleFrom = inBody ? head.size() : 0;
    server_.Script(reply);
    if (request_) InternetCloseHandle(request_);
    if (connection_) InternetCloseHandle(connection_);
    HINTERNET request = Open("GET", "/trickle");
    const BOOL sent = HttpSendRequestA(request, nullptr, 0, nullptr, 0);
    EXPECT_EQ(sent != FALSE, inBody);
    DWORD error = GetLastError();
    if (sent) {
      char buffer[64];
      DWORD read = 0, total = 0;
      BOOL ok;
      while ((ok = InternetReadFile(request, buffer, sizeof buffer, &read)) && read) total += read;
      EXPECT_FALSE(ok);
      EXPECT_LT(total, 40u);
      error = GetLastError();
    }
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_INTERNET_TIMEOUT));
  }
  WinInetSetTimeoutsForTesting(0, 0);
  WinInetSetDeadlineForTesting(0);
}

TEST_F(WinInetTest, GarbageInsteadOfAReplyIsAnInvalidServerResponse) {
  const std::string longLine = "X-Long: " + std::string(200 * 1024, 'a');
  const struct {
    const char* name;
    std::string text;
  } rows[] = {
      {"status not a number", "HTTP/1.1 abc OK\r\nContent-Length: 0\r\n\r\n"},
      {"another protocol", "FOO 200 OK\r\nContent-Length: 0\r\n\r\n"},
      {"raw bytes", std::string("\x01\x02\xfe\xff\x00\x7f garbage\r\n\r\n", 18)},
      {"words", "hello world\r\n\r\n"},
      {"a 200 KB header line", "HTTP/1.1 200 OK\r\n" + longLine + "\r\nContent-Length: 0\r\n\r\n"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    server_.Script({row.text, 0, false});
    if (request_) InternetCloseHandle(request_);
    if (connection_) InternetCloseHandle(connection_);
    HINTERNET request = Open("GET", "/garbage");
    EXPECT_FALSE(HttpSendRequestA(request, nullptr, 0, nullptr, 0));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_HTTP_INVALID_SERVER_RESPONSE));
  }
}

TEST_F(WinInetTest, TheReferrerReachesTheWire) {
  server_.Script({LoopbackHttpServer::Ok("x"), 0, false});
  connection_ = InternetConnectA(internet_, "127.0.0.1", static_cast<INTERNET_PORT>(server_.port()), nullptr, nullptr,
                                 INTERNET_SERVICE_HTTP, 0, 0);
  ASSERT_NE(connection_, nullptr);
  EXPECT_EQ(HttpOpenRequestA(connection_, "GET", "/", "HTTP/1.1", "http://evil/\r\nX-Smuggled: 1", nullptr, 0, 0),
            nullptr);
  request_ = HttpOpenRequestA(connection_, "GET", "/page", "HTTP/1.1", "http://booth.example/start", nullptr, 0, 0);
  ASSERT_NE(request_, nullptr);
  ASSERT_TRUE(HttpSendRequestA(request_, nullptr, 0, nullptr, 0));
  ASSERT_TRUE(server_.WaitForRequests(1));
  EXPECT_NE(server_.Requests()[0].find("\r\nReferer: http://booth.example/start\r\n"), std::string::npos)
      << server_.Requests()[0];
}

TEST_F(WinInetTest, FailuresCarryWinInetCodes) {
  WinInetSetTimeoutsForTesting(2000, 300);
  server_.Script({"", 0, true});
  HINTERNET request = Open("GET", "/silent");
  EXPECT_FALSE(HttpSendRequestA(request, nullptr, 0, nullptr, 0));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INTERNET_TIMEOUT));
  WinInetSetTimeoutsForTesting(0, 0);  // the rest must not hang on a busy machine's pauses
  InternetCloseHandle(request_);
  InternetCloseHandle(connection_);

  LoopbackHttpServer closed;  // a port that was free a moment ago
  int port = closed.port();
  closed.Stop();
  request = Open("GET", "/", 0, "127.0.0.1", port);
  EXPECT_FALSE(HttpSendRequestA(request, nullptr, 0, nullptr, 0));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INTERNET_CANNOT_CONNECT));
  EXPECT_FALSE(InternetCheckConnectionA(("http://127.0.0.1:" + std::to_string(port) + "/").c_str(),
                                        FLAG_ICC_FORCE_CONNECTION, 0));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INTERNET_CANNOT_CONNECT));
  EXPECT_TRUE(InternetCheckConnectionA(server_.url("/x?y").c_str(), FLAG_ICC_FORCE_CONNECTION, 0));

  server_.Script({"HTTP/1.1 200 OK\r\nContent-Length: 100\r\nConnection: close\r\n\r\nshort", 0, false});
  InternetCloseHandle(request_);
  InternetCloseHandle(connection_);
  request = Open("GET", "/");
  ASSERT_TRUE(HttpSendRequestA(request, nullptr, 0, nullptr, 0));
  char buffer[200];
  DWORD read = 0, total = 0;
  BOOL ok;
  while ((ok = InternetReadFile(request, buffer, sizeof buffer, &read)) && read) total += read;
  EXPECT_FALSE(ok);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INTERNET_CONNECTION_RESET));
  EXPECT_EQ(total, 5u);
}

class WinInetTlsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ClearProxyEnvironment();
    ASSERT_TRUE(certificates_.ok());
    server_ = std::make_unique<LoopbackHttpServer>(certificates_.certFile(), certificates_.keyFile());
    ASSERT_TRUE(server_->ok());
  }
  DWORD Get(const char* host, std::string* body) {
    HINTERNET internet = InternetOpenA("Tester", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    HINTERNET connection = InternetConnectA(internet, host, static_cast<INTERNET_PORT>(server_->port()), nullptr,
                                            nullptr, INTERNET_SERVICE_HTTP, 0, 0);
    HINTERNET request = HttpOpenRequestA(connection, "GET", "/", "HTTP/1.1", nullptr, nullptr,
                                         INTERNET_FLAG_SECURE, 0);
    DWORD error = 0;
    if (HttpSendRequestA(request, nullptr, 0, nullptr, 0)) {
      char buffer[64];
      DWORD read = 0;
      while (InternetReadFile(request, buffer, sizeof buffer, &read) && read) body->append(buffer, read);
    } else {
      error = GetLastError();
    }
    InternetCloseHandle(request);
    InternetCloseHandle(connection);
    InternetCloseHandle(internet);
    return error;
  }
  TestCertificates certificates_;
  std::unique_ptr<LoopbackHttpServer> server_;
};

TEST_F(WinInetTlsTest, PeerAndHostAreCheckedAgainstTheSystemStoreAndTheTestCa) {
  std::string body;
  ::unsetenv("TAVORIN_HTTP_EXTRA_CA");
  EXPECT_EQ(Get("localhost", &body), static_cast<DWORD>(ERROR_INTERNET_INVALID_CA));
  ::setenv("TAVORIN_HTTP_EXTRA_CA", certificates_.caFile().c_str(), 1);
  EXPECT_EQ(Get("localhost", &body), 0u);
  EXPECT_EQ(body, "OK");
  EXPECT_EQ(Get("127.0.0.1", &body), static_cast<DWORD>(ERROR_INTERNET_SEC_CERT_CN_INVALID));
}

}  // namespace

TEST(UrlmonTest, KnownSignaturesOnly) {
  struct Row {
    std::string bytes;
    const char* mime;  // null: none
  } rows[] = {
      {"\xFF\xD8\xFF\xE1rest", "image/jpeg"},
      {std::string("\x89PNG\r\n\x1A\n", 8), "image/png"},
      {"GIF89a..", "image/gif"},
      {"BM....", "image/bmp"},
      {std::string("II*\0", 4), "image/tiff"},
      {std::string("MM\0*", 4), "image/tiff"},
      {"plain text", nullptr},
      {"\xFF\xD8", nullptr},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.bytes);
    LPWSTR mime = nullptr;
    HRESULT hr = FindMimeFromData(nullptr, nullptr, const_cast<char*>(row.bytes.data()),
                                  static_cast<DWORD>(row.bytes.size()), nullptr, 0, &mime, 0);
    if (!row.mime) {
      EXPECT_TRUE(FAILED(hr));
      EXPECT_EQ(mime, nullptr);
      continue;
    }
    ASSERT_EQ(hr, S_OK);
    std::string text;
    for (LPWSTR c = mime; *c; ++c) text += static_cast<char>(*c);
    EXPECT_EQ(text, row.mime);
    CoTaskMemFree(mime);
  }
}
