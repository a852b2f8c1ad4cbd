#include "support/JpegDisplay.h"

#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "platform/gdi/wingdi.h"
#include "platform/polyimage/polyimage.h"
#include "support/JpegMemory.h"
#include "support/Toning.h"

namespace {

// Decoded pictures larger than this are refused before any pixel memory is taken.
const unsigned long long kMaxDecodedPixels = 120ull * 1000 * 1000;

struct Picture {
  int width = 0;
  int height = 0;
  std::vector<BYTE> pixels;  // 3 bytes a pixel
};

// Destroys the decompression object on every way out, thrown errors included.
struct DecompressGuard {
  jpeg_decompress_struct cinfo;
  jpeg_error_mgr err;
  DecompressGuard() {
    cinfo.err = InitJpegErrorManager(&err);
    jpeg_create_decompress(&cinfo);
  }
  ~DecompressGuard() { jpeg_destroy_decompress(&cinfo); }
};

// R,G,B rows of the JPEG decoded at 1/divisor.
Picture DecodeScaled(const BYTE* jpeg, DWORD size, int targetWidth, int targetHeight) {
  DecompressGuard d;
  jpeg_memory_src(&d.cinfo, jpeg, size);
  jpeg_read_header(&d.cinfo, TRUE);
  int divisor = ChooseDctDivisor(int(d.cinfo.image_width), int(d.cinfo.image_height), targetWidth, targetHeight);
  d.cinfo.scale_num = 1;
  d.cinfo.scale_denom = unsigned(divisor);
  d.cinfo.out_color_space = d.cinfo.num_components == 1 ? JCS_GRAYSCALE : JCS_RGB;
  jpeg_calc_output_dimensions(&d.cinfo);
  Picture p;
  if (1ull * d.cinfo.output_width * d.cinfo.output_height > kMaxDecodedPixels) return p;
  jpeg_start_decompress(&d.cinfo);
  p.width = int(d.cinfo.output_width);
  p.height = int(d.cinfo.output_height);
  p.pixels.resize(size_t(p.width) * p.height * 3);
  bool grey = d.cinfo.output_components == 1;
  std::vector<BYTE> greyRow(grey ? p.width : 0);
  while (d.cinfo.output_scanline < d.cinfo.output_height) {
    BYTE* row = &p.pixels[size_t(d.cinfo.output_scanline) * p.width * 3];
    JSAMPROW target = grey ? greyRow.data() : row;
    jpeg_read_scanlines(&d.cinfo, &target, 1);
    if (grey)
      for (int x = 0; x < p.width; ++x) row[3 * x] = row[3 * x + 1] = row[3 * x + 2] = greyRow[x];
  }
  jpeg_finish_decompress(&d.cinfo);
  return p;
}

// Keeps the middle rows of a picture taller than 3:2.
void CropTo3x2Rows(Picture& p) {
  int keep = 2 * p.width / 3;
  if (p.height <= keep || keep <= 0) return;
  int first = (p.height - keep) / 2;
  size_t stride = size_t(p.width) * 3;
  std::memmove(p.pixels.data(), p.pixels.data() + first * stride, keep * stride);
  p.pixels.resize(keep * stride);
  p.height = keep;
}

// Bilinear resample; each output pixel samples the source at its centre times the ratio.
Picture Resample(const Picture& src, int width, int height) {
  Picture out;
  out.width = width;
  out.height = height;
  out.pixels.resize(size_t(width) * height * 3);
  double rx = double(src.width) / width, ry = double(src.height) / height;
  std::vector<int> x0(width), x1(width);
  std::vector<int> wx(width);  // weight of x1 in 1/256
  for (int x = 0; x < width; ++x) {
    double sx = (x + 0.5) * rx;
    int ix = int(sx);
    if (ix > src.width - 1) ix = src.width - 1;
    x0[x] = ix * 3;
    x1[x] = (ix + 1 < src.width ? ix + 1 : ix) * 3;
    wx[x] = int((sx - int(sx)) * 256);
  }
  size_t stride = size_t(src.width) * 3;
  for (int y = 0; y < height; ++y) {
    double sy = (y + 0.5) * ry;
    int iy = int(sy);
    if (iy > src.height - 1) iy = src.height - 1;
    int iy1 = iy + 1 < src.height ? iy + 1 : iy;
    int wy = int((sy - int(sy)) * 256);
    const BYTE* r0 = &src.pixels[iy * stride];
    const BYTE* r1 = &src.pixels[iy1 * stride];
    BYTE* o = &out.pixels[size_t(y) * width * 3];
    for (int x = 0; x < width; ++x) {
      int a = x0[x], b = x1[x], fx = wx[x];
      for (int c = 0; c < 3; ++c) {
        int top = r0[a + c] * (256 - fx) + r0[b + c] * fx;
        int bottom = r1[a + c] * (256 - fx) + r1[b + c] * fx;
        o[3 * x + c] = BYTE((top * (256 - wy) + bottom * wy + 32768) >> 16);
      }
    }
  }
  return out;
}

// R,G,B in, B,G,R out: histogram of the sampled colour, then grey or toned, then crop shading.
void MapPixels(Picture& p, CHistogram* histogram, int greyMode, bool shade, int cropLeft, int cropTop, int cropRight,
               int cropBottom) {
  int left = cropLeft * p.width / 320, right = (cropRight + 1) * p.width / 320 - 1;
  int top = cropTop * p.height / 240, bottom = (cropBottom + 1) * p.height / 240 - 1;
  for (int y = 0; y < p.height; ++y) {
    BYTE* px = &p.pixels[size_t(y) * p.width * 3];
    bool rowOutside = y < top || y > bottom;
    for (int x = 0; x < p.width; ++x, px += 3) {
      BYTE r = px[0], g = px[1], b = px[2];
      if (histogram) histogram->AddPixel(r, g, b);
      bool outside = shade && (rowOutside || x < left || x > right);
      if (greyMode == 1) {
        BYTE v = BYTE(outside ? (r + g + b) / 6 : (r + g + b) / 3);
        px[0] = px[1] = px[2] = v;
      } else if (greyMode == 2) {
        int lum = int(0.212671 * r + 0.71516 * g + 0.072169 * b);
        if (lum > 255) lum = 255;
        px[0] = g_toningTable[lum][2], px[1] = g_toningTable[lum][1], px[2] = g_toningTable[lum][0];
      } else if (outside) {
        px[0] = b / 2, px[1] = g / 2, px[2] = r / 2;
      } else {
        px[0] = b, px[2] = r;
      }
    }
  }
}

// Quarter turns clockwise (90), half (180), anticlockwise (270).
Picture Rotate(const Picture& src, int angle) {
  if (angle != 90 && angle != 180 && angle != 270) return src;
  Picture out;
  bool swap = angle != 180;
  out.width = swap ? src.height : src.width;
  out.height = swap ? src.width : src.height;
  out.pixels.resize(src.pixels.size());
  for (int y = 0; y < src.height; ++y)
    for (int x = 0; x < src.width; ++x) {
      int nx, ny;
      if (angle == 90) nx = src.height - 1 - y, ny = x;
      else if (angle == 180) nx = src.width - 1 - x, ny = src.height - 1 - y;
      else nx = y, ny = src.width - 1 - x;
      std::memcpy(&out.pixels[(size_t(ny) * out.width + nx) * 3], &src.pixels[(size_t(y) * src.width + x) * 3], 3);
    }
  return out;
}

// A screen-compatible bitmap with the B,G,R rows drawn 1:1 as a top-down DIB.
CBitmap* ToScreenBitmap(const Picture& p) {
  if (p.width <= 0 || p.height <= 0) return nullptr;
  size_t stride = (size_t(p.width) * 3 + 3) & ~size_t(3);  // DIB rows end on 4 bytes
  std::vector<BYTE> dib(stride * p.height);
  for (int y = 0; y < p.height; ++y)
    std::memcpy(&dib[y * stride], &p.pixels[size_t(y) * p.width * 3], size_t(p.width) * 3);
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = p.width;
  info.bmiHeader.biHeight = -p.height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  HDC dc = CreateCompatibleDC(nullptr);
  if (!dc) return nullptr;
  HBITMAP bitmap = CreateCompatibleBitmap(dc, p.width, p.height);
  if (bitmap) {
    HGDIOBJ old = SelectObject(dc, bitmap);
    StretchDIBits(dc, 0, 0, p.width, p.height, 0, 0, p.width, p.height, dib.data(), &info, DIB_RGB_COLORS, SRCCOPY);
    SelectObject(dc, old);
  }
  DeleteDC(dc);
  if (!bitmap) return nullptr;
  CBitmap* result = new (std::nothrow) CBitmap;
  if (!result) {
    DeleteObject(bitmap);
    return nullptr;
  }
  result->Attach(bitmap);
  return result;
}

// Camera previews: the imaging library decodes, turns, counts and fits them.
CBitmap* RenderSmallJpeg(const BYTE* jpeg, DWORD size, CHistogram* histogram, int angle, int boxWidth, int boxHeight,
                         int greyMode, bool& loaded) {
  loaded = false;
  int session = cNewSession();
  if (!session) return nullptr;
  CBitmap* result = nullptr;
  // The angle below already says how to turn it: the library must not turn it by its tag too.
  cSetAutoRotate(session, 0);
  if (cLoadData(session, jpeg, size, 0, 0, 0)) {
    loaded = true;
    if (greyMode != 0) cOpGrayScale(session);
    if (angle != 0) cOpRotateFine(session, angle);
    if (histogram) HistogramFromImage(session, histogram);
    DWORD width = 0, height = 0;
    cGetImageInfo(session, &width, &height, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
    if (int(width) > boxWidth || int(height) > boxHeight) {
      cOpResizeEx(session, boxWidth, boxHeight, PIP_RESAMPLE_HIGH, 1);
      cGetImageInfo(session, &width, &height, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
    }
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = dc && width && height ? CreateCompatibleBitmap(dc, int(width), int(height)) : nullptr;
    if (bitmap) {
      HGDIOBJ old = SelectObject(dc, bitmap);
      cDrawImage(session, dc, 0, 0, int(width) - 1, int(height) - 1, 0, 0, 0, PIP_RESAMPLE_FAST);
      SelectObject(dc, old);
      result = new (std::nothrow) CBitmap;
      if (result) result->Attach(bitmap);
      else DeleteObject(bitmap);
    }
    if (dc) DeleteDC(dc);
  }
  cDestroySession(session);
  return result;
}

}  // namespace

int ChooseDctDivisor(int width, int height, int targetWidth, int targetHeight) {
  int divisor = 1;
  if (targetWidth <= 0 || width < 2 * targetWidth) return divisor;
  int w = width, h = height;
  do {
    // A step that may not double ends the search instead of going round for ever.
    if (h < targetHeight || divisor >= 8 || w % 2 != 0 || h % 2 != 0) break;
    divisor *= 2;
    w = width / divisor;
    h = height / divisor;
  } while (w >= 2 * targetWidth);
  return divisor;
}

CBitmap* RenderJpegForDisplay(const BYTE* jpeg, DWORD size, CHistogram* histogram, int angle, int boxWidth,
                              int boxHeight, int sharpening, int greyMode, BOOL crop3x2, int cropLeft, int cropTop,
                              int cropRight, int cropBottom, const DisplayColourProfiles* profiles) {
  if (histogram) histogram->Reset();
  if (!jpeg || size == 0 || boxWidth <= 0 || boxHeight <= 0) return nullptr;
  if (size < kSmallJpegSize) {
    bool loaded = false;
    CBitmap* bitmap = RenderSmallJpeg(jpeg, size, histogram, angle, boxWidth, boxHeight, greyMode, loaded);
    if (loaded) return bitmap;
  }
  bool turned = angle == 90 || angle == 270;
  int targetWidth = turned ? boxHeight : boxWidth;
  int targetHeight = turned ? boxWidth : boxHeight;

  Picture p = DecodeScaled(jpeg, size, targetWidth, targetHeight);
  if (p.width <= 0 || p.height <= 0) return nullptr;
  if (crop3x2) CropTo3x2Rows(p);

  int outWidth = targetWidth;
  int outHeight = int(1ll * targetWidth * p.height / p.width);
  if (outHeight > targetHeight) {
    outHeight = targetHeight;
    outWidth = int(1ll * targetHeight * p.width / p.height);
  }
  if (outWidth < p.width && outWidth > 0 && outHeight > 0) p = Resample(p, outWidth, outHeight);

  bool shade = cropLeft >= 0 && cropTop >= 0 && cropRight >= 0 && cropBottom >= 0;
  MapPixels(p, histogram, greyMode, shade, cropLeft, cropTop, cropRight, cropBottom);
  if (sharpening >= 1 && sharpening <= 100) SharpenRgb24(p.pixels.data(), p.width, p.height, sharpening);
  if (greyMode == 0)
    ApplyDisplayColourManagement(p.pixels.data(), size_t(p.width) * p.height,
                                 profiles ? *profiles : CurrentDisplayColourProfiles());
  if (angle == 90 || angle == 180 || angle == 270) p = Rotate(p, angle);
  return ToScreenBitmap(p);
}
