// Editing the live view's crop rectangle with the mouse: where the pointer is in frame
// coordinates, which edge it grabs, and where a drag takes that edge. The rectangle is kept in
// 320 x 240 viewfinder pixels, inclusive, at least 10 pixels across each way.
#pragma once

#include "platform/win32/windef.h"

/// What a grab moves (-1: the pointer is not near the rectangle).
enum CropDragMode { kCropTop = 0, kCropBottom = 1, kCropLeft = 2, kCropRight = 3, kCropMove = 4 };

/// A client position of the window at scale 1 in unturned 320 x 240 frame coordinates.
POINT CropClientToFrame(POINT client, int angle);

/// The edge (or the whole rectangle) a grab at `p` takes, with 5 pixels of tolerance around
/// the rectangle and a 2-pixel band along each edge; -1 outside. `offset` is what keeps the
/// grabbed edge or corner where it was relative to the pointer.
int CropHitTest(const RECT& crop, POINT p, POINT& offset);

/// Moves the grabbed edge (or the rectangle) to the pointer within the frame's limits.
void CropDragTo(RECT& crop, int mode, POINT p, POINT offset);

/// The cursor (an IDC_ value) shown over a grab of that mode at that angle.
const char* CropCursor(int mode, int angle);
