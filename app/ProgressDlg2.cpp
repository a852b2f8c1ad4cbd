#include "app/ProgressDlg2.h"

#include "app/Resource.h"
#include "app/ViewMessages.h"

namespace {

void RegisterProgress2Template() {
  using K = DlgItemKind;
  AfxRegisterDialogTemplate({IDD_PROGRESS2,
                             "Title",
                             {{IDC_PROGRESS_TEXT, K::Label, ""},
                              {IDC_PROGRESS_BAR, K::Progress, nullptr, nullptr, 0, 100},
                              {IDC_PROGRESS_CANCEL, K::Button, "Cancel"}}});
}

}  // namespace

CProgressDlg2::CProgressDlg2(CWnd* parent) : CDialog(IDD_PROGRESS2, parent) { RegisterProgress2Template(); }

void CProgressDlg2::PostClose() {
  m_bFinished = true;
  if (HWND window = m_hWndOpen.load()) ::PostMessageA(window, WM_PROGRESS_CLOSE, 0, 0);
}

BOOL CProgressDlg2::OnInitDialog() {
  CDialog::OnInitDialog();
  if (!m_progress.m_hWnd) m_progress.SubclassDlgItem(IDC_PROGRESS_BAR, this);
  m_progress.SetRange(0, 100);
  SetWindowText(m_strTitle.IsEmpty() ? "Title" : m_strTitle.GetString());
  if (CWnd* cancel = GetDlgItem(IDC_PROGRESS_CANCEL)) cancel->ShowWindow(m_bCancelAllowed ? SW_SHOW : SW_HIDE);
  if (CWnd* text = GetDlgItem(IDC_PROGRESS_TEXT)) text->SetWindowText(m_strText);
  m_progress.ShowWindow(m_bShowBar ? SW_SHOW : SW_HIDE);
  if (!m_bVisible)
    SetWindowPos(nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOZORDER);
  else
    ApplyVerticalPos();

  m_hWndOpen = m_hWnd;
  if (m_bFinished) EndDialog(0);
  return TRUE;
}

void CProgressDlg2::ApplyVerticalPos() {
  if (m_nVerticalPos < 0 || !m_hWnd) return;
  CRect window;
  GetWindowRect(&window);
  if (window.top != m_nVerticalPos) SetWindowPos(nullptr, window.left, m_nVerticalPos, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

void CProgressDlg2::OnSize(UINT type, int cx, int cy) {
  CDialog::OnSize(type, cx, cy);
  if (m_bVisible) ApplyVerticalPos();
}

void CProgressDlg2::OnDestroy() {
  m_hWndOpen = nullptr;
  if (m_progress.m_hWnd) m_progress.UnsubclassWindow();
  CDialog::OnDestroy();
}

void CProgressDlg2::PostCancelToParent() {
  CWnd* parent = m_pParentWnd ? m_pParentWnd : GetParent();
  if (parent && parent->m_hWnd) parent->PostMessage(WM_PROGRESS_CANCEL);
}

BOOL CProgressDlg2::OnCommand(WPARAM wParam, LPARAM lParam) {
  if (LOWORD(wParam) == IDC_PROGRESS_CANCEL) {
    PostCancelToParent();
    return TRUE;
  }
  return CDialog::OnCommand(wParam, lParam);
}

// Escape asks the owner to cancel; the window itself stays until the worker closes it.
void CProgressDlg2::OnCancel() {
  if (m_bCancelAllowed) PostCancelToParent();
}

LRESULT CProgressDlg2::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_PROGRESS_POS) {
    if (m_progress.m_hWnd) {
      m_progress.ShowWindow(m_bVisible && m_bShowBar ? SW_SHOW : SW_HIDE);
      m_progress.SetPos(static_cast<int>(wParam));
    }
    return 0;
  }
  // Sent by the worker: the text is read before the call returns.
  if (message == WM_PROGRESS_TEXT) {
    // Showing the window may have placed it anew; each text puts it back where it belongs.
    if (m_bVisible) ApplyVerticalPos();
    if (lParam) {
      m_strText = reinterpret_cast<const char*>(lParam);
      if (CWnd* text = GetDlgItem(IDC_PROGRESS_TEXT)) text->SetWindowText(m_strText);
    }
    return 0;
  }
  if (message == WM_PROGRESS_CLOSE) EndDialog(0);
  return CDialog::WindowProc(message, wParam, lParam);
}
