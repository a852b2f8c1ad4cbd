#include "platform/mfc/statusbar.h"

BOOL CStatusBar::Create(CWnd* parent, DWORD style, UINT id) {
  if (!parent) return FALSE;
  return CreateEx(0, STATUSCLASSNAME, "", (style & ~CBRS_BOTTOM) | WS_CHILD, 0, 0, 0, 0, parent->m_hWnd,
                  reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)));
}

BOOL CStatusBar::SetIndicators(const UINT* ids, int count) {
  if (!ids || count <= 0) return FALSE;
  m_widths.clear();
  for (int i = 0; i < count; ++i) m_widths.push_back(ids[i] == ID_SEPARATOR ? -1 : 100);
  ApplyParts();
  return TRUE;
}

void CStatusBar::SetPaneInfo(int index, UINT, UINT style, int width) {
  if (index < 0 || index >= GetCount()) return;
  m_widths[index] = (style & SBPS_STRETCH) ? -1 : width;
  ApplyParts();
}

void CStatusBar::ApplyParts() {
  // Parts are right edges; the stretching panes take what the fixed ones leave.
  std::vector<int> rights;
  int edge = 0;
  for (int width : m_widths) {
    edge = width < 0 ? edge : edge + width;
    rights.push_back(width < 0 ? -1 : edge);
  }
  SendMessage(SB_SETPARTS, rights.size(), reinterpret_cast<LPARAM>(rights.data()));
}

BOOL CStatusBar::SetPaneText(int index, LPCSTR text, BOOL) {
  if (index < 0 || index >= std::max(GetCount(), 1)) return FALSE;
  return SendMessage(SB_SETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text ? text : "")) ? TRUE
                                                                                                        : FALSE;
}

CString CStatusBar::GetPaneText(int index) const {
  CString text;
  int length = static_cast<int>(SendMessage(SB_GETTEXTLENGTH, static_cast<WPARAM>(index)));
  SendMessage(SB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.GetBuffer(length)));
  text.ReleaseBuffer();
  return text;
}
