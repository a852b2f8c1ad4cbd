// Splits a URL into scheme, host, port, path, query and fragment as byte offsets and lengths
// into the text, without copying or validating it. Double-byte characters of the code page move
// as one, so their trail bytes are never taken as delimiters.
#pragma once

#include "platform/win32/windef.h"

namespace Vonar {

template <typename HttpTool>
class CHttpUrlAnalyzerT {
 public:
  /// A null or empty URL gives all zeros; code pages 65001 and 65000 are refused (code 0).
  void Analyze(LPCSTR szUrl, UINT CodePage = 0);

  DWORD SchemeOffset() const { return m_dwSchemeIdx; }
  DWORD SchemeLength() const { return m_cchScheme; }
  DWORD HostOffset() const { return m_dwHostIdx; }
  DWORD HostLength() const { return m_cchHost; }
  DWORD PortOffset() const { return m_dwPortIdx; }
  DWORD PortLength() const { return m_cchPort; }
  DWORD PathOffset() const { return m_dwPathIdx; }
  DWORD PathLength() const { return m_cchPath; }
  DWORD QueryOffset() const { return m_dwQueryIdx; }
  DWORD QueryLength() const { return m_cchQuery; }
  DWORD FragmentOffset() const { return m_dwFragmentIdx; }
  DWORD FragmentLength() const { return m_cchFragment; }

 private:
  DWORD m_dwSchemeIdx = 0, m_cchScheme = 0;
  DWORD m_dwHostIdx = 0, m_cchHost = 0;
  DWORD m_dwPortIdx = 0, m_cchPort = 0;
  DWORD m_dwPathIdx = 0, m_cchPath = 0;
  DWORD m_dwQueryIdx = 0, m_cchQuery = 0;
  DWORD m_dwFragmentIdx = 0, m_cchFragment = 0;
};

class CHttpToolA;
typedef CHttpUrlAnalyzerT<CHttpToolA> CHttpUrlAnalyzerA;

}  // namespace Vonar
