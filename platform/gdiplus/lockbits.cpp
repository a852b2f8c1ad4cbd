// LockBits/UnlockBits: the frame's own rows when the format matches, else a converted copy
// that UnlockBits writes back.
#include <cstring>

#include "platform/gdiplus/gdiplus_p.h"
#include "platform/gdiplus/image.h"

using namespace gdiplus_p;

namespace Gdiplus {

Status Bitmap::LockBits(const Rect* rect, UINT flags, PixelFormat format, BitmapData* data) {
  QImage* frame = nativeImage ? nativeImage->Frame() : nullptr;
  if (!frame || !data || !(flags & (ImageLockModeRead | ImageLockModeWrite))) return SetStatus(InvalidParameter);
  if (flags & ImageLockModeUserInputBuf) return SetStatus(NotImplemented);
  Rect area = rect ? *rect : Rect(0, 0, frame->width(), frame->height());
  if (area.X < 0 || area.Y < 0 || area.Width <= 0 || area.Height <= 0 || area.Width > frame->width() - area.X ||
      area.Height > frame->height() - area.Y)
    return SetStatus(InvalidParameter);
  QImage::Format qtFormat = QtFormat(format);
  if (qtFormat == QImage::Format_Invalid) return SetStatus(InvalidParameter);
  // Palette indexes mean nothing without the frame's own palette.
  if (qtFormat == QImage::Format_Indexed8 && frame->format() != QImage::Format_Indexed8)
    return SetStatus(InvalidParameter);
  if (nativeImage->lock) return SetStatus(WrongState);
  if (nativeImage->hdcCount > 0) return SetStatus(ObjectBusy);

  return SetStatus(Guard([&] {
    auto lock = std::make_unique<LockState>();
    lock->rect = area;
    lock->flags = flags;
    lock->format = format;
    BYTE* scan0;
    INT stride;
    if (qtFormat == frame->format()) {
      uchar* bits = frame->bits();  // detaches shared pixels, so writes stay in this frame
      if (!bits) return OutOfMemory;
      stride = INT(frame->bytesPerLine());
      scan0 = bits + size_t(area.Y) * stride + size_t(area.X) * (frame->depth() / 8);
    } else {
      QImage part = ConvertTo(frame->copy(area.X, area.Y, area.Width, area.Height), qtFormat);
      if (part.isNull()) return OutOfMemory;
      size_t rowBytes = size_t(area.Width) * (GetPixelFormatSize(format) / 8);
      stride = INT((rowBytes + 3) & ~size_t(3));
      lock->buffer.resize(size_t(stride) * area.Height);
      for (int y = 0; y < area.Height; ++y)
        std::memcpy(lock->buffer.data() + size_t(y) * stride, part.constScanLine(y), rowBytes);
      scan0 = lock->buffer.data();
    }
    data->Width = UINT(area.Width);
    data->Height = UINT(area.Height);
    data->Stride = stride;
    data->PixelFormat = format;
    data->Scan0 = scan0;
    data->Reserved = reinterpret_cast<UINT_PTR>(lock.get());
    nativeImage->lock = std::move(lock);
    return Ok;
  }));
}

Status Bitmap::UnlockBits(BitmapData* data) {
  QImage* frame = nativeImage ? nativeImage->Frame() : nullptr;
  if (!frame || !data) return SetStatus(InvalidParameter);
  LockState* lock = nativeImage->lock.get();
  if (!lock || data->Reserved != reinterpret_cast<UINT_PTR>(lock)) return SetStatus(WrongState);
  Status status = Ok;
  if ((lock->flags & ImageLockModeWrite) && !lock->buffer.empty()) {
    status = Guard([&] {
      const Rect& area = lock->rect;
      size_t stride = lock->buffer.size() / area.Height;
      QImage written(lock->buffer.data(), area.Width, area.Height, qsizetype(stride), QtFormat(lock->format));
      QImage stored = written.convertToFormat(frame->format(), frame->colorTable());
      if (stored.isNull()) return OutOfMemory;
      size_t rowBytes = size_t(area.Width) * (frame->depth() / 8);
      for (int y = 0; y < area.Height; ++y)
        std::memcpy(frame->scanLine(area.Y + y) + size_t(area.X) * (frame->depth() / 8), stored.constScanLine(y),
                    rowBytes);
      return Ok;
    });
  }
  nativeImage->lock.reset();
  data->Reserved = 0;
  return SetStatus(status);
}

}  // namespace Gdiplus
