#include "http/HttpClient.h"

#include <cstdio>
#include <strings.h>

#include <algorithm>
#include <cstring>
#include <new>

#include "http/HttpCheckedMath.h"
#include "http/HttpClientException.h"
#include "http/HttpEncoder.h"
#include "http/HttpTool.h"
#include "http/HttpUrlAnalyzer.h"
#include "platform/win32/error.h"
#include "platform/win32/fileio.h"
#include "platform/win32/guid.h"
#include "platform/win32/handle.h"

namespace Vonar {

namespace {

// Called in a catch block: the library's own exceptions go on as they are; out of memory
// becomes 102 and anything else 100.
[[noreturn]] void RethrowAsHttpException() {
  try {
    throw;
  } catch (const httpclientexceptionA&) {
    throw;
  } catch (const std::bad_alloc&) {
    ThrowHttpException(102);
  } catch (...) {
    ThrowHttpException(100);
  }
}

const char kDefaultUserAgent[] = "Vonar HTTP Client Class";
// Used when no boundary could be made at construction.
const char kFixedBoundary[] = "----VONAR-FB3B405B7EAE495aB0C0295C54D4E096-";
const char kFixedContentType[] = "multipart/form-data; boundary=----VONAR-FB3B405B7EAE495aB0C0295C54D4E096-";
const char kUploadFormPrefix[] = "multipart/form-data; boundary=";
constexpr DWORD kFileBufferSize = 57344;

// Replaces a stored string with a copy; a string equal to the stored one keeps it.
void StoreCopy(LPSTR& stored, LPSTR fresh, LPCSTR wanted) {
  if (stored == wanted || (stored && wanted && std::strcmp(stored, wanted) == 0)) {
    delete[] fresh;
    return;
  }
  delete[] stored;
  stored = fresh;
}

bool IsHttpsScheme(LPCSTR url, DWORD offset, DWORD length) {
  return length == 5 && strncasecmp(url + offset, "HTTPS", 5) == 0;
}

// A name or path inside a part header: '"', CR and LF would end the header and let the
// text forge parts of its own, so they go out percent-escaped.
std::string EscapePartHeader(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    if (c == '"') {
      out += "%22";
    } else if (c == '\r') {
      out += "%0D";
    } else if (c == '\n') {
      out += "%0A";
    } else {
      out += c;
    }
  }
  return out;
}

}  // namespace

#define VONAR_CLIENT template <typename HttpTool, typename HttpEncoder>
#define VONAR_CLIENT_T CHttpClientT<HttpTool, HttpEncoder>

VONAR_CLIENT VONAR_CLIENT_T::CHttpClientT() {
  GUID guid;
  if (SUCCEEDED(CoCreateGuid(&guid))) {
    m_szBoundary = new (std::nothrow) char[44];
    if (m_szBoundary) {
      std::snprintf(m_szBoundary, 44,
                    "----KELDO-%.08x%.04x%.04x%.02x%.02x%.02x%.02x%.02x%.02x%.02x%.02x-", guid.Data1, guid.Data2,
                    guid.Data3, guid.Data4[0], guid.Data4[1], guid.Data4[2], guid.Data4[3], guid.Data4[4],
                    guid.Data4[5], guid.Data4[6], guid.Data4[7]);
      size_t length = std::strlen(m_szBoundary) + 31;
      m_szUploadContType = new (std::nothrow) char[length];
      if (m_szUploadContType) {
        std::snprintf(m_szUploadContType, length, "%s%s", kUploadFormPrefix, m_szBoundary);
      } else {
        delete[] m_szBoundary;
        m_szBoundary = nullptr;
      }
    }
  }
}

VONAR_CLIENT VONAR_CLIENT_T::~CHttpClientT() {
  CancelPostContext();
  delete[] m_szBoundary;
  delete[] m_szUploadContType;
  delete[] m_szUserAgent;
  delete[] m_szProxyName;
  delete[] m_szProxyBypass;
}

VONAR_CLIENT LPCSTR VONAR_CLIENT_T::_Boundary() const { return m_szBoundary ? m_szBoundary : kFixedBoundary; }

VONAR_CLIENT LPCSTR VONAR_CLIENT_T::_ContentType() const {
  return m_szUploadContType ? m_szUploadContType : kFixedContentType;
}

VONAR_CLIENT void VONAR_CLIENT_T::SetSessionOptions(LPCSTR szUserAgent, DWORD dwAccessType, LPCSTR szProxyName,
                                                    LPCSTR szProxyBypass, DWORD dwFlags) {
  // All copies first, so a failure changes nothing.
  LPSTR agent = CopyOrNull(szUserAgent);
  LPSTR proxy = nullptr, bypass = nullptr;
  try {
    proxy = CopyOrNull(szProxyName);
    bypass = CopyOrNull(szProxyBypass);
  } catch (...) {
    delete[] agent;
    delete[] proxy;
    throw;
  }
  StoreCopy(m_szUserAgent, agent, szUserAgent);
  StoreCopy(m_szProxyName, proxy, szProxyName);
  StoreCopy(m_szProxyBypass, bypass, szProxyBypass);
  m_dwAccessType = dwAccessType;
  m_dwOpenFlags = dwFlags;
}

VONAR_CLIENT LPCSTR VONAR_CLIENT_T::GetUserAgent() const { return m_szUserAgent ? m_szUserAgent : kDefaultUserAgent; }

VONAR_CLIENT void VONAR_CLIENT_T::_RefuseDuringPost(LPCSTR szMessage) const {
  if (m_objPostStat.IsActive()) ThrowHttpException(szMessage, 0);
}

VONAR_CLIENT BOOL VONAR_CLIENT_T::SetUseUtf8(BOOL bUseUtf8) {
  _RefuseDuringPost("CHttpClientT::SetUseUtf8: It is not allowed to call this method if the POST context is active.");
  BOOL previous = m_bUseUtf8;
  m_bUseUtf8 = bUseUtf8;
  return previous;
}

VONAR_CLIENT UINT VONAR_CLIENT_T::SetAnsiCodePage(UINT nAnsiCodePage) {
  _RefuseDuringPost(
      "CHttpClientT::SetAnsiCodePage: It is not allowed to call this method if the POST context is active.");
  if (nAnsiCodePage == 65001 || nAnsiCodePage == 65000)
    ThrowHttpException(
        "CHttpClientT::SetAnsiCodePage: CP_UTF8 and CP_UTF7 can not be used for the nAnsiCodePage parameter.", 0);
  UINT previous = m_nAnsiCodePage;
  m_nAnsiCodePage = nAnsiCodePage;
  return previous;
}

VONAR_CLIENT BOOL VONAR_CLIENT_T::SetFailOnUnreadableFile(BOOL bFail) {
  BOOL previous = m_bFailOnUnreadableFile;
  m_bFailOnUnreadableFile = bFail;
  return previous;
}

// Headers.

namespace {
void CheckHeaderArguments(LPCSTR name, LPCSTR value, bool set) {
  if (!name)
    ThrowHttpException(set ? "CHttpClientT::SetHeader: szName can not be NULL." : "CHttpClientT::AddHeader: szName can not be NULL.", 0);
  if (!*name)
    ThrowHttpException(set ? "CHttpClientT::SetHeader: szName can not be an empty string."
                           : "CHttpClientT::AddHeader: szName can not be an empty string.", 0);
  if (!value)
    ThrowHttpException(set ? "CHttpClientT::SetHeader: szValue can not be NULL." : "CHttpClientT::AddHeader: szValue can not be NULL.", 0);
  if (!*value)
    ThrowHttpException(set ? "CHttpClientT::SetHeader: szValue can not be an empty string."
                           : "CHttpClientT::AddHeader: szValue can not be an empty string.", 0);
}
}  // namespace

VONAR_CLIENT void VONAR_CLIENT_T::AddHeader(LPCSTR szName, LPCSTR szValue) {
  CheckHeaderArguments(szName, szValue, false);
  m_mapHeader.Add(szName, szValue, 0);
}

VONAR_CLIENT void VONAR_CLIENT_T::SetHeader(LPCSTR szName, LPCSTR szValue, DWORD nIdx) {
  CheckHeaderArguments(szName, szValue, true);
  m_mapHeader.Set(szName, szValue, 0, nIdx);
}

VONAR_CLIENT BOOL VONAR_CLIENT_T::ClearHeader() { return m_mapHeader.Clear(); }
VONAR_CLIENT BOOL VONAR_CLIENT_T::RemoveHeader(LPCSTR szName, DWORD nIdx) { return m_mapHeader.Remove(szName, nIdx); }
VONAR_CLIENT BOOL VONAR_CLIENT_T::RemoveHeaderAt(DWORD nPos) { return m_mapHeader.RemoveAt(nPos); }
VONAR_CLIENT BOOL VONAR_CLIENT_T::RemoveAllHeader(LPCSTR szName) { return m_mapHeader.RemoveAll(szName); }
VONAR_CLIENT LPCSTR VONAR_CLIENT_T::GetHeaderName(DWORD nPos) const { return m_mapHeader.GetKeyAt(nPos); }
VONAR_CLIENT LPCSTR VONAR_CLIENT_T::GetHeader(LPCSTR szName, DWORD nIdx) const { return m_mapHeader.Get(szName, nIdx); }
VONAR_CLIENT LPCSTR VONAR_CLIENT_T::GetHeaderAt(DWORD nPos) const { return m_mapHeader.GetValueAt(nPos); }
VONAR_CLIENT DWORD VONAR_CLIENT_T::GetHeaderCount(LPCSTR szName) const { return m_mapHeader.Count(szName); }
VONAR_CLIENT BOOL VONAR_CLIENT_T::HeaderExists(LPCSTR szName, DWORD nIdx) const { return m_mapHeader.Exists(szName, nIdx); }

// Parameters.

VONAR_CLIENT void VONAR_CLIENT_T::AddParam(LPCSTR szName, LPCSTR szValue, DWORD dwParamFlag) {
  _RefuseDuringPost("CHttpClientT::AddParam: It is not allowed to call this method if the POST context is active.");
  m_mapParam.Add(szName, szValue, dwParamFlag);
}

VONAR_CLIENT void VONAR_CLIENT_T::SetParam(LPCSTR szName, LPCSTR szValue, DWORD dwParamFlag, DWORD nIdx) {
  _RefuseDuringPost("CHttpClientT::SetParam: It is not allowed to call this method if the POST context is active.");
  m_mapParam.Set(szName, szValue, dwParamFlag, nIdx);
}

VONAR_CLIENT BOOL VONAR_CLIENT_T::ClearParam() {
  _RefuseDuringPost("CHttpClientT::ClearParam: It is not allowed to call this method if the POST context is active.");
  return m_mapParam.Clear();
}

VONAR_CLIENT BOOL VONAR_CLIENT_T::RemoveParam(LPCSTR szName, DWORD nIdx) {
  _RefuseDuringPost("CHttpClientT::RemoveParam: It is not allowed to call this method if the POST context is active.");
  return m_mapParam.Remove(szName, nIdx);
}

VONAR_CLIENT BOOL VONAR_CLIENT_T::RemoveParamAt(DWORD nPos) {
  _RefuseDuringPost("CHttpClientT::RemoveParam: It is not allowed to call this method if the POST context is active.");
  return m_mapParam.RemoveAt(nPos);
}

VONAR_CLIENT BOOL VONAR_CLIENT_T::RemoveAllParam(LPCSTR szName) {
  _RefuseDuringPost(
      "CHttpClientT::RemoveAllParam: It is not allowed to call this method if the POST context is active.");
  return m_mapParam.RemoveAll(szName);
}

VONAR_CLIENT LPCSTR VONAR_CLIENT_T::GetParamName(DWORD nPos) const { return m_mapParam.GetKeyAt(nPos); }
VONAR_CLIENT LPCSTR VONAR_CLIENT_T::GetParam(LPCSTR szName, DWORD nIdx, DWORD* pdwParamFlag) const {
  return m_mapParam.Get(szName, nIdx, pdwParamFlag);
}
VONAR_CLIENT LPCSTR VONAR_CLIENT_T::GetParamAt(DWORD nPos, DWORD* pdwParamFlag) const {
  return m_mapParam.GetValueAt(nPos, pdwParamFlag);
}
VONAR_CLIENT DWORD VONAR_CLIENT_T::GetParamCount(LPCSTR szName) const { return m_mapParam.Count(szName); }
VONAR_CLIENT BOOL VONAR_CLIENT_T::ParamExists(LPCSTR szName, DWORD nIdx) const { return m_mapParam.Exists(szName, nIdx); }

// Encoded pieces.

VONAR_CLIENT std::string VONAR_CLIENT_T::_UrlPart(LPCSTR szText, bool bRaw) const {
  if (!szText) return std::string();
  if (bRaw) return szText;
  DWORD length = HttpEncoder::UrlEncodeLenA(szText, m_bUseUtf8, m_nAnsiCodePage);
  std::string out(CheckedAdd(length, 1), '\0');
  HttpEncoder::UrlEncodeA(out.data(), szText, m_bUseUtf8, m_nAnsiCodePage);
  out.resize(length);
  return out;
}

VONAR_CLIENT std::string VONAR_CLIENT_T::_PartText(LPCSTR szText, bool bEscape) const {
  if (!szText) return std::string();
  std::string out;
  if (m_bUseUtf8) {
    DWORD length = HttpEncoder::Utf8EncodeLen(szText, m_nAnsiCodePage);
    out.assign(CheckedAdd(length, 1), '\0');
    HttpEncoder::Utf8Encode(out.data(), szText, m_nAnsiCodePage);
    out.resize(length);
  } else {
    out = szText;
  }
  return bEscape ? EscapePartHeader(out) : out;
}

// GET.

VONAR_CLIENT DWORD VONAR_CLIENT_T::MakeGetUrlLen(LPCSTR szUrl) const {
  DWORD length = szUrl ? CheckedLength(std::strlen(szUrl)) : 0;
  if (m_mapParam.Empty()) return length;
  CHttpUrlAnalyzerT<HttpTool> url;
  url.Analyze(szUrl, m_nAnsiCodePage);
  if (url.PathLength() == 0) length = CheckedAdd(length, 1);
  for (DWORD i = 0; i < m_mapParam.Count(); ++i) {
    DWORD flags = m_mapParam.GetFlagAt(i);
    length = CheckedAdd(length, CheckedLength(_UrlPart(m_mapParam.GetKeyAt(i), flags & ParamEncodedName).size()));
    length = CheckedAdd(length, CheckedLength(_UrlPart(m_mapParam.GetValueAt(i), flags & ParamEncodedValue).size()), 2);
  }
  return length;
}

VONAR_CLIENT LPSTR VONAR_CLIENT_T::MakeGetUrl(LPSTR szBuff, LPCSTR szUrl) const {
  if (!szBuff) ThrowHttpException("CHttpClientT::MakeGetUrl: szBuff can not be NULL.", 0);
  if (!szUrl) szUrl = "";
  std::string out;
  try {
    if (m_mapParam.Empty()) {
      out = szUrl;
    } else {
      CHttpUrlAnalyzerT<HttpTool> url;
      url.Analyze(szUrl, m_nAnsiCodePage);
      out.assign(szUrl, url.PathOffset());
      if (url.PathLength() == 0) out += '/';
      out.append(szUrl + url.PathOffset(), url.PathLength());
      out.append(szUrl + url.QueryOffset(), url.QueryLength());
      out += url.QueryLength() ? '&' : '?';
      for (DWORD i = 0; i < m_mapParam.Count(); ++i) {
        DWORD flags = m_mapParam.GetFlagAt(i);
        if (i) out += '&';
        out += _UrlPart(m_mapParam.GetKeyAt(i), flags & ParamEncodedName);
        out += '=';
        out += _UrlPart(m_mapParam.GetValueAt(i), flags & ParamEncodedValue);
      }
      out.append(szUrl + url.FragmentOffset(), url.FragmentLength());
    }
  } catch (const std::bad_alloc&) {
    ThrowHttpException(102);
  }
  std::memcpy(szBuff, out.c_str(), out.size() + 1);
  return szBuff;
}

VONAR_CLIENT HINTERNET VONAR_CLIENT_T::_OpenInternet() const {
  return HttpTool::OpenInternet(GetUserAgent(), m_dwAccessType, m_szProxyName, m_szProxyBypass, m_dwOpenFlags);
}

VONAR_CLIENT HINTERNET VONAR_CLIENT_T::OpenConnection(HINTERNET hInternet, LPCSTR szUrl, LPCSTR szUsrName,
                                                      LPCSTR szUsrPwd) {
  if (!hInternet) ThrowHttpException("CHttpClientT::OpenConnection: hInternet can not be NULL.", 0);
  CHttpUrlAnalyzerT<HttpTool> url;
  url.Analyze(szUrl, m_nAnsiCodePage);
  INTERNET_PORT port = IsHttpsScheme(szUrl, url.SchemeOffset(), url.SchemeLength()) ? INTERNET_DEFAULT_HTTPS_PORT
                                                                                     : INTERNET_DEFAULT_HTTP_PORT;
  if (url.PortLength() > 0) {
    if (url.PortLength() > 5) ThrowHttpException(107);
    DWORD value = 0;
    for (DWORD i = 0; i < url.PortLength(); ++i) {
      char c = szUrl[url.PortOffset() + i];
      if (c < '0' || c > '9') ThrowHttpException(107);
      value = value * 10 + static_cast<DWORD>(c - '0');
    }
    if (value > 65535) ThrowHttpException(107);
    port = static_cast<INTERNET_PORT>(value);
  }
  if (url.HostLength() == 0) ThrowHttpException(103);
  std::string host;
  try {
    host.assign(szUrl + url.HostOffset(), url.HostLength());
  } catch (const std::bad_alloc&) {
    ThrowHttpException(102);
  }
  return HttpTool::OpenConnection(hInternet, host.c_str(), port, szUsrName, szUsrPwd);
}

VONAR_CLIENT HINTERNET VONAR_CLIENT_T::OpenRequest(HINTERNET hConnection, LPCSTR szMethod, LPCSTR szUrl,
                                                   DWORD dwFlags, LPCSTR szReferer) {
  if (!hConnection) ThrowHttpException("CHttpClientT::OpenRequest: hConnection can not be NULL.", 0);
  if (!szUrl) szUrl = "";
  CHttpUrlAnalyzerT<HttpTool> url;
  url.Analyze(szUrl, m_nAnsiCodePage);
  if (IsHttpsScheme(szUrl, url.SchemeOffset(), url.SchemeLength())) dwFlags |= INTERNET_FLAG_SECURE;
  std::string object;
  try {
    if (url.PathLength() > 0) {
      object = szUrl + url.PathOffset();
    } else {
      object = std::string("/") + (szUrl + url.PathOffset());
    }
  } catch (const std::bad_alloc&) {
    ThrowHttpException(102);
  }
  HINTERNET hRequest = HttpTool::OpenRequest(hConnection, szMethod, object.c_str(), dwFlags, szReferer, m_nAnsiCodePage);
  try {
    if (dwFlags & INTERNET_FLAG_PRAGMA_NOCACHE) HttpTool::AddHeader(hRequest, "Cache-Control", "no-cache", m_nAnsiCodePage);
  } catch (...) {
    HttpTool::CloseInternetHandle(hRequest);
    throw;
  }
  return hRequest;
}

VONAR_CLIENT void VONAR_CLIENT_T::AddRequestHeader(HINTERNET hRequest) {
  if (!hRequest) ThrowHttpException("CHttpClientT::AddRequestHeader: hRequest can not be NULL.", 0);
  for (DWORD i = 0; i < m_mapHeader.Count(); ++i)
    HttpTool::AddHeader(hRequest, m_mapHeader.GetKeyAt(i), m_mapHeader.GetValueAt(i), m_nAnsiCodePage);
}

VONAR_CLIENT typename VONAR_CLIENT_T::CHttpResponse* VONAR_CLIENT_T::RequestGet(LPCSTR szUrl, BOOL bUseCache) {
  return RequestGet(szUrl, bUseCache ? kFlagsCache : kFlagsNoCache, nullptr, nullptr, nullptr);
}

VONAR_CLIENT typename VONAR_CLIENT_T::CHttpResponse* VONAR_CLIENT_T::RequestGet(LPCSTR szUrl, DWORD dwFlags,
                                                                              LPCSTR szReferer, LPCSTR szUsrName,
                                                                              LPCSTR szUsrPwd) {
  CancelPostContext();
  HINTERNET hInternet = nullptr, hConnection = nullptr, hRequest = nullptr;
  auto cleanUp = [&] {
    HttpTool::CloseInternetHandle(hRequest);
    HttpTool::CloseInternetHandle(hConnection);
    HttpTool::CloseInternetHandle(hInternet);
  };
  try {
    hInternet = _OpenInternet();
    hConnection = OpenConnection(hInternet, szUrl, szUsrName, szUsrPwd);
    {
      std::vector<char> getUrl;
      LPCSTR used = szUrl;
      if (!m_mapParam.Empty()) {
        getUrl.resize(CheckedAdd(MakeGetUrlLen(szUrl), 1));
        used = MakeGetUrl(getUrl.data(), szUrl);
      }
      hRequest = OpenRequest(hConnection, "GET", used, dwFlags, szReferer);
    }
    AddRequestHeader(hRequest);
    HttpTool::SendRequest(hRequest, nullptr, m_nAnsiCodePage);
    auto* response = new (std::nothrow) CHttpResponse(hInternet, hConnection, hRequest);
    if (!response) ThrowHttpException(102);
    return response;
  } catch (...) {
    cleanUp();
    RethrowAsHttpException();
  }
}

// Post contexts.

VONAR_CLIENT void VONAR_CLIENT_T::BeginPost(LPCSTR szUrl, BOOL bUseCache) {
  BeginPost(szUrl, bUseCache ? kFlagsCache : kFlagsNoCache, nullptr, nullptr, nullptr);
}

VONAR_CLIENT void VONAR_CLIENT_T::BeginPost(LPCSTR szUrl, DWORD dwFlags, LPCSTR szReferer, LPCSTR szUsrName,
                                            LPCSTR szUsrPwd) {
  CancelPostContext();
  HINTERNET hInternet = nullptr, hConnection = nullptr, hRequest = nullptr;
  try {
    DWORD bodyLength = 0, dataTotal = 0;
    DWORD count = m_mapParam.Count();
    for (DWORD i = 0; i < count; ++i) {
      DWORD flags = m_mapParam.GetFlagAt(i);
      DWORD name = CheckedLength(_UrlPart(m_mapParam.GetKeyAt(i), flags & ParamEncodedName).size());
      DWORD value = CheckedLength(_UrlPart(m_mapParam.GetValueAt(i), flags & ParamEncodedValue).size());
      bodyLength = CheckedAdd(bodyLength, CheckedAdd(name, value, 2));
      dataTotal = CheckedAdd(dataTotal, value);
    }
    if (count) bodyLength -= 1;  // no separator after the last pair

    hInternet = _OpenInternet();
    hConnection = OpenConnection(hInternet, szUrl, szUsrName, szUsrPwd);
    hRequest = OpenRequest(hConnection, "POST", szUrl, dwFlags, szReferer);
    AddRequestHeader(hRequest);
    HttpTool::AddHeader(hRequest, "Content-Type", "application/x-www-form-urlencoded", m_nAnsiCodePage);
    HttpTool::SendRequestEx(hRequest, bodyLength);

    m_objPostStat._MakeActive(bodyLength, dataTotal, count, 0);
    m_hInternet = hInternet;
    m_hConnection = hConnection;
    m_hRequest = hRequest;
    m_dwPostMode = 1;
    if (count) {
      m_objInitialStat = m_objPostStat;
      DWORD flags = m_mapParam.GetFlagAt(0);
      m_objInitialStat._StartNewEntry(m_mapParam.GetKeyAt(0),
                                      CheckedLength(_UrlPart(m_mapParam.GetValueAt(0), flags & ParamEncodedValue).size()));
    }
  } catch (...) {
    m_objPostStat._MakeInactive();
    m_objInitialStat._MakeInactive();
    m_hInternet = m_hConnection = m_hRequest = nullptr;
    HttpTool::CloseInternetHandle(hRequest);
    HttpTool::CloseInternetHandle(hConnection);
    HttpTool::CloseInternetHandle(hInternet);
    RethrowAsHttpException();
  }
}

VONAR_CLIENT typename VONAR_CLIENT_T::CHttpResponse* VONAR_CLIENT_T::RequestPost(LPCSTR szUrl, BOOL bUseCache) {
  return RequestPost(szUrl, bUseCache ? kFlagsCache : kFlagsNoCache, nullptr, nullptr, nullptr);
}

VONAR_CLIENT typename VONAR_CLIENT_T::CHttpResponse* VONAR_CLIENT_T::RequestPost(LPCSTR szUrl, DWORD dwFlags,
                                                                               LPCSTR szReferer, LPCSTR szUsrName,
                                                                               LPCSTR szUsrPwd) {
  BeginPost(szUrl, dwFlags, szReferer, szUsrName, szUsrPwd);
  for (;;)
    if (CHttpResponse* response = Proceed(0xFFFFFFFFu)) return response;
}

VONAR_CLIENT void VONAR_CLIENT_T::BeginUpload(LPCSTR szUrl, BOOL bUseCache) {
  BeginUpload(szUrl, bUseCache ? kFlagsCache : kFlagsNoCache, nullptr, nullptr, nullptr);
}

VONAR_CLIENT void VONAR_CLIENT_T::BeginUpload(LPCSTR szUrl, DWORD dwFlags, LPCSTR szReferer, LPCSTR szUsrName,
                                              LPCSTR szUsrPwd) {
  CancelPostContext();
  const DWORD B = static_cast<DWORD>(std::strlen(_Boundary()));
  HINTERNET hInternet = nullptr, hConnection = nullptr, hRequest = nullptr;
  std::vector<HANDLE> files;
  std::vector<LPSTR> mimeTypes;
  std::vector<DWORD> sizes;
  auto freeFiles = [&] {
    for (HANDLE file : files)
      if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    for (LPSTR mime : mimeTypes) delete[] mime;
    files.clear();
    mimeTypes.clear();
  };
  try {
    DWORD count = m_mapParam.Count();
    DWORD fileCount = 0;
    for (DWORD i = 0; i < count; ++i)
      if (m_mapParam.GetFlagAt(i) & ParamFile) ++fileCount;
    files.reserve(fileCount);
    mimeTypes.reserve(fileCount);
    sizes.reserve(fileCount);

    DWORD bodyLength = 0, dataTotal = 0;
    if (count == 0) {
      bodyLength = CheckedAdd(B, 8);
    } else {
      for (DWORD i = 0; i < count; ++i) {
        DWORD name = CheckedLength(_PartText(m_mapParam.GetKeyAt(i), true).size());
        LPCSTR value = m_mapParam.GetValueAt(i);
        if (m_mapParam.GetFlagAt(i) & ParamFile) {
          LPCSTR path = value;
          HANDLE file = HttpTool::OpenFile(path);
          DWORD size = 0;
          if (file == INVALID_HANDLE_VALUE) {
            if (m_bFailOnUnreadableFile) ThrowHttpException(603, GetLastError(), path);
          }
          files.push_back(file);
          if (file != INVALID_HANDLE_VALUE) size = HttpTool::GetFileSize(file, path);
          sizes.push_back(size);
          mimeTypes.push_back(nullptr);
          mimeTypes.back() = HttpTool::GetMimeType(file, m_nAnsiCodePage);
          DWORD pathLength = CheckedLength(_PartText(path, true).size());
          DWORD mimeLength = CheckedLength(std::strlen(mimeTypes.back()));
          bodyLength = CheckedAdd(bodyLength, CheckedAdd(B, 78, name));
          bodyLength = CheckedAdd(bodyLength, CheckedAdd(pathLength, mimeLength, size));
          dataTotal = CheckedAdd(dataTotal, size);
        } else {
          DWORD valueLength = CheckedLength(_PartText(value, false).size());
          bodyLength = CheckedAdd(bodyLength, CheckedAdd(B, 49, name));
          bodyLength = CheckedAdd(bodyLength, valueLength);
          dataTotal = CheckedAdd(dataTotal, valueLength);
        }
      }
      bodyLength = CheckedAdd(bodyLength, CheckedAdd(B, 6));
    }

    hInternet = _OpenInternet();
    hConnection = OpenConnection(hInternet, szUrl, szUsrName, szUsrPwd);
    hRequest = OpenRequest(hConnection, "POST", szUrl, dwFlags, szReferer);
    AddRequestHeader(hRequest);
    HttpTool::AddHeader(hRequest, "Content-Type", _ContentType(), m_nAnsiCodePage);
    HttpTool::SendRequestEx(hRequest, bodyLength);

    m_objPostStat._MakeActive(bodyLength, dataTotal, count, fileCount);
    m_hInternet = hInternet;
    m_hConnection = hConnection;
    m_hRequest = hRequest;
    m_ahPostedFiles.swap(files);
    m_aszMimeTypes.swap(mimeTypes);
    m_anFileSizes.swap(sizes);
    m_dwPostMode = 0;
    if (count) {
      m_objInitialStat = m_objPostStat;
      BOOL isFile = (m_mapParam.GetFlagAt(0) & ParamFile) != 0;
      DWORD size = isFile ? m_anFileSizes[0] : CheckedLength(_PartText(m_mapParam.GetValueAt(0), false).size());
      m_objInitialStat._StartNewEntry(m_mapParam.GetKeyAt(0), size, isFile,
                                      isFile ? m_mapParam.GetValueAt(0) : nullptr);
    }
  } catch (...) {
    _ClosePostContext();
    HttpTool::CloseInternetHandle(hRequest);
    HttpTool::CloseInternetHandle(hConnection);
    HttpTool::CloseInternetHandle(hInternet);
    freeFiles();
    RethrowAsHttpException();
  }
}

VONAR_CLIENT typename VONAR_CLIENT_T::CHttpResponse* VONAR_CLIENT_T::RequestUpload(LPCSTR szUrl, BOOL bUseCache) {
  return RequestUpload(szUrl, bUseCache ? kFlagsCache : kFlagsNoCache, nullptr, nullptr, nullptr);
}

VONAR_CLIENT typename VONAR_CLIENT_T::CHttpResponse* VONAR_CLIENT_T::RequestUpload(LPCSTR szUrl, DWORD dwFlags,
                                                                                 LPCSTR szReferer, LPCSTR szUsrName,
                                                                                 LPCSTR szUsrPwd) {
  BeginUpload(szUrl, dwFlags, szReferer, szUsrName, szUsrPwd);
  for (;;)
    if (CHttpResponse* response = Proceed(0xFFFFFFFFu)) return response;
}

VONAR_CLIENT typename VONAR_CLIENT_T::CHttpResponse* VONAR_CLIENT_T::Proceed(DWORD nDesired) {
  return m_dwPostMode == 1 ? _ProceedPostContext(nDesired) : _ProceedUploadContext(nDesired);
}

VONAR_CLIENT void VONAR_CLIENT_T::_WritePost(const void* pbyBuff, DWORD cbyBuff, BOOL bIsData) {
  if (!m_hRequest) ThrowHttpException("CHttpClientT::_WritePost: m_hRequest can not be NULL.", 0);
  if (cbyBuff == 0) return;
  if (bIsData) {
    m_objPostStat._TestAddPostedBytes(cbyBuff);
  } else {
    m_objPostStat._TestAddActualPostedBytes(cbyBuff);
  }
  // Nothing goes past the length announced to the server.
  if (CheckedAdd(m_objPostStat.ActualPostedByte(), cbyBuff) > m_objPostStat.ActualTotalByte())
    ThrowHttpException(112);
  HttpTool::InternetWriteFile(m_hRequest, static_cast<const BYTE*>(pbyBuff), cbyBuff);
  if (bIsData) {
    m_objPostStat._AddPostedBytes(cbyBuff);
  } else {
    m_objPostStat._AddActualPostedBytes(cbyBuff);
  }
}

// A failing step ends the context before the exception goes on.
VONAR_CLIENT template <typename Step>
typename VONAR_CLIENT_T::CHttpResponse* VONAR_CLIENT_T::_GuardedStep(Step step) {
  try {
    return step();
  } catch (...) {
    if (m_objPostStat.IsActive()) _ClosePostContext();
    RethrowAsHttpException();
  }
}

VONAR_CLIENT typename VONAR_CLIENT_T::CHttpResponse* VONAR_CLIENT_T::_ProceedPostContext(DWORD nDesired) {
  if (!m_objPostStat.IsActive()) ThrowHttpException(104);
  if (!m_hInternet) ThrowHttpException("CHttpClientT::_ProceedPostContext: m_hInternet can not be NULL.", 0);
  if (!m_hConnection) ThrowHttpException("CHttpClientT::_ProceedPostContext: m_hConnection can not be NULL.", 0);
  if (!m_hRequest) ThrowHttpException("CHttpClientT::_ProceedPostContext: m_hRequest can not be NULL.", 0);
  if (nDesired == 0) ThrowHttpException("CHttpClientT::_ProceedPostContext: nDesired can not be zero.", 0);
  return _GuardedStep([&]() -> CHttpResponse* {
    if (m_objPostStat.PostedCount() == 0 || m_objPostStat.CurrParamIsComplete()) {
      if (m_objPostStat.PostedCount() == m_objPostStat.TotalCount()) {
        HttpTool::EndRequest(m_hRequest);
        return _ReleasePostResponse();
      }
      DWORD index = m_objPostStat.PostedCount();
      DWORD flags = m_mapParam.GetFlagAt(index);
      if (index) _WritePost("&", 1, FALSE);
      _WritePost(_UrlPart(m_mapParam.GetKeyAt(index), flags & ParamEncodedName));
      _WritePost("=", 1, FALSE);
      m_strCurrValue = _UrlPart(m_mapParam.GetValueAt(index), flags & ParamEncodedValue);
      m_objPostStat._StartNewEntry(m_mapParam.GetKeyAt(index), CheckedLength(m_strCurrValue.size()));
      return nullptr;
    }
    DWORD posted = m_objPostStat.CurrParamPostedByte();
    DWORD n = std::min(nDesired, m_objPostStat.CurrParamRemainByte());
    _WritePost(m_strCurrValue.data() + posted, n, TRUE);
    return nullptr;
  });
}

VONAR_CLIENT typename VONAR_CLIENT_T::CHttpResponse* VONAR_CLIENT_T::_ProceedUploadContext(DWORD nDesired) {
  if (!m_objPostStat.IsActive()) ThrowHttpException(104);
  if (!m_hInternet) ThrowHttpException("CHttpClientT::_ProceedUploadContext: m_hInternet can not be NULL.", 0);
  if (!m_hConnection) ThrowHttpException("CHttpClientT::_ProceedUploadContext: m_hConnection can not be NULL.", 0);
  if (!m_hRequest) ThrowHttpException("CHttpClientT::_ProceedUploadContext: m_hRequest can not be NULL.", 0);
  if (nDesired == 0) ThrowHttpException("CHttpClientT::_ProceedUploadContext: nDesired can not be zero.", 0);
  return _GuardedStep([&]() -> CHttpResponse* {
    const std::string boundary = _Boundary();
    if (m_objPostStat.ActualPostedByte() == m_objPostStat.ActualTotalByte()) {
      HttpTool::EndRequest(m_hRequest);
      return _ReleasePostResponse();
    }
    if (m_objPostStat.TotalCount() == 0) {
      _WritePost("\r\n--" + boundary + "--\r\n");
      return nullptr;
    }
    if (m_objPostStat.PostedCount() == 0 || m_objPostStat.CurrParamIsComplete()) {
      if (m_objPostStat.PostedCount() == m_objPostStat.TotalCount()) {
        _WritePost("--" + boundary + "--\r\n");
        return nullptr;
      }
      DWORD index = m_objPostStat.PostedCount();
      LPCSTR name = m_mapParam.GetKeyAt(index);
      LPCSTR value = m_mapParam.GetValueAt(index);
      BOOL isFile = (m_mapParam.GetFlagAt(index) & ParamFile) != 0;
      std::string head = "--" + boundary + "\r\nContent-Disposition: form-data; name=\"" + _PartText(name, true);
      DWORD size;
      if (isFile) {
        DWORD file = m_objPostStat.PostedFileCount();
        size = m_anFileSizes[file];
        head += "\"; filename=\"" + _PartText(value, true) + "\"\r\nContent-Type: " + m_aszMimeTypes[file] +
                "\r\n\r\n";
      } else {
        m_strCurrValue = _PartText(value, false);
        size = CheckedLength(m_strCurrValue.size());
        head += "\"\r\n\r\n";
      }
      _WritePost(head);
      m_objPostStat._StartNewEntry(name, size, isFile, isFile ? value : nullptr);
      if (size == 0) _WritePost("\r\n", 2, FALSE);
      return nullptr;
    }
    DWORD n = std::min(nDesired, m_objPostStat.CurrParamRemainByte());
    if (m_objPostStat.CurrParamIsFile()) {
      HANDLE file = m_ahPostedFiles[m_objPostStat.PostedFileCount() - 1];
      if (!m_pbyFileBuff) {
        m_pbyFileBuff = new (std::nothrow) BYTE[kFileBufferSize];
        if (!m_pbyFileBuff) ThrowHttpException(102);
      }
      while (n > 0) {
        DWORD piece = std::min(n, kFileBufferSize), read = 0;
        if (!ReadFile(file, m_pbyFileBuff, piece, &read, nullptr)) ThrowHttpException(602, GetLastError());
        if (read < piece) ThrowHttpException(105);
        _WritePost(m_pbyFileBuff, piece, TRUE);
        n -= piece;
      }
    } else {
      _WritePost(m_strCurrValue.data() + m_objPostStat.CurrParamPostedByte(), n, TRUE);
    }
    if (m_objPostStat.CurrParamIsComplete()) _WritePost("\r\n", 2, FALSE);
    return nullptr;
  });
}

VONAR_CLIENT void VONAR_CLIENT_T::_EndPostContext(HINTERNET& hInternet, HINTERNET& hConnection,
                                                  HINTERNET& hRequest) {
  hInternet = m_hInternet;
  hConnection = m_hConnection;
  hRequest = m_hRequest;
  m_hInternet = m_hConnection = m_hRequest = nullptr;
  for (HANDLE file : m_ahPostedFiles)
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  for (LPSTR mime : m_aszMimeTypes) delete[] mime;
  m_ahPostedFiles.clear();
  m_aszMimeTypes.clear();
  m_anFileSizes.clear();
  m_strCurrValue.clear();
  m_strCurrValue.shrink_to_fit();
  delete[] m_pbyFileBuff;
  m_pbyFileBuff = nullptr;
  m_objPostStat._MakeInactive();
  m_objInitialStat._MakeInactive();
}

VONAR_CLIENT void VONAR_CLIENT_T::_ClosePostContext() {
  HINTERNET hInternet, hConnection, hRequest;
  _EndPostContext(hInternet, hConnection, hRequest);
  HttpTool::CloseInternetHandle(hRequest);
  HttpTool::CloseInternetHandle(hConnection);
  HttpTool::CloseInternetHandle(hInternet);
}

VONAR_CLIENT typename VONAR_CLIENT_T::CHttpResponse* VONAR_CLIENT_T::_ReleasePostResponse() {
  if (!m_objPostStat.IsActive())
    ThrowHttpException("CHttpClientT::_ReleasePostResponse: The post context is not active.", 0);
  HINTERNET hInternet, hConnection, hRequest;
  _EndPostContext(hInternet, hConnection, hRequest);
  auto* response = new (std::nothrow) CHttpResponse(hInternet, hConnection, hRequest);
  if (!response) {
    HttpTool::CloseInternetHandle(hRequest);
    HttpTool::CloseInternetHandle(hConnection);
    HttpTool::CloseInternetHandle(hInternet);
    ThrowHttpException(102);
  }
  return response;
}

VONAR_CLIENT BOOL VONAR_CLIENT_T::CancelPostContext() {
  if (!m_objPostStat.IsActive()) return FALSE;
  _ClosePostContext();
  return TRUE;
}

VONAR_CLIENT typename VONAR_CLIENT_T::CHttpPostStat& VONAR_CLIENT_T::QueryPostStat(CHttpPostStat& objPostStat) const {
  if (m_objPostStat.IsActive() && m_objPostStat.TotalCount() > 0 && m_objPostStat.PostedCount() == 0) {
    objPostStat = m_objInitialStat;
  } else {
    objPostStat = m_objPostStat;
  }
  return objPostStat;
}

#undef VONAR_CLIENT
#undef VONAR_CLIENT_T

template class CHttpClientT<CHttpToolA, CHttpEncoderA>;

}  // namespace Vonar
