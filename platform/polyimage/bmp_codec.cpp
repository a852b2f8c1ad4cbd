// Windows bitmaps: uncompressed 1, 4, 8, 24 and 32 bits per pixel, either row order.
#include "platform/polyimage/polyimage_pvt.h"

namespace pip {
namespace {

uint32_t Le32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24; }
uint16_t Le16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }

}  // namespace

bool DecodeBmp(const uint8_t* data, size_t size, Image& out) {
  if (size < 26 || data[0] != 'B' || data[1] != 'M') return false;
  uint32_t offset = Le32(data + 10), headerSize = Le32(data + 14);
  int64_t width, height;
  int bits, compression = 0;
  size_t paletteEntry = 4;
  if (headerSize == 12) {
    width = Le16(data + 18);
    height = int16_t(Le16(data + 20));
    bits = Le16(data + 24);
    paletteEntry = 3;
  } else if (headerSize >= 40 && size >= 14 + size_t(40)) {
    width = int32_t(Le32(data + 18));
    height = int32_t(Le32(data + 22));
    bits = Le16(data + 28);
    compression = int(Le32(data + 30));
  } else {
    return false;
  }
  bool topDown = height < 0;
  if (topDown) height = -height;
  // BI_RGB, or BI_BITFIELDS for 32-bit (taken as the usual B,G,R,X layout).
  if (!(compression == 0 || (compression == 3 && bits == 32))) return false;
  if (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32) return false;
  if (!ValidSize(width, height)) return false;
  size_t stride = ((size_t(width) * bits + 31) / 32) * 4;
  if (offset > size || size - offset < stride * size_t(height)) return false;
  const uint8_t* palette = data + 14 + headerSize;
  size_t paletteCount = 0;
  if (bits <= 8) {
    paletteCount = headerSize >= 40 && Le32(data + 46) ? Le32(data + 46) : (size_t(1) << bits);
    if (14 + size_t(headerSize) > size || paletteCount > (size - 14 - headerSize) / paletteEntry) return false;
  }
  Image image;
  if (!Allocate(image, int(width), int(height), 3)) return false;
  for (int y = 0; y < int(height); ++y) {
    const uint8_t* src = data + offset + stride * size_t(topDown ? y : int(height) - 1 - y);
    uint8_t* dst = image.Row(y);
    for (int x = 0; x < int(width); ++x, dst += 3) {
      if (bits == 24 || bits == 32) {
        const uint8_t* p = src + size_t(x) * (bits / 8);
        dst[0] = p[0], dst[1] = p[1], dst[2] = p[2];
        continue;
      }
      int perByte = 8 / bits;
      int shift = 8 - bits * (x % perByte + 1);
      size_t index = (src[x / perByte] >> shift) & ((1 << bits) - 1);
      if (index >= paletteCount) index = 0;
      const uint8_t* c = palette + index * paletteEntry;
      dst[0] = c[0], dst[1] = c[1], dst[2] = c[2];
    }
  }
  image.format = PIP_FORMAT_BMP;
  out = std::move(image);
  return true;
}

}  // namespace pip
