// The pixel steps of the live view, one pure function each, so that they can be tested and
// timed without a window or a camera.
//
// Frames are 3 bytes a pixel, rows top first, without padding, in red-green-blue order as the
// JPEG decoder delivers them; the step that swaps them for the screen says so. Rectangles are
// inclusive. Nothing here throws or reads outside the buffers it is given.
#pragma once

#include <cstddef>
#include <vector>

#include "platform/win32/windef.h"

/// Size of the frame the motion-trigger peer gets: 320 x 240 pixels of 3 bytes.
const int kMotionFrameWidth = 320;
const int kMotionFrameHeight = 240;
const size_t kMotionFrameBytes = static_cast<size_t>(kMotionFrameWidth) * kMotionFrameHeight * 3;

/// Frames larger than this are refused as camera data we cannot mean (a viewfinder is far smaller).
const int kMaxViewfinderSide = 4096;

/// The chroma-key values, read from the registry for every frame.
struct ChromakeySettings {
  DWORD mode = 0;  // 0 off, 1 green key, any other value blue key
  DWORD threshold = 20;
  DWORD percentage = 70;
};

/// Decodes a JPEG frame at full size into `rgb`; false (nothing kept) for data that is not a
/// JPEG, a truncated one, or a frame larger than kMaxViewfinderSide. With `bgr` the bytes of a
/// pixel come blue first, as a screen bitmap takes them.
bool DecodeViewfinderJpeg(const BYTE* jpeg, size_t size, std::vector<BYTE>& rgb, int& width, int& height,
                          bool bgr = false);

/// True when the pixel counts as background for this key (threshold itself is not keyed).
bool IsKeyedPixel(const ChromakeySettings& key, BYTE r, BYTE g, BYTE b);

/// Replaces keyed pixels: by the background's pixel (width x height x 3 bytes, read from its
/// end backwards with its first and third bytes exchanged), or magenta without a background.
void ChromakeyFrame(BYTE* rgb, int width, int height, const ChromakeySettings& key, const BYTE* background);

/// Turns a picture of top-down blue-green-red rows (the imaging library's order) into the
/// background cache that ChromakeyFrame reads backwards.
void MakeBackgroundCache(const BYTE* bgr, int width, int height, std::vector<BYTE>& cache);

/// Keeps the frame as the current one; a frame of another byte size replaces the onion-skin
/// frame too, so the kept frame always has the current frame's size.
void StoreFrame(const std::vector<BYTE>& frame, std::vector<BYTE>& current, std::vector<BYTE>& kept);

/// Copies a frame into the 320 x 240 motion frame in blue-green-red order; a frame of another
/// size is scaled (nearest pixel) to fill it.
void CopyToMotionFrame(const BYTE* rgb, int width, int height, BYTE* motion);

/// Each byte becomes frame / 2 + kept / 2.
void BlendOnionSkin(BYTE* rgb, const BYTE* kept, size_t bytes);

/// The crop rectangle, kept in 320 x 240 viewfinder pixels, in pixels of a frame of this size.
RECT ScaleCropRect(const RECT& crop, int width, int height);

/// Exchanges the first and third byte of every pixel (for the screen); with `shade`, pixels
/// outside the inclusive rectangle are also halved.
void ShadeAndSwap(BYTE* pixels, int width, int height, bool shade, const RECT& keep);

/// Turns the frame by 0, 90 (clockwise), 180 or 270 degrees into `out`; width and height
/// change places for 90 and 270. Another angle copies the frame unturned.
void RotateFrame(const BYTE* pixels, int width, int height, int angle, std::vector<BYTE>& out, int& outWidth,
                 int& outHeight);

/// The width in pixels of a row widened to a multiple of 4 pixels.
int PaddedWidth(int width);
/// Copies the rows into rows of PaddedWidth pixels (the added pixels are black); a width that is
/// already a multiple of 4 copies nothing and returns false.
bool PadRows(const BYTE* pixels, int width, int height, std::vector<BYTE>& out);

/// Where a frame is drawn: scale 1-4 that many screen pixels a frame pixel at (0, 0); scale 5
/// fills the screen keeping the frame's shape, centred. `offset` is the top-left corner.
SIZE DestinationSize(int width, int height, int scale, int screenWidth, int screenHeight, POINT& offset);

/// The part of the frame shown at digital-zoom magnification `zoom` (the whole frame at 1 or
/// below), centred, as left, top, width, height.
RECT ZoomSourceRect(int width, int height, double zoom);

/// Positions of the grid lines across an extent of `extent` pixels cut in `divisions` parts.
std::vector<int> GridLines(int extent, int divisions);
