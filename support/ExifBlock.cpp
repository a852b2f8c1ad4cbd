#include "support/ExifBlock.h"

#include <cstdio>
#include <cstring>
#include <set>

#include "platform/polyimage/polyimage.h"
#include "platform/win32/codepage.h"
#include "platform/win32/files.h"
#include "support/JpegMemory.h"

namespace {

// An IFD with more entries than this is not a real camera's.
const unsigned kMaxIfdEntries = 70;

// Position and total length (marker included) of the first APP1 segment that holds Exif.
bool FindExifApp1(const BYTE* data, size_t size, size_t& at, size_t& length) {
  size_t pos = 0;
  while (pos + 4 <= size && data[pos] == 0xFF) {
    BYTE marker = data[pos + 1];
    if (marker == 0xD8 || marker == 0xD9) {
      pos += 2;
      continue;
    }
    if (marker == 0xDA) return false;  // entropy-coded data follows, no more segments
    size_t n = size_t(data[pos + 2]) << 8 | data[pos + 3];
    if (n < 2 || pos + 2 + n > size) return false;
    if (marker == 0xE1 && n >= 2 + 6 && std::memcmp(data + pos + 4, "Exif", 4) == 0) {
      at = pos;
      length = 2 + n;
      return true;
    }
    pos += 2 + n;
  }
  return false;
}

struct Thumbnail {
  size_t offset = 0;  // from the TIFF header
  size_t length = 0;
};

// The byte order of a TIFF header with the magic 42; false for anything else.
bool ReadTiffHeader(const BYTE* tiff, size_t size, BOOL& intel) {
  if (size < 8) return false;
  if (tiff[0] == 'I' && tiff[1] == 'I') intel = TRUE;
  else if (tiff[0] == 'M' && tiff[1] == 'M') intel = FALSE;
  else return false;
  return ReadExifUInt16(tiff + 2, intel) == 42;
}

// The first IFD of the chain holding a JPEG thumbnail inside the TIFF data.
bool FindThumbnail(const BYTE* tiff, size_t size, BOOL intel, Thumbnail& thumb) {
  std::set<size_t> seen;
  size_t ifd = ReadExifUInt32(tiff + 4, intel);
  while (ifd != 0 && ifd + 2 <= size && seen.insert(ifd).second) {
    unsigned count = ReadExifUInt16(tiff + ifd, intel);
    if (count == 0 || count > kMaxIfdEntries || ifd + 2 + 12 * size_t(count) + 4 > size) return false;
    DWORD compression = 0, offset = 0, length = 0;
    for (unsigned i = 0; i < count; ++i) {
      const BYTE* e = tiff + ifd + 2 + 12 * i;
      WORD tag = ReadExifUInt16(e, intel), type = ReadExifUInt16(e + 2, intel);
      DWORD value = type == 3 ? ReadExifUInt16(e + 8, intel) : ReadExifUInt32(e + 8, intel);
      if (tag == 0x0103) compression = value;
      else if (tag == 0x0201) offset = value;
      else if (tag == 0x0202) length = value;
    }
    if (compression == 6 && offset && length) {
      if (size_t(offset) + length > size) return false;
      thumb.offset = offset;
      thumb.length = length;
      return true;
    }
    ifd = ReadExifUInt32(tiff + ifd + 2 + 12 * size_t(count), intel);
  }
  return false;
}

// One baseline JPEG of R,G,B rows at the quality; false when libjpeg gives up.
bool Compress(const std::vector<BYTE>& rgb, int width, int height, int quality, std::vector<BYTE>& out) {
  jpeg_compress_struct cinfo;
  jpeg_error_mgr err;
  cinfo.err = InitJpegErrorManager(&err);
  jpeg_create_compress(&cinfo);
  bool ok = false;
  try {
    JpegMemoryDestination* dest = jpeg_memory_dest(&cinfo);
    cinfo.image_width = JDIMENSION(width);
    cinfo.image_height = JDIMENSION(height);
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
      JSAMPROW row = const_cast<BYTE*>(&rgb[size_t(cinfo.next_scanline) * width * 3]);
      jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    out.assign(dest->output, dest->output + dest->count);
    ok = true;
  } catch (...) {
    ok = false;
  }
  jpeg_destroy_compress(&cinfo);
  return ok;
}

}  // namespace

DWORD ReadExifUInt32(const BYTE* b, BOOL intel) {
  return intel ? DWORD(b[0]) | DWORD(b[1]) << 8 | DWORD(b[2]) << 16 | DWORD(b[3]) << 24
               : DWORD(b[3]) | DWORD(b[2]) << 8 | DWORD(b[1]) << 16 | DWORD(b[0]) << 24;
}

WORD ReadExifUInt16(const BYTE* b, BOOL intel) {
  return intel ? WORD(b[0] | b[1] << 8) : WORD(b[1] | b[0] << 8);
}

void FindJpegStart(const BYTE*& data, DWORD& length) {
  if (!data) return;
  for (DWORD i = 0; i + 3 < length; ++i)
    if (data[i] == 0xFF && data[i + 1] == 0xD8 && data[i + 2] == 0xFF && (data[i + 3] == 0xDB || data[i + 3] == 0xE0)) {
      data += i;
      length -= i;
      return;
    }
}

bool MakeExifThumbnail(int session, DWORD oldLength, std::vector<BYTE>& jpeg) {
  // A copy, so the caller's picture keeps its size.
  int copy = cDupSession(session);
  if (!copy) return false;
  bool made = false;
  DWORD width = 0, height = 0;
  PolyArray pixels;
  if (cOpResizeEx(copy, 160, 160, PIP_RESAMPLE_HIGH, 1) &&
      cGetImageInfo(copy, &width, &height, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr) &&
      cGetImage16(copy, &pixels) && pixels.Size() >= size_t(width) * height * 3) {
    std::vector<BYTE> rgb(pixels.Data(), pixels.Data() + size_t(width) * height * 3);
    for (size_t i = 0; i < rgb.size(); i += 3) std::swap(rgb[i], rgb[i + 2]);
    for (int quality = 80; quality >= 50 && !made; quality -= 5) {
      std::vector<BYTE> out;
      if (Compress(rgb, int(width), int(height), quality, out) && out.size() < oldLength) {
        jpeg.swap(out);
        made = true;
      }
    }
  }
  cDestroySession(copy);
  return made;
}

void RestoreExifBlock(int session, const BYTE* cameraJpeg, DWORD size, const char* path) {
  if (!cameraJpeg || !path || GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES) return;
  size_t cameraAt, cameraLength;
  if (!FindExifApp1(cameraJpeg, size, cameraAt, cameraLength)) return;
  std::vector<BYTE> app1(cameraJpeg + cameraAt, cameraJpeg + cameraAt + cameraLength);
  // Marker, length and "Exif\0\0" come before the TIFF header.
  const size_t tiffStart = 10;
  BOOL intel = TRUE;
  if (app1.size() <= tiffStart || !ReadTiffHeader(app1.data() + tiffStart, app1.size() - tiffStart, intel)) return;
  Thumbnail thumb;
  if (session && FindThumbnail(app1.data() + tiffStart, app1.size() - tiffStart, intel, thumb)) {
    std::vector<BYTE> fresh;
    if (MakeExifThumbnail(session, DWORD(thumb.length), fresh)) {
      BYTE* old = app1.data() + tiffStart + thumb.offset;
      std::memcpy(old, fresh.data(), fresh.size());
      std::memset(old + fresh.size(), 0, thumb.length - fresh.size());
    }
  }
  std::vector<BYTE> saved;
  size_t savedAt, savedLength;
  if (!ReadWholeFile(path, saved) || !FindExifApp1(saved.data(), saved.size(), savedAt, savedLength)) return;
  std::vector<BYTE> out;
  out.reserve(saved.size() - savedLength + app1.size());
  out.insert(out.end(), saved.begin(), saved.begin() + savedAt);
  out.insert(out.end(), app1.begin(), app1.end());
  out.insert(out.end(), saved.begin() + savedAt + savedLength, saved.end());
  WriteFileReplacing(path, out.data(), out.size());
}
