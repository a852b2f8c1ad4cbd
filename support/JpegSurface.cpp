#include "support/JpegSurface.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

#include "platform/win32/files.h"
#include "support/JpegMemory.h"

namespace {

void FillBlack(BYTE* row, int pixels) {
  for (int x = 0; x < pixels; ++x, row += 4) {
    row[0] = row[1] = row[2] = 0;
    row[3] = 0xFF;
  }
}

}  // namespace

bool DecodeJpegFileToSurface(const char* path, BYTE* bits, size_t stride, int surfaceWidth, int surfaceHeight,
                             int& width, int& height) {
  width = height = 0;
  if (!path || !bits || surfaceWidth <= 0 || surfaceHeight <= 0 || stride < size_t(surfaceWidth) * 4) return false;
  std::vector<BYTE> file;
  if (!ReadWholeFile(path, file) || file.size() < 4 || file[0] != 0xFF || file[1] != 0xD8) return false;
  jpeg_decompress_struct cinfo{};
  jpeg_error_mgr error{};
  cinfo.err = InitJpegErrorManager(&error);
  bool done = false;
  try {
    jpeg_create_decompress(&cinfo);
    jpeg_memory_src(&cinfo, file.data(), file.size());
    jpeg_read_header(&cinfo, TRUE);
    if (cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK) throw CString("CMYK");
    cinfo.out_color_space = JCS_EXT_BGRX;
    jpeg_start_decompress(&cinfo);
    const int w = static_cast<int>(cinfo.output_width), h = static_cast<int>(cinfo.output_height);
    const int shownWidth = std::min(w, surfaceWidth), shownHeight = std::min(h, surfaceHeight);
    // A picture wider than the surface is decoded a row at a time and cut.
    std::vector<BYTE> wide(w > surfaceWidth ? static_cast<size_t>(w) * 4 : 0);
    while (static_cast<int>(cinfo.output_scanline) < shownHeight) {
      BYTE* row = bits + stride * cinfo.output_scanline;
      JSAMPROW target = wide.empty() ? row : wide.data();
      if (jpeg_read_scanlines(&cinfo, &target, 1) != 1) throw CString("short");
      if (!wide.empty()) std::memcpy(row, wide.data(), static_cast<size_t>(surfaceWidth) * 4);
      if (shownWidth < surfaceWidth) FillBlack(row + static_cast<size_t>(shownWidth) * 4, surfaceWidth - shownWidth);
    }
    for (int y = shownHeight; y < surfaceHeight; ++y) FillBlack(bits + stride * y, surfaceWidth);
    // Rows below the surface are not needed: the decode stops here.
    jpeg_abort_decompress(&cinfo);
    width = w;
    height = h;
    done = true;
  } catch (const CString&) {
  } catch (const std::bad_alloc&) {
  }
  jpeg_destroy_decompress(&cinfo);
  return done;
}

bool DecodeJpegRowsBgr(const BYTE* jpeg, size_t size, int maxSide,
                       const std::function<void(int width, int height, int& first, int& count)>& pickRows,
                       std::vector<BYTE>& bgr, int& width, int& rows) {
  width = rows = 0;
  if (!jpeg || size == 0) return false;
  jpeg_decompress_struct cinfo{};
  jpeg_error_mgr error{};
  cinfo.err = InitJpegErrorManager(&error);
  bool done = false;
  try {
    jpeg_create_decompress(&cinfo);
    jpeg_memory_src(&cinfo, jpeg, size);
    jpeg_read_header(&cinfo, TRUE);
    const bool grey = cinfo.num_components == 1;
    cinfo.out_color_space = grey ? JCS_GRAYSCALE : JCS_EXT_BGR;
    jpeg_calc_output_dimensions(&cinfo);
    const int w = static_cast<int>(cinfo.output_width), h = static_cast<int>(cinfo.output_height);
    if (w <= 0 || h <= 0 || w > maxSide || h > maxSide) throw CString("size");
    int first = 0, count = h;
    if (pickRows) pickRows(w, h, first, count);
    if (first < 0 || count <= 0 || first > h - count) throw CString("rows");
    jpeg_start_decompress(&cinfo);
    const size_t stride = static_cast<size_t>(w) * 3;
    bgr.resize(stride * count);
    std::vector<BYTE> greyRow(grey ? w : 0);
    // Rows above the pick are skipped (libjpeg still decodes what the rows below need).
    if (first > 0 && jpeg_skip_scanlines(&cinfo, static_cast<JDIMENSION>(first)) != static_cast<JDIMENSION>(first))
      throw CString("skip");
    for (int y = 0; y < count; ++y) {
      BYTE* row = bgr.data() + stride * y;
      JSAMPROW target = grey ? greyRow.data() : row;
      if (jpeg_read_scanlines(&cinfo, &target, 1) != 1) throw CString("short");
      if (grey)
        for (int x = 0; x < w; ++x) row[3 * x] = row[3 * x + 1] = row[3 * x + 2] = greyRow[x];
    }
    // Rows below the pick are not needed: the decode stops here.
    jpeg_abort_decompress(&cinfo);
    width = w;
    rows = count;
    done = true;
  } catch (const CString&) {
  } catch (const std::bad_alloc&) {
  }
  jpeg_destroy_decompress(&cinfo);
  return done;
}
