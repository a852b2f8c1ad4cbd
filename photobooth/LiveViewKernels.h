// The pixel steps of the booth window's live picture and preview, one free function each.
//
// Pixels are 3 bytes in blue-green-red order (a screen bitmap's order), rows top first and
// without padding unless a function says otherwise. Buffers given together have the same
// size; nothing here reads outside them or throws.
#pragma once

#include <cstddef>
#include <vector>

#include "app/PhotoboothEffects.h"
#include "platform/win32/windef.h"

/// A part of a picture: left, top, width and height in pixels.
struct LiveRect {
  int x = 0, y = 0, width = 0, height = 0;
  bool operator==(const LiveRect&) const = default;
};

/// An overlay picture as four byte planes of width x height pixels.
struct OverlayPlanes {
  int width = 0, height = 0;
  std::vector<BYTE> red, green, blue, alpha;
  bool IsLoaded() const { return width > 0 && height > 0 && alpha.size() == size_t(width) * height; }
  void Clear() { *this = OverlayPlanes(); }
};

/// What the live picture's steps are set to for one frame.
struct LiveViewSettings {
  GreenScreenKey key;  // keying when key.enable
  bool cut3to2 = false;
  bool mirror = false;
  int colourMode = 0;  // 0 colour, 1 grey, 2 toned
  double zoom = 0;     // digital zoom; 1 or below shows the whole frame
  int evfCrop = 0;
  int maxHeight = 480;
  int xOffset = -1, yOffset = 0;
};

/// The 3:2 band of a frame: the whole width, height 2 x width / 3, centred vertically; the
/// whole frame when it is not that wide.
LiveRect Band3to2(int width, int height);

/// Replaces each keyed pixel (by IsKeyedPixel) by the background pixel at the same place.
void KeyRows(BYTE* bgr, const BYTE* background, size_t pixels, const GreenScreenKey& key);

/// Each pixel under overlay alpha a > 0 becomes (overlay x a + pixel x (256 - a)) >> 8 per channel.
void BlendOverlay(BYTE* bgr, const OverlayPlanes& overlay, size_t pixels);

/// Each pixel becomes grey (R + G + B) / 3.
void GreyRows(BYTE* bgr, size_t pixels);

/// Each pixel becomes the table's colour (red, green, blue) for its luminance
/// 0.212671 R + 0.71516 G + 0.072169 B, truncated.
void ToneRows(BYTE* bgr, size_t pixels, const BYTE (*table)[3]);

/// Colour mode 1 greys, 2 tones with the program's toning table, anything else keeps colours.
void ApplyColourMode(BYTE* bgr, size_t pixels, int colourMode);

/// The part of a width x height frame shown: its centre 1/zoom when zoom is above 1 (sizes
/// rounded), then `evfCrop` pixels fewer each way (half on each side) where that leaves some.
LiveRect LiveViewSourceRect(int width, int height, double zoom, int evfCrop);

/// The centre of a width x height picture in the shape aspectWidth : aspectHeight (sizes
/// rounded); the whole picture when a size is not above 0.
LiveRect CutToAspect(int width, int height, int aspectWidth, int aspectHeight);

/// Where the live picture goes: `maxHeight` high, the source's shape, at y = yOffset; x centred
/// in the client width, or xOffset when that is 0 or more and less than clientWidth - 50.
LiveRect LiveViewDestRect(int sourceWidth, int sourceHeight, int maxHeight, int xOffset, int yOffset,
                          int clientWidth);

/// Reverses every row (left becomes right); rows are `stride` bytes apart (0: width x 3).
void MirrorRows(BYTE* bgr, int width, int height, size_t stride = 0);

/// Bytes in a 24-bit bitmap row of `width` pixels (a multiple of 4).
int DibStride(int width);

/// Copies the part `rect` of a frame `frameWidth` pixels wide into 32-bit rows (blue, green,
/// red, 255; a 32-bit bitmap's rows need no padding), reversed left to right with `mirror`.
/// The buffer keeps its memory from frame to frame. False, with nothing copied, when the part
/// is empty or outside the frame.
bool CopyRows32(const BYTE* bgr, int frameWidth, int frameHeight, const LiveRect& rect, bool mirror,
                std::vector<BYTE>& out);

/// Copies the part `rect` of a frame `frameWidth` pixels wide into rows of DibStride bytes.
/// False, with nothing copied, when the part is empty or outside the frame.
bool CopyPaddedRows(const BYTE* bgr, int frameWidth, int frameHeight, const LiveRect& rect, std::vector<BYTE>& out);
