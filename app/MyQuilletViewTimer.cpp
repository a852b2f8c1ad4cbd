// The view's heartbeat (timer 2, every 50 ms): highlight blink, battery text every minute and
// the automatic reconnection of a lost camera.
#include <ctime>
#include <utility>

#include "app/MyQuilletView.h"
#include "app/Resource.h"

namespace {

constexpr UINT_PTR kMainTimer = 2;

LONGLONG SystemSeconds() { return static_cast<LONGLONG>(std::time(nullptr)); }

// Program-wide, as a second view would share the camera.
LONGLONG g_lastReconnectAttempt = 0;
// Ticks the "failed" text stays before the countdown returns (instead of blocking the UI).
int g_failedTextTicks = 0;

}  // namespace

LONGLONG (*CMyQuilletView::s_pfnClock)() = SystemSeconds;
DWORD CMyQuilletView::s_nConnectSettleMs = 700;
bool CMyQuilletView::s_bStartMainRoad = true;

void CMyQuilletView::StartMainRoad() {
  if (CWnd* frame = AfxGetMainWnd()) frame->SetWindowText("Tavorin - Connecting to camera...");
  PostMessage(WM_INITIAL_CONNECT, 0, 0);
  UpdateControls();
  DrawHistogram();
  m_nTimerId = SetTimer(kMainTimer, 50);
  if (m_nTimerId != 0) m_nTimerId = kMainTimer;
  m_nNextBatteryUpdate = s_pfnClock();
}

void CMyQuilletView::OnTimer(UINT_PTR id) {
  if (id == kMainTimer) {
    if (++m_nTickCount > 14) {
      m_nTickCount = 0;
      if (m_pHighlightBitmap) {
        // Swap between the photo and its highlight-marked twin.
        m_bShowingHighlight = !m_bShowingHighlight;
        std::swap(m_pDisplayBitmap, m_pHighlightBitmap);
        Invalidate(FALSE);
      }
      LONGLONG now = s_pfnClock();
      if (now >= m_nNextBatteryUpdate) {
        m_nNextBatteryUpdate = now + 60;
        UpdateBatteryText();
      }
    }
  }
  if (id == kMainTimer) PacePhotobooth();
  if (!m_pCamera && m_bAutoReconnect) {
    LONGLONG now = s_pfnClock();
    if (m_bConnecting || now <= g_lastReconnectAttempt + 5) {
      if (g_failedTextTicks > 0) {
        --g_failedTextTicks;
        return;
      }
      CString text;
      text.Format("Camera not connected, auto-reconnect in %d sec", static_cast<int>(g_lastReconnectAttempt + 6 - now));
      SetStatusText(text);
    } else {
      SetStatusText("Attempting to reconnect to camera...");
      g_lastReconnectAttempt = now;
      StartCameraConnection();
      if (!m_pCamera) {
        SetStatusText("Auto reconnect failed");
        g_failedTextTicks = 8;
      }
    }
  }
}
