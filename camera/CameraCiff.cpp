// Walk of a raw file's CIFF heap: header length at offset 2, directory offset in the last
// four bytes, then a 16-bit count of 10-byte records (type, size, offset), all little-endian.
#include "camera/CameraCiff.h"

namespace {

DWORD Le16(const BYTE* p) { return DWORD(p[0]) | DWORD(p[1]) << 8; }
DWORD Le32(const BYTE* p) { return Le16(p) | Le16(p + 2) << 16; }

}  // namespace

std::vector<CiffJpeg> FindCiffJpegs(const BYTE* data, DWORD size) {
  std::vector<CiffJpeg> found;
  if (!data || size < 10) return found;
  unsigned long long heap = Le32(data + 2);
  unsigned long long directory = heap + Le32(data + size - 4);
  if (directory + 2 > size) return found;
  DWORD count = Le16(data + directory);
  for (DWORD i = 0; i < count; ++i) {
    unsigned long long record = directory + 2 + 10ull * i;
    if (record + 10 > size) break;
    DWORD type = Le16(data + record);
    DWORD length = Le32(data + record + 2);
    unsigned long long offset = heap + Le32(data + record + 6);
    if (offset + length > size) break;
    // Only a record that starts like a JPEG is shown as one.
    if (type == 0x2007 && length >= 2 && data[offset] == 0xFF && data[offset + 1] == 0xD8)
      found.push_back({static_cast<DWORD>(offset), length});
  }
  return found;
}
