// The frame the motion-trigger peer is sent, and the one lock the live view shares with it.
// The live view's frame buffers, crop rectangle and background cache are guarded by the same
// lock, so the SDK thread that draws and the UI thread that keeps a frame or answers the peer
// never see a buffer change under them.
#pragma once

#include <mutex>

#include "camera/ViewfinderPixels.h"

/// The lock of the live view's frames, crop rectangle, background cache and the motion frame.
std::mutex& ViewfinderLock();

/// The 320 x 240 frame in blue-green-red order, rows top first (kMotionFrameBytes); read and
/// written only while ViewfinderLock is held.
BYTE* MotionFrameBuffer();
