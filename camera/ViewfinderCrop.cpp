#include "camera/ViewfinderCrop.h"

#include <algorithm>

#include "platform/user/cursor.h"

namespace {

const int kFrameRight = 319;
const int kFrameBottom = 239;
const int kMinCropSize = 10;

}  // namespace

POINT CropClientToFrame(POINT client, int angle) {
  switch (angle) {
    case 90: return {client.y, 240 - client.x};
    case 180: return {320 - client.x, 240 - client.y};
    case 270: return {320 - client.y, client.x};
    default: return client;
  }
}

int CropHitTest(const RECT& crop, POINT p, POINT& offset) {
  const int tolerance = 5, band = 2;
  if (p.x < crop.left - tolerance || p.x > crop.right + tolerance || p.y < crop.top - tolerance ||
      p.y > crop.bottom + tolerance)
    return -1;
  offset = {0, 0};
  if (p.y < crop.top + band) {
    offset.y = crop.top - p.y;
    return kCropTop;
  }
  if (p.y > crop.bottom - band) {
    offset.y = crop.bottom - p.y;
    return kCropBottom;
  }
  if (p.x < crop.left + band) {
    offset.x = crop.left - p.x;
    return kCropLeft;
  }
  if (p.x > crop.right - band) {
    offset.x = crop.right - p.x;
    return kCropRight;
  }
  offset = {p.x - crop.left, p.y - crop.top};
  return kCropMove;
}

void CropDragTo(RECT& crop, int mode, POINT p, POINT offset) {
  switch (mode) {
    case kCropTop: crop.top = std::clamp<LONG>(p.y + offset.y, 0, crop.bottom - kMinCropSize); break;
    case kCropBottom: crop.bottom = std::clamp<LONG>(p.y + offset.y, crop.top + kMinCropSize, kFrameBottom); break;
    case kCropLeft: crop.left = std::clamp<LONG>(p.x + offset.x, 0, crop.right - kMinCropSize); break;
    case kCropRight: crop.right = std::clamp<LONG>(p.x + offset.x, crop.left + kMinCropSize, kFrameRight); break;
    case kCropMove: {
      LONG width = crop.right - crop.left, height = crop.bottom - crop.top;
      LONG left = std::clamp<LONG>(p.x - offset.x, 0, std::max<LONG>(0, kFrameRight - width));
      LONG top = std::clamp<LONG>(p.y - offset.y, 0, std::max<LONG>(0, kFrameBottom - height));
      crop = {left, top, left + width, top + height};
      break;
    }
    default: break;
  }
}

const char* CropCursor(int mode, int angle) {
  bool upright = angle == 0 || angle == 180;
  switch (mode) {
    case kCropTop:
    case kCropBottom: return upright ? IDC_SIZENS : IDC_SIZEWE;
    case kCropLeft:
    case kCropRight: return upright ? IDC_SIZEWE : IDC_SIZENS;
    case kCropMove: return IDC_SIZEALL;
    default: return IDC_ARROW;
  }
}
