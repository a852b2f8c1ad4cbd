#include "photobooth/TransparentOverlayDlg.h"

#include "platform/user/paint.h"

const COLORREF CTransparentOverlayDlg::kColorKey = RGB(1, 2, 3);

CTransparentOverlayDlg::CTransparentOverlayDlg(CWnd* parent) : CDialog(IDD_TRANSPARENT_OVERLAY, parent) {
  static bool registered = false;
  if (!registered) {
    registered = true;
    DlgTemplate overlay{IDD_TRANSPARENT_OVERLAY, "Photobooth Countdown Overlay Window", {}, WS_POPUP};
    overlay.manualLayout = true;
    AfxRegisterDialogTemplate(overlay);
  }
  Create(IDD_TRANSPARENT_OVERLAY, parent);
}

BOOL CTransparentOverlayDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  SetWindowText("Photobooth Countdown Overlay Window");
  ModifyStyleEx(0, WS_EX_LAYERED);
  SetLayeredWindowAttributes(kColorKey, 0, LWA_COLORKEY);
  ShowWindow(SW_SHOWMAXIMIZED);
  ShowWindow(SW_HIDE);
  CRect client;
  GetClientRect(&client);
  CDC screen;
  screen.CreateCompatibleDC(nullptr);
  m_surface = std::make_unique<CBitmap>();
  if (m_surface->CreateCompatibleBitmap(&screen, client.Width() > 0 ? client.Width() : 1,
                                        client.Height() > 0 ? client.Height() : 1)) {
    CDC dc;
    dc.CreateCompatibleDC(nullptr);
    CBitmap* old = dc.SelectObject(m_surface.get());
    dc.FillSolidRect(&client, kColorKey);
    dc.SelectObject(old);
  } else {
    m_surface.reset();
  }
  return FALSE;
}

void CTransparentOverlayDlg::Show() {
  if (m_hWnd) SetWindowPos(&wndTop, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
}

BOOL CTransparentOverlayDlg::OnEraseBkgnd(CDC*) { return TRUE; }

void CTransparentOverlayDlg::OnPaint() {
  CPaintDC dc(this);
  if (!dc.m_hDC) return;
  CRect client;
  GetClientRect(&client);
  if (!m_surface) {
    dc.FillSolidRect(&client, kColorKey);
    return;
  }
  CDC memory;
  memory.CreateCompatibleDC(nullptr);
  CBitmap* old = memory.SelectObject(m_surface.get());
  dc.BitBlt(0, 0, client.Width(), client.Height(), &memory, 0, 0, SRCCOPY);
  memory.SelectObject(old);
}
