// Reading a .bmp picture from disk into a bitmap the program can show.
#pragma once

#include "platform/gdi/wingdi.h"

/// An uncompressed 24- or 32-bit .bmp as a new bitmap the caller deletes; NULL when the file
/// is missing, damaged or of another kind.
HBITMAP LoadBitmapFile(const char* path);
