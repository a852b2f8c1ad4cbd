// Optional processing of a downloaded JPEG before it is saved: live-view crop, resize, auto
// levels, sharpening and rotation in an imaging session, then the camera's Exif put back.
#pragma once

#include "camera/CameraViewSettings.h"
#include "platform/win32/windef.h"

/// Auto levels from a 256-bin histogram of `pixels` pixels: black never above 127, white above black.
void ComputeAutoLevels(const DWORD* counts, unsigned long long pixels, double blackPercent, double whitePercent,
                       int& black, int& middle, int& white);
/// The 320 x 240 viewfinder crop rectangle (inclusive) scaled to a width x height image.
RECT MapViewfinderCrop(const RECT& crop, DWORD width, DWORD height);
/// True when the settings ask for processing.
bool WantsPostProcessing(const CameraViewSettings& settings);
/// Processes the JPEG and saves it to `path` with the camera's Exif block and orientation 0;
/// false (nothing left at `path`) when loading or saving fails.
bool PostProcessJpeg(const BYTE* jpeg, DWORD size, const char* path, int angle, const CameraViewSettings& settings);
/// Puts the camera JPEG's Exif block into the saved JPEG at `path`; does nothing when either has none.
void RestoreCameraExifBlock(int session, const BYTE* cameraJpeg, DWORD size, const char* path);
