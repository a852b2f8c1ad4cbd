#include "platform/wininet/urlmon.h"

#include <cstdlib>
#include <cstring>

namespace {

struct Signature {
  const char* bytes;
  size_t length;
  const char* mime;
};

const Signature kSignatures[] = {
    {"\xFF\xD8\xFF", 3, "image/jpeg"},
    {"\x89PNG\r\n\x1A\n", 8, "image/png"},
    {"GIF87a", 6, "image/gif"},
    {"GIF89a", 6, "image/gif"},
    {"BM", 2, "image/bmp"},
    {"II*\0", 4, "image/tiff"},
    {"MM\0*", 4, "image/tiff"},
};

}  // namespace

HRESULT FindMimeFromData(void*, LPCWSTR, LPVOID buffer, DWORD size, LPCWSTR, DWORD, LPWSTR* mimeOut, DWORD) {
  if (!mimeOut) return E_INVALIDARG;
  *mimeOut = nullptr;
  if (!buffer && size) return E_INVALIDARG;
  for (const Signature& signature : kSignatures) {
    if (size < signature.length || std::memcmp(buffer, signature.bytes, signature.length) != 0) continue;
    size_t length = std::strlen(signature.mime);
    auto* text = static_cast<LPWSTR>(std::malloc((length + 1) * sizeof(WCHAR)));
    if (!text) return E_OUTOFMEMORY;
    for (size_t i = 0; i <= length; ++i) text[i] = static_cast<WCHAR>(signature.mime[i]);
    *mimeOut = text;
    return S_OK;
  }
  return E_FAIL;
}

void CoTaskMemFree(LPVOID memory) { std::free(memory); }
