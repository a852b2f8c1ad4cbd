// One HTTP exchange on libcurl, driven from the calling thread: the request's body is pushed
// in through a bounded buffer and the reply's body pulled out through another, so neither is
// ever held whole. The multi interface lets each call run the transfer just as far as it needs.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "platform/win32/windef.h"

namespace wininet_p {

struct ProxySettings {
  DWORD accessType = 0;
  std::string proxy;
  std::string bypass;
};

struct TransferSetup {
  std::string url;  // scheme, host, port and the object name without fragment
  std::string verb;
  std::string agent;
  ProxySettings proxy;
  std::string userName, password;
  std::vector<std::string> headers;  // "Name: value", in order
  std::string accept;                // empty: no Accept header
  bool hasBody = false;
  uint64_t bodyTotal = 0;
  std::string fixedBody;  // HttpSendRequest's optional data (pushed bodies leave it empty)
  bool followRedirects = false;
};

/// Time-outs in milliseconds: connecting, and waiting without any progress.
struct Timeouts {
  long connectMs;
  long idleMs;
};
Timeouts CurrentTimeouts();

class Transfer {
 public:
  explicit Transfer(TransferSetup setup);
  ~Transfer();
  Transfer(const Transfer&) = delete;
  Transfer& operator=(const Transfer&) = delete;

  /// Connects and sends the headers; with a pushed body returns once the body is wanted,
  /// else once the reply's headers are in. False with the last error set.
  bool Start();
  /// Pushes body bytes; false (12019) past the announced total.
  bool Write(const void* data, DWORD size);
  /// The whole body was pushed: waits for the reply's headers. False (12019) when bytes are missing.
  bool End();
  /// Reads reply body bytes; *read 0 at the end.
  bool Read(void* buffer, DWORD size, DWORD* read);
  /// Drops the connection; later calls fail with that error.
  void Abort(DWORD error);

  bool headersDone() const { return headersDone_; }
  int status() const { return status_; }
  const std::string& statusText() const { return statusText_; }
  const std::vector<std::pair<std::string, std::string>>& headers() const { return headers_; }

 private:
  static size_t OnHeader(char* data, size_t size, size_t count, void* self);
  static size_t OnWrite(char* data, size_t size, size_t count, void* self);
  static size_t OnRead(char* data, size_t size, size_t count, void* self);
  void HeaderLine(const char* line, size_t length);
  template <typename Pred>
  bool DriveUntil(Pred done);
  void Finish(int result);
  DWORD MapFailure(int result) const;
  void UpdatePause();
  void PerformOnce();
  size_t uploadBuffered() const { return upload_.size() - uploadPos_; }
  size_t bodyBuffered() const { return body_.size() - bodyPos_; }

  TransferSetup setup_;
  void* easy_ = nullptr;  // CURL*, kept out of this header
  void* multi_ = nullptr;  // CURLM*
  void* headerList_ = nullptr;  // curl_slist*
  bool finished_ = false;
  DWORD failure_ = 0;  // the error every later call reports
  std::chrono::steady_clock::time_point lastActivity_;
  std::chrono::steady_clock::time_point deadline_;  // of the whole exchange, from Start
  bool connected_ = false;

  // Request body: bytes accepted from the writer and the buffer curl reads from.
  uint64_t fed_ = 0;
  std::string upload_;
  size_t uploadPos_ = 0;
  bool sendPaused_ = false;
  bool bodyWanted_ = false;
  size_t fixedPos_ = 0;

  // Reply.
  bool headersDone_ = false;
  bool inHeaders_ = false;
  int status_ = 0;
  std::string statusText_;
  std::vector<std::pair<std::string, std::string>> headers_;
  size_t headerBytes_ = 0;
  int redirects_ = 0;
  std::string body_;
  size_t bodyPos_ = 0;
  bool recvPaused_ = false;
};

}  // namespace wininet_p
