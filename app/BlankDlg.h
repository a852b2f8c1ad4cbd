// CBlankDlg: the black full-screen window shown while a photo is taken, so the screen does
// not light the subject. The view makes it modeless; a left click ends it.
#pragma once

#include "platform/mfc/afxwin.h"

class CBlankDlg : public CDialog {
 public:
  explicit CBlankDlg(CWnd* parent = nullptr);

  /// Maximises the window and loads its cursor.
  BOOL OnInitDialog() override;

 protected:
  BOOL OnEraseBkgnd(CDC* dc) override;
  void OnPaint() override;
  BOOL OnSetCursor(CWnd* wnd, UINT hitTest, UINT message) override;
  void OnLButtonDown(UINT flags, CPoint point) override;

 private:
  HCURSOR m_hCursor = nullptr;  // a system cursor: never freed
};
