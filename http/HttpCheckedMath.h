// Length arithmetic of the library: an overflow is thrown as code 112 instead of wrapping.
#pragma once

#include <cstring>
#include <new>

#include "http/HttpClientException.h"
#include "platform/win32/windef.h"

namespace Vonar {

inline DWORD CheckedAdd(DWORD a, DWORD b) {
  DWORD sum;
  if (__builtin_add_overflow(a, b, &sum)) ThrowHttpException(112);
  return sum;
}

inline DWORD CheckedAdd(DWORD a, DWORD b, DWORD c) { return CheckedAdd(CheckedAdd(a, b), c); }

inline DWORD CheckedSub(DWORD a, DWORD b) {
  DWORD difference;
  if (__builtin_sub_overflow(a, b, &difference)) ThrowHttpException(112);
  return difference;
}

/// A size_t length that must fit the library's 32-bit counts.
inline DWORD CheckedLength(size_t length) {
  if (length > 0xFFFFFFFFu) ThrowHttpException(112);
  return static_cast<DWORD>(length);
}

/// A new[] copy of text that the caller frees with delete[]; NULL for NULL. Out of memory throws 102.
inline LPSTR CopyOrNull(LPCSTR text) {
  if (!text) return nullptr;
  size_t length = std::strlen(text);
  LPSTR copy = new (std::nothrow) char[CheckedAdd(CheckedLength(length), 1)];
  if (!copy) ThrowHttpException(102);
  std::memcpy(copy, text, length + 1);
  return copy;
}

}  // namespace Vonar
