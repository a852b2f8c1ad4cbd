#include "platform/mfc/dialog.h"

#include <QApplication>
#include <QLineEdit>
#include <QWidget>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/mfc/dialogscript.h"
#include "platform/mfc/winapp.h"
#include "platform/user/threadqueue_p.h"
#include "platform/user/window_p.h"
#include "platform/win32/sync.h"
#include "platform/win32/trace.h"

namespace {

std::string ClassOf(HWND hWnd) {
  char name[32] = {0};
  ::GetClassNameA(hWnd, name, sizeof(name));
  return name;
}

bool IsPushButton(HWND hWnd) {
  DWORD kind = static_cast<DWORD>(::GetWindowLongPtrA(hWnd, GWL_STYLE)) & BS_TYPEMASK;
  return ClassOf(hWnd) == "button" && (kind == BS_PUSHBUTTON || kind == BS_DEFPUSHBUTTON);
}

// A script that names a control the dialog lacks would test nothing: it stops the run.
[[noreturn]] void ScriptFault(UINT dialog, int id, const char* what) {
  std::fprintf(stderr, "DialogScript: dialog %u: control %d %s\n", dialog, id, what);
  std::fflush(stderr);
  std::abort();
}

// The dialog whose control that is (a page inside a sheet, or the dialog itself).
HWND DialogOwning(HWND control, HWND fallback) {
  for (HWND up = control ? ::GetParent(control) : nullptr; up; up = ::GetParent(up)) {
    if (dynamic_cast<CDialog*>(CWnd::FromHandlePermanent(up))) return up;
  }
  return fallback;
}

// A dialog that grows once shown (a list filled, a control shown) stays centred and wholly on
// the screen, as long as it stands where it was centred.
class KeepCentred : public QObject {
 public:
  KeepCentred(QWidget* window, HWND hWnd) : QObject(window), m_hWnd(hWnd) { window->installEventFilter(this); }

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Resize) {
      if (auto* dialog = dynamic_cast<CDialog*>(CWnd::FromHandlePermanent(m_hWnd))) dialog->KeepCentredOnResize();
    }
    return false;
  }

 private:
  HWND m_hWnd;
};

}  // namespace

BOOL CDialog::CreateDialogWindow(const DlgTemplate& dialogTemplate) {
  CWnd* parent = m_pParentWnd ? m_pParentWnd : AfxGetMainWnd();
  HWND owner = parent ? parent->GetTopLevelParent()->GetSafeHwnd() : nullptr;
  // A template made as a bare popup (full-screen screens) gets no title bar.
  bool bare = (dialogTemplate.style & WS_POPUP) && !(dialogTemplate.style & WS_CAPTION);
  DWORD style = bare ? WS_POPUP : WS_POPUP | WS_CAPTION | WS_SYSMENU;
  if (!CreateEx(0, "#32770", dialogTemplate.caption, style, CW_USEDEFAULT,
                CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr)) {
    return FALSE;
  }
  // A bare popup without controls draws itself at whatever size it takes: no form to fit.
  if (bare && dialogTemplate.items.empty()) return TRUE;
  if (!AfxBuildDialogControls(m_hWnd, dialogTemplate, FALSE)) {
    TRACE("CDialog::CreateDialogWindow() - a control of dialog %u could not be made\n", dialogTemplate.id);
  }
  // The dialog's procedure was attached only after the window was made: ask for its limits now.
  user_p::ApplyMinMaxInfo(m_hWnd);
  CenterWindow();
  RECT placed{};
  if (::GetWindowRect(m_hWnd, &placed)) m_ptCentred = {placed.left, placed.top};
  if (QWidget* widget = user_p::WidgetOf(m_hWnd)) new KeepCentred(widget, m_hWnd);
  return TRUE;
}

void CDialog::KeepCentredOnResize() {
  RECT placed{};
  if (m_bCentring || IsZoomed() || !::GetWindowRect(m_hWnd, &placed)) return;
  if (placed.left != m_ptCentred.x || placed.top != m_ptCentred.y) return;
  m_bCentring = true;
  CenterWindow();
  if (::GetWindowRect(m_hWnd, &placed)) m_ptCentred = {placed.left, placed.top};
  m_bCentring = false;
}

void CDialog::PlaceBeforeShowing() {
  if (!m_hWnd) return;
  AfxFitDialogToScreen(m_hWnd);
  if (IsZoomed()) {
    // Without a window manager nothing takes a maximised dialog to the screen's free area.
    RECT work{}, placed{};
    if (::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0) && ::GetWindowRect(m_hWnd, &placed) &&
        (placed.left < work.left || placed.top < work.top || placed.right > work.right || placed.bottom > work.bottom)) {
      ::MoveWindow(m_hWnd, work.left, work.top, work.right - work.left, work.bottom - work.top, TRUE);
      if (!IsZoomed()) ShowWindow(SW_SHOWMAXIMIZED);
    }
    return;
  }
  KeepCentredOnResize();
}

INT_PTR CDialog::DoModal() {
  if (!IsUiThread()) {
    INT_PTR result = -1;
    return user_p::RunOnUiThread([&] { result = DoModal(); }) ? result : -1;
  }
  const DlgTemplate* dialogTemplate = AfxFindDialogTemplate(m_nIDTemplate);
  if (!dialogTemplate) {
    TRACE("CDialog::DoModal() - no dialog template %u\n", m_nIDTemplate);
    return -1;
  }
  m_modal = true;
  m_ended = FALSE;
  m_result = -1;
  if (!CreateDialogWindow(*dialogTemplate)) return -1;
  if (QWidget* widget = user_p::WidgetOf(m_hWnd)) widget->setWindowModality(Qt::ApplicationModal);

  DialogScript script;
  bool scripted = mfc_p::TakeDialogScript(m_nIDTemplate, &script);
  if (SendMessage(WM_INITDIALOG, 0, 0)) NextDlgCtrl();
  if (!m_ended) {
    PlaceBeforeShowing();
    if (scripted) {
      ShowWindow(SW_SHOW);
      PlayScript(script);
      if (!m_ended) EndDialog(IDCANCEL);  // the script ran out with the dialog still open
    } else if (IsUserTestRun()) {
      EndDialog(IDCANCEL);  // nobody to answer it
    } else {
      ShowWindow(SW_SHOW);
      RunModalLoop(&m_ended);
    }
  }
  CString caption;
  if (m_hWnd) GetWindowText(caption);
  mfc_p::RecordShownDialog({m_nIDTemplate, caption.str(), m_result, scripted});
  if (m_hWnd) DestroyWindow();
  m_modal = false;
  return m_result;
}

BOOL CDialog::Create(UINT templateId, CWnd* parent) {
  if (!IsUiThread()) {
    BOOL result = FALSE;
    return user_p::RunOnUiThread([&] { result = Create(templateId, parent); }) ? result : FALSE;
  }
  m_nIDTemplate = templateId;
  if (parent) m_pParentWnd = parent;
  const DlgTemplate* dialogTemplate = AfxFindDialogTemplate(templateId);
  if (!dialogTemplate || !CreateDialogWindow(*dialogTemplate)) return FALSE;
  m_modal = false;
  if (SendMessage(WM_INITDIALOG, 0, 0)) NextDlgCtrl();
  PlaceBeforeShowing();
  if (m_hWnd && (dialogTemplate->style & WS_VISIBLE)) ShowWindow(SW_SHOW);
  return m_hWnd != nullptr;
}

BOOL EndDialog(HWND dialog, INT_PTR result) {
  auto* wnd = dynamic_cast<CDialog*>(CWnd::FromHandlePermanent(dialog));
  if (!wnd) return FALSE;
  wnd->EndDialog(static_cast<int>(result));
  return TRUE;
}

void CDialog::EndDialog(int result) {
  m_result = result;
  if (!m_modal) {
    if (m_hWnd) ShowWindow(SW_HIDE);
    return;
  }
  m_ended = TRUE;
  ::PostMessageA(nullptr, WM_NULL, 0, 0);  // lets the modal loop look at its flag
}

BOOL CDialog::OnInitDialog() {
  UpdateData(FALSE);
  return TRUE;
}

void CDialog::OnOK() {
  if (!UpdateData(TRUE)) return;
  EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

void CDialog::GotoDlgCtrl(CWnd* control) {
  if (!control) return;
  control->SetFocus();
  if (ClassOf(control->m_hWnd) == "edit") control->SendMessage(EM_SETSEL, 0, -1);
}

void CDialog::NextDlgCtrl() const {
  if (QWidget* widget = user_p::WidgetOf(m_hWnd)) {
    QWidget* focus = QApplication::focusWidget();
    QWidget* start = focus && widget->isAncestorOf(focus) ? focus : widget;
    for (QWidget* next = start->nextInFocusChain(); next && next != start; next = next->nextInFocusChain()) {
      if (widget->isAncestorOf(next) && next->isEnabled() && (next->focusPolicy() & Qt::TabFocus)) {
        next->setFocus(Qt::TabFocusReason);
        // A field reached from the keyboard has its text selected, ready to be typed over,
        // also when the window is not shown yet and so gets no focus event of its own.
        if (auto* line = qobject_cast<QLineEdit*>(next)) line->selectAll();
        break;
      }
    }
  }
}

void CDialog::PrevDlgCtrl() const {
  QWidget* focus = QApplication::focusWidget();
  if (focus) focus->previousInFocusChain()->setFocus(Qt::BacktabFocusReason);
}

BOOL CDialog::PreTranslateMessage(MSG* msg) {
  if (msg->message != WM_KEYDOWN) return FALSE;
  if (msg->wParam == VK_ESCAPE) {
    SendMessage(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    return TRUE;
  }
  if (msg->wParam == VK_RETURN) {
    HWND focus = msg->hwnd;
    if (ClassOf(focus) == "edit" && (::GetWindowLongPtrA(focus, GWL_STYLE) & ES_WANTRETURN)) return FALSE;
    if (IsPushButton(focus)) {
      ::SendMessageA(focus, BM_CLICK, 0, 0);
      return TRUE;
    }
    int id = IDOK;
    for (HWND child = ::GetWindow(m_hWnd, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
      if (IsPushButton(child) && (::GetWindowLongPtrA(child, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON) {
        id = ::GetDlgCtrlID(child);
        break;
      }
    }
    SendMessage(WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
    return TRUE;
  }
  return FALSE;
}

BOOL CDialog::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  if (message == WM_INITDIALOG) {
    *result = OnInitDialog();
    return TRUE;
  }
  if (message == WM_SYSCOMMAND && (wParam & 0xFFF0) == SC_CLOSE) {
    // The title bar's close box is Cancel for a dialog.
    SendMessage(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    *result = 0;
    return TRUE;
  }
  return CWnd::OnWndMsg(message, wParam, lParam, result);
}

BOOL CDialog::OnCommand(WPARAM wParam, LPARAM) {
  if (HIWORD(wParam) != BN_CLICKED) return FALSE;
  switch (LOWORD(wParam)) {
    case IDOK: OnOK(); return TRUE;
    case IDCANCEL: OnCancel(); return TRUE;
  }
  return FALSE;
}

void CDialog::PlayScript(const DialogScript& script) {
  for (const DialogScript::Step& step : script.m_steps) {
    if (m_ended || !m_hWnd) break;
    HWND control = FindScriptControl(step.id);
    HWND owner = DialogOwning(control, m_hWnd);
    const bool setsControl = step.kind == DialogScript::Step::Text || step.kind == DialogScript::Step::Check ||
                             step.kind == DialogScript::Step::Select || step.kind == DialogScript::Step::Pos;
    if (setsControl && !control) ScriptFault(m_nIDTemplate, step.id, "does not exist");
    if (step.kind == DialogScript::Step::Press && control && !IsPushButton(control))
      ScriptFault(m_nIDTemplate, step.id, "is no push button (SetCheck a check box or radio button)");
    switch (step.kind) {
      case DialogScript::Step::Text: ::SetWindowTextA(control, step.text.c_str()); break;
      case DialogScript::Step::Check:
        // A click, as the user would, so that the dialog hears of it.
        if (control && ::SendMessageA(control, BM_GETCHECK, 0, 0) != step.value) ::SendMessageA(control, BM_CLICK, 0, 0);
        if (control && ::SendMessageA(control, BM_GETCHECK, 0, 0) != step.value) {
          ::SendMessageA(control, BM_SETCHECK, static_cast<WPARAM>(step.value), 0);
        }
        break;
      case DialogScript::Step::Select:
        if (ClassOf(control) == "listbox") {
          ::SendMessageA(control, LB_SETCURSEL, static_cast<WPARAM>(step.value), 0);
          ::SendMessageA(owner, WM_COMMAND, MAKEWPARAM(step.id, LBN_SELCHANGE), reinterpret_cast<LPARAM>(control));
        } else {
          ::SendMessageA(control, CB_SETCURSEL, static_cast<WPARAM>(step.value), 0);
          ::SendMessageA(owner, WM_COMMAND, MAKEWPARAM(step.id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(control));
        }
        break;
      case DialogScript::Step::Pos:
        ::SendMessageA(control, TBM_SETPOS, TRUE, step.value);
        ::SendMessageA(owner, WM_HSCROLL, MAKEWPARAM(TB_THUMBPOSITION, step.value), reinterpret_cast<LPARAM>(control));
        ::SendMessageA(owner, WM_HSCROLL, MAKEWPARAM(TB_ENDTRACK, step.value), reinterpret_cast<LPARAM>(control));
        break;
      case DialogScript::Step::Press:
        if (control && IsPushButton(control) && ::IsWindowEnabled(control)) {
          ::SendMessageA(control, BM_CLICK, 0, 0);
        } else if (!control) {
          SendMessage(WM_COMMAND, MAKEWPARAM(step.id, BN_CLICKED), 0);
        }
        break;
      case DialogScript::Step::Call:
        if (step.call) step.call(this);
        break;
      case DialogScript::Step::Until: {
        // Bounded, so a script waiting for something that never comes cannot hang a test run.
        ULONGLONG deadline = GetTickCount64() + 30000;
        while (!m_ended && step.condition && !step.condition() && GetTickCount64() < deadline) {
          QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        }
        break;
      }
    }
  }
}
