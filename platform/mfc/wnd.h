// CWnd: a C++ object bound to a window. Messages reach WindowProc, which hands the common ones
// to the virtual On... handlers below (override them in a derived class; each default runs
// the window's default procedure), WM_COMMAND to OnCommand and WM_NOTIFY to OnNotify.
#pragma once

#include "platform/mfc/atltypes.h"
#include "platform/mfc/cstring.h"
#include "platform/mfc/object.h"
#include "platform/user/winuser.h"

class CDC;
class CDataExchange;
class CWnd;
// Scroll notifications name their control as a plain window: the control a slider handler
// gets need not be a scroll bar object.
using CScrollBar = CWnd;

class CWnd : public CObject {
 public:
  CWnd();
  CWnd(const CWnd&) = delete;
  CWnd& operator=(const CWnd&) = delete;
  /// Destroys the window if it still exists.
  ~CWnd() override;

  HWND m_hWnd = nullptr;

  HWND GetSafeHwnd() const { return m_hWnd; }
  operator HWND() const { return GetSafeHwnd(); }

  /// The CWnd bound to the window; for a window without one, a temporary wrapper that lives
  /// until the window is destroyed. NULL for NULL or an unknown window.
  static CWnd* FromHandle(HWND hWnd);
  /// The CWnd bound by Attach, SubclassWindow or creation; NULL otherwise.
  static CWnd* FromHandlePermanent(HWND hWnd);
  /// FALSE when this object already has a window or the window has a CWnd.
  BOOL Attach(HWND hWnd);
  HWND Detach();
  /// Routes the window's messages through this object (its old procedure stays the default).
  BOOL SubclassWindow(HWND hWnd);
  BOOL SubclassDlgItem(UINT id, CWnd* parent);
  HWND UnsubclassWindow();

  /// Creates the window (class NULL: a plain window class of this library). FALSE on failure.
  virtual BOOL CreateEx(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y, int width,
                        int height, HWND parent, HMENU idOrMenu, LPVOID param = nullptr);
  virtual BOOL Create(LPCSTR className, LPCSTR windowName, DWORD style, const RECT& rect, CWnd* parent, UINT id,
                      LPVOID param = nullptr);
  virtual BOOL DestroyWindow();

  BOOL ShowWindow(int command) { return ::ShowWindow(m_hWnd, command); }
  BOOL IsWindowVisible() const { return ::IsWindowVisible(m_hWnd); }
  BOOL EnableWindow(BOOL enable = TRUE) { return ::EnableWindow(m_hWnd, enable); }
  BOOL IsWindowEnabled() const { return ::IsWindowEnabled(m_hWnd); }
  void MoveWindow(int x, int y, int width, int height, BOOL repaint = TRUE) {
    ::MoveWindow(m_hWnd, x, y, width, height, repaint);
  }
  void MoveWindow(LPCRECT rect, BOOL repaint = TRUE) {
    ::MoveWindow(m_hWnd, rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top, repaint);
  }
  BOOL SetWindowPos(const CWnd* insertAfter, int x, int y, int cx, int cy, UINT flags);
  static const CWnd wndTop;
  static const CWnd wndBottom;
  static const CWnd wndTopMost;
  static const CWnd wndNoTopMost;
  void CenterWindow(CWnd* alternateOwner = nullptr);
  BOOL IsIconic() const { return ::IsIconic(m_hWnd); }
  BOOL IsZoomed() const { return ::IsZoomed(m_hWnd); }

  void SetWindowText(LPCSTR text) { ::SetWindowTextA(m_hWnd, text); }
  int GetWindowText(LPSTR text, int maxCount) const { return ::GetWindowTextA(m_hWnd, text, maxCount); }
  void GetWindowText(CString& text) const;
  int GetWindowTextLength() const { return ::GetWindowTextLengthA(m_hWnd); }

  DWORD GetStyle() const { return static_cast<DWORD>(::GetWindowLongPtrA(m_hWnd, GWL_STYLE)); }
  DWORD GetExStyle() const { return static_cast<DWORD>(::GetWindowLongPtrA(m_hWnd, GWL_EXSTYLE)); }
  BOOL ModifyStyle(DWORD remove, DWORD add, UINT flags = 0);
  BOOL ModifyStyleEx(DWORD remove, DWORD add, UINT flags = 0);
  BOOL SetLayeredWindowAttributes(COLORREF key, BYTE alpha, DWORD flags) {
    return ::SetLayeredWindowAttributes(m_hWnd, key, alpha, flags);
  }

  /// The child with that id (temporary wrapper when it has no CWnd), or NULL.
  CWnd* GetDlgItem(int id) const;
  int GetDlgCtrlID() const { return ::GetDlgCtrlID(m_hWnd); }
  void SetDlgItemText(int id, LPCSTR text) { ::SetDlgItemTextA(m_hWnd, id, text); }
  int GetDlgItemText(int id, CString& text) const;
  /// FALSE in *translated when the text is not a number.
  UINT GetDlgItemInt(int id, BOOL* translated = nullptr, BOOL isSigned = TRUE) const;
  void SetDlgItemInt(int id, UINT value, BOOL isSigned = TRUE);
  void CheckDlgButton(int id, UINT check);
  UINT IsDlgButtonChecked(int id) const;
  void CheckRadioButton(int firstId, int lastId, int checkId);
  /// The id of the checked radio button in [firstId, lastId], or 0.
  int GetCheckedRadioButton(int firstId, int lastId);
  LRESULT SendDlgItemMessage(int id, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
    return ::SendDlgItemMessageA(m_hWnd, id, message, wParam, lParam);
  }

  void GetClientRect(LPRECT rect) const { ::GetClientRect(m_hWnd, rect); }
  void GetWindowRect(LPRECT rect) const { ::GetWindowRect(m_hWnd, rect); }
  void ScreenToClient(LPPOINT point) const { ::ScreenToClient(m_hWnd, point); }
  void ScreenToClient(LPRECT rect) const;
  void ClientToScreen(LPPOINT point) const { ::ClientToScreen(m_hWnd, point); }
  void ClientToScreen(LPRECT rect) const;

  void Invalidate(BOOL erase = TRUE) { ::InvalidateRect(m_hWnd, nullptr, erase); }
  void InvalidateRect(LPCRECT rect, BOOL erase = TRUE) { ::InvalidateRect(m_hWnd, rect, erase); }
  void UpdateWindow() { ::UpdateWindow(m_hWnd); }
  /// A DC on the client area (any thread); give it back with ReleaseDC. NULL on failure.
  CDC* GetDC();
  int ReleaseDC(CDC* dc);

  CWnd* SetFocus() { return FromHandle(::SetFocus(m_hWnd)); }
  static CWnd* GetFocus() { return FromHandle(::GetFocus()); }
  CWnd* SetCapture() { return FromHandle(::SetCapture(m_hWnd)); }
  static CWnd* GetCapture() { return FromHandle(::GetCapture()); }
  BOOL SetForegroundWindow() { return ::SetForegroundWindow(m_hWnd); }
  CWnd* GetParent() const { return FromHandle(::GetParent(m_hWnd)); }
  /// The top-level window this one sits in (itself when it is top-level).
  CWnd* GetTopLevelParent() const;
  void DragAcceptFiles(BOOL accept = TRUE) { ::DragAcceptFiles(m_hWnd, accept); }
  BOOL SetMenu(HMENU menu) { return ::SetMenu(m_hWnd, menu); }
  HMENU GetMenu() const { return ::GetMenu(m_hWnd); }

  LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
    return ::SendMessageA(m_hWnd, message, wParam, lParam);
  }
  BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
    return ::PostMessageA(m_hWnd, message, wParam, lParam);
  }
  UINT_PTR SetTimer(UINT_PTR id, UINT elapse, TIMERPROC callback = nullptr) {
    return ::SetTimer(m_hWnd, id, elapse, callback);
  }
  BOOL KillTimer(UINT_PTR id) { return ::KillTimer(m_hWnd, id); }
  /// A message box owned by this window; a NULL caption is the application's name.
  int MessageBox(LPCSTR text, LPCSTR caption = nullptr, UINT type = MB_OK);

  /// Moves data between the controls and the members (DoDataExchange). FALSE when a value
  /// was refused; the user has been told and the focus is on the failing control.
  BOOL UpdateData(BOOL saveAndValidate = TRUE);

  virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
  virtual BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
  virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
  /// TRUE when the message was handled before dispatch (accelerators, dialog keys).
  virtual BOOL PreTranslateMessage(MSG* msg);
  virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
  virtual BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result);
  /// Called after the window is gone (WM_NCDESTROY); frames and views delete themselves here.
  virtual void PostNcDestroy() {}
  virtual void DoDataExchange(CDataExchange*) {}

 protected:
  /// Runs the default procedure on the message being handled.
  LRESULT Default();

  virtual int OnCreate(LPCREATESTRUCT) { return static_cast<int>(Default()); }
  virtual void OnDestroy() { Default(); }
  virtual void OnClose() { Default(); }
  virtual void OnSize(UINT, int, int) { Default(); }
  virtual void OnMove(int, int) { Default(); }
  virtual void OnShowWindow(BOOL, UINT) { Default(); }
  virtual void OnTimer(UINT_PTR) { Default(); }
  virtual void OnPaint() { Default(); }
  virtual BOOL OnEraseBkgnd(CDC*) { return static_cast<BOOL>(Default()); }
  virtual void OnGetMinMaxInfo(MINMAXINFO*) { Default(); }
  virtual void OnSysCommand(UINT, LPARAM) { Default(); }
  virtual void OnLButtonDown(UINT, CPoint) { Default(); }
  virtual void OnLButtonUp(UINT, CPoint) { Default(); }
  virtual void OnLButtonDblClk(UINT, CPoint) { Default(); }
  virtual void OnRButtonDown(UINT, CPoint) { Default(); }
  virtual void OnRButtonUp(UINT, CPoint) { Default(); }
  virtual void OnMouseMove(UINT, CPoint) { Default(); }
  virtual BOOL OnMouseWheel(UINT, short, CPoint) { return static_cast<BOOL>(Default()); }
  virtual void OnKeyDown(UINT, UINT, UINT) { Default(); }
  virtual void OnKeyUp(UINT, UINT, UINT) { Default(); }
  virtual void OnChar(UINT, UINT, UINT) { Default(); }
  virtual void OnDropFiles(HDROP drop) {
    Default();
    DragFinish(drop);
  }
  virtual BOOL OnSetCursor(CWnd*, UINT, UINT) { return static_cast<BOOL>(Default()); }
  virtual HBRUSH OnCtlColor(CDC*, CWnd*, UINT) { return reinterpret_cast<HBRUSH>(Default()); }
  /// A control's own colours, asked when its parent gave no brush for it (NULL: none).
  virtual HBRUSH CtlColor(CDC*, UINT) { return nullptr; }
  virtual void OnHScroll(UINT, UINT, CScrollBar*) { Default(); }
  virtual void OnVScroll(UINT, UINT, CScrollBar*) { Default(); }
  virtual void OnSetFocus(CWnd*) { Default(); }
  virtual void OnKillFocus(CWnd*) { Default(); }

  WNDPROC m_pfnSuper = nullptr;  // the procedure a subclassed window had

 private:
  friend LRESULT CALLBACK AfxWndProc(HWND, UINT, WPARAM, LPARAM);
  bool m_temporary = false;
};

/// The procedure of every window a CWnd owns.
LRESULT CALLBACK AfxWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
