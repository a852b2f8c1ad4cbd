// A loopback server and helpers for the client and response tests.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "http/HttpClient.h"
#include "http/HttpEncoder.h"
#include "http/HttpTool.h"
#include "platform/wininet/wininet_testing.h"
#include "tests/http/HttpTestSupport.h"
#include "tests/http/LoopbackHttpServer.h"

class HttpLoopbackTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ClearProxyEnvironment();
    ASSERT_TRUE(server_.ok());
    WinInetResetLogForTesting();
  }

  /// The body of the index-th recorded request (after the blank line).
  std::string BodyOf(size_t index) const {
    std::string request = server_.Requests().at(index);
    return request.substr(request.find("\r\n\r\n") + 4);
  }
  std::string HeadOf(size_t index) const {
    std::string request = server_.Requests().at(index);
    return request.substr(0, request.find("\r\n\r\n") + 4);
  }
  std::string HostLine() const { return "Host: 127.0.0.1:" + std::to_string(server_.port()) + "\r\n"; }

  /// Runs Proceed until the response arrives (bounded) and returns it.
  static std::unique_ptr<Vonar::CHttpClientA::CHttpResponse> Finish(Vonar::CHttpClientA& client,
                                                                    DWORD step = 0xFFFFFFFFu) {
    for (int guard = 0; guard < 1000000; ++guard)
      if (auto* response = client.Proceed(step)) return std::unique_ptr<Vonar::CHttpClientA::CHttpResponse>(response);
    ADD_FAILURE() << "Proceed never returned a response";
    return nullptr;
  }

  static std::string ReadBody(Vonar::CHttpClientA::CHttpResponse& response) {
    std::string body;
    BYTE buffer[4096];
    for (DWORD n; (n = response.ReadContent(buffer, sizeof buffer)) != 0;) body.append(reinterpret_cast<char*>(buffer), n);
    return body;
  }

  LoopbackHttpServer server_;
};
