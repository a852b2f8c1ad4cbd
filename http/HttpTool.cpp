#include "http/HttpTool.h"

#include <cstring>
#include <new>

#include "http/HttpCheckedMath.h"
#include "http/HttpClientException.h"
#include "platform/win32/codepage.h"
#include "platform/win32/error.h"
#include "platform/win32/fileio.h"
#include "platform/win32/handle.h"
#include "platform/wininet/urlmon.h"

namespace Vonar {

namespace {

void Require(bool condition, LPCSTR message) {
  if (!condition) ThrowHttpException(message, 0);
}

template <typename T>
T* NewArray(size_t count) {
  T* p = new (std::nothrow) T[count];
  if (!p) ThrowHttpException(102);
  return p;
}

LPSTR Copy(LPCSTR text) {
  size_t length = std::strlen(text);
  LPSTR copy = NewArray<char>(CheckedAdd(CheckedLength(length), 1));
  std::memcpy(copy, text, length + 1);
  return copy;
}

// Text answers of HttpQueryInfo: asked once for the size, then into a buffer of that size.
LPSTR QueryText(HINTERNET hRequest, DWORD level, LPCSTR name, DWORD* pnIdx, bool* missing) {
  DWORD index = pnIdx ? *pnIdx : 0;
  size_t nameSize = name ? std::strlen(name) + 1 : 1;
  DWORD size = CheckedLength(nameSize);
  LPSTR buffer = NewArray<char>(size);
  if (name) std::memcpy(buffer, name, nameSize);
  for (int attempt = 0; attempt < 2; ++attempt) {
    DWORD length = size;
    DWORD tryIndex = index;  // a failed query must not move the caller's index
    if (::HttpQueryInfoA(hRequest, level, buffer, &length, pnIdx ? &tryIndex : nullptr)) {
      if (pnIdx) *pnIdx = tryIndex;
      return buffer;
    }
    DWORD error = GetLastError();
    if (error == ERROR_HTTP_HEADER_NOT_FOUND && missing) {
      delete[] buffer;
      *missing = true;
      return nullptr;
    }
    if (error != ERROR_INSUFFICIENT_BUFFER || attempt == 1 || length <= size) {
      delete[] buffer;
      ThrowHttpException(400, error);
    }
    LPSTR bigger = new (std::nothrow) char[length];
    if (!bigger) {
      delete[] buffer;
      ThrowHttpException(102);
    }
    if (name) std::memcpy(bigger, name, nameSize);
    delete[] buffer;
    buffer = bigger;
    size = length;
  }
  delete[] buffer;
  ThrowHttpException(400, ERROR_INSUFFICIENT_BUFFER);
}

}  // namespace

LPSTR CHttpToolA::Unicode2Ansi(LPCWSTR szStr, UINT CodePage) {
  Require(CodePage != 65001 && CodePage != 65000,
          "CHttpToolA::Unicode2Ansi: CP_UTF8 and CP_UTF7 can not be used for the CodePage parameter.");
  if (!szStr) return nullptr;
  int size = WideCharToMultiByte(CodePage, 0, szStr, -1, nullptr, 0, nullptr, nullptr);
  if (size <= 0) ThrowHttpException(600, GetLastError());
  LPSTR text = NewArray<char>(static_cast<size_t>(size));
  if (WideCharToMultiByte(CodePage, 0, szStr, -1, text, size, nullptr, nullptr) <= 0) {
    DWORD error = GetLastError();
    delete[] text;
    ThrowHttpException(600, error);
  }
  return text;
}

LPWSTR CHttpToolA::Ansi2Unicode(LPCSTR szStr, UINT CodePage) {
  Require(CodePage != 65001 && CodePage != 65000,
          "CHttpToolA::Ansi2Unicode: CP_UTF8 and CP_UTF7 can not be used for the CodePage parameter.");
  if (!szStr) return nullptr;
  int size = MultiByteToWideChar(CodePage, 0, szStr, -1, nullptr, 0);
  if (size <= 0) ThrowHttpException(601, GetLastError());
  LPWSTR text = NewArray<WCHAR>(static_cast<size_t>(size));
  if (MultiByteToWideChar(CodePage, 0, szStr, -1, text, size) <= 0) {
    DWORD error = GetLastError();
    delete[] text;
    ThrowHttpException(601, error);
  }
  return text;
}

HINTERNET CHttpToolA::OpenInternet(LPCSTR szUserAgent, DWORD dwAccessType, LPCSTR szProxyName, LPCSTR szProxyBypass,
                                   DWORD dwFlags) {
  HINTERNET handle = ::InternetOpenA(szUserAgent, dwAccessType, szProxyName, szProxyBypass, dwFlags);
  if (!handle) ThrowHttpException(402, GetLastError());
  return handle;
}

void CHttpToolA::CloseInternetHandle(HINTERNET& hInternet) {
  if (hInternet) ::InternetCloseHandle(hInternet);
  hInternet = nullptr;
}

HINTERNET CHttpToolA::OpenConnection(HINTERNET hInternet, LPCSTR szServerAddr, INTERNET_PORT nPort, LPCSTR szUsrName,
                                     LPCSTR szUsrPwd) {
  Require(hInternet, "CHttpToolA::OpenConnection: hInternet can not be NULL.");
  Require(szServerAddr, "CHttpToolA::OpenConnection: szServerAddr can not be NULL.");
  Require(*szServerAddr, "CHttpToolA::OpenConnection: szServerAddr can not be an empty string.");
  HINTERNET handle =
      ::InternetConnectA(hInternet, szServerAddr, nPort, szUsrName, szUsrPwd, INTERNET_SERVICE_HTTP, 0, 0);
  if (!handle) ThrowHttpException(403, GetLastError());
  return handle;
}

HINTERNET CHttpToolA::OpenRequest(HINTERNET hConnection, LPCSTR szMethod, LPCSTR szObjectName, DWORD dwFlags,
                                  LPCSTR szReferer, UINT) {
  Require(hConnection, "CHttpToolA::OpenRequest: hConnection can not be NULL.");
  Require(szObjectName, "CHttpToolA::OpenRequest: szObjectName can not be NULL.");
  Require(*szObjectName, "CHttpToolA::OpenRequest: szObjectName can not be an empty string.");
  LPCSTR acceptTypes[] = {"*/*", nullptr};
  HINTERNET handle =
      ::HttpOpenRequestA(hConnection, szMethod, szObjectName, "HTTP/1.1", szReferer, acceptTypes, dwFlags, 0);
  if (!handle) ThrowHttpException(404, GetLastError());
  return handle;
}

void CHttpToolA::AddHeader(HINTERNET hRequest, LPCSTR szName, LPCSTR szValue, UINT) {
  Require(hRequest, "CHttpToolA::AddHeader: hRequest can not be NULL.");
  Require(szName, "CHttpToolA::AddHeader: szName can not be NULL.");
  std::string line;
  try {
    line = std::string(szName) + ": " + (szValue ? szValue : "") + "\r\n";
  } catch (const std::bad_alloc&) {
    ThrowHttpException(102);
  }
  if (!::HttpAddRequestHeadersA(hRequest, line.c_str(), CheckedLength(line.size()), HTTP_ADDREQ_FLAG_ADD))
    ThrowHttpException(405, GetLastError());
}

void CHttpToolA::SendRequest(HINTERNET hRequest, LPCSTR szPosted, UINT) {
  Require(hRequest, "CHttpToolA::SendRequest: hRequest can not be NULL.");
  DWORD length = szPosted ? CheckedLength(std::strlen(szPosted)) : 0;
  if (!::HttpSendRequestA(hRequest, nullptr, 0, const_cast<LPSTR>(szPosted), length))
    ThrowHttpException(406, GetLastError());
}

void CHttpToolA::SendRequestEx(HINTERNET hRequest, DWORD dwPostedSize) {
  Require(hRequest, "CHttpToolA::SendRequestEx: hRequest can not be NULL.");
  INTERNET_BUFFERSA buffers{};
  buffers.dwStructSize = sizeof buffers;
  buffers.dwBufferTotal = dwPostedSize;
  if (!::HttpSendRequestExA(hRequest, &buffers, nullptr, 0, 0)) ThrowHttpException(407, GetLastError());
}

void CHttpToolA::InternetWriteFile(HINTERNET hRequest, const BYTE* pbyBuff, DWORD cbyBuff) {
  Require(hRequest, "CHttpToolA::InternetWriteFile: hRequest can not be NULL.");
  Require(pbyBuff, "CHttpToolA::InternetWriteFile: pbyBuff can not be NULL.");
  Require(cbyBuff, "CHttpToolA::InternetWriteFile: cbyBuff can not be zero.");
  while (cbyBuff > 0) {
    DWORD written = 0;
    if (!::InternetWriteFile(hRequest, pbyBuff, cbyBuff, &written)) ThrowHttpException(408, GetLastError());
    if (written == 0 || written > cbyBuff) ThrowHttpException(408, ERROR_INTERNET_INTERNAL_ERROR);
    pbyBuff += written;
    cbyBuff -= written;
  }
}

void CHttpToolA::EndRequest(HINTERNET hRequest) {
  Require(hRequest, "CHttpToolA::EndRequest: hRequest can not be NULL.");
  if (!::HttpEndRequestA(hRequest, nullptr, 0, 0)) ThrowHttpException(409, GetLastError());
}

DWORD CHttpToolA::GetStatusCode(HINTERNET hRequest) {
  DWORD status = 0, length = sizeof status;
  if (!::HttpQueryInfoA(hRequest, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &length, nullptr))
    ThrowHttpException(400, GetLastError());
  return status;
}

LPSTR CHttpToolA::GetStatusText(HINTERNET hRequest) {
  Require(hRequest, "CHttpToolA::GetStatusText: hRequest can not be NULL.");
  return QueryText(hRequest, HTTP_QUERY_STATUS_TEXT, nullptr, nullptr, nullptr);
}

BOOL CHttpToolA::GetContentLength(HINTERNET hRequest, DWORD& cbContLen) {
  DWORD value = 0, length = sizeof value;
  if (!::HttpQueryInfoA(hRequest, HTTP_QUERY_CONTENT_LENGTH | HTTP_QUERY_FLAG_NUMBER, &value, &length, nullptr)) {
    DWORD error = GetLastError();
    if (error == ERROR_HTTP_HEADER_NOT_FOUND) return FALSE;
    ThrowHttpException(400, error);
  }
  cbContLen = value;
  return TRUE;
}

LPSTR CHttpToolA::GetHeader(HINTERNET hRequest, LPCSTR szName, DWORD* pnIdx) {
  Require(hRequest, "CHttpToolA::GetHeader: hRequest can not be NULL.");
  Require(szName, "CHttpToolA::GetHeader: szName can not be NULL.");
  bool missing = false;
  return QueryText(hRequest, HTTP_QUERY_CUSTOM, szName, pnIdx, &missing);
}

DWORD CHttpToolA::InternetReadFile(HINTERNET hRequest, BYTE* pbyBuff, DWORD cbyBuff) {
  DWORD read = 0;
  if (!::InternetReadFile(hRequest, pbyBuff, cbyBuff, &read)) ThrowHttpException(401, GetLastError());
  return read;
}

BOOL CHttpToolA::FileExists(LPCSTR szFilePath) {
  Require(szFilePath, "CHttpToolA::FileExists: szFilePath can not be NULL.");
  HANDLE file = ::CreateFileA(szFilePath, 0, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return FALSE;
  ::CloseHandle(file);
  return TRUE;
}

HANDLE CHttpToolA::OpenFile(LPCSTR szFilePath) {
  Require(szFilePath, "CHttpToolA::OpenFile: szFilePath can not be NULL.");
  return ::CreateFileA(szFilePath, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN,
                       nullptr);
}

HANDLE CHttpToolA::CreateFileAlwaysToWrite(LPCSTR szFilePath) {
  Require(szFilePath, "CHttpToolA::CreateFileAlwaysToWrite: szFilePath can not be NULL.");
  return ::CreateFileA(szFilePath, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
}

DWORD CHttpToolA::GetFileSize(HANDLE hFile, LPCSTR szFilePath) {
  Require(hFile, "CHttpToolA::GetFileSize: hFile can not be NULL.");
  Require(szFilePath, "CHttpToolA::GetFileSize: szFilePath can not be NULL.");
  DWORD high = 0;
  DWORD size = ::GetFileSize(hFile, &high);
  if (size == INVALID_FILE_SIZE && GetLastError() != ERROR_SUCCESS) ThrowHttpException(605, GetLastError(), szFilePath);
  // Bodies are announced in 32 bits: a file of 4 GiB or more cannot be sent.
  if (high != 0) ThrowHttpException(112);
  return size;
}

LPSTR CHttpToolA::GetMimeType(HANDLE hFile, UINT CodePage) {
  Require(hFile, "CHttpToolA::GetMimeType: hFile can not be NULL.");
  if (hFile == INVALID_HANDLE_VALUE) return Copy("application/octet-stream");
  BYTE head[256];
  DWORD read = 0;
  if (!::ReadFile(hFile, head, sizeof head, &read, nullptr)) ThrowHttpException(602, GetLastError());
  if (::SetFilePointer(hFile, 0, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER)
    ThrowHttpException(604, GetLastError());
  LPWSTR mime = nullptr;
  if (FAILED(::FindMimeFromData(nullptr, nullptr, head, read, nullptr, 0, &mime, 0)) || !mime)
    return Copy("application/octet-stream");
  try {
    LPSTR text = Unicode2Ansi(mime, CodePage);
    ::CoTaskMemFree(mime);
    return text;
  } catch (...) {
    ::CoTaskMemFree(mime);
    throw;
  }
}

}  // namespace Vonar
