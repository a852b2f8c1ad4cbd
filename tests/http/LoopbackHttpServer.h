// An HTTP server on 127.0.0.1 for tests and benchmarks: it records each request's raw bytes and
// answers with scripted replies, over plain TCP or TLS. One thread per connection; every wait
// is bounded, and Stop() (or the destructor) ends them all.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

class LoopbackHttpServer {
 public:
  struct Reply {
    std::string text;              // status line, headers, blank line and any body, sent as they stand
    size_t generatedBodyBytes = 0;  // then this many pattern bytes (see PatternByte)
    bool silent = false;           // read the request, then say nothing until stopped
    int trickleMs = 0;             // the text from trickleFrom on one byte at a time, this long apart
    size_t trickleFrom = 0;
  };

  /// Plain HTTP; with certificate and key files (PEM), HTTPS.
  LoopbackHttpServer();
  LoopbackHttpServer(const std::string& certFile, const std::string& keyFile);
  ~LoopbackHttpServer();
  LoopbackHttpServer(const LoopbackHttpServer&) = delete;
  LoopbackHttpServer& operator=(const LoopbackHttpServer&) = delete;

  bool ok() const { return listenFd_ >= 0; }
  int port() const { return port_; }
  std::string url(const std::string& path = "/", const std::string& host = "127.0.0.1") const;

  /// Replies are used in order, one per request; when none is left the default answers.
  void Script(Reply reply);
  void SetDefaultReply(Reply reply);
  /// Bodies of recorded requests are cut to this many bytes (the bench keeps none).
  void SetRecordedBodyLimit(size_t bytes) { recordLimit_ = bytes; }

  /// Raw bytes of every complete request so far.
  std::vector<std::string> Requests() const;
  /// Waits (bounded) until count requests were recorded.
  bool WaitForRequests(size_t count, int timeoutMs = 10000) const;
  /// Body bytes received by all requests, recorded or not.
  size_t BodyBytesReceived() const { return bodyBytes_.load(); }
  size_t Connections() const { return connections_.load(); }

  void Stop();

  static char PatternByte(size_t i) { return static_cast<char>('A' + (i * 7 + i / 251) % 26); }
  static std::string Ok(const std::string& body, const std::string& extraHeaders = "");

 private:
  struct Connection;
  void Listen();
  void AcceptLoop();
  void Serve(int fd);
  Reply NextReply();

  int listenFd_ = -1;
  int port_ = 0;
  void* sslContext_ = nullptr;  // SSL_CTX*
  std::atomic<bool> stopping_{false};
  std::thread acceptThread_;
  std::vector<std::thread> workers_;
  mutable std::mutex mutex_;
  mutable std::condition_variable changed_;
  std::deque<Reply> script_;
  Reply defaultReply_;
  std::vector<std::string> requests_;
  std::set<int> openFds_;
  size_t recordLimit_ = static_cast<size_t>(-1);
  std::atomic<size_t> bodyBytes_{0};
  std::atomic<size_t> connections_{0};
};

/// A CA and a server certificate for "localhost" signed by it, made with the openssl tool in
/// a temporary folder that is removed afterwards.
class TestCertificates {
 public:
  TestCertificates();
  ~TestCertificates();
  bool ok() const { return ok_; }
  std::string caFile() const { return dir_ + "/ca.crt"; }
  std::string certFile() const { return dir_ + "/server.crt"; }
  std::string keyFile() const { return dir_ + "/server.key"; }

 private:
  std::string dir_;
  bool ok_ = false;
};

/// Clears the proxy variables so loopback requests go straight to the server.
void ClearProxyEnvironment();
