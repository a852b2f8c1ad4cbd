#include "app/BitmapFile.h"

#include <cstring>
#include <vector>

#include <fstream>

#include "platform/win32/codepage.h"

namespace {

DWORD Le32(const BYTE* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<DWORD>(p[3]) << 24); }
WORD Le16(const BYTE* p) { return static_cast<WORD>(p[0] | (p[1] << 8)); }

bool ReadWholeFile(const char* path, std::vector<BYTE>& data) {
  std::ifstream file(NativePath(path), std::ios::binary | std::ios::ate);
  if (!file) return false;
  std::streamoff size = file.tellg();
  if (size < 0 || size > 64ll * 1024 * 1024) return false;
  data.resize(static_cast<size_t>(size));
  file.seekg(0);
  return size == 0 || static_cast<bool>(file.read(reinterpret_cast<char*>(data.data()), size));
}

}  // namespace

HBITMAP LoadBitmapFile(const char* path) {
  std::vector<BYTE> data;
  if (!path || !ReadWholeFile(path, data) || data.size() < 54 || data[0] != 'B' || data[1] != 'M') return nullptr;
  DWORD pixelOffset = Le32(&data[10]);
  DWORD headerSize = Le32(&data[14]);
  if (headerSize < 40 || 14 + static_cast<size_t>(headerSize) > data.size()) return nullptr;
  LONG width = static_cast<LONG>(Le32(&data[18]));
  LONG height = static_cast<LONG>(Le32(&data[22]));
  WORD planes = Le16(&data[26]);
  WORD bits = Le16(&data[28]);
  DWORD compression = Le32(&data[30]);
  if (planes != 1 || (bits != 24 && bits != 32) || compression != 0) return nullptr;
  bool topDown = height < 0;
  long long rows = topDown ? -static_cast<long long>(height) : height;
  if (width <= 0 || width > 16384 || rows <= 0 || rows > 16384) return nullptr;
  size_t bytesPerPixel = bits / 8;
  size_t fileStride = (width * bytesPerPixel + 3) & ~size_t(3);
  if (pixelOffset > data.size() || fileStride * rows > data.size() - pixelOffset) return nullptr;

  // CreateBitmap takes 24-bit rows, top first, padded to an even length.
  size_t rowBytes = width * 3;
  size_t stride = (rowBytes + 1) & ~size_t(1);
  std::vector<BYTE> pixels(stride * rows);
  for (long long y = 0; y < rows; ++y) {
    const BYTE* source = &data[pixelOffset + fileStride * (topDown ? y : rows - 1 - y)];
    BYTE* target = &pixels[stride * y];
    for (LONG x = 0; x < width; ++x) std::memcpy(target + x * 3, source + x * bytesPerPixel, 3);
  }
  return CreateBitmap(width, static_cast<int>(rows), 1, 24, pixels.data());
}
