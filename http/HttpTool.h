// Static wrappers of the WinINet, file and code-page calls the HTTP client makes. Each checks
// its handle and string arguments (code 0 with a message naming the argument) and turns a
// failing call into httpclientexceptionA with its code and GetLastError.
#pragma once

#include "platform/win32/windef.h"
#include "platform/wininet/wininet.h"

namespace Vonar {

class CHttpToolA {
 public:
  /// New heap (new[]) ANSI text of a wide text; null for null. 600, 102.
  static LPSTR Unicode2Ansi(LPCWSTR szStr, UINT CodePage = 0);
  /// New heap (new[]) wide text of an ANSI text; null for null. 601, 102.
  static LPWSTR Ansi2Unicode(LPCSTR szStr, UINT CodePage = 0);

  static HINTERNET OpenInternet(LPCSTR szUserAgent, DWORD dwAccessType, LPCSTR szProxyName, LPCSTR szProxyBypass,
                                DWORD dwFlags);
  /// Closes the handle when it is not null and sets it to null.
  static void CloseInternetHandle(HINTERNET& hInternet);
  static HINTERNET OpenConnection(HINTERNET hInternet, LPCSTR szServerAddr, INTERNET_PORT nPort,
                                  LPCSTR szUsrName = nullptr, LPCSTR szUsrPwd = nullptr);
  static HINTERNET OpenRequest(HINTERNET hConnection, LPCSTR szMethod, LPCSTR szObjectName, DWORD dwFlags,
                               LPCSTR szReferer = nullptr, UINT CodePage = 0);
  static void AddHeader(HINTERNET hRequest, LPCSTR szName, LPCSTR szValue, UINT CodePage = 0);
  static void SendRequest(HINTERNET hRequest, LPCSTR szPosted = nullptr, UINT CodePage = 0);
  static void SendRequestEx(HINTERNET hRequest, DWORD dwPostedSize);
  static void InternetWriteFile(HINTERNET hRequest, const BYTE* pbyBuff, DWORD cbyBuff);
  static void EndRequest(HINTERNET hRequest);

  static DWORD GetStatusCode(HINTERNET hRequest);
  /// New heap (new[]) status text.
  static LPSTR GetStatusText(HINTERNET hRequest);
  /// False when the reply has no Content-Length.
  static BOOL GetContentLength(HINTERNET hRequest, DWORD& cbContLen);
  /// New heap (new[]) value of the *pnIdx-th header of that name (advancing *pnIdx), or null
  /// when there is none.
  static LPSTR GetHeader(HINTERNET hRequest, LPCSTR szName, DWORD* pnIdx = nullptr);
  static DWORD InternetReadFile(HINTERNET hRequest, BYTE* pbyBuff, DWORD cbyBuff);

  static BOOL FileExists(LPCSTR szFilePath);
  /// INVALID_HANDLE_VALUE when the file cannot be opened for reading.
  static HANDLE OpenFile(LPCSTR szFilePath);
  static HANDLE CreateFileAlwaysToWrite(LPCSTR szFilePath);
  static DWORD GetFileSize(HANDLE hFile, LPCSTR szFilePath);
  /// New heap (new[]) MIME type of the open file's first bytes; the file is rewound.
  /// "application/octet-stream" when unknown or for INVALID_HANDLE_VALUE.
  static LPSTR GetMimeType(HANDLE hFile, UINT CodePage = 0);
};

}  // namespace Vonar
