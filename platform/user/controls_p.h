// Private: the built-in control classes. Each control is a Qt widget run by a window
// procedure that answers the class's messages and notifies the parent by WM_COMMAND/WM_NOTIFY.
#pragma once

#include <QWidget>
#include <string>

#include "platform/user/window_p.h"
#include "platform/user/winmsg.h"

namespace user_p {

struct BuiltinClass {
  const char* name;  // lower case
  WNDPROC proc;
  QWidget* (*create)(HWND hwnd, DWORD style, QWidget* parent);
};

/// The built-in class of that (lower-case) name, or NULL.
const BuiltinClass* FindBuiltinClass(const std::string& lowerName);

/// Sends a WM_COMMAND notification from a control to its parent.
void NotifyParent(HWND control, WORD code);
/// Sends a WM_NOTIFY with a bare NMHDR from a control to its parent.
void NotifyParentNm(HWND control, UINT code);

/// WM_GETTEXT into the caller's buffer (lParam, wParam characters with the terminator).
LRESULT CopyTextOut(const std::string& text, WPARAM size, LPARAM buffer);
/// The text a WM_SETTEXT-like message carries (NULL is empty).
inline std::string TextIn(LPARAM text) { return text ? reinterpret_cast<const char*>(text) : ""; }

/// The Qt widget of a control, cast to its kind; NULL when it has none or another kind.
template <typename Widget>
Widget* ControlWidget(HWND hWnd) {
  return qobject_cast<Widget*>(WidgetOf(hWnd));
}

LRESULT CALLBACK ButtonProc(HWND, UINT, WPARAM, LPARAM);
QWidget* CreateButton(HWND, DWORD, QWidget*);
LRESULT CALLBACK EditProc(HWND, UINT, WPARAM, LPARAM);
QWidget* CreateEdit(HWND, DWORD, QWidget*);
LRESULT CALLBACK StaticProc(HWND, UINT, WPARAM, LPARAM);
QWidget* CreateStatic(HWND, DWORD, QWidget*);
LRESULT CALLBACK ComboBoxProc(HWND, UINT, WPARAM, LPARAM);
QWidget* CreateComboBox(HWND, DWORD, QWidget*);
LRESULT CALLBACK ListBoxProc(HWND, UINT, WPARAM, LPARAM);
QWidget* CreateListBox(HWND, DWORD, QWidget*);
LRESULT CALLBACK TrackbarProc(HWND, UINT, WPARAM, LPARAM);
QWidget* CreateTrackbar(HWND, DWORD, QWidget*);
LRESULT CALLBACK UpDownProc(HWND, UINT, WPARAM, LPARAM);
QWidget* CreateUpDown(HWND, DWORD, QWidget*);
LRESULT CALLBACK StatusBarProc(HWND, UINT, WPARAM, LPARAM);
QWidget* CreateStatusBar(HWND, DWORD, QWidget*);
LRESULT CALLBACK ProgressProc(HWND, UINT, WPARAM, LPARAM);
QWidget* CreateProgress(HWND, DWORD, QWidget*);

}  // namespace user_p
