#include "platform/wininet/wininet.h"

#include <curl/curl.h>
#include <strings.h>

#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/win32/error.h"
#include "platform/wininet/httpparse_p.h"
#include "platform/wininet/transfer_p.h"
#include "platform/wininet/wininet_testing.h"

namespace {

using wininet_p::ProxySettings;
using wininet_p::Transfer;
using wininet_p::TransferSetup;

struct Handle {
  virtual ~Handle() = default;
};

struct Session : Handle {
  std::string agent;
  ProxySettings proxy;
};

struct Connection : Handle {
  std::shared_ptr<const Session> session;  // settings stay with the connection if the session closes first
  std::string host;
  INTERNET_PORT port = 0;
  std::string userName, password;
};

struct Request : Handle {
  std::shared_ptr<const Connection> connection;
  std::string verb;
  std::string objectName;
  bool secure = false;
  std::string accept;
  std::vector<std::string> headers;
  std::unique_ptr<Transfer> transfer;
};

// Live handles; anything else passed in is refused instead of dereferenced.
std::mutex g_mutex;
std::unordered_map<void*, std::shared_ptr<Handle>>& Live() {
  static auto* live = new std::unordered_map<void*, std::shared_ptr<Handle>>;
  return *live;
}
std::vector<WinInetRequestRecord> g_requestLog;
DWORD g_queryInfoCalls = 0;

HINTERNET Register(std::shared_ptr<Handle> handle) {
  std::lock_guard<std::mutex> lock(g_mutex);
  void* key = handle.get();
  Live()[key] = std::move(handle);
  return key;
}

template <typename T>
std::shared_ptr<T> Lookup(HINTERNET handle) {
  std::lock_guard<std::mutex> lock(g_mutex);
  auto it = Live().find(handle);
  if (it == Live().end()) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  auto typed = std::dynamic_pointer_cast<T>(it->second);
  if (!typed) SetLastError(ERROR_INTERNET_INCORRECT_HANDLE_TYPE);
  return typed;
}

std::string Text(LPCSTR text) { return text ? text : ""; }

std::string BuildUrl(const Request& request) {
  const Connection& c = *request.connection;
  std::string host = c.host;
  if (host.find(':') != std::string::npos && host.front() != '[') host = "[" + host + "]";
  std::string object = request.objectName;
  // A fragment belongs to the client; it never goes on the wire.
  if (size_t hash = object.find('#'); hash != std::string::npos) object.erase(hash);
  const char* slash = object.empty() || object[0] != '/' ? "/" : "";
  return std::string(request.secure ? "https://" : "http://") + host + ":" + std::to_string(c.port) + slash + object;
}

bool HasControlBytes(const std::string& text) {
  for (unsigned char c : text)
    if (c < 0x20 || c == 0x7F) return true;
  return false;
}

TransferSetup MakeSetup(const Request& request) {
  TransferSetup setup;
  setup.url = BuildUrl(request);
  setup.verb = request.verb;
  setup.agent = request.connection->session->agent;
  setup.proxy = request.connection->session->proxy;
  setup.userName = request.connection->userName;
  setup.password = request.connection->password;
  setup.headers = request.headers;
  setup.accept = request.accept;
  return setup;
}

}  // namespace

HINTERNET InternetOpenA(LPCSTR agent, DWORD accessType, LPCSTR proxy, LPCSTR proxyBypass, DWORD) {
  if (accessType != INTERNET_OPEN_TYPE_PRECONFIG && accessType != INTERNET_OPEN_TYPE_DIRECT &&
      accessType != INTERNET_OPEN_TYPE_PROXY) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  if (accessType == INTERNET_OPEN_TYPE_PROXY && (!proxy || !*proxy)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto session = std::make_shared<Session>();
  session->agent = Text(agent);
  if (HasControlBytes(session->agent)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  session->proxy.accessType = accessType;
  session->proxy.proxy = Text(proxy);
  session->proxy.bypass = Text(proxyBypass);
  return Register(session);
}

HINTERNET InternetConnectA(HINTERNET internet, LPCSTR serverName, INTERNET_PORT port, LPCSTR userName,
                           LPCSTR password, DWORD service, DWORD, DWORD_PTR) {
  auto session = Lookup<Session>(internet);
  if (!session) return nullptr;
  if (!serverName || !*serverName || service != INTERNET_SERVICE_HTTP) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  std::string host = serverName;
  // The host goes into the URL curl parses: nothing may end or bend it.
  if (HasControlBytes(host) || host.find_first_of("/?#@ \\") != std::string::npos) {
    SetLastError(ERROR_INTERNET_INVALID_URL);
    return nullptr;
  }
  auto connection = std::make_shared<Connection>();
  connection->session = session;
  connection->host = host;
  connection->port = port ? port : INTERNET_DEFAULT_HTTP_PORT;
  connection->userName = Text(userName);
  connection->password = Text(password);
  return Register(connection);
}

HINTERNET HttpOpenRequestA(HINTERNET connection, LPCSTR verb, LPCSTR objectName, LPCSTR, LPCSTR referrer,
                           LPCSTR* acceptTypes, DWORD flags, DWORD_PTR) {
  auto parent = Lookup<Connection>(connection);
  if (!parent) return nullptr;
  auto request = std::make_shared<Request>();
  request->connection = parent;
  request->verb = verb && *verb ? verb : "GET";
  request->objectName = objectName && *objectName ? objectName : "/";
  request->secure = (flags & INTERNET_FLAG_SECURE) != 0;
  if (HasControlBytes(request->verb) || request->verb.find(' ') != std::string::npos ||
      HasControlBytes(request->objectName) || request->objectName.find(' ') != std::string::npos) {
    SetLastError(ERROR_INTERNET_INVALID_URL);
    return nullptr;
  }
  // The referrer goes out as the first header of our own; one that could end the line is refused.
  if (referrer && *referrer) {
    if (HasControlBytes(referrer)) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return nullptr;
    }
    request->headers.push_back(std::string("Referer: ") + referrer);
  }
  if (acceptTypes) {
    for (LPCSTR* type = acceptTypes; *type; ++type) {
      if (HasControlBytes(*type)) continue;
      if (!request->accept.empty()) request->accept += ", ";
      request->accept += *type;
    }
  }
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_requestLog.push_back({parent->host, parent->port, request->verb, request->objectName, flags});
  }
  return Register(request);
}

BOOL HttpAddRequestHeadersA(HINTERNET handle, LPCSTR headers, DWORD headersLength, DWORD) {
  auto request = Lookup<Request>(handle);
  if (!request) return FALSE;
  if (!headers || request->transfer) {
    SetLastError(request->transfer ? ERROR_INTERNET_INCORRECT_HANDLE_STATE : ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  size_t length = headersLength == static_cast<DWORD>(-1) ? std::strlen(headers) : headersLength;
  std::string text(headers, length);
  // One header per line; a line that is not "Name: value" is refused, so nothing can be smuggled.
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find("\r\n", start);
    std::string line = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
    start = end == std::string::npos ? text.size() : end + 2;
    if (line.empty()) continue;
    size_t colon = line.find(':');
    if (colon == 0 || colon == std::string::npos || HasControlBytes(line) ||
        line.find_first_of(" \t") < colon) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE;
    }
    // curl drops a header whose value is empty; "Name;" is its way of sending one.
    size_t value = line.find_first_not_of(" \t", colon + 1);
    if (value == std::string::npos) line = line.substr(0, colon) + ";";
    lines.push_back(line);
  }
  request->headers.insert(request->headers.end(), lines.begin(), lines.end());
  return TRUE;
}

BOOL HttpSendRequestA(HINTERNET handle, LPCSTR headers, DWORD headersLength, LPVOID optional, DWORD optionalLength) {
  auto request = Lookup<Request>(handle);
  if (!request) return FALSE;
  if (request->transfer) {
    SetLastError(ERROR_INTERNET_INCORRECT_HANDLE_STATE);
    return FALSE;
  }
  if (headers && headersLength && !HttpAddRequestHeadersA(handle, headers, headersLength, HTTP_ADDREQ_FLAG_ADD))
    return FALSE;
  TransferSetup setup = MakeSetup(*request);
  if (optional && optionalLength) {
    setup.hasBody = true;
    setup.bodyTotal = optionalLength;
    setup.fixedBody.assign(static_cast<const char*>(optional), optionalLength);
  }
  setup.followRedirects = !setup.hasBody && (request->verb == "GET" || request->verb == "HEAD");
  request->transfer = std::make_unique<Transfer>(std::move(setup));
  return request->transfer->Start() ? TRUE : FALSE;
}

BOOL HttpSendRequestExA(HINTERNET handle, LPINTERNET_BUFFERSA buffersIn, LPINTERNET_BUFFERSA, DWORD, DWORD_PTR) {
  auto request = Lookup<Request>(handle);
  if (!request) return FALSE;
  if (request->transfer) {
    SetLastError(ERROR_INTERNET_INCORRECT_HANDLE_STATE);
    return FALSE;
  }
  if (buffersIn && buffersIn->dwStructSize != sizeof(INTERNET_BUFFERSA)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  TransferSetup setup = MakeSetup(*request);
  setup.hasBody = true;
  setup.bodyTotal = buffersIn ? buffersIn->dwBufferTotal : 0;
  request->transfer = std::make_unique<Transfer>(std::move(setup));
  return request->transfer->Start() ? TRUE : FALSE;
}

BOOL InternetWriteFile(HINTERNET handle, LPCVOID buffer, DWORD toWrite, LPDWORD written) {
  if (written) *written = 0;
  auto request = Lookup<Request>(handle);
  if (!request) return FALSE;
  if (!request->transfer || (!buffer && toWrite) || !written) {
    SetLastError(!request->transfer ? ERROR_INTERNET_INCORRECT_HANDLE_STATE : ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (!request->transfer->Write(buffer, toWrite)) return FALSE;
  *written = toWrite;
  return TRUE;
}

BOOL HttpEndRequestA(HINTERNET handle, LPINTERNET_BUFFERSA, DWORD, DWORD_PTR) {
  auto request = Lookup<Request>(handle);
  if (!request) return FALSE;
  if (!request->transfer) {
    SetLastError(ERROR_INTERNET_INCORRECT_HANDLE_STATE);
    return FALSE;
  }
  return request->transfer->End() ? TRUE : FALSE;
}

BOOL HttpQueryInfoA(HINTERNET handle, DWORD infoLevel, LPVOID buffer, LPDWORD bufferLength, LPDWORD index) {
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    ++g_queryInfoCalls;
  }
  auto request = Lookup<Request>(handle);
  if (!request) return FALSE;
  if (!bufferLength) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (!request->transfer || !request->transfer->headersDone()) {
    SetLastError(ERROR_INTERNET_INCORRECT_HANDLE_STATE);
    return FALSE;
  }
  const Transfer& t = *request->transfer;
  bool asNumber = (infoLevel & HTTP_QUERY_FLAG_NUMBER) != 0;
  DWORD level = infoLevel & 0xFFFF;
  std::string answer;
  bool indexed = false;
  switch (level) {
    case HTTP_QUERY_STATUS_CODE: answer = std::to_string(t.status()); break;
    case HTTP_QUERY_STATUS_TEXT: answer = t.statusText(); break;
    case HTTP_QUERY_CONTENT_LENGTH:
    case HTTP_QUERY_CUSTOM: {
      std::string name = "Content-Length";
      if (level == HTTP_QUERY_CUSTOM) {
        if (!buffer || *bufferLength == 0) {
          SetLastError(ERROR_INVALID_PARAMETER);
          return FALSE;
        }
        name = static_cast<const char*>(buffer);  // the caller's zero-terminated name
      }
      DWORD wanted = index ? *index : 0, seen = 0;
      bool found = false;
      for (const auto& header : t.headers()) {
        if (strcasecmp(header.first.c_str(), name.c_str()) != 0) continue;
        if (seen++ == wanted) {
          answer = header.second;
          found = true;
          break;
        }
      }
      if (!found) {
        SetLastError(ERROR_HTTP_HEADER_NOT_FOUND);
        return FALSE;
      }
      indexed = true;
      break;
    }
    default: SetLastError(ERROR_INVALID_PARAMETER); return FALSE;
  }
  if (asNumber) {
    unsigned long number = 0;
    if (!wininet_p::ParseDecimal32(answer, number)) {
      SetLastError(ERROR_HTTP_INVALID_SERVER_RESPONSE);
      return FALSE;
    }
    if (!buffer || *bufferLength < sizeof(DWORD)) {
      *bufferLength = sizeof(DWORD);
      SetLastError(ERROR_INSUFFICIENT_BUFFER);
      return FALSE;
    }
    DWORD value = static_cast<DWORD>(number);
    std::memcpy(buffer, &value, sizeof value);
    *bufferLength = sizeof(DWORD);
  } else {
    if (!buffer || *bufferLength < answer.size() + 1) {
      *bufferLength = static_cast<DWORD>(answer.size() + 1);
      SetLastError(ERROR_INSUFFICIENT_BUFFER);
      return FALSE;
    }
    std::memcpy(buffer, answer.c_str(), answer.size() + 1);
    *bufferLength = static_cast<DWORD>(answer.size());
  }
  if (indexed && index) ++*index;
  return TRUE;
}

BOOL InternetReadFile(HINTERNET handle, LPVOID buffer, DWORD toRead, LPDWORD read) {
  if (read) *read = 0;
  auto request = Lookup<Request>(handle);
  if (!request) return FALSE;
  if (!read || (!buffer && toRead)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (!request->transfer) {
    SetLastError(ERROR_INTERNET_INCORRECT_HANDLE_STATE);
    return FALSE;
  }
  if (toRead == 0) return TRUE;
  return request->transfer->Read(buffer, toRead, read) ? TRUE : FALSE;
}

BOOL InternetCloseHandle(HINTERNET handle) {
  std::shared_ptr<Handle> doomed;
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    auto it = Live().find(handle);
    if (it == Live().end()) {
      SetLastError(ERROR_INVALID_HANDLE);
      return FALSE;
    }
    doomed = std::move(it->second);
    Live().erase(it);
  }
  doomed.reset();  // a running transfer is dropped here, outside the lock
  return TRUE;
}

BOOL InternetCheckConnectionA(LPCSTR url, DWORD, DWORD) {
  if (!url || !*url) {
    SetLastError(ERROR_INTERNET_INVALID_URL);
    return FALSE;
  }
  CURLU* parsed = curl_url();
  if (!parsed) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return FALSE;
  }
  char* host = nullptr;
  char* port = nullptr;
  bool ok = curl_url_set(parsed, CURLUPART_URL, url, 0) == CURLUE_OK &&
            curl_url_get(parsed, CURLUPART_HOST, &host, 0) == CURLUE_OK &&
            curl_url_get(parsed, CURLUPART_PORT, &port, CURLU_DEFAULT_PORT) == CURLUE_OK;
  std::string target = ok ? std::string("http://") + host + ":" + port + "/" : std::string();
  curl_free(host);
  curl_free(port);
  curl_url_cleanup(parsed);
  if (!ok) {
    SetLastError(ERROR_INTERNET_INVALID_URL);
    return FALSE;
  }
  // Only a TCP connection is made: no request, no TLS, no proxy.
  CURL* easy = curl_easy_init();
  if (!easy) {
    SetLastError(ERROR_INTERNET_INTERNAL_ERROR);
    return FALSE;
  }
  curl_easy_setopt(easy, CURLOPT_URL, target.c_str());
  curl_easy_setopt(easy, CURLOPT_CONNECT_ONLY, 1L);
  curl_easy_setopt(easy, CURLOPT_PROXY, "");
  curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, wininet_p::CurrentTimeouts().connectMs);
  CURLcode result = curl_easy_perform(easy);
  curl_easy_cleanup(easy);
  if (result == CURLE_OK) return TRUE;
  SetLastError(result == CURLE_COULDNT_RESOLVE_HOST ? ERROR_INTERNET_NAME_NOT_RESOLVED
               : result == CURLE_OPERATION_TIMEDOUT ? ERROR_INTERNET_TIMEOUT
                                                    : ERROR_INTERNET_CANNOT_CONNECT);
  return FALSE;
}

std::vector<WinInetRequestRecord> WinInetRequestLogForTesting() {
  std::lock_guard<std::mutex> lock(g_mutex);
  return g_requestLog;
}

DWORD WinInetQueryInfoCallsForTesting() {
  std::lock_guard<std::mutex> lock(g_mutex);
  return g_queryInfoCalls;
}

void WinInetResetLogForTesting() {
  std::lock_guard<std::mutex> lock(g_mutex);
  g_requestLog.clear();
  g_queryInfoCalls = 0;
}
