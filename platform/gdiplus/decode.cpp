// Reading image files: GIF through giflib (all frames), everything else through Qt's readers.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QBuffer>
#include <QImageReader>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/gdiplus/gdiplus_p.h"
#include "platform/win32/codepage.h"

namespace gdiplus_p {

using namespace Gdiplus;

namespace {

Status ReadWholeFile(const std::string& path, std::vector<BYTE>& bytes) {
  // Only a regular file is read, and its opening never waits (a FIFO in a picture's place).
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return errno == ENOENT || errno == ENOTDIR ? FileNotFound : Win32Error;
  struct stat info {};
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    close(fd);
    return Win32Error;
  }
  FILE* file = fdopen(fd, "rb");
  if (!file) {
    close(fd);
    return Win32Error;
  }
  Status status = Ok;
  BYTE chunk[64 * 1024];
  for (;;) {
    size_t n = std::fread(chunk, 1, sizeof chunk, file);
    if (n == 0) {
      if (std::ferror(file)) status = Win32Error;  // e.g. a folder
      break;
    }
    if (bytes.size() + n > kMaxFileBytes) {
      status = OutOfMemory;
      break;
    }
    bytes.insert(bytes.end(), chunk, chunk + n);
  }
  std::fclose(file);
  return status;
}

GUID RawFormatOf(const QByteArray& name) {
  if (name == "jpeg" || name == "jpg") return ImageFormatJPEG;
  if (name == "png") return ImageFormatPNG;
  if (name == "tiff" || name == "tif") return ImageFormatTIFF;
  if (name == "bmp") return ImageFormatBMP;
  return ImageFormatMemoryBMP;
}

Status DecodeWithQt(const std::vector<BYTE>& bytes, ImageData& out) {
  QByteArray data = QByteArray::fromRawData(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()));
  QBuffer buffer(&data);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer);
  reader.setAutoTransform(false);  // pixels as stored, like every other reader of these files
  QByteArray format = reader.format();
  if (format.isEmpty()) return UnknownImageFormat;
  QImage image = reader.read();
  if (image.isNull())
    return reader.error() == QImageReader::InvalidDataError || reader.error() == QImageReader::UnknownError
               ? InvalidParameter
               : OutOfMemory;
  image = ToStorageFormat(image);
  if (image.isNull()) return OutOfMemory;
  out.frames.push_back(std::move(image));
  out.dimension = FrameDimensionPage;
  out.rawFormat = RawFormatOf(format);
  return Ok;
}

}  // namespace

std::string Utf8Path(const WCHAR* path) {
  if (!path || !*path) return {};
  int size = WideCharToMultiByte(CP_UTF8, 0, path, -1, nullptr, 0, nullptr, nullptr);
  if (size <= 0) return {};
  std::string result(size_t(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, path, -1, result.data(), size, nullptr, nullptr);
  result.resize(size_t(size) - 1);
  return result;
}

std::optional<std::string> AnsiPath(const WCHAR* path) {
  if (!path || !*path) return std::nullopt;
  BOOL lossy = FALSE;
  int size = WideCharToMultiByte(CP_ACP, 0, path, -1, nullptr, 0, nullptr, &lossy);
  if (size <= 0) return std::nullopt;
  std::string result(size_t(size), '\0');
  WideCharToMultiByte(CP_ACP, 0, path, -1, result.data(), size, nullptr, &lossy);
  if (lossy) return std::nullopt;
  result.resize(size_t(size) - 1);
  return result;
}

Status LoadImageFile(const WCHAR* path, ImageData& out) {
  std::string native = Utf8Path(path);
  if (native.empty()) return InvalidParameter;
  std::vector<BYTE> bytes;
  Status status = ReadWholeFile(native, bytes);
  if (status != Ok) return status;
  if (bytes.size() >= 6 && (std::memcmp(bytes.data(), "GIF87a", 6) == 0 || std::memcmp(bytes.data(), "GIF89a", 6) == 0))
    return DecodeGif(bytes, out);
  return DecodeWithQt(bytes, out);
}

}  // namespace gdiplus_p
