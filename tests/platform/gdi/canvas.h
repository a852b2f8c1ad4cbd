// A white top-down 32-bit DIB section selected into a memory DC, with direct pixel access.
#pragma once

#include <gtest/gtest.h>

#include <cstring>

#include "platform/gdi/wingdi.h"

struct Canvas {
  HDC dc = nullptr;
  HBITMAP bitmap = nullptr;
  HGDIOBJ previous = nullptr;
  unsigned char* bits = nullptr;
  int width, height;

  Canvas(int w, int h) : width(w), height(h) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    dc = CreateCompatibleDC(nullptr);
    void* p = nullptr;
    bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &p, nullptr, 0);
    bits = static_cast<unsigned char*>(p);
    std::memset(bits, 0xFF, size_t(w) * h * 4);
    previous = SelectObject(dc, bitmap);
  }
  ~Canvas() {
    SelectObject(dc, previous);
    DeleteDC(dc);
    DeleteObject(bitmap);
  }
  /// The pixel as COLORREF, read from the DIB memory itself.
  COLORREF at(int x, int y) const {
    const unsigned char* p = bits + (size_t(y) * width + x) * 4;
    return RGB(p[2], p[1], p[0]);
  }
  bool dark(int x, int y) const {
    COLORREF c = at(x, y);
    return GetRValue(c) + GetGValue(c) + GetBValue(c) < 3 * 128;
  }
  /// Bounding box of dark pixels; empty (right < left) when there are none.
  RECT inkBox() const {
    RECT r{width, height, -1, -1};
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x)
        if (dark(x, y)) {
          r.left = std::min<LONG>(r.left, x);
          r.top = std::min<LONG>(r.top, y);
          r.right = std::max<LONG>(r.right, x + 1);
          r.bottom = std::max<LONG>(r.bottom, y + 1);
        }
    return r;
  }
};
