// Inside the GDI+ layer: what an Image holds (frames as QImages, properties, a pending
// multi-frame save) and the codec helpers shared by the image files.
#pragma once

#include <QImage>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/gdiplus/types.h"

namespace gdiplus_p {

using Gdiplus::PixelFormat;
using Gdiplus::Status;

// Decoded data larger than this is refused as OutOfMemory: image files are untrusted.
constexpr size_t kMaxFileBytes = size_t(256) << 20;
constexpr size_t kMaxDecodedBytes = size_t(1) << 30;

struct Property {
  WORD type = 0;
  std::vector<BYTE> value;
};

/// A multi-frame GIF being written, frame by frame, into memory.
class GifEncoder {
 public:
  GifEncoder() = default;
  ~GifEncoder();
  GifEncoder(const GifEncoder&) = delete;
  GifEncoder& operator=(const GifEncoder&) = delete;

  /// Starts the file with the screen size of `first` and, when given, the loop count.
  Status Begin(const QImage& first, std::vector<DWORD> delays, std::optional<int> loopCount);
  /// Appends a frame with the next delay; frames larger than the first are clipped.
  Status AddFrame(const QImage& frame);
  /// Ends the file; `out` receives the bytes.
  Status Finish(std::vector<BYTE>& out);

 private:
  struct Gif;
  Gif* gif = nullptr;
  std::vector<BYTE> bytes;
  std::vector<DWORD> delays;
  size_t frameIndex = 0;
  int width = 0, height = 0;
};

struct PendingSave {
  std::string path;  // system code page, for WriteFileReplacing
  GifEncoder encoder;
};

struct LockState {
  Gdiplus::Rect rect;
  UINT flags = 0;
  PixelFormat format = 0;
  std::vector<BYTE> buffer;  // converted pixels; empty when Scan0 points into the frame
};

struct ImageData {
  std::vector<QImage> frames;
  size_t active = 0;
  GUID dimension{};
  GUID rawFormat{};
  std::map<Gdiplus::PROPID, Property> properties;
  std::unique_ptr<PendingSave> pendingSave;
  std::unique_ptr<LockState> lock;
  int hdcCount = 0;  // DCs handed out by Graphics::GetHDC on this image

  QImage* Frame() { return active < frames.size() ? &frames[active] : nullptr; }
};

/// The Qt storage format of a pixel format, or QImage::Format_Invalid when unsupported.
QImage::Format QtFormat(PixelFormat format);
/// The pixel format a frame is stored in.
PixelFormat GdiplusFormat(const QImage& image);
/// A decoded image in the format files load as: 8-bit indexed, 24-bit or 32-bit ARGB.
QImage ToStorageFormat(const QImage& image);
/// The 256-entry palette of new 8-bit bitmaps: a 6x6x6 colour cube and a grey ramp.
QList<QRgb> HalftonePalette();
/// `image` converted to `format`; for 8-bit targets the image's own palette is kept.
QImage ConvertTo(const QImage& image, QImage::Format format);

/// Reads and decodes an image file (wide path). Ok, FileNotFound, Win32Error, OutOfMemory,
/// UnknownImageFormat or InvalidParameter (corrupt data of a known format).
Status LoadImageFile(const WCHAR* path, ImageData& out);
/// GIF bytes into composed 32-bit frames with the delay and loop-count properties.
Status DecodeGif(const std::vector<BYTE>& bytes, ImageData& out);

/// The wide path in the system code page; nullopt when a character has no form there.
std::optional<std::string> AnsiPath(const WCHAR* path);
/// The wide path as the kernel wants it (UTF-8).
std::string Utf8Path(const WCHAR* path);
/// Ends a multi-frame save and writes its file; WrongState when none is pending.
Status FlushPendingSave(ImageData& image);
/// Writes the whole file in place of any old one; Win32Error on failure.
Status WriteWholeFile(const std::string& ansiPath, const std::vector<BYTE>& bytes);

/// Runs `body`, turning an escaping exception into a status: nothing throws across the layer.
template <typename F>
Status Guard(F&& body) {
  try {
    return body();
  } catch (const std::bad_alloc&) {
    return Gdiplus::OutOfMemory;
  } catch (...) {
    return Gdiplus::GenericError;
  }
}

}  // namespace gdiplus_p
