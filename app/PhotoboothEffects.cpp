#include "app/PhotoboothEffects.h"

#include <cstdio>
#include <cstring>

#include "app/SettingsStore.h"
#include "platform/gdi/wingdi.h"
#include "support/Toning.h"

namespace {

// The session's own 24-bit rows, changed in place (no copy of a 12 MP photo); `bytes` is their
// length, 0 when the library does not hold the image as width x height x 3 bytes.
BYTE* Pixels(PipSession& image, size_t& bytes) {
  bytes = 0;
  BYTE* bits = nullptr;
  if (!image.GetWidth() || !image.GetHeight() || !cGetBitsPtr(image.m_hSession, &bits) || !bits) return nullptr;
  if (image.GetBitsPerPixel() == 24) bytes = size_t(image.GetWidth()) * image.GetHeight() * 3;
  return bits;
}

}  // namespace

GreenScreenKey GreenScreenKeyOf(const ViewSettings& s) {
  GreenScreenKey key;
  key.enable = s.m_bGreenScreenEnable;
  key.blueScreen = s.m_bBlueScreen;
  key.threshold = s.m_nGreenScreenGreenThreshold;
  key.redPercentage = s.m_nGreenScreenRedPercentage;
  key.bluePercentage = s.m_nGreenScreenBluePercentage;
  return key;
}

ThumbnailBoxes ThumbnailBoxesOf(const ViewSettings& s) {
  ThumbnailBoxes boxes;
  boxes.enable = s.m_bPhotoboothThumnailEnable;
  boxes.x = s.m_nPhotoboothThumnailX;
  boxes.y = s.m_nPhotoboothThumnailY;
  boxes.width = s.m_nPhotoboothThumnailW;
  boxes.xSpacing = s.m_nPhotoboothThumnailXSpacing;
  boxes.ySpacing = s.m_nPhotoboothThumnailYSpacing;
  boxes.count = s.m_nNumberOfPhotoboothImages;
  boxes.threeToTwo = s.m_bPhotobooth3to2Crop;
  return boxes;
}

void ApplyGreenscreen(PipSession& image, const char* backgroundPath, const GreenScreenKey& key, int resizeMode,
                      bool tone) {
  if (!key.enable || !backgroundPath || !*backgroundPath) return;
  const DWORD width = image.GetWidth(), height = image.GetHeight();
  if (!width || !height) return;
  PipSession background;
  if (!cLoadImage(background.m_hSession, backgroundPath, 0, 0, 0)) return;
  if (background.GetWidth() != width || background.GetHeight() != height)
    cOpResize(background.m_hSession, int(width), int(height), resizeMode, 0, 0);
  if (background.GetBitsPerPixel() != 24) cOpIncreaseBitsPerPixel(background.m_hSession, 24);
  if (background.GetWidth() != width || background.GetHeight() != height) return;
  size_t fromBytes = 0, toBytes = 0;
  const BYTE* from = Pixels(background, fromBytes);
  BYTE* to = from ? Pixels(image, toBytes) : nullptr;
  if (to) KeyAndTonePixels(to, toBytes, int(width), int(height), &key, from, fromBytes, tone ? g_toningTable : nullptr);
}

void ApplyMonochromeToning(PipSession& image) {
  size_t bytes = 0;
  if (BYTE* bits = Pixels(image, bytes))
    KeyAndTonePixels(bits, bytes, int(image.GetWidth()), int(image.GetHeight()), nullptr, nullptr, 0, g_toningTable);
}

void MergeOverlay(PipSession& image, PipSession& overlay, int resizeMode) {
  const DWORD width = image.GetWidth(), height = image.GetHeight();
  if (!width || !height || !overlay.GetWidth() || !overlay.GetHeight()) return;
  PipSession copy(overlay);
  if (copy.GetWidth() != width || copy.GetHeight() != height)
    cOpResize(copy.m_hSession, int(width), int(height), resizeMode, 0, 0);
  image.Merge(copy, 0, 0, 255, 0);
}

void DrawThumbnailNumbers(PipSession& image, const ThumbnailBoxes& boxes) {
  if (!boxes.enable || boxes.width <= 0) return;
  const int w = boxes.width;
  const int h = boxes.threeToTwo ? 2 * w / 3 : 3 * w / 4;
  int x = boxes.x < 0 ? boxes.x + int(image.GetWidth()) - w : boxes.x;
  int y = boxes.y;
  HDC dc = cGetImageDC(image.m_hSession);
  if (!dc) return;
  LOGFONTA font{};
  font.lfHeight = w / 2;
  font.lfWeight = FW_NORMAL;
  std::strncpy(font.lfFaceName, "Arial", sizeof(font.lfFaceName) - 1);
  HFONT face = CreateFontIndirectA(&font);
  HGDIOBJ oldFont = face ? SelectObject(dc, face) : nullptr;
  SetBkMode(dc, TRANSPARENT);
  HBRUSH grey = CreateSolidBrush(RGB(65, 65, 65));
  for (int k = 1; k <= boxes.count; ++k) {
    RECT box{x, y, x + w, y + h};
    FillRect(dc, &box, grey);
    char number[16];
    std::snprintf(number, sizeof number, "%d", k);
    DrawTextA(dc, number, -1, &box, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    x += boxes.xSpacing;
    y += boxes.ySpacing;
  }
  DeleteObject(grey);
  if (oldFont) SelectObject(dc, oldFont);
  if (face) DeleteObject(face);
  cReleaseImageDC(image.m_hSession, dc);
}
