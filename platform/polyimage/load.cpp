// Loading images from files, memory and raw pixel rows; thumbnails; file facts.
#include "platform/polyimage/polyimage_pvt.h"

namespace pip {

FileKind Sniff(const uint8_t* d, size_t n) {
  if (n >= 3 && d[0] == 0xFF && d[1] == 0xD8 && d[2] == 0xFF) return FileKind::Jpeg;
  if (n >= 8 && std::memcmp(d, "\x89PNG\r\n\x1a\n", 8) == 0) return FileKind::Png;
  if (n >= 6 && (std::memcmp(d, "GIF87a", 6) == 0 || std::memcmp(d, "GIF89a", 6) == 0)) return FileKind::Gif;
  if (n >= 2 && d[0] == 'B' && d[1] == 'M') return FileKind::Bmp;
  if (n >= 4 && (std::memcmp(d, "II*\0", 4) == 0 || std::memcmp(d, "MM\0*", 4) == 0)) return FileKind::Tiff;
  return FileKind::Unknown;
}

namespace {

bool Decode(const uint8_t* data, size_t size, Image& out, int boxWidth = 0, int boxHeight = 0,
            bool accurate = false) {
  switch (Sniff(data, size)) {
    case FileKind::Jpeg:
      if (!DecodeJpeg(data, size, out, boxWidth, boxHeight, accurate)) return false;
      out.orientation = JpegExifOrientation(data, size);
      return true;
    case FileKind::Png: return DecodePng(data, size, out);
    case FileKind::Gif: return DecodeGif(data, size, out);
    case FileKind::Bmp: return DecodeBmp(data, size, out);
    case FileKind::Tiff: return DecodeTiff(data, size, out);
    case FileKind::Unknown: break;
  }
  return false;
}

// Replaces the session's image; a failed load leaves it empty. A box (sides of the upright
// picture) lets a JPEG decode at a reduced DCT scale that still covers it.
int Load(Session* s, const uint8_t* data, size_t size, const char* function, int boxWidth = 0, int boxHeight = 0,
         bool accurate = false) {
  s->image = Image();
  Image image;
  if ((boxWidth > 0 || boxHeight > 0) && s->autoRotate && Sniff(data, size) == FileKind::Jpeg &&
      JpegExifOrientation(data, size) >= 5)
    std::swap(boxWidth, boxHeight);  // the file's rows become the picture's columns
  if (!Decode(data, size, image, boxWidth, boxHeight, accurate)) {
    Fail(function, "not a readable image");
    return 0;
  }
  if (s->autoRotate && image.orientation > 1 && !ApplyOrientation(image, image.orientation)) return 0;
  s->image = std::move(image);
  return 1;
}

// Offset of the first JPEG start of image (FF D8 FF) in a file that is not itself an image.
bool FindEmbeddedJpeg(const std::vector<uint8_t>& file, size_t& at) {
  for (size_t i = 0; i + 3 <= file.size(); ++i) {
    const uint8_t* hit = static_cast<const uint8_t*>(std::memchr(file.data() + i, 0xFF, file.size() - i));
    if (!hit) return false;
    i = size_t(hit - file.data());
    if (i + 3 <= file.size() && hit[1] == 0xD8 && hit[2] == 0xFF) {
      at = i;
      return true;
    }
  }
  return false;
}

}  // namespace
}  // namespace pip

using namespace pip;

int cLoadImage(int session, LPCSTR path, int, int, int) {
  return Guard("cLoadImage", [&] {
    Session* s = Find(session);
    if (!s) return 0;
    Bytes file;
    if (!ReadFile(path, file)) {
      s->image = Image();
      Fail("cLoadImage", "cannot read the file");
      return 0;
    }
    return Load(s, file.data(), file.size(), "cLoadImage");
  });
}

int cLoadImageCovering(int session, LPCSTR path, int minWidth, int minHeight, int quality) {
  return Guard("cLoadImageCovering", [&] {
    Session* s = Find(session);
    if (!s) return 0;
    Bytes file;
    if (!ReadFile(path, file)) {
      s->image = Image();
      Fail("cLoadImageCovering", "cannot read the file");
      return 0;
    }
    return Load(s, file.data(), file.size(), "cLoadImageCovering", std::max(0, minWidth), std::max(0, minHeight),
                quality > PIP_RESAMPLE_FAST);
  });
}

int cLoadData(int session, const void* bytes, DWORD length, int, int, int) {
  return Guard("cLoadData", [&] {
    Session* s = Find(session);
    if (!s || !bytes) return 0;
    return Load(s, static_cast<const uint8_t*>(bytes), length, "cLoadData");
  });
}

int cLoadImage8(int session, const BYTE* pixels, DWORD length, int width, int height, int, int, int) {
  return Guard("cLoadImage8", [&] {
    Session* s = Find(session);
    Image image;
    if (!s || !pixels || !ValidSize(width, height) || length < uint64_t(width) * height * 3) return 0;
    if (!Allocate(image, width, height, 3)) return 0;
    std::memcpy(image.pixels.data(), pixels, image.pixels.size());
    image.xDpi = s->image.xDpi;
    image.yDpi = s->image.yDpi;
    s->image = std::move(image);
    return 1;
  });
}

int cLoadImageChannels8(int session, const BYTE* red, const BYTE* green, const BYTE* blue, int width, int height) {
  return Guard("cLoadImageChannels8", [&] {
    Session* s = Find(session);
    if (!s || !red || !green || !blue) return 0;
    if (width == 0 && height == 0) width = s->image.width, height = s->image.height;
    Image image;
    if (!Allocate(image, width, height, 3)) return 0;
    size_t count = size_t(width) * height;
    uint8_t* d = image.pixels.data();
    for (size_t i = 0; i < count; ++i, d += 3) d[0] = blue[i], d[1] = green[i], d[2] = red[i];
    if (width == s->image.width && height == s->image.height) image.alpha = std::move(s->image.alpha);
    image.xDpi = s->image.xDpi;
    image.yDpi = s->image.yDpi;
    s->image = std::move(image);
    return 1;
  });
}

int cLoadThumbnail(int session, LPCSTR path, int maxWidth, int maxHeight) {
  return Guard("cLoadThumbnail", [&] {
    Session* s = Find(session);
    if (!s || maxWidth <= 0 || maxHeight <= 0) return 0;
    s->image = Image();
    std::vector<uint8_t> file;
    if (!ReadFile(path, file)) return 0;
    size_t at = 0;
    if (Sniff(file.data(), file.size()) == FileKind::Unknown && !FindEmbeddedJpeg(file, at)) return 0;
    const uint8_t* data = file.data() + at;
    size_t size = file.size() - at;
    // DCT scaling only for upright files: the box applies to the turned picture.
    int orientation = Sniff(data, size) == FileKind::Jpeg ? JpegExifOrientation(data, size) : 0;
    bool turned = s->autoRotate && orientation >= 5;
    Image image;
    if (!Decode(data, size, image, turned ? maxHeight : maxWidth, turned ? maxWidth : maxHeight)) return 0;
    if (s->autoRotate && image.orientation > 1 && !ApplyOrientation(image, image.orientation)) return 0;
    if (image.width > maxWidth || image.height > maxHeight) {
      double scale = std::min(double(maxWidth) / image.width, double(maxHeight) / image.height);
      int w = std::max(1, int(image.width * scale + 0.5)), h = std::max(1, int(image.height * scale + 0.5));
      if (!ResizeImage(image, std::min(w, maxWidth), std::min(h, maxHeight), PIP_RESAMPLE_FAST)) return 0;
    }
    if (!ToColour(image)) return 0;
    s->image = std::move(image);
    return 1;
  });
}

int cGetImageFileInfo(LPCSTR path, int, DWORD* width, DWORD* height, BYTE* bitsPerPixel, DWORD* fileFormat) {
  if (width) *width = 0;
  if (height) *height = 0;
  if (bitsPerPixel) *bitsPerPixel = 0;
  if (fileFormat) *fileFormat = 0;
  return Guard("cGetImageFileInfo", [&] {
    std::vector<uint8_t> file;
    if (!ReadFile(path, file)) return 0;
    int w = 0, h = 0, channels = 0, format = 0;
    if (Sniff(file.data(), file.size()) == FileKind::Jpeg) {
      if (!JpegHeader(file.data(), file.size(), w, h, channels)) return 0;
      format = PIP_FORMAT_JPEG;
    } else {
      Image image;
      if (!Decode(file.data(), file.size(), image)) return 0;
      w = image.width, h = image.height, channels = image.channels, format = image.format;
    }
    if (width) *width = DWORD(w);
    if (height) *height = DWORD(h);
    if (bitsPerPixel) *bitsPerPixel = BYTE(channels * 8);
    if (fileFormat) *fileFormat = DWORD(format);
    return 1;
  });
}
