#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/http/HttpClientTestFixture.h"

using namespace Vonar;

using HttpResponseTest = HttpLoopbackTest;

namespace {
std::unique_ptr<CHttpClientA::CHttpResponse> Get(const std::string& url) {
  CHttpClientA client;
  return std::unique_ptr<CHttpClientA::CHttpResponse>(client.RequestGet(url.c_str()));
}
}  // namespace

TEST_F(HttpResponseTest, StatusIsQueriedOnceAndTheBodyEndsWithZero) {
  server_.Script({"HTTP/1.1 404 Not Here\r\nContent-Length: 4\r\n\r\ngone", 0, false});
  auto response = Get(server_.url("/"));
  DWORD before = WinInetQueryInfoCallsForTesting();
  EXPECT_EQ(response->GetStatus(), 404u);
  EXPECT_EQ(response->GetStatus(), 404u);
  EXPECT_EQ(WinInetQueryInfoCallsForTesting() - before, 1u);
  EXPECT_STREQ(response->GetStatusText(), "Not Here");
  EXPECT_STREQ(response->GetStatusText(), "Not Here");
  DWORD length = 0;
  EXPECT_TRUE(response->GetContentLength(length));
  EXPECT_EQ(length, 4u);
  EXPECT_EQ(ReadBody(*response), "gone");
  BYTE byte;
  EXPECT_EQ(response->ReadContent(&byte, 1), 0u);
  EXPECT_EQ(response->ReadContent(&byte, 1), 0u);
  EXPECT_EQ(CatchHttpError([&] { response->ReadContent(nullptr, 1); }).message,
            "CHttpResponseT::ReadContent: pbyBuff can not be NULL.");
  EXPECT_EQ(CatchHttpError([&] { response->ReadContent(&byte, 0); }).message,
            "CHttpResponseT::ReadContent: cbBuff can not be zero.");
}

TEST_F(HttpResponseTest, RepeatedHeadersAreLoadedInOrderAndChunkedHasNoLength) {
  std::string longValue(300, 'v');  // longer than the first buffer the tool offers
  server_.Script({"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\nSet-Thing: one\r\nX-Long: " + longValue +
                      "\r\nset-thing: two\r\n\r\n5\r\nhello\r\n0\r\n\r\n",
                  0, false});
  auto response = Get(server_.url("/"));
  EXPECT_EQ(response->GetHeaderCount("SET-THING"), 2u);
  EXPECT_STREQ(response->GetHeader("Set-Thing", 1), "two");
  EXPECT_EQ(response->GetHeader("Set-Thing", 2), nullptr);
  EXPECT_STREQ(response->GetHeader("x-long"), longValue.c_str());
  EXPECT_EQ(response->GetHeader("Missing"), nullptr);
  EXPECT_EQ(response->GetHeaderCount("Missing"), 0u);
  DWORD length = 99;
  EXPECT_FALSE(response->GetContentLength(length));
  EXPECT_EQ(ReadBody(*response), "hello");
}

TEST_F(HttpResponseTest, SaveContentRefusesToOverwriteAndWritesWholeFilesOnly) {
  HttpTempDir dir;
  std::string target = dir / "reply.bin";
  HttpTempDir::Write(target, "old contents");
  server_.Script({LoopbackHttpServer::Ok("new contents"), 0, false});
  auto response = Get(server_.url("/"));
  CaughtHttpError caught = CatchHttpError([&] { response->SaveContent(target.c_str()); });
  EXPECT_EQ(caught.code, 114u);
  EXPECT_EQ(caught.message, "The file (" + target + ") aleady exists.");
  EXPECT_EQ(caught.lastError, 0u);
  response->SaveContent(target.c_str(), TRUE);
  EXPECT_EQ(HttpTempDir::Read(target), "new contents");

  // A body that breaks off leaves the old file as it was and no partial file behind.
  server_.Script({"HTTP/1.1 200 OK\r\nContent-Length: 100000\r\nConnection: close\r\n\r\npartial", 0, false});
  response = Get(server_.url("/"));
  caught = CatchHttpError([&] { response->SaveContent(target.c_str(), TRUE); });
  EXPECT_EQ(caught.code, 401u);
  EXPECT_EQ(HttpTempDir::Read(target), "new contents");
  size_t files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
    (void)entry;
    ++files;
  }
  EXPECT_EQ(files, 1u);

  // A folder that does not exist: 603 with the caller's path.
  server_.Script({LoopbackHttpServer::Ok("x"), 0, false});
  response = Get(server_.url("/"));
  std::string nowhere = dir / "missing/reply.bin";
  caught = CatchHttpError([&] { response->SaveContent(nowhere.c_str()); });
  EXPECT_EQ(caught.code, 603u);
  EXPECT_EQ(caught.message, "OpenFile (::CreateFile) failed (\"" + nowhere + "\").");
}

TEST_F(HttpResponseTest, LargeBodiesArriveWholeInPieces) {
  const size_t size = 5 * 1024 * 1024;
  server_.Script({"HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(size) + "\r\n\r\n", size, false});
  auto response = Get(server_.url("/big"));
  std::vector<BYTE> piece(65536);
  size_t total = 0;
  bool same = true;
  for (DWORD n; (n = response->ReadContent(piece.data(), static_cast<DWORD>(piece.size()))) != 0; total += n)
    for (DWORD i = 0; i < n && same; ++i) same = piece[i] == static_cast<BYTE>(LoopbackHttpServer::PatternByte(total + i));
  EXPECT_EQ(total, size);
  EXPECT_TRUE(same);
}
