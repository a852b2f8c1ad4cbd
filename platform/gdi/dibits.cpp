// Reading a bitmap's pixels back as a DIB (GetDIBits).
#include <QImage>
#include <algorithm>

#include "platform/gdi/gdi_p.h"
#include "platform/gdi/objects.h"
#include "platform/win32/error.h"

using namespace gdi_p;

int GetDIBits(HDC dc, HBITMAP bitmap, UINT start, UINT lines, LPVOID bits, LPBITMAPINFO info, UINT usage) {
  Bitmap* source = BitmapFromHandle(bitmap);
  if (!DcFromHandle(dc) || !source || !info || usage != DIB_RGB_COLORS) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  BITMAPINFOHEADER& h = info->bmiHeader;
  const int width = source->image.width(), height = source->image.height();
  if (!bits) {
    // Only the size is asked for.
    h.biSize = sizeof(BITMAPINFOHEADER);
    h.biWidth = width;
    h.biHeight = height;
    h.biPlanes = 1;
    h.biBitCount = 32;
    h.biCompression = BI_RGB;
    h.biSizeImage = static_cast<DWORD>(width) * 4 * height;
    return height;
  }
  if (h.biSize < sizeof(BITMAPINFOHEADER) || h.biPlanes != 1 || (h.biBitCount != 24 && h.biBitCount != 32) ||
      h.biCompression != BI_RGB || h.biWidth != width || (h.biHeight != height && h.biHeight != -height)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  if (source->selectedIn) EndPainting(*source->selectedIn);  // drawing still under way lands first
  const bool topDown = h.biHeight < 0;
  const int bytes = h.biBitCount / 8;
  const size_t stride = static_cast<size_t>((static_cast<long long>(width) * h.biBitCount + 31) / 32) * 4;
  QImage image = source->image.convertToFormat(QImage::Format_RGB32);
  if (start >= static_cast<UINT>(height)) return 0;
  UINT count = std::min<UINT>(lines, static_cast<UINT>(height) - start);
  auto* out = static_cast<BYTE*>(bits);
  for (UINT line = 0; line < count; ++line) {
    // DIB line `start + line` counts from the top for top-down DIBs, else from the bottom.
    int dibRow = static_cast<int>(start + line);
    int y = topDown ? dibRow : height - 1 - dibRow;
    const auto* pixels = reinterpret_cast<const QRgb*>(image.constScanLine(y));
    BYTE* row = out + stride * line;
    for (int x = 0; x < width; ++x) {
      row[x * bytes] = static_cast<BYTE>(qBlue(pixels[x]));
      row[x * bytes + 1] = static_cast<BYTE>(qGreen(pixels[x]));
      row[x * bytes + 2] = static_cast<BYTE>(qRed(pixels[x]));
      if (bytes == 4) row[x * bytes + 3] = 0;
    }
  }
  return static_cast<int>(count);
}

int SetDIBits(HDC dc, HBITMAP bitmap, UINT start, UINT lines, const void* bits, const BITMAPINFO* info, UINT usage) {
  Bitmap* target = BitmapFromHandle(bitmap);
  // A DIB section's rows are written through its own pointer.
  if (!target || !target->storage.empty() || !bits || !info || usage != DIB_RGB_COLORS) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  (void)dc;  // only its colour format would matter, and every bitmap here is true colour
  const BITMAPINFOHEADER& h = info->bmiHeader;
  const int width = target->image.width(), height = target->image.height();
  if (h.biSize < sizeof(BITMAPINFOHEADER) || h.biPlanes != 1 || (h.biBitCount != 24 && h.biBitCount != 32) ||
      h.biCompression != BI_RGB || h.biWidth != width || (h.biHeight != height && h.biHeight != -height)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  if (start >= static_cast<UINT>(height)) return 0;
  if (target->selectedIn) EndPainting(*target->selectedIn);
  const bool topDown = h.biHeight < 0;
  const int bytes = h.biBitCount / 8;
  const size_t stride = static_cast<size_t>((static_cast<long long>(width) * h.biBitCount + 31) / 32) * 4;
  UINT count = std::min<UINT>(lines, static_cast<UINT>(height) - start);
  if (target->image.format() != QImage::Format_RGB32 && target->image.format() != QImage::Format_ARGB32)
    target->image = target->image.convertToFormat(QImage::Format_RGB32);
  const auto* in = static_cast<const BYTE*>(bits);
  // One detach for the whole copy: scanLine() on a shared image copies it each time.
  uchar* first = target->image.bits();
  const qsizetype bytesPerLine = target->image.bytesPerLine();
  for (UINT line = 0; line < count; ++line) {
    int dibRow = static_cast<int>(start + line);
    int y = topDown ? dibRow : height - 1 - dibRow;
    auto* pixels = reinterpret_cast<QRgb*>(first + bytesPerLine * y);
    const BYTE* row = in + stride * line;
    for (int x = 0; x < width; ++x)
      pixels[x] = qRgb(row[x * bytes + 2], row[x * bytes + 1], row[x * bytes]);
  }
  return static_cast<int>(count);
}
