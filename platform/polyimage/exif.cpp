// Exif: the date record callers fill before saving, the APP1 block written into saved JPEGs,
// and the orientation tag read from (and reset in) loaded ones.
#include "platform/polyimage/polyimage_pvt.h"

struct PolyExifRecord {
  pip::ExifFields fields;
};

namespace pip {
namespace {

struct TiffReader {
  const uint8_t* p;
  size_t size;
  bool intel;
  bool Ok(size_t off, size_t n) const { return off <= size && n <= size - off; }
  uint16_t U16(size_t off) const {
    return intel ? uint16_t(p[off] | p[off + 1] << 8) : uint16_t(p[off] << 8 | p[off + 1]);
  }
  uint32_t U32(size_t off) const {
    return intel ? uint32_t(p[off] | p[off + 1] << 8 | p[off + 2] << 16 | uint32_t(p[off + 3]) << 24)
                 : uint32_t(uint32_t(p[off]) << 24 | p[off + 1] << 16 | p[off + 2] << 8 | p[off + 3]);
  }
};

// Finds the TIFF body of a JPEG's Exif APP1: offset and size within data, or false.
bool FindExifTiff(const uint8_t* data, size_t size, size_t& tiff, size_t& tiffSize) {
  if (size < 4 || data[0] != 0xFF || data[1] != 0xD8) return false;
  size_t pos = 2;
  while (pos + 4 <= size) {
    if (data[pos] != 0xFF) return false;
    uint8_t marker = data[pos + 1];
    if (marker == 0xFF) {
      ++pos;
      continue;
    }
    if (marker == 0xDA || marker == 0xD9) return false;  // pixels start: no Exif before them
    size_t length = size_t(data[pos + 2]) << 8 | data[pos + 3];
    if (length < 2 || pos + 2 + length > size) return false;
    if (marker == 0xE1 && length >= 16 && std::memcmp(data + pos + 4, "Exif\0\0", 6) == 0) {
      tiff = pos + 10;
      tiffSize = length - 8;
      return true;
    }
    pos += 2 + length;
  }
  return false;
}

// Offset of IFD0's orientation value (2 bytes), or 0.
size_t OrientationOffset(const TiffReader& r) {
  if (!r.Ok(0, 8) || r.U16(2) != 42) return 0;
  size_t ifd = r.U32(4);
  if (!r.Ok(ifd, 2)) return 0;
  unsigned count = r.U16(ifd);
  for (unsigned i = 0; i < count; ++i) {
    size_t entry = ifd + 2 + size_t(i) * 12;
    if (!r.Ok(entry, 12)) return 0;
    if (r.U16(entry) == 0x0112 && r.U16(entry + 2) == 3) return entry + 8;
  }
  return 0;
}

bool ByteOrder(const uint8_t* tiff, size_t size, bool& intel) {
  if (size < 8) return false;
  if (tiff[0] == 'I' && tiff[1] == 'I') intel = true;
  else if (tiff[0] == 'M' && tiff[1] == 'M') intel = false;
  else return false;
  return true;
}

class TiffWriter {
 public:
  // Big-endian ("MM"), the camera order.
  void U16(uint16_t v) { m_out.push_back(uint8_t(v >> 8)), m_out.push_back(uint8_t(v)); }
  void U32(uint32_t v) { U16(uint16_t(v >> 16)), U16(uint16_t(v)); }
  std::vector<uint8_t>& Out() { return m_out; }

 private:
  std::vector<uint8_t> m_out;
};

struct Entry {
  uint16_t tag, type;
  uint32_t count;
  std::vector<uint8_t> value;  // big-endian bytes
};

Entry Ascii(uint16_t tag, const std::string& text) {
  Entry e{tag, 2, uint32_t(text.size() + 1), {}};
  e.value.assign(text.begin(), text.end());
  e.value.push_back(0);
  return e;
}
Entry Rational(uint16_t tag, uint32_t num, uint32_t den) {
  TiffWriter w;
  w.U32(num);
  w.U32(den);
  return Entry{tag, 5, 1, w.Out()};
}
Entry Short(uint16_t tag, uint16_t v) {
  TiffWriter w;
  w.U16(v);
  return Entry{tag, 3, 1, w.Out()};
}
Entry Long(uint16_t tag, uint32_t v) {
  TiffWriter w;
  w.U32(v);
  return Entry{tag, 4, 1, w.Out()};
}

// Writes one IFD at `start` (offset within the TIFF body); values over 4 bytes follow it.
std::vector<uint8_t> WriteIfd(std::vector<Entry> entries, uint32_t start) {
  std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.tag < b.tag; });
  TiffWriter w;
  uint32_t data = start + 2 + uint32_t(entries.size()) * 12 + 4;
  std::vector<uint8_t> extra;
  w.U16(uint16_t(entries.size()));
  for (const Entry& e : entries) {
    w.U16(e.tag);
    w.U16(e.type);
    w.U32(e.count);
    if (e.value.size() <= 4) {
      std::vector<uint8_t> v = e.value;
      v.resize(4, 0);
      w.Out().insert(w.Out().end(), v.begin(), v.end());
    } else {
      w.U32(data + uint32_t(extra.size()));
      extra.insert(extra.end(), e.value.begin(), e.value.end());
      if (extra.size() & 1) extra.push_back(0);
    }
  }
  w.U32(0);  // no next IFD
  w.Out().insert(w.Out().end(), extra.begin(), extra.end());
  return w.Out();
}

}  // namespace

int JpegExifOrientation(const uint8_t* data, size_t size) {
  size_t tiff, tiffSize;
  bool intel;
  if (!FindExifTiff(data, size, tiff, tiffSize) || !ByteOrder(data + tiff, tiffSize, intel)) return 0;
  TiffReader r{data + tiff, tiffSize, intel};
  size_t at = OrientationOffset(r);
  if (!at) return 0;
  int value = r.U16(at);
  return value >= 1 && value <= 8 ? value : 0;
}

bool ResetApp1Orientation(uint8_t* payload, size_t size) {
  bool intel;
  if (size < 14 || std::memcmp(payload, "Exif\0\0", 6) != 0 || !ByteOrder(payload + 6, size - 6, intel)) return false;
  uint8_t* tiff = payload + 6;
  TiffReader r{tiff, size - 6, intel};
  size_t at = OrientationOffset(r);
  if (!at) return false;
  tiff[at] = intel ? 1 : 0;
  tiff[at + 1] = intel ? 0 : 1;
  return true;
}

std::vector<uint8_t> BuildExifApp1(const ExifFields* fields, int xDpi, int yDpi) {
  std::vector<Entry> ifd0{
      Rational(0x011A, uint32_t(xDpi > 0 ? xDpi : 72), 1),
      Rational(0x011B, uint32_t(yDpi > 0 ? yDpi : 72), 1),
      Short(0x0128, 2),  // inches
  };
  std::vector<Entry> exifIfd;
  if (fields) {
    if (!fields->dateTime.empty()) ifd0.push_back(Ascii(0x0132, fields->dateTime));
    if (!fields->dateTimeOriginal.empty()) exifIfd.push_back(Ascii(0x9003, fields->dateTimeOriginal));
    if (!fields->dateTimeDigitized.empty()) exifIfd.push_back(Ascii(0x9004, fields->dateTimeDigitized));
  }
  exifIfd.push_back(Entry{0x9000, 7, 4, {'0', '2', '2', '0'}});  // Exif version
  ifd0.push_back(Long(0x8769, 0));                                // patched below
  std::vector<uint8_t> first = WriteIfd(ifd0, 8);
  uint32_t exifAt = 8 + uint32_t(first.size());
  first = WriteIfd([&] {
    ifd0.back() = Long(0x8769, exifAt);
    return ifd0;
  }(), 8);
  std::vector<uint8_t> second = WriteIfd(exifIfd, exifAt);

  static const uint8_t kHeader[] = {'E', 'x', 'i', 'f', 0, 0, 'M', 'M', 0, 42, 0, 0, 0, 8};
  std::vector<uint8_t> out(sizeof kHeader + first.size() + second.size());
  std::memcpy(out.data(), kHeader, sizeof kHeader);
  std::memcpy(out.data() + sizeof kHeader, first.data(), first.size());
  std::memcpy(out.data() + sizeof kHeader + first.size(), second.data(), second.size());
  return out;
}

}  // namespace pip

using namespace pip;

HEXIF cNewEXIF() {
  try {
    return new PolyExifRecord();
  } catch (...) {
    return nullptr;
  }
}

static int PutText(HEXIF record, LPCSTR text, std::string ExifFields::*field) {
  return Guard("cEXIF_PutDateTime", [&] {
    if (!record || !text || std::strlen(text) > 64) return 0;
    record->fields.*field = text;
    return 1;
  });
}

int cEXIF_PutDateTime(HEXIF record, LPCSTR text) { return PutText(record, text, &ExifFields::dateTime); }
int cEXIF_PutDateTimeOriginal(HEXIF record, LPCSTR text) {
  return PutText(record, text, &ExifFields::dateTimeOriginal);
}
int cEXIF_PutDateTimeDigitized(HEXIF record, LPCSTR text) {
  return PutText(record, text, &ExifFields::dateTimeDigitized);
}

int cPutImageEXIF_Info(int session, HEXIF record) {
  return Guard("cPutImageEXIF_Info", [&] {
    Session* s = Find(session);
    if (!s || !record) return 0;
    s->exif = record->fields;
    s->hasExif = true;
    return 1;
  });
}

int cDestroyEXIF(HEXIF record) {
  delete record;
  return record ? 1 : 0;
}
