// CMyMessageBox: the photobooth's full-screen message box. The window is see-through except
// for a white rounded panel with the text and a close mark; a click or the time-out ends it
// (always with 1).
#pragma once

#include <functional>

#include "platform/mfc/afxwin.h"

class CMyMessageBox : public CDialog {
 public:
  /// A literal backslash + "n" in the text becomes a line break. A time-out of 0 or less
  /// waits for a click; the cursor flag shows the program's invisible cursor.
  CMyMessageBox(CWnd* parent, const char* text, int timeoutSeconds, BOOL invisibleCursor);

  BOOL OnInitDialog() override;

  CString m_text;
  int m_timeoutSeconds;
  BOOL m_bInvisibleCursor;
  /// The tick count the timer compares with the deadline (a seam for tests).
  std::function<ULONGLONG()> m_now;

 protected:
  BOOL OnEraseBkgnd(CDC* dc) override;
  void OnPaint() override;
  void OnLButtonUp(UINT flags, CPoint point) override;
  void OnTimer(UINT_PTR id) override;
  BOOL OnSetCursor(CWnd* wnd, UINT hitTest, UINT message) override;

 private:
  ULONGLONG m_deadline = 0;  // 0: none
  HCURSOR m_hCursor = nullptr;
};
