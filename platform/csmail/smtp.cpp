// SMTP on libcurl. Connect opens the session (connect, greeting, EHLO, STARTTLS or TLS, AUTH,
// then NOOP to be sure the server answers); Send reuses it for MAIL, RCPT and DATA. The last
// reply line is kept so a refusal can be shown with the server's own words.
#include <curl/curl.h>
#include <strings.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "platform/csmail/csmail.h"

namespace CSMail {
namespace {

std::atomic<long> g_timeoutSeconds{60};
std::atomic<long> g_deadlineSeconds{300};
std::atomic<int> g_implicitTlsPort{465};

struct Session {
  const std::string* data = nullptr;
  size_t offset = 0;
  std::string pending;  // reply bytes not yet ended by a line break
  std::string lastLine;
  std::string lastRefusal;  // QUIT's "221" follows a refusal; the refusal is what matters
};

size_t ReadMessage(char* buffer, size_t size, size_t count, void* user) {
  auto* session = static_cast<Session*>(user);
  size_t room = size * count;
  size_t left = session->data->size() - session->offset;
  size_t n = std::min(room, left);
  std::memcpy(buffer, session->data->data() + session->offset, n);
  session->offset += n;
  return n;
}

int Trace(CURL*, curl_infotype type, char* data, size_t size, void* user) {
  if (type != CURLINFO_HEADER_IN) return 0;
  auto* session = static_cast<Session*>(user);
  session->pending.append(data, size);
  size_t end;
  while ((end = session->pending.find('\n')) != std::string::npos) {
    std::string line = session->pending.substr(0, end);
    session->pending.erase(0, end + 1);
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
    if (line.empty()) continue;
    session->lastLine = line;
    if (line[0] == '4' || line[0] == '5') session->lastRefusal = line;
  }
  return 0;
}

int ReplyCode(const std::string& line) {
  if (line.size() < 3) return 0;
  for (int i = 0; i < 3; ++i)
    if (line[i] < '0' || line[i] > '9') return 0;
  return std::atoi(line.substr(0, 3).c_str());
}

int Progress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
  const auto* cancel = static_cast<const std::atomic<bool>*>(user);
  return cancel && cancel->load() ? 1 : 0;
}

size_t Discard(char*, size_t size, size_t count, void*) { return size * count; }

bool IsRefusal(CURLcode result, const Session& session, long lastCode) {
  return ReplyCode(session.lastRefusal) >= 400 || lastCode >= 400 || result == CURLE_LOGIN_DENIED;
}

}  // namespace

void SetSmtpTimeoutForTesting(long seconds) { g_timeoutSeconds = seconds > 0 ? seconds : 60; }
void SetSmtpDeadlineForTesting(long seconds) { g_deadlineSeconds = seconds > 0 ? seconds : 300; }
void SetSmtpImplicitTlsPortForTesting(int port) { g_implicitTlsPort = port > 0 ? port : 465; }

SmtpConnection::~SmtpConnection() { Close(); }

void SmtpConnection::Close() {
  // Cleaning up the handle ends the session (QUIT on a live connection).
  if (curl_) curl_easy_cleanup(static_cast<CURL*>(curl_));
  curl_ = nullptr;
  connected_ = false;
}

HRESULT SmtpConnection::Connect(const std::string& host, int port) {
  return ConnectAuth(host, "", "", "", port);
}

namespace {

// The options of every exchange of a session; the pointers lead into `session` and `errors`.
void SetSessionOptions(CURL* curl, Session& session, char* errors, const std::string& url, bool ssl,
                       const std::string& user, const std::string& password, const std::string& method,
                       const std::atomic<bool>* cancel) {
  curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "smtp,smtps");
  curl_easy_setopt(curl, CURLOPT_USE_SSL, static_cast<long>(ssl ? CURLUSESSL_ALL : CURLUSESSL_NONE));
  curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
  curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
  // Same test seam as the HTTP client: an extra CA beside the system ones.
  if (const char* extraCa = std::getenv("TAVORIN_HTTP_EXTRA_CA"); extraCa && *extraCa) {
    curl_easy_setopt(curl, CURLOPT_CAINFO, extraCa);
    curl_easy_setopt(curl, CURLOPT_CAPATH, "/etc/ssl/certs");
  }
  curl_easy_setopt(curl, CURLOPT_PROXY, "");
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  // Idle limits restart with every byte; the deadline does not, so a trickle ends too.
  const long idle = g_timeoutSeconds.load();
  curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, std::min(30L, idle));
  curl_easy_setopt(curl, CURLOPT_SERVER_RESPONSE_TIMEOUT, idle);
  curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
  curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, idle);
  curl_easy_setopt(curl, CURLOPT_TIMEOUT, g_deadlineSeconds.load());
  curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
  curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, Progress);
  curl_easy_setopt(curl, CURLOPT_XFERINFODATA, const_cast<std::atomic<bool>*>(cancel));
  curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, errors);
  curl_easy_setopt(curl, CURLOPT_UPLOAD_BUFFERSIZE, 256L * 1024);
  if (!user.empty() || !password.empty()) {
    curl_easy_setopt(curl, CURLOPT_USERNAME, user.c_str());
    curl_easy_setopt(curl, CURLOPT_PASSWORD, password.c_str());
    std::string options = "AUTH=" + (method.empty() ? std::string("LOGIN") : method);
    for (char& c : options) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    curl_easy_setopt(curl, CURLOPT_LOGIN_OPTIONS, options.c_str());
  }
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, Discard);
  curl_easy_setopt(curl, CURLOPT_DEBUGFUNCTION, Trace);
  curl_easy_setopt(curl, CURLOPT_DEBUGDATA, &session);
  curl_easy_setopt(curl, CURLOPT_VERBOSE, 1L);
}

// After an exchange nothing in the handle may point at its stack (cleanup may still talk).
void DetachSession(CURL* curl) {
  curl_easy_setopt(curl, CURLOPT_VERBOSE, 0L);
  curl_easy_setopt(curl, CURLOPT_DEBUGFUNCTION, nullptr);
  curl_easy_setopt(curl, CURLOPT_DEBUGDATA, nullptr);
  curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 1L);
  curl_easy_setopt(curl, CURLOPT_XFERINFODATA, nullptr);
  curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, nullptr);
}

std::string SessionUrl(const std::string& host, int port, bool ssl) {
  const bool implicitTls = ssl && port == g_implicitTlsPort;
  return std::string(implicitTls ? "smtps://" : "smtp://") + host + ":" + std::to_string(port);
}

}  // namespace

HRESULT SmtpConnection::ConnectAuth(const std::string& host, const std::string& user, const std::string& password,
                                    const std::string& method, int port) {
  errorDetail_.clear();
  lastResponse_.clear();
  Close();
  bool badHost = host.empty();
  for (unsigned char c : host)
    if (c <= ' ' || c == '/' || c == '@' || c == '?' || c == '#' || c >= 0x7f) badHost = true;
  if (badHost || port <= 0 || port > 65535) return CSMAIL_E_INVALIDARG;
  if (!method.empty() && strcasecmp(method.c_str(), "LOGIN") != 0 && strcasecmp(method.c_str(), "PLAIN") != 0)
    return CSMAIL_E_INVALIDARG;
  host_ = host;
  user_ = user;
  password_ = password;
  method_ = method;
  port_ = port;

  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
  CURL* curl = curl_easy_init();
  if (!curl) {
    errorDetail_ = "Out of memory";
    return CSMAIL_E_FAIL;
  }
  curl_ = curl;
  Session session;
  char errors[CURL_ERROR_SIZE] = "";
  const std::string url = SessionUrl(host_, port_, ssl_);
  SetSessionOptions(curl, session, errors, url, ssl_, user_, password_, method_, cancel_);
  curl_easy_setopt(curl, CURLOPT_CUSTOMREQUEST, "NOOP");
  CURLcode result = curl_easy_perform(curl);
  curl_easy_setopt(curl, CURLOPT_CUSTOMREQUEST, nullptr);
  DetachSession(curl);
  long lastCode = 0;
  curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &lastCode);
  lastResponse_ = session.lastLine;
  if (result == CURLE_OK) {
    connected_ = true;
    return S_OK;
  }
  Close();
  if (IsRefusal(result, session, lastCode)) {
    if (!session.lastRefusal.empty()) lastResponse_ = session.lastRefusal;
    throw CSMailError{CSMAIL_E_SERVER_REFUSED, "The email server refused the message"};
  }
  errorDetail_ = errors[0] ? errors : curl_easy_strerror(result);
  return CSMAIL_E_FAIL;
}

void SmtpConnection::Send(const Message& message) {
  errorDetail_.clear();
  lastResponse_.clear();
  if (!connected_ || !curl_) throw CSMailError{CSMAIL_E_FAIL, "Not connected to an email server"};
  if (message.From().empty() || message.Recipients().empty())
    throw CSMailError{CSMAIL_E_INVALIDARG, "The message has no sender or no recipient"};
  std::string data = message.Build();

  CURL* curl = static_cast<CURL*>(curl_);
  Session session;
  session.data = &data;
  char errors[CURL_ERROR_SIZE] = "";
  const std::string url = SessionUrl(host_, port_, ssl_);
  SetSessionOptions(curl, session, errors, url, ssl_, user_, password_, method_, cancel_);
  std::string from = "<" + message.From() + ">";
  curl_easy_setopt(curl, CURLOPT_MAIL_FROM, from.c_str());
  curl_slist* recipients = nullptr;
  for (const std::string& address : message.Recipients())
    recipients = curl_slist_append(recipients, ("<" + address + ">").c_str());
  curl_easy_setopt(curl, CURLOPT_MAIL_RCPT, recipients);
  curl_easy_setopt(curl, CURLOPT_UPLOAD, 1L);
  curl_easy_setopt(curl, CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(data.size()));
  curl_easy_setopt(curl, CURLOPT_READFUNCTION, ReadMessage);
  curl_easy_setopt(curl, CURLOPT_READDATA, &session);

  CURLcode result = curl_easy_perform(curl);
  long lastCode = 0;
  curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &lastCode);
  // Nothing of this message may outlive it in the handle.
  curl_easy_setopt(curl, CURLOPT_MAIL_RCPT, nullptr);
  curl_easy_setopt(curl, CURLOPT_MAIL_FROM, nullptr);
  curl_easy_setopt(curl, CURLOPT_UPLOAD, 0L);
  curl_easy_setopt(curl, CURLOPT_READDATA, nullptr);
  DetachSession(curl);
  curl_slist_free_all(recipients);
  lastResponse_ = session.lastLine;
  if (result == CURLE_OK) return;
  if (!session.lastRefusal.empty()) lastResponse_ = session.lastRefusal;
  if (IsRefusal(result, session, lastCode))
    throw CSMailError{CSMAIL_E_SERVER_REFUSED, "The email server refused the message"};
  errorDetail_ = errors[0] ? errors : curl_easy_strerror(result);
  throw CSMailError{CSMAIL_E_FAIL, errorDetail_};
}

}  // namespace CSMail
