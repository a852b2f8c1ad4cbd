#include "printlayout/MyEdit.h"

#include "platform/mfc/cdc.h"

CMyEdit::CMyEdit() { m_brush.CreateSolidBrush(0); }

void CMyEdit::SetBackgroundColour(COLORREF colour) {
  if (colour == m_colour) return;
  m_colour = colour;
  m_brush.DeleteObject();
  m_brush.CreateSolidBrush(colour);
  if (m_hWnd) Invalidate(TRUE);
}

HBRUSH CMyEdit::CtlColor(CDC* dc, UINT) {
  if (!m_colour) return nullptr;
  if (dc) dc->SetBkColor(m_colour);
  return m_brush;
}
