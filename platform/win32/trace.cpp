#include "platform/win32/trace.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

bool TavorinTraceEnabled() {
  static const bool enabled = [] {
    const char* value = std::getenv("TAVORIN_TRACE");
    return value && std::strcmp(value, "1") == 0;
  }();
  return enabled;
}

void TavorinTrace(const char* format, ...) {
  if (!TavorinTraceEnabled() || !format) return;
  va_list args;
  va_start(args, format);
  std::vfprintf(stderr, format, args);
  va_end(args);
}
