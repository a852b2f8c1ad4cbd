// Feeds arbitrary bytes to the live view's pixel steps: as a JPEG frame, and as raw pixels of
// a size taken from the first bytes, through keying with a background, onion skin, crop
// shading, every turn, row padding and the motion copy.
#include <cstdint>
#include <algorithm>
#include <cstring>
#include <vector>

#include "camera/ViewfinderPixels.h"

namespace {

void RunSteps(std::vector<BYTE>& frame, int width, int height, const uint8_t* data, size_t size) {
  size_t bytes = static_cast<size_t>(width) * height * 3;
  if (frame.size() != bytes || bytes == 0) return;
  ChromakeySettings key;
  key.mode = size ? 1 + data[0] % 3 : 1;
  key.threshold = size > 1 ? data[1] : 20;
  key.percentage = size > 2 ? data[2] : 70;
  std::vector<BYTE> picture(bytes, 0x5A), background;
  MakeBackgroundCache(picture.data(), width, height, background);
  ChromakeyFrame(frame.data(), width, height, key, background.data());
  ChromakeyFrame(frame.data(), width, height, key, nullptr);

  std::vector<BYTE> current, kept;
  StoreFrame(frame, current, kept);
  std::vector<BYTE> motion(kMotionFrameBytes);
  CopyToMotionFrame(current.data(), width, height, motion.data());
  BlendOnionSkin(frame.data(), kept.data(), bytes);

  RECT crop{size > 3 ? data[3] : 100, size > 4 ? data[4] : 100, 250, 200};
  ShadeAndSwap(frame.data(), width, height, true, ScaleCropRect(crop, width, height));
  for (int angle : {0, 90, 180, 270}) {
    std::vector<BYTE> turned, padded;
    int turnedWidth = 0, turnedHeight = 0;
    RotateFrame(frame.data(), width, height, angle, turned, turnedWidth, turnedHeight);
    PadRows(turned.data(), turnedWidth, turnedHeight, padded);
    POINT offset{};
    DestinationSize(turnedWidth, turnedHeight, 1 + angle % 5, 1920, 1080, offset);
    ZoomSourceRect(turnedWidth, turnedHeight, 2.5);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<BYTE> frame;
  int width = 0, height = 0;
  if (DecodeViewfinderJpeg(data, size, frame, width, height)) RunSteps(frame, width, height, data, size);

  if (size < 2) return 0;
  width = 1 + data[0] % 48;
  height = 1 + data[1] % 48;
  frame.assign(static_cast<size_t>(width) * height * 3, 0);
  std::memcpy(frame.data(), data + 2, std::min(frame.size(), size - 2));
  RunSteps(frame, width, height, data, size);
  return 0;
}
