#include "app/BlankDlg.h"

#include "app/Resource.h"

namespace {

void RegisterBlankTemplate() {
  // No controls; made hidden, it shows itself maximised once it is ready.
  AfxRegisterDialogTemplate({IDD_BLANK, "Tavorin", {}, 0});
}

// System cursors live as long as the program; keeping it here keeps it reachable.
HCURSOR BlankCursor() {
  static HCURSOR cursor = LoadCursor(nullptr, IDC_ARROW);
  return cursor;
}

void FillBlack(CWnd* window, CDC* dc) {
  CRect client;
  window->GetClientRect(&client);
  dc->FillSolidRect(&client, RGB(0, 0, 0));
}

}  // namespace

CBlankDlg::CBlankDlg(CWnd* parent) : CDialog(IDD_BLANK, parent) { RegisterBlankTemplate(); }

BOOL CBlankDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  m_hCursor = BlankCursor();
  ShowWindow(SW_SHOWMAXIMIZED);
  return TRUE;
}

BOOL CBlankDlg::OnEraseBkgnd(CDC* dc) {
  if (dc) FillBlack(this, dc);
  return TRUE;
}

void CBlankDlg::OnPaint() {
  CPaintDC dc(this);
  if (dc.m_hDC) FillBlack(this, &dc);
}

BOOL CBlankDlg::OnSetCursor(CWnd* wnd, UINT hitTest, UINT message) {
  if (hitTest == HTCLIENT && m_hCursor) {
    SetCursor(m_hCursor);
    return TRUE;
  }
  return CDialog::OnSetCursor(wnd, hitTest, message);
}

void CBlankDlg::OnLButtonDown(UINT, CPoint) { EndDialog(1); }
