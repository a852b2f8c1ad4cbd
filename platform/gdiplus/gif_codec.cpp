// GIF through giflib: every frame composed on the logical screen (disposal honoured) with
// the frame-delay and loop-count properties; writing streams frames into memory.
#include <gif_lib.h>

#include <QHash>

#include <algorithm>
#include <cstring>

#include "platform/gdiplus/gdiplus_p.h"

namespace gdiplus_p {

using namespace Gdiplus;

namespace {

struct MemoryReader {
  const BYTE* data;
  size_t size;
  size_t pos;
};

int ReadFromMemory(GifFileType* gif, GifByteType* dest, int count) {
  auto* reader = static_cast<MemoryReader*>(gif->UserData);
  size_t n = count <= 0 ? 0 : std::min(size_t(count), reader->size - reader->pos);
  if (n) std::memcpy(dest, reader->data + reader->pos, n);
  reader->pos += n;
  return int(n);
}

int WriteToMemory(GifFileType* gif, const GifByteType* data, int count) {
  auto* bytes = static_cast<std::vector<BYTE>*>(gif->UserData);
  if (count <= 0) return 0;
  try {
    bytes->insert(bytes->end(), data, data + count);
  } catch (...) {
    return 0;  // giflib reports the short write
  }
  return count;
}

struct GifCloser {
  void operator()(GifFileType* gif) const {
    int error = 0;
    DGifCloseFile(gif, &error);
  }
};

void PutProperty(ImageData& out, PROPID id, WORD type, const void* value, size_t size) {
  Property property;
  property.type = type;
  property.value.assign(static_cast<const BYTE*>(value), static_cast<const BYTE*>(value) + size);
  out.properties[id] = std::move(property);
}

// Reads the rows of one image, deinterlacing; false on a read error.
bool ReadRows(GifFileType* gif, int width, int height, bool interlaced, std::vector<GifPixelType>& indexes) {
  indexes.assign(size_t(width) * height, 0);
  if (!interlaced) {
    for (int y = 0; y < height; ++y)
      if (DGifGetLine(gif, indexes.data() + size_t(y) * width, width) == GIF_ERROR) return false;
    return true;
  }
  static const int kStart[] = {0, 4, 2, 1}, kStep[] = {8, 8, 4, 2};
  for (int pass = 0; pass < 4; ++pass)
    for (int y = kStart[pass]; y < height; y += kStep[pass])
      if (DGifGetLine(gif, indexes.data() + size_t(y) * width, width) == GIF_ERROR) return false;
  return true;
}

}  // namespace

Status DecodeGif(const std::vector<BYTE>& bytes, ImageData& out) {
  MemoryReader reader{bytes.data(), bytes.size(), 0};
  int error = 0;
  std::unique_ptr<GifFileType, GifCloser> gif(DGifOpen(&reader, ReadFromMemory, &error));
  if (!gif) return InvalidParameter;
  const int width = gif->SWidth, height = gif->SHeight;
  if (width <= 0 || height <= 0) return InvalidParameter;
  const size_t frameBytes = size_t(width) * height * 4;
  if (frameBytes > kMaxDecodedBytes) return OutOfMemory;

  // The screen is made when its first frame has been read: a damaged file claiming a huge
  // screen and holding no image costs nothing.
  QImage canvas;
  std::vector<DWORD> delays;
  std::optional<int> loopCount;
  GraphicsControlBlock control{DISPOSAL_UNSPECIFIED, false, 0, NO_TRANSPARENT_COLOR};
  std::vector<GifPixelType> indexes;

  for (;;) {
    GifRecordType type;
    if (DGifGetRecordType(gif.get(), &type) == GIF_ERROR) break;
    if (type == TERMINATE_RECORD_TYPE) break;
    if (type == EXTENSION_RECORD_TYPE) {
      int code = 0;
      GifByteType* block = nullptr;
      if (DGifGetExtension(gif.get(), &code, &block) == GIF_ERROR) break;
      bool netscape = code == APPLICATION_EXT_FUNC_CODE && block && block[0] == 11 &&
                      std::memcmp(block + 1, "NETSCAPE2.0", 11) == 0;
      if (code == GRAPHICS_EXT_FUNC_CODE && block && block[0] >= 4) DGifExtensionToGCB(block[0], block + 1, &control);
      bool failed = false;
      while (block) {
        if (DGifGetExtensionNext(gif.get(), &block) == GIF_ERROR) {
          failed = true;
          break;
        }
        if (netscape && block && block[0] >= 3 && block[1] == 1) loopCount = block[2] | (block[3] << 8);
      }
      if (failed) break;
      continue;
    }
    if (type != IMAGE_DESC_RECORD_TYPE) continue;
    if (DGifGetImageDesc(gif.get()) == GIF_ERROR) break;
    const GifImageDesc& desc = gif->Image;
    if (desc.Width <= 0 || desc.Height <= 0) break;
    // A frame is never larger than the screen it is drawn on: its own size is what the rows
    // cost, whatever a damaged descriptor claims.
    if (desc.Width > width || desc.Height > height) break;
    if ((frameBytes + 1024) * (out.frames.size() + 2) > kMaxDecodedBytes) return OutOfMemory;
    if (!ReadRows(gif.get(), desc.Width, desc.Height, desc.Interlace, indexes)) break;
    const ColorMapObject* map = desc.ColorMap ? desc.ColorMap : gif->SColorMap;
    if (!map || !map->Colors) break;
    if (canvas.isNull()) {
      canvas = QImage(width, height, QImage::Format_ARGB32);
      if (canvas.isNull()) return OutOfMemory;
      canvas.fill(0);
    }

    QImage before = control.DisposalMode == DISPOSE_PREVIOUS ? canvas.copy() : QImage();
    // Only the part of the image on the screen is drawn; indexes past the map are skipped.
    const int x0 = std::max(0, desc.Left), y0 = std::max(0, desc.Top);
    const int x1 = std::min(width, desc.Left + desc.Width), y1 = std::min(height, desc.Top + desc.Height);
    for (int y = y0; y < y1; ++y) {
      auto* row = reinterpret_cast<QRgb*>(canvas.scanLine(y));
      const GifPixelType* source = indexes.data() + size_t(y - desc.Top) * desc.Width;
      for (int x = x0; x < x1; ++x) {
        int index = source[x - desc.Left];
        if (index == control.TransparentColor || index >= map->ColorCount) continue;
        const GifColorType& c = map->Colors[index];
        row[x] = qRgb(c.Red, c.Green, c.Blue);
      }
    }
    out.frames.push_back(canvas.copy());
    if (out.frames.back().isNull()) return OutOfMemory;
    delays.push_back(DWORD(std::max(0, control.DelayTime)));

    if (control.DisposalMode == DISPOSE_BACKGROUND) {
      for (int y = y0; y < y1; ++y) std::fill_n(reinterpret_cast<QRgb*>(canvas.scanLine(y)) + x0, x1 - x0, 0u);
    } else if (control.DisposalMode == DISPOSE_PREVIOUS && !before.isNull()) {
      canvas = before;
    }
    control = GraphicsControlBlock{DISPOSAL_UNSPECIFIED, false, 0, NO_TRANSPARENT_COLOR};
  }

  // A file cut short keeps the frames read whole; one without any is refused.
  if (out.frames.empty()) return InvalidParameter;
  out.dimension = FrameDimensionTime;
  out.rawFormat = ImageFormatGIF;
  PutProperty(out, PropertyTagFrameDelay, PropertyTagTypeLong, delays.data(), delays.size() * sizeof(DWORD));
  if (loopCount) {
    WORD loop = WORD(*loopCount);
    PutProperty(out, PropertyTagLoopCount, PropertyTagTypeShort, &loop, sizeof loop);
  }
  return Ok;
}

struct GifEncoder::Gif {
  GifFileType* file;
};

namespace {

// The frame as palette indexes: exact when its colours fit in 256 entries, else dithered
// by Qt. Pixels more than half transparent share one transparent entry.
QImage IndexedFrame(const QImage& frame) {
  if (frame.format() == QImage::Format_Indexed8) return frame;
  const QImage argb = frame.convertToFormat(QImage::Format_ARGB32);
  if (argb.isNull()) return argb;
  const int w = argb.width(), h = argb.height();
  auto key = [](QRgb p) { return qAlpha(p) < 128 ? QRgb(0) : (p | 0xFF000000u); };

  QImage exact(w, h, QImage::Format_Indexed8);
  if (exact.isNull()) return exact;
  QHash<QRgb, int> indexes;
  QList<QRgb> table;
  bool fits = true;
  for (int y = 0; fits && y < h; ++y) {
    const auto* row = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
    uchar* out = exact.scanLine(y);
    for (int x = 0; x < w; ++x) {
      QRgb k = key(row[x]);
      auto it = indexes.constFind(k);
      if (it == indexes.constEnd()) {
        if (table.size() == 256) {
          fits = false;
          break;
        }
        it = indexes.insert(k, int(table.size()));
        table.append(k);
      }
      out[x] = uchar(*it);
    }
  }
  if (fits) {
    exact.setColorTable(table);
    return exact;
  }

  bool holes = false;
  for (int y = 0; !holes && y < h; ++y) {
    const auto* row = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
    holes = std::any_of(row, row + w, [&](QRgb p) { return key(p) == 0; });
  }
  if (!holes) return argb.convertToFormat(QImage::Format_RGB32).convertToFormat(QImage::Format_Indexed8, Qt::DiffuseDither);

  // Qt's dithering fills all 256 entries; with holes, the nearest colour of a cube plus one
  // transparent entry.
  QList<QRgb> cube = HalftonePalette().mid(0, 216);
  QImage mapped = argb.convertToFormat(QImage::Format_RGB32).convertToFormat(QImage::Format_Indexed8, cube);
  if (mapped.isNull()) return mapped;
  const uchar transparent = uchar(cube.size());
  for (int y = 0; y < h; ++y) {
    const auto* row = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
    uchar* out = mapped.scanLine(y);
    for (int x = 0; x < w; ++x)
      if (key(row[x]) == 0) out[x] = transparent;
  }
  cube.append(0);
  mapped.setColorTable(cube);
  return mapped;
}

int MapSize(int entries) {
  int size = 2;
  while (size < entries && size < 256) size *= 2;
  return size;
}

}  // namespace

GifEncoder::~GifEncoder() {
  if (gif) {
    int error = 0;
    EGifCloseFile(gif->file, &error);
    delete gif;
  }
}

Status GifEncoder::Begin(const QImage& first, std::vector<DWORD> frameDelays, std::optional<int> loopCount) {
  if (gif || first.isNull()) return WrongState;
  int error = 0;
  GifFileType* file = EGifOpen(&bytes, WriteToMemory, &error);
  if (!file) return OutOfMemory;
  gif = new Gif{file};
  EGifSetGifVersion(file, true);
  width = first.width();
  height = first.height();
  if (width > 0xFFFF || height > 0xFFFF) return InvalidParameter;
  if (EGifPutScreenDesc(file, width, height, 8, 0, nullptr) == GIF_ERROR) return Win32Error;
  if (loopCount) {
    GifByteType loop[3] = {1, GifByteType(*loopCount & 0xFF), GifByteType((*loopCount >> 8) & 0xFF)};
    if (EGifPutExtensionLeader(file, APPLICATION_EXT_FUNC_CODE) == GIF_ERROR ||
        EGifPutExtensionBlock(file, 11, "NETSCAPE2.0") == GIF_ERROR || EGifPutExtensionBlock(file, 3, loop) == GIF_ERROR ||
        EGifPutExtensionTrailer(file) == GIF_ERROR)
      return Win32Error;
  }
  delays = std::move(frameDelays);
  return AddFrame(first);
}

Status GifEncoder::AddFrame(const QImage& frame) {
  if (!gif) return WrongState;
  if (frame.isNull()) return InvalidParameter;
  QImage indexed = IndexedFrame(frame);
  if (indexed.isNull()) return OutOfMemory;
  const int w = std::min(width, indexed.width()), h = std::min(height, indexed.height());

  const QList<QRgb> table = indexed.colorTable();
  int highest = 0;
  for (int y = 0; y < h; ++y) {
    const uchar* row = indexed.constScanLine(y);
    highest = std::max<int>(highest, *std::max_element(row, row + w));
  }
  const int entries = MapSize(std::max<int>(int(table.size()), highest + 1));
  std::vector<GifColorType> colors(size_t(entries), GifColorType{0, 0, 0});
  int transparent = NO_TRANSPARENT_COLOR;
  for (int i = 0; i < std::min<int>(entries, int(table.size())); ++i) {
    colors[i] = GifColorType{GifByteType(qRed(table[i])), GifByteType(qGreen(table[i])), GifByteType(qBlue(table[i]))};
    if (transparent == NO_TRANSPARENT_COLOR && qAlpha(table[i]) < 128) transparent = i;
  }

  GraphicsControlBlock control;
  // A frame with holes replaces the previous one instead of showing it through.
  control.DisposalMode = transparent == NO_TRANSPARENT_COLOR ? DISPOSE_DO_NOT : DISPOSE_BACKGROUND;
  control.UserInputFlag = false;
  control.DelayTime = frameIndex < delays.size() ? int(std::min<DWORD>(delays[frameIndex], 0xFFFF)) : 0;
  control.TransparentColor = transparent;
  GifByteType extension[4];
  size_t length = EGifGCBToExtension(&control, extension);

  ColorMapObject* map = GifMakeMapObject(entries, colors.data());
  if (!map) return OutOfMemory;
  GifFileType* file = gif->file;
  bool ok = EGifPutExtension(file, GRAPHICS_EXT_FUNC_CODE, int(length), extension) != GIF_ERROR &&
            EGifPutImageDesc(file, 0, 0, w, h, false, map) != GIF_ERROR;
  GifFreeMapObject(map);
  std::vector<GifPixelType> row(static_cast<size_t>(w));
  for (int y = 0; ok && y < h; ++y) {
    std::memcpy(row.data(), indexed.constScanLine(y), size_t(w));
    ok = EGifPutLine(file, row.data(), w) != GIF_ERROR;
  }
  if (!ok) return Win32Error;
  ++frameIndex;
  return Ok;
}

Status GifEncoder::Finish(std::vector<BYTE>& out) {
  if (!gif) return WrongState;
  int error = 0;
  int result = EGifCloseFile(gif->file, &error);
  delete gif;
  gif = nullptr;
  if (result == GIF_ERROR) return Win32Error;
  out = std::move(bytes);
  return Ok;
}

}  // namespace gdiplus_p
