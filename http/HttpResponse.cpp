#include "http/HttpResponse.h"

#include <sys/random.h>

#include <cstdio>
#include <cstring>
#include <new>
#include <string>

#include "http/HttpClientException.h"
#include "http/HttpTool.h"
#include "platform/win32/error.h"
#include "platform/win32/fileio.h"
#include "platform/win32/files.h"
#include "platform/win32/handle.h"

namespace Vonar {

template <typename HttpTool>
CHttpResponseT<HttpTool>::CHttpResponseT(HINTERNET hInternet, HINTERNET hConnection, HINTERNET hRequest)
    : m_hInternet(hInternet), m_hConnection(hConnection), m_hRequest(hRequest) {}

template <typename HttpTool>
CHttpResponseT<HttpTool>::CHttpResponseT(HINTERNET hConnection, HINTERNET hRequest)
    : CHttpResponseT(nullptr, hConnection, hRequest) {}

template <typename HttpTool>
CHttpResponseT<HttpTool>::CHttpResponseT(HINTERNET hRequest) : CHttpResponseT(nullptr, nullptr, hRequest) {}

template <typename HttpTool>
CHttpResponseT<HttpTool>::~CHttpResponseT() {
  HttpTool::CloseInternetHandle(m_hRequest);
  HttpTool::CloseInternetHandle(m_hConnection);
  HttpTool::CloseInternetHandle(m_hInternet);
  delete[] m_szStatusText;
}

template <typename HttpTool>
DWORD CHttpResponseT<HttpTool>::GetStatus() {
  if (!m_hRequest) ThrowHttpException("CHttpResponseT::GetStatus: m_hRequest can not be NULL.", 0);
  if (m_dwStatus == 0) m_dwStatus = HttpTool::GetStatusCode(m_hRequest);
  return m_dwStatus;
}

template <typename HttpTool>
LPCSTR CHttpResponseT<HttpTool>::GetStatusText() {
  if (!m_hRequest) ThrowHttpException("CHttpResponseT::GetStatusText: m_hRequest can not be NULL.", 0);
  if (!m_szStatusText) m_szStatusText = HttpTool::GetStatusText(m_hRequest);
  return m_szStatusText;
}

template <typename HttpTool>
BOOL CHttpResponseT<HttpTool>::GetContentLength(DWORD& cbContLen) {
  if (!m_hRequest) ThrowHttpException("CHttpResponseT::GetContentLength: m_hRequest can not be NULL.", 0);
  return HttpTool::GetContentLength(m_hRequest, cbContLen);
}

template <typename HttpTool>
DWORD CHttpResponseT<HttpTool>::ReadContent(BYTE* pbyBuff, DWORD cbBuff) {
  if (!m_hRequest) ThrowHttpException("CHttpResponseT::ReadContent: m_hRequest can not be NULL.", 0);
  if (!pbyBuff) ThrowHttpException("CHttpResponseT::ReadContent: pbyBuff can not be NULL.", 0);
  if (cbBuff == 0) ThrowHttpException("CHttpResponseT::ReadContent: cbBuff can not be zero.", 0);
  return HttpTool::InternetReadFile(m_hRequest, pbyBuff, cbBuff);
}

template <typename HttpTool>
void CHttpResponseT<HttpTool>::SaveContent(LPCSTR szFilePath, BOOL bOverwrite) {
  if (!szFilePath) ThrowHttpException("CHttpResponseT::SaveContent: szFilePath can not be NULL.", 0);
  if (!bOverwrite && HttpTool::FileExists(szFilePath)) ThrowHttpException(114, 0, szFilePath);

  // A temporary name in the target's own folder, so the rename at the end is one step.
  std::string temp;
  HANDLE file = INVALID_HANDLE_VALUE;
  try {
    for (int attempt = 0; attempt < 16 && file == INVALID_HANDLE_VALUE; ++attempt) {
      unsigned int random = 0;
      if (getrandom(&random, sizeof random, 0) != sizeof random) random = static_cast<unsigned>(attempt) * 2654435761u;
      char suffix[24];
      std::snprintf(suffix, sizeof suffix, ".%08x.part", random);
      temp = std::string(szFilePath) + suffix;
      file = ::CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
      if (file == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS) break;
    }
  } catch (const std::bad_alloc&) {
    ThrowHttpException(102);
  }
  if (file == INVALID_HANDLE_VALUE) ThrowHttpException(603, GetLastError(), szFilePath);

  try {
    BYTE buffer[10240];
    for (DWORD read; (read = ReadContent(buffer, sizeof buffer)) != 0;) {
      DWORD written = 0;
      if (!::WriteFile(file, buffer, read, &written, nullptr) || written != read)
        ThrowHttpException(606, GetLastError(), szFilePath);
    }
  } catch (...) {
    ::CloseHandle(file);
    ::DeleteFileA(temp.c_str());
    throw;
  }
  ::CloseHandle(file);
  if (!::MoveFileExA(temp.c_str(), szFilePath, MOVEFILE_REPLACE_EXISTING)) {
    DWORD error = GetLastError();
    ::DeleteFileA(temp.c_str());
    ThrowHttpException(606, error, szFilePath);
  }
}

template <typename HttpTool>
DWORD CHttpResponseT<HttpTool>::_LoadHeader(LPCSTR szName) {
  if (!szName) ThrowHttpException("CHttpResponseT::_LoadHeader: szName can not be NULL.", 0);
  if (!m_hRequest) ThrowHttpException("CHttpResponseT::_LoadHeader: m_hRequest can not be NULL.", 0);
  DWORD before = m_mapHeader.Count(szName);
  DWORD found = 0;
  try {
    DWORD index = 0;
    for (;;) {
      LPSTR value = HttpTool::GetHeader(m_hRequest, szName, &index);
      if (!value) break;
      LPSTR name = new (std::nothrow) char[std::strlen(szName) + 1];
      if (!name) {
        delete[] value;
        ThrowHttpException(102);
      }
      std::memcpy(name, szName, std::strlen(szName) + 1);
      m_mapHeader.AddPointerDirectly(name, value, 0);
      ++found;
    }
  } catch (...) {
    // Entries of this name added so far go again.
    while (m_mapHeader.Count(szName) > before) m_mapHeader.Remove(szName, m_mapHeader.Count(szName) - 1);
    throw;
  }
  return found;
}

template <typename HttpTool>
DWORD CHttpResponseT<HttpTool>::GetHeaderCount(LPCSTR szName) {
  if (!szName) ThrowHttpException("CHttpResponseT::GetHeaderCount: szName can not be NULL.", 0);
  DWORD count = m_mapHeader.Count(szName);
  return count ? count : _LoadHeader(szName);
}

template <typename HttpTool>
LPCSTR CHttpResponseT<HttpTool>::GetHeader(LPCSTR szName, DWORD nIdx) {
  if (!szName) ThrowHttpException("CHttpResponseT::GetHeader: szName can not be NULL.", 0);
  if (m_mapHeader.Count(szName) == 0) _LoadHeader(szName);
  return m_mapHeader.Get(szName, nIdx);
}

template class CHttpResponseT<CHttpToolA>;

}  // namespace Vonar
