// PolyImagePro: the imaging library the program drives through `c...` calls on session handles.
//
// Sessions. cNewSession returns a handle (> 0) that owns one image plus the settings used when
// loading and saving it (JPEG quality, auto-rotate, background colour, operation rectangle,
// Exif fields for the next save). cDestroySession frees it. Handles are never reused.
//
// Images. 8-bit grey or 24-bit colour, stored top row first, pixels as B,G,R, rows of exactly
// width x channels bytes (no padding); an optional alpha mask of width bytes per row
// (255 = opaque). Every pixel array handed out (cGetImage16, cGetBitsPtr, cGetAlphaMask,
// cGetImageChannels) and taken in (cLoadImage8, cLoadAlphaMask) uses this same order.
//
// Results. Every call returns non-zero on success and 0 on failure (a NULL HDC / NULL record
// for the calls that return those). A failure leaves the session's image as it was, except a
// failed load, which leaves the session empty. The reason goes to the debug log. Nothing
// throws: running out of memory is a failure like any other. Untrusted data (files, buffers)
// is bounds-checked: a truncated or corrupt file fails, it never crashes.
//
// Geometry. Rectangles are left, top, right, bottom with right and bottom inclusive.
// Angles are in degrees, positive turning clockwise as seen on screen.
//
// Threads. A session is used by one thread at a time; different sessions may be used on
// different threads at once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/win32/windef.h"

/// A byte array handed out by the library; the caller owns it and it frees itself.
class PolyArray {
 public:
  BYTE* Data() { return m_bytes.empty() ? nullptr : m_bytes.data(); }
  const BYTE* Data() const { return m_bytes.empty() ? nullptr : m_bytes.data(); }
  size_t Size() const { return m_bytes.size(); }
  void Release() { std::vector<BYTE>().swap(m_bytes); }
  std::vector<BYTE>& Bytes() { return m_bytes; }

 private:
  std::vector<BYTE> m_bytes;
};

/// Exif fields waiting to be written into a saved file (cNewEXIF ... cDestroyEXIF).
struct PolyExifRecord;
typedef PolyExifRecord* HEXIF;

// File format codes (cSave, cSaveToMemory, cGetImageFileInfo).
#define PIP_FORMAT_BMP 1
#define PIP_FORMAT_GIF 2
#define PIP_FORMAT_JPEG 4
#define PIP_FORMAT_TIFF 7
#define PIP_FORMAT_PNG 11

// Resampling quality codes (cOpResize, cOpResizeEx): 1 and 2 nearest pixel (keeps hard edges),
// 3 fast (bilinear), 4 and above high (Lanczos). Drawing (cDrawImageEx): below 6 nearest pixel,
// 6 and above high.
#define PIP_RESAMPLE_FAST 3
#define PIP_RESAMPLE_HIGH 7

// Sessions and settings.
int cNewSession();
int cDupSession(int session);  ///< a new session holding a copy of the image and the settings
int cDestroySession(int session);
int cSetPSDParams(int session, int flattenLayers);
/// Quality 1..100 for saved JPEGs; the other values are accepted as the callers pass them.
int cSetJPEGParams(int session, int quality, double scale, int optimise, int progressive);
int cSetAutoRotate(int session, int enable);  ///< turn loaded JPEGs upright by their Exif orientation
int cSetCanonCRWParams(int session, int a, int b, int c, int d, int e, int f, int g, int h);
int cSetBackgroundColor(int session, COLORREF colour);  ///< fills area uncovered by cOpRotateFine
int cSetPhysicalPixelsPerInch(int session, int xDpi, int yDpi);

// Image facts.
/// Any output may be NULL. Fails (outputs zeroed) when the session holds no image.
int cGetImageInfo(int session, DWORD* width, DWORD* height, BYTE* bitsPerPixel, DWORD* xDpi, DWORD* yDpi,
                  BOOL* hasAlpha, DWORD* fileFormat, DWORD* exifOrientation, DWORD* bytesPerRow);
/// Size and format of a file without decoding its pixels where the format allows.
int cGetImageFileInfo(LPCSTR path, int frame, DWORD* width, DWORD* height, BYTE* bitsPerPixel, DWORD* fileFormat);

// Loading (JPEG, PNG, BMP, GIF first frame, TIFF first page) and new images.
int cLoadImage(int session, LPCSTR path, int frame, int flags, int reserved);
/// As cLoadImage, but a JPEG may decode reduced by DCT scaling (1/8, 1/4 or 1/2) as long as the
/// upright picture still covers minWidth x minHeight (a side of 0 or less sets no bound); the
/// caller resizes it further. quality: the resize quality that follows (high keeps the
/// accurate inverse DCT). Other formats load whole.
int cLoadImageCovering(int session, LPCSTR path, int minWidth, int minHeight, int quality);
int cLoadData(int session, const void* bytes, DWORD length, int frame, int flags, int reserved);
/// Raw B,G,R pixels, rows top first; `length` must hold width x height x 3 bytes.
int cLoadImage8(int session, const BYTE* pixels, DWORD length, int width, int height, int a, int b, int c);
/// Three planes of width x height bytes into the current image (width, height 0: its size).
int cLoadImageChannels8(int session, const BYTE* red, const BYTE* green, const BYTE* blue, int width, int height);
/// Reduced image of at most maxWidth x maxHeight; a file that is not an image yields its first embedded JPEG.
int cLoadThumbnail(int session, LPCSTR path, int maxWidth, int maxHeight);
int cNewImage(int session, int width, int height, COLORREF colour);
int cUnload(int session);

// Saving: PIP_FORMAT_JPEG (session quality, Exif APP1 always present) or PIP_FORMAT_PNG.
int cSave(int session, LPCSTR path, int format, int a, int b, int c);
int cSaveToMemory(int session, int format, PolyArray* out, int a, int b);

// Exif date fields for the next cSave / cSaveToMemory of a session.
HEXIF cNewEXIF();
int cEXIF_PutDateTime(HEXIF record, LPCSTR text);  ///< "YYYY:MM:DD HH:MM:SS"
int cEXIF_PutDateTimeOriginal(HEXIF record, LPCSTR text);
int cEXIF_PutDateTimeDigitized(HEXIF record, LPCSTR text);
int cPutImageEXIF_Info(int session, HEXIF record);  ///< copies the record into the session
int cDestroyEXIF(HEXIF record);

// Geometry.
int cSetOpRectangle(int session, int left, int top, int right, int bottom, int reserved);
int cOpCrop(int session);  ///< to the operation rectangle, clamped to the image; fails when nothing is left
int cOpResize(int session, int width, int height, int quality, int a, int b);
/// With keepAspect the result fits inside width x height keeping the aspect ratio.
int cOpResizeEx(int session, int width, int height, int quality, int keepAspect);
int cOpRotateFine(int session, double degrees);  ///< canvas grows; alpha uncovered by the turn is 0
/// Lossless quarter turn of a JPEG file (0: 90, 1: 270, 2: 180 clockwise); Exif orientation set to 1.
/// Edge blocks that cannot move losslessly are trimmed. destPath NULL writes in place.
int cRotateImageFileEx(LPCSTR path, LPCSTR destPath, int rotation, int flags);
/// Grows the canvas to width x height (never shrinks), the image centred on `colour`.
int cEnlargeImage(int session, int width, int height, int centre, COLORREF colour);
/// Copies width x height pixels from source (sourceX, sourceY) to destination (x, y), clipped.
int cCopyRectFrom(int dest, int x, int y, int width, int height, int source, int sourceX, int sourceY);

// Pixels.
int cOpGrayScale(int session);  ///< 8-bit grey
int cOpIncreaseBitsPerPixel(int session, int bitsPerPixel);  ///< 24 only
int cOpSharpen(int session, int amount);  ///< 1..100
/// Per channel black, middle (grey point) and white levels, 0..255, in the order R, G, B.
int cOpAdjustLevels(int session, int blackR, int middleR, int whiteR, int blackG, int middleG, int whiteG,
                    int blackB, int middleB, int whiteB);
/// Draws source over dest at x, y with opacity 0..255, through the source's alpha mask.
int cMergeImage(int dest, int source, int x, int y, int opacity, int mode);
int cGetAlphaMask(int session, PolyArray* mask);  ///< fails when the image has no mask
int cLoadAlphaMask(int session, const BYTE* mask);  ///< width x height bytes
int cGetImage16(int session, PolyArray* pixels);  ///< 24-bit copy of the pixels
int cGetImageChannels(int session, PolyArray* red, PolyArray* green, PolyArray* blue);
/// The image's own pixel rows (24-bit; a grey image is converted first); valid until the next call.
int cGetBitsPtr(int session, BYTE** bits);
int cGetPixelColor(int session, int x, int y, COLORREF* colour);
/// 256 counts; channel 1 luminance, 2 red, 3 green, 4 blue.
int cGetImageHistogram(int session, DWORD* counts, int channel);

// Drawing with GDI. Destination boxes of cDrawImage are inclusive; cDrawImageEx takes a window
// RECT (right and bottom exclusive, as GetClientRect gives). Alpha is not drawn.
/// A DC drawing on the image's own pixels (a grey image becomes 24-bit); NULL on failure.
/// No other call may touch the session until cReleaseImageDC.
HDC cGetImageDC(int session);
int cReleaseImageDC(int session, HDC dc);
/// The whole image scaled into left..right x top..bottom.
int cDrawImage(int session, HDC dc, int left, int top, int right, int bottom, int a, int b, int c, int quality);
/// The image at `zoom` (at most maxZoom), its pixel (scrollX, scrollY) at the box's top left;
/// drawnWidth/drawnHeight receive the device pixels covered, zoomOut the zoom used.
int cDrawImageEx(int session, HDC dc, const RECT* box, int reserved1, BYTE flags, double zoom, double maxZoom,
                 int quality, double gamma, int reserved2, int reserved3, int scrollX, int scrollY, int* drawnWidth,
                 int* drawnHeight, double* zoomOut, int reserved4, int reserved5, int reserved6, int reserved7,
                 int reserved8);
/// The whole image scaled into x, y, width, height of a printer DC, at high quality.
int cPrintImage(int session, HDC dc, int x, int y, int width, int height, int a, int b, int c, int d);

// Colour management (ICC): the input profile, then the transform to the output profile.
int cLoadICCProfile(int session, const BYTE* profile, DWORD size);
int cApplyICCProfile(int session, const BYTE* profile, DWORD size, int intent);
