#include "camera/ViewfinderPixels.h"

#include <algorithm>
#include <cstring>

#include "support/JpegMemory.h"

namespace {

struct DecompressGuard {
  jpeg_decompress_struct cinfo;
  jpeg_error_mgr err;
  DecompressGuard() {
    cinfo.err = InitJpegErrorManager(&err);
    jpeg_create_decompress(&cinfo);
  }
  ~DecompressGuard() { jpeg_destroy_decompress(&cinfo); }
};

}  // namespace

bool DecodeViewfinderJpeg(const BYTE* jpeg, size_t size, std::vector<BYTE>& rgb, int& width, int& height,
                          bool bgr) {
  if (!jpeg || size == 0) return false;
  try {
    DecompressGuard d;
    jpeg_memory_src(&d.cinfo, jpeg, size);
    jpeg_read_header(&d.cinfo, TRUE);
    d.cinfo.out_color_space = d.cinfo.num_components == 1 ? JCS_GRAYSCALE : (bgr ? JCS_EXT_BGR : JCS_RGB);
    jpeg_calc_output_dimensions(&d.cinfo);
    int w = static_cast<int>(d.cinfo.output_width), h = static_cast<int>(d.cinfo.output_height);
    if (w <= 0 || h <= 0 || w > kMaxViewfinderSide || h > kMaxViewfinderSide) return false;
    jpeg_start_decompress(&d.cinfo);
    // Frames come at the camera's rate: the buffers of the last ones are reused, not zeroed again.
    thread_local std::vector<BYTE> pixels;
    pixels.resize(static_cast<size_t>(w) * h * 3);
    bool grey = d.cinfo.output_components == 1;
    std::vector<BYTE> greyRow(grey ? w : 0);
    while (d.cinfo.output_scanline < d.cinfo.output_height) {
      BYTE* row = &pixels[static_cast<size_t>(d.cinfo.output_scanline) * w * 3];
      JSAMPROW target = grey ? greyRow.data() : row;
      if (jpeg_read_scanlines(&d.cinfo, &target, 1) != 1) return false;
      if (grey)
        for (int x = 0; x < w; ++x) row[3 * x] = row[3 * x + 1] = row[3 * x + 2] = greyRow[x];
    }
    jpeg_finish_decompress(&d.cinfo);
    rgb.swap(pixels);
    width = w;
    height = h;
    return true;
  } catch (const CString&) {
    return false;
  } catch (const std::bad_alloc&) {
    return false;
  }
}

bool IsKeyedPixel(const ChromakeySettings& key, BYTE r, BYTE g, BYTE b) {
  DWORD lead = key.mode == 1 ? g : b;
  DWORD other1 = r, other2 = key.mode == 1 ? b : g;
  return lead > key.threshold && other1 * 100 < key.percentage * lead && other2 * 100 < key.percentage * lead;
}

void ChromakeyFrame(BYTE* rgb, int width, int height, const ChromakeySettings& key, const BYTE* background) {
  if (key.mode == 0 || width <= 0 || height <= 0) return;
  size_t count = static_cast<size_t>(width) * height;
  // The lead channel (green or blue) and the two others, as byte offsets; the test runs once a
  // pixel at the camera's frame rate, so it is kept to integer compares here.
  const int lead = key.mode == 1 ? 1 : 2, other = key.mode == 1 ? 2 : 1;
  const unsigned threshold = key.threshold, percentage = key.percentage;
  for (size_t n = 0; n < count; ++n) {
    BYTE* p = rgb + 3 * n;
    unsigned g = p[lead];
    if (g <= threshold) continue;
    unsigned limit = percentage * g;
    if (p[0] * 100u >= limit || p[other] * 100u >= limit) continue;
    if (background) {
      const BYTE* b = background + 3 * (count - 1 - n);
      p[0] = b[2];
      p[1] = b[1];
      p[2] = b[0];
    } else {
      p[0] = 255;
      p[1] = 0;
      p[2] = 255;
    }
  }
}

void MakeBackgroundCache(const BYTE* bgr, int width, int height, std::vector<BYTE>& cache) {
  size_t count = width > 0 && height > 0 ? static_cast<size_t>(width) * height : 0;
  cache.resize(count * 3);
  for (size_t n = 0; n < count; ++n) std::memcpy(&cache[3 * (count - 1 - n)], bgr + 3 * n, 3);
}

void StoreFrame(const std::vector<BYTE>& frame, std::vector<BYTE>& current, std::vector<BYTE>& kept) {
  if (frame.size() != current.size()) {
    current = frame;
    kept = frame;
  } else if (!frame.empty()) {
    std::memcpy(current.data(), frame.data(), frame.size());
  }
}

void CopyToMotionFrame(const BYTE* rgb, int width, int height, BYTE* motion) {
  if (width <= 0 || height <= 0) return;
  for (int y = 0; y < kMotionFrameHeight; ++y) {
    int sy = static_cast<int>(static_cast<long long>(y) * height / kMotionFrameHeight);
    const BYTE* row = rgb + static_cast<size_t>(sy) * width * 3;
    BYTE* out = motion + static_cast<size_t>(y) * kMotionFrameWidth * 3;
    for (int x = 0; x < kMotionFrameWidth; ++x) {
      int sx = static_cast<int>(static_cast<long long>(x) * width / kMotionFrameWidth);
      const BYTE* p = row + 3 * sx;
      out[3 * x] = p[2];
      out[3 * x + 1] = p[1];
      out[3 * x + 2] = p[0];
    }
  }
}

void BlendOnionSkin(BYTE* rgb, const BYTE* kept, size_t bytes) {
  for (size_t i = 0; i < bytes; ++i) rgb[i] = static_cast<BYTE>(rgb[i] / 2 + kept[i] / 2);
}

RECT ScaleCropRect(const RECT& crop, int width, int height) {
  if (width == kMotionFrameWidth && height == kMotionFrameHeight) return crop;
  // Edges scale with the pixel they end at, so 0..319 covers 0..width-1.
  RECT out;
  out.left = crop.left * width / kMotionFrameWidth;
  out.top = crop.top * height / kMotionFrameHeight;
  out.right = (crop.right + 1) * width / kMotionFrameWidth - 1;
  out.bottom = (crop.bottom + 1) * height / kMotionFrameHeight - 1;
  return out;
}

void ShadeAndSwap(BYTE* pixels, int width, int height, bool shade, const RECT& keep) {
  // Each row in three runs (shaded, kept, shaded), so the loops carry no test per pixel.
  auto swapRun = [](BYTE* p, int count) {
    for (int x = 0; x < count; ++x, p += 3) std::swap(p[0], p[2]);
  };
  auto shadeRun = [](BYTE* p, int count) {
    for (int x = 0; x < count; ++x, p += 3) {
      const BYTE red = p[0];
      p[0] = p[2] / 2;
      p[1] = p[1] / 2;
      p[2] = red / 2;
    }
  };
  for (int y = 0; y < height; ++y) {
    BYTE* row = pixels + static_cast<size_t>(y) * width * 3;
    int from = 0, to = width;  // the kept columns, from <= x < to
    if (shade) {
      if (y < keep.top || y > keep.bottom) {
        from = to = width;
      } else {
        from = static_cast<int>(std::clamp<LONG>(keep.left, 0, width));
        to = std::max(from, static_cast<int>(std::clamp<LONG>(keep.right + 1, 0, width)));
      }
    }
    shadeRun(row, from);
    swapRun(row + 3 * from, to - from);
    shadeRun(row + 3 * to, width - to);
  }
}

void RotateFrame(const BYTE* pixels, int width, int height, int angle, std::vector<BYTE>& out, int& outWidth,
                 int& outHeight) {
  size_t count = static_cast<size_t>(width) * height;
  out.resize(count * 3);
  if (angle == 90 || angle == 270) {
    outWidth = height;
    outHeight = width;
    for (int r = 0; r < outHeight; ++r) {
      BYTE* row = &out[static_cast<size_t>(r) * outWidth * 3];
      for (int c = 0; c < outWidth; ++c) {
        // 90: row r, column c is source column r, row height-1-c; 270: column width-1-r, row c.
        int sx = angle == 90 ? r : width - 1 - r;
        int sy = angle == 90 ? height - 1 - c : c;
        std::memcpy(row + 3 * c, pixels + (static_cast<size_t>(sy) * width + sx) * 3, 3);
      }
    }
    return;
  }
  outWidth = width;
  outHeight = height;
  if (angle == 180) {
    for (size_t n = 0; n < count; ++n) std::memcpy(&out[3 * n], pixels + 3 * (count - 1 - n), 3);
  } else if (count) {
    std::memcpy(out.data(), pixels, count * 3);
  }
}

int PaddedWidth(int width) { return width % 4 ? width + (4 - width % 4) : width; }

bool PadRows(const BYTE* pixels, int width, int height, std::vector<BYTE>& out) {
  int padded = PaddedWidth(width);
  if (padded == width) return false;
  out.assign(static_cast<size_t>(padded) * height * 3, 0);
  for (int y = 0; y < height; ++y)
    std::memcpy(&out[static_cast<size_t>(y) * padded * 3], pixels + static_cast<size_t>(y) * width * 3,
                static_cast<size_t>(width) * 3);
  return true;
}

SIZE DestinationSize(int width, int height, int scale, int screenWidth, int screenHeight, POINT& offset) {
  offset = {0, 0};
  if (width <= 0 || height <= 0) return {0, 0};
  if (scale >= 1 && scale <= 4) return {width * scale, height * scale};
  SIZE size{screenWidth, static_cast<LONG>(static_cast<long long>(screenWidth) * height / width)};
  if (size.cy > screenHeight) size = {static_cast<LONG>(static_cast<long long>(screenHeight) * width / height),
                                      screenHeight};
  offset = {(screenWidth - size.cx) / 2, (screenHeight - size.cy) / 2};
  return size;
}

RECT ZoomSourceRect(int width, int height, double zoom) {
  if (!(zoom > 1)) return {0, 0, width, height};
  int w = static_cast<int>(width / zoom + 0.5), h = static_cast<int>(height / zoom + 0.5);
  return {(width - w) / 2, (height - h) / 2, w, h};
}

std::vector<int> GridLines(int extent, int divisions) {
  std::vector<int> lines;
  for (int k = 1; k < divisions; ++k) lines.push_back(static_cast<int>(static_cast<long long>(k) * extent / divisions));
  return lines;
}
