// CMyStatic: the form's picture controls (histogram and photo). The bitmap set with
// STM_SETIMAGE is painted at the top-left corner, clipped to the control.
#pragma once

#include "platform/mfc/afxwin.h"

class CMyStatic : public CStatic {
 protected:
  void OnPaint() override;
  /// Leaves the background alone: the bitmap covers it, and erasing first would flicker.
  BOOL OnEraseBkgnd(CDC* dc) override;
  /// Hands the click to the form, which owns the picture's pop-up menu.
  void OnRButtonUp(UINT flags, CPoint point) override;
};
