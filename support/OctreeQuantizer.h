// Palette reduction of the animated GIF's frames: an octree over the colours with a heap that
// folds the rarest leaves first, refined by k-means, and no dithering.
#pragma once

#include "platform/gdiplus/gdiplus.h"
#include "platform/win32/windef.h"

/// Setting "DitherGIFs": the GIF encoder dithers the frames itself and the quantizer declines.
extern BOOL g_bDitherGIFs;

/// A new 8-bit palettised bitmap of the source: at most 256 colours, the reduced octree's
/// leaves refined by k-means, each pixel mapped to its nearest entry, entries 0..n-1 all used.
/// NULL when g_bDitherGIFs is on, for an empty source or when the pixels cannot be read.
/// The caller owns the result.
Gdiplus::Bitmap* QuantizeToIndexedBitmap(Gdiplus::Bitmap* source);
