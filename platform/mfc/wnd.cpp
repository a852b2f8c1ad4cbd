#include "platform/mfc/wnd.h"

#include <algorithm>
#include <cstdlib>
#include <map>
#include <memory>
#include <mutex>

#include "platform/mfc/cdc.h"
#include "platform/mfc/ddx.h"
#include "platform/mfc/winapp.h"

namespace {

std::recursive_mutex g_mapMutex;
std::map<HWND, CWnd*> g_permanent;
std::map<HWND, std::unique_ptr<CWnd>> g_temporary;
thread_local CWnd* t_creating = nullptr;
// The message being handled on this thread, for Default(). Kept per thread, not per object,
// because a handler may destroy (and delete) its own window.
struct CurrentMessage {
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};
thread_local CurrentMessage t_current{0, 0, 0};
thread_local bool* t_attached = nullptr;  // told when the window being created reached its CWnd

const char* AfxWndClass() {
  static bool registered = false;
  if (!registered) {
    WNDCLASSA wc{};
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = AfxWndProc;
    wc.lpszClassName = "AfxWnd";
    RegisterClassA(&wc);
    registered = true;
  }
  return "AfxWnd";
}

// Offers a message to the windows it goes through, innermost first, up to its top-level window.
BOOL PreTranslateFilter(MSG* msg) {
  for (HWND hwnd = msg->hwnd; hwnd; hwnd = ::GetParent(hwnd)) {
    CWnd* wnd = CWnd::FromHandlePermanent(hwnd);
    if (wnd && wnd->PreTranslateMessage(msg)) return TRUE;
    if (!(::GetWindowLongPtrA(hwnd, GWL_STYLE) & WS_CHILD)) break;
  }
  CWinApp* app = AfxGetApp();
  return app && app->PreTranslateMessage(msg);
}

void InstallFilter() {
  static bool installed = false;
  if (!installed) {
    SetUiMessageFilter(PreTranslateFilter);
    installed = true;
  }
}

void Unmap(HWND hWnd) {
  std::lock_guard<std::recursive_mutex> lock(g_mapMutex);
  g_permanent.erase(hWnd);
}

}  // namespace

const CWnd CWnd::wndTop;
const CWnd CWnd::wndBottom;
const CWnd CWnd::wndTopMost;
const CWnd CWnd::wndNoTopMost;

LRESULT CALLBACK AfxWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
  CWnd* wnd = CWnd::FromHandlePermanent(hWnd);
  if (!wnd && t_creating) {
    wnd = t_creating;
    t_creating = nullptr;
    wnd->m_hWnd = hWnd;
    if (t_attached) *t_attached = true;
    std::lock_guard<std::recursive_mutex> lock(g_mapMutex);
    g_permanent[hWnd] = wnd;
  }
  if (!wnd) return ::DefWindowProcA(hWnd, message, wParam, lParam);
  CurrentMessage outer = t_current;
  t_current = {message, wParam, lParam};
  LRESULT result = wnd->WindowProc(message, wParam, lParam);
  t_current = outer;
  if (message == WM_NCDESTROY) {
    Unmap(hWnd);
    wnd->m_hWnd = nullptr;
    wnd->m_pfnSuper = nullptr;
    wnd->PostNcDestroy();  // may delete wnd
  }
  return result;
}

CWnd::CWnd() { InstallFilter(); }

CWnd::~CWnd() {
  if (m_hWnd && !m_temporary && ::IsWindow(m_hWnd)) {
    HWND hWnd = m_hWnd;
    Unmap(hWnd);  // no more messages to a half-destroyed object
    if (m_pfnSuper) ::SetWindowLongPtrA(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
    m_hWnd = nullptr;
    ::DestroyWindow(hWnd);
  }
}

CWnd* CWnd::FromHandlePermanent(HWND hWnd) {
  if (!hWnd) return nullptr;
  std::lock_guard<std::recursive_mutex> lock(g_mapMutex);
  auto it = g_permanent.find(hWnd);
  return it == g_permanent.end() ? nullptr : it->second;
}

CWnd* CWnd::FromHandle(HWND hWnd) {
  if (!hWnd) return nullptr;
  if (CWnd* wnd = FromHandlePermanent(hWnd)) return wnd;
  if (!::IsWindow(hWnd)) return nullptr;
  std::lock_guard<std::recursive_mutex> lock(g_mapMutex);
  for (auto it = g_temporary.begin(); it != g_temporary.end();) {
    it = ::IsWindow(it->first) ? std::next(it) : g_temporary.erase(it);  // wrappers of gone windows
  }
  std::unique_ptr<CWnd>& wrapper = g_temporary[hWnd];
  if (!wrapper) {
    wrapper = std::make_unique<CWnd>();
    wrapper->m_hWnd = hWnd;
    wrapper->m_temporary = true;
  }
  return wrapper.get();
}

BOOL CWnd::Attach(HWND hWnd) {
  if (m_hWnd || !hWnd || FromHandlePermanent(hWnd)) return FALSE;
  std::lock_guard<std::recursive_mutex> lock(g_mapMutex);
  m_hWnd = hWnd;
  g_permanent[hWnd] = this;
  g_temporary.erase(hWnd);
  return TRUE;
}

HWND CWnd::Detach() {
  HWND hWnd = m_hWnd;
  if (hWnd) Unmap(hWnd);
  m_hWnd = nullptr;
  return hWnd;
}

BOOL CWnd::SubclassWindow(HWND hWnd) {
  if (!::IsWindow(hWnd) || !Attach(hWnd)) return FALSE;
  auto old = reinterpret_cast<WNDPROC>(::GetWindowLongPtrA(hWnd, GWLP_WNDPROC));
  if (old != AfxWndProc) {
    m_pfnSuper = old;
    ::SetWindowLongPtrA(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(AfxWndProc));
  }
  return TRUE;
}

BOOL CWnd::SubclassDlgItem(UINT id, CWnd* parent) {
  return parent ? SubclassWindow(::GetDlgItem(parent->m_hWnd, static_cast<int>(id))) : FALSE;
}

HWND CWnd::UnsubclassWindow() {
  if (m_pfnSuper) ::SetWindowLongPtrA(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
  m_pfnSuper = nullptr;
  return Detach();
}

BOOL CWnd::CreateEx(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y, int width,
                    int height, HWND parent, HMENU idOrMenu, LPVOID param) {
  if (m_hWnd) return FALSE;
  bool ownClass = !className || !*className;
  CWnd* outer = t_creating;
  bool* outerAttached = t_attached;
  bool attached = false;
  t_creating = ownClass ? this : nullptr;
  t_attached = &attached;
  HWND hWnd = ::CreateWindowExA(exStyle, ownClass ? AfxWndClass() : className, windowName, style, x, y, width,
                                height, parent, idOrMenu, nullptr, param);
  t_creating = outer;
  t_attached = outerAttached;
  // A window refused in WM_CREATE was destroyed again, and PostNcDestroy may have deleted us.
  if (!hWnd) return FALSE;
  if (!ownClass) {
    // A control class: its own procedure stays the default behind ours.
    SubclassWindow(hWnd);
  }
  return TRUE;
}

BOOL CWnd::Create(LPCSTR className, LPCSTR windowName, DWORD style, const RECT& rect, CWnd* parent, UINT id,
                  LPVOID param) {
  return CreateEx(0, className, windowName, style | WS_CHILD, rect.left, rect.top, rect.right - rect.left,
                  rect.bottom - rect.top, parent ? parent->m_hWnd : nullptr,
                  reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), param);
}

BOOL CWnd::DestroyWindow() { return m_hWnd ? ::DestroyWindow(m_hWnd) : FALSE; }

BOOL CWnd::SetWindowPos(const CWnd* insertAfter, int x, int y, int cx, int cy, UINT flags) {
  HWND after = nullptr;
  if (insertAfter == &wndTopMost) after = HWND_TOPMOST;
  else if (insertAfter == &wndNoTopMost) after = HWND_NOTOPMOST;
  else if (insertAfter == &wndBottom) after = HWND_BOTTOM;
  else if (insertAfter && insertAfter != &wndTop) after = insertAfter->m_hWnd;
  return ::SetWindowPos(m_hWnd, after, x, y, cx, cy, flags);
}

void CWnd::CenterWindow(CWnd* alternateOwner) {
  RECT mine, area;
  GetWindowRect(&mine);
  HWND owner = alternateOwner ? alternateOwner->m_hWnd : ::GetParent(m_hWnd);
  if (!owner || !::GetWindowRect(owner, &area)) {
    area = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  }
  int width = mine.right - mine.left, height = mine.bottom - mine.top;
  int x = area.left + (area.right - area.left - width) / 2;
  int y = area.top + (area.bottom - area.top - height) / 2;
  RECT work;
  if (!(GetStyle() & WS_CHILD) && ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0)) {
    // Wholly on the screen's free area, its top left corner first when it is larger.
    x = std::max(static_cast<int>(work.left), std::min(x, static_cast<int>(work.right) - width));
    y = std::max(static_cast<int>(work.top), std::min(y, static_cast<int>(work.bottom) - height));
  }
  if ((GetStyle() & WS_CHILD) && owner) {
    POINT at{x, y};
    ::ScreenToClient(owner, &at);
    x = at.x, y = at.y;
  }
  ::SetWindowPos(m_hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CWnd::GetWindowText(CString& text) const {
  int length = GetWindowTextLength();
  char* buffer = text.GetBuffer(length);
  ::GetWindowTextA(m_hWnd, buffer, length + 1);
  text.ReleaseBuffer();
}

BOOL CWnd::ModifyStyle(DWORD remove, DWORD add, UINT) {
  DWORD style = GetStyle();
  DWORD changed = (style & ~remove) | add;
  if (changed == style) return FALSE;
  ::SetWindowLongPtrA(m_hWnd, GWL_STYLE, static_cast<LONG_PTR>(changed));
  return TRUE;
}

BOOL CWnd::ModifyStyleEx(DWORD remove, DWORD add, UINT) {
  DWORD style = GetExStyle();
  DWORD changed = (style & ~remove) | add;
  if (changed == style) return FALSE;
  ::SetWindowLongPtrA(m_hWnd, GWL_EXSTYLE, static_cast<LONG_PTR>(changed));
  return TRUE;
}

CWnd* CWnd::GetDlgItem(int id) const { return FromHandle(::GetDlgItem(m_hWnd, id)); }

int CWnd::GetDlgItemText(int id, CString& text) const {
  text.Empty();
  CWnd* item = GetDlgItem(id);
  if (!item) return 0;
  item->GetWindowText(text);
  return text.GetLength();
}

UINT CWnd::GetDlgItemInt(int id, BOOL* translated, BOOL isSigned) const {
  CString text;
  GetDlgItemText(id, text);
  text.Trim();
  char* end = nullptr;
  long long value = isSigned ? std::strtoll(text, &end, 10) : static_cast<long long>(std::strtoull(text, &end, 10));
  bool ok = !text.IsEmpty() && end && *end == '\0';
  if (translated) *translated = ok ? TRUE : FALSE;
  return ok ? static_cast<UINT>(value) : 0;
}

void CWnd::SetDlgItemInt(int id, UINT value, BOOL isSigned) {
  CString text;
  if (isSigned) text.Format("%d", static_cast<int>(value)); else text.Format("%u", value);
  SetDlgItemText(id, text);
}

void CWnd::CheckDlgButton(int id, UINT check) { SendDlgItemMessage(id, BM_SETCHECK, check); }

UINT CWnd::IsDlgButtonChecked(int id) const { return static_cast<UINT>(SendDlgItemMessage(id, BM_GETCHECK)); }

void CWnd::CheckRadioButton(int firstId, int lastId, int checkId) {
  for (int id = firstId; id <= lastId; ++id) {
    if (::GetDlgItem(m_hWnd, id)) CheckDlgButton(id, id == checkId ? BST_CHECKED : BST_UNCHECKED);
  }
}

int CWnd::GetCheckedRadioButton(int firstId, int lastId) {
  for (int id = firstId; id <= lastId; ++id) {
    if (::GetDlgItem(m_hWnd, id) && IsDlgButtonChecked(id) == BST_CHECKED) return id;
  }
  return 0;
}

void CWnd::ScreenToClient(LPRECT rect) const {
  ::ScreenToClient(m_hWnd, reinterpret_cast<LPPOINT>(&rect->left));
  ::ScreenToClient(m_hWnd, reinterpret_cast<LPPOINT>(&rect->right));
}

void CWnd::ClientToScreen(LPRECT rect) const {
  ::ClientToScreen(m_hWnd, reinterpret_cast<LPPOINT>(&rect->left));
  ::ClientToScreen(m_hWnd, reinterpret_cast<LPPOINT>(&rect->right));
}

CDC* CWnd::GetDC() {
  HDC dc = ::GetDC(m_hWnd);
  return dc ? CDC::FromHandle(dc) : nullptr;
}

int CWnd::ReleaseDC(CDC* dc) { return dc ? ::ReleaseDC(m_hWnd, dc->m_hDC) : 0; }

CWnd* CWnd::GetTopLevelParent() const {
  HWND hWnd = m_hWnd;
  while (hWnd && (::GetWindowLongPtrA(hWnd, GWL_STYLE) & WS_CHILD)) hWnd = ::GetParent(hWnd);
  return FromHandle(hWnd);
}

int CWnd::MessageBox(LPCSTR text, LPCSTR caption, UINT type) {
  return ::MessageBoxA(m_hWnd, text, caption ? caption : AfxGetAppName(), type);
}

BOOL CWnd::UpdateData(BOOL saveAndValidate) {
  CDataExchange exchange(this, saveAndValidate);
  try {
    DoDataExchange(&exchange);
  } catch (const CUserException&) {
    return FALSE;  // the user was told; the focus is on the failing control
  }
  return TRUE;
}

LRESULT CWnd::Default() { return DefWindowProc(t_current.message, t_current.wParam, t_current.lParam); }

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (m_pfnSuper) return ::CallWindowProcA(m_pfnSuper, m_hWnd, message, wParam, lParam);
  return ::DefWindowProcA(m_hWnd, message, wParam, lParam);
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  // Nothing of this object is touched after the handler: it may have deleted itself.
  LRESULT result = 0;
  if (!OnWndMsg(message, wParam, lParam, &result)) result = DefWindowProc(message, wParam, lParam);
  return result;
}

BOOL CWnd::PreTranslateMessage(MSG*) { return FALSE; }

BOOL CWnd::OnCommand(WPARAM, LPARAM) { return FALSE; }

BOOL CWnd::OnNotify(WPARAM, LPARAM, LRESULT*) { return FALSE; }

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  LRESULT r = 0;
  switch (message) {
    case WM_COMMAND:
      if (!OnCommand(wParam, lParam)) return FALSE;
      break;
    case WM_NOTIFY:
      if (!OnNotify(wParam, lParam, &r)) return FALSE;
      break;
    case WM_CREATE: r = OnCreate(reinterpret_cast<LPCREATESTRUCT>(lParam)); break;
    case WM_DESTROY: OnDestroy(); break;
    case WM_CLOSE: OnClose(); break;
    case WM_SIZE: OnSize(static_cast<UINT>(wParam), LOWORD(lParam), HIWORD(lParam)); break;
    case WM_MOVE: OnMove(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)); break;
    case WM_SHOWWINDOW: OnShowWindow(static_cast<BOOL>(wParam), static_cast<UINT>(lParam)); break;
    case WM_TIMER: OnTimer(wParam); break;
    case WM_PAINT: OnPaint(); break;
    case WM_ERASEBKGND: r = OnEraseBkgnd(CDC::FromHandle(reinterpret_cast<HDC>(wParam))); break;
    case WM_GETMINMAXINFO: OnGetMinMaxInfo(reinterpret_cast<MINMAXINFO*>(lParam)); break;
    case WM_SYSCOMMAND: OnSysCommand(static_cast<UINT>(wParam), lParam); break;
    case WM_LBUTTONDOWN: OnLButtonDown(static_cast<UINT>(wParam), CPoint(lParam)); break;
    case WM_LBUTTONUP: OnLButtonUp(static_cast<UINT>(wParam), CPoint(lParam)); break;
    case WM_LBUTTONDBLCLK: OnLButtonDblClk(static_cast<UINT>(wParam), CPoint(lParam)); break;
    case WM_RBUTTONDOWN: OnRButtonDown(static_cast<UINT>(wParam), CPoint(lParam)); break;
    case WM_RBUTTONUP: OnRButtonUp(static_cast<UINT>(wParam), CPoint(lParam)); break;
    case WM_MOUSEMOVE: OnMouseMove(static_cast<UINT>(wParam), CPoint(lParam)); break;
    case WM_MOUSEWHEEL: r = OnMouseWheel(LOWORD(wParam), static_cast<short>(HIWORD(wParam)), CPoint(lParam)); break;
    case WM_KEYDOWN: OnKeyDown(static_cast<UINT>(wParam), LOWORD(lParam), HIWORD(lParam)); break;
    case WM_KEYUP: OnKeyUp(static_cast<UINT>(wParam), LOWORD(lParam), HIWORD(lParam)); break;
    case WM_CHAR: OnChar(static_cast<UINT>(wParam), LOWORD(lParam), HIWORD(lParam)); break;
    case WM_DROPFILES: OnDropFiles(reinterpret_cast<HDROP>(wParam)); break;
    case WM_SETCURSOR:
      r = OnSetCursor(FromHandle(reinterpret_cast<HWND>(wParam)), LOWORD(lParam), HIWORD(lParam));
      break;
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
      r = reinterpret_cast<LRESULT>(OnCtlColor(CDC::FromHandle(reinterpret_cast<HDC>(wParam)),
                                               FromHandle(reinterpret_cast<HWND>(lParam)), message - WM_CTLCOLORMSGBOX));
      // Unanswered: the control may colour itself (reflected to its own CWnd).
      if (!r && lParam) {
        if (CWnd* child = FromHandlePermanent(reinterpret_cast<HWND>(lParam)); child && child != this)
          r = reinterpret_cast<LRESULT>(
              child->CtlColor(CDC::FromHandle(reinterpret_cast<HDC>(wParam)), message - WM_CTLCOLORMSGBOX));
      }
      break;
    case WM_HSCROLL:
      OnHScroll(LOWORD(wParam), HIWORD(wParam), FromHandle(reinterpret_cast<HWND>(lParam)));
      break;
    case WM_VSCROLL:
      OnVScroll(LOWORD(wParam), HIWORD(wParam), FromHandle(reinterpret_cast<HWND>(lParam)));
      break;
    case WM_SETFOCUS: OnSetFocus(FromHandle(reinterpret_cast<HWND>(wParam))); break;
    case WM_KILLFOCUS: OnKillFocus(FromHandle(reinterpret_cast<HWND>(wParam))); break;
    default: return FALSE;
  }
  *result = r;
  return TRUE;
}
