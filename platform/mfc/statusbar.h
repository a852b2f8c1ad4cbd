// CStatusBar: the frame's status line, a row of panes the program writes by index.
#pragma once

#include <vector>

#include "platform/mfc/wnd.h"

#define AFX_IDW_STATUS_BAR 0xE801
#define ID_SEPARATOR 0
#define CBRS_BOTTOM 0x8000u
#define SBPS_NORMAL 0x0000u
#define SBPS_STRETCH 0x0800u

class CStatusBar : public CWnd {
 public:
  /// FALSE when the bar cannot be created.
  BOOL Create(CWnd* parent, DWORD style = WS_CHILD | WS_VISIBLE | CBRS_BOTTOM, UINT id = AFX_IDW_STATUS_BAR);
  /// One pane per id; ID_SEPARATOR panes stretch, the others are 100 pixels wide.
  BOOL SetIndicators(const UINT* ids, int count);
  int GetCount() const { return static_cast<int>(m_widths.size()); }
  void SetPaneInfo(int index, UINT id, UINT style, int width);
  /// FALSE for a pane that does not exist.
  BOOL SetPaneText(int index, LPCSTR text, BOOL update = TRUE);
  CString GetPaneText(int index) const;

 private:
  void ApplyParts();
  std::vector<int> m_widths;  // -1: stretch
};
