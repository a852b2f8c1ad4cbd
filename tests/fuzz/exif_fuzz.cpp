// Feeds arbitrary bytes to the Exif reader, as a JPEG in memory and as a .crw file on disk.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "support/Exif.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Exif exif(data, static_cast<DWORD>(size));
  exif.GetSummary();
  // The file road also reads a CRW's header and records, and its .thm companion.
  static const std::string path = "/tmp/tavorin-fuzz-" + std::to_string(getpid()) + ".crw";
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return 0;
  std::fwrite(data, 1, size, f);
  std::fclose(f);
  Exif raw(path.c_str());
  raw.GetSummary();
  DWORD n = 0;
  std::unique_ptr<BYTE[]> bytes(raw.ReadJpegBytes(n));
  return 0;
}
