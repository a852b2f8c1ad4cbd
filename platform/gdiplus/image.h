// GDI+ images: Image (decoded from a file, possibly with several frames) and Bitmap (pixels
// the caller can lock, read and write).
//
// A failed constructor leaves an empty image: sizes read 0 and GetLastStatus() says why.
// Paths are wide strings; saving replaces the file whole, so a failure leaves the old one.
#pragma once

#include "platform/gdiplus/types.h"

namespace gdiplus_p {
struct ImageData;
}

namespace Gdiplus {

class Graphics;

class Image {
 public:
  /// Decodes the file; on failure the image is empty (FileNotFound, UnknownImageFormat, ...).
  explicit Image(const WCHAR* filename, BOOL useEmbeddedColorManagement = FALSE);
  virtual ~Image();
  Image(const Image&) = delete;
  Image& operator=(const Image&) = delete;

  /// A new image read from the file; the caller owns it. Never null: check GetLastStatus().
  static Image* FromFile(const WCHAR* filename, BOOL useEmbeddedColorManagement = FALSE);
  /// A deep copy with all frames and properties; the caller owns it; null when out of memory.
  virtual Image* Clone();

  UINT GetWidth();
  UINT GetHeight();
  PixelFormat GetPixelFormat();
  /// The format the image was decoded from (ImageFormatMemoryBMP for bitmaps made in memory).
  Status GetRawFormat(GUID* format);

  UINT GetFrameDimensionsCount();
  /// Fills `count` ids; InvalidParameter when count differs from GetFrameDimensionsCount().
  Status GetFrameDimensionsList(GUID* dimensionIDs, UINT count);
  /// The frames along the dimension; 0 for a dimension the image does not have.
  UINT GetFrameCount(const GUID* dimensionID);
  /// Makes a frame the one drawn, locked and saved; InvalidParameter when out of range.
  Status SelectActiveFrame(const GUID* dimensionID, UINT frameIndex);

  /// Bytes needed for GetPropertyItem; 0 (PropertyNotFound) when the image lacks it.
  UINT GetPropertyItemSize(PROPID propId);
  /// Copies the item and its value into `buffer` of `propSize` bytes; the value pointer
  /// points inside the buffer.
  Status GetPropertyItem(PROPID propId, UINT propSize, PropertyItem* buffer);
  /// Stores a copy of the item, replacing one with the same id.
  Status SetPropertyItem(const PropertyItem* item);

  /// Bytes of the ColorPalette record for this image (no entries when not indexed).
  INT GetPaletteSize();
  Status GetPalette(ColorPalette* palette, INT size);
  /// Replaces the palette of an indexed image (at most 256 entries).
  Status SetPalette(const ColorPalette* palette);

  /// Writes the active frame with the encoder. With EncoderSaveFlag = EncoderValueMultiFrame
  /// (GIF) the file is only written when SaveAdd flushes or the image is destroyed.
  Status Save(const WCHAR* filename, const CLSID* clsidEncoder, const EncoderParameters* encoderParams = nullptr);
  /// EncoderValueFlush: finishes a multi-frame save and writes the file.
  Status SaveAdd(const EncoderParameters* encoderParams);
  /// EncoderValueFrameDimensionTime: appends the active frame of newImage to a multi-frame save.
  Status SaveAdd(Image* newImage, const EncoderParameters* encoderParams);

  /// The result of the last call, which is then reset to Ok.
  Status GetLastStatus() const;

 protected:
  Image();
  Status SetStatus(Status status) const;

  gdiplus_p::ImageData* nativeImage;
  mutable Status lastResult;

  friend class Graphics;
};

class Bitmap : public Image {
 public:
  explicit Bitmap(const WCHAR* filename, BOOL useEmbeddedColorManagement = FALSE);
  /// Zeroed pixels (an 8-bit bitmap gets a 256-entry halftone palette); InvalidParameter for
  /// sizes below 1 or unsupported formats, OutOfMemory when the pixels cannot be allocated.
  Bitmap(INT width, INT height, PixelFormat format = PixelFormat32bppARGB);

  /// A new bitmap read from the file; the caller owns it. Never null: check GetLastStatus().
  static Bitmap* FromFile(const WCHAR* filename, BOOL useEmbeddedColorManagement = FALSE);
  /// A copy of part of the active frame in another format; the caller owns it; null on failure.
  Bitmap* Clone(const Rect& rect, PixelFormat format);
  Bitmap* Clone(INT x, INT y, INT width, INT height, PixelFormat format);
  Image* Clone() override;

  Status GetPixel(INT x, INT y, Color* color);
  /// InvalidParameter outside the bitmap or on an indexed bitmap.
  Status SetPixel(INT x, INT y, const Color& color);

  /// Hands out the pixels of `rect` in `format` (one lock at a time: WrongState otherwise).
  /// With ImageLockModeWrite, UnlockBits stores what the caller wrote.
  Status LockBits(const Rect* rect, UINT flags, PixelFormat format, BitmapData* lockedBitmapData);
  Status UnlockBits(BitmapData* lockedBitmapData);

 private:
  Bitmap() = default;
};

}  // namespace Gdiplus
