// CTransparentOverlayDlg: a see-through window over the booth window that carries the
// countdown text, so the text can change every second without redrawing the screen, live
// picture or movie underneath. Every pixel of the key colour is transparent. Dialogs opened over
// the booth use it as their parent, so they come up in front of it.
#pragma once

#include <memory>

#include "platform/mfc/afxwin.h"

#define IDD_TRANSPARENT_OVERLAY 221

class CTransparentOverlayDlg : public CDialog {
 public:
  /// The see-through colour: pixel #010203.
  static const COLORREF kColorKey;

  /// Creates the window at once (hidden until Show).
  explicit CTransparentOverlayDlg(CWnd* parent);

  BOOL OnInitDialog() override;
  /// Shows it on top of the z-order, without moving or sizing it.
  void Show();
  /// What the window shows: key colour with the text drawn on it, of the client size. Draw on
  /// it, then invalidate the rectangles changed. NULL before the window exists.
  CBitmap* Surface() { return m_surface.get(); }

 protected:
  BOOL OnEraseBkgnd(CDC* dc) override;
  void OnPaint() override;

 private:
  std::unique_ptr<CBitmap> m_surface;
};
