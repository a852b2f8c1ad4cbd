// CImagePreviewDlg: the current photo at full size in a window of its own, scrolled by its bars,
// the wheel or a drag; F7 closes it, F8 and F9 shoot through the view.
#pragma once

#include <memory>

#include "platform/mfc/afxwin.h"

#define IDD_IMAGE_PREVIEW 136
#define IDR_IMAGE_PREVIEW_KEYS 136

class CMyQuilletView;

class CImagePreviewDlg : public CDialog {
 public:
  explicit CImagePreviewDlg(CMyQuilletView* view);
  ~CImagePreviewDlg() override;

  /// Shows the JPEG turned by `rotation` (0, 90, 180, 270); no data shows nothing. False
  /// while the window is hidden or the data does not decode.
  bool SetImage(const BYTE* jpeg, DWORD size, int rotation);
  /// The JPEG decoded in full, turned, in a bitmap the caller owns; NULL when it does not decode.
  static CBitmap* MakeBitmap(const BYTE* jpeg, DWORD size, int rotation, int& width, int& height);
  /// Keeps the window above the view while the view is active, behind it when another
  /// program's window is (the view's WM_ACTIVATE state).
  void StayOnTop(bool viewActive);
  /// Shows the window with its keys.
  void ShowPreview();

  bool m_bShown = false;
  int m_nImageWidth = 0;
  int m_nImageHeight = 0;
  int m_nRotation = 0;
  bool m_bFirstShown = false;
  bool m_bTopmost = false;
  bool m_bDragging = false;
  CPoint m_lastMouse;
  CBitmap* m_pBitmap = nullptr;

  BOOL PreTranslateMessage(MSG* msg) override;

 protected:
  BOOL OnInitDialog() override;
  void OnOK() override {}
  void OnCancel() override;
  void OnClose() override;
  void OnPaint() override;
  BOOL OnEraseBkgnd(CDC* dc) override;
  void OnSize(UINT type, int width, int height) override;
  void OnHScroll(UINT code, UINT position, CScrollBar* bar) override;
  void OnVScroll(UINT code, UINT position, CScrollBar* bar) override;
  void OnLButtonDown(UINT flags, CPoint point) override;
  void OnMouseMove(UINT flags, CPoint point) override;
  void OnLButtonUp(UINT flags, CPoint point) override;
  BOOL OnMouseWheel(UINT flags, short delta, CPoint point) override;
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

 private:
  /// Ranges from the picture's size, pages from the client size.
  void SetScrollRanges();
  /// Applies a scroll code to one bar, clamped to 0 .. range - page.
  void Scroll(int bar, UINT code, int position);
  void ScrollBy(int bar, int pixels);

  CMyQuilletView* m_pView;
  HACCEL m_hAccel = nullptr;
  HCURSOR m_hDragCursor = nullptr;
  HCURSOR m_hSavedCursor = nullptr;
};
