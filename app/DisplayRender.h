// The view's photo rendered for the screen: the bitmap fitted into the picture box, its
// highlight-marked twin, the grid drawn over it and the histogram of its colours. Everything the
// render needs is in its request, so it runs on any thread; what the user must be told (a
// damaged photo, an embedded thumbnail shown instead) comes back in the result for the UI thread.
#pragma once

#include <memory>

#include "platform/mfc/cstring.h"
#include "platform/mfc/gdiobjects.h"
#include "support/Histogram.h"
#include "support/JpegDisplay.h"

struct DisplayRequest {
  int width = 0;
  int height = 0;
  int angle = 0;
  int sharpening = 0;
  int greyMode = 0;
  BOOL crop3x2 = FALSE;
  bool histogram = false;
  bool highlight = false;
  int highlightMethod = 0;     // 0 brightness, 1 any channel
  int highlightThreshold = 255;
  int gridAcross = 0;          // 0: no grid
  int gridDown = 0;
  COLORREF gridColour = 0;
  DisplayColourProfiles profiles;
};

struct DisplayRender {
  DisplayRender() = default;
  DisplayRender(const DisplayRender&) = delete;
  DisplayRender& operator=(const DisplayRender&) = delete;
  ~DisplayRender() {
    delete bitmap;
    delete highlight;
  }
  CBitmap* bitmap = nullptr;     // owned until taken
  CBitmap* highlight = nullptr;  // owned until taken
  CHistogram histogram;
  CString error;           // "Error reading JPEG..." when nothing could be shown
  CString thumbnailNote;   // set when the embedded thumbnail stands in for a damaged photo
};

/// Renders the JPEG as the request says; never throws.
std::unique_ptr<DisplayRender> RenderDisplay(const BYTE* jpeg, DWORD size, const DisplayRequest& request);
