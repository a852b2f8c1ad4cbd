// The imaging session wrapper.
#include "support/PipSession.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "platform/gdi/blit.h"
#include "platform/gdiplus/gdiplus.h"
#include "platform/win32/codepage.h"

WORD g_nJpegQuality = 90;

PipSession::PipSession() {
  m_hSession = cNewSession();
  cSetPSDParams(m_hSession, 1);
  cSetJPEGParams(m_hSession, g_nJpegQuality, 1.0, 1, 0);
  cSetAutoRotate(m_hSession, 1);
  cSetCanonCRWParams(m_hSession, 0, 0, 1, 0, 0, 0, 0, 1);
  Init();
}

PipSession::PipSession(const PipSession& other, BOOL) {
  m_hSession = cDupSession(other.m_hSession);
  Init();
}

PipSession* PipSession::Duplicate(const PipSession& other, BOOL flag) { return new PipSession(other, flag); }

PipSession::~PipSession() { cDestroySession(m_hSession); }

PipSession& PipSession::operator=(const PipSession& other) {
  // Duplicate first: assigning a session to itself must not destroy what it copies.
  if (this == &other) return *this;
  int copy = cDupSession(other.m_hSession);
  cDestroySession(m_hSession);
  m_hSession = copy;
  return *this;
}

void PipSession::Init() {
  m_dZoom = 1.0;
  m_nScrollX = 0;
  m_nScrollY = 0;
  m_nDrawnWidth = 0;
  m_nDrawnHeight = 0;
  m_bDrawFlag = 0;
}

void PipSession::SetAutoRotate(bool enable) { cSetAutoRotate(m_hSession, enable ? 1 : 0); }

void PipSession::Sharpen(int amount) {
  if (amount <= 0) return;
  cOpSharpen(m_hSession, std::min(amount, 100));
}

void PipSession::GetImageInfo(DWORD& width, DWORD& height) {
  width = 0;
  height = 0;
  cGetImageInfo(m_hSession, &width, &height, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
}

DWORD PipSession::GetWidth() {
  DWORD width, height;
  GetImageInfo(width, height);
  return width;
}

DWORD PipSession::GetHeight() {
  DWORD width, height;
  GetImageInfo(width, height);
  return height;
}

BYTE PipSession::GetBitsPerPixel() {
  BYTE bits = 0;
  cGetImageInfo(m_hSession, nullptr, nullptr, &bits, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
  return bits;
}

void PipSession::Draw(HDC dc, const RECT& dest) {
  DWORD w, h;
  GetImageInfo(w, h);
  if (w && h) {
    if (m_nScrollX * m_dZoom + dest.right > w * m_dZoom) m_nScrollX = int((w * m_dZoom - dest.right) / m_dZoom);
    if (m_nScrollY * m_dZoom + dest.bottom > h * m_dZoom) m_nScrollY = int((h * m_dZoom - dest.bottom) / m_dZoom);
  }
  if (m_nScrollX < 0) m_nScrollX = 0;
  if (m_nScrollY < 0) m_nScrollY = 0;
  int quality = m_dZoom < 0.11 ? 6 : 3;
  cDrawImageEx(m_hSession, dc, &dest, 0, m_bDrawFlag, m_dZoom, 10.0, quality, 2.2, 1, 1, m_nScrollX, m_nScrollY,
               &m_nDrawnWidth, &m_nDrawnHeight, &m_dZoom, 0, 99, 100, 0, 0);
}

void PipSession::Rotate(int angle, bool keepAlpha) {
  if (angle == 0) return;
  if (angle % 900 == 0 && !keepAlpha) {
    cOpRotateFine(m_hSession, angle / 10.0);
    return;
  }
  if (GetBitsPerPixel() != 24) cOpIncreaseBitsPerPixel(m_hSession, 24);
  DWORD w, h;
  GetImageInfo(w, h);
  // The mask is turned as an image of its own: white (opaque) where the picture is, so the
  // black background of the turn marks the uncovered corners.
  PipSession mask;
  cNewImage(mask.m_hSession, int(w), int(h), 0xFFFFFF);
  if (keepAlpha) {
    PolyArray alpha;
    if (cGetAlphaMask(m_hSession, &alpha) && alpha.Data() && alpha.Size() >= size_t(w) * h)
      cLoadImageChannels8(mask.m_hSession, alpha.Data(), alpha.Data(), alpha.Data(), 0, 0);
    alpha.Release();
  }
  cSetBackgroundColor(mask.m_hSession, 0);
  cOpRotateFine(mask.m_hSession, angle / 10.0);
  cOpRotateFine(m_hSession, angle / 10.0);

  GetImageInfo(w, h);
  PolyArray pixels;
  if (cGetImage16(mask.m_hSession, &pixels) && pixels.Size() >= size_t(w) * h * 3) {
    BYTE* bytes = static_cast<BYTE*>(std::malloc(size_t(w) * h));
    if (bytes) {
      const BYTE* p = pixels.Data();
      for (size_t i = 0; i < size_t(w) * h; ++i) bytes[i] = p[3 * i];
      cLoadAlphaMask(m_hSession, bytes);
      std::free(bytes);
    }
  }
}

void PipSession::Merge(const PipSession& source, int x, int y, int opacity, int mode) {
  if (x >= 0 && y >= 0) {
    cMergeImage(m_hSession, source.m_hSession, x, y, opacity, mode);
    return;
  }
  DWORD w = 0, h = 0;
  cGetImageInfo(source.m_hSession, &w, &h, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
  int cx = 0, cy = 0;
  if (x < 0) cx = -x, x = 0;
  if (y < 0) cy = -y, y = 0;
  PipSession cut(source);
  // Inclusive rectangle: the source's last column and row are w - 1 and h - 1.
  cSetOpRectangle(cut.m_hSession, cx, cy, int(w) - 1, int(h) - 1, 0);
  if (cOpCrop(cut.m_hSession)) cMergeImage(m_hSession, cut.m_hSession, x, y, opacity, mode);
}

void PipSession::CropTo3x2() {
  DWORD w, h;
  GetImageInfo(w, h);
  RECT rect;
  if (h < w && h > 0) {
    DWORD target = (2 * w) / 3;
    if (target >= h) return;
    LONG top = LONG((h - target) / 2);
    rect = RECT{0, top, LONG(w) - 1, top + LONG(target) - 1};
  } else if (w < h && w > 0) {
    DWORD target = (2 * h) / 3;
    if (target >= w) return;
    LONG left = LONG((w - target) / 2);
    rect = RECT{left, 0, left + LONG(target) - 1, LONG(h) - 1};
  } else {
    return;
  }
  cSetOpRectangle(m_hSession, rect.left, rect.top, rect.right, rect.bottom, 0);
  cOpCrop(m_hSession);
}

Gdiplus::Bitmap* PipSession::CreateGdiplusBitmap() {
  DWORD w, h;
  GetImageInfo(w, h);
  if (!w || !h) return nullptr;
  PolyArray mask;
  bool alpha = cGetAlphaMask(m_hSession, &mask) && mask.Size() >= size_t(w) * h;
  Gdiplus::Bitmap* bitmap =
      new Gdiplus::Bitmap(INT(w), INT(h), alpha ? Gdiplus::PixelFormat32bppARGB : Gdiplus::PixelFormat24bppRGB);
  {
    Gdiplus::Graphics graphics(bitmap);
    HDC target = graphics.GetHDC();
    HDC source = cGetImageDC(m_hSession);
    if (target && source) BitBlt(target, 0, 0, INT(w), INT(h), source, 0, 0, SRCCOPY);
    if (source) cReleaseImageDC(m_hSession, source);
    if (target) graphics.ReleaseHDC(target);
  }
  if (alpha) {
    Gdiplus::Rect all(0, 0, INT(w), INT(h));
    Gdiplus::BitmapData data;
    if (bitmap->LockBits(&all, Gdiplus::ImageLockModeRead | Gdiplus::ImageLockModeWrite,
                         Gdiplus::PixelFormat32bppARGB, &data) == Gdiplus::Ok) {
      // The mask holds w bytes per row, rows top to bottom; alpha is each pixel's fourth byte.
      for (DWORD y = 0; y < h; ++y) {
        BYTE* row = static_cast<BYTE*>(data.Scan0) + ptrdiff_t(y) * data.Stride;
        const BYTE* m = mask.Data() + size_t(y) * w;
        for (DWORD x = 0; x < w; ++x) row[4 * x + 3] = m[x];
      }
      bitmap->UnlockBits(&data);
    }
  }
  return bitmap;
}

namespace {

// Reads a whole file; false when it is missing or unreadable.
bool ReadWhole(const char* path, BYTE*& bytes, size_t& size) {
  bytes = nullptr;
  size = 0;
  if (!path) return false;
  std::string native = NativePath(path);
  struct stat st;
  if (::stat(native.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_size <= 0) return false;
  FILE* file = std::fopen(native.c_str(), "rb");
  if (!file) return false;
  size = size_t(st.st_size);
  bytes = static_cast<BYTE*>(std::malloc(size));
  bool ok = bytes && std::fread(bytes, 1, size, file) == size;
  std::fclose(file);
  if (!ok) {
    std::free(bytes);
    bytes = nullptr;
  }
  return ok;
}

}  // namespace

void ApplyIccProfiles(PipSession& session, const char* inputProfilePath, const char* outputProfilePath, int intent) {
  BYTE* input = nullptr;
  BYTE* output = nullptr;
  size_t inputSize = 0, outputSize = 0;
  try {
    if (ReadWhole(inputProfilePath, input, inputSize) &&
        cLoadICCProfile(session.m_hSession, input, DWORD(inputSize)) &&
        ReadWhole(outputProfilePath, output, outputSize))
      cApplyICCProfile(session.m_hSession, output, DWORD(outputSize), intent);
  } catch (...) {
    // Colour correction is a nicety: a failure leaves the picture as it was.
  }
  std::free(input);
  std::free(output);
}
