// The boxes of a custom print layout in their two forms: the stored form (selector, bounding
// rectangle, tenths of a degree) kept in settings and handed to the photobooth worker, and the
// editor's form (image index, degrees, position and size). Coordinates are printer pixels.
#pragma once

#include "platform/win32/windef.h"

const int kLayoutBoxCount = 12;
const int kLayoutCaptionCount = 12;
/// A stored selector of this or more names the QR code.
const int kQrCodeSelector = 1000;

struct PhotoboothCustomLayoutBox {
  int image = 0;  // 0 none, 1..N a photo, kQrCodeSelector or more the QR code
  int left = 0;
  int top = 0;
  int right = 0;   // left + the unrotated width
  int bottom = 0;  // top + the unrotated height
  int rotation = 0;  // clockwise, tenths of a degree, 0..3599
};

struct LayoutEditBox {
  int image = 0;  // 0 none, 1..N a photo, N + 1 the QR code
  double rotation = 0.0;  // degrees
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
};

/// Four corners, the first corner again, the centre and two handle points (H2 turns the box).
struct LayoutBoxOutline {
  POINT corner[5];
  POINT centre;
  POINT handle1;
  POINT handle2;
};

/// The editor's form of a stored box for a layout of `photos` photos; an empty side gets a 3:2 shape.
LayoutEditBox StoredToEditBox(const PhotoboothCustomLayoutBox& stored, int photos);
/// The stored form; the QR choice becomes kQrCodeSelector and any angle lands in 0..3599 tenths.
PhotoboothCustomLayoutBox EditToStoredBox(const LayoutEditBox& edit, int photos);

/// Tenths of a degree for an angle in degrees, in 0..3599 whatever the angle.
int StoredRotation(double degrees);
/// An angle rounded to the nearest half degree and brought into 0..360.
double NormaliseLayoutAngle(double degrees);

/// The outline of a box of w x h at (left, top) turned clockwise by `degrees`.
LayoutBoxOutline ComputeBoxOutline(int left, int top, int width, int height, double degrees);
/// The outline from four corners (clockwise from the first), as a caption block measures.
LayoutBoxOutline OutlineFromCorners(const POINT corners[4]);
/// Every point converted from printer to preview pixels.
LayoutBoxOutline OutlineToPreview(const LayoutBoxOutline& outline, int previewWidth, int pageWidth);

/// Printer to preview pixels (or back, with the widths swapped), halves away from zero;
/// 0 when the page width is 0 (no printer).
int PrinterToPreview(int value, int previewWidth, int pageWidth);

/// A freshly chosen box of 10 pixels or less gets a default size: a quarter-page square for the
/// QR code, a third of the page across for a photo, centred when it sits at the corner.
void ApplyDefaultBoxSize(LayoutEditBox& box, int photos, int pageWidth, int pageHeight, int aspectWidth,
                         int aspectHeight);
