#include "platform/canon/gphoto/transfer.h"

#include "platform/canon/gphoto/libgphoto2_p.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <jpeglib.h>

namespace tavgp {

namespace {

int CopyFile(CameraFile* file, size_t limit, std::vector<BYTE>& bytes) {
  const char* data = nullptr;
  unsigned long size = 0;
  int result = gp_file_get_data_and_size(file, &data, &size);
  if (result < GP_OK) return result;
  if (!data || size == 0 || size > limit) return GP_ERROR_CORRUPTED_DATA;
  bytes.assign(reinterpret_cast<const BYTE*>(data), reinterpret_cast<const BYTE*>(data) + size);
  return GP_OK;
}

// Reads one PPM header number, skipping white space and comments.
bool PpmNumber(const std::vector<BYTE>& d, size_t& pos, unsigned& value) {
  while (pos < d.size()) {
    if (d[pos] == '#') {
      while (pos < d.size() && d[pos] != '\n') ++pos;
    } else if (d[pos] == ' ' || d[pos] == '\t' || d[pos] == '\r' || d[pos] == '\n') {
      ++pos;
    } else {
      break;
    }
  }
  size_t start = pos;
  value = 0;
  while (pos < d.size() && d[pos] >= '0' && d[pos] <= '9' && pos - start < 6) value = value * 10 + (d[pos++] - '0');
  return pos > start;
}

}  // namespace

Photo::Photo(_CameraFile* file, const BYTE* data, size_t size)
    : m_file(file, [](_CameraFile* f) { gp_file_unref(f); }), m_data(data), m_size(size) {}

int Download(Handle& h, const std::string& folder, const std::string& name, Photo& photo, bool keepOnCamera) {
  CameraFile* file = nullptr;
  int result = gp_file_new(&file);
  if (result < GP_OK) return result;
  result = gp_camera_file_get(h.camera, folder.c_str(), name.c_str(), GP_FILE_TYPE_NORMAL, file, h.context);
  const char* data = nullptr;
  unsigned long size = 0;
  if (result >= GP_OK) result = gp_file_get_data_and_size(file, &data, &size);
  if (result >= GP_OK && (!data || size == 0 || size > kMaxPhotoBytes)) result = GP_ERROR_CORRUPTED_DATA;
  // The photo keeps the file's own memory: a second copy of megabytes costs more than the
  // transfer from a camera on the network.
  if (result >= GP_OK) photo = Photo(file, reinterpret_cast<const BYTE*>(data), size);
  else gp_file_unref(file);
  // Unless the user keeps photos on the camera's card too, nothing of the shot stays there.
  if (result >= GP_OK && !keepOnCamera) gp_camera_file_delete(h.camera, folder.c_str(), name.c_str(), h.context);
  return result;
}

int Preview(Handle& h, std::vector<BYTE>& frame, std::string& mime) {
  CameraFile* file = nullptr;
  int result = gp_file_new(&file);
  if (result < GP_OK) return result;
  result = gp_camera_capture_preview(h.camera, file, h.context);
  if (result >= GP_OK) result = CopyFile(file, kMaxFrameBytes, frame);
  const char* type = nullptr;
  mime = result >= GP_OK && gp_file_get_mime_type(file, &type) >= GP_OK && type ? type : "";
  gp_file_unref(file);
  return result;
}

bool IsJpeg(const std::vector<BYTE>& data) { return data.size() >= 4 && data[0] == 0xFF && data[1] == 0xD8; }

bool PpmToJpeg(std::vector<BYTE>& frame) {
  if (frame.size() < 2 || frame[0] != 'P' || frame[1] != '6') return false;
  size_t pos = 2;
  unsigned width = 0, height = 0, maximum = 0;
  if (!PpmNumber(frame, pos, width) || !PpmNumber(frame, pos, height) || !PpmNumber(frame, pos, maximum)) return false;
  if (width == 0 || height == 0 || width > 8192 || height > 8192 || maximum != 255 || pos >= frame.size()) return false;
  ++pos;  // the single white space before the pixels
  size_t row = size_t(width) * 3;
  if ((frame.size() - pos) / row < height) return false;

  jpeg_compress_struct cinfo;
  jpeg_error_mgr jerr;
  cinfo.err = jpeg_std_error(&jerr);
  jpeg_create_compress(&cinfo);
  unsigned char* out = nullptr;
  unsigned long outSize = 0;
  jpeg_mem_dest(&cinfo, &out, &outSize);
  cinfo.image_width = width;
  cinfo.image_height = height;
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, 85, TRUE);
  jpeg_start_compress(&cinfo, TRUE);
  while (cinfo.next_scanline < cinfo.image_height) {
    JSAMPROW line = frame.data() + pos + size_t(cinfo.next_scanline) * row;
    jpeg_write_scanlines(&cinfo, &line, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  std::vector<BYTE> jpeg(out, out + outSize);
  std::free(out);
  frame.swap(jpeg);
  return true;
}

}  // namespace tavgp
