// Palettes of 8-bit indexed images; other images have an empty one.
#include <cstddef>

#include "platform/gdiplus/gdiplus_p.h"
#include "platform/gdiplus/image.h"

using namespace gdiplus_p;

namespace Gdiplus {

namespace {
INT PaletteBytes(UINT count) {
  return INT(offsetof(ColorPalette, Entries) + sizeof(ARGB) * (count > 0 ? count : 1));
}
}  // namespace

INT Image::GetPaletteSize() {
  QImage* frame = nativeImage ? nativeImage->Frame() : nullptr;
  if (!frame) return SetStatus(InvalidParameter), 0;
  return PaletteBytes(UINT(frame->colorTable().size()));
}

Status Image::GetPalette(ColorPalette* palette, INT size) {
  QImage* frame = nativeImage ? nativeImage->Frame() : nullptr;
  if (!frame || !palette) return SetStatus(InvalidParameter);
  const QList<QRgb> table = frame->colorTable();
  if (size < PaletteBytes(UINT(table.size()))) return SetStatus(InsufficientBuffer);
  palette->Flags = 0;
  palette->Count = UINT(table.size());
  ARGB* entries = palette->Entries;  // Count entries follow the header
  for (qsizetype i = 0; i < table.size(); ++i) {
    entries[i] = table[i];
    if (qAlpha(table[i]) != 255) palette->Flags |= PaletteFlagsHasAlpha;
  }
  return SetStatus(Ok);
}

Status Image::SetPalette(const ColorPalette* palette) {
  QImage* frame = nativeImage ? nativeImage->Frame() : nullptr;
  if (!frame || !palette || palette->Count > 256) return SetStatus(InvalidParameter);
  if (frame->format() != QImage::Format_Indexed8) return SetStatus(InvalidParameter);
  if (nativeImage->lock) return SetStatus(ObjectBusy);
  return SetStatus(Guard([&] {
    const ARGB* entries = palette->Entries;
    QList<QRgb> table(entries, entries + palette->Count);
    frame->setColorTable(table);
    return Ok;
  }));
}

}  // namespace Gdiplus
