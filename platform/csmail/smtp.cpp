// SMTP on libcurl. One session per Send: connect, EHLO, STARTTLS or TLS, AUTH, MAIL, RCPT,
// DATA. The last reply line is kept so a refusal can be shown with the server's own words.
#include <curl/curl.h>
#include <strings.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "platform/csmail/csmail.h"

namespace CSMail {
namespace {

std::atomic<long> g_timeoutSeconds{60};
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

}  // namespace

void SetSmtpTimeoutForTesting(long seconds) { g_timeoutSeconds = seconds > 0 ? seconds : 60; }
void SetSmtpImplicitTlsPortForTesting(int port) { g_implicitTlsPort = port > 0 ? port : 465; }

HRESULT SmtpConnection::Connect(const std::string& host, int port) {
  return ConnectAuth(host, "", "", "", port);
}

HRESULT SmtpConnection::ConnectAuth(const std::string& host, const std::string& user, const std::string& password,
                                    const std::string& method, int port) {
  errorDetail_.clear();
  lastResponse_.clear();
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
  connected_ = true;
  return S_OK;
}

void SmtpConnection::Send(const Message& message) {
  errorDetail_.clear();
  lastResponse_.clear();
  if (!connected_) throw CSMailError{CSMAIL_E_FAIL, "Not connected to an email server"};
  if (message.From().empty() || message.Recipients().empty())
    throw CSMailError{CSMAIL_E_INVALIDARG, "The message has no sender or no recipient"};
  std::string data = message.Build();

  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
  CURL* curl = curl_easy_init();
  if (!curl) throw CSMailError{CSMAIL_E_FAIL, "Out of memory"};

  Session session;
  session.data = &data;
  char errorBuffer[CURL_ERROR_SIZE] = "";
  bool implicitTls = ssl_ && port_ == g_implicitTlsPort;
  std::string url = std::string(implicitTls ? "smtps://" : "smtp://") + host_ + ":" + std::to_string(port_);
  curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "smtp,smtps");
  curl_easy_setopt(curl, CURLOPT_USE_SSL, static_cast<long>(ssl_ ? CURLUSESSL_ALL : CURLUSESSL_NONE));
  curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
  curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
  // Same test seam as the HTTP client: an extra CA beside the system ones.
  if (const char* extraCa = std::getenv("TAVORIN_HTTP_EXTRA_CA"); extraCa && *extraCa) {
    curl_easy_setopt(curl, CURLOPT_CAINFO, extraCa);
    curl_easy_setopt(curl, CURLOPT_CAPATH, "/etc/ssl/certs");
  }
  curl_easy_setopt(curl, CURLOPT_PROXY, "");
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, 30L);
  curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
  curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, g_timeoutSeconds.load());
  curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, errorBuffer);
  curl_easy_setopt(curl, CURLOPT_UPLOAD_BUFFERSIZE, 256L * 1024);
  if (!user_.empty() || !password_.empty()) {
    curl_easy_setopt(curl, CURLOPT_USERNAME, user_.c_str());
    curl_easy_setopt(curl, CURLOPT_PASSWORD, password_.c_str());
    std::string options = "AUTH=" + (method_.empty() ? std::string("LOGIN") : method_);
    for (char& c : options) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    curl_easy_setopt(curl, CURLOPT_LOGIN_OPTIONS, options.c_str());
  }
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
  curl_easy_setopt(curl, CURLOPT_DEBUGFUNCTION, Trace);
  curl_easy_setopt(curl, CURLOPT_DEBUGDATA, &session);
  curl_easy_setopt(curl, CURLOPT_VERBOSE, 1L);

  CURLcode result = curl_easy_perform(curl);
  long lastCode = 0;
  curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &lastCode);
  curl_slist_free_all(recipients);
  curl_easy_cleanup(curl);
  lastResponse_ = session.lastLine;
  if (result == CURLE_OK) return;
  if (!session.lastRefusal.empty()) lastResponse_ = session.lastRefusal;

  int code = ReplyCode(session.lastRefusal);
  if (code >= 400 || lastCode >= 400 || result == CURLE_LOGIN_DENIED)
    throw CSMailError{CSMAIL_E_SERVER_REFUSED, "The email server refused the message"};
  errorDetail_ = errorBuffer[0] ? errorBuffer : curl_easy_strerror(result);
  throw CSMailError{CSMAIL_E_FAIL, errorDetail_};
}

}  // namespace CSMail
