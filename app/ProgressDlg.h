// CProgressDlg: the connection window (splash picture and one status line) run modally while
// the connect worker looks for the camera. Workers only post to it: WM_PROGRESS_TEXT with a
// text, and PostClose when they finish.
#pragma once

#include <atomic>

#include "platform/mfc/afxwin.h"

class CProgressDlg : public CDialog {
 public:
  explicit CProgressDlg(CWnd* parent = nullptr);
  /// Deletes the splash bitmap.
  ~CProgressDlg() override;

  /// Closes the window from any thread, also when it has not been made yet: it then closes
  /// as soon as it opens, so the modal owner never waits for a close that was lost.
  void PostClose();

  BOOL OnInitDialog() override;
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

  HBITMAP m_hSplash = nullptr;
  bool m_bHidden = false;

 protected:
  BOOL OnEraseBkgnd(CDC* dc) override;
  HBRUSH OnCtlColor(CDC* dc, CWnd* control, UINT kind) override;
  void OnDestroy() override;

 private:
  std::atomic<bool> m_bFinished{false};
  std::atomic<HWND> m_hWndOpen{nullptr};
};

/// Where "splash.bmp" is: the program's folder, else the source tree's data folder; "" when neither has it.
CString FindSplashBitmap();
