#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

#include "tests/http/HttpClientTestFixture.h"

using namespace Vonar;

using HttpClientUploadFaultTest = HttpLoopbackTest;

TEST_F(HttpClientUploadFaultTest, FileThatShrankAfterBeginIsAShortRead) {
  HttpTempDir dir;
  std::string path = dir / "photo.jpg";
  HttpTempDir::Write(path, std::string(5000, 'a'));
  CHttpClientA client;
  client.AddParam("f", path.c_str(), CHttpClientA::ParamFile);
  client.BeginUpload(server_.url("/up").c_str());
  ASSERT_EQ(truncate(path.c_str(), 1000), 0);
  CaughtHttpError caught;
  for (int guard = 0; guard < 100 && !caught.thrown; ++guard)
    caught = CatchHttpError([&] { delete client.Proceed(0xFFFFFFFFu); });
  EXPECT_EQ(caught.code, 105u);
  CHttpClientA::CHttpPostStat stat;
  EXPECT_FALSE(client.QueryPostStat(stat).IsActive());  // the context ended
}

TEST_F(HttpClientUploadFaultTest, FileThatGrewAfterBeginSendsOnlyTheAnnouncedBytes) {
  HttpTempDir dir;
  std::string path = dir / "photo.jpg";
  HttpTempDir::Write(path, std::string(3000, 'a'));
  CHttpClientA client;
  client.AddParam("f", path.c_str(), CHttpClientA::ParamFile);
  client.BeginUpload(server_.url("/up").c_str());
  HttpTempDir::Write(path, std::string(3000, 'a') + std::string(2000, 'b'));  // grew by 2000
  auto response = Finish(client, 512);
  ASSERT_TRUE(response);
  EXPECT_EQ(response->GetStatus(), 200u);
  std::string body = BodyOf(0);
  EXPECT_NE(body.find("\r\n\r\n" + std::string(3000, 'a') + "\r\n--"), std::string::npos);
  EXPECT_NE(HeadOf(0).find("Content-Length: " + std::to_string(body.size()) + "\r\n"), std::string::npos);
}

TEST_F(HttpClientUploadFaultTest, QuotesAndLineBreaksInNamesCannotForgeParts) {
  HttpTempDir dir;
  std::string path = dir / "a\"b.jpg";
  HttpTempDir::Write(path, "data");
  CHttpClientA client;
  client.AddParam("x\"\r\nContent-Type: text/evil\r\n\r\nforged", "v");
  client.AddParam("file", path.c_str(), CHttpClientA::ParamFile);
  client.AddParam("plain", "value with \"quotes\"\r\n");
  auto response = std::unique_ptr<CHttpClientA::CHttpResponse>(client.RequestUpload(server_.url("/up").c_str()));
  std::string body = BodyOf(0);
  EXPECT_NE(body.find("name=\"plain\"\r\n\r\nvalue with \"quotes\"\r\n\r\n"), std::string::npos);  // values unchanged
  EXPECT_NE(body.find("name=\"x%22%0D%0AContent-Type: text/evil%0D%0A%0D%0Aforged\"\r\n\r\nv\r\n"), std::string::npos);
  EXPECT_NE(body.find("filename=\"" + dir.path() + "/a%22b.jpg\"\r\n"), std::string::npos);
  EXPECT_EQ(body.find("text/evil\r\n"), std::string::npos);
  std::string head = HeadOf(0);
  EXPECT_NE(head.find("Content-Length: " + std::to_string(body.size()) + "\r\n"), std::string::npos);
}

TEST_F(HttpClientUploadFaultTest, Utf8NamesAndValuesAreConvertedAndCounted) {
  CHttpClientA client;
  client.SetUseUtf8(TRUE);
  client.AddParam("n\xE9", "caf\xE9");
  auto response = std::unique_ptr<CHttpClientA::CHttpResponse>(client.RequestUpload(server_.url("/up").c_str()));
  std::string body = BodyOf(0);
  EXPECT_NE(body.find("name=\"n\xC3\xA9\"\r\n\r\ncaf\xC3\xA9\r\n"), std::string::npos);
  EXPECT_NE(HeadOf(0).find("Content-Length: " + std::to_string(body.size()) + "\r\n"), std::string::npos);

  client.BeginPost(server_.url("/f").c_str());
  Finish(client);
  EXPECT_EQ(BodyOf(1), "n%C3%A9=caf%C3%A9");
}
