// Feeds arbitrary bytes to the animated-GIF player's loading: the GDI+ stand-in's GIF decoder,
// the frame count and the delay property, and every frame selected in turn.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "support/ImageGIF.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = "/tmp/tavorin-fuzz-gif-" + std::to_string(getpid()) + ".gif";
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return 0;
  std::fwrite(data, 1, size, f);
  std::fclose(f);
  ImageGIF gif(path.c_str());
  if (gif.InitAnimation()) {
    UINT frames = gif.GetFrameCount();
    for (UINT i = 0; i < frames && i < 64; ++i) {
      gif.SelectActiveFrame(&Gdiplus::FrameDimensionTime, i);
      (void)gif.GetFrameDelay(i);
    }
  }
  return 0;
}
