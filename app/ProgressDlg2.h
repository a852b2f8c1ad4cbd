// CProgressDlg2: the titled progress-bar window run modally while the photobooth's processing
// and printing workers work. Workers send WM_PROGRESS_TEXT (lParam: the text), post
// WM_PROGRESS_POS and finally call PostClose; its
// Cancel button (and Escape, when cancelling is allowed) posts WM_PROGRESS_CANCEL to the owner,
// whose worker then closes the window.
#pragma once

#include <atomic>

#include "platform/mfc/afxwin.h"

class CProgressDlg2 : public CDialog {
 public:
  explicit CProgressDlg2(CWnd* parent = nullptr);

  /// Closes the window from any thread; a window not yet open closes as soon as it opens.
  void PostClose();
  /// Forgets an earlier PostClose before the dialog is run again.
  void ResetFinished() { m_bFinished = false; }
  /// The window while it is open, from any thread; NULL before and after.
  HWND GetOpenWindow() const { return m_hWndOpen.load(); }

  BOOL OnInitDialog() override;
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
  void OnCancel() override;

  CProgressCtrl m_progress;
  CString m_strTitle;
  bool m_bCancelAllowed = false;
  int m_nVerticalPos = -1;
  bool m_bVisible = true;  // false: a zero-size window that only keeps the modal loop
  bool m_bShowBar = true;  // the bar beside the text line
  CString m_strText;       // the text line, kept for the window's whole run

 protected:
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
  void OnSize(UINT type, int cx, int cy) override;
  void OnDestroy() override;

 private:
  void PostCancelToParent();
  void ApplyVerticalPos();
  std::atomic<bool> m_bFinished{false};
  std::atomic<HWND> m_hWndOpen{nullptr};
};
