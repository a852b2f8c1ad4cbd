// The MFC collections the program uses: CArray, CStringArray, CPtrArray, CMapStringToString.
// Out-of-range indexes on reads give a default value and on writes are ignored, instead of
// the original's debug assertion, so a bad index from stored data cannot crash the program.
#pragma once

#include <map>
#include <vector>

#include "platform/mfc/cstring.h"

struct __POSITION {};
typedef __POSITION* POSITION;

template <typename TYPE, typename ARG_TYPE = const TYPE&>
class CArray {
 public:
  INT_PTR GetSize() const { return static_cast<INT_PTR>(m_items.size()); }
  INT_PTR GetCount() const { return GetSize(); }
  INT_PTR GetUpperBound() const { return GetSize() - 1; }
  bool IsEmpty() const { return m_items.empty(); }
  /// Grows with default values or shrinks.
  void SetSize(INT_PTR newSize, INT_PTR /*growBy*/ = -1) { m_items.resize(newSize > 0 ? newSize : 0); }

  TYPE GetAt(INT_PTR index) const { return Valid(index) ? m_items[index] : TYPE(); }
  void SetAt(INT_PTR index, ARG_TYPE item) {
    if (Valid(index)) m_items[index] = item;
  }
  /// Grows the array to include the index, as MFC does.
  void SetAtGrow(INT_PTR index, ARG_TYPE item) {
    if (index < 0) return;
    if (index >= GetSize()) m_items.resize(index + 1);
    m_items[index] = item;
  }
  TYPE& ElementAt(INT_PTR index) { return m_items.at(index); }
  TYPE& operator[](INT_PTR index) { return m_items.at(index); }
  const TYPE& operator[](INT_PTR index) const { return m_items.at(index); }
  TYPE* GetData() { return m_items.data(); }
  const TYPE* GetData() const { return m_items.data(); }

  INT_PTR Add(ARG_TYPE item) {
    m_items.push_back(item);
    return GetSize() - 1;
  }
  INT_PTR Append(const CArray& other) {
    INT_PTR first = GetSize();
    m_items.insert(m_items.end(), other.m_items.begin(), other.m_items.end());
    return first;
  }
  void Copy(const CArray& other) { m_items = other.m_items; }
  void InsertAt(INT_PTR index, ARG_TYPE item, INT_PTR count = 1) {
    if (index < 0 || count <= 0) return;
    if (index > GetSize()) m_items.resize(index);
    m_items.insert(m_items.begin() + index, count, item);
  }
  void RemoveAt(INT_PTR index, INT_PTR count = 1) {
    if (!Valid(index) || count <= 0) return;
    INT_PTR end = index + count < GetSize() ? index + count : GetSize();
    m_items.erase(m_items.begin() + index, m_items.begin() + end);
  }
  void RemoveAll() { m_items.clear(); }

  typename std::vector<TYPE>::iterator begin() { return m_items.begin(); }
  typename std::vector<TYPE>::iterator end() { return m_items.end(); }
  typename std::vector<TYPE>::const_iterator begin() const { return m_items.begin(); }
  typename std::vector<TYPE>::const_iterator end() const { return m_items.end(); }

 private:
  bool Valid(INT_PTR index) const { return index >= 0 && index < GetSize(); }
  std::vector<TYPE> m_items;
};

class CStringArray : public CArray<CString, const char*> {};
class CPtrArray : public CArray<void*, void*> {};
class CDWordArray : public CArray<DWORD, DWORD> {};
class CUIntArray : public CArray<UINT, UINT> {};

/// Keys are compared exactly (case-sensitive), as in MFC.
class CMapStringToString {
 public:
  INT_PTR GetCount() const { return static_cast<INT_PTR>(m_map.size()); }
  INT_PTR GetSize() const { return GetCount(); }
  bool IsEmpty() const { return m_map.empty(); }

  BOOL Lookup(const char* key, CString& value) const {
    auto it = m_map.find(CString(key));
    if (it == m_map.end()) return FALSE;
    value = it->second;
    return TRUE;
  }
  void SetAt(const char* key, const char* value) { m_map[CString(key)] = value; }
  CString& operator[](const char* key) { return m_map[CString(key)]; }
  BOOL RemoveKey(const char* key) { return m_map.erase(CString(key)) ? TRUE : FALSE; }
  void RemoveAll() { m_map.clear(); }

  /// NULL for an empty map. Iterate with GetNextAssoc until the position becomes NULL.
  POSITION GetStartPosition() const { return m_map.empty() ? nullptr : ToPosition(m_map.begin()); }
  void GetNextAssoc(POSITION& position, CString& key, CString& value) const {
    auto* entry = reinterpret_cast<const Map::value_type*>(position);
    if (!entry) return;
    key = entry->first;
    value = entry->second;
    auto next = std::next(m_map.find(entry->first));
    position = next == m_map.end() ? nullptr : ToPosition(next);
  }

 private:
  typedef std::map<CString, CString> Map;
  static POSITION ToPosition(Map::const_iterator it) {
    return reinterpret_cast<POSITION>(const_cast<Map::value_type*>(&*it));
  }
  Map m_map;
};
