// DCs on a window: CPaintDC inside OnPaint, CClientDC and CWindowDC anywhere (any thread).
// Each gives its DC back to the window when destroyed.
#pragma once

#include "platform/mfc/cdc.h"
#include "platform/mfc/wnd.h"

class CPaintDC : public CDC {
 public:
  /// m_hDC is NULL when painting cannot start (no window, not the UI thread).
  explicit CPaintDC(CWnd* wnd);
  ~CPaintDC() override;
  PAINTSTRUCT m_ps{};

 private:
  HWND m_hWnd;
};

class CClientDC : public CDC {
 public:
  /// m_hDC is NULL when the window has no client area to draw on.
  explicit CClientDC(CWnd* wnd);
  ~CClientDC() override;

 private:
  HWND m_hWnd;
};

class CWindowDC : public CDC {
 public:
  explicit CWindowDC(CWnd* wnd);
  ~CWindowDC() override;

 private:
  HWND m_hWnd;
};
