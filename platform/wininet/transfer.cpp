#include "platform/wininet/transfer_p.h"

#include <curl/curl.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "platform/win32/error.h"
#include "platform/wininet/httpparse_p.h"
#include "platform/wininet/wininet.h"
#include "platform/wininet/wininet_testing.h"

namespace wininet_p {

namespace {

// Bounded buffers between the caller and curl, each way.
constexpr size_t kUploadCapacity = 256 * 1024;
constexpr size_t kBodyCapacity = 256 * 1024;
// A reply whose header block grows past this is refused.
constexpr size_t kMaxHeaderBytes = 256 * 1024;
constexpr int kMaxRedirects = 10;

// WinINet's defaults: 60 s to connect, 30 s without progress. The idle limit restarts with
// every byte, so a peer that trickles would hold a request for ever without the deadline.
std::atomic<long> g_connectMs{60000};
std::atomic<long> g_idleMs{30000};
std::atomic<long> g_deadlineMs{300000};

void GlobalInit() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

CURL* Easy(void* p) { return static_cast<CURL*>(p); }
CURLM* Multi(void* p) { return static_cast<CURLM*>(p); }

}  // namespace

Timeouts CurrentTimeouts() { return {g_connectMs.load(), g_idleMs.load()}; }

Transfer::Transfer(TransferSetup setup) : setup_(std::move(setup)) {}

Transfer::~Transfer() {
  if (multi_ && easy_) curl_multi_remove_handle(Multi(multi_), Easy(easy_));
  if (easy_) curl_easy_cleanup(Easy(easy_));
  if (multi_) curl_multi_cleanup(Multi(multi_));
  if (headerList_) curl_slist_free_all(static_cast<curl_slist*>(headerList_));
}

bool Transfer::Start() {
  GlobalInit();
  easy_ = curl_easy_init();
  multi_ = curl_multi_init();
  if (!easy_ || !multi_) {
    failure_ = ERROR_INTERNET_INTERNAL_ERROR;
    finished_ = true;
    SetLastError(failure_);
    return false;
  }
  deadline_ = std::chrono::steady_clock::now() + std::chrono::milliseconds(g_deadlineMs.load());
  CURL* e = Easy(easy_);
  curl_easy_setopt(e, CURLOPT_URL, setup_.url.c_str());
  curl_easy_setopt(e, CURLOPT_PATH_AS_IS, 1L);
  curl_easy_setopt(e, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
  curl_easy_setopt(e, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(e, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(e, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(e, CURLOPT_CONNECTTIMEOUT_MS, g_connectMs.load());
  curl_easy_setopt(e, CURLOPT_BUFFERSIZE, 256L * 1024);
  curl_easy_setopt(e, CURLOPT_UPLOAD_BUFFERSIZE, 256L * 1024);
  if (!setup_.agent.empty()) curl_easy_setopt(e, CURLOPT_USERAGENT, setup_.agent.c_str());

  // Certificates are always checked; tests bring their CA through the environment.
  curl_easy_setopt(e, CURLOPT_SSL_VERIFYPEER, 1L);
  curl_easy_setopt(e, CURLOPT_SSL_VERIFYHOST, 2L);
  if (const char* extraCa = std::getenv("TAVORIN_HTTP_EXTRA_CA"); extraCa && *extraCa) {
    curl_easy_setopt(e, CURLOPT_CAINFO, extraCa);
    curl_easy_setopt(e, CURLOPT_CAPATH, "/etc/ssl/certs");
  }

  switch (setup_.proxy.accessType) {
    case INTERNET_OPEN_TYPE_DIRECT: curl_easy_setopt(e, CURLOPT_PROXY, ""); break;
    case INTERNET_OPEN_TYPE_PROXY:
      curl_easy_setopt(e, CURLOPT_PROXY, setup_.proxy.proxy.c_str());
      if (!setup_.proxy.bypass.empty()) curl_easy_setopt(e, CURLOPT_NOPROXY, setup_.proxy.bypass.c_str());
      break;
    default: break;  // PRECONFIG: curl reads the proxy variables of the environment
  }
  if (!setup_.userName.empty()) {
    curl_easy_setopt(e, CURLOPT_USERNAME, setup_.userName.c_str());
    curl_easy_setopt(e, CURLOPT_PASSWORD, setup_.password.c_str());
    curl_easy_setopt(e, CURLOPT_HTTPAUTH, static_cast<long>(CURLAUTH_ANY));
  }

  // Headers: curl writes Host, User-Agent and Accept; ours follow in order. Its own additions
  // (Expect, a default Content-Type) are switched off so the request is exactly ours.
  curl_slist* list = nullptr;
  bool hasContentType = false;
  for (const std::string& line : setup_.headers) {
    list = curl_slist_append(list, line.c_str());
    if (line.size() >= 13 && strncasecmp(line.c_str(), "Content-Type:", 13) == 0) hasContentType = true;
  }
  if (setup_.accept.empty()) {
    list = curl_slist_append(list, "Accept:");
  } else if (setup_.accept != "*/*") {
    list = curl_slist_append(list, ("Accept: " + setup_.accept).c_str());
  }
  if (setup_.hasBody) {
    list = curl_slist_append(list, "Expect:");
    list = curl_slist_append(list, "Transfer-Encoding:");
    if (!hasContentType) list = curl_slist_append(list, "Content-Type:");
  }
  headerList_ = list;
  curl_easy_setopt(e, CURLOPT_HTTPHEADER, list);

  if (setup_.hasBody) {
    curl_easy_setopt(e, CURLOPT_POST, 1L);
    curl_easy_setopt(e, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(setup_.bodyTotal));
    curl_easy_setopt(e, CURLOPT_READFUNCTION, &Transfer::OnRead);
    curl_easy_setopt(e, CURLOPT_READDATA, this);
    curl_easy_setopt(e, CURLOPT_POSTREDIR, 0L);
    if (setup_.verb != "POST") curl_easy_setopt(e, CURLOPT_CUSTOMREQUEST, setup_.verb.c_str());
  } else if (setup_.verb == "HEAD") {
    curl_easy_setopt(e, CURLOPT_NOBODY, 1L);
  } else {
    curl_easy_setopt(e, CURLOPT_HTTPGET, 1L);
    if (setup_.verb != "GET") curl_easy_setopt(e, CURLOPT_CUSTOMREQUEST, setup_.verb.c_str());
  }
  if (setup_.followRedirects && !setup_.hasBody) {
    curl_easy_setopt(e, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(e, CURLOPT_MAXREDIRS, static_cast<long>(kMaxRedirects));
  }
  curl_easy_setopt(e, CURLOPT_HEADERFUNCTION, &Transfer::OnHeader);
  curl_easy_setopt(e, CURLOPT_HEADERDATA, this);
  curl_easy_setopt(e, CURLOPT_WRITEFUNCTION, &Transfer::OnWrite);
  curl_easy_setopt(e, CURLOPT_WRITEDATA, this);

  if (curl_multi_add_handle(Multi(multi_), e) != CURLM_OK) {
    Abort(ERROR_INTERNET_INTERNAL_ERROR);
    SetLastError(failure_);
    return false;
  }
  bool pushed = setup_.hasBody && setup_.fixedBody.empty() && setup_.bodyTotal > 0;
  bool ok = pushed ? DriveUntil([this] { return bodyWanted_; }) : DriveUntil([this] { return headersDone_; });
  if (!ok) SetLastError(failure_);
  return ok;
}

bool Transfer::Write(const void* data, DWORD size) {
  if (finished_) {
    // Failed, or the server answered before taking the whole body.
    if (!failure_) failure_ = ERROR_INTERNET_CONNECTION_RESET;
    SetLastError(failure_);
    return false;
  }
  if (!setup_.hasBody || fed_ + size > setup_.bodyTotal) {
    Abort(ERROR_INTERNET_INCORRECT_HANDLE_STATE);
    SetLastError(failure_);
    return false;
  }
  const char* bytes = static_cast<const char*>(data);
  DWORD left = size;
  while (left > 0) {
    if (uploadBuffered() >= kUploadCapacity &&
        !DriveUntil([this] { return uploadBuffered() < kUploadCapacity; })) {
      SetLastError(failure_);
      return false;
    }
    if (uploadPos_ > 0 && uploadPos_ == upload_.size()) {
      upload_.clear();
      uploadPos_ = 0;
    } else if (uploadPos_ >= kUploadCapacity) {
      upload_.erase(0, uploadPos_);
      uploadPos_ = 0;
    }
    size_t take = std::min<size_t>(left, kUploadCapacity - uploadBuffered());
    upload_.append(bytes, take);
    bytes += take;
    left -= static_cast<DWORD>(take);
    fed_ += take;
    if (sendPaused_) {
      sendPaused_ = false;
      UpdatePause();
    }
  }
  // Let curl send what it can now, so progress on the wire follows the writes.
  PerformOnce();
  if (finished_ && !failure_ && fed_ < setup_.bodyTotal) failure_ = ERROR_INTERNET_CONNECTION_RESET;
  if (finished_ && failure_) {
    SetLastError(failure_);
    return false;
  }
  return true;
}

bool Transfer::End() {
  if (finished_ && failure_) {
    SetLastError(failure_);
    return false;
  }
  if (fed_ != setup_.bodyTotal) {
    Abort(ERROR_INTERNET_INCORRECT_HANDLE_STATE);
    SetLastError(failure_);
    return false;
  }
  if (sendPaused_) {
    sendPaused_ = false;
    UpdatePause();
  }
  if (!DriveUntil([this] { return headersDone_; })) {
    SetLastError(failure_);
    return false;
  }
  return true;
}

bool Transfer::Read(void* buffer, DWORD size, DWORD* read) {
  *read = 0;
  if (!headersDone_) {
    SetLastError(failure_ ? failure_ : ERROR_INTERNET_INCORRECT_HANDLE_STATE);
    return false;
  }
  if (bodyBuffered() == 0 && !finished_ && !DriveUntil([this] { return bodyBuffered() > 0; })) {
    if (failure_) {
      SetLastError(failure_);
      return false;
    }
  }
  if (bodyBuffered() == 0) {
    if (failure_) {
      SetLastError(failure_);
      return false;
    }
    return TRUE;  // end of the body
  }
  size_t n = std::min<size_t>(size, bodyBuffered());
  std::memcpy(buffer, body_.data() + bodyPos_, n);
  bodyPos_ += n;
  *read = static_cast<DWORD>(n);
  if (bodyPos_ == body_.size()) {
    body_.clear();
    bodyPos_ = 0;
  }
  if (recvPaused_ && bodyBuffered() < kBodyCapacity) {
    recvPaused_ = false;
    UpdatePause();
  }
  return true;
}

void Transfer::Abort(DWORD error) {
  if (multi_ && easy_) curl_multi_remove_handle(Multi(multi_), Easy(easy_));
  if (easy_) curl_easy_cleanup(Easy(easy_));
  easy_ = nullptr;
  finished_ = true;
  if (!failure_) failure_ = error;
  body_.clear();
  bodyPos_ = 0;
}

void Transfer::PerformOnce() {
  if (!easy_) return;
  int running = 0;
  curl_multi_perform(Multi(multi_), &running);
  int queued = 0;
  while (CURLMsg* msg = curl_multi_info_read(Multi(multi_), &queued))
    if (msg->msg == CURLMSG_DONE) Finish(msg->data.result);
}

void Transfer::UpdatePause() {
  if (!easy_) return;
  int mask = (sendPaused_ ? CURLPAUSE_SEND : 0) | (recvPaused_ ? CURLPAUSE_RECV : 0);
  curl_easy_pause(Easy(easy_), mask);
}

template <typename Pred>
bool Transfer::DriveUntil(Pred done) {
  using Clock = std::chrono::steady_clock;
  lastActivity_ = Clock::now();
  for (;;) {
    if (done()) return true;
    if (finished_) return !failure_ && done();
    PerformOnce();
    if (done()) return true;
    if (finished_) return !failure_ && done();
    if (!connected_) {
      curl_off_t connectTime = 0;
      if (curl_easy_getinfo(Easy(easy_), CURLINFO_CONNECT_TIME_T, &connectTime) == CURLE_OK && connectTime > 0) {
        connected_ = true;
        lastActivity_ = Clock::now();
      }
    }
    long idleMs = g_idleMs.load();
    const Clock::time_point now = Clock::now();
    auto idle = std::chrono::duration_cast<std::chrono::milliseconds>(now - lastActivity_).count();
    if ((connected_ && idle >= idleMs) || now >= deadline_) {
      Abort(ERROR_INTERNET_TIMEOUT);
      return false;
    }
    int waitMs = static_cast<int>(std::clamp<long>(idleMs - idle, 1, 100));
    curl_multi_poll(Multi(multi_), nullptr, 0, waitMs, nullptr);
  }
}

void Transfer::Finish(int result) {
  if (finished_) return;
  if (result != CURLE_OK) {
    // Body bytes that arrived before the failure are still read; the error comes after them.
    failure_ = MapFailure(result);
    curl_multi_remove_handle(Multi(multi_), Easy(easy_));
    curl_easy_cleanup(Easy(easy_));
    easy_ = nullptr;
    finished_ = true;
    return;
  }
  finished_ = true;
  if (!headersDone_) failure_ = ERROR_HTTP_INVALID_SERVER_RESPONSE;
  if (setup_.hasBody && fed_ != setup_.bodyTotal && !headersDone_) failure_ = ERROR_INTERNET_CONNECTION_RESET;
}

DWORD Transfer::MapFailure(int result) const {
  // Once the server answered, what curl cannot parse is the server's fault: a reply that is not
  // HTTP (taken as HTTP/0.9, which is refused) or a header line past curl's own limit.
  curl_off_t connectTime = 0;
  const bool answered = connected_ || (easy_ && curl_easy_getinfo(Easy(easy_), CURLINFO_CONNECT_TIME_T, &connectTime) ==
                                                       CURLE_OK && connectTime > 0);
  if (answered && !headersDone_ && (result == CURLE_UNSUPPORTED_PROTOCOL || result == CURLE_OUT_OF_MEMORY))
    return ERROR_HTTP_INVALID_SERVER_RESPONSE;
  switch (result) {
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY: return ERROR_INTERNET_NAME_NOT_RESOLVED;
    case CURLE_COULDNT_CONNECT: return ERROR_INTERNET_CANNOT_CONNECT;
    case CURLE_OPERATION_TIMEDOUT: return ERROR_INTERNET_TIMEOUT;
    case CURLE_URL_MALFORMAT:
    case CURLE_UNSUPPORTED_PROTOCOL: return ERROR_INTERNET_INVALID_URL;
    case CURLE_TOO_MANY_REDIRECTS: return ERROR_HTTP_REDIRECT_FAILED;
    case CURLE_WEIRD_SERVER_REPLY:
    case CURLE_WRITE_ERROR: return ERROR_HTTP_INVALID_SERVER_RESPONSE;
    case CURLE_PEER_FAILED_VERIFICATION: {
      long verify = 0;
      if (easy_) curl_easy_getinfo(Easy(easy_), CURLINFO_SSL_VERIFYRESULT, &verify);
      // OpenSSL's verdicts on the chain: no known issuer or a self-signed certificate.
      if (verify == 2 || verify == 18 || verify == 19 || verify == 20 || verify == 21) return ERROR_INTERNET_INVALID_CA;
      // A chain that verified but names another host: OpenSSL's own verdict (62), or curl's
      // check after the handshake, which leaves the verdict at 0 or "unspecified" (1).
      if (verify == 0 || verify == 1 || verify == 62) return ERROR_INTERNET_SEC_CERT_CN_INVALID;
      return ERROR_INTERNET_SECURITY_CHANNEL_ERROR;
    }
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_ISSUER_ERROR:
    case CURLE_SSL_ENGINE_INITFAILED: return ERROR_INTERNET_SECURITY_CHANNEL_ERROR;
    default: return ERROR_INTERNET_CONNECTION_RESET;  // the connection broke off
  }
}

size_t Transfer::OnHeader(char* data, size_t size, size_t count, void* self) {
  auto* t = static_cast<Transfer*>(self);
  size_t length = size * count;
  t->lastActivity_ = std::chrono::steady_clock::now();
  t->headerBytes_ += length;
  if (t->headerBytes_ > kMaxHeaderBytes) return 0;  // curl then fails the transfer
  t->HeaderLine(data, length);
  return length;
}

void Transfer::HeaderLine(const char* line, size_t length) {
  int code = 0;
  std::string reason;
  if (ParseStatusLine(line, length, code, reason)) {
    // A new reply (after 100 Continue or a followed redirect) replaces the last one.
    status_ = code;
    statusText_ = reason;
    headers_.clear();
    headersDone_ = false;
    inHeaders_ = true;
    return;
  }
  if (!inHeaders_) return;
  if (IsHeaderBlockEnd(line, length)) {
    inHeaders_ = false;
    if (status_ >= 100 && status_ < 200) return;
    bool hasLocation = false;
    for (const auto& header : headers_)
      if (strcasecmp(header.first.c_str(), "Location") == 0) hasLocation = true;
    if (setup_.followRedirects && !setup_.hasBody && status_ >= 300 && status_ < 400 && hasLocation &&
        redirects_ < kMaxRedirects) {
      ++redirects_;  // curl follows it; the next reply is the one the caller sees
      return;
    }
    headersDone_ = true;
    return;
  }
  if (IsContinuationLine(line, length) && !headers_.empty()) {
    std::string name, value;
    std::string joined = "x:" + std::string(line, length);
    if (ParseHeaderLine(joined.data(), joined.size(), name, value)) headers_.back().second += " " + value;
    return;
  }
  std::string name, value;
  if (ParseHeaderLine(line, length, name, value)) headers_.emplace_back(std::move(name), std::move(value));
}

size_t Transfer::OnWrite(char* data, size_t size, size_t count, void* self) {
  auto* t = static_cast<Transfer*>(self);
  size_t length = size * count;
  t->lastActivity_ = std::chrono::steady_clock::now();
  if (!t->headersDone_) return length;  // the body of a reply the caller never sees
  if (t->bodyBuffered() >= kBodyCapacity) {
    t->recvPaused_ = true;
    return CURL_WRITEFUNC_PAUSE;
  }
  if (t->bodyPos_ > 0 && t->bodyPos_ == t->body_.size()) {
    t->body_.clear();
    t->bodyPos_ = 0;
  } else if (t->bodyPos_ >= kBodyCapacity) {
    t->body_.erase(0, t->bodyPos_);
    t->bodyPos_ = 0;
  }
  t->body_.append(data, length);
  return length;
}

size_t Transfer::OnRead(char* data, size_t size, size_t count, void* self) {
  auto* t = static_cast<Transfer*>(self);
  size_t room = size * count;
  t->lastActivity_ = std::chrono::steady_clock::now();
  t->bodyWanted_ = true;
  if (!t->setup_.fixedBody.empty() || (t->setup_.hasBody && t->setup_.bodyTotal == 0 && t->fed_ == 0)) {
    size_t n = std::min(room, t->setup_.fixedBody.size() - t->fixedPos_);
    std::memcpy(data, t->setup_.fixedBody.data() + t->fixedPos_, n);
    t->fixedPos_ += n;
    return n;
  }
  size_t n = std::min(room, t->uploadBuffered());
  if (n == 0) {
    if (t->fed_ < t->setup_.bodyTotal) {
      t->sendPaused_ = true;
      return CURL_READFUNC_PAUSE;
    }
    return 0;
  }
  std::memcpy(data, t->upload_.data() + t->uploadPos_, n);
  t->uploadPos_ += n;
  return n;
}

}  // namespace wininet_p

void WinInetSetTimeoutsForTesting(DWORD connectMs, DWORD idleMs) {
  wininet_p::g_connectMs.store(connectMs ? static_cast<long>(connectMs) : 60000L);
  wininet_p::g_idleMs.store(idleMs ? static_cast<long>(idleMs) : 30000L);
}

void WinInetSetDeadlineForTesting(DWORD deadlineMs) {
  wininet_p::g_deadlineMs.store(deadlineMs ? static_cast<long>(deadlineMs) : 300000L);
}
