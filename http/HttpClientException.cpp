#include "http/HttpClientException.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace Vonar {

errmsg_exceptionA::errmsg_exceptionA() noexcept = default;

errmsg_exceptionA::errmsg_exceptionA(LPCSTR szErrMsg) noexcept { seterrmsg(szErrMsg); }

errmsg_exceptionA::errmsg_exceptionA(const errmsg_exceptionA& other) noexcept : std::exception(other) {
  seterrmsg(other.m_szErrMsg);
}

errmsg_exceptionA& errmsg_exceptionA::operator=(const errmsg_exceptionA& other) noexcept {
  if (this != &other) seterrmsg(other.m_szErrMsg);
  return *this;
}

errmsg_exceptionA::~errmsg_exceptionA() noexcept { std::free(m_szErrMsg); }

const char* errmsg_exceptionA::what() const noexcept { return errmsg(); }

LPCSTR errmsg_exceptionA::errmsg() const noexcept { return m_szErrMsg ? m_szErrMsg : "NULL"; }

void errmsg_exceptionA::seterrmsg(LPCSTR szErrMsg) noexcept {
  LPSTR copy = nullptr;
  if (szErrMsg) {
    size_t length = std::strlen(szErrMsg);
    copy = static_cast<LPSTR>(std::malloc(length + 1));
    if (copy) std::memcpy(copy, szErrMsg, length + 1);
  }
  std::free(m_szErrMsg);
  m_szErrMsg = copy;
}

varerrmsg_exceptionA::varerrmsg_exceptionA(LPCSTR szFormat, ...) noexcept {
  va_list args;
  va_start(args, szFormat);
  vseterrmsg(szFormat, args);
  va_end(args);
}

void varerrmsg_exceptionA::vseterrmsg(LPCSTR szFormat, va_list args) noexcept {
  if (!szFormat) {
    seterrmsg(nullptr);
    return;
  }
  char buffer[512];
  int n = std::vsnprintf(buffer, sizeof buffer, szFormat, args);
  if (n < 0) buffer[0] = '\0';
  seterrmsg(buffer);  // vsnprintf already cut it at 511 characters
}

void varerrmsg_exceptionA::seterrmsgf(LPCSTR szFormat, ...) noexcept {
  va_list args;
  va_start(args, szFormat);
  vseterrmsg(szFormat, args);
  va_end(args);
}

httpclientexceptionA::httpclientexceptionA(LPCSTR szErrMsg, DWORD dwErrorCode, DWORD dwLastError) noexcept
    : errmsg_exceptionA(szErrMsg), m_dwErrorCode(dwErrorCode), m_dwLastError(dwLastError) {}

void ThrowHttpException(DWORD dwErrorCode) { throw httpclientexceptionA(HttpErrorText(dwErrorCode), dwErrorCode, 0); }

void ThrowHttpException(LPCSTR szErrMsg, DWORD dwErrorCode) { throw httpclientexceptionA(szErrMsg, dwErrorCode, 0); }

void ThrowHttpException(DWORD dwErrorCode, DWORD dwLastError, LPCSTR szArg) {
  LPCSTR text = HttpErrorText(dwErrorCode);
  if (!szArg) throw httpclientexceptionA(text, dwErrorCode, dwLastError);
  char buffer[512];
  int n = std::snprintf(buffer, sizeof buffer, text, szArg);
  throw httpclientexceptionA(n < 0 ? text : buffer, dwErrorCode, dwLastError);
}

}  // namespace Vonar
