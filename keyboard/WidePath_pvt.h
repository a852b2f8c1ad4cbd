// Private: 8-bit paths as the wide strings GDI+ takes.
#pragma once

#include <string>

#include "platform/mfc/cstring.h"
#include "platform/win32/codepage.h"

inline std::u16string WidePath(const CString& path) {
  int length = MultiByteToWideChar(CP_ACP, 0, path, -1, nullptr, 0);
  if (length <= 0) return std::u16string();
  std::u16string wide(static_cast<size_t>(length), u'\0');
  MultiByteToWideChar(CP_ACP, 0, path, -1, wide.data(), length);
  wide.resize(static_cast<size_t>(length - 1));
  return wide;
}
