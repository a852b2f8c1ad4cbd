#include <gtest/gtest.h>

#include <string>

#include "http/HttpUrlAnalyzer.h"
#include "tests/http/HttpTestSupport.h"

using namespace Vonar;

namespace {
std::string Part(const std::string& url, DWORD offset, DWORD length) { return url.substr(offset, length); }
}  // namespace

TEST(HttpUrlAnalyzerTest, SplitsUrlsIntoTheirParts) {
  struct Row {
    std::string url;
    const char* scheme;
    const char* host;
    const char* port;
    const char* path;
    const char* query;
    const char* fragment;
    DWORD queryOffset;
  } rows[] = {
      {"http://example.com:8080/a/b?x=1&y=2#top", "http", "example.com", "8080", "/a/b", "?x=1&y=2", "#top", 27},
      {"example.com/path?q", "", "example.com", "", "/path", "?q", "", 16},
      {"https://h?x=1", "https", "h", "", "", "?x=1", "", 9},
      {"http://h:81#f", "http", "h", "81", "", "", "#f", 11},
      {"http:///only/path", "http", "", "", "/only/path", "", "", 17},
      {"HTTPS://host", "HTTPS", "host", "", "", "", "", 12},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.url);
    CHttpUrlAnalyzerA a;
    a.Analyze(row.url.c_str());
    EXPECT_EQ(a.SchemeOffset(), 0u);
    EXPECT_EQ(Part(row.url, a.SchemeOffset(), a.SchemeLength()), row.scheme);
    EXPECT_EQ(Part(row.url, a.HostOffset(), a.HostLength()), row.host);
    EXPECT_EQ(Part(row.url, a.PortOffset(), a.PortLength()), row.port);
    EXPECT_EQ(Part(row.url, a.PathOffset(), a.PathLength()), row.path);
    EXPECT_EQ(Part(row.url, a.QueryOffset(), a.QueryLength()), row.query);
    EXPECT_EQ(Part(row.url, a.FragmentOffset(), a.FragmentLength()), row.fragment);
    EXPECT_EQ(a.QueryOffset(), row.queryOffset);
  }
}

TEST(HttpUrlAnalyzerTest, EmptyUrlsGiveZerosAndUtf8CodePagesAreRefused) {
  CHttpUrlAnalyzerA a;
  a.Analyze("http://x/y");
  a.Analyze(nullptr);
  EXPECT_EQ(a.HostOffset() + a.HostLength() + a.PathOffset() + a.PathLength() + a.FragmentOffset(), 0u);
  CaughtHttpError caught = CatchHttpError([&] { a.Analyze("http://x", 65000); });
  EXPECT_EQ(caught.message,
            "CHttpUrlAnalyzerT::Analyze: CP_UTF8 and CP_UTF7 can not be used for the CodePage parameter.");
}

TEST(HttpUrlAnalyzerTest, DoubleByteCharactersAreNeverSplit) {
  // A lead byte of 936 right before '?' takes it as its trail byte: no query starts there.
  std::string url = std::string("http://h/p") + "\x81" + "?" + "x";
  CHttpUrlAnalyzerA a;
  a.Analyze(url.c_str(), 936);
  EXPECT_EQ(a.QueryLength(), 0u);
  EXPECT_EQ(Part(url, a.PathOffset(), a.PathLength()), "/p\x81?x");
  a.Analyze(url.c_str(), 1252);
  EXPECT_EQ(Part(url, a.QueryOffset(), a.QueryLength()), "?x");
}
