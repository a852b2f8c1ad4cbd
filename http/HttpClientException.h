// The exceptions of the HTTP client library. Every failure is thrown as httpclientexceptionA by
// value: a message, the library's error code (the ranges and texts are in HttpErrorText.cpp)
// and the last-error value of the failing system call (0 when there was none).
#pragma once

#include <cstdarg>
#include <exception>

#include "platform/win32/windef.h"

namespace Vonar {

/// An exception with a heap copy of its message; errmsg() answers "NULL" when there is none.
class errmsg_exceptionA : public std::exception {
 public:
  errmsg_exceptionA() noexcept;
  explicit errmsg_exceptionA(LPCSTR szErrMsg) noexcept;
  errmsg_exceptionA(const errmsg_exceptionA& other) noexcept;
  errmsg_exceptionA& operator=(const errmsg_exceptionA& other) noexcept;
  ~errmsg_exceptionA() noexcept override;

  const char* what() const noexcept override;
  virtual LPCSTR errmsg() const noexcept;
  /// Replaces the message with a copy; null clears it. Out of memory leaves it null.
  virtual void seterrmsg(LPCSTR szErrMsg) noexcept;

 protected:
  LPSTR m_szErrMsg = nullptr;
};

/// An exception whose message is printf-formatted into at most 511 characters.
class varerrmsg_exceptionA : public errmsg_exceptionA {
 public:
  varerrmsg_exceptionA() noexcept = default;
  explicit varerrmsg_exceptionA(LPCSTR szFormat, ...) noexcept;
  /// A null format clears the message; a longer result is cut at 511 characters.
  virtual void vseterrmsg(LPCSTR szFormat, va_list args) noexcept;
  virtual void seterrmsgf(LPCSTR szFormat, ...) noexcept;
};

class httpclientexceptionA : public errmsg_exceptionA {
 public:
  httpclientexceptionA() noexcept = default;
  explicit httpclientexceptionA(LPCSTR szErrMsg, DWORD dwErrorCode = 0, DWORD dwLastError = 0) noexcept;

  DWORD ErrorCode() const noexcept { return m_dwErrorCode; }
  DWORD LastError() const noexcept { return m_dwLastError; }

 protected:
  DWORD m_dwErrorCode = 0;
  DWORD m_dwLastError = 0;
};

/// The text of a library error code (see HttpErrorText.cpp for the ranges).
LPCSTR HttpErrorText(DWORD dwErrorCode) noexcept;
/// Throws the code's text with the code and last error 0.
[[noreturn]] void ThrowHttpException(DWORD dwErrorCode);
/// Throws a message of an argument or state check (code 0, last error 0).
[[noreturn]] void ThrowHttpException(LPCSTR szErrMsg, DWORD dwErrorCode);
/// Throws the code's text, formatted with szArg when given, with the failing call's last error.
[[noreturn]] void ThrowHttpException(DWORD dwErrorCode, DWORD dwLastError, LPCSTR szArg = nullptr);

}  // namespace Vonar
