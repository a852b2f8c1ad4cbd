// Byte and parameter counters of a stepwise POST or upload. Active from the start of a post
// context to its end; every accessor of inactive statistics throws (code 0) except IsActive.
#pragma once

#include "platform/win32/windef.h"

namespace Vonar {

template <typename HttpTool>
class CHttpPostStatT {
 public:
  CHttpPostStatT() = default;
  virtual ~CHttpPostStatT();
  CHttpPostStatT(const CHttpPostStatT& other);
  CHttpPostStatT& operator=(const CHttpPostStatT& other);

  BOOL IsActive() const { return m_bIsActive; }
  DWORD ActualTotalByte() const;
  DWORD ActualPostedByte() const;
  DWORD TotalByte() const;
  DWORD PostedByte() const;
  DWORD TotalCount() const;
  DWORD PostedCount() const;
  DWORD FileCount() const;
  DWORD PostedFileCount() const;
  /// The current parameter's name, or "NULL".
  LPCSTR CurrParam() const;
  /// The current parameter's file path, or "NULL".
  LPCSTR CurrFile() const;
  DWORD CurrParamTotalByte() const;
  DWORD CurrParamPostedByte() const;
  DWORD CurrParamRemainByte() const;
  BOOL CurrParamIsFile() const;
  BOOL CurrParamIsComplete() const;

  // Driven by the client.
  void _MakeActive(DWORD nActualTotalByte, DWORD nTotalByte, DWORD nTotalCount, DWORD nFileCount);
  void _MakeInactive();
  void _TestStartNewEntry(BOOL bIsFile = FALSE) const;
  void _StartNewEntry(LPCSTR szCurrParam, DWORD nCurrParamTotalByte, BOOL bIsFile = FALSE, LPCSTR szCurrFile = nullptr);
  void _TestAddActualPostedBytes(DWORD nBytes) const;
  void _AddActualPostedBytes(DWORD nBytes);
  void _TestAddPostedBytes(DWORD nBytes) const;
  void _AddPostedBytes(DWORD nBytes);

 private:
  void Require(LPCSTR message) const;
  void FreeNames();

  BOOL m_bIsActive = FALSE;
  DWORD m_nActualTotalByte = 0;
  DWORD m_nActualPostedByte = 0;
  DWORD m_nTotalByte = 0;
  DWORD m_nPostedByte = 0;
  DWORD m_nTotalCount = 0;
  DWORD m_nPostedCount = 0;
  DWORD m_nFileCount = 0;
  DWORD m_nPostedFileCount = 0;
  LPSTR m_szCurrParam = nullptr;
  LPSTR m_szCurrFile = nullptr;
  DWORD m_nCurrParamTotalByte = 0;
  DWORD m_nCurrParamPostedByte = 0;
};

class CHttpToolA;
typedef CHttpPostStatT<CHttpToolA> CHttpPostStatA;

}  // namespace Vonar
