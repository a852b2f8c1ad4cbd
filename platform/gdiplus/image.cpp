// Image: construction from files, sizes, frames and the last status.
#include "platform/gdiplus/image.h"

#include "platform/gdiplus/gdiplus_p.h"

using namespace gdiplus_p;

namespace Gdiplus {

Image::Image() : nativeImage(nullptr), lastResult(Ok) {
  SetStatus(Guard([&] {
    nativeImage = new ImageData;
    return Ok;
  }));
}

Image::Image(const WCHAR* filename, BOOL) : Image() {
  if (!nativeImage) return;
  SetStatus(Guard([&] { return LoadImageFile(filename, *nativeImage); }));
  if (lastResult != Ok) {
    nativeImage->frames.clear();
    nativeImage->properties.clear();
  }
}

Image::~Image() {
  // A multi-frame save never flushed still gets its file, as when the encoder is closed.
  if (nativeImage && nativeImage->pendingSave) Guard([&] { return FlushPendingSave(*nativeImage); });
  delete nativeImage;
}

Image* Image::FromFile(const WCHAR* filename, BOOL useEmbeddedColorManagement) {
  try {
    return new Image(filename, useEmbeddedColorManagement);
  } catch (...) {
    return nullptr;
  }
}

Image* Image::Clone() {
  if (!nativeImage || !nativeImage->Frame()) {
    SetStatus(InvalidParameter);
    return nullptr;
  }
  Image* copy = nullptr;
  SetStatus(Guard([&] {
    std::unique_ptr<Image> result(new Image());
    if (!result->nativeImage) return OutOfMemory;
    ImageData& to = *result->nativeImage;
    for (const QImage& frame : nativeImage->frames) {
      to.frames.push_back(frame.copy());
      if (to.frames.back().isNull()) return OutOfMemory;
    }
    to.active = nativeImage->active;
    to.dimension = nativeImage->dimension;
    to.rawFormat = nativeImage->rawFormat;
    to.properties = nativeImage->properties;
    copy = result.release();
    return Ok;
  }));
  return copy;
}

UINT Image::GetWidth() {
  QImage* frame = nativeImage ? nativeImage->Frame() : nullptr;
  SetStatus(frame ? Ok : InvalidParameter);
  return frame ? UINT(frame->width()) : 0;
}

UINT Image::GetHeight() {
  QImage* frame = nativeImage ? nativeImage->Frame() : nullptr;
  SetStatus(frame ? Ok : InvalidParameter);
  return frame ? UINT(frame->height()) : 0;
}

PixelFormat Image::GetPixelFormat() {
  QImage* frame = nativeImage ? nativeImage->Frame() : nullptr;
  SetStatus(frame ? Ok : InvalidParameter);
  return frame ? GdiplusFormat(*frame) : PixelFormatUndefined;
}

Status Image::GetRawFormat(GUID* format) {
  if (!format || !nativeImage || !nativeImage->Frame()) return SetStatus(InvalidParameter);
  *format = nativeImage->rawFormat;
  return SetStatus(Ok);
}

UINT Image::GetFrameDimensionsCount() {
  bool loaded = nativeImage && nativeImage->Frame();
  SetStatus(loaded ? Ok : InvalidParameter);
  return loaded ? 1 : 0;
}

Status Image::GetFrameDimensionsList(GUID* dimensionIDs, UINT count) {
  if (!dimensionIDs || count != 1 || !nativeImage || !nativeImage->Frame()) return SetStatus(InvalidParameter);
  dimensionIDs[0] = nativeImage->dimension;
  return SetStatus(Ok);
}

UINT Image::GetFrameCount(const GUID* dimensionID) {
  if (!dimensionID || !nativeImage || !nativeImage->Frame() || *dimensionID != nativeImage->dimension) {
    SetStatus(InvalidParameter);
    return 0;
  }
  SetStatus(Ok);
  return UINT(nativeImage->frames.size());
}

Status Image::SelectActiveFrame(const GUID* dimensionID, UINT frameIndex) {
  if (!dimensionID || !nativeImage || *dimensionID != nativeImage->dimension ||
      frameIndex >= nativeImage->frames.size())
    return SetStatus(InvalidParameter);
  if (nativeImage->lock || nativeImage->hdcCount > 0) return SetStatus(ObjectBusy);
  nativeImage->active = frameIndex;
  return SetStatus(Ok);
}

Status Image::GetLastStatus() const {
  Status status = lastResult;
  lastResult = Ok;
  return status;
}

Status Image::SetStatus(Status status) const {
  if (status != Ok) lastResult = status;
  return status;
}

}  // namespace Gdiplus
