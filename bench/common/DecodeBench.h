// What the decode benchmarks share: the best-of timing and libjpeg-turbo's own scaled decode,
// the reference the program's display paths are measured against.
#pragma once

#include <stdio.h>

#include <jpeglib.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <vector>

#include "platform/win32/windef.h"

/// Best wall time in milliseconds over the repeats, after one untimed warm-up run.
inline double BestOf(int repeats, const std::function<bool()>& work) {
  if (!work()) return -1;
  double best = 1e30;
  for (int i = 0; i < repeats; ++i) {
    auto start = std::chrono::steady_clock::now();
    if (!work()) return -1;
    best = std::min(best, std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
  }
  return best;
}

// libjpeg-turbo alone: decode at 1/divisor into one RGB buffer, as a viewer would.
inline bool TurboScaledDecode(const std::vector<BYTE>& jpeg, int divisor, std::vector<BYTE>& rgb) {
  jpeg_decompress_struct cinfo;
  jpeg_error_mgr err;
  cinfo.err = jpeg_std_error(&err);
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, jpeg.data(), static_cast<unsigned long>(jpeg.size()));
  if (jpeg_read_header(&cinfo, TRUE) != JPEG_HEADER_OK) return false;
  cinfo.scale_num = 1;
  cinfo.scale_denom = unsigned(divisor);
  cinfo.out_color_space = JCS_RGB;
  jpeg_start_decompress(&cinfo);
  size_t stride = size_t(cinfo.output_width) * 3;
  rgb.resize(stride * cinfo.output_height);
  while (cinfo.output_scanline < cinfo.output_height) {
    JSAMPROW row = &rgb[cinfo.output_scanline * stride];
    jpeg_read_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  return true;
}
