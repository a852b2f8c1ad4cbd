// JPEG through libjpeg-turbo's IJG API: decode straight into B,G,R rows (optionally reduced
// by DCT scaling) and encode with an Exif APP1 block.
#include <csetjmp>
#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>
#include <jerror.h>

#include "platform/polyimage/polyimage_pvt.h"

namespace pip {
namespace {

struct ErrorManager {
  jpeg_error_mgr pub;
  jmp_buf jump;
  bool corrupt;
};

void OnError(j_common_ptr info) {
  ErrorManager* err = reinterpret_cast<ErrorManager*>(info->err);
  longjmp(err->jump, 1);
}

// A premature end or undecodable entropy data means the file is damaged: refuse it rather
// than hand out an image with a grey tail.
void OnMessage(j_common_ptr info, int level) {
  ErrorManager* err = reinterpret_cast<ErrorManager*>(info->err);
  if (level < 0) {
    int code = err->pub.msg_code;
    if (code == JWRN_JPEG_EOF || code == JWRN_HUFF_BAD_CODE || code == JWRN_NOT_SEQUENTIAL) err->corrupt = true;
  }
}

void InstallErrors(j_common_ptr info, ErrorManager& err) {
  info->err = jpeg_std_error(&err.pub);
  err.pub.error_exit = OnError;
  err.pub.emit_message = OnMessage;
  err.corrupt = false;
}

struct Decoder {
  jpeg_decompress_struct info;
  ErrorManager err;
};

// Converts Adobe CMYK (stored inverted) to B,G,R.
void CmykRowToBgr(const uint8_t* cmyk, uint8_t* bgr, int width, bool inverted) {
  for (int x = 0; x < width; ++x, cmyk += 4, bgr += 3) {
    int c = cmyk[0], m = cmyk[1], y = cmyk[2], k = cmyk[3];
    if (!inverted) c = 255 - c, m = 255 - m, y = 255 - y, k = 255 - k;
    bgr[0] = uint8_t((y * k + 127) / 255);
    bgr[1] = uint8_t((m * k + 127) / 255);
    bgr[2] = uint8_t((c * k + 127) / 255);
  }
}

// Runs inside the setjmp frame: no objects with destructors live here.
bool DecodeBody(Decoder& d, Image& out, int boxWidth, int boxHeight, bool accurate) {
  jpeg_decompress_struct& info = d.info;
  jpeg_read_header(&info, TRUE);
  bool cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
  int channels = 3;
  if (info.jpeg_color_space == JCS_GRAYSCALE) {
    info.out_color_space = JCS_GRAYSCALE;
    channels = 1;
  } else if (cmyk) {
    info.out_color_space = JCS_CMYK;
  } else {
    info.out_color_space = JCS_EXT_BGR;
  }
  if (boxWidth > 0 || boxHeight > 0) {
    // The smallest DCT scale whose output still covers the box; only 1/8, 1/4, 1/2 and 1/1
    // have fast paths in the codec (7/8 of a 3 MP photo costs three full decodes).
    for (unsigned num = 1; num <= 8; num *= 2) {
      info.scale_num = num;
      info.scale_denom = 8;
      jpeg_calc_output_dimensions(&info);
      if (int(info.output_width) >= boxWidth && int(info.output_height) >= boxHeight) break;
      if (num == 8) break;
    }
    info.dct_method = accurate ? JDCT_ISLOW : JDCT_IFAST;
  }
  jpeg_start_decompress(&info);
  int width = int(info.output_width), height = int(info.output_height);
  bool allocated = false;
  try {
    allocated = Allocate(out, width, height, channels);
  } catch (const std::bad_alloc&) {
  }
  if (!allocated) return false;
  if (info.saw_JFIF_marker && info.X_density > 0 && info.Y_density > 0 && info.density_unit != 0) {
    double perInch = info.density_unit == 2 ? 2.54 : 1.0;  // 2: dots per centimetre
    out.xDpi = int(info.X_density * perInch + 0.5);
    out.yDpi = int(info.Y_density * perInch + 0.5);
  }
  uint8_t* cmykRow = nullptr;
  if (cmyk) {
    cmykRow = static_cast<uint8_t*>(std::malloc(size_t(width) * 4));
    if (!cmykRow) return false;
  }
  JSAMPROW rows[16];
  while (info.output_scanline < info.output_height && !d.err.corrupt) {
    if (cmyk) {
      rows[0] = cmykRow;
      JDIMENSION y = info.output_scanline;
      if (jpeg_read_scanlines(&info, rows, 1) != 1) break;
      CmykRowToBgr(cmykRow, out.Row(int(y)), width, info.saw_Adobe_marker);
      continue;
    }
    int batch = 0;
    for (; batch < 16 && info.output_scanline + batch < info.output_height; ++batch)
      rows[batch] = out.Row(int(info.output_scanline) + batch);
    if (jpeg_read_scanlines(&info, rows, JDIMENSION(batch)) == 0) break;
  }
  std::free(cmykRow);
  if (d.err.corrupt || info.output_scanline < info.output_height) return false;
  jpeg_finish_decompress(&info);
  return !d.err.corrupt;
}

}  // namespace

bool DecodeJpeg(const uint8_t* data, size_t size, Image& out, int boxWidth, int boxHeight, bool accurate) {
  if (!data || size < 4 || size > 0xFFFFFFFFu) return false;
  Decoder d;
  d.info.err = nullptr;
  InstallErrors(reinterpret_cast<j_common_ptr>(&d.info), d.err);
  if (setjmp(d.err.jump)) {
    jpeg_destroy_decompress(&d.info);
    out = Image();
    return false;
  }
  jpeg_create_decompress(&d.info);
  jpeg_mem_src(&d.info, data, static_cast<unsigned long>(size));
  bool ok = DecodeBody(d, out, boxWidth, boxHeight, accurate);
  jpeg_destroy_decompress(&d.info);
  if (!ok) out = Image();
  else out.format = PIP_FORMAT_JPEG;
  return ok;
}

bool JpegHeader(const uint8_t* data, size_t size, int& width, int& height, int& channels) {
  if (!data || size < 4 || size > 0xFFFFFFFFu) return false;
  Decoder d;
  InstallErrors(reinterpret_cast<j_common_ptr>(&d.info), d.err);
  if (setjmp(d.err.jump)) {
    jpeg_destroy_decompress(&d.info);
    return false;
  }
  jpeg_create_decompress(&d.info);
  jpeg_mem_src(&d.info, data, static_cast<unsigned long>(size));
  jpeg_read_header(&d.info, TRUE);
  width = int(d.info.image_width);
  height = int(d.info.image_height);
  channels = d.info.jpeg_color_space == JCS_GRAYSCALE ? 1 : 3;
  jpeg_destroy_decompress(&d.info);
  return width > 0 && height > 0;
}

namespace {

struct Encoder {
  jpeg_compress_struct info;
  ErrorManager err;
  unsigned char* buffer;
  unsigned long size;
};

void EncodeBody(Encoder& e, const Image& image, int quality, const std::vector<uint8_t>& app1) {
  jpeg_compress_struct& info = e.info;
  info.image_width = JDIMENSION(image.width);
  info.image_height = JDIMENSION(image.height);
  info.input_components = image.channels;
  info.in_color_space = image.channels == 1 ? JCS_GRAYSCALE : JCS_EXT_BGR;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, quality, TRUE);
  if (image.xDpi > 0 && image.yDpi > 0) {
    info.density_unit = 1;
    info.X_density = UINT16(image.xDpi);
    info.Y_density = UINT16(image.yDpi);
  }
  jpeg_start_compress(&info, TRUE);
  if (!app1.empty() && app1.size() <= 65533) jpeg_write_marker(&info, JPEG_APP0 + 1, app1.data(), unsigned(app1.size()));
  JSAMPROW rows[16];
  while (info.next_scanline < info.image_height) {
    int batch = 0;
    for (; batch < 16 && info.next_scanline + batch < info.image_height; ++batch)
      rows[batch] = const_cast<uint8_t*>(image.Row(int(info.next_scanline) + batch));
    jpeg_write_scanlines(&info, rows, JDIMENSION(batch));
  }
  jpeg_finish_compress(&info);
}

}  // namespace

bool EncodeJpeg(const Image& image, int quality, const std::vector<uint8_t>& app1, std::vector<uint8_t>& out) {
  if (image.Empty()) return false;
  Encoder e;
  e.buffer = nullptr;
  e.size = 0;
  InstallErrors(reinterpret_cast<j_common_ptr>(&e.info), e.err);
  if (setjmp(e.err.jump)) {
    jpeg_destroy_compress(&e.info);
    std::free(e.buffer);
    return false;
  }
  jpeg_create_compress(&e.info);
  jpeg_mem_dest(&e.info, &e.buffer, &e.size);
  EncodeBody(e, image, quality, app1);
  jpeg_destroy_compress(&e.info);
  bool ok = false;
  try {
    out.assign(e.buffer, e.buffer + e.size);
    ok = true;
  } catch (const std::bad_alloc&) {
  }
  std::free(e.buffer);
  return ok;
}

}  // namespace pip
