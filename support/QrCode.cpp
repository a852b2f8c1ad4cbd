#include "support/QrCode.h"

#include <qrencode.h>

#include <algorithm>
#include <mutex>
#include <string>
#include <vector>

#include "platform/polyimage/polyimage.h"

namespace {

const COLORREF kWhite = RGB(255, 255, 255);

// The last symbol encoded, kept for the next call with the same text and level.
struct LastQrCode {
  std::mutex lock;
  bool valid = false;
  std::string text;
  int level = 0;
  QRcode* symbol = nullptr;
  ~LastQrCode() {
    if (symbol) QRcode_free(symbol);
  }
};

LastQrCode& Cache() {
  static LastQrCode cache;
  return cache;
}

}  // namespace

bool RenderQrCode(PipSession* session, int width, int height, const char* text, int level) {
  if (!session || !text) return false;
  LastQrCode& cache = Cache();
  std::lock_guard<std::mutex> hold(cache.lock);
  if (!cache.valid || cache.text != text || cache.level != level) {
    if (cache.symbol) QRcode_free(cache.symbol);
    cache.symbol = level >= QR_ECLEVEL_L && level <= QR_ECLEVEL_H
                       ? QRcode_encodeString(text, 0, static_cast<QRecLevel>(level), QR_MODE_8, 1)
                       : nullptr;
    cache.text = text;
    cache.level = level;
    cache.valid = true;
  }
  QRcode* symbol = cache.symbol;
  if (!symbol || symbol->width <= 0) return false;

  int s = symbol->width;
  std::vector<BYTE> pixels(static_cast<size_t>(s) * s * 3);
  for (int i = 0; i < s * s; ++i) {
    BYTE shade = symbol->data[i] & 1 ? 0 : 255;
    pixels[3 * i] = pixels[3 * i + 1] = pixels[3 * i + 2] = shade;
  }
  int h = session->m_hSession;
  int k = std::min(width, height);
  if (!cNewImage(h, s, s, kWhite) || !cLoadImage8(h, pixels.data(), static_cast<DWORD>(pixels.size()), s, s, 0, 0, 0) ||
      !cEnlargeImage(h, s + 2, s + 2, 1, kWhite) || !cOpResize(h, k, k, 1, 0, 0))
    return false;
  if (width != height && !cEnlargeImage(h, width, height, 1, kWhite)) return false;
  return true;
}
