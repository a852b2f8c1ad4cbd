#include "support/GdiplusHelpers.h"

#include <memory>
#include <new>
#include <string>
#include <vector>

using namespace Gdiplus;

namespace {

// Indexed bitmaps cannot be drawn on; their copies get full colour instead.
PixelFormat DrawableFormat(PixelFormat format) {
  return (format & PixelFormatIndexed) || format == PixelFormatUndefined ? PixelFormat32bppARGB : format;
}

// A new width x height bitmap with the image drawn scaled into it; NULL on failure.
Bitmap* Redraw(Image* image, int width, int height) {
  std::unique_ptr<Bitmap> copy(new (std::nothrow) Bitmap(width, height, DrawableFormat(image->GetPixelFormat())));
  if (!copy || copy->GetLastStatus() != Ok) return nullptr;
  Graphics graphics(copy.get());
  if (graphics.GetLastStatus() != Ok || graphics.DrawImage(image, 0, 0, width, height) != Ok) return nullptr;
  return copy.release();
}

}  // namespace

Bitmap* LoadThumbnail(const WCHAR* path, int maxWidth) {
  if (!path) return nullptr;
  std::unique_ptr<Bitmap> bitmap(Bitmap::FromFile(path));
  if (!bitmap || bitmap->GetLastStatus() != Ok) return nullptr;
  UINT width = bitmap->GetWidth(), height = bitmap->GetHeight();
  if (width == 0 || height == 0) return nullptr;
  if (maxWidth <= 0 || width <= UINT(maxWidth)) return bitmap.release();
  int newHeight = int(1ull * UINT(maxWidth) * height / width);
  if (newHeight < 1) newHeight = 1;  // a sliver stays one row high
  return Redraw(bitmap.get(), maxWidth, newHeight);
}

Bitmap* CloneBitmap(Bitmap* bitmap) {
  if (!bitmap || bitmap->GetWidth() == 0 || bitmap->GetHeight() == 0) return nullptr;
  return Redraw(bitmap, int(bitmap->GetWidth()), int(bitmap->GetHeight()));
}

int GetEncoderClsid(const WCHAR* mimeType, CLSID* clsid) {
  if (!mimeType) return -1;
  UINT count = 0, size = 0;
  if (GetImageEncodersSize(&count, &size) != Ok || count == 0 || size == 0) return -1;
  std::vector<unsigned char> buffer(size);
  ImageCodecInfo* codecs = reinterpret_cast<ImageCodecInfo*>(buffer.data());
  if (GetImageEncoders(count, size, codecs) != Ok) return -1;
  const std::u16string wanted(mimeType);
  for (UINT i = 0; i < count; ++i) {
    if (codecs[i].MimeType && wanted == codecs[i].MimeType) {
      if (clsid) *clsid = codecs[i].Clsid;
      return int(i);
    }
  }
  return -1;
}
