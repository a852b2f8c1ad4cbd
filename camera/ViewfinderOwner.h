// What the live view window needs of the view that owns it. The view implements it; the
// camera layer cannot see the view itself.
#pragma once

#include "platform/win32/windef.h"

/// The view's options the window reads for every frame (on the SDK's viewfinder thread).
struct ViewfinderOverlay {
  double digitalZoom = 0;  // magnification; 1 or below shows the whole frame
  bool grid = false;
  COLORREF gridColour = 0;
  int gridColumns = 0;
  int gridRows = 0;
  bool motionDetection = false;
};

class ViewfinderOwner {
 public:
  virtual ~ViewfinderOwner() = default;
  /// A command of the window for the view: 1003 Update AE/AF, 1028 and 32792 preview, 32793
  /// picture, 131 grid, 1080 and 1081 previous and next image, 32830 and 32831 zoom, 159 live view.
  virtual void OnViewfinderCommand(UINT id) = 0;
  /// A digit key ('0'-'9') or Enter for the view's Comment box.
  virtual void OnViewfinderCommentKey(UINT key) = 0;
  /// Called for every frame on the SDK's viewfinder thread.
  virtual ViewfinderOverlay GetViewfinderOverlay() = 0;
};
