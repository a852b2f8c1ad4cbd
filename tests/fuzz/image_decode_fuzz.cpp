// Feeds arbitrary bytes to the image decoders: the imaging library's loader (JPEG, PNG, GIF,
// BMP, TIFF by content) and the GDI+ stand-in's decoder.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "platform/gdiplus/gdiplus.h"
#include "platform/polyimage/polyimage.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  int session = cNewSession();
  if (session) {
    DWORD width = 0, height = 0, xDpi = 0, yDpi = 0;
    BYTE bits = 0;
    if (cLoadData(session, data, static_cast<DWORD>(size), 0, 0, 0))
      cGetImageInfo(session, &width, &height, &bits, &xDpi, &yDpi, nullptr, nullptr, nullptr, nullptr);
    cDestroySession(session);
  }
  static const std::string path = "/tmp/tavorin-fuzz-image-" + std::to_string(getpid());
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return 0;
  std::fwrite(data, 1, size, f);
  std::fclose(f);
  static std::u16string wide(path.begin(), path.end());
  std::unique_ptr<Gdiplus::Bitmap> bitmap(Gdiplus::Bitmap::FromFile(wide.c_str()));
  if (bitmap && bitmap->GetLastStatus() == Gdiplus::Ok) bitmap->GetWidth();
  return 0;
}
