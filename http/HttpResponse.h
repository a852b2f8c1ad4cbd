// The result of a request: status, headers and body of the reply. Made by the client with new;
// the caller deletes it (before or after the client). It owns the request handle and the
// internet and connection handles the request opened itself, and closes them when deleted.
#pragma once

#include "http/HttpClientMap.h"
#include "platform/win32/windef.h"
#include "platform/wininet/wininet.h"

namespace Vonar {

template <typename HttpTool>
class CHttpResponseT {
 public:
  CHttpResponseT(HINTERNET hInternet, HINTERNET hConnection, HINTERNET hRequest);
  CHttpResponseT(HINTERNET hConnection, HINTERNET hRequest);
  explicit CHttpResponseT(HINTERNET hRequest);
  virtual ~CHttpResponseT();
  CHttpResponseT(const CHttpResponseT&) = delete;
  CHttpResponseT& operator=(const CHttpResponseT&) = delete;

  /// Queried once, then cached (a failed query is tried again next time). 400 on failure.
  DWORD GetStatus();
  /// Owned by the response; queried once.
  LPCSTR GetStatusText();
  /// False when the reply has no Content-Length (a chunked one, for example).
  BOOL GetContentLength(DWORD& cbContLen);
  /// Up to cbBuff body bytes; 0 at the end of the body. 401 on failure.
  DWORD ReadContent(BYTE* pbyBuff, DWORD cbBuff);
  /// Writes the rest of the body to the file. Without bOverwrite an existing file is code 114.
  /// The body goes to a temporary file beside it that replaces the target only once complete.
  void SaveContent(LPCSTR szFilePath, BOOL bOverwrite = FALSE);
  /// Occurrences of a reply header (loaded on first use).
  DWORD GetHeaderCount(LPCSTR szName);
  /// The nIdx-th value of a reply header, or null when there is none.
  LPCSTR GetHeader(LPCSTR szName, DWORD nIdx = 0);

 private:
  DWORD _LoadHeader(LPCSTR szName);

  CHttpClientMapT<HttpTool> m_mapHeader;
  HINTERNET m_hInternet;
  HINTERNET m_hConnection;
  HINTERNET m_hRequest;
  DWORD m_dwStatus = 0;
  LPSTR m_szStatusText = nullptr;
};

class CHttpToolA;
typedef CHttpResponseT<CHttpToolA> CHttpResponseA;

}  // namespace Vonar
