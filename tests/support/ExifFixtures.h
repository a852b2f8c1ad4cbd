// Camera-like JPEGs made by the tests: a picture with an Exif APP1 (IFD0 with model and
// orientation, an Exif IFD with exposure and an optional comment slot, an optional IFD1
// thumbnail), optionally after an XMP APP1 or with an ICC profile.
#pragma once

#include <cstring>
#include <string>
#include <vector>

#include "tests/support/JpegTestImages.h"

namespace exiftest {

using Bytes = std::vector<BYTE>;

struct Options {
  int orientation = 1;       // 0: no orientation tag
  size_t commentSlot = 264;  // 0: no UserComment entry
  std::string comment;       // text stored in the slot
  bool thumbnail = true;     // an IFD1 with a 160x120 JPEG of the same picture
  bool xmpFirst = false;     // an XMP APP1 before the Exif one
  Bytes iccProfile;          // stored as one APP2 ICC_PROFILE segment when not empty
  DWORD exposureNum = 1, exposureDen = 125;
};

namespace detail {

struct Entry {
  WORD tag, type;
  DWORD count;
  Bytes data;
};

inline Bytes Le(DWORD v, int n) {
  Bytes b;
  for (int i = 0; i < n; ++i) b.push_back(BYTE(v >> (8 * i)));
  while (b.size() < 4) b.push_back(0);
  return b;
}

inline Entry Ascii(WORD tag, const std::string& s) {
  Bytes d(s.begin(), s.end());
  d.push_back(0);
  return {tag, 2, DWORD(d.size()), d};
}

inline size_t IfdSize(const std::vector<Entry>& entries) {
  size_t size = 2 + entries.size() * 12 + 4;
  for (const Entry& e : entries)
    if (e.data.size() > 4) size += (e.data.size() + 1) & ~size_t(1);
  return size;
}

inline void Put(Bytes& b, size_t at, DWORD v, int n) {
  for (int i = 0; i < n; ++i) b[at + i] = BYTE(v >> (8 * i));
}

inline void WriteIfd(Bytes& tiff, size_t at, const std::vector<Entry>& entries, DWORD next) {
  Put(tiff, at, DWORD(entries.size()), 2);
  size_t data = at + 2 + entries.size() * 12 + 4;
  for (size_t i = 0; i < entries.size(); ++i) {
    const Entry& e = entries[i];
    size_t p = at + 2 + i * 12;
    Put(tiff, p, e.tag, 2);
    Put(tiff, p + 2, e.type, 2);
    Put(tiff, p + 4, e.count, 4);
    if (e.data.size() <= 4) {
      std::memcpy(&tiff[p + 8], e.data.data(), e.data.size());
    } else {
      Put(tiff, p + 8, DWORD(data), 4);
      std::memcpy(&tiff[data], e.data.data(), e.data.size());
      data += (e.data.size() + 1) & ~size_t(1);
    }
  }
  Put(tiff, at + 2 + entries.size() * 12, next, 4);
}

inline Bytes Segment(BYTE marker, const Bytes& payload) {
  Bytes s = {0xFF, marker, BYTE((payload.size() + 2) >> 8), BYTE(payload.size() + 2)};
  s.insert(s.end(), payload.begin(), payload.end());
  return s;
}

}  // namespace detail

/// The Exif APP1 payload ("Exif\0\0" and the TIFF data) for a picture.
inline Bytes ExifPayload(const Options& o, const Bytes& thumb) {
  using namespace detail;
  Bytes rational = Le(o.exposureNum, 4);
  Bytes den = Le(o.exposureDen, 4);
  rational.insert(rational.end(), den.begin(), den.end());
  Bytes fnumber = Le(28, 4), ten = Le(10, 4);
  fnumber.insert(fnumber.end(), ten.begin(), ten.end());
  std::vector<Entry> ifd0 = {Ascii(0x010F, "Canon"), Ascii(0x0110, "Canon PowerShot G9")};
  if (o.orientation) ifd0.push_back({0x0112, 3, 1, Le(DWORD(o.orientation), 2)});
  ifd0.push_back(Ascii(0x0132, "2026:05:04 10:20:30"));
  ifd0.push_back({0x8769, 4, 1, Le(0, 4)});
  std::vector<Entry> exif = {{0x829A, 5, 1, rational}, {0x829D, 5, 1, fnumber}, {0x8827, 3, 1, Le(200, 2)}};
  if (o.commentSlot) {
    Bytes comment(o.commentSlot, 0);
    std::memcpy(comment.data(), "ASCII\0\0\0", 8);
    if (!o.comment.empty())
      std::memcpy(comment.data() + 8, o.comment.data(), std::min(o.comment.size(), o.commentSlot - 8));
    exif.push_back({0x9286, 7, DWORD(o.commentSlot), comment});
  }
  std::vector<Entry> ifd1;
  if (!thumb.empty()) ifd1 = {{0x0103, 3, 1, Le(6, 2)}, {0x0201, 4, 1, Le(0, 4)}, {0x0202, 4, 1, Le(DWORD(thumb.size()), 4)}};
  size_t ifd0At = 8, exifAt = ifd0At + IfdSize(ifd0), ifd1At = exifAt + IfdSize(exif);
  size_t end = ifd1At + (ifd1.empty() ? 0 : IfdSize(ifd1));
  ifd0.back().data = Le(DWORD(exifAt), 4);
  if (!ifd1.empty()) ifd1[1].data = Le(DWORD(end), 4);
  Bytes tiff(end + thumb.size(), 0);
  tiff[0] = 'I', tiff[1] = 'I';
  Put(tiff, 2, 42, 2);
  Put(tiff, 4, DWORD(ifd0At), 4);
  WriteIfd(tiff, ifd0At, ifd0, ifd1.empty() ? 0 : DWORD(ifd1At));
  WriteIfd(tiff, exifAt, exif, 0);
  if (!ifd1.empty()) WriteIfd(tiff, ifd1At, ifd1, 0);
  if (!thumb.empty()) std::memcpy(tiff.data() + end, thumb.data(), thumb.size());
  Bytes payload = {'E', 'x', 'i', 'f', 0, 0};
  payload.insert(payload.end(), tiff.begin(), tiff.end());
  return payload;
}

/// A JPEG of width x height coloured by the function, with the camera-like metadata of `o`.
inline Bytes MakeCameraJpeg(int width, int height, const std::function<jpegtest::Rgb(int, int)>& colour,
                            const Options& o = Options()) {
  using namespace detail;
  Bytes picture = jpegtest::Encode(width, height, colour, 95);
  Bytes thumb;
  if (o.thumbnail) {
    thumb = jpegtest::Encode(160, 120, [&](int x, int y) { return colour(x * width / 160, y * height / 120); }, 75);
  }
  Bytes out = {0xFF, 0xD8};
  if (o.xmpFirst) {
    std::string xmp = std::string("http://ns.adobe.com/xap/1.0/") + '\0' +
                      "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\"><rdf:RDF "
                      "xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\"/></x:xmpmeta>";
    Bytes s = Segment(0xE1, Bytes(xmp.begin(), xmp.end()));
    out.insert(out.end(), s.begin(), s.end());
  }
  Bytes exif = Segment(0xE1, ExifPayload(o, thumb));
  out.insert(out.end(), exif.begin(), exif.end());
  if (!o.iccProfile.empty()) {
    std::string tag = std::string("ICC_PROFILE") + '\0';
    Bytes payload(tag.begin(), tag.end());
    payload.push_back(1), payload.push_back(1);
    payload.insert(payload.end(), o.iccProfile.begin(), o.iccProfile.end());
    Bytes s = Segment(0xE2, payload);
    out.insert(out.end(), s.begin(), s.end());
  }
  // The encoder's own JFIF APP0 stays after ours; its SOI is replaced by ours.
  out.insert(out.end(), picture.begin() + 2, picture.end());
  return out;
}

/// Four flat quadrants (red, green / blue, white): any turn or mirror shows in the corners.
inline jpegtest::Rgb Quadrants(int x, int y, int width, int height) {
  bool right = x >= width / 2, bottom = y >= height / 2;
  if (!bottom) return right ? jpegtest::Rgb{0, 200, 0} : jpegtest::Rgb{220, 0, 0};
  return right ? jpegtest::Rgb{240, 240, 240} : jpegtest::Rgb{0, 0, 220};
}

}  // namespace exiftest
