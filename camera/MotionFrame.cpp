#include "camera/MotionFrame.h"

std::mutex& ViewfinderLock() {
  static std::mutex lock;
  return lock;
}

BYTE* MotionFrameBuffer() {
  static BYTE frame[kMotionFrameBytes];
  return frame;
}
