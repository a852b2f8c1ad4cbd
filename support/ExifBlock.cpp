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
  size_t link = 0;         // where the offset of the thumbnail's IFD is stored
  size_t lengthField = 0;  // value field of its 0x0202 entry (0: none)
  WORD lengthType = 4;
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
  size_t link = 4;
  size_t ifd = ReadExifUInt32(tiff + 4, intel);
  while (ifd != 0 && ifd + 2 <= size && seen.insert(ifd).second) {
    unsigned count = ReadExifUInt16(tiff + ifd, intel);
    if (count == 0 || count > kMaxIfdEntries || ifd + 2 + 12 * size_t(count) + 4 > size) return false;
    DWORD compression = 0, offset = 0, length = 0;
    size_t lengthField = 0;
    WORD lengthType = 4;
    for (unsigned i = 0; i < count; ++i) {
      const BYTE* e = tiff + ifd + 2 + 12 * i;
      WORD tag = ReadExifUInt16(e, intel), type = ReadExifUInt16(e + 2, intel);
      DWORD value = type == 3 ? ReadExifUInt16(e + 8, intel) : ReadExifUInt32(e + 8, intel);
      if (tag == 0x0103) compression = value;
      else if (tag == 0x0201) offset = value;
      else if (tag == 0x0202) length = value, lengthField = ifd + 2 + 12 * i + 8, lengthType = type;
    }
    if (compression == 6 && offset && length) {
      if (size_t(offset) + length > size) return false;
      thumb.offset = offset;
      thumb.length = length;
      thumb.link = link;
      thumb.lengthField = lengthField;
      thumb.lengthType = lengthType;
      return true;
    }
    link = ifd + 2 + 12 * size_t(count);
    ifd = ReadExifUInt32(tiff + link, intel);
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

namespace {

void WriteExifUInt(BYTE* b, DWORD value, int bytes, BOOL intel) {
  for (int i = 0; i < bytes; ++i) b[intel ? i : bytes - 1 - i] = BYTE(value >> (8 * i));
}

// The APP2 segments of an ICC profile ("ICC_PROFILE\0"), in file order, before the scan.
std::vector<BYTE> IccSegments(const BYTE* data, size_t size) {
  std::vector<BYTE> found;
  size_t pos = 0;
  while (pos + 4 <= size && data[pos] == 0xFF) {
    BYTE marker = data[pos + 1];
    if (marker == 0xD8 || marker == 0xD9) {
      pos += 2;
      continue;
    }
    if (marker == 0xDA) break;
    size_t n = size_t(data[pos + 2]) << 8 | data[pos + 3];
    if (n < 2 || pos + 2 + n > size) break;
    if (marker == 0xE2 && n >= 2 + 12 && std::memcmp(data + pos + 4, "ICC_PROFILE\0", 12) == 0)
      found.insert(found.end(), data + pos, data + pos + 2 + n);
    pos += 2 + n;
  }
  return found;
}

// A fresh thumbnail for the APP1 (marker included). One that does not fit the old space takes
// the end of the block when the old one ends it; otherwise the old thumbnail's IFD is unlinked,
// so that a turned or processed photo never carries a thumbnail of the picture as it was.
void ReplaceThumbnail(std::vector<BYTE>& app1, size_t tiffStart, BOOL intel, const Thumbnail& thumb,
                      const std::vector<BYTE>& fitted, const std::vector<BYTE>& smallest) {
  BYTE* tiff = app1.data() + tiffStart;
  size_t tiffSize = app1.size() - tiffStart;
  if (!fitted.empty()) {
    std::memcpy(tiff + thumb.offset, fitted.data(), fitted.size());
    std::memset(tiff + thumb.offset + fitted.size(), 0, thumb.length - fitted.size());
    return;
  }
  bool atEnd = thumb.offset + thumb.length == tiffSize;
  size_t grown = tiffStart + thumb.offset + smallest.size();
  if (!smallest.empty() && atEnd && thumb.lengthField && thumb.lengthType == 4 && grown - 2 <= 0xFFFF) {
    WriteExifUInt(tiff + thumb.lengthField, DWORD(smallest.size()), 4, intel);
    app1.resize(tiffStart + thumb.offset);
    app1.insert(app1.end(), smallest.begin(), smallest.end());
    app1[2] = BYTE((app1.size() - 2) >> 8);
    app1[3] = BYTE(app1.size() - 2);
    return;
  }
  // IFD0 itself cannot go: its thumbnail is only emptied.
  if (thumb.link != 4) WriteExifUInt(tiff + thumb.link, 0, 4, intel);
  else if (thumb.lengthField) WriteExifUInt(tiff + thumb.lengthField, 0, thumb.lengthType == 3 ? 2 : 4, intel);
  std::memset(tiff + thumb.offset, 0, thumb.length);
}

}  // namespace

bool MakeExifThumbnail(int session, DWORD oldLength, std::vector<BYTE>& jpeg, std::vector<BYTE>* smallest) {
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
      if (!Compress(rgb, int(width), int(height), quality, out)) break;
      if (out.size() < oldLength) {
        jpeg.swap(out);
        made = true;
      } else if (smallest && quality == 50) {
        smallest->swap(out);
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
    std::vector<BYTE> fresh, smallest;
    MakeExifThumbnail(session, DWORD(thumb.length), fresh, &smallest);
    ReplaceThumbnail(app1, tiffStart, intel, thumb, fresh, smallest);
  }
  std::vector<BYTE> saved;
  size_t savedAt, savedLength;
  if (!ReadWholeFile(path, saved) || !FindExifApp1(saved.data(), saved.size(), savedAt, savedLength)) return;
  // The photo's colour description travels with its Exif block, unless the saved file has its own.
  std::vector<BYTE> icc;
  if (IccSegments(saved.data(), saved.size()).empty()) icc = IccSegments(cameraJpeg, size);
  std::vector<BYTE> out;
  out.reserve(saved.size() - savedLength + app1.size() + icc.size());
  out.insert(out.end(), saved.begin(), saved.begin() + savedAt);
  out.insert(out.end(), app1.begin(), app1.end());
  out.insert(out.end(), icc.begin(), icc.end());
  out.insert(out.end(), saved.begin() + savedAt + savedLength, saved.end());
  WriteFileReplacing(path, out.data(), out.size());
}
