// Feeds arbitrary bytes as the camera's JPEG whose Exif block is put back into a re-saved photo:
// the APP1 search, the TIFF header and the thumbnail search, and the raw file's CIFF walk.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "camera/CameraCiff.h"
#include "platform/polyimage/polyimage.h"
#include "support/ExifBlock.h"

namespace {

// A small JPEG written by the imaging library: the "re-saved photo".
std::vector<BYTE> SavedPhoto() {
  std::vector<BYTE> jpeg;
  int session = cNewSession();
  std::vector<BYTE> pixels(16 * 16 * 3, 0x80);
  std::string path = "/tmp/tavorin-fuzz-saved-" + std::to_string(getpid()) + ".jpg";
  if (session && cLoadImage8(session, pixels.data(), static_cast<DWORD>(pixels.size()), 16, 16, 0, 0, 0) &&
      cSave(session, path.c_str(), PIP_FORMAT_JPEG, 0, 0, 0)) {
    if (FILE* f = std::fopen(path.c_str(), "rb")) {
      BYTE buffer[4096];
      size_t n;
      while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) jpeg.insert(jpeg.end(), buffer, buffer + n);
      std::fclose(f);
    }
  }
  if (session) cDestroySession(session);
  return jpeg;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::vector<BYTE> saved = SavedPhoto();
  static const std::string path = "/tmp/tavorin-fuzz-restore-" + std::to_string(getpid()) + ".jpg";
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return 0;
  std::fwrite(saved.data(), 1, saved.size(), f);
  std::fclose(f);
  RestoreExifBlock(0, data, static_cast<DWORD>(size), path.c_str());
  const BYTE* start = data;
  DWORD length = static_cast<DWORD>(size);
  FindJpegStart(start, length);
  FindCiffJpegs(data, static_cast<DWORD>(size));
  return 0;
}
