#include "app/PhotoboothEffects.h"

#include "app/SettingsStore.h"
#include "support/Toning.h"

GreenScreenKey GreenScreenKeyOf(const ViewSettings& s) {
  GreenScreenKey key;
  key.enable = s.m_bGreenScreenEnable;
  key.blueScreen = s.m_bBlueScreen;
  key.threshold = s.m_nGreenScreenGreenThreshold;
  key.redPercentage = s.m_nGreenScreenRedPercentage;
  key.bluePercentage = s.m_nGreenScreenBluePercentage;
  return key;
}

bool IsKeyedPixel(const BYTE* bgr, const GreenScreenKey& key) {
  unsigned k = key.blueScreen ? bgr[0] : bgr[1];
  unsigned third = key.blueScreen ? bgr[1] : bgr[0];
  unsigned red = bgr[2];
  return k > key.threshold && red * 256u < k * key.redPercentage && third * 256u < k * key.bluePercentage;
}

void ApplyGreenscreen(PipSession& image, const char* backgroundPath, const GreenScreenKey& key, int resizeMode) {
  if (!key.enable || !backgroundPath || !*backgroundPath) return;
  DWORD width = image.GetWidth(), height = image.GetHeight();
  if (!width || !height) return;
  PipSession background;
  if (!cLoadImage(background.m_hSession, backgroundPath, 0, 0, 0)) return;
  if (background.GetWidth() != width || background.GetHeight() != height)
    cOpResize(background.m_hSession, int(width), int(height), resizeMode, 0, 0);
  if (background.GetBitsPerPixel() != 24) cOpIncreaseBitsPerPixel(background.m_hSession, 24);
  BYTE* from = nullptr;
  BYTE* to = nullptr;
  if (!cGetBitsPtr(background.m_hSession, &from) || !from) return;
  if (background.GetWidth() != width || background.GetHeight() != height) return;
  if (!cGetBitsPtr(image.m_hSession, &to) || !to) return;
  size_t pixels = size_t(width) * height;
  for (size_t i = 0; i < pixels; ++i, to += 3, from += 3) {
    if (IsKeyedPixel(to, key)) to[0] = from[0], to[1] = from[1], to[2] = from[2];
  }
}

void ApplyMonochromeToning(PipSession& image) {
  DWORD width = image.GetWidth(), height = image.GetHeight();
  BYTE* bits = nullptr;
  if (!width || !height || !cGetBitsPtr(image.m_hSession, &bits) || !bits) return;
  size_t pixels = size_t(width) * height;
  for (size_t i = 0; i < pixels; ++i, bits += 3) {
    long double luma = 0.71516L * bits[1] + 0.212671L * bits[2] + 0.072169L * bits[0];
    const BYTE* entry = g_toningTable[unsigned(luma) & 255];
    bits[0] = entry[2], bits[1] = entry[1], bits[2] = entry[0];  // the table is red, green, blue
  }
}

void MergeOverlay(PipSession& image, PipSession& overlay, int resizeMode) {
  DWORD width = image.GetWidth(), height = image.GetHeight();
  if (!width || !height || !overlay.GetWidth() || !overlay.GetHeight()) return;
  PipSession copy(overlay);
  if (copy.GetWidth() != width || copy.GetHeight() != height)
    cOpResize(copy.m_hSession, int(width), int(height), resizeMode, 0, 0);
  image.Merge(copy, 0, 0, 255, 0);
}
