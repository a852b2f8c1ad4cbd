// TIFF through libtiff, first page, read from memory as RGBA.
#include <tiffio.h>

#include "platform/polyimage/polyimage_pvt.h"

namespace pip {
namespace {

struct Stream {
  const uint8_t* data;
  size_t size;
  toff_t pos;
};

tsize_t Read(thandle_t h, tdata_t buf, tsize_t n) {
  Stream* s = static_cast<Stream*>(h);
  if (n < 0 || s->pos >= s->size) return 0;
  size_t count = std::min(size_t(n), size_t(s->size - s->pos));
  std::memcpy(buf, s->data + s->pos, count);
  s->pos += count;
  return tsize_t(count);
}
tsize_t Write(thandle_t, tdata_t, tsize_t) { return 0; }
toff_t Seek(thandle_t h, toff_t off, int whence) {
  Stream* s = static_cast<Stream*>(h);
  toff_t base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? s->pos : s->size;
  s->pos = base + off;
  return s->pos;
}
int Close(thandle_t) { return 0; }
toff_t Size(thandle_t h) { return static_cast<Stream*>(h)->size; }
int Map(thandle_t, tdata_t*, toff_t*) { return 0; }
void Unmap(thandle_t, tdata_t, toff_t) {}
void Quiet(const char*, const char*, va_list) {}

}  // namespace

bool DecodeTiff(const uint8_t* data, size_t size, Image& out) {
  static bool quiet = [] {
    TIFFSetErrorHandler(Quiet);
    TIFFSetWarningHandler(Quiet);
    return true;
  }();
  (void)quiet;
  Stream stream{data, size, 0};
  TIFF* tif = TIFFClientOpen("memory", "rm", &stream, Read, Write, Seek, Close, Size, Map, Unmap);
  if (!tif) return false;
  uint32_t width = 0, height = 0;
  uint16_t extra = 0;
  uint16_t* extraTypes = nullptr;
  TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &width);
  TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &height);
  bool hasAlpha = TIFFGetField(tif, TIFFTAG_EXTRASAMPLES, &extra, &extraTypes) && extra > 0;
  bool ok = false;
  Image image;
  if (ValidSize(width, height) && Allocate(image, int(width), int(height), 3)) {
    size_t count = size_t(width) * height;
    std::vector<uint32_t> rgba(count);
    if (TIFFReadRGBAImageOriented(tif, width, height, rgba.data(), ORIENTATION_TOPLEFT, 0)) {
      uint8_t* d = image.pixels.data();
      if (hasAlpha) image.alpha = Bytes(count);
      for (size_t i = 0; i < count; ++i, d += 3) {
        uint32_t p = rgba[i];
        d[0] = uint8_t(TIFFGetB(p));
        d[1] = uint8_t(TIFFGetG(p));
        d[2] = uint8_t(TIFFGetR(p));
        if (hasAlpha) image.alpha.data()[i] = uint8_t(TIFFGetA(p));
      }
      ok = true;
    }
  }
  TIFFClose(tif);
  if (!ok) return false;
  image.format = PIP_FORMAT_TIFF;
  out = std::move(image);
  return true;
}

}  // namespace pip
