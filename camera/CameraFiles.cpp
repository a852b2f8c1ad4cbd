// Whole-file reads of saved photos.
#include "camera/CameraFiles.h"

#include <cstdio>

#include "platform/win32/codepage.h"

bool ReadWholeFile(const char* path, std::vector<BYTE>& bytes) {
  FILE* f = std::fopen(NativePath(path).c_str(), "rb");
  if (!f) return false;
  bool ok = std::fseek(f, 0, SEEK_END) == 0;
  long size = ok ? std::ftell(f) : -1;
  ok = size >= 0 && std::fseek(f, 0, SEEK_SET) == 0;
  if (ok) {
    bytes.resize(static_cast<size_t>(size));
    ok = std::fread(bytes.data(), 1, bytes.size(), f) == bytes.size();
  }
  std::fclose(f);
  return ok;
}
