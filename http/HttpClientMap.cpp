#include "http/HttpClientMap.h"

#include <strings.h>

#include <cstring>
#include <new>

#include "http/HttpCheckedMath.h"
#include "http/HttpClientException.h"
#include "http/HttpTool.h"

namespace Vonar {

template <typename HttpTool>
CHttpClientMapT<HttpTool>::~CHttpClientMapT() {
  Clear();
}

template <typename HttpTool>
BOOL CHttpClientMapT<HttpTool>::Clear() {
  if (m_entries.empty()) return FALSE;
  for (Entry& entry : m_entries) {
    delete[] entry.name;
    delete[] entry.value;
  }
  m_entries.clear();
  return TRUE;
}

template <typename HttpTool>
void CHttpClientMapT<HttpTool>::Add(LPCSTR szName, LPCSTR szValue, DWORD dwFlag) {
  if (!szName) ThrowHttpException("CHttpClientMapT::Add: szName can not be NULL.", 0);
  LPSTR name = CopyOrNull(szName);
  LPSTR value = nullptr;
  try {
    value = CopyOrNull(szValue);
  } catch (...) {
    delete[] name;
    throw;
  }
  AddPointerDirectly(name, value, dwFlag);
}

template <typename HttpTool>
void CHttpClientMapT<HttpTool>::AddPointerDirectly(LPSTR szName, LPSTR szValue, DWORD dwFlag) {
  if (!szName) {
    delete[] szValue;
    ThrowHttpException("CHttpClientMapT::AddPointerDirectly: szName can not be NULL.", 0);
  }
  try {
    CheckedAdd(static_cast<DWORD>(m_entries.size()), 1);
    // After the last entry whose name sorts at or before this one.
    size_t at = m_entries.size();
    while (at > 0 && strcasecmp(m_entries[at - 1].name, szName) > 0) --at;
    m_entries.insert(m_entries.begin() + static_cast<long>(at), Entry{szName, szValue, dwFlag});
  } catch (const std::bad_alloc&) {
    delete[] szName;
    delete[] szValue;
    ThrowHttpException(102);
  } catch (...) {
    delete[] szName;
    delete[] szValue;
    throw;
  }
}

template <typename HttpTool>
long CHttpClientMapT<HttpTool>::Find(LPCSTR szName, DWORD nIdx) const {
  DWORD seen = 0;
  for (size_t i = 0; i < m_entries.size(); ++i) {
    if (strcasecmp(m_entries[i].name, szName) != 0) continue;
    if (seen++ == nIdx) return static_cast<long>(i);
  }
  return -1;
}

template <typename HttpTool>
void CHttpClientMapT<HttpTool>::Set(LPCSTR szName, LPCSTR szValue, DWORD dwFlag, DWORD nIdx) {
  if (!szName) ThrowHttpException("CHttpClientMapT::Set: szName can not be NULL.", 0);
  if (Count(szName) == 0) {
    Add(szName, szValue, dwFlag);
    return;
  }
  long at = Find(szName, nIdx);
  if (at < 0) ThrowHttpException(101);
  LPSTR value = CopyOrNull(szValue);
  delete[] m_entries[static_cast<size_t>(at)].value;
  m_entries[static_cast<size_t>(at)].value = value;
  m_entries[static_cast<size_t>(at)].flags = dwFlag;
}

template <typename HttpTool>
LPCSTR CHttpClientMapT<HttpTool>::Get(LPCSTR szName, DWORD nIdx, DWORD* pdwFlag) const {
  if (!szName) ThrowHttpException("CHttpClientMapT::Get: szName can not be NULL.", 0);
  long at = Find(szName, nIdx);
  if (pdwFlag) *pdwFlag = at < 0 ? 0 : m_entries[static_cast<size_t>(at)].flags;
  if (at < 0) return nullptr;
  LPCSTR value = m_entries[static_cast<size_t>(at)].value;
  return value ? value : "";
}

template <typename HttpTool>
BOOL CHttpClientMapT<HttpTool>::Exists(LPCSTR szName, DWORD nIdx) const {
  if (!szName) ThrowHttpException("CHttpClientMapT::Exists: szName can not be NULL.", 0);
  return nIdx < Count(szName);
}

template <typename HttpTool>
DWORD CHttpClientMapT<HttpTool>::Count(LPCSTR szName) const {
  if (!szName) return static_cast<DWORD>(m_entries.size());
  DWORD count = 0;
  for (const Entry& entry : m_entries)
    if (strcasecmp(entry.name, szName) == 0) ++count;
  return count;
}

template <typename HttpTool>
BOOL CHttpClientMapT<HttpTool>::Remove(LPCSTR szName, DWORD nIdx) {
  if (!szName) ThrowHttpException("CHttpClientMapT::Remove: szName can not be NULL.", 0);
  long at = Find(szName, nIdx);
  return at >= 0 && RemoveAt(static_cast<DWORD>(at));
}

template <typename HttpTool>
BOOL CHttpClientMapT<HttpTool>::RemoveAt(DWORD nPos) {
  if (nPos >= m_entries.size()) return FALSE;
  delete[] m_entries[nPos].name;
  delete[] m_entries[nPos].value;
  m_entries.erase(m_entries.begin() + nPos);
  return TRUE;
}

template <typename HttpTool>
BOOL CHttpClientMapT<HttpTool>::RemoveAll(LPCSTR szName) {
  if (!szName) ThrowHttpException("CHttpClientMapT::RemoveAll: szName can not be NULL.", 0);
  BOOL removed = FALSE;
  for (long at; (at = Find(szName, 0)) >= 0;) removed = RemoveAt(static_cast<DWORD>(at));
  return removed;
}

template <typename HttpTool>
LPCSTR CHttpClientMapT<HttpTool>::GetKeyAt(DWORD nPos) const {
  return nPos < m_entries.size() ? m_entries[nPos].name : nullptr;
}

template <typename HttpTool>
LPCSTR CHttpClientMapT<HttpTool>::GetValueAt(DWORD nPos, DWORD* pdwFlag) const {
  if (pdwFlag) *pdwFlag = GetFlagAt(nPos);
  if (nPos >= m_entries.size()) return nullptr;
  return m_entries[nPos].value ? m_entries[nPos].value : "";
}

template <typename HttpTool>
DWORD CHttpClientMapT<HttpTool>::GetFlagAt(DWORD nPos) const {
  return nPos < m_entries.size() ? m_entries[nPos].flags : 0;
}

template class CHttpClientMapT<CHttpToolA>;

}  // namespace Vonar
