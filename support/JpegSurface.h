// Decoding a JPEG file straight into the rows of a 32-bit drawing surface (blue, green, red and
// an opaque fourth byte), so that a full-screen picture costs one decode and no copy.
#pragma once

#include <cstddef>

#include "platform/win32/windef.h"

/// Decodes the file at the surface's top-left corner; what the picture does not cover is made
/// black and what lies beyond the surface is left out. `width` and `height` receive the
/// picture's size. False for a file that does not read or is not a colour or grey JPEG; the
/// surface may then hold part of a picture.
bool DecodeJpegFileToSurface(const char* path, BYTE* bits, size_t stride, int surfaceWidth, int surfaceHeight,
                             int& width, int& height);
