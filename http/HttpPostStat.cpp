#include "http/HttpPostStat.h"

#include <cstring>
#include <new>

#include "http/HttpCheckedMath.h"
#include "http/HttpClientException.h"
#include "http/HttpTool.h"

namespace Vonar {

template <typename HttpTool>
CHttpPostStatT<HttpTool>::~CHttpPostStatT() {
  FreeNames();
}

template <typename HttpTool>
CHttpPostStatT<HttpTool>::CHttpPostStatT(const CHttpPostStatT& other) {
  *this = other;
}

template <typename HttpTool>
CHttpPostStatT<HttpTool>& CHttpPostStatT<HttpTool>::operator=(const CHttpPostStatT& other) {
  if (this == &other) return *this;
  LPSTR param = CopyOrNull(other.m_szCurrParam);
  LPSTR file = nullptr;
  try {
    file = CopyOrNull(other.m_szCurrFile);
  } catch (...) {
    delete[] param;
    throw;
  }
  FreeNames();
  m_bIsActive = other.m_bIsActive;
  m_nActualTotalByte = other.m_nActualTotalByte;
  m_nActualPostedByte = other.m_nActualPostedByte;
  m_nTotalByte = other.m_nTotalByte;
  m_nPostedByte = other.m_nPostedByte;
  m_nTotalCount = other.m_nTotalCount;
  m_nPostedCount = other.m_nPostedCount;
  m_nFileCount = other.m_nFileCount;
  m_nPostedFileCount = other.m_nPostedFileCount;
  m_szCurrParam = param;
  m_szCurrFile = file;
  m_nCurrParamTotalByte = other.m_nCurrParamTotalByte;
  m_nCurrParamPostedByte = other.m_nCurrParamPostedByte;
  return *this;
}

template <typename HttpTool>
void CHttpPostStatT<HttpTool>::FreeNames() {
  delete[] m_szCurrParam;
  delete[] m_szCurrFile;
  m_szCurrParam = m_szCurrFile = nullptr;
}

template <typename HttpTool>
void CHttpPostStatT<HttpTool>::Require(LPCSTR message) const {
  if (!m_bIsActive) ThrowHttpException(message, 0);
}

#define VONAR_POSTSTAT_ACCESSOR(type, name, expression)                                       \
  template <typename HttpTool>                                                                 \
  type CHttpPostStatT<HttpTool>::name() const {                                                \
    Require("CHttpPostStatT::" #name ": The post context is not active.");                     \
    return expression;                                                                         \
  }

VONAR_POSTSTAT_ACCESSOR(DWORD, ActualTotalByte, m_nActualTotalByte)
VONAR_POSTSTAT_ACCESSOR(DWORD, ActualPostedByte, m_nActualPostedByte)
VONAR_POSTSTAT_ACCESSOR(DWORD, TotalByte, m_nTotalByte)
VONAR_POSTSTAT_ACCESSOR(DWORD, PostedByte, m_nPostedByte)
VONAR_POSTSTAT_ACCESSOR(DWORD, TotalCount, m_nTotalCount)
VONAR_POSTSTAT_ACCESSOR(DWORD, PostedCount, m_nPostedCount)
VONAR_POSTSTAT_ACCESSOR(DWORD, FileCount, m_nFileCount)
VONAR_POSTSTAT_ACCESSOR(DWORD, PostedFileCount, m_nPostedFileCount)
VONAR_POSTSTAT_ACCESSOR(LPCSTR, CurrParam, m_szCurrParam ? m_szCurrParam : "NULL")
VONAR_POSTSTAT_ACCESSOR(LPCSTR, CurrFile, m_szCurrFile ? m_szCurrFile : "NULL")
VONAR_POSTSTAT_ACCESSOR(DWORD, CurrParamTotalByte, m_nCurrParamTotalByte)
VONAR_POSTSTAT_ACCESSOR(DWORD, CurrParamPostedByte, m_nCurrParamPostedByte)
VONAR_POSTSTAT_ACCESSOR(DWORD, CurrParamRemainByte, m_nCurrParamTotalByte - m_nCurrParamPostedByte)
VONAR_POSTSTAT_ACCESSOR(BOOL, CurrParamIsFile, m_szCurrFile != nullptr)
VONAR_POSTSTAT_ACCESSOR(BOOL, CurrParamIsComplete, m_nCurrParamPostedByte == m_nCurrParamTotalByte)

#undef VONAR_POSTSTAT_ACCESSOR

template <typename HttpTool>
void CHttpPostStatT<HttpTool>::_MakeActive(DWORD nActualTotalByte, DWORD nTotalByte, DWORD nTotalCount,
                                           DWORD nFileCount) {
  _MakeInactive();
  m_bIsActive = TRUE;
  m_nActualTotalByte = nActualTotalByte;
  m_nTotalByte = nTotalByte;
  m_nTotalCount = nTotalCount;
  m_nFileCount = nFileCount;
}

template <typename HttpTool>
void CHttpPostStatT<HttpTool>::_MakeInactive() {
  FreeNames();
  m_bIsActive = FALSE;
  m_nActualTotalByte = m_nActualPostedByte = m_nTotalByte = m_nPostedByte = 0;
  m_nTotalCount = m_nPostedCount = m_nFileCount = m_nPostedFileCount = 0;
  m_nCurrParamTotalByte = m_nCurrParamPostedByte = 0;
}

template <typename HttpTool>
void CHttpPostStatT<HttpTool>::_TestStartNewEntry(BOOL bIsFile) const {
  Require("CHttpPostStatT::_TestStartNewEntry: The post context is not active.");
  CheckedAdd(m_nPostedCount, 1);
  if (bIsFile) CheckedAdd(m_nPostedFileCount, 1);
}

template <typename HttpTool>
void CHttpPostStatT<HttpTool>::_StartNewEntry(LPCSTR szCurrParam, DWORD nCurrParamTotalByte, BOOL bIsFile,
                                              LPCSTR szCurrFile) {
  _TestStartNewEntry(bIsFile);
  LPSTR param = CopyOrNull(szCurrParam);
  LPSTR file = nullptr;
  try {
    file = bIsFile ? CopyOrNull(szCurrFile ? szCurrFile : "") : nullptr;
  } catch (...) {
    delete[] param;
    throw;
  }
  FreeNames();
  m_szCurrParam = param;
  m_szCurrFile = file;
  ++m_nPostedCount;
  if (bIsFile) ++m_nPostedFileCount;
  m_nCurrParamTotalByte = nCurrParamTotalByte;
  m_nCurrParamPostedByte = 0;
}

template <typename HttpTool>
void CHttpPostStatT<HttpTool>::_TestAddActualPostedBytes(DWORD nBytes) const {
  Require("CHttpPostStatT::_TestAddActualPostedBytes: The post context is not active.");
  CheckedAdd(m_nActualPostedByte, nBytes);
}

template <typename HttpTool>
void CHttpPostStatT<HttpTool>::_AddActualPostedBytes(DWORD nBytes) {
  _TestAddActualPostedBytes(nBytes);
  m_nActualPostedByte += nBytes;
}

template <typename HttpTool>
void CHttpPostStatT<HttpTool>::_TestAddPostedBytes(DWORD nBytes) const {
  Require("CHttpPostStatT::_TestAddPostedBytes: The post context is not active.");
  CheckedAdd(m_nActualPostedByte, nBytes);
  CheckedAdd(m_nPostedByte, nBytes);
  CheckedAdd(m_nCurrParamPostedByte, nBytes);
}

template <typename HttpTool>
void CHttpPostStatT<HttpTool>::_AddPostedBytes(DWORD nBytes) {
  _TestAddPostedBytes(nBytes);
  m_nPostedByte += nBytes;
  m_nCurrParamPostedByte += nBytes;
  m_nActualPostedByte += nBytes;
}

template class CHttpPostStatT<CHttpToolA>;

}  // namespace Vonar
