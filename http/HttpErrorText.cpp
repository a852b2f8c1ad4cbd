// Library error codes: the remainder of the code by 100 indexes the table of its range.
//   below 100  not specified          200-399  Win32 errors without a text of their own
//   100-199    the library's own       400-599  WinINet calls
//   600-999    other Win32 calls       1000-    the caller's own codes
#include "http/HttpClientException.h"

namespace Vonar {

namespace {

const char* const kNormalErrors[] = {
    "Unexpected error occurred.",
    "The index is out of range.",
    "Out of memory.",
    "The requested URL is not a valid URL.",
    "The post context is not started yet.",
    "Couldn't read expected bytes from a file.",
    "The post context has not been finished yet.",
    "The port number is not valid.",
    "std::exception occurred.",
    "The encoded URL is not valid.",
    "The UTF8 string contains an invalid character.",
    "An unexpected arithmetic error has been occurred.",
    "An arithmetic overflow error has been occurred.",
    "An interger divide by zero exception has been occurred.",
    "The file (%s) aleady exists.",
};

const char* const kWinInetErrors[] = {
    "::HttpQueryInfo failed.",     "::InternetReadFile failed.",       "::InternetOpen failed.",
    "::InternetConnect failed.",   "::HttpOpenRequest failed.",        "::HttpAddRequestHeaders failed.",
    "::HttpSendRequest failed.",   "::HttpSendRequestEx failed.",      "::InternetWriteFile failed.",
    "::HttpEndRequest failed.",    "::InternetSetOption failed.",
};

const char* const kWin32ApiErrors[] = {
    "::WideCharToMultiByte failed.",
    "::MultiByteToWideChar failed.",
    "::ReadFile failed.",
    "OpenFile (::CreateFile) failed (\"%s\").",
    "::SetFilePointer failed.",
    "::GetFileSize failed (\"%s\").",
    "::WriteFile failed (\"%s\").",
};

template <size_t N>
LPCSTR Row(const char* const (&table)[N], DWORD row, LPCSTR fallback) {
  return row < N ? table[row] : fallback;
}

}  // namespace

LPCSTR HttpErrorText(DWORD code) noexcept {
  DWORD row = code % 100;
  if (code < 100) return "Not specified";
  if (code < 200) return Row(kNormalErrors, row, "undefined normal error");
  if (code < 400) return row == 0 ? "" : "undefined normal Win32 error";
  if (code < 600) return Row(kWinInetErrors, row, "undefined WinInet error");
  if (code < 1000) return Row(kWin32ApiErrors, row, "undefined Win32 API error");
  return "user-defined error message";
}

}  // namespace Vonar
