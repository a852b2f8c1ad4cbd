#include "platform/canon/simphoto_p.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <algorithm>

#include <jpeglib.h>

namespace tavsim_p {

namespace {

// 5x7 digits for the frame counter.
const BYTE kDigits[10][7] = {
    {0x0E, 0x11, 0x13, 0x15, 0x19, 0x11, 0x0E}, {0x04, 0x0C, 0x04, 0x04, 0x04, 0x04, 0x0E},
    {0x0E, 0x11, 0x01, 0x02, 0x04, 0x08, 0x1F}, {0x1F, 0x02, 0x04, 0x02, 0x01, 0x11, 0x0E},
    {0x02, 0x06, 0x0A, 0x12, 0x1F, 0x02, 0x02}, {0x1F, 0x10, 0x1E, 0x01, 0x01, 0x11, 0x0E},
    {0x06, 0x08, 0x10, 0x1E, 0x11, 0x11, 0x0E}, {0x1F, 0x01, 0x02, 0x04, 0x08, 0x08, 0x08},
    {0x0E, 0x11, 0x11, 0x0E, 0x11, 0x11, 0x0E}, {0x0E, 0x11, 0x11, 0x0F, 0x01, 0x02, 0x0C}};

void DrawScene(std::vector<BYTE>& rgb, int width, int height, int counter) {
  static const BYTE bars[8][3] = {{235, 235, 235}, {235, 235, 16}, {16, 235, 235}, {16, 235, 16},
                                  {235, 16, 235},  {235, 16, 16},  {16, 16, 235},  {16, 16, 16}};
  rgb.assign(static_cast<size_t>(width) * height * 3, 0);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      BYTE* p = &rgb[(static_cast<size_t>(y) * width + x) * 3];
      if (y < height * 2 / 3) {
        const BYTE* c = bars[x * 8 / width];
        p[0] = c[0], p[1] = c[1], p[2] = c[2];
      } else {
        BYTE g = static_cast<BYTE>(x * 255 / (width > 1 ? width - 1 : 1));
        p[0] = g, p[1] = g, p[2] = static_cast<BYTE>(255 - g);
      }
    }
  }
  // Sensor-like noise, so a photo compresses to a realistic size and downloads in many blocks.
  uint32_t seed = 0x9E3779B9u ^ static_cast<uint32_t>(counter);
  for (BYTE& v : rgb) {
    seed = seed * 1664525u + 1013904223u;
    int n = v + static_cast<int>(seed >> 28) - 8;
    v = static_cast<BYTE>(n < 0 ? 0 : n > 255 ? 255 : n);
  }
  // The counter in black on white, a quarter of the height tall, so each frame differs visibly.
  char text[16];
  snprintf(text, sizeof text, "%d", counter);
  int len = static_cast<int>(strlen(text));
  int scale = height / 28 > 0 ? height / 28 : 1;
  int boxW = (len * 6 + 1) * scale, boxH = 9 * scale;
  int x0 = (width - boxW) / 2, y0 = (height - boxH) / 2;
  for (int y = 0; y < boxH; ++y) {
    for (int x = 0; x < boxW; ++x) {
      int px = x0 + x, py = y0 + y;
      if (px < 0 || py < 0 || px >= width || py >= height) continue;
      int cx = x / scale - 1, cy = y / scale - 1;
      bool ink = false;
      if (cy >= 0 && cy < 7 && cx >= 0) {
        int digit = cx / 6, col = cx % 6;
        if (digit < len && col < 5) ink = (kDigits[text[digit] - '0'][cy] >> (4 - col)) & 1;
      }
      BYTE v = ink ? 0 : 255;
      BYTE* p = &rgb[(static_cast<size_t>(py) * width + px) * 3];
      p[0] = p[1] = p[2] = v;
    }
  }
}

struct ErrorManager {
  jpeg_error_mgr base;
  jmp_buf back;
};

void OnError(j_common_ptr info) { longjmp(reinterpret_cast<ErrorManager*>(info->err)->back, 1); }

std::vector<BYTE> Encode(const std::vector<BYTE>& rgb, int width, int height, int quality) {
  jpeg_compress_struct info;
  ErrorManager err;
  info.err = jpeg_std_error(&err.base);
  err.base.error_exit = OnError;
  unsigned char* out = nullptr;
  unsigned long outSize = 0;
  std::vector<BYTE> result;
  if (setjmp(err.back) == 0) {
    jpeg_create_compress(&info);
    jpeg_mem_dest(&info, &out, &outSize);
    info.image_width = width;
    info.image_height = height;
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
      JSAMPROW row = const_cast<JSAMPROW>(&rgb[static_cast<size_t>(info.next_scanline) * width * 3]);
      jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    result.assign(out, out + outSize);
  }
  jpeg_destroy_compress(&info);
  free(out);
  return result;
}

// Little-endian TIFF writer for the few IFDs the camera writes.
struct Entry {
  WORD tag, type;
  DWORD count;
  std::vector<BYTE> data;  // the value bytes; placed inline when 4 bytes or fewer
};

void Put16(std::vector<BYTE>& b, size_t at, DWORD v) {
  b[at] = v & 0xFF;
  b[at + 1] = (v >> 8) & 0xFF;
}
void Put32(std::vector<BYTE>& b, size_t at, DWORD v) {
  for (int i = 0; i < 4; ++i) b[at + i] = (v >> (8 * i)) & 0xFF;
}
std::vector<BYTE> Bytes16(DWORD v) { return {BYTE(v & 0xFF), BYTE(v >> 8), 0, 0}; }
std::vector<BYTE> Bytes32(DWORD v) { return {BYTE(v), BYTE(v >> 8), BYTE(v >> 16), BYTE(v >> 24)}; }
std::vector<BYTE> SignedRational(int n, int d) {
  return {BYTE(n), BYTE(n >> 8), BYTE(n >> 16), BYTE(n >> 24), BYTE(d), BYTE(d >> 8), BYTE(d >> 16), BYTE(d >> 24)};
}
std::vector<BYTE> Rational(DWORD n, DWORD d) {
  auto b = Bytes32(n);
  auto c = Bytes32(d);
  b.insert(b.end(), c.begin(), c.end());
  return b;
}
Entry Ascii(WORD tag, const std::string& s) {
  std::vector<BYTE> d(s.begin(), s.end());
  d.push_back(0);
  return {tag, 2, static_cast<DWORD>(d.size()), d};
}

size_t IfdSize(const std::vector<Entry>& entries) {
  size_t size = 2 + entries.size() * 12 + 4;
  for (const Entry& e : entries)
    if (e.data.size() > 4) size += (e.data.size() + 1) & ~size_t(1);
  return size;
}

// Writes an IFD at offset `at` of the TIFF block (which must be large enough).
void WriteIfd(std::vector<BYTE>& tiff, size_t at, const std::vector<Entry>& entries, DWORD next) {
  Put16(tiff, at, static_cast<DWORD>(entries.size()));
  size_t data = at + 2 + entries.size() * 12 + 4;
  for (size_t i = 0; i < entries.size(); ++i) {
    const Entry& e = entries[i];
    size_t p = at + 2 + i * 12;
    Put16(tiff, p, e.tag);
    Put16(tiff, p + 2, e.type);
    Put32(tiff, p + 4, e.count);
    if (e.data.size() <= 4) {
      std::memcpy(&tiff[p + 8], e.data.data(), e.data.size());
    } else {
      Put32(tiff, p + 8, static_cast<DWORD>(data));
      std::memcpy(&tiff[data], e.data.data(), e.data.size());
      data += (e.data.size() + 1) & ~size_t(1);
    }
  }
  Put32(tiff, at + 2 + entries.size() * 12, next);
}

std::string NowText() {
  time_t now = time(nullptr);
  struct tm local;
  localtime_r(&now, &local);
  char text[32];
  strftime(text, sizeof text, "%Y:%m:%d %H:%M:%S", &local);
  return text;
}

}  // namespace

std::vector<BYTE> EncodeScene(int width, int height, int counter, int quality) {
  if (width <= 0 || height <= 0) return {};
  std::vector<BYTE> rgb;
  DrawScene(rgb, width, height, counter);
  return Encode(rgb, width, height, quality);
}

namespace {

// Nominal values of the camera's shutter codes: seconds as a fraction.
struct Fraction {
  DWORD code, num, den;
};
const Fraction kShutter[] = {
    {24, 15, 1},  {27, 13, 1},  {29, 10, 1},   {32, 8, 1},    {35, 6, 1},    {37, 5, 1},    {40, 4, 1},
    {43, 32, 10}, {45, 25, 10}, {48, 2, 1},    {51, 16, 10},  {53, 13, 10},  {56, 1, 1},    {59, 8, 10},
    {61, 6, 10},  {64, 5, 10},  {67, 4, 10},   {69, 3, 10},   {72, 1, 4},    {75, 1, 5},    {77, 1, 6},
    {80, 1, 8},   {83, 1, 10},  {85, 1, 13},   {88, 1, 15},   {91, 1, 20},   {93, 1, 25},   {96, 1, 30},
    {99, 1, 40},  {101, 1, 50}, {104, 1, 60},  {107, 1, 80},  {109, 1, 100}, {112, 1, 125}, {115, 1, 160},
    {117, 1, 200}, {120, 1, 250}, {123, 1, 320}, {125, 1, 400}, {128, 1, 500}, {131, 1, 640}, {133, 1, 800},
    {136, 1, 1000}, {139, 1, 1250}, {141, 1, 1600}, {144, 1, 2000}, {147, 1, 2500}, {149, 1, 3200}, {152, 1, 4000}};
// Aperture codes and their f-numbers in tenths.
const DWORD kAperture[][2] = {{20, 18}, {21, 18}, {24, 20}, {27, 22}, {28, 25}, {29, 25}, {32, 28}, {35, 32},
                              {36, 35}, {37, 35}, {40, 40}, {43, 45}, {44, 45}, {45, 50}, {48, 56}, {51, 63},
                              {52, 67}, {53, 71}, {56, 80}, {59, 90}, {60, 95}, {61, 100}, {64, 110}, {67, 120},
                              {68, 130}, {69, 140}, {72, 160}, {75, 180}, {76, 190}, {77, 200}, {80, 220}};
const DWORD kIso[][2] = {{40, 6},    {43, 8},    {45, 10},   {48, 12},   {51, 16},   {53, 20},   {56, 25},
                         {59, 32},   {61, 40},   {64, 50},   {67, 64},   {69, 80},   {72, 100},  {75, 125},
                         {77, 160},  {80, 200},  {83, 250},  {85, 320},  {88, 400},  {91, 500},  {93, 640},
                         {96, 800},  {99, 1000}, {101, 1250}, {104, 1600}, {107, 2000}, {109, 2500}, {112, 3200},
                         {115, 4000}, {117, 5000}, {120, 6400}};

}  // namespace

void ApplySettings(PhotoInfo& photo, DWORD mode, DWORD tv, DWORD av, DWORD iso, DWORD whiteBalance, DWORD flash,
                   DWORD compensation) {
  static const WORD kProgram[] = {2, 2, 4, 3, 1};  // auto, program, Tv, Av, manual
  photo.exposureProgram = mode < 5 ? kProgram[mode] : 2;
  bool ownShutter = mode == 2 || mode == 4, ownAperture = mode == 3 || mode == 4;
  if (ownShutter)
    for (const Fraction& f : kShutter)
      if (f.code == tv) photo.exposureNum = f.num, photo.exposureDen = f.den;
  if (ownAperture)
    for (const auto& a : kAperture)
      if (a[0] == av) photo.fNumberNum = a[1], photo.fNumberDen = 10;
  for (const auto& i : kIso)
    if (i[0] == iso) photo.iso = static_cast<WORD>(i[1]);
  // Compensation codes count eighths of a stop from 24; the camera steps in thirds.
  int eighths = 24 - static_cast<int>(compensation);
  photo.biasThirds = compensation <= 48 ? (eighths * 3 + (eighths >= 0 ? 4 : -4)) / 8 : 0;
  // White balance: auto, daylight, cloudy, tungsten, fluorescent, flash, custom, fluorescent H.
  static const WORD kLight[] = {0, 1, 10, 3, 2, 4, 255, 2};
  photo.whiteBalance = whiteBalance == 0 ? 0 : 1;
  photo.lightSource = whiteBalance < 8 ? kLight[whiteBalance] : 255;
  // Flash: off, auto, on, -, -, auto with red-eye, on with red-eye. Auto does not fire here.
  switch (flash) {
    case 0: photo.flash = 0x10; break;
    case 1: photo.flash = 0x18; break;
    case 2: photo.flash = 0x09; break;
    case 5: photo.flash = 0x58; break;
    case 6: photo.flash = 0x49; break;
    default: photo.flash = 0x10; break;
  }
}

std::vector<BYTE> MakePhoto(const PhotoInfo& photo) {
  std::vector<BYTE> main = EncodeScene(photo.width, photo.height, photo.counter, 90);
  std::vector<BYTE> thumb = EncodeScene(160, 120, photo.counter, 75);
  if (main.size() < 4 || thumb.empty()) return {};

  // The tags a real compact camera writes, so that peers that validate Exif accept the photo.
  std::string now = NowText();
  std::vector<Entry> ifd0 = {Ascii(0x010F, "Canon"),
                             Ascii(0x0110, photo.model),
                             {0x0112, 3, 1, Bytes16(photo.orientation)},
                             {0x011A, 5, 1, Rational(180, 1)},
                             {0x011B, 5, 1, Rational(180, 1)},
                             {0x0128, 3, 1, Bytes16(2)},
                             Ascii(0x0132, now),
                             {0x0213, 3, 1, Bytes16(1)},
                             {0x8769, 4, 1, Bytes32(0)}};
  const size_t exifPointer = ifd0.size() - 1;
  std::vector<BYTE> comment(264, 0);
  std::memcpy(comment.data(), "ASCII\0\0\0", 8);
  std::vector<Entry> exif = {{0x829A, 5, 1, Rational(photo.exposureNum, photo.exposureDen)},
                             {0x829D, 5, 1, Rational(photo.fNumberNum, photo.fNumberDen)},
                             {0x8822, 3, 1, Bytes16(photo.exposureProgram)},
                             {0x8827, 3, 1, Bytes16(photo.iso)},
                             {0x9000, 7, 4, {'0', '2', '2', '0'}},
                             Ascii(0x9003, now),
                             Ascii(0x9004, now),
                             {0x9101, 7, 4, {1, 2, 3, 0}},
                             {0x9204, 10, 1, SignedRational(photo.biasThirds, 3)},
                             {0x9208, 3, 1, Bytes16(photo.lightSource)},
                             {0x9209, 3, 1, Bytes16(photo.flash)},
                             {0x927C, 7, 32, std::vector<BYTE>(32, 0)},
                             {0x9286, 7, 264, comment},
                             {0xA000, 7, 4, {'0', '1', '0', '0'}},
                             {0xA001, 3, 1, Bytes16(1)},
                             {0xA002, 4, 1, Bytes32(static_cast<DWORD>(photo.width))},
                             {0xA003, 4, 1, Bytes32(static_cast<DWORD>(photo.height))},
                             {0xA403, 3, 1, Bytes16(photo.whiteBalance)}};
  std::vector<Entry> ifd1 = {{0x0103, 3, 1, Bytes16(6)},        {0x011A, 5, 1, Rational(180, 1)},
                             {0x011B, 5, 1, Rational(180, 1)}, {0x0128, 3, 1, Bytes16(2)},
                             {0x0201, 4, 1, Bytes32(0)},       {0x0202, 4, 1, Bytes32(static_cast<DWORD>(thumb.size()))}};
  const size_t thumbPointer = 4;
  size_t ifd0At = 8, exifAt = ifd0At + IfdSize(ifd0), ifd1At = exifAt + IfdSize(exif);
  size_t thumbAt = ifd1At + IfdSize(ifd1);
  ifd0[exifPointer].data = Bytes32(static_cast<DWORD>(exifAt));
  ifd1[thumbPointer].data = Bytes32(static_cast<DWORD>(thumbAt));

  std::vector<BYTE> tiff(thumbAt + thumb.size(), 0);
  tiff[0] = 'I', tiff[1] = 'I';
  Put16(tiff, 2, 42);
  Put32(tiff, 4, static_cast<DWORD>(ifd0At));
  WriteIfd(tiff, ifd0At, ifd0, static_cast<DWORD>(ifd1At));
  WriteIfd(tiff, exifAt, exif, 0);
  WriteIfd(tiff, ifd1At, ifd1, 0);
  std::memcpy(&tiff[thumbAt], thumb.data(), thumb.size());

  size_t segment = 2 + 6 + tiff.size();
  if (segment > 0xFFFF) return {};
  std::vector<BYTE> out = {0xFF, 0xD8, 0xFF, 0xE1, BYTE(segment >> 8), BYTE(segment & 0xFF), 'E', 'x', 'i', 'f', 0, 0};
  out.insert(out.end(), tiff.begin(), tiff.end());
  out.insert(out.end(), main.begin() + 2, main.end());  // the encoder's SOI is replaced by ours
  return out;
}

std::vector<BYTE> MakeCrw(const std::vector<BYTE>& jpeg) {
  // Header: byte order, header length, "HEAPCCDR", version; then the heap: the JPEG record's
  // bytes, the directory (count and 10-byte records) and its offset in the last 4 bytes.
  const DWORD headerLength = 26;
  std::vector<BYTE> out(headerLength + jpeg.size(), 0);
  out[0] = 'I', out[1] = 'I';
  Put32(out, 2, headerLength);
  std::memcpy(&out[6], "HEAPCCDR", 8);
  Put32(out, 14, 0x00010002);
  std::copy(jpeg.begin(), jpeg.end(), out.begin() + headerLength);
  if (out.size() % 2) out.push_back(0);
  DWORD directory = static_cast<DWORD>(out.size() - headerLength);
  size_t at = out.size();
  out.resize(at + 2 + 10 + 4, 0);
  Put16(out, at, 1);
  Put16(out, at + 2, 0x2007);
  Put32(out, at + 4, static_cast<DWORD>(jpeg.size()));
  Put32(out, at + 8, 0);
  Put32(out, at + 12, directory);
  return out;
}

namespace {

// Bounded reader over the TIFF block of an Exif APP1.
struct Tiff {
  BYTE* data;
  size_t size;
  bool little;
  size_t app1 = 0;  // position of the APP1 marker in the JPEG
  bool Get16(size_t at, DWORD& v) const {
    if (at + 2 > size) return false;
    v = little ? data[at] | data[at + 1] << 8 : data[at] << 8 | data[at + 1];
    return true;
  }
  bool Get32(size_t at, DWORD& v) const {
    if (at + 4 > size) return false;
    v = little ? DWORD(data[at]) | DWORD(data[at + 1]) << 8 | DWORD(data[at + 2]) << 16 | DWORD(data[at + 3]) << 24
               : DWORD(data[at]) << 24 | DWORD(data[at + 1]) << 16 | DWORD(data[at + 2]) << 8 | DWORD(data[at + 3]);
    return true;
  }
  void Set16(size_t at, DWORD v) {
    if (little) data[at] = v & 0xFF, data[at + 1] = (v >> 8) & 0xFF;
    else data[at] = (v >> 8) & 0xFF, data[at + 1] = v & 0xFF;
  }
  void Set32(size_t at, DWORD v) {
    for (int i = 0; i < 4; ++i) data[at + (little ? i : 3 - i)] = BYTE(v >> (8 * i));
  }
  /// Offset of the 12-byte entry with the tag in the IFD at `ifd`, or 0.
  size_t Find(size_t ifd, WORD tag) const {
    DWORD count;
    if (!Get16(ifd, count) || count == 0 || ifd + 2 + size_t(count) * 12 > size) return 0;
    for (DWORD i = 0; i < count; ++i) {
      DWORD t;
      size_t entry = ifd + 2 + size_t(i) * 12;
      if (Get16(entry, t) && t == tag) return entry;
    }
    return 0;
  }
};

// Finds the TIFF block of the first Exif APP1.
bool FindTiff(std::vector<BYTE>& jpeg, Tiff& tiff) {
  size_t pos = 2;
  if (jpeg.size() < 4 || jpeg[0] != 0xFF || jpeg[1] != 0xD8) return false;
  while (pos + 4 <= jpeg.size() && jpeg[pos] == 0xFF) {
    BYTE marker = jpeg[pos + 1];
    size_t length = size_t(jpeg[pos + 2]) << 8 | jpeg[pos + 3];
    if (marker == 0xDA || length < 2 || pos + 2 + length > jpeg.size()) return false;
    if (marker == 0xE1 && length >= 16 && std::memcmp(&jpeg[pos + 4], "Exif\0\0", 6) == 0) {
      tiff.data = &jpeg[pos + 10];
      tiff.size = length - 8;
      tiff.app1 = pos;
      if (tiff.data[0] == 'I' && tiff.data[1] == 'I') tiff.little = true;
      else if (tiff.data[0] == 'M' && tiff.data[1] == 'M') tiff.little = false;
      else return false;
      DWORD magic;
      return tiff.Get16(2, magic) && magic == 42;
    }
    pos += 2 + length;
  }
  return false;
}

// The comment slot: data offset and byte count of tag 0x9286 in the Exif IFD.
bool CommentSlot(const Tiff& tiff, size_t& at, size_t& count) {
  DWORD ifd0, exifIfd, n, offset;
  if (!tiff.Get32(4, ifd0)) return false;
  size_t pointer = tiff.Find(ifd0, 0x8769);
  if (!pointer || !tiff.Get32(pointer + 8, exifIfd)) return false;
  size_t entry = tiff.Find(exifIfd, 0x9286);
  if (!entry || !tiff.Get32(entry + 4, n) || !tiff.Get32(entry + 8, offset)) return false;
  if (n <= 8 || n > tiff.size || offset > tiff.size - n) return false;
  at = offset + 8;
  count = n - 8;
  return true;
}

}  // namespace

std::vector<BYTE> ExifThumbnail(const std::vector<BYTE>& jpeg) {
  std::vector<BYTE> copy(jpeg);
  Tiff tiff;
  DWORD ifd0, count, ifd1, offset, length;
  if (!FindTiff(copy, tiff) || !tiff.Get32(4, ifd0) || !tiff.Get16(ifd0, count) ||
      !tiff.Get32(ifd0 + 2 + size_t(count) * 12, ifd1) || ifd1 == 0)
    return {};
  size_t at = tiff.Find(ifd1, 0x0201), size = tiff.Find(ifd1, 0x0202);
  if (!at || !size || !tiff.Get32(at + 8, offset) || !tiff.Get32(size + 8, length)) return {};
  if (length < 4 || offset > tiff.size || length > tiff.size - offset) return {};
  const BYTE* thumb = tiff.data + offset;
  if (thumb[0] != 0xFF || thumb[1] != 0xD8) return {};
  return std::vector<BYTE>(thumb, thumb + length);
}

bool ReadExifFields(const std::vector<BYTE>& jpeg, std::string* comment, WORD* orientation) {
  std::vector<BYTE> copy(jpeg);
  Tiff tiff;
  if (!FindTiff(copy, tiff)) return false;
  if (comment) {
    size_t at, count;
    if (!CommentSlot(tiff, at, count)) return false;
    const char* text = reinterpret_cast<const char*>(tiff.data + at);
    comment->assign(text, strnlen(text, count));
  }
  if (orientation) {
    DWORD ifd0, v;
    if (!tiff.Get32(4, ifd0)) return false;
    size_t entry = tiff.Find(ifd0, 0x0112);
    if (!entry || !tiff.Get16(entry + 8, v)) return false;
    *orientation = static_cast<WORD>(v);
  }
  return true;
}

namespace {

const size_t kCommentSlot = 264;  // what the camera writes: an 8-byte code and 256 bytes of text

// Appends bytes to the end of the Exif block (word-aligned); their TIFF offset, or 0 when the
// segment would pass its 64 KB limit. Offsets already in the block stay valid.
size_t AppendToTiff(std::vector<BYTE>& jpeg, Tiff& tiff, std::vector<BYTE> extra) {
  size_t length = size_t(jpeg[tiff.app1 + 2]) << 8 | jpeg[tiff.app1 + 3];
  size_t pad = tiff.size % 2;
  if (length + pad + extra.size() > 0xFFFF) return 0;
  extra.insert(extra.begin(), pad, 0);
  size_t at = tiff.size + pad;
  jpeg.insert(jpeg.begin() + static_cast<std::ptrdiff_t>(tiff.app1 + 2 + length), extra.begin(), extra.end());
  length += extra.size();
  jpeg[tiff.app1 + 2] = BYTE(length >> 8);
  jpeg[tiff.app1 + 3] = BYTE(length & 0xFF);
  tiff.data = &jpeg[tiff.app1 + 10];
  tiff.size = length - 8;
  return at;
}

std::vector<BYTE> EmptyCommentSlot() {
  std::vector<BYTE> slot(kCommentSlot, 0);
  std::memcpy(slot.data(), "ASCII\0\0\0", 8);
  return slot;
}

// Makes a comment slot of the camera's size when the photo has none or one too small for the
// text: a longer slot at the end of the block, or a copy of the Exif IFD with the entry added.
bool MakeCommentRoom(std::vector<BYTE>& jpeg, Tiff& tiff, size_t textLength) {
  size_t at, count;
  if (CommentSlot(tiff, at, count) && count > textLength) return true;
  DWORD ifd0, exifIfd, n;
  if (!tiff.Get32(4, ifd0)) return false;
  size_t pointer = tiff.Find(ifd0, 0x8769);
  if (!pointer || !tiff.Get32(pointer + 8, exifIfd) || !tiff.Get16(exifIfd, n)) return false;
  if (size_t entry = tiff.Find(exifIfd, 0x9286)) {
    size_t slot = AppendToTiff(jpeg, tiff, EmptyCommentSlot());
    if (!slot) return false;
    tiff.Set16(entry + 2, 7);
    tiff.Set32(entry + 4, DWORD(kCommentSlot));
    tiff.Set32(entry + 8, DWORD(slot));
    return true;
  }
  if (n == 0 || exifIfd + 2 + size_t(n) * 12 + 4 > tiff.size) return false;
  // The new IFD keeps the entries in tag order, then its next link, then the slot.
  std::vector<BYTE> ifd(2 + (size_t(n) + 1) * 12 + 4);
  size_t write = 2, insertAt = 0;
  bool inserted = false;
  for (DWORD i = 0; i <= n; ++i) {
    DWORD tag = 0xFFFF;
    if (i < n) tiff.Get16(exifIfd + 2 + size_t(i) * 12, tag);
    if (!inserted && tag > 0x9286) {
      insertAt = write;
      write += 12;
      inserted = true;
    }
    if (i < n) {
      std::memcpy(&ifd[write], tiff.data + exifIfd + 2 + size_t(i) * 12, 12);
      write += 12;
    }
  }
  std::memcpy(&ifd[write], tiff.data + exifIfd + 2 + size_t(n) * 12, 4);
  std::vector<BYTE> slot = EmptyCommentSlot();
  size_t slotInIfd = ifd.size();
  ifd.insert(ifd.end(), slot.begin(), slot.end());
  size_t newIfd = AppendToTiff(jpeg, tiff, ifd);
  if (!newIfd) return false;
  tiff.Set16(newIfd, n + 1);
  size_t entry = newIfd + insertAt;
  tiff.Set16(entry, 0x9286);
  tiff.Set16(entry + 2, 7);
  tiff.Set32(entry + 4, DWORD(kCommentSlot));
  tiff.Set32(entry + 8, DWORD(newIfd + slotInIfd));
  tiff.Set32(pointer + 8, DWORD(newIfd));
  return true;
}

}  // namespace

bool WriteExifFields(std::vector<BYTE>& jpeg, const std::string* comment, const WORD* orientation) {
  Tiff tiff;
  if (!FindTiff(jpeg, tiff)) return false;
  size_t commentAt = 0, commentCount = 0, orientationAt = 0;
  if (comment && (!MakeCommentRoom(jpeg, tiff, comment->size()) || !CommentSlot(tiff, commentAt, commentCount)))
    return false;
  if (orientation) {
    DWORD ifd0;
    if (!tiff.Get32(4, ifd0)) return false;
    orientationAt = tiff.Find(ifd0, 0x0112);
    if (!orientationAt) return false;
  }
  if (comment) {
    std::memset(tiff.data + commentAt, 0, commentCount);
    std::memcpy(tiff.data + commentAt, comment->data(), std::min(comment->size(), commentCount - 1));
  }
  if (orientation) tiff.Set16(orientationAt + 8, *orientation);
  return true;
}

}  // namespace tavsim_p
