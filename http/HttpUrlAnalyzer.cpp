#include "http/HttpUrlAnalyzer.h"

#include <cstring>

#include "http/HttpCheckedMath.h"
#include "http/HttpClientException.h"
#include "http/HttpTool.h"
#include "platform/win32/codepage.h"
#include "platform/win32/mbcs.h"

namespace Vonar {

namespace {

// Index of the first of the delimiters at or after from, stepping over double-byte characters.
size_t FindAny(LPCSTR url, size_t length, size_t from, const char* delimiters, UINT codePage) {
  for (size_t i = from; i < length; ++i) {
    if (IsDBCSLeadByteEx(codePage, static_cast<BYTE>(url[i])) && i + 1 < length) {
      ++i;
      continue;
    }
    if (std::strchr(delimiters, url[i])) return i;
  }
  return length;
}

size_t FindSchemeEnd(LPCSTR url, size_t length, UINT codePage) {
  for (size_t i = 0; i + 2 < length; ++i) {
    if (IsDBCSLeadByteEx(codePage, static_cast<BYTE>(url[i])) && i + 1 < length) {
      ++i;
      continue;
    }
    if (url[i] == ':' && url[i + 1] == '/' && url[i + 2] == '/') return i;
  }
  return length;
}

}  // namespace

template <typename HttpTool>
void CHttpUrlAnalyzerT<HttpTool>::Analyze(LPCSTR szUrl, UINT CodePage) {
  if (CodePage == 65001 || CodePage == 65000)
    ThrowHttpException("CHttpUrlAnalyzerT::Analyze: CP_UTF8 and CP_UTF7 can not be used for the CodePage parameter.", 0);
  *this = CHttpUrlAnalyzerT();
  if (!szUrl || !*szUrl) return;
  UINT page = CodePage ? CodePage : GetACP();
  size_t length = CheckedLength(std::strlen(szUrl));

  size_t host = 0;
  size_t schemeEnd = FindSchemeEnd(szUrl, length, page);
  if (schemeEnd < length) {
    m_cchScheme = static_cast<DWORD>(schemeEnd);
    host = schemeEnd + 3;
  }
  m_dwHostIdx = static_cast<DWORD>(host);

  size_t hostEnd = FindAny(szUrl, length, host, "/?#", page);
  size_t colon = FindAny(szUrl, hostEnd, host, ":", page);
  m_cchHost = static_cast<DWORD>(colon - host);
  if (colon < hostEnd) {
    m_dwPortIdx = static_cast<DWORD>(colon + 1);
    m_cchPort = static_cast<DWORD>(hostEnd - colon - 1);
  } else {
    m_dwPortIdx = static_cast<DWORD>(colon);
  }

  size_t pathEnd = FindAny(szUrl, length, hostEnd, "?#", page);
  m_dwPathIdx = static_cast<DWORD>(hostEnd);
  m_cchPath = static_cast<DWORD>(pathEnd - hostEnd);

  size_t queryEnd = pathEnd;
  m_dwQueryIdx = static_cast<DWORD>(pathEnd);
  if (pathEnd < length && szUrl[pathEnd] == '?') {
    queryEnd = FindAny(szUrl, length, pathEnd, "#", page);
    m_cchQuery = static_cast<DWORD>(queryEnd - pathEnd);
  }
  m_dwFragmentIdx = static_cast<DWORD>(queryEnd);
  m_cchFragment = static_cast<DWORD>(length - queryEnd);
}

template class CHttpUrlAnalyzerT<CHttpToolA>;

}  // namespace Vonar
