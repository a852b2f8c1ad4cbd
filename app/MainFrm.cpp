#include "app/MainFrm.h"

#include "app/MainMenu.h"
#include "app/MyQuilletApp.h"
#include "app/MyQuilletView.h"
#include "app/SettingsStore.h"
#include "platform/registry/registry.h"
#include "platform/user/messagebox.h"
#include "support/ProgramGlobals.h"

IMPLEMENT_DYNCREATE(CMainFrame, CFrameWnd)

CRect GetWorkArea() { return CRect(0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)); }

CMainFrame::CMainFrame() : m_nIPCMessage(RegisterWindowMessageA("WM_MORVANESYS_TAVORIN_IPC")) {}

BOOL CMainFrame::Create(LPCSTR className, LPCSTR title, DWORD style, const RECT& rect, CWnd* parent,
                        LPCSTR menuName, DWORD exStyle, CCreateContext* context) {
  CREATESTRUCT cs{};
  cs.x = rect.left;
  cs.y = rect.top;
  cs.style = static_cast<LONG>(style);
  bool useDefault = rect.left == CW_USEDEFAULT;
  if (!useDefault) {
    cs.cx = rect.right - rect.left;
    cs.cy = rect.bottom - rect.top;
  }
  if (!PreCreateWindow(cs)) return FALSE;
  // The default placement stays the window layer's unless a saved rectangle replaced it.
  CRect placed = cs.x != CW_USEDEFAULT ? CRect(cs.x, cs.y, cs.x + cs.cx, cs.y + cs.cy) : CRect(rect);
  if (!CFrameWnd::Create(className, title, static_cast<DWORD>(cs.style), placed, parent, menuName, exStyle,
                         context))
    return FALSE;
  return TRUE;
}

BOOL CMainFrame::PreCreateWindow(CREATESTRUCT& cs) {
  m_bStartMaximised = false;
  CRect work = GetWorkArea();
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kProductKey, 0, KEY_READ, &key) == ERROR_SUCCESS) {
    DWORD left, top, right, bottom, zoomed;
    if (ReadRegDword(key, "WindowLeft", left) && ReadRegDword(key, "WindowTop", top) &&
        ReadRegDword(key, "WindowRight", right) && ReadRegDword(key, "WindowBottom", bottom)) {
      CRect rect(static_cast<LONG>(left), static_cast<LONG>(top), static_cast<LONG>(right),
                 static_cast<LONG>(bottom));
      // Unsigned on purpose: a window left on a screen to the left (negative x) stays unshifted.
      if (left < static_cast<DWORD>(work.right)) {
        if (rect.top > 0) rect.top += work.top, rect.bottom += work.top;
        if (rect.left > 0) rect.left += work.left, rect.right += work.left;
      }
      cs.x = rect.left;
      cs.y = rect.top;
      cs.cx = rect.Width();
      cs.cy = rect.Height();
    }
    if (ReadRegDword(key, "WindowZoomed", zoomed)) m_bStartMaximised = zoomed != 0;
    RegCloseKey(key);
  }
  cs.style = static_cast<LONG>(WS_OVERLAPPEDWINDOW);
  return TRUE;
}

int CMainFrame::OnCreate(LPCREATESTRUCT createStruct) {
  // LoadFrame loads accelerator table 128 once the window exists, so it is made ready here.
  RegisterMainAccelerators();
  if (CFrameWnd::OnCreate(createStruct) == -1) return -1;
  HMENU menu = BuildMainMenu();
  if (!AttachMainMenu(m_hWnd, menu)) DestroyMenu(menu);
  static const UINT indicators[] = {ID_SEPARATOR};
  if (!m_wndStatusBar.Create(this) || !m_wndStatusBar.SetIndicators(indicators, 1)) return -1;
  LoadBarState();
  RecalcLayout();
  RememberNormalRect();
  return 0;
}

void CMainFrame::OnShowWindow(BOOL show, UINT status) {
  CFrameWnd::OnShowWindow(show, status);
  if (show && m_bStartMaximised) {
    m_bStartMaximised = false;
    ShowWindow(SW_SHOWMAXIMIZED);
  }
}

void CMainFrame::RememberNormalRect() {
  if (m_hWnd && !IsZoomed() && !IsIconic()) GetWindowRect(&m_rectNormal);
}

void CMainFrame::OnSize(UINT type, int cx, int cy) {
  CFrameWnd::OnSize(type, cx, cy);
  RememberNormalRect();
}

void CMainFrame::OnMove(int x, int y) {
  CFrameWnd::OnMove(x, y);
  RememberNormalRect();
}

void CMainFrame::OnClose() {
  CMyQuilletView* view = GetMainView();
  if (view && view->m_bConnecting) {
    view->m_bCloseAfterConnect = true;
    return;
  }
  // A modal window (the full-screen viewer, a settings dialog) runs its own loop inside a view
  // handler: end it first and close once it has returned, or the view would be destroyed under
  // the handler still waiting for it. A message box (the booth's error box) is such a loop too.
  if (EndMessageBoxes()) {
    PostMessage(WM_CLOSE);
    return;
  }
  HWND popup = ::GetLastActivePopup(m_hWnd);
  if (popup && popup != m_hWnd && ::EndDialog(popup, IDCANCEL)) {
    PostMessage(WM_CLOSE);
    return;
  }
  CFrameWnd::OnClose();
}

// The frame's bars (the status bar) keep their visibility in the program's own key.
void CMainFrame::LoadBarState() {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, CString(kProductKey) + kBarStateKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
    return;
  DWORD visible = 1;
  if (ReadRegDword(key, "StatusBarVisible", visible) && visible == 0) m_wndStatusBar.ShowWindow(SW_HIDE);
  RegCloseKey(key);
}

void CMainFrame::SaveBarState() {
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, CString(kProductKey) + kBarStateKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_READ | KEY_WRITE, nullptr, &key, nullptr) != ERROR_SUCCESS)
    return;
  // The style bit, not IsWindowVisible: the frame itself is already hidden while it is destroyed.
  WriteRegDword(key, "StatusBarVisible", m_wndStatusBar.m_hWnd && (m_wndStatusBar.GetStyle() & WS_VISIBLE) ? 1 : 0);
  RegCloseKey(key);
}

void CMainFrame::OnDestroy() {
  // The frame is destroyed before the view: its writes are the first of the save at exit.
  if (CMyQuilletView* view = GetMainView()) view->RetryMissedSettingsLoad();
  RememberNormalRect();
  SaveBarState();
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, kProductKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_READ | KEY_WRITE,
                      nullptr, &key, nullptr) == ERROR_SUCCESS) {
    WriteRegDword(key, "WindowLeft", static_cast<DWORD>(m_rectNormal.left));
    WriteRegDword(key, "WindowRight", static_cast<DWORD>(m_rectNormal.right));
    WriteRegDword(key, "WindowTop", static_cast<DWORD>(m_rectNormal.top));
    WriteRegDword(key, "WindowBottom", static_cast<DWORD>(m_rectNormal.bottom));
    WriteRegDword(key, "WindowZoomed", IsZoomed() ? 1 : 0);
    RegCloseKey(key);
  }
  CFrameWnd::OnDestroy();
}

void CMainFrame::SetStatusText(int pane, CString text) {
  if (m_wndStatusBar.m_hWnd) m_wndStatusBar.SetPaneText(pane, text);
}

CString CMainFrame::GetStatusText(int pane) const {
  return m_wndStatusBar.m_hWnd ? m_wndStatusBar.GetPaneText(pane) : CString();
}

LRESULT CMainFrame::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  CMyQuilletView* view = GetMainView();
  if (message == g_nHotSpotMessage && g_nHotSpotMessage != 0 && view) {
    return view->OnHotSpotMessage(wParam, lParam);
  }
  if (message == m_nIPCMessage && m_nIPCMessage != 0) {
    if (view && view->m_hWnd) view->PostMessage(message, wParam, lParam);
    return 1;  // tells a searching client that it found the server
  }
  return CFrameWnd::WindowProc(message, wParam, lParam);
}
