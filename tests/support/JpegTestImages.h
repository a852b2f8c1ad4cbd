// Small JPEGs made in memory for the renderer and Exif block tests.
#pragma once

#include <cstddef>
#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>

#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "platform/win32/windef.h"

namespace jpegtest {

using Bytes = std::vector<BYTE>;

struct Rgb {
  int r, g, b;
};

/// A baseline JPEG of width x height pixels coloured by the function, optionally grey.
inline Bytes Encode(int width, int height, const std::function<Rgb(int, int)>& colour, int quality = 95,
                    bool grey = false) {
  jpeg_compress_struct cinfo;
  jpeg_error_mgr err;
  cinfo.err = jpeg_std_error(&err);
  jpeg_create_compress(&cinfo);
  unsigned char* out = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&cinfo, &out, &size);
  cinfo.image_width = JDIMENSION(width);
  cinfo.image_height = JDIMENSION(height);
  cinfo.input_components = grey ? 1 : 3;
  cinfo.in_color_space = grey ? JCS_GRAYSCALE : JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, quality, TRUE);
  jpeg_start_compress(&cinfo, TRUE);
  std::vector<BYTE> row(size_t(width) * 3);
  while (cinfo.next_scanline < cinfo.image_height) {
    int y = int(cinfo.next_scanline);
    for (int x = 0; x < width; ++x) {
      Rgb c = colour(x, y);
      if (grey) row[x] = BYTE(c.r);
      else row[3 * x] = BYTE(c.r), row[3 * x + 1] = BYTE(c.g), row[3 * x + 2] = BYTE(c.b);
    }
    JSAMPROW p = row.data();
    jpeg_write_scanlines(&cinfo, &p, 1);
  }
  jpeg_finish_compress(&cinfo);
  Bytes jpeg(out, out + size);
  free(out);
  jpeg_destroy_compress(&cinfo);
  return jpeg;
}

/// The JPEG grown to `size` bytes (3 more at worst) by comment segments after the SOI (same picture).
inline Bytes PadTo(Bytes jpeg, size_t size) {
  while (jpeg.size() < size) {
    size_t missing = size - jpeg.size();
    if (missing < 4) missing = 4;
    size_t body = missing - 4 > 60000 ? 60000 : missing - 4;
    Bytes segment = {0xFF, 0xFE, BYTE((body + 2) >> 8), BYTE(body + 2)};
    segment.resize(4 + body, 'x');
    jpeg.insert(jpeg.begin() + 2, segment.begin(), segment.end());
  }
  return jpeg;
}

inline Bytes ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteAll(const std::string& path, const Bytes& bytes) {
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

}  // namespace jpegtest
