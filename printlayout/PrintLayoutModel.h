// A custom print layout as its editor holds it: boxes, captions and the layout-wide values,
// with the page metrics of the printer it is designed on (printer pixels).
#pragma once

#include "platform/win32/windef.h"
#include "printlayout/PhotoboothCaption.h"
#include "printlayout/PhotoboothCustomLayoutBox.h"

/// Boxes may name photos up to this number.
const int kMaxLayoutPhotos = 20;

/// The layout as the editor holds it, with the page it was designed on.
struct PrintLayoutModel {
  PhotoboothCaption captions[kLayoutCaptionCount];
  LayoutEditBox boxes[kLayoutBoxCount];
  int photos = 4;
  COLORREF background = 0x00FFFFFF;
  int aspectWidth = 3, aspectHeight = 2;
  int pageWidth = 0, pageHeight = 0;  // HORZRES, VERTRES of the printer; 0 without one
  int dpiX = 0, dpiY = 0;
  int leftMargin = 0, topMargin = 0, rightMargin = 0, bottomMargin = 0;
};

