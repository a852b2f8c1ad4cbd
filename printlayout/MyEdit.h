// An edit whose background colour its owner sets: the layout editor colours the rows of its box
// table by selection.
#pragma once

#include "platform/mfc/gdiobjects.h"
#include "platform/mfc/stdctrls.h"

class CMyEdit : public CEdit {
 public:
  CMyEdit();

  /// 0 gives the control back the system's colours. The same colour again does nothing.
  void SetBackgroundColour(COLORREF colour);
  COLORREF GetBackgroundColour() const { return m_colour; }

 protected:
  HBRUSH CtlColor(CDC* dc, UINT kind) override;

 private:
  COLORREF m_colour = 0;
  CBrush m_brush;
};
