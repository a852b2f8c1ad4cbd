// Private bridge between the GDI layer and the layers that own pixels (windows, imaging
// sessions, printers). Only platform/ includes this.
#pragma once

#include "platform/win32/windef.h"

class QPaintDevice;

namespace gdi_p {

/// A DC drawing on a Qt paint device the caller owns (a window's back buffer, a QImage,
/// a QPrinter). The device must outlive the DC. Returns NULL on failure.
HDC CreatePaintDeviceDC(QPaintDevice* device);

/// A DC drawing on caller-owned pixel rows: 24-bit (B,G,R) or 32-bit (B,G,R,A) per pixel,
/// rows `stride` bytes apart, top row first. The rows must outlive the DC.
HDC CreatePixelRowsDC(void* bits, int width, int height, int stride, int bitsPerPixel);

/// Ends painting and frees a DC made by the functions above (pending drawing is flushed).
void DestroyDC(HDC dc);

}  // namespace gdi_p
