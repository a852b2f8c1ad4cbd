#include "platform/win32/guid.h"

#include <sys/random.h>

#include <atomic>
#include <cerrno>
#include <cstring>

namespace {
std::atomic<bool> g_failForTesting{false};
}

HRESULT CoCreateGuid(GUID* guid) {
  if (!guid) return E_INVALIDARG;
  if (g_failForTesting.load()) return E_FAIL;
  BYTE bytes[16];
  size_t got = 0;
  while (got < sizeof bytes) {
    ssize_t n = getrandom(bytes + got, sizeof bytes - got, 0);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return E_FAIL;
    got += static_cast<size_t>(n);
  }
  std::memcpy(&guid->Data1, bytes, 4);
  std::memcpy(&guid->Data2, bytes + 4, 2);
  std::memcpy(&guid->Data3, bytes + 6, 2);
  std::memcpy(guid->Data4, bytes + 8, 8);
  guid->Data3 = static_cast<WORD>((guid->Data3 & 0x0FFF) | 0x4000);  // version 4
  guid->Data4[0] = static_cast<BYTE>((guid->Data4[0] & 0x3F) | 0x80);  // variant 1
  return S_OK;
}

void SetCoCreateGuidFailsForTesting(bool fails) { g_failForTesting.store(fails); }
