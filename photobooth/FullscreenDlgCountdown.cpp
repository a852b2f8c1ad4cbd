// The countdown text, drawn on the see-through overlay window over the booth screen.
#include <algorithm>

#include "app/MyQuilletView.h"
#include "photobooth/FullscreenDlg.h"
#include "photobooth/TransparentOverlayDlg.h"

namespace {

// Where the previous text was drawn, for erasing it (one place for the whole program).
RECT g_lastTextRect{0, 0, 0, 0};

}  // namespace

void CFullscreenDlg::SetCountdownText(const char* text) {
  CString wanted(text ? text : "");
  if (m_pPreviewBitmap || wanted == m_strCountdownText) return;
  if (HasMovie()) {
    m_strCountdownText = wanted;  // drawn once the movie is over and the text changes
    return;
  }
  if (!m_pOverlay) {
    if (!m_hWnd) return;
    // The first text only makes the window; the next call draws.
    m_pOverlay = new CTransparentOverlayDlg(this);
    m_pOverlay->Show();
    SetFocus();
    return;
  }
  m_strCountdownText = wanted;
  CBitmap* surface = m_pOverlay->Surface();
  if (!surface || !m_pView) return;
  CRect client;
  m_pOverlay->GetClientRect(&client);
  CDC dc;
  dc.CreateCompatibleDC(nullptr);
  CBitmap* old = dc.SelectObject(surface);
  CFont font;
  font.CreateFontIndirect(&m_pView->m_photoboothMsgFont);
  CFont* oldFont = dc.SelectObject(&font);
  dc.SetTextColor(static_cast<COLORREF>(m_pView->m_nPhotoboothMsgColour));
  dc.SetBkColor(CTransparentOverlayDlg::kColorKey);
  dc.SetBkMode(OPAQUE);

  CRect previous(g_lastTextRect.left, g_lastTextRect.top, g_lastTextRect.left + g_lastTextRect.right,
                 g_lastTextRect.top + g_lastTextRect.bottom);
  dc.FillSolidRect(&previous, CTransparentOverlayDlg::kColorKey);
  CRect drawn(0, 0, 0, 0);
  if (!wanted.IsEmpty()) {
    SIZE size = dc.GetTextExtent(wanted);
    int x = (client.Width() - size.cx) / 2;
    int y = (client.Height() - size.cy) / 2;
    if (IsLiveViewShown() && m_nLiveViewHeight > 0) {
      // Beside the live picture, in the larger free part of the screen, not over it.
      int top = std::max(0, m_pView->m_nPhotoboothEvfYOffset);
      int bottom = top + m_nLiveViewHeight;
      int below = std::max(0, client.Height() - bottom);
      y = below < top ? top * 2 / 5 : bottom + below * 2 / 5;
    }
    if (m_pView->m_nPhotoboothTextYOffset > 0) y = m_pView->m_nPhotoboothTextYOffset;
    if (y + size.cy > client.Height()) y = client.Height() - size.cy;
    dc.TextOut(x, y, wanted);
    drawn.SetRect(x, y, x + size.cx, y + size.cy);
  }
  dc.SelectObject(oldFont);
  dc.SelectObject(old);
  if (!drawn.IsRectEmpty()) m_pOverlay->InvalidateRect(&drawn, FALSE);
  if (!previous.IsRectEmpty()) m_pOverlay->InvalidateRect(&previous, FALSE);
  g_lastTextRect = RECT{drawn.left, drawn.top, drawn.Width(), drawn.Height()};
}
