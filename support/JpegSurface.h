// Decoding a JPEG file straight into the rows of a 32-bit drawing surface (blue, green, red and
// an opaque fourth byte), so that a full-screen picture costs one decode and no copy.
#pragma once

#include <cstddef>
#include <functional>
#include <vector>

#include "platform/win32/windef.h"

/// Decodes the file at the surface's top-left corner; what the picture does not cover is made
/// black and what lies beyond the surface is left out. `width` and `height` receive the
/// picture's size. False for a file that does not read or is not a colour or grey JPEG; the
/// surface may then hold part of a picture.
bool DecodeJpegFileToSurface(const char* path, BYTE* bits, size_t stride, int surfaceWidth, int surfaceHeight,
                             int& width, int& height);

/// Decodes the rows a caller picks of a colour or grey JPEG held in memory, as 3-byte pixels
/// (blue, green, red; grey repeated) into `bgr`: rows of width x 3 bytes, the vector's memory
/// kept from call to call. `pickRows` (may be empty: all rows) gets the picture's size and sets
/// the first row and the number of rows wanted; rows outside them are not decoded. `width`
/// receives the picture's width, `rows` the number of rows decoded. False for data that does not
/// decode (a truncated picture included), a side above `maxSide` or a pick outside the picture.
bool DecodeJpegRowsBgr(const BYTE* jpeg, size_t size, int maxSide,
                       const std::function<void(int width, int height, int& first, int& count)>& pickRows,
                       std::vector<BYTE>& bgr, int& width, int& rows);
