#include "keyboard/MyMessageBox.h"

#include <algorithm>

#include "keyboard/KeyboardResource.h"
#include "keyboard/MessageBoxLines.h"
#include "platform/user/cursor.h"
#include "platform/user/paint.h"
#include "platform/win32/sync.h"

namespace {

const COLORREF kColorKey = RGB(1, 2, 3);

void RegisterMessageBoxTemplate() {
  static bool registered = false;
  if (registered) return;
  registered = true;
  AfxRegisterDialogTemplate({IDD_MYMESSAGEBOX, "Morvane Systems Photobooth - MessageBox", {}, WS_POPUP});
}

}  // namespace

CMyMessageBox::CMyMessageBox(CWnd* parent, const char* text, int timeoutSeconds, BOOL invisibleCursor)
    : CDialog(IDD_MYMESSAGEBOX, parent),
      m_text(ExpandMessageLineBreaks(text)),
      m_timeoutSeconds(timeoutSeconds),
      m_bInvisibleCursor(invisibleCursor),
      m_now([] { return GetTickCount64(); }) {
  RegisterMessageBoxTemplate();
}

BOOL CMyMessageBox::OnInitDialog() {
  CDialog::OnInitDialog();
  SetWindowText("Morvane Systems Photobooth - MessageBox");
  ModifyStyleEx(0, WS_EX_LAYERED);
  SetLayeredWindowAttributes(kColorKey, 0, LWA_COLORKEY);
  ShowWindow(SW_SHOWMAXIMIZED);
  SetTimer(1, 100);
  // Fixed at opening: activity does not extend it.
  if (m_timeoutSeconds > 0) m_deadline = m_now() + static_cast<ULONGLONG>(m_timeoutSeconds) * 1000;
  if (m_bInvisibleCursor) m_hCursor = LoadCursor(AfxGetInstanceHandle(), MAKEINTRESOURCE(IDC_INVISIBLE_CURSOR));
  return TRUE;
}

BOOL CMyMessageBox::OnEraseBkgnd(CDC*) { return TRUE; }

void CMyMessageBox::OnPaint() {
  CPaintDC dc(this);
  if (!dc.m_hDC) return;
  CRect client;
  GetClientRect(&client);
  CPen pen(PS_SOLID, 5, RGB(0, 0, 0));
  CFont font;
  font.CreatePointFont(200, "Arial", &dc);
  CPen* oldPen = dc.SelectObject(&pen);
  CFont* oldFont = dc.SelectObject(&font);
  dc.SetBkMode(TRANSPARENT);
  dc.FillSolidRect(&client, kColorKey);

  CRect area = client;
  area.DeflateRect(client.Width() / 4, client.Height() / 4);
  int limit = area.Width() - 50;
  std::vector<CString> lines =
      BreakMessageLines(m_text, limit, [&](const CString& text) { return static_cast<int>(dc.GetTextExtent(text).cx); });
  int widest = 0;
  int lineHeight = 0;
  for (const CString& line : lines) {
    SIZE extent = dc.GetTextExtent(line.IsEmpty() ? CString(" ") : line);
    widest = std::max(widest, static_cast<int>(dc.GetTextExtent(line).cx));
    lineHeight = std::max(lineHeight, static_cast<int>(extent.cy));
  }
  int boxWidth = widest + 50;
  int boxHeight = static_cast<int>(lines.size()) * lineHeight + 125;
  CPoint centre = area.CenterPoint();
  CRect box(centre.x - boxWidth / 2, centre.y - boxHeight / 2, centre.x - boxWidth / 2 + boxWidth,
            centre.y - boxHeight / 2 + boxHeight);

  CBrush white(RGB(255, 255, 255));
  CBrush* oldBrush = dc.SelectObject(&white);
  dc.RoundRect(box.left, box.top, box.right, box.bottom, 50, 50);
  box.DeflateRect(25, 25);
  dc.Ellipse(box.right - 50, box.top, box.right, box.top + 50);
  dc.MoveTo(box.right - 37, box.top + 13);
  dc.LineTo(box.right - 13, box.top + 37);
  dc.MoveTo(box.right - 13, box.top + 13);
  dc.LineTo(box.right - 37, box.top + 37);
  dc.SetTextColor(RGB(0, 0, 0));
  int y = box.top + 60;
  for (const CString& line : lines) {
    dc.TextOut(box.left, y, line);
    y += lineHeight;
  }
  dc.SelectObject(oldBrush);
  dc.SelectObject(oldFont);
  dc.SelectObject(oldPen);
}

void CMyMessageBox::OnLButtonUp(UINT, CPoint) { EndDialog(1); }

void CMyMessageBox::OnTimer(UINT_PTR id) {
  ULONGLONG now = id == 1 ? m_now() : 0;
  if (id == 1 && m_deadline && now >= m_deadline) {
    KillTimer(1);
    EndDialog(1);
    return;
  }
  CDialog::OnTimer(id);
}

BOOL CMyMessageBox::OnSetCursor(CWnd* wnd, UINT hitTest, UINT message) {
  if (m_hCursor) {
    SetCursor(m_hCursor);
    return TRUE;
  }
  return CDialog::OnSetCursor(wnd, hitTest, message);
}
