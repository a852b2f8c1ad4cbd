// Loading, copying and encoding GDI+ bitmaps.
#pragma once

#include "platform/gdiplus/gdiplus.h"

/// The image of the file, scaled down to maxWidth wide (height in proportion) when wider.
/// NULL when the file gives no image of non-zero size; the caller owns the result.
Gdiplus::Bitmap* LoadThumbnail(const WCHAR* path, int maxWidth);
/// A new bitmap of the same size and pixel format with the source drawn at 0, 0; NULL for a
/// NULL or empty source. The caller owns the result.
Gdiplus::Bitmap* CloneBitmap(Gdiplus::Bitmap* bitmap);
/// Index of the image encoder for the MIME type (e.g. u"image/jpeg"), its class id in *clsid;
/// -1 when there is none.
int GetEncoderClsid(const WCHAR* mimeType, CLSID* clsid);
