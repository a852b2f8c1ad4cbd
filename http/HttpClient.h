// The program's HTTP client over the WinINet interface. One client keeps the open options, the
// request headers and the form parameters, and sends one request at a time: a GET with the
// parameters in the URL, a url-encoded POST, or a multipart/form-data upload whose file
// parameters carry local files. POSTs can run stepwise: Begin..., then Proceed until it returns
// the response, reading QueryPostStat between steps or giving up with CancelPostContext.
//
// Every failure throws httpclientexceptionA (see HttpClientException.h). A request that fails
// leaves settings, headers and parameters as they were. The caller deletes each response; it
// may outlive the client. A client belongs to one thread.
#pragma once

#include <string>
#include <vector>

#include "http/HttpClientMap.h"
#include "http/HttpPostStat.h"
#include "http/HttpResponse.h"
#include "platform/win32/windef.h"
#include "platform/wininet/wininet.h"

namespace Vonar {

template <typename HttpTool, typename HttpEncoder>
class CHttpClientT {
 public:
  typedef CHttpResponseT<HttpTool> CHttpResponse;
  typedef CHttpPostStatT<HttpTool> CHttpPostStat;
  typedef CHttpClientMapT<HttpTool> CHttpClientMap;

  /// Parameter flag words.
  enum { ParamNormal = 0, ParamFile = 1, ParamEncodedName = 2, ParamEncodedValue = 4 };
  /// Request flags of the short forms: use-cache false and true.
  static constexpr DWORD kFlagsNoCache = 0x84400F00u;
  static constexpr DWORD kFlagsCache = 0x00400E00u;

  CHttpClientT();
  virtual ~CHttpClientT();
  CHttpClientT(const CHttpClientT&) = delete;
  CHttpClientT& operator=(const CHttpClientT&) = delete;

  // Open options.
  void SetSessionOptions(LPCSTR szUserAgent, DWORD dwAccessType, LPCSTR szProxyName, LPCSTR szProxyBypass,
                         DWORD dwFlags);
  /// "Vonar HTTP Client Class" when none is set.
  LPCSTR GetUserAgent() const;
  DWORD GetAccessType() const { return m_dwAccessType; }
  LPCSTR GetProxyName() const { return m_szProxyName; }
  LPCSTR GetProxyBypass() const { return m_szProxyBypass; }
  DWORD GetOpenFlags() const { return m_dwOpenFlags; }

  // Settings; the first two are refused while a post context is active.
  BOOL SetUseUtf8(BOOL bUseUtf8);
  BOOL GetUseUtf8() const { return m_bUseUtf8; }
  UINT SetAnsiCodePage(UINT nAnsiCodePage);
  UINT GetAnsiCodePage() const { return m_nAnsiCodePage; }
  BOOL SetFailOnUnreadableFile(BOOL bFail);
  BOOL GetFailOnUnreadableFile() const { return m_bFailOnUnreadableFile; }

  // Request headers (may change during a post context; they affect later requests).
  void AddHeader(LPCSTR szName, LPCSTR szValue);
  void SetHeader(LPCSTR szName, LPCSTR szValue, DWORD nIdx = 0);
  BOOL ClearHeader();
  BOOL RemoveHeader(LPCSTR szName, DWORD nIdx = 0);
  BOOL RemoveHeaderAt(DWORD nPos);
  BOOL RemoveAllHeader(LPCSTR szName);
  LPCSTR GetHeaderName(DWORD nPos) const;
  LPCSTR GetHeader(LPCSTR szName, DWORD nIdx = 0) const;
  LPCSTR GetHeaderAt(DWORD nPos) const;
  DWORD GetHeaderCount(LPCSTR szName = nullptr) const;
  BOOL HeaderExists(LPCSTR szName, DWORD nIdx = 0) const;

  // Form parameters (refused while a post context is active).
  void AddParam(LPCSTR szName, LPCSTR szValue = nullptr, DWORD dwParamFlag = ParamNormal);
  void SetParam(LPCSTR szName, LPCSTR szValue, DWORD dwParamFlag = ParamNormal, DWORD nIdx = 0);
  BOOL ClearParam();
  BOOL RemoveParam(LPCSTR szName, DWORD nIdx = 0);
  BOOL RemoveParamAt(DWORD nPos);
  BOOL RemoveAllParam(LPCSTR szName);
  LPCSTR GetParamName(DWORD nPos) const;
  LPCSTR GetParam(LPCSTR szName, DWORD nIdx = 0, DWORD* pdwParamFlag = nullptr) const;
  LPCSTR GetParamAt(DWORD nPos, DWORD* pdwParamFlag = nullptr) const;
  DWORD GetParamCount(LPCSTR szName = nullptr) const;
  BOOL ParamExists(LPCSTR szName, DWORD nIdx = 0) const;

  /// The URL with the parameters appended (before any fragment). szBuff holds MakeGetUrlLen + 1 bytes.
  LPSTR MakeGetUrl(LPSTR szBuff, LPCSTR szUrl) const;
  DWORD MakeGetUrlLen(LPCSTR szUrl) const;

  // Requests: the short forms take a use-cache flag, the full ones request flags, a referrer
  // and the account for InternetConnect.
  CHttpResponse* RequestGet(LPCSTR szUrl, BOOL bUseCache = FALSE);
  CHttpResponse* RequestGet(LPCSTR szUrl, DWORD dwFlags, LPCSTR szReferer, LPCSTR szUsrName, LPCSTR szUsrPwd);
  void BeginPost(LPCSTR szUrl, BOOL bUseCache = FALSE);
  void BeginPost(LPCSTR szUrl, DWORD dwFlags, LPCSTR szReferer, LPCSTR szUsrName, LPCSTR szUsrPwd);
  CHttpResponse* RequestPost(LPCSTR szUrl, BOOL bUseCache = FALSE);
  CHttpResponse* RequestPost(LPCSTR szUrl, DWORD dwFlags, LPCSTR szReferer, LPCSTR szUsrName, LPCSTR szUsrPwd);
  void BeginUpload(LPCSTR szUrl, BOOL bUseCache = FALSE);
  void BeginUpload(LPCSTR szUrl, DWORD dwFlags, LPCSTR szReferer, LPCSTR szUsrName, LPCSTR szUsrPwd);
  CHttpResponse* RequestUpload(LPCSTR szUrl, BOOL bUseCache = FALSE);
  CHttpResponse* RequestUpload(LPCSTR szUrl, DWORD dwFlags, LPCSTR szReferer, LPCSTR szUsrName, LPCSTR szUsrPwd);

  /// Writes the next step of the active post context, at most nDesired value or file bytes.
  /// Returns null until the request is complete, then the new response (the context ends).
  CHttpResponse* Proceed(DWORD nDesired);
  /// False when no context is active; else ends it, closing its files and handles.
  BOOL CancelPostContext();
  CHttpPostStat& QueryPostStat(CHttpPostStat& objPostStat) const;

  // The steps of a request, each usable alone.
  HINTERNET OpenConnection(HINTERNET hInternet, LPCSTR szUrl, LPCSTR szUsrName = nullptr, LPCSTR szUsrPwd = nullptr);
  HINTERNET OpenRequest(HINTERNET hConnection, LPCSTR szMethod, LPCSTR szUrl, DWORD dwFlags,
                        LPCSTR szReferer = nullptr);
  void AddRequestHeader(HINTERNET hRequest);

 private:
  LPCSTR _Boundary() const;
  LPCSTR _ContentType() const;
  HINTERNET _OpenInternet() const;
  void _RefuseDuringPost(LPCSTR szMessage) const;
  std::string _UrlPart(LPCSTR szText, bool bRaw) const;
  std::string _PartText(LPCSTR szText, bool bEscape) const;
  void _WritePost(const void* pbyBuff, DWORD cbyBuff, BOOL bIsData);
  void _WritePost(const std::string& text) { _WritePost(text.data(), static_cast<DWORD>(text.size()), FALSE); }
  CHttpResponse* _ProceedPostContext(DWORD nDesired);
  CHttpResponse* _ProceedUploadContext(DWORD nDesired);
  CHttpResponse* _ReleasePostResponse();
  void _EndPostContext(HINTERNET& hInternet, HINTERNET& hConnection, HINTERNET& hRequest);
  void _ClosePostContext();
  template <typename Step>
  CHttpResponse* _GuardedStep(Step step);

  BOOL m_bFailOnUnreadableFile = FALSE;
  LPSTR m_szBoundary = nullptr;
  LPSTR m_szUploadContType = nullptr;
  BOOL m_bUseUtf8 = FALSE;
  UINT m_nAnsiCodePage = 0;
  CHttpClientMap m_mapHeader;
  CHttpClientMap m_mapParam;
  LPSTR m_szUserAgent = nullptr;
  DWORD m_dwAccessType = INTERNET_OPEN_TYPE_PRECONFIG;
  LPSTR m_szProxyName = nullptr;
  LPSTR m_szProxyBypass = nullptr;
  DWORD m_dwOpenFlags = 0;

  // The post context.
  CHttpPostStat m_objInitialStat;
  CHttpPostStat m_objPostStat;
  std::vector<HANDLE> m_ahPostedFiles;
  std::vector<LPSTR> m_aszMimeTypes;
  std::vector<DWORD> m_anFileSizes;  // sizes announced at the beginning; never read again
  std::string m_strCurrValue;
  HINTERNET m_hInternet = nullptr;
  HINTERNET m_hConnection = nullptr;
  HINTERNET m_hRequest = nullptr;
  DWORD m_dwPostMode = 1;
  BYTE* m_pbyFileBuff = nullptr;
};

class CHttpToolA;
class CHttpEncoderA;
typedef CHttpClientT<CHttpToolA, CHttpEncoderA> CHttpClientA;

}  // namespace Vonar
