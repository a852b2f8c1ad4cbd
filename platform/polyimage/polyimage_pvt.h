// Internals shared by the polyimage sources: the image buffer, the session record and the
// guard that turns any exception into a failed call.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "platform/polyimage/polyimage.h"

namespace pip {

// Guards against absurd headers: 2^28 pixels is far beyond any camera and still fits int maths.
constexpr int64_t kMaxPixels = int64_t(1) << 28;
constexpr int kMaxSide = 65500;

/// Raw memory for pixel buffers; large ones ask for huge pages, since first-touch page faults
/// on a 36 MB photo cost as much as decoding it, and large freed ones are kept a while for
/// reuse. Throws std::bad_alloc.
uint8_t* AllocatePixels(size_t n);
struct FreePixels {
  size_t size = 0;  // as asked of AllocatePixels
  void operator()(uint8_t* p) const;
};

/// Uninitialised, owned bytes: the decoders fill every byte, so zeroing would only cost time.
class Bytes {
 public:
  Bytes() = default;
  explicit Bytes(size_t n) : m_data(n ? AllocatePixels(n) : nullptr, FreePixels{n}), m_size(n) {}
  uint8_t* data() { return m_data.get(); }
  const uint8_t* data() const { return m_data.get(); }
  size_t size() const { return m_size; }
  bool empty() const { return m_size == 0; }
  Bytes Clone() const {
    Bytes copy(m_size);
    if (m_size) std::memcpy(copy.data(), data(), m_size);
    return copy;
  }

 private:
  std::unique_ptr<uint8_t, FreePixels> m_data;
  size_t m_size = 0;
};

struct Image {
  int width = 0;
  int height = 0;
  int channels = 0;  // 0 empty, 1 grey, 3 B,G,R
  Bytes pixels;      // top row first, width * channels bytes per row
  Bytes alpha;       // empty or width * height
  int format = 0;    // PIP_FORMAT_* it was loaded from
  int orientation = 0;  // Exif orientation found at load (before any auto-rotate)
  int xDpi = 0, yDpi = 0;

  bool Empty() const { return channels == 0 || width <= 0 || height <= 0; }
  size_t Stride() const { return size_t(width) * channels; }
  uint8_t* Row(int y) { return pixels.data() + Stride() * y; }
  const uint8_t* Row(int y) const { return pixels.data() + Stride() * y; }
  Image Clone() const;
};

/// Allocates an image of the size; false when the size is out of range.
bool Allocate(Image& image, int width, int height, int channels);
bool ValidSize(int64_t width, int64_t height);
/// Fills with a colour given as COLORREF (R in the low byte).
void Fill(Image& image, COLORREF colour);
/// Grey to B,G,R in place; no-op for colour images.
bool ToColour(Image& image);

struct ExifFields {
  std::string dateTime, dateTimeOriginal, dateTimeDigitized;
};

struct Session {
  Image image;
  int jpegQuality = 90;
  bool autoRotate = true;
  COLORREF background = RGB(255, 255, 255);
  RECT opRect{0, 0, -1, -1};
  bool hasExif = false;
  ExifFields exif;
  int xDpi = 0, yDpi = 0;  // from cSetPhysicalPixelsPerInch; 0 = keep the image's own
  std::vector<uint8_t> inputProfile;  // from cLoadICCProfile
  HDC dc = nullptr;                    // from cGetImageDC, until cReleaseImageDC
};

/// Frees a DC still held on the session's pixels.
void ReleaseSessionDC(Session& session);

Session* Find(int handle);

void Fail(const char* function, const char* why);

/// Runs a call body, turning exceptions (std::bad_alloc above all) into a 0 result.
template <class F>
int Guard(const char* function, F&& body) {
  try {
    return body();
  } catch (const std::bad_alloc&) {
    Fail(function, "out of memory");
  } catch (...) {
    Fail(function, "unexpected exception");
  }
  return 0;
}

// Codecs. Decoders fail cleanly on truncated or corrupt data.
enum class FileKind { Unknown, Jpeg, Png, Gif, Bmp, Tiff };
FileKind Sniff(const uint8_t* data, size_t size);

/// Decodes a JPEG; a box lets the decoder reduce by DCT scaling to no less than that box (a side
/// of 0 or less sets no bound), with the fast inverse DCT unless `accurate`.
bool DecodeJpeg(const uint8_t* data, size_t size, Image& out, int boxWidth = 0, int boxHeight = 0,
                bool accurate = false);
bool JpegHeader(const uint8_t* data, size_t size, int& width, int& height, int& channels);
bool EncodeJpeg(const Image& image, int quality, const std::vector<uint8_t>& app1, std::vector<uint8_t>& out);
bool DecodePng(const uint8_t* data, size_t size, Image& out);
bool EncodePng(const Image& image, std::vector<uint8_t>& out);
bool DecodeGif(const uint8_t* data, size_t size, Image& out);
bool DecodeBmp(const uint8_t* data, size_t size, Image& out);
bool DecodeTiff(const uint8_t* data, size_t size, Image& out);

// Exif.
/// Orientation 1..8 from a JPEG's APP1 block, 0 when absent or unreadable.
int JpegExifOrientation(const uint8_t* data, size_t size);
/// An APP1 payload ("Exif\0\0" + TIFF) with resolution and the session's dates.
std::vector<uint8_t> BuildExifApp1(const ExifFields* fields, int xDpi, int yDpi);
/// Sets IFD0's orientation to 1 inside an APP1 payload ("Exif\0\0" + TIFF); false when it has none.
bool ResetApp1Orientation(uint8_t* payload, size_t size);

// Geometry helpers.
/// Applies an Exif orientation (2..8) so the image shows upright.
bool ApplyOrientation(Image& image, int orientation);
bool RotateQuarter(Image& image, int quarters);  // clockwise
bool ResizeImage(Image& image, int width, int height, int quality);

bool ReadFile(const char* ansiPath, std::vector<uint8_t>& out);
/// The same into uninitialised bytes (no zeroing before the read).
bool ReadFile(const char* ansiPath, Bytes& out);
/// Writes through a temporary name and renames it into place.
bool WriteFileAtomic(const char* ansiPath, const uint8_t* data, size_t size);

}  // namespace pip
