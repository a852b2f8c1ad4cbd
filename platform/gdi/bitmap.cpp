// Bitmaps: device-dependent ones (kept 24- or 32-bit) and DIB sections whose rows the
// caller reads and writes directly.
#include <sys/mman.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "platform/gdi/gdi_p.h"
#include "platform/gdi/objects.h"
#include "platform/win32/error.h"

using namespace gdi_p;

namespace {

// Larger bitmaps are refused instead of attempting a huge allocation.
constexpr long long kMaxPixels = 1LL << 28;

bool SizeOk(long long width, long long height) {
  return width > 0 && height > 0 && width * height <= kMaxPixels && width <= 0x7FFF * 4 && height <= 0x7FFF * 4;
}

HBITMAP Register(Bitmap* bitmap) {
  RegisterHandle(bitmap);
  return reinterpret_cast<HBITMAP>(bitmap);
}

constexpr size_t kHugePage = size_t(2) << 20;

}  // namespace

namespace gdi_p {

DibStorage::~DibStorage() {
  if (m_mapping)
    munmap(m_mapping, m_mappingSize);
  else
    std::free(m_data);
}

bool DibStorage::Allocate(size_t bytes) {
  if (bytes == 0 || m_size) return false;
  if (bytes >= 2 * kHugePage) {
    // A fresh mapping reads as zeros; it starts on a huge-page boundary so that the kernel can
    // back it with huge pages (only advice: without them it is ordinary pages).
    const size_t size = bytes + kHugePage;
    void* mapping = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapping == MAP_FAILED) return false;
    const uintptr_t start = (reinterpret_cast<uintptr_t>(mapping) + kHugePage - 1) & ~(kHugePage - 1);
    madvise(reinterpret_cast<void*>(start), bytes, MADV_HUGEPAGE);
    m_mapping = mapping;
    m_mappingSize = size;
    m_data = reinterpret_cast<unsigned char*>(start);
  } else {
    m_data = static_cast<unsigned char*>(std::calloc(bytes, 1));
    if (!m_data) return false;
  }
  m_size = bytes;
  return true;
}

}  // namespace gdi_p

HBITMAP CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits) {
  if (!SizeOk(width, height) || planes != 1 || (bitsPerPixel != 24 && bitsPerPixel != 32)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto* bitmap = new Bitmap;
  bitmap->image = QImage(width, height, bitsPerPixel == 24 ? QImage::Format_BGR888 : QImage::Format_RGB32);
  if (bitmap->image.isNull()) {
    delete bitmap;
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  bitmap->image.fill(Qt::black);
  if (bits) {
    const int rowBytes = width * static_cast<int>(bitsPerPixel / 8);
    const int stride = (rowBytes + 1) & ~1;
    for (int y = 0; y < height; ++y)
      std::memcpy(bitmap->image.scanLine(y), static_cast<const unsigned char*>(bits) + size_t(y) * stride, rowBytes);
  }
  return Register(bitmap);
}

HBITMAP CreateCompatibleBitmap(HDC dc, int width, int height) {
  if (!DcFromHandle(dc)) return nullptr;
  return CreateBitmap(width, height, 1, 32, nullptr);
}

HBITMAP CreateDIBSection(HDC, const BITMAPINFO* info, UINT usage, void** bits, HANDLE section, DWORD) {
  if (bits) *bits = nullptr;
  if (!info || section || usage != DIB_RGB_COLORS) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  const BITMAPINFOHEADER& h = info->bmiHeader;
  const long long width = h.biWidth;
  const long long height = h.biHeight < 0 ? -static_cast<long long>(h.biHeight) : h.biHeight;
  const int bpp = h.biBitCount;
  if (h.biSize < sizeof(BITMAPINFOHEADER) || !SizeOk(width, height) || h.biPlanes != 1 ||
      (bpp != 8 && bpp != 24 && bpp != 32) || (h.biCompression != BI_RGB)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  const size_t stride = size_t((width * bpp + 31) / 32) * 4;
  auto* bitmap = new Bitmap;
  if (!bitmap->storage.Allocate(stride * size_t(height))) {
    delete bitmap;
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  QImage::Format format = bpp == 8 ? QImage::Format_Indexed8 : bpp == 24 ? QImage::Format_BGR888 : QImage::Format_RGB32;
  bitmap->image = QImage(bitmap->storage.data(), int(width), int(height), qsizetype(stride), format);
  if (bpp == 8) {
    const DWORD colours = h.biClrUsed == 0 || h.biClrUsed > 256 ? 256 : h.biClrUsed;
    QList<QRgb> table;
    for (DWORD i = 0; i < colours; ++i) {
      const RGBQUAD& q = info->bmiColors[i];
      table.append(qRgb(q.rgbRed, q.rgbGreen, q.rgbBlue));
    }
    while (table.size() < 256) table.append(qRgb(0, 0, 0));  // indexes past the table read black
    bitmap->image.setColorTable(table);
  }
  bitmap->bottomUp = h.biHeight > 0;
  if (bits) *bits = bitmap->storage.data();
  return Register(bitmap);
}
