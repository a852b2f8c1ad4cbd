// CMainFrame: the main window. It restores and saves its rectangle under the program's key,
// holds the status bar every part of the program writes through SetStatusText, and passes the
// IPC and hot-spot messages to the view.
#pragma once

#include "platform/mfc/afxwin.h"

class CMainFrame : public CFrameWnd {
  DECLARE_DYNCREATE(CMainFrame)

 public:
  CMainFrame();

  /// Applies the saved rectangle and the plain overlapped style before the window is made.
  BOOL Create(LPCSTR className, LPCSTR title, DWORD style = WS_OVERLAPPEDWINDOW, const RECT& rect = rectDefault,
              CWnd* parent = nullptr, LPCSTR menuName = nullptr, DWORD exStyle = 0,
              CCreateContext* context = nullptr) override;
  /// Reads the saved rectangle into cs (work-area coordinates shifted by a positive origin).
  BOOL PreCreateWindow(CREATESTRUCT& cs);
  /// Sets the text of a status-bar pane; a missing pane is ignored.
  void SetStatusText(int pane, CString text);
  CString GetStatusText(int pane) const;

  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

  CStatusBar m_wndStatusBar;
  UINT m_nIPCMessage;
  bool m_bStartMaximised = false;
  /// The sub-key of the program's key that holds the bars' state.
  static constexpr const char* kBarStateKey = "ControlBarState";

 protected:
  int OnCreate(LPCREATESTRUCT createStruct) override;
  void OnShowWindow(BOOL show, UINT status) override;
  /// Waits for a connection under way: the connect worker still uses the view.
  void OnClose() override;
  void OnDestroy() override;
  void OnSize(UINT type, int cx, int cy) override;
  void OnMove(int x, int y) override;

 private:
  void RememberNormalRect();
  void LoadBarState();
  void SaveBarState();
  CRect m_rectNormal;
  bool m_bPreviewWasShowing = false;
};

/// The work area of the primary screen: where the saved rectangle is measured from.
CRect GetWorkArea();
