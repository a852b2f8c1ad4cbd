// PNG through libpng's simplified API (no setjmp in our code), with a pHYs chunk for the
// physical resolution.
#include <png.h>

#include "platform/polyimage/polyimage_pvt.h"

namespace pip {
namespace {

uint32_t Crc32(const uint8_t* data, size_t size, uint32_t crc = 0) {
  static uint32_t table[256];
  static bool ready = [] {
    for (uint32_t n = 0; n < 256; ++n) {
      uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      table[n] = c;
    }
    return true;
  }();
  (void)ready;
  crc = ~crc;
  for (size_t i = 0; i < size; ++i) crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
  return ~crc;
}

void PutBig32(uint8_t* p, uint32_t v) {
  p[0] = uint8_t(v >> 24);
  p[1] = uint8_t(v >> 16);
  p[2] = uint8_t(v >> 8);
  p[3] = uint8_t(v);
}

// Inserts pHYs (pixels per metre) after IHDR, which always ends at byte 33.
void InsertPhys(std::vector<uint8_t>& png, int xDpi, int yDpi) {
  if (png.size() < 33 || xDpi <= 0 || yDpi <= 0) return;
  uint8_t chunk[21];
  PutBig32(chunk, 9);
  std::memcpy(chunk + 4, "pHYs", 4);
  PutBig32(chunk + 8, uint32_t(xDpi / 0.0254 + 0.5));
  PutBig32(chunk + 12, uint32_t(yDpi / 0.0254 + 0.5));
  chunk[16] = 1;  // metres
  PutBig32(chunk + 17, Crc32(chunk + 4, 13));
  png.insert(png.begin() + 33, chunk, chunk + 21);
}

}  // namespace

bool DecodePng(const uint8_t* data, size_t size, Image& out) {
  png_image png;
  std::memset(&png, 0, sizeof png);
  png.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&png, data, size)) return false;
  bool alpha = (png.format & PNG_FORMAT_FLAG_ALPHA) != 0;
  bool colour = (png.format & PNG_FORMAT_FLAG_COLOR) != 0;
  int channels = colour || alpha ? 3 : 1;
  Image image;
  if (!ValidSize(png.width, png.height) || !Allocate(image, int(png.width), int(png.height), channels)) {
    png_image_free(&png);
    return false;
  }
  bool ok;
  if (!alpha) {
    png.format = colour ? PNG_FORMAT_BGR : PNG_FORMAT_GRAY;
    ok = png_image_finish_read(&png, nullptr, image.pixels.data(), 0, nullptr) != 0;
  } else {
    png.format = PNG_FORMAT_BGRA;
    size_t count = size_t(image.width) * image.height;
    Bytes bgra(count * 4);
    ok = png_image_finish_read(&png, nullptr, bgra.data(), 0, nullptr) != 0;
    if (ok) {
      image.alpha = Bytes(count);
      const uint8_t* s = bgra.data();
      uint8_t* d = image.pixels.data();
      uint8_t* a = image.alpha.data();
      for (size_t i = 0; i < count; ++i, s += 4, d += 3) {
        d[0] = s[0];
        d[1] = s[1];
        d[2] = s[2];
        a[i] = s[3];
      }
    }
  }
  png_image_free(&png);
  if (!ok) return false;
  image.format = PIP_FORMAT_PNG;
  out = std::move(image);
  return true;
}

bool EncodePng(const Image& image, std::vector<uint8_t>& out) {
  if (image.Empty()) return false;
  png_image png;
  std::memset(&png, 0, sizeof png);
  png.version = PNG_IMAGE_VERSION;
  png.width = png_uint_32(image.width);
  png.height = png_uint_32(image.height);
  const uint8_t* source = image.pixels.data();
  Bytes merged;
  if (!image.alpha.empty()) {
    // The mask travels as the PNG's alpha channel.
    size_t count = size_t(image.width) * image.height;
    merged = Bytes(count * 4);
    uint8_t* d = merged.data();
    for (size_t i = 0; i < count; ++i, d += 4) {
      const uint8_t* s = image.pixels.data() + i * image.channels;
      d[0] = s[0];
      d[1] = s[image.channels == 3 ? 1 : 0];
      d[2] = s[image.channels == 3 ? 2 : 0];
      d[3] = image.alpha.data()[i];
    }
    png.format = PNG_FORMAT_BGRA;
    source = merged.data();
  } else {
    png.format = image.channels == 3 ? PNG_FORMAT_BGR : PNG_FORMAT_GRAY;
  }
  png_alloc_size_t size = 0;
  if (!png_image_write_to_memory(&png, nullptr, &size, 0, source, 0, nullptr)) return false;
  out.resize(size);
  if (!png_image_write_to_memory(&png, out.data(), &size, 0, source, 0, nullptr)) return false;
  out.resize(size);
  InsertPhys(out, image.xDpi, image.yDpi);
  return true;
}

}  // namespace pip
