// GIF through giflib: the first frame, on its logical screen, transparency as the alpha mask.
#include <gif_lib.h>

#include "platform/polyimage/polyimage_pvt.h"

namespace pip {
namespace {

struct Reader {
  const uint8_t* data;
  size_t size;
  size_t pos;
};

int ReadBytes(GifFileType* gif, GifByteType* dest, int count) {
  Reader* r = static_cast<Reader*>(gif->UserData);
  size_t n = count < 0 ? 0 : std::min(size_t(count), r->size - r->pos);
  std::memcpy(dest, r->data + r->pos, n);
  r->pos += n;
  return int(n);
}

bool ReadFirstFrame(GifFileType* gif, Image& out) {
  int transparent = -1;
  for (;;) {
    GifRecordType type;
    if (DGifGetRecordType(gif, &type) == GIF_ERROR) return false;
    if (type == TERMINATE_RECORD_TYPE) return false;
    if (type == EXTENSION_RECORD_TYPE) {
      int code;
      GifByteType* ext;
      if (DGifGetExtension(gif, &code, &ext) == GIF_ERROR) return false;
      while (ext) {
        if (code == GRAPHICS_EXT_FUNC_CODE && ext[0] >= 4 && (ext[1] & 1)) transparent = ext[4];
        if (DGifGetExtensionNext(gif, &ext) == GIF_ERROR) return false;
      }
      continue;
    }
    if (type != IMAGE_DESC_RECORD_TYPE) continue;
    if (DGifGetImageDesc(gif) == GIF_ERROR) return false;
    const GifImageDesc& desc = gif->Image;
    ColorMapObject* map = desc.ColorMap ? desc.ColorMap : gif->SColorMap;
    if (!map || desc.Width <= 0 || desc.Height <= 0) return false;
    int width = gif->SWidth, height = gif->SHeight;
    if (!ValidSize(width, height)) width = desc.Width, height = desc.Height;
    if (!ValidSize(desc.Width, desc.Height) || !Allocate(out, width, height, 3)) return false;
    std::vector<GifPixelType> indexes(size_t(desc.Width) * desc.Height);
    if (desc.Interlace) {
      static const int start[] = {0, 4, 2, 1}, step[] = {8, 8, 4, 2};
      for (int pass = 0; pass < 4; ++pass)
        for (int y = start[pass]; y < desc.Height; y += step[pass])
          if (DGifGetLine(gif, &indexes[size_t(y) * desc.Width], desc.Width) == GIF_ERROR) return false;
    } else {
      for (int y = 0; y < desc.Height; ++y)
        if (DGifGetLine(gif, &indexes[size_t(y) * desc.Width], desc.Width) == GIF_ERROR) return false;
    }
    // Area outside the first frame shows nothing yet: transparent.
    std::memset(out.pixels.data(), 0, out.pixels.size());
    bool covered = desc.Left == 0 && desc.Top == 0 && desc.Width == width && desc.Height == height;
    bool needAlpha = transparent >= 0 || !covered;
    if (needAlpha) {
      out.alpha = Bytes(size_t(width) * height);
      std::memset(out.alpha.data(), 0, out.alpha.size());
    }
    for (int y = 0; y < desc.Height; ++y) {
      int ty = desc.Top + y;
      if (ty < 0 || ty >= height) continue;
      for (int x = 0; x < desc.Width; ++x) {
        int tx = desc.Left + x;
        if (tx < 0 || tx >= width) continue;
        int index = indexes[size_t(y) * desc.Width + x];
        if (index == transparent) continue;
        GifColorType c = index < map->ColorCount ? map->Colors[index] : GifColorType{0, 0, 0};
        uint8_t* p = out.Row(ty) + 3 * tx;
        p[0] = c.Blue;
        p[1] = c.Green;
        p[2] = c.Red;
        if (needAlpha) out.alpha.data()[size_t(ty) * width + tx] = 255;
      }
    }
    out.format = PIP_FORMAT_GIF;
    return true;
  }
}

}  // namespace

bool DecodeGif(const uint8_t* data, size_t size, Image& out) {
  Reader reader{data, size, 0};
  int error = 0;
  GifFileType* gif = DGifOpen(&reader, ReadBytes, &error);
  if (!gif) return false;
  bool ok = false;
  try {
    ok = ReadFirstFrame(gif, out);
  } catch (...) {
    ok = false;
  }
  DGifCloseFile(gif, &error);
  if (!ok) out = Image();
  return ok;
}

}  // namespace pip
