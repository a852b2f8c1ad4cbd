// A multimap of names to values and flag words, ordered by name without regard to ASCII case;
// entries of equal names keep the order in which they were added. Holds the client's request
// headers and form parameters and a response's loaded headers. Names and values are heap
// (new[]) strings the map owns; a null name is refused with code 0.
#pragma once

#include <vector>

#include "platform/win32/windef.h"

namespace Vonar {

template <typename HttpTool>
class CHttpClientMapT {
 public:
  CHttpClientMapT() = default;
  virtual ~CHttpClientMapT();
  CHttpClientMapT(const CHttpClientMapT&) = delete;
  CHttpClientMapT& operator=(const CHttpClientMapT&) = delete;

  /// Empties the map; false when it was empty already.
  BOOL Clear();
  /// Adds copies of name and value (value may be null) after the entries of the same name.
  void Add(LPCSTR szName, LPCSTR szValue = nullptr, DWORD dwFlag = 0);
  /// Adds the given new[] buffers, which the map then owns (also when this throws).
  void AddPointerDirectly(LPSTR szName, LPSTR szValue, DWORD dwFlag);
  /// Replaces value and flags of the nIdx-th entry of that name; adds when the name has none.
  /// An index at or past the count of that name is code 101.
  void Set(LPCSTR szName, LPCSTR szValue, DWORD dwFlag, DWORD nIdx = 0);
  /// The nIdx-th entry of that name: its value ("" for a null value) and flags; null when none.
  LPCSTR Get(LPCSTR szName, DWORD nIdx = 0, DWORD* pdwFlag = nullptr) const;
  BOOL Exists(LPCSTR szName, DWORD nIdx = 0) const;
  /// Entries of that name; of the whole map for null.
  DWORD Count(LPCSTR szName = nullptr) const;
  BOOL Empty() const { return m_entries.empty(); }
  BOOL Remove(LPCSTR szName, DWORD nIdx = 0);
  BOOL RemoveAt(DWORD nPos);
  BOOL RemoveAll(LPCSTR szName);

  /// By position in map order; null (and 0) past the end.
  LPCSTR GetKeyAt(DWORD nPos) const;
  LPCSTR GetValueAt(DWORD nPos, DWORD* pdwFlag = nullptr) const;
  DWORD GetFlagAt(DWORD nPos) const;

 private:
  struct Entry {
    LPSTR name;
    LPSTR value;
    DWORD flags;
  };
  /// Position of the nIdx-th entry of that name, or -1.
  long Find(LPCSTR szName, DWORD nIdx) const;
  std::vector<Entry> m_entries;
};

class CHttpToolA;
typedef CHttpClientMapT<CHttpToolA> CHttpClientMapA;

}  // namespace Vonar
