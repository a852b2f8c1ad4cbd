#include "support/WidePath.h"

#include "platform/win32/codepage.h"

std::u16string WidePath(const char* path) {
  if (!path) return std::u16string();
  int length = MultiByteToWideChar(CP_ACP, 0, path, -1, nullptr, 0);
  if (length <= 0) return std::u16string();
  std::u16string wide(size_t(length), u'\0');
  MultiByteToWideChar(CP_ACP, 0, path, -1, reinterpret_cast<LPWSTR>(wide.data()), length);
  wide.resize(size_t(length - 1));
  return wide;
}
