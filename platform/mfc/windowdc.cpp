#include "platform/mfc/windowdc.h"

CPaintDC::CPaintDC(CWnd* wnd) : m_hWnd(wnd ? wnd->m_hWnd : nullptr) {
  HDC dc = m_hWnd ? ::BeginPaint(m_hWnd, &m_ps) : nullptr;
  if (dc) Attach(dc);
}

CPaintDC::~CPaintDC() {
  if (HDC dc = Detach()) {
    m_ps.hdc = dc;
    ::EndPaint(m_hWnd, &m_ps);
  }
}

CClientDC::CClientDC(CWnd* wnd) : m_hWnd(wnd ? wnd->m_hWnd : nullptr) {
  HDC dc = m_hWnd ? ::GetDC(m_hWnd) : nullptr;
  if (dc) Attach(dc);
}

CClientDC::~CClientDC() {
  if (HDC dc = Detach()) ::ReleaseDC(m_hWnd, dc);
}

CWindowDC::CWindowDC(CWnd* wnd) : m_hWnd(wnd ? wnd->m_hWnd : nullptr) {
  HDC dc = m_hWnd ? ::GetWindowDC(m_hWnd) : nullptr;
  if (dc) Attach(dc);
}

CWindowDC::~CWindowDC() {
  if (HDC dc = Detach()) ::ReleaseDC(m_hWnd, dc);
}
