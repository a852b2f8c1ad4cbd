#include "app/MyStatic.h"

#include <algorithm>

void CMyStatic::OnPaint() {
  CPaintDC dc(this);
  if (!dc.m_hDC) return;
  HBITMAP bitmap = GetBitmap();
  BITMAP info{};
  if (!bitmap || !GetObjectA(bitmap, sizeof(info), &info)) return;
  CRect client;
  GetClientRect(&client);
  CDC memory;
  if (!memory.CreateCompatibleDC(&dc)) return;
  CBitmap* old = memory.SelectObject(CBitmap::FromHandle(bitmap));
  dc.BitBlt(0, 0, std::min<int>(info.bmWidth, client.Width()), std::min<int>(info.bmHeight, client.Height()), &memory,
            0, 0, SRCCOPY);
  memory.SelectObject(old);
}

BOOL CMyStatic::OnEraseBkgnd(CDC*) { return TRUE; }

void CMyStatic::OnRButtonUp(UINT flags, CPoint point) {
  // A picture control is see-through to the mouse on the form: the view gets the click.
  CWnd* parent = GetParent();
  if (!parent) {
    CStatic::OnRButtonUp(flags, point);
    return;
  }
  ClientToScreen(&point);
  parent->ScreenToClient(&point);
  parent->SendMessage(WM_RBUTTONUP, flags, MAKELPARAM(point.x, point.y));
}
